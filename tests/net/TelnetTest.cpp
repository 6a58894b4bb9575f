// Telnet negotiation: the answer to each block, byte for byte.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "net/Telnet.h"

namespace quenlix::test {
namespace {

const Bytes kSendTerminalType = {IAC, SB, TERMINAL_TYPE, SEND, IAC, SE};
const Bytes kSendEnvironment = {IAC, SB, NEW_ENVIRON, SEND, IAC, SE};

class TelnetTest : public ::testing::Test {
protected:
    Bytes Answer(const Bytes& block) {
        sender.sends.clear();
        telnet.Negotiate(block.data(), block.size());
        EXPECT_EQ(sender.sends.size(), 1u) << "one send per block";
        return sender.sends.empty() ? Bytes{} : sender.sends.front();
    }

    SessionSettings settings;
    RecordingSender sender;
    CTelnet telnet{sender, settings};
};

TEST_F(TelnetTest, TerminalTypeIsOfferedThenNamed) {
    settings.TerminalName = "IBM-3477-FC";
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, TERMINAL_TYPE}), {IAC, WILL, TERMINAL_TYPE}));
    EXPECT_TRUE(SameBytes(Answer(kSendTerminalType), IsAnswer(TERMINAL_TYPE, {"IBM-3477-FC"})));
    EXPECT_FALSE(telnet.environSent());
}

TEST_F(TelnetTest, CombinedBlockIsAnsweredInOneSend) {
    const Bytes block = {IAC, DO, END_OF_RECORD, IAC, WILL, END_OF_RECORD,
                         IAC, DO, BINARY,        IAC, WILL, BINARY};
    EXPECT_TRUE(SameBytes(Answer(block), {IAC, WILL, END_OF_RECORD, IAC, DO, END_OF_RECORD, IAC,
                                          WILL, BINARY, IAC, DO, BINARY}));
}

TEST_F(TelnetTest, AnswersByCommandAndOption) {
    struct Row {
        std::uint8_t command, option;
        Bytes answer;
    };
    const Row rows[] = {
        {DO, BINARY, {IAC, WILL, BINARY}},
        {DO, TIMING_MARK, {IAC, WILL, TIMING_MARK}},
        {DO, NEW_ENVIRON, {IAC, WILL, NEW_ENVIRON}},
        {WILL, TIMING_MARK, {IAC, DO, TIMING_MARK}},
        {WILL, TERMINAL_TYPE, {}},
        {WILL, NEW_ENVIRON, {}},
        {WONT, BINARY, {}},
        {DONT, END_OF_RECORD, {}},
        {DONT, NEW_ENVIRON, {}},
        // Everything else is refused.
        {DO, ECHO_OPTION, {IAC, WONT, ECHO_OPTION}},
        {WILL, ECHO_OPTION, {IAC, DONT, ECHO_OPTION}},
        {WONT, ECHO_OPTION, {IAC, DONT, ECHO_OPTION}},
        {DONT, 0x1F, {IAC, WONT, 0x1F}},
        {DO, 0xFE, {IAC, WONT, 0xFE}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(telnet::Describe(Bytes{IAC, row.command, row.option}.data(), 3));
        EXPECT_TRUE(SameBytes(Answer({IAC, row.command, row.option}), row.answer));
    }
    // A block that needs no answer still gets its (empty) send.
    EXPECT_TRUE(Answer({IAC, NOP}).empty());
}

TEST_F(TelnetTest, LastCommandStaysInForce) {
    // Bytes after the option of a DO are answered under that DO.
    EXPECT_TRUE(
        SameBytes(Answer({IAC, DO, TERMINAL_TYPE, END_OF_RECORD, ECHO_OPTION}),
                  {IAC, WILL, TERMINAL_TYPE, IAC, WILL, END_OF_RECORD, IAC, WONT, ECHO_OPTION}));
    // The command starts as none in every block.
    EXPECT_TRUE(Answer({BINARY, ECHO_OPTION}).empty());
    // A lone IAC at the end of a block leaves no command behind.
    EXPECT_TRUE(SameBytes(Answer({IAC, WILL, BINARY, IAC}), {IAC, DO, BINARY}));
}

TEST_F(TelnetTest, EnvironmentWithoutAutoSignOnSendsOnlyTheSeed) {
    settings.DisplayNameAuto = 1;
    settings.DisplayName = "QPADEV0001";
    settings.UserID = "ignored";  // Auto Connection is off
    const Bytes request = Cat({IAC, SB, NEW_ENVIRON, SEND, VAR, USERVAR, IAC, SE});
    EXPECT_TRUE(SameBytes(Answer(request), IsAnswer(NEW_ENVIRON, {Variable(USERVAR, "IBMRSEED")})));
    EXPECT_TRUE(telnet.environSent());
}

TEST_F(TelnetTest, EnvironmentWithAutoSignOnInOrderWithOmissions) {
    settings.AutoConnection = 1;
    settings.DisplayNameAuto = 0;
    settings.DisplayName = "DSP01";
    settings.UserID = "QUSER";
    settings.UserPassword = "SECRET";
    settings.ProgProc = "PGM1";
    settings.Menu = "";  // left out
    settings.CurLib = "LIB1";
    const Bytes& request = kSendEnvironment;
    EXPECT_TRUE(SameBytes(
        Answer(request),
        IsAnswer(
            NEW_ENVIRON,
            {Variable(VAR, "USER", "QUSER"), Variable(USERVAR, "DEVNAME", "DSP01"),
             Variable(USERVAR, "IBMRSEED"), Variable(USERVAR, "IBMSUBSPW", "SECRET"),
             Variable(USERVAR, "IBMPROGRAM", "PGM1"), Variable(USERVAR, "IBMCURLIB", "LIB1")})));

    // An empty display name is left out even when the host is not to choose.
    settings.DisplayName.clear();
    settings.AutoConnection = 0;
    EXPECT_TRUE(SameBytes(Answer(request), IsAnswer(NEW_ENVIRON, {Variable(USERVAR, "IBMRSEED")})));
}

TEST_F(TelnetTest, SubnegotiationContentIsNotRead) {
    settings.TerminalName = "IBM-5292-2";
    // The host's seed may hold any byte, including the option codes and a bare
    // 0xF0; only IAC SE ends the subnegotiation.
    const Bytes seed = {0x18, 0xF0, 0x27, IAC, IAC, 0x00};
    const Bytes request = Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", VALUE, seed,
                               USERVAR, "DEVNAME", IAC, SE, kSendTerminalType});
    EXPECT_TRUE(
        SameBytes(Answer(request), Cat({IsAnswer(NEW_ENVIRON, {Variable(USERVAR, "IBMRSEED")}),
                                        IsAnswer(TERMINAL_TYPE, {"IBM-5292-2"})})));
    // An unknown subnegotiation is skipped whole.
    EXPECT_TRUE(Answer({IAC, SB, 0x2A, TERMINAL_TYPE, NEW_ENVIRON, IAC, SE}).empty());
    // No IAC SE before the end of the block: answered once, the walk stops.
    EXPECT_TRUE(SameBytes(Answer({IAC, SB, TERMINAL_TYPE, SEND, TERMINAL_TYPE}),
                          IsAnswer(TERMINAL_TYPE, {"IBM-5292-2"})));
}

