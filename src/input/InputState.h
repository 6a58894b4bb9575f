// The operator's keyboard state kept beside the terminal model: modifier and
// field-exit flags and the system request line. The insert mode lives in
// TerminalState because the host turns it off.
#pragma once

#include <string>

namespace quenlix {

struct InputState {
    bool shiftDown = false;         ///< Shift is held
    bool fieldExitPending = false;  ///< last position of a field-exit-required field just typed
    std::string sysReqText;         ///< PC characters typed on the system request line
    int savedInhibit = 0;           ///< inputInhibited when system request mode began
    int savedCursorX = 0;           ///< cursor (pixels) when system request mode began
    int savedCursorY = 0;
};

}  // namespace quenlix
