// Choosing among the host's selection fields: by the cursor and Enter, by
// the number typed into the field, by the mouse, by a mnemonic; the bytes
// the host's Read MDT Fields gets back; push buttons and refusals.
#include <gtest/gtest.h>

#include "InputFixture.h"
#include "ds5250/SelectionFieldBuilder.h"
#include "input/KeyRefusal.h"
#include "input/SelectionChoice.h"
#include "terminal/SelectionAnswer.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class SelectionChoiceTest : public InputTest {
protected:
    SelectionChoiceTest() { settings.Enhanced = 1; }
    /// A colour field: a two-long answer field at 5,11 (attribute at 5,10),
    /// its choices from 5,14 down, and the host reading modified fields.
    void ColourScreen() {
        Screen(Wtd().sba(5, 10).startOfField(0x43, 0x00, 0x20, 2)
                   .displayStructuredField(kWdsfDefineSelectionField,
                                           SelectionFieldBuilder(SelectionKind::kSingleChoice)
                                               .layout(6, 0, 0)
                                               .choice("Red", ChoiceState::kAvailable, 0, 0)
                                               .choice("Green", ChoiceState::kAvailable, 0, 0)
                                               .choice("Blue", ChoiceState::kUnavailable)
                                               .data())
                   .insertCursor(5, 11)
                   .readMdtFields(0x00, kCc2UnlockKeyboard));
    }
    /// What Read MDT Fields sent: cursor, AID, then each modified field.
    Bytes Answer(std::uint8_t aid, const Bytes& fields) const {
        Bytes data = {static_cast<std::uint8_t>(CursorRow()), static_cast<std::uint8_t>(CursorColumn()), aid};
        data.insert(data.end(), fields.begin(), fields.end());
        return Sent(kOpPutGet, data);
    }
    static Bytes Field(int row, int column, const Bytes& bytes) {
        Bytes out = {0x11, static_cast<std::uint8_t>(row), static_cast<std::uint8_t>(column)};
        out.insert(out.end(), bytes.begin(), bytes.end());
        return out;
    }
};

TEST_F(SelectionChoiceTest, TheCursorAndEnterChooseAndTheHostReadsTheNumber) {
    ColourScreen();
    CursorAt(6, 18);  // on "Green"
    ASSERT_TRUE(input.PressKey("Enter"));
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], Answer(kAidEnter, Field(5, 11, {0xF0, 0xF2}))) << Described(sender.sent[0]);
}

TEST_F(SelectionChoiceTest, TheNumberTypedIntoTheFieldIsTheSameAnswer) {
    ColourScreen();
    input.Type("02");
    ASSERT_TRUE(input.PressKey("Enter"));
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], Answer(kAidEnter, Field(5, 11, {0xF0, 0xF2})));
    EXPECT_TRUE(ChoiceChosen(terminal, terminal.constructs.selectionFields()[0], 1))
        << "what the operator typed shows as the choice made";
}

TEST_F(SelectionChoiceTest, TheMouseAndTheMnemonicChooseTooAndAnUnavailableChoiceIsRefused) {
    ColourScreen();
    EXPECT_EQ(ChooseAt(input, 4, 15), ChoiceResult::kChosen);  // 0-based: "Red"
    EXPECT_EQ(Text(5, 11, 2), "01");
    EXPECT_EQ(InputTest::Field(0).mdt, 1);
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 18) << "on the choice's text";
    EXPECT_TRUE(sender.sent.empty()) << "no key goes without auto-enter";

    EXPECT_EQ(ChooseByMnemonic(input, 'g'), ChoiceResult::kChosen);
    EXPECT_EQ(Text(5, 11, 2), "02");
    EXPECT_EQ(ChooseByNumber(input, 0, 1), ChoiceResult::kChosen);
    EXPECT_EQ(Text(5, 11, 2), "01");

    EXPECT_EQ(ChooseAt(input, 6, 15), ChoiceResult::kRefused);  // "Blue"
    EXPECT_EQ(terminal.state.refusedReason, refusal::kChoiceUnavailable);
    EXPECT_EQ(Text(5, 11, 2), "01") << "the answer stays";
    EXPECT_EQ(ChooseAt(input, 10, 15), ChoiceResult::kNone);
    EXPECT_EQ(ChooseByNumber(input, 0, 9), ChoiceResult::kNone);
    EXPECT_EQ(ChooseByMnemonic(input, 'q'), ChoiceResult::kNone);

    ASSERT_TRUE(input.PressKey("Enter"));
    EXPECT_EQ(sender.sent.at(0), Answer(kAidEnter, Field(5, 11, {0xF0, 0xF1})));
    EXPECT_EQ(ChooseAt(input, 4, 15), ChoiceResult::kRefused) << "the keyboard is locked now";
}

