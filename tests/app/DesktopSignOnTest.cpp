// The desktop program signing on to the demo host on its own: the password
// from the keyring, the level from the session or from the host's sign-on
// server, and a relay on loopback keeping every byte the terminal sent, so
// the password is seen never to cross the wire.
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QTemporaryDir>
#include <functional>

#include "ShellDoubles.h"
#include "app/CTelnetApp.h"
#include "keyring/SessionPasswords.h"
#include "net/SignOnServerClient.h"
#include "prefs/SettingsStore.h"
#include "session/ConnectFile.h"
#include "support/DemoHostThread.h"
#include "support/RecordingRelay.h"
#include "terminal/ScreenReading.h"

namespace quenlix::app {
namespace {

using quenlix::testing::BytesHold;
using quenlix::testing::DemoHostThread;
using quenlix::testing::RecordingRelay;

constexpr const char* kPassword = "Pass42";

class DesktopSignOn {
public:
    DesktopSignOn() : app(QUENLIX_TABLE_DIR, "PC1", store, &questions) {
        app.messages().interceptor = [this](std::string_view text, MessageIcon) {
            messages.emplace_back(text);
        };
    }

    /// Opens a session to `port` that signs on as "demo" at `level` with
    /// `password` in the keyring, and waits for the screen to show `text`.
    bool SignOn(std::uint16_t port, int level, const std::string& password,
                const std::string& text) {
        SessionSettings s;
        s.Name = "Demo";
        s.IP = "127.0.0.1";
        s.Port = port;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.LaunchConnection = 1;
        s.AutoConnection = 1;
        s.UserID = "demo";
        s.PasswordLevel = level;
        s.PasswordStore = PasswordStorage::kKeyring;
        EXPECT_TRUE(app.keyring().Store(AccountOf(s), password).ok());
        const std::string path = dir.filePath(QStringLiteral("demo.stn")).toStdString();
        EXPECT_TRUE(CConnectFile::WriteSessionFile(path, s));
        EXPECT_FALSE(app.OpenSessionFile(QString::fromStdString(path)).isEmpty());
        return WaitFor(
            [&] { return ReadableText(app.session().terminal).find(text) != std::string::npos; });
    }

    /// Runs the event loop until `done` holds, 10 s at most.
    static bool WaitFor(const std::function<bool()>& done) {
        const QDeadlineTimer deadline(10000);
        while (!done()) {
            if (deadline.hasExpired()) return false;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return true;
    }

    QTemporaryDir dir{QDir::tempPath() + QStringLiteral("/quenlix-signon-XXXXXX")};
    MemorySettingsStore store;
    testing::ScriptedQuestions questions;
    CTelnetApp app;
    std::vector<std::string> messages;
};

TEST(DesktopSignOnTest, EveryLevelReachesTheMainMenuWithoutThePasswordOnTheWire) {
    for (const int level : {0, 2, 4}) {
        SCOPED_TRACE(level);
        ForgetPasswordLevels();
        DemoHostThread host(level, kPassword, true);
        // The level as the session names it, and as the sign-on server tells it.
        for (const bool automatic : {false, true}) {
            SCOPED_TRACE(automatic ? "automatic" : "session setting");
            RecordingRelay relay(host.port());
            DesktopSignOn desktop;
            if (automatic) desktop.app.session().signOnServerPort = host.signOnPort();
            EXPECT_TRUE(desktop.SignOn(relay.port(), automatic ? kAutomaticPasswordLevel : level,
                                       kPassword, "Signed on automatically as DEMO."))
                << ReadableText(desktop.app.session().terminal);
            const SignOnReport& report = desktop.app.session().signOnReport();
            EXPECT_EQ(report.kind, SignOnReport::Kind::kSubstitute) << report.Text();
            EXPECT_EQ(report.level, level);
            EXPECT_EQ(report.how,
                      automatic ? "sign-on server 127.0.0.1:" + std::to_string(host.signOnPort())
                                : std::string("session setting"));
            EXPECT_TRUE(desktop.questions.passwordQuestions.empty());
            desktop.app.session().EndSession();
            const std::vector<std::uint8_t> sent = relay.Sent();
            EXPECT_TRUE(BytesHold(sent, "IBMSUBSPW"));
            for (const char* form : {"Pass42", "PASS42"})
                EXPECT_FALSE(BytesHold(sent, form)) << form;
        }
    }
}

// The sign-on server says level 0 and the password is longer than DES takes:
// none goes, the operator meets the sign-on screen and the status bar says why.
TEST(DesktopSignOnTest, ALongPasswordAtALevelTheServerNamesDesGoesNowhere) {
    ForgetPasswordLevels();
    const std::string longPassword = "Longer than ten";
    DemoHostThread host(0, longPassword, true);
    RecordingRelay relay(host.port());
    DesktopSignOn desktop;
    desktop.app.session().signOnServerPort = host.signOnPort();
    EXPECT_TRUE(desktop.SignOn(relay.port(), kAutomaticPasswordLevel, longPassword, "Sign On"));
    const SignOnReport& report = desktop.app.session().signOnReport();
    EXPECT_EQ(report.kind, SignOnReport::Kind::kNoPassword);
    const std::string reason =
        "the password has 15 characters, too long for password level 0, which takes at most 10 "
        "characters";
    EXPECT_EQ(report.reason, reason);
    EXPECT_TRUE(DesktopSignOn::WaitFor([&] {
        return desktop.app.frame().idleStatus() ==
               QString::fromStdString("No password sent: " + reason);
    })) << desktop.app.frame().idleStatus().toStdString();
    desktop.app.session().EndSession();
    const std::vector<std::uint8_t> sent = relay.Sent();
    EXPECT_FALSE(BytesHold(sent, "IBMSUBSPW"));
    for (const char* form : {"Longer than ten", "LONGER THAN TEN"}) {
        EXPECT_FALSE(BytesHold(sent, form)) << form;
    }
}

}  // namespace
}  // namespace quenlix::app
