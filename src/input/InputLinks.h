// Everything the operator-input classes talk to, gathered so that one
// struct wires them. The references must outlive the objects built on them.
#pragma once

#include "ds5250/HostResponses.h"
#include "input/InputState.h"
#include "input/NotificationControl.h"
#include "session/SessionSettings.h"
#include "terminal/MessageBoxes.h"
#include "terminal/TerminalState.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

struct InputLinks {
    Terminal& terminal;
    TranslationCache& tables;
    const SessionSettings& settings;  ///< "Page Code" is read at every cell write
    HostResponses& host;              ///< attention keys, auto-enter, Attention, System Request
    NotificationControl& notifications;
    MessageBoxes& messages;
    InputState& input;
};

}  // namespace quenlix
