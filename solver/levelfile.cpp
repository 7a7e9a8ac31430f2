// Reading a level file: lines, then the catalogue's checks on the rows.
#include "solver/levelfile.h"
#include "solver/utf8.h"

#include <algorithm>
#include <charconv>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <vector>

namespace nudgeboard::solver {

namespace {

// Where `line` stops being text: the offending byte, or npos if it is all text.
std::size_t firstNonText(std::string_view line) {
    for (std::size_t i = 0; i < line.size();) {
        unsigned char c = static_cast<unsigned char>(line[i]);
        if ((c < 0x20 && c != '\t') || c == 0x7F)
            return i;
        std::size_t length = utf8::first(line.substr(i)).length;
        if (length == 0)
            return i;
        i += length;
    }
    return std::string_view::npos;
}

std::string_view trimmed(std::string_view s) {
    while (!s.empty() && (s.back() == ' ' || s.back() == '\t'))
        s.remove_suffix(1);
    while (!s.empty() && (s.front() == ' ' || s.front() == '\t'))
        s.remove_prefix(1);
    return s;
}

// Rows are counted in characters, not bytes: a row with a character beyond ASCII, which no layout
// character is, gets the fault a person sees.
std::optional<std::string> nonAsciiFault(std::string_view row, bool inGoal, int r) {
    auto beyondAscii = [](char c) { return static_cast<unsigned char>(c) >= 0x80; };
    std::size_t first =
        static_cast<std::size_t>(std::find_if(row.begin(), row.end(), beyondAscii) - row.begin());
    if (first == row.size())
        return std::nullopt;
    int characters = 0, column = 0;
    std::size_t length = 0;
    for (std::size_t i = 0; i < row.size();
         i += std::max<std::size_t>(1, utf8::first(row.substr(i)).length)) {
        if (i == first) {
            column = characters;
            length = utf8::first(row.substr(i)).length;
        }
        ++characters;
    }
    std::string name = (inGoal ? "goal row " : "start row ") + std::to_string(r + 1);
    if (characters != boardSide)
        return name + " has " + std::to_string(characters) + " characters, not " +
               std::to_string(boardSide);
    return name + " column " + std::to_string(column + 1) + " holds \"" +
           std::string(row.substr(first, length)) + "\", which is no layout character";
}

} // namespace

Layout LevelFile::startRows() const {
    return {start[0], start[1], start[2], start[3], start[4], start[5]};
}

Layout LevelFile::goalRows() const {
    return {goal[0], goal[1], goal[2], goal[3], goal[4], goal[5]};
}

namespace {

// A file's lines that are not blank, with their numbers: the name, the par, six start rows and
// six goal rows.
using NumberedLines = std::vector<std::pair<int, std::string_view>>;
constexpr std::size_t wantedLines = 14;
constexpr int firstStartLine = 2;
constexpr int firstGoalLine = firstStartLine + boardSide;

using Problem = std::optional<LevelFileFault>;

// The next line of `text`, which it leaves after the line's end: LF, CR LF, or CR alone (old Mac
// files).
std::string_view nextLine(std::string_view& text) {
    std::size_t end = text.find_first_of("\r\n");
    std::string_view line = text.substr(0, end);
    std::size_t next = end == std::string_view::npos          ? text.size()
                       : text.substr(end).starts_with("\r\n") ? end + 2
                                                              : end + 1;
    text.remove_prefix(next);
    return line;
}

// The lines of `text` that are not blank, in `lines`; `count` the number of lines read.
Problem readLines(std::string_view text, NumberedLines& lines, int& count) {
    // Editors on Windows may begin a UTF-8 file with a byte-order mark; it is no part of the name.
    constexpr std::string_view byteOrderMark = "\xEF\xBB\xBF";
    if (text.starts_with(byteOrderMark))
        text.remove_prefix(byteOrderMark.size());
    while (!text.empty()) {
        ++count;
        std::string_view line = nextLine(text);
        if (std::size_t bad = firstNonText(line); bad != std::string_view::npos)
            return LevelFileFault{
                count, "byte " + catalogue_checks::byteText(static_cast<unsigned char>(line[bad])) +
                           " in column " + std::to_string(bad + 1) + ": this is not a text file"};
        // Trailing spaces are invisible in an editor; leading ones count, in rows.
        while (!line.empty() && (line.back() == ' ' || line.back() == '\t'))
            line.remove_suffix(1);
        if (line.empty())
            continue;
        if (lines.size() == wantedLines)
            return LevelFileFault{count, "unexpected text after the six goal rows"};
        lines.emplace_back(count, line);
    }
    return std::nullopt;
}

// The first line the file lacks, if it lacks any; `count` lines were read.
Problem missingLine(const NumberedLines& lines, int count) {
    if (lines.empty())
        return LevelFileFault{0, "the file is empty"};
    if (lines.size() >= wantedLines)
        return std::nullopt;
    int present = static_cast<int>(lines.size());
    // A short file whose second line is no number lacks its par, whatever else it lacks.
    std::string_view second = present > 1 ? trimmed(lines[1].second) : "0";
    if (second.find_first_not_of("+-0123456789") != std::string_view::npos)
        return LevelFileFault{lines[1].first, "the par line is missing: line " +
                                                  std::to_string(lines[1].first) +
                                                  " should hold the par, a whole number"};
    std::string what = present == 1              ? "the par line"
                       : present < firstGoalLine ? "start row " + std::to_string(present - 1)
                                                 : "goal row " + std::to_string(present - 7);
    return LevelFileFault{count + 1,
                          what + " is missing: the file ends after line " + std::to_string(count)};
}

// A name is printed in the table: no tab, no control character, nothing that reorders the text
// around it.
Problem nameFault(int line, std::string_view name) {
    int column = 1;
    for (std::string_view rest = name; !rest.empty(); ++column) {
        utf8::Character c = utf8::first(rest);
        if (c.code == '\t' || !utf8::printable(c.code)) {
            char code[16];
            std::snprintf(code, sizeof code, "U+%04X", static_cast<unsigned>(c.code));
            return LevelFileFault{
                line, "the name holds " + std::string(c.code == '\t' ? "a tab" : code) +
                          " in column " + std::to_string(column) + ": a name is printable text"};
        }
        rest.remove_prefix(c.length);
    }
    return std::nullopt;
}

Problem readNameAndPar(const NumberedLines& lines, LevelFile& level) {
    level.name = std::string(trimmed(lines[0].second));
    if (auto fault = nameFault(lines[0].first, lines[0].second))
        return fault;
    std::string_view parText = trimmed(lines[1].second);
    auto [end, problem] =
        std::from_chars(parText.data(), parText.data() + parText.size(), level.par);
    if (problem != std::errc() || end != parText.data() + parText.size() || level.par < 1 ||
        level.par > 32767)
        return LevelFileFault{lines[1].first, "the par \"" + std::string(parText) +
                                                  "\" is not a whole number from 1 to 32767"};
    return std::nullopt;
}

int rowLine(const NumberedLines& lines, bool inGoal, int row) {
    return lines[static_cast<std::size_t>((inGoal ? firstGoalLine : firstStartLine) + row)].first;
}

Problem readRows(const NumberedLines& lines, LevelFile& level) {
    for (int r = 0; r < boardSide; ++r) {
        level.start[r] = std::string(lines[static_cast<std::size_t>(firstStartLine + r)].second);
        level.goal[r] = std::string(lines[static_cast<std::size_t>(firstGoalLine + r)].second);
        for (bool inGoal : {false, true})
            if (auto what = nonAsciiFault(inGoal ? level.goal[r] : level.start[r], inGoal, r))
                return LevelFileFault{rowLine(lines, inGoal, r), *what};
    }
    return std::nullopt;
}

// What the catalogue's own checks find wrong with the level, on the line that holds it.
Problem catalogueFault(const NumberedLines& lines, const LevelFile& level) {
    Level checked{level.name, static_cast<std::int16_t>(level.par), level.startRows(),
                  level.goalRows()};
    auto broken = catalogue_checks::levelFault(checked);
    if (!broken)
        return std::nullopt;
    using Kind = catalogue_checks::Fault::Kind;
    int line = broken.kind == Kind::NoName          ? lines[0].first
               : broken.kind == Kind::ParOutOfRange ? lines[1].first
                                                    : rowLine(lines, broken.inGoal, broken.row);
    return LevelFileFault{line, catalogue_checks::describe(broken)};
}

} // namespace

std::optional<LevelFile> parseLevel(std::string_view text, LevelFileFault& fault) {
    NumberedLines lines;
    int count = 0;
    LevelFile level;
    Problem problem = readLines(text, lines, count);
    if (!problem)
        problem = missingLine(lines, count);
    if (!problem)
        problem = readNameAndPar(lines, level);
    if (!problem)
        problem = readRows(lines, level);
    if (!problem)
        problem = catalogueFault(lines, level);
    if (!problem)
        return level;
    fault = *problem;
    return std::nullopt;
}

std::optional<LevelFile> readLevelFile(const std::string& path, std::string& error) {
    auto fail = [&](const std::string& what) -> std::optional<LevelFile> {
        error = path + ": " + what;
        return std::nullopt;
    };
    std::error_code code;
    auto status = std::filesystem::status(path, code);
    if (status.type() == std::filesystem::file_type::not_found)
        return fail("no such file");
    if (code)
        return fail("cannot be read (" + code.message() + ")");
    if (status.type() == std::filesystem::file_type::directory)
        return fail("is a directory, not a level file");
    // Pipes and devices could keep a reader waiting for ever.
    if (status.type() != std::filesystem::file_type::regular)
        return fail("is not a regular file");
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return fail("cannot be opened for reading");
    std::string text(levelFileLimit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    text.resize(static_cast<std::size_t>(in.gcount()));
    if (in.bad())
        return fail("cannot be read");
    if (text.size() > levelFileLimit)
        return fail("is longer than " + std::to_string(levelFileLimit) +
                    " bytes: too long for a level file");
    LevelFileFault fault;
    auto level = parseLevel(text, fault);
    if (!level)
        error = path + ":" + (fault.line > 0 ? std::to_string(fault.line) + ":" : "") + " " +
                fault.what;
    return level;
}

} // namespace nudgeboard::solver
