// The window of one printer session: its state ("Ready — waiting for
// spooled output", "Printing page 3 of print-….pdf…"), the host's code and
// text when the device could not start, the last files written with a
// button to open each, and Pause / Resume. It needs no display session.
// With a system printer named in the session, each page also goes to that
// printer through Qt's print support; with the host print transform each
// spooled file goes there untouched, as a raw job.
#pragma once

#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <QWidget>
#include <memory>

#include "app/QtPlatform.h"
#include "app/RawPrinting.h"
#include "connection/PrinterSession.h"
#include "connection/TerminalSession.h"

class QPainter;
class QPrinter;

namespace quenlix::app {

class PrinterSessionWindow : public QWidget, private PrinterEvents {
    Q_OBJECT
public:
    /// Files listed, the newest first.
    static constexpr int kFilesShown = 10;

    PrinterSessionWindow(const SessionSettings& settings, const std::string& tableDirectory,
                         QWidget* parent = nullptr);
    ~PrinterSessionWindow() override;

    /// Connects as a printer; false when the host could not be reached.
    bool Start();
    PrinterSession& session() { return session_; }

    /// What the state line says now.
    QString stateText() const { return state_->text(); }
    QString messageText() const { return message_->text(); }
    QListWidget* files() const { return files_; }
    QPushButton* pauseButton() const { return pause_; }
    /// Opens a file the way the open button does (tests replace it).
    std::function<void(const QString& path)> openFile;
    /// Queues a spooled file of printer-ready data (host print transform)
    /// untouched on the session's system printer (tests replace it).
    RawPrintRunner sendRaw;

private:
    // PrinterEvents
    void PrinterReady(const scs::StartupCode& code) override;
    void PrinterRefused(const scs::StartupCode& code) override;
    void PageLaidOut(const scs::PrintedPage& page) override;
    void PagePrinted(const std::string& path, int page) override;
    void FilePrinted(const std::string& path, int pages) override;
    void Problem(const std::string& text) override;
    void SessionEnded(const std::string& notice) override;

    void ShowState();
    void TogglePause();
    void OpenSelected();
    /// Paints a page on the system printer, beginning its job on the first.
    void PrintOnSystemPrinter(const scs::PrintedPage& page);
    void EndSystemPrinterJob();
    /// A spooled file of the host print transform to the system printer.
    void SendRawToSystemPrinter(const QString& path);

    QtMessageBoxes messages_;
    QtSocketNotifier notifier_;
    PrinterSession session_;
    QLabel* state_;
    QLabel* message_;
    QListWidget* files_;
    QPushButton* open_;
    QPushButton* pause_;
    QTimer tick_;
    QString stateLine_;
    std::unique_ptr<QPrinter> printer_;
    std::unique_ptr<QPainter> painter_;
};

/// Opens a printer session's window for a session file (read as a printer
/// whatever its device says), shows it and connects; it deletes itself when
/// closed. nullptr (a message shown) when the file cannot be read.
PrinterSessionWindow* OpenPrinterSessionFile(const QString& path, QWidget* parent = nullptr);
/// Asks for a session file, then OpenPrinterSessionFile.
void ChoosePrinterSessionFile(QWidget* parent);
/// True when `path` is a readable session file of a printer session.
bool IsPrinterSessionFile(const QString& path);

}  // namespace quenlix::app
