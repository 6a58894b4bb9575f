// The built-in key maps and the map's bindings.
#include "input/KeyMap.h"

#include <array>
#include <string>

namespace quenlix {

namespace {

using enum KeyFunction;

constexpr std::array<BuiltInKeyMapInfo, 3> kBuiltIns = {{
    {BuiltInKeyMap::kStandard, "Standard", "Standard"},
    {BuiltInKeyMap::kIbm5250, "IBM5250", "IBM 5250 keyboard"},
    {BuiltInKeyMap::kLaptop, "Laptop", "Laptop"},
}};

struct Row {
    std::string_view key;
    KeyFunction function;
};

// Today's fixed mapping, written out key by key. Keys it handles without a
// function of their own (Shift+arrows move faster, Ctrl+F5..F12 and Alt+F1..
// F12 send the plain F-keys) still take today's path under every map.
constexpr Row kStandardRows[] = {
    {"Enter", kEnter},          {"KeypadEnter", kEnter},     {"Tab", kTab},
    {"Shift+Tab", kBacktab},    {"Backspace", kBackspace},   {"Esc", kAttention},
    {"Shift+Esc", kSystemRequest},
    {"PageUp", kRollDown},      {"PageDown", kRollUp},       {"Home", kHome},
    {"End", kEnd},              {"Left", kLeft},             {"Right", kRight},
    {"Up", kUp},                {"Down", kDown},             {"Ctrl+Left", kWordLeft},
    {"Ctrl+Right", kWordRight}, {"Insert", kInsert},         {"Delete", kDelete},
    {"KeypadPlus", kFieldPlus}, {"KeypadMinus", kFieldMinus},
};

// The keys of a 5250 keyboard where a PC keyboard has them.
constexpr Row kIbm5250Rows[] = {
    {"Enter", kFieldExit},     {"RightCtrl", kEnter},      {"LeftCtrl", kReset},
    {"Esc", kAttention},       {"Shift+Esc", kSystemRequest}, {"Pause", kClear},
    {"ScrollLock", kHelp},     {"PrintScreen", kPrint},    {"KeypadEnter", kEnter},
    {"Ctrl+Home", kHomePosition}, {"Ctrl+End", kEraseEof},
};

// Everything within reach of a keyboard without a keypad, none of it on the
// main window's shortcuts.
constexpr Row kLaptopRows[] = {
    {"Ctrl+Enter", kFieldExit},  {"Shift+Enter", kFieldExit},     {"Ctrl+Minus", kFieldMinus},
    {"Ctrl+K", kDup},            {"Ctrl+M", kFieldMark},
    {"Ctrl+End", kEraseEof},     {"Ctrl+Shift+End", kEraseInput}, {"Ctrl+Home", kHomePosition},
    {"Ctrl+J", kNewLine},        {"Ctrl+Backspace", kReset},      {"Ctrl+H", kHelp},
    {"Ctrl+Up", kRollDown},      {"Ctrl+Down", kRollUp},          {"Ctrl+1", kPa1},
    {"Ctrl+2", kPa2},            {"Ctrl+3", kPa3},                {"PrintScreen", kPrint},
    {"Ctrl+Delete", kClear},
};

void BindRows(KeyMap& map, std::span<const Row> rows) {
    for (const Row& row : rows) {
        // The rows are fixed text checked by the tests: every key parses.
        if (const auto chord = ParseKeyChord(row.key)) map.Bind(*chord, row.function);
    }
}

const KeyMap& StandardMap() {
    static const KeyMap map;
    return map;
}

}  // namespace

std::span<const BuiltInKeyMapInfo> BuiltInKeyMaps() { return kBuiltIns; }

std::optional<BuiltInKeyMap> BuiltInKeyMapByName(std::string_view name) {
    for (const BuiltInKeyMapInfo& m : kBuiltIns) {
        if (m.name == name) return m.id;
    }
    return std::nullopt;
}

std::string_view BuiltInKeyMapName(BuiltInKeyMap id) {
    return kBuiltIns[static_cast<std::size_t>(id)].name;
}

bool IsMacroName(std::string_view name) {
    constexpr std::size_t kMaxMacroName = 64;
    if (name.empty() || name.size() > kMaxMacroName || name.front() == '.' ||
        name.front() == ' ' || name.back() == ' ') {
        return false;
    }
    for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') ||
                        c == ' ' || c == '_' || c == '-' || c == '.';
        if (!ok) return false;
    }
    return true;
}

