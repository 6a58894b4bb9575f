// The display attributes the demo host's screens are drawn with. The write
// control bits and field format words are the data stream's own
// (ds5250/DataStreamCodes.h, terminal/FieldFormatWord.h).
#pragma once

#include <cstdint>

#include "ds5250/DataStreamCodes.h"

namespace quenlix::demohost {

// Screen attribute bytes (0x20..0x3F): colour, reverse, underline, blink.
inline constexpr std::uint8_t kAttrNormal = 0x20;    ///< green
inline constexpr std::uint8_t kAttrWhite = 0x22;
inline constexpr std::uint8_t kAttrInput = 0x24;     ///< green underline
inline constexpr std::uint8_t kAttrHidden = 0x27;    ///< non-display
inline constexpr std::uint8_t kAttrRedBlink = 0x2A;
inline constexpr std::uint8_t kAttrBlue = 0x3A;

}  // namespace quenlix::demohost
