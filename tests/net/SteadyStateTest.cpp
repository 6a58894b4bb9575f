// Steady host traffic through the endpoint allocates nothing: every buffer a
// block passes through is kept from one block to the next.
#include <gtest/gtest.h>

#include "NetTestSupport.h"
#include "net/Communication.h"
#include "net/TerminalConnectionDisplay.h"
#include "support/ReplacedAllocator.h"

namespace quenlix::test {
namespace {

/// Counts records without keeping them, so that it allocates nothing itself.
struct CountingInterpreter : BlockInterpreter {
    void ProcessRecord(const std::uint8_t*, std::size_t count) override { bytes += count; }
    std::size_t bytes = 0;
};
struct CountingSender : RecordSender {
    void Send(const std::uint8_t*, std::size_t count) override { bytes += count; }
    std::size_t bytes = 0;
};

TEST(CommunicationSteadyState, BlocksAndNegotiationAllocateNothing) {
    if (!::quenlix::testing::AllocatorReplaced()) GTEST_SKIP() << "allocations are the sanitizer's";
    Terminal terminal;
    TerminalConnectionDisplay display{terminal};
    terminal.screen.AllocateCells(80, 24);
    terminal.screen.SetGeometry(80, 24);
    terminal.state.connected = 1;
    SessionSettings settings;
    settings.TerminalName = "IBM-3477-FC";
    NullMessageBoxes messages;
    NullSessionControl session;
    NullSocketNotifier notifier;
    Communication comm({display, settings, messages, session, notifier});
    CountingInterpreter interpreter;
    CountingSender host;
    comm.SetInterpreter(&interpreter);
    comm.SetTransport(&host);

    const Bytes negotiation = {IAC, DO, TERMINAL_TYPE, IAC, SB, TERMINAL_TYPE, SEND, IAC, SE};
    const Bytes screen = Record(0x03, Bytes(3000, 0x40));
    const Bytes small = Record(0x01, {0x04, 0x11});
    auto feed = [&](const Bytes& b) { comm.OnReceived(b.data(), b.size()); };
    auto round = [&] {
        feed(negotiation);
        feed(screen);
        comm.OnReceived(small.data(), 5);  // a block in two pieces
        comm.OnReceived(small.data() + 5, small.size() - 5);
    };
    round();  // the negotiator's answer buffer grows once
    const long before = ::quenlix::testing::AllocationCount();
    for (int i = 0; i < 50; ++i) round();
    EXPECT_EQ(::quenlix::testing::AllocationCount() - before, 0);
    // Each record without its IAC EOR (neither holds a 0xFF).
    EXPECT_EQ(interpreter.bytes, 51 * (screen.size() - 2 + small.size() - 2));
    EXPECT_GT(host.bytes, 0u);
}

}  // namespace
}  // namespace quenlix::test
