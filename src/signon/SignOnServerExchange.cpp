// The attribute exchange's bytes. Every field of the reply is read through
// bounds-checked big-endian readers; the parameter walk advances by each
// parameter's own length, at least 6 bytes, so it always ends.
#include "signon/SignOnServerExchange.h"

#include <cstdio>

namespace quenlix::signon {
namespace {

void PutU16(std::vector<std::uint8_t>& out, std::uint16_t v) {
    out.push_back(static_cast<std::uint8_t>(v >> 8));
    out.push_back(static_cast<std::uint8_t>(v & 0xFF));
}

void PutU32(std::vector<std::uint8_t>& out, std::uint32_t v) {
    PutU16(out, static_cast<std::uint16_t>(v >> 16));
    PutU16(out, static_cast<std::uint16_t>(v & 0xFFFF));
}

std::uint16_t U16(const std::uint8_t* p) { return static_cast<std::uint16_t>(p[0] << 8 | p[1]); }

std::uint32_t U32(const std::uint8_t* p) {
    return std::uint32_t{p[0]} << 24 | std::uint32_t{p[1]} << 16 | std::uint32_t{p[2]} << 8 | p[3];
}

std::string Hex(std::uint32_t v, int digits) {
    char text[16];
    std::snprintf(text, sizeof text, "0x%0*X", digits, static_cast<unsigned>(v));
    return text;
}

AttributesOutcome Refused(std::string reason) {
    AttributesOutcome outcome;
    outcome.refusal = "sign-on server reply refused: " + std::move(reason);
    return outcome;
}

/// The expected value size of a known parameter; 0 for one that is skipped.
std::size_t KnownValueSize(std::uint16_t codePoint) {
    switch (codePoint) {
        case kVersionParameter:
            return 4;
        case kDatastreamLevelParameter:
            return 2;
        case kSeedParameter:
            return 8;
        case kPasswordLevelParameter:
            return 1;
        default:
            return 0;
    }
}

}  // namespace

std::vector<std::uint8_t> BuildExchangeAttributesRequest(const Seed& clientSeed,
                                                         std::uint16_t datastreamLevel) {
    std::vector<std::uint8_t> out;
    PutU32(out, 0);  // the length, set below
    PutU16(out, 0);  // header ID
    PutU16(out, kSignOnServerId);
    PutU32(out, 0);  // instance
    PutU32(out, 0);  // correlation
    PutU16(out, 0);  // template length: the request has none
    PutU16(out, kExchangeAttributesRequestId);

    PutU32(out, kParameterHeaderLength + 4);
    PutU16(out, kVersionParameter);
    PutU32(out, 1);
    PutU32(out, kParameterHeaderLength + 2);
    PutU16(out, kDatastreamLevelParameter);
    PutU16(out, datastreamLevel);
    PutU32(out, kParameterHeaderLength + clientSeed.size());
    PutU16(out, kSeedParameter);
    out.insert(out.end(), clientSeed.begin(), clientSeed.end());

    const auto length = static_cast<std::uint32_t>(out.size());
    for (std::size_t i = 0; i < 4; ++i) {
        out[i] = static_cast<std::uint8_t>(length >> (24 - 8 * i));
    }
    return out;
}

std::optional<std::size_t> ReplyLengthFromPrefix(const std::uint8_t prefix[4]) {
    const std::uint32_t length = U32(prefix);
    if (length < kMinReplyLength || length > kMaxReplyLength) return std::nullopt;
    return length;
}

AttributesOutcome ParseExchangeAttributesReply(const std::uint8_t* bytes, std::size_t count) {
    if (count < kMinReplyLength) {
        return Refused("it has " + std::to_string(count) + " bytes, fewer than the " +
                       std::to_string(kMinReplyLength) + " of a header and return code");
    }
    const std::uint32_t length = U32(bytes);
    if (length != count) {
        return Refused("its length field says " + std::to_string(length) + " bytes but it has " +
                       std::to_string(count));
    }
    if (U16(bytes + 6) != kSignOnServerId) {
        return Refused("server ID " + Hex(U16(bytes + 6), 4) + " is not the sign-on server's");
    }
    if (U16(bytes + 18) != kExchangeAttributesReplyId) {
        return Refused("reply ID " + Hex(U16(bytes + 18), 4) +
                       " does not answer the attribute exchange");
    }
    const std::size_t templateLength = U16(bytes + 16);
    if (templateLength < 4 || templateLength > count - kHeaderLength) {
        return Refused("template length " + std::to_string(templateLength) +
                       " does not fit a return code in the reply");
    }
    const std::uint32_t returnCode = U32(bytes + kHeaderLength);
    if (returnCode != 0) return Refused("return code " + Hex(returnCode, 8));

    ServerAttributes attributes;
    std::optional<int> passwordLevel;
    for (std::size_t at = kHeaderLength + templateLength; at < count;) {
        const std::size_t remaining = count - at;
        if (remaining < kParameterHeaderLength) {
            return Refused("a parameter is cut off after " + std::to_string(remaining) + " bytes");
        }
        const std::uint32_t parameterLength = U32(bytes + at);
        const std::uint16_t codePoint = U16(bytes + at + 4);
        if (parameterLength < kParameterHeaderLength) {
            return Refused("parameter " + Hex(codePoint, 4) + " claims " +
                           std::to_string(parameterLength) + " bytes, fewer than its own 6");
        }
        if (parameterLength > remaining) {
            return Refused("parameter " + Hex(codePoint, 4) + " claims " +
                           std::to_string(parameterLength) + " bytes where " +
                           std::to_string(remaining) + " remain");
        }
        const std::uint8_t* value = bytes + at + kParameterHeaderLength;
        const std::size_t valueSize = parameterLength - kParameterHeaderLength;
        const std::size_t expected = KnownValueSize(codePoint);
        if (expected != 0 && valueSize != expected) {
            return Refused("parameter " + Hex(codePoint, 4) + " has " + std::to_string(valueSize) +
                           " value bytes, not " + std::to_string(expected));
        }
        bool repeated = false;
        switch (codePoint) {
            case kVersionParameter:
                repeated = attributes.serverVrm.has_value();
                attributes.serverVrm = U32(value);
                break;
            case kDatastreamLevelParameter:
                repeated = attributes.datastreamLevel.has_value();
                attributes.datastreamLevel = U16(value);
                break;
            case kSeedParameter: {
                repeated = attributes.serverSeed.has_value();
                Seed seed{};
                for (std::size_t i = 0; i < seed.size(); ++i) seed[i] = value[i];
                attributes.serverSeed = seed;
                break;
            }
            case kPasswordLevelParameter:
                repeated = passwordLevel.has_value();
                passwordLevel = value[0];
                break;
            default:
                break;  // attributes this terminal does not use, such as the job name
        }
        if (repeated) return Refused("parameter " + Hex(codePoint, 4) + " is given twice");
        at += parameterLength;
    }
    if (!passwordLevel) return Refused("it does not tell the password level (0x1119)");
    if (*passwordLevel > kHighestPasswordLevel) {
        return Refused("password level " + std::to_string(*passwordLevel) + " is unknown");
    }
    attributes.passwordLevel = *passwordLevel;
    AttributesOutcome outcome;
    outcome.attributes = attributes;
    return outcome;
}

std::string VrmText(std::uint32_t vrm) {
    return "V" + std::to_string(vrm >> 16 & 0xFFFF) + "R" + std::to_string(vrm >> 8 & 0xFF) + "M" +
           std::to_string(vrm & 0xFF);
}

}  // namespace quenlix::signon
