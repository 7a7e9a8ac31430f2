// Form1, the game's one window: its controls, game variables, event handlers and procedures.
#pragma once

#include "app/controls.h"
#include "app/geometry.h"
#include "levels/catalogue.h"
#include "levels/palette.h"
#include "play/arrows.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace nudgeboard {

constexpr std::int16_t flagTrue = -1;

// What the level name reads once the play board shows the goal.
constexpr std::string_view solvedCaption = "SOLVED!!";

// The counter text: "Moves:", the count with one leading blank, " (", the par, ")".
std::string counterText(int moveCount, int par);

class Form1 {
public:
    // Fixed design of the window.
    static constexpr std::string_view title = "Nudgeboard";
    static constexpr int clientWidth = nudgeboard::clientWidth;
    static constexpr int clientHeight = nudgeboard::clientHeight;
    static constexpr std::string_view loadLevelCaption = "Load Level";
    // "Load Level" lists the catalogue's levels by name, in its order.
    static constexpr std::array<MenuItem, levelCountBuiltIn> levelItems = [] {
        std::array<MenuItem, levelCountBuiltIn> items{};
        for (int level = 1; level <= levelCountBuiltIn; ++level)
            items[static_cast<std::size_t>(level - 1)] = {
                catalogue[static_cast<std::size_t>(level - 1)].name, level};
        return items;
    }();
    static constexpr MenuItem resetEntry{"Reset", 0};

    // Controls; they exist while the window is loaded.
    CellArray Grid;
    std::array<Outline, 2> Frame{};
    Label Nameof;
    Label numMoves;

    // Game variables; they outlive every restart. All are 0 before the first load.
    int curLevel = 0;
    int levelCount = 0;
    int moveCount = 0;
    Rgb lastColor = 0;
    int blocked = 0;
    std::int16_t solved = 0;

    // The window's life: Show loads it (running Form_Load) unless it is loaded already;
    // Unload destroys its controls but keeps this object and the game variables.
    void Show();
    void Unload();
    bool loaded() const { return loaded_; }
    int loads() const { return loads_; } // how many times the window has been loaded

    // The five events.
    void Form_Load();
    void Grid_Click(int index);
    void Form_KeyUp(int keyCode, int shift);
    void mnuL_Click(int index);
    void mnuReset_Click();

    // Procedures of the window; the handlers above are their only callers in play.
    void loadshapes();
    void loadlevel();
    void loadgridcolor(std::string_view ch, int k);
    void bordercheck(int p);
    void checkmove(int offset);
    void wincheck();
    Rgb toNum(int row, int column) const;

    // The level catalogue, by level number 0..100; slots past the built-in levels are empty.
    static std::string_view levelName(int level);
    static std::int16_t levelPar(int level);
    static std::string_view startLayout(int level, int row);
    static std::string_view goalLayout(int level, int row);

private:
    void restart();
    bool loaded_ = false;
    int loads_ = 0;
};

} // namespace nudgeboard
