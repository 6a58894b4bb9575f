// The headless front end against a scripted host on 127.0.0.1: negotiation,
// a screen with fields arriving in pieces, an answer checked byte by byte,
// the display-name refusal and the host closing the connection.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "ScriptedHost.h"
#include "cli/CliShell.h"
#include "ds5250/RecordBuilder.h"
#include "session/ConnectFile.h"
#include "support/HexDump.h"
#include "support/SampleScreens.h"

namespace quenlix::testing {
namespace {

const Bytes kDoTerminalType = {0xFF, 0xFD, 0x18};
const Bytes kTerminalTypeSend = {0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0};
const Bytes kEnvironSend = {0xFF, 0xFD, 0x27, 0xFF, 0xFA, 0x27, 0x01, 0x03, 'D', 'E', 'V',
                            'N', 'A', 'M', 'E', 0xFF, 0xF0};
const Bytes kBinaryAndEor = {0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00};
/// What `wait` prints when the host hangs up.
const char kHungUp[] = "message: Disconnected by the host\nclosed\n";

class CliEndToEnd : public ::testing::Test {
protected:
    CliEndToEnd() : shell(out, QUENLIX_TABLE_DIR, "TESTPC") {
        SessionSettings& s = shell.session().activeSettings;
        s.IP = "127.0.0.1";
        s.Port = host.port();
        s.TerminalName = "IBM-5292-2";
        s.TerminalCaract = "24 * 80";
        s.PageCode = 37;
        shell.session().pendingSettings = s;
    }
    /// Runs a command and returns what it printed.
    std::string Run(const std::string& line, bool expectOk = true) {
        out.str("");
        EXPECT_EQ(shell.Execute(line), expectOk) << line << "\n" << out.str();
        return out.str();
    }
    /// The host side of the negotiation; records what the terminal answered.
    static void Negotiate(ScriptedHost& h) {
        h.Send(kDoTerminalType);
        h.received.push_back(h.Read(3));
        h.Send(kTerminalTypeSend);
        h.received.push_back(h.Read(4 + 10 + 2));
        h.Send(kEnvironSend);
        h.received.push_back(h.Read(3));
        h.received.push_back(h.ReadUntilSe());
        h.Send(kBinaryAndEor);
        h.received.push_back(h.Read(12));
    }

