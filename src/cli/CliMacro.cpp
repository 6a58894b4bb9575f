// The commands that make a script a screen-synchronised macro: wait for the
// screen a step expects, check its field count and cursor, ask the operator
// for a value (never kept in the script), and one branch for a screen that
// comes only sometimes.
#include <unistd.h>

#include <termios.h>

#include <chrono>
#include <cstdio>
#include <iostream>
#include <string>

#include "cli/CliShell.h"
#include "terminal/Languages.h"
#include "terminal/ScreenReading.h"
#include "terminal/Utf8.h"

namespace quenlix::cli {

namespace {

constexpr int kDefaultExpectMs = 10000;

void SkipBlanks(const std::string& text, std::size_t& at) {
    while (at < text.size() && text[at] == ' ') ++at;
}

/// A double-quoted text at `at` (\" and \\ inside it); false when there is none.
bool QuotedText(const std::string& text, std::size_t& at, std::string& out) {
    SkipBlanks(text, at);
    if (at >= text.size() || text[at] != '"') return false;
    out.clear();
    for (++at; at < text.size(); ++at) {
        if (text[at] == '\\' && at + 1 < text.size() && (text[at + 1] == '"' || text[at + 1] == '\\')) {
            out += text[++at];
        } else if (text[at] == '"') {
            ++at;
            return true;
        } else {
            out += text[at];
        }
    }
    return false;
}

bool Word(const std::string& text, std::size_t& at, std::string& out) {
    SkipBlanks(text, at);
    const std::size_t start = at;
    while (at < text.size() && text[at] != ' ') ++at;
    out = text.substr(start, at - start);
    return !out.empty();
}

bool Number(const std::string& text, std::size_t& at, int& out) {
    std::string word;
    if (!Word(text, at, word) || word.size() > 9) return false;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
    }
    out = std::stoi(word);
    return true;
}

bool AtEnd(const std::string& text, std::size_t at) {
    SkipBlanks(text, at);
    return at >= text.size();
}

bool IsVariableName(const std::string& name) {
    if (name.empty() || name.size() > 64) return false;
    for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

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

bool CliShell::SkippedByBlock(const std::string& name) {
    if (skipDepth_ == 0) return false;
    if (name == "if-screen") ++skipDepth_;
    if (name == "end") --skipDepth_;
    return true;
}

std::string CliShell::WithVariable(const std::string& text) const {
    // Only a whole "$NAME" the script defined: any other text is typed as is.
    if (text.size() < 2 || text[0] != '$') return text;
    const auto it = variables_.find(text.substr(1));
    return it == variables_.end() ? text : it->second;
}

bool CliShell::ScreenHolds(const std::string& utf8, int row, int column) const {
    const Terminal& t = session_->terminal;
    const int columns = t.columns();
    const int rows = t.rows();
    if (columns <= 0 || rows <= 0 || utf8.empty()) return false;
    int cells = 0;
    for (std::size_t i = 0; i < utf8.size();) {
        i += std::max<std::size_t>(1, NextUtf8Piece(utf8, i).length);
        ++cells;
    }
    if (row > 0) {
        if (row > rows || column < 1 || column - 1 + cells > columns) return false;
        return CellsText((row - 1) * columns + column - 1, cells) == utf8;
    }
    for (int r = 0; r < rows; ++r) {
        if (CellsText(r * columns, columns).find(utf8) != std::string::npos) return true;
    }
    return false;
}

bool CliShell::Expect(const std::string& args) {
    std::size_t at = 0;
    std::string text;
    if (!QuotedText(args, at, text) || text.empty()) return false;
    int row = 0, column = 0, ms = kDefaultExpectMs;
    std::string word;
    while (Word(args, at, word)) {
        if (word == "at") {
            if (!Number(args, at, row) || !Number(args, at, column) || row < 1 || column < 1) return false;
        } else if (word == "within") {
            if (!Number(args, at, ms)) return false;
        } else {
            return false;
        }
    }
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    const Terminal& t = session_->terminal;
    for (;;) {
        if (ScreenHolds(text, row, column) && !t.state.inputInhibited) {
            out_ << "ok\n";
            return true;
        }
        const bool more = t.state.connected && session_->endpoint().IsOpen();
        const auto now = std::chrono::steady_clock::now();
        if (!more || now >= end) {
            out_ << "expect: \"" << text << '"';
            if (row > 0) out_ << " at " << row << ' ' << column;
            out_ << (more ? " did not come within " + std::to_string(ms) + " ms"
                          : " is not on the screen and no more host data can come")
                 << "; the screen instead:\n";
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
        std::size_t at = 0;
        int count = 0;
        if (!Number(args, at, count) || !AtEnd(args, at)) return false;
        const int fields = session_->terminal.formatTable.fieldCount();
        if (fields == count) return true;
        out_ << "expect-field: the screen has " << fields << " fields, not " << count << '\n';
        macroStopped_ = true;
        return false;
    });
    Register("expect-cursor", [this](const std::string& args) {
        std::size_t at = 0;
        int row = 0, column = 0;
        if (!Number(args, at, row) || !Number(args, at, column) || !AtEnd(args, at)) return false;
        const Terminal& t = session_->terminal;
        if (t.CursorRow() + 1 == row && t.CursorColumn() + 1 == column) return true;
        out_ << "expect-cursor: the cursor is at " << t.CursorRow() + 1 << ' ' << t.CursorColumn() + 1
             << ", not " << row << ' ' << column << '\n';
        macroStopped_ = true;
        return false;
    });
    Register("prompt", [this](const std::string& args) {
        std::size_t at = 0;
        std::string name, question;
        if (!Word(args, at, name) || !IsVariableName(name) || !QuotedText(args, at, question) ||
            !AtEnd(args, at)) {
            return false;
        }
        auto it = variables_.find(name);
        if (it == variables_.end()) {
            std::string answer;
            const Terminal& t = session_->terminal;
            const FieldEntry* field = t.formatTable.entry(FieldAtCursor(t));
            const bool hidden = field && IsNonDisplay(field->attribute);
            if (answers_) std::fprintf(stderr, "%s ", question.c_str());
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
        std::size_t at = 0;
        std::string text;
        if (!QuotedText(args, at, text) || text.empty() || !AtEnd(args, at)) return false;
        if (ScreenHolds(text, 0, 0)) {
            ++openBlocks_;
        } else {
            skipDepth_ = 1;
        }
        return true;
    });
    Register("end", [this](const std::string& args) {
        if (!AtEnd(args, 0) || openBlocks_ == 0) {
            out_ << "error: end without if-screen\n";
            return false;
        }
        --openBlocks_;
        return true;
    });
}

}  // namespace quenlix::cli
