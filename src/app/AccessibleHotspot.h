// A hotspot of the terminal view as assistive technology takes it in: a
// link for an address, a button for a function key, a menu item or a
// list's marker, named by its text on the screen, described by what it
// does, with one action that does what a click does.
#pragma once

#include <QAccessible>
#include <QString>

#include "input/Hotspots.h"

namespace quenlix::app {

class TerminalAccessibility;

/// What a click on the hotspot does, in words ("presses F3", "types 1 and
/// presses Enter", "rolls up", "opens https://…").
QString HotspotActionWords(const Hotspot& hotspot, const QString& text);

/// The accessible child for the hotspot at `slot` of the view's list; it
/// reads the list each time, so it stays right as the screen changes.
QAccessibleInterface* NewHotspotAccessible(TerminalAccessibility& owner, int slot);

}  // namespace quenlix::app
