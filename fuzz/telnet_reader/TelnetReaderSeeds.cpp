// Writes the telnet reader harness's seeds: a negotiation with the host's
// environment request, the sample screens as they travel, and a record with
// doubled 0xFF, each after a byte that picks the pieces.
#include <cstdio>
#include <string>

#include "support/SampleScreens.h"

using namespace quenlix;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const Bytes negotiation = {0xFF, 0xFD, 0x27, 0xFF, 0xFD, 0x18, 0xFF, 0xFA, 0x18, 0x01,
                               0xFF, 0xF0, 0xFF, 0xFA, 0x27, 0x01, 0x03, 'I',  'B',  'M',
                               'R',  'S',  'E',  'E',  'D',  0x01, 0xFF, 0xFF, 0x02, 0xFF,
                               0xF0, 0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x00, 0xFF, 0xF1};
    const Bytes streams[] = {negotiation, Concat({negotiation, samples::SignOnScreen()}),
                             samples::FullScreen(24, 80, 10),
                             RecordBuilder().writeToDisplay().sba(2, 2).raw({0xFF, 0xFF, 0xC1})
                                 .record()};
    int n = 0;
    for (const Bytes& stream : streams) {
        for (std::uint8_t piece : {0, 1, 2, 6, 13}) {
            const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) return 1;
            std::fputc(piece, f);
            std::fwrite(stream.data(), 1, stream.size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
