// The Appearance and font dialogs, the splash rotation, Auto Session, the
// launchers and the Create Shortcut dialog, the About box: driven through
// their controls on the offscreen platform.
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPushButton>
#include <QRadioButton>
#include <QTest>
#include <QImageReader>
#include <QTextBrowser>
#include <QUrl>

#include "app/BmpToolBar.h"
#include "app/ButtonPictures.h"
#include "app/CDialAbout.h"
#include "app/CDialogFont.h"
#include "app/CDlgAppearance.h"
#include "app/CDlgAutoSession.h"
#include "app/CDlgShortcut.h"
#include "app/CTelnetView.h"
#include "app/DesktopLauncher.h"
#include "app/HelpWindow.h"
#include "app/CommandIds.h"
#include "app/CMainFrame.h"
#include "app/Splash.h"
#include "dialogs/DialogsSupport.h"
#include "terminal/StringTable.h"

namespace quenlix::app::testing {
namespace {

void Type(QLineEdit* edit, const QString& text) {
    edit->selectAll();
    QTest::keyClicks(edit, text);
}

TEST_F(DialogsTest, AppearanceAppliesEachChangeAtOnceAndCancelPutsAllBack) {
    const ColorTable before = terminal().colors;
    CDlgAppearance dialog(context(), &app_.frame());
    dialog.show();
    // Another element: its components in the edits, no colour changed.
    dialog.elementList()->setCurrentIndex(kColorBlue);
    EXPECT_EQ(dialog.component(1)->edit()->text(), QString::number(GreenOf(before[kColorBlue])));
    EXPECT_EQ(terminal().colors, before);

    // Green of "Blue" to 0: in force in the view while the dialog is open.
    Type(dialog.component(1)->edit(), QStringLiteral("0"));
    EXPECT_EQ(GreenOf(terminal().colors[kColorBlue]), 0u);
    EXPECT_EQ(RedOf(terminal().colors[kColorBlue]), RedOf(before[kColorBlue]));
    // A typed 300 counts by its low 8 bits.
    Type(dialog.component(0)->edit(), QStringLiteral("300"));
    EXPECT_EQ(RedOf(terminal().colors[kColorBlue]), 44u);
    EXPECT_EQ(dialog.swatchColour(), terminal().colors[kColorBlue]);

    // Reset: only the selected element; Reset All: all nine.
    dialog.elementList()->setCurrentIndex(kColorRed);
    Type(dialog.component(2)->edit(), QStringLiteral("7"));
    dialog.elementList()->setCurrentIndex(kColorBlue);
    dialog.button(CDlgAppearance::kReset)->click();
    EXPECT_EQ(terminal().colors[kColorBlue], kDefaultColors[kColorBlue]);
    EXPECT_EQ(BlueOf(terminal().colors[kColorRed]), 7u);
    dialog.button(CDlgAppearance::kResetAll)->click();
    EXPECT_EQ(terminal().colors, kDefaultColors);
    // The high-contrast preset: all nine at once, each light enough on its
    // background to read (a contrast ratio of 7:1 or more).
    dialog.button(CDlgAppearance::kHighContrast)->click();
    EXPECT_EQ(terminal().colors, kHighContrastColors);
    auto luminance = [](std::uint32_t c) {
        auto linear = [](unsigned v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * linear(RedOf(c)) + 0.7152 * linear(GreenOf(c)) + 0.0722 * linear(BlueOf(c));
    };
    const double background = luminance(kHighContrastColors[kColorBackground]);
    for (int i = kColorGreen; i <= kColorBlue; ++i) {
        EXPECT_GE((luminance(kHighContrastColors[i]) + 0.05) / (background + 0.05), 7.0) << i;
    }

    // Customize with a chosen colour, then Cancel: every colour back.
    dialog.chooseColour = [](std::uint32_t) { return std::optional<std::uint32_t>(Rgb(1, 2, 3)); };
    dialog.button(CDlgAppearance::kCustomize)->click();
    EXPECT_EQ(terminal().colors[kColorBlue], Rgb(1, 2, 3));
    dialog.button(CDlgAppearance::kCancel)->click();
    EXPECT_EQ(terminal().colors, before);
    EXPECT_EQ(prefs().colors, before);
}

TEST_F(DialogsTest, AppearanceBackgroundPictureAndModeWithCancel) {
    QTemporaryDir dir;
    const QString first = dir.filePath(QStringLiteral("first.bmp"));
    const QString second = dir.filePath(QStringLiteral("second.bmp"));
    QImage(8, 8, QImage::Format_RGB32).save(first);
    QImage(8, 8, QImage::Format_RGB32).save(second);
    prefs().ImageFile = first.toStdString();
    prefs().BkgndActive = 1;
    prefs().BkgndMode = 2;  // stretched: no visible radio button checked
    app_.ApplyPreferences();

    CDlgAppearance dialog(context(), &app_.frame());
    EXPECT_FALSE(dialog.modeButton(0)->isChecked());
    EXPECT_FALSE(dialog.modeButton(1)->isChecked());
    EXPECT_FALSE(dialog.modeButton(2)->isVisibleTo(&dialog));
    dialog.modeButton(1)->click();
    EXPECT_EQ(prefs().BkgndMode, 1);
    EXPECT_EQ(view().background().mode, 1);

    // Unchecking shows the plain colour at once; checking again reloads.
    dialog.bitmapBox()->click();
    EXPECT_EQ(prefs().BkgndActive, 0);
    EXPECT_FALSE(view().background().active);
    dialog.bitmapBox()->click();
    EXPECT_TRUE(view().background().active);

    // Browse: the new picture in force; Cancel brings the first one back,
    // with the stored mode and flag.
    dialog.chooseImageFile = [&](const QString& start) {
        EXPECT_EQ(start, first);
        return second;
    };
    dialog.button(CDlgAppearance::kBrowse)->click();
    EXPECT_EQ(view().background().imageFile, second.toStdString());
    EXPECT_EQ(dialog.fileEdit()->text(), second);
    dialog.reject();
    EXPECT_EQ(view().background().imageFile, first.toStdString());
    EXPECT_EQ(prefs().ImageFile, first.toStdString());
    EXPECT_EQ(prefs().BkgndMode, 2);
    EXPECT_EQ(view().background().mode, 2);
}

TEST_F(DialogsTest, FontDialogOffersFixedPitchRegularAndBoldOnly) {
    prefs().Face = "Liberation Mono";
    prefs().Bold = 450;
    app_.ApplyPreferences();
    const int cellWidth = terminal().state.cellWidth;
    const int cellHeight = terminal().state.cellHeight;

    CDialogFont dialog(context(), &app_.frame());
    ASSERT_GT(dialog.faceList()->count(), 0);
    for (int i = 0; i < dialog.faceList()->count(); ++i) {
        EXPECT_TRUE(QFontDatabase::isFixedPitch(dialog.faceList()->item(i)->text()))
            << dialog.faceList()->item(i)->text().toStdString();
    }
    ASSERT_EQ(dialog.styleList()->count(), 2);
    EXPECT_EQ(dialog.styleList()->item(0)->text(), QStringLiteral("Regular"));
    EXPECT_EQ(dialog.styleList()->item(1)->text(), QStringLiteral("Bold"));
    EXPECT_TRUE(dialog.findChildren<QComboBox*>().isEmpty());  // no size to choose

    // Apply: in force, the dialog stays; Cancel afterwards keeps it.
    dialog.show();
    dialog.styleList()->setCurrentRow(1);
    dialog.applyButton()->click();
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_EQ(prefs().Bold, kBoldWeight);
    EXPECT_EQ(view().fontPreferences().weight, kBoldWeight);
    dialog.styleList()->setCurrentRow(0);
    dialog.italicBox()->setChecked(true);
    dialog.reject();
    EXPECT_EQ(prefs().Bold, kBoldWeight);
    EXPECT_EQ(prefs().Italic, 0);

    // OK with the face and style as they opened: weight 700 stays, and a
    // weight of 450 would too; the cells keep their size.
    prefs().Bold = 450;
    app_.ApplyPreferences();
    CDialogFont again(context(), &app_.frame());
    again.show();
    QTest::keyClick(&again, Qt::Key_Return);
    EXPECT_EQ(prefs().Bold, 450);
    EXPECT_EQ(prefs().Face, "Liberation Mono");
    EXPECT_EQ(terminal().state.cellWidth, cellWidth);
    EXPECT_EQ(terminal().state.cellHeight, cellHeight);
}

TEST_F(DialogsTest, FontDialogLabelsLeadToTheirListsAndShowNoAmpersand) {
    CDialogFont dialog(context(), &app_.frame());
    dialog.show();
    QApplication::setActiveWindow(&dialog);
    (void)QTest::qWaitForWindowActive(&dialog);
    struct Row {
        QLabel* label;
        QWidget* list;
        Qt::Key key;
        const char* shown;
    } const rows[] = {{dialog.faceLabel(), dialog.faceList(), Qt::Key_F, "Font:"},
                      {dialog.styleLabel(), dialog.styleList(), Qt::Key_Y, "Font style:"}};
    for (const Row& r : rows) {
        SCOPED_TRACE(r.shown);
        EXPECT_EQ(r.label->buddy(), r.list);
        // The "&" is taken as the mnemonic: the label is as wide as the text
        // without it.
        QLabel plain(QString::fromLatin1(r.shown));
        EXPECT_EQ(r.label->sizeHint().width(), plain.sizeHint().width());
        dialog.italicBox()->setFocus();
        QTest::keyClick(&dialog, r.key, Qt::AltModifier);
        EXPECT_TRUE(r.list->hasFocus());
    }
}

TEST_F(DialogsTest, AppearanceOffersEveryReadablePictureTypeAndSaysWhenThePictureIsMissing) {
    const QString filter = PictureFileFilter();
    for (const QByteArray& format : QImageReader::supportedImageFormats()) {
        EXPECT_TRUE(filter.contains(QStringLiteral("*.") + QString::fromLatin1(format).toLower()))
            << format.toStdString();
    }
    for (const char* type : {"*.png ", "*.jpeg ", "*.emf ", "*.wmf ", "*.bmp "}) {
        EXPECT_TRUE(filter.contains(QLatin1String(type))) << type;
    }
    EXPECT_TRUE(filter.startsWith(QStringLiteral("Image files (*.bmp *.gif *.jpg *.ico *.emf *.wmf ")));
    EXPECT_TRUE(filter.endsWith(QStringLiteral(";;All files (*)")));

    QTemporaryDir dir;
    const QString picture = dir.filePath(QStringLiteral("sky.png"));
    const QString text = dir.filePath(QStringLiteral("notes.png"));
    QImage(8, 8, QImage::Format_RGB32).save(picture);
    {
        QFile f(text);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("not a picture");
    }
    prefs().ImageFile = dir.filePath(QStringLiteral("gone.bmp")).toStdString();
    prefs().BkgndActive = 1;
    app_.ApplyPreferences();
    CDlgAppearance dialog(context(), &app_.frame());
    EXPECT_EQ(dialog.pictureNote()->text(), QStringLiteral("Picture file not found: gone.bmp"));
    Type(dialog.fileEdit(), picture);
    EXPECT_EQ(dialog.pictureNote()->text(), QString());
    EXPECT_FALSE(view().backgroundPicture().isNull());
    Type(dialog.fileEdit(), text);
    EXPECT_EQ(dialog.pictureNote()->text(), QStringLiteral("This picture cannot be shown: notes.png"));
    // No picture asked for, nothing to say.
    dialog.bitmapBox()->click();
    EXPECT_EQ(dialog.pictureNote()->text(), QString());
    dialog.reject();
}

TEST_F(DialogsTest, SplashRotatesThroughThePicturesAndSkipsAnUndecodableOne) {
    QTemporaryDir program;
    QDir(program.path()).mkdir(QStringLiteral("ADS"));
    const QString ads = SplashFolder(program.path());
    const QColor colours[3] = {Qt::red, Qt::green, Qt::blue};
    const char* const names[3] = {"a.jpg", "b.jpg", "c.jpg"};
    for (int i = 0; i < 3; ++i) {
        QImage img(40 + 10 * i, 30, QImage::Format_RGB32);
        img.fill(colours[i]);
        ASSERT_TRUE(img.save(ads + QLatin1Char('/') + QLatin1String(names[i]), "JPG"));
    }
    QFile bad(ads + QStringLiteral("/d.jpg"));
    ASSERT_TRUE(bad.open(QIODevice::WriteOnly));
    bad.write("not a picture");
    bad.close();
    QDir(ads).mkdir(QStringLiteral("folder.jpg"));  // directories are not pictures

    MemorySettingsStore ads_store;
    std::vector<int> widths;
    for (int start = 0; start < 5; ++start) {
        CSplashWnd* splash = ShowSplash(app_.frame(), ads_store, program.path(), 20);
        widths.push_back(splash ? splash->width() : 0);
        if (splash) {
            EXPECT_TRUE(CSplashWnd::Showing());
            WaitWhileSplashShown();  // its timer ends it
            EXPECT_FALSE(CSplashWnd::Showing());
        }
    }
    EXPECT_EQ(widths, (std::vector<int>{40, 50, 60, 0, 40}));
    EXPECT_EQ(ads_store.ReadInt(kAdsSection, kAdsIndexName, 99), 1u);

    // A negative or too large stored position starts again at the first.
    ads_store.WriteInt(kAdsSection, kAdsIndexName, static_cast<std::uint32_t>(-3));
    EXPECT_TRUE(ChooseSplashPicture(ads, ads_store).endsWith(QStringLiteral("a.jpg")));
    // No folder: no picture and nothing written.
    MemorySettingsStore empty;
    EXPECT_TRUE(ChooseSplashPicture(program.filePath(QStringLiteral("none")), empty).isEmpty());
    EXPECT_EQ(empty.ValueCount(), 0u);

    // The About box continues the same rotation.
    context().dataFolder = program.path();
    store.WriteInt(kAdsSection, kAdsIndexName, 1);
    CDialAbout about(context(), &app_.frame());
    ASSERT_NE(about.pictureLabel(), nullptr);
    EXPECT_EQ(about.pictureLabel()->width(), 50);
    EXPECT_EQ(about.pictureLabel()->x(), about.pictureLabel()->y());
    EXPECT_EQ(about.pictureLabel()->x() * 2 + 50, about.width());
    EXPECT_TRUE(about.versionLabel()->text().startsWith(QStringLiteral("Quenlix Telnet version ")));
}

TEST(ButtonPictures, TheKeyColourTakesTheButtonFace) {
    const QRgb face = qRgb(30, 120, 200);  // not a grey: channels cannot be mixed up
    const QImage keyed = LoadKeyedBitmap(FolderPicture(), kFolderKeyColour, face);
    EXPECT_EQ(keyed.pixel(0, 0), face);                   // background
    EXPECT_EQ(keyed.pixel(0, 4), qRgb(0, 0, 0));          // outline
    EXPECT_EQ(keyed.pixel(1, 4), qRgb(255, 255, 0));      // folder
    EXPECT_EQ(keyed.pixel(2, 4), qRgb(255, 255, 255));    // highlight

    // Only the key itself, whatever its alpha; a picture without a colour
    // table stays as it is.
    QImage table(3, 1, QImage::Format_Indexed8);
    table.setColorTable({qRgb(0, 254, 0), qRgba(0, 255, 0, 0), qRgb(1, 255, 0)});
    for (int x = 0; x < 3; ++x) table.setPixel(x, 0, static_cast<uint>(x));
    const QImage replaced = LoadKeyedBitmap(table, kFolderKeyColour, face);
    EXPECT_EQ(replaced.colorTable(), (QList<QRgb>{qRgb(0, 254, 0), face, qRgb(1, 255, 0)}));
    QImage direct(2, 2, QImage::Format_RGB32);
    direct.fill(kFolderKeyColour);
    EXPECT_EQ(LoadKeyedBitmap(direct, kFolderKeyColour, face), direct);

    // The image button takes its own palette's face, again when it changes.
    CImageButton button(QStringLiteral("Browse"));
    QPalette palette = button.palette();
    palette.setColor(QPalette::Button, QColor(face));
    button.setPalette(palette);
    button.SetButtonPicture(FolderPicture(), QImage(), kFolderKeyColour);
    EXPECT_EQ(button.picture().pixel(0, 0), face);
    EXPECT_EQ(button.picture().pixel(0, 4), qRgb(0, 0, 0));
    palette.setColor(QPalette::Button, QColor(200, 40, 40));
    button.setPalette(palette);
    EXPECT_EQ(button.picture().pixel(0, 0), qRgb(200, 40, 40));
}

TEST(TexturedBars, TileAreaCoversTheAreaFromItsCorner) {
    EXPECT_EQ(TextureTile().size(), QSize(26, 26));
    QImage tile(3, 2, QImage::Format_RGB32);
    for (int y = 0; y < 2; ++y) {
        for (int x = 0; x < 3; ++x) tile.setPixel(x, y, qRgb(10 + x, 20 + y, 30));
    }
    QImage target(20, 12, QImage::Format_RGB32);
    target.fill(Qt::black);
    const QRect area(4, 3, 10, 7);  // not a whole number of tiles either way
    {
        QPainter painter(&target);
        TileArea(painter, area, QPixmap::fromImage(tile));
        TileArea(painter, QRect(0, 0, 20, 12), QPixmap());  // no tile: nothing drawn
    }
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ASSERT_EQ(target.pixel(x, y), tile.pixel((x - area.left()) % 3, (y - area.top()) % 2))
                << x << "," << y;
        }
    }
    EXPECT_EQ(target.pixel(area.left() - 1, 5), qRgb(0, 0, 0));
    EXPECT_EQ(target.pixel(6, area.top() - 1), qRgb(0, 0, 0));
}

TEST_F(DialogsTest, AutoSessionNeedsAFileBeforeTheBoxCanBeChecked) {
    prefs().FileName.clear();
    prefs().Check = 0;
    CDlgAutoSession dialog(context(), &app_.frame());
    dialog.checkBox()->click();
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0], LoadString(kStrSelectSessionFirst));
    EXPECT_EQ(icons[0], MessageIcon::Exclamation);
    EXPECT_FALSE(dialog.checkBox()->isChecked());

    dialog.chooseSessionFile = [](const QString& start) {
        EXPECT_TRUE(start.isEmpty());  // the stored name is proposed
        return QStringLiteral("/srv/prod.stn");
    };
    dialog.browseButton()->click();
    dialog.checkBox()->click();
    EXPECT_EQ(messages.size(), 1u);
    EXPECT_EQ(prefs().Check, 0);  // nothing taken before OK
    dialog.okButton()->click();
    EXPECT_EQ(prefs().FileName, "/srv/prod.stn");
    EXPECT_EQ(prefs().Check, 1);
}

