// The Session Properties sheet: the OK rule, the "Automatic" rule, the
// typed-character filters and limits, and the mapping to a session.
#include <gtest/gtest.h>

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QInputMethodEvent>
#include <QTest>

#include "app/PrinterSettingsPage.h"
#include "app/SessionPropertiesDialog.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

SessionSettings Stored() {
    SessionSettings s;
    s.Name = "Prod";
    s.IP = "as400.example";
    s.Port = 992;
    s.DisplayName = "QPADEV01";
    s.DisplayNameAuto = 0;
    s.Language = "french";
    s.PageCode = 297;
    s.TerminalName = "IBM-3477-FC";
    s.TerminalCaract = "27 * 132";
    s.LaunchConnection = 1;
    s.AutoConnection = 1;
    s.UserID = "QUSER";
    s.UserPassword = "SECRET";
    s.ProgProc = "PGM";
    s.Menu = "MAIN";
    s.CurLib = "QGPL";
    return s;
}

TEST(SessionPropertiesDialogTest, OkIsEnabledOnlyWithTheRequiredValues) {
    SessionPropertiesDialog sheet(kStrAddSession, "", "PC1");
    EXPECT_FALSE(sheet.okEnabled());
    QTest::keyClicks(sheet.connection()->name, "Test");
    EXPECT_FALSE(sheet.okEnabled());
    QTest::keyClicks(sheet.connection()->address, "10.1.1.1");
    EXPECT_TRUE(sheet.okEnabled());

    sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
    CSessionTab02* adv = sheet.advanced();
    EXPECT_EQ(adv->port->text(), "23");
    EXPECT_TRUE(adv->automatic->isChecked());
    EXPECT_FALSE(adv->displayName->isEnabled());
    adv->port->clear();
    EXPECT_FALSE(sheet.okEnabled());
    QTest::keyClicks(adv->port, "23");
    EXPECT_TRUE(sheet.okEnabled());

    // "Automatic" off gives back the computer name; emptied, OK greys.
    adv->automatic->click();
    EXPECT_FALSE(adv->automatic->isChecked());
    EXPECT_EQ(adv->displayName->text(), "PC1");
    EXPECT_EQ(adv->displayName->selectedText(), "PC1");
    adv->displayName->clear();
    EXPECT_FALSE(sheet.okEnabled());
}

// IPv6 addresses are typed whole, with or without brackets, and kept as typed.
TEST(SessionPropertiesDialogTest, AnIpv6AddressIsTakenWithOrWithoutBrackets) {
    for (const char* address : {"::1", "[::1]", "[2001:0db8:0000:0000:0000:ff00:0042:8329]"}) {
        SCOPED_TRACE(address);
        SessionPropertiesDialog sheet(kStrAddSession, "", "PC1");
        QTest::keyClicks(sheet.connection()->name, "Six");
        QTest::keyClicks(sheet.connection()->address, address);
        EXPECT_TRUE(sheet.okEnabled());
        EXPECT_EQ(sheet.Values().IP, address);
    }
}

TEST(SessionPropertiesDialogTest, AutomaticRemembersTheNameTypedBefore) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "/tmp/x.stn", "PC1");
    sheet.Load(Stored());
    sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
    CSessionTab02* adv = sheet.advanced();
    EXPECT_EQ(adv->fileName->text(), "/tmp/x.stn");
    EXPECT_EQ(adv->displayName->text(), "QPADEV01");
    adv->displayName->clear();
    QTest::keyClicks(adv->displayName, "dsp02");
    adv->automatic->click();  // on
    EXPECT_EQ(adv->displayName->text(), "");
    EXPECT_EQ(sheet.Values().DisplayName, "");
    adv->automatic->click();  // off
    EXPECT_EQ(adv->displayName->text(), "DSP02");
    EXPECT_EQ(adv->displayName->selectedText(), "DSP02");
}

