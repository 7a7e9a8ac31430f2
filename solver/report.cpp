// Formatting the solver's results for people.
#include "solver/report.h"
#include "solver/utf8.h"

#include "app/form1.h"

#include <algorithm>
#include <cstdio>

namespace nudgeboard::solver {

namespace {

std::string format(const char* pattern, auto... values) {
    int size = std::snprintf(nullptr, 0, pattern, values...);
    if (size <= 0)
        return {};
    std::string line(static_cast<std::size_t>(size) + 1, '\0'); // a long key list fits too
    std::snprintf(line.data(), line.size(), pattern, values...);
    line.pop_back();
    return line;
}

std::string keyName(int keyCode) {
    return isArrow(keyCode) ? std::string(arrows[static_cast<std::size_t>(keyCode - vkLeft)].name)
                            : "?";
}

// How a count compares with the par, in words.
std::string againstPar(int count, int par) {
    if (count < par)
        return std::to_string(par - count) + " below par";
    if (count == par)
        return "at par";
    return std::to_string(count - par) + " above par";
}

// "1 slide", "2 slides".
std::string counted(int n, const std::string& thing) {
    return std::to_string(n) + " " + thing + (n == 1 ? "" : "s");
}

std::string countText(const Solution& s) {
    switch (s.outcome) {
    case Solution::Outcome::Solved:
        return std::to_string(s.moves);
    case Solution::Outcome::NoSolution:
        return "none";
    default:
        return "gave up";
    }
}

} // namespace

LevelTitle LevelTitle::builtIn(int number) {
    return {number, std::string(Form1::levelName(number)), Form1::levelPar(number)};
}

LevelReport solveLevel(int level, const Limits& limits) {
    auto puzzle = Puzzle::builtIn(level);
    if (!puzzle)
        return {LevelTitle::builtIn(level), {}, {}};
    return solveLevel(*puzzle, LevelTitle::builtIn(level), limits);
}

LevelReport solveLevel(const Puzzle& puzzle, LevelTitle title, const Limits& limits) {
    LevelReport report{std::move(title), solve(puzzle, Metric::Moves, limits), {}};
    // Every solution counts both ways: with none by moves there is none by slides. In a tile
    // puzzle the fewest moves are the fewest slides, found by the same search.
    if (puzzle.isTilePuzzle()) {
        report.slides = report.moves;
        report.slides.states = 0;
        report.slides.seconds = 0;
    } else if (report.moves.outcome == Solution::Outcome::Solved) {
        Limits left = limits;
        left.maxSeconds -= report.moves.seconds;
        report.slides = solve(puzzle, Metric::Slides, left);
    } else {
        report.slides.outcome = report.moves.outcome;
        report.slides.ranOut = report.moves.ranOut;
    }
    return report;
}

std::string tableText(const std::vector<LevelReport>& reports) {
    // Columns as wide as the longest name and the largest par, counted as a terminal shows them.
    int nameWidth = 16, parWidth = 4;
    for (const auto& r : reports) {
        nameWidth = std::max(nameWidth, utf8::columns(r.title.name));
        parWidth = std::max(parWidth, static_cast<int>(std::to_string(r.title.par).size()));
    }
    auto padded = [](const std::string& text, int width) {
        return text +
               std::string(static_cast<std::size_t>(std::max(0, width - utf8::columns(text))), ' ');
    };
    std::string text =
        format("%2s  %s %*s %6s %7s %10s %8s  %s\n", "#", padded("Level", nameWidth).c_str(),
               parWidth, "Par", "Moves", "Slides", "Positions", "Seconds", "Fewest moves");
    std::string below;
    for (const auto& r : reports) {
        int par = r.title.par;
        std::string slides = r.slides.outcome == Solution::Outcome::Solved
                                 ? std::to_string(r.slides.slides)
                                 : countText(r.slides);
        bool solved = r.moves.outcome == Solution::Outcome::Solved;
        std::string number = r.title.number > 0 ? std::to_string(r.title.number) : "-";
        text += format("%2s  %s %*d %6s %7s %10llu %8.3f  %s\n", number.c_str(),
                       padded(r.title.name, nameWidth).c_str(), parWidth, par,
                       countText(r.moves).c_str(), slides.c_str(),
                       static_cast<unsigned long long>(r.moves.states + r.slides.states),
                       r.moves.seconds + r.slides.seconds,
                       solved ? againstPar(r.moves.moves, par).c_str() : "unsolved");
        if (solved && r.moves.moves < par)
            below += (below.empty() ? "" : ", ") +
                     (r.title.number > 0 ? number : "\"" + r.title.name + "\"") + " (" +
                     std::to_string(r.moves.moves) + " for par " + std::to_string(par) + ")";
    }
    text += below.empty() ? "No level can be solved in fewer moves than its par.\n"
                          : "Solvable in fewer moves than par: level " + below + ".\n";
    return text;
}

std::string planText(const LevelTitle& title, const Solution& solution, Metric metric) {
    int par = title.par;
    std::string level =
        (title.number > 0 ? "Level " + std::to_string(title.number) + " " : "Level ") + "\"" +
        title.name + "\"";
    if (solution.outcome != Solution::Outcome::Solved)
        return format("%s: %s.\n", level.c_str(),
                      solution.outcome == Solution::Outcome::NoSolution
                          ? "no sequence of moves reaches the goal"
                          : "the search gave up before finding a solution");
    std::string moves = counted(solution.moves, "counted move");
    std::string slides = counted(solution.slides, "slide");
    std::string text =
        metric == Metric::Moves
            ? format("%s, par %d: %s (%s), %s.\n", level.c_str(), par, moves.c_str(),
                     againstPar(solution.moves, par).c_str(), slides.c_str())
            : format("%s, par %d: %s, the fewest; %s (%s).\n", level.c_str(), par, slides.c_str(),
                     moves.c_str(), againstPar(solution.moves, par).c_str());
    // The game checks the goal when an arrow key is released, so even a start that is its own
    // goal needs one key.
    if (solution.steps.empty())
        return text +
               "The start already matches the goal: release any arrow key once, with or\n"
               "without a piece selected.\n" +
               std::string(solvedCaption) + " " + counterText(solution.moves, par) + "\n";
    text += "Click the cell (row and column from 1 at the top left of the play board),\n"
            "then release the arrow keys.\n";
    // A counted move lasts as long as one piece keeps sliding: the next click starts another.
    int count = 0;
    const auto& steps = solution.steps;
    for (std::size_t i = 0; i < steps.size();) {
        int cell = steps[i].cell;
        std::string keys = keyName(steps[i].keyCode);
        int at = cell + cellOffset[steps[i].keyCode - vkLeft];
        std::size_t j = i + 1;
        // The same piece again: its clicked cell, its lowest, has moved on with it.
        while (j < steps.size() && steps[j].cell == at) {
            keys += ", " + keyName(steps[j].keyCode);
            at += cellOffset[steps[j].keyCode - vkLeft];
            ++j;
        }
        ++count;
        text += format("%3d. click row %d, column %d; release %-28s %s\n", count, rowOf(cell) + 1,
                       columnOf(cell) + 1, (keys + ".").c_str(), counterText(count, par).c_str());
        i = j;
    }
    text += std::string(solvedCaption) + " " + counterText(solution.moves, par) + "\n";
    return text;
}

} // namespace nudgeboard::solver