TEST_F(SelectionChoiceTest, PushButtonsSendTheirKeyAndMultipleChoicesTurnOver) {
    Screen(Wtd().sba(3, 10).startOfField(0x40, 0x00, 0x20, 3)
               .displayStructuredField(kWdsfDefineSelectionField,
                                       SelectionFieldBuilder(SelectionKind::kMultipleChoice)
                                           .choice("A").choice("B").choice("C").data())
               .sba(20, 10)
               .displayStructuredField(kWdsfDefineSelectionField,
                                       SelectionFieldBuilder(SelectionKind::kPushButtons)
                                           .layout(0, 0, 1)
                                           .choice("OK")
                                           .choice("Cancel", ChoiceState::kAvailable, 0, -1, kAidF12)
                                           .data())
               .readMdtFields(0x00, kCc2UnlockKeyboard));
    EXPECT_EQ(ChooseByNumber(input, 0, 3), ChoiceResult::kChosen);
    EXPECT_EQ(ChooseByNumber(input, 0, 1), ChoiceResult::kChosen);
    EXPECT_EQ(ChooseByNumber(input, 0, 3), ChoiceResult::kChosen);
    EXPECT_EQ(EbcdicAt(3, 11, 3), (Bytes{0x61, 0x00, 0x00})) << "C turned on and off again";
    EXPECT_TRUE(sender.sent.empty());

    EXPECT_EQ(ChooseAt(input, 19, 20), ChoiceResult::kChosen);  // <Cancel>
    EXPECT_EQ(SentAid(), kAidF12);
    EXPECT_EQ(sender.sent[0], Answer(kAidF12, Field(3, 11, {0x61})))
        << "the choices not made are trailing nulls, which a read leaves out";
}

TEST_F(SelectionChoiceTest, AClickOnAScrollBarRollsTowardsWhereItWasAndOnTheSliderDoesNothing) {
    Screen(Wtd().sba(4, 70)
               .displayStructuredField(kWdsfDefineScrollBar, ScrollBarData(false, 30, 10, 8))
               .readMdtFields(0x00, kCc2UnlockKeyboard));
    // Rows 4..11: arrows on 4 and 11, the slider on 4 + 1 + 10 * 5 / 29 = 6.
    EXPECT_TRUE(ClickSelectionConstruct(input, 5, 69));  // 0-based: on the slider
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_FALSE(ClickSelectionConstruct(input, 3, 68)) << "beside it";
    EXPECT_TRUE(ClickSelectionConstruct(input, 3, 69));  // the upper arrow
    EXPECT_EQ(SentAid(), kAidRollDown);
    sender.sent.clear();
    Screen(RecordBuilder(kOpOutputOnly).writeToDisplay().readMdtFields(0x00, kCc2UnlockKeyboard));
    EXPECT_TRUE(ClickSelectionConstruct(input, 8, 69));  // the shaft below the slider
    EXPECT_EQ(SentAid(), kAidRollUp);
}

}  // namespace
}  // namespace quenlix::testing
