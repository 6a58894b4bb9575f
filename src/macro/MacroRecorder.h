// Turns what the operator does on the screens of a session into macro lines.
// The first action on each screen that came writes an `expect` of the
// screen's title (its longest piece of text on the first row with text,
// at its place), with `expect-field` and `expect-cursor` when the title
// alone does not tell the screen from the one before (the same title, or
// none); then the typing, cursor moves, keys and pastes as the CLI's
// commands. No timing is written. Text typed or pasted into a non-display
// field is never written: a `prompt` asks for it when the macro plays.
// Actions taken while the keyboard is locked (type-ahead) are written after
// the screen they went to.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "macro/MacroSyntax.h"
#include "terminal/Languages.h"
#include "terminal/TerminalState.h"

namespace quenlix::macro {

/// The title a recorded expect waits for; empty text when the screen has
/// no protected text.
ExpectArgs ScreenTitle(const Terminal& t, const PcCharset& charset);

class MacroRecorder {
public:
    /// Every action gives the session's screen as it is just before the
    /// action takes effect, the count of host records handled so far (a new
    /// count: a new screen) and whether the keyboard was locked then.
    struct Screen {
        const Terminal& terminal;
        const PcCharset& charset;
        unsigned long arrivals;
        bool locked;
    };

    MacroRecorder();

    /// The screen is about to be acted on in a way known only afterwards
    /// (a click): its expect is written now, while it is as it came.
    void Note(const Screen& screen);
    /// Characters typed (UTF-8).
    void Typed(const Screen& screen, std::string_view utf8);
    /// A key or keyboard function by its CLI name ("Enter", "F3", "Tab",
    /// "FieldExit").
    void Key(const Screen& screen, std::string_view name);
    /// The cursor placed at a 1-based row and column.
    void Cursor(const Screen& screen, int row, int column);
    /// A hotspot clicked at a 1-based row and column.
    void Click(const Screen& screen, int row, int column);
    /// Text pasted (UTF-8, rows joined by CR LF).
    void Pasted(const Screen& screen, std::string_view utf8);

    /// The lines so far (typing not yet ended included; held actions not).
    std::vector<std::string> Lines() const;
    /// The macro's text: every line, held actions last, one a line.
    std::string Finish();

private:
    enum class Kind { kTyped, kKey, kCursor, kClick, kPasted };
    struct Action {
        Kind kind;
        std::string text;
        int row = 0;
        int column = 0;
    };
    void Take(const Screen& screen, Action action);
    void Write(const Screen& screen, const Action& action);
    void WriteScreen(const Screen& screen);
    /// Writes a prompt for a non-display field, once while the cursor stays in it.
    void WritePrompt(const Screen& screen, int field);
    void EndTyping();
    void Add(std::string line);

    std::vector<std::string> lines_;
    std::string typing_;  ///< typed text its `type` line is not yet written for
    std::vector<Action> held_;
    std::optional<unsigned long> arrivals_;
    ExpectArgs lastTitle_;
    int promptField_ = -1;  ///< the non-display field the last prompt is for
    int prompts_ = 0;
};

}  // namespace quenlix::macro
