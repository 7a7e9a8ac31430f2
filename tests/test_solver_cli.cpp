// nudgeboard-solve as a user runs it: the table, one level's keystrokes, bad arguments and
// files, limits, and output that cannot be written.
#include "board.h"
#include "effort.h"
#include "levels/catalogue.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <optional>
#include <random>
#include <sstream>
#include <string>
#include <vector>

#if !defined(_WIN32)
#include <sys/wait.h>
#include <unistd.h>
#endif

using namespace nudgeboard;
namespace fs = std::filesystem;

namespace {

struct Outcome {
    int status;
    std::string out, err;
};

// A folder of its own for each test program, removed at the end.
const fs::path& scratch() {
    static const struct Folder {
        fs::path path = fs::temp_directory_path() /
                        ("nudgeboard-solve-test-" + std::to_string(std::random_device()()));
        Folder() { fs::create_directories(path); }
        ~Folder() {
            std::error_code ignored;
            fs::remove_all(path, ignored);
        }
    } folder;
    return folder.path;
}

std::string quoted(const std::string& s) {
#if defined(_WIN32)
    return "\"" + s + "\"";
#else
    std::string q = "'";
    for (char c : s)
        q += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return q + "'";
#endif
}

// The program as built; under Wine a path on the build machine is seen through drive Z.
std::string program() {
    std::string path = NUDGEBOARD_SOLVE;
#if defined(_WIN32)
    if (path.starts_with("/"))
        path = "Z:" + path;
    for (char& c : path)
        if (c == '/')
            c = '\\';
#endif
    return path;
}

std::string slurp(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::stringstream text;
    text << in.rdbuf();
    std::string s = text.str();
    std::erase(s, '\r'); // Windows line ends
    return s;
}

// Runs the program; `output` is where standard output goes ("" for a file read back), and
// `before` a shell command run first in the same shell.
Outcome solveCommand(const std::vector<std::string>& arguments, const std::string& output = "",
                     const std::string& before = "") {
    fs::path out = scratch() / "out.txt", err = scratch() / "err.txt";
    std::string command = quoted(program());
    for (const std::string& a : arguments)
        command += " " + quoted(a);
    command += (output.empty() ? " > " + quoted(out.string()) : " " + output) + " 2> " +
               quoted(err.string());
    if (!before.empty())
        command = before + "; exec " + command;
#if defined(_WIN32)
    // -1 means the command processor itself did not start (Wine, now and then, when starts
    // follow each other closely); the program never ran, so it is started once more.
    int status = std::system(("\"" + command + "\"").c_str());
    if (status == -1)
        status = std::system(("\"" + command + "\"").c_str());
#else
    int raw = std::system(command.c_str());
    int status = WIFEXITED(raw) ? WEXITSTATUS(raw) : 128 + WTERMSIG(raw);
#endif
    Outcome o{status, output.empty() ? slurp(out) : "", slurp(err)};
    fs::remove(out);
    fs::remove(err);
    return o;
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> all;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        if (!line.empty())
            all.push_back(line);
    return all;
}

bool contains(const std::string& text, const std::string& part) {
    return text.find(part) != std::string::npos;
}

// A table row's columns: the texts between runs of two or more spaces.
std::vector<std::string> columns(const std::string& row) {
    std::vector<std::string> all;
    for (std::size_t at = row.find_first_not_of(' '); at != std::string::npos;) {
        std::size_t end = row.find("  ", at);
        all.push_back(row.substr(at, end - at));
        at = row.find_first_not_of(' ', end);
    }
    return all;
}

// A count as printed: digits only, else -1.
long long count(const std::string& text) {
    if (text.empty() || text.size() > 18 || text.find_first_not_of("0123456789") != text.npos)
        return -1;
    return std::stoll(text);
}

// One step of a listing: "  3. click row 4, column 5; release Left, Up.    Moves: 3 (24)".
struct PrintedStep {
    int row = 0, column = 0;
    std::string keys, counter;
};

std::optional<PrintedStep> printedStep(const std::string& line) {
    PrintedStep step;
    char keys[80] = {};
    int end = 0;
    if (std::sscanf(line.c_str(), " %*d. click row %d, column %d; release %79[A-Za-z, ].%n",
                    &step.row, &step.column, keys, &end) != 3 ||
        end == 0)
        return std::nullopt;
    std::size_t counter = line.find_first_not_of(' ', static_cast<std::size_t>(end));
    if (counter == line.npos || !line.substr(counter).starts_with("Moves: "))
        return std::nullopt;
    step.keys = keys;
    step.counter = line.substr(counter);
    return step;
}

// The key a listing names; a name the game has no key for fails the test.
int keyCode(const std::string& name) {
    for (const Arrow& arrow : arrows)
        if (arrow.name == name)
            return arrow.keyCode;
    ADD_FAILURE() << "no arrow key is called \"" << name << "\"";
    return 0;
}

// A level in a file's form, with a blank line between the boards and `end` for line ends.
std::string levelFile(const Level& level, const std::string& end = "\r\n") {
    std::string text = std::string(level.name) + end + std::to_string(level.par) + end;
    for (const Layout* rows : {&level.start, &level.goal}) {
        for (auto row : *rows)
            text += std::string(row) + end;
        text += end;
    }
    return text;
}

std::string written(const std::string& name, const std::string& text) {
    fs::path path = scratch() / name;
    std::ofstream(path, std::ios::binary) << text;
    return path.string();
}

// A 4 x 4 block with two empty squares, its pieces in reverse order: far too many positions to
// search.
const std::string crowded = "Crowded\n10\n######\n#EDCB#\n#A987#\n#6543#\n#21**#\n######\n"
                            "######\n#1234#\n#5678#\n#9ABC#\n#DE**#\n######\n";

} // namespace

