// nudgeboard-solve: the fewest moves for every built-in level, one level's solution, or a level
// of one's own from a file.
#include "levels/catalogue.h"
#include "solver/levelfile.h"
#include "solver/report.h"
#include "solver/terminal.h"

#include <CLI/CLI.hpp>
#include <cerrno>
#include <charconv>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>

namespace {

using namespace nudgeboard;
using solver::Solution;

// Exit statuses: 0 solved, 1 no solution or the search gave up, 2 bad arguments or a bad level
// file, 3 the output could not be written, 4 a fault inside the solver.
constexpr int unsolved = 1;
constexpr int badInput = 2;
constexpr int writeFailed = 3;
constexpr int internalError = 4;

// The limits' defaults and ranges come from the build, which gives the manual page the same.
constexpr int defaultMemoryMiB = NUDGEBOARD_SOLVE_MEMORY_MIB;
constexpr int leastMemoryMiB = NUDGEBOARD_SOLVE_LEAST_MIB;
constexpr int mostMemoryMiB = NUDGEBOARD_SOLVE_MOST_MIB;
constexpr int defaultSeconds = NUDGEBOARD_SOLVE_SECONDS;
constexpr int leastSeconds = NUDGEBOARD_SOLVE_LEAST_SECONDS;
constexpr int mostSeconds = NUDGEBOARD_SOLVE_MOST_SECONDS;
// The memory limit covers the whole program: its code, libraries and small allocations take
// this much before the search counts a byte (measured peak resident size of a run that stores
// next to nothing, with room to spare).
constexpr std::size_t programBytes = std::size_t{NUDGEBOARD_SOLVE_PROGRAM_MIB} << 20;

int complain(const std::string& what, int status) {
    std::cerr << "nudgeboard-solve: " << what << "\n";
    return status;
}

// Why standard output first failed, kept from the write that failed: later ones leave errno
// alone or change it.
std::string writeFault;

// Runs one write to standard output unless one has failed already, keeping the failure's reason.
template <class Write> void attempt(Write&& write) {
    if (std::cout.fail())
        return;
    errno = 0;
    write();
    if (std::cout.fail())
        writeFault = errno != 0 ? std::string(": ") + std::strerror(errno) : ": a write failed";
}

// Everything printed goes through here and reaches standard output, or `finish` says why not.
void print(const std::string& text) {
    attempt([&] { std::cout << text; });
}

// The run's status, or one of its own if standard output could not be written.
int finish(int status) {
    attempt([] { std::cout.flush(); });
    if (!std::cout.fail())
        return status;
    return complain("cannot write to standard output" + writeFault, writeFailed);
}

std::string mib(std::size_t bytes) {
    return std::to_string((bytes + (std::size_t{1} << 19)) >> 20) + " MiB";
}

// Why a search gave up, and the option that allows it more.
std::string gaveUpText(const Solution& s, const solver::Limits& limits) {
    std::string stored = ", having stored " + std::to_string(s.states) + " positions";
    switch (s.ranOut) {
    case Solution::Shortage::Memory:
        return "ran out of memory at " + mib(programBytes + s.peakBytes) + stored +
               " (its limit is " + mib(programBytes + limits.maxBytes) +
               "; --memory-limit sets it)";
    case Solution::Shortage::SystemMemory:
        return "ran out of memory at " + mib(programBytes + s.peakBytes) + stored +
               ", the most the system would give";
    case Solution::Shortage::Time: {
        char seconds[32];
        std::snprintf(seconds, sizeof seconds, "%.1f", s.seconds);
        return std::string("ran out of time after ") + seconds + " s" + stored +
               " (--time-limit allows longer)";
    }
    default:
        return "went deeper than 65535 steps" + stored;
    }
}

// While a search runs on a terminal: one line on standard error, rewritten a few times a second
// and cleared at the end.
class ProgressLine {
public:
    explicit ProgressLine(solver::Limits& limits) {
        if (!solver::standardErrorIsTerminal())
            return;
        limits.onProgress = [this](const solver::Progress& p) {
            char line[120];
            std::snprintf(line, sizeof line, "\rsearching: %llu positions, depth %d, %.1f s, %s   ",
                          static_cast<unsigned long long>(p.positions), p.depth, p.seconds,
                          mib(p.bytes).c_str());
            width_ = std::max(width_, std::strlen(line));
            std::cerr << line << std::flush;
        };
    }
    ~ProgressLine() { clear(); }
    void clear() {
        if (width_ > 0)
            std::cerr << '\r' << std::string(width_, ' ') << '\r' << std::flush;
        width_ = 0;
    }

private:
    std::size_t width_ = 0;
};

// The table row of a level from a file, or one of its solutions step by step.
int solveFile(const std::string& path, bool steps, solver::Metric metric,
              const solver::Limits& limits) {
    std::string error;
    auto file = solver::readLevelFile(path, error);
    if (!file)
        return complain(error, badInput);
    auto puzzle = solver::Puzzle::fromLayouts(file->startRows(), file->goalRows(), &error);
    if (!puzzle) // the reader ran the same checks: a fault of the solver's
        throw solver::InternalError(path + ": " + error);
    solver::LevelTitle title{0, file->name, file->par};
    solver::LevelReport report;
    solver::Limits withProgress = limits;
    ProgressLine progress(withProgress);
    if (steps)
        (metric == solver::Metric::Moves ? report.moves : report.slides) =
            solver::solve(*puzzle, metric, withProgress);
    else
        report = solver::solveLevel(*puzzle, title, withProgress);
    progress.clear();
    const Solution& asked =
        steps && metric == solver::Metric::Slides ? report.slides : report.moves;
    if (asked.outcome == Solution::Outcome::NoSolution)
        return complain(
            path + ": the level cannot be solved: no sequence of moves reaches the goal", unsolved);
    if (asked.outcome == Solution::Outcome::GaveUp)
        return complain(path + ": the search gave up without finding a solution: it " +
                            gaveUpText(asked, limits),
                        unsolved);
    report.title = title;
    print(steps ? solver::planText(title, asked, metric) : solver::tableText({report}));
    int status = finish(0);
    if (status == 0 && !steps && report.slides.outcome == Solution::Outcome::GaveUp)
        return complain(path + ": the fewest-slides search gave up: it " +
                            gaveUpText(report.slides, limits),
                        unsolved);
    return status;
}

// One built-in level's solution step by step.
int solveBuiltIn(int level, solver::Metric metric, const solver::Limits& limits) {
    auto puzzle = solver::Puzzle::builtIn(level);
    solver::Limits withProgress = limits;
    ProgressLine progress(withProgress);
    Solution solution = solver::solve(*puzzle, metric, withProgress);
    progress.clear();
    if (solution.outcome == Solution::Outcome::GaveUp)
        return complain("level " + std::to_string(level) +
                            ": the search gave up without finding a solution: it " +
                            gaveUpText(solution, limits),
                        unsolved);
    print(solver::planText(solver::LevelTitle::builtIn(level), solution, metric));
    return finish(solution.outcome == Solution::Outcome::Solved ? 0 : unsolved);
}

// The table of all built-in levels.
int solveAll(const solver::Limits& limits) {
    std::vector<solver::LevelReport> reports;
    {
        solver::Limits withProgress = limits;
        ProgressLine progress(withProgress);
        for (int l = 1; l <= levelCountBuiltIn; ++l)
            reports.push_back(solver::solveLevel(l, withProgress));
    }
    print(solver::tableText(reports));
    int status = finish(0);
    for (const auto& r : reports)
        for (const Solution* s : {&r.moves, &r.slides})
            if (status == 0 && s->outcome != Solution::Outcome::Solved)
                status = complain("level " + std::to_string(r.title.number) + ": the " +
                                      (s == &r.moves ? "fewest-moves" : "fewest-slides") +
                                      " search gave up: it " + gaveUpText(*s, limits),
                                  unsolved);
    return status;
}

// A whole number from `low` to `high` in `text`, or why not.
std::string wholeNumberFault(const std::string& text, long long low, long long high,
                             const std::string& outside) {
    long long n = 0;
    auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), n);
    bool digits = end == text.data() + text.size() && !text.empty();
    if (error == std::errc::result_out_of_range && digits)
        return outside;
    if (error != std::errc() || !digits)
        return "\"" + text + "\" is not a whole number";
    if (n < low || n > high)
        return outside;
    return {};
}

