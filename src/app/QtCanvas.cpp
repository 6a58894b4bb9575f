// QPainter drawing for the paint pass.
#include "app/QtCanvas.h"

#include <algorithm>
#include <cstdlib>

#include <QFontMetrics>
#include <QImage>
#include <QPaintDevice>
#include <QPaintEngine>
#include <QRegion>

namespace quenlix::app {

QtCanvas::QtCanvas(QPainter& painter, const QFont& font)
    : painter_(painter),
      // Only the raster engine (window, images) carries out raster
      // operations; the PDF engine behind printers claims them and drops them.
      rasterOps_(!painter.paintEngine() || painter.paintEngine()->type() == QPaintEngine::Raster),
      font_(font),
      ascent_(QFontMetrics(font, painter.device()).ascent()) {
    painter_.setFont(font);
    painter_.setRenderHint(QPainter::Antialiasing, false);
    glyph_.resize(2);
}

void QtCanvas::FillRect(const PixelRect& rect, Color color) {
    if (IsEmpty(rect)) return;
    Remember([rect, color](QtCanvas& c) { c.FillRect(rect, color); });
    painter_.fillRect(ToQRect(rect), ToQColor(color));
}

void QtCanvas::DrawChar(int x, int y, char32_t ch, Color color) {
    if (ch == U' ' || ch == 0) return;
    Remember([x, y, ch, color](QtCanvas& c) { c.DrawChar(x, y, ch, color); });
    if (glyphs_) {
        const qreal ratio = painter_.device() ? painter_.device()->devicePixelRatioF() : 1.0;
        painter_.drawImage(x, y,
                           glyphs_->Glyph(ch, color, font_, ascent_, cellWidth_, cellHeight_, ratio));
        return;
    }
    painter_.setPen(ToQColor(color));
    if (ch < 0x10000) {
        glyph_.resize(1);
        glyph_[0] = QChar(static_cast<char16_t>(ch));
    } else {
        glyph_.resize(2);
        glyph_[0] = QChar(QChar::highSurrogate(ch));
        glyph_[1] = QChar(QChar::lowSurrogate(ch));
    }
    painter_.drawText(x, y + ascent_, glyph_);
}

void QtCanvas::DrawText(int x, int y, std::string_view ascii, Color color) {
    if (!rasterOps_) {
        Remember([x, y, text = std::string(ascii), color](QtCanvas& c) {
            c.DrawText(x, y, text, color);
        });
    }
    painter_.setPen(ToQColor(color));
    painter_.drawText(x, y + ascent_,
                      QString::fromLatin1(ascii.data(), static_cast<qsizetype>(ascii.size())));
}

void QtCanvas::DrawLine(PixelPoint from, PixelPoint to, Color color) {
    if (from == to) return;
    Remember([from, to, color](QtCanvas& c) { c.DrawLine(from, to, color); });
    // Underlines, separators and the crosshair run along a row or a column:
    // as 1-pixel fills they need no pen, whose every setting allocates.
    if (from.y == to.y) {
        painter_.fillRect(std::min(from.x, to.x + 1), from.y, std::abs(to.x - from.x), 1,
                          ToQColor(color));
        return;
    }
    if (from.x == to.x) {
        painter_.fillRect(from.x, std::min(from.y, to.y + 1), 1, std::abs(to.y - from.y),
                          ToQColor(color));
        return;
    }
    // The end point is left out: step back one pixel along the line.
    const int dx = (to.x > from.x) - (to.x < from.x);
    const int dy = (to.y > from.y) - (to.y < from.y);
    painter_.setPen(QPen(ToQColor(color), 0));
    painter_.drawLine(from.x, from.y, to.x - dx, to.y - dy);
}

void QtCanvas::DrawPolyline(std::span<const PixelPoint> points, Color color) {
    for (std::size_t i = 1; i < points.size(); ++i) DrawLine(points[i - 1], points[i], color);
}

void QtCanvas::InvertRect(const PixelRect& rect) {
    if (IsEmpty(rect)) return;
    if (!rasterOps_) {
        InvertByImage(rect);
        return;
    }
    const QPainter::CompositionMode old = painter_.compositionMode();
    painter_.setCompositionMode(QPainter::RasterOp_NotDestination);
    painter_.fillRect(ToQRect(rect), Qt::white);
    painter_.setCompositionMode(old);
}

void QtCanvas::InvertByImage(const PixelRect& rect) {
    // The page is white where nothing was drawn. The image has the device's
    // resolution, so the font takes the same pixels on it.
    const QRect area = ToQRect(rect);
    QImage patch(area.size(), QImage::Format_RGB32);
    patch.fill(Qt::white);
    if (const QPaintDevice* device = painter_.device()) {
        patch.setDotsPerMeterX(qRound(device->logicalDpiX() / 0.0254));
        patch.setDotsPerMeterY(qRound(device->logicalDpiY() / 0.0254));
    }
    {
        QPainter p(&patch);
        p.translate(-area.topLeft());
        QtCanvas again(p, font_);
        for (const auto& step : drawn_) step(again);
        again.InvertRect(rect);
    }
    painter_.drawImage(area, patch);
    Remember([patch, area](QtCanvas& c) { c.painter_.drawImage(area, patch); });
}

void QtCanvas::DrawPicture(const BackgroundPicture& picture, const PixelRect& target) {
    if (!picture.handle || IsEmpty(target)) return;
    painter_.drawImage(ToQRect(target), *static_cast<const QImage*>(picture.handle));
}

void QtCanvas::SetClip(std::span<const PixelRect> rects) {
    QRegion region;
    for (const PixelRect& r : rects) region += ToQRect(r);
    painter_.setClipRegion(region);
}

void QtCanvas::ClearClip() { painter_.setClipping(false); }

int QtCanvas::DotsPerInchX() const {
    return painter_.device() ? painter_.device()->logicalDpiX() : 96;
}
int QtCanvas::DotsPerInchY() const {
    return painter_.device() ? painter_.device()->logicalDpiY() : 96;
}

}  // namespace quenlix::app