    std::ostringstream out;
    ScriptedHost host;
    cli::CliShell shell;
};

TEST_F(CliEndToEnd, SignOnScreenInPiecesAndTheEnterRecord) {
    RecordBuilder first;
    first.clearUnit().writeToDisplay().sba(1, 35).text("Sign On").sba(6, 17).text("User")
        .sba(6, 52).startOfField(0x40, 0x20, 0x24, 10).insertCursor(6, 53);
    const Bytes screen = first.record();
    // Put a 0xFF 0xEF pair of data bytes in the middle of the record.
    RecordBuilder extra;
    extra.writeToDisplay().sba(20, 1).raw({0xFF, 0xEF}).text("END").readMdtFields();
    const Bytes second = extra.record();
    const Bytes block = Concat({screen, second});
    std::size_t cutAfterDataFfEf = 0;
    for (std::size_t i = screen.size(); i + 2 < block.size(); ++i) {
        if (block[i] == 0xFF && block[i + 1] == 0xFF && block[i + 2] == 0xEF) {
            cutAfterDataFfEf = i + 3;
            break;
        }
    }
    ASSERT_GT(cutAfterDataFfEf, 0u);

    host.Play([&](ScriptedHost& h) {
        Negotiate(h);
        h.SendInPieces(block, {20, screen.size() - 1, cutAfterDataFfEf});
        h.received.push_back(h.ReadRecord());
        h.Close();
    });
    EXPECT_EQ(Run("connect"), "connected\n");
    EXPECT_EQ(Run("wait 5000"), "ok\n");
    const std::string screenText = Run("screen");
    EXPECT_NE(screenText.find("Sign On"), std::string::npos) << screenText;
    EXPECT_NE(screenText.find("END"), std::string::npos) << screenText;
    EXPECT_NE(screenText.find("cursor 6 53"), std::string::npos);

    Run("type qsecofr");
    Run("key Enter");
    EXPECT_EQ(Run("wait 5000"), kHungUp) << "the host hangs up after the answer";
    host.Join();

    ASSERT_EQ(host.received.size(), 6u);
    EXPECT_EQ(host.received[0], (Bytes{0xFF, 0xFB, 0x18}));
    Bytes ttype = {0xFF, 0xFA, 0x18, 0x00};
    for (char c : std::string("IBM-5292-2")) ttype.push_back(static_cast<std::uint8_t>(c));
    ttype.insert(ttype.end(), {0xFF, 0xF0});
    EXPECT_EQ(host.received[1], ttype);
    EXPECT_EQ(host.received[2], (Bytes{0xFF, 0xFB, 0x27}));
    EXPECT_EQ(host.received[4], (Bytes{0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x00,
                                       0xFF, 0xFD, 0x00}));
    // Cursor after the typed text, Enter, the User field (monocase) at 6,53.
    Bytes data = {6, 60, 0xF1, 0x11, 6, 53, 0xD8, 0xE2, 0xC5, 0xC3, 0xD6, 0xC6, 0xD9, 0x40, 0x40,
                  0x40};
    EXPECT_EQ(host.received[5], FrameRecord(0x03, data)) << Described(host.received[5]);
}

TEST_F(CliEndToEnd, AutoSignOnValuesTravelInTheEnvironmentAnswer) {
    SessionSettings& s = shell.session().activeSettings;
    s.AutoConnection = 1;
    s.UserID = "QUSER";
    s.UserPassword = "SECRET";
    s.ProgProc = "";
    s.Menu = "MAIN";
    s.CurLib = "QGPL";
    s.DisplayNameAuto = 0;
    s.DisplayName = "DSP01";
    host.Play([&](ScriptedHost& h) {
        Negotiate(h);
        h.Send(RecordBuilder().clearUnit().record());
        h.Close();
    });
    Run("connect");
    EXPECT_EQ(Run("wait 5000"),
              "signon: no password sent (the host offers no encryption: its request held no "
              "seed)\n" + std::string(kHungUp))
        << "a 5250 record came: no refusal message";
    host.Join();
    Bytes expected = {0xFF, 0xFA, 0x27, 0x00, 0x00};
    auto add = [&](std::string_view t) { expected.insert(expected.end(), t.begin(), t.end()); };
    add("USER");
    expected.push_back(0x01);
    add("QUSER");
    expected.push_back(0x03);
    add("DEVNAME");
    expected.push_back(0x01);
    add("DSP01");
    expected.push_back(0x03);
    add("IBMRSEED");
    expected.push_back(0x01);
    expected.push_back(0x03);  // no password: the host sent no seed
    add("IBMIMENU");
    expected.push_back(0x01);
    add("MAIN");
    expected.push_back(0x03);
    add("IBMCURLIB");
    expected.push_back(0x01);
    add("QGPL");
    expected.insert(expected.end(), {0xFF, 0xF0});
    ASSERT_GE(host.received.size(), 4u);
    EXPECT_EQ(host.received[3], expected) << Hex(host.received[3]);
}

TEST_F(CliEndToEnd, ATraceOfALiveSignOnHoldsNoPassword) {
    SessionSettings& s = shell.session().activeSettings;
    s.AutoConnection = 1;
    s.UserID = "QUSER";
    s.UserPassword = "ENVSECRET";
    // The host sends no seed: only the session's consent sends the password.
    s.SendPasswordInClear = 1;
    shell.clearPasswordConfirmed = true;
    const Bytes screen = samples::SignOnScreen();
    host.Play([&](ScriptedHost& h) {
        Negotiate(h);
        h.SendInPieces(screen, {40, 255, 256});  // pieces inside the field definitions
        h.received.push_back(h.ReadRecord());
        h.Close();
    });
    std::string printed;
    for (const char* command :
         {"trace on", "connect", "wait 5000", "cursor 7 53", "type TYPEDPW", "key Enter"}) {
        printed += Run(command);
    }
    printed += Run("wait 5000");
    host.Join();
    ASSERT_EQ(host.received.size(), 6u) << printed;
    const Bytes typed = {0xE3, 0xE8, 0xD7, 0xC5, 0xC4, 0xD7, 0xE6};  // TYPEDPW in EBCDIC
    ASSERT_NE(std::search(host.received[5].begin(), host.received[5].end(), typed.begin(),
                          typed.end()),
              host.received[5].end())
        << "the host got the password\n" << Described(host.received[5]);
    for (const char* secret : {"TYPEDPW", "ENVSECRET", "e3e8d7c5c4d7e6", "454e56534543524554"}) {
        EXPECT_EQ(printed.find(secret), std::string::npos) << secret << "\n" << printed;
    }
    EXPECT_NE(printed.find("'IBMSUBSPW' 01 *** (9 bytes)"), std::string::npos) << printed;
    EXPECT_NE(printed.find("    field 7,53 *** (10 bytes)"), std::string::npos) << printed;
}

TEST_F(CliEndToEnd, DisplayNameInUseIsReportedAndTheSessionEnds) {
    host.Play([&](ScriptedHost& h) {
        h.Send(kEnvironSend);
        h.Read(3);
        h.ReadUntilSe();
        h.Close();
    });
    Run("connect");
    const std::string printed = Run("wait 5000");
    EXPECT_EQ(printed,
              "message: Your display is already in use.\\nPlease choose another name and "
              "restart the connection.\nmessage: Disconnected by the host\nclosed\n");
    EXPECT_EQ(shell.session().terminal.state.connected, 0);
    EXPECT_EQ(shell.session().terminal.state.inputInhibited, 0);
}

TEST_F(CliEndToEnd, ConnectWhileConnectedKeepsTheConnection) {
    RecordBuilder r;
    r.clearUnit()
        .writeToDisplay()
        .sba(1, 1)
        .text("MAIN MENU")
        .sba(3, 10)
        .startOfField(0x40, 0x00, 0x20, 4)
        .insertCursor(3, 11)
        .readMdtFields();
    host.Play([&](ScriptedHost& h) {
        Negotiate(h);
        h.Send(r.record());
        h.received.push_back(h.ReadRecord());
        h.Close();
    });
    // A block fed first makes the recording the socket; connect then
    // connects for real.
    EXPECT_EQ(Run("block fffd00"), "sent fffb00\n");
    EXPECT_EQ(Run("connect"), "connected\n");
    EXPECT_TRUE(shell.session().endpoint().IsOpen());
    EXPECT_EQ(Run("wait 5000"), "ok\n");

    EXPECT_EQ(Run("connect"), "connected\n");
    EXPECT_EQ(Run("screen").substr(0, 9), "MAIN MENU") << "the screen was not reset";
    EXPECT_EQ(shell.session().terminal.state.inputInhibited, 0);
    Run("key Enter");
    EXPECT_EQ(Run("wait 5000"), kHungUp);
    host.Join();
    ASSERT_EQ(host.received.size(), 6u);
    EXPECT_EQ(host.received[5], FrameRecord(0x03, {3, 11, 0xF1})) << Described(host.received[5]);
}

TEST(CliCommands, RefusedConnectPrintsMessage511AndFails) {
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    int port;
    {
        ScriptedHost closed;  // a port nobody listens on once it is gone
        port = closed.port();
    }
    SessionSettings& s = shell.session().activeSettings;
    s.IP = "127.0.0.1";
    s.Port = port;
    s.TerminalCaract = "24 * 80";
    EXPECT_FALSE(shell.Execute("connect"));
    EXPECT_EQ(out.str(),
              "message: Connection initialization failure:\\nVerify your parameters and try "
              "again\\nConnection refused by 127.0.0.1:" + std::to_string(port) + "\n");
    EXPECT_EQ(shell.session().terminal.state.inputInhibited, 0);
}

TEST(CliCommands, BlockAndStatusFormats) {
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    shell.session().activeSettings.PageCode = 37;
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(2, 5).startOfField(0x40, 0x20, 0x24, 4).text("AB\"C")
        .insertCursor(2, 6).readMdtFields();
    std::string hex;
    for (std::uint8_t b : r.record()) {
        char two[3];
        std::snprintf(two, sizeof two, "%02X", b);
        hex += two;
    }
    ASSERT_TRUE(shell.Execute("block " + hex));
    ASSERT_TRUE(shell.Execute("status"));
    ASSERT_TRUE(shell.Execute("fields"));
    EXPECT_EQ(out.str(),
              "{\"rows\":24,\"columns\":80,\"cursorRow\":2,\"cursorColumn\":6,\"inputInhibited\":0,"
              "\"messageWaiting\":0,\"connected\":1,\"pendingRead\":82,\"insertMode\":0,"
              "\"sysReqMode\":0,\"fieldCount\":1,\"tls\":null,\"peerFingerprint\":null}\n"
              "{\"index\":0,\"row\":2,\"column\":5,\"length\":4,\"attribute\":36,\"mdt\":0,"
              "\"bypass\":0,\"dupEnable\":0,\"autoEnter\":0,\"fieldExitRequired\":0,"
              "\"monocase\":1,\"shiftEdit\":0,\"mandatoryEnter\":0,\"fillType\":0,\"ffw1\":64,"
              "\"ffw2\":32,\"fcw1\":0,\"fcw2\":0,\"text\":\"AB\\\"C\",\"start\":6}\n");
    out.str("");
    EXPECT_FALSE(shell.Execute("block 0g"));
    EXPECT_FALSE(shell.Execute("frobnicate"));
    EXPECT_TRUE(shell.Execute("block fffd18"));
    EXPECT_EQ(out.str(), "error: unknown command frobnicate\nsent fffb18\n");
}

}  // namespace
}  // namespace quenlix::testing

