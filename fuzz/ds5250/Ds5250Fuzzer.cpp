// Feeds arbitrary blocks to the interpreter on both screen sizes. The first
// byte picks the screen and the session's code page; the rest is the block.
#include <cstdint>
#include <cstddef>

#include "ds5250/HostResponses.h"
#include "ds5250/TN5250.h"

using namespace quenlix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    static TranslationCache tables = [] {
        TranslationCache t;
        t.InitTranslation(ProgramDirectory());
        return t;
    }();
    Terminal terminal;
    const bool wide = data[0] & 1;
    terminal.screen.AllocateCells(wide ? 132 : 80, wide ? 27 : 24);
    terminal.screen.SetGeometry(wide ? 132 : 80, wide ? 27 : 24);
    SessionSettings settings;
    settings.PageCode = (data[0] & 2) ? 37 : 0;
    settings.TerminalName = (data[0] & 4) ? "IBM-5292-2" : "IBM-3477-FC";
    NullRecordSender sender;
    NullViewOperations view;
    NullMessageBoxes messages;
    InterpreterLinks links{terminal, tables, settings, sender, view, messages};
    CTN5250 interpreter(links);
    interpreter.SetTracePath("");
    HostResponses responses(links, interpreter);
    interpreter.SetHostReads(&responses);
    interpreter.ProcessBlock(data + 1, size - 1);
    // The answers read every field and position the block left behind.
    responses.SendAid(0xF1);
    responses.SendSaveScreen();
    responses.SendReadImmediate();
    return 0;
}
