// Where the connection endpoint hands each complete 5250 block: the 5250
// interpreter in the program, a recording in tests.
#pragma once

#include <cstddef>
#include <cstdint>

namespace quenlix {

class BlockInterpreter {
public:
    virtual ~BlockInterpreter() = default;
    /// One 5250 record, ending IAC EOR (0xFF 0xEF), IAC still doubled. The call may re-enter the endpoint (a message box's
    /// event loop) and may send; the endpoint then reuses the bytes' storage
    /// for the next block, so they are valid only until the first re-entry:
    /// copy them before anything else.
    virtual void ProcessBlock(const std::uint8_t* bytes, std::size_t count) = 0;
    /// Every record that could be taken from one arrival has been handed
    /// over (at least one): the moment for what follows a batch of host
    /// data, such as replaying keys held while the keyboard was locked.
    virtual void EndOfArrival() {}
};

/// Drops every block.
class NullBlockInterpreter : public BlockInterpreter {
public:
    void ProcessBlock(const std::uint8_t*, std::size_t) override {}
};

}  // namespace quenlix
