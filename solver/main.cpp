// nudgeboard-solve: the fewest moves for every built-in level, or one level's solution.
#include "levels/catalogue.h"
#include "solver/report.h"

#include <CLI/CLI.hpp>
#include <charconv>
#include <iostream>

int main(int argc, char** argv) {
    using namespace nudgeboard;
    CLI::App app{"Finds the fewest moves that solve Nudgeboard's built-in levels. Without options "
                 "it prints a table of all eight levels: par, fewest counted moves (sliding the "
                 "piece that moved last again counts no new move), fewest single-cell slides, "
                 "positions searched and time taken.",
                 "nudgeboard-solve"};
    std::string levelText; // checked below, then read as a decimal number
    bool slides = false;
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
    app.add_flag("--slides", slides, "With --level: the fewest single-cell slides instead")
        ->needs(levelOption);
    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp&) {
        std::cout << app.help();
        return 0;
    } catch (const CLI::ParseError& e) {
        std::cerr << "nudgeboard-solve: " << e.what() << " (see --help)\n";
        return 2;
    }

    if (*levelOption) {
        int level = std::stoi(levelText);
        auto metric = slides ? solver::Metric::Slides : solver::Metric::Moves;
        auto puzzle = solver::Puzzle::builtIn(level);
        auto solution = solver::solve(*puzzle, metric);
        std::cout << solver::planText(level, solution, metric);
        return solution.outcome == solver::Solution::Outcome::Solved ? 0 : 1;
    }
    std::vector<solver::LevelReport> reports;
    for (int l = 1; l <= levelCountBuiltIn; ++l)
        reports.push_back(solver::solveLevel(l));
    std::cout << solver::tableText(reports);
    return 0;
}
