// What the host sends before and during sign-on: the sign-on server's reply,
// the port mapper's answer and the NEW-ENVIRON SEND with its seed. Checks that
// an accepted reply holds a password level of 0 to 4 and that the seed reader
// gives the same reading whatever pieces the SEND arrives in.
#include <cstdint>
#include <cstdlib>

#include "SignOnInput.h"
#include "signon/PortMapper.h"
#include "signon/SignOnServerExchange.h"
#include "telnet/EnvironSeedReader.h"

namespace {

using namespace quenlix;

void Check(bool condition) {
    if (!condition) std::abort();
}

telnet::EnvironSeedReader ReadInPieces(const std::uint8_t* bytes, std::size_t count,
                                       std::size_t piece) {
    telnet::EnvironSeedReader reader;
    for (std::size_t at = 0; at < count; at += piece) {
        reader.Feed(bytes + at, count - at < piece ? count - at : piece);
    }
    reader.Finish();
    return reader;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t* body = data + 1;
    const std::size_t length = size - 1;
    switch (data[0] % 3) {
        case fuzz::kAttributesReply: {
            const signon::AttributesOutcome outcome =
                signon::ParseExchangeAttributesReply(body, length);
            Check(outcome.attributes.has_value() == outcome.refusal.empty());
            if (outcome.attributes)
                Check(outcome.attributes->passwordLevel <= signon::kHighestPasswordLevel);
            if (length >= 4) (void)signon::ReplyLengthFromPrefix(body);
            break;
        }
        case fuzz::kPortMapperReply: {
            const signon::PortOutcome outcome = signon::ParsePortMapperReply(body, length);
            Check(outcome.port.has_value() == outcome.refusal.empty());
            if (outcome.port) Check(*outcome.port != 0);
            break;
        }
        default: {
            const telnet::EnvironSeedReader whole = ReadInPieces(body, length, length + 1);
            for (const std::size_t piece : {std::size_t{1}, std::size_t{3}, std::size_t{7}}) {
                const telnet::EnvironSeedReader split = ReadInPieces(body, length, piece);
                Check(split.serverSeed() == whole.serverSeed());
                Check(split.asksForSeed() == whole.asksForSeed());
                Check(split.isSend() == whole.isSend());
            }
            if (whole.serverSeed()) Check(whole.asksForSeed());
            break;
        }
    }
    return 0;
}
