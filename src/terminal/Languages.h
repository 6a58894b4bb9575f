// The language list the operator picks a session's host code page from, and
// the PC character set that goes with each code page.
#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace quenlix {

struct Language {
    std::string_view text;  ///< as shown and stored, e.g. "U.S. (37)"
    int codePage;
};

/// The 31 entries, in the order of the choice list.
extern const std::array<Language, 31> kLanguages;

/// Index of "U.S. (37)", preselected for a new session.
inline constexpr int kDefaultLanguageIndex = 29;

/// The PC character set (byte <-> Unicode) used with a host code page:
/// Windows 1252 for the Latin-1 languages and their euro variants, 1250
/// Czech, 1251 Cyrillic, 1253 Greek, 1254 Turkish, 1255 Hebrew, 1256 Arabic,
/// ISO 8859-1 for the built-in pair (code page 0) and unknown code pages.
class PcCharset {
public:
    /// The set for a host code page.
    static const PcCharset& ForCodePage(int codePage);

    /// Windows code page number, or 28591 for ISO 8859-1.
    int id() const { return id_; }
    /// Unicode of a PC byte (undefined bytes give the code point of the same number).
    char16_t ToUnicode(std::uint8_t byte) const { return (*toUnicode_)[byte]; }
    /// The PC byte of a Unicode character, if the set has it.
    std::optional<std::uint8_t> FromUnicode(char32_t ch) const;

    /// UTF-8 text of a run of PC bytes.
    std::string ToUtf8(std::string_view pcBytes) const;
    /// PC bytes of UTF-8 text; characters the set lacks become `missing`, and
    /// so does each ill-formed piece (an overlong form, a surrogate, a code
    /// point above U+10FFFF, a stray or cut-off sequence), once per piece.
    std::string FromUtf8(std::string_view utf8, char missing = '?') const;

    PcCharset(int id, const std::array<char16_t, 256>* table) : id_(id), toUnicode_(table) {}

private:
    int id_;
    const std::array<char16_t, 256>* toUnicode_;
};

/// Appends the UTF-8 form of one code point.
void AppendUtf8(std::string& out, char32_t ch);

}  // namespace quenlix
