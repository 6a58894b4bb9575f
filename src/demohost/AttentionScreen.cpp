// What the Attention key and System Request bring up: the attention menu
// (return to the program, the main menu, or sign off) over any screen after
// sign-on, and System Request option 90, which signs off and ends the
// connection.
#include "demohost/HostSession.h"
#include "demohost/HostText.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

void HostSession::DrawAttention(ScreenWriter& w) {
    w.Title("Attention Menu");
    w.Text(3, 2, "Select one of the following:");
    w.Text(5, 2, "     1. Return to the program");
    w.Text(6, 2, "     2. Main menu");
    w.Text(7, 2, "    90. Sign off");
    w.Text(9, 2, "Selection ===>");
    fields_.push_back({"Selection", 9, 17, kFfwPresent, 0, kAttrInput, 2, ""});
    w.FunctionKeys("F3=Exit   F12=Cancel");
    w.PlaceCursor(9, 18);
}

void HostSession::OnAttention() {
    if (!signedOn()) {
        Show(ScreenId::kSignOn, "Sign on first; Attention has no menu before sign-on.");
        return;
    }
    if (screen_ != ScreenId::kAttention) returnTo_ = screen_;
    if (returnTo_ == ScreenId::kPopup || returnTo_ == ScreenId::kNone) {
        returnTo_ = ScreenId::kMenu;
    }
    Show(ScreenId::kAttention);
}

void HostSession::OnAttentionMenu(const InboundRecord& r) {
    if (r.aid == kAidF3 || r.aid == kAidF12) {
        Show(returnTo_);
        return;
    }
    const std::string option = Trim(value(0));
    if (r.aid != kAidEnter || option == "1") {
        Show(returnTo_);
    } else if (option == "2") {
        Show(ScreenId::kMenu);
    } else if (option == "90") {
        SignOff("attention menu");
    } else {
        ShowError("Option " + option + " is not valid.", 0);
    }
}

void HostSession::OnSystemRequest(const InboundRecord& r) {
    const std::string option = Trim(r.text);
    if (option == "90") {
        Log("System Request 90: sign-off, closing the connection");
        user_.clear();
        phase_ = Phase::kClosing;
        return;
    }
    ShowError("System request option '" + option + "' is not supported; 90 signs off.");
}

}  // namespace quenlix::demohost