TEST_F(TelnetTest, LongValuesAndLongBlocksAreAnsweredWhole) {
    settings.AutoConnection = 1;
    settings.UserID = std::string(300, 'U');
    settings.CurLib = std::string(200, 'L');
    settings.TerminalName = std::string(400, 'T');
    const Bytes answer = Answer(kSendEnvironment);
    EXPECT_TRUE(SameBytes(
        answer, IsAnswer(NEW_ENVIRON,
                         {Variable(VAR, "USER", settings.UserID), Variable(USERVAR, "IBMRSEED"),
                          Variable(USERVAR, "IBMCURLIB", settings.CurLib)})));
    EXPECT_TRUE(
        SameBytes(Answer(kSendTerminalType), IsAnswer(TERMINAL_TYPE, {settings.TerminalName})));

    // 1000 refusals in one block: 3000 answer bytes, none lost.
    Bytes block;
    Bytes expected;
    for (int i = 0; i < 1000; ++i) {
        block.insert(block.end(), {IAC, DO, static_cast<std::uint8_t>(0x40 + i % 64)});
        expected.insert(expected.end(), {IAC, WONT, static_cast<std::uint8_t>(0x40 + i % 64)});
    }
    EXPECT_TRUE(SameBytes(Answer(block), expected));
}

TEST_F(TelnetTest, ValuesCannotBreakTheSubnegotiation) {
    // 0xFF is doubled and the environment type codes are escaped, so a value
    // can neither end the answer nor start another variable.
    settings.AutoConnection = 1;
    settings.UserID = std::string{'A', '\xFF', '\xF0', 'B'};
    settings.Menu = std::string("M\x01N", 3);
    settings.TerminalName = "X\xFFY";
    const Bytes escapedUser = {'A', IAC, IAC, 0xF0, 'B'};
    const Bytes escapedMenu = {'M', ESC, 0x01, 'N'};
    EXPECT_TRUE(SameBytes(
        Answer(kSendEnvironment),
        IsAnswer(NEW_ENVIRON, {VAR, "USER", VALUE, escapedUser, Variable(USERVAR, "IBMRSEED"),
                               USERVAR, "IBMIMENU", VALUE, escapedMenu})));
    EXPECT_TRUE(
        SameBytes(Answer(kSendTerminalType), IsAnswer(TERMINAL_TYPE, {"X", IAC, IAC, "Y"})));
}

}  // namespace
}  // namespace quenlix::test
