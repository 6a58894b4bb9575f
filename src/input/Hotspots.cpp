#include "input/Hotspots.h"

#include <algorithm>
#include <array>

#include "terminal/ScreenReading.h"

namespace quenlix {

namespace {

/// Stands for a cell of an input field in a row's text: neither a blank nor
/// a letter, so no hotspot reaches into a field or across one.
constexpr char kFieldCell = '\x01';

bool IsDigit(char c) { return c >= '0' && c <= '9'; }
bool IsLetter(char c) { return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z'); }
bool IsAlnum(char c) { return IsDigit(c) || IsLetter(c); }
bool IsText(char c) { return c != ' ' && c != kFieldCell && c != '\0'; }

/// A word may begin at `at`: the row's start or a blank before it.
bool StartsWord(std::string_view row, std::size_t at) { return at == 0 || row[at - 1] == ' '; }
/// A word ends before `at`: the row's end or a blank there.
bool EndsWord(std::string_view row, std::size_t at) { return at >= row.size() || row[at] == ' '; }

/// Digits at `at` (at most `most`), their value in `value`; how many.
std::size_t Digits(std::string_view row, std::size_t at, std::size_t most, int& value) {
    std::size_t n = 0;
    value = 0;
    while (at + n < row.size() && n < most && IsDigit(row[at + n])) {
        value = value * 10 + (row[at + n] - '0');
        ++n;
    }
    return n;
}

struct KeyToken {
    std::size_t length = 0;  ///< the key's name and its separator
    KeyFunction function = KeyFunction::kNone;
};

/// The named keys a label may start with, besides F1..F24 and PF1..PF24.
struct NamedKey {
    std::string_view name;
    KeyFunction function;
};
constexpr std::array<NamedKey, 5> kNamedKeys = {{
    {"Enter", KeyFunction::kEnter},
    {"PageDown", KeyFunction::kRollUp},
    {"PageUp", KeyFunction::kRollDown},
    {"Help", KeyFunction::kHelp},
    {"Print", KeyFunction::kPrint},
}};

/// A function-key label's start at `at`: "F3=", "PF12-", "Enter=", then a
/// letter or digit. Length 0 when there is none.
KeyToken KeyTokenAt(std::string_view row, std::size_t at) {
    if (!StartsWord(row, at)) return {};
    std::size_t n = 0;
    KeyFunction function = KeyFunction::kNone;
    std::size_t name = at;
    if (row.substr(at).starts_with("PF")) name += 2;
    else if (row.substr(at).starts_with("F")) name += 1;
    if (name > at) {
        int number = 0;
        const std::size_t digits = Digits(row, name, 2, number);
        if (digits == 0 || number < 1 || number > 24) return {};
        if (digits == 2 && row[name] == '0') return {};
        function = static_cast<KeyFunction>(static_cast<int>(KeyFunction::kF1) + number - 1);
        n = name + digits - at;
    } else {
        for (const NamedKey& key : kNamedKeys) {
            if (row.substr(at).starts_with(key.name)) {
                function = key.function;
                n = key.name.size();
                break;
            }
        }
        if (n == 0) return {};
    }
    if (at + n + 1 >= row.size()) return {};
    const char separator = row[at + n];
    if (separator != '=' && separator != '-') return {};
    if (!IsAlnum(row[at + n + 1])) return {};
    return {n + 1, function};
}

/// An option legend's start at `at`: "2=" then a letter.
std::size_t LegendTokenAt(std::string_view row, std::size_t at, int& number) {
    if (!StartsWord(row, at)) return 0;
    const std::size_t digits = Digits(row, at, 2, number);
    if (digits == 0 || number == 0 || at + digits + 1 >= row.size()) return 0;
    if (row[at + digits] != '=' || !IsLetter(row[at + digits + 1])) return 0;
    return digits + 1;
}

/// Where a label that starts at `from` ends: at two blanks, at a cell that
/// is not text, at the row's end, or before the next label of the same kind.
template <typename NextToken>
std::size_t LabelEnd(std::string_view row, std::size_t from, NextToken isNext) {
    std::size_t end = from;
    while (end < row.size() && row[end] != kFieldCell) {
        if (row[end] == ' ') {
            if (end + 1 >= row.size() || row[end + 1] == ' ' || isNext(end + 1)) break;
        }
        ++end;
    }
    while (end > from && row[end - 1] == ' ') --end;
    return end;
}

/// A menu item at `at`: the row's first text or text after two blanks,
/// "1." to "999.", blanks, then a letter. The cells up to that letter and the
/// number.
std::size_t MenuItemAt(std::string_view row, std::size_t at, int& number) {
    if (at > 0 && !(row[at - 1] == ' ' && (at == 1 || row[at - 2] == ' '))) return 0;
    const std::size_t digits = Digits(row, at, 3, number);
    if (digits == 0 || number == 0) return 0;
    std::size_t p = at + digits;
    if (p >= row.size() || row[p] != '.') return 0;
    ++p;
    const std::size_t blanks = p;
    while (p < row.size() && row[p] == ' ') ++p;
    if (p == blanks || p >= row.size() || !IsLetter(row[p])) return 0;
    return p - at;
}

bool IsMailChar(char c) { return IsAlnum(c) || c == '.' || c == '_' || c == '%' || c == '+' || c == '-'; }

/// A web or mail address as the word at `at`: its length (trailing
/// punctuation left out) and the address a browser or mail program opens.
std::size_t AddressAt(std::string_view row, std::size_t at, std::string& address) {
    if (at > 0 && row[at - 1] != ' ' && row[at - 1] != '(' && row[at - 1] != '<') return 0;
    std::size_t end = at;
    while (end < row.size() && IsText(row[end]) && static_cast<unsigned char>(row[end]) < 0x80) {
        ++end;
    }
    while (end > at && std::string_view(".,;:!?)]>'\"").find(row[end - 1]) != std::string_view::npos) {
        --end;
    }
    const std::string_view word = row.substr(at, end - at);
    if (word.starts_with("http://") || word.starts_with("https://")) {
        const std::size_t scheme = word.find("//") + 2;
        if (word.size() <= scheme || !IsAlnum(word[scheme])) return 0;
        address = word;
        return word.size();
    }
    if (word.starts_with("www.")) {
        if (word.find('.', 4) == std::string_view::npos || !IsAlnum(word[4])) return 0;
        address = "http://" + std::string(word);
        return word.size();
    }
    const std::size_t atSign = word.find('@');
    if (atSign == std::string_view::npos || atSign == 0 || word.find('@', atSign + 1) != std::string_view::npos) {
        return 0;
    }
    const std::string_view local = word.substr(0, atSign);
    const std::string_view domain = word.substr(atSign + 1);
    if (!std::all_of(local.begin(), local.end(), IsMailChar)) return 0;
    if (domain.size() < 3 || !IsAlnum(domain.front()) || !IsAlnum(domain.back())) return 0;
    if (domain.find('.') == std::string_view::npos || domain.find("..") != std::string_view::npos) return 0;
    if (!std::all_of(domain.begin(), domain.end(), [](char c) { return IsAlnum(c) || c == '.' || c == '-'; })) {
        return 0;
    }
    address = "mailto:" + std::string(word);
    return word.size();
}

/// The input fields a typed number can go to.
struct OptionTargets {
    int commandLine = -1;   ///< a field after "===>"
    int firstField = -1;    ///< the first field the operator can type in
    int cursorField = -1;   ///< the typable field holding the cursor
};

OptionTargets FindTargets(const Terminal& t, std::string_view readable) {
    OptionTargets targets;
    const int cursor = t.CursorRow() * t.columns() + t.CursorColumn();
    for (const FieldReading& f : FieldList(t)) {
        if (f.kind.bypass || f.length <= 0) continue;
        if (targets.firstField < 0) targets.firstField = f.index;
        if (cursor >= f.first && cursor < f.first + f.length) targets.cursorField = f.index;
        if (targets.commandLine < 0) {
            // "===>" ends at most a few blanks before the field's attribute.
            const int rowStart = f.row * t.columns();
            int p = f.first - 1;
            while (p > rowStart && f.first - p <= LabelRules::kMaxGapBeforeField && readable[static_cast<std::size_t>(p - 1)] == ' ') {
                --p;
            }
            if (p - 4 >= rowStart && readable.substr(static_cast<std::size_t>(p - 4), 4) == "===>") {
                targets.commandLine = f.index;
            }
        }
    }
    return targets;
}

void Add(std::vector<Hotspot>& out, Hotspot h) {
    if (out.size() < kMaxHotspots) out.push_back(std::move(h));
}

}  // namespace

std::string_view HotspotKindName(HotspotKind kind) {
    switch (kind) {
        case HotspotKind::kAid: return "aid";
        case HotspotKind::kOption: return "option";
        case HotspotKind::kMore: return "more";
        case HotspotKind::kUrl: return "url";
    }
    return "aid";
}

std::vector<Hotspot> FindHotspots(const Terminal& t) {
    std::vector<Hotspot> out;
    const int columns = t.columns();
    const int rows = t.rows();
    if (columns <= 0 || rows <= 0 || t.cellCount() < columns * rows) return out;
    std::string readable = ReadableText(t);
    for (int p = 0; p < columns * rows; ++p) {
        if (t.screen.at(p).inField != 0) readable[static_cast<std::size_t>(p)] = kFieldCell;
    }
    // The host's own choices and scroll bars take their clicks themselves:
    // a numbered choice is no menu item to type.
    const auto hostControl = [&](int row, int column, int width, int depth) {
        for (int r = std::max(row - 1, 0); r < std::min(row - 1 + depth, rows); ++r) {
            for (int c = std::max(column - 1, 0); c < std::min(column - 1 + width, columns); ++c) {
                readable[static_cast<std::size_t>(r * columns + c)] = kFieldCell;
            }
        }
    };
    for (const SelectionField& field : t.constructs.selectionFields()) {
        for (const SelectionChoice& choice : field.choices) {
            hostControl(choice.row, choice.column, choice.width, 1);
        }
    }
    for (const HostScrollBar& bar : t.constructs.scrollBars()) {
        hostControl(bar.row, bar.column, bar.horizontal ? bar.size : 1,
                    bar.horizontal ? 1 : bar.size);
    }

    // "===>" and the blanks after it stand before a field's data, never in it.
    const OptionTargets targets = FindTargets(t, readable);
    const bool hasField = targets.firstField >= 0;
    // A menu item counts only on a screen with two of them and a field to
    // type the number into.
    int menuItems = 0;
    for (int r = 0; r < rows && menuItems < 2; ++r) {
        const std::string_view row(readable.data() + static_cast<std::size_t>(r * columns), static_cast<std::size_t>(columns));
        for (std::size_t c = 0; c < row.size(); ++c) {
            int number = 0;
            if (IsDigit(row[c]) && MenuItemAt(row, c, number) > 0) ++menuItems;
        }
    }
    const bool menuScreen = hasField && menuItems >= 2;

    for (int r = 0; r < rows && out.size() < kMaxHotspots; ++r) {
        const std::string_view row(readable.data() + static_cast<std::size_t>(r * columns), static_cast<std::size_t>(columns));
        std::size_t c = 0;
        while (c < row.size()) {
            if (!IsText(row[c])) {
                ++c;
                continue;
            }
            Hotspot h;
            h.row = r;
            h.column = static_cast<int>(c);
            std::size_t end = c;
            std::string address;
            int number = 0;
            if (const std::size_t n = AddressAt(row, c, address); n > 0) {
                end = c + n;
                h.kind = HotspotKind::kUrl;
                h.action = address;
            } else if (const KeyToken key = KeyTokenAt(row, c); key.length > 0) {
                end = LabelEnd(row, c + key.length, [&](std::size_t at) { return KeyTokenAt(row, at).length > 0; });
                h.kind = HotspotKind::kAid;
                h.function = key.function;
                h.action = KeyFunctionName(key.function);
            } else if (const std::size_t n = menuScreen ? MenuItemAt(row, c, number) : 0; n > 0) {
                end = LabelEnd(row, c + n, [](std::size_t) { return false; });
                h.kind = HotspotKind::kOption;
                h.action = std::to_string(number);
                h.field = targets.commandLine >= 0 ? targets.commandLine : targets.firstField;
                h.enter = targets.commandLine >= 0;
            } else if (const std::size_t n = hasField ? LegendTokenAt(row, c, number) : 0; n > 0) {
                end = LabelEnd(row, c + n, [&](std::size_t at) {
                    int other = 0;
                    return LegendTokenAt(row, at, other) > 0;
                });
                h.kind = HotspotKind::kOption;
                h.action = std::to_string(number);
                h.field = targets.cursorField >= 0 ? targets.cursorField : targets.firstField;
            } else if (StartsWord(row, c) && row.substr(c).starts_with("More...") && EndsWord(row, c + 7)) {
                end = c + 7;
                h.kind = HotspotKind::kMore;
                h.function = KeyFunction::kRollUp;
                h.action = KeyFunctionName(KeyFunction::kRollUp);
            } else if (StartsWord(row, c) && row.substr(c).starts_with("Bottom") && EndsWord(row, c + 6)) {
                end = c + 6;
                h.kind = HotspotKind::kMore;
                h.function = KeyFunction::kRollDown;
                h.action = KeyFunctionName(KeyFunction::kRollDown);
            }
            if (end == c) {
                // Not a hotspot: on to the next word.
                while (c < row.size() && IsText(row[c])) ++c;
                continue;
            }
            h.length = static_cast<int>(end - c);
            h.text = std::string(row.substr(c, end - c));
            Add(out, std::move(h));
            c = end;
        }
    }
    return out;
}

const Hotspot* HotspotAt(const std::vector<Hotspot>& hotspots, int row, int column) {
    for (const Hotspot& h : hotspots) {
        if (h.row == row && column >= h.column && column < h.column + h.length) return &h;
    }
    return nullptr;
}

}  // namespace quenlix
