// Randomised play: whatever the player clicks or presses, no piece cell is lost or invented.
#include "board.h"
#include "random_play.h"

#include <cstdlib>
#include <gtest/gtest.h>

using namespace nudgeboard;
using namespace nudgeboard::testing;

namespace {

// NUDGEBOARD_SEED replays a reported failure.
std::uint64_t seed(std::uint64_t fallback) {
    const char* text = std::getenv("NUDGEBOARD_SEED");
    return text ? std::strtoull(text, nullptr, 10) : fallback;
}

void solveLevelOne(Form1& form) {
    for (auto [cell, key] : levelOneSolution) {
        form.Grid_Click(cell);
        form.Form_KeyUp(key, 0);
    }
}

} // namespace

TEST(RandomPlay, AMillionEventsKeepEveryInvariant) {
    Form1 form;
    form.Show();
    RandomRun run = playRandomly(form, seed(20261208), 1'000'000);
    ASSERT_EQ(run.failure, "");
    for (int level = 1; level <= levelCountBuiltIn; ++level)
        EXPECT_GT(run.levelsPlayed[level], 100) << "level " << level << " barely played";
    // Play is not frozen: pieces keep sliding, also right after a refused move.
    EXPECT_GT(run.slides, 20'000);
    EXPECT_GT(run.refused, 100'000);
    EXPECT_GT(run.slidesAfterRefusal, 15'000);
}

TEST(RandomPlay, ASolvedLevelStaysSolved) {
    Form1 form;
    form.Show();
    solveLevelOne(form);
    ASSERT_EQ(form.solved, -1);
    Snapshot solved(form);
    RandomRun run = playRandomly(form, seed(7), 50'000, false);
    ASSERT_EQ(run.failure, "");
    EXPECT_EQ(form.solved, -1);
    EXPECT_EQ(form.moveCount, solved.moveCount);
    EXPECT_EQ(form.numMoves.caption, "Moves: 20 (38)");
}

// The checker itself notices each kind of damage.
TEST(RandomPlay, CheckerCatchesDamage) {
    struct Case {
        const char* what;
        void (*damage)(Form1&);
    };
    const Case cases[] = {
        {"goal cell recoloured", [](Form1& f) { f.Grid(40).backColor = rgb(0, 255, 0); }},
        {"goal cell marked", [](Form1& f) { f.Grid(50).borderStyle = 1; }},
        {"wildcard lost", [](Form1& f) { f.Grid(46).caption.clear(); }},
        {"piece cell invented", [](Form1& f) { f.Grid(21).backColor = rgb(255, 0, 0); }},
        {"wall moved", [](Form1& f) { std::swap(f.Grid(0).backColor, f.Grid(21).backColor); }},
        {"half a piece marked", [](Form1& f) { f.Grid(8).borderStyle = 1; }},
        {"play caption", [](Form1& f) { f.Grid(8).caption = "?"; }},
        {"counter text", [](Form1& f) { f.numMoves.caption = "Moves: 0 (39)"; }},
        {"count went down", [](Form1& f) { f.moveCount = -1; }},
        {"solved without its texts", [](Form1& f) { f.solved = -1; }},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Form1 form;
        form.Show();
        form.mnuL_Click(2);
        InvariantChecker check;
        check.before(form);
        c.damage(form);
        EXPECT_NE(check.after(form, false), "");
    }
    // And a key that changes a solved level.
    Form1 form;
    form.Show();
    solveLevelOne(form);
    InvariantChecker check;
    check.before(form);
    std::swap(form.Grid(8).backColor, form.Grid(9).backColor);
    EXPECT_NE(check.after(form, true).find("solved"), std::string::npos);
}