// A header and one row per level in menu order: name, par, and the verdict its moves call for.
TEST(SolverCommandLine, TableListsEveryLevel) {
    Outcome run = solveCommand({});
    ASSERT_EQ(run.status, 0) << run.err;
    EXPECT_TRUE(run.err.empty());
    auto rows = lines(run.out);
    ASSERT_EQ(rows.size(), 1u + levelCountBuiltIn + 1) << run.out;
    EXPECT_EQ(columns(rows[0]), (std::vector<std::string>{"#", "Level", "Par", "Moves", "Slides",
                                                          "Positions", "Seconds", "Fewest moves"}))
        << rows[0];
    std::vector<std::string> below;
    for (int level = 1; level <= levelCountBuiltIn; ++level) {
        SCOPED_TRACE(rows[level]);
        auto c = columns(rows[level]);
        ASSERT_EQ(c.size(), 8u);
        EXPECT_EQ(count(c[0]), level);
        EXPECT_EQ(c[1], Form1::levelName(level));
        long long par = count(c[2]), moves = count(c[3]);
        EXPECT_EQ(par, Form1::levelPar(level));
        EXPECT_GT(moves, 0);
        EXPECT_GE(count(c[4]), moves); // never fewer slides than counted moves
        EXPECT_GT(count(c[5]), 0);
        EXPECT_EQ(c[6].find_first_not_of("0123456789."), c[6].npos) << "seconds";
        std::string verdict = moves < par    ? std::to_string(par - moves) + " below par"
                              : moves == par ? "at par"
                                             : std::to_string(moves - par) + " above par";
        EXPECT_EQ(c[7], verdict);
        if (moves < par)
            below.push_back(std::to_string(level));
    }
    EXPECT_EQ(rows.back().starts_with("Solvable in fewer moves than par"), !below.empty());
    for (const std::string& level : below)
        EXPECT_TRUE(contains(rows.back(), " " + level + " (")) << level;
}

// The printed keystrokes, entered into the core, solve the level with the printed counter texts.
TEST(SolverCommandLine, PrintedSolutionPlaysThroughTheCore) {
    for (auto [arguments, level] :
         {std::pair{std::vector<std::string>{"--level", "5"}, 5},
          std::pair{std::vector<std::string>{"--level=6", "--slides"}, 6}}) {
        SCOPED_TRACE(arguments[0]);
        Outcome run = solveCommand(arguments);
        ASSERT_EQ(run.status, 0) << run.err;
        Form1 form;
        form.Show();
        form.mnuL_Click(level);
        int steps = 0;
        for (const std::string& line : lines(run.out)) {
            auto step = printedStep(line);
            if (!step)
                continue;
            ++steps;
            ASSERT_EQ(form.solved, 0) << "solved early";
            form.Grid_Click(cellIndex(step->row - 1, step->column - 1)); // rows and columns from 1
            const std::string& keys = step->keys;
            for (std::size_t at = 0; at < keys.size();) {
                std::size_t end = std::min(keys.find(", ", at), keys.size());
                form.Form_KeyUp(keyCode(keys.substr(at, end - at)), 0);
                at = end + 2;
            }
            EXPECT_EQ(form.numMoves.caption, step->counter);
        }
        EXPECT_GT(steps, 0);
        EXPECT_EQ(form.Nameof.caption, "SOLVED!!");
        EXPECT_TRUE(run.out.ends_with("SOLVED!! " + form.numMoves.caption + "\n"));
    }
}

