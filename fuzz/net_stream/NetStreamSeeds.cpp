// Writes the seed corpus of fuzz_net_stream into the folder given as the
// only argument: a whole session's negotiation and records, a server's
// plain-text refusal, records with doubled IAC, and an endless block.
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "NetStreamInput.h"
#include "ds5250/RecordBuilder.h"
#include "telnet/TelnetCodes.h"

namespace {

using Bytes = quenlix::Bytes;
using namespace quenlix::telnet;

constexpr std::uint8_t IAC = kIAC;

void Add(Bytes& out, std::initializer_list<std::uint8_t> bytes) { out.insert(out.end(), bytes); }
void Add(Bytes& out, const std::string& text) { out.insert(out.end(), text.begin(), text.end()); }

Bytes Negotiation() {
    const std::uint8_t DO = Byte(Command::DO), WILL = Byte(Command::WILL);
    const std::uint8_t SB = Byte(Command::SB), SE = Byte(Command::SE);
    Bytes out;
    Add(out, {IAC, DO, Byte(Option::TERMINAL_TYPE)});
    Add(out, {IAC, SB, Byte(Option::TERMINAL_TYPE), Byte(Subnegotiation::SEND), IAC, SE});
    Add(out, {IAC, DO, Byte(Option::NEW_ENVIRON)});
    Add(out, {IAC, SB, Byte(Option::NEW_ENVIRON), Byte(Subnegotiation::SEND),
              Byte(EnvironCode::USERVAR)});
    Add(out, std::string("IBMRSEED"));
    Add(out, {Byte(EnvironCode::VALUE), 0x18, 0xF0, IAC, IAC, 0x27, 0x01, 0x02, 0x03, 0x04,
              Byte(EnvironCode::VAR), IAC, SE});
    Add(out, {IAC, DO, Byte(Option::END_OF_RECORD), IAC, WILL, Byte(Option::END_OF_RECORD)});
    Add(out, {IAC, DO, Byte(Option::TRANSMIT_BINARY), IAC, WILL, Byte(Option::TRANSMIT_BINARY)});
    return out;
}

// A 5250 record framed as a host sends it (0xFF doubled, IAC EOR).
Bytes Record(std::uint8_t opcode, const Bytes& payload) {
    return quenlix::FrameRecord(opcode, payload);
}

void Write(const std::string& folder, const char* name, std::uint8_t flags, std::uint16_t seed,
           const Bytes& stream) {
    const std::string path = folder + "/" + name;
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) return;
    const std::uint8_t header[] = {flags, static_cast<std::uint8_t>(seed >> 8),
                                   static_cast<std::uint8_t>(seed)};
    std::fwrite(header, 1, sizeof header, f);
    std::fwrite(stream.data(), 1, stream.size(), f);
    std::fclose(f);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <seed folder>\n", argv[0]);
        return 2;
    }
    const std::string folder = argv[1];
    using namespace quenlix::fuzz;

    Bytes session = Negotiation();
    const Bytes clear = Record(0x03, {0x04, 0x40});
    const Bytes write = Record(0x03, {0x04, 0x11, 0x00, 0x01, 0x11, 0x01, 0x01, 0xC1, 0xFF, 0xEF});
    session.insert(session.end(), clear.begin(), clear.end());
    session.insert(session.end(), write.begin(), write.end());
    Write(folder, "session", kFlagAutoSignOn, 0x1234, session);
    Write(folder, "session-sysreq-failing", kFlagSysReqMode | kFlagSendsFail, 0x0101, session);

    Bytes refusal;
    Add(refusal, std::string("Connection refused\r\nTry later\r\n"));
    Write(folder, "plain-text", kFlagWideScreen, 0x0042, refusal);

    Bytes endless = Negotiation();
    Add(endless, {0x7F, 0xFF, 0x12, 0xA0, IAC, IAC, 0x41, 0x42});
    Write(folder, "endless-block", kFlagRepeat, 0x0777, endless);
    return 0;
}
