// The drawing canvas on a QPainter: the view's QImage back buffer and the
// printer's page both paint through it.
#pragma once

#include <QFont>
#include <QPainter>
#include <QString>
#include <functional>
#include <utility>
#include <vector>

#include "app/GlyphCache.h"
#include "display/Canvas.h"

namespace quenlix::app {

class QtCanvas : public Canvas {
public:
    /// `painter` is active on the target; `font` is the view font and
    /// `cellWidth`/`ascent` place characters in their cells.
    QtCanvas(QPainter& painter, const QFont& font);
    /// Characters are blitted from `glyphs`, rendered for cells of
    /// `cellWidth` x `cellHeight`.
    void UseGlyphCache(GlyphCache* glyphs, int cellWidth, int cellHeight);

    void FillRect(const PixelRect& rect, Color color) override;
    void DrawChar(int x, int y, char32_t ch, Color color) override;
    /// Copies the cached opaque cell into the back buffer where nothing else
    /// is in the way (a QImage of the buffer's format, a whole device pixel a
    /// logical one or more, no transformation, the cell inside the clip);
    /// anywhere else it draws as DrawChar does.
    void DrawCharOver(int x, int y, char32_t ch, Color color, Color background) override;
    void DrawText(int x, int y, std::string_view ascii, Color color) override;
    void DrawLine(PixelPoint from, PixelPoint to, Color color) override;
    void DrawPolyline(std::span<const PixelPoint> points, Color color) override;
    void InvertRect(const PixelRect& rect) override;
    void DrawPicture(const BackgroundPicture& picture, const PixelRect& target) override;
    void SetClip(std::span<const PixelRect> rects) override;
    void ClearClip() override;
    int DotsPerInchX() const override;
    int DotsPerInchY() const override;

    static QColor ToQColor(Color c) { return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF); }
    static QRect ToQRect(const PixelRect& r) {
        return QRect(r.left, r.top, r.right - r.left, r.bottom - r.top);
    }

private:
    /// On a device without raster operations (a printer or PDF file), what
    /// was drawn so far, so that InvertRect can draw it again on a small
    /// image, complement it there, and put the image on the page.
    template <typename Step>
    void Remember(Step&& step) {
        // Nothing is kept (or allocated) when painting the window.
        if (!rasterOps_) drawn_.emplace_back(std::forward<Step>(step));
    }
    void InvertByImage(const PixelRect& rect);
    /// The image cells can be copied into, or null.
    QImage* CopyTarget() const;
    bool InsideClip(const PixelRect& rect);

    QPainter& painter_;
    bool rasterOps_;
    std::vector<std::function<void(QtCanvas&)>> drawn_;
    QFont font_;
    int ascent_;
    GlyphCache* glyphs_ = nullptr;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    QString glyph_;  ///< reused for every character: no allocation per cell
    std::vector<PixelRect> clip_;  ///< as given to SetClip
    bool clipped_ = false;
    std::size_t clipHit_ = 0;  ///< the clip rectangle that held the last cell asked about
    QImage* copyTarget_ = nullptr;  ///< CopyTarget() once the glyphs are given
};

}  // namespace quenlix::app
