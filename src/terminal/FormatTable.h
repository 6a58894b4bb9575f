// The table of input fields the host defined with Start of Field orders.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>

namespace quenlix {

/// One input field. `row` and `column` are 1-based and name the field's
/// attribute position; the first data position follows it.
struct FieldEntry {
    std::int32_t length = 0;  ///< number of data positions
    std::int32_t row = 0;
    std::int32_t column = 0;
    std::uint8_t attribute = 0x20;  ///< screen attribute byte, 0x20..0x3F
    std::int32_t mdt = 0;           ///< modified data tag (FFW1 0x08)
    std::int32_t bypass = 0;        ///< FFW1 0x20
    std::int32_t dupEnable = 0;     ///< FFW1 0x10
    std::int32_t autoEnter = 0;     ///< FFW2 0x80
    std::int32_t fieldExitRequired = 0;  ///< FFW2 0x40
    std::int32_t monocase = 0;           ///< FFW2 0x20
    std::int32_t shiftEdit = 0;          ///< ds::ShiftEdit, FFW1's low three bits
    std::int32_t mandatoryEnter = 0;     ///< FFW2 0x08
    std::int32_t fillType = 0;  ///< ds::FillType, FFW2's low three bits
    std::int32_t ffw1 = 0;      ///< FFW byte 1 as received, 0 without FFW
    std::int32_t ffw2 = 0;
    std::int32_t fcw1 = 0;  ///< 0x80 when a resequencing FCW came with the field
    std::int32_t fcw2 = 0;  ///< index of the next field in the host's read order

    friend bool operator==(const FieldEntry&, const FieldEntry&) = default;
};

/// At most 256 FieldEntries in definition order. Entries at and beyond
/// `fieldCount` are stale and unreachable through `entry`.
class FormatTable {
public:
    /// The table's size, fixed by the data stream's field numbering.
    static constexpr int kCapacity = 256;

    int fieldCount() const { return fieldCount_; }
    bool full() const { return fieldCount_ >= kCapacity; }

    /// The entry at index, or nullptr when index is not in 0 .. fieldCount-1.
    FieldEntry* entry(int index) {
        return index >= 0 && index < fieldCount_ ? &entries_[static_cast<std::size_t>(index)] : nullptr;
    }
    const FieldEntry* entry(int index) const {
        return index >= 0 && index < fieldCount_ ? &entries_[static_cast<std::size_t>(index)] : nullptr;
    }

    /// Appends an entry (initialised to `value`) and returns its index, or -1
    /// when the table already holds 256 entries.
    int Append(const FieldEntry& value);

    /// Index of the entry whose attribute position is (row, column), 1-based,
    /// or -1.
    int Find(int row, int column) const;

    /// fieldCount 0, currentField -1, noInputField 1. Entries are not erased.
    void ClearFormatTable();

    /// Index of the field being defined or chosen for the cursor; -1 none.
    int currentField = -1;
    /// 1 while every field with an FFW since the last clear is a bypass field.
    int noInputField = 1;

private:
    std::array<FieldEntry, kCapacity> entries_{};
    int fieldCount_ = 0;
};

}  // namespace quenlix
