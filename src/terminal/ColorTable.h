// The nine display colours, each 0x00BBGGRR (red in the low byte).
#pragma once

#include <array>
#include <cstdint>

namespace quenlix {

constexpr std::uint32_t Rgb(unsigned r, unsigned g, unsigned b) {
    return (r & 0xFF) | ((g & 0xFF) << 8) | ((b & 0xFF) << 16);
}
constexpr unsigned RedOf(std::uint32_t c) { return c & 0xFF; }
constexpr unsigned GreenOf(std::uint32_t c) { return (c >> 8) & 0xFF; }
constexpr unsigned BlueOf(std::uint32_t c) { return (c >> 16) & 0xFF; }

/// Indexed by ColorIndex: 0 Cursor, 1 Background, 2 Green, 3 White, 4 Red,
/// 5 Turquoise, 6 Yellow, 7 Pink, 8 Blue.
using ColorTable = std::array<std::uint32_t, 9>;

inline constexpr ColorTable kDefaultColors = {
    Rgb(150, 150, 150),  // Cursor: the crosshair lines
    Rgb(0, 0, 0),        // Background
    Rgb(20, 255, 20),    // Green
    Rgb(255, 255, 255),  // White
    Rgb(240, 20, 20),    // Red
    Rgb(140, 220, 250),  // Turquoise
    Rgb(255, 250, 80),   // Yellow
    Rgb(255, 128, 128),  // Pink
    Rgb(120, 120, 255),  // Blue
};

/// The high-contrast preset: light colours on black, the text the host
/// writes in green shown yellow; every colour at least 7:1 against the
/// background, and the colours still told apart from one another.
inline constexpr ColorTable kHighContrastColors = {
    Rgb(255, 255, 255),  // Cursor: the crosshair lines
    Rgb(0, 0, 0),        // Background
    Rgb(255, 255, 0),    // Green, shown yellow
    Rgb(255, 255, 255),  // White
    Rgb(255, 110, 110),  // Red
    Rgb(0, 255, 255),    // Turquoise
    Rgb(255, 220, 120),  // Yellow, paler than the green text
    Rgb(255, 160, 255),  // Pink
    Rgb(160, 190, 255),  // Blue
};

}  // namespace quenlix