TEST_F(DialogsTest, AutoSessionPathCanBeTypedAndCancelChangesNothing) {
    prefs().FileName = "/srv/prod.stn";
    prefs().Check = 1;
    {
        CDlgAutoSession dialog(context(), &app_.frame());
        EXPECT_FALSE(dialog.pathEdit()->isReadOnly());
        ASSERT_NE(dialog.cancelButton(), nullptr);
        dialog.pathEdit()->setText(QStringLiteral("/srv/other.stn"));
        dialog.checkBox()->click();
        dialog.cancelButton()->click();
        EXPECT_EQ(dialog.result(), QDialog::Rejected);
    }
    EXPECT_EQ(prefs().FileName, "/srv/prod.stn");
    EXPECT_EQ(prefs().Check, 1);

    // A typed path is taken on OK, a relative one by its absolute path.
    {
        CDlgAutoSession dialog(context(), &app_.frame());
        dialog.pathEdit()->clear();
        QTest::keyClicks(dialog.pathEdit(), QStringLiteral("sessions/typed.stn"));
        dialog.okButton()->click();
    }
    EXPECT_EQ(prefs().FileName,
              QDir::current().absoluteFilePath(QStringLiteral("sessions/typed.stn")).toStdString());
    EXPECT_EQ(prefs().Check, 1);

}

