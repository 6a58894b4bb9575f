// The enhanced interface's selection fields and scroll bars as the
// interpreter takes them: where the choices go and what they show, the
// answer field's starting bytes, each operand at and past its limit with
// its negative response, and removing them.
#include "InterpreterFixture.h"
#include "ds5250/SelectionFieldBuilder.h"
#include "terminal/SelectionAnswer.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class SelectionFieldTest : public InterpreterTest {
protected:
    SelectionFieldTest() { settings.Enhanced = 1; }
    /// A screen with a two-long numeric input field at 5,10 and the
    /// selection field defined at its first data position.
    void Define(const SelectionFieldBuilder& b, int answerLength = 2) {
        RecordBuilder r;
        r.clearUnit().writeToDisplay().sba(5, 10);
        if (answerLength > 0) r.startOfField(0x43, 0x00, 0x20, answerLength);
        r.displayStructuredField(kWdsfDefineSelectionField, b.data());
        Run(r.record());
    }
    const SelectionField& Only() {
        EXPECT_EQ(terminal.constructs.selectionFields().size(), 1u);
        return terminal.constructs.selectionFields().front();
    }
};

TEST_F(SelectionFieldTest, ASingleChoiceFieldListsItsChoicesAfterItsAnswerField) {
    Define(SelectionFieldBuilder(SelectionKind::kSingleChoice)
               .layout(6, 0, 0)
               .choice("Red")
               .choice("Green", ChoiceState::kSelected, 0, 0)
               .choice("Blue", ChoiceState::kUnavailable)
               .choice("Mouse", ChoiceState::kAvailable, 0, -1, 0, false));
    EXPECT_TRUE(sender.sent.empty()) << Described(sender.sent.at(0));
    const SelectionField& f = Only();
    EXPECT_EQ(f.kind, SelectionKind::kSingleChoice);
    EXPECT_EQ(f.row, 5);
    EXPECT_EQ(f.column, 11) << "the field's first data position";
    EXPECT_EQ(f.answerPosition, HostPosition(5, 11, 80));
    ASSERT_EQ(f.choices.size(), 3u) << "a choice for other displays is left";
    // One below the other, after the field and its ending attribute.
    EXPECT_EQ(Text(5, 14, 10), " 1. Red   ");
    EXPECT_EQ(Text(6, 14, 10), " 2. Green ");
    EXPECT_EQ(Text(7, 14, 10), " 3. Blue  ");
    EXPECT_EQ(f.choices[1].mnemonic, 0);
    EXPECT_EQ(f.choices[2].state, ChoiceState::kUnavailable);
    EXPECT_EQ(Text(5, 11, 2), "02") << "the host's choice is the field's starting answer";
    EXPECT_EQ(terminal.formatTable.entry(0)->mdt, 0);
    EXPECT_TRUE(ChoiceChosen(terminal, f, 1));
    EXPECT_FALSE(ChoiceChosen(terminal, f, 0));
}

TEST_F(SelectionFieldTest, PushButtonsAndMenuBarsGoAcrossWithTheirNumbersAndKeys) {
    Define(SelectionFieldBuilder(SelectionKind::kPushButtons)
               .layout(0, 0, 1)
               .choice("OK", ChoiceState::kAvailable, 7)
               .choice("Cancel", ChoiceState::kAvailable, 12, -1, kAidF12),
           0);
    const SelectionField& f = Only();
    EXPECT_EQ(f.answerPosition, -1);
    EXPECT_EQ(Text(5, 10, 17), "<OK    > <Cancel>") << Row(5);
    EXPECT_EQ(f.choices[0].number, 7);
    EXPECT_EQ(f.choices[1].number, 12);
    EXPECT_EQ(f.choices[1].aid, kAidF12);

    Define(SelectionFieldBuilder(SelectionKind::kMenuBar).layout(5, 0, 2).choice("File").choice("Edit"), 0);
    EXPECT_EQ(Text(5, 10, 12), "File   Edit ");
}

TEST_F(SelectionFieldTest, AMultipleChoiceFieldMarksEachChosenChoiceInItsOwnPosition) {
    Define(SelectionFieldBuilder(SelectionKind::kMultipleChoice)
               .choice("A", ChoiceState::kSelected)
               .choice("B")
               .choice("C", ChoiceState::kSelected),
           3);
    const Bytes expected = {0x61, 0x00, 0x61};
    EXPECT_EQ(SelectionAnswerBytes(Only()), expected);
    EXPECT_EQ(Text(5, 11, 3), "/ /");
}

