// Glyph rendering into small transparent images.
#include "app/GlyphCache.h"

#include <QPainter>

namespace quenlix::app {

void GlyphCache::Fit(const QFont& font, int cellWidth, int cellHeight, qreal pixelRatio) {
    if (font == font_ && cellWidth == cellWidth_ && cellHeight == cellHeight_ &&
        pixelRatio == pixelRatio_) {
        return;
    }
    glyphs_.clear();
    cells_.clear();
    font_ = font;
    cellWidth_ = cellWidth;
    cellHeight_ = cellHeight;
    pixelRatio_ = pixelRatio;
}

const QImage& GlyphCache::Glyph(char32_t ch, std::uint32_t color, const QFont& font, int ascent,
                                int cellWidth, int cellHeight, qreal pixelRatio) {
    pixelRatio = pixelRatio > 0 ? pixelRatio : 1.0;
    Fit(font, cellWidth, cellHeight, pixelRatio);
    if (glyphs_.size() >= kMaxGlyphs) glyphs_.clear();
    const std::uint64_t key = (static_cast<std::uint64_t>(ch) << 32) | color;
    auto it = glyphs_.find(key);
    if (it != glyphs_.end()) return it->second;

    QImage image(std::max(1, qRound(cellWidth * pixelRatio)),
                 std::max(1, qRound(cellHeight * pixelRatio)), QImage::Format_ARGB32_Premultiplied);
    image.setDevicePixelRatio(pixelRatio);
    image.fill(Qt::transparent);
    {
        QPainter p(&image);
        p.setFont(font);
        p.setPen(QColor(color & 0xFF, (color >> 8) & 0xFF, (color >> 16) & 0xFF));
        QString text;
        if (ch < 0x10000) {
            text = QString(QChar(static_cast<char16_t>(ch)));
        } else {
            text = QString::fromUcs4(&ch, 1);
        }
        p.drawText(0, ascent, text);
    }
    return glyphs_.emplace(key, std::move(image)).first->second;
}

const QImage& GlyphCache::Cell(char32_t ch, std::uint32_t color, std::uint32_t background,
                               const QFont& font, int ascent, int cellWidth, int cellHeight,
                               qreal pixelRatio) {
    pixelRatio = pixelRatio > 0 ? pixelRatio : 1.0;
    Fit(font, cellWidth, cellHeight, pixelRatio);
    if (cells_.size() >= kMaxCells) cells_.clear();
    const CellKey key{(static_cast<std::uint64_t>(ch) << 32) | color, background};
    auto it = cells_.find(key);
    if (it != cells_.end()) return it->second;

    // Made by the same blend that draws the glyph on the back buffer. The
    // glyph is copied first: making it may empty its own cache.
    const QImage glyph = Glyph(ch, color, font, ascent, cellWidth, cellHeight, pixelRatio);
    QImage cell(glyph.size(), QImage::Format_RGB32);
    cell.setDevicePixelRatio(pixelRatio);
    cell.fill(QColor(background & 0xFF, (background >> 8) & 0xFF, (background >> 16) & 0xFF));
    {
        QPainter p(&cell);
        p.drawImage(0, 0, glyph);
    }
    return cells_.emplace(key, std::move(cell)).first->second;
}

}  // namespace quenlix::app
