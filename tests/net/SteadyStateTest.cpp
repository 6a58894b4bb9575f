// Steady host traffic through the endpoint allocates nothing: every buffer a
// block passes through is kept from one block to the next. The allocations
// of this test program are counted by replacing the global operator new.
#include <gtest/gtest.h>

// GCC takes the malloc/free pair below for a mismatch wherever it inlines
// them into the standard allocators; the pair is the replacement itself.
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic ignored "-Wmismatched-new-delete"
#endif

#include <atomic>
#include <cstdlib>
#include <new>

#include "NetTestSupport.h"
#include "net/Communication.h"

namespace {
std::atomic<bool> counting{false};
std::atomic<long> allocations{0};
}  // namespace

void* operator new(std::size_t size) {
    if (counting) ++allocations;
    if (void* p = std::malloc(size ? size : 1)) return p;
    throw std::bad_alloc();
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }

namespace quenlix::test {
namespace {

/// Counts blocks without keeping them, so that it allocates nothing itself.
struct CountingInterpreter : BlockInterpreter {
    void ProcessBlock(const std::uint8_t*, std::size_t count) override { bytes += count; }
    std::size_t bytes = 0;
};
struct CountingSender : RecordSender {
    void Send(const std::uint8_t*, std::size_t count) override { bytes += count; }
    std::size_t bytes = 0;
};

TEST(CommunicationSteadyState, BlocksAndNegotiationAllocateNothing) {
    Terminal terminal;
    terminal.screen.AllocateCells(80, 24);
    terminal.screen.SetGeometry(80, 24);
    terminal.state.connected = 1;
    SessionSettings settings;
    settings.TerminalName = "IBM-3477-FC";
    NullViewOperations view;
    NullMessageBoxes messages;
    NullSessionControl session;
    NullSocketNotifier notifier;
    Communication comm({terminal, settings, view, messages, session, notifier});
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
    counting = true;
    allocations = 0;
    for (int i = 0; i < 50; ++i) round();
    counting = false;
    EXPECT_EQ(allocations.load(), 0);
    EXPECT_EQ(interpreter.bytes, 51 * (screen.size() + small.size()));
    EXPECT_GT(host.bytes, 0u);
}

}  // namespace
}  // namespace quenlix::test
