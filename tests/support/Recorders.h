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

class RecordingView : public ViewOperations {
public:
    void InvalidateView() override { calls.push_back("InvalidateView"); }
    void InvalidateCursor() override { calls.push_back("InvalidateCursor"); }
    void InvalidateCellRect(int l, int t, int r, int b) override {
        calls.push_back("InvalidateCellRect " + std::to_string(l) + " " + std::to_string(t) +
                        " " + std::to_string(r) + " " + std::to_string(b));
    }
    void InvalidateMessageIndicator() override { calls.push_back("InvalidateMessageIndicator"); }
    void InvalidateShiftIndicator() override { calls.push_back("InvalidateShiftIndicator"); }
    void InvalidateInsertIndicator() override { calls.push_back("InvalidateInsertIndicator"); }
    void InvalidateSysReqLine() override { calls.push_back("InvalidateSysReqLine"); }
    void DrawInhibitIndicator() override { calls.push_back("DrawInhibitIndicator"); }
    void RefreshScreen() override { calls.push_back("RefreshScreen"); }
    void BeginSysReqLine() override { calls.push_back("BeginSysReqLine"); }
    void EndSysReqLine() override { calls.push_back("EndSysReqLine"); }
    void FitScreenToWindow() override { calls.push_back("FitScreenToWindow"); }

    int Count(const std::string& name) const {
        int n = 0;
        for (const auto& c : calls) n += c == name;
        return n;
    }
    std::vector<std::string> calls;
};

}  // namespace quenlix::testing
