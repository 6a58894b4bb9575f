#include "ds5250/SelectionFieldBuilder.h"

#include "ds5250/DataStreamCodes.h"

namespace quenlix {

using namespace ds;

SelectionFieldBuilder::SelectionFieldBuilder(SelectionKind kind, const TablePair& tables)
    : tables_(&tables), data_(kSelectionFixedBytes, 0x00) {
    data_[kSelectionTypeAt] = static_cast<std::uint8_t>(kind);
}

SelectionFieldBuilder& SelectionFieldBuilder::layout(int textWidth, int perRow, int padding) {
    data_[kSelectionTextSizeAt] = static_cast<std::uint8_t>(textWidth);
    data_[kSelectionColumnsAt] = static_cast<std::uint8_t>(perRow);
    data_[kSelectionPaddingAt] = static_cast<std::uint8_t>(padding);
    return *this;
}

SelectionFieldBuilder& SelectionFieldBuilder::autoEnter() {
    data_[0] |= 0x20;
    return *this;
}

SelectionFieldBuilder& SelectionFieldBuilder::onlyWithMouse() {
    data_[0] = static_cast<std::uint8_t>((data_[0] & ~kSelectionMouseMask) | kSelectionOnlyWithMouse);
    return *this;
}

SelectionFieldBuilder& SelectionFieldBuilder::choice(std::string_view text, ChoiceState state,
                                                     int number, int mnemonic, std::uint8_t aid,
                                                     bool forThis) {
    std::vector<std::uint8_t> m = {0x00, kMinorChoiceText, 0x00, 0x00,
                                   static_cast<std::uint8_t>(forThis ? kChoiceForAnyDisplayMask : 0x80)};
    std::uint8_t f1 = state == ChoiceState::kSelected      ? kChoiceSelected
                      : state == ChoiceState::kUnavailable ? kChoiceUnavailable
                                                           : kChoiceAvailable;
    if (mnemonic >= 0) {
        f1 |= kChoiceHasMnemonic;
        m.push_back(static_cast<std::uint8_t>(mnemonic));
    }
    if (aid != 0) {
        f1 |= kChoiceHasAid;
        m.push_back(aid);
    }
    if (number > 0) {
        if (number >= 10) {
            f1 |= 0x02;
            m.push_back(static_cast<std::uint8_t>(0xF0 + (number / 10) % 10));
        } else {
            f1 |= 0x01;
        }
        m.push_back(static_cast<std::uint8_t>(0xF0 + number % 10));
    }
    m[2] = f1;
    for (char c : text) m.push_back(tables_->ATOE[static_cast<std::uint8_t>(c)]);
    m[0] = static_cast<std::uint8_t>(m.size());
    return minor(m);
}

SelectionFieldBuilder& SelectionFieldBuilder::minor(const std::vector<std::uint8_t>& bytes) {
    data_.insert(data_.end(), bytes.begin(), bytes.end());
    return *this;
}

std::vector<std::uint8_t> ScrollBarData(bool horizontal, std::uint32_t total, std::uint32_t slider,
                                        int size) {
    std::vector<std::uint8_t> d = {static_cast<std::uint8_t>(horizontal ? kScrollBarHorizontal : 0x00),
                                   0x00};
    for (std::uint32_t v : {total, slider}) {
        for (int shift = 24; shift >= 0; shift -= 8) d.push_back(static_cast<std::uint8_t>(v >> shift));
    }
    d.push_back(static_cast<std::uint8_t>(size));
    return d;
}

}  // namespace quenlix
