// The solver against the game's core: same moves, same goal, and solutions that really solve.
#include "board.h"
#include "effort.h"
#include "solver/levelfile.h"
#include "solver/pattern.h"
#include "solver/puzzle.h"
#include "solver/reference.h"
#include "solver/report.h"
#include "solver/search.h"
#include "solver/utf8.h"

#include <gtest/gtest.h>

#include <deque>
#include <map>
#include <numeric>
#include <random>
#include <tuple>
#include <unordered_map>

using namespace nudgeboard;
using namespace nudgeboard::solver;
using nudgeboard::testing::addressSanitizer;
using nudgeboard::testing::playRows;
using nudgeboard::testing::rounds;

namespace {

constexpr int keyOf(int direction) {
    return vkLeft + direction;
}

std::vector<std::string> solverRows(const Puzzle& puzzle, const Position& p) {
    auto cells = puzzle.layout(p);
    std::vector<std::string> rows(6);
    for (int r = 0; r < 6; ++r)
        rows[r] = std::string(cells.begin() + 6 * r, cells.begin() + 6 * r + 6);
    return rows;
}

Form1 levelLoaded(int level) {
    Form1 form;
    form.Show();
    form.mnuL_Click(level);
    return form;
}

Puzzle builtIn(int level) {
    auto puzzle = Puzzle::builtIn(level);
    EXPECT_TRUE(puzzle.has_value()) << "level " << level;
    return *puzzle;
}

// Both optimal solutions of each level, found once for the whole test program.
const LevelReport& solved(int level) {
    static std::map<int, LevelReport> cache;
    auto it = cache.find(level);
    if (it == cache.end())
        it = cache.emplace(level, solveLevel(level)).first;
    return it->second;
}

} // namespace

// Over many positions of random play in every level, the solver's legal slides, their results,
// the move count and the goal test are the core's.
TEST(SolverRules, AgreeWithTheCoreOverRandomPlay) {
    std::mt19937 rng(20240611);
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        Form1 form = levelLoaded(level);
        Puzzle puzzle = builtIn(level);
        // Real pieces throughout: no canonical reordering, so piece k is always one colour.
        Position p = puzzle.start();
        int lastPiece = -1;
        for (int step = 0; step < 150; ++step) {
            ASSERT_EQ(solverRows(puzzle, p), playRows(form)) << "step " << step;
            Form1 goalProbe = form;
            goalProbe.wincheck();
            ASSERT_EQ(puzzle.isGoal(p), goalProbe.solved != 0) << "step " << step;
            if (puzzle.isGoal(p))
                break;

            std::vector<std::pair<int, int>> listed, legal;
            puzzle.forEachSlide(p, [&](int k, int d) { listed.emplace_back(k, d); });
            for (int k = 0; k < puzzle.pieceCount(); ++k) {
                form.Grid_Click(puzzle.clickCell(p, k)); // selecting changes nothing else
                for (int d = 0; d < directionCount; ++d) {
                    form.blocked = 0;
                    form.checkmove(cellOffset[d]);
                    bool coreAllows = form.blocked == 0;
                    ASSERT_EQ(puzzle.canSlide(p, k, d), coreAllows)
                        << "piece " << puzzle.piece(k).character << " direction " << d;
                    if (!coreAllows)
                        continue;
                    legal.emplace_back(k, d);
                    Form1 moved = form;
                    moved.Form_KeyUp(keyOf(d), 0);
                    ASSERT_EQ(solverRows(puzzle, puzzle.slid(p, k, d)), playRows(moved));
                    ASSERT_EQ(moved.moveCount, form.moveCount + (k != lastPiece ? 1 : 0));
                }
            }
            ASSERT_EQ(listed, legal);
            ASSERT_FALSE(legal.empty());
            // Mostly keep with the piece that moved last, as players do.
            std::vector<std::pair<int, int>> same;
            for (auto m : legal)
                if (m.first == lastPiece)
                    same.push_back(m);
            const auto& pool = !same.empty() && rng() % 2 == 0 ? same : legal;
            auto [k, d] = pool[rng() % pool.size()];
            form.Grid_Click(puzzle.clickCell(p, k));
            form.Form_KeyUp(keyOf(d), 0);
            p = puzzle.slid(p, k, d);
            lastPiece = k;
        }
    }
}

