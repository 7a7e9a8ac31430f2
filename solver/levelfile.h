// Levels of one's own: a text file in the catalogue's form.
//
//     Corner Shuffle       the name
//     12                   the par, a whole number from 1 to 32767
//     ######               six start rows
//     ...
//     ######               six goal rows
//     ...
//
// A UTF-8 byte-order mark is skipped, lines may end in LF, CR LF or CR. Blank lines are skipped
// anywhere, trailing spaces and tabs are ignored; any other line after the goal rows is a fault.
// Rows are counted in characters; they must pass the catalogue's own checks.
#pragma once

#include "levels/catalogue.h"

#include <array>
#include <optional>
#include <string>
#include <string_view>

namespace nudgeboard::solver {

struct LevelFile {
    std::string name;
    int par = 0;
    std::array<std::string, boardSide> start;
    std::array<std::string, boardSide> goal;

    Layout startRows() const;
    Layout goalRows() const;
};

// Files longer than this are no level.
constexpr std::size_t levelFileLimit = 64 * 1024;

// What is wrong with a level file, and where: line 1 is the first, 0 the file as a whole.
struct LevelFileFault {
    int line = 0;
    std::string what;
};

// Reads a level from the text of a file; on a fault, no level.
std::optional<LevelFile> parseLevel(std::string_view text, LevelFileFault& fault);

// The same from a file; `error` begins with the path ("corner.txt:4: ...", "corner.txt: no such
// file").
std::optional<LevelFile> readLevelFile(const std::string& path, std::string& error);

} // namespace nudgeboard::solver
