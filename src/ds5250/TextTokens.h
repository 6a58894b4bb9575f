// EBCDIC bytes as the words of a trace line: printable characters quoted in
// the session's code page, screen attributes as "attr 22", other bytes as
// hexadecimal (a run of one byte as "00*12"), secrets as "*** (n bytes)".
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "terminal/Languages.h"

namespace quenlix {

class TextTokens {
public:
    /// Text kept between two Take calls; what comes beyond is cut ("...").
    static constexpr std::size_t kMaxBytes = 64 * 1024;

    /// `etoa` translates EBCDIC to PC characters, `charset` (nullptr: ISO
    /// 8859-1) PC characters to UTF-8; both must outlive the tokens.
    TextTokens(const std::array<std::uint8_t, 256>& etoa, const PcCharset* charset, bool mask)
        : etoa_(etoa), charset_(charset), mask_(mask) {}

    /// One byte. A secret one is counted, not shown, while masking is on;
    /// with `attributes`, 0x20..0x3F are screen attributes.
    void Add(std::uint8_t ebcdic, bool secret, bool attributes);
    /// A word of its own between the bytes.
    void AddWord(const std::string& word);
    /// The words so far, separated by blanks; starts over.
    std::string Take();
    bool empty() const { return words_.empty() && run_.empty() && repeat_ == 0 && secret_ == 0; }

    /// "*** (n bytes)".
    static std::string Secret(std::size_t count);
    /// Two upper-case hexadecimal digits.
    static std::string Hex(std::uint8_t byte);
    /// "6,53": a 1-based row and column.
    static std::string Address(int row, int column);

private:
    void FlushRun();
    void FlushRepeat();
    void FlushSecret();
    void Word(const std::string& word);

    const std::array<std::uint8_t, 256>& etoa_;
    const PcCharset* charset_;
    bool mask_;
    std::string words_;
    std::string run_;  ///< printable characters, UTF-8, not yet quoted
    std::uint8_t repeated_ = 0;
    std::size_t repeat_ = 0;
    std::size_t secret_ = 0;
    bool cut_ = false;
};

}  // namespace quenlix
