// Pre-rendered characters: drawing text through the font engine one cell at
// a time costs microseconds a character; blitting a cached cell-sized glyph
// costs a fraction of that. One cache per font and cell size.
#pragma once

#include <QFont>
#include <QImage>
#include <cstdint>
#include <functional>
#include <unordered_map>

namespace quenlix::app {

class GlyphCache {
public:
    /// Most glyphs kept; past it the cache starts over (a screen uses a few
    /// hundred character and colour pairs).
    static constexpr std::size_t kMaxGlyphs = 4096;
    /// Most opaque cells kept, on the same terms: a 10 x 20 cell takes 800
    /// bytes (four times that at 200 %).
    static constexpr std::size_t kMaxCells = 2048;

    /// The glyph of `ch` in `color` (0x00BBGGRR) for `font`, `cellWidth` x
    /// `cellHeight` logical pixels with the baseline at `ascent`, rendered at
    /// `pixelRatio` device pixels a logical pixel (2 on a 200 % screen), so
    /// it stays crisp there. A different font, cell size or ratio empties the
    /// cache first.
    const QImage& Glyph(char32_t ch, std::uint32_t color, const QFont& font, int ascent,
                        int cellWidth, int cellHeight, qreal pixelRatio = 1.0);

    /// The whole cell of `ch` in `color` over `background`, opaque, in the
    /// RGB32 format of the back buffer: the glyph blended onto the colour just
    /// as painting it on a cell filled with that colour blends it, so copying
    /// the cell into place gives the same pixels without blending each time.
    const QImage& Cell(char32_t ch, std::uint32_t color, std::uint32_t background,
                       const QFont& font, int ascent, int cellWidth, int cellHeight,
                       qreal pixelRatio = 1.0);

    std::size_t size() const { return glyphs_.size(); }
    std::size_t cells() const { return cells_.size(); }

private:
    struct CellKey {
        std::uint64_t glyph;  ///< as the glyphs' own key: character and colour
        std::uint32_t background;
        friend bool operator==(const CellKey&, const CellKey&) = default;
    };
    struct CellKeyHash {
        std::size_t operator()(const CellKey& k) const {
            const auto background = static_cast<std::uint64_t>(k.background);
            return std::hash<std::uint64_t>{}(k.glyph ^ (background << 21));
        }
    };
    /// Empties both caches when the font, cell or ratio differs from theirs.
    void Fit(const QFont& font, int cellWidth, int cellHeight, qreal pixelRatio);

    std::unordered_map<std::uint64_t, QImage> glyphs_;
    std::unordered_map<CellKey, QImage, CellKeyHash> cells_;
    QFont font_;
    int cellWidth_ = 0;
    int cellHeight_ = 0;
    qreal pixelRatio_ = 1.0;
};

}  // namespace quenlix::app