TEST_F(SelectionFieldTest, OperandsAreCheckedAtAndPastTheirLimits) {
    struct Case {
        const char* what;
        Bytes data;
        int sense;  // -1: taken
    } cases[] = {
        {"fixed part one short", Bytes(kSelectionFixedBytes - 1, 0x00), kSenseStructuredFieldLength},
        {"no kind", SelectionFieldBuilder(SelectionKind::kSingleChoice).data(), -1},
        {"an unknown kind", [] {
             Bytes d = SelectionFieldBuilder(SelectionKind::kSingleChoice).data();
             d[kSelectionTypeAt] = 0x13;
             return d;
         }(), kSenseStructuredFieldParameter},
        {"a minor structure past the field", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .minor({0x09, kMinorChoiceText, 0x40, 0x00, 0x40}).data(), kSenseMinorStructureLength},
        {"a minor structure claiming one byte", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .minor({0x01, kMinorChoiceText}).data(), kSenseMinorStructureLength},
        {"a choice shorter than its flags", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .minor({0x04, kMinorChoiceText, 0x40, 0x00}).data(), kSenseMinorStructureLength},
        {"an AID the choice lacks", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .minor({0x05, kMinorChoiceText, 0x44, 0x00, 0x40}).data(), kSenseMinorStructureLength},
        {"reserved digit count", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .minor({0x07, kMinorChoiceText, 0x43, 0x00, 0x40, 0xF1, 0xF2}).data(),
         kSenseMinorStructureParameter},
        {"scroll bar values cut", [] {
             Bytes d = SelectionFieldBuilder(SelectionKind::kSingleChoiceList).data();
             d[1] = kSelectionHasScrollBar;
             d.resize(d.size() + kSelectionScrollBytes - 1);
             return d;
         }(), kSenseStructuredFieldLength},
        {"choices to the last row", [] {
             SelectionFieldBuilder b(SelectionKind::kSingleChoice);
             for (int k = 0; k < 20; ++k) b.choice("x");
             return b.data();
         }(), -1},
        {"a choice past the last row", [] {
             SelectionFieldBuilder b(SelectionKind::kSingleChoice);
             for (int k = 0; k < 21; ++k) b.choice("x");
             return b.data();
         }(), kSenseStructuredFieldParameter},
        {"text past the last column", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .layout(64, 0, 0).choice("wide").data(), kSenseStructuredFieldParameter},
        {"text to the last column", SelectionFieldBuilder(SelectionKind::kSingleChoice)
             .layout(63, 0, 0).choice("wide").data(), -1},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sender.sent.clear();
        Run(RecordBuilder().clearUnit().writeToDisplay().sba(5, 10).startOfField(0x43, 0, 0x20, 2)
                .displayStructuredField(kWdsfDefineSelectionField, c.data).record());
        if (c.sense < 0) {
            EXPECT_TRUE(sender.sent.empty());
            EXPECT_EQ(terminal.constructs.selectionFields().size(), 1u);
        } else {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(static_cast<std::uint8_t>(c.sense)));
            EXPECT_TRUE(terminal.constructs.selectionFields().empty());
        }
    }
}

TEST_F(SelectionFieldTest, ChoicesAndFieldsAreBounded) {
    SelectionFieldBuilder most(SelectionKind::kPushButtons);
    most.layout(1, 11, 0);  // 11 buttons of 3 cells a row, 9 rows
    for (std::size_t k = 0; k < SelectionField::kMaxChoices; ++k) most.choice("x");
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1)
            .displayStructuredField(kWdsfDefineSelectionField, most.data()).record());
    EXPECT_TRUE(sender.sent.empty());
    ASSERT_EQ(Only().choices.size(), SelectionField::kMaxChoices);
    most.choice("x");
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1)
            .displayStructuredField(kWdsfDefineSelectionField, most.data()).record());
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseStructuredFieldParameter));

    sender.sent.clear();
    RecordBuilder r;
    r.clearUnit().writeToDisplay();
    const Bytes one = SelectionFieldBuilder(SelectionKind::kMenuBar).choice("M").data();
    for (std::size_t k = 0; k <= HostConstructs::kMaxSelectionFields; ++k) {
        r.sba(static_cast<int>(k % 24) + 1, static_cast<int>(k / 24) * 10 + 1)
            .displayStructuredField(kWdsfDefineSelectionField, one);
    }
    Run(r.record());
    EXPECT_EQ(terminal.constructs.selectionFields().size(), HostConstructs::kMaxSelectionFields);
    EXPECT_EQ(sender.sent.at(0), NegativeResponse(kSenseStructuredFieldParameter));
}

