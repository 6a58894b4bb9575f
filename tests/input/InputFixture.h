// A terminal, an interpreter that builds screens from host records, and the
// operator input wired to recording doubles.
#pragma once

#include <string>
#include <string_view>

#include "ds5250/InterpreterFixture.h"
#include "input/OperatorInput.h"

namespace quenlix::testing {

class RecordingNotifications : public NotificationControl {
public:
    void SuspendNotifications() override { ++suspended; }
    void ResumeNotifications() override { ++resumed; }
    void ReconnectRequested() override { ++reconnects; }
    int suspended = 0;
    int resumed = 0;
    int reconnects = 0;
};

class InputTest : public InterpreterTest {
protected:
    InputTest() { terminal.state.connected = 1; }

    /// Runs a host record that builds the screen, then forgets what it sent.
    void Screen(const RecordBuilder& r) {
        Run(r.record());
        sender.sent.clear();
        view.calls.clear();
    }
    /// Clear unit, Write To Display; the caller adds fields and text.
    static RecordBuilder Wtd() {
        RecordBuilder r;
        r.clearUnit().writeToDisplay();
        return r;
    }
    /// Puts the cursor on a 1-based row and column.
    void CursorAt(int row, int column) { terminal.SetCursorCell(row - 1, column - 1); }
    const FieldEntry& Field(int index) { return *terminal.formatTable.entry(index); }
    Bytes Ebcdic(std::string_view text) const {
        Bytes out;
        for (char c : text) out.push_back(BuiltinTablePair().ATOE[static_cast<std::uint8_t>(c)]);
        return out;
    }
    Bytes EbcdicAt(int row, int column, int count) const {
        Bytes out;
        for (int k = 0; k < count; ++k) out.push_back(static_cast<std::uint8_t>(Cell(row, column + k).ebcdic));
        return out;
    }
    /// The attention identifier of the only record sent.
    int SentAid() const {
        if (sender.sent.size() != 1 || sender.sent[0].size() < 13) return -1;
        return sender.sent[0][12];
    }

    InputState inputState;
    RecordingNotifications notifications;
    MemoryClipboard clipboard;
    ClipboardOptions options;
    InputLinks inputLinks{terminal, view, tables, settings, responses, notifications, messages,
                          inputState};
    OperatorInput input{inputLinks, clipboard, options};
};

}  // namespace quenlix::testing
