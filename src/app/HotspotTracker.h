// The view's hotspots: the list found on the screen, made again only when
// it is asked for after the screen changed (the mouse rests over the view,
// assistive technology reads it, a click), and the one under the mouse,
// which the view underlines and gives a hand cursor.
#pragma once

#include <optional>
#include <vector>

#include "input/Hotspots.h"

namespace quenlix::app {

class HotspotTracker {
public:
    /// The operator's option: off, the screen has no hotspots at all.
    void SetEnabled(bool enabled);
    bool enabled() const { return enabled_; }

    /// The screen changed: the list is found again when next asked for.
    void ScreenChanged() { stale_ = true; }
    /// The hotspots of `t` now; none while off or while no host is connected
    /// (a lost session's last screen, a replay: nothing there would answer).
    const std::vector<Hotspot>& List(const Terminal& t);
    /// The hotspot covering the 0-based cell, if any (cells off the screen
    /// have none).
    const Hotspot* At(const Terminal& t, int row, int column);

    /// The hotspot under the mouse becomes `hotspot` (a copy is kept; null:
    /// none). True when that changed what is underlined.
    bool Hover(const Hotspot* hotspot);
    const Hotspot* hovered() const { return hovered_ ? &*hovered_ : nullptr; }

private:
    std::vector<Hotspot> list_;
    std::optional<Hotspot> hovered_;
    bool stale_ = true;
    bool enabled_ = true;
};

/// The same hotspot: the same cells and text.
bool SameHotspot(const Hotspot& a, const Hotspot& b);

}  // namespace quenlix::app
