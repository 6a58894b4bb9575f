// The words a Start of Field order defines a field with: the field format
// word's two bytes (the shift/edit type, the fill type and the keyboard
// rules), and the field control word. The data stream reads them; the model
// keeps them in each field, so they are defined here, below both.
#pragma once

#include <cstdint>

namespace quenlix::ds {

// Field format word, byte 1. The word is present when 0x40 is set.
inline constexpr std::uint8_t kFfwPresent = 0x40;
inline constexpr std::uint8_t kFfwBypass = 0x20;
inline constexpr std::uint8_t kFfwDupEnable = 0x10;
inline constexpr std::uint8_t kFfwModified = 0x08;  ///< the field's MDT
inline constexpr std::uint8_t kFfwShiftEditMask = 0x07;

/// The shift/edit type, byte 1's low three bits: what the field takes.
enum ShiftEdit : std::uint8_t {
    kShiftAlphanumeric = 0,  ///< anything
    kShiftAlphabeticOnly = 1,
    kShiftNumericShift = 2,
    kShiftNumericOnly = 3,
    kShiftKatakana = 4,
    kShiftDigitsOnly = 5,
    kShiftIo = 6,             ///< the magnetic stripe reader only
    kShiftSignedNumeric = 7,  ///< the last position is the sign position
};

// Field format word, byte 2: keyboard rules.
inline constexpr std::uint8_t kFfw2AutoEnter = 0x80;
inline constexpr std::uint8_t kFfw2FieldExitRequired = 0x40;
inline constexpr std::uint8_t kFfw2Monocase = 0x20;
inline constexpr std::uint8_t kFfw2MandatoryEnter = 0x08;
inline constexpr std::uint8_t kFfw2FillMask = 0x07;

/// The fill type, byte 2's low three bits.
enum FillType : std::uint8_t {
    kFillNone = 0,
    kFillRightZero = 5,   ///< right-adjust, zero fill
    kFillRightBlank = 6,  ///< right-adjust, blank fill
    kFillMandatory = 7,   ///< filled to its end or left empty
};

// Field control words follow while their first byte has 0x80 set; the
// control word 0x80 nn names the next field in the read order.
inline constexpr std::uint8_t kFcwPresent = 0x80;
inline constexpr std::uint8_t kFcwResequence = 0x80;

constexpr ShiftEdit ShiftEditOf(std::uint8_t ffw1) {
    return static_cast<ShiftEdit>(ffw1 & kFfwShiftEditMask);
}
constexpr FillType FillTypeOf(std::uint8_t ffw2) {
    return static_cast<FillType>(ffw2 & kFfw2FillMask);
}

}  // namespace quenlix::ds
