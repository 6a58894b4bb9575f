// Reading a whole macro for the desktop program.
#include "macro/MacroScript.h"

#include <array>
#include <utility>

namespace quenlix::macro {

namespace {

struct KindRow {
    std::string_view name;
    StepKind kind;
};

constexpr std::array<KindRow, 27> kKinds = {{
    {"type", StepKind::kOperator},        {"key", StepKind::kOperator},
    {"cursor", StepKind::kOperator},      {"paste", StepKind::kOperator},
    {"click", StepKind::kOperator},       {"insert", StepKind::kOperator},
    {"connect", StepKind::kOperator},     {"disconnect", StepKind::kOperator},
    {"expect", StepKind::kCondition},     {"expect-field", StepKind::kCondition},
    {"expect-cursor", StepKind::kCondition}, {"prompt", StepKind::kCondition},
    {"if-screen", StepKind::kCondition},  {"end", StepKind::kCondition},
    {"sleep", StepKind::kTiming},         {"wait", StepKind::kTiming},
    {"wait-block", StepKind::kTiming},    {"screen", StepKind::kNoEffect},
    {"fields", StepKind::kNoEffect},      {"status", StepKind::kNoEffect},
    {"hotspots", StepKind::kNoEffect},    {"settings", StepKind::kNoEffect},
    {"copy", StepKind::kNoEffect},        {"select-word", StepKind::kNoEffect},
    {"block", StepKind::kRefused},        {"replay", StepKind::kRefused},
    {"trace", StepKind::kRefused},
}};

/// The arguments a step needs; empty text when they are right.
std::string ArgumentError(const CommandLine& c) {
    const std::string_view n = c.name;
    bool ok = true;
    if (n == "expect") ok = ParseExpect(c.args).has_value();
    if (n == "expect-field") ok = ParseExpectField(c.args).has_value();
    if (n == "expect-cursor") ok = ParseExpectCursor(c.args).has_value();
    if (n == "prompt") ok = ParsePrompt(c.args).has_value();
    if (n == "if-screen") ok = ParseIfScreen(c.args).has_value();
    if (n == "end") ok = ParseEnd(c.args);
    return ok ? std::string() : "malformed " + c.name;
}

}  // namespace

StepKind KindOfCommand(std::string_view name) {
    if (name == "load" || name == "save") return StepKind::kRefused;
    for (const KindRow& row : kKinds) {
        if (row.name == name) return row.kind;
    }
    return StepKind::kUnknown;
}

MacroScript ReadMacroScript(std::string_view text) {
    MacroScript script;
    auto error = [&script](int line, const std::string& what) {
        if (script.errors.size() < kMaxMacroErrors) {
            script.errors.push_back("line " + std::to_string(line) + ": " + what);
        }
    };
    const bool cut = text.size() > kMaxMacroBytes;
    if (cut) text = text.substr(0, kMaxMacroBytes);
    int number = 0;
    int open = 0;
    std::vector<int> opened;  // the lines of the open if-screens, innermost last
    while (!text.empty()) {
        ++number;
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        if (line.size() > kMaxMacroLineLength) {
            error(number, "line longer than " + std::to_string(kMaxMacroLineLength) + " characters");
            continue;
        }
        CommandLine command = SplitCommand(line);
        if (IsNothing(command)) continue;
        switch (KindOfCommand(command.name)) {
            case StepKind::kUnknown:
                error(number, "unknown command " + command.name);
                continue;
            case StepKind::kRefused:
                error(number, command.name + " is not played in a macro of the desktop program");
                continue;
            default:
                break;
        }
        if (const std::string bad = ArgumentError(command); !bad.empty()) {
            error(number, bad);
            continue;
        }
        if (command.name == "if-screen") {
            ++open;
            opened.push_back(number);
        } else if (command.name == "end") {
            if (open == 0) {
                error(number, "end without if-screen");
                continue;
            }
            --open;
            opened.pop_back();
        }
        if (script.steps.size() >= kMaxMacroSteps) {
            error(number, "more than " + std::to_string(kMaxMacroSteps) + " steps");
            break;
        }
        std::string written(line);
        if (!written.empty() && written.back() == '\r') written.pop_back();
        script.steps.push_back({number, std::move(command), std::move(written)});
    }
    for (const int line : opened) error(line, "if-screen without end");
    if (cut) error(number, "file larger than " + std::to_string(kMaxMacroBytes / 1024) + " KiB");
    return script;
}

}  // namespace quenlix::macro
