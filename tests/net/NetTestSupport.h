// Recording doubles and byte builders for the host-connection tests.
#pragma once

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "ds5250/RecordFramer.h"
#include "net/BlockInterpreter.h"
#include "net/SessionControl.h"
#include "net/SocketNotifier.h"
#include "support/WireRecords.h"
#include "telnet/TelnetCodes.h"
#include "terminal/MessageBoxes.h"
#include "terminal/RecordSender.h"
#include "terminal/ViewOperations.h"

namespace quenlix::test {

using Bytes = std::vector<std::uint8_t>;
using telnet::Byte;
using telnet::Command;
using telnet::Option;

// Telnet bytes by name, so that test data reads as the protocol.
inline constexpr std::uint8_t IAC = telnet::kIAC, DO = Byte(Command::DO),
                              DONT = Byte(Command::DONT), WILL = Byte(Command::WILL),
                              WONT = Byte(Command::WONT), SB = Byte(Command::SB),
                              SE = Byte(Command::SE), EOR = Byte(Command::EOR);
inline constexpr std::uint8_t BINARY = Byte(Option::TRANSMIT_BINARY),
                              TIMING_MARK = Byte(Option::TIMING_MARK),
                              TERMINAL_TYPE = Byte(Option::TERMINAL_TYPE),
                              END_OF_RECORD = Byte(Option::END_OF_RECORD),
                              NEW_ENVIRON = Byte(Option::NEW_ENVIRON), ECHO_OPTION = 0x01;
inline constexpr std::uint8_t IS = 0, SEND = 1, VAR = 0, VALUE = 1, ESC = 2, USERVAR = 3;

/// Byte data given as numbers, texts or other byte data.
struct Piece {
    Bytes bytes;
    Piece(int b) : bytes{static_cast<std::uint8_t>(b)} {}
    Piece(std::string_view text) : bytes(text.begin(), text.end()) {}
    Piece(const char* text) : Piece(std::string_view(text)) {}
    Piece(const std::string& text) : Piece(std::string_view(text)) {}
    Piece(const Bytes& b) : bytes(b) {}
};

inline Bytes Cat(std::initializer_list<Piece> pieces) {
    Bytes out;
    for (const Piece& p : pieces) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

/// IAC SB <option> IS <content> IAC SE.
inline Bytes IsAnswer(std::uint8_t option, std::initializer_list<Piece> content) {
    return Cat({IAC, SB, option, IS, Cat(content), IAC, SE});
}

/// One environment variable: type, name, VALUE, value.
inline Bytes Variable(std::uint8_t type, std::string_view name, std::string_view value = {}) {
    return Cat({type, name, VALUE, value});
}

/// A 5250 record as the data stream frames it: GDS header, the payload,
/// every 0xFF doubled (the length's too), IAC EOR.
inline Bytes Record(std::uint8_t opcode, const Bytes& payload) {
    return ds::FramedRecord(opcode, payload.data(), payload.size());
}

/// Compares bytes and shows both sides as telnet words on failure.
inline ::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\n  actual:   " << telnet::Describe(actual.data(), actual.size())
           << "\n  expected: " << telnet::Describe(expected.data(), expected.size());
}

class RecordingSender : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sends.emplace_back(bytes, bytes + count);
    }
    Bytes All() const { return Joined(sends); }
    static Bytes Joined(const std::vector<Bytes>& parts) {
        Bytes out;
        for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
        return out;
    }
    std::vector<Bytes> sends;
};

/// Everything around the endpoint: message boxes, session, notifier and
/// interpreter, each call logged as one line in call order.
class RecordingShell : public MessageBoxes,
                       public SessionControl,
                       public SocketNotifier,
                       public BlockInterpreter {
public:
    void LeaveSysReqModeForHostData() override { log.push_back("LeaveSysReqModeForHostData"); }
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        messages.emplace_back(text);
        icons.push_back(icon);
    }
    void EndSession() override {
        log.push_back("EndSession");
        if (onEndSession) onEndSession();
    }
    void BeginWaitCursor() override { log.push_back("BeginWaitCursor"); }
    void EndWaitCursor() override { log.push_back("EndWaitCursor"); }
    void Resume(int socket) override {
        watched = socket;
        log.push_back("Resume");
    }
    void Suspend() override {
        watched = -1;
        log.push_back("Suspend");
    }
    void ProcessRecord(const std::uint8_t* record, std::size_t count) override {
        records.emplace_back(record, record + count);
        // Framed again, so that tests compare it with what the host sent.
        const Bytes block = ::quenlix::Reframed(record, count);
        blocks.push_back(block);  // a nested call may grow `blocks`
        log.push_back("ProcessRecord");
        if (onBlock) onBlock(block);
    }
    int Count(std::string_view line) const { return std::count(log.begin(), log.end(), line); }

    std::vector<std::string> log;
    std::vector<std::string> messages;
    std::vector<MessageIcon> icons;
    std::vector<Bytes> records;  ///< as handed on: IAC doubling undone, no IAC EOR
    std::vector<Bytes> blocks;   ///< the same records as they travelled
    int watched = -1;
    std::function<void()> onEndSession;
    std::function<void(const Bytes&)> onBlock;
};

}  // namespace quenlix::test
