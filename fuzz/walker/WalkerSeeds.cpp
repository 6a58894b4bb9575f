// Writes the walker harness's seeds: the records of the sample screens and
// of odd command streams, each after a set-up byte.
#include <cstdio>
#include <string>

#include "support/SampleScreens.h"
#include "support/WireRecords.h"

using namespace quenlix;

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s <corpus folder>\n", argv[0]);
        return 2;
    }
    const std::vector<Bytes> enhanced = samples::EnhancedInterfaceRecords();
    std::vector<Bytes> wire = {samples::SignOnScreen(),
                               samples::FullScreen(24, 80, 10),
                               samples::FullScreen(27, 132, 40),
                               RecordBuilder().roll(0x83, 2, 10).readInputFields().record(),
                               RecordBuilder(ds::kOpSaveScreen).raw({0x04, 0x02}).record(),
                               RecordBuilder(ds::kOpOutputOnly).queryStructuredField().record(),
                               RecordBuilder().writeErrorCode().text("ERROR").record(),
                               RecordBuilder()
                                   .writeToDisplay()
                                   .sba(5, 5)
                                   .startOfFieldResequenced(0x40, 0, 1, 0x27, 4)
                                   .text("SECRET")
                                   .record(),
                               RecordBuilder(ds::kOpCancelInvite).record()};
    wire.insert(wire.end(), enhanced.begin(), enhanced.end());
    int n = 0;
    for (const Bytes& framed : wire) {
        for (const Bytes& record : WireRecords(framed)) {
            for (std::uint8_t mode : {0, 1, 2, 3}) {
                const std::string path = std::string(argv[1]) + "/seed-" + std::to_string(n++);
                std::FILE* f = std::fopen(path.c_str(), "wb");
                if (!f) return 1;
                std::fputc(mode, f);
                std::fwrite(record.data(), 1, record.size(), f);
                std::fclose(f);
            }
        }
    }
    return 0;
}
