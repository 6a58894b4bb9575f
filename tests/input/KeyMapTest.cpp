// Key maps: the built-in maps key by key, keys under a map through the
// named-key path, the key names, and map files good and bad.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <unistd.h>

#include "InputFixture.h"
#include "input/KeyMapFile.h"
#include "input/KeyRefusal.h"
#include "input/KeyMapStore.h"

namespace quenlix::testing {
namespace {

using namespace ds;
using enum KeyFunction;

KeyChord Key(std::string_view name) {
    const auto chord = ParseKeyChord(name);
    EXPECT_TRUE(chord.has_value()) << name;
    return chord.value_or(KeyChord{});
}

struct MapRow {
    const char* key;
    std::optional<KeyFunction> function;  ///< empty: unbound
};

void ExpectRows(const KeyMap& map, std::initializer_list<MapRow> rows) {
    for (const MapRow& row : rows) {
        EXPECT_EQ(map.Lookup(Key(row.key)), row.function) << row.key;
    }
}

TEST(KeyMaps, BuiltInMapsKeyByKey) {
    SCOPED_TRACE("Standard");
    const KeyMap standard = KeyMap::BuiltIn(BuiltInKeyMap::kStandard);
    ExpectRows(standard, {{"Enter", kEnter}, {"KeypadEnter", kEnter}, {"Esc", kAttention},
                          {"Shift+Esc", kSystemRequest}, {"PageUp", kRollDown},
                          {"PageDown", kRollUp}, {"Backtab", kBacktab}, {"Ctrl+Left", kWordLeft},
                          {"KeypadPlus", kFieldPlus}, {"FieldMinus", kFieldMinus},
                          {"RightCtrl", {}}, {"Ctrl+Enter", {}}, {"F11", {}}});
    {
        SCOPED_TRACE("IBM5250");
        ExpectRows(KeyMap::BuiltIn(BuiltInKeyMap::kIbm5250),
                   {{"Enter", kFieldExit}, {"RightCtrl", kEnter}, {"LeftCtrl", kReset},
                    {"Esc", kAttention}, {"Shift+Esc", kSystemRequest}, {"Pause", kClear},
                    {"ScrollLock", kHelp}, {"PrintScreen", kPrint}, {"KeypadEnter", kEnter},
                    {"Tab", kTab}, {"F11", {}}});
    }
    {
        SCOPED_TRACE("Laptop");
        ExpectRows(KeyMap::BuiltIn(BuiltInKeyMap::kLaptop),
                   {{"Ctrl+Enter", kFieldExit}, {"Shift+Enter", kFieldExit},
                    {"Ctrl+Minus", kFieldMinus}, {"Ctrl+K", kDup}, {"Enter", kEnter},
                    {"Ctrl+Backspace", kReset}, {"Ctrl+End", kEraseEof}, {"F11", {}}});
    }
}

TEST(KeyMaps, BuiltInMapsAvoidShortcutsAndLaptopNeedsNoKeypad) {
    for (const BuiltInKeyMapInfo& info : BuiltInKeyMaps()) {
        SCOPED_TRACE(info.name);
        const KeyMap map = KeyMap::BuiltIn(info.id);
        for (const auto& [key, function] : map.bindings()) {
            if (function == kSystemRequest && key.key == "Esc") continue;
            EXPECT_FALSE(IsMainWindowShortcut(key)) << FormatKeyChord(key);
            EXPECT_FALSE(key.key.starts_with("F")) << "F-keys stay the host's";
        }
    }
    // Every function a 5250 keyboard has within reach without a keypad.
    const KeyMap laptop = KeyMap::BuiltIn(BuiltInKeyMap::kLaptop);
    for (const KeyFunction f : {kFieldExit, kFieldMinus, kDup, kFieldMark, kEraseEof, kEraseInput,
                                kReset, kHomePosition, kNewLine, kAttention, kSystemRequest}) {
        const std::vector<KeyChord> keys = laptop.KeysOf(f);
        EXPECT_TRUE(std::any_of(keys.begin(), keys.end(),
                                [](const KeyChord& k) { return !k.key.starts_with("Keypad"); }))
            << KeyFunctionName(f);
    }
}

TEST(KeyChords, NamesReadAndWriteBack) {
    EXPECT_EQ(Key("F13"), Key("Shift+F1"));
    EXPECT_EQ(Key("Backtab"), Key("Shift+Tab"));
    EXPECT_EQ(Key("Shift+Ctrl+Enter"), Key("Ctrl+Shift+Enter"));
    EXPECT_EQ(FormatKeyChord(Key("Shift+AltGr+Alt+Ctrl+A")), "Ctrl+Alt+AltGr+Shift+A");
    EXPECT_EQ(FormatKeyChord(Key("F24")), "Shift+F12");
    for (const char* bad : {"", "Ctrl+", "Ctrl+Ctrl+A", "Shift+F13", "Shift+Backtab", "F25",
                            "a", "Ctrl+RightCtrl", "Keypad10", "Enter ", "Reset"}) {
        EXPECT_FALSE(ParseKeyChord(bad).has_value()) << "'" << bad << "'";
    }
    for (const std::string_view key : KeyChordKeys()) {
        EXPECT_EQ(FormatKeyChord(Key(key)), key);
    }
}

TEST(KeyMapFiles, AGoodFileChangesOnlyTheKeysItNames) {
    const KeyMapFileResult r = ParseKeyMapFile(
        "# my keys\r\n\n  base = IBM5250  \nCtrl+Enter = FieldExit   # on the laptop\n"
        "Enter = Enter\nEsc = None\nKeypad0 = Dup\n",
        "mine.keymap");
    EXPECT_TRUE(r.errors.empty()) << r.errors.front();
    EXPECT_EQ(r.map.base(), BuiltInKeyMap::kIbm5250);
    ExpectRows(r.map, {{"Ctrl+Enter", kFieldExit}, {"Enter", kEnter}, {"Esc", kNone},
                       {"Keypad0", kDup}, {"RightCtrl", kEnter}, {"Pause", kClear}});
    // Written out and read back it is the same map, and says only what changed.
    const std::string text = FormatKeyMapFile(r.map);
    EXPECT_EQ(ParseKeyMapFile(text, "again").map, r.map);
    EXPECT_EQ(text.find("Pause"), std::string::npos) << text;
}

TEST(KeyMapFiles, AKeyPlaysAMacroInsteadOfItsFunction) {
    const KeyMapFileResult r = ParseKeyMapFile(
        "base = Laptop\nCtrl+K = Macro:Daily sign-on\nCtrl+F9 = Macro:x\nCtrl+J = Macro:../etc\n"
        "Ctrl+Q = Macro:\nCtrl+V = Macro:y\n",
        "m.keymap");
    const std::vector<std::string> expected = {
        "m.keymap:4: unknown function 'Macro:../etc'",
        "m.keymap:5: unknown function 'Macro:'",
        "m.keymap:6: 'Ctrl+V' is a shortcut of the main window",
    };
    EXPECT_EQ(r.errors, expected);
    EXPECT_EQ(r.map.MacroOf(Key("Ctrl+K")), "Daily sign-on");
    // Ctrl+K was the Laptop map's Dup: it plays the macro and nothing else.
    EXPECT_EQ(r.map.Override(Key("Ctrl+K")), kNone);
    EXPECT_EQ(r.map.MacroOf(Key("Ctrl+J")), std::nullopt);
    const std::string text = FormatKeyMapFile(r.map);
    EXPECT_NE(text.find("Ctrl+K = Macro:Daily sign-on\n"), std::string::npos) << text;
    EXPECT_EQ(text.find("Ctrl+K = None"), std::string::npos) << "one line a key: " << text;
    const KeyMapFileResult again = ParseKeyMapFile(text, "again");
    EXPECT_TRUE(again.errors.empty()) << again.errors.front();
    EXPECT_EQ(again.map, r.map);
    // A function bound to the key again ends the macro's binding.
    KeyMap map = r.map;
    map.Bind(Key("Ctrl+K"), kDup);
    EXPECT_EQ(map.MacroOf(Key("Ctrl+K")), std::nullopt);
    KeyMap expectedMap = KeyMap::BuiltIn(BuiltInKeyMap::kLaptop);
    expectedMap.BindMacro(Key("Ctrl+F9"), "x");
    EXPECT_EQ(map, expectedMap);
}

TEST(KeyMapFiles, EveryBadLineIsReportedWithItsLineAndTheRestIsUsed) {
    const KeyMapFileResult r = ParseKeyMapFile(
        "Ctrl+K = Dup\n"             // 1: the base is missing
        "base = Laptop\n"            // 2: too late
        "Hyper+K = Dup\n"            // 3
        "Ctrl+Q = Teleport\n"        // 4
        "Ctrl+C = Reset\n"           // 5: copy
        "Ctrl+K = FieldMark\n"       // 6: twice
        "just words\n"               // 7
        "Shift+Esc = SysReq\n"       // 8: the shortcut's own function is fine
        "Ctrl+Y = Reset\n",          // 9
        "bad.keymap");
    const std::vector<std::string> expected = {
        "bad.keymap:1: the first line must be 'base = <map>' (Standard, IBM5250 or Laptop); using Standard",
        "bad.keymap:2: 'base' only on the first line",
        "bad.keymap:3: unknown key 'Hyper+K'",
        "bad.keymap:4: unknown function 'Teleport'",
        "bad.keymap:5: 'Ctrl+C' is a shortcut of the main window",
        "bad.keymap:6: 'Ctrl+K' is bound twice (first on line 1)",
        "bad.keymap:7: expected 'key = function', found 'just words'",
    };
    EXPECT_EQ(r.errors, expected);
    EXPECT_EQ(r.map.base(), BuiltInKeyMap::kStandard);
    ExpectRows(r.map, {{"Ctrl+K", kDup}, {"Ctrl+Y", kReset}, {"Ctrl+C", {}}, {"Ctrl+Q", {}}});
}

TEST(KeyMapFiles, HostileFilesAreBounded) {
    std::string many = "base = Standard\n";
    for (int i = 0; i < 200; ++i) many += "Nothing = Nowhere\n";
    const KeyMapFileResult errors = ParseKeyMapFile(many, "f");
    EXPECT_EQ(errors.errors.size(), kMaxKeyMapErrors + 1);
    EXPECT_EQ(errors.errors.back(), "f: further errors not listed");

    const std::string longLine = "base = Standard\nCtrl+K = " + std::string(300, 'x') + "\n";
    EXPECT_EQ(ParseKeyMapFile(longLine, "f").errors,
              std::vector<std::string>{"f:2: line longer than 200 characters"});

    std::string huge = "base = Laptop\n";
    while (huge.size() <= kMaxKeyMapFileBytes) huge += "# padding padding padding\n";
    const KeyMapFileResult cut = ParseKeyMapFile(huge, "f");
    ASSERT_EQ(cut.errors.size(), 1u);
    EXPECT_NE(cut.errors[0].find("the rest is not read"), std::string::npos);
    EXPECT_EQ(cut.map.base(), BuiltInKeyMap::kLaptop);

    // Controls in what a line held never reach the message.
    const KeyMapFileResult quoted = ParseKeyMapFile("base = Standard\nA\x1b[2J = Dup\n", "f");
    ASSERT_EQ(quoted.errors.size(), 1u);
    EXPECT_EQ(quoted.errors[0], "f:2: unknown key 'A?[2J'");
}

TEST(KeyMapFiles, MapsByNameFromTheConfigurationFolder) {
    const std::filesystem::path dir =
        std::filesystem::temp_directory_path() / ("quenlix-keymaps-" + std::to_string(::getpid()));
    std::filesystem::remove_all(dir);
    const char* old = std::getenv("XDG_CONFIG_HOME");
    const std::string saved = old ? old : "";
    ::setenv("XDG_CONFIG_HOME", dir.c_str(), 1);

    EXPECT_EQ(UserKeyMapFolder(), dir.string() + "/Quenlix/keymaps");
    KeyMap map = KeyMap::BuiltIn(BuiltInKeyMap::kLaptop);
    map.Bind(Key("Ctrl+Q"), kDup);
    EXPECT_EQ(SaveKeyMap(KeyMapPath("desk"), map), 0);
    const KeyMapFileResult loaded = LoadKeyMap("desk");
    EXPECT_TRUE(loaded.errors.empty());
    EXPECT_EQ(loaded.map, map);
    EXPECT_EQ(UserKeyMapNames(), std::vector<std::string>{"desk"});
    EXPECT_EQ(LoadKeyMap("IBM5250").map, KeyMap::BuiltIn(BuiltInKeyMap::kIbm5250));
    EXPECT_EQ(LoadKeyMap("").map, KeyMap());

    const KeyMapFileResult missing = LoadKeyMap("absent");
    EXPECT_EQ(missing.map, KeyMap());
    ASSERT_EQ(missing.errors.size(), 1u);
    EXPECT_EQ(missing.errors[0], KeyMapPath("absent") + ": cannot read: No such file or directory");

    if (old) ::setenv("XDG_CONFIG_HOME", saved.c_str(), 1);
    else ::unsetenv("XDG_CONFIG_HOME");
    std::filesystem::remove_all(dir);
}

TEST(KeyMapHelp, TheHelpPageListsEveryFunctionAndEveryMapsKeys) {
    std::ifstream file(QUENLIX_SOURCE_DIR "/data/help/keyboard.html");
    ASSERT_TRUE(file) << "the keyboard help page";
    const std::string page((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    const std::size_t table = page.find("<h3>The functions and their keys</h3>");
    ASSERT_NE(table, std::string::npos);
    for (const KeyFunctionInfo& f : KeyFunctions()) {
        if (FunctionKeyNumber(f.function) > 0) continue;  // listed as F1 ... F24
        const std::string cell = "<tr><td><code>" + std::string(f.name) + "</code></td>";
        const std::size_t row = page.find(cell, table);
        ASSERT_NE(row, std::string::npos) << f.name;
        const std::string line = page.substr(row, page.find("</tr>", row) - row);
        // The row's three key cells, in the order Standard, IBM 5250, Laptop.
        std::size_t at = line.find("</td><td>", line.find("</td><td>") + 1);
        for (const BuiltInKeyMapInfo& m : BuiltInKeyMaps()) {
            ASSERT_NE(at, std::string::npos) << f.name;
            const std::size_t end = line.find("</td>", at + 9);
            const std::string keys = line.substr(at + 9, end - at - 9);
            std::string expected;
            for (const KeyChord& k : KeyMap::BuiltIn(m.id).KeysOf(f.function)) {
                expected += (expected.empty() ? "" : ", ") + ("<kbd>" + FormatKeyChord(k) + "</kbd>");
            }
            EXPECT_EQ(keys, expected.empty() ? "&ndash;" : expected) << f.name << " in " << m.name;
            at = line.find("</td><td>", end);
            if (at == std::string::npos) at = end;  // past the last cell
        }
    }
}

class KeysUnderAMap : public InputTest {};

TEST_F(KeysUnderAMap, TheStandardMapTakesTodaysPathForEveryKey) {
    const KeyMap standard;
    for (const std::string_view name : KeyChordKeys()) {
        for (const std::uint8_t mods : {0, 1, 2, 3, 4, 8}) {
            KeyChord chord{std::string(name), mods};
            if (IsModifierKey(name) && mods != 0) continue;
            EXPECT_FALSE(standard.Override(chord).has_value()) << FormatKeyChord(chord);
        }
    }
}

TEST_F(KeysUnderAMap, EnterIsFieldExitUnderTheIbmMap) {
    Screen(Wtd().sba(5, 10).startOfField(0x43, 0x05, 0x20, 6)
               .sba(7, 10).startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11).readMdtFields());
    input.SetKeyMap(KeyMap::BuiltIn(BuiltInKeyMap::kIbm5250));
    input.Type("42");
    EXPECT_TRUE(input.PressKey("Enter"));
    EXPECT_EQ(Text(5, 11, 6), "000042") << "right-adjusted, zero filled";
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(CursorRow(), 7);
    EXPECT_TRUE(sender.sent.empty()) << "Enter under this map sends nothing";
    // Right Ctrl and the keypad's Enter send the screen.
    EXPECT_TRUE(input.PressKey("RightCtrl"));
    EXPECT_EQ(SentAid(), kAidEnter);
    const Bytes expected = Sent(kOpPutGet, {7, 11, kAidEnter, 0x11, 5, 11, 0xF0, 0xF0, 0xF0, 0xF0, 0xF4, 0xF2});
    EXPECT_EQ(sender.sent[0], expected);
    // Under the Standard map Right Ctrl is only Ctrl.
    input.SetKeyMap(KeyMap());
    sender.sent.clear();
    terminal.SetKeyboardLocked(false);
    EXPECT_TRUE(input.PressKey("RightCtrl"));
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(KeysUnderAMap, FunctionNamesAndMappedKeysWaitBehindTheLock) {
    Screen(Wtd().sba(5, 10).startOfField(0x50, 0, 0x20, 4)
               .sba(7, 10).startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11).readMdtFields());
    input.SetKeyMap(KeyMap::BuiltIn(BuiltInKeyMap::kLaptop));
    EXPECT_TRUE(input.PressKey("Dup"));
    EXPECT_EQ(EbcdicAt(5, 11, 4), (Bytes{0x1C, 0x1C, 0x1C, 0x1C}));
    EXPECT_TRUE(input.PressKey("F3"));
    ASSERT_EQ(terminal.state.inputInhibited, 1);
    // Held by type-ahead, and done when the host unlocks the keyboard.
    CursorAt(7, 11);
    EXPECT_TRUE(input.PressKey("Ctrl+K"));
    EXPECT_EQ(Cell(7, 11).ebcdic, 0x40);
    terminal.SetKeyboardLocked(false);
    input.CheckTypeAhead();
    EXPECT_EQ(terminal.state.refusedReason, refusal::kDupNotAllowed);
    EXPECT_FALSE(input.PressKey("Teleport"));
    EXPECT_FALSE(input.PressKey("None"));
}

}  // namespace
}  // namespace quenlix::testing
