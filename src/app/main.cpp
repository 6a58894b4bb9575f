// quenlix-telnet: the desktop TN5250 terminal.
//
// Start-up on this platform has no socket library to initialise or check
// (POSIX sockets need none), no help-file path to fix and no document
// template to register; the rest follows CTelnetApp.
#include <QApplication>
#include <QAbstractButton>
#include <QMessageBox>
#include <QSysInfo>
#include <QTimer>

#include <cstdio>
#include <cstring>

#include "app/CTelnetApp.h"
#include "app/DesktopIdentity.h"
#include "app/PrinterSessionWindow.h"
#include "app/SessionCommands.h"
#include "prefs/StartupRules.h"
#include "terminal/StringTable.h"
#include "terminal/TranslationCache.h"

int main(int argc, char** argv) {
    // --version and --help answer before the toolkit starts, so they work
    // without a display.
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("quenlix-telnet %s\n", QUENLIX_VERSION);
            return 0;
        }
        if (std::strcmp(argv[i], "--help") == 0) {
            std::printf("usage: quenlix-telnet [SESSION.stn]\n"
                        "Opens the session file and connects when it says so.\n"
                        "Several session files open a tab each, the first in front.\n"
                        "  --help     show this text\n"
                        "  --version  show the version\n");
            return 0;
        }
    }

    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quenlix"));
    QApplication::setApplicationName(QStringLiteral("quenlix-telnet"));
    QApplication::setApplicationVersion(QStringLiteral(QUENLIX_VERSION));
    quenlix::app::SetDesktopIdentity();

    const QStringList args = QApplication::arguments();
    std::vector<std::string> arguments;
    for (qsizetype i = 1; i < args.size(); ++i) arguments.push_back(args.at(i).toStdString());

    // Each session file named on the command line must be readable;
    // otherwise the program says so and ends before its window comes up.
    for (const std::string& path : quenlix::SessionPathsFromArguments(arguments)) {
        if (quenlix::app::FileReadable(path)) continue;
        QMessageBox::warning(nullptr, QString::fromUtf8(quenlix::LoadString(quenlix::kStrAppTitle).data()),
                             QStringLiteral("Cannot open the file\n%1").arg(QString::fromStdString(path)));
        return 1;
    }

    // A printer session's file opens its printer window alone: a printer
    // needs no display session beside it.
    if (const std::optional<std::string> path = quenlix::SessionPathFromArguments(arguments);
        path && quenlix::app::IsPrinterSessionFile(QString::fromStdString(*path))) {
        if (!quenlix::app::OpenPrinterSessionFile(QString::fromStdString(*path))) return 1;
        return application.exec();
    }

    // The computer's name up to the first ".", at most 15 characters.
    const std::string computerName =
        QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).left(15).toStdString();

    quenlix::app::CTelnetApp app(quenlix::DataDirectory(), computerName);
    app.Startup(arguments);

    // For the screenshot test: once the host waits for the operator, save
    // the terminal view (not the bars around it) as a picture and quit (exit
    // status 3 if that never happens).
    // The timers' counters live as long as the timers, not the blocks below.
    int ticks = 0;
    bool closing = false;
    const QString shot = qEnvironmentVariable("QUENLIX_SCREENSHOT");
    QTimer watch;
    if (!shot.isEmpty()) {
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const quenlix::TerminalState& s = app.session().terminal.state;
            if (s.connected && !s.inputInhibited && s.pendingRead != 0) {
                app.frame().view()->grab().save(shot);
                QApplication::exit(0);
            } else if (++ticks > 200) {
                QApplication::exit(3);
            }
        });
        watch.start(100);
    }
    // For the start-and-close test: once the host waits for the operator,
    // close the main window through its close sequence, answering Yes to
    // every question it asks.
    QTimer closer;
    if (qEnvironmentVariableIsSet("QUENLIX_CLOSE_WHEN_READY")) {
        QObject::connect(&closer, &QTimer::timeout, [&] {
            if (auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget())) {
                if (QAbstractButton* yes = box->button(QMessageBox::Yes)) yes->click();
                return;
            }
            const quenlix::TerminalState& s = app.session().terminal.state;
            if (!closing && s.connected && !s.inputInhibited && s.pendingRead != 0) {
                closing = true;
                QTimer::singleShot(0, &app.frame(), [&] { app.frame().close(); });
            } else if (!closing && ++ticks > 200) {
                QApplication::exit(3);
            }
        });
        closer.start(100);
    }
    return application.exec();
}
