// Cell size, view font and horizontal offset derived from the area the screen
// must fill (the view's client rectangle, or a printer page). The cells
// follow the window; the window never follows the cells.
#pragma once

#include <string>

#include "terminal/TerminalState.h"

namespace quenlix {

/// The face used when the operator has chosen none.
inline constexpr const char* kDefaultFontFace = "Courier New";
/// The font weight preference's default, between regular (400) and bold (700).
inline constexpr int kDefaultFontWeight = 450;

/// The font preferences that matter to the fit; the point size never does.
struct FontPreferences {
    std::string face = kDefaultFontFace;  ///< `Face`
    int weight = kDefaultFontWeight;      ///< `Bold`, 1..1000
    bool italic = false;                  ///< `Italic`
};

/// A font to create, sized in pixels.
struct FontRequest {
    int height = 0;  ///< cell height of the font (internal leading included), pixels
    int width = 0;   ///< average character width asked for, pixels
    int weight = kDefaultFontWeight;
    bool italic = false;
    std::string face;
    bool fixedPitch = false;    ///< ask for a fixed-pitch face (the searches do)
    bool proofQuality = false;  ///< false: draft quality (the first attempt)
    friend bool operator==(const FontRequest&, const FontRequest&) = default;
};

/// What a created font measures on the view window.
struct FontMetrics {
    int height = 0;          ///< full height, pixels
    int maxCharWidth = 0;    ///< widest character, pixels
    bool fixedPitch = true;  ///< the face found has one advance for every character
};

/// Creates fonts and measures them on the view window. The desktop view
/// implements it over its font system (resolving "Courier New" to a
/// metric-compatible face where it is missing) and keeps the last font it
/// created as the view font; tests use a double.
class FontMeasurer {
public:
    virtual ~FontMeasurer() = default;
    /// Creates the font (replacing the previous one) and returns its metrics.
    virtual FontMetrics CreateAndMeasure(const FontRequest& request) = 0;
};

/// The outcome of a fit. The cell size and cursor are written into the
/// terminal; the rest is for the view.
struct ScreenFit {
    FontRequest font;      ///< the last font created: the view font
    FontMetrics metrics;   ///< its metrics
    int horizontalOffset;  ///< x of the screen's left edge in the area; may be negative
    int fontsCreated;      ///< 1 + the steps of the searches, at most 1 + W + H
};

/// Fits R + 2 rows (the screen, the system request line, the indicator row)
/// of C cells into `area`:
///  - cell width = area width / C and height = area height / (R + 2), a
///    result of 0 becoming 10 (the screen then overflows the area);
///  - the font is asked for that size, then narrowed and lowered one pixel at
///    a time until its widest character and its height fit, stopping at 1;
///  - the cell size becomes the font's measured size (never below 1);
///  - the cursor stays on its cell, counted with the current column count;
///  - the screen is centred: offset = (area width - C x W) / 2.
/// The terminal's rows and columns must already hold the screen size to fit.
ScreenFit FitScreenToWindow(Terminal& terminal, const PixelRect& area,
                            const FontPreferences& preferences, FontMeasurer& measurer);

}  // namespace quenlix
