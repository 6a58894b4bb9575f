// The printed page, checked on a PDF rendered back to pixels: where the
// screen lands on portrait and landscape paper, black and white only, the
// window untouched afterwards; and the printer choice across a restart.
#include <QApplication>
#include <QDialog>
#include <QFile>
#include <QImage>
#include <QPageSize>
#include <QProcess>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QTimer>

#include "app/CTelnetView.h"
#include "app/Printing.h"
#include "app/QtSettingsStore.h"
#include "dialogs/DialogsSupport.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::app::testing {
namespace {

TEST(PrintingRules, ScreenRectangleOnThePage) {
    struct Row {
        QSize printable;
        QRect expected;
    } rows[] = {
        {{800, 1100}, {0, 0, 800, 600}},  // portrait: three quarters of the width
        {{1100, 800}, {0, 0, 1100, 800}},  // landscape, lower than 3/4 of the width
        {{1001, 2000}, {0, 0, 1001, 750}},  // truncated toward zero
        {{0, 0}, {0, 0, 0, 0}},
    };
    for (const Row& r : rows) {
        EXPECT_EQ(ScreenRectOnPage(r.printable), r.expected) << r.printable.width();
    }
}

TEST(PrintingRules, DeviceCodesMapBothWays) {
    EXPECT_EQ(OrientationFromCode(1), QPageLayout::Portrait);
    EXPECT_EQ(OrientationFromCode(2), QPageLayout::Landscape);
    EXPECT_FALSE(OrientationFromCode(0).has_value());
    for (std::uint16_t code : {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 14, 15}) {
        const auto source = PaperSourceFromCode(code);
        ASSERT_TRUE(source.has_value()) << code;
        EXPECT_EQ(PaperSourceCode(*source), code);
    }
    EXPECT_FALSE(PaperSourceFromCode(0).has_value());
    EXPECT_FALSE(PaperSourceFromCode(256).has_value());
}

/// Page 1 of a PDF at 72 dots per inch (one pixel a point); null when the
/// PDF cannot be rendered here.
QImage RenderPage(const QString& pdf) {
    const QString tool = QStandardPaths::findExecutable(QStringLiteral("pdftoppm"));
    if (tool.isEmpty()) return {};
    const QString stem = pdf + QStringLiteral(".page");
    if (QProcess::execute(tool, {QStringLiteral("-r"), QStringLiteral("72"),
                                 QStringLiteral("-singlefile"), QStringLiteral("-aa"),
                                 QStringLiteral("no"), pdf, stem}) != 0) {
        return {};
    }
    return QImage(stem + QStringLiteral(".ppm"));
}

/// The bounding box of the dark pixels of `page` inside `area`.
QRect DarkBox(const QImage& page, const QRect& area) {
    QRect box;
    const QRect within = area & page.rect();
    for (int y = within.top(); y <= within.bottom(); ++y) {
        for (int x = within.left(); x <= within.right(); ++x) {
            if (qGray(page.pixel(x, y)) < 128) box |= QRect(x, y, 1, 1);
        }
    }
    return box;
}

/// The dark pixels' bounding box of page 1 of a PDF; null when the PDF
/// cannot be rendered here.
QRect DarkArea(const QString& pdf, bool* onlyBlackAndWhite) {
    const QImage page = RenderPage(pdf);
    if (page.isNull()) return {};
    *onlyBlackAndWhite = true;
    for (int y = 0; y < page.height(); ++y) {
        for (int x = 0; x < page.width(); ++x) {
            const QColor c = page.pixelColor(x, y);
            if (c.red() != c.green() || c.green() != c.blue()) *onlyBlackAndWhite = false;
        }
    }
    return DarkBox(page, page.rect());
}

class PrintTest : public DialogsTest {
protected:
    /// Prints the screen with every cell selected (white on black on paper),
    /// so the black area is the screen's rows.
    QRect PrintSelected(QPageLayout::Orientation orientation, QRect* printable, bool* bw) {
        terminal().selection = CellRect{0, 0, 80, 24};
        QTemporaryDir dir;
        const QString file = dir.filePath(QStringLiteral("screen.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        printer.setOutputFormat(QPrinter::PdfFormat);
        printer.setOutputFileName(file);
        printer.setPageSize(QPageSize(QPageSize::A4));
        printer.setPageOrientation(orientation);
        printer.setPageMargins(QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter);
        *printable = printer.pageLayout().paintRectPoints();
        EXPECT_TRUE(PrintScreenPage(view(), printer));
        return DarkArea(file, bw);
    }
};

TEST_F(PrintTest, PortraitAndLandscapePagesFollowThePageRule) {
    // A blinking field in its hidden phase and a blinking cursor print all
    // the same; the window's geometry is as before afterwards.
    view().paintState().blinkPhaseOn = false;
    terminal().state.BlinkCursor = 1;
    terminal().SetCursorCell(5, 7);
    const TerminalState before = terminal().state;
    const QFont font = view().viewFont();

    for (const auto orientation : {QPageLayout::Portrait, QPageLayout::Landscape}) {
        SCOPED_TRACE(orientation == QPageLayout::Portrait ? "portrait" : "landscape");
        QRect printable;
        bool blackAndWhite = false;
        const QRect dark = PrintSelected(orientation, &printable, &blackAndWhite);
        if (dark.isNull()) GTEST_SKIP() << "pdftoppm is not installed";
        EXPECT_TRUE(blackAndWhite);
        // Top-left corner of the printable area, as wide as it (the cells
        // lose at most one cell's width to whole pixels and the font).
        EXPECT_NEAR(dark.left(), printable.left(), 1);
        EXPECT_NEAR(dark.top(), printable.top(), 1);
        EXPECT_LE(dark.right(), printable.right() + 1);
        EXPECT_GE(dark.width(), printable.width() * 0.95);
        // Height: the selected rows fill at least 24 of the 26 rows of the
        // page rectangle; the indicator row's marks end inside it.
        const double pageHeight =
            std::min<double>(printable.height(), printable.width() * 3.0 / 4.0);
        EXPECT_GE(dark.height(), pageHeight * 24 / 26 - 2);
        EXPECT_LE(dark.height(), pageHeight + 1);
        if (orientation == QPageLayout::Portrait) {
            EXPECT_LT(printable.width() * 3.0 / 4.0, printable.height());
        } else {
            EXPECT_LT(printable.height(), printable.width() * 3.0 / 4.0);
        }
        EXPECT_EQ(terminal().state.cellWidth, before.cellWidth);
        EXPECT_EQ(terminal().state.cellHeight, before.cellHeight);
        EXPECT_EQ(terminal().state.cursorX, before.cursorX);
        EXPECT_EQ(terminal().state.cursorY, before.cursorY);
        EXPECT_EQ(view().viewFont(), font);
    }
}

TEST_F(PrintTest, BlinkingTextIsPrintedInItsHiddenPhaseAndTheCursorIsNot) {
    // Blinking red text on row 3 and the cursor on a "W" of row 10, both in
    // the phase in which the window hides them; nothing else on the screen.
    terminal().state.connected = 1;
    const Bytes screen = RecordBuilder()
                             .clearUnit()
                             .writeToDisplay()
                             .sba(3, 5)
                             .attribute(0x2A)
                             .text("WWWWWWWW")
                             .attribute(0x20)
                             .sba(10, 40)
                             .text("W")
                             .insertCursor(10, 40)
                             .record();
    app_.session().endpoint().OnReceived(screen.data(), screen.size());
    terminal().state.connected = 0;
    ASSERT_EQ(terminal().screen.at(2 * 80 + 5).blink, 1);
    view().paintState().blinkPhaseOn = false;
    terminal().state.BlinkCursor = 1;
    terminal().state.hostBlink = 1;
    terminal().state.inputInhibited = 0;

    QTemporaryDir dir;
    const QString file = dir.filePath(QStringLiteral("screen.pdf"));
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(file);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageMargins(QMarginsF(10, 20, 10, 20), QPageLayout::Millimeter);
    const QRect printable = printer.pageLayout().paintRectPoints();
    ASSERT_TRUE(PrintScreenPage(view(), printer));
    const QImage page = RenderPage(file);
    if (page.isNull()) GTEST_SKIP() << "pdftoppm is not installed";

    // Rows of the page's screen: 24 lines and the two of the indicators.
    const double row = std::min<double>(printable.height(), printable.width() * 3.0 / 4.0) / 26;
    auto band = [&](int line) {  // 0-based screen line, with half a row to spare
        return QRect(printable.left(), printable.top() + static_cast<int>((line - 0.5) * row),
                     printable.width(), static_cast<int>(2 * row));
    };
    const QRect text = DarkBox(page, band(2));
    EXPECT_FALSE(text.isNull()) << "the blinking text is printed";
    EXPECT_GE(text.width(), printable.width() * 6 / 80) << "all eight letters";
    // The cursor is the operator's, not the screen's: its "W" prints as a
    // plain letter, dark on the white page, with no block around it.
    const QRect letter = DarkBox(page, band(9));
    ASSERT_FALSE(letter.isNull()) << "the letter under the cursor is printed";
    EXPECT_LE(letter.width(), printable.width() * 2 / 80);
    EXPECT_NEAR(letter.center().x() - printable.left(), printable.width() * 39.5 / 80,
                printable.width() * 3 / 80);
    int dark = 0;
    int light = 0;
    for (int y = letter.top(); y <= letter.bottom(); ++y) {
        for (int x = letter.left(); x <= letter.right(); ++x) {
            ++(qGray(page.pixel(x, y)) < 128 ? dark : light);
        }
    }
    EXPECT_LT(dark, light) << "a letter, not a black cell";
}

TEST_F(DialogsTest, PrinterChoiceSurvivesARestart) {
    // Printer Setup's OK on a landscape A3 page from the lower tray.
    QPrinter chosen(QPrinter::HighResolution);
    chosen.setOutputFormat(QPrinter::PdfFormat);
    chosen.setPageOrientation(QPageLayout::Landscape);
    chosen.setPageSize(QPageSize(QPageSize::A3));
    chosen.setPaperSource(QPrinter::Lower);
    UserSettings settings;
    TakePrinterSettings(chosen, settings);
    settings.PrinterName = "Office";  // the name a real printer would give
    EXPECT_EQ(settings.Orientation, 2);
    EXPECT_EQ(settings.PaperSize, 8);  // A3

    MemorySettingsStore registry;
    SaveUserSettings(registry, settings, WindowLayout{});
    const UserSettings loaded = LoadUserSettings(registry);
    EXPECT_EQ(loaded.PrinterName, "Office");
    EXPECT_EQ(loaded.Orientation, 2);
    EXPECT_EQ(loaded.PaperSize, 8);
    EXPECT_EQ(loaded.Source, settings.Source);

    // The next start makes it current with its codes...
    QPrinter restored(QPrinter::HighResolution);
    restored.setOutputFormat(QPrinter::PdfFormat);
    ASSERT_TRUE(RestoreStoredPrinter(loaded, restored, [](const QString& name) {
        return name == QStringLiteral("Office");
    }));
    EXPECT_EQ(restored.pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(restored.pageLayout().pageSize().id(), QPageSize::A3);
    // ... and a printer that is gone leaves the default alone.
    QPrinter fallback(QPrinter::HighResolution);
    fallback.setOutputFormat(QPrinter::PdfFormat);
    const QPageLayout original = fallback.pageLayout();
    EXPECT_FALSE(RestoreStoredPrinter(loaded, fallback, [](const QString&) { return false; }));
    EXPECT_TRUE(fallback.pageLayout().isEquivalentTo(original));
    UserSettings none = loaded;
    none.PrinterName.clear();
    EXPECT_FALSE(RestoreStoredPrinter(none, fallback, [](const QString&) { return true; }));

    // Through the program: its current printer comes from its preferences.
    prefs() = loaded;
    context().printerExists = [](const QString&) { return true; };
    EXPECT_EQ(context().printer().pageLayout().orientation(), QPageLayout::Landscape);
}

/// Accepts the next modal dialog the program opens, once it is up.
class DialogAccepter {
public:
    DialogAccepter() {
        QObject::connect(&poll_, &QTimer::timeout, [this] {
            if (auto* dialog = qobject_cast<QDialog*>(QApplication::activeModalWidget())) {
                seen = dialog->windowTitle();
                dialog->accept();
            }
        });
        poll_.start(10);
    }
    QString seen;

private:
    QTimer poll_;
};

TEST_F(DialogsTest, PrinterSetupStartsOnThePresetPrinterAndKeepsItsCodes) {
    prefs().PrinterName = "Office";
    prefs().Orientation = 2;
    prefs().PaperSize = 8;  // A3
    prefs().Source = 2;     // lower tray
    context().printerExists = [](const QString& name) { return name == QStringLiteral("Office"); };
    DialogAccepter accepter;
    ASSERT_TRUE(PrinterSetupCommand(context()));
    EXPECT_EQ(accepter.seen, QStringLiteral("Printer Setup"));
    EXPECT_EQ(prefs().Orientation, 2);
    EXPECT_EQ(prefs().PaperSize, 8);
    EXPECT_EQ(prefs().Source, 2);
    ASSERT_TRUE(context().hasPrinter());
    EXPECT_EQ(context().printer().pageLayout().orientation(), QPageLayout::Landscape);
    EXPECT_EQ(context().printer().pageLayout().pageSize().id(), QPageSize::A3);
    EXPECT_EQ(context().printer().paperSource(), QPrinter::Lower);
}

/// The user's configuration folder moved to a scratch folder while it lives.
class ScratchConfigHome {
public:
    ScratchConfigHome()
        : oldHome_(qgetenv("XDG_CONFIG_HOME")),
          oldPath_(QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation)) {
        qputenv("XDG_CONFIG_HOME", QFile::encodeName(dir_.path()));
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, dir_.path());
    }
    ~ScratchConfigHome() {
        QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, oldPath_);
        if (oldHome_.isNull()) {
            qunsetenv("XDG_CONFIG_HOME");
        } else {
            qputenv("XDG_CONFIG_HOME", oldHome_);
        }
    }
    QString path() const { return dir_.path(); }

private:
    QTemporaryDir dir_;
    QByteArray oldHome_;
    QString oldPath_;
};

TEST(PrinterSettings, SurviveARestartThroughTheSettingsFile) {
    // The program's own settings file, in a configuration folder of the test.
    const ScratchConfigHome config;
    {
        QtSettingsStore store;
        ASSERT_TRUE(store.fileName().startsWith(config.path())) << store.fileName().toStdString();
        CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, nullptr);
        UserSettings& prefs = app.userSettings();
        prefs.PrinterName = "Office";
        prefs.Orientation = 2;
        prefs.PaperSize = 8;  // A3
        prefs.Source = 14;    // cassette
        ASSERT_TRUE(app.CloseRequested());
    }
    {
        QtSettingsStore store;
        CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, nullptr);
        const UserSettings& prefs = app.userSettings();
        EXPECT_EQ(prefs.PrinterName, "Office");
        EXPECT_EQ(prefs.Orientation, 2);
        EXPECT_EQ(prefs.PaperSize, 8);
        EXPECT_EQ(prefs.Source, 14);
        // The printer the program starts with carries them.
        DialogContext& context = *DialogContextOf(app.frame());
        context.printerExists = [](const QString& name) {
            return name == QStringLiteral("Office");
        };
        QPrinter& printer = context.printer();
        EXPECT_EQ(printer.pageLayout().orientation(), QPageLayout::Landscape);
        EXPECT_EQ(printer.pageLayout().pageSize().id(), QPageSize::A3);
        EXPECT_EQ(printer.paperSource(), QPrinter::Cassette);
    }
}

}  // namespace
}  // namespace quenlix::app::testing
