// Refused keys: the reason on the indicator row and the alarm.
#include "input/KeyRefusal.h"

namespace quenlix {

void RefuseKey(const InputLinks& links, std::string_view reason) {
    links.terminal.state.refusedReason = std::string(reason);
    links.view.InvalidateView();
    links.messages.KeyRefused(reason);
}

void ClearRefusal(const InputLinks& links) {
    if (links.terminal.state.refusedReason.empty()) return;
    links.terminal.state.refusedReason.clear();
    links.view.InvalidateView();
}

}  // namespace quenlix
