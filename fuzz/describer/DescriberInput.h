// The input format of the describer harness, shared with its seed
// generator. Byte 0 picks the set-up:
//   bit 0  masking off ("trace on raw"), else on
//   bit 1  the screen starts 27 x 132, else 24 x 80
//   bit 2  code page 37 for the text, else the built-in pair
// Then pieces: a control byte c, then (c & 0x7F) + 1 bytes (fewer at the
// end) that the terminal sent when c & 0x80, else that the host sent.
#pragma once

#include <cstdint>
#include <vector>

namespace quenlix::fuzz {

inline constexpr std::uint8_t kRaw = 0x01;
inline constexpr std::uint8_t kWide = 0x02;
inline constexpr std::uint8_t kCodePage37 = 0x04;
inline constexpr std::uint8_t kSentByTerminal = 0x80;
inline constexpr std::size_t kLongestPiece = 128;

/// Appends `bytes` as pieces of at most `piece` bytes from one side.
inline void AppendPieces(std::vector<std::uint8_t>& input, const std::vector<std::uint8_t>& bytes,
                         bool sentByTerminal, std::size_t piece = kLongestPiece) {
    for (std::size_t at = 0; at < bytes.size(); at += piece) {
        const std::size_t n = bytes.size() - at < piece ? bytes.size() - at : piece;
        input.push_back(static_cast<std::uint8_t>((n - 1) | (sentByTerminal ? kSentByTerminal : 0)));
        input.insert(input.end(), bytes.begin() + static_cast<long>(at),
                     bytes.begin() + static_cast<long>(at + n));
    }
}

}  // namespace quenlix::fuzz