TEST(SolverCommandLine, HelpExplainsTheOptionsAndVersionIsTheProjects) {
    Outcome run = solveCommand({"--help"});
    EXPECT_EQ(run.status, 0);
    for (const char* option : {"--level", "--slides", "--file", "--level-steps", "--memory-limit",
                               "--time-limit", "--version", "Exit status"})
        EXPECT_TRUE(contains(run.out, option)) << option << " missing in " << run.out;
    EXPECT_TRUE(run.err.empty());
    run = solveCommand({"--version"});
    EXPECT_EQ(run.status, 0);
    EXPECT_EQ(run.out, "nudgeboard-solve " NUDGEBOARD_VERSION "\n");
}

// Each bad argument: one line on standard error that says what is wrong, nothing on standard
// output, status 2.
TEST(SolverCommandLine, BadArgumentsExitWithStatusTwo) {
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--level", "9"}, "there is no level 9"},
        {{"--level", "0"}, "there is no level 0"},
        {{"--level", "-3"}, "there is no level -3"},
        {{"--level", "99999999999999"}, "there is no level 99999999999999"},
        {{"--level", "abc"}, "\"abc\" is not a whole number"},
        {{"--level", "2.5"}, "\"2.5\" is not a whole number"},
        {{"--level"}, "--level"},
        {{"--colour"}, "--colour"},
        {{"--slides"}, "--slides"},
        {{"--level", "1", "x"}, "x"},
        {{"--level", "1", "--level", "2"}, "--level"},
        {{"--file"}, "--file"},
        {{"--file", "--slides"}, "\"--slides\" is an option, not a file name"},
        {{"--level-steps"}, "--level-steps"},
        {{"--level", "1", "--file", "level.txt"}, "--file"},
        {{"--memory-limit", "8"}, "--memory-limit 8 is out of range: 16 to 1048576"},
        {{"--time-limit", "0"}, "--time-limit 0 is out of range: 1 to 604800"},
        // Decimal only: no hexadecimal, and a leading zero is no octal (see below).
        {{"--memory-limit", "0x40"}, "\"0x40\" is not a whole number"},
        {{"--time-limit", "ten"}, "\"ten\" is not a whole number"},
        {{"--file", "-"}, "\"-\" is not read as standard input"},
        {{"--file", ""}, "the file name is empty"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(arguments[0] + (arguments.size() > 1 ? " " + arguments[1] : ""));
        Outcome run = solveCommand(arguments);
        EXPECT_EQ(run.status, 2);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(run.err.starts_with("nudgeboard-solve: ")) << run.err;
        EXPECT_TRUE(contains(run.err, message)) << run.err;
    }
}

// A built-in level written to a file solves as the built-in one: the same table row but for
// its number and time, the same keystrokes; a byte-order mark and old Mac line ends too.
TEST(SolverCommandLine, LevelFromAFileSolvesLikeTheBuiltIn) {
    std::string path = written("six.txt", levelFile(catalogue[5]));
    Outcome table = solveCommand({"--file", path});
    ASSERT_EQ(table.status, 0) << table.err;
    Outcome builtIn = solveCommand({});
    auto rows = lines(table.out), builtInRows = lines(builtIn.out);
    ASSERT_EQ(rows.size(), 3u) << table.out;
    // All but the number and the seconds.
    auto measured = [](const std::string& row) {
        auto c = columns(row);
        if (c.size() == 8) {
            c.erase(c.begin() + 6);
            c.erase(c.begin());
        }
        return c;
    };
    EXPECT_EQ(rows[0], builtInRows[0]);
    EXPECT_TRUE(rows[1].starts_with(" -  Small Puzzle #2"));
    EXPECT_EQ(measured(rows[1]), measured(builtInRows[6]));

    Outcome builtInSteps = solveCommand({"--level", "6", "--slides"});
    std::string expected = builtInSteps.out;
    ASSERT_TRUE(expected.starts_with("Level 6 ")) << expected;
    expected.replace(0, 8, "Level ");
    for (const std::string& text :
         {levelFile(catalogue[5]), "\xEF\xBB\xBF" + levelFile(catalogue[5], "\r")}) {
        Outcome steps =
            solveCommand({"--file", written("six.txt", text), "--level-steps", "--slides"});
        ASSERT_EQ(steps.status, 0) << steps.err;
        EXPECT_EQ(steps.out, expected);
    }
}

