// Formatting the solver's results for people.
#include "solver/report.h"

#include "app/form1.h"

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
    switch (keyCode) {
    case vkLeft:
        return "Left";
    case vkUp:
        return "Up";
    case vkRight:
        return "Right";
    case vkDown:
        return "Down";
    default:
        return "?";
    }
}

// How a count compares with the par, in words.
std::string againstPar(int count, int par) {
    if (count < par)
        return std::to_string(par - count) + " below par";
    if (count == par)
        return "at par";
    return std::to_string(count - par) + " above par";
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

LevelReport solveLevel(int level) {
    auto puzzle = Puzzle::builtIn(level);
    if (!puzzle)
        return {LevelTitle::builtIn(level), {}, {}};
    return solveLevel(*puzzle, LevelTitle::builtIn(level));
}

LevelReport solveLevel(const Puzzle& puzzle, LevelTitle title) {
    LevelReport report{std::move(title), solve(puzzle, Metric::Moves), {}};
    // Every solution counts both ways: with none by moves there is none by slides.
    if (report.moves.outcome == Solution::Outcome::Solved)
        report.slides = solve(puzzle, Metric::Slides);
    else
        report.slides.outcome = report.moves.outcome;
    return report;
}

std::string tableText(const std::vector<LevelReport>& reports) {
    std::string text = format("%2s  %-16s %4s %6s %7s %10s %8s  %s\n", "#", "Level", "Par", "Moves",
                              "Slides", "Positions", "Seconds", "Fewest moves");
    std::string below;
    for (const auto& r : reports) {
        int par = r.title.par;
        std::string slides = r.slides.outcome == Solution::Outcome::Solved
                                 ? std::to_string(r.slides.slides)
                                 : countText(r.slides);
        bool solved = r.moves.outcome == Solution::Outcome::Solved;
        std::string number = r.title.number > 0 ? std::to_string(r.title.number) : "-";
        text += format("%2s  %-16s %4d %6s %7s %10llu %8.3f  %s\n", number.c_str(),
                       r.title.name.c_str(), par, countText(r.moves).c_str(), slides.c_str(),
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
    std::string text =
        metric == Metric::Moves
            ? format("%s, par %d: %d counted moves (%s), %d slides.\n", level.c_str(), par,
                     solution.moves, againstPar(solution.moves, par).c_str(), solution.slides)
            : format("%s, par %d: %d slides, the fewest; %d counted moves (%s).\n", level.c_str(),
                     par, solution.slides, solution.moves, againstPar(solution.moves, par).c_str());
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
    text += "SOLVED!! " + counterText(solution.moves, par) + "\n";
    return text;
}

} // namespace nudgeboard::solver
