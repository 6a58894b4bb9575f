// A stream of telnet bytes read by the telnet reader whole, in pieces of the
// size byte 0 picks (1 to 16), and a byte at a time: the three readings must
// give the same events, and no more data than the stream held.
#include <cstddef>
#include <cstdint>

#include "support/TelnetEventLog.h"

using namespace quenlix::telnet;

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

struct Counted : TelnetEventLog {
    std::size_t dataBytes = 0;
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override {
        dataBytes += count;
        TelnetEventLog::SubnegotiationData(bytes, count);
    }
    void RecordData(const std::uint8_t* bytes, std::size_t count) override {
        dataBytes += count;
        TelnetEventLog::RecordData(bytes, count);
    }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const std::uint8_t* stream = data + 1;
    const std::size_t length = size - 1;

    Counted whole;
    TelnetReader first;
    Check(first.Feed(stream, length, whole) == length);
    const std::string expected = whole.Done();
    Check(whole.dataBytes <= length);

    Counted cut;
    TelnetReader second;
    for (std::size_t at = 0; at < length; at += piece) {
        const std::size_t n = length - at < piece ? length - at : piece;
        Check(second.Feed(stream + at, n, cut) == n);
    }
    Check(cut.Done() == expected);
    Check(second.state() == first.state());

    Counted bytewise;
    TelnetReader third;
    for (std::size_t i = 0; i < length; ++i) third.Feed(stream + i, 1, bytewise);
    Check(bytewise.Done() == expected);
    return 0;
}
