// Strict UTF-8 reading.
#include "terminal/Utf8.h"

#include <cstdint>

namespace quenlix {

namespace {

// The bytes that may follow a UTF-8 lead byte, as the well-formed sequences
// allow them: the second byte's range excludes overlong forms (after E0 and
// F0), surrogates (after ED) and code points above U+10FFFF (after F4); C0,
// C1 and F5..FF never start a sequence.
struct Utf8Lead {
    std::size_t length;  // 0: not a lead byte
    std::uint8_t secondLow, secondHigh;
};

Utf8Lead Utf8LeadOf(std::uint8_t lead) {
    if (lead < 0x80) return {1, 0, 0};
    if (lead >= 0xC2 && lead <= 0xDF) return {2, 0x80, 0xBF};
    if (lead == 0xE0) return {3, 0xA0, 0xBF};
    if (lead == 0xED) return {3, 0x80, 0x9F};
    if (lead >= 0xE1 && lead <= 0xEF) return {3, 0x80, 0xBF};
    if (lead == 0xF0) return {4, 0x90, 0xBF};
    if (lead >= 0xF1 && lead <= 0xF3) return {4, 0x80, 0xBF};
    if (lead == 0xF4) return {4, 0x80, 0x8F};
    return {0, 0, 0};
}

}  // namespace

Utf8Piece NextUtf8Piece(std::string_view utf8, std::size_t at) {
    const Utf8Lead lead = Utf8LeadOf(static_cast<std::uint8_t>(utf8[at]));
    if (lead.length == 0) return {1, false};
    std::size_t k = 1;
    for (; k < lead.length && at + k < utf8.size(); ++k) {
        const auto byte = static_cast<std::uint8_t>(utf8[at + k]);
        const std::uint8_t low = k == 1 ? lead.secondLow : 0x80;
        const std::uint8_t high = k == 1 ? lead.secondHigh : 0xBF;
        if (byte < low || byte > high) break;
    }
    return {k, k == lead.length};
}

}  // namespace quenlix
