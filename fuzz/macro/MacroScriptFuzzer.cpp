// Macro files of any bytes. Reading must end within its bounds (steps,
// errors), keep only steps the desktop plays with well-formed arguments,
// and name every error by a line the text has; the texts a recorder writes
// (quoted, pasted) must read back as they were.
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "macro/MacroScript.h"
#include "macro/MacroSyntax.h"

namespace {

void Check(bool condition) {
    if (!condition) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace quenlix::macro;
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    const MacroScript script = ReadMacroScript(text);
    Check(script.steps.size() <= kMaxMacroSteps);
    Check(script.errors.size() <= kMaxMacroErrors);
    for (const std::string& e : script.errors) Check(e.starts_with("line "));
    int open = 0;
    for (const MacroStep& step : script.steps) {
        const StepKind kind = KindOfCommand(step.command.name);
        Check(kind != StepKind::kUnknown && kind != StepKind::kRefused);
        Check(step.text.size() <= kMaxMacroLineLength);
        if (step.command.name == "expect") Check(ParseExpect(step.command.args).has_value());
        if (step.command.name == "if-screen") ++open;
        if (step.command.name == "end") Check(--open >= 0);
    }
    if (script.ok()) Check(open == 0);
    // What a recording writes reads back unchanged.
    const std::string piece(text.substr(0, 200));
    Check(UnescapePasteText(EscapePasteText(piece)) == piece);
    if (!piece.empty()) {
        const std::optional<std::string> quoted = ParseIfScreen(QuoteText(piece));
        Check(quoted && *quoted == piece);
    }
    return 0;
}
