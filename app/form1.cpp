// The window's life: its design controls, start-up, cell creation, level switching and reset.
#include "app/form1.h"

#include <utility>

namespace nudgeboard {

namespace {

constexpr Font labelFont{"Times New Roman", 700, 18};
constexpr Font cellFont{"MS Sans Serif", 400, 18};

Label designLabel(int top, std::string caption) {
    Label label;
    label.left = 0;
    label.top = top;
    label.width = labelWidth;
    label.height = labelHeight;
    label.caption = std::move(caption);
    label.font = labelFont;
    return label;
}

Label designCell() {
    Label cell;
    cell.width = cellSize;
    cell.height = cellSize;
    cell.backColor = rgb(255, 0, 0);
    cell.foreColor = rgb(255, 255, 255);
    cell.font = cellFont;
    return cell;
}

} // namespace

void Form1::Show() {
    if (loaded_)
        return;
    // Loading restores every control of the fixed design; the other 71 cells come from
    // loadshapes.
    Grid.clear();
    Grid.create(0, designCell());
    Frame = {Outline{0, 0, boardPixels, boardPixels},
             Outline{goalBoardLeft, 0, boardPixels, boardPixels}};
    Nameof = designLabel(nameofTop, "9 Puzzle");
    numMoves = designLabel(numMovesTop, "Moves: 0");
    loaded_ = true;
    ++loads_;
    Form_Load();
}

void Form1::Unload() {
    Grid.clear();
    loaded_ = false;
}

void Form1::Form_Load() {
    solved = 0;
    moveCount = 0;
    lastColor = -1;
    if (curLevel == 0)
        curLevel = 1;
    levelCount = levelCountBuiltIn;
    // Also catches a negative level, which would index outside the catalogue.
    if (curLevel > levelCount || curLevel < 0)
        curLevel = 1;
    loadshapes();
    loadlevel();
}

void Form1::loadshapes() {
    for (int r = 0; r < boardSide; ++r) {
        for (int c = 0; c < boardSide; ++c) {
            int i = cellIndex(r, c);
            if (i > 0)
                Grid.load(i);
            Grid.load(goalOffset + i);
            for (int k : {i, goalOffset + i}) {
                Grid(k).left = cellLeft(k);
                Grid(k).top = cellTop(k);
                Grid(k).visible = true;
            }
        }
    }
}

void Form1::mnuL_Click(int index) {
    curLevel = index;
    restart();
}

void Form1::mnuReset_Click() {
    restart();
}

void Form1::restart() {
    Unload();
    Show();
}

} // namespace nudgeboard
