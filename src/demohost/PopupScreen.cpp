// The pop-up window: the host asks for the screen (Save Screen), draws a
// bordered window over it without clearing, and on close sends the saved
// screen back inside a Restore Screen record, as host programs do around
// their windows. A terminal whose query reply offers the enhanced interface
// gets the window as a Create Window structured field, which it frames
// itself, and its removal on close; the others get the border as text.
#include <string_view>

#include "demohost/HostSession.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

/// Where a Start of Header fits into a Save Screen answer: right after its
/// Restore Screen, Clear Unit (Alternate) and Write To Display commands,
/// before the first field is defined. 0 when the stream does not start so.
std::size_t AfterWriteToDisplay(const Bytes& saved) {
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return i + k < saved.size() ? saved[i + k] : -1; };
    if (at(0) != kEscape || at(1) != kCmdRestoreScreen) return 0;
    i += 2;
    if (at(0) == kEscape && at(1) == kCmdClearUnit) {
        i += 2;
    } else if (at(0) == kEscape && at(1) == kCmdClearUnitAlternate && at(2) >= 0) {
        i += 3;
    } else {
        return 0;
    }
    if (at(0) != kEscape || at(1) != kCmdWriteToDisplay || at(3) < 0) return 0;
    return i + 4;
}

}  // namespace

void HostSession::ShowPopup() {
    savedScreen_ = screen_;
    savedFields_ = fields_;
    savedValues_ = values_;
    saved_.clear();
    // The Save Screen answer comes back while the terminal goes on with the
    // pop-up record of the same block.
    Send(FrameRecord(kOpSaveScreen, {kEscape, kCmdSaveScreen}), "Save Screen");
    const int top = rows_ / 2 - 4, left = columns_ / 2 - 22, width = 44;
    RecordBuilder rb(kOpPutGet, config_.tables);
    rb.writeToDisplay(0x00, kCc2CursorSteady | kCc2UnlockKeyboard)
        .startOfHeader(0, static_cast<std::uint8_t>(rows_));
    if (query_.enhanced) {
        // The window's border at top, left: six rows, 42 columns inside;
        // its title as a minor structure.
        constexpr std::string_view kTitle = "Pop-up";
        Bytes data = {kWindowCursorRestricted, 0x00, 0x00, 6, static_cast<std::uint8_t>(width - 2),
                      static_cast<std::uint8_t>(6 + kTitle.size()), kMinorTitleFooter, 0x00, 0x00,
                      0x00, 0x00};
        for (char c : kTitle) data.push_back(config_.tables.ATOE[static_cast<std::uint8_t>(c)]);
        rb.sba(top, left).displayStructuredField(kWdsfCreateWindow, data);
    } else {
        for (int row = top; row <= top + 7; ++row) {
            const bool edge = row == top || row == top + 7;
            rb.sba(row, left).attribute(kAttrBlue);
            rb.text(edge ? std::string(static_cast<std::size_t>(width), '-')
                         : ":" + std::string(static_cast<std::size_t>(width - 2), ' ') + ":");
            rb.attribute(kAttrNormal);
        }
    }
    rb.sba(top + 2, left + 3).attribute(kAttrWhite).text("Pop-up window").attribute(kAttrNormal);
    rb.sba(top + 3, left + 3).text("The screen below was saved.");
    rb.sba(top + 5, left + 3).text("Press Enter to close");
    FieldDef f{"Close", top + 5, left + 24, kFfwPresent, 0x00, kAttrInput, 1, ""};
    rb.sba(f.row, f.column).startOfField(f.ffw1, f.ffw2, f.attribute, f.length);
    rb.insertCursor(f.row, f.column + 1).readMdtFields();
    fields_ = {f};
    values_ = {FieldValue{}};
    screen_ = ScreenId::kPopup;
    Send(rb.record(), "Put/Get WTD pop-up, Read MDT Fields");
}

void HostSession::OnPopup(const InboundRecord& r) {
    if (r.aid == kAidEnter || r.aid == kAidF12 || r.aid == kAidF3) {
        ClosePopup();
    } else {
        ShowError(AidName(r.aid) + " is not allowed here.");
    }
}

void HostSession::ClosePopup() {
    const ScreenId back = savedScreen_ == ScreenId::kNone ? ScreenId::kMenu : savedScreen_;
    if (saved_.empty()) {
        Show(back, "The Save Screen answer never came; the screen was redrawn.");
        return;
    }
    // The terminal's Save Screen answer is a command stream that rebuilds
    // the screen; it goes back inside a Restore Screen record. Its Clear Unit
    // puts the error row at 24, also on a 27-row screen, so a Start of Header
    // with the last row goes in before the stream defines any field (Start of
    // Header clears the format table).
    const std::size_t split = AfterWriteToDisplay(saved_);
    if (split == 0) {
        saved_.clear();
        Show(back, "The saved screen was not understood; the screen was redrawn.");
        return;
    }
    RecordBuilder restore(kOpRestoreScreen, config_.tables);
    restore.raw(Bytes(saved_.begin(), saved_.begin() + static_cast<std::ptrdiff_t>(split)))
        .startOfHeader(0, static_cast<std::uint8_t>(rows_))
        .raw(Bytes(saved_.begin() + static_cast<std::ptrdiff_t>(split), saved_.end()));
    RecordBuilder unlock(kOpPutGet, config_.tables);
    if (query_.enhanced) {
        unlock.writeToDisplay().displayStructuredField(kWdsfRemoveWindow, {0x00, 0x00, 0x00});
    }
    unlock.writeErrorCode();
    MessageLine(unlock, "Pop-up closed; the screen was restored.", columns_);
    unlock.readMdtFields();
    Send(Concat({restore.record(), unlock.record()}),
         "Restore Screen + Put/Get Write Error Code");
    screen_ = back;
    fields_ = savedFields_;
    values_ = savedValues_;
    saved_.clear();
}

}  // namespace quenlix::demohost
