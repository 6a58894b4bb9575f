// A canvas that writes each drawing call as one readable line, for tests and
// for looking at what a paint pass does.
#pragma once

#include <string>
#include <vector>

#include "display/Canvas.h"

namespace quenlix {

/// Lines look like:
///   fill 0,0-12,20 #14FF14
///   char 12,0 'A' #FFFFFF          (non-ASCII: U+00E9)
///   text 240,522 "X-System" #7878FF
///   line 0,520-960,520 #14FF14
///   polyline 24,524 48,524 48,538 #14FF14
///   invert 120,60-132,79
///   picture 0,0-100,50
///   clip 0,0-12,20 24,0-36,20       (or "clip none", "clip empty")
/// Rectangles are left,top-right,bottom; colours #RRGGBB.
class RecordingCanvas : public Canvas {
public:
    void FillRect(const PixelRect& rect, Color color) override;
    void DrawChar(int x, int y, char32_t ch, Color color) override;
    void DrawText(int x, int y, std::string_view ascii, Color color) override;
    void DrawLine(PixelPoint from, PixelPoint to, Color color) override;
    void DrawPolyline(std::span<const PixelPoint> points, Color color) override;
    void InvertRect(const PixelRect& rect) override;
    void DrawPicture(const BackgroundPicture& picture, const PixelRect& target) override;
    void SetClip(std::span<const PixelRect> rects) override;
    void ClearClip() override;
    int DotsPerInchX() const override { return dpiX; }
    int DotsPerInchY() const override { return dpiY; }

    /// The lines that start with `prefix` (e.g. "char ", "invert").
    std::vector<std::string> With(std::string_view prefix) const;
    /// True when some line equals `line` exactly.
    bool Has(std::string_view line) const;
    /// Index of the first line equal to `line`, or -1.
    int IndexOf(std::string_view line) const;
    /// Every line, joined with newlines (for failure messages).
    std::string Dump() const;

    static std::string Format(const PixelRect& rect);
    static std::string Format(Color color);

    std::vector<std::string> lines;
    int dpiX = 96;
    int dpiY = 96;
};

}  // namespace quenlix
