// Wire bytes run through an interpreter as a session runs them: record by
// record, each record's host notices shown in `messages` (also when an
// answer's send throws out).
#pragma once

#include <cstdint>
#include <vector>

#include "ds5250/TN5250.h"
#include "support/WireRecords.h"
#include "terminal/MessageBoxes.h"

namespace quenlix {

inline void ShowNotices(const RecordOutcome& outcome, MessageBoxes& messages) {
    for (const RecordOutcome::Notice& notice : outcome.notices) {
        messages.ShowHostNotice(notice.kind, notice.text);
    }
}

inline void InterpretWire(CTN5250& interpreter, const std::vector<std::uint8_t>& wire,
                          MessageBoxes& messages) {
    for (const std::vector<std::uint8_t>& record : WireRecords(wire)) {
        try {
            interpreter.ProcessRecord(record.data(), record.size());
        } catch (...) {
            ShowNotices(interpreter.outcome(), messages);
            throw;
        }
        ShowNotices(interpreter.outcome(), messages);
    }
}

}  // namespace quenlix
