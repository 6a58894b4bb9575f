// The desktop program over TLS: the certificate dialog's texts and choices,
// the changed-pin warning, a question that goes away while it is open, the
// Session Properties security fields, the posted read of decrypted data,
// and a session to the demo host serving TLS, trusted from the dialog.
#include <gtest/gtest.h>

#include <QApplication>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QTemporaryDir>
#include <QTest>
#include <thread>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "app/CertificateDialog.h"
#include "app/SessionPropertiesDialog.h"
#include "demohost/DemoServer.h"
#include "session/ConnectFile.h"
#include "terminal/StringTable.h"

namespace quenlix::app {
namespace {

const std::string kPinned =
    "AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:88:99:AA:BB:CC:DD:EE:FF:00:11:22:33:44:55:66:77:"
    "88:99";

CertificateQuestion Question(CertificateQuestion::Kind kind) {
    CertificateQuestion q;
    q.kind = kind;
    q.host = "as400.example";
    q.port = 992;
    q.report.subject = "O = Site, CN = as400.example";
    q.report.issuer = "O = Site, CN = as400.example";
    q.report.validFrom = "2026-01-01 00:00:00 UTC";
    q.report.validUntil = "2027-01-01 00:00:00 UTC";
    q.report.fingerprint =
        "01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:AB:CD:EF:01:23:45:67:89:"
        "AB:CD:EF";
    q.report.names = {"as400.example"};
    q.report.problems = {"the certificate is self-signed"};
    if (kind == CertificateQuestion::Kind::kChanged) q.pinnedFingerprint = kPinned;
    return q;
}

TEST(CertificateDialogTest, AnUntrustedCertificateShowsItsFieldsAndEachChoiceAnswers) {
    const CertificateQuestion q = Question(CertificateQuestion::Kind::kUntrusted);
    for (CertificateAnswer choice : {CertificateAnswer::kCancel, CertificateAnswer::kConnectOnce,
                                     CertificateAnswer::kAlwaysTrust}) {
        CertificateDialog dialog(q);
        const QString text = dialog.shownText();
        for (const char* part :
             {"The certificate of as400.example:992 could not be verified.",
              "The certificate is self-signed.", "Subject: O = Site, CN = as400.example",
              "Issuer: O = Site, CN = as400.example", "Valid from: 2026-01-01 00:00:00 UTC",
              "Valid until: 2027-01-01 00:00:00 UTC", "01:23:45:67:89:AB:CD:EF"}) {
            EXPECT_TRUE(text.contains(QString::fromUtf8(part))) << part << "\n" << text.toStdString();
        }
        EXPECT_TRUE(dialog.button(CertificateAnswer::kCancel)->isDefault());
        EXPECT_EQ(dialog.button(CertificateAnswer::kConnectOnce)->text(), "Connect this time");
        EXPECT_EQ(dialog.button(CertificateAnswer::kAlwaysTrust)->text(),
                  "Always trust this certificate for this host");
        EXPECT_EQ(dialog.button(CertificateAnswer::kRemovePin), nullptr);
        dialog.button(choice)->click();
        EXPECT_EQ(dialog.answer(), choice);
    }
    // Closed any other way (Escape, the window's close box): Cancel.
    CertificateDialog dialog(q);
    dialog.show();
    QTest::keyClick(&dialog, Qt::Key_Escape);
    EXPECT_EQ(dialog.answer(), CertificateAnswer::kCancel);
    EXPECT_FALSE(dialog.isVisible());
}

TEST(CertificateDialogTest, AChangedPinIsRefusedWithBothFingerprintsAndOnlyRemovePinGoesOn) {
    const CertificateQuestion q = Question(CertificateQuestion::Kind::kChanged);
    CertificateDialog dialog(q);
    const QString text = dialog.shownText();
    EXPECT_TRUE(text.contains("it is refused")) << text.toStdString();
    EXPECT_TRUE(text.contains(QString::fromStdString("Trusted before: " + kPinned)));
    EXPECT_TRUE(text.contains(QString::fromStdString("Presented now:  " + q.report.fingerprint)));
    EXPECT_EQ(dialog.button(CertificateAnswer::kConnectOnce), nullptr);
    EXPECT_EQ(dialog.button(CertificateAnswer::kAlwaysTrust), nullptr);
    EXPECT_TRUE(dialog.button(CertificateAnswer::kCancel)->isDefault());
    dialog.button(CertificateAnswer::kRemovePin)->click();
    EXPECT_EQ(dialog.answer(), CertificateAnswer::kRemovePin);
}

TEST(CertificateDialogTest, TheQuestionIsAnsweredFromTheButtonAndNotAtAllOnceItWent) {
    QWidget window;
    QtCertificateQuestions questions(&window);
    std::vector<CertificateAnswer> answers;
    bool asked = true;
    questions.AskAboutCertificate(Question(CertificateQuestion::Kind::kUntrusted),
                                  [&](CertificateAnswer a) { answers.push_back(a); },
                                  [&] { return asked; });
    ASSERT_NE(questions.openDialog(), nullptr);
    EXPECT_TRUE(answers.empty()) << "no nested event loop answers before the click";
    questions.openDialog()->button(CertificateAnswer::kConnectOnce)->click();
    EXPECT_EQ(answers, std::vector<CertificateAnswer>{CertificateAnswer::kConnectOnce});

    // The session ended while the dialog was open: it closes by itself.
    answers.clear();
    questions.AskAboutCertificate(Question(CertificateQuestion::Kind::kUntrusted),
                                  [&](CertificateAnswer a) { answers.push_back(a); },
                                  [&] { return asked; });
    QPointer<CertificateDialog> open = questions.openDialog();
    asked = false;
    QTest::qWait(QtCertificateQuestions::kStillAskedCheckMs * 3);
    EXPECT_TRUE(open.isNull() || !open->isVisible());
    EXPECT_TRUE(answers.empty());
}

TEST(CertificateDialogTest, TheSheetKeepsTheSecurityFieldsAndProposesPort992ForTls) {
    SessionSettings s;
    s.Name = "Prod";
    s.IP = "as400.example";
    s.Port = 23;
    s.Security = ConnectionSecurity::kTls;
    s.CAFile = "/etc/site/ca.pem";
    s.ClientCertificate = "/home/jdoe/me.pem";
    {
        SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
        sheet.Load(s);
        EXPECT_TRUE(sheet.connection()->caFile->isEnabled());
        const SessionSettings back = sheet.Values();
        EXPECT_EQ(back.Security, ConnectionSecurity::kTls);
        EXPECT_EQ(back.CAFile, s.CAFile);
        EXPECT_EQ(back.ClientCertificate, s.ClientCertificate);
        EXPECT_EQ(back.Port, 23) << "a loaded value is not changed by itself";
        EXPECT_FALSE(sheet.connection()->viewCertificate->isEnabled());
    }
    // TLS chosen with telnet's port: 992, on the Advanced page or not yet shown.
    for (bool advancedShown : {false, true}) {
        SCOPED_TRACE(advancedShown ? "Advanced shown" : "Advanced not shown");
        s.Security = ConnectionSecurity::kNone;
        SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
        sheet.Load(s);
        if (advancedShown) sheet.ShowPage(SessionPropertiesDialog::kAdvanced);
        EXPECT_FALSE(sheet.connection()->caFile->isEnabled());
        QComboBox* security = sheet.connection()->security;
        security->setCurrentIndex(1);
        emit security->activated(1);
        EXPECT_EQ(sheet.Values().Port, 992);
        EXPECT_TRUE(sheet.connection()->caFile->isEnabled());
    }
    s.Port = 2323;
    SessionPropertiesDialog sheet(kStrSessionProperties, "", "PC1");
    sheet.Load(s);
    emit sheet.connection()->security->activated(1);
    EXPECT_EQ(sheet.Values().Port, 2323) << "another port is the operator's";
    // Browse fills the field; "View certificate…" needs a certificate.
    sheet.chooseFile = [](const QString&, const QString&) { return QStringLiteral("/x/ca.pem"); };
    sheet.connection()->security->setCurrentIndex(1);
    sheet.connection()->caBrowse->click();
    EXPECT_EQ(sheet.connection()->caFile->text(), "/x/ca.pem");
    sheet.currentCertificate = [] { return std::optional<CertificateReport>(CertificateReport{}); };
    sheet.UpdateViewCertificate();
    EXPECT_TRUE(sheet.connection()->viewCertificate->isEnabled());
}

TEST(CertificateDialogTest, APostedReadRunsOnceFromTheEventLoopAndSuspendCancelsIt) {
    int reads = 0;
    QtSocketNotifier notifier([&] { ++reads; }, [] {});
    notifier.PostReadable();
    notifier.PostReadable();
    EXPECT_EQ(reads, 0);
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 1);
    notifier.PostReadable();
    notifier.Suspend();
    QCoreApplication::processEvents();
    EXPECT_EQ(reads, 1);
}

TEST(CertificateDialogTest, ASessionToTheDemoHostOverTlsIsTrustedFromTheDialog) {
    std::string error;
    const std::unique_ptr<demohost::HostTls> tls = demohost::HostTls::SelfSigned("127.0.0.1", error);
    ASSERT_TRUE(tls) << error;
    demohost::ServerOptions options;
    options.port = 0;
    options.tls = tls.get();
    demohost::DemoServer server(options);
    ASSERT_TRUE(server.Open(error)) << error;
    std::thread loop([&] { server.Run(); });
    struct Stop {
        demohost::DemoServer& server;
        std::thread& loop;
        ~Stop() {
            server.RequestStop();
            loop.join();
        }
    } stop{server, loop};

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-tls-XXXXXX")};
    SessionSettings s;
    s.Name = "Demo";
    s.IP = "127.0.0.1";
    s.Port = server.port();
    s.TerminalName = "IBM-5292-2";
    s.TerminalCaract = "24 * 80";
    s.PageCode = 37;
    s.LaunchConnection = 1;
    s.Security = ConnectionSecurity::kTls;
    const std::string path = dir.filePath(QStringLiteral("tls.stn")).toStdString();
    ASSERT_TRUE(CConnectFile::WriteSessionFile(path, s));

    MemorySettingsStore store;
    testing::ScriptedQuestions questions;
    CTelnetApp app(QUENLIX_TABLE_DIR, "PC1", store, &questions);
    std::vector<std::string> messages;
    app.messages().interceptor = [&](std::string_view text, MessageIcon) {
        messages.emplace_back(text);
    };
    app.BeginFirstSession(std::vector<std::string>{path});
    ASSERT_TRUE(QTest::qWaitFor([&] { return app.certificateQuestions().openDialog() != nullptr; }, 5000));
    CertificateDialog* dialog = app.certificateQuestions().openDialog();
    EXPECT_TRUE(dialog->shownText().contains(QString::fromStdString(tls->fingerprint())));
    EXPECT_TRUE(dialog->shownText().contains("The certificate is self-signed."));
    dialog->button(CertificateAnswer::kAlwaysTrust)->click();

    TerminalSession& session = app.session();
    ASSERT_TRUE(QTest::qWaitFor([&] { return session.terminal.formatTable.fieldCount() > 0; }, 5000));
    EXPECT_EQ(session.pins.Find("127.0.0.1", server.port()), tls->fingerprint());
    EXPECT_TRUE(QTest::qWaitFor([&] { return app.tlsStatus()->isVisibleTo(app.frame().statusBar()); }, 2000));
    EXPECT_EQ(app.tlsStatus()->text(), QStringLiteral("TLS 1.3"));
    // The lock is a picture beside it, not a character a font may lack.
    EXPECT_TRUE(app.tlsIcon()->isVisibleTo(app.frame().statusBar()));
    EXPECT_FALSE(app.tlsIcon()->pixmap().isNull());
    for (const QChar c : app.tlsStatus()->text()) EXPECT_LT(c.unicode(), 0x80) << "text only";
    EXPECT_TRUE(messages.empty());
}

}  // namespace
}  // namespace quenlix::app
