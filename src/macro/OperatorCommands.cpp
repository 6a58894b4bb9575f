// The operator's commands of a macro.
#include "macro/OperatorCommands.h"

#include <cstdio>
#include <string>

#include "input/HotspotClick.h"
#include "macro/MacroSyntax.h"

namespace quenlix::macro {

std::string WithVariable(std::string_view text, const MacroVariables& variables) {
    // Only a whole "$NAME" the script defined: any other text is typed as is.
    if (text.size() < 2 || text[0] != '$') return std::string(text);
    const auto it = variables.find(std::string(text.substr(1)));
    return it == variables.end() ? std::string(text) : it->second;
}

bool PlaceCursor(OperatorInput& input, Terminal& t, int row, int column) {
    if (row < 1 || row > t.rows() || column < 1 || column > t.columns()) return false;
    input.state().fieldExitPending = false;
    t.SetCursorCell(row - 1, column - 1);
    return true;
}

bool PerformOperatorCommand(OperatorInput& input, Terminal& t, const PcCharset& charset,
                            const MacroVariables& variables, std::string_view name,
                            std::string_view args, std::string& error, std::string& open) {
    const std::string text(args);
    int row = 0, column = 0;
    if (name == "type") {
        input.Type(charset.FromUtf8(WithVariable(args, variables)));
        return true;
    }
    if (name == "paste") {
        input.Paste(UnescapePasteText(args));
        return true;
    }
    if (name == "key") {
        if (input.PressKey(args)) return true;
        error = (OperatorInput::IsApplicationCommand(args) ? "application command " : "unknown key ") + text;
        return false;
    }
    if (name == "insert") {
        if (args != "on" && args != "off") {
            error = "insert takes on or off";
            return false;
        }
        input.SetInsertMode(args == "on");
        return true;
    }
    if (name == "cursor" || name == "click") {
        char extra = 0;
        if (std::sscanf(text.c_str(), "%d %d %c", &row, &column, &extra) != 2 || row < 1 ||
            row > t.rows() || column < 1 || column > t.columns()) {
            error = text + " is not a place on the screen";
            return false;
        }
        if (name == "cursor") return PlaceCursor(input, t, row, column);
        const std::vector<Hotspot> hotspots = FindHotspots(t);
        const Hotspot* hotspot = HotspotAt(hotspots, row - 1, column - 1);
        if (!hotspot) {
            error = "no hotspot at " + text;
            return false;
        }
        switch (ClickHotspot(input, *hotspot)) {
            case HotspotClickResult::kOpen:
                open = charset.ToUtf8(hotspot->action);
                return true;
            case HotspotClickResult::kRefused:
                error = "the click at " + text + " was refused";
                return false;
            case HotspotClickResult::kPerformed:
                return true;
        }
    }
    error = "unknown command " + std::string(name);
    return false;
}

}  // namespace quenlix::macro
