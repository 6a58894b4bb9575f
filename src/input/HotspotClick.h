// A click on a hotspot: the function-key label presses its key, a menu item
// or option number is typed into its field (Enter after it on a command
// line), "More..." rolls. The functions are performed as themselves, never
// through the key map, and only while the keyboard is free: a click is never
// held for the next screen, where what was clicked may be gone.
#pragma once

#include "input/Hotspots.h"
#include "input/OperatorInput.h"

namespace quenlix {

enum class HotspotClickResult {
    kPerformed,  ///< keys went to the terminal
    kRefused,    ///< refused with a reason on the indicator row
    kOpen,       ///< an address: the front end opens Hotspot::action
};

HotspotClickResult ClickHotspot(OperatorInput& input, const Hotspot& hotspot);

}  // namespace quenlix
