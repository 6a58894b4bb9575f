// Pre-rendered characters: drawing text through the font engine one cell at
// a time costs microseconds a character; blitting a cached cell-sized glyph
// costs a fraction of that. One cache per font and cell size.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <unordered_map>

namespace quenlix::app {

class GlyphCache {
public:
    /// Most glyphs kept; past it the cache starts over (a screen uses a few
    /// hundred character and colour pairs).
    static constexpr std::size_t kMaxGlyphs = 4096;

    /// The glyph of `ch` in `color` (0x00BBGGRR) for `font`, `cellWidth` x
    /// `cellHeight` logical pixels with the baseline at `ascent`, rendered at
    /// `pixelRatio` device pixels a logical pixel (2 on a 200 % screen), so
    /// it stays crisp there. A different font, cell size or ratio empties the
    /// cache first.
    const QImage& Glyph(char32_t ch, std::uint32_t color, const QFont& font, int ascent,
                        int cellWidth, int cellHeight, qreal pixelRatio = 1.0);

    std::size_t size() const { return glyphs_.size(); }

private:
    std::unordered_map<std::uint64_t, QImage> glyphs_;
    QFont font_;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    qreal pixelRatio_ = 1.0;
};

}  // namespace quenlix::app
