// quenlix-telnet: the desktop TN5250 terminal.
#include <QApplication>
#include <QSysInfo>
#include <QTimer>

#include "app/CTelnetApp.h"
#include "terminal/TranslationCache.h"

int main(int argc, char** argv) {
    QApplication application(argc, argv);
    QApplication::setOrganizationName(QStringLiteral("Quenlix"));
    QApplication::setApplicationName(QStringLiteral("Products/Telnet"));
    QApplication::setApplicationVersion(QStringLiteral(QUENLIX_VERSION));

    const QStringList args = QApplication::arguments();
    if (args.contains(QStringLiteral("--version"))) {
        std::printf("quenlix-telnet %s\n", QUENLIX_VERSION);
        return 0;
    }
    if (args.contains(QStringLiteral("--help"))) {
        std::printf("usage: quenlix-telnet [SESSION.stn]\n"
                    "Opens the session file and connects when it says so.\n");
        return 0;
    }
    // The computer's name up to the first ".", at most 15 characters.
    const std::string computerName =
        QSysInfo::machineHostName().section(QLatin1Char('.'), 0, 0).left(15).toStdString();

    quenlix::app::CTelnetApp app(quenlix::ProgramDirectory(), computerName);
    app.frame().resize(1000, 680);
    app.frame().show();
    app.BeginFirstSession(args.size() > 1 ? args.at(1) : QString());

    // For the screenshot test: once the host waits for the operator, save
    // the window as a picture and quit (exit status 3 if that never happens).
    const QString shot = qEnvironmentVariable("QUENLIX_SCREENSHOT");
    QTimer watch;
    if (!shot.isEmpty()) {
        int ticks = 0;
        QObject::connect(&watch, &QTimer::timeout, [&] {
            const quenlix::TerminalState& s = app.session().terminal.state;
            if (s.connected && !s.inputInhibited && s.pendingRead != 0) {
                app.frame().grab().save(shot);
                QApplication::exit(0);
            } else if (++ticks > 200) {
                QApplication::exit(3);
            }
        });
        watch.start(100);
    }
    return application.exec();
}
