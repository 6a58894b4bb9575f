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
    const Bytes seeds[] = {samples::SignOnScreen(), samples::FullScreen(24, 80, 10),
                           samples::FullScreen(27, 132, 40),
                           RecordBuilder().roll(0x83, 2, 10).readInputFields().record(),
                           RecordBuilder(0x04).raw({0x04, 0x02}).record(),
                           RecordBuilder(0x02).queryStructuredField().record(),
                           // Several blocks: a screen, a resequenced field whose
                           // message box may run the next one, an error line.
                           Concat({samples::SignOnScreen(),
                                   RecordBuilder().writeToDisplay().sba(5, 5)
                                       .startOfFieldResequenced(0x40, 0, 1, 0x20, 4).record(),
                                   RecordBuilder().writeErrorCode().text("ERROR").record(),
                                   RecordBuilder(ds::kOpCancelInvite).record()}),
                           RecordBuilder().writeToDisplay().sba(2, 2)
                               .eraseToAddress(2, 20, {0x01, 0x03})
                               .moveCursor(3, 3).transparentData({0x11, 0x04, 0xC1})
                               .writeExtendedAttribute(0x01, 0x80)
                               .writeExtendedAttribute(0x03, 0xF2).text("X").record(),
                           RecordBuilder().writeToDisplay().sba(5, 10)
                               .displayStructuredField(0x51, {0x80, 0, 0, 5, 20, 0x0A, 0x10, 0, 0,
                                                              0, 0, 0xC1, 0xC2, 0xC3, 0xC4})
                               .displayStructuredField(0x50, {0, 0, 0, 0x11})
                               .displayStructuredField(0x53, {0, 0, 0, 0})
                               .displayStructuredField(0x55, {}).displayStructuredField(0x60, {0})
                               .displayStructuredField(0x61, {0})
                               .displayStructuredField(0x52, {0, 0, 0})
                               .displayStructuredField(0x59, {0, 0, 0})
                               .displayStructuredField(0x5F, {0, 0}).record(),
                           RecordBuilder(ds::kOpOutputOnly).writeErrorCodeToWindow(5, 30)
                               .text("WINDOW ERROR").savePartialScreen(2, 2, 5, 20)
                               .restorePartialScreen(2, 2, 5, 20).writeToDisplay().record()};
    int n = 0;
    for (const Bytes& seed : seeds) {
        for (std::uint8_t mode : {0, 1, 2, 7, 16, 25}) {
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
