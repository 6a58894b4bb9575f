// FormatTable bookkeeping.
#include "terminal/FormatTable.h"

namespace quenlix {

int FormatTable::Append(const FieldEntry& value) {
    if (full()) return -1;
    entries_[static_cast<std::size_t>(fieldCount_)] = value;
    return fieldCount_++;
}

int FormatTable::Find(int row, int column) const {
    for (int i = 0; i < fieldCount_; ++i) {
        const FieldEntry& e = entries_[static_cast<std::size_t>(i)];
        if (e.row == row && e.column == column) return i;
    }
    return -1;
}

void FormatTable::ClearFormatTable() {
    fieldCount_ = 0;
    currentField = -1;
    noInputField = 1;
}

}  // namespace quenlix
