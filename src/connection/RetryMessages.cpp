// Connect failures of a retry, reworded.
#include "connection/RetryMessages.h"

#include "terminal/StringTable.h"

namespace quenlix {

std::string RetryMessages::RetryFailedText(std::string_view cause) {
    std::string text = "The host is not reachable";
    if (!cause.empty()) {
        text += ":\n";
        text += cause;
    }
    text += "\nPress Enter (or Connect) to try again.";
    return text;
}

void RetryMessages::ShowMessage(std::string_view text, MessageIcon icon) {
    const std::string_view heading = LoadString(kStrConnectFailure);
    if (!retrying || text.substr(0, heading.size()) != heading) {
        target_.ShowMessage(text, icon);
        return;
    }
    std::string_view cause = text.substr(heading.size());
    if (!cause.empty() && cause.front() == '\n') cause.remove_prefix(1);
    failure = std::string(cause);
    target_.ShowMessage(RetryFailedText(cause), icon);
}

}  // namespace quenlix
