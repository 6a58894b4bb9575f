// Recording doubles of the core's outward interfaces: each call becomes a
// line or a captured record, so a test asserts what went out.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "terminal/MessageBoxes.h"
#include "terminal/RecordSender.h"
#include "terminal/ViewOperations.h"

namespace quenlix::testing {

class RecordingSender : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        sent.emplace_back(bytes, bytes + count);
    }
    std::vector<std::vector<std::uint8_t>> sent;
};

class RecordingMessages : public MessageBoxes {
public:
    void ShowMessage(std::string_view text, MessageIcon) override { shown.emplace_back(text); }
    void Alarm() override { ++alarms; }
    std::vector<std::string> shown;
    int alarms = 0;
};

/// Counts the session's notices that damage waits to be painted.
class RecordingView : public ViewOperations {
public:
    void DamageReady() override { ++ready; }
    int ready = 0;
};

}  // namespace quenlix::testing