// A limit's option, as its help tells it: what it limits, then its range and default, then what
// happens past it.
struct LimitOption {
    std::string name, unit, what, past;
    int least, most, byDefault;
};

// Adds a limit's option, which takes a decimal whole number in its range; `text` holds the
// default until the option gives another.
void addLimitOption(CLI::App& app, const LimitOption& limit, std::string& text) {
    std::string least = std::to_string(limit.least), most = std::to_string(limit.most);
    text = std::to_string(limit.byDefault);
    app.add_option(limit.name, text,
                   limit.what + " (" + least + " to " + most + "; default " + text + ")" +
                       limit.past)
        ->type_name(limit.unit)
        ->check(CLI::Validator(
            [=](std::string& value) {
                return wholeNumberFault(value, limit.least, limit.most,
                                        limit.name + " " + value + " is out of range: " + least +
                                            " to " + most);
            },
            least + "-" + most, "limit"));
}

// What a file name cannot be, if anything.
std::string fileNameFault(const std::string& text) {
    if (text.empty())
        return "the file name is empty";
    if (text == "-")
        return "\"-\" is not read as standard input: give the level file's name (./- for a file "
               "of that name)";
    // "--file --slides" would otherwise read the option as the file's name.
    if (text.starts_with("-"))
        return "\"" + text + "\" is an option, not a file name (write ./" + text +
               " for a file of that name)";
    return {};
}

} // namespace