// Keys number canonical positions one to one, the fast update agrees with the slow path, and a
// mirror image mirrored again is the position itself.
TEST(SolverPositions, KeysPlacesAndMirrorsAgree) {
    std::mt19937 rng(7);
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        Puzzle puzzle = builtIn(level);
        Position p = puzzle.start();
        Key key = puzzle.pack(p);
        std::map<Key, std::vector<std::string>> seen;
        for (int step = 0; step < 400; ++step) {
            std::vector<std::pair<int, int>> legal;
            puzzle.forEachSlide(p, [&](int k, int d) { legal.emplace_back(k, d); });
            auto [k, d] = legal[rng() % legal.size()];
            Position slow = puzzle.slid(p, k, d);
            int slowPiece = puzzle.canonicalize(slow, k);
            int fastPiece = puzzle.place(p, key, k, p.anchor[k] + cellOffset[d]);
            ASSERT_EQ(p, slow);
            ASSERT_EQ(fastPiece, slowPiece);
            ASSERT_EQ(key, puzzle.pack(p));
            ASSERT_EQ(puzzle.unpack(key), p);
            ASSERT_LT(key, Key{1} << keyBits);
            // Interchangeable pieces share a shape, so equal keys mean equal boards up to them.
            std::vector<std::string> shapes;
            for (const auto& row : solverRows(puzzle, p)) {
                std::string s;
                for (char c : row) {
                    int piece = -1;
                    for (int j = 0; j < puzzle.pieceCount(); ++j)
                        if (puzzle.piece(j).character == c)
                            piece = j;
                    s += piece < 0 ? c : static_cast<char>('a' + puzzle.piece(piece).group);
                }
                shapes.push_back(s);
            }
            auto [it, added] = seen.emplace(key, shapes);
            ASSERT_EQ(it->second, shapes);
            Key imageKey = 0;
            Position image = puzzle.mirrorOf(p, imageKey);
            Key backKey = 0;
            ASSERT_EQ(puzzle.mirrorOf(image, backKey), p);
            ASSERT_EQ(backKey, key);
            ASSERT_EQ(imageKey, puzzle.pack(image));
            if (puzzle.mirrorSymmetric()) {
                ASSERT_EQ(puzzle.isGoal(image), puzzle.isGoal(p));
                ASSERT_EQ(puzzle.settledKey(p, key), std::min(key, imageKey));
            }
        }
    }
}

// The pattern bound, worked out step by step as the search does, agrees with the bound worked
// out afresh, changes by at most one a slide, is 0 exactly on a goal, and never passes the
// fewest slides from the start.
TEST(SolverBound, PatternBoundStaysConsistent) {
    std::mt19937 rng(14);
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        SCOPED_TRACE("level " + std::to_string(level));
        Puzzle puzzle = builtIn(level);
        PatternBound bound(puzzle);
        if (level == 8) {
            EXPECT_GE(bound.chosen(), 2); // the goal piece with the pieces around it
        }
        Position p = puzzle.start();
        EXPECT_LE(bound.of(p, bound.indexOf(p)), solved(level).slides.slides);
        for (int step = 0; step < 300; ++step) {
            int here = bound.of(p, bound.indexOf(p));
            ASSERT_LT(here, Puzzle::never);
            ASSERT_EQ(here == 0, puzzle.isGoal(p));
            std::vector<std::pair<int, int>> legal;
            puzzle.forEachSlide(p, [&](int k, int d) { legal.emplace_back(k, d); });
            for (auto [k, d] : legal) {
                int change = bound.change(p, bound.indexOf(p), k, p.anchor[k] + cellOffset[d]);
                Position q = puzzle.slid(p, k, d);
                puzzle.canonicalize(q, k);
                ASSERT_LE(std::abs(change), 1);
                ASSERT_EQ(bound.of(q, bound.indexOf(q)), here + change);
            }
            auto [k, d] = legal[rng() % legal.size()];
            p = puzzle.slid(p, k, d);
            puzzle.canonicalize(p, k);
        }
    }
}

