// The headless front end's commands without a host: recorded host data as
// the session's socket, the printed formats, and the command line.
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "ds5250/RecordBuilder.h"
#include "ds5250/SelectionFieldBuilder.h"
#include "input/KeyMap.h"
#include "keyring/MemoryKeyring.h"
#include "session/ConnectFile.h"
#include "support/SampleScreens.h"

namespace quenlix::testing {
namespace {

std::string Hex(const Bytes& bytes) { return cli::HexLine(bytes.data(), bytes.size()); }

/// The sign-off: a System Request carrying "90".
const Bytes kSignOff = FrameRecord(0x00, {0xF9, 0xF0}, 0x04);

class CliCommandsTest : public ::testing::Test {
protected:
    CliCommandsTest() : shell(out, QUENLIX_TABLE_DIR, "TESTPC") {
        shell.session().activeSettings.PageCode = 37;
        shell.session().activeSettings.TerminalName = "IBM-5292-2";
    }
    /// Runs a command and returns what it printed.
    std::string Run(const std::string& line, bool expectOk = true) {
        out.str("");
        EXPECT_EQ(shell.Execute(line), expectOk) << line << "\n" << out.str();
        return out.str();
    }
    /// A screen with one input field at 2,5 (data from 2,6), Read MDT Fields.
    static Bytes FieldScreen() {
        return RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(1, 1)
            .text("MENU")
            .sba(2, 5)
            .startOfField(0x40, 0x00, 0x20, 3)
            .insertCursor(2, 6)
            .readMdtFields()
            .record();
    }
    /// A folder of its own for files the test writes.
    std::string TempDir() {
        const std::string dir =
            std::filesystem::temp_directory_path() / ("quenlix-cli-" + std::to_string(::getpid()));
        std::filesystem::create_directories(dir);
        dirs.push_back(dir);
        return dir;
    }
    ~CliCommandsTest() override {
        for (const auto& d : dirs) std::filesystem::remove_all(d);
    }

