// The describer's memory of the host's screen, kept by the interpreter's
// rules for fields, write positions and Roll.
#include "ds5250/ScreenMemory.h"

#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "terminal/TerminalState.h"

namespace quenlix {

ScreenMemory::ScreenMemory(int columns, int rows)
    : columns_(std::clamp(columns, 1, PresentationSpace::kMaxColumns)),
      rows_(std::clamp(rows, 1, PresentationSpace::kMaxRows)) {}

ScreenMemory ScreenMemory::Of(const Terminal& terminal) {
    const bool sized = terminal.columns() > 0 && terminal.rows() > 0;
    ScreenMemory m(sized ? terminal.columns() : 80, sized ? terminal.rows() : 24);
    const FormatTable& table = terminal.formatTable;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const FieldEntry& e = *table.entry(i);
        m.fields_.Append(e);
        if (ds::IsNonDisplayAttribute(e.attribute)) m.HideField(e);
    }
    m.resequenceField = terminal.state.hostFormat.resequenceField;
    m.errorRow = terminal.state.hostFormat.errorRow;
    m.pendingRead = terminal.state.pendingRead;
    return m;
}

void ScreenMemory::ClearUnit(int columns, int rows) {
    *this = ScreenMemory(columns, rows);
    errorRow = 24;
}

void ScreenMemory::ClearFields() {
    fields_.ClearFormatTable();
    hidden_.reset();
}

FieldEntry* ScreenMemory::DefineField(int row, int column) {
    int index = fields_.Find(row, column);
    if (index < 0) {
        FieldEntry fresh;
        fresh.row = row;
        fresh.column = column;
        fresh.bypass = 1;
        index = fields_.Append(fresh);
    }
    return fields_.entry(index);
}

void ScreenMemory::HideField(const FieldEntry& field) {
    MarkHidden(FirstDataPosition(field, columns_), field.length);
}

void ScreenMemory::MarkHidden(int first, int length) {
    // A field may be recorded longer than the screen: only its positions on
    // the screen are marked.
    const int from = std::max(first, 0);
    const int to = std::min(first + std::max(length, 0), cellCount());
    for (int p = from; p < to; ++p) {
        hidden_.set(Bit(p));
        secret_.set(Bit(p));
    }
}

void ScreenMemory::AttributeWrittenAt(int position, std::uint8_t attribute) {
    // The interpreter gives the attribute to the field whose mark the next
    // cell carries: the last field defined over it.
    const int next = position + 1;
    for (int i = fields_.fieldCount() - 1; i >= 0; --i) {
        FieldEntry& e = *fields_.entry(i);
        const int first = FirstDataPosition(e, columns_);
        if (next >= first && next < first + e.length) {
            e.attribute = attribute;
            if (ds::IsNonDisplayAttribute(attribute)) HideField(e);
            return;
        }
    }
}

void ScreenMemory::HostDataWrittenAt(int position) {
    if (contains(position) && !hidden_[Bit(position)]) secret_.reset(Bit(position));
}

void ScreenMemory::Roll(int top, int bottom, int shift, bool down) {
    const int first = HostPosition(top, 1, columns_);
    const int last = bottom * columns_ - 1;
    const int by = shift * columns_;
    auto move = [&](int from, int to) {
        if (!contains(from) || !contains(to)) return;
        secret_[Bit(to)] = secret_[Bit(from)];
    };
    if (down) {
        for (int q = last; q >= first; --q) move(q, q + by);
    } else {
        for (int q = first; q <= last; ++q) move(q, q - by);
    }
}

std::vector<int> ScreenMemory::ReadOrder() const {
    std::vector<int> order;
    const int count = fields_.fieldCount();
    std::bitset<FormatTable::kCapacity> visited;
    int i = resequenceField - 1 < 0 ? 0 : resequenceField - 1;
    while (i >= 0 && i < count && !visited[static_cast<std::size_t>(i)]) {
        visited[static_cast<std::size_t>(i)] = true;
        order.push_back(i);
        i = resequenceField == 0 ? i + 1 : fields_.entry(i)->fcw2;
    }
    return order;
}

int ScreenMemory::FieldStartingAt(int position) const {
    for (int i = 0; i < fields_.fieldCount(); ++i) {
        if (FirstDataPosition(*fields_.entry(i), columns_) == position) return i;
    }
    return -1;
}

}  // namespace quenlix
