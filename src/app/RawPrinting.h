// Printer-ready data (what the host print transform sends: PCL, PostScript
// for the printer model named) to a system printer untouched: queued with
// the CUPS client's lp and its raw option, so no filter converts it.
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>

namespace quenlix::app {

/// A program and its arguments, run without a shell.
struct RawPrintCommand {
    QString program;
    QStringList arguments;
};

/// The command that queues `file` raw on the system printer `printer`
/// with the job title `title`; an empty program when `printer` cannot be a
/// print queue's name (empty, too long, a leading '-', blanks, '/', '#'
/// or control characters).
RawPrintCommand RawPrintCommandFor(const QString& printer, const QString& file,
                                   const QString& title);

/// Runs a raw print command; `done` gets an empty text once the job is
/// queued, else why it was not. Tests give one that runs nothing.
using RawPrintRunner =
    std::function<void(const RawPrintCommand& command, std::function<void(const QString&)> done)>;

/// The runner of the program: the command as a process of `owner`'s,
/// waited for without blocking the window.
RawPrintRunner ProcessRawPrintRunner(QObject* owner);

}  // namespace quenlix::app
