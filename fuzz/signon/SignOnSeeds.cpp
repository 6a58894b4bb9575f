// Writes the seed corpus of fuzz_signon into the folder given as the only
// argument: the reply recorded from a V7R5 host, port mapper answers, and
// SEND payloads with a plain, an escaped and a missing seed.
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "SignOnInput.h"

namespace {

using Bytes = std::vector<unsigned char>;

void Write(const std::string& dir, const char* name, unsigned char target, const Bytes& body) {
    std::ofstream out(dir + "/" + name, std::ios::binary);
    out.put(static_cast<char>(target));
    out.write(reinterpret_cast<const char*>(body.data()),
              static_cast<std::streamsize>(body.size()));
}

Bytes Text(const char* text) { return Bytes(text, text + std::char_traits<char>::length(text)); }

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes out;
    for (const Bytes& p : parts) out.insert(out.end(), p.begin(), p.end());
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    using namespace quenlix::fuzz;
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::string dir = argv[1];
    const Bytes recorded = {0x00, 0x00, 0x00, 0x5E, 0x00, 0x00, 0xE0, 0x09, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0x00, 0x00, 0x04, 0xF0, 0x03, 0x00, 0x00, 0x00, 0x00,
                            0x00, 0x00, 0x00, 0x0A, 0x11, 0x01, 0x00, 0x07, 0x05, 0x00, 0x00, 0x00,
                            0x00, 0x08, 0x11, 0x02, 0x00, 0x0F, 0x00, 0x00, 0x00, 0x0E, 0x11, 0x03,
                            0x2F, 0xA8, 0xC1, 0xF7, 0xF1, 0xCE, 0x7C, 0xE5, 0x00, 0x00, 0x00, 0x07,
                            0x11, 0x19, 0x03, 0x00, 0x00, 0x00, 0x1F, 0x11, 0x1F, 0x00, 0x00, 0x00,
                            0x00, 0xF6, 0xF5, 0xF7, 0xF0, 0xF0, 0xF7, 0x61, 0xD8, 0xE4, 0xE2, 0xC5,
                            0xD9, 0x61, 0xD8, 0xE9, 0xE2, 0xD6, 0xE2, 0xC9, 0xC7, 0xD5};
    Write(dir, "attributes-v7r5", kAttributesReply, recorded);
    Write(dir, "portmapper-found", kPortMapperReply, {0x2B, 0x00, 0x00, 0x21, 0x1C});
    Write(dir, "portmapper-unknown", kPortMapperReply, {0x2D});

    const Bytes seedName = Join({{0x03}, Text("IBMRSEED")});
    const Bytes user = Join({{0x00}, Text("USER")});
    const Bytes password = Join({{0x03}, Text("IBMSUBSPW")});
    Write(
        dir, "send-seed", kEnvironSend,
        Join({{0x01}, user, seedName, {0xA1, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x07, 0x18}, password}));
    Write(dir, "send-escaped-seed", kEnvironSend,
          Join({{0x01},
                seedName,
                {0x02, 0x00, 0x02, 0x03, 0xFF, 0x02, 0x02, 0x10, 0x20, 0x30, 0x40},
                user}));
    Write(dir, "send-no-seed", kEnvironSend, Join({{0x01}, user, seedName, password}));
    return 0;
}