std::optional<std::string> MacroOfFunctionText(std::string_view text) {
    if (!text.starts_with(kMacroFunctionPrefix)) return std::nullopt;
    text.remove_prefix(kMacroFunctionPrefix.size());
    if (!IsMacroName(text)) return std::nullopt;
    return std::string(text);
}

KeyMap::KeyMap() { BindRows(*this, kStandardRows); }

KeyMap KeyMap::BuiltIn(BuiltInKeyMap id) { return BuiltInMap(id); }

const KeyMap& KeyMap::BuiltInMap(BuiltInKeyMap id) {
    static const std::array<KeyMap, kBuiltIns.size()> maps = [] {
        std::array<KeyMap, kBuiltIns.size()> built;
        for (const BuiltInKeyMapInfo& info : kBuiltIns) {
            KeyMap& map = built[static_cast<std::size_t>(info.id)];
            map.base_ = info.id;
            switch (info.id) {
                case BuiltInKeyMap::kStandard: break;
                case BuiltInKeyMap::kIbm5250: BindRows(map, kIbm5250Rows); break;
                case BuiltInKeyMap::kLaptop: BindRows(map, kLaptopRows); break;
            }
        }
        return built;
    }();
    return maps.at(static_cast<std::size_t>(id));
}

std::optional<KeyFunction> KeyMap::Lookup(const KeyChord& key) const {
    const auto it = bindings_.find(key);
    if (it == bindings_.end()) return std::nullopt;
    return it->second;
}

std::optional<KeyFunction> KeyMap::Override(const KeyChord& key) const {
    const std::optional<KeyFunction> mine = Lookup(key);
    if (mine == StandardMap().Lookup(key)) return std::nullopt;
    return mine.value_or(kNone);
}

bool KeyMap::Bind(const KeyChord& key, KeyFunction function) {
    macros_.erase(key);
    if (const auto it = bindings_.find(key); it != bindings_.end()) {
        it->second = function;
        return true;
    }
    if (bindings_.size() + macros_.size() >= kMaxBindings) return false;
    bindings_.emplace(key, function);
    return true;
}

bool KeyMap::BindMacro(const KeyChord& key, std::string name) {
    if (!IsMacroName(name)) return false;
    if (!macros_.contains(key) && bindings_.size() + macros_.size() >= kMaxBindings) return false;
    // The key's function, if its base has one, gives way: it plays the macro only.
    Remove(key);
    macros_[key] = std::move(name);
    return true;
}

std::optional<std::string> KeyMap::MacroOf(const KeyChord& key) const {
    const auto it = macros_.find(key);
    if (it == macros_.end()) return std::nullopt;
    return it->second;
}

void KeyMap::Remove(const KeyChord& key) {
    macros_.erase(key);
    if (BuiltInMap(base_).Lookup(key)) {
        bindings_[key] = kNone;
    } else {
        bindings_.erase(key);
    }
}

std::vector<KeyChord> KeyMap::KeysOf(KeyFunction function) const {
    std::vector<KeyChord> out;
    for (const auto& [key, f] : bindings_) {
        if (f == function) out.push_back(key);
    }
    return out;
}

std::vector<std::pair<KeyChord, KeyFunction>> KeyMap::ChangesFromBase() const {
    const KeyMap& base = BuiltInMap(base_);
    std::vector<std::pair<KeyChord, KeyFunction>> out;
    for (const auto& [key, f] : bindings_) {
        if (base.Lookup(key) != f && !macros_.contains(key)) out.emplace_back(key, f);
    }
    for (const auto& [key, f] : base.bindings_) {
        if (!bindings_.contains(key) && !macros_.contains(key)) out.emplace_back(key, kNone);
    }
    return out;
}

}  // namespace quenlix