int main(int argc, char** argv) try {
#if defined(SIGPIPE)
    // A closed output pipe is a failed write, answered like any other, not a silent death.
    std::signal(SIGPIPE, SIG_IGN);
#endif
    CLI::App app{"Finds the fewest moves that solve Nudgeboard's built-in levels, or a level of "
                 "your own. Without options it prints a table of every built-in level: par, fewest "
                 "counted moves (sliding the piece that moved last again counts no new move), "
                 "fewest single-cell slides, positions searched and time taken.",
                 "nudgeboard-solve"};
    app.footer("Exit status: 0 solved; 1 the level cannot be solved, or a search gave up (out of "
               "memory or time; for the table, any row); 2 a bad argument or level file; 3 "
               "standard output could not be written; 4 an internal error of the solver. Every "
               "status but 0 comes with one line on standard error. On a terminal, a line on "
               "standard error shows a running search's progress.");
    std::string levelText; // checked below, then read as a decimal number
    std::string path;
    bool slides = false;
    bool steps = false;
    // Their defaults until their options give others; read as decimal numbers once checked, like
    // the level.
    std::string memoryText;
    std::string secondsText;
    const std::string levels = "1-" + std::to_string(levelCountBuiltIn);
    auto* levelOption =
        app.add_option("--level", levelText,
                       "Print one solution of level N (" + levels +
                           ") with the fewest counted moves, as cells to click and arrow keys "
                           "to release")
            ->type_name("N")
            ->check(CLI::Validator(
                [](std::string& text) {
                    return wholeNumberFault(text, 1, levelCountBuiltIn,
                                            "there is no level " + text + "; levels are 1 to " +
                                                std::to_string(levelCountBuiltIn));
                },
                levels, "level number"));
    auto* fileOption =
        app.add_option("--file", path,
                       "Solve the level in file LEVEL and print its table row. The file holds a "
                       "name line, a par line (1-32767), six start rows and six goal rows of six "
                       "layout characters each (0-9, A-N, # wall, * empty, ? any, in goal rows "
                       "only); blank lines are skipped")
            ->type_name("LEVEL")
            ->excludes(levelOption)
            ->check(CLI::Validator([](std::string& text) { return fileNameFault(text); }, "",
                                   "file name"));
    auto* stepsOption =
        app.add_flag("--level-steps", steps,
                     "With --file: print one solution step by step instead, as --level does. A "
                     "listing ends at the first key release that shows the goal; for a start that "
                     "is its goal already it says to release any arrow key once")
            ->needs(fileOption);
    app.add_flag(
        "--slides", slides,
        "With --level, or --file and --level-steps: the fewest single-cell slides instead");
    addLimitOption(app,
                   {"--memory-limit", "MIB", "The most memory the program may take, in MiB",
                    "; past it the search gives up", leastMemoryMiB, mostMemoryMiB,
                    defaultMemoryMiB},
                   memoryText);
    addLimitOption(app,
                   {"--time-limit", "SECONDS",
                    "The longest a level's searches may take, in seconds",
                    "; past them they give up", leastSeconds, mostSeconds, defaultSeconds},
                   secondsText);
    app.set_version_flag("--version", "nudgeboard-solve " NUDGEBOARD_VERSION,
                         "Print the version and exit");
    try {
        app.parse(argc, argv);
        if (slides && !*levelOption && !*stepsOption)
            throw CLI::ValidationError("--slides", "needs --level, or --file with --level-steps");
    } catch (const CLI::CallForHelp&) {
        print(app.help());
        return finish(0);
    } catch (const CLI::CallForVersion& e) {
        print(std::string(e.what()) + "\n");
        return finish(0);
    } catch (const CLI::ParseError& e) {
        return complain(std::string(e.what()) + " (see --help)", badInput);
    }

    solver::Limits limits;
    limits.maxBytes = (static_cast<std::size_t>(std::stoi(memoryText)) << 20) - programBytes;
    limits.maxSeconds = std::stoi(secondsText);
    auto metric = slides ? solver::Metric::Slides : solver::Metric::Moves;
    if (*fileOption)
        return solveFile(path, steps, metric, limits);
    if (*levelOption)
        return solveBuiltIn(std::stoi(levelText), metric, limits);
    return solveAll(limits);
} catch (const nudgeboard::solver::InternalError& e) {
    return complain(std::string("internal error: ") + e.what(), internalError);
} catch (const std::bad_alloc&) {
    return complain("ran out of memory", unsolved);
}
