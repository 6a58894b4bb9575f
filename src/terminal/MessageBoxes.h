// How the core shows an operator-facing message and sounds the alarm. The
// desktop program shows message boxes and beeps; the CLI prints "message:"
// lines; tests record the calls.
#pragma once

#include <string_view>

namespace quenlix {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };

/// Messages that the host's data causes, not the operator: a host can send
/// thousands of them, so a front end must never stack a box for each.
enum class HostNotice {
    kBadFormat,     ///< a record that is not a GDS record
    kResequencing,  ///< a field with a resequencing control word (a normal 5250 feature)
    /// The host ended the session ("Disconnected by the host", "Connection
    /// lost: ..."); the text is also TerminalState::connectionNotice.
    kConnectionEnded,
};

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// A message box with an OK button; returns when the operator closed it.
    virtual void ShowMessage(std::string_view /*text*/, MessageIcon /*icon*/) {}
    /// A message caused by host data. Unlike ShowMessage it may return at
    /// once, with the message still on screen. By default it is shown like
    /// any message.
    virtual void ShowHostNotice(HostNotice /*kind*/, std::string_view text) {
        ShowMessage(text, MessageIcon::None);
    }
    /// The 5250 alarm.
    virtual void Alarm() {}
    /// The terminal refused an operator's key for `reason` (also on the
    /// indicator row). By default the alarm sounds.
    virtual void KeyRefused(std::string_view /*reason*/) { Alarm(); }
};

/// Shows nothing.
class NullMessageBoxes : public MessageBoxes {};

}  // namespace quenlix
