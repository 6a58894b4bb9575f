// Raw jobs through the CUPS client.
#include "app/RawPrinting.h"

#include <QProcess>
#include <memory>

namespace quenlix::app {

namespace {
/// CUPS takes queue names of up to 127 characters.
constexpr qsizetype kLongestQueueName = 127;
/// What lp says on failure is shown; a runaway output is cut here.
constexpr qsizetype kLongestMessage = 300;

bool QueueName(const QString& name) {
    if (name.isEmpty() || name.size() > kLongestQueueName || name.startsWith(QLatin1Char('-'))) {
        return false;
    }
    for (const QChar c : name) {
        if (c.unicode() < 0x21 || c.unicode() == 0x7F || c == QLatin1Char('/') ||
            c == QLatin1Char('#') || c == QLatin1Char('\\') || c.isSpace()) {
            return false;
        }
    }
    return true;
}
}  // namespace

RawPrintCommand RawPrintCommandFor(const QString& printer, const QString& file,
                                   const QString& title) {
    if (!QueueName(printer) || file.isEmpty()) return {};
    return {QStringLiteral("lp"),
            {QStringLiteral("-d"), printer, QStringLiteral("-o"), QStringLiteral("raw"),
             QStringLiteral("-t"), title, QStringLiteral("--"), file}};
}

RawPrintRunner ProcessRawPrintRunner(QObject* owner) {
    return [owner](const RawPrintCommand& command, std::function<void(const QString&)> done) {
        auto* process = new QProcess(owner);
        process->setProgram(command.program);
        process->setArguments(command.arguments);
        process->setProcessChannelMode(QProcess::MergedChannels);
        process->setStandardInputFile(QProcess::nullDevice());
        // Told once, whichever of the two signals comes first.
        auto told = std::make_shared<bool>(false);
        auto tell = [process, done, told](const QString& text) {
            if (*told) return;
            *told = true;
            if (done) done(text);
            process->deleteLater();
        };
        QObject::connect(process, &QProcess::errorOccurred, process,
                         [process, tell](QProcess::ProcessError error) {
                             if (error != QProcess::FailedToStart) return;
                             tell(QStringLiteral("%1 could not be started (%2): the CUPS client "
                                                 "(package cups-client) sends printer-ready data")
                                      .arg(process->program(), process->errorString()));
                         });
        QObject::connect(
            process, &QProcess::finished, process,
            [process, tell](int code, QProcess::ExitStatus status) {
                if (status == QProcess::NormalExit && code == 0) {
                    tell(QString());
                    return;
                }
                QString said = QString::fromLocal8Bit(process->readAll()).trimmed();
                if (said.isEmpty()) {
                    said =
                        QStringLiteral("%1 ended with status %2").arg(process->program()).arg(code);
                }
                tell(said.left(kLongestMessage));
            });
        process->start();
    };
}

}  // namespace quenlix::app
