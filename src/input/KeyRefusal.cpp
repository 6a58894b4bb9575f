// Refused keys: the reason on the indicator row and the alarm.
#include "input/KeyRefusal.h"

namespace quenlix {

std::string_view PasteRule(std::string_view reason) {
    if (reason == refusal::kDigitsOnly) return "digits only";
    if (reason == refusal::kNumericOnly) return "digits + - , . blank only";
    if (reason == refusal::kAlphabeticOnly) return "letters , . - blank only";
    if (reason == refusal::kNotKeyable) return "takes no typing";
    if (reason == refusal::kSignPosition) return "no character in the sign position";
    if (reason == refusal::kNotInCodePage) return "a character not in the host's code page";
    return reason;
}

void RefuseKey(const InputLinks& links, std::string_view reason) {
    links.terminal.SetRefusedReason(reason);
    links.messages.KeyRefused(reason);
}

void ClearRefusal(const InputLinks& links) {
    links.terminal.SetRefusedReason({});
}

}  // namespace quenlix
