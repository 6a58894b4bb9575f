// Key maps in the desktop program: Qt key events to key names (left and
// right modifiers, the keypad), the tap of a bound modifier key, the main
// window's shortcuts, and the Keyboard Mapping dialog's changes.
#include <gtest/gtest.h>

#include <QKeyEvent>
#include <QTemporaryDir>
#include <QTreeWidget>
#include <cstdlib>

#include "app/CDlgKeyMapping.h"
#include "app/CommandIds.h"
#include "app/CommandTable.h"
#include "app/KeyTranslator.h"
#include "input/KeyMapFile.h"
#include "input/KeyMapStore.h"

namespace quenlix::app {
namespace {

QKeyEvent Press(int key, Qt::KeyboardModifiers mods = Qt::NoModifier, quint32 scan = 0,
                quint32 sym = 0) {
    return QKeyEvent(QEvent::KeyPress, key, mods, scan, sym, 0);
}

std::string NameOf(const QKeyEvent& e) {
    const auto chord = ChordOf(e);
    return chord ? FormatKeyChord(*chord) : "(none)";
}

TEST(KeyTranslation, ModifierKeysAreToldApartWhereThePlatformSays) {
    const struct {
        int key;
        quint32 scan, sym;
        const char* name;
    } rows[] = {
        {Qt::Key_Control, 37, 0xFFE3, "LeftCtrl"},   {Qt::Key_Control, 105, 0xFFE4, "RightCtrl"},
        {Qt::Key_Control, 105, 0, "RightCtrl"},      {Qt::Key_Control, 0, 0xFFE3, "LeftCtrl"},
        {Qt::Key_Shift, 50, 0xFFE1, "LeftShift"},    {Qt::Key_Shift, 62, 0xFFE2, "RightShift"},
        {Qt::Key_Alt, 64, 0xFFE9, "LeftAlt"},        {Qt::Key_Alt, 108, 0xFFEA, "AltGr"},
        {Qt::Key_AltGr, 108, 0xFE03, "AltGr"},
        // The symbol wins over a scan code of another keyboard.
        {Qt::Key_Control, 37, 0xFFE4, "RightCtrl"},
        // Neither reported (offscreen): no name, today's path.
        {Qt::Key_Control, 0, 0, "(none)"},           {Qt::Key_Shift, 0, 0, "(none)"},
    };
    for (const auto& row : rows) {
        EXPECT_EQ(NameOf(Press(row.key, Qt::NoModifier, row.scan, row.sym)), row.name)
            << row.scan << " " << row.sym;
    }
}

TEST(KeyTranslation, KeypadAndMainKeysWithTheirModifiers) {
    const Qt::KeyboardModifiers keypad = Qt::KeypadModifier;
    const struct {
        QKeyEvent event;
        const char* name;
    } rows[] = {
        {Press(Qt::Key_Return), "Enter"},
        {Press(Qt::Key_Enter, keypad), "KeypadEnter"},
        {Press(Qt::Key_5, keypad), "Keypad5"},
        {Press(Qt::Key_5), "5"},
        {Press(Qt::Key_Plus, keypad), "KeypadPlus"},
        {Press(Qt::Key_Plus, Qt::ShiftModifier), "Shift+Plus"},
        {Press(Qt::Key_Minus, keypad), "KeypadMinus"},
        {Press(Qt::Key_Minus, Qt::ControlModifier), "Ctrl+Minus"},
        {Press(Qt::Key_Backtab, Qt::ShiftModifier), "Shift+Tab"},
        {Press(Qt::Key_Return, Qt::ControlModifier | Qt::ShiftModifier), "Ctrl+Shift+Enter"},
        {Press(Qt::Key_K, Qt::ControlModifier), "Ctrl+K"},
        {Press(Qt::Key_F13), "Shift+F1"},
        {Press(Qt::Key_F3, Qt::ShiftModifier), "Shift+F3"},
        {Press(Qt::Key_Pause), "Pause"},
        {Press(Qt::Key_Print), "PrintScreen"},
        {Press(Qt::Key_E, Qt::GroupSwitchModifier), "AltGr+E"},
        {Press(Qt::Key_Eacute), "(none)"},
    };
    for (const auto& row : rows) EXPECT_EQ(NameOf(row.event), row.name);
}

TEST(KeyTranslation, ABoundModifierActsWhenReleasedAlone) {
    ModifierTap tap;
    tap.Pressed(Qt::Key_Control, KeyFunction::kEnter);
    tap.Pressed(Qt::Key_Control, KeyFunction::kEnter);  // auto-repeat
    EXPECT_EQ(tap.Released(Qt::Key_Control), KeyFunction::kEnter);
    EXPECT_EQ(tap.Released(Qt::Key_Control), std::nullopt) << "once";
    // Ctrl+C with that Ctrl copies; the Ctrl does not send Enter after it.
    tap.Pressed(Qt::Key_Control, KeyFunction::kEnter);
    tap.Pressed(Qt::Key_C, std::nullopt);
    EXPECT_EQ(tap.Released(Qt::Key_C), std::nullopt);
    EXPECT_EQ(tap.Released(Qt::Key_Control), std::nullopt);

    // The view's events for a bound key: the Shift brought in step, then the function.
    const std::vector<KeyEvent> events =
        TranslateMappedPress(Press(Qt::Key_Return, Qt::ShiftModifier), KeyFunction::kFieldExit, false);
    ASSERT_EQ(events.size(), 2u);
    EXPECT_EQ(events[0].kind, KeyEvent::Kind::kKeyDown);
    EXPECT_EQ(events[1], (KeyEvent{KeyEvent::Kind::kFunction, static_cast<int>(KeyFunction::kFieldExit), 0, false}));
}

TEST(KeyTranslation, EveryShortcutOfTheMainWindowIsRefusedInMaps) {
    int checked = 0;
    for (const CommandSpec& command : AllCommands()) {
        for (const QKeySequence& sequence : command.keys) {
            const QKeyCombination k = sequence[0];
            const QKeyEvent e = Press(k.key(), k.keyboardModifiers());
            const auto chord = ChordOf(e);
            ASSERT_TRUE(chord.has_value()) << sequence.toString().toStdString();
            // The tab keys are the window's too, but a user's map may bind them.
            if (command.id >= kCmdNextTab && command.id <= kCmdTab9) {
                EXPECT_TRUE(IsSessionSwitchKey(*chord)) << FormatKeyChord(*chord);
                EXPECT_FALSE(IsMainWindowShortcut(*chord)) << FormatKeyChord(*chord);
                continue;
            }
            EXPECT_TRUE(IsMainWindowShortcut(*chord)) << FormatKeyChord(*chord);
            ++checked;
        }
    }
    EXPECT_GT(checked, 20);
}

TEST(KeyTranslation, TheTabKeysAreFreeInTheBuiltInMapsAndAUserMapMayBindThem) {
    const std::vector<std::string> keys = {"Ctrl+PageDown", "Ctrl+PageUp", "Alt+1", "Alt+5", "Alt+9"};
    for (const BuiltInKeyMapInfo& info : BuiltInKeyMaps()) {
        const KeyMap map = KeyMap::BuiltIn(info.id);
        for (const auto& [chord, function] : map.bindings()) {
            EXPECT_FALSE(IsSessionSwitchKey(chord)) << info.name << " binds " << FormatKeyChord(chord);
        }
        for (const std::string& key : keys) {
            EXPECT_FALSE(map.Lookup(*ParseKeyChord(key)).has_value()) << info.name << " " << key;
        }
    }
    EXPECT_FALSE(IsSessionSwitchKey(*ParseKeyChord("Alt+0")));
    EXPECT_FALSE(IsSessionSwitchKey(*ParseKeyChord("Ctrl+Shift+PageUp")));
    // A user's map written before tabs came keeps its binding of such a key.
    const KeyMapFileResult read =
        ParseKeyMapFile("base = Standard\nAlt+1 = PA1\nCtrl+PageDown = RollUp\n", "old.map");
    EXPECT_TRUE(read.errors.empty()) << (read.errors.empty() ? "" : read.errors.front());
    EXPECT_EQ(read.map.Lookup(*ParseKeyChord("Alt+1")), KeyFunction::kPa1);
}

class KeyMappingDialogTest : public ::testing::Test {
protected:
    KeyMappingDialogTest() {
        const char* old = std::getenv("XDG_CONFIG_HOME");
        saved_ = old ? std::optional<std::string>(old) : std::nullopt;
        ::setenv("XDG_CONFIG_HOME", dir_.path().toLocal8Bit().constData(), 1);
    }
    ~KeyMappingDialogTest() override {
        if (saved_) ::setenv("XDG_CONFIG_HOME", saved_->c_str(), 1);
        else ::unsetenv("XDG_CONFIG_HOME");
    }
    static KeyChord Key(std::string_view name) { return *ParseKeyChord(name); }

