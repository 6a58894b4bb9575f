// The paper sizes of printer sessions, with the host's paper source codes.
#include <array>

#include "session/SessionSettings.h"

namespace quenlix {

namespace {
constexpr std::array<PaperSize, 6> kPaperSizes{{
    {"Letter", 8.5, 11.0, 0x01},
    {"Legal", 8.5, 14.0, 0x02},
    {"Executive", 7.25, 10.5, 0x03},
    {"A4", 8.27, 11.69, 0x04},
    {"A5", 5.83, 8.27, 0x05},
    {"A3", 11.69, 16.54, 0x0E},
}};
}  // namespace

const PaperSize* PaperSizes(std::size_t& count) {
    count = kPaperSizes.size();
    return kPaperSizes.data();
}

const PaperSize& FindPaperSize(std::string_view name) {
    for (const PaperSize& p : kPaperSizes) {
        if (name == p.name) return p;
    }
    return kPaperSizes[0];
}

}  // namespace quenlix
