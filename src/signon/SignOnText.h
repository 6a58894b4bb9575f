// How the operator's user name and password become the bytes each substitute
// method works on. Both arrive as the PC's text: UTF-8, as the session file,
// the dialogs and the command line hold them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

#include "signon/SecretBytes.h"

namespace quenlix {
struct TablePair;
}

namespace quenlix::signon {

/// A user profile name has at most 10 characters on the host.
inline constexpr std::size_t kMaxUserCharacters = 10;
/// Password levels 2 to 4 take passwords of up to 128 characters.
inline constexpr std::size_t kMaxPasswordCharacters = 128;
/// Levels 0 and 1 (DES) take at most 10 characters (RFC 4777).
inline constexpr std::size_t kMaxDesPasswordCharacters = 10;

/// Characters (Unicode code points) in UTF-8 text; nothing when the text is
/// not well-formed UTF-8 or holds U+0000.
std::optional<std::size_t> CharacterCount(std::string_view utf8);

/// The text without its trailing blanks (U+0020): the host drops them from
/// what the operator types, and so do the substitutes.
std::string_view WithoutTrailingBlanks(std::string_view utf8);

/// The last `count` characters of well-formed UTF-8 text (all of it when it
/// is shorter).
std::string_view LastCharacters(std::string_view utf8, std::size_t count);

/// The user name as the SHA methods hash it: trailing blanks dropped, a-z
/// upper-cased (user profile names are upper case on the host), padded with
/// blanks to 10 characters. The caller has checked it is well-formed and at
/// most 10 characters long.
std::string PaddedUser(std::string_view utf8);

/// Appends UTF-16BE of well-formed UTF-8 text (characters above U+FFFF as
/// surrogate pairs). False, with nothing appended, when the text is ill-formed.
bool AppendUtf16BigEndian(std::string_view utf8, SecretBytes& out);

/// Appends the EBCDIC bytes of UTF-8 text in the host code page of `tables`,
/// with a-z upper-cased first (the DES method's rule for user and password):
/// each character through the code page's PC character set, then its ATOE
/// table. False, with nothing appended, when the text is ill-formed or holds
/// a character that code page lacks: a wrong byte would make a wrong
/// substitute, and a wrong substitute counts as a failed sign-on on the host.
bool AppendUpperCaseEbcdic(std::string_view utf8, const TablePair& tables, SecretBytes& out);

}  // namespace quenlix::signon
