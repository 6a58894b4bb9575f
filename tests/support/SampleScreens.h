// Realistic host blocks built with the record builder: a sign-on screen, a
// full 24 x 80 screen, a full 27 x 132 screen with forty fields. Shared by
// tests, fuzz seeds and benchmarks.
#pragma once

#include <string>
#include <vector>

#include "ds5250/RecordBuilder.h"
#include "ds5250/SelectionFieldBuilder.h"

namespace quenlix::samples {

/// A sign-on screen with five input fields and a Read MDT Fields.
inline Bytes SignOnScreen() {
    RecordBuilder r;
    r.clearUnit().writeToDisplay(0x00, 0x18).startOfHeader(0, 24);
    r.sba(1, 35).attribute(0x22).text("Sign On").attribute(0x20);
    r.sba(2, 48).text("System  . . . . :   DEMO400");
    r.sba(6, 17).text("User  . . . . . . . . . . . . .");
    r.sba(6, 52).startOfField(0x40, 0x20, 0x24, 10);
    r.sba(7, 17).text("Password  . . . . . . . . . . .");
    r.sba(7, 52).startOfField(0x40, 0x00, 0x27, 10);
    r.sba(8, 17).text("Program/procedure . . . . . . .");
    r.sba(8, 52).startOfField(0x40, 0x20, 0x24, 10);
    r.sba(9, 17).text("Menu  . . . . . . . . . . . . .");
    r.sba(9, 52).startOfField(0x40, 0x20, 0x24, 10);
    r.sba(10, 17).text("Current library . . . . . . . .");
    r.sba(10, 52).startOfField(0x40, 0x20, 0x24, 10);
    r.sba(24, 60).attribute(0x22).text("(C) QUENLIX DEMO").insertCursor(6, 53);
    r.readMdtFields(0x00, 0x00);
    return r.record();
}

/// Write To Display of every position of a rows x columns screen, with
/// `fields` input fields spread over it.
inline Bytes FullScreen(int rows, int columns, int fields) {
    RecordBuilder r;
    if (rows == 27) {
        r.clearUnitAlternate();
    } else {
        r.clearUnit();
    }
    r.writeToDisplay(0x00, 0x18).startOfHeader(0, static_cast<std::uint8_t>(rows));
    static const char kLetters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int row = 1; row <= rows; ++row) {
        r.sba(row, 1).attribute(row % 2 ? 0x20 : 0x22);
        std::string line;
        for (int c = 1; c < columns; ++c) line += kLetters[(row * 7 + c) % 36];
        r.text(line);
    }
    const int perRow = 2;
    for (int f = 0; f < fields; ++f) {
        const int row = 2 + f / perRow;
        const int column = 5 + (f % perRow) * (columns / 2);
        r.sba(row, column).startOfField(0x40, 0x00, 0x24, 20);
    }
    r.insertCursor(2, 6);
    return r.record();
}

/// Records holding every order and display structured field of the enhanced
/// interface: the orders of a write; a window and the structured fields
/// after it; the window's error line with a partial save and restore.
inline std::vector<Bytes> EnhancedInterfaceRecords() {
    return {RecordBuilder().writeToDisplay().sba(2, 2)
                .eraseToAddress(2, 20, {0x01, 0x03})
                .moveCursor(3, 3).transparentData({0x11, 0x04, 0xC1})
                .writeExtendedAttribute(0x01, 0x80)
                .writeExtendedAttribute(0x03, 0xF2).text("X").record(),
            RecordBuilder().writeToDisplay().sba(5, 10)
                .displayStructuredField(0x51, {0x80, 0, 0, 5, 20, 0x0A, 0x10, 0, 0,
                                               0, 0, 0xC1, 0xC2, 0xC3, 0xC4})
                .displayStructuredField(0x50, SelectionFieldBuilder(SelectionKind::kMenuBar)
                                                  .choice("File").choice("Edit").data())
                .displayStructuredField(0x53, ScrollBarData(false, 30, 4, 5))
                .displayStructuredField(0x55, {}).displayStructuredField(0x60, {0})
                .displayStructuredField(0x61, {0})
                .displayStructuredField(0x52, {0, 0, 0})
                .displayStructuredField(0x59, {0, 0, 0})
                .displayStructuredField(0x5F, {0, 0}).record(),
            RecordBuilder(ds::kOpOutputOnly).writeErrorCodeToWindow(5, 30)
                .text("WINDOW ERROR").savePartialScreen(2, 2, 5, 20)
                .restorePartialScreen(2, 2, 5, 20).writeToDisplay().record(),
            // Selection fields of each kind of choice and a scroll bar, then
            // their removal; the extended reads.
            RecordBuilder().clearUnit().writeToDisplay().sba(3, 5).startOfField(0x43, 0x05, 0x24, 2)
                .displayStructuredField(0x50, SelectionFieldBuilder(SelectionKind::kSingleChoice)
                                                  .layout(8, 0, 0).autoEnter()
                                                  .choice("Red", ChoiceState::kSelected, 1, 0)
                                                  .choice("Green", ChoiceState::kAvailable, 12, 1, 0xF1)
                                                  .choice("Blue", ChoiceState::kUnavailable)
                                                  .choice("Mouse", ChoiceState::kAvailable, 0, -1, 0, false)
                                                  .data())
                .sba(8, 5).startOfField(0x40, 0x00, 0x24, 3)
                .displayStructuredField(0x50, SelectionFieldBuilder(SelectionKind::kMultipleChoice)
                                                  .choice("A").choice("B", ChoiceState::kSelected)
                                                  .choice("C").data())
                .sba(14, 5)
                .displayStructuredField(0x50, SelectionFieldBuilder(SelectionKind::kPushButtons)
                                                  .layout(6, 0, 2).choice("OK", ChoiceState::kAvailable, 0, 0, 0xF1)
                                                  .choice("Cancel", ChoiceState::kAvailable, 0, 0, 0x3C)
                                                  .data())
                .sba(3, 60).displayStructuredField(0x53, ScrollBarData(false, 100, 50, 10))
                .sba(20, 10).displayStructuredField(0x53, ScrollBarData(true, 9, 0, 20))
                .sba(14, 5).displayStructuredField(0x58, {0, 0})
                .sba(3, 60).displayStructuredField(0x5B, {0, 0})
                .readMdtFields().record(),
            FrameRecord(ds::kOpReadScreen, {ds::kEscape, ds::kCmdReadScreenExtended}),
            FrameRecord(ds::kOpReadScreen, {ds::kEscape, ds::kCmdReadScreenToPrint})};
}

}  // namespace quenlix::samples
