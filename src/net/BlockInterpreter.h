// Where the connection endpoint hands each whole 5250 record: the 5250
// interpreter in the program, a recording in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix {

class BlockInterpreter {
public:
    virtual ~BlockInterpreter() = default;
    /// One whole 5250 record, from its first length byte to its last data
    /// byte: the telnet layer's IAC doubling undone, without the IAC EOR that
    /// ended it. The call may re-enter the endpoint (a message box's event
    /// loop) and may send; the endpoint then reuses the bytes' storage for
    /// the next record, so they are valid only until the first re-entry:
    /// copy them before anything else.
    virtual void ProcessRecord(const std::uint8_t* record, std::size_t count) = 0;
    /// Every record that could be taken from one arrival has been handed
    /// over (at least one): the moment for what follows a batch of host
    /// data, such as replaying keys held while the keyboard was locked.
    virtual void EndOfArrival() {}
};

/// Drops every record.
class NullBlockInterpreter : public BlockInterpreter {
public:
    void ProcessRecord(const std::uint8_t*, std::size_t) override {}
};

}  // namespace quenlix
