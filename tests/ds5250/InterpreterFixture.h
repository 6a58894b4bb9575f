// A terminal, an interpreter and its answers wired to recording doubles.
#pragma once

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ds5250/HostResponses.h"
#include "ds5250/RecordBuilder.h"
#include "ds5250/TN5250.h"
#include "support/HexDump.h"
#include "support/Recorders.h"
#include "support/InterpretWire.h"

namespace quenlix::testing {

class InterpreterTest : public ::testing::Test {
protected:
    InterpreterTest() {
        tables.InitTranslation("/nonexistent");  // built-in pair: code page 500
        terminal.screen.AllocateCells(80, 24);
        terminal.screen.SetGeometry(80, 24);
        settings.TerminalName = "IBM-3477-FC";
        interpreter.SetHostReads(&responses);
    }

    void Run(const Bytes& block) { InterpretWire(interpreter, block, messages); }

    /// The characters of a 1-based row.
    std::string Row(int row) const {
        std::string out;
        const int first = HostPosition(row, 1, terminal.columns());
        for (int c = 0; c < terminal.columns(); ++c) {
            out += static_cast<char>(terminal.screen.at(first + c).character);
        }
        return out;
    }
    /// The characters of a 1-based row from a 1-based column, count long.
    std::string Text(int row, int column, int count) const {
        return Row(row).substr(static_cast<size_t>(column - 1), static_cast<size_t>(count));
    }
    const ScreenCell& Cell(int row, int column) const {
        return terminal.screen.at(HostPosition(row, column, terminal.columns()));
    }
    /// The cells in use, to compare with after a block.
    std::vector<ScreenCell> Snapshot() const {
        const auto cells = terminal.screen.inUse();
        return {cells.begin(), cells.end()};
    }
    /// The positions whose character, EBCDIC byte or field marks differ from
    /// `before`; the display attributes belong to Restyle and are not compared.
    std::vector<int> ChangedPositions(const std::vector<ScreenCell>& before) const {
        std::vector<int> changed;
        const auto now = terminal.screen.inUse();
        for (std::size_t p = 0; p < now.size() && p < before.size(); ++p) {
            const ScreenCell& a = before[p];
            const ScreenCell& b = now[p];
            if (a.character != b.character || a.ebcdic != b.ebcdic || a.inField != b.inField ||
                a.fieldIndex != b.fieldIndex || a.fieldOffset != b.fieldOffset ||
                a.fieldLength != b.fieldLength) {
                changed.push_back(static_cast<int>(p));
            }
        }
        return changed;
    }
    /// The damage recorded since the last call.
    ScreenDamage Damage() { return terminal.TakeDamage(); }
    int CursorRow() const { return terminal.CursorRow() + 1; }
    int CursorColumn() const { return terminal.CursorColumn() + 1; }

    /// A whole sent record, framed, from the header fields and the data.
    static Bytes Sent(std::uint8_t opcode, const Bytes& data, std::uint8_t flag1 = 0) {
        return FrameRecord(opcode, data, flag1);
    }

    Terminal terminal;
    TranslationCache tables;
    SessionSettings settings;
    RecordingSender sender;
    RecordingMessages messages;
    InterpreterLinks links{terminal, tables, settings, sender, messages};
    CTN5250 interpreter{links};
    HostResponses responses{links};
};

inline Bytes NegativeResponse(std::uint8_t sense) {
    return {0x00, 0x0E, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x80, 0x00, 0x00,
            0x10, 0x05, 0x01, sense, 0xFF, 0xEF};
}

}  // namespace quenlix::testing
