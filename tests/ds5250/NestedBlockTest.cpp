// A block that arrives while a message box of the block before is open: the
// box's event loop interprets it at once, inside the first block.
#include <deque>

#include "InterpreterFixture.h"
#include "support/WireRecords.h"

namespace quenlix::testing {
namespace {

using namespace ds;

/// Message boxes whose "Resequencing FCW found" box delivers the next queued
/// block to the interpreter before it closes, as a modal loop does with data
/// that comes in meanwhile.
class DeliveringMessages : public RecordingMessages {
public:
    void ShowMessage(std::string_view text, MessageIcon icon) override {
        RecordingMessages::ShowMessage(text, icon);
        if (text != "Resequencing FCW found" || pending.empty() || interpreter == nullptr) return;
        const Bytes block = std::move(pending.front());
        pending.pop_front();
        ::quenlix::ProcessWire(*interpreter, block);
    }
    CTN5250* interpreter = nullptr;
    std::deque<Bytes> pending;
};

TEST_F(InterpreterTest, BlockInterpretedInsideAMessageBoxLeavesTheOuterBlockIntact) {
    DeliveringMessages boxes;
    InterpreterLinks nestingLinks{terminal, tables, settings, sender, boxes};
    CTN5250 interp(nestingLinks);
    interp.SetTracePath("");
    boxes.interpreter = &interp;
    // The first nested block completes with a field and a cursor of its own;
    // the second is stopped by a write past the screen.
    boxes.pending.push_back(RecordBuilder().writeToDisplay().sba(10, 1).text("NESTED")
                                .sba(12, 5).startOfField(0x40, 0, 0x20, 3)
                                .insertCursor(15, 15).record());
    boxes.pending.push_back(
        RecordBuilder().writeToDisplay().sba(11, 1).text("B").sba(24, 80).text("XY").record());

    const Bytes outer = RecordBuilder().clearUnit().writeToDisplay().sba(2, 1).text("BEFORE")
                            .sba(4, 10).startOfFieldResequenced(0x40, 0, 2, 0x20, 5).text("FLD")
                            .sba(6, 10).startOfFieldResequenced(0x40, 0, 1, 0x24, 4).text("TWO")
                            .sba(8, 1).text("AFTER").record();
    ::quenlix::ProcessWire(interp, outer);

    EXPECT_TRUE(boxes.pending.empty());
    ASSERT_EQ(boxes.shown.size(), 2u);
    EXPECT_EQ(interp.privateCopyCount(), 2u);

    // The outer block went on at its own write address after each box.
    EXPECT_EQ(Text(2, 1, 6), "BEFORE");
    EXPECT_EQ(Text(4, 11, 3), "FLD");
    EXPECT_EQ(Text(6, 11, 3), "TWO");
    EXPECT_EQ(Text(8, 1, 5), "AFTER");
    EXPECT_EQ(Text(10, 1, 6), "NESTED");
    EXPECT_EQ(Text(11, 1, 1), "B");
    EXPECT_EQ(Text(24, 80, 1), "X");

    // The nested field sits between the two outer ones in the table.
    ASSERT_EQ(terminal.formatTable.fieldCount(), 3);
    const FieldEntry& first = *terminal.formatTable.entry(0);
    const FieldEntry& nested = *terminal.formatTable.entry(1);
    const FieldEntry& second = *terminal.formatTable.entry(2);
    EXPECT_EQ(first.row, 4);
    EXPECT_EQ(first.length, 5);
    EXPECT_EQ(first.attribute, 0x20);
    EXPECT_EQ(first.fcw2, 2);
    EXPECT_EQ(nested.row, 12);
    EXPECT_EQ(nested.length, 3);
    EXPECT_EQ(second.row, 6);
    EXPECT_EQ(second.column, 10);
    EXPECT_EQ(second.length, 4);
    EXPECT_EQ(second.attribute, 0x24);
    EXPECT_EQ(second.fcw2, 1);
    EXPECT_EQ(Cell(4, 15).fieldIndex, 0);
    EXPECT_EQ(Cell(12, 6).fieldIndex, 1);
    EXPECT_EQ(Cell(6, 14).fieldIndex, 2);
    EXPECT_EQ(Cell(6, 15).ebcdic, 0x20);

    // The stopped block answered instead.
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseWriteBeyondScreen));
    // The nested block's Insert Cursor was its own: the outer block places
    // the cursor on its first input field.
    EXPECT_EQ(CursorRow(), 4);
    EXPECT_EQ(CursorColumn(), 11);

    // Both copies are reused by the next blocks.
    const Bytes next = RecordBuilder().writeToDisplay().sba(20, 1).text("LATER").record();
    ::quenlix::ProcessWire(interp, next);
    EXPECT_EQ(Text(20, 1, 5), "LATER");
    EXPECT_EQ(interp.privateCopyCount(), 2u);
}

}  // namespace
}  // namespace quenlix::testing