    QTemporaryDir dir_;
    std::optional<std::string> saved_;
};

TEST_F(KeyMappingDialogTest, ChangesApplyAtOnceAndAreKeptAsTheUsersMap) {
    CDlgKeyMapping dialog(KeyMap(), "", "Pay roll/2");
    std::vector<std::pair<std::string, KeyMap>> applied;
    std::vector<QString> warnings;
    dialog.apply = [&](const std::string& name, const KeyMap& map) { applied.emplace_back(name, map); };
    dialog.warn = [&](const QString& text) { warnings.push_back(text); };

    ASSERT_TRUE(dialog.AddKey(KeyFunction::kFieldExit, Key("Ctrl+Enter")));
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].first, "Payroll2");
    EXPECT_EQ(applied[0].second.Lookup(Key("Ctrl+Enter")), KeyFunction::kFieldExit);
    EXPECT_EQ(LoadKeyMap("Payroll2").map, applied[0].second) << "saved in the configuration folder";
    const auto rows = dialog.tree()->findItems("FieldExit", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]->text(1), "Ctrl+Enter");

    // A key moves from the function it had; a shortcut is refused.
    ASSERT_TRUE(dialog.AddKey(KeyFunction::kDup, Key("Ctrl+Enter")));
    EXPECT_EQ(dialog.map().KeysOf(KeyFunction::kFieldExit), std::vector<KeyChord>{});
    EXPECT_FALSE(dialog.AddKey(KeyFunction::kDup, Key("Ctrl+V")));
    EXPECT_EQ(warnings.size(), 1u);
    EXPECT_EQ(applied.size(), 2u) << "a refused key changes nothing";

    // Removed again the map is the Standard one, named by nothing.
    dialog.RemoveKey(Key("Ctrl+Enter"));
    EXPECT_EQ(applied.back().first, "");
    EXPECT_EQ(applied.back().second, KeyMap());
    dialog.ResetTo(BuiltInKeyMap::kIbm5250);
    EXPECT_EQ(applied.back().first, "IBM5250");
    dialog.RemoveKey(Key("Pause"));
    EXPECT_EQ(applied.back().second.Lookup(Key("Pause")), KeyFunction::kNone);

    // Export and import give the same map.
    const std::string file = dir_.filePath("out.keymap").toStdString();
    ASSERT_TRUE(dialog.Export(file));
    CDlgKeyMapping other(KeyMap(), "", "x");
    other.apply = [&](const std::string& name, const KeyMap& map) { applied.emplace_back(name, map); };
    other.Import(file);
    EXPECT_EQ(applied.back().first, "out");
    EXPECT_EQ(applied.back().second, dialog.map());
}

