// Glyph rendering into small transparent images.
#include "app/GlyphCache.h"

#include <QPainter>

namespace quenlix::app {

const QImage& GlyphCache::Glyph(char32_t ch, std::uint32_t color, const QFont& font, int ascent,
                                int cellWidth, int cellHeight, qreal pixelRatio) {
    pixelRatio = pixelRatio > 0 ? pixelRatio : 1.0;
    if (font != font_ || cellWidth != cellWidth_ || cellHeight != cellHeight_ ||
        pixelRatio != pixelRatio_ || glyphs_.size() >= kMaxGlyphs) {
        glyphs_.clear();
        font_ = font;
        cellWidth_ = cellWidth;
        cellHeight_ = cellHeight;
        pixelRatio_ = pixelRatio;
    }
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

}  // namespace quenlix::app
