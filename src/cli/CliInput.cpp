// Operator input commands of the headless front end, all through the same
// keyboard, editing and clipboard rules as the desktop view.
#include <cstdio>
#include <string_view>
#include <vector>

#include "cli/CliShell.h"
#include "input/HotspotClick.h"
#include "input/SelectionChoice.h"
#include "macro/MacroSyntax.h"
#include "macro/OperatorCommands.h"
#include "terminal/Languages.h"

namespace quenlix::cli {

void CliShell::RegisterInputCommands() {
    OperatorInput& input = session_->input();
    auto pcText = [this](const std::string& utf8) {
        return PcCharset::ForCodePage(session_->activeSettings.PageCode).FromUtf8(utf8);
    };
    Register("key", [this, &input](const std::string& name) {
        if (input.PressKey(name)) return true;
        // Not a key of the terminal: the desktop program's menus take these.
        out_ << (OperatorInput::IsApplicationCommand(name) ? "error: application command "
                                                           : "error: unknown key ")
             << name << '\n';
        return false;
    });
    Register("type", [this, &input, pcText](const std::string& text) {
        input.Type(pcText(WithVariable(text)));
        return true;
    });
    Register("paste", [&input](const std::string& text) {
        input.Paste(macro::UnescapePasteText(text));
        return true;
    });
    Register("copy", [this, &input](const std::string& args) {
        int r1 = 0, c1 = 0, r2 = 0, c2 = 0;
        if (std::sscanf(args.c_str(), "%d %d %d %d", &r1, &c1, &r2, &c2) != 4 || r1 < 1 ||
            c1 < 1 || r2 < r1 || c2 < c1) {
            return false;
        }
        const std::string pc = input.Copy(CellRect{c1 - 1, r1 - 1, c2, r2}, trimCopy_);
        // Rows are joined by CR LF; each becomes one printed line.
        std::string text =
            PcCharset::ForCodePage(session_->activeSettings.PageCode).ToUtf8(pc);
        std::size_t at = 0;
        while ((at = text.find("\r\n", at)) != std::string::npos) text.erase(at, 1);
        out_ << text << '\n';
        return true;
    });
    Register("select-word", [this, &input](const std::string& args) {
        int row = 0, column = 0;
        if (std::sscanf(args.c_str(), "%d %d", &row, &column) != 2) return false;
        input.SelectWord(row - 1, column - 1);
        const CellRect& s = session_->terminal.selection;
        out_ << "selection " << s.top + 1 << ' ' << s.left + 1 << ' ' << s.bottom << ' '
             << s.right << '\n';
        return true;
    });
    Register("insert", [&input](const std::string& args) {
        if (args != "on" && args != "off") return false;
        input.SetInsertMode(args == "on");
        return true;
    });
    Register("click", [this, &input](const std::string& args) {
        int row = 0, column = 0;
        if (std::sscanf(args.c_str(), "%d %d", &row, &column) != 2) return false;
        const std::vector<Hotspot> hotspots = FindHotspots(session_->terminal);
        const Hotspot* hotspot = HotspotAt(hotspots, row - 1, column - 1);
        if (!hotspot) {
            out_ << "error: no hotspot at " << row << ' ' << column << '\n';
            return false;
        }
        switch (ClickHotspot(input, *hotspot)) {
            case HotspotClickResult::kOpen:
                out_ << "open: " << hotspot->action << '\n';
                return true;
            case HotspotClickResult::kRefused:
                return false;
            case HotspotClickResult::kPerformed:
                return true;
        }
        return false;
    });
    // A choice of the host's selection fields: by its cell (as a click), by
    // its number in a field (the one under the cursor, else the first), by
    // its mnemonic letter.
    Register("choose", [this, &input](const std::string& args) {
        const Terminal& t = session_->terminal;
        int a = 0, b = 0;
        char letter = 0;
        ChoiceResult result = ChoiceResult::kNone;
        if (std::sscanf(args.c_str(), "number %d %d", &a, &b) == 2) {
            result = ChooseByNumber(input, b - 1, a);
        } else if (std::sscanf(args.c_str(), "number %d", &a) == 1) {
            const int under = t.constructs.SelectionFieldAt(t.CursorRow() + 1, t.CursorColumn() + 1);
            result = ChooseByNumber(input, under >= 0 ? under : 0, a);
        } else if (std::sscanf(args.c_str(), "mnemonic %c", &letter) == 1) {
            result = ChooseByMnemonic(input, letter);
        } else if (std::sscanf(args.c_str(), "%d %d", &a, &b) == 2) {
            result = ChooseAt(input, a - 1, b - 1);
        } else {
            return false;
        }
        if (result == ChoiceResult::kNone) out_ << "error: no such choice: " << args << '\n';
        return result == ChoiceResult::kChosen;
    });
    Register("cursor", [this](const std::string& args) {
        int row = 0, column = 0;
        if (std::sscanf(args.c_str(), "%d %d", &row, &column) != 2) return false;
        // As a click places it: a field exit awaited where it was is not.
        return macro::PlaceCursor(session_->input(), session_->terminal, row, column);
    });
}

}  // namespace quenlix::cli
