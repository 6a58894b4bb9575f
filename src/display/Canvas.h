// The drawing surface the paint pass draws on. The desktop view's back
// buffer, the printer page and the tests' recorder all implement it, so the
// same paint code serves the screen and paper.
#pragma once

#include <cstdint>
#include <span>
#include <string_view>

#include "terminal/TerminalState.h"

namespace quenlix {

/// A colour as 0x00BBGGRR (red in the low byte), the ColorTable's form.
using Color = std::uint32_t;

inline constexpr Color kBlack = 0x000000;
inline constexpr Color kWhite = 0xFFFFFF;

/// A point in canvas pixels.
struct PixelPoint {
    int x = 0;
    int y = 0;
    friend bool operator==(const PixelPoint&, const PixelPoint&) = default;
};

/// True when the rectangle holds no pixel (right <= left or bottom <= top).
inline bool IsEmpty(const PixelRect& r) { return r.right <= r.left || r.bottom <= r.top; }

/// True when the two rectangles share at least one pixel.
inline bool Intersects(const PixelRect& a, const PixelRect& b) {
    return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

/// The rectangle moved right by dx pixels.
inline PixelRect ShiftedRight(const PixelRect& r, int dx) {
    return {r.left + dx, r.top, r.right + dx, r.bottom};
}

/// A decoded background picture. The program owns the decoded image; the
/// core only passes the handle back to the canvas that knows its type.
struct BackgroundPicture {
    const void* handle = nullptr;  ///< the program's image object
    int widthHimetric = 0;         ///< natural width, 0.01 mm
    int heightHimetric = 0;        ///< natural height, 0.01 mm
};

/// Drawing operations in canvas pixels (x right, y down, right and bottom
/// edges exclusive). Every operation is cut off by the clip region when one
/// is set. Text is drawn with the view font (its weight and italic are the
/// font's business) on a transparent background; the point given is the
/// top-left corner of the character cell.
class Canvas {
public:
    virtual ~Canvas() = default;

    /// Fills the rectangle with a solid colour.
    virtual void FillRect(const PixelRect& rect, Color color) = 0;
    /// Draws one character (a Unicode code point) with its cell's top-left at (x, y).
    virtual void DrawChar(int x, int y, char32_t ch, Color color) = 0;
    /// DrawChar for a cell already filled with `background` all over and not
    /// drawn on since: a canvas may put down the character and its cell in
    /// one step. The pixels come out as DrawChar's.
    virtual void DrawCharOver(int x, int y, char32_t ch, Color color, Color /*background*/) {
        DrawChar(x, y, ch, color);
    }
    /// Draws a run of ASCII text starting at (x, y), advancing by the font's widths.
    virtual void DrawText(int x, int y, std::string_view ascii, Color color) = 0;
    /// A 1-pixel solid line from `from` to `to`; the end point is not drawn.
    virtual void DrawLine(PixelPoint from, PixelPoint to, Color color) = 0;
    /// 1-pixel solid segments joining the points in order; each segment leaves
    /// out its end point, as DrawLine does.
    virtual void DrawPolyline(std::span<const PixelPoint> points, Color color) = 0;
    /// Replaces every pixel of the rectangle by its bitwise complement.
    virtual void InvertRect(const PixelRect& rect) = 0;
    /// Draws the picture scaled to fill `target`.
    virtual void DrawPicture(const BackgroundPicture& picture, const PixelRect& target) = 0;
    /// Restricts drawing to the union of the rectangles (an empty list allows nothing).
    virtual void SetClip(std::span<const PixelRect> rects) = 0;
    /// Lifts the restriction.
    virtual void ClearClip() = 0;

    /// Pixels per inch of the surface, used to size the background picture.
    virtual int DotsPerInchX() const { return 96; }
    virtual int DotsPerInchY() const { return 96; }
};

/// Draws nothing.
class NullCanvas : public Canvas {
public:
    void FillRect(const PixelRect&, Color) override {}
    void DrawChar(int, int, char32_t, Color) override {}
    void DrawText(int, int, std::string_view, Color) override {}
    void DrawLine(PixelPoint, PixelPoint, Color) override {}
    void DrawPolyline(std::span<const PixelPoint>, Color) override {}
    void InvertRect(const PixelRect&) override {}
    void DrawPicture(const BackgroundPicture&, const PixelRect&) override {}
    void SetClip(std::span<const PixelRect>) override {}
    void ClearClip() override {}
};

}  // namespace quenlix
