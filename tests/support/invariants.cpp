// The invariants checked after every event of random play and fuzzing.
#include "invariants.h"

#include <algorithm>

namespace nudgeboard::testing {

Snapshot::Snapshot(const Form1& form)
    : moveCount(form.moveCount), level(form.curLevel), loads(form.loads()),
      nameof(form.Nameof.caption), numMoves(form.numMoves.caption),
      movesBack(form.numMoves.backColor) {
    for (int i = 0; i < cellCount; ++i) {
        color[i] = form.Grid(i).backColor.value_or(-1);
        mark[i] = form.Grid(i).borderStyle;
    }
}

std::array<Rgb, playCells> colorCounts(const Form1& form) {
    std::array<Rgb, playCells> colors{};
    for (int i = 0; i < playCells; ++i)
        colors[i] = form.Grid(i).backColor.value_or(-1);
    std::sort(colors.begin(), colors.end());
    return colors;
}

void InvariantChecker::before(const Form1& form) {
    if (!level_ || form.loads() != loads_) {
        loads_ = form.loads();
        level_ = form.curLevel;
        counts_ = colorCounts(form);
        for (int i = 0; i < playCells; ++i) {
            walls_[i] = form.Grid(i).backColor == wallColor;
            char ch = Form1::goalLayout(level_, rowOf(i))[static_cast<std::size_t>(columnOf(i))];
            for (const auto& entry : palette)
                if (entry.character[0] == ch)
                    goalColor_[i] = entry.color;
            wildcard_[i] = ch == '?';
        }
        lastCount_ = 0;
    }
    previous_.emplace(form);
    wasSolved_ = form.solved != 0;
}

std::string InvariantChecker::after(const Form1& form, bool wasKey) {
    if (form.Grid.count() != cellCount)
        return "the window holds " + std::to_string(form.Grid.count()) + " cells";
    if (form.curLevel < 1 || form.curLevel > levelCountBuiltIn)
        return "level " + std::to_string(form.curLevel);
    bool restarted = form.loads() != loads_;
    if (restarted)
        before(form); // a new level starts its own bookkeeping
    for (const std::string& e : {goalBoard(form), playBoard(form), selection(form)})
        if (!e.empty())
            return e;
    return labels(form, wasKey);
}

std::string InvariantChecker::playBoard(const Form1& form) const {
    for (int i = 0; i < playCells; ++i) {
        if ((form.Grid(i).backColor == wallColor) != walls_[i])
            return "a wall moved at cell " + std::to_string(i);
        if (!form.Grid(i).caption.empty())
            return "play cell " + std::to_string(i) + " has a caption";
    }
    if (colorCounts(form) != counts_)
        return "the play board gained or lost a piece cell";
    return {};
}

std::string InvariantChecker::labels(const Form1& form, bool wasKey) {
    int par = Form1::levelPar(form.curLevel);
    if (form.numMoves.caption != counterText(form.moveCount, par))
        return "counter reads '" + form.numMoves.caption + "' at " +
               std::to_string(form.moveCount) + " moves";
    if (form.moveCount < lastCount_)
        return "the move count went down";
    lastCount_ = form.moveCount;
    if (form.solved != 0) {
        if (form.Nameof.caption != solvedCaption)
            return "solved, but the name reads '" + form.Nameof.caption + "'";
        Rgb expected = form.moveCount < par    ? underParCyan
                       : form.moveCount == par ? atParGreen
                                               : overParRed;
        if (form.numMoves.backColor != expected)
            return "counter colour does not match count against par";
        if (wasSolved_ && wasKey && !(Snapshot(form) == *previous_))
            return "a key changed a solved level";
    } else if (form.Nameof.caption != Form1::levelName(form.curLevel) ||
               form.numMoves.backColor.has_value()) {
        return "name or counter colour changed while playing";
    }
    return {};
}

std::string InvariantChecker::goalBoard(const Form1& form) const {
    for (int i = 0; i < playCells; ++i) {
        const Label& cell = form.Grid(goalOffset + i);
        if (cell.backColor != goalColor_[i] || (cell.caption == "?") != wildcard_[i] ||
            (!wildcard_[i] && !cell.caption.empty()) || cell.borderStyle != 0)
            return "goal cell " + std::to_string(goalOffset + i) + " changed";
    }
    return {};
}

std::string InvariantChecker::selection(const Form1& form) {
    int first = -1, marked = 0;
    for (int i = 0; i < playCells; ++i)
        if (form.Grid(i).borderStyle != 0) {
            ++marked;
            if (first < 0)
                first = i;
        }
    if (marked == 0)
        return {};
    std::array<bool, playCells> piece{};
    int size = fill(form, first, piece);
    for (int i = 0; i < playCells; ++i)
        if ((form.Grid(i).borderStyle != 0) != piece[i])
            return "marks are not one whole piece (cell " + std::to_string(i) + ")";
    return size == marked ? std::string{} : "marks are not one whole piece";
}

int InvariantChecker::fill(const Form1& form, int p, std::array<bool, playCells>& piece) {
    piece[p] = true;
    int size = 1, r = rowOf(p), c = columnOf(p);
    auto joins = [&](int q) {
        return !piece[q] && form.Grid(q).backColor == form.Grid(p).backColor;
    };
    if (c < boardSide - 1 && joins(p + 1))
        size += fill(form, p + 1, piece);
    if (c > 0 && joins(p - 1))
        size += fill(form, p - 1, piece);
    if (r < boardSide - 1 && joins(p + boardSide))
        size += fill(form, p + boardSide, piece);
    if (r > 0 && joins(p - boardSide))
        size += fill(form, p - boardSide, piece);
    return size;
}

} // namespace nudgeboard::testing
