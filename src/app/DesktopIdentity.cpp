// The program's icon and desktop file name.
#include "app/DesktopIdentity.h"

#include <QGuiApplication>

// Compiled into a static library, the resource is linked in only when
// something refers to it; this does, and registers it.
static void InitialiseIconResource() { Q_INIT_RESOURCE(icons); }

namespace quenlix::app {

QIcon ProgramIcon() {
    InitialiseIconResource();
    // The picture is SVG: Qt's SVG icon engine (libqt6svg6) draws it.
    return QIcon::fromTheme(QString::fromLatin1(kDesktopFileName),
                            QIcon(QStringLiteral(":/icons/quenlix-telnet.svg")));
}

void SetDesktopIdentity() {
    QGuiApplication::setWindowIcon(ProgramIcon());
    QGuiApplication::setDesktopFileName(QString::fromLatin1(kDesktopFileName));
}

}  // namespace quenlix::app
