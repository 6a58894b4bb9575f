// An input field as the host defines it on a screen, and where its data
// starts.
#pragma once

#include <cstdint>
#include <string>
#include <utility>

#include "demohost/ScreenCodes.h"

namespace quenlix::demohost {

/// An input field the host put on the screen.
struct FieldDef {
    std::string label;
    int row = 0;     ///< attribute position, 1-based
    int column = 0;
    std::uint8_t ffw1 = ds::kFfwPresent;
    std::uint8_t ffw2 = 0x00;
    std::uint8_t attribute = kAttrInput;
    int length = 0;  ///< data positions, the sign position of a signed field included
    std::string initial;

    ds::ShiftEdit shiftEdit() const { return ds::ShiftEditOf(ffw1); }
    ds::FillType fillType() const { return ds::FillTypeOf(ffw2); }
};

/// The 1-based address of a field's first data position: the next row's
/// first column when the attribute sits in the last column.
inline std::pair<int, int> DataAddress(const FieldDef& f, int columns) {
    if (f.column >= columns) return {f.row + 1, 1};
    return {f.row, f.column + 1};
}

}  // namespace quenlix::demohost
