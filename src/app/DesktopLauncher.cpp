// The ".desktop" launcher writer.
#include "app/DesktopLauncher.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <QStandardPaths>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace quenlix::app {

// The freedesktop folders have no desktop shared by all users: on Linux a
// desktop belongs to its user (a shared one would be an administrator's
// own arrangement, not a standard location), so sharedDesktop stays empty
// and the all-users desktop choice is offered nowhere.
LauncherFolders SystemLauncherFolders() {
    LauncherFolders f;
    // Qt reads the user's folder settings (~/.config/user-dirs.dirs) as
    // xdg-user-dir does; a fresh account may not have the folder yet.
    f.userDesktop = QStandardPaths::writableLocation(QStandardPaths::DesktopLocation);
    f.userMenu = QStandardPaths::writableLocation(QStandardPaths::ApplicationsLocation);
    const QStringList all = QStandardPaths::standardLocations(QStandardPaths::ApplicationsLocation);
    for (const QString& dir : all) {
        if (dir == f.userMenu) continue;
        if (QFileInfo(dir).isDir()) {
            f.sharedMenu = dir;
            break;
        }
    }
    return f;
}

QString MakeLauncherFolder(const QString& folder) {
    if (folder.isEmpty()) return QString::fromLocal8Bit(std::strerror(ENOENT));
    std::error_code error;
    const std::filesystem::path path(QFile::encodeName(folder).toStdString());
    std::filesystem::create_directories(path, error);
    if (!error && !std::filesystem::is_directory(path, error)) {
        error = std::make_error_code(std::errc::not_a_directory);
    }
    return error ? QString::fromLocal8Bit(error.message()) : QString();
}

QString QuoteSessionArgument(const QString& path) {
    if (path.isEmpty()) return path;
    QString quoted = path;
    if (!quoted.startsWith(QLatin1Char('"'))) quoted.prepend(QLatin1Char('"'));
    if (quoted.size() == 1 || !quoted.endsWith(QLatin1Char('"'))) quoted.append(QLatin1Char('"'));
    return quoted;
}

Launcher MakeLauncher(const LauncherRequest& request) {
    Launcher l;
    const QFileInfo program(request.programPath);
    l.program = request.programPath;
    l.workingFolder = program.absolutePath();
    l.name = request.name.isEmpty() ? program.completeBaseName() : request.name;
    l.description = request.comment.isEmpty() ? l.name : request.comment;
    l.argument = QuoteSessionArgument(request.sessionPath);
    QString folder = request.folder;
    while (folder.size() > 1 && folder.endsWith(QLatin1Char('/'))) folder.chop(1);
    QString fileName = l.name;
    fileName.replace(QLatin1Char('/'), QLatin1Char('-'));
    fileName.remove(QChar(0));
    l.filePath = folder + QLatin1Char('/') + fileName + QStringLiteral(".desktop");
    return l;
}

namespace {

/// A string value: a backslash, a line break, a carriage return or a tab
/// written as its escape, so the value stays on its line.
QString EscapeValue(const QString& value) {
    QString out;
    for (QChar c : value) {
        switch (c.unicode()) {
            case '\\': out += QStringLiteral("\\\\"); break;
            case '\n': out += QStringLiteral("\\n"); break;
            case '\r': out += QStringLiteral("\\r"); break;
            case '\t': out += QStringLiteral("\\t"); break;
            default: out += c;
        }
    }
    return out;
}

/// One argument of Exec in double quotes, with the characters that quoting
/// does not protect escaped, and "%" doubled (it introduces field codes).
QString ExecArgument(const QString& argument) {
    QString out = QStringLiteral("\"");
    for (QChar c : argument) {
        if (c == QLatin1Char('"') || c == QLatin1Char('`') || c == QLatin1Char('$') ||
            c == QLatin1Char('\\')) {
            out += QLatin1Char('\\');
        }
        out += c;
    }
    out += QLatin1Char('"');
    return out.replace(QLatin1Char('%'), QStringLiteral("%%"));
}

/// The argument without the quotes QuoteSessionArgument put around it: the
/// program receives the bare path.
QString Unquoted(const QString& argument) {
    QString s = argument;
    if (s.startsWith(QLatin1Char('"'))) s.remove(0, 1);
    if (s.endsWith(QLatin1Char('"'))) s.chop(1);
    return s;
}

}  // namespace

QString LauncherText(const Launcher& launcher) {
    QString exec = ExecArgument(launcher.program);
    if (!launcher.argument.isEmpty()) exec += QLatin1Char(' ') + ExecArgument(Unquoted(launcher.argument));
    QString text;
    text += QStringLiteral("[Desktop Entry]\n");
    text += QStringLiteral("Type=Application\n");
    text += QStringLiteral("Version=1.0\n");
    text += QStringLiteral("Name=") + EscapeValue(launcher.name) + QLatin1Char('\n');
    text += QStringLiteral("Comment=") + EscapeValue(launcher.description) + QLatin1Char('\n');
    text += QStringLiteral("Exec=") + EscapeValue(exec) + QLatin1Char('\n');
    text += QStringLiteral("Path=") + EscapeValue(launcher.workingFolder) + QLatin1Char('\n');
    text += QStringLiteral("Icon=") + QLatin1String(kLauncherIcon) + QLatin1Char('\n');
    text += QStringLiteral("Terminal=false\n");
    return text;
}

bool WriteLauncher(const Launcher& launcher, QString* reason) {
    const QFileInfo target(launcher.filePath);
    if (!target.absoluteDir().exists()) {
        if (reason) *reason = QString::fromLocal8Bit(std::strerror(ENOENT));
        return false;
    }
    QSaveFile file(launcher.filePath);
    if (!file.open(QIODevice::WriteOnly)) {
        if (reason) *reason = file.errorString();
        return false;
    }
    file.write(LauncherText(launcher).toUtf8());
    if (!file.commit()) {
        if (reason) *reason = file.errorString();
        return false;
    }
    QFile::setPermissions(launcher.filePath, QFile::permissions(launcher.filePath) |
                                                 QFileDevice::ExeOwner | QFileDevice::ExeUser);
    return true;
}

}  // namespace quenlix::app
