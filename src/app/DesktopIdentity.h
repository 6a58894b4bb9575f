// How the desktop knows the program: its icon on the window and in the task
// bar, and the name of its menu entry (quenlix-telnet.desktop), which
// Wayland compositors take as the application's id to find the icon and
// group its windows.
#pragma once

#include <QIcon>

namespace quenlix::app {

/// The menu entry's name without ".desktop", as installed under
/// share/applications; also the icon's name in the icon theme.
inline constexpr const char* kDesktopFileName = "quenlix-telnet";

/// The program's icon: the one installed in the icon theme when the theme
/// has it, else the copy built into the program (the same picture), so a
/// program run from its build folder shows it too.
QIcon ProgramIcon();

/// Gives the application its icon (every window takes it) and its desktop
/// file name. Call once, after the QApplication exists.
void SetDesktopIdentity();

}  // namespace quenlix::app
