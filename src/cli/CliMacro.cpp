// The commands that make a script a screen-synchronised macro: wait for the
// screen a step expects, check its field count and cursor, ask the operator
// for a value (never kept in the script), and one branch for a screen that
// comes only sometimes. The format and the conditions are the macro
// library's, which the desktop program plays too.
#include <unistd.h>

#include <termios.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/CliShell.h"
#include "macro/MacroSyntax.h"
#include "macro/ScreenConditions.h"
#include "terminal/Languages.h"
#include "terminal/ScreenReading.h"

namespace quenlix::cli {

namespace {

/// One line from `in` without echo when it is a terminal and `hidden`.
bool ReadAnswer(std::istream& in, bool hidden, std::string& answer) {
    termios saved{};
    const bool quiet = hidden && &in == &std::cin && isatty(STDIN_FILENO) && tcgetattr(STDIN_FILENO, &saved) == 0;
    if (quiet) {
        termios silent = saved;
        silent.c_lflag &= static_cast<tcflag_t>(~ECHO);
        tcsetattr(STDIN_FILENO, TCSANOW, &silent);
    }
    const bool got = static_cast<bool>(std::getline(in, answer));
    if (quiet) {
        tcsetattr(STDIN_FILENO, TCSANOW, &saved);
        std::fputc('\n', stderr);
    }
    if (got && !answer.empty() && answer.back() == '\r') answer.pop_back();
    return got;
}

}  // namespace

bool CliShell::SkippedByBlock(const std::string& name) { return blocks_.PassesOver(name); }

std::string CliShell::WithVariable(const std::string& text) const {
    return macro::WithVariable(text, variables_);
}

bool CliShell::ScreenHolds(const std::string& utf8, int row, int column) const {
    return macro::ScreenHolds(session_->terminal,
                              PcCharset::ForCodePage(session_->activeSettings.PageCode), utf8,
                              row, column);
}

bool CliShell::Expect(const std::string& args) {
    const std::optional<macro::ExpectArgs> expect = macro::ParseExpect(args);
    if (!expect) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(expect->ms);
    const Terminal& t = session_->terminal;
    for (;;) {
        if (macro::ExpectMet(t, PcCharset::ForCodePage(session_->activeSettings.PageCode), *expect)) {
            out_ << "ok\n";
            return true;
        }
        const bool more = t.state.connected && session_->endpoint().IsOpen();
        const auto now = std::chrono::steady_clock::now();
        if (!more || now >= end) {
            out_ << macro::ExpectFailure(*expect, more) << '\n';
            PrintScreen();
            macroStopped_ = true;
            return false;
        }
        Pump(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
    }
}

void CliShell::RegisterMacroCommands() {
    Register("expect", [this](const std::string& args) { return Expect(args); });
    Register("expect-field", [this](const std::string& args) {
        const std::optional<int> count = macro::ParseExpectField(args);
        if (!count) return false;
        const std::string failure = macro::ExpectFieldFailure(session_->terminal, *count);
        if (failure.empty()) return true;
        out_ << failure << '\n';
        macroStopped_ = true;
        return false;
    });
    Register("expect-cursor", [this](const std::string& args) {
        const std::optional<macro::CursorArgs> cursor = macro::ParseExpectCursor(args);
        if (!cursor) return false;
        const std::string failure = macro::ExpectCursorFailure(session_->terminal, *cursor);
        if (failure.empty()) return true;
        out_ << failure << '\n';
        macroStopped_ = true;
        return false;
    });
    Register("prompt", [this](const std::string& args) {
        const std::optional<macro::PromptArgs> prompt = macro::ParsePrompt(args);
        if (!prompt) return false;
        const std::string& name = prompt->name;
        auto it = variables_.find(name);
        if (it == variables_.end()) {
            std::string answer;
            const Terminal& t = session_->terminal;
            const FieldEntry* field = t.formatTable.entry(FieldAtCursor(t));
            const bool hidden = field && IsNonDisplay(field->attribute);
            if (answers_) std::fprintf(stderr, "%s ", prompt->question.c_str());
            if (!answers_ || !ReadAnswer(*answers_, hidden, answer)) {
                out_ << "error: prompt " << name << ": no answer (give --var " << name << "=VALUE)\n";
                return false;
            }
            it = variables_.emplace(name, answer).first;
        }
        session_->input().Type(
            PcCharset::ForCodePage(session_->activeSettings.PageCode).FromUtf8(it->second));
        return true;
    });
    Register("if-screen", [this](const std::string& args) {
        const std::optional<std::string> text = macro::ParseIfScreen(args);
        if (!text) return false;
        blocks_.Open(ScreenHolds(*text, 0, 0));
        return true;
    });
    Register("end", [this](const std::string& args) {
        if (!macro::ParseEnd(args) || !blocks_.Close()) {
            out_ << "error: end without if-screen\n";
            return false;
        }
        return true;
    });
}

}  // namespace quenlix::cli
