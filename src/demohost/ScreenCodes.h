// The display attributes, write control bits and field format words the
// demo host's screens are drawn with.
#pragma once

#include <cstdint>

namespace quenlix::demohost {

// Screen attribute bytes (0x20..0x3F): colour, reverse, underline, blink.
inline constexpr std::uint8_t kAttrNormal = 0x20;    ///< green
inline constexpr std::uint8_t kAttrWhite = 0x22;
inline constexpr std::uint8_t kAttrInput = 0x24;     ///< green underline
inline constexpr std::uint8_t kAttrHidden = 0x27;    ///< non-display
inline constexpr std::uint8_t kAttrRedBlink = 0x2A;
inline constexpr std::uint8_t kAttrBlue = 0x3A;

// Write To Display, control character byte 2: the cursor's form, and the
// unlock an IBM i host sends with every screen that waits for the operator
// (the keyboard opens with the cursor at the Insert Cursor address).
inline constexpr std::uint8_t kCc2SteadyCursor = 0x20;
inline constexpr std::uint8_t kCc2BlinkCursor = 0x10;
inline constexpr std::uint8_t kCc2Unlock = 0x08;

// Field format word, byte 1: always carries 0x40; bypass and dup bits; the
// shift/edit type in the low three bits.
inline constexpr std::uint8_t kFfw = 0x40;
inline constexpr std::uint8_t kFfwBypass = 0x20;
inline constexpr std::uint8_t kFfwDup = 0x10;
inline constexpr std::uint8_t kShiftEditMask = 0x07;
inline constexpr std::uint8_t kShiftAlphaOnly = 1;
inline constexpr std::uint8_t kShiftNumericShift = 2;
inline constexpr std::uint8_t kShiftNumericOnly = 3;
inline constexpr std::uint8_t kShiftDigitsOnly = 5;
inline constexpr std::uint8_t kShiftIo = 6;
inline constexpr std::uint8_t kShiftSigned = 7;  ///< the last position is the sign position

// Field format word, byte 2: keyboard rules; the fill type in the low three bits.
inline constexpr std::uint8_t kFfw2AutoEnter = 0x80;
inline constexpr std::uint8_t kFfw2FieldExit = 0x40;
inline constexpr std::uint8_t kFfw2Monocase = 0x20;
inline constexpr std::uint8_t kFfw2MandatoryEnter = 0x08;
inline constexpr std::uint8_t kFillMask = 0x07;
inline constexpr std::uint8_t kFillZero = 5;       ///< right-adjust, zero fill
inline constexpr std::uint8_t kFillBlank = 6;      ///< right-adjust, blank fill
inline constexpr std::uint8_t kFillMandatory = 7;  ///< mandatory fill

}  // namespace quenlix::demohost
