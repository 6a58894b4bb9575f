// What the operator's keys record as changed: every echo, cursor move,
// indicator and refusal is in the damage record, so the window paints it.
#include <gtest/gtest.h>

#include "InputFixture.h"
#include "support/DamageCheck.h"

namespace quenlix::testing {
namespace {

class InputDamageTest : public InputTest {
protected:
    /// Does `act` and checks that its damage covers what it changed.
    template <typename Act>
    ScreenDamage Covered(const char* what, Act act) {
        const VisibleScreen before = Visible(terminal);
        terminal.TakeDamage();
        act();
        const ScreenDamage damage = terminal.TakeDamage();
        const std::string missed = MissedDamage(before, terminal, damage);
        EXPECT_TRUE(missed.empty()) << what << ": " << missed;
        return damage;
    }
};

TEST_F(InputDamageTest, EveryEditRecordsWhatItChanged) {
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0, 0x20, 8).text("ABCDEF")
               .sba(5, 10).startOfField(0x47, 0, 0x24, 6)
               .sba(7, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(3, 10).readMdtFields());
    const char* keys[] = {"Right", "Right", "Insert", "Delete", "Backspace", "End", "Home",
                          "Ctrl+Right", "Tab", "FieldMinus", "Shift+Tab", "FieldPlus",
                          "Shift+Right", "Shift+Down", "Left", "Insert", "DeleteFields",
                          "Up", "Down"};
    for (const char* key : keys) {
        Covered(key, [&] { input.PressKey(key); });
        Covered("a character", [&] { input.Type("7"); });
    }
    Covered("a word selected", [&] { input.SelectWord(3, 11); });
    Covered("a paste over two fields", [&] { input.Paste("12345\t678"); });
    Covered("a refused paste", [&] { input.Paste("LETTERS"); });
    const ScreenDamage sent = Covered("Enter", [&] { input.PressKey("Enter"); });
    ASSERT_EQ(terminal.state.inputInhibited, 1) << terminal.state.refusedReason;
    Covered("a roll key while locked", [&] { input.PressKey("PageUp"); });
    EXPECT_TRUE(sent.indicator(Indicator::kInhibit)) << "X-System shows from the moment it is sent";
    Covered("a key refused while locked", [&] { input.Type("X"); });
}

TEST_F(InputDamageTest, TheNamedFunctionsRecordWhatTheyChanged) {
    using enum KeyFunction;
    Screen(Wtd().sba(3, 10).startOfField(0x50, 0, 0x20, 8).text("ABCDEF")
               .sba(5, 10).startOfField(0x48, 0, 0x20, 6).text("HOST")
               .sba(7, 10).startOfField(0x40, 0, 0x20, 4).insertCursor(3, 12).readMdtFields());
    const KeyFunction functions[] = {kFieldMark, kEraseEof, kNewLine, kHomePosition, kDup,
                                     kFieldExit, kEraseInput, kReset, kWordRight, kDown};
    for (const KeyFunction f : functions) {
        Covered(KeyFunctionName(f).data(), [&] { input.keyboard().Perform(f); });
        Covered("a character", [&] { input.Type("7"); });
    }
    Covered("a refused Dup", [&] {
        CursorAt(7, 11);
        input.keyboard().Perform(kDup);
    });
}

TEST_F(InputDamageTest, ACharacterMarksItsCellAndTheCursorOnly) {
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0, 0x20, 8).insertCursor(3, 11).readMdtFields());
    const ScreenDamage d = Covered("a character", [&] { input.Type("Q"); });
    EXPECT_EQ(d.row(2), (ScreenDamage::Columns{10, 11}));
    for (int row = 0; row < terminal.rows(); ++row) {
        if (row != 2) {
            EXPECT_TRUE(d.row(row).empty()) << "row " << row + 1;
        }
    }
    EXPECT_TRUE(d.cursor());
    EXPECT_FALSE(d.all());
}

}  // namespace
}  // namespace quenlix::testing
