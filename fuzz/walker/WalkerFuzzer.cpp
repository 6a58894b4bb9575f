// One host record, walked by the interpreter and by the describer: both
// implementations of the walker's actions must be handed the same actions,
// the interpreter's ending early only where it refused the record with a
// negative response. The walker alone must read the record the same fed
// whole or a byte at a time.
// Byte 0 picks the set-up: bit 0 a 27 x 132 screen, else 24 x 80; bit 1
// the session offers the enhanced interface. The rest
// is the record from its first length byte (IAC doubling undone).
#include <cstddef>
#include <cstdint>
#include <vector>

#include "ds5250/RecordActionLog.h"
#include "ds5250/RecordDescriber.h"
#include "ds5250/RecordWalker.h"
#include "ds5250/TN5250.h"
#include "support/Recorders.h"

using namespace quenlix;

namespace {

void Check(bool condition) {
    if (!condition) __builtin_trap();
}

bool SentNegativeResponse(const testing::RecordingSender& sender) {
    for (const std::vector<std::uint8_t>& record : sender.sent) {
        if (record.size() >= 14 && record[10] == 0x10 && record[11] == 0x05 && record[12] == 0x01) {
            return true;
        }
    }
    return false;
}

/// What every input starts from: a blank terminal and a blank describer's
/// screen of either size, the built-in translation pair.
struct Setup {
    Setup() {
        for (const bool wide : {false, true}) {
            Terminal& t = freshTerminal[wide];
            t.screen.AllocateCells(wide ? 132 : 80, wide ? 27 : 24);
            t.screen.SetGeometry(wide ? 132 : 80, wide ? 27 : 24);
        }
        freshMemory[true].ClearUnit(132, 27);
        tables.InitTranslation(ProgramDirectory());
    }
    Terminal freshTerminal[2];
    ScreenMemory freshMemory[2];
    Terminal terminal;
    ScreenMemory memory;
    TranslationCache tables;
    SessionSettings settings;
    NullMessageBoxes messages;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool wide = data[0] & 1;
    const std::uint8_t* record = data + 1;
    const std::size_t length = size - 1;

    // The walker alone, whole and a byte at a time.
    if (length >= 10) {
        ds::RecordActionLog whole;
        ds::RecordWalker walkerWhole(whole);
        walkerWhole.Feed(record + 9, length - 9);
        walkerWhole.Finish();
        ds::RecordActionLog bytewise;
        ds::RecordWalker walkerBytes(bytewise);
        for (std::size_t i = 9; i < length; ++i) walkerBytes.Feed(record + i, 1);
        walkerBytes.Finish();
        Check(whole.text() == bytewise.text());
    }

    // The interpreter's actions and the describer's, each on a fresh screen:
    // the set-up is built once and copied over what the last input changed.
    static Setup setup;
    Terminal& terminal = setup.terminal;
    terminal = setup.freshTerminal[wide];
    testing::RecordingSender sender;
    setup.settings.Enhanced = (data[0] & 2) ? 1 : 0;
    InterpreterLinks links{terminal, setup.tables, setup.settings, sender, setup.messages};
    CTN5250 interpreter(links);
    ds::RecordActionLog interpreted(&interpreter);
    interpreter.SetActionTap(&interpreted);
    interpreter.ProcessRecord(record, length);

    ScreenMemory& memory = setup.memory;
    memory = setup.freshMemory[wide];
    const DescribeOptions options;
    RecordDescriber describer(RecordSource::kHost, options, memory);
    ds::RecordActionLog described(&describer);
    describer.SetActionTap(&described);
    for (std::size_t i = 0; i < length; ++i) describer.Feed(record[i]);
    describer.EndRecord();
    (void)describer.Finish();

    const std::string& a = interpreted.text();
    const std::string& b = described.text();
    if (a != b) {
        Check(b.compare(0, a.size(), a) == 0);
        Check(SentNegativeResponse(sender));
    }
    return 0;
}
