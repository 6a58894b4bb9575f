// The words of a macro line: a command name and its arguments, quoted texts
// ("..." with \" and \\ inside), numbers, variable names, and the escapes a
// pasted text is written with. The arguments of the screen-condition
// commands are read here once, for the CLI and the desktop program alike:
//
//   expect "TEXT" [at R C] [within MS]    expect-field N    expect-cursor R C
//   prompt NAME "QUESTION"                if-screen "TEXT" ... end
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quenlix::macro {

/// How long an expect waits when its line names no time.
inline constexpr int kDefaultExpectMs = 10000;
/// Longest variable name a prompt may define.
inline constexpr std::size_t kMaxVariableName = 64;

/// A line split into its command name and the rest (the text after the one
/// blank that ends the name, as the CLI has always read it). A trailing CR
/// is dropped. An empty name: a blank line.
struct CommandLine {
    std::string name;
    std::string args;
};
CommandLine SplitCommand(std::string_view line);
/// A blank line or a comment ('#' first): nothing to do.
bool IsNothing(const CommandLine& line);

struct ExpectArgs {
    std::string text;  ///< UTF-8, never empty
    int row = 0;       ///< 1-based; 0: anywhere on the screen
    int column = 0;
    int ms = kDefaultExpectMs;
};
struct CursorArgs {
    int row = 0;  ///< 1-based
    int column = 0;
};
struct PromptArgs {
    std::string name;
    std::string question;
};

/// The arguments of each command; empty when they are malformed.
std::optional<ExpectArgs> ParseExpect(std::string_view args);
std::optional<int> ParseExpectField(std::string_view args);
std::optional<CursorArgs> ParseExpectCursor(std::string_view args);
std::optional<PromptArgs> ParsePrompt(std::string_view args);
/// if-screen: its text.
std::optional<std::string> ParseIfScreen(std::string_view args);
/// `end` takes no argument.
bool ParseEnd(std::string_view args);

/// Letters, digits and '_', 1 to kMaxVariableName of them.
bool IsVariableName(std::string_view name);
/// "TEXT" with " and \ escaped: what QuotedText reads back.
std::string QuoteText(std::string_view text);
/// The expect line of a text, with its place when row > 0.
std::string ExpectLine(const ExpectArgs& expect);

/// A paste's text as its line writes it: CR, LF, TAB and backslash as \r,
/// \n, \t and \\; and back.
std::string EscapePasteText(std::string_view text);
std::string UnescapePasteText(std::string_view text);

}  // namespace quenlix::macro
