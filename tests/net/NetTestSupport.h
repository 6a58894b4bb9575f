// Recording doubles and byte builders for the host-connection tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "net/BlockInterpreter.h"
#include "net/SessionControl.h"
#include "net/SocketNotifier.h"
#include "net/TelnetCodes.h"
#include "terminal/MessageBoxes.h"
#include "terminal/RecordSender.h"
#include "terminal/ViewOperations.h"

namespace quenlix::test {

using Bytes = std::vector<std::uint8_t>;

// Telnet bytes by name, so that test data reads as the protocol.
inline constexpr std::uint8_t IAC = telnet::kIAC;
inline constexpr std::uint8_t DO = telnet::Byte(telnet::Command::DO);
inline constexpr std::uint8_t DONT = telnet::Byte(telnet::Command::DONT);
inline constexpr std::uint8_t WILL = telnet::Byte(telnet::Command::WILL);
inline constexpr std::uint8_t WONT = telnet::Byte(telnet::Command::WONT);
inline constexpr std::uint8_t SB = telnet::Byte(telnet::Command::SB);
inline constexpr std::uint8_t SE = telnet::Byte(telnet::Command::SE);
inline constexpr std::uint8_t EOR = telnet::Byte(telnet::Command::EOR);
inline constexpr std::uint8_t NOP = telnet::Byte(telnet::Command::NOP);
inline constexpr std::uint8_t BINARY = telnet::Byte(telnet::Option::TRANSMIT_BINARY);
inline constexpr std::uint8_t TIMING_MARK = telnet::Byte(telnet::Option::TIMING_MARK);
inline constexpr std::uint8_t TERMINAL_TYPE = telnet::Byte(telnet::Option::TERMINAL_TYPE);
inline constexpr std::uint8_t END_OF_RECORD = telnet::Byte(telnet::Option::END_OF_RECORD);
inline constexpr std::uint8_t NEW_ENVIRON = telnet::Byte(telnet::Option::NEW_ENVIRON);
inline constexpr std::uint8_t ECHO_OPTION = 0x01;
inline constexpr std::uint8_t IS = 0x00;
inline constexpr std::uint8_t SEND = 0x01;
inline constexpr std::uint8_t VAR = 0x00;
inline constexpr std::uint8_t VALUE = 0x01;
inline constexpr std::uint8_t ESC = 0x02;
inline constexpr std::uint8_t USERVAR = 0x03;

/// A piece of byte data: numbers or the bytes of a text.
struct Piece {
    Bytes bytes;
    Piece(std::uint8_t b) : bytes{b} {}
    Piece(int b) : bytes{static_cast<std::uint8_t>(b)} {}
    Piece(const char* text) : bytes(text, text + std::char_traits<char>::length(text)) {}
    Piece(std::string_view text) : bytes(text.begin(), text.end()) {}
    Piece(const std::string& text) : bytes(text.begin(), text.end()) {}
    Piece(const Bytes& b) : bytes(b) {}
};

/// Concatenation: Cat({IAC, SB, TERMINAL_TYPE, IS, "IBM-5292-2", IAC, SE}).
inline Bytes Cat(std::initializer_list<Piece> pieces) {
    Bytes out;
    for (const Piece& p : pieces) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    return out;
}

/// An answer subnegotiation: IAC SB <option> IS <content> IAC SE.
inline Bytes IsAnswer(std::uint8_t option, std::initializer_list<Piece> content) {
    Bytes out = {IAC, SB, option, IS};
    for (const Piece& p : content) out.insert(out.end(), p.bytes.begin(), p.bytes.end());
    out.insert(out.end(), {IAC, SE});
    return out;
}

/// One environment variable: type, name, VALUE, value (bytes as given).
inline Bytes Variable(std::uint8_t type, std::string_view name, std::string_view value = {}) {
    return Cat({type, name, VALUE, value});
}

/// A 5250 record: GDS header (length, record type 0x12A0, reserved, header
/// length 4, flags, reserved, opcode), the payload with 0xFF doubled, IAC EOR.
inline Bytes Record(std::uint8_t opcode, const Bytes& payload) {
    const std::size_t length = 10 + payload.size();
    Bytes out = {static_cast<std::uint8_t>(length >> 8),
                 static_cast<std::uint8_t>(length),
                 0x12,
                 0xA0,
                 0x00,
                 0x00,
                 0x04,
                 0x00,
                 0x00,
                 opcode};
    for (std::uint8_t b : payload) {
        if (b == IAC) out.push_back(IAC);
        out.push_back(b);
    }
    out.insert(out.end(), {IAC, EOR});
    return out;
}

/// Compares bytes and shows both sides as telnet words on failure.
inline ::testing::AssertionResult SameBytes(const Bytes& actual, const Bytes& expected) {
    if (actual == expected) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure()
           << "\n  actual:   " << telnet::Describe(actual.data(), actual.size())
           << "\n  expected: " << telnet::Describe(expected.data(), expected.size());
}

/// Every call of every double, in order, as one line each.
using EventLog = std::vector<std::string>;

class RecordingSender : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sends.emplace_back(bytes, bytes + count);
    }
    Bytes All() const {
        Bytes out;
        for (const Bytes& s : sends) out.insert(out.end(), s.begin(), s.end());
        return out;
    }
    std::vector<Bytes> sends;
};

class RecordingInterpreter : public BlockInterpreter {
public:
    explicit RecordingInterpreter(EventLog* log = nullptr) : log_(log) {}
    void ProcessBlock(const std::uint8_t* bytes, std::size_t count) override {
        blocks.emplace_back(bytes, bytes + count);
        if (log_) log_->push_back("ProcessBlock");
        if (onBlock) onBlock(blocks.back());
    }
    Bytes All() const {
        Bytes out;
        for (const Bytes& b : blocks) out.insert(out.end(), b.begin(), b.end());
        return out;
    }
    std::vector<Bytes> blocks;
    std::function<void(const Bytes&)> onBlock;

private:
    EventLog* log_;
};

class RecordingNotifier : public SocketNotifier {
public:
    explicit RecordingNotifier(EventLog& log) : log_(log) {}
    void Resume(int socket) override {
        watched = socket;
        log_.push_back("Resume");
    }
    void Suspend() override {
        watched = -1;
        log_.push_back("Suspend");
    }
    int watched = -1;

private:
    EventLog& log_;
};

class RecordingSession : public SessionControl {
public:
    explicit RecordingSession(EventLog& log) : log_(log) {}
    void EndSession() override {
        log_.push_back("EndSession");
        if (onEndSession) onEndSession();
    }
    void BeginWaitCursor() override { log_.push_back("BeginWaitCursor"); }
    void EndWaitCursor() override { log_.push_back("EndWaitCursor"); }
    std::function<void()> onEndSession;

private:
    EventLog& log_;
};

class RecordingMessages : public MessageBoxes {
public:
    explicit RecordingMessages(EventLog& log) : log_(log) {}
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        texts.emplace_back(text);
        icons.push_back(icon);
        log_.push_back("ShowMessage");
    }
    std::vector<std::string> texts;
    std::vector<MessageIcon> icons;

private:
    EventLog& log_;
};

class RecordingView : public ViewOperations {
public:
    explicit RecordingView(EventLog& log) : log_(log) {}
    void InvalidateView() override { log_.push_back("InvalidateView"); }
    void DrawInhibitIndicator() override { log_.push_back("DrawInhibitIndicator"); }
    void EndSysReqLine() override { log_.push_back("EndSysReqLine"); }

private:
    EventLog& log_;
};

}  // namespace quenlix::test
