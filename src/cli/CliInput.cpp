// Operator input commands of the headless front end: keys, typing, the
// cursor. Attention keys go to the host's answers; typed characters are
// written into the input field under the cursor.
#include <array>
#include <string_view>

#include "cli/CliShell.h"
#include "ds5250/DataStreamCodes.h"
#include "terminal/Languages.h"

namespace quenlix::cli {

namespace {

struct AidKey {
    std::string_view name;
    std::uint8_t aid;
    bool aidOnly;
};

constexpr std::array<AidKey, 10> kAidKeys = {{
    {"Enter", ds::kAidEnter, false},
    {"PageUp", ds::kAidRollDown, false},
    {"PageDown", ds::kAidRollUp, false},
    {"Help", ds::kAidHelp, false},
    {"Print", ds::kAidPrint, false},
    {"Refresh", ds::kAidClear, false},
    {"PA1", ds::kAidPa1, true},
    {"PA2", ds::kAidPa2, true},
    {"PA3", ds::kAidPa3, true},
    {"Clear", ds::kAidClear, false},
}};

/// The AID of "F1".."F24" and "Shift+F1".."Shift+F12", or 0.
std::uint8_t FunctionKeyAid(std::string_view name) {
    bool shifted = false;
    if (name.substr(0, 6) == "Shift+") {
        shifted = true;
        name.remove_prefix(6);
    }
    if (name.size() < 2 || name[0] != 'F') return 0;
    int n = 0;
    for (char c : name.substr(1)) {
        if (c < '0' || c > '9') return 0;
        n = n * 10 + (c - '0');
    }
    if (shifted && n >= 1 && n <= 12) n += 12;
    if (n >= 1 && n <= 12) return static_cast<std::uint8_t>(ds::kAidF1 + n - 1);
    if (n >= 13 && n <= 24) return static_cast<std::uint8_t>(ds::kAidF13 + n - 13);
    return 0;
}

}  // namespace

void CliShell::RegisterInputCommands() {
    Register("key", [this](const std::string& name) {
        HostResponses& answers = session_->responses();
        const Terminal& t = session_->terminal;
        if (name == "Attn") {
            answers.SendAttention();
            return true;
        }
        if (t.state.inputInhibited) {
            out_ << "error: keyboard locked\n";
            return false;
        }
        if (const std::uint8_t aid = FunctionKeyAid(name)) {
            answers.SendAid(aid);
            return true;
        }
        for (const AidKey& k : kAidKeys) {
            if (k.name != name) continue;
            if (k.aidOnly) {
                answers.SendAidOnly(k.aid);
            } else {
                answers.SendAid(k.aid);
            }
            return true;
        }
        out_ << "error: unknown key " << name << '\n';
        return false;
    });
    Register("type", [this](const std::string& text) {
        Terminal& t = session_->terminal;
        if (t.state.inputInhibited) {
            out_ << "error: keyboard locked\n";
            return false;
        }
        const std::string pc =
            PcCharset::ForCodePage(session_->activeSettings.PageCode).FromUtf8(text);
        for (char c : pc) {
            const int pos = t.CursorPosition();
            ScreenCell& cell = t.screen.at(pos);
            FieldEntry* field = cell.inField ? t.formatTable.entry(cell.fieldIndex) : nullptr;
            if (!t.screen.contains(pos) || !field || field->bypass) {
                out_ << "error: cursor is not in an input field\n";
                return false;
            }
            const auto pcByte = static_cast<std::uint8_t>(field->monocase ? std::toupper(c) : c);
            cell.character = pcByte;
            cell.ebcdic = session_->tables.ToEbcdic(session_->activeSettings.PageCode, pcByte);
            field->mdt = 1;
            t.state.operatorModified = 1;
            if (t.screen.contains(pos + 1)) t.SetCursorPosition(pos + 1);
        }
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