namespace {

// The reference solver's optimum: the yardstick for the fast searches.
int referenceOptimum(const Puzzle& puzzle, Metric metric) {
    return referenceSolve(puzzle.startRows(), puzzle.goalRows(), metric).optimum;
}

} // namespace

// The fast search (best first by a lower bound, runs expanded whole, mirror images merged) finds
// the same optimum as the plain search, on every level small enough for the plain one. Under the
// address sanitizer the plain search is what costs (half a minute for level 4, seconds for 1, 3
// and 7): there it checks two levels, and the replay test runs the fast one over every level.
TEST(SolverSearch, FindsTheOptimumOfAPlainSearch) {
    const std::vector<int> levels =
        addressSanitizer ? std::vector<int>{5, 6} : std::vector<int>{1, 3, 4, 5, 6, 7};
    for (int level : levels) {
        SCOPED_TRACE("level " + std::to_string(level));
        Puzzle puzzle = builtIn(level);
        EXPECT_EQ(solved(level).moves.moves, referenceOptimum(puzzle, Metric::Moves));
        EXPECT_EQ(solved(level).slides.slides, referenceOptimum(puzzle, Metric::Slides));
    }
}

// Treating same-shaped pieces the goal ignores as interchangeable changes no optimum.
TEST(SolverSearch, InterchangeablePiecesKeepTheOptimum) {
    for (int level : {5, 6}) {
        SCOPED_TRACE("level " + std::to_string(level));
        auto apart = builtIn(level).withEveryPieceApart();
        ASSERT_TRUE(apart.has_value());
        EXPECT_EQ(solve(*apart, Metric::Moves).moves, solved(level).moves.moves);
        EXPECT_EQ(solve(*apart, Metric::Slides).slides, solved(level).slides.slides);
    }
}

// Each level's two solutions, replayed through the core's click and key handlers, solve it
// exactly at their last key with the count they claim; neither is longer than the solution kept
// with the tests, which the core plays to the goal too.
TEST(SolverReplay, EverySolutionSolvesItsLevelInTheCore) {
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        const LevelReport& report = solved(level);
        for (const Solution* s : {&report.moves, &report.slides}) {
            SCOPED_TRACE("level " + std::to_string(level) +
                         (s == &report.moves ? ", fewest moves" : ", fewest slides"));
            ASSERT_EQ(s->outcome, Solution::Outcome::Solved);
            ASSERT_EQ(static_cast<int>(s->steps.size()), s->slides);
            Form1 form = levelLoaded(level);
            for (std::size_t i = 0; i < s->steps.size(); ++i) {
                ASSERT_EQ(form.solved, 0) << "solved before step " << i;
                const Step& step = s->steps[i];
                auto before = playRows(form);
                form.Grid_Click(step.cell);
                ASSERT_EQ(form.Grid(step.cell).borderStyle, 1)
                    << "step " << i << " selects nothing";
                form.Form_KeyUp(step.keyCode, 0);
                ASSERT_NE(playRows(form), before) << "step " << i << " moves nothing";
            }
            EXPECT_EQ(form.Nameof.caption, "SOLVED!!");
            EXPECT_EQ(form.moveCount, s->moves);
        }
        // Each search is optimal for its own measure, so neither beats the other on it, nor does
        // the kept solution.
        const auto& kept = nudgeboard::testing::solutions[static_cast<std::size_t>(level - 1)];
        EXPECT_LE(report.moves.moves, std::min(report.slides.moves, kept.moves))
            << "level " << level;
        EXPECT_LE(report.slides.slides,
                  std::min(report.moves.slides, static_cast<int>(kept.steps.size())))
            << "level " << level;
    }
}

