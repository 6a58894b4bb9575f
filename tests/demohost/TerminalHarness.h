// A HostSession wired to a real 5250 interpreter: the host's telnet bytes
// are answered as the terminal answers them, its records are run through
// CTN5250, and the terminal's records go back to the host.
#pragma once

#include <gtest/gtest.h>

#include <string>

#include "demohost/HostSession.h"
#include "ds5250/HostResponses.h"
#include "ds5250/RecordBuilder.h"
#include "ds5250/TN5250.h"
#include "support/Recorders.h"
#include "support/WireRecords.h"

namespace quenlix::testing {

using demohost::Bytes;
using demohost::HostSession;

/// The terminal's environment answer: IS, then VAR/USERVAR name VALUE value.
inline Bytes EnvironAnswer(std::initializer_list<std::pair<std::string, std::string>> vars) {
    Bytes out = {0xFF, 0xFA, 0x27, 0x00};
    for (const auto& [name, value] : vars) {
        out.push_back(name == "USER" ? 0x00 : 0x03);
        out.insert(out.end(), name.begin(), name.end());
        out.push_back(0x01);
        out.insert(out.end(), value.begin(), value.end());
    }
    out.insert(out.end(), {0xFF, 0xF0});
    return out;
}

inline Bytes TerminalTypeAnswer(const std::string& name) {
    Bytes out = {0xFF, 0xFA, 0x18, 0x00};
    out.insert(out.end(), name.begin(), name.end());
    out.insert(out.end(), {0xFF, 0xF0});
    return out;
}

/// The terminal's answer to DO/WILL END-OF-RECORD and TRANSMIT-BINARY.
inline Bytes BinaryAnswers() {
    return {0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x00, 0xFF, 0xFD, 0x00};
}

/// The host's DO/WILL END-OF-RECORD and TRANSMIT-BINARY.
inline Bytes BinaryRequests() {
    return {0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00};
}

/// The terminal's answers, in order, to the host's negotiation steps:
/// terminal type, binary and end of record, environment.
inline Bytes NegotiationAnswers(const std::string& type, const Bytes& environ) {
    return Concat({{0xFF, 0xFB, 0x18}, TerminalTypeAnswer(type), BinaryAnswers(),
                   {0xFF, 0xFB, 0x27}, environ});
}

/// The host's 5250 query, as IBM i hosts send it: Put/Get, Write Structured
/// Field, query class 0xD9, type 0x70.
inline Bytes QueryRecord() { return RecordBuilder(ds::kOpPutGet).queryStructuredField().record(); }

class TerminalHarness : public ::testing::Test {
protected:
    TerminalHarness() {
        tables.InitTranslation("/nonexistent");
        terminal.screen.AllocateCells(132, 27);
        terminal.screen.SetGeometry(80, 24);
        interpreter.SetHostReads(&responses);
    }

    /// Negotiates step by step, checking each host request, and runs the
    /// host's first screen on the terminal.
    void Connect(const std::string& type = "IBM-5292-2",
                 const Bytes& environ = EnvironAnswer({{"DEVNAME", "DSP01"}, {"IBMRSEED", ""}}),
                 demohost::HostConfig config = {}) {
        Negotiate(type, environ, std::move(config));
        if (host->closeRequested()) return;
        Deliver();
    }

    /// The telnet negotiation alone, each host request checked; what the
    /// host sends after the environment answer stays queued.
    void Negotiate(const std::string& type = "IBM-5292-2",
                   const Bytes& environ = EnvironAnswer({{"DEVNAME", "DSP01"}, {"IBMRSEED", ""}}),
                   demohost::HostConfig config = {}) {
        settings.TerminalName = type;
        host = std::make_unique<HostSession>(config);
        host->Start();
        EXPECT_EQ(host->TakeOutput(), Bytes({0xFF, 0xFD, 0x18}));
        host->Receive(Bytes{0xFF, 0xFB, 0x18});
        EXPECT_EQ(host->TakeOutput(), Bytes({0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0}));
        host->Receive(TerminalTypeAnswer(type));
        EXPECT_EQ(host->TakeOutput(), BinaryRequests());
        host->Receive(BinaryAnswers());
        EXPECT_EQ(host->TakeOutput(), Bytes({0xFF, 0xFD, 0x27}));
        host->Receive(Bytes{0xFF, 0xFB, 0x27});
        EXPECT_EQ(host->TakeOutput(), demohost::EnvironmentRequest(host->seed()));
        host->Receive(environ);
    }

