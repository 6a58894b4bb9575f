// Writes the interpreter fuzzer's seed corpus: the sample screens, each for
// both screen sizes, alone and as a run of blocks.
#include <cstdio>
#include <string>

#include "support/SampleScreens.h"

using namespace quenlix;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::vector<Bytes> enhanced = samples::EnhancedInterfaceRecords();
    std::vector<Bytes> seeds = {samples::SignOnScreen(), samples::FullScreen(24, 80, 10),
                                samples::FullScreen(27, 132, 40),
                                RecordBuilder().roll(0x83, 2, 10).readInputFields().record(),
                                RecordBuilder(0x04).raw({0x04, 0x02}).record(),
                                RecordBuilder(0x02).queryStructuredField().record(),
                                // Several blocks: a screen, a resequenced field whose
                                // message box may run the next one, an error line.
                                Concat({samples::SignOnScreen(),
                                        RecordBuilder()
                                            .writeToDisplay()
                                            .sba(5, 5)
                                            .startOfFieldResequenced(0x40, 0, 1, 0x20, 4)
                                            .record(),
                                        RecordBuilder().writeErrorCode().text("ERROR").record(),
                                        RecordBuilder(ds::kOpCancelInvite).record()})};
    seeds.insert(seeds.end(), enhanced.begin(), enhanced.end());
    int n = 0;
    for (const Bytes& seed : seeds) {
        // Bits 5-6 pick the answer at the end: each of the four is seeded.
        for (std::uint8_t mode : {0, 1, 2, 7, 16, 25, 0x21, 0x42, 0x67}) {
            const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) return 1;
            std::fputc(mode, f);
            std::fwrite(seed.data(), 1, seed.size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
