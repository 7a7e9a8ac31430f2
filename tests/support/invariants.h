// What must hold after every event, whatever the player does; shared by tests and the fuzzer.
#pragma once

#include "app/form1.h"
#include "levels/palette.h"

#include <array>
#include <optional>
#include <string>

namespace nudgeboard::testing {

// The state an event may or may not change.
struct Snapshot {
    std::array<Rgb, cellCount> color{};
    std::array<int, cellCount> mark{};
    int moveCount = 0;
    int level = 0;
    int loads = 0;
    std::string nameof, numMoves;
    std::optional<Rgb> movesBack;

    explicit Snapshot(const Form1& form);
    bool operator==(const Snapshot&) const = default;
};

// The play board's colors, sorted: equal whenever every colour keeps its number of cells.
std::array<Rgb, playCells> colorCounts(const Form1& form);

class InvariantChecker {
public:
    // Call once the window is loaded, and before every event.
    void before(const Form1& form);

    // After an event: an empty string, or what went wrong.
    std::string after(const Form1& form, bool wasKey);

private:
    // The goal board shows the level's goal layout, untouched by play.
    std::string goalBoard(const Form1& form) const;
    std::string playBoard(const Form1& form) const;
    std::string labels(const Form1& form, bool wasKey); // the level name and the counter

    // The marked cells are none, or exactly one whole piece.
    static std::string selection(const Form1& form);
    static int fill(const Form1& form, int p, std::array<bool, playCells>& piece);

    std::optional<Snapshot> previous_;
    bool wasSolved_ = false;
    int loads_ = -1;
    int level_ = 0;
    std::array<Rgb, playCells> counts_{};
    std::array<Rgb, playCells> goalColor_{};
    std::array<bool, playCells> wildcard_{};
    std::array<bool, playCells> walls_{};
    int lastCount_ = 0;
};

} // namespace nudgeboard::testing
