// Launcher files that start the program on a session file: a freedesktop
// ".desktop" entry with the program as its command, the session path as its
// one argument and the program's folder as its working folder. Also the
// folders a launcher can go to.
#pragma once

#include <QString>

namespace quenlix::app {

/// Where launchers go; an empty folder does not exist on this system.
struct LauncherFolders {
    QString userDesktop;   ///< the user's desktop folder
    QString sharedDesktop; ///< a desktop folder shared by all users (none on most systems)
    QString userMenu;      ///< the user's application-menu folder
    QString sharedMenu;    ///< the application-menu folder shared by all users
};

/// The folders of this system: the user's desktop folder (XDG_DESKTOP_DIR
/// of the user's folder settings, as `xdg-user-dir DESKTOP` gives it, else
/// ~/Desktop), named even when it does not exist yet (the launcher makes
/// it); the user's application-menu folder; and the first existing shared
/// application folder of the data directories. Linux has no desktop shared
/// by all users.
LauncherFolders SystemLauncherFolders();

/// Makes the folder and any missing folder above it. Empty when the folder
/// is there now; otherwise the system's reason it could not be made (a
/// plain file in its place, no permission, a read-only file system).
QString MakeLauncherFolder(const QString& folder);

/// The session path as the launcher's argument: a double quote added at the
/// start unless it begins with one and at the end unless it ends with one;
/// an empty path stays empty.
QString QuoteSessionArgument(const QString& path);

/// What a launcher is made from.
struct LauncherRequest {
    QString folder;       ///< a trailing "/" is ignored
    QString name;         ///< empty: the program's file name without extension
    QString comment;      ///< empty: the name
    QString programPath;  ///< the program's full path
    QString sessionPath;  ///< empty: no argument
};

/// A launcher ready to be written.
struct Launcher {
    QString filePath;       ///< folder/name.desktop
    QString name;           ///< shown name
    QString description;    ///< the comment, or the name
    QString program;        ///< the command
    QString argument;       ///< the quoted session path, or empty
    QString workingFolder;  ///< the program's folder
};

/// Works out the launcher. A "/" in the name would put the file in another
/// folder: the file name takes "-" in its place (the shown name keeps it).
Launcher MakeLauncher(const LauncherRequest& request);

/// The icon a launcher shows: the program's icon as installed in the icon
/// theme (share/icons/hicolor/scalable/apps/quenlix-telnet.svg).
inline constexpr const char* kLauncherIcon = "quenlix-telnet";

/// The ".desktop" text: Type, Name, Comment, Exec, Path, Icon, Terminal, with the
/// values escaped as the format wants (line breaks cannot start new keys,
/// "%" and the quoting characters of Exec are escaped).
QString LauncherText(const Launcher& launcher);

/// Writes the file, replacing one that exists, and marks it executable (the
/// desktop then trusts it). False when the folder does not exist or the
/// file cannot be written; `reason`, when given, then receives why.
bool WriteLauncher(const Launcher& launcher, QString* reason = nullptr);

}  // namespace quenlix::app
