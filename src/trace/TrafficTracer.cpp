// Hex lines with masked bytes, and the described lines after them.
#include "trace/TrafficTracer.h"

namespace quenlix {

namespace {
constexpr char kDigits[] = "0123456789abcdef";
constexpr const char* kIndent = "  ";
}  // namespace

TrafficTracer::TrafficTracer(const ScreenMemory& screen, bool maskSecrets)
    : screen_(screen),
      received_(RecordSource::kHost, options_, screen_),
      sent_(RecordSource::kTerminal, options_, screen_) {
    options_.maskSecrets = maskSecrets;
}

void TrafficTracer::SetTextTables(const std::array<std::uint8_t, 256>& etoa,
                                  const PcCharset& charset) {
    options_.etoa = &etoa;
    options_.charset = &charset;
}

std::vector<std::string> TrafficTracer::Received(const std::uint8_t* bytes, std::size_t count) {
    return Piece(received_, kReceivedPrefix, bytes, count);
}

std::vector<std::string> TrafficTracer::Sent(const std::uint8_t* bytes, std::size_t count) {
    return Piece(sent_, kSentPrefix, bytes, count);
}

std::vector<std::string> TrafficTracer::Piece(StreamDescriber& stream, const char* prefix,
                                              const std::uint8_t* bytes, std::size_t count) {
    std::vector<bool> secret;
    std::vector<std::string> described;
    stream.Feed(bytes, count, secret, described);
    std::vector<std::string> lines;
    lines.reserve(described.size() + 1);
    std::string hex = prefix;
    hex.reserve(hex.size() + 2 * count);
    for (std::size_t i = 0; i < count; ++i) {
        if (options_.maskSecrets && secret[i]) {
            hex += kMaskedByte;
        } else {
            hex += kDigits[bytes[i] >> 4];
            hex += kDigits[bytes[i] & 0x0F];
        }
    }
    lines.push_back(std::move(hex));
    for (std::string& line : described) lines.push_back(kIndent + line);
    return lines;
}

std::vector<std::string> TrafficTracer::Finish() {
    std::vector<std::string> described;
    received_.Finish(described);
    sent_.Finish(described);
    for (std::string& line : described) line.insert(0, kIndent);
    return described;
}

}  // namespace quenlix
