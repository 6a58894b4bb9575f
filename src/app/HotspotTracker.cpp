// The view's hotspots, found again only when asked for after a change.
#include "app/HotspotTracker.h"

namespace quenlix::app {

bool SameHotspot(const Hotspot& a, const Hotspot& b) {
    return a.row == b.row && a.column == b.column && a.length == b.length && a.kind == b.kind &&
           a.text == b.text;
}

void HotspotTracker::SetEnabled(bool enabled) {
    if (enabled_ == enabled) return;
    enabled_ = enabled;
    stale_ = true;
    if (!enabled) hovered_.reset();
}

const std::vector<Hotspot>& HotspotTracker::List(const Terminal& t) {
    // Cells the host or the operator changed since the last frame count
    // too: a click or a screen reader between a record and its frame acts
    // on the screen as the model holds it.
    if (stale_ || t.damage.all() || t.damage.anyCells()) {
        list_.clear();
        if (enabled_ && t.state.connected) list_ = FindHotspots(t);
        stale_ = false;
    }
    return list_;
}

const Hotspot* HotspotTracker::At(const Terminal& t, int row, int column) {
    if (row < 0 || column < 0 || row >= t.rows() || column >= t.columns()) return nullptr;
    return HotspotAt(List(t), row, column);
}

bool HotspotTracker::Hover(const Hotspot* hotspot) {
    if (!hotspot && !hovered_) return false;
    if (hotspot && hovered_ && SameHotspot(*hotspot, *hovered_)) return false;
    if (hotspot) {
        hovered_ = *hotspot;
    } else {
        hovered_.reset();
    }
    return true;
}

}  // namespace quenlix::app
