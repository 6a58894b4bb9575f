// One character position of the 5250 presentation space.
#pragma once

#include <cstdint>

namespace quenlix {

/// ColorTable indexes used by the cells' `foreground` and `background`.
enum ColorIndex : int {
    kColorCursor = 0,
    kColorBackground = 1,
    kColorGreen = 2,
    kColorWhite = 3,
    kColorRed = 4,
    kColorTurquoise = 5,
    kColorYellow = 6,
    kColorPink = 7,
    kColorBlue = 8,
};

inline constexpr std::uint8_t kEbcdicBlank = 0x40;
/// A null: a position nothing was written to, shown as a blank; reads leave
/// it out (trailing) or send it as a blank.
inline constexpr std::uint8_t kEbcdicNull = 0x00;

/// A character position. Holds both the EBCDIC byte the host sent (or will
/// read back) and the PC character that is painted. The display attributes
/// (`reverse` .. `background`) are derived by Restyle from attribute bytes.
/// The bits of ScreenCell::extendedLook.
enum ExtendedLook : std::int32_t {
    kLookReverse = 1,
    kLookUnderline = 2,
    kLookBlink = 4,
    kLookColumnSeparator = 8,
};

struct ScreenCell {
    // The small members first and as bytes: a screen of 27 x 132 cells is
    // copied, compared and walked whole many times a second, and a cell that
    // fits in 28 bytes keeps twice as many of them in each cache line as one
    // of 32-bit members would.
    std::uint8_t character = ' ';  ///< PC character painted here
    std::uint8_t reverse = 0;      ///< reverse image
    std::uint8_t selected = 0;     ///< selected by the operator, painted like reverse
    std::uint8_t blink = 0;
    std::uint8_t underline = 0;
    std::uint8_t foreground = kColorGreen;       ///< ColorTable index 1..8
    std::uint8_t background = kColorBackground;  ///< ColorTable index, always 1
    std::uint8_t inField = 0;                    ///< a data position of an input field
    /// What the host's extended attributes give this position beyond its
    /// screen attribute: reverse, underline, blink and column separator
    /// bits, and a colour (ColorTable index; 0 takes the attribute's).
    std::uint8_t extendedLook = 0;
    std::uint8_t extendedColor = 0;
    std::int32_t ebcdic = kEbcdicBlank;          ///< 0..255; 0x20..0x3F is an attribute byte
    std::int32_t fieldIndex = -1;                ///< FormatTable index, -1 outside fields
    std::int32_t fieldOffset = -1;               ///< offset within the field, -1 outside
    std::int32_t fieldLength = 0;                ///< length of that field, 0 outside

    friend bool operator==(const ScreenCell&, const ScreenCell&) = default;
};
static_assert(sizeof(ScreenCell) == 28, "a cell's members are packed without gaps but one");

/// True when the cell holds a 5250 screen attribute byte (0x20..0x3F).
inline bool IsAttributePosition(const ScreenCell& cell) {
    return cell.ebcdic >= 0x20 && cell.ebcdic <= 0x3F;
}

}  // namespace quenlix
