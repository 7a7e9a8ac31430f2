// UTF-8 as level files and the table use it: one decoder, what a name may hold, and how many
// columns a character takes on a terminal.
#pragma once

#include <cstddef>
#include <string_view>

namespace nudgeboard::solver::utf8 {

struct Character {
    char32_t code = 0;
    std::size_t length = 0; // bytes; 0 if `text` does not start with a UTF-8 character
};

// The character at the start of `text`: no overlong forms, no surrogates, nothing past U+10FFFF.
Character first(std::string_view text);

// Not a control character (C0, DEL, C1) and not one that reorders the text around it (the
// bidirectional marks, embeddings, overrides and isolates).
bool printable(char32_t c);

// 0 for a combining mark or a zero-width character, 2 for a wide East Asian character or an
// emoji, 1 otherwise.
int columns(char32_t c);

// The columns of `text`, read as UTF-8; a byte that starts no character takes one.
int columns(std::string_view text);

} // namespace nudgeboard::solver::utf8