TEST_F(DialogsTest, HelpAndTheReadMeOpenInTheProgramsOwnHelpWindow) {
    std::vector<QUrl> opened;
    app_.openUrl = [&opened](const QUrl& url) { opened.push_back(url); };
    CMainFrame& f = app_.frame();
    auto helpWindow = [&f] {
        return f.findChild<HelpWindow*>(QString(), Qt::FindDirectChildrenOnly);
    };

    ASSERT_TRUE(f.Execute(kCmdKeyboardLayout));
    HelpWindow* help = helpWindow();
    ASSERT_NE(help, nullptr);
    EXPECT_TRUE(help->isVisible());
    EXPECT_FALSE(help->isModal());
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Quenlix Telnet - Keyboard Layout"));
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Attention keys")));

    // The build names no web address: Web Site shows the operator's help
    // page (not the developers' read-me), in the same window; no browser is
    // asked for anything.
    ASSERT_TRUE(f.Execute(kCmdWebSite));
    EXPECT_EQ(helpWindow(), help);
    EXPECT_EQ(f.findChildren<HelpWindow*>().size(), 1);
    EXPECT_TRUE(help->file().endsWith(QStringLiteral("/index.html")));
    const QString page = help->browser()->toPlainText();
    EXPECT_TRUE(page.contains(QStringLiteral("Connecting to a host")));
    EXPECT_FALSE(page.contains(QStringLiteral("Run the tests"))) << "not the developers' read-me";
    EXPECT_EQ(help->windowTitle(), QStringLiteral("Quenlix Telnet - Help"));
    EXPECT_TRUE(opened.empty());
    // The About box's button does the same.
    help->browser()->clear();
    {
        CDialAbout about(context(), &f);
        about.findChild<QPushButton*>(QStringLiteral("1273"))->click();
    }
    EXPECT_TRUE(help->browser()->toPlainText().contains(QStringLiteral("Connecting to a host")));

    // An address set when the program was built goes to the browser.
    app_.webSiteAddress = QStringLiteral("https://www.example.org/telnet/");
    ASSERT_TRUE(f.Execute(kCmdWebSite));
    EXPECT_EQ(opened, std::vector<QUrl>{QUrl(QStringLiteral("https://www.example.org/telnet/"))});

    // A page that is not there is reported; the window keeps its page.
    QTemporaryDir empty;
    context().dataFolder = empty.path();
    ASSERT_TRUE(f.Execute(kCmdKeyboardLayout));
    ASSERT_FALSE(messages.empty());
    EXPECT_EQ(messages.back(), "The help page " + empty.filePath("keyboard.html").toStdString() +
                                   " cannot be opened.");
    EXPECT_TRUE(help->file().endsWith(QStringLiteral("/index.html")));
}

