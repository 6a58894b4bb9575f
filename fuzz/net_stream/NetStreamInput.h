// Layout of a net_stream fuzz input, shared by the harness and its seed
// generator:
//   byte 0     flags (kFlag* below)
//   bytes 1-2  seed of the piece lengths: the stream is cut where a small
//              generator seeded with them says, 1..kMaxPiece bytes a piece
//   bytes 3..  the host's byte stream
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix::fuzz {

inline constexpr std::uint8_t kFlagAutoSignOn = 0x01;
inline constexpr std::uint8_t kFlagHostNamesDisplay = 0x02;
inline constexpr std::uint8_t kFlagSysReqMode = 0x04;
inline constexpr std::uint8_t kFlagWideScreen = 0x08;
inline constexpr std::uint8_t kFlagSendsFail = 0x10;
inline constexpr std::uint8_t kFlagNotConnected = 0x20;
/// With both bits the stream is fed again and again up to kRepeatedLength
/// bytes, so that a short input builds blocks larger than the receive buffer.
inline constexpr std::uint8_t kFlagRepeat = 0xC0;
inline constexpr std::size_t kRepeatedLength = 48000;
inline constexpr std::size_t kHeaderSize = 3;
inline constexpr std::size_t kMaxPiece = 4096;

/// Piece lengths from a 16-bit seed (xorshift); never 0.
class PieceLengths {
public:
    explicit PieceLengths(std::uint16_t seed) : state_(seed | 1u) {}
    std::size_t Next() {
        state_ ^= state_ << 7;
        state_ ^= state_ >> 9;
        state_ ^= state_ << 8;
        // Mostly short pieces, now and then a long one.
        const std::size_t limit = (state_ & 0x700) == 0 ? kMaxPiece : 64;
        return 1 + (state_ % limit);
    }

private:
    std::uint16_t state_;
};

}  // namespace quenlix::fuzz
