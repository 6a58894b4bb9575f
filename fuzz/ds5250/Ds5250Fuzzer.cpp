// Feeds arbitrary blocks to the interpreter on both screen sizes. The first
// byte picks the screen and the session's code page; the rest is the block.
#include <cstdint>
#include <cstddef>

#include "ds5250/HostResponses.h"
#include "support/StandaloneInterpreter.h"

using namespace quenlix;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool wide = data[0] & 1;
    StandaloneInterpreter s(wide ? 132 : 80, wide ? 27 : 24, (data[0] & 2) ? 37 : 0);
    s.settings.TerminalName = (data[0] & 4) ? "IBM-5292-2" : "IBM-3477-FC";
    HostResponses responses(s.links, s.interpreter);
    s.interpreter.SetHostReads(&responses);
    s.interpreter.ProcessBlock(data + 1, size - 1);
    // The answers read every field and position the block left behind.
    responses.SendAid(0xF1);
    responses.SendSaveScreen();
    responses.SendReadImmediate();
    return 0;
}
