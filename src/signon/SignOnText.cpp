// UTF-8 walking for the sign-on text: strict (an ill-formed password is
// refused, never repaired), and nothing of the password is kept outside the
// caller's SecretBytes.
#include "signon/SignOnText.h"

#include "terminal/Languages.h"
#include "terminal/TranslationCache.h"
#include "terminal/Utf8.h"

namespace quenlix::signon {
namespace {

/// The code point of a well-formed piece of `length` bytes at `at`.
char32_t DecodePiece(std::string_view text, std::size_t at, std::size_t length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[at + i]); };
    switch (length) {
        case 1:
            return byte(0);
        case 2:
            return (char32_t{byte(0)} & 0x1F) << 6 | (byte(1) & 0x3F);
        case 3:
            return (char32_t{byte(0)} & 0x0F) << 12 | (char32_t{byte(1)} & 0x3F) << 6 |
                   (byte(2) & 0x3F);
        default:
            return (char32_t{byte(0)} & 0x07) << 18 | (char32_t{byte(1)} & 0x3F) << 12 |
                   (char32_t{byte(2)} & 0x3F) << 6 | (byte(3) & 0x3F);
    }
}

/// Calls visit(codePoint) for each character; false as soon as the text is
/// ill-formed, holds U+0000 or visit returns false.
template <typename Visit>
bool ForEachCharacter(std::string_view text, Visit visit) {
    for (std::size_t at = 0; at < text.size();) {
        const Utf8Piece piece = NextUtf8Piece(text, at);
        if (!piece.wellFormed || piece.length == 0) return false;
        const char32_t ch = DecodePiece(text, at, piece.length);
        if (ch == 0 || !visit(ch)) return false;
        at += piece.length;
    }
    return true;
}

char32_t UpperAscii(char32_t ch) { return ch >= U'a' && ch <= U'z' ? ch - 0x20 : ch; }

}  // namespace

std::optional<std::size_t> CharacterCount(std::string_view utf8) {
    std::size_t count = 0;
    if (!ForEachCharacter(utf8, [&](char32_t) { return ++count, true; })) return std::nullopt;
    return count;
}

std::string_view WithoutTrailingBlanks(std::string_view utf8) {
    const std::size_t end = utf8.find_last_not_of(' ');
    return end == std::string_view::npos ? std::string_view() : utf8.substr(0, end + 1);
}

std::string_view LastCharacters(std::string_view utf8, std::size_t count) {
    // Continuation bytes are 10xxxxxx: a character starts at every other byte.
    std::size_t start = utf8.size();
    for (std::size_t seen = 0; start > 0 && seen < count;) {
        --start;
        if ((static_cast<unsigned char>(utf8[start]) & 0xC0) != 0x80) ++seen;
    }
    return utf8.substr(start);
}

std::string PaddedUser(std::string_view utf8) {
    const std::string_view user = WithoutTrailingBlanks(utf8);
    std::string padded;
    std::size_t characters = 0;
    for (const char c : user) {
        padded += c >= 'a' && c <= 'z' ? static_cast<char>(c - 0x20) : c;
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) ++characters;
    }
    for (; characters < kMaxUserCharacters; ++characters) padded += ' ';
    return padded;
}

bool AppendUtf16BigEndian(std::string_view utf8, SecretBytes& out) {
    SecretBytes encoded;
    const auto unit = [&](char32_t u) {
        encoded.Append(static_cast<std::uint8_t>(u >> 8));
        encoded.Append(static_cast<std::uint8_t>(u & 0xFF));
    };
    const bool wellFormed = ForEachCharacter(utf8, [&](char32_t ch) {
        if (ch > 0xFFFF) {
            const char32_t v = ch - 0x10000;
            unit(0xD800 + (v >> 10));
            unit(0xDC00 + (v & 0x3FF));
        } else {
            unit(ch);
        }
        return true;
    });
    if (!wellFormed) return false;
    out.Append(encoded);
    return true;
}

bool AppendUpperCaseEbcdic(std::string_view utf8, const TablePair& tables, SecretBytes& out) {
    const PcCharset& charset = PcCharset::ForCodePage(tables.codePage);
    SecretBytes encoded;
    const bool translated = ForEachCharacter(utf8, [&](char32_t ch) {
        const std::optional<std::uint8_t> pc = charset.FromUnicode(UpperAscii(ch));
        if (!pc) return false;
        encoded.Append(tables.ATOE[*pc]);
        return true;
    });
    if (!translated) return false;
    out.Append(encoded);
    return true;
}

}  // namespace quenlix::signon
