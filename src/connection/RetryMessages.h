// The messages of the connection endpoint, passed on to the front end; while
// a session whose host went away is tried again, the connect failure is told
// as a host that cannot be reached now, not as parameters to check.
#pragma once

#include <string>
#include <string_view>

#include "terminal/MessageBoxes.h"

namespace quenlix {

class RetryMessages : public MessageBoxes {
public:
    explicit RetryMessages(MessageBoxes& target) : target_(target) {}

    /// On while a session that worked is connected again. A connect failure
    /// seen meanwhile is reworded, and its cause kept in `failure`.
    bool retrying = false;
    /// The cause line of the last connect failure seen while retrying (the
    /// address and the system's words), empty when none was seen.
    std::string failure;

    /// The operator's text for a retry that failed for `cause`.
    static std::string RetryFailedText(std::string_view cause);

    void ShowMessage(std::string_view text, MessageIcon icon) override;
    void ShowHostNotice(HostNotice kind, std::string_view text) override {
        target_.ShowHostNotice(kind, text);
    }
    void Alarm() override { target_.Alarm(); }
    void KeyRefused(std::string_view reason) override { target_.KeyRefused(reason); }

private:
    MessageBoxes& target_;
};

}  // namespace quenlix
