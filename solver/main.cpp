// nudgeboard-solve: the fewest moves for every built-in level, one level's solution, or a level
// of one's own from a file.
#include "levels/catalogue.h"
#include "solver/levelfile.h"
#include "solver/report.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>

namespace {

using namespace nudgeboard;

// Exit statuses: 0 solved, 1 no solution found, 2 bad arguments or a bad level file.
constexpr int unsolved = 1;
constexpr int badInput = 2;

int complain(const std::string& what, int status) {
    std::cerr << "nudgeboard-solve: " << what << "\n";
    return status;
}

// The table row of a level from a file, or one of its solutions step by step.
int solveFile(const std::string& path, bool steps, solver::Metric metric) {
    std::string error;
    auto file = solver::readLevelFile(path, error);
    if (!file)
        return complain(error, badInput);
    auto puzzle = solver::Puzzle::fromLayouts(file->startRows(), file->goalRows(), &error);
    if (!puzzle) // the checks passed, so the level is too big to number
        return complain(path + ": " + error, unsolved);
    solver::LevelTitle title{0, file->name, file->par};
    solver::LevelReport report;
    if (steps)
        (metric == solver::Metric::Moves ? report.moves : report.slides) =
            solver::solve(*puzzle, metric);
    else
        report = solver::solveLevel(*puzzle, title);
    const solver::Solution& first =
        steps && metric == solver::Metric::Slides ? report.slides : report.moves;
    if (first.outcome == solver::Solution::Outcome::NoSolution)
        return complain(
            path + ": the level cannot be solved: no sequence of moves reaches the goal", unsolved);
    if (first.outcome == solver::Solution::Outcome::GaveUp)
        return complain(path + ": the search gave up after storing " +
                            std::to_string(first.states) +
                            " positions, its memory limit, without finding a solution",
                        unsolved);
    report.title = title;
    std::cout << (steps ? solver::planText(title, first, metric) : solver::tableText({report}));
    if (!steps && report.slides.outcome == solver::Solution::Outcome::GaveUp)
        return complain(path + ": the fewest-slides search gave up after storing " +
                            std::to_string(report.slides.states) + " positions, its memory limit",
                        unsolved);
    return 0;
}

} // namespace

int main(int argc, char** argv) {
    CLI::App app{"Finds the fewest moves that solve Nudgeboard's built-in levels, or a level of "
                 "your own. Without options it prints a table of all eight levels: par, fewest "
                 "counted moves (sliding the piece that moved last again counts no new move), "
                 "fewest single-cell slides, positions searched and time taken.",
                 "nudgeboard-solve"};
    std::string levelText; // checked below, then read as a decimal number
    std::string path;
    bool slides = false;
    bool steps = false;
    auto* levelOption =
        app.add_option("--level", levelText,
                       "Print one solution of level N (1-8) with the fewest counted moves, as "
                       "cells to click and arrow keys to release")
            ->type_name("N")
            ->check(CLI::Validator(
                [](std::string& text) -> std::string {
                    int n = 0;
                    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
                    if (error != std::errc() || end != text.data() + text.size())
                        return "\"" + text + "\" is not a whole number";
                    if (n < 1 || n > levelCountBuiltIn)
                        return "there is no level " + text + "; levels are 1 to 8";
                    return {};
                },
                "1-8", "level number"));
    auto* fileOption =
        app.add_option("--file", path,
                       "Solve the level in file LEVEL and print its table row. The file holds a "
                       "name line, a par line (1-32767), six start rows and six goal rows of six "
                       "layout characters each (0-9, A-N, # wall, * empty, ? any, in goal rows "
                       "only); blank lines are skipped")
            ->type_name("LEVEL")
            ->excludes(levelOption);
    auto* stepsOption =
        app.add_flag("--level-steps", steps,
                     "With --file: print one solution step by step instead, as --level does")
            ->needs(fileOption);
    app.set_version_flag("--version", "nudgeboard-solve " NUDGEBOARD_VERSION,
                         "Print the version and exit");
    app.add_flag(
        "--slides", slides,
        "With --level, or --file and --level-steps: the fewest single-cell slides instead");
    try {
        app.parse(argc, argv);
        if (slides && !*levelOption && !*stepsOption)
            throw CLI::ValidationError("--slides", "needs --level, or --file with --level-steps");
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::CallForVersion& e) {
        std::cout << e.what() << '\n';
        return 0;
    } catch (const CLI::ParseError& e) {
        return complain(std::string(e.what()) + " (see --help)", badInput);
    }

    auto metric = slides ? solver::Metric::Slides : solver::Metric::Moves;
    if (*fileOption)
        return solveFile(path, steps, metric);
    if (*levelOption) {
        int level = std::stoi(levelText);
        auto puzzle = solver::Puzzle::builtIn(level);
        auto solution = solver::solve(*puzzle, metric);
        std::cout << solver::planText(solver::LevelTitle::builtIn(level), solution, metric);
        return solution.outcome == solver::Solution::Outcome::Solved ? 0 : unsolved;
    }
    std::vector<solver::LevelReport> reports;
    for (int l = 1; l <= levelCountBuiltIn; ++l)
        reports.push_back(solver::solveLevel(l));
    std::cout << solver::tableText(reports);
    return 0;
}
