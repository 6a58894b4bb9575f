// Feeds arbitrary host blocks to one interpreter on either screen size.
// Byte 0 picks the set-up:
//   bit 0  27 x 132 screen, else 24 x 80
//   bit 1  code page 37, else the built-in pair
//   bit 2  terminal name IBM-5292-2, else IBM-3477-FC
//   bit 3  every third answer fails to send (the socket went away)
//   bit 4  the session offers the enhanced interface (windows)
//   bits 5-6  the answer read from the screen the blocks left behind: an
//          AID with its fields, Save Screen, Read Immediate, Read Screen
// The rest is read as the endpoint reads host data (a telnet reader cuts it
// at each IAC EOR and undoes the IAC doubling) into records that run one
// after another, so that state carried from record to record (fields, error
// row, resequencing) meets hostile input too. Every visible change a record
// makes must be in the terminal's damage record, and the screen as a screen
// reader reads it never holds the data of a non-display field. The screen is
// read once, after the last record: the screen after any earlier record is
// the last screen of a shorter input, which the fuzzer makes by cutting.
#include <cstddef>
#include <cstdint>
#include <stdexcept>
#include <string_view>
#include <vector>

#include "ds5250/HostResponses.h"
#include "ds5250/TN5250.h"
#include "support/DamageCheck.h"
#include "support/WireRecords.h"
#include "terminal/ScreenReading.h"

using namespace quenlix;

namespace {

/// Reads the screen as the accessibility layer does; traps on password data.
void ReadAloud(const Terminal& t) {
    const std::string readable = ReadableText(t);
    if (readable.size() != static_cast<std::size_t>(t.cellCount())) __builtin_trap();
    for (const FieldReading& f : FieldList(t)) {
        if (!f.kind.password) continue;
        if (!f.value.empty()) __builtin_trap();
        for (int p = f.first; p < f.first + f.length; ++p) {
            if (readable[static_cast<std::size_t>(p)] != ' ') __builtin_trap();
        }
    }
    (void)TitleText(t);
    (void)CurrentLineText(t);
    (void)MessageLineText(t);
    (void)StatusText(t);
}

using Records = std::vector<std::vector<std::uint8_t>>;

class FlakySender : public RecordSender {
public:
    bool failing = false;
    void Send(const std::uint8_t*, std::size_t count) override {
        if (count == 0) __builtin_trap();
        if (failing && ++sends_ % 3 == 0) throw std::runtime_error("send failed");
    }

private:
    unsigned sends_ = 0;
};

/// testing::Visible written into `shot`, reusing its cells' storage.
void Snapshot(const Terminal& t, testing::VisibleScreen& shot) {
    const auto cells = t.screen.inUse();
    shot.cells.assign(cells.begin(), cells.end());
    shot.columns = t.columns();
    shot.rows = t.rows();
    shot.cursorX = t.state.cursorX;
    shot.cursorY = t.state.cursorY;
    shot.inhibited = t.state.inputInhibited;
    shot.message = t.state.messageWaiting;
    shot.insert = t.state.insertMode;
    shot.sysReq = t.state.sysReqMode;
    shot.reason = t.state.refusedReason;
    shot.notice = t.state.connectionNotice;
}

/// What every input starts from.
struct Setup {
    Setup() {
        for (const bool wide : {false, true}) {
            fresh[wide].screen.AllocateCells(wide ? 132 : 80, wide ? 27 : 24);
            fresh[wide].screen.SetGeometry(wide ? 132 : 80, wide ? 27 : 24);
        }
        tables.InitTranslation(ProgramDirectory());
    }
    Terminal fresh[2];
    Terminal terminal;
    TranslationCache tables;
    testing::VisibleScreen before;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const std::uint8_t mode = data[0];
    const bool wide = mode & 1;
    // Built once: a blank terminal of either size and the translation tables
    // (read from their files once). Each input starts from a copy of the
    // blank terminal and fresh settings, so nothing an input did is left for
    // the next one.
    static Setup setup;
    Terminal& terminal = setup.terminal;
    terminal = setup.fresh[wide];
    SessionSettings settings;
    settings.PageCode = (mode & 2) ? 37 : 0;
    settings.TerminalName = (mode & 4) ? "IBM-5292-2" : "IBM-3477-FC";
    settings.Enhanced = (mode & 16) ? 1 : 0;

    FlakySender sender;
    sender.failing = (mode & 8) != 0;
    NullMessageBoxes messages;
    InterpreterLinks links{terminal, setup.tables, settings, sender, messages};
    CTN5250 interpreter(links);
    HostResponses responses(links);
    interpreter.SetHostReads(&responses);

    Records blocks = WireRecords(data + 1, size - 1);
    testing::VisibleScreen& before = setup.before;
    std::size_t next = 0;
    while (next < blocks.size()) {
        const std::vector<std::uint8_t>& block = blocks[next++];
        // Whatever a block changes on the glass is in its damage record, or
        // the window would never paint it.
        Snapshot(terminal, before);
        terminal.TakeDamage();
        try {
            interpreter.ProcessRecord(block.data(), block.size());
        } catch (const std::runtime_error&) {
        }
        if (!testing::MissedDamage(before, terminal, terminal.TakeDamage()).empty()) {
            __builtin_trap();
        }
    }
    ReadAloud(terminal);

    // An answer reads every field or position the blocks left behind. One
    // an input, picked by the input: each walks the whole screen, and the
    // fuzzer reaches all four by flipping two bits.
    try {
        switch ((mode >> 5) & 3) {
            case 0: responses.SendAid(0xF1); break;
            case 1: responses.SendSaveScreen(); break;
            case 2: responses.SendReadImmediate(); break;
            default: responses.SendReadScreen(); break;
        }
    } catch (const std::runtime_error&) {
    }
    return 0;
}