TEST(SessionPropertiesDialogTest, FiltersDropTypedCharactersButNotPastedText) {
    SessionPropertiesDialog sheet(kStrAddSession, "", "PC1");
    sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
    CSessionTab02* adv = sheet.advanced();
    adv->automatic->click();  // off: the name can be edited
    adv->displayName->clear();
    QTest::keyClicks(adv->displayName, "ab c-d#$_@.9");
    EXPECT_EQ(adv->displayName->text(), "ABCD#$_@.9");
    QTest::keyClick(adv->displayName, Qt::Key_Backspace);
    EXPECT_EQ(adv->displayName->text(), "ABCD#$_@.");
    // Typing stops at ten characters.
    adv->displayName->clear();
    QTest::keyClicks(adv->displayName, "ABCDEFGHIJKL");
    EXPECT_EQ(adv->displayName->text(), "ABCDEFGHIJ");

    adv->port->clear();
    QTest::keyClicks(adv->port, "8a0.-5");
    EXPECT_EQ(adv->port->text(), "80.5");
    EXPECT_EQ(SessionPropertiesDialog::ParsePort(adv->port->text()), 80);

    // Ctrl+V is a typed control character: dropped. The edit's own paste is not filtered.
    QApplication::clipboard()->setText(QStringLiteral("x-1"));
    adv->port->clear();
    QTest::keyClick(adv->port, Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(adv->port->text(), "");
    adv->port->paste();
    EXPECT_EQ(adv->port->text(), "x-1");
    EXPECT_EQ(SessionPropertiesDialog::ParsePort(QStringLiteral("99999999999999")), 999999);
}

/// Text an input method commits into the edit, as a composed character or
/// a whole word arrives.
void Commit(QLineEdit* edit, const QString& text, const QString& preedit = {}) {
    QInputMethodEvent event(preedit, {});
    event.setCommitString(text);
    QApplication::sendEvent(edit, &event);
}

TEST(SessionPropertiesDialogTest, InputMethodCommitsAreFilteredAndLimitedLikeKeys) {
    SessionPropertiesDialog sheet(kStrAddSession, "", "PC1");
    sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
    CSessionTab02* adv = sheet.advanced();
    adv->automatic->click();  // off: the name can be edited
    adv->displayName->clear();
    Commit(adv->displayName, QStringLiteral(u"ab-é c#1"));
    EXPECT_EQ(adv->displayName->text(), "ABC#1");
    // Past ten characters the commit is cut; the refused characters of a
    // commit take no room.
    Commit(adv->displayName, QStringLiteral("defghijk"));
    EXPECT_EQ(adv->displayName->text(), "ABC#1DEFGH");
    Commit(adv->displayName, QStringLiteral("Z"));
    EXPECT_EQ(adv->displayName->text(), "ABC#1DEFGH");
    adv->displayName->clear();
    Commit(adv->displayName, QStringLiteral(u"é-é-é abcdefghijkl"));
    EXPECT_EQ(adv->displayName->text(), "ABCDEFGHIJ");
    // A selection the commit replaces makes room.
    adv->displayName->setSelection(0, 3);
    Commit(adv->displayName, QStringLiteral("xyz9"));
    EXPECT_EQ(adv->displayName->text(), "XYZDEFGHIJ");

    adv->port->clear();
    Commit(adv->port, QStringLiteral(u"8a0.-5１"));  // a full-width digit is no digit
    EXPECT_EQ(adv->port->text(), "80.5");
    Commit(adv->port, QStringLiteral("123"));
    EXPECT_EQ(adv->port->text(), "80.51");
    // Text still being composed is shown, never inserted.
    adv->port->clear();
    Commit(adv->port, QString(), QStringLiteral("x"));
    Commit(adv->port, QString());
    EXPECT_EQ(adv->port->text(), "");

    // An unfiltered edit with a limit: every character, up to the limit.
    sheet.ShowPage(SessionPropertiesDialog::kLogin);
    CSessionTab03* login = sheet.login();
    Commit(login->program, QStringLiteral(u"Programm-änderung"));
    EXPECT_EQ(login->program->text(), QStringLiteral(u"Programm-ä"));
}

TEST(SessionPropertiesDialogTest, LoadedValuesMapBackToTheSession) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    SessionSettings stored = Stored();
    sheet.Load(stored);
    EXPECT_EQ(sheet.connection()->language->currentText(), "French (297)");
    EXPECT_EQ(sheet.connection()->screenSize->currentIndex(), 1);
    sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
    sheet.ShowPage(SessionPropertiesDialog::kLogin);
    stored.Language = "French (297)";
    EXPECT_EQ(sheet.Values(), stored);

    // "U.S." selects the first entry beginning with it; an unknown text the
    // first entry; an unknown terminal type the small screen.
    stored.Language = "U.S.";
    stored.TerminalName = "IBM-3179-2";
    sheet.Load(stored);
    EXPECT_EQ(sheet.Values().Language, "U.S. (37)");
    EXPECT_EQ(sheet.Values().PageCode, 37);
    EXPECT_EQ(sheet.Values().TerminalName, "IBM-5292-2");
    EXPECT_EQ(sheet.Values().TerminalCaract, "24 * 80");
    stored.Language = "Klingon";
    sheet.Load(stored);
    EXPECT_EQ(sheet.Values().Language, "Arabic (420)");
    EXPECT_EQ(sheet.Values().PageCode, 420);
}

