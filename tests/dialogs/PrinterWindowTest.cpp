// The printer session's window against the demo host (the report written,
// its file listed and opened, Pause and Resume, a refused device's code and
// text), and the Printer page of Session Properties.
#include <gtest/gtest.h>

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QElapsedTimer>
#include <QLineEdit>
#include <QSpinBox>
#include <QTemporaryDir>
#include <memory>
#include <optional>
#include <thread>

#include "app/SessionPropertiesDialog.h"
#include "app/PrinterSessionWindow.h"
#include "app/PrinterSettingsPage.h"
#include "app/RawPrinting.h"
#include "demohost/DemoServer.h"
#include "terminal/StringTable.h"

namespace quenlix::app::testing {
namespace {

class HostThread {
public:
    explicit HostThread(demohost::ServerOptions options) {
        options.port = 0;
        server_ = std::make_unique<demohost::DemoServer>(options);
        std::string error;
        EXPECT_TRUE(server_->Open(error)) << error;
        loop_ = std::thread([this] { server_->Run(); });
    }
    ~HostThread() {
        server_->RequestStop();
        loop_.join();
    }
    int port() const { return server_->port(); }

private:
    std::unique_ptr<demohost::DemoServer> server_;
    std::thread loop_;
};

template <typename Done>
bool RunUntil(Done done) {
    QElapsedTimer timer;
    timer.start();
    while (!done() && timer.elapsed() < 20000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return done();
}

SessionSettings PrinterAt(int port, const QString& folder) {
    SessionSettings s;
    s.Name = "Printer";
    s.IP = "127.0.0.1";
    s.Port = port;
    s.PageCode = 37;
    s.Device = DeviceKind::kPrinter;
    s.DisplayNameAuto = 0;
    s.DisplayName = "PRT01";
    s.OutputFolder = folder.toStdString();
    return s;
}

TEST(PrinterWindowTest, TheReportIsWrittenListedAndOpened) {
    demohost::ServerOptions options;
    options.scenario = demohost::Scenario::kPrint;
    options.burstCount = 2;
    HostThread host(options);
    QTemporaryDir folder;
    PrinterSessionWindow window(PrinterAt(host.port(), folder.path()), DataDirectory());
    QString opened;
    window.openFile = [&](const QString& path) { opened = path; };
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(RunUntil([&] { return window.files()->count() == 1; }))
        << window.stateText().toStdString();
    EXPECT_EQ(window.stateText(), QStringLiteral("Ready — waiting for spooled output"));
    EXPECT_EQ(window.messageText(), QStringLiteral("I902 Session successfully started"));
    EXPECT_TRUE(window.files()->item(0)->text().endsWith(QStringLiteral("-001.pdf (2 pages)")))
        << window.files()->item(0)->text().toStdString();
    window.files()->setCurrentRow(0);
    window.files()->itemActivated(window.files()->item(0));
    EXPECT_EQ(QFileInfo(opened).dir().absolutePath(), QDir(folder.path()).absolutePath());
    EXPECT_TRUE(QFileInfo::exists(opened));

    // Pause holds the host's data back; Resume takes it again.
    window.pauseButton()->click();
    EXPECT_TRUE(window.session().paused());
    EXPECT_TRUE(window.stateText().endsWith(QStringLiteral("(paused)")));
    EXPECT_EQ(window.pauseButton()->text(), QStringLiteral("&Resume"));
    window.pauseButton()->click();
    EXPECT_FALSE(window.session().paused());
}

TEST(PrinterWindowTest, ARefusedDeviceShowsTheHostsCodeAndText) {
    demohost::ServerOptions options;
    options.printerRefuseCode = "8902";
    HostThread host(options);
    QTemporaryDir folder;
    PrinterSessionWindow window(PrinterAt(host.port(), folder.path()), DataDirectory());
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(
        RunUntil([&] { return window.session().state() == PrinterSession::State::kRefused; }));
    EXPECT_EQ(window.messageText(), QStringLiteral("8902 Device not available"));
    EXPECT_EQ(window.stateText(), QStringLiteral("The host did not start the printer"));
    EXPECT_FALSE(window.pauseButton()->isEnabled());
}

// With the host print transform the host's printer-ready data is written
// untouched and queued raw on the system printer; the window says so.
TEST(PrinterWindowTest, PrinterReadyDataGoesRawToTheSystemPrinter) {
    demohost::ServerOptions options;
    options.scenario = demohost::Scenario::kPrint;
    options.burstCount = 1;
    HostThread host(options);
    QTemporaryDir folder;
    SessionSettings s = PrinterAt(host.port(), folder.path());
    s.HostPrintTransform = 1;
    s.PrinterModel = "*HP4";
    s.SystemPrinter = "Office_Laser";
    PrinterSessionWindow window(s, DataDirectory());
    std::vector<RawPrintCommand> queued;
    window.sendRaw = [&](const RawPrintCommand& c, std::function<void(const QString&)> done) {
        queued.push_back(c);
        done(QString());
    };
    ASSERT_TRUE(window.Start());
    ASSERT_TRUE(RunUntil([&] { return window.files()->count() == 1; }))
        << window.stateText().toStdString();
    const QString path = window.files()->item(0)->data(Qt::UserRole).toString();
    EXPECT_TRUE(path.endsWith(QStringLiteral(".prn")));
    ASSERT_EQ(queued.size(), 1u);
    EXPECT_EQ(queued[0].program, QStringLiteral("lp"));
    const QString title = QStringLiteral("Quenlix Telnet: ") + QFileInfo(path).fileName();
    EXPECT_EQ(queued[0].arguments,
              (QStringList{"-d", "Office_Laser", "-o", "raw", "-t", title, "--", path}));
    EXPECT_GT(QFileInfo(path).size(), 0);
    EXPECT_EQ(window.messageText(),
              QFileInfo(path).fileName() + QStringLiteral(" sent untouched to Office_Laser"));
}

TEST(PrinterWindowTest, ARawJobNamesOnlyAQueueAndSaysWhyItFailed) {
    struct Row {
        const char* printer;
        bool taken;
    };
    const Row rows[] = {{"Office_Laser", true}, {"hp-4250.local", true}, {"", false},
                        {"-x", false},          {"two words", false},    {"a/b", false},
                        {"a#b", false},         {"tab\tname", false}};
    for (const Row& row : rows) {
        SCOPED_TRACE(row.printer);
        const RawPrintCommand c =
            RawPrintCommandFor(QString::fromUtf8(row.printer), QStringLiteral("/tmp/f.prn"), "T");
        EXPECT_EQ(!c.program.isEmpty(), row.taken);
    }
    EXPECT_TRUE(RawPrintCommandFor(QString(129, QLatin1Char('p')), "/tmp/f.prn", "T")
                    .program.isEmpty());

    // The process runner: a program that is not there, one that fails, one
    // that queues.
    QObject owner;
    const RawPrintRunner run = ProcessRawPrintRunner(&owner);
    auto outcome = [&](const QString& program) {
        std::optional<QString> said;
        run({program, {}}, [&](const QString& text) { said = text; });
        EXPECT_TRUE(RunUntil([&] { return said.has_value(); }));
        return said.value_or(QStringLiteral("(nothing said)"));
    };
    EXPECT_TRUE(outcome(QStringLiteral("/nonexistent/quenlix-lp"))
                    .contains(QStringLiteral("could not be started")));
    EXPECT_EQ(outcome(QStringLiteral("/bin/false")),
              QStringLiteral("/bin/false ended with status 1"));
    EXPECT_EQ(outcome(QStringLiteral("/bin/true")), QString());
}

TEST(PrinterWindowTest, SessionPropertiesKeepAPrinterAPrinter) {
    SessionSettings printer = PrinterAt(23, QStringLiteral("/tmp/spool"));
    printer.PaperSizeName = "A4";
    printer.SystemPrinter = "Not_Here";
    SessionPropertiesDialog dialog(529, "printer.stn", "PC");
    dialog.Load(printer);
    ASSERT_NE(dialog.printer(), nullptr);
    EXPECT_EQ(dialog.tabs()->tabText(dialog.tabs()->count() - 1), QStringLiteral("Printer"));
    EXPECT_EQ(dialog.printer()->paper->currentText(), QStringLiteral("A4"));
    EXPECT_EQ(dialog.printer()->systemPrinter->currentData().toString(), QStringLiteral("Not_Here"))
        << "a printer this computer lacks is kept";
    dialog.printer()->transform->setChecked(true);
    dialog.printer()->model->setText(QStringLiteral("*HP5"));
    dialog.printer()->font->setValue(87);
    const SessionSettings edited = dialog.Values();
    EXPECT_TRUE(edited.IsPrinter());
    EXPECT_EQ(edited.HostPrintTransform, 1);
    EXPECT_EQ(edited.PrinterModel, "*HP5");
    EXPECT_EQ(edited.PrinterFont, 87);
    EXPECT_EQ(edited.OutputFolder, "/tmp/spool");
    EXPECT_EQ(edited.SystemPrinter, "Not_Here");

    // A display session gets no Printer page and stays a display.
    SessionPropertiesDialog display(529, "display.stn", "PC");
    SessionSettings d = printer;
    d.Device = DeviceKind::kDisplay;
    display.Load(d);
    EXPECT_EQ(display.printer(), nullptr);
    EXPECT_FALSE(display.Values().IsPrinter());
}

}  // namespace
}  // namespace quenlix::app::testing
