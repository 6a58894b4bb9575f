// How the core shows an operator-facing message and sounds the alarm. The
// desktop program shows message boxes and beeps; the CLI prints "message:"
// lines; tests record the calls.
#pragma once

#include <string_view>

namespace quenlix {

enum class MessageIcon { None, Information, Exclamation, Stop, Question };

class MessageBoxes {
public:
    virtual ~MessageBoxes() = default;
    /// A message box with an OK button; returns when the operator closed it.
    virtual void ShowMessage(std::string_view /*text*/, MessageIcon /*icon*/) {}
    /// The 5250 alarm.
    virtual void Alarm() {}
};

/// Shows nothing.
class NullMessageBoxes : public MessageBoxes {};

}  // namespace quenlix
