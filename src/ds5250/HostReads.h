// The answers the interpreter sends at once when the host asks for them
// (Save Screen, Read Screen, Read Immediate, the query). HostResponses
// implements them; tests record them.
#pragma once

#include <cstdint>

#include "ds5250/RecordActions.h"

namespace quenlix {

class HostReads {
public:
    virtual ~HostReads() = default;
    virtual void SendSaveScreen() {}
    virtual void SendReadScreen() {}
    /// The screen's image with a Write Extended Attribute order before each
    /// position whose extended look or colour differs from the one before.
    virtual void SendReadScreenExtended() {}
    virtual void SendReadImmediate() {}
    virtual void SendQueryReply(std::uint8_t /*queryClass*/) {}
    /// The image of a rectangle the interpreter checked is on the screen.
    virtual void SendSavePartialScreen(const ds::PartialScreen& /*area*/) {}
};

/// Answers nothing.
class NullHostReads : public HostReads {};

}  // namespace quenlix
