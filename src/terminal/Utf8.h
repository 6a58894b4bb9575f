// Reading UTF-8 text one character at a time, strictly: the clipboard, the
// CLI's input and output and the session files all hold UTF-8 and must tell a
// well-formed character from bytes of another character set.
#pragma once

#include <cstddef>
#include <string_view>

namespace quenlix {

/// The piece of a UTF-8 text that starts at a position.
struct Utf8Piece {
    std::size_t length;  ///< 1..4 bytes; never 0 inside the text
    bool wellFormed;     ///< a whole character, not an overlong form, surrogate or past U+10FFFF
};

/// The piece at `at` (which must lie inside `text`): a well-formed sequence
/// (an ASCII byte is one), or an ill-formed piece: a byte that starts
/// nothing, or a lead byte with the continuation bytes that still fitted
/// before the sequence broke off, so that one substitute stands for it.
Utf8Piece NextUtf8Piece(std::string_view text, std::size_t at);

}  // namespace quenlix
