// QPainter drawing for the paint pass.
#include "app/QtCanvas.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

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

void QtCanvas::UseGlyphCache(GlyphCache* glyphs, int cellWidth, int cellHeight) {
    glyphs_ = glyphs;
    cellWidth_ = cellWidth;
    cellHeight_ = cellHeight;
    // The painter's state is the canvas's own to change, and it changes none
    // of what CopyTarget asks: asked once, here.
    copyTarget_ = CopyTarget();
}

QImage* QtCanvas::CopyTarget() const {
    QPaintDevice* device = painter_.device();
    if (!glyphs_ || !rasterOps_ || !device || device->devType() != QInternal::Image) return nullptr;
    auto* image = static_cast<QImage*>(device);
    const qreal ratio = image->devicePixelRatio();
    if (image->format() != QImage::Format_RGB32 || ratio < 1 || ratio != qRound(ratio) ||
        painter_.worldTransform().type() != QTransform::TxNone ||
        painter_.compositionMode() != QPainter::CompositionMode_SourceOver ||
        painter_.opacity() != 1.0) {
        return nullptr;
    }
    return image;
}

bool QtCanvas::InsideClip(const PixelRect& rect) {
    if (!clipped_) return true;
    // Cells come in row order: the rectangle that held the last one mostly
    // holds the next.
    auto holds = [&rect](const PixelRect& c) {
        return c.left <= rect.left && c.top <= rect.top && rect.right <= c.right &&
               rect.bottom <= c.bottom;
    };
    if (clipHit_ < clip_.size() && holds(clip_[clipHit_])) return true;
    for (std::size_t i = 0; i < clip_.size(); ++i) {
        if (holds(clip_[i])) {
            clipHit_ = i;
            return true;
        }
    }
    return false;
}

void QtCanvas::DrawCharOver(int x, int y, char32_t ch, Color color, Color background) {
    if (ch == U' ' || ch == 0) return;
    QImage* target = copyTarget_;
    if (!target || !InsideClip({x, y, x + cellWidth_, y + cellHeight_})) {
        DrawChar(x, y, ch, color);
        return;
    }
    const int ratio = qRound(target->devicePixelRatio());
    const QImage& cell =
        glyphs_->Cell(ch, color, background, font_, ascent_, cellWidth_, cellHeight_, ratio);
    const int left = x * ratio;
    const int top = y * ratio;
    if (left < 0 || top < 0 || cell.format() != target->format() ||
        left + cell.width() > target->width() || top + cell.height() > target->height()) {
        DrawChar(x, y, ch, color);
        return;
    }
    // The painter made the image its own when it began (the buffer it draws
    // into is this one), so bits() hands out that buffer and copies nothing.
    const qsizetype targetStride = target->bytesPerLine();
    const qsizetype cellStride = cell.bytesPerLine();
    uchar* to = target->bits() + top * targetStride + static_cast<qsizetype>(left) * 4;
    const uchar* from = cell.constBits();
    const auto rowBytes = static_cast<std::size_t>(cell.width()) * 4;
    for (int row = cell.height(); row > 0; --row, to += targetStride, from += cellStride) {
        std::memcpy(to, from, rowBytes);
    }
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
    clip_.assign(rects.begin(), rects.end());
    clipped_ = true;
    clipHit_ = 0;
    QRegion region;
    for (const PixelRect& r : rects) region += ToQRect(r);
    painter_.setClipRegion(region);
}

void QtCanvas::ClearClip() {
    clipped_ = false;
    clip_.clear();
    painter_.setClipping(false);
}

int QtCanvas::DotsPerInchX() const {
    return painter_.device() ? painter_.device()->logicalDpiX() : 96;
}
int QtCanvas::DotsPerInchY() const {
    return painter_.device() ? painter_.device()->logicalDpiY() : 96;
}

}  // namespace quenlix::app
