// The item list: 100 lines, one page at a time. Page Down (Roll Up) and
// Page Up (Roll Down) move by a page and say so at either end; a line
// number typed into "Position to" shows the list from that line.
#include <algorithm>
#include <cstdio>

#include "demohost/FieldChecks.h"
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

/// Lines a page: the screen less its title, heading, keys and message rows.
int PageLines(int rows) { return rows - 9; }

}  // namespace

void HostSession::DrawList(ScreenWriter& w) {
    const int page = PageLines(rows_);
    w.Title("Item List");
    w.Text(3, 2, "Position to line . . . .");
    fields_.push_back({"Position to", 3, 27, kFfwPresent | kShiftDigitsOnly, 0, kAttrInput, 3, ""});
    w.Styled(4, 1, kAttrWhite, "Line  Item        Description                    Quantity");
    for (int i = 0; i < page && listTop_ + i < kListLines; ++i) {
        const int n = listTop_ + i + 1;
        char buf[96];
        std::snprintf(buf, sizeof buf, "%03d   ITEM%04d    Demo article number %-10d %8d", n, n,
                      n, n * 7 % 1000);
        w.Text(5 + i, 2, buf);
    }
    const bool bottom = listTop_ + page >= kListLines;
    w.Text(5 + page, columns_ - 10, bottom ? "Bottom" : "More...");
    w.FunctionKeys("F3=Exit   F12=Cancel   PageDown=Next   PageUp=Previous");
    w.PlaceCursor(3, 28);
}

void HostSession::OnList(const InboundRecord& r) {
    const int page = PageLines(rows_);
    switch (r.aid) {
        case kAidRollUp:  // Page Down: the next page
            if (listTop_ + page >= kListLines) {
                ShowError("You have reached the bottom of the list.");
                return;
            }
            listTop_ += page;
            break;
        case kAidRollDown:  // Page Up: the previous page
            if (listTop_ == 0) {
                ShowError("You have reached the top of the list.");
                return;
            }
            listTop_ = std::max(0, listTop_ - page);
            break;
        case kAidF3:
        case kAidF12:
            Show(ScreenId::kMenu);
            return;
        case kAidEnter: {
            const std::string to = Trim(value(0));
            if (!to.empty()) {
                if (!AllOf(to, "", true, false)) {
                    ShowError("Type a line number from 1 to 100.", 0);
                    return;
                }
                const int line = std::stoi(to.substr(0, 6));
                if (line < 1 || line > kListLines) {
                    ShowError("Type a line number from 1 to 100.", 0);
                    return;
                }
                listTop_ = line - 1;
            }
            break;
        }
        default:
            ShowError(AidName(r.aid) + " is not allowed here.");
            return;
    }
    Show(ScreenId::kList);
}

}  // namespace quenlix::demohost