// A listing ends at the first solved position, and a start that already matches its goal says
// how to make the game see it.
TEST(SolverCommandLine, ListingsEndWhereTheGameDeclaresTheLevelSolved) {
    const std::string walls = "######\n######\n######\n######\n";
    Outcome over = solveCommand(
        {"--file",
         written("over.txt", "Over\n5\n######\n#1***#\n" + walls + "######\n#*???#\n" + walls),
         "--level-steps"});
    ASSERT_EQ(over.status, 0) << over.err;
    EXPECT_EQ(over.out, "Level \"Over\", par 5: 1 counted move (4 below par), 1 slide.\n"
                        "Click the cell (row and column from 1 at the top left of the play "
                        "board),\nthen release the arrow keys.\n"
                        "  1. click row 2, column 2; release Right.                       "
                        "Moves: 1 (5)\nSOLVED!! Moves: 1 (5)\n");
    Outcome done = solveCommand(
        {"--file",
         written("done.txt", "Done\n5\n######\n#1***#\n" + walls + "######\n#1???#\n" + walls),
         "--level-steps"});
    ASSERT_EQ(done.status, 0) << done.err;
    EXPECT_TRUE(contains(done.out, "release any arrow key once")) << done.out;
    EXPECT_TRUE(done.out.ends_with("SOLVED!! Moves: 0 (5)\n"));
}

// Each bad file: one line on standard error naming the file and the line, nothing on standard
// output; status 2, or 1 for a level that is sound but has no solution.
TEST(SolverCommandLine, BadLevelFilesAreRefusedClearly) {
    const std::string good = levelFile(catalogue[4], "\n");
    auto edited = [&](int line, const std::string& text) {
        std::vector<std::string> parts;
        std::istringstream in(good);
        for (std::string l; std::getline(in, l);)
            parts.push_back(l);
        parts[line - 1] = text;
        std::string joined;
        for (const std::string& p : parts)
            joined += p + "\n";
        return joined;
    };
    std::string walls;
    for (int i = 0; i < 5; ++i)
        walls += "######\n";
    struct Case {
        std::string text;
        std::string message;
        int status = 2;
    };
    const Case cases[] = {
        {"", ": the file is empty"},
        {good.substr(0, good.find("#A*01#")),
         ":6: start row 4 is missing: the file ends after line 5"},
        {edited(2, "twenty"), ":2: the par \"twenty\" is not a whole number from 1 to 32767"},
        {edited(4, "#22*7"), ":4: start row 2 has 5 characters, not 6"},
        {edited(5, "#A2*j#"), ":5: start row 3 column 5 holds \"j\", which is no layout character"},
        // Characters, not bytes: "é" is one character of two bytes.
        {edited(5, "#A2*\xC3\xA9#"),
         ":5: start row 3 column 5 holds \"\xC3\xA9\", which is no layout character"},
        {edited(5, "#A2*1\xC3\xA9#"), ":5: start row 3 has 7 characters, not 6"},
        {edited(11, "#0???*"), ":11: goal row 2 column 6 has no wall where the start has one"},
        {edited(5, "#A2*2#"),
         ":5: start row 3 column 5: piece \"2\" is split into separate groups"},
        {edited(13, "#??2?#"),
         ":13: goal row 4 column 4: piece \"2\" does not have its start shape"},
        {edited(7, std::string("#4*0\0#", 6)),
         ":7: byte 0x00 in column 5: this is not a text file"},
        {good + "#?????\n", ":17: unexpected text after the six goal rows"},
        {good.substr(0, good.find('\n') + 1) + good.substr(good.find('\n', good.find('\n') + 1)),
         ":3: the par line is missing: line 3 should hold the par, a whole number"},
        // Names are printed: no tab, no control character, nothing that reorders the line.
        {"Bad\tname" + good.substr(good.find('\n')),
         ":1: the name holds a tab in column 4: a name is printable text"},
        {"Bad \xC2\x9B" + good.substr(good.find('\n')),
         ":1: the name holds U+009B in column 5: a name is printable text"},
        {"\xE2\x80\xAE"
         "Bad" +
             good.substr(good.find('\n')),
         ":1: the name holds U+202E in column 1: a name is printable text"},
        // Two pieces in a corridor cannot change places.
        {"Swap\n5\n12****\n" + walls + "21****\n" + walls,
         ": the level cannot be solved: no sequence of moves reaches the goal", 1},
        // The same in a dead-end row while eight pieces wander the rest: walls part the board,
        // and the row alone shows there is no solution.
        {"Swap\n5\nAB****\n######\n1***7*\n*4**6*\n8**2**\n*5***3\n"
         "BA????\n######\n??????\n??????\n??????\n??????\n",
         ": the level cannot be solved: no sequence of moves reaches the goal", 1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.message);
        std::string path = written("level.txt", c.text);
        Outcome run = solveCommand({"--file", path});
        EXPECT_EQ(run.status, c.status);
        EXPECT_TRUE(run.out.empty()) << run.out;
        EXPECT_EQ(run.err, "nudgeboard-solve: " + path + c.message + "\n");
    }
    for (const std::string& path : {(scratch() / "absent.txt").string(), scratch().string()}) {
        Outcome run = solveCommand({"--file", path});
        EXPECT_EQ(run.status, 2);
        EXPECT_EQ(lines(run.err).size(), 1u);
        EXPECT_TRUE(run.err.starts_with("nudgeboard-solve: " + path + ": ")) << run.err;
    }
}

