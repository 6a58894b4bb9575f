// The region a paint pass redraws: a short list of pixel rectangles in window
// coordinates, held in fixed storage so painting never allocates.
#pragma once

#include <array>
#include <span>

#include "display/Canvas.h"

namespace quenlix {

/// Up to kMaxRects rectangles. Adding one more than fits folds the whole list
/// into its bounding rectangle: the region then covers more than was asked,
/// never less, and its size stays fixed however many repaints pile up.
class PaintRegion {
public:
    static constexpr int kMaxRects = 32;

    PaintRegion() = default;
    explicit PaintRegion(const PixelRect& rect) { Add(rect); }

    /// Adds a rectangle; an empty one is ignored.
    void Add(const PixelRect& rect);
    /// True when some rectangle of the region shares a pixel with `rect`.
    bool Intersects(const PixelRect& rect) const;
    /// True when a single rectangle of the region holds all of `rect`.
    bool Covers(const PixelRect& rect) const;
    /// The smallest rectangle holding the region (all zero when empty).
    PixelRect Bounds() const;

    bool empty() const { return count_ == 0; }
    int size() const { return count_; }
    std::span<const PixelRect> rects() const {
        return {rects_.data(), static_cast<std::size_t>(count_)};
    }

private:
    std::array<PixelRect, kMaxRects> rects_{};
    int count_ = 0;
};

}  // namespace quenlix
