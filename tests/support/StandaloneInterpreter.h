// An interpreter with a terminal of its own and nothing connected to it:
// no socket, no view, no message boxes. For benchmarks and fuzzing.
#pragma once

#include "ds5250/RecordBuilder.h"
#include "ds5250/TN5250.h"
#include "support/WireRecords.h"

namespace quenlix {

struct StandaloneInterpreter {
    StandaloneInterpreter(int columns, int rows, int codePage) {
        tables.InitTranslation(ProgramDirectory());
        terminal.screen.AllocateCells(columns, rows);
        terminal.screen.SetGeometry(columns, rows);
        settings.PageCode = codePage;
    }
    void Run(const Bytes& block) { ::quenlix::ProcessWire(interpreter, block); }

    Terminal terminal;
    TranslationCache tables;
    SessionSettings settings;
    NullRecordSender sender;
    NullMessageBoxes messages;
    InterpreterLinks links{terminal, tables, settings, sender, messages};
    CTN5250 interpreter{links};
};

}  // namespace quenlix
