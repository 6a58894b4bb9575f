// Telnet negotiation: the answer to each block, byte for byte.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "net/Telnet.h"

namespace quenlix::test {
namespace {

const Bytes kSendTerminalType = {IAC, SB, TERMINAL_TYPE, SEND, IAC, SE};
const Bytes kSendEnvironment = {IAC, SB, NEW_ENVIRON, SEND, IAC, SE};
const Bytes kSeedOnly = IsAnswer(NEW_ENVIRON, {Variable(USERVAR, "IBMRSEED")});

class TelnetTest : public ::testing::Test {
protected:
    Bytes Answer(const Bytes& block) {
        sender.sends.clear();
        telnet.Negotiate(block.data(), block.size());
        EXPECT_EQ(sender.sends.size(), 1u) << "one send per block, even an empty one";
        return RecordingSender::Joined(sender.sends);
    }

    SessionSettings settings;
    RecordingSender sender;
    CTelnet telnet{sender, settings};
};

TEST_F(TelnetTest, OptionRequestsAreAnsweredByTheTable) {
    struct Row {
        Bytes block, answer;
    };
    const Row rows[] = {
        {{IAC, DO, TERMINAL_TYPE}, {IAC, WILL, TERMINAL_TYPE}},
        {{IAC, DO, TIMING_MARK}, {IAC, WILL, TIMING_MARK}},
        {{IAC, DO, NEW_ENVIRON}, {IAC, WILL, NEW_ENVIRON}},
        {{IAC, WILL, TIMING_MARK}, {IAC, DO, TIMING_MARK}},
        {{IAC, WILL, TERMINAL_TYPE}, {}},
        {{IAC, WILL, NEW_ENVIRON}, {}},
        {{IAC, WONT, BINARY}, {}},
        {{IAC, DONT, END_OF_RECORD}, {}},
        {{IAC, DO, ECHO_OPTION}, {IAC, WONT, ECHO_OPTION}},  // everything else is refused
        {{IAC, WILL, ECHO_OPTION}, {IAC, DONT, ECHO_OPTION}},
        // An option that is off stays off: nothing to answer.
        {{IAC, WONT, ECHO_OPTION}, {}},
        {{IAC, DONT, 0x1F}, {}},
        // A combined block is answered in one send, in order.
        {{IAC, DO, END_OF_RECORD, IAC, WILL, END_OF_RECORD, IAC, DO, BINARY, IAC, WILL, BINARY},
         {IAC, WILL, END_OF_RECORD, IAC, DO, END_OF_RECORD, IAC, WILL, BINARY, IAC, DO, BINARY}},
        // The last command stays in force for the bytes after its option...
        {{IAC, DO, TERMINAL_TYPE, END_OF_RECORD, ECHO_OPTION},
         {IAC, WILL, TERMINAL_TYPE, IAC, WILL, END_OF_RECORD, IAC, WONT, ECHO_OPTION}},
        // ...but starts as none in every block, and a lone IAC leaves none.
        {{BINARY, ECHO_OPTION}, {}},
        {{IAC, WILL, BINARY, IAC}, {IAC, DO, BINARY}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(telnet::Describe(row.block.data(), row.block.size()));
        telnet.Reset();  // each row at the start of a connection
        EXPECT_TRUE(SameBytes(Answer(row.block), row.answer));
    }
    EXPECT_FALSE(telnet.environSent());
}

// A host that repeats a request, or asks again after every answer, gets one
// answer: the state asked for is then in force. Changes of state are still
// answered, and a new connection starts with every option off.
TEST_F(TelnetTest, RequestsForTheStateInForceAreNotAnswered) {
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, BINARY, IAC, DO, BINARY}), {IAC, WILL, BINARY}));
    for (int i = 0; i < 1000; ++i) ASSERT_TRUE(Answer({IAC, DO, BINARY}).empty()) << i;
    EXPECT_TRUE(SameBytes(Answer({IAC, WILL, END_OF_RECORD}), {IAC, DO, END_OF_RECORD}));
    EXPECT_TRUE(Answer({IAC, WILL, END_OF_RECORD, END_OF_RECORD}).empty());
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, TERMINAL_TYPE, IAC, DO, NEW_ENVIRON}),
                          {IAC, WILL, TERMINAL_TYPE, IAC, WILL, NEW_ENVIRON}));
    EXPECT_TRUE(Answer({IAC, DO, TERMINAL_TYPE, IAC, DO, NEW_ENVIRON}).empty());

    // Turned off and asked again: a change of state, answered as before.
    EXPECT_TRUE(Answer({IAC, DONT, BINARY, IAC, WONT, END_OF_RECORD}).empty());
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, BINARY, IAC, WILL, END_OF_RECORD}),
                          {IAC, WILL, BINARY, IAC, DO, END_OF_RECORD}));

    // Refusals change nothing, so each request is refused; a timing mark is
    // answered every time it is asked for.
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, ECHO_OPTION, IAC, DO, ECHO_OPTION}),
                          {IAC, WONT, ECHO_OPTION, IAC, WONT, ECHO_OPTION}));
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, TIMING_MARK}), {IAC, WILL, TIMING_MARK}));
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, TIMING_MARK}), {IAC, WILL, TIMING_MARK}));

    // The subnegotiations are answered whenever the host asks.
    EXPECT_EQ(Answer(kSendTerminalType), Answer(kSendTerminalType));

    telnet.Reset();
    EXPECT_TRUE(SameBytes(Answer({IAC, DO, BINARY}), {IAC, WILL, BINARY}));
}

