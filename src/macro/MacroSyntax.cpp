// Reading and writing the words of macro lines.
#include "macro/MacroSyntax.h"

namespace quenlix::macro {

namespace {

void SkipBlanks(std::string_view text, std::size_t& at) {
    while (at < text.size() && text[at] == ' ') ++at;
}

/// A double-quoted text at `at` (\" and \\ inside it); false when there is none.
bool QuotedText(std::string_view text, std::size_t& at, std::string& out) {
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

bool Word(std::string_view text, std::size_t& at, std::string& out) {
    SkipBlanks(text, at);
    const std::size_t start = at;
    while (at < text.size() && text[at] != ' ') ++at;
    out = std::string(text.substr(start, at - start));
    return !out.empty();
}

/// At most nine digits: no sign, no overflow.
bool Number(std::string_view text, std::size_t& at, int& out) {
    std::string word;
    if (!Word(text, at, word) || word.size() > 9) return false;
    out = 0;
    for (const char c : word) {
        if (c < '0' || c > '9') return false;
        out = out * 10 + (c - '0');
    }
    return true;
}

bool AtEnd(std::string_view text, std::size_t at) {
    SkipBlanks(text, at);
    return at >= text.size();
}

}  // namespace

CommandLine SplitCommand(std::string_view line) {
    if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
    const std::size_t start = line.find_first_not_of(' ');
    if (start == std::string_view::npos) return {};
    const std::size_t end = line.find(' ', start);
    CommandLine out;
    out.name = std::string(line.substr(start, end == std::string_view::npos ? line.npos : end - start));
    if (end != std::string_view::npos) out.args = std::string(line.substr(end + 1));
    return out;
}

bool IsNothing(const CommandLine& line) { return line.name.empty() || line.name[0] == '#'; }

std::optional<ExpectArgs> ParseExpect(std::string_view args) {
    std::size_t at = 0;
    ExpectArgs out;
    if (!QuotedText(args, at, out.text) || out.text.empty()) return std::nullopt;
    std::string word;
    while (Word(args, at, word)) {
        if (word == "at") {
            if (!Number(args, at, out.row) || !Number(args, at, out.column) || out.row < 1 ||
                out.column < 1) {
                return std::nullopt;
            }
        } else if (word == "within") {
            if (!Number(args, at, out.ms)) return std::nullopt;
        } else {
            return std::nullopt;
        }
    }
    return out;
}

std::optional<int> ParseExpectField(std::string_view args) {
    std::size_t at = 0;
    int count = 0;
    if (!Number(args, at, count) || !AtEnd(args, at)) return std::nullopt;
    return count;
}

std::optional<CursorArgs> ParseExpectCursor(std::string_view args) {
    std::size_t at = 0;
    CursorArgs out;
    if (!Number(args, at, out.row) || !Number(args, at, out.column) || !AtEnd(args, at)) {
        return std::nullopt;
    }
    return out;
}

std::optional<PromptArgs> ParsePrompt(std::string_view args) {
    std::size_t at = 0;
    PromptArgs out;
    if (!Word(args, at, out.name) || !IsVariableName(out.name) ||
        !QuotedText(args, at, out.question) || !AtEnd(args, at)) {
        return std::nullopt;
    }
    return out;
}

std::optional<std::string> ParseIfScreen(std::string_view args) {
    std::size_t at = 0;
    std::string text;
    if (!QuotedText(args, at, text) || text.empty() || !AtEnd(args, at)) return std::nullopt;
    return text;
}

bool ParseEnd(std::string_view args) { return AtEnd(args, 0); }

bool IsVariableName(std::string_view name) {
    if (name.empty() || name.size() > kMaxVariableName) return false;
    for (const char c : name) {
        const bool ok = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_';
        if (!ok) return false;
    }
    return true;
}

std::string QuoteText(std::string_view text) {
    std::string out = "\"";
    for (const char c : text) {
        if (c == '"' || c == '\\') out += '\\';
        out += c;
    }
    return out + '"';
}

std::string ExpectLine(const ExpectArgs& expect) {
    std::string line = "expect " + QuoteText(expect.text);
    if (expect.row > 0) line += " at " + std::to_string(expect.row) + ' ' + std::to_string(expect.column);
    if (expect.ms != kDefaultExpectMs) line += " within " + std::to_string(expect.ms);
    return line;
}

std::string EscapePasteText(std::string_view text) {
    std::string out;
    for (const char c : text) {
        switch (c) {
            case '\r': out += "\\r"; break;
            case '\n': out += "\\n"; break;
            case '\t': out += "\\t"; break;
            case '\\': out += "\\\\"; break;
            default: out += c; break;
        }
    }
    return out;
}

std::string UnescapePasteText(std::string_view text) {
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

}  // namespace quenlix::macro