TEST(SessionPropertiesDialogTest, ThePasswordLevelAndTheClearPasswordOption) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    SessionSettings stored = Stored();
    sheet.Load(stored);
    CSessionTab03* login = sheet.login();
    EXPECT_EQ(login->passwordLevel->currentText(), "Automatic");
    EXPECT_FALSE(login->sendInClear->isChecked()) << "off by default";
    // Level 2 shows as "2-3" and stays 2 while the operator keeps that item.
    stored.PasswordLevel = 2;
    stored.SendPasswordInClear = 1;
    sheet.Load(stored);
    EXPECT_EQ(login->passwordLevel->currentText(), "2-3");
    EXPECT_TRUE(login->sendInClear->isChecked());
    stored.Language = "French (297)";
    EXPECT_EQ(sheet.Values(), stored);
    login->passwordLevel->setCurrentIndex(login->passwordLevel->findText("4"));
    EXPECT_EQ(sheet.Values().PasswordLevel, 4);
    login->passwordLevel->setCurrentIndex(login->passwordLevel->findText("0-1"));
    EXPECT_EQ(sheet.Values().PasswordLevel, 1);
    login->passwordLevel->setCurrentIndex(0);
    EXPECT_EQ(sheet.Values().PasswordLevel, kAutomaticPasswordLevel);
}

TEST(SessionPropertiesDialogTest, TheEnhancedInterfaceIsOfferedOnlyWhenChecked) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    SessionSettings stored = Stored();
    stored.Enhanced = 1;
    sheet.Load(stored);
    EXPECT_EQ(sheet.Values().Enhanced, 1) << "kept while the page is not opened";
    sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
    CSessionTab02* adv = sheet.advanced();
    EXPECT_TRUE(adv->enhanced->isChecked());
    adv->enhanced->click();
    EXPECT_EQ(sheet.Values().Enhanced, 0);
    SessionPropertiesDialog fresh(kStrSessionProperties, "", "PC1");
    fresh.Load(Stored());
    fresh.ShowPage(SessionPropertiesDialog::kAdvanced);
    EXPECT_FALSE(fresh.advanced()->enhanced->isChecked()) << "off by default";
}

/// Chooses a device kind as the operator does (0 display, 1 printer).
void ChooseDevice(SessionPropertiesDialog& sheet, int index) {
    QComboBox* device = sheet.connection()->device;
    device->setCurrentIndex(index);
    emit device->activated(index);
}

