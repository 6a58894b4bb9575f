// A screen-synchronised macro played by the headless front end against the
// demo host, at full speed and with the host slowed: each step waits for the
// screen it expects, a prompt's answer is typed but never printed, one branch
// runs only when its screen is there, and a screen that does not come stops
// the macro with the screen it saw instead.
#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "cli/CliShell.h"
#include "support/DemoHostThread.h"

namespace quenlix::demohost {
namespace {

constexpr const char* kSecret = "Hush7wq";

/// Sign-on, main menu option 1, the data-entry screen, Enter, the host's
/// echo, back to the menu.
const std::vector<std::string> kMacro = {
    "connect",
    "expect \"Sign On\"",
    "expect-cursor 6 53",
    "prompt USER \"User\"",
    "key Tab",
    "prompt PASS \"Password\"",
    "key Enter",
    "expect \"Main Menu\" within 10000",
    "screen",
    "type 1",
    "key Enter",
    "expect \"Data Entry\" at 1 36",
    "expect-field 17",
    "type Hello",
    "cursor 13 39",
    "type ACME",
    "key Enter",
    "expect \"What the Host Received\"",
    "if-screen \"No such screen text\"",
    "key F12",
    "if-screen \"What the Host Received\"",
    "key F12",
    "end",
    "end",
    "if-screen \"'Hello'\"",
    "key F3",
    "end",
    "expect \"Main Menu\"",
    "disconnect",
};

class MacroPlayback : public ::testing::Test {
protected:
    /// Plays the lines; false at the first that fails.
    bool Play(cli::CliShell& shell, const std::vector<std::string>& lines) {
        for (const std::string& line : lines) {
            if (!shell.Execute(line)) {
                failedAt = line;
                return false;
            }
        }
        return shell.BlocksClosed();
    }
    static void Point(cli::CliShell& shell, std::uint16_t port) {
        SessionSettings& s = shell.session().activeSettings;
        s.IP = "127.0.0.1";
        s.Port = port;
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        shell.session().pendingSettings = s;
        shell.SetVariable("USER", "MACRO");
        shell.SetVariable("PASS", kSecret);
    }
    std::string failedAt;
};

TEST_F(MacroPlayback, RunsAtFullSpeedAndOnASlowHost) {
    for (const int delay : {0, 300}) {
        SCOPED_TRACE(delay);
        testing::DemoHostThread host(3, "DEMO", false, std::chrono::milliseconds(delay));
        std::ostringstream out;
        cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
        Point(shell, host.port());
        failedAt.clear();
        EXPECT_TRUE(Play(shell, kMacro)) << failedAt << "\n" << out.str();
        EXPECT_EQ(out.str().find(kSecret), std::string::npos) << "the answer is typed, never printed";
        EXPECT_NE(out.str().find("User: MACRO"), std::string::npos) << "the menu names the user the prompt typed";
    }
}

TEST_F(MacroPlayback, AScreenThatDoesNotComeStopsItWithTheScreenSeen) {
    testing::DemoHostThread host(3, "DEMO", false, std::chrono::milliseconds(200));
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    Point(shell, host.port());
    EXPECT_FALSE(Play(shell, {"connect", "expect \"Sign On\"", "expect \"Main Menu\" within 600"}));
    EXPECT_EQ(failedAt, "expect \"Main Menu\" within 600");
    EXPECT_TRUE(shell.MacroStopped());
    const std::string printed = out.str();
    const std::size_t failure =
        printed.find("expect: \"Main Menu\" did not come within 600 ms; the screen instead:\n");
    ASSERT_NE(failure, std::string::npos) << printed;
    EXPECT_NE(printed.find("Sign On", failure), std::string::npos) << "the screen it saw follows";
    EXPECT_NE(printed.find("cursor 6 53", failure), std::string::npos);

    // A malformed step is refused before it waits; a stray end is an error.
    for (const char* bad : {"expect Main", "expect \"Main\" at 0 1", "expect \"Main\" soon",
                            "expect-field many", "prompt 9-x \"Q\"", "if-screen Main"}) {
        EXPECT_FALSE(shell.Execute(bad)) << bad;
    }
    out.str("");
    EXPECT_FALSE(shell.Execute("end"));
    EXPECT_EQ(out.str(), "error: end without if-screen\n");
}

TEST_F(MacroPlayback, APromptWithoutAnAnswerFails) {
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    EXPECT_FALSE(shell.Execute("prompt CODE \"Code?\""));
    EXPECT_EQ(out.str(), "error: prompt CODE: no answer (give --var CODE=VALUE)\n");
    std::istringstream answers("A1\n");
    shell.SetAnswers(&answers);
    EXPECT_TRUE(shell.Execute("prompt CODE \"Code?\""));
    // Only a defined variable is replaced: other dollar text is typed as is.
    EXPECT_TRUE(shell.Execute("type $CODE"));
    EXPECT_TRUE(shell.Execute("type $OTHER"));

    // A block whose text is not there is passed over to its own end,
    // nested blocks included; the line after it runs again.
    for (const char* line : {"if-screen \"not on a blank screen\"", "no-such-command",
                             "if-screen \"nor this\"", "end", "no-such-command", "end"}) {
        EXPECT_TRUE(shell.Execute(line)) << line;
    }
    EXPECT_TRUE(shell.BlocksClosed());
    EXPECT_FALSE(shell.Execute("no-such-command"));
}

}  // namespace
}  // namespace quenlix::demohost
