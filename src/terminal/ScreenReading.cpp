// The screen reading rules: readable text, field labels and kinds, the lines
// a screen reader asks for.
#include "terminal/ScreenReading.h"

#include <algorithm>

namespace quenlix {

namespace {

constexpr char kBlank = ' ';

/// Leaders that join a label to its field ("User . . . :", "===>"): no words.
bool IsLeader(char c) { return c == ' ' || c == '.' || c == ':' || c == '=' || c == '>'; }

std::string WithoutLeaders(std::string text) {
    while (!text.empty() && IsLeader(text.back())) text.pop_back();
    const std::size_t start = text.find_first_not_of(kBlank);
    return start == std::string::npos ? std::string() : text.substr(start);
}

bool InField(const Terminal& t, int pos) { return t.screen.at(pos).inField != 0; }

/// Protected text left of the field's attribute on its row: a few blanks
/// may part it from the field; dot leaders with any blanks among them
/// (". . . :", "......:") join it to the field from further away. A wider
/// gap of plain blanks, or another field, ends it.
std::string LabelOnRow(const Terminal& t, std::string_view readable, int row, int attributeColumn) {
    const int base = row * t.columns();
    const auto at = [&](int column) { return readable[static_cast<std::size_t>(base + column)]; };
    int column = attributeColumn - 1;
    int gap = 0;
    while (column >= 0 && at(column) == kBlank && !InField(t, base + column)) {
        if (++gap > LabelRules::kMaxGapBeforeField) return {};
        --column;
    }
    // The leaders, blanks and all, up to the label's last word.
    while (column >= 0 && IsLeader(at(column)) && !InField(t, base + column)) --column;
    const int end = column + 1;
    int blanks = 0;
    while (column >= 0 && !InField(t, base + column)) {
        if (at(column) == kBlank) {
            if (++blanks >= LabelRules::kGapBetweenItems) break;
        } else {
            blanks = 0;
        }
        --column;
    }
    const int start = column + 1;
    if (end <= start) return {};
    return WithoutLeaders(std::string(readable.substr(static_cast<std::size_t>(base + start),
                                                      static_cast<std::size_t>(end - start))));
}

/// The nearest protected text above the field's columns (a column heading),
/// widened to the whole heading it is part of.
std::string LabelAbove(const Terminal& t, std::string_view readable, int row, int column,
                       int length) {
    const int columns = t.columns();
    const int last = std::min(columns, column + std::max(length, 1));
    for (int r = row - 1; r >= 0; --r) {
        const int base = r * columns;
        int hit = -1;
        for (int c = column; c < last && hit < 0; ++c) {
            if (readable[static_cast<std::size_t>(base + c)] != kBlank && !InField(t, base + c)) hit = c;
        }
        if (hit < 0) continue;
        // Words of one heading are parted by one blank; two end it.
        const auto partOfHeading = [&](int c, int step) {
            const int next = c + step;
            if (next < 0 || next >= columns || InField(t, base + next)) return false;
            if (readable[static_cast<std::size_t>(base + next)] != kBlank) return true;
            const int after = next + step;
            return after >= 0 && after < columns && !InField(t, base + after) &&
                   readable[static_cast<std::size_t>(base + after)] != kBlank;
        };
        int start = hit;
        while (partOfHeading(start, -1)) --start;
        int end = hit;
        while (partOfHeading(end, +1)) ++end;
        return WithoutLeaders(std::string(readable.substr(static_cast<std::size_t>(base + start),
                                                          static_cast<std::size_t>(end - start + 1))));
    }
    return {};
}

void AppendPart(std::string& out, std::string_view part) {
    if (part.empty()) return;
    if (!out.empty()) out += ", ";
    out += part;
}

}  // namespace

FieldKind KindOf(const FieldEntry& e) {
    FieldKind k;
    k.shift = ds::ShiftEditOf(static_cast<std::uint8_t>(e.shiftEdit));
    k.password = IsNonDisplay(e.attribute);
    k.bypass = e.bypass != 0;
    k.mandatoryEnter = e.mandatoryEnter != 0;
    k.mandatoryFill = e.fillType == ds::kFillMandatory;
    k.autoEnter = e.autoEnter != 0;
    k.fieldExitRequired = e.fieldExitRequired != 0;
    k.monocase = e.monocase != 0;
    return k;
}

std::string DescribeKind(const FieldKind& k) {
    std::string out;
    if (k.password) AppendPart(out, "password");
    if (k.bypass) AppendPart(out, "protected");
    switch (k.shift) {
        case ds::kShiftAlphanumeric: break;
        case ds::kShiftAlphabeticOnly: AppendPart(out, "alphabetic only"); break;
        case ds::kShiftNumericShift: AppendPart(out, "numeric"); break;
        case ds::kShiftNumericOnly: AppendPart(out, "numeric only"); break;
        case ds::kShiftKatakana: AppendPart(out, "katakana"); break;
        case ds::kShiftDigitsOnly: AppendPart(out, "digits only"); break;
        case ds::kShiftIo: AppendPart(out, "magnetic stripe reader only"); break;
        case ds::kShiftSignedNumeric: AppendPart(out, "signed numeric"); break;
    }
    if (k.mandatoryEnter) AppendPart(out, "mandatory enter");
    if (k.mandatoryFill) AppendPart(out, "mandatory fill");
    if (k.fieldExitRequired) AppendPart(out, "field exit required");
    if (k.autoEnter) AppendPart(out, "auto-enter");
    if (k.monocase) AppendPart(out, "capitals");
    return out;
}

std::string ReadableText(const Terminal& t) {
    std::string text(static_cast<std::size_t>(t.cellCount()), kBlank);
    std::uint8_t attribute = 0x20;
    std::size_t pos = 0;
    for (const ScreenCell& cell : t.screen.inUse()) {
        if (IsAttributePosition(cell)) {
            attribute = static_cast<std::uint8_t>(cell.ebcdic);
        } else if (!IsNonDisplay(attribute) && cell.character >= 0x20 && cell.character != 0x7F) {
            text[pos] = static_cast<char>(cell.character);
        }
        ++pos;
    }
    // A field the host defined non-display stays hidden even where a later
    // write put another attribute inside it.
    for (int i = 0; i < t.formatTable.fieldCount(); ++i) {
        const FieldEntry& e = *t.formatTable.entry(i);
        if (!IsNonDisplay(e.attribute)) continue;
        const Terminal::Span span = t.FieldSpan(e);
        for (int p = span.first; p < span.end; ++p) text[static_cast<std::size_t>(p)] = kBlank;
    }
    return text;
}

std::string_view RowOf(const Terminal& t, std::string_view readable, int row) {
    if (row < 0 || row >= t.rows() || t.columns() <= 0) return {};
    const std::size_t start = static_cast<std::size_t>(row) * static_cast<std::size_t>(t.columns());
    if (start >= readable.size()) return {};
    return readable.substr(start, static_cast<std::size_t>(t.columns()));
}

std::string Spoken(std::string_view text) {
    std::string out;
    bool blank = false;
    for (const char c : text) {
        if (c == kBlank) {
            blank = !out.empty();
            continue;
        }
        if (blank) out += kBlank;
        blank = false;
        out += c;
    }
    return out;
}

FieldReading ReadField(const Terminal& t, std::string_view readable, int index) {
    FieldReading f;
    const FieldEntry* e = t.formatTable.entry(index);
    if (!e || t.columns() <= 0 || readable.size() < static_cast<std::size_t>(t.cellCount())) return f;
    const Terminal::Span span = t.FieldSpan(*e);
    if (span.size() == 0) return f;
    f.index = index;
    f.first = span.first;
    f.length = span.size();
    f.row = span.first / t.columns();
    f.column = span.first % t.columns();
    f.kind = KindOf(*e);
    if (!f.kind.password) {
        std::string value(readable.substr(static_cast<std::size_t>(span.first),
                                          static_cast<std::size_t>(span.size())));
        while (!value.empty() && value.back() == kBlank) value.pop_back();
        f.value = std::move(value);
    }
    // The attribute sits just before the first data position; in the first
    // column it ends the row above and nothing on this row can be the label.
    if (f.column > 0) f.label = Spoken(LabelOnRow(t, readable, f.row, f.column - 1));
    if (f.label.empty()) f.label = Spoken(LabelAbove(t, readable, f.row, f.column, f.length));
    return f;
}

std::vector<FieldReading> FieldList(const Terminal& t) {
    const std::string readable = ReadableText(t);
    std::vector<FieldReading> fields;
    for (int i = 0; i < t.formatTable.fieldCount(); ++i) {
        FieldReading f = ReadField(t, readable, i);
        if (f.index >= 0) fields.push_back(std::move(f));
    }
    std::stable_sort(fields.begin(), fields.end(),
                     [](const FieldReading& a, const FieldReading& b) { return a.first < b.first; });
    return fields;
}

int FieldAtCursor(const Terminal& t) {
    const int pos = t.CursorPosition();
    if (!t.screen.contains(pos) || t.CursorRow() >= t.rows()) return -1;
    const ScreenCell& cell = t.screen.at(pos);
    return cell.inField && t.formatTable.entry(cell.fieldIndex) ? cell.fieldIndex : -1;
}

int MessageRow(const Terminal& t) {
    const int errorRow = t.state.hostFormat.errorRow;
    return errorRow >= 1 && errorRow <= t.rows() ? errorRow : t.rows();
}

std::string WithoutDotLeaders(std::string_view spoken) {
    std::string out;
    std::size_t i = 0;
    while (i < spoken.size()) {
        // A run of dots, colons and blanks: leaders when it holds two dots
        // or more and is not a word's own ellipsis ("Wait...").
        std::size_t j = i;
        int dots = 0;
        bool blank = false, colon = false;
        while (j < spoken.size() &&
               (spoken[j] == '.' || spoken[j] == ':' || spoken[j] == kBlank)) {
            dots += spoken[j] == '.';
            blank |= spoken[j] == kBlank;
            colon |= spoken[j] == ':';
            ++j;
        }
        if (j == i) {
            out += spoken[i++];
            continue;
        }
        const bool leaders = dots >= 2 && (blank || dots > 3 || i == 0);
        if (!leaders) {
            out.append(spoken.substr(i, j - i));
        } else if (j < spoken.size() && !out.empty()) {
            out += colon ? ": " : " ";  // a value follows its label
        }
        i = j;
    }
    while (!out.empty() && out.back() == kBlank) out.pop_back();
    return out;
}

std::string CurrentLineText(const Terminal& t) {
    const std::string readable = ReadableText(t);
    return WithoutDotLeaders(Spoken(RowOf(t, readable, t.CursorRow())));
}

std::string MessageLineText(const Terminal& t) {
    const std::string readable = ReadableText(t);
    return Spoken(RowOf(t, readable, MessageRow(t) - 1));
}

std::string TitleText(const Terminal& t) {
    // What the operator types is never the title, whichever row its field is on.
    std::string readable = ReadableText(t);
    for (int pos = 0; pos < t.cellCount(); ++pos) {
        if (InField(t, pos)) readable[static_cast<std::size_t>(pos)] = kBlank;
    }
    for (int r = 0; r < t.rows(); ++r) {
        std::string line = Spoken(RowOf(t, readable, r));
        if (!line.empty()) return line;
    }
    return {};
}

std::string FieldSentence(const FieldReading& f) {
    std::string out = f.label.empty() ? std::string("Field") : f.label;
    AppendPart(out, DescribeKind(f.kind));
    if (!f.kind.password) AppendPart(out, f.value.empty() ? std::string("blank") : Spoken(f.value));
    return out;
}

std::string StatusText(const Terminal& t) {
    std::string out;
    if (!t.state.connected) AppendPart(out, "Not connected");
    if (t.state.inputInhibited) AppendPart(out, "X-System, keyboard locked");
    if (t.state.messageWaiting) AppendPart(out, "Message waiting");
    if (t.state.insertMode) AppendPart(out, "Insert mode");
    if (t.state.sysReqMode) AppendPart(out, "System request");
    AppendPart(out, t.state.refusedReason);
    AppendPart(out, "Row " + std::to_string(t.CursorRow() + 1) + " Column " +
                        std::to_string(t.CursorColumn() + 1));
    return out;
}

}  // namespace quenlix
