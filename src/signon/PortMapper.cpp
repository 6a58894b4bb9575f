// The port mapper's request and reply.
#include "signon/PortMapper.h"

namespace quenlix::signon {

std::vector<std::uint8_t> BuildPortMapperRequest(std::string_view serviceName) {
    return std::vector<std::uint8_t>(serviceName.begin(), serviceName.end());
}

PortOutcome ParsePortMapperReply(const std::uint8_t* bytes, std::size_t count) {
    PortOutcome outcome;
    if (count == 0) {
        outcome.refusal = "the port mapper closed without an answer";
    } else if (bytes[0] != kPortMapperFound) {
        outcome.refusal = "the port mapper does not know the service";
    } else if (count < kPortMapperReplyLength) {
        outcome.refusal = "the port mapper's answer is cut off";
    } else {
        const std::uint32_t port = std::uint32_t{bytes[1]} << 24 | std::uint32_t{bytes[2]} << 16 |
                                   std::uint32_t{bytes[3]} << 8 | bytes[4];
        if (port == 0 || port > 0xFFFF) {
            outcome.refusal =
                "the port mapper answered port " + std::to_string(port) + ", which is no TCP port";
        } else {
            outcome.port = static_cast<std::uint16_t>(port);
        }
    }
    return outcome;
}

}  // namespace quenlix::signon
