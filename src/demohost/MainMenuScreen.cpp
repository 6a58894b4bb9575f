// The main menu, reached after sign-on: an option number on the command
// line picks a screen; F3 signs off, Help shows the help screen. Options 4
// and 5 send the message-light operation codes.
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

void HostSession::DrawMenu(ScreenWriter& w) {
    w.Text(1, 2, "MAIN");
    w.Title("Quenlix Demo Host Main Menu");
    w.Text(1, columns_ - 19, "System: " + config_.systemName);
    std::string who = "User: " + user_;
    if (!program_.empty()) who += "   Program: " + program_;
    if (!menu_.empty()) who += "   Menu: " + menu_;
    if (!library_.empty()) who += "   Library: " + library_;
    w.Text(2, 2, who);
    w.Text(3, 2, "Select one of the following:");
    const char* options[] = {"     1. Data entry: one field of each kind",
                             "     2. Item list: 100 lines, Page Down / Page Up",
                             "     3. Colours and blinking",
                             "     4. Turn the message light on",
                             "     5. Turn the message light off",
                             "     6. Pop-up window over a saved screen",
                             "     7. Read checks: Read Input Fields, Read Screen, Read Immediate",
                             "     8. Display station query",
                             "     9. Print a report on the printer session",
                             "    10. Order a drink: a window with choices and buttons",
                             "    90. Sign off"};
    for (int i = 0; i < 11; ++i) w.Text(5 + i, 2, options[i]);
    w.Text(rows_ - 5, 2, "Selection or command");
    w.Text(rows_ - 4, 2, "===>");
    fields_.push_back({"Selection", rows_ - 4, 7, kFfwPresent, 0x00, kAttrInput, 20, ""});
    w.FunctionKeys("F3=Exit   F12=Cancel   Help=Help   Attn=Attention menu");
    w.PlaceCursor(rows_ - 4, 8);
}

void HostSession::DrawHelp(ScreenWriter& w) {
    w.Title("Help: Quenlix Demo Host");
    const char* lines[] = {"The main menu lists what this host can show. Type the number of an",
                           "option on the command line and press Enter.",
                           "",
                           "F3      signs off from the main menu and leaves the other screens.",
                           "F12     goes back one screen.",
                           "Help    shows this text.",
                           "Attn    (Esc) shows the attention menu from any screen.",
                           "SysReq  with 90 signs off and ends the connection.",
                           "",
                           "Press Enter, F3 or F12 to return to the main menu."};
    for (int i = 0; i < 10; ++i) w.Text(3 + i, 2, lines[i]);
    w.FunctionKeys("Enter=Return   F3=Exit   F12=Cancel");
}

void HostSession::OnMenu(const InboundRecord& r) {
    switch (r.aid) {
        case kAidF3:  // F3: exit is sign-off from the main menu
            SignOff("F3");
            return;
        case kAidF12:  // F12: nothing before the main menu
            Show(ScreenId::kMenu);
            return;
        case kAidHelp:
            Show(ScreenId::kHelp);
            return;
        case kAidEnter:
            break;
        default:
            ShowError(AidName(r.aid) + " is not allowed here.");
            return;
    }
    const std::string option = Upper(Trim(value(0)));
    if (option.empty()) {
        Show(ScreenId::kMenu);
    } else if (option == "1") {
        Show(ScreenId::kDataEntry);
    } else if (option == "2") {
        listTop_ = 0;
        Show(ScreenId::kList);
    } else if (option == "3") {
        Show(ScreenId::kColors);
    } else if (option == "4" || option == "5") {
        messageLight_ = option == "4";
        const std::uint8_t code = messageLight_ ? kOpMessageLightOn : kOpMessageLightOff;
        Send(FrameRecord(code, {}), OpcodeName(code));
        Show(ScreenId::kMenu, messageLight_ ? "Message light turned on."
                                            : "Message light turned off.");
    } else if (option == "6") {
        ShowPopup();
    } else if (option == "7") {
        Show(ScreenId::kReadTest);
    } else if (option == "8") {
        Show(ScreenId::kQueryInfo, query_.received ? "" : "Waiting for the query reply.");
        queryShown_ = true;
        SendQuery();
    } else if (option == "9") {
        std::string device;
        if (config_.printReport && config_.printReport(kMenuReportPages, device)) {
            Log("report of " + std::to_string(kMenuReportPages) + " pages spooled to " + device);
            Show(ScreenId::kMenu, "Report spooled to printer " + device + ".");
        } else {
            ShowError("No printer session is connected.", 0);
        }
    } else if (option == "10") {
        choicesTop_ = 0;
        choiceSize_.clear();
        Show(ScreenId::kChoices);
    } else if (option == "90" || option == "SIGNOFF") {
        SignOff("option 90");
    } else {
        ShowError("Option " + option + " is not valid. Type a number from the list.", 0);
    }
}

}  // namespace quenlix::demohost
