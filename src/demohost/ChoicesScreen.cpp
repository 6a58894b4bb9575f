// The choices screen: a drink ordered in a window, its size from a single
// choice field, a list of drinks paged by the roll keys with a scroll bar
// beside it, and OK and Cancel push buttons. A terminal whose query reply
// offers the enhanced interface gets the window, the selection fields and
// the scroll bar as structured fields; the others get the same screen as
// text, as a display file compiled for both does. Either way the size comes
// back as the number in its two-position field, and Cancel is F12.
#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <string_view>

#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/SelectionFieldBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

namespace {

constexpr std::array<std::string_view, 3> kSizes = {"Small", "Medium", "Large"};
constexpr std::array<std::string_view, 20> kDrinks = {
    "Apple juice", "Black tea",  "Cocoa",         "Coffee",      "Cola",
    "Ginger ale",  "Green tea",  "Hot chocolate", "Iced tea",    "Lemonade",
    "Milk",        "Mint tea",   "Orange juice",  "Root beer",   "Soda water",
    "Sparkling water", "Tomato juice", "Tonic water", "Vanilla shake", "Water"};
/// The window: its top left border corner, rows and columns inside.
constexpr int kTop = 3, kLeft = 10, kDepth = 16, kWidth = 58;
/// The size's field (attribute position) and the list's first row.
constexpr int kSizeRow = 5, kSizeColumn = 20;
constexpr int kListRow = 10, kDrinkLines = 6;
constexpr int kButtonsRow = 17;

}  // namespace

int HostSession::ChoicesListLines() { return kDrinkLines; }
int HostSession::ChoicesDrinkCount() { return static_cast<int>(kDrinks.size()); }

void HostSession::DrawChoices(ScreenWriter& w) {
    w.Title("Order a Drink");
    const bool enhanced = query_.enhanced;
    if (enhanced) {
        constexpr std::string_view kTitle = "Order";
        Bytes data = {kWindowCursorRestricted, 0x00, 0x00, kDepth, kWidth,
                      static_cast<std::uint8_t>(6 + kTitle.size()), kMinorTitleFooter, 0x00, 0x00,
                      0x00, 0x00};
        for (char c : kTitle) data.push_back(config_.tables.ATOE[static_cast<std::uint8_t>(c)]);
        w.Structure(kTop, kLeft, kWdsfCreateWindow, data);
    } else {
        const std::string edge(kWidth + 2, '-');
        w.Styled(kTop, kLeft - 1, kAttrBlue, edge);
        for (int r = kTop + 1; r <= kTop + kDepth; ++r) {
            w.Styled(r, kLeft - 1, kAttrBlue, ":");
            w.Styled(r, kLeft + kWidth, kAttrBlue, ":");
        }
        w.Styled(kTop + kDepth + 1, kLeft - 1, kAttrBlue, edge);
    }
    w.Text(kSizeRow, kLeft + 2, "Size:");
    fields_.push_back({"Size", kSizeRow, kSizeColumn, kFfwPresent | kShiftDigitsOnly,
                       kFillRightZero, kAttrInput, 2, choiceSize_});
    const int choicesColumn = kSizeColumn + 4;  // after the field and its end
    if (enhanced) {
        SelectionFieldBuilder size(SelectionKind::kSingleChoice, config_.tables);
        size.layout(8, 0, 0);
        const int chosen = choiceSize_.empty() ? 0 : std::atoi(choiceSize_.c_str());
        for (std::size_t k = 0; k < kSizes.size(); ++k) {
            const bool on = static_cast<int>(k) + 1 == chosen;
            size.choice(kSizes[k], on ? ChoiceState::kSelected : ChoiceState::kAvailable, 0, 0);
        }
        w.StructureAfterFields(kSizeRow, kSizeColumn + 1, kWdsfDefineSelectionField, size.data());
    } else {
        for (std::size_t k = 0; k < kSizes.size(); ++k) {
            char line[32];
            std::snprintf(line, sizeof line, "%2zu. %s", k + 1, std::string(kSizes[k]).c_str());
            w.Text(kSizeRow + static_cast<int>(k), choicesColumn, line);
        }
    }

    w.Text(kListRow - 1, kLeft + 2, "Drinks today:");
    for (int i = 0; i < kDrinkLines && choicesTop_ + i < ChoicesDrinkCount(); ++i) {
        char line[40];
        const int n = choicesTop_ + i;
        std::snprintf(line, sizeof line, "%02d %-16s", n + 1, std::string(kDrinks[static_cast<std::size_t>(n)]).c_str());
        w.Text(kListRow + i, kLeft + 4, line);
    }
    const bool bottom = choicesTop_ + kDrinkLines >= ChoicesDrinkCount();
    if (enhanced) {
        w.StructureAfterFields(kListRow, kLeft + 25, kWdsfDefineScrollBar,
                               ScrollBarData(false, static_cast<std::uint32_t>(ChoicesDrinkCount()),
                                             static_cast<std::uint32_t>(choicesTop_), kDrinkLines));
        SelectionFieldBuilder buttons(SelectionKind::kPushButtons, config_.tables);
        buttons.layout(6, 0, 2)
            .choice("OK", ChoiceState::kAvailable, 0, 0, kAidEnter)
            .choice("Cancel", ChoiceState::kAvailable, 0, 0, kAidF12);
        w.StructureAfterFields(kButtonsRow, kLeft + 16, kWdsfDefineSelectionField, buttons.data());
    } else {
        w.Text(kListRow + kDrinkLines - 1, kLeft + 26, bottom ? "Bottom" : "More...");
        w.Text(kButtonsRow, kLeft + 2, "Enter=OK   F12=Cancel");
    }
    w.FunctionKeys("Enter=OK   F12=Cancel   PageDown=Next   PageUp=Previous");
    w.PlaceCursor(kSizeRow, kSizeColumn + 1);
}

void HostSession::OnChoices(const InboundRecord& r) {
    choiceSize_ = Trim(value(0));
    switch (r.aid) {
        case kAidRollUp:
            if (choicesTop_ + kDrinkLines >= ChoicesDrinkCount()) {
                ShowError("You have reached the bottom of the list.");
                return;
            }
            choicesTop_ += kDrinkLines;
            Show(ScreenId::kChoices);
            return;
        case kAidRollDown:
            if (choicesTop_ == 0) {
                ShowError("You have reached the top of the list.");
                return;
            }
            choicesTop_ = std::max(0, choicesTop_ - kDrinkLines);
            Show(ScreenId::kChoices);
            return;
        case kAidF3:
        case kAidF12:
            Show(ScreenId::kMenu, "No drink ordered.");
            return;
        case kAidEnter:
            break;
        default:
            ShowError(AidName(r.aid) + " is not allowed here.");
            return;
    }
    const int size = choiceSize_.empty() ? 0 : std::atoi(choiceSize_.c_str());
    if (size < 1 || size > static_cast<int>(kSizes.size())) {
        ShowError("Choose a size: 1, 2 or 3.", 0);
        return;
    }
    Log("drink size " + std::to_string(size) + " chosen");
    Show(ScreenId::kMenu, "You ordered a " + std::string(kSizes[static_cast<std::size_t>(size - 1)]) + " drink.");
}

}  // namespace quenlix::demohost
