// A stream of telnet bytes read by the telnet reader whole, in pieces of the
// size byte 0 picks (1 to 16), and a byte at a time: the three readings must
// give the same events, and no more data than the stream held. The events
// are written down compactly (the data of consecutive calls joined, as
// TelnetEventLog joins them); when two readings differ, both are written out
// as TelnetEventLog text before the trap.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "support/TelnetEventLog.h"

using namespace quenlix::telnet;

namespace {

/// The events as bytes: a tag and its operands; a run of data is its tag,
/// its length in four bytes (filled in when the run ends) and the bytes.
class CompactEventLog : public TelnetEvents {
public:
    std::size_t dataBytes = 0;

    void OptionCommand(std::uint8_t verb, std::uint8_t option) override {
        Close();
        text_ += {'o', static_cast<char>(verb), static_cast<char>(option)};
    }
    void Command(std::uint8_t command) override {
        Close();
        text_ += {'c', static_cast<char>(command)};
    }
    void SubnegotiationBegin(std::uint8_t option) override {
        Close();
        text_ += {'b', static_cast<char>(option)};
    }
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override {
        Run('s', bytes, count);
    }
    void SubnegotiationEnd(bool complete) override {
        Close();
        text_ += complete ? 'e' : 'E';
    }
    void RecordData(const std::uint8_t* bytes, std::size_t count) override {
        Run('d', bytes, count);
    }
    void EndOfRecord() override {
        Close();
        text_ += 'r';
    }
    const std::string& Done() {
        Close();
        return text_;
    }
    void Clear() {
        text_.clear();
        open_ = 0;
        dataBytes = 0;
    }

private:
    void Run(char kind, const std::uint8_t* bytes, std::size_t count) {
        dataBytes += count;
        if (open_ != kind) {
            Close();
            text_ += kind;
            lengthAt_ = text_.size();
            text_.append(4, '\0');
            open_ = kind;
        }
        text_.append(reinterpret_cast<const char*>(bytes), count);
    }
    void Close() {
        if (open_ == 0) return;
        const auto length = static_cast<std::uint32_t>(text_.size() - lengthAt_ - 4);
        std::memcpy(text_.data() + lengthAt_, &length, 4);
        open_ = 0;
    }

    std::string text_;
    char open_ = 0;
    std::size_t lengthAt_ = 0;
};

/// The stream read in pieces of `piece` bytes, written down as text.
std::string Readable(const std::uint8_t* stream, std::size_t length, std::size_t piece) {
    TelnetEventLog log;
    TelnetReader reader;
    for (std::size_t at = 0; at < length; at += piece) {
        reader.Feed(stream + at, length - at < piece ? length - at : piece, log);
    }
    return log.Done();
}

/// Traps when two readings differ, after writing both out.
void Same(const std::string& a, const std::string& b, const std::uint8_t* stream,
          std::size_t length, std::size_t piece) {
    if (a == b) return;
    std::fprintf(stderr, "whole:\n%s\nin pieces of %zu:\n%s\n", Readable(stream, length, length).c_str(),
                 piece, Readable(stream, length, piece).c_str());
    __builtin_trap();
}

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::size_t piece = 1 + data[0] % 16;
    const std::uint8_t* stream = data + 1;
    const std::size_t length = size - 1;
    // Kept from input to input only for their storage.
    static CompactEventLog whole, cut, bytewise;

    whole.Clear();
    TelnetReader first;
    Check(first.Feed(stream, length, whole) == length);
    const std::string& expected = whole.Done();
    Check(whole.dataBytes <= length);

    cut.Clear();
    TelnetReader second;
    for (std::size_t at = 0; at < length; at += piece) {
        const std::size_t n = length - at < piece ? length - at : piece;
        Check(second.Feed(stream + at, n, cut) == n);
    }
    Same(expected, cut.Done(), stream, length, piece);
    Check(second.state() == first.state());

    bytewise.Clear();
    TelnetReader third;
    for (std::size_t i = 0; i < length; ++i) third.Feed(stream + i, 1, bytewise);
    Same(expected, bytewise.Done(), stream, length, 1);
    return 0;
}
