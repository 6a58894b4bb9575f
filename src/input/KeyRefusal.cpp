// Refused keys: the reason on the indicator row and the alarm.
#include "input/KeyRefusal.h"

namespace quenlix {

void RefuseKey(const InputLinks& links, std::string_view reason) {
    links.terminal.SetRefusedReason(reason);
    links.messages.KeyRefused(reason);
}

void ClearRefusal(const InputLinks& links) {
    links.terminal.SetRefusedReason({});
}

}  // namespace quenlix
