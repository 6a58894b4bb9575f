// PaintRegion: a bounded rectangle list.
#include "display/PaintRegion.h"

#include <algorithm>

namespace quenlix {

namespace {

PixelRect Union(const PixelRect& a, const PixelRect& b) {
    return {std::min(a.left, b.left), std::min(a.top, b.top), std::max(a.right, b.right),
            std::max(a.bottom, b.bottom)};
}

bool Contains(const PixelRect& outer, const PixelRect& inner) {
    return outer.left <= inner.left && outer.top <= inner.top && inner.right <= outer.right &&
           inner.bottom <= outer.bottom;
}

}  // namespace

void PaintRegion::Add(const PixelRect& rect) {
    if (IsEmpty(rect)) return;
    for (int i = 0; i < count_; ++i) {
        if (Contains(rects_[i], rect)) return;
    }
    if (count_ < kMaxRects) {
        rects_[count_++] = rect;
        return;
    }
    rects_[0] = Union(Bounds(), rect);
    count_ = 1;
}

bool PaintRegion::Intersects(const PixelRect& rect) const {
    for (int i = 0; i < count_; ++i) {
        if (quenlix::Intersects(rects_[i], rect)) return true;
    }
    return false;
}

bool PaintRegion::Covers(const PixelRect& rect) const {
    for (int i = 0; i < count_; ++i) {
        if (Contains(rects_[i], rect)) return true;
    }
    return false;
}

PixelRect PaintRegion::Bounds() const {
    if (count_ == 0) return {};
    PixelRect bounds = rects_[0];
    for (int i = 1; i < count_; ++i) bounds = Union(bounds, rects_[i]);
    return bounds;
}

}  // namespace quenlix
