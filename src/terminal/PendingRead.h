// The read commands a host may leave outstanding. Their values are the
// command bytes of the 5250 data stream, which takes its read command codes
// from here, so a command read off the wire is the pending read as it is.
#pragma once

#include <cstdint>

namespace quenlix {

enum PendingRead : std::uint8_t {
    kNoPendingRead = 0x00,
    kReadInputFields = 0x42,
    kReadMdtFields = 0x52,
    kReadScreen = 0x62,
    kReadImmediate = 0x72,
};

/// The pending read a command byte names; kNoPendingRead for any other byte.
constexpr PendingRead ReadCommandOf(std::uint8_t command) {
    switch (command) {
        case kReadInputFields:
        case kReadMdtFields:
        case kReadScreen:
        case kReadImmediate:
            return static_cast<PendingRead>(command);
        default:
            return kNoPendingRead;
    }
}

}  // namespace quenlix
