// The window's controls as plain data: text labels, the cell array, board outlines and menus.
#pragma once

#include "app/geometry.h"
#include "levels/palette.h"

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace nudgeboard {

struct Font {
    std::string_view family;
    int weight; // 400 regular, 700 bold
    int points;
    bool operator==(const Font&) const = default;
};

// A text label placed by pixel position in the client area. An unset colour means the
// system's standard control colour.
struct Label {
    int left = 0;
    int top = 0;
    int width = 0;
    int height = 0;
    std::string caption;
    std::optional<Rgb> backColor;
    std::optional<Rgb> foreColor;
    Font font{};
    int borderStyle = 0; // 0 none, 1 single line: on a cell, the selection mark
    bool visible = true;
    bool operator==(const Label&) const = default;
};

// A one-pixel rectangle outline, not filled.
struct Outline {
    int left;
    int top;
    int width;
    int height;
    bool operator==(const Outline&) const = default;
};

struct MenuItem {
    std::string_view caption;
    int index; // the level an item of "Load Level" loads; 0 for an entry of the bar itself
};

// The cells of both boards. New members are copies of member 0 and start hidden; closing the
// window destroys them all.
class CellArray {
public:
    static constexpr int size = cellCount;

    void create(int k, const Label& design) { members_.at(k) = design; }
    void load(int k) {
        members_.at(k) = members_.at(0).value();
        members_.at(k)->visible = false;
    }
    void clear() { members_ = {}; }
    bool exists(int k) const { return k >= 0 && k < size && members_[k].has_value(); }
    int count() const {
        int n = 0;
        for (const auto& m : members_)
            n += m.has_value();
        return n;
    }
    Label& operator()(int k) { return members_.at(k).value(); }
    const Label& operator()(int k) const { return members_.at(k).value(); }

private:
    std::array<std::optional<Label>, size> members_;
};

} // namespace nudgeboard