TEST(DesktopLauncher, QuotingNamesAndTheFileText) {
    EXPECT_EQ(QuoteSessionArgument(QString()), QString());
    EXPECT_EQ(QuoteSessionArgument(QStringLiteral("/a b.stn")), QStringLiteral("\"/a b.stn\""));
    EXPECT_EQ(QuoteSessionArgument(QStringLiteral("\"/a.stn")), QStringLiteral("\"/a.stn\""));
    EXPECT_EQ(QuoteSessionArgument(QStringLiteral("/a.stn\"")), QStringLiteral("\"/a.stn\""));

    LauncherRequest r{QStringLiteral("/home/u/Desktop/"), QString(), QString(),
                      QStringLiteral("/opt/q/bin/quenlix-telnet"),
                      QStringLiteral("/home/u/100% $HOME.stn")};
    Launcher l = MakeLauncher(r);
    EXPECT_EQ(l.filePath, QStringLiteral("/home/u/Desktop/quenlix-telnet.desktop"));
    EXPECT_EQ(l.description, l.name);
    EXPECT_EQ(l.workingFolder, QStringLiteral("/opt/q/bin"));
    const QString text = LauncherText(l);
    EXPECT_TRUE(text.contains(
        QStringLiteral("Exec=\"/opt/q/bin/quenlix-telnet\" \"/home/u/100%% \\\\$HOME.stn\"\n")))
        << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Path=/opt/q/bin\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("\nIcon=quenlix-telnet\n")));

    // A name cannot leave the folder or add keys.
    r.name = QStringLiteral("../x\nExec=evil");
    r.comment = QStringLiteral("line one\nline two");
    l = MakeLauncher(r);
    EXPECT_EQ(l.filePath, QStringLiteral("/home/u/Desktop/..-x\nExec=evil.desktop"));
    const QString escaped = LauncherText(l);
    EXPECT_EQ(escaped.count(QStringLiteral("\nExec=")), 1);
    EXPECT_TRUE(escaped.contains(QStringLiteral("Comment=line one\\nline two\n")));
    r.sessionPath.clear();
    EXPECT_TRUE(LauncherText(MakeLauncher(r)).contains(
        QStringLiteral("Exec=\"/opt/q/bin/quenlix-telnet\"\n")));
}

