// The enhanced interface's selection fields and scroll bars: Define
// Selection Field lays its choices out from the write address, after the
// input field that carries the answer when one starts there, and writes
// their text as a display without a pointer device shows it; Define Scroll
// Bar keeps a bar beside the host's list. Each operand is checked against
// the structure and each choice against the screen before anything changes.
#include <algorithm>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/TN5250.h"
#include "terminal/SelectionAnswer.h"

namespace quenlix {

using namespace ds;

namespace {

constexpr std::uint8_t kEbcdicZero = 0xF0;
constexpr std::uint8_t kEbcdicNine = 0xF9;
constexpr std::uint8_t kEbcdicPeriod = 0x4B;
/// Cells before a choice's text in a field with indicators: its number in
/// two places, the separator and a blank ("12. ").
constexpr int kNumberedIndicatorWidth = 4;

std::uint32_t BigEndian32(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 24) | (static_cast<std::uint32_t>(p[1]) << 16) |
           (static_cast<std::uint32_t>(p[2]) << 8) | p[3];
}

ChoiceState StateOf(std::uint8_t flag) {
    switch (flag & kChoiceStateMask) {
        case kChoiceSelected: return ChoiceState::kSelected;
        case kChoiceUnavailable: return ChoiceState::kUnavailable;
        default: return ChoiceState::kAvailable;  // 0x40, and the reserved 0x00
    }
}

}  // namespace

void CTN5250::DefineSelectionField(const DisplayStructuredField& structure) {
    const std::size_t count = structure.kept();
    const std::uint8_t* d = structure.bytes.data();
    if (count < kSelectionFixedBytes) {
        StopWithNegativeResponse(kSenseStructuredFieldLength);
        return;
    }
    // A field meant only for displays with a pointer device: the query
    // reply said this one has none, so the host sends another for it.
    if ((d[0] & kSelectionMouseMask) == kSelectionOnlyWithMouse) return;
    if (!IsSelectionKind(d[kSelectionTypeAt])) {
        StopWithNegativeResponse(kSenseStructuredFieldParameter);
        return;
    }
    SelectionField f;
    f.kind = static_cast<SelectionKind>(d[kSelectionTypeAt]);
    f.autoEnter = (d[0] & kSelectionAutoEnterMask) != 0;
    f.cancelAid = d[kSelectionCancelAidAt];
    if (d[kSelectionCharacterAt] != 0) {
        f.selectionCharacter = d[kSelectionCharacterAt];
        f.selectionPc = ToPc(f.selectionCharacter);
    }
    const std::uint8_t separator = d[kSelectionSeparatorAt] ? d[kSelectionSeparatorAt] : kEbcdicPeriod;
    std::size_t at = kSelectionFixedBytes;
    if (d[1] & kSelectionHasScrollBar) {
        if (count < at + kSelectionScrollBytes) {
            StopWithNegativeResponse(kSenseStructuredFieldLength);
            return;
        }
        at += kSelectionScrollBytes;  // the list's own bar is drawn by Define Scroll Bar
    }

    // The choices, each minor structure within the field's bytes.
    for (; at < count;) {
        const std::size_t length = d[at];
        if (length < 2 || at + length > count) {
            StopWithNegativeResponse(kSenseMinorStructureLength);
            return;
        }
        const std::size_t end = at + length;
        if (d[at + 1] == kMinorChoiceText) {
            if (length < kChoiceFixedBytes) {
                StopWithNegativeResponse(kSenseMinorStructureLength);
                return;
            }
            const std::uint8_t f1 = d[at + 2];
            const std::uint8_t f2 = d[at + 3];
            const std::uint8_t f3 = d[at + 4];
            std::size_t p = at + kChoiceFixedBytes;
            SelectionChoice c;
            c.state = StateOf(f1);
            c.takesCursor = (f2 & kChoiceNoCursor) == 0;
            int mnemonic = -1;  // -2: an operand the flags name is missing
            if (f1 & kChoiceHasMnemonic) mnemonic = p < end ? d[p++] : -2;
            if (f1 & kChoiceHasAid) {
                if (p < end) {
                    c.aid = d[p++];
                } else {
                    mnemonic = -2;
                }
            }
            const int digits = f1 & kChoiceDigitsMask;
            if (digits == 3) {
                StopWithNegativeResponse(kSenseMinorStructureParameter);
                return;
            }
            int number = 0;
            for (int k = 0; k < digits; ++k) {
                if (p >= end) {
                    mnemonic = -2;
                    break;
                }
                const std::uint8_t b = d[p++];
                number = (b >= kEbcdicZero && b <= kEbcdicNine) ? number * 10 + (b - kEbcdicZero) : -100;
            }
            if (mnemonic == -2) {
                StopWithNegativeResponse(kSenseMinorStructureLength);
                return;
            }
            // Only the structures meant for a display like this one count;
            // the host sends the others for other displays.
            if ((f3 & kChoiceForUnderliningDisplay) != 0) {
                if (f.choices.size() >= SelectionField::kMaxChoices) {
                    StopWithNegativeResponse(kSenseStructuredFieldParameter);
                    return;
                }
                c.number = number > 0 ? number : static_cast<int>(f.choices.size()) + 1;
                for (; p < end && c.text.size() < SelectionChoice::kMaxTextLength; ++p) {
                    c.text += static_cast<char>(ToPc(d[p]));
                }
                c.mnemonic = mnemonic >= 0 && static_cast<std::size_t>(mnemonic) < c.text.size() ? mnemonic : -1;
                f.choices.push_back(std::move(c));
            }
        }
        at = end;
    }

    // Where the choices go: after the answer field when the host started
    // one at the write address, else from the write address.
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    f.row = r_.writeRow;
    f.column = r_.writeColumn;
    const int columns = t_.columns();
    const int here = HostPosition(f.row, f.column, columns);
    if (!t_.screen.contains(here)) {
        StopWithNegativeResponse(kSenseStructuredFieldParameter);
        return;
    }
    int startColumn = f.column;
    for (int i = 0; i < t_.formatTable.fieldCount(); ++i) {
        const FieldEntry* e = t_.formatTable.entry(i);
        if (e && !e->bypass && FirstDataPosition(*e, columns) == here) {
            f.answerPosition = here;
            f.answerLength = e->length;
            startColumn = f.column + e->length + 1;
            break;
        }
    }
    std::size_t longest = 0;
    for (const SelectionChoice& c : f.choices) longest = std::max(longest, c.text.size());
    f.textWidth = d[kSelectionTextSizeAt] ? d[kSelectionTextSizeAt] : static_cast<int>(longest);
    f.indicatorWidth =
        (f.buttons() || f.kind == SelectionKind::kMenuBar) ? 0 : kNumberedIndicatorWidth;
    const int buttonEdges = f.buttons() ? 2 : 0;
    const int cellWidth = f.indicatorWidth + f.textWidth + buttonEdges;
    const bool across = f.kind == SelectionKind::kMenuBar || f.buttons();
    const int perRow = d[kSelectionColumnsAt] ? d[kSelectionColumnsAt]
                       : across                ? std::max<int>(1, static_cast<int>(f.choices.size()))
                                               : 1;
    const int padding = d[kSelectionPaddingAt];
    for (std::size_t k = 0; k < f.choices.size(); ++k) {
        SelectionChoice& c = f.choices[k];
        const int place = static_cast<int>(k);
        c.row = f.row + place / perRow;
        c.column = startColumn + (place % perRow) * (cellWidth + padding);
        c.width = cellWidth;
        if (c.row > t_.rows() || c.column + c.width - 1 > columns) {
            StopWithNegativeResponse(kSenseStructuredFieldParameter);
            return;
        }
    }
    if (!t_.constructs.AddSelectionField(f)) {
        StopWithNegativeResponse(kSenseStructuredFieldParameter);
        return;
    }
    r_.changed = true;
    DrawSelectionField(f, separator);
    // The host's default choice is the answer to start with; with none the
    // field keeps what the host wrote into it.
    if (std::any_of(f.choices.begin(), f.choices.end(),
                    [](const SelectionChoice& c) { return c.state == ChoiceState::kSelected; })) {
        WriteSelectionAnswer(t_, f, false);
    }
}