bool HasPrinterTab(const SessionPropertiesDialog& sheet) {
    for (int i = 0; i < sheet.tabs()->count(); ++i) {
        if (sheet.tabs()->tabText(i) == QStringLiteral("Printer")) return true;
    }
    return false;
}

TEST(SessionPropertiesDialogTest, TheDeviceKindBringsThePrinterPageAndMakesTheSessionAPrinter) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    sheet.Load(Stored());
    EXPECT_EQ(sheet.connection()->device->currentText(), QStringLiteral("Display"));
    EXPECT_FALSE(HasPrinterTab(sheet));
    EXPECT_EQ(sheet.printer(), nullptr);

    ChooseDevice(sheet, 1);
    ASSERT_TRUE(HasPrinterTab(sheet));
    ASSERT_NE(sheet.printer(), nullptr);
    EXPECT_FALSE(sheet.connection()->screenSize->isEnabled()) << "a printer has no screen";
    EXPECT_EQ(sheet.printer()->messageQueue->text(), QStringLiteral("QSYSOPR")) << "its defaults";
    sheet.printer()->transform->setChecked(true);
    sheet.printer()->model->setText(QStringLiteral("*HP4"));
    SessionSettings printer = sheet.Values();
    EXPECT_TRUE(printer.IsPrinter());
    EXPECT_EQ(printer.HostPrintTransform, 1);
    EXPECT_EQ(printer.PrinterModel, "*HP4");
    EXPECT_EQ(printer.Name, "Prod") << "the other pages as they were";

    // Back to a display: no Printer page, the printer values as loaded.
    ChooseDevice(sheet, 0);
    EXPECT_FALSE(HasPrinterTab(sheet));
    EXPECT_TRUE(sheet.connection()->screenSize->isEnabled());
    const SessionSettings display = sheet.Values();
    EXPECT_FALSE(display.IsPrinter());
    EXPECT_EQ(display.HostPrintTransform, 0);
    EXPECT_EQ(display.TerminalName, "IBM-3477-FC");
    // And a printer again: what was typed on the page is still there.
    ChooseDevice(sheet, 1);
    EXPECT_EQ(sheet.Values().PrinterModel, "*HP4");

    // A printer session's file opens on its device, with its page.
    SessionPropertiesDialog again(kStrSessionProperties, "", "PC1");
    again.Load(printer);
    EXPECT_EQ(again.connection()->device->currentIndex(), 1);
    ASSERT_NE(again.printer(), nullptr);
    EXPECT_TRUE(again.printer()->transform->isChecked());
    EXPECT_TRUE(again.Values().IsPrinter());
}

TEST(SessionPropertiesDialogTest, AnUnopenedPageKeepsItsValues) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    SessionSettings stored = Stored();
    stored.DisplayNameAuto = 1;  // opening the page would empty the name
    sheet.Load(stored);
    EXPECT_EQ(sheet.Values().DisplayName, "QPADEV01");
    EXPECT_EQ(sheet.Values().Port, 992);
    sheet.advanced()->port->clear();  // not opened: no part in the OK rule
    EXPECT_TRUE(sheet.okEnabled());
}

TEST(SessionPropertiesDialogTest, TooLongALoadedValueStopsOk) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    SessionSettings stored = Stored();
    stored.UserID = "ABCDEFGHIJKL";
    sheet.Load(stored);
    EXPECT_EQ(sheet.login()->user->text(), "ABCDEFGHIJKL");  // shown whole
    QStringList shown;
    sheet.onTooLong = [&](const QString& text) { shown << text; };

    sheet.accept();  // the page was never opened: no check
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_TRUE(shown.isEmpty());

    sheet.setResult(QDialog::Rejected);
    sheet.ShowPage(SessionPropertiesDialog::kLogin);
    sheet.ShowPage(SessionPropertiesDialog::kConnection);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].contains(QStringLiteral("10")));
    EXPECT_EQ(sheet.tabs()->currentIndex(), SessionPropertiesDialog::kLogin);
}