// The endpoint hands bytes that followed an option command and are no record
// as data, in a block of their own: they are answered as if the block with
// the command had gone on.
TEST_F(TelnetTest, LeadingBytesAreAnsweredUnderTheCommandGiven) {
    auto answer = [&](std::uint8_t verb, const Bytes& data, const Bytes& commandAfter = {}) {
        // The command before them, answered in its own block.
        if (verb == 0) {
            telnet.Command(0xF1);  // NOP: no option command in force
        } else {
            telnet.OptionCommand(verb, TIMING_MARK);
        }
        telnet.SendAnswer();
        sender.sends.clear();
        telnet.RecordData(data.data(), data.size());
        if (!commandAfter.empty()) telnet.OptionCommand(commandAfter[0], commandAfter[1]);
        telnet.SendAnswer();
        return RecordingSender::Joined(sender.sends);
    };
    EXPECT_TRUE(
        SameBytes(answer(DO, {BINARY, ECHO_OPTION}), {IAC, WILL, BINARY, IAC, WONT, ECHO_OPTION}));
    EXPECT_TRUE(SameBytes(answer(WILL, {END_OF_RECORD, ECHO_OPTION}),
                          {IAC, DO, END_OF_RECORD, IAC, DONT, ECHO_OPTION}));
    // A new command ends the command given; with none given nothing is answered.
    EXPECT_TRUE(SameBytes(answer(DO, {0x2A}, {WILL, ECHO_OPTION}),
                          {IAC, WONT, 0x2A, IAC, DONT, ECHO_OPTION}));
    EXPECT_TRUE(answer(0, {BINARY, ECHO_OPTION}).empty());
}

// A block that ends inside a command goes on in the next; one that ends
// inside a subnegotiation has it answered at once, and not again at its end.
TEST_F(TelnetTest, ACommandOrSubnegotiationCutBetweenBlocksIsAnsweredOnce) {
    settings.TerminalName = "IBM-3477-FC";
    const Bytes stream = Cat({IAC, DO, BINARY, kSendTerminalType, IAC, WILL, END_OF_RECORD});
    telnet.Reset();
    const Bytes whole = Answer(stream);
    ASSERT_TRUE(SameBytes(whole, Cat({IAC, WILL, BINARY, IsAnswer(TERMINAL_TYPE, {"IBM-3477-FC"}),
                                      IAC, DO, END_OF_RECORD})));
    for (std::size_t cut = 1; cut < stream.size(); ++cut) {
        SCOPED_TRACE(cut);
        telnet.Reset();
        const Bytes first = Answer(Bytes(stream.begin(), stream.begin() + cut));
        const Bytes second = Answer(Bytes(stream.begin() + cut, stream.end()));
        EXPECT_TRUE(SameBytes(Cat({first, second}), whole));
    }
}