void CTN5250::DrawSelectionField(const SelectionField& f, std::uint8_t separator) {
    const int columns = t_.columns();
    auto put = [&](int row, int column, std::uint8_t pc) {
        t_.SetCell(HostPosition(row, column, columns), links_.tables.ToEbcdic(CodePage(), pc), pc);
    };
    for (const SelectionChoice& c : f.choices) {
        int col = c.column;
        if (f.indicatorWidth > 0) {
            put(c.row, col++, c.number >= 10 ? static_cast<std::uint8_t>('0' + c.number / 10) : ' ');
            put(c.row, col++, static_cast<std::uint8_t>('0' + c.number % 10));
            t_.SetCell(HostPosition(c.row, col++, columns), separator, ToPc(separator));
            put(c.row, col++, ' ');
        }
        if (f.buttons()) put(c.row, col++, '<');
        for (int k = 0; k < f.textWidth; ++k) {
            const auto i = static_cast<std::size_t>(k);
            put(c.row, col++, i < c.text.size() ? static_cast<std::uint8_t>(c.text[i]) : ' ');
        }
        if (f.buttons()) put(c.row, col, '>');
    }
}

void CTN5250::DefineScrollBar(const DisplayStructuredField& structure) {
    const std::size_t count = structure.kept();
    const std::uint8_t* d = structure.bytes.data();
    if (count < kScrollBarFixedBytes) {
        StopWithNegativeResponse(kSenseStructuredFieldLength);
        return;
    }
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    HostScrollBar bar;
    bar.row = r_.writeRow;
    bar.column = r_.writeColumn;
    bar.horizontal = (d[0] & kScrollBarHorizontal) != 0;
    bar.total = BigEndian32(d + 2);
    bar.slider = BigEndian32(d + 6);
    bar.size = d[10];
    const int lastRow = bar.horizontal ? bar.row : bar.row + bar.size - 1;
    const int lastColumn = bar.horizontal ? bar.column + bar.size - 1 : bar.column;
    // Two arrows and a slider at least; wholly on the screen.
    if (bar.size < 3 || bar.row < 1 || lastRow > t_.rows() || lastColumn > t_.columns()) {
        StopWithNegativeResponse(kSenseStructuredFieldParameter);
        return;
    }
    if (!t_.constructs.AddScrollBar(bar)) {
        StopWithNegativeResponse(kSenseStructuredFieldParameter);
        return;
    }
    r_.changed = true;
    t_.damage.All();
}

void CTN5250::RemoveSelectionConstruct(std::uint8_t type) {
    if (r_.writeColumn > t_.columns()) {
        ++r_.writeRow;
        r_.writeColumn = 1;
    }
    const bool removed = type == kWdsfRemoveSelectionField
                             ? t_.constructs.RemoveSelectionField(r_.writeRow, r_.writeColumn)
                             : t_.constructs.RemoveScrollBar(r_.writeRow, r_.writeColumn);
    if (removed) {
        // The choices' text stays as host data; only what was drawn over it goes.
        r_.changed = true;
        t_.damage.All();
    }
}

}  // namespace quenlix