TEST(SessionPropertiesDialogTest, ALongPasswordIsTypedWholeAndRefusedWithItsOwnMessage) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    sheet.Load(Stored());
    sheet.ShowPage(SessionPropertiesDialog::kLogin);
    sheet.login()->password->clear();
    // The longest a host takes, typed with its case, and one more.
    const QString longest = QStringLiteral("Mixed Case ") + QString(117, QLatin1Char('9'));
    QTest::keyClicks(sheet.login()->password, longest + QStringLiteral("!"));
    EXPECT_EQ(sheet.login()->password->text(), longest + QStringLiteral("!"))
        << "no keystroke dropped, the case kept";
    QStringList shown;
    sheet.onTooLong = [&](const QString& text) { shown << text; };
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected) << "never cut to 128 and accepted";
    ASSERT_EQ(shown.size(), 1);
    EXPECT_TRUE(shown[0].startsWith(QStringLiteral("The password has 129 characters; a sign-on "
                                                   "takes at most 128")))
        << shown[0].toStdString();
    sheet.login()->password->setText(longest);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Accepted);
    EXPECT_EQ(sheet.Values().UserPassword, longest.toStdString());
}

TEST(SessionPropertiesDialogTest, ADesLevelRefusesAPasswordOverTenCharactersAtOk) {
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    sheet.Load(Stored());
    sheet.ShowPage(SessionPropertiesDialog::kLogin);
    QStringList shown;
    sheet.onTooLong = [&](const QString& text) { shown << text; };
    auto* login = sheet.login();
    login->password->setText(QStringLiteral("Eleven char"));
    login->passwordLevel->setCurrentIndex(login->passwordLevel->findText("0-1"));
    sheet.ShowPage(SessionPropertiesDialog::kConnection);
    sheet.setResult(QDialog::Rejected);
    sheet.accept();
    EXPECT_EQ(sheet.result(), QDialog::Rejected);
    ASSERT_EQ(shown.size(), 1);
    EXPECT_EQ(shown[0].toStdString(),
              "Automatic sign-on: the password has 11 characters, too long for password level 1, "
              "which takes at most 10 characters. Choose the host's password level, or a shorter "
              "password.");
    EXPECT_EQ(sheet.tabs()->currentIndex(), SessionPropertiesDialog::kLogin);

    // Ten characters and trailing blanks, or another level: accepted.
    for (const auto& [level, password] :
         {std::pair{"0-1", "Ten chars!   "}, std::pair{"2-3", "Eleven char"},
          std::pair{"Automatic", "Eleven char"}}) {
        login->passwordLevel->setCurrentIndex(login->passwordLevel->findText(level));
        login->password->setText(QString::fromUtf8(password));
        sheet.setResult(QDialog::Rejected);
        sheet.accept();
        EXPECT_EQ(sheet.result(), QDialog::Accepted) << level;
    }
    EXPECT_EQ(shown.size(), 1);
}

TEST(SessionPropertiesDialogTest, LoginCheckBoxFollowsTheUserAndUpperCaseButNotThePassword) {
    SessionPropertiesDialog sheet(kStrAddSession, "", "PC1");
    sheet.ShowPage(SessionPropertiesDialog::kLogin);
    CSessionTab03* login = sheet.login();
    EXPECT_FALSE(login->autoLogin->isEnabled());
    QTest::keyClicks(login->user, "quser");
    EXPECT_EQ(login->user->text(), "QUSER");
    EXPECT_TRUE(login->autoLogin->isEnabled());
    login->autoLogin->setChecked(true);
    login->user->clear();
    EXPECT_FALSE(login->autoLogin->isEnabled());
    EXPECT_TRUE(login->autoLogin->isChecked());
    QTest::keyClicks(login->password, "pW");
    EXPECT_EQ(sheet.Values().UserPassword, "pW") << "the host tells the case apart";
    EXPECT_EQ(login->password->echoMode(), QLineEdit::Password);
}

}  // namespace
}  // namespace quenlix::app