TEST_F(TelnetTest, TerminalTypeAndEnvironmentAnswers) {
    settings.TerminalName = "IBM-3477-FC";
    EXPECT_TRUE(SameBytes(Answer(kSendTerminalType), IsAnswer(TERMINAL_TYPE, {"IBM-3477-FC"})));

    // Without automatic sign-on, and the host choosing the display name.
    settings.DisplayName = "DSP01";
    settings.UserID = "QUSER";
    EXPECT_TRUE(SameBytes(Answer(kSendEnvironment), kSeedOnly));
    EXPECT_TRUE(telnet.environSent());

    settings.AutoConnection = 1;
    settings.DisplayNameAuto = 0;
    settings.UserPassword = "SECRET";
    settings.ProgProc = "PGM1";
    settings.CurLib = "LIB1";  // Menu empty: left out
    // A host that sends no seed gets no password (SignOnAnswerTest has the rest).
    EXPECT_TRUE(
        SameBytes(Answer(kSendEnvironment),
                  IsAnswer(NEW_ENVIRON,
                           {Variable(VAR, "USER", "QUSER"), Variable(USERVAR, "DEVNAME", "DSP01"),
                            Variable(USERVAR, "IBMRSEED"), Variable(USERVAR, "IBMPROGRAM", "PGM1"),
                            Variable(USERVAR, "IBMCURLIB", "LIB1")})));

    // An empty display name is left out even when the host is not to choose.
    settings.AutoConnection = 0;
    settings.DisplayName.clear();
    EXPECT_TRUE(SameBytes(Answer(kSendEnvironment), kSeedOnly));
}

TEST_F(TelnetTest, APrinterSaysWhatPrinterItIs) {
    settings.TerminalName = "IBM-3477-FC";
    settings.Device = DeviceKind::kPrinter;
    settings.DisplayNameAuto = 0;
    settings.DisplayName = "PRT01";
    settings.PaperSizeName = "A4";
    EXPECT_TRUE(SameBytes(Answer(kSendTerminalType), IsAnswer(TERMINAL_TYPE, {"IBM-3812-1"})));
    const Bytes printer = Cat({Variable(USERVAR, "DEVNAME", "PRT01"), Variable(USERVAR, "IBMRSEED"),
                               Variable(USERVAR, "IBMMSGQNAME", "QSYSOPR"),
                               Variable(USERVAR, "IBMMSGQLIB", "*LIBL"),
                               Variable(USERVAR, "IBMFONT", "11"),
                               Variable(USERVAR, "IBMTRANSFORM", "0")});
    const Bytes tail = Cat({Variable(USERVAR, "IBMPPRSRC1", std::string(1, '\x04')),
                            Variable(USERVAR, "IBMFORMFEED", "C")});
    EXPECT_TRUE(SameBytes(Answer(kSendEnvironment), IsAnswer(NEW_ENVIRON, {printer, tail})));

    // The host print transform names its printer model.
    settings.HostPrintTransform = 1;
    Bytes transformed = printer;
    transformed.resize(transformed.size() - Variable(USERVAR, "IBMTRANSFORM", "0").size());
    const Bytes model = Cat({Variable(USERVAR, "IBMTRANSFORM", "1"),
                             Variable(USERVAR, "IBMMFRTYPMDL", "*HP4")});
    EXPECT_TRUE(
        SameBytes(Answer(kSendEnvironment), IsAnswer(NEW_ENVIRON, {transformed, model, tail})));
}

