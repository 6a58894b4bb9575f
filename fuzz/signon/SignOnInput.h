// The input layout of the sign-on harness, shared with its seed generator:
// the first byte chooses the parser, the rest is what the host sent.
#pragma once

#include <cstdint>

namespace quenlix::fuzz {

enum SignOnTarget : std::uint8_t {
    kAttributesReply = 0,  ///< the sign-on server's exchange-attributes reply
    kPortMapperReply = 1,  ///< the port mapper's answer
    kEnvironSend = 2,      ///< a NEW-ENVIRON SEND payload, after the option code
};

}  // namespace quenlix::fuzz
