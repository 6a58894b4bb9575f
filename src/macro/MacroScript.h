// A whole macro read before it plays in the desktop program: its steps (the
// lines that do something, with their line numbers) and what is wrong with
// it. The desktop plays the operator's commands and the screen conditions;
// the CLI's printing commands do nothing there; commands that feed host data
// or files are refused, so a macro never half-runs on a line it cannot play.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "macro/MacroSyntax.h"

namespace quenlix::macro {

/// Bounds of a macro file: what reading one can cost.
inline constexpr std::size_t kMaxMacroBytes = 1u << 20;
inline constexpr std::size_t kMaxMacroSteps = 10000;
inline constexpr std::size_t kMaxMacroLineLength = 4096;
inline constexpr std::size_t kMaxMacroErrors = 20;

struct MacroStep {
    int line = 0;  ///< 1-based line of the file
    CommandLine command;
    std::string text;  ///< the line as written (for the progress and errors)
};

struct MacroScript {
    std::vector<MacroStep> steps;
    std::vector<std::string> errors;  ///< "line N: what is wrong", in line order
    bool ok() const { return errors.empty(); }
};

/// How the desktop program takes each command.
enum class StepKind {
    kUnknown,
    kOperator,   ///< type, key, cursor, paste, click, insert, connect, disconnect
    kCondition,  ///< expect, expect-field, expect-cursor, prompt, if-screen, end
    kTiming,     ///< sleep, wait, wait-block
    kNoEffect,   ///< screen, fields, status, hotspots, settings, copy, select-word
    kRefused,    ///< block, replay, trace, load, save: not in a macro of the desktop
};
StepKind KindOfCommand(std::string_view name);

/// Reads a macro: every macro command's arguments are checked, every
/// `if-screen` must have its `end`, and only commands the desktop plays are
/// taken. Text past kMaxMacroBytes, lines past kMaxMacroLineLength and
/// steps past kMaxMacroSteps are errors.
MacroScript ReadMacroScript(std::string_view text);

}  // namespace quenlix::macro
