// Operator input commands of the headless front end, all through the same
// keyboard, editing and clipboard rules as the desktop view.
#include <charconv>
#include <cstdio>
#include <string_view>

#include "cli/CliShell.h"
#include "terminal/Languages.h"

namespace quenlix::cli {

namespace {

/// "\r", "\n", "\t" and "\\" written out in a command line.
std::string Unescape(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\\' && i + 1 < text.size()) {
            const char next = text[i + 1];
            if (next == 'r' || next == 'n' || next == 't' || next == '\\') {
                out += next == 'r' ? '\r' : next == 'n' ? '\n' : next == 't' ? '\t' : '\\';
                ++i;
                continue;
            }
        }
        out += text[i];
    }
    return out;
}

// The main window's accelerators that the keyboard rules leave to the
// application (Alt+F4, Ctrl+F1..F4, Ctrl+B/D/F/N/O/P/R/S/T/X), with the
// modifiers written as for `key`; F13..F24 stand for Shift+F1..F12.
bool IsApplicationCommand(std::string_view name) {
    bool ctrl = false, alt = false;
    for (;;) {
        if (name.starts_with("Shift+")) {
            name.remove_prefix(6);
        } else if (name.starts_with("Ctrl+")) {
            ctrl = true;
            name.remove_prefix(5);
        } else if (name.starts_with("Alt+")) {
            alt = true;
            name.remove_prefix(4);
        } else {
            break;
        }
    }
    int fkey = 0;
    if (name.size() >= 2 && name.size() <= 3 && name[0] == 'F') {
        const auto [end, error] = std::from_chars(name.data() + 1, name.data() + name.size(), fkey);
        if (error != std::errc() || end != name.data() + name.size() || fkey < 1 || fkey > 24) {
            fkey = 0;
        }
        if (fkey > 12) fkey -= 12;
    }
    const bool letter =
        name.size() == 1 && std::string_view("BDFNOPRSTX").find(name[0]) != std::string_view::npos;
    return (alt && fkey == 4) || (ctrl && fkey >= 1 && fkey <= 4) || (ctrl && letter);
}

}  // namespace

void CliShell::RegisterInputCommands() {
    OperatorInput& input = session_->input();
    auto pcText = [this](const std::string& utf8) {
        return PcCharset::ForCodePage(session_->activeSettings.PageCode).FromUtf8(utf8);
    };
    Register("key", [this, &input](const std::string& name) {
        if (input.PressKey(name)) return true;
        // Not a key of the terminal: the desktop program's menus take these.
        out_ << (IsApplicationCommand(name) ? "error: application command " : "error: unknown key ")
             << name << '\n';
        return false;
    });
    Register("type", [&input, pcText](const std::string& text) {
        input.Type(pcText(text));
        return true;
    });
    Register("paste", [&input, pcText](const std::string& text) {
        input.Paste(pcText(Unescape(text)));
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
    Register("cursor", [this](const std::string& args) {
        Terminal& t = session_->terminal;
        int row = 0, column = 0;
        if (std::sscanf(args.c_str(), "%d %d", &row, &column) != 2 || row < 1 ||
            row > t.rows() || column < 1 || column > t.columns()) {
            return false;
        }
        t.SetCursorCell(row - 1, column - 1);
        return true;
    });
}

}  // namespace quenlix::cli
