// Writes the SCS harness's seeds: pages of the demo host's report and of
// every control, as records after the mode byte.
#include <cstdio>
#include <string>
#include <vector>

#include "scs/PrinterRecords.h"
#include "scs/ScsBuilder.h"

using namespace quenlix::scs;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::vector<std::vector<std::uint8_t>> pieces = {
        ScsBuilder()
            .horizontalFormat(80, 5, 70, {11, 41, 53})
            .verticalFormat(66, 2, 60, {10})
            .text("Item")
            .tab()
            .text("Qty")
            .newLine()
            .take(),
        ScsBuilder()
            .lineDensity(9)
            .characterDistance(12)
            .graphicErrorAction(1)
            .codePage(37)
            .text("DENSE")
            .formFeed()
            .take(),
        ScsBuilder()
            .absoluteHorizontal(60)
            .text("Page 1")
            .absoluteVertical(5)
            .relativeVertical(2)
            .relativeHorizontal(3)
            .text("X")
            .carriageReturn()
            .lineFeed()
            .bell()
            .take(),
        ScsBuilder().transparent({0xC1, 0x15, 0x0C}).bytes({0x0B, 0x16, 0x3F, 0x28, 1, 2}).take(),
        PrintRecord(ScsBuilder().text("HELLO").newLine().take()),
        PrintRecord({}, true),
        PrintRecord(ScsBuilder().characterDistance(10).formFeed().take()),
        StartupResponseRecord("I902", "DEMO", "PRT01"),
        ClearRecord(),
    };
    int n = 0;
    for (const auto& piece : pieces) {
        if (piece.size() > 255) continue;
        for (std::uint8_t mode : {0, 1, 2}) {
            const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++);
            std::FILE* f = std::fopen(path.c_str(), "wb");
            if (!f) return 1;
            std::fputc(mode, f);
            std::fputc(static_cast<int>(piece.size()), f);
            std::fwrite(piece.data(), 1, piece.size(), f);
            std::fclose(f);
        }
    }
    return 0;
}