TEST_F(DialogsTest, CreateShortcutRuleAndTheLauncherItMakes) {
    QTemporaryDir home;
    QDir(home.path()).mkpath(QStringLiteral("Desktop"));
    QDir(home.path()).mkpath(QStringLiteral("menu/Work"));
    LauncherFolders folders{home.filePath(QStringLiteral("Desktop")), QString(),
                            home.filePath(QStringLiteral("menu")), QString()};
    app_.session().activeSettings.Name = "Prod";
    context().sessionFilePath = [] { return std::string("/srv/sessions/prod.stn"); };
    context().programPath = QStringLiteral("/opt/q/bin/quenlix-telnet");

    {
        CDlgShortcut dialog(context(), folders, &app_.frame());
        // No shared menu: the all-users choices are off.
        EXPECT_FALSE(dialog.locationButton(CDlgShortcut::kOnSharedDesktop)->isEnabled());
        EXPECT_FALSE(dialog.locationButton(CDlgShortcut::kInSharedMenu)->isEnabled());
        EXPECT_FALSE(dialog.browseButton(true)->isEnabled());
        EXPECT_TRUE(dialog.createButton()->isEnabled());
        // The user's menu without a folder: greyed until one is chosen.
        dialog.locationButton(CDlgShortcut::kInUserMenu)->click();
        EXPECT_FALSE(dialog.createButton()->isEnabled());
        dialog.locationButton(CDlgShortcut::kOnUserDesktop)->click();
        dialog.chooseFolder = [&](const QString& root, const QString& title) {
            EXPECT_EQ(root, folders.userMenu);
            EXPECT_EQ(title.toStdString(), LoadString(kStrShortcutMenuPrompt));
            return home.filePath(QStringLiteral("menu/Work"));
        };
        dialog.browseButton(false)->click();
        EXPECT_EQ(dialog.location(), CDlgShortcut::kInUserMenu);
        EXPECT_TRUE(dialog.createButton()->isEnabled());
        dialog.commentEdit()->setText(QStringLiteral("Production"));
        dialog.createButton()->click();
    }
    QFile menuFile(home.filePath(QStringLiteral("menu/Work/Quenlix Telnet - Prod.desktop")));
    ASSERT_TRUE(menuFile.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(menuFile.readAll());
    EXPECT_TRUE(text.contains(QStringLiteral("Name=Quenlix Telnet - Prod\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Comment=Production\n")));
    EXPECT_TRUE(text.contains(
        QStringLiteral("Exec=\"/opt/q/bin/quenlix-telnet\" \"/srv/sessions/prod.stn\"\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Path=/opt/q/bin\n")));
    EXPECT_TRUE(text.contains(QStringLiteral("Icon=quenlix-telnet\n")));
    ASSERT_EQ(messages.size(), 1u);
    EXPECT_EQ(messages[0],
              "A shortcut entitled 'Quenlix Telnet - Prod' has been created in the designated location.");

    // Default location with the name cleared after opening: the program's
    // name, the description the name, and an empty name in the message.
    {
        CDlgShortcut dialog(context(), folders, &app_.frame());
        dialog.nameEdit()->clear();
        dialog.Create();
    }
    QFile desktopFile(home.filePath(QStringLiteral("Desktop/quenlix-telnet.desktop")));
    ASSERT_TRUE(desktopFile.open(QIODevice::ReadOnly));
    EXPECT_TRUE(QString::fromUtf8(desktopFile.readAll()).contains(QStringLiteral("Comment=quenlix-telnet\n")));
    EXPECT_EQ(messages.back(), "A shortcut entitled '' has been created in the designated location.");

    // A desktop folder that does not exist yet (a fresh account) is made.
    folders.userDesktop = home.filePath(QStringLiteral("fresh/Desktop"));
    {
        CDlgShortcut dialog(context(), folders, &app_.frame());
        dialog.Create();
    }
    EXPECT_TRUE(QFile::exists(home.filePath(QStringLiteral("fresh/Desktop/Quenlix Telnet - Prod.desktop"))));
    EXPECT_EQ(icons.back(), MessageIcon::Information);

    // One that cannot be made (a file in its place): message 533, the
    // launcher's path and the reason.
    {
        QFile blocker(home.filePath(QStringLiteral("blocked")));
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    }
    folders.userDesktop = home.filePath(QStringLiteral("blocked/Desktop"));
    {
        CDlgShortcut failing(context(), folders, &app_.frame());
        failing.Create();
        const QStringList lines = QString::fromStdString(messages.back()).split(QLatin1Char('\n'));
        ASSERT_EQ(lines.size(), 3) << messages.back();
        EXPECT_EQ(lines[0].toStdString(), LoadString(kStrCannotCreateShortcut));
        EXPECT_EQ(lines[1], home.filePath(QStringLiteral("blocked/Desktop/Quenlix Telnet - Prod.desktop")));
        EXPECT_EQ(lines[2].toStdString(), std::strerror(ENOTDIR));
        EXPECT_EQ(icons.back(), MessageIcon::Exclamation);
    }
    // A menu folder that went away after it was chosen is not made again.
    {
        CDlgShortcut failing(context(), folders, &app_.frame());
        failing.chooseFolder = [&](const QString&, const QString&) {
            return home.filePath(QStringLiteral("menu/Gone"));
        };
        failing.browseButton(false)->click();
        failing.Create();
        EXPECT_EQ(QString::fromStdString(messages.back()).section(QLatin1Char('\n'), 2).toStdString(),
                  std::strerror(ENOENT));
        EXPECT_FALSE(QDir(home.filePath(QStringLiteral("menu/Gone"))).exists());
    }
    // The menu choices name the Linux applications menu.
    {
        CDlgShortcut dialog(context(), folders, &app_.frame());
        EXPECT_EQ(dialog.locationButton(CDlgShortcut::kInUserMenu)->text(),
                  QStringLiteral("Display Shortcut in Applications menu for Current User"));
        EXPECT_EQ(dialog.locationButton(CDlgShortcut::kInSharedMenu)->text(),
                  QStringLiteral("Display Shortcut in Applications menu for All Users"));
    }

    // A shared menu but no shared desktop (Linux has none): only the shared
    // desktop's choice is off.
    QDir(home.path()).mkpath(QStringLiteral("shared-menu"));
    QDir(home.path()).mkpath(QStringLiteral("shared-desktop"));
    folders.sharedMenu = home.filePath(QStringLiteral("shared-menu"));
    {
        CDlgShortcut dialog(context(), folders, &app_.frame());
        EXPECT_FALSE(dialog.locationButton(CDlgShortcut::kOnSharedDesktop)->isEnabled());
        EXPECT_TRUE(dialog.locationButton(CDlgShortcut::kInSharedMenu)->isEnabled());
        EXPECT_TRUE(dialog.browseButton(true)->isEnabled());
    }
    EXPECT_TRUE(SystemLauncherFolders().sharedDesktop.isEmpty());
    // Where a shared desktop exists, the launcher can go there.
    folders.sharedDesktop = home.filePath(QStringLiteral("shared-desktop"));
    {
        CDlgShortcut dialog(context(), folders, &app_.frame());
        ASSERT_TRUE(dialog.locationButton(CDlgShortcut::kOnSharedDesktop)->isEnabled());
        dialog.locationButton(CDlgShortcut::kOnSharedDesktop)->click();
        EXPECT_TRUE(dialog.createButton()->isEnabled());
        dialog.createButton()->click();
    }
    EXPECT_TRUE(QFile::exists(
        home.filePath(QStringLiteral("shared-desktop/Quenlix Telnet - Prod.desktop"))));
    EXPECT_EQ(icons.back(), MessageIcon::Information);
}

}  // namespace
}  // namespace quenlix::app::testing
