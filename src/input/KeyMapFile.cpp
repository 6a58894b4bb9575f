// Reading and writing key map files.
#include "input/KeyMapFile.h"

#include <map>

namespace quenlix {

namespace {

std::string_view Trim(std::string_view s) {
    const auto space = [](char c) { return c == ' ' || c == '\t' || c == '\r'; };
    while (!s.empty() && space(s.front())) s.remove_prefix(1);
    while (!s.empty() && space(s.back())) s.remove_suffix(1);
    return s;
}

/// Text shown in an error: at most 40 bytes of what the file held, controls
/// as '?', so a hostile file cannot fill or garble the message.
std::string Quoted(std::string_view s) {
    std::string out = "'";
    for (std::size_t i = 0; i < s.size() && i < 40; ++i) {
        const auto c = static_cast<unsigned char>(s[i]);
        out += c < 0x20 || c == 0x7F ? '?' : static_cast<char>(c);
    }
    if (s.size() > 40) out += "...";
    return out + "'";
}

class Reader {
public:
    explicit Reader(std::string_view fileName) : fileName_(fileName) {}

    void Error(std::size_t line, const std::string& what) {
        if (result_.errors.size() < kMaxKeyMapErrors) {
            result_.errors.push_back(std::string(fileName_) + ":" + std::to_string(line) + ": " + what);
        } else if (result_.errors.size() == kMaxKeyMapErrors) {
            result_.errors.push_back(std::string(fileName_) + ": further errors not listed");
        }
    }

    void Line(std::size_t number, std::string_view line) {
        if (line.size() > kMaxKeyMapLineLength) {
            Error(number, "line longer than " + std::to_string(kMaxKeyMapLineLength) + " characters");
            return;
        }
        if (const auto hash = line.find('#'); hash != std::string_view::npos) line = line.substr(0, hash);
        line = Trim(line);
        if (line.empty()) return;
        const auto equals = line.find('=');
        if (equals == std::string_view::npos) {
            Error(number, "expected 'key = function', found " + Quoted(line));
            return;
        }
        const std::string_view left = Trim(line.substr(0, equals));
        const std::string_view right = Trim(line.substr(equals + 1));
        if (left == "base") {
            Base(number, right);
            return;
        }
        if (!sawBase_) {
            Error(number, "the first line must be 'base = <map>' (Standard, IBM5250 or Laptop); using Standard");
            sawBase_ = true;
        }
        Binding(number, left, right);
    }

    KeyMapFileResult Take() { return std::move(result_); }

private:
    void Base(std::size_t number, std::string_view name) {
        if (sawBase_) {
            Error(number, "'base' only on the first line");
            return;
        }
        sawBase_ = true;
        const auto id = BuiltInKeyMapByName(name);
        if (!id) {
            Error(number, "unknown base map " + Quoted(name) + " (Standard, IBM5250 or Laptop); using Standard");
            return;
        }
        result_.map = KeyMap::BuiltIn(*id);
    }

    void Binding(std::size_t number, std::string_view keyText, std::string_view functionText) {
        const auto key = ParseKeyChord(keyText);
        const std::optional<std::string> macro = MacroOfFunctionText(functionText);
        const auto function = macro ? std::optional<KeyFunction>(KeyFunction::kNone)
                                    : KeyFunctionByName(functionText);
        if (!key) Error(number, "unknown key " + Quoted(keyText));
        if (!function) Error(number, "unknown function " + Quoted(functionText));
        if (!key || !function) return;
        if (IsMainWindowShortcut(*key) &&
            !(*function == KeyFunction::kSystemRequest && key->key == "Esc")) {
            Error(number, Quoted(keyText) + " is a shortcut of the main window");
            return;
        }
        if (const auto it = lines_.find(*key); it != lines_.end()) {
            Error(number, Quoted(keyText) + " is bound twice (first on line " +
                              std::to_string(it->second) + ")");
            return;
        }
        if (macro) {
            if (!result_.map.BindMacro(*key, *macro)) {
                Error(number, "more than " + std::to_string(KeyMap::kMaxBindings) + " keys");
                return;
            }
        } else if (*function == KeyFunction::kNone) {
            result_.map.Remove(*key);
        } else if (!result_.map.Bind(*key, *function)) {
            Error(number, "more than " + std::to_string(KeyMap::kMaxBindings) + " keys");
            return;
        }
        lines_.emplace(*key, number);
    }

    std::string_view fileName_;
    KeyMapFileResult result_;
    std::map<KeyChord, std::size_t> lines_;  ///< each key's line; at most kMaxBindings + the base's
    bool sawBase_ = false;
};

}  // namespace

KeyMapFileResult ParseKeyMapFile(std::string_view text, std::string_view fileName) {
    Reader reader(fileName);
    const bool cut = text.size() > kMaxKeyMapFileBytes;
    if (cut) text = text.substr(0, kMaxKeyMapFileBytes);
    std::size_t number = 0;
    while (!text.empty()) {
        ++number;
        const auto end = text.find('\n');
        reader.Line(number, text.substr(0, end));
        if (end == std::string_view::npos) break;
        text.remove_prefix(end + 1);
    }
    if (cut) {
        reader.Error(number, "file larger than " + std::to_string(kMaxKeyMapFileBytes / 1024) +
                                 " KiB; the rest is not read");
    }
    return reader.Take();
}

std::string FormatKeyMapFile(const KeyMap& map) {
    std::string out = "# Quenlix Telnet keyboard map\nbase = ";
    out += BuiltInKeyMapName(map.base());
    out += '\n';
    for (const auto& [key, function] : map.ChangesFromBase()) {
        out += FormatKeyChord(key) + " = " + std::string(KeyFunctionName(function)) + "\n";
    }
    for (const auto& [key, name] : map.macroBindings()) {
        out += FormatKeyChord(key) + " = " + std::string(kMacroFunctionPrefix) + name + "\n";
    }
    return out;
}

}  // namespace quenlix
