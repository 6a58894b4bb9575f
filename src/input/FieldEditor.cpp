// Field editing on the presentation space and the FormatTable.
#include "input/FieldEditor.h"

#include <algorithm>
#include <cstring>

#include "input/KeyCodes.h"
#include "terminal/FieldFormatWord.h"
#include "input/KeyRefusal.h"
#include "terminal/Languages.h"

namespace quenlix {

namespace {

constexpr std::uint8_t kEbcdicMinus = 0x60;  // '-' in every EBCDIC code page
constexpr std::uint8_t kNegativeZone = 0xD0;
// The dup and field mark bytes: controls below 0x20, so never attribute
// bytes nor order codes, sent to the host as they are.
constexpr std::uint8_t kEbcdicDup = 0x1C;
constexpr std::uint8_t kEbcdicFieldMark = 0x1E;
// A field mark shows as a semicolon, the nearest mark every PC set has.
constexpr std::uint8_t kFieldMarkShown = ';';

bool IsAsciiLetter(std::uint8_t c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAsciiDigit(std::uint8_t c) { return c >= '0' && c <= '9'; }
std::uint8_t ToUpper(std::uint8_t c) { return c >= 'a' && c <= 'z' ? c - 'a' + 'A' : c; }

bool AcceptedByShiftEdit(int shiftEdit, std::uint8_t c) {
    switch (shiftEdit) {
        case ds::kShiftAlphabeticOnly:
            return IsAsciiLetter(c) || c == ' ' || c == ',' || c == '.' || c == '-';
        case ds::kShiftNumericOnly:
            return IsAsciiDigit(c) || c == ' ' || c == ',' || c == '.' || c == '+' || c == '-';
        case ds::kShiftDigitsOnly:
        case ds::kShiftSignedNumeric:
            return IsAsciiDigit(c);
        case ds::kShiftIo:
            return false;
        default:  // alphanumeric, numeric shift, katakana shift
            return true;
    }
}

}  // namespace

FieldEditor::FieldEditor(const InputLinks& links) : links_(links), t_(links.terminal) {}

bool FieldEditor::IsWordDelimiter(std::uint8_t c) {
    return c == 0 || std::memchr(kWordDelimiters, c, sizeof kWordDelimiters - 1) != nullptr;
}

FieldEntry* FieldEditor::FieldAt(int pos) {
    if (!t_.screen.contains(pos)) return nullptr;
    const ScreenCell& cell = t_.screen.at(pos);
    if (!cell.inField) return nullptr;
    return t_.formatTable.entry(cell.fieldIndex);
}

const FieldEntry* FieldEditor::FieldAt(int pos) const {
    if (!t_.screen.contains(pos)) return nullptr;
    const ScreenCell& cell = t_.screen.at(pos);
    if (!cell.inField) return nullptr;
    return t_.formatTable.entry(cell.fieldIndex);
}

int FieldEditor::FirstPosition(const FieldEntry& e) const {
    return FirstDataPosition(e, t_.columns());
}

int FieldEditor::LastPosition(const FieldEntry& e) const {
    // A field the host defined past the screen's end ends with the screen.
    return std::min(FirstPosition(e) + e.length - 1, t_.cellCount() - 1);
}

int FieldEditor::Next(int pos) const { return pos + 1 >= t_.cellCount() ? 0 : pos + 1; }

int FieldEditor::Previous(int pos) const { return pos <= 0 ? t_.cellCount() - 1 : pos - 1; }

bool FieldEditor::CopyCell(int from, int to) {
    if (!t_.screen.contains(from) || !t_.screen.contains(to)) return false;
    const bool attribute = IsAttributePosition(t_.screen.at(to));
    t_.MoveCell(from, to);
    return attribute;
}

bool FieldEditor::BlankCell(int pos) {
    if (!t_.screen.contains(pos)) return false;
    const bool attribute = IsAttributePosition(t_.screen.at(pos));
    // A non-display field shows blanks over real data: the EBCDIC byte
    // decides too, or the host would read a stale character back.
    t_.ChangeCell(pos, kEbcdicBlank, ' ');
    return attribute;
}


void FieldEditor::MoveCursor(int pos) {
    if (!t_.screen.contains(pos)) return;
    t_.SetCursorPosition(pos);
}

std::string_view FieldEditor::WhyRefused(int pos, std::uint8_t character) const {
    const FieldEntry* e = FieldAt(pos);
    if (e == nullptr || e->bypass) return refusal::kProtected;
    if (e->shiftEdit == ds::kShiftIo) return refusal::kNotKeyable;
    const ScreenCell& cell = t_.screen.at(pos);
    if (e->shiftEdit == ds::kShiftSignedNumeric && cell.fieldOffset + 1 == e->length) {
        return refusal::kSignPosition;
    }
    if (!AcceptedByShiftEdit(e->shiftEdit, character)) {
        switch (e->shiftEdit) {
            case ds::kShiftAlphabeticOnly: return refusal::kAlphabeticOnly;
            case ds::kShiftNumericOnly: return refusal::kNumericOnly;
            default: return refusal::kDigitsOnly;
        }
    }
    if (!IsDataCharacter(e->monocase ? ToUpper(character) : character)) {
        return refusal::kNotInCodePage;
    }
    return {};
}

bool FieldEditor::Validate(int pos, std::uint8_t character) const {
    return WhyRefused(pos, character).empty();
}

bool FieldEditor::IsDataCharacter(std::uint8_t character) const {
    const int page = links_.settings.PageCode;
    const std::uint8_t ebcdic = links_.tables.ToEbcdic(page, character);
    if (ebcdic < kEbcdicBlank || ebcdic == 0xFF) return false;
    // A character the code page lacks translates to a substitute ("?"):
    // the screen would show it while the host receives something else.
    return links_.tables.ToPc(page, ebcdic) == character;
}

int FieldEditor::LastDataPosition(const FieldEntry& e) const {
    // The sign position of a signed-numeric field takes no character.
    const int last = LastPosition(e);
    return e.shiftEdit == ds::kShiftSignedNumeric && e.length > 1 ? last - 1 : last;
}

bool FieldEditor::IsEmptyPosition(int pos) const {
    const int ebcdic = t_.screen.at(pos).ebcdic;
    return ebcdic == kEbcdicBlank || ebcdic == kEbcdicNull;
}

bool FieldEditor::PartlyFilled(const FieldEntry& e, int keptEnd) const {
    // Mandatory fill applies once the operator entered something: then the
    // field must be full, or empty, when it is left.
    if (e.fillType != ds::kFillMandatory || !e.mdt) return false;
    const int first = FirstPosition(e);
    const int last = LastDataPosition(e);
    if (first > last || !t_.screen.contains(first)) return false;
    bool filled = false, empty = keptEnd <= last;
    for (int p = first; p <= last && p < keptEnd; ++p) {
        if (IsEmptyPosition(p)) {
            empty = true;
        } else {
            filled = true;
        }
    }
    return filled && empty;
}

bool FieldEditor::CheckFieldsBeforeEnter() {
    const FormatTable& table = t_.formatTable;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const FieldEntry& e = *table.entry(i);
        if (e.bypass || !t_.screen.contains(FirstPosition(e))) continue;
        std::string_view why;
        if (e.mandatoryEnter && !e.mdt) {
            why = refusal::kMandatoryEnter;
        } else if (PartlyFilled(e, LastPosition(e) + 1)) {
            why = refusal::kMandatoryFill;
        }
        if (why.empty()) continue;
        RefuseKey(links_, why);
        t_.formatTable.currentField = i;
        MoveCursor(FirstPosition(e));
        return false;
    }
    return true;
}

void FieldEditor::WriteCharacter(int pos, std::uint8_t character) {
    FieldEntry* e = FieldAt(pos);
    if (e == nullptr) return;
    if (e->monocase) character = ToUpper(character);
    t_.SetCell(pos, links_.tables.ToEbcdic(links_.settings.PageCode, character),
               IsNonDisplay(e->attribute) ? ' ' : character);
    e->mdt = 1;
}

bool FieldEditor::EnterCharacter(std::uint8_t character) {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (e != nullptr && e->monocase) character = ToUpper(character);
    if (AwaitsFieldExit(pos)) {
        RefuseKey(links_, refusal::kFieldExitRequired);
        return false;
    }
    if (const std::string_view why = WhyRefused(pos, character); !why.empty()) {
        RefuseKey(links_, why);
        return false;
    }
    const int lastData = LastDataPosition(*e);
    // Insert shifts the rest of the field right; a field whose last position
    // holds a character has no room, and nothing is ever shifted out.
    if (t_.state.insertMode && !IsEmptyPosition(lastData)) {
        RefuseKey(links_, refusal::kFieldFull);
        return false;
    }

    t_.state.operatorModified = 1;
    e->mdt = 1;
    bool attribute = false;
    if (t_.state.insertMode) {
        for (int j = lastData - 1; j >= pos; --j) attribute |= CopyCell(j, j + 1);
    }
    attribute |= IsAttributePosition(t_.screen.at(pos));
    WriteCharacter(pos, character);

    // The last position of a field-exit-required field filled: the cursor
    // stays on it and the next data key is refused until an exit key.
    links_.input.fieldExitPending =
        e->fieldExitRequired && t_.screen.at(pos).fieldOffset == e->length - 1;
    if (links_.input.fieldExitPending) return attribute;
    if (e->autoEnter && !e->fieldExitRequired && pos == lastData) {
        // Record advance: the field's last position filled sends the Enter,
        // as data-entry screens and barcode scanners expect.
        if (CheckFieldsBeforeEnter()) links_.host.SendAutoEnter();
        return attribute;
    }
    AdvanceAfterEntry(pos);
    return attribute;
}

void FieldEditor::AdvanceAfterEntry(int pos) {
    int n = Next(pos);
    if (t_.screen.at(n).fieldIndex != -1) {
        MoveCursor(n);
        return;
    }
    // The automatic skip to the next input field's first position; one pass.
    for (int steps = 0; steps < t_.cellCount(); ++steps, n = Next(n)) {
        const ScreenCell& cell = t_.screen.at(n);
        if (cell.fieldOffset != 0) continue;
        const FieldEntry* f = t_.formatTable.entry(cell.fieldIndex);
        if (f != nullptr && !f->bypass) {
            MoveCursor(n);
            return;
        }
    }
}

bool FieldEditor::RefuseEdit(const FieldEntry* e) {
    if (e == nullptr || e->bypass) {
        RefuseKey(links_, refusal::kProtected);
        return true;
    }
    if (e->shiftEdit == ds::kShiftIo) {
        RefuseKey(links_, refusal::kNotKeyable);
        return true;
    }
    return false;
}

bool FieldEditor::Backspace() {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (RefuseEdit(e)) return false;
    const ScreenCell& cell = t_.screen.at(pos);
    if (cell.fieldOffset > 0) {
        e->mdt = 1;
        t_.state.operatorModified = 1;
        const int last = LastPosition(*e);
        bool attribute = false;
        for (int j = pos; j <= last; ++j) attribute |= CopyCell(j, j - 1);
        attribute |= BlankCell(last);
        MoveCursor(Previous(pos));
        return attribute;
    }
    if (e->fieldExitRequired) {
        RefuseKey(links_, refusal::kFieldExitRequired);
        return false;
    }
    const int index = NeighbourField(t_.screen.at(pos).fieldIndex, -1);
    if (index >= 0) MoveCursor(LastPosition(*t_.formatTable.entry(index)));
    return false;
}

bool FieldEditor::Delete() {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (RefuseEdit(e)) return false;
    e->mdt = 1;
    t_.state.operatorModified = 1;
    const int last = LastPosition(*e);
    bool attribute = false;
    for (int j = pos; j < last; ++j) attribute |= CopyCell(j + 1, j);
    attribute |= BlankCell(last);
    return attribute;
}

void FieldEditor::Home() {
    const int pos = t_.CursorPosition();
    if (const FieldEntry* e = FieldAt(pos)) {
        MoveCursor(FirstPosition(*e));
    } else {
        MoveCursor(t_.CursorRow() * t_.columns());
    }
}

void FieldEditor::End() {
    const int pos = t_.CursorPosition();
    const FieldEntry* e = FieldAt(pos);
    if (e == nullptr) {
        MoveCursor(t_.CursorRow() * t_.columns() + t_.columns() - 1);
        return;
    }
    const int first = FirstPosition(*e);
    const int last = LastPosition(*e);
    int p = last;
    while (p >= first && t_.screen.at(p).character == ' ') --p;
    if (p < first) {
        MoveCursor(first);
    } else {
        MoveCursor(p == last ? last : p + 1);
    }
}

void FieldEditor::Tab(bool backward) {
    if (const FieldEntry* e = FieldAt(t_.CursorPosition());
        e != nullptr && !e->bypass && PartlyFilled(*e, LastPosition(*e) + 1)) {
        RefuseKey(links_, refusal::kMandatoryFill);
        return;
    }
    const int count = t_.cellCount();
    if (t_.formatTable.noInputField || count <= 0) {
        MoveCursor(0);
        return;
    }
    int n = t_.CursorPosition();
    if (!t_.screen.contains(n)) n = 0;
    const auto isTarget = [this](int p) {
        const ScreenCell& cell = t_.screen.at(p);
        if (cell.fieldOffset != 0) return false;
        const FieldEntry* f = t_.formatTable.entry(cell.fieldIndex);
        return f != nullptr && !f->bypass;
    };
    // Each walk below is bounded by one pass; a screen whose every field is
    // bypass ends as the screen without input fields does.
    if (backward) {
        n = Previous(n);
        for (int steps = 0; steps < count; ++steps, n = Previous(n)) {
            if (isTarget(n)) {
                MoveCursor(n);
                return;
            }
        }
    } else {
        for (int steps = 0; steps < count && t_.screen.at(n).fieldIndex != -1; ++steps) {
            n = Next(n);
        }
        for (int steps = 0; steps < count; ++steps, n = Next(n)) {
            if (isTarget(n)) {
                MoveCursor(n);
                return;
            }
        }
    }
    MoveCursor(0);
}

int FieldEditor::NextFieldStart(int pos) const {
    for (int p = std::max(pos + 1, 0); p < t_.cellCount(); ++p) {
        const ScreenCell& cell = t_.screen.at(p);
        if (cell.fieldOffset != 0) continue;
        const FieldEntry* f = t_.formatTable.entry(cell.fieldIndex);
        if (f != nullptr && !f->bypass) return p;
    }
    return -1;
}

int FieldEditor::NeighbourField(int index, int step) const {
    const int count = t_.formatTable.fieldCount();
    if (count <= 0 || index < 0 || index >= count) return -1;
    for (int k = 1; k <= count; ++k) {
        const int j = ((index + step * k) % count + count) % count;
        const FieldEntry* f = t_.formatTable.entry(j);
        if (f == nullptr || f->bypass || f->length <= 0) continue;
        if (!t_.screen.contains(FirstPosition(*f))) continue;
        return j;
    }
    return -1;
}

bool FieldEditor::FieldExit(bool minus) {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (e == nullptr || e->bypass) {
        RefuseKey(links_, refusal::kProtected);
        return false;
    }
    const int index = t_.screen.at(pos).fieldIndex;
    t_.formatTable.currentField = index;
    if (e->mdt == 0 && e->mandatoryEnter) {
        RefuseKey(links_, refusal::kMandatoryEnter);
        return false;
    }
    // Field- means negative where the field keeps a number; anywhere else it
    // is a key like any refused one.
    const bool numericOnly = e->shiftEdit == ds::kShiftNumericOnly;
    if (minus && !numericOnly && e->shiftEdit != ds::kShiftSignedNumeric) {
        RefuseKey(links_, refusal::kFieldMinus);
        return false;
    }
    const bool keepsLast = e->fieldExitRequired && links_.input.fieldExitPending;
    if (PartlyFilled(*e, keepsLast ? LastPosition(*e) + 1 : pos)) {
        RefuseKey(links_, refusal::kMandatoryFill);
        return false;
    }

    bool attribute = false;
    if (e->fillType == ds::kFillRightZero) {
        attribute = RightAdjust(index, '0', 0xF0, minus);
    } else if (e->fillType == ds::kFillRightBlank) {
        attribute = RightAdjust(index, ' ', kEbcdicBlank, minus);
    } else if (!keepsLast) {
        if (e->shiftEdit == ds::kShiftSignedNumeric) {
            attribute = RightAdjust(index, ' ', kEbcdicBlank, minus);
        } else {
            for (int p = pos; p <= LastPosition(*e); ++p) attribute |= BlankCell(p);
        }
    }
    if (minus && numericOnly) MarkNegative(*e);
    LeaveField(index);
    return attribute;
}

void FieldEditor::LeaveField(int index) {
    FieldEntry* e = t_.formatTable.entry(index);
    if (e == nullptr) return;
    // Field Exit changed the field (it blanked, adjusted or signed it): the
    // automatic Enter carries it as the operator finished it, or the host
    // would keep the old value while the screen shows the new one. The
    // cursor address the host receives is still in the field.
    e->mdt = 1;
    t_.state.operatorModified = 1;
    if (e->autoEnter && CheckFieldsBeforeEnter()) links_.host.SendAutoEnter();
    links_.input.fieldExitPending = false;

    const int next = NeighbourField(index, +1);
    if (next >= 0) {
        t_.formatTable.currentField = next;
        MoveCursor(FirstPosition(*t_.formatTable.entry(next)));
    }
}

bool FieldEditor::NullCell(int pos) {
    if (!t_.screen.contains(pos)) return false;
    const bool attribute = IsAttributePosition(t_.screen.at(pos));
    t_.ChangeCell(pos, kEbcdicNull, ' ');
    return attribute;
}

bool FieldEditor::WriteControlByte(int pos, std::uint8_t ebcdic, std::uint8_t shown) {
    if (!t_.screen.contains(pos)) return false;
    const bool attribute = IsAttributePosition(t_.screen.at(pos));
    const FieldEntry* e = FieldAt(pos);
    t_.SetCell(pos, ebcdic, e != nullptr && IsNonDisplay(e->attribute) ? ' ' : shown);
    return attribute;
}

std::uint8_t FieldEditor::DupMark() const {
    const PcCharset& set = PcCharset::ForCodePage(links_.settings.PageCode);
    for (const char32_t overscore : {U'\u00AF', U'\u203E'}) {
        if (const auto pc = set.FromUnicode(overscore)) return *pc;
    }
    return '*';
}

bool FieldEditor::Dup() {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (RefuseEdit(e)) return false;
    if (!e->dupEnable) {
        RefuseKey(links_, refusal::kDupNotAllowed);
        return false;
    }
    const std::uint8_t shown = DupMark();
    bool attribute = false;
    for (int p = pos; p <= LastPosition(*e); ++p) attribute |= WriteControlByte(p, kEbcdicDup, shown);
    LeaveField(t_.screen.at(pos).fieldIndex);
    return attribute;
}

bool FieldEditor::AwaitsFieldExit(int pos) const {
    const FieldEntry* e = FieldAt(pos);
    return links_.input.fieldExitPending && e != nullptr && e->fieldExitRequired &&
           pos == LastPosition(*e);
}

bool FieldEditor::FieldMark() {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (RefuseEdit(e)) return false;
    if (AwaitsFieldExit(pos)) {
        RefuseKey(links_, refusal::kFieldExitRequired);
        return false;
    }
    if (e->shiftEdit == ds::kShiftSignedNumeric && t_.screen.at(pos).fieldOffset + 1 == e->length) {
        RefuseKey(links_, refusal::kSignPosition);
        return false;
    }
    e->mdt = 1;
    t_.state.operatorModified = 1;
    links_.input.fieldExitPending = false;
    const bool attribute = WriteControlByte(pos, kEbcdicFieldMark, kFieldMarkShown);
    AdvanceAfterEntry(pos);
    return attribute;
}

bool FieldEditor::EraseToEndOfField() {
    const int pos = t_.CursorPosition();
    FieldEntry* e = FieldAt(pos);
    if (RefuseEdit(e)) return false;
    e->mdt = 1;
    t_.state.operatorModified = 1;
    links_.input.fieldExitPending = false;
    bool attribute = false;
    for (int p = pos; p <= LastPosition(*e); ++p) attribute |= NullCell(p);
    return attribute;
}

bool FieldEditor::EraseInput() {
    bool attribute = false;
    for (int i = 0; i < t_.formatTable.fieldCount(); ++i) {
        FieldEntry& e = *t_.formatTable.entry(i);
        if (e.bypass) continue;
        const Terminal::Span span = t_.FieldSpan(e);
        for (int p = span.first; p < span.end; ++p) attribute |= NullCell(p);
        e.mdt = 0;
    }
    links_.input.fieldExitPending = false;
    const int first = FirstInputPosition();
    if (first >= 0) {
        t_.formatTable.currentField = t_.screen.at(first).fieldIndex;
        MoveCursor(first);
    }
    return attribute;
}

int FieldEditor::FirstInputPosition() const { return NextFieldStart(-1); }

void FieldEditor::NewLine() {
    const int columns = t_.columns();
    if (columns <= 0 || t_.cellCount() <= 0) return;
    const int nextRow = (t_.CursorRow() + 1) * columns;
    int target = NextFieldStart(nextRow - 1);
    if (target < 0) target = FirstInputPosition();
    if (target < 0) target = nextRow < t_.cellCount() ? nextRow : 0;
    links_.input.fieldExitPending = false;
    MoveCursor(target);
}

void FieldEditor::HomePosition() {
    int target = t_.state.hostFormat.homePosition;
    if (!t_.screen.contains(target)) target = FirstInputPosition();
    if (target < 0) target = 0;
    MoveCursor(target);
}

bool FieldEditor::RightAdjust(int fieldIndex, std::uint8_t fill, std::uint8_t ebcdicFill,
                              bool minus) {
    const FieldEntry* e = t_.formatTable.entry(fieldIndex);
    if (e == nullptr || e->length <= 0) return false;
    const int first = FirstPosition(*e);
    const int last = LastPosition(*e);
    const bool signedNumeric = e->shiftEdit == ds::kShiftSignedNumeric;
    bool attribute = false;
    int d = last;
    int s = t_.CursorPosition();
    if (signedNumeric) {
        // The sign position holds the minus itself; a read sends it as the
        // zone of the last digit.
        attribute |= IsAttributePosition(t_.screen.at(last));
        t_.SetCell(last, minus ? kEbcdicMinus : kEbcdicBlank, minus ? '-' : ' ');
        d = last - 1;
    } else if (links_.input.fieldExitPending && e->fieldExitRequired) {
        // The character just typed into the last position belongs to the
        // text being adjusted; the cursor stayed on it.
        s = last + 1;
    }
    if (s > d + 1) s = d + 1;
    // Every position of the field is written, so all of it is recorded,
    // also where a character stays what it was.
    for (; s - 1 >= first; --s, --d) {
        if (!t_.screen.contains(s - 1)) continue;
        const ScreenCell& source = t_.screen.at(s - 1);
        attribute |= IsAttributePosition(t_.screen.at(d));
        t_.SetCell(d, static_cast<std::uint8_t>(source.ebcdic), source.character);
    }
    for (; d >= first; --d) {
        attribute |= IsAttributePosition(t_.screen.at(d));
        t_.SetCell(d, ebcdicFill, fill);
    }
    return attribute;
}

void FieldEditor::MarkNegative(const FieldEntry& e) {
    // A numeric-only field has no sign position: its last digit takes the
    // negative zone (F3 becomes D3), shown as the character the host reads.
    const int first = FirstPosition(e);
    for (int p = LastPosition(e); p >= first && t_.screen.contains(p); --p) {
        const int digit = t_.screen.at(p).ebcdic;
        if (digit < 0xF0 || digit > 0xF9) continue;
        const auto negative = static_cast<std::uint8_t>(kNegativeZone | (digit & 0x0F));
        t_.SetCell(p, negative, links_.tables.ToPc(links_.settings.PageCode, negative));
        return;
    }
}

void FieldEditor::CursorArrow(int virtualKey) { CursorArrow(virtualKey, links_.input.shiftDown); }

void FieldEditor::CursorArrow(int virtualKey, bool fast) {
    const int columns = t_.columns();
    const int rows = t_.rows();
    if (columns <= 0 || rows <= 0) return;
    const bool shift = fast;
    int row = t_.CursorRow();
    int column = t_.CursorColumn();
    switch (virtualKey) {
        case keys::kVkLeft:
            column -= shift ? 4 : 1;
            if (column < 0) {
                column = columns - 1;
                if (--row < 0) row = rows - 1;
            }
            break;
        case keys::kVkRight:
            column += shift ? 4 : 1;
            if (column >= columns) {
                column = 0;
                if (++row >= rows) row = 0;
            }
            break;
        case keys::kVkUp:
            row -= shift ? 3 : 1;
            if (row < 0) row = rows - 1;
            break;
        case keys::kVkDown:
            row += shift ? 3 : 1;
            if (row >= rows) row = 0;
            break;
        default:
            return;
    }
    t_.SetCursorCell(row, column);
}

void FieldEditor::WordRight() {
    const int count = t_.cellCount();
    int p = t_.CursorPosition();
    if (!t_.screen.contains(p)) return;
    const auto ch = [this](int q) { return t_.screen.at(q).character; };
    // Every loop shares one budget of cellCount steps: a screen without the
    // cell sought leaves the cursor where it was.
    int budget = count;
    const auto step = [&]() {
        p = Next(p);
        return --budget > 0;
    };
    if (ch(p) == ' ') {
        do {
            if (!step()) return;
        } while (ch(p) == ' ');
    } else {
        if (IsWordDelimiter(ch(p))) {
            while (IsWordDelimiter(ch(p)) && ch(p) != ' ') {
                if (!step()) return;
            }
        } else {
            while (!IsWordDelimiter(ch(p))) {
                if (!step()) return;
            }
        }
        while (ch(p) == ' ') {
            if (!step()) return;
        }
    }
    MoveCursor(p);
}

void FieldEditor::WordLeft() {
    const int count = t_.cellCount();
    int p = t_.CursorPosition();
    if (!t_.screen.contains(p)) return;
    const auto ch = [this](int q) { return t_.screen.at(q).character; };
    // One pass is cellCount steps; the target is the cell after the one
    // reached, so a scan that comes all the way round to the cursor's own
    // cell (the screen's only delimiter) still moves the cursor.
    int budget = count + 1;
    const auto step = [&]() {
        p = Previous(p);
        return --budget > 0;
    };
    if (!step()) return;
    while (ch(p) == ' ') {
        if (!step()) return;
    }
    if (IsWordDelimiter(ch(p))) {
        while (IsWordDelimiter(ch(p)) && ch(p) != ' ') {
            if (!step()) return;
        }
    } else {
        while (!IsWordDelimiter(ch(p))) {
            if (!step()) return;
        }
    }
    MoveCursor(Next(p));
}

}  // namespace quenlix