TEST_F(SelectionFieldTest, AFieldForDisplaysWithAPointerDeviceIsLeft) {
    Define(SelectionFieldBuilder(SelectionKind::kSingleChoice).onlyWithMouse().choice("Red"));
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(terminal.constructs.selectionFields().empty());
    EXPECT_EQ(Text(5, 14, 7), "       ");
}

TEST_F(SelectionFieldTest, ScrollBarsKeepTheirPlaceAndSliderAndAreChecked) {
    Run(RecordBuilder().clearUnit().writeToDisplay().sba(4, 70)
            .displayStructuredField(kWdsfDefineScrollBar, ScrollBarData(false, 40, 20, 10)).record());
    EXPECT_TRUE(sender.sent.empty());
    ASSERT_EQ(terminal.constructs.scrollBars().size(), 1u);
    const HostScrollBar& bar = terminal.constructs.scrollBars()[0];
    EXPECT_EQ(bar.row, 4);
    EXPECT_EQ(bar.column, 70);
    EXPECT_EQ(bar.size, 10);
    EXPECT_EQ(bar.total, 40u);
    EXPECT_EQ(bar.SliderCell(), 1 + 20 * 7 / 39);
    EXPECT_TRUE(bar.Covers(13, 70));
    EXPECT_FALSE(bar.Covers(14, 70));

    struct Case {
        const char* what;
        int row, column;
        Bytes data;
        int sense;
    } cases[] = {
        {"to the last row", 15, 1, ScrollBarData(false, 5, 0, 10), -1},
        {"past the last row", 16, 1, ScrollBarData(false, 5, 0, 10), kSenseStructuredFieldParameter},
        {"across to the last column", 1, 71, ScrollBarData(true, 5, 0, 10), -1},
        {"past the last column", 1, 72, ScrollBarData(true, 5, 0, 10), kSenseStructuredFieldParameter},
        {"no room for a slider", 1, 1, ScrollBarData(false, 5, 0, 2), kSenseStructuredFieldParameter},
        {"one byte short", 1, 1, Bytes(kScrollBarFixedBytes - 1, 0x00), kSenseStructuredFieldLength},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        sender.sent.clear();
        Run(RecordBuilder().clearUnit().writeToDisplay().sba(c.row, c.column)
                .displayStructuredField(kWdsfDefineScrollBar, c.data).record());
        if (c.sense < 0) {
            EXPECT_TRUE(sender.sent.empty());
            EXPECT_EQ(terminal.constructs.scrollBars().size(), 1u);
        } else {
            EXPECT_EQ(sender.sent.at(0), NegativeResponse(static_cast<std::uint8_t>(c.sense)));
        }
    }
}

TEST_F(SelectionFieldTest, RemoveTakesTheOneAtTheAddressElseTheLastAndRemoveAllTakesEverything) {
    const Bytes menu = SelectionFieldBuilder(SelectionKind::kMenuBar).choice("M").data();
    Run(RecordBuilder().clearUnit().writeToDisplay()
            .sba(1, 1).displayStructuredField(kWdsfDefineSelectionField, menu)
            .sba(3, 1).displayStructuredField(kWdsfDefineSelectionField, menu)
            .sba(5, 1).displayStructuredField(kWdsfDefineSelectionField, menu)
            .sba(5, 40).displayStructuredField(kWdsfDefineScrollBar, ScrollBarData(false, 9, 0, 5))
            .sba(1, 1).displayStructuredField(kWdsfRemoveSelectionField, {0x00, 0x00})
            .record());
    ASSERT_EQ(terminal.constructs.selectionFields().size(), 2u);
    EXPECT_EQ(terminal.constructs.selectionFields()[0].row, 3);
    EXPECT_EQ(Text(1, 1, 1), "M") << "its text stays as the host's data";
    Run(RecordBuilder(kOpOutputOnly).writeToDisplay().sba(20, 20)
            .displayStructuredField(kWdsfRemoveSelectionField, {0x00, 0x00}).record());
    ASSERT_EQ(terminal.constructs.selectionFields().size(), 1u);
    EXPECT_EQ(terminal.constructs.selectionFields()[0].row, 3);
    Run(RecordBuilder(kOpOutputOnly).writeToDisplay()
            .displayStructuredField(kWdsfRemoveAllConstructs, {0x00}).record());
    EXPECT_TRUE(terminal.constructs.selectionFields().empty());
    EXPECT_TRUE(terminal.constructs.scrollBars().empty());
    EXPECT_TRUE(sender.sent.empty());
}

}  // namespace
}  // namespace quenlix::testing