namespace quenlix::testing {
namespace {

TEST(CliCommands, SessionFilesLoadSaveAndSettings) {
    const std::string dir = "/tmp/quenlix-cli-session-test";
    std::filesystem::create_directories(dir);
    const std::string path = dir + "/demo.stn";
    {
        std::ofstream f(path, std::ios::binary);
        f << "[Connection]\r\nName=\"Demo \"host\"\"\r\nIP=\"127.0.0.1\"\r\nPort=2323\r\n"
             "Terminal Name=\"IBM-5292-2\"\r\nTerminal Caract=\"24 * 80\"\r\n[Profile]\r\n"
             "User Password=\"" + CConnectFile::ScramblePassword("PW1") + "\"\r\n";
    }
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    ASSERT_TRUE(shell.Execute("load " + path));
    ASSERT_TRUE(shell.Execute("settings"));
    EXPECT_EQ(out.str(),
              "{\"Name\":\"Demo \\\"host\\\"\",\"IP\":\"127.0.0.1\",\"Port\":2323,"
              "\"DisplayName\":\"TESTPC\",\"DisplayNameAuto\":1,\"Language\":\"U.S.\","
              "\"Page Code\":37,\"Terminal Name\":\"IBM-5292-2\",\"Terminal Caract\":\"24 * 80\","
              "\"Launch Connection\":0,\"Auto Connection\":0,\"UserID\":\"\",\"Menu\":\"\","
              "\"ProgProc\":\"\",\"CurLib\":\"\",\"User Password\":\"***\","
              "\"Security\":\"None\",\"CA File\":\"\",\"Client Certificate\":\"\",\"Keyboard Map\":\"\"}\n")
        << "the password is never printed";

    // What was loaded saves and reads back identically, but for the older
    // file's password: a session file no longer keeps one, and a script
    // cannot agree to move it to the keyring, so it is left out and said so.
    const std::string copy = dir + "/copy.stn";
    out.str("");
    ASSERT_TRUE(shell.Execute("save " + copy));
    EXPECT_EQ(out.str(), "message: " + std::string(cli::CliShell::kOlderPasswordLeftOut) + "\n");
    SessionSettings reread;
    CConnectFile::ReadSessionFile(copy, reread, "TESTPC");
    SessionSettings expected = shell.session().pendingSettings;
    EXPECT_EQ(expected.UserPassword, "PW1") << "still signs on in this run";
    expected.UserPassword.clear();
    expected.PasswordStore = PasswordStorage::kNone;
    EXPECT_EQ(reread, expected);
    {
        std::ifstream f(copy, std::ios::binary);
        const std::string bytes((std::istreambuf_iterator<char>(f)), {});
        EXPECT_EQ(bytes.find("User Password"), std::string::npos) << bytes;
    }
    // Saved again from what it read: nothing more to say.
    ASSERT_TRUE(shell.Execute("load " + copy));
    out.str("");
    ASSERT_TRUE(shell.Execute("save " + copy));
    EXPECT_EQ(out.str(), "");

    out.str("");
    EXPECT_FALSE(shell.Execute("load " + dir + "/missing.stn"));
    EXPECT_EQ(out.str(), "message: Opening of session file failed\n");
    std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace quenlix::testing

namespace quenlix::testing {
namespace {

/// Runs a host screen through `block` and returns the shell.
std::string HexOf(const Bytes& bytes) {
    std::string hex;
    for (std::uint8_t b : bytes) {
        char two[3];
        std::snprintf(two, sizeof two, "%02x", b);
        hex += two;
    }
    return hex;
}

TEST(CliCommands, KeyboardPasteCopyAndWordSelection) {
    std::ostringstream out;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    shell.session().activeSettings.PageCode = 37;
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(2, 2).text("HELLO WORLD").sba(4, 10)
        .startOfField(0x40, 0x00, 0x20, 10).sba(5, 10).startOfField(0x40, 0x00, 0x20, 10)
        .insertCursor(4, 11).readMdtFields();
    ASSERT_TRUE(shell.Execute("block " + HexOf(r.record())));

    out.str("");
    // Paste works only in a live session: the recording of `block` is one.
    ASSERT_TRUE(shell.Execute("paste ab\\tc"));
    ASSERT_TRUE(shell.Execute("fields"));
    const std::string fields = out.str();
    // A TAB moves to the next input field.
    EXPECT_NE(fields.find("\"text\":\"ab        \""), std::string::npos) << fields;
    EXPECT_NE(fields.find("\"text\":\"c         \""), std::string::npos) << fields;
    out.str("");
    ASSERT_TRUE(shell.Execute("paste \\nxyz"));
    EXPECT_EQ(out.str(), "refused: Paste: 3 characters not placed\n") << "a protected row";

    out.str("");
    ASSERT_TRUE(shell.Execute("copy 2 2 2 13"));
    EXPECT_EQ(out.str(), "HELLO WORLD\n");
    out.str("");
    ASSERT_TRUE(shell.Execute("select-word 2 9"));
    EXPECT_EQ(out.str(), "selection 2 8 2 12\n");

    out.str("");
    EXPECT_FALSE(shell.Execute("key NoSuchKey"));
    // The desktop program's accelerators are no keys of the terminal.
    for (const char* name : {"Alt+F4", "Ctrl+F2", "Ctrl+Shift+F13", "Ctrl+S", "Alt+Ctrl+X"}) {
        EXPECT_FALSE(shell.Execute(std::string("key ") + name));
    }
    EXPECT_FALSE(shell.Execute("key Ctrl+Q"));
    EXPECT_EQ(out.str(),
              "error: unknown key NoSuchKey\n"
              "error: application command Alt+F4\n"
              "error: application command Ctrl+F2\n"
              "error: application command Ctrl+Shift+F13\n"
              "error: application command Ctrl+S\n"
              "error: application command Alt+Ctrl+X\n"
              "error: unknown key Ctrl+Q\n");
    EXPECT_TRUE(shell.Execute("insert on"));
    EXPECT_EQ(shell.session().terminal.state.insertMode, 1);
    EXPECT_FALSE(shell.Execute("insert maybe"));

    // Enter sends the modified fields the pending Read MDT Fields asks for,
    // through the recording that stands in for the socket; the cursor is
    // where the first paste left it (the second wrote nothing).
    out.str("");
    ASSERT_TRUE(shell.Execute("key Enter"));
    const Bytes enter = FrameRecord(
        0x03, Concat({{5, 12, 0xF1, 0x11, 4, 11, 0x81, 0x82}, Bytes(8, 0x40), {0x11, 5, 11, 0x83},
                      Bytes(9, 0x40)}));
    EXPECT_EQ(out.str(), "sent " + HexOf(enter) + "\n");
}

}  // namespace
}  // namespace quenlix::testing
