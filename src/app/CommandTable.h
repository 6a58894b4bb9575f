// Every command's menu text, accelerators and status-bar prompt / tooltip.
#pragma once

#include <QKeySequence>
#include <QList>
#include <span>

namespace quenlix::app {

struct CommandSpec {
    int id;
    const char* text;    ///< menu text with its "&" mnemonic (and "\t" hint)
    const char* prompt;  ///< status-bar prompt "\n" tooltip; may be empty
    QList<QKeySequence> keys;
};

/// All commands, menu-bar and tool-bar ones alike.
std::span<const CommandSpec> AllCommands();

/// The prompt shown in the status bar (the text before "\n").
QString PromptOf(const CommandSpec& command);
/// The tooltip (the text after "\n"; the prompt when there is none).
QString TooltipOf(const CommandSpec& command);

}  // namespace quenlix::app