// Malformed levels get a reason instead of a puzzle; a goal no play can reach has no solution.
TEST(SolverInput, BadLevelsAreRefusedOrUnsolvable) {
    const Layout open{"******", "******", "******", "******", "******", "******"};
    const Layout anyGoal{"??????", "??????", "??????", "??????", "??????", "??????"};
    struct Case {
        Layout start, goal;
        std::string reason;
    };
    const Case cases[] = {
        {{"1*****", "*****", "******", "******", "******", "******"}, anyGoal, "row 2 has 5"},
        {{"1*****", "******", "***x**", "******", "******", "******"}, anyGoal, "\"x\""},
        {{"1*?***", "******", "******", "******", "******", "******"}, anyGoal, "\"?\""},
        {{"1*1***", "******", "******", "******", "******", "******"}, anyGoal, "split"},
        {open, {"??????", "??????", "??????", "???????", "??????", "??????"}, "goal row 4"},
        {{"1*****", "******", "******", "******", "******", "******"},
         {"?2????", "??????", "??????", "??????", "??????", "??????"},
         "piece \"2\", which the start does not have"},
        {{"1*****", "******", "******", "******", "******", "******"},
         {"?????#", "??????", "??????", "??????", "??????", "??????"},
         "row 1 column 6 has a wall where the start has none"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(Puzzle::fromLayouts(c.start, c.goal, &why).has_value()) << c.reason;
        EXPECT_NE(why.find(c.reason), std::string::npos) << why;
    }
    std::string why;
    EXPECT_FALSE(Puzzle::builtIn(0, &why).has_value());
    EXPECT_FALSE(why.empty());
    EXPECT_FALSE(Puzzle::builtIn(9).has_value());

    // Goals no play can reach: a square that must be empty under a piece walled in, a piece
    // that cannot pass another.
    const Layout boxed{"#1####", "######", "######", "######", "######", "######"};
    const std::pair<Layout, Layout> unreachable[] = {
        {boxed, {"#*####", "######", "######", "######", "######", "######"}},
        {{"12****", "######", "######", "######", "######", "######"},
         {"21****", "######", "######", "######", "######", "######"}},
    };
    for (const auto& [start, goal] : unreachable) {
        auto puzzle = Puzzle::fromLayouts(start, goal);
        ASSERT_TRUE(puzzle.has_value());
        for (Metric m : {Metric::Moves, Metric::Slides})
            EXPECT_EQ(solve(*puzzle, m).outcome, Solution::Outcome::NoSolution);
    }
    // A start that is its own goal needs no move at all.
    auto done = Puzzle::fromLayouts(boxed, boxed);
    ASSERT_TRUE(done.has_value());
    Solution none = solve(*done, Metric::Moves);
    EXPECT_EQ(none.outcome, Solution::Outcome::Solved);
    EXPECT_TRUE(none.steps.empty());
}

namespace {

// A sliding-tile puzzle in a walled room of height x width squares: the tiles in reading order,
// 0 the empty square; the goal 0, 1, 2, ..., the empty square first.
Puzzle tilePuzzle(int height, int width, const std::vector<int>& tiles) {
    constexpr std::string_view names = "*123456789ABCDEFGHIJKLMN";
    std::array<std::string, 6> start, goal;
    start.fill("######");
    goal.fill("######");
    for (int i = 0; i < height * width; ++i) {
        start[1 + i / width][1 + i % width] = names[tiles[i]];
        goal[1 + i / width][1 + i % width] = names[i];
    }
    auto rows = [](const std::array<std::string, 6>& r) {
        return Layout{r[0], r[1], r[2], r[3], r[4], r[5]};
    };
    auto puzzle = Puzzle::fromLayouts(rows(start), rows(goal));
    EXPECT_TRUE(puzzle.has_value());
    return *puzzle;
}

// Korf's instance 12 of the 15-puzzle, 45 slides at the fewest.
const std::vector<int> korfTwelve{14, 1, 9, 6, 4, 8, 12, 5, 7, 2, 3, 0, 10, 11, 13, 15};

} // namespace

// A search gives up, saying on what, at its memory limit (counted in the bytes its tables
// hold) or its time limit; the steps of a level walls part in two are each part's optimum.
TEST(SolverSearch, LimitsAndRegions) {
    // A 4 x 4 block with two empty squares, its pieces in reverse order: far too big.
    auto crowded =
        Puzzle::fromLayouts({"######", "#EDCB#", "#A987#", "#6543#", "#21**#", "######"},
                            {"######", "#1234#", "#5678#", "#9ABC#", "#DE**#", "######"});
    ASSERT_TRUE(crowded.has_value());
    Limits small;
    small.maxBytes = std::size_t{8} << 20;
    Solution cut = solve(*crowded, Metric::Moves, small);
    EXPECT_EQ(cut.outcome, Solution::Outcome::GaveUp);
    EXPECT_EQ(cut.ranOut, Solution::Shortage::Memory);
    EXPECT_LE(cut.peakBytes, small.maxBytes);
    EXPECT_GT(cut.states, 0u);
    Limits none;
    none.maxSeconds = 0;
    for (const Puzzle& p : {*crowded, tilePuzzle(4, 4, korfTwelve)}) {
        Solution late = solve(p, Metric::Slides, none);
        EXPECT_EQ(late.outcome, Solution::Outcome::GaveUp);
        EXPECT_EQ(late.ranOut, Solution::Shortage::Time);
    }

    // Two pieces that cannot swap in a walled-off row while eight wander the rest: the row
    // alone shows there is no solution, without a search of the rest.
    auto swap = Puzzle::fromLayouts({"AB****", "######", "1***7*", "*4**6*", "8**2**", "*5***3"},
                                    {"BA????", "######", "??????", "??????", "??????", "??????"});
    ASSERT_TRUE(swap.has_value());
    Solution none2 = solve(*swap, Metric::Moves);
    EXPECT_EQ(none2.outcome, Solution::Outcome::NoSolution);
    EXPECT_LT(none2.states, 100u);
    // Two regions with work in each: the plain search over the whole board agrees.
    auto two = Puzzle::fromLayouts({"1****2", "######", "3*****", "******", "***4**", "******"},
                                   {"****1?", "######", "??????", "?????3", "??????", "?4????"});
    ASSERT_TRUE(two.has_value());
    for (Metric m : {Metric::Moves, Metric::Slides}) {
        Solution s = solve(*two, m);
        ASSERT_EQ(s.outcome, Solution::Outcome::Solved);
        EXPECT_EQ(m == Metric::Moves ? s.moves : s.slides, referenceOptimum(*two, m));
    }
}

namespace {

// A built-in level in a file's form.
std::string levelText(const Level& level) {
    std::string text = std::string(level.name) + "\n" + std::to_string(level.par) + "\n";
    for (const Layout* rows : {&level.start, &level.goal})
        for (auto row : *rows)
            text += std::string(row) + "\n";
    return text;
}

} // namespace

namespace {

// Replayed with the real pieces: each step a legal slide, the goal first reached at the last,
// the counts those of the steps.
void expectPlaysToTheGoal(const Puzzle& puzzle, const Solution& s) {
    Position p = puzzle.start();
    int moves = 0, last = -1;
    for (const Step& step : s.steps) {
        ASSERT_FALSE(puzzle.isGoal(p)) << "a step after the goal";
        int k = 0;
        while (k < puzzle.pieceCount() && puzzle.clickCell(p, k) != step.cell)
            ++k;
        ASSERT_TRUE(puzzle.canSlide(p, k, step.keyCode - vkLeft));
        p = puzzle.slid(p, k, step.keyCode - vkLeft);
        moves += k != last;
        last = k;
    }
    EXPECT_TRUE(puzzle.isGoal(p));
    EXPECT_EQ(s.moves, moves);
    EXPECT_EQ(s.slides, static_cast<int>(s.steps.size()));
}

} // namespace

// Small random levels, two rows of three pieces, with squares the goal wants empty and, in half
// of them, a place for one piece: each listing reaches the goal at its last step, with the plain
// search's optimum.
TEST(SolverSearch, ListingsEndAtTheFirstGoalInSmallRandomLevels) {
    std::mt19937 rng(2026);
    for (int round = 0; round < 300; ++round) {
        std::array<std::string, 6> start, goal;
        start.fill("######");
        goal.fill("######");
        start[0] = start[1] = "******";
        goal[0] = goal[1] = "??????";
        std::vector<int> cells(12);
        for (int i = 0; i < 12; ++i)
            cells[i] = i;
        std::shuffle(cells.begin(), cells.end(), rng);
        for (int k = 0; k < 3; ++k)
            start[cells[k] / 6][cells[k] % 6] = static_cast<char>('1' + k);
        // Half of them only want squares cleared: a run can then pass the goal and stay in it.
        goal[cells[3] / 6][cells[3] % 6] = round % 2 == 0 ? '1' : '*';
        int occupied = cells[rng() % 3]; // a piece must leave it
        goal[occupied / 6][occupied % 6] = '*';
        auto rows = [](const std::array<std::string, 6>& r) {
            return Layout{r[0], r[1], r[2], r[3], r[4], r[5]};
        };
        auto puzzle = Puzzle::fromLayouts(rows(start), rows(goal));
        ASSERT_TRUE(puzzle.has_value());
        for (Metric m : {Metric::Moves, Metric::Slides}) {
            SCOPED_TRACE(start[0] + "/" + start[1] + " to " + goal[0] + "/" + goal[1]);
            Solution s = solve(*puzzle, m);
            ASSERT_EQ(s.outcome, Solution::Outcome::Solved);
            expectPlaysToTheGoal(*puzzle, s);
            EXPECT_EQ(m == Metric::Moves ? s.moves : s.slides, referenceOptimum(*puzzle, m));
        }
    }
}

// The table's columns line up as a terminal shows them: names beyond ASCII, wide characters and
// a five-digit par; a listing's counts take the singular.
TEST(SolverReport, ColumnsAlignAndCountsReadRight) {
    LevelReport plain{LevelTitle::builtIn(1), solved(1).moves, solved(1).slides};
    LevelReport accented = plain, wide = plain;
    accented.title = {0,
                      "Caf\xC3\xA9 cr\xC3\xA8me br\xC3\xBBl\xC3\xA9"
                      "e x",
                      32767};
    wide.title = {0, "\xE8\xBF\xB7\xE5\xAE\xAB", 5};
    std::string text = tableText({plain, accented, wide});
    std::vector<int> columns; // where "20", the fewest moves of level 1, ends in each row
    for (std::size_t at = text.find('\n') + 1; columns.size() < 3; at = text.find('\n', at) + 1) {
        std::string row = text.substr(at, text.find('\n', at) - at);
        columns.push_back(utf8::columns(row.substr(0, row.find(" 20 ") + 3)));
    }
    EXPECT_EQ(columns[0], columns[1]) << text;
    EXPECT_EQ(columns[0], columns[2]) << text;
    // As a terminal shows them: an emoji two columns, an accent on its letter none.
    EXPECT_EQ(utf8::columns("\xF0\x9F\x9A\x80 go"), 5);
    EXPECT_EQ(utf8::columns("e\xCC\x81t\xC3\xA9"), 3);

    auto over = Puzzle::fromLayouts({"######", "#1***#", "######", "######", "######", "######"},
                                    {"######", "#*???#", "######", "######", "######", "######"});
    ASSERT_TRUE(over.has_value());
    std::string plan = planText({0, "Over", 5}, solve(*over, Metric::Moves), Metric::Moves);
    EXPECT_TRUE(plan.starts_with("Level \"Over\", par 5: 1 counted move (4 below par), 1 slide.\n"))
        << plan;
}

// Random bytes and mutated level files: each gives a fault on a line the text has, or a level
// whose search ends with an outcome and, if solved, a solution that plays by the rules.
TEST(SolverInput, LevelReaderSurvivesRandomAndMutatedFiles) {
    std::mt19937 rng(31337);
    const std::string junk = "0123456789ABCDEFGHIJKLMN#*?x \t\r\n\0\xff\xc3";
    int solvedCount = 0, faultCount = 0;
    for (int round = 0; round < rounds(3000); ++round) {
        std::string text = levelText(catalogue[rng() % catalogue.size()]);
        if (round % 10 == 0) {
            text.assign(rng() % 200, ' ');
            for (char& c : text)
                c = static_cast<char>(rng());
        } else if (round % 10 == 1) { // as old Mac editors and Windows ones may write it
            std::replace(text.begin(), text.end(), '\n', '\r');
            text = "\xEF\xBB\xBF" + text;
        } else if (round % 10 == 2) { // a character of two bytes somewhere
            text.insert(rng() % text.size(), "\xC3\xA9");
        }
        for (int edits = 1 + static_cast<int>(rng() % 3); edits > 0 && !text.empty(); --edits) {
            std::size_t at = rng() % text.size();
            char c = junk[rng() % junk.size()];
            switch (rng() % 4) {
            case 0:
                text[at] = c;
                break;
            case 1:
                text.insert(text.begin() + static_cast<std::ptrdiff_t>(at), c);
                break;
            case 2:
                text.erase(at, 1 + rng() % 8);
                break;
            default: // a whole line once more
                std::size_t from = text.rfind('\n', at) + 1, to = text.find('\n', at);
                text.insert(from, text.substr(from, to - from) + "\n");
            }
        }
        SCOPED_TRACE(::testing::PrintToString(text));
        LevelFileFault fault;
        auto level = parseLevel(text, fault);
        if (!level) {
            ++faultCount;
            // Lines end in LF, CR LF or CR: at most one line per line-end byte.
            int lines =
                static_cast<int>(std::count_if(text.begin(), text.end(),
                                               [](char c) { return c == '\n' || c == '\r'; })) +
                1;
            EXPECT_FALSE(fault.what.empty());
            EXPECT_GE(fault.line, 0);
            EXPECT_LE(fault.line, lines + 1);
            continue;
        }
        // The reader ran the same checks, so the rows make a puzzle.
        std::string why;
        auto puzzle = Puzzle::fromLayouts(level->startRows(), level->goalRows(), &why);
        ASSERT_TRUE(puzzle.has_value()) << why;
        Limits small;
        small.maxBytes = std::size_t{4} << 20;
        small.maxSeconds = 0.2;
        Solution s = solve(*puzzle, Metric::Slides, small);
        if (s.outcome != Solution::Outcome::Solved)
            continue;
        ++solvedCount;
        expectPlaysToTheGoal(*puzzle, s);
    }
    // Both kinds of outcome really happen.
    EXPECT_GT(solvedCount, 10);
    EXPECT_GT(faultCount, rounds(3000) / 3);
}

// Sliding-tile puzzles, solved by deepening: the plain search's optimum on random 3 x 3 and
// 2 x 4 boards, both measures alike, and none for the half of the orders that parity forbids.
TEST(SolverTiles, DeepeningFindsThePlainOptimum) {
    std::mt19937 rng(15);
    for (auto [height, width, boards] :
         {std::tuple{3, 3, rounds(4)}, std::tuple{2, 4, rounds(8)}}) {
        for (int round = 0; round < boards; ++round) {
            std::vector<int> tiles(static_cast<std::size_t>(height * width));
            std::iota(tiles.begin(), tiles.end(), 0);
            std::shuffle(tiles.begin(), tiles.end(), rng);
            Puzzle puzzle = tilePuzzle(height, width, tiles);
            int optimum = referenceOptimum(puzzle, Metric::Slides);
            for (Metric m : {Metric::Slides, Metric::Moves}) {
                SCOPED_TRACE(::testing::PrintToString(tiles));
                Solution s = solve(puzzle, m);
                if (optimum < 0) {
                    EXPECT_EQ(s.outcome, Solution::Outcome::NoSolution);
                    continue;
                }
                ASSERT_EQ(s.outcome, Solution::Outcome::Solved);
                expectPlaysToTheGoal(puzzle, s);
                EXPECT_EQ(s.slides, optimum);
                EXPECT_EQ(s.moves, optimum);
            }
        }
    }
}

// Known optima: the 8-puzzle's farthest order (31 slides) and one of Korf's 15-puzzles.
TEST(SolverTiles, KnownOptima) {
    Puzzle farthest = tilePuzzle(3, 3, {8, 0, 6, 5, 4, 7, 2, 3, 1});
    EXPECT_EQ(solve(farthest, Metric::Slides).slides, 31);
    Puzzle korf = tilePuzzle(4, 4, korfTwelve);
    Solution s = solve(korf, Metric::Slides);
    ASSERT_EQ(s.outcome, Solution::Outcome::Solved);
    expectPlaysToTheGoal(korf, s);
    EXPECT_EQ(s.slides, 45);
}

// Levels with more positions than a key numbers: twelve pieces on an open board one slide from
// the goal, and two walled-off rooms each easy alone. The count of pieces decides nothing.
TEST(SolverSearch, LevelsPastTheNumbering) {
    struct Case {
        Layout start, goal;
        int moves, slides;
    };
    const Case cases[] = {
        {{"123456", "789ABC", "******", "******", "******", "******"},
         {"123456", "789AB*", "*****C", "******", "******", "******"},
         1,
         1},
        {{"1234**", "567***", "######", "89A***", "BCD***", "******"},
         {"*1234*", "*567**", "######", "**89A*", "**BCD*", "******"},
         13,
         19},
    };
    for (const Case& c : cases) {
        auto puzzle = Puzzle::fromLayouts(c.start, c.goal);
        ASSERT_TRUE(puzzle.has_value());
        EXPECT_FALSE(puzzle->numbered());
        for (Metric m : {Metric::Moves, Metric::Slides}) {
            Solution s = solve(*puzzle, m);
            ASSERT_EQ(s.outcome, Solution::Outcome::Solved);
            expectPlaysToTheGoal(*puzzle, s);
            EXPECT_EQ(m == Metric::Moves ? s.moves : s.slides,
                      m == Metric::Moves ? c.moves : c.slides);
        }
    }
}

// A table that follows the empty square never says more than the fewest slides left, and never
// less than the table with the other tiles lifted off; somewhere it says more, or it would be
// no use.
TEST(SolverTiles, FollowedTablesBoundTheSlidesLeft) {
    Puzzle puzzle = tilePuzzle(3, 3, {0, 1, 2, 3, 4, 5, 6, 7, 8});
    std::vector<int> pieces{0, 1, 2, 3};
    PatternTable lifted(puzzle, pieces), followed(puzzle, pieces, PatternTable::Empty::Followed);
    std::mt19937 rng(21);
    Position p = puzzle.start();
    bool stronger = false;
    for (int round = 0; round < 12; ++round) {
        for (int step = 0; step < 40; ++step) {
            std::vector<std::pair<int, int>> legal;
            puzzle.forEachSlide(p, [&](int k, int d) { legal.emplace_back(k, d); });
            auto [k, d] = legal[rng() % legal.size()];
            p = puzzle.slid(p, k, d);
        }
        auto cells = puzzle.layout(p);
        std::array<std::string, 6> rows;
        for (int r = 0; r < 6; ++r)
            rows[r] = std::string(cells.begin() + 6 * r, cells.begin() + 6 * r + 6);
        Layout start{rows[0], rows[1], rows[2], rows[3], rows[4], rows[5]};
        int left = referenceSolve(start, puzzle.goalRows(), Metric::Slides).optimum;
        int weak = lifted.distance(lifted.indexOf(p));
        int strong = followed.distance(followed.indexOf(p));
        EXPECT_LE(weak, strong);
        EXPECT_LE(strong, left);
        stronger |= strong > weak;
    }
    EXPECT_TRUE(stronger);
}

// Under a small memory limit the deepening search measures smaller tables and still lists the
// optimum, its tables within the limit.
TEST(SolverTiles, SmallMemoryLimitsKeepTheOptimum) {
    Limits small;
    small.maxBytes = std::size_t{6} << 20;
    Solution s = solve(tilePuzzle(4, 4, korfTwelve), Metric::Slides, small);
    ASSERT_EQ(s.outcome, Solution::Outcome::Solved);
    EXPECT_EQ(s.slides, 45);
    EXPECT_LE(s.peakBytes, small.maxBytes);
}