// A search that runs out of memory or time says which, with status 1; so does a table row.
TEST(SolverCommandLine, SearchesThatRunOutSaySo) {
    std::string path = written("crowded.txt", crowded);
    const std::pair<std::vector<std::string>, std::string> cases[] = {
        {{"--file", path, "--memory-limit", "16"}, "ran out of memory at "},
        {{"--file", path, "--memory-limit", "0100"}, "(its limit is 100 MiB;"},
        {{"--file", path, "--time-limit", "1"}, "ran out of time after "},
        {{"--memory-limit", "16"}, "gave up: it ran out of memory"},
    };
    for (const auto& [arguments, message] : cases) {
        SCOPED_TRACE(message);
        Outcome run = solveCommand(arguments);
        EXPECT_EQ(run.status, 1);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(contains(run.err, message)) << run.err;
        // Only the table prints: its rows say which search gave up.
        EXPECT_EQ(contains(run.out, "gave up"), arguments[0] != "--file") << run.out;
    }
}

#if !defined(_WIN32)
// Where the system's memory ends before the memory limit: a message, status 1, no abort.
TEST(SolverCommandLine, SystemMemoryThatRunsOutGetsAMessage) {
    if (nudgeboard::testing::addressSanitizer)
        GTEST_SKIP() << "the address sanitizer's shadow memory needs more than the limit";
    Outcome starved =
        solveCommand({"--file", written("crowded.txt", crowded)}, "", "ulimit -v 400000");
    EXPECT_EQ(starved.status, 1);
    EXPECT_EQ(lines(starved.err).size(), 1u) << starved.err;
    EXPECT_TRUE(contains(starved.err, "ran out of memory")) << starved.err;
}

// Output that cannot be written: one line naming it, a status of its own.
TEST(SolverCommandLine, OutputThatCannotBeWrittenGetsAStatusOfItsOwn) {
    if (!fs::exists("/dev/full"))
        GTEST_SKIP() << "no /dev/full here";
    const std::pair<std::vector<std::string>, std::string> writes[] = {
        {{"--level", "1"}, "> /dev/full"},
        {{"--level", "4", "--slides"}, "> /dev/full"}, // longer than the output's buffer
        {{}, "> /dev/full"},
        {{"--help"}, "> /dev/full"},
        {{"--level", "1"}, ">&-"},
    };
    for (const auto& [arguments, output] : writes) {
        SCOPED_TRACE(output);
        Outcome run = solveCommand(arguments, output);
        EXPECT_EQ(run.status, 3);
        EXPECT_EQ(lines(run.err).size(), 1u) << run.err;
        EXPECT_TRUE(run.err.starts_with("nudgeboard-solve: cannot write to standard output"))
            << run.err;
        if (output == "> /dev/full") {
            EXPECT_TRUE(contains(run.err, "No space left on device")) << run.err;
        }
    }
    // A pipe whose reader has gone: the same, not a silent end by signal.
    int ends[2];
    ASSERT_EQ(pipe(ends), 0);
    close(ends[0]);
    fs::path err = scratch() / "pipe-err.txt";
    pid_t child = fork();
    if (child == 0) {
        dup2(ends[1], STDOUT_FILENO);
        freopen(err.c_str(), "w", stderr);
        execl(program().c_str(), program().c_str(), "--level", "1", static_cast<char*>(nullptr));
        _exit(127);
    }
    close(ends[1]);
    int raw = 0;
    waitpid(child, &raw, 0);
    ASSERT_TRUE(WIFEXITED(raw)) << "ended by signal " << WTERMSIG(raw);
    EXPECT_EQ(WEXITSTATUS(raw), 3);
    EXPECT_EQ(slurp(err), "nudgeboard-solve: cannot write to standard output: Broken pipe\n");
}
#endif
