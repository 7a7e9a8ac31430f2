// Solutions the solver finds, played in the real window offscreen with mouse and keys.
#include "app/form1.h"
#include "app/qt/boardwidget.h"
#include "app/qt/gamewindow.h"
#include "solver/search.h"
#include "window_fixture.h"

#include <QAction>
#include <QLabel>
#include <QTest>
#include <gtest/gtest.h>

using namespace nudgeboard;

using SolverWindow = nudgeboard::testing::WindowTest;

TEST_F(SolverWindow, SolutionsSolveLevelsByMouseAndKeyboard) {
    for (int level : {1, 5}) {
        SCOPED_TRACE("level " + std::to_string(level));
        auto puzzle = solver::Puzzle::builtIn(level);
        ASSERT_TRUE(puzzle.has_value());
        solver::Solution solution = solver::solve(*puzzle, solver::Metric::Moves);
        ASSERT_EQ(solution.outcome, solver::Solution::Outcome::Solved);

        trigger(window->levelAction(level));
        for (const auto& step : solution.steps) {
            ASSERT_NE(window->nameLabel()->text(), "SOLVED!!");
            click(step.cell);
            ASSERT_TRUE(cell(step.cell).marked);
            stroke(nudgeboard::testing::qtKey(step.keyCode));
        }
        // The solver's count is the game's, and the window shows the game's counter.
        EXPECT_EQ(window->nameLabel()->text(), "SOLVED!!");
        EXPECT_EQ(form.moveCount, solution.moves);
        EXPECT_EQ(window->movesLabel()->text().toStdString(), form.numMoves.caption);
        EXPECT_EQ(window->movesLabel()->palette().color(QPalette::Window),
                  toQColor(form.numMoves.backColor.value()));
    }
}