TEST_F(TelnetTest, SubnegotiationContentIsSkippedToIacSe) {
    settings.TerminalName = "IBM-5292-2";
    // The host's seed may hold any byte, the option codes and a bare 0xF0 too.
    const Bytes seed = {TERMINAL_TYPE, SE, NEW_ENVIRON, IAC, IAC, 0x00};
    EXPECT_TRUE(SameBytes(Answer(Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", VALUE, seed,
                                      IAC, SE, kSendTerminalType})),
                          Cat({kSeedOnly, IsAnswer(TERMINAL_TYPE, {"IBM-5292-2"})})));
    EXPECT_TRUE(Answer({IAC, SB, 0x2A, TERMINAL_TYPE, NEW_ENVIRON, IAC, SE}).empty());
    // No IAC SE before the end of the block: answered once, the walk stops.
    EXPECT_TRUE(SameBytes(Answer({IAC, SB, TERMINAL_TYPE, SEND, TERMINAL_TYPE}),
                          IsAnswer(TERMINAL_TYPE, {"IBM-5292-2"})));
}

// An IBM i host puts an 8-byte seed right after USERVAR "IBMRSEED": kept
// with its escapes undone, and the answer is the one every request gets.
TEST_F(TelnetTest, TheHostsSeedIsReadAndTheAnswerIsUnchanged) {
    struct Row {
        const char* what;
        Bytes request;
        Bytes seed;  // empty: none kept
    };
    const Bytes tail = {USERVAR, 'I', 'B', 'M', 'S', 'U', 'B', 'S', 'P', 'W', IAC, SE};
    const Row rows[] = {
        {"plain bytes", Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", "ABCDEFGH", tail}),
         Cat({"ABCDEFGH"})},
        {"type codes escaped, IAC doubled",
         Cat({IAC, SB,   NEW_ENVIRON, SEND, VAR, USERVAR, "IBMRSEED", ESC,  0x00, ESC, 0x01,
              ESC, 0x02, ESC,         0x03, IAC, IAC,     SE,         0x80, 'Z',  tail}),
         {0x00, 0x01, 0x02, 0x03, 0xFF, SE, 0x80, 'Z'}},
        // (Printable bytes after VALUE read as a value item, not a seed.)
        {"after a VALUE byte",
         Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", VALUE, 0x91, 0x92, 0x93, 0x94, 0x95,
              0x96, 0x97, 0x98, IAC, SE}),
         {0x91, 0x92, 0x93, 0x94, 0x95, 0x96, 0x97, 0x98}},
        {"no seed", Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", tail}), {}},
        {"too short", Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", "ABC", tail}), {}},
        {"cut by the block's end",
         Cat({IAC, SB, NEW_ENVIRON, SEND, USERVAR, "IBMRSEED", "ABCD"}),
         {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        EXPECT_TRUE(SameBytes(Answer(row.request), kSeedOnly));
        EXPECT_EQ(telnet.hostSeed(), row.seed);
    }
    Answer(rows[0].request);
    telnet.Reset();
    EXPECT_TRUE(telnet.hostSeed().empty()) << "a new connection has no seed yet";
}

TEST_F(TelnetTest, LongAndAwkwardValuesAreSentWhole) {
    settings.AutoConnection = 1;
    settings.UserID = std::string(300, 'U');
    settings.Menu = std::string{'M', '\xFF', '\xF0', '\x01'};  // IAC doubled, VALUE escaped
    settings.TerminalName = std::string(400, 'T') + "\xFF";
    EXPECT_TRUE(SameBytes(Answer(kSendEnvironment),
                          IsAnswer(NEW_ENVIRON, {Variable(VAR, "USER", settings.UserID),
                                                 Variable(USERVAR, "IBMRSEED"), USERVAR, "IBMIMENU",
                                                 VALUE, 'M', IAC, IAC, SE, ESC, 1})));
    EXPECT_TRUE(SameBytes(Answer(kSendTerminalType),
                          IsAnswer(TERMINAL_TYPE, {std::string(400, 'T'), IAC, IAC})));

    Bytes block, expected;  // 1000 refusals in one block: 3000 answer bytes
    for (int i = 0; i < 1000; ++i) {
        block.insert(block.end(), {IAC, DO, static_cast<std::uint8_t>(0x40 + i % 64)});
        expected.insert(expected.end(), {IAC, WONT, static_cast<std::uint8_t>(0x40 + i % 64)});
    }
    EXPECT_TRUE(SameBytes(Answer(block), expected));
}

}  // namespace
}  // namespace quenlix::test
