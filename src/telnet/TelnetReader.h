// The one reader of telnet bytes (RFC 854, 855, 885): bytes in any cuts
// become events: option commands, other commands, subnegotiations with
// their payload, and record data with the IAC doubling undone up to each
// end of record. Every side that reads a TN5250 stream (the endpoint, the
// negotiator, the traces, the demo host) reads it through this class.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix::telnet {

/// What the reader finds, in stream order. Every method has a do-nothing
/// default: a reader of some events only overrides those.
class TelnetEvents {
public:
    virtual ~TelnetEvents() = default;
    /// IAC WILL / WONT / DO / DONT and its option.
    virtual void OptionCommand(std::uint8_t verb, std::uint8_t option) {
        (void)verb;
        (void)option;
    }
    /// Any other command after IAC outside a subnegotiation (NOP, GA, DM,
    /// AYT, a stray SE, ...), except EOR, which ends a record.
    virtual void Command(std::uint8_t command) { (void)command; }
    /// IAC SB and its option byte.
    virtual void SubnegotiationBegin(std::uint8_t option) { (void)option; }
    /// Payload of the subnegotiation begun last, doubled IAC undone; it may
    /// come in several calls.
    virtual void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
        (void)bytes;
        (void)count;
    }
    /// The subnegotiation ended: `complete` with IAC SE; false when an IAC
    /// and another command cut it short (that command follows as its event).
    virtual void SubnegotiationEnd(bool complete) { (void)complete; }
    /// Data outside commands, doubled IAC undone, in runs as they arrived.
    virtual void RecordData(const std::uint8_t* bytes, std::size_t count) {
        (void)bytes;
        (void)count;
    }
    /// IAC EOR.
    virtual void EndOfRecord() {}
};

/// Incremental: a command, a doubled IAC or a subnegotiation may be cut
/// anywhere between two Feed calls and reads the same as when whole. The
/// reader holds no bytes: data runs are handed on pointing into the bytes
/// fed, so memory stays constant whatever the host sends.
class TelnetReader {
public:
    /// Where the reader stands between two bytes.
    enum class State : std::uint8_t {
        kData,              ///< outside any command
        kIac,               ///< after IAC
        kOption,            ///< after IAC WILL/WONT/DO/DONT
        kSubnegotiationOption,  ///< after IAC SB
        kSubnegotiation,    ///< in a subnegotiation's payload
        kSubnegotiationIac, ///< after IAC in a payload
    };

    /// Reads `count` bytes, calling `events` for each thing completed, and
    /// returns how many were read: all of them unless a handler paused the
    /// reader. A handler may feed another reader but not this one.
    std::size_t Feed(const std::uint8_t* bytes, std::size_t count, TelnetEvents& events);
    /// Called from a handler: Feed returns once that handler has, leaving
    /// the bytes after the event unread, so that the caller can act on the
    /// event first (hand a whole record on) and feed them later.
    void Pause() { paused_ = true; }
    /// Back to the start of a stream (a new connection).
    void Reset() {
        state_ = State::kData;
        paused_ = false;
    }

    State state() const { return state_; }
    /// Inside a command or subnegotiation: the bytes fed so far end part
    /// way through one.
    bool midCommand() const { return state_ != State::kData; }
    bool inSubnegotiation() const {
        return state_ == State::kSubnegotiation || state_ == State::kSubnegotiationIac ||
               state_ == State::kSubnegotiationOption;
    }

private:
    State state_ = State::kData;
    std::uint8_t verb_ = 0;
    bool paused_ = false;
};

}  // namespace quenlix::telnet