TEST_F(KeyMappingDialogTest, TheOperatorsMacrosAreListedAndTakeKeys) {
    CDlgKeyMapping dialog(KeyMap::BuiltIn(BuiltInKeyMap::kLaptop), "Laptop", "Payroll");
    std::vector<std::pair<std::string, KeyMap>> applied;
    dialog.apply = [&](const std::string& name, const KeyMap& map) { applied.emplace_back(name, map); };
    std::vector<QString> warnings;
    dialog.warn = [&](const QString& text) { warnings.push_back(text); };
    dialog.SetMacroNames({"Daily", "Month end"});
    ASSERT_EQ(dialog.tree()->findItems("Macro:Month end", Qt::MatchExactly | Qt::MatchRecursive).size(), 1);
    // Ctrl+K was the Laptop map's Dup: it now plays the macro only.
    ASSERT_TRUE(dialog.AddMacroKey("Daily", Key("Ctrl+K")));
    ASSERT_EQ(applied.size(), 1u);
    EXPECT_EQ(applied[0].second.MacroOf(Key("Ctrl+K")), "Daily");
    EXPECT_EQ(applied[0].second.KeysOf(KeyFunction::kDup), std::vector<KeyChord>{});
    EXPECT_EQ(LoadKeyMap("Payroll").map, applied[0].second) << "kept in the map's file";
    const auto rows = dialog.tree()->findItems("Macro:Daily", Qt::MatchExactly | Qt::MatchRecursive);
    ASSERT_EQ(rows.size(), 1);
    EXPECT_EQ(rows[0]->text(1), "Ctrl+K");
    EXPECT_FALSE(dialog.AddMacroKey("Daily", Key("Ctrl+V"))) << "a shortcut of the main window";
    EXPECT_EQ(warnings.size(), 1u);
    dialog.RemoveKey(Key("Ctrl+K"));
    EXPECT_EQ(applied.back().second.MacroOf(Key("Ctrl+K")), std::nullopt);
}

TEST_F(KeyMappingDialogTest, FunctionKeysShowTheirPcKeysUnlessTheMapTakesThem) {
    CDlgKeyMapping dialog(KeyMap(), "", "Keys");
    dialog.warn = [](const QString&) {};
    auto keysOf = [&dialog](const char* function) {
        const auto rows = dialog.tree()->findItems(function, Qt::MatchExactly | Qt::MatchRecursive);
        return rows.size() == 1 ? rows[0]->text(1) : QStringLiteral("(no row)");
    };
    EXPECT_EQ(keysOf("F1"), "F1");
    EXPECT_EQ(keysOf("F12"), "F12");
    EXPECT_EQ(keysOf("F13"), "Shift+F1");
    EXPECT_EQ(keysOf("F24"), "Shift+F12");
    // Another key for F1 comes after its own; F1 bound elsewhere is no longer listed.
    ASSERT_TRUE(dialog.AddKey(KeyFunction::kF1, Key("Ctrl+K")));
    EXPECT_EQ(keysOf("F1"), "F1, Ctrl+K");
    ASSERT_TRUE(dialog.AddKey(KeyFunction::kHelp, Key("F1")));
    EXPECT_EQ(keysOf("F1"), "Ctrl+K");
    EXPECT_EQ(keysOf("Help"), "F1");
}

}  // namespace
}  // namespace quenlix::app