    std::ostringstream out;
    cli::CliShell shell;
    std::vector<std::string> dirs;
};

TEST_F(CliCommandsTest, RecordedDataIsTheSocketUntilDisconnect) {
    Run("block " + Hex(FieldScreen()));
    EXPECT_EQ(shell.session().terminal.state.connected, 1);

    // Keys after the block are sent and printed, nothing refused.
    Run("type AB");
    EXPECT_EQ(Run("key Enter"),
              "sent " + Hex(FrameRecord(0x03, {2, 8, 0xF1, 0x11, 2, 6, 0xC1, 0xC2, 0x40})) + "\n");
    Run("block " + Hex(RecordBuilder().writeToDisplay().readMdtFields().record()));
    // The new screen put the cursor in the field's first position.
    EXPECT_EQ(Run("key PageUp"),
              "sent " + Hex(FrameRecord(0x03, {2, 6, 0xF4, 0x11, 2, 6, 0xC1, 0xC2, 0x40})) + "\n");
    EXPECT_EQ(Run("wait 100"), "closed\n") << "a recording delivered whole brings nothing more";

    // Disconnect signs off through the recording, then nothing is sent.
    EXPECT_EQ(Run("disconnect"), "sent " + Hex(kSignOff) + "\n");
    EXPECT_EQ(shell.session().terminal.state.connected, 0);
    EXPECT_EQ(Run("key Enter"), "");
    EXPECT_EQ(Run("disconnect"), "") << "no second sign-off";
}

TEST_F(CliCommandsTest, ReplayFeedsAWholeRecording) {
    const std::string dir = TempDir();
    const std::string path = dir + "/host.bin";
    {
        // The host's negotiation and its first screen, as a capture holds them.
        std::ofstream f(path, std::ios::binary);
        const Bytes data =
            Concat({{0xFF, 0xFD, 0x18, 0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0}, FieldScreen()});
        f.write(reinterpret_cast<const char*>(data.data()),
                static_cast<std::streamsize>(data.size()));
    }
    // One arrival: one answer for the negotiation; the screen needs none.
    EXPECT_EQ(
        Run("replay " + path),
        "sent fffb18fffa1800" + Hex({'I', 'B', 'M', '-', '5', '2', '9', '2', '-', '2'}) + "fff0\n");
    EXPECT_EQ(Run("screen").substr(0, 5), "MENU ");
    EXPECT_EQ(Run("key PA1"), "sent " + Hex(FrameRecord(0x00, {2, 6, 0x6C})) + "\n");

    EXPECT_EQ(Run("replay " + dir + "/missing.bin", false),
              "error: cannot read " + dir + "/missing.bin\n");
    EXPECT_EQ(Run("replay " + dir, false), "error: cannot read " + dir + "\n");
}

TEST_F(CliCommandsTest, StrayBytesInNegotiationDoNotStallTheFirstScreen) {
    // A byte after a command may be a record's first: it waits until the
    // next arrival shows what it is, and is then answered under the command.
    EXPECT_EQ(Run("block fffd1800"), "sent fffb18\n");
    EXPECT_EQ(Run("block fffa1801fff0"),
              "sent fffb00\nsent fffa1800" +
                  Hex({'I', 'B', 'M', '-', '5', '2', '9', '2', '-', '2'}) + "fff0\n");
    EXPECT_EQ(Run("block " + Hex(FieldScreen())), "");
    EXPECT_EQ(Run("screen").substr(0, 5), "MENU ");
    EXPECT_EQ(shell.session().endpoint().receivedCount(), 0u);
    // TERMINAL-TYPE and BINARY are on already: only the new options are answered.
    EXPECT_EQ(Run("block fffd180019"), "");
    EXPECT_EQ(Run("block fffd27"), "sent fffb19\nsent fffb27\n");
    EXPECT_EQ(shell.session().endpoint().receivedCount(), 0u);
}

// What the operator sees never depends on how TCP cut the stream: records
// that came in one read are each interpreted on their own.
TEST_F(CliCommandsTest, RecordsThatArriveTogetherAreEachInterpreted) {
    // A record refused at its end (a write past the screen), then a screen.
    const Bytes refused = RecordBuilder().writeToDisplay().sba(24, 80).text("XY").record();
    EXPECT_EQ(Run("block " + Hex(Concat({refused, FieldScreen()}))),
              "sent 000e12a00000048000001005012affef\n");
    EXPECT_EQ(Run("screen").substr(0, 5), "MENU ") << "the screen after the refused record";

    // A No Operation skips the rest of its own record only.
    const Bytes nop = FrameRecord(ds::kOpNoOperation, {ds::kEscape, ds::kCmdClearUnit});
    Run("block " + Hex(Concat({nop, RecordBuilder().clearUnit().writeToDisplay().text("NEXT").record()})));
    EXPECT_EQ(Run("screen").substr(0, 5), "NEXT ");

    // A hundred Read Screen requests in one read get a hundred answers.
    const Bytes request = FrameRecord(ds::kOpReadScreen, {ds::kEscape, ds::kCmdReadScreen});
    Bytes many;
    for (int i = 0; i < 100; ++i) many.insert(many.end(), request.begin(), request.end());
    const std::string printed = Run("block " + Hex(many));
    std::size_t answers = 0;
    for (std::size_t at = 0; (at = printed.find("sent 078a12a0", at)) != std::string::npos; ++at) {
        ++answers;
    }
    EXPECT_EQ(answers, 100u);
}

// The sign-on screen a real IBM i host sent: its fields are filled with
// nulls, so the user typed goes out without trailing pad, as the host expects.
TEST_F(CliCommandsTest, TheRecordedSignOnIsAnsweredWithoutPadding) {
    const std::string file =
        std::string(QUENLIX_SOURCE_DIR) + "/../shared/refdata/signon-recording/testsys-login-h2c-04-rec.bin";
    if (!std::filesystem::exists(file)) GTEST_SKIP() << "no recorded host data at " << file;
    Run("block fffd18");
    EXPECT_EQ(Run("replay " + file), "");
    Run("type TESTUSR");
    const std::string sent = Run("key Enter");
    EXPECT_NE(sent.find("f1110635e3c5e2e3e4e2d9ffef\n"), std::string::npos) << sent;
    EXPECT_EQ(sent.find("e3c5e2e3e4e2d940"), std::string::npos) << "no blank pad: " << sent;
}

// The recorded main menu: its hotspots a JSON line each; a click on F3=Exit
// sends F3, a click on a menu item types it into the command line and sends
// Enter; a cell with no hotspot is an error.
TEST_F(CliCommandsTest, HotspotsOfTheRecordedMenuAreListedAndClicked) {
    const std::string dir = std::string(QUENLIX_SOURCE_DIR) + "/../shared/refdata/signon-recording/";
    if (!std::filesystem::exists(dir + "testsys-login-h2c-07-rec.bin")) {
        GTEST_SKIP() << "no recorded host data at " << dir;
    }
    Run("block fffd18");
    Run("replay " + dir + "testsys-login-h2c-04-rec.bin");
    Run("replay " + dir + "testsys-login-h2c-07-rec.bin");
    const std::string listed = Run("hotspots");
    EXPECT_NE(listed.find("{\"row\":22,\"column\":2,\"length\":7,\"kind\":\"aid\",\"text\":\"F3=Exit\","
                          "\"action\":\"F3\"}\n"),
              std::string::npos)
        << listed;
    EXPECT_NE(listed.find("\"kind\":\"option\",\"text\":\"90. Sign off\",\"action\":\"90\"}"),
              std::string::npos);
    EXPECT_EQ(Run("click 1 1", false), "error: no hotspot at 1 1\n");
    const std::string item = Run("click 17 8");
    EXPECT_NE(item.find("f9f0ffef"), std::string::npos) << "90 in the command line: " << item;
    EXPECT_NE(item.find("sent "), std::string::npos);
}

// A selection field of the enhanced interface: `screen` shows its choices as
// text, `choices` lists them, `choose` picks one by cell, number or
// mnemonic and the answer goes with Enter.
TEST_F(CliCommandsTest, ChoicesAreListedAndChosen) {
    shell.session().activeSettings.Enhanced = 1;
    Run("block " + Hex(RecordBuilder()
                           .clearUnit()
                           .writeToDisplay()
                           .sba(3, 2)
                           .startOfField(0x43, 0x00, 0x20, 2)
                           .displayStructuredField(
                               ds::kWdsfDefineSelectionField,
                               SelectionFieldBuilder(SelectionKind::kSingleChoice)
                                   .layout(5, 0, 0)
                                   .choice("Tea", ChoiceState::kSelected, 0, 0)
                                   .choice("Milk", ChoiceState::kUnavailable, 0, 0)
                                   .choice("Water", ChoiceState::kAvailable, 0, 0)
                                   .data())
                           .insertCursor(3, 3)
                           .readMdtFields(0x00, ds::kCc2UnlockKeyboard)
                           .record()));
    const std::string screen = Run("screen");
    EXPECT_EQ(screen.find("  01  1. Tea  "), 2 * 81u) << screen;
    EXPECT_EQ(screen.find("      3. Water "), 4 * 81u) << screen;
    EXPECT_EQ(Run("choices"),
              "{\"field\":1,\"row\":3,\"column\":3,\"type\":\"single choice\","
              "\"answer\":{\"row\":3,\"column\":3,\"length\":2},\"choices\":["
              "{\"text\":\"Tea\",\"number\":1,\"state\":\"selected\",\"mnemonic\":\"T\",\"row\":3,\"column\":6},"
              "{\"text\":\"Milk\",\"number\":2,\"state\":\"unavailable\",\"mnemonic\":\"M\",\"row\":4,\"column\":6},"
              "{\"text\":\"Water\",\"number\":3,\"state\":\"available\",\"mnemonic\":\"W\",\"row\":5,\"column\":6}]}\n");
    EXPECT_EQ(Run("choose 4 9", false), "refused: That choice is not available\n");
    EXPECT_EQ(Run("choose 9 9", false), "error: no such choice: 9 9\n");
    Run("choose mnemonic w");
    EXPECT_NE(Run("choices").find("\"text\":\"Water\",\"number\":3,\"state\":\"selected\""),
              std::string::npos);
    Run("choose number 1");
    Run("choose 5 9");
    EXPECT_EQ(Run("key Enter"), "sent " + Hex(FrameRecord(0x03, {5, 10, 0xF1, 0x11, 3, 3, 0xF0, 0xF3})) + "\n");
}

// A screen written with a reset pattern in CC1 and no unlock in CC2 takes
// no keys although Put/Get opened the keyboard: what is typed waits, and
// goes only once the host's CC2 opens the keyboard again.
TEST_F(CliCommandsTest, TheFirstControlBytesResetPatternLocksTheKeyboard) {
    Run("block " + Hex(RecordBuilder()
                           .clearUnit()
                           .writeToDisplay(ds::kCc1ResetPendingAid, 0x00)
                           .sba(2, 5)
                           .startOfField(0x40, 0x00, 0x20, 3)
                           .insertCursor(2, 6)
                           .record()));
    EXPECT_NE(Run("status").find("\"inputInhibited\":1"), std::string::npos);
    Run("type AB");
    EXPECT_EQ(Run("key Enter").find("sent "), std::string::npos) << "no key reached the host";

    const std::string opened = Run("block " + Hex(RecordBuilder(ds::kOpOutputOnly)
                                                      .writeToDisplay(0x00, ds::kCc2UnlockKeyboard)
                                                      .readMdtFields()
                                                      .record()));
    EXPECT_NE(opened.find("sent 001312a00000040000030208f1110206c1c240ffef"), std::string::npos)
        << opened;
}

TEST_F(CliCommandsTest, ARecordOfSixtyThousandBytesIsInterpreted) {
    // Thirty full screens written over each other in one record, then one
    // line and an invitation: 60 000 bytes, longer than any buffer before.
    RecordBuilder big;
    big.clearUnit();
    for (int i = 0; i < 30; ++i) {
        big.writeToDisplay().sba(1, 1).text(std::string(1919, static_cast<char>('A' + i % 26)));
    }
    big.writeToDisplay().sba(1, 1).text("LAST").readMdtFields();
    const Bytes record = big.record();
    ASSERT_GT(record.size(), 57000u);
    ASSERT_LT(record.size(), 65535u);
    // Fed as a socket delivers it, in receives of at most 32 KiB: before any
    // telnet command too, the record's start is held for the rest, not
    // taken for a plain-text server's bytes.
    EXPECT_EQ(Run("block " + Hex(record)), "");
    EXPECT_EQ(Run("screen").substr(0, 6), "LASTDD");
    EXPECT_NE(Run("status").find("\"inputInhibited\":0"), std::string::npos);

    // The same from a recording, and after the telnet negotiation.
    const std::string file = TempDir() + "/big.bin";
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(record.data()),
               static_cast<std::streamsize>(record.size()));
    for (const bool telnet : {false, true}) {
        SCOPED_TRACE(telnet ? "after telnet" : "raw recording");
        std::ostringstream printed;
        cli::CliShell fresh(printed, QUENLIX_TABLE_DIR, "TESTPC");
        if (telnet) {
            EXPECT_TRUE(fresh.Execute("block fffd18"));
        }
        EXPECT_TRUE(fresh.Execute("replay " + file));
        EXPECT_TRUE(fresh.Execute("screen"));
        EXPECT_NE(printed.str().find("LASTDD"), std::string::npos);
        EXPECT_EQ(printed.str().find("message:"), std::string::npos) << printed.str();
    }
}

TEST_F(CliCommandsTest, ScreenPrintsEveryCellAsOneCharacter) {
    // A server that does not speak telnet: its bytes land on the screen as
    // they come, line feeds, tabs, bells and NULs included.
    const std::string text = std::string("Hello\nWorld\t\a") + '\0' + "\x7F\x81\x80|\r\nNext";
    Run("block " + Hex(Bytes(text.begin(), text.end())));
    const std::string printed = Run("screen");
    std::istringstream lines(printed);
    std::vector<std::string> rows;
    for (std::string line; std::getline(lines, line);) rows.push_back(line);
    ASSERT_EQ(rows.size(), 25u);
    // 0x81 has no character in the PC set: a C1 control, printed blank;
    // 0x80 is the euro sign there.
    EXPECT_EQ(rows[0], "Hello World     \u20AC|" + std::string(62, ' '));
    EXPECT_EQ(rows[1], "Next" + std::string(76, ' '));
    for (int r = 2; r < 24; ++r) EXPECT_EQ(rows[static_cast<std::size_t>(r)], std::string(80, ' '));
    EXPECT_EQ(rows[24], "cursor 2 1");
}

TEST_F(CliCommandsTest, SettingsAreValidJsonWhateverTheBytes) {
    SessionSettings& s = shell.session().activeSettings;
    s.Name = "Caf\xE9 \xC3\xA9 \xF0\x9F\x98\x80";        // Latin-1 é, UTF-8 é, an emoji
    s.IP = "\xC0\xAF\xED\xA0\x80";                       // an overlong '/', a surrogate
    s.UserID = std::string("a\"b\\c\x01") + "\xE2\x82";  // a cut sequence at the end
    const std::string printed = Run("settings");
    EXPECT_NE(printed.find("\"Name\":\"Caf\\u00e9 \xC3\xA9 \xF0\x9F\x98\x80\""), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("\"IP\":\"\\u00c0\\u00af\\u00ed\\u00a0\\u0080\""), std::string::npos)
        << printed;
    EXPECT_NE(printed.find("\"UserID\":\"a\\\"b\\\\c\\u0001\\u00e2\\u0082\""), std::string::npos)
        << printed;
}

TEST_F(CliCommandsTest, TraceShowsTheTrafficWhileOn) {
    Run("trace on");
    EXPECT_EQ(Run("block fffd18"), "trace recv fffd18\n  IAC DO TERMINAL-TYPE\nsent fffb18\n"
                                   "trace sent fffb18\n  IAC WILL TERMINAL-TYPE\n");
    Run("trace off");
    EXPECT_EQ(Run("block fffd19"), "sent fffb19\n");
    Run("trace on raw");
    EXPECT_EQ(Run("block fffd00").substr(0, 18), "trace recv fffd00\n");
    Run("trace off");
    Run("trace maybe", false);
    Run("trace raw", false);
}

TEST_F(CliCommandsTest, TraceKeepsThePasswordOut) {
    const std::string password = "c8c9c4c4c5d5";  // "HIDDEN" in EBCDIC
    struct Case {
        const char* trace;
        bool beforeTheScreen;  // a trace started after it knows its fields too
    };
    for (const Case c : {Case{"trace on", true}, Case{"trace on", false},
                         Case{"trace on raw", true}}) {
        SCOPED_TRACE(std::string(c.trace) + (c.beforeTheScreen ? " first" : " later"));
        cli::CliShell fresh(out, QUENLIX_TABLE_DIR, "TESTPC");
        fresh.session().activeSettings.PageCode = 37;
        out.str("");
        if (c.beforeTheScreen) fresh.Execute(c.trace);
        fresh.Execute("block " + Hex(samples::SignOnScreen()));
        if (!c.beforeTheScreen) fresh.Execute(c.trace);
        fresh.Execute("cursor 7 53");
        fresh.Execute("type HIDDEN");
        fresh.Execute("key Enter");
        // The recording's "sent" lines are masked like the trace's own.
        const std::string trace = out.str();
        EXPECT_NE(trace.find("\ntrace sent "), std::string::npos) << trace;
        EXPECT_NE(("\n" + trace).find("\nsent 00"), std::string::npos) << trace;
        if (std::string(c.trace) == "trace on raw") {
            EXPECT_NE(trace.find("    field 7,53 \"HIDDEN    \""), std::string::npos) << trace;
            EXPECT_NE(trace.find(password), std::string::npos) << trace;
            continue;
        }
        EXPECT_NE(trace.find("    field 7,53 *** (10 bytes)"), std::string::npos) << trace;
        EXPECT_EQ(trace.find("HIDDEN"), std::string::npos) << trace;
        EXPECT_EQ(trace.find(password), std::string::npos) << trace;
    }
}

TEST_F(CliCommandsTest, ReplayTakesATraceAsWellAsRawData) {
    // A session traced, its output saved as it was printed.
    cli::CliShell traced(out, QUENLIX_TABLE_DIR, "TESTPC");
    traced.session().activeSettings.PageCode = 37;
    out.str("");
    traced.Execute("trace on");
    const Bytes hidden = RecordBuilder().writeToDisplay().sba(3, 5)
                             .startOfField(0x40, 0, 0x27, 4).text("SHH!").record();
    for (const Bytes& block : {Bytes{0xFF, 0xFD, 0x18}, FieldScreen(), hidden}) {
        traced.Execute("block " + Hex(block));
    }
    traced.Execute("screen");
    const std::string saved = out.str();
    ASSERT_NE(saved.find("**"), std::string::npos) << saved;

    const std::string dir = TempDir();
    const std::string path = dir + "/session.trace";
    std::ofstream(path, std::ios::binary) << saved;
    EXPECT_EQ(Run("replay " + path),
              "sent fffb18\n") << "the host's blocks replayed, the terminal answers again";
    const std::string screen = Run("screen");
    EXPECT_EQ(screen.substr(0, 5), "MENU ");
    EXPECT_EQ(shell.session().terminal.screen.at(2 * 80 + 5).ebcdic, 0x40)
        << "masked host data comes back as blanks";

    // Raw data that happens to begin like a trace line is raw: it holds 0xFF.
    const std::string raw = dir + "/raw.bin";
    {
        std::ofstream f(raw, std::ios::binary);
        const Bytes data = FieldScreen();
        f << "trace recv 40\n";
        f.write(reinterpret_cast<const char*>(data.data()), static_cast<std::streamsize>(data.size()));
    }
    EXPECT_EQ(Run("replay " + raw), "message: Bad format (not a GDS)\n")
        << "the words were fed to the interpreter with the record";
    const std::string bad = dir + "/bad.trace";
    std::ofstream(bad) << "connected\ntrace recv fffd1\n";
    EXPECT_EQ(Run("replay " + bad, false),
              "error: trace line 2 is not hexadecimal in " + bad + "\n");
}

TEST_F(CliCommandsTest, SleepTakesMilliseconds) {
    Run("sleep 0");
    Run("sleep 20");
    Run("sleep -1", false);
    Run("sleep soon", false);
}

TEST_F(CliCommandsTest, LoadAcceptsOnlyARegularFile) {
    const std::string dir = TempDir();
    const std::string fifo = dir + "/pipe.stn";
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const SessionSettings before = shell.session().activeSettings;
    for (const std::string& path : {dir, fifo, dir + "/missing.stn"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Run("load " + path, false), "message: Opening of session file failed\n");
    }
    EXPECT_EQ(Run("load", false), "message: Opening of session file failed\n");
    EXPECT_EQ(shell.session().activeSettings, before);
}

TEST_F(CliCommandsTest, KeysNameFunctionsAndPcKeysFollowTheMap) {
    Run("block " + Hex(FieldScreen()));
    Run("type 12");
    // A function by name; then Enter sends the field as Erase EOF left it.
    EXPECT_EQ(Run("key Left"), "");
    EXPECT_EQ(Run("key EraseEOF"), "");
    EXPECT_EQ(Run("key Enter"),
              "sent " + Hex(FrameRecord(0x03, {2, 7, 0xF1, 0x11, 2, 6, 0xF1})) + "\n");
    EXPECT_EQ(Run("key Teleport", false), "error: unknown key Teleport\n");

    Run("block " + Hex(FieldScreen()));
    shell.session().activeSettings.KeyboardMap = "IBM5250";
    ASSERT_TRUE(shell.UseKeyMap(out, "error: "));
    // Enter is Field Exit under this map; Right Ctrl sends the screen.
    EXPECT_EQ(Run("key Enter"), "");
    EXPECT_EQ(Run("key RightCtrl"),
              "sent " + Hex(FrameRecord(0x03, {2, 6, 0xF1, 0x11, 2, 6, 0x40, 0x40, 0x40})) + "\n");
    EXPECT_NE(Run("settings").find(",\"Keyboard Map\":\"IBM5250\"}"), std::string::npos);
}

// ---- the command line ----

class CommandLineTest : public CliCommandsTest {
protected:
    cli::CommandLine Apply(std::vector<std::string> args) {
        out.str("");
        err.str("");
        return cli::ApplyCommandLine(args, shell, out, err, "9.9");
    }
    std::ostringstream err;
};

TEST_F(CommandLineTest, SessionFileFillsBothCopiesAndLaterOptionsWin) {
    const std::string path = TempDir() + "/demo.stn";
    {
        std::ofstream f(path, std::ios::binary);
        f << "[Connection]\r\nName=\"Demo\"\r\nIP=\"10.1.2.3\"\r\nPort=2323\r\n"
             "Terminal Caract=\"24 * 80\"\r\n[Profile]\r\nUserID=\"QUSER\"\r\n";
    }
    const cli::CommandLine c =
        Apply({"--host", "ignored", "--session", path, "--port", "992", "script.txt"});
    EXPECT_EQ(c.exitStatus, -1);
    EXPECT_EQ(c.script, "script.txt");
    const SessionSettings& active = shell.session().activeSettings;
    EXPECT_EQ(active.Name, "Demo");
    EXPECT_EQ(active.IP, "10.1.2.3") << "the file replaces what came before it";
    EXPECT_EQ(active.Port, 992);
    EXPECT_EQ(active.TerminalCaract, "24 * 80");
    EXPECT_EQ(active.UserID, "QUSER");
    EXPECT_EQ(active.DisplayName, "TESTPC");
    EXPECT_EQ(shell.session().pendingSettings, active);
}

TEST_F(CommandLineTest, BadSessionFilesAndOptionsEndTheProgram) {
    const std::string dir = TempDir();
    for (const std::string& path : {dir, dir + "/missing.stn"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(Apply({"--session", path}).exitStatus, 1);
        EXPECT_EQ(out.str(), "message: Opening of session file failed\n");
    }
    EXPECT_EQ(Apply({"--frobnicate"}).exitStatus, 2);
    EXPECT_EQ(err.str().rfind("quenlix-telnet-cli: unknown option --frobnicate\n", 0), 0u);
    EXPECT_EQ(Apply({"--host"}).exitStatus, 2);
    EXPECT_EQ(err.str(), "quenlix-telnet-cli: --host needs a value\n");
    EXPECT_EQ(Apply({"--version"}).exitStatus, 0);
    EXPECT_EQ(out.str(), "quenlix-telnet-cli 9.9\n");
}

TEST_F(CommandLineTest, KeyMapsByNameOrFileAndBadMapsEndTheProgram) {
    EXPECT_EQ(Apply({"--keymap", "Laptop"}).exitStatus, -1);
    EXPECT_EQ(shell.session().input().keyMap(), KeyMap::BuiltIn(BuiltInKeyMap::kLaptop));
    EXPECT_EQ(shell.session().activeSettings.KeyboardMap, "Laptop");

    const std::string path = TempDir() + "/bad.keymap";
    {
        std::ofstream f(path, std::ios::binary);
        f << "base = IBM5250\nCtrl+V = Dup\nCtrl+K = Dupe\n";
    }
    EXPECT_EQ(Apply({"--keymap", path}).exitStatus, 2);
    EXPECT_EQ(err.str(), "quenlix-telnet-cli: " + path + ":2: 'Ctrl+V' is a shortcut of the main window\n"
                         "quenlix-telnet-cli: " + path + ":3: unknown function 'Dupe'\n");
    EXPECT_EQ(shell.session().input().keyMap(), KeyMap::BuiltIn(BuiltInKeyMap::kLaptop))
        << "a bad map is not taken";
    EXPECT_EQ(Apply({"--keymap", TempDir() + "/none.keymap"}).exitStatus, 2);
    EXPECT_NE(err.str().find("none.keymap: cannot read"), std::string::npos) << err.str();
}

TEST_F(CommandLineTest, SignOnOptionsAreCheckedAndTheClearPasswordNeedsConsent) {
    const SessionSettings& s = shell.session().activeSettings;
    EXPECT_EQ(Apply({"--password-level", "4", "--signon-port", "8477", "--port-mapper"}).exitStatus,
              -1);
    EXPECT_EQ(s.PasswordLevel, 4);
    EXPECT_EQ(shell.session().signOnServerPort, 8477);
    EXPECT_TRUE(shell.session().signOnPortMapper);
    EXPECT_EQ(Apply({"--password-level", "auto"}).exitStatus, -1);
    EXPECT_EQ(s.PasswordLevel, kAutomaticPasswordLevel);
    for (const char* bad : {"5", "-1", "high", "22"}) {
        EXPECT_EQ(Apply({"--password-level", bad}).exitStatus, 2) << bad;
    }
    for (const char* bad : {"0", "65536", "12x"}) {
        EXPECT_EQ(Apply({"--signon-port", bad}).exitStatus, 2) << bad;
    }

    // A DES level carries at most 10 characters: refused before connecting.
    EXPECT_EQ(Apply({"--password-level", "1", "--password", "Eleven char"}).exitStatus, 2);
    EXPECT_EQ(err.str(),
              "quenlix-telnet-cli: the password has 11 characters, too long for "
              "password level 1, which takes at most 10 characters\n");
    EXPECT_EQ(Apply({"--password", "Eleven char", "--password-level", "0"}).exitStatus, 2)
        << "in either order";
    EXPECT_EQ(Apply({"--password-level", "0", "--password", "Ten chars!"}).exitStatus, -1);
    EXPECT_EQ(Apply({"--password-level", "2", "--password", "Eleven char"}).exitStatus, -1);
    EXPECT_EQ(Apply({"--password-level", "auto", "--password", "Eleven char"}).exitStatus, -1)
        << "automatic: decided once the level is known";

    EXPECT_EQ(s.Enhanced, 0) << "the enhanced interface is offered only when asked";
    EXPECT_EQ(Apply({"--enhanced"}).exitStatus, -1);
    EXPECT_EQ(s.Enhanced, 1);

    EXPECT_EQ(Apply({"--send-password-in-clear"}).exitStatus, 2) << "plain TCP: refused alone";
    EXPECT_NE(err.str().find("--confirm-password-in-clear"), std::string::npos) << err.str();
    EXPECT_EQ(s.SendPasswordInClear, 0) << "nothing taken";
    EXPECT_EQ(Apply({"--send-password-in-clear", "--tls"}).exitStatus, -1);
    EXPECT_EQ(s.SendPasswordInClear, 1);
    EXPECT_FALSE(shell.clearPasswordConfirmed);
    EXPECT_EQ(Apply({"--send-password-in-clear", "--confirm-password-in-clear"}).exitStatus, -1);
    EXPECT_TRUE(shell.clearPasswordConfirmed);
}

TEST_F(CommandLineTest, PasswordsAreNeverCutAndCanComeFromAFile) {
    const std::string longest(kMaxPasswordLength, 'L');
    EXPECT_EQ(Apply({"--password", longest}).exitStatus, -1);
    EXPECT_EQ(shell.session().activeSettings.UserPassword, longest);

    EXPECT_EQ(Apply({"--password", longest + "X"}).exitStatus, 2);
    EXPECT_EQ(err.str(), "quenlix-telnet-cli: --password: the password has 129 characters; a "
                         "sign-on takes at most 128\n");
    EXPECT_EQ(shell.session().activeSettings.UserPassword, longest) << "nothing taken";

    // The longest from a file, with its line end.
    const std::string longFile = TempDir() + "/long.txt";
    {
        std::ofstream f(longFile, std::ios::binary);
        f << "Mixed Case " << std::string(kMaxPasswordLength - 11, '9') << "\n";
    }
    EXPECT_EQ(Apply({"--password-file", longFile}).exitStatus, -1);
    EXPECT_EQ(shell.session().activeSettings.UserPassword.size(), kMaxPasswordLength);
    EXPECT_EQ(shell.session().activeSettings.UserPassword.rfind("Mixed Case 9", 0), 0u);

    const std::string path = TempDir() + "/pw.txt";
    {
        std::ofstream f(path, std::ios::binary);
        f << "SECRET1\r\nsecond line\n";
    }
    EXPECT_EQ(Apply({"--password-file", path}).exitStatus, -1);
    EXPECT_EQ(shell.session().activeSettings.UserPassword, "SECRET1");
    EXPECT_EQ(shell.session().activeSettings.AutoConnection, 1);
    EXPECT_EQ(Apply({"--password-file", TempDir() + "/missing"}).exitStatus, 2);
    EXPECT_EQ(err.str().rfind("quenlix-telnet-cli: cannot read ", 0), 0u);

    // The settings show that there is a password, never what it is.
    Apply({"--password-file", path});
    Run("settings");
    EXPECT_NE(out.str().find("\"User Password\":\"***\""), std::string::npos);
    EXPECT_EQ(out.str().find("SECRET1"), std::string::npos);
}

TEST_F(CommandLineTest, PasswordKeyringTakesTheSessionsAccountsPassword) {
    MemoryKeyring keyring;
    keyring.Store({"as400.example", 992, "QUSER"}, "From the keyring");
    shell.SetKeyring(&keyring);
    // Before the values it is looked up by: the lookup waits for them all.
    EXPECT_EQ(Apply({"--password-keyring", "--host", "AS400.example", "--port", "992", "--user",
                     "quser"})
                  .exitStatus,
              -1)
        << err.str();
    EXPECT_EQ(shell.session().activeSettings.UserPassword, "From the keyring");
    EXPECT_EQ(shell.session().pendingSettings.UserPassword, "From the keyring");
    EXPECT_EQ(shell.session().activeSettings.PasswordStore, PasswordStorage::kKeyring);
    EXPECT_EQ(shell.session().activeSettings.AutoConnection, 1);

    // A later --password wins, as later options do.
    EXPECT_EQ(Apply({"--host", "as400.example", "--user", "QUSER", "--password-keyring",
                     "--password", "typed"})
                  .exitStatus,
              -1);
    EXPECT_EQ(shell.session().activeSettings.UserPassword, "typed");

    const struct {
        std::vector<std::string> args;
        const char* error;
    } refused[] = {
        {{"--host", "as400.example", "--port", "992", "--user", "OTHER", "--password-keyring"},
         "the keyring holds no password for OTHER on as400.example:992"},
        {{"--host", "", "--password-keyring", "--user", "QUSER"},
         "the keyring keeps passwords by host, port and user: give --host and --user (or a "
         "session file with them)"},
    };
    for (const auto& row : refused) {
        SCOPED_TRACE(row.error);
        EXPECT_EQ(Apply(row.args).exitStatus, 2);
        EXPECT_EQ(err.str(), "quenlix-telnet-cli: --password-keyring: " + std::string(row.error) +
                                 "\n");
    }
    keyring.unavailable = true;
    EXPECT_EQ(
        Apply({"--host", "as400.example", "--port", "992", "--user", "QUSER", "--password-keyring"})
            .exitStatus,
        2);
    EXPECT_EQ(err.str(), "quenlix-telnet-cli: --password-keyring: the desktop keyring is not "
                         "available (the keyring is locked)\n");
    shell.SetKeyring(nullptr);
    EXPECT_EQ(
        Apply({"--host", "as400.example", "--port", "992", "--user", "QUSER", "--password-keyring"})
            .exitStatus,
        2);
    EXPECT_NE(err.str().find("not available (this program has no keyring)"), std::string::npos);
}

TEST_F(CommandLineTest, TraceFileNamesWhereTheInterpreterTraceGoes) {
    EXPECT_NE(shell.session().unplacedByteTrace().path().find("/quenlix-telnet/trameDefault.txt"),
              std::string::npos);
    const std::string path = TempDir() + "/trace.txt";
    Apply({"--trace-file", path});
    EXPECT_EQ(shell.session().unplacedByteTrace().path(), path);
    Run("block " + Hex(FrameRecord(ds::kOpPutGet, {ds::kEscape, 0x99})));
    std::ifstream in(path);
    std::string first;
    std::getline(in, first);
    // The last byte of the record, which the interpreter gets without its
    // IAC EOR: the byte after it is given as 0.
    EXPECT_EQ(first, "Default position 304 : 12  val : 4  153  0");
}

TEST_F(CommandLineTest, TerminalTypeAndScreenSizeComeAsAPair) {
    struct Row {
        std::vector<std::string> args;
        const char* name;
        const char* caract;
    };
    const Row rows[] = {
        {{}, "IBM-3477-FC", "27 * 132"},
        {{"--screen", "24 * 80"}, "IBM-5292-2", "24 * 80"},
        {{"--screen", "27 * 132"}, "IBM-3477-FC", "27 * 132"},
        {{"--terminal", "IBM-5292-2"}, "IBM-5292-2", "24 * 80"},
        {{"--terminal", "IBM-5292-2", "--screen", "27 * 132"}, "IBM-5292-2", "27 * 132"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.caract);
        Apply(row.args);
        EXPECT_EQ(shell.session().activeSettings.TerminalName, row.name);
        EXPECT_EQ(shell.session().activeSettings.TerminalCaract, row.caract);
    }
}

TEST_F(CommandLineTest, TrimOffKeepsTrailingBlanksForCopyAndTheSessionsCopy) {
    Apply({"--trim", "off"});
    EXPECT_FALSE(shell.trimCopy());
    EXPECT_EQ(shell.session().clipboardOptions.TrimBlankRight, 0) << "Ctrl+C copies untrimmed";
    Run("block " + Hex(FieldScreen()));
    EXPECT_EQ(Run("copy 1 1 1 6"), "MENU  \n");
    Apply({"--trim", "on"});
    EXPECT_EQ(shell.session().clipboardOptions.TrimBlankRight, 1);
    EXPECT_EQ(Run("copy 1 1 1 6"), "MENU\n");
}

}  // namespace
}  // namespace quenlix::testing
