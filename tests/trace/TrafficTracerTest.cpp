// The trace of a connection: the hex lines as the CLI always printed them,
// masked bytes as "**", the described lines after them; a password typed
// into the sign-on appears nowhere.
#include "TraceSupport.h"
#include "ds5250/InterpreterFixture.h"
#include "support/SampleScreens.h"
#include "trace/TrafficTracer.h"

namespace quenlix::testing {
namespace {

using namespace ds;

TEST(TrafficTracer, HexLinesThenTheirDescription) {
    TrafficTracer tracer{ScreenMemory()};
    const Bytes doTerminalType = {0xFF, 0xFD, 0x18};
    EXPECT_EQ(tracer.Received(doTerminalType.data(), doTerminalType.size()),
              (Lines{"trace recv fffd18", "  IAC DO TERMINAL-TYPE"}));
    // A record in two pieces is described after the piece that ends it.
    const Bytes record = RecordBuilder().clearUnit().record();
    EXPECT_EQ(tracer.Received(record.data(), 5),
              (Lines{"trace recv " + LowerHex({record.begin(), record.begin() + 5})}));
    EXPECT_EQ(tracer.Received(record.data() + 5, record.size() - 5),
              (Lines{"trace recv " + LowerHex({record.begin() + 5, record.end()}),
                     "  Put/Get (03), length 12", "    Clear Unit"}));
    const Bytes pa1 = FrameRecord(kOpNoOperation, {6, 53, kAidPa1});
    EXPECT_EQ(tracer.Sent(pa1.data(), pa1.size()),
              (Lines{"trace sent " + LowerHex(pa1), "  No Operation (00), length 13",
                     "    cursor 6,53, PA1"}));
}

class SignOnTraceTest : public InterpreterTest {
protected:
    /// The sign-on screen arrives in pieces of `piece` bytes, the operator
    /// types a user and a password, Enter; then the host's next screen. Every
    /// line of the trace.
    std::string TraceOfSignOn(bool mask, std::size_t piece) {
        TrafficTracer tracer(ScreenMemory(80, 24), mask);
        std::string out;
        auto print = [&](const Lines& lines) { out += Joined(lines); };
        const Bytes screen = samples::SignOnScreen();
        for (std::size_t at = 0; at < screen.size(); at += piece) {
            const std::size_t n = std::min(piece, screen.size() - at);
            print(tracer.Received(screen.data() + at, n));
        }
        Run(screen);
        TypeInto(6, 53, "QUSER");
        TypeInto(7, 53, "PASSWORD");
        responses.SendAid(kAidEnter);
        responses.SendReadScreen();
        responses.SendSaveScreen();
        for (const Bytes& sent : sender.sent) print(tracer.Sent(sent.data(), sent.size()));
        const Bytes environ = EnvironAnswer({'P', 'A', 'S', 'S', 'W', 'O', 'R', 'D'});
        print(tracer.Sent(environ.data(), environ.size()));
        return out;
    }
    void TypeInto(int row, int column, std::string_view text) {
        const int first = HostPosition(row, column, terminal.columns());
        for (std::size_t k = 0; k < text.size(); ++k) {
            const int p = first + static_cast<int>(k);
            terminal.SetCellByte(p, BuiltinTablePair().ATOE[static_cast<std::uint8_t>(text[k])]);
        }
        terminal.formatTable.entry(terminal.formatTable.Find(row, column - 1))->mdt = 1;
    }
};

TEST_F(SignOnTraceTest, ThePasswordAppearsNowhere) {
    for (std::size_t piece : {std::size_t{1}, std::size_t{7}, std::size_t{100000}}) {
        const std::string trace = TraceOfSignOn(true, piece);
        SCOPED_TRACE("pieces of " + std::to_string(piece) + "\n" + trace.substr(0, 3000));
        for (const char* secret : {"PASSWORD", "PASS", "WORD"}) {
            EXPECT_EQ(trace.find(secret), std::string::npos) << secret;
        }
        EXPECT_EQ(trace.find(LowerHex(Ebcdic("PASS"))), std::string::npos);
        EXPECT_EQ(trace.find(LowerHex(Ebcdic("WORD"))), std::string::npos);
        EXPECT_EQ(trace.find(LowerHex({'P', 'A', 'S', 'S'})), std::string::npos);
        EXPECT_NE(trace.find(LowerHex(Ebcdic("QUSER"))), std::string::npos) << "the user stays";
        EXPECT_NE(trace.find("    field 7,53 *** (10 bytes)"), std::string::npos);
        EXPECT_NE(trace.find("'IBMSUBSPW' 01 *** (8 bytes)"), std::string::npos);
        sender.sent.clear();
    }
}

TEST_F(SignOnTraceTest, RawTracesShowIt) {
    const std::string trace = TraceOfSignOn(false, 100000);
    EXPECT_NE(trace.find(LowerHex(Ebcdic("PASSWORD"))), std::string::npos);
    EXPECT_NE(trace.find("field 7,53 \"PASSWORD  \""), std::string::npos);
    EXPECT_NE(trace.find("'IBMSUBSPW' 01 'PASSWORD'"), std::string::npos);
    EXPECT_EQ(trace.find("**"), std::string::npos);
}

}  // namespace
}  // namespace quenlix::testing