    /// Runs the host's pending output on the terminal and sends the
    /// terminal's answers back, until nothing more moves.
    void Deliver() {
        for (int round = 0; round < 20; ++round) {
            Bytes out = host->TakeOutput();
            for (const std::string& line : host->TakeLog()) log += line + "\n";
            if (out.empty()) return;
            ASSERT_GE(out.size(), 2u);
            ASSERT_EQ(out[out.size() - 2], 0xFF) << "host output is not a record block";
            ASSERT_EQ(out.back(), 0xEF);
            ::quenlix::ProcessWire(interpreter, out);
            auto answers = std::move(sender.sent);
            sender.sent.clear();
            for (const auto& a : answers) host->Receive(a.data(), a.size());
        }
    }

    /// Types text at a 1-based address, as the operator would into a field.
    void Type(int row, int column, const std::string& text) {
        for (std::size_t i = 0; i < text.size(); ++i) {
            const int pos = HostPosition(row, column, terminal.columns()) + static_cast<int>(i);
            const ScreenCell& cell = terminal.screen.at(pos);
            ASSERT_TRUE(cell.inField) << "not a field at " << row << "," << column + i;
            const auto typed = static_cast<std::uint8_t>(text[i]);
            terminal.SetCell(pos, tables.ToEbcdic(settings.PageCode, typed), typed);
            terminal.formatTable.entry(cell.fieldIndex)->mdt = 1;
            terminal.state.operatorModified = 1;
        }
    }
    /// Puts EBCDIC bytes into a field as an editing key leaves them (Field-
    /// gives the last digit a negative zone, which no typed character has).
    void Store(int row, int column, const Bytes& ebcdic) {
        for (std::size_t i = 0; i < ebcdic.size(); ++i) {
            const int pos = HostPosition(row, column, terminal.columns()) + static_cast<int>(i);
            const ScreenCell& cell = terminal.screen.at(pos);
            ASSERT_TRUE(cell.inField) << "not a field at " << row << "," << column + i;
            terminal.SetCell(pos, ebcdic[i], tables.ToPc(settings.PageCode, ebcdic[i]));
            terminal.formatTable.entry(cell.fieldIndex)->mdt = 1;
            terminal.state.operatorModified = 1;
        }
    }
    void Key(std::uint8_t aid) {
        ASSERT_EQ(terminal.state.inputInhibited, 0) << "keyboard locked\n" << log;
        responses.SendAid(aid);
        Flush();
    }
    /// Sends what the terminal queued to the host and runs the answer.
    void Flush() {
        Answer();
        Deliver();
    }
    /// Sends what the terminal queued to the host; its answer stays queued.
    void Answer() {
        auto answers = std::move(sender.sent);
        sender.sent.clear();
        for (const auto& a : answers) host->Receive(a.data(), a.size());
    }

    std::string Row(int row) const {
        std::string out;
        for (int c = 0; c < terminal.columns(); ++c) {
            out += static_cast<char>(
                terminal.screen.at(HostPosition(row, 1, terminal.columns()) + c).character);
        }
        return out;
    }
    std::string Screen() const {
        std::string out;
        for (int r = 1; r <= terminal.rows(); ++r) out += Row(r) + "\n";
        return out;
    }
    int CursorRow() const { return terminal.CursorRow() + 1; }
    int CursorColumn() const { return terminal.CursorColumn() + 1; }

    Terminal terminal;
    TranslationCache tables;
    SessionSettings settings;
    RecordingSender sender;
    RecordingMessages messages;
    InterpreterLinks links{terminal, tables, settings, sender, messages};
    CTN5250 interpreter{links};
    HostResponses responses{links};
    std::unique_ptr<HostSession> host;
    std::string log;
};

}  // namespace quenlix::testing
