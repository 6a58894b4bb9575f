// Recording the operator's actions as macro lines.
#include "macro/MacroRecorder.h"

#include <cstdlib>

#include "terminal/ScreenReading.h"

namespace quenlix::macro {

namespace {

/// Pieces of a title row are separated by this many blanks or more.
constexpr std::size_t kGapBetweenPieces = 2;

bool InHiddenField(const Terminal& t, int& field) {
    field = FieldAtCursor(t);
    const FieldEntry* entry = t.formatTable.entry(field);
    return entry && IsNonDisplay(entry->attribute);
}

}  // namespace

ExpectArgs ScreenTitle(const Terminal& t, const PcCharset& charset) {
    ExpectArgs title;
    if (t.columns() <= 0) return title;
    // What the operator types is never the title, whichever row its field is on.
    std::string readable = ReadableText(t);
    for (const FieldReading& f : FieldList(t)) {
        for (int p = f.first; p < f.first + f.length && p < static_cast<int>(readable.size()); ++p) {
            readable[static_cast<std::size_t>(p)] = ' ';
        }
    }
    // A title is centred; the screen's name and the system's sit at the
    // ends of its row. The piece nearest the middle is the title.
    const int middle = t.columns();  // twice the middle column, as the centres below
    for (int r = 0; r < t.rows(); ++r) {
        const std::string_view row = RowOf(t, readable, r);
        std::size_t bestStart = 0, bestLength = 0;
        int bestDistance = 0;
        for (std::size_t at = 0; at < row.size();) {
            if (row[at] == ' ') {
                ++at;
                continue;
            }
            // A piece runs to the first gap of kGapBetweenPieces blanks.
            std::size_t end = at;
            std::size_t last = at;
            while (end < row.size()) {
                if (row[end] != ' ') {
                    last = end;
                } else if (end - last >= kGapBetweenPieces) {
                    break;
                }
                ++end;
            }
            const int distance = std::abs(static_cast<int>(at + last) - middle);
            if (bestLength == 0 || distance < bestDistance) {
                bestStart = at;
                bestLength = last + 1 - at;
                bestDistance = distance;
            }
            at = last + 1;
        }
        if (bestLength == 0) continue;
        title.text = charset.ToUtf8(row.substr(bestStart, bestLength));
        title.row = r + 1;
        title.column = static_cast<int>(bestStart) + 1;
        return title;
    }
    return title;
}

MacroRecorder::MacroRecorder() { lines_.push_back("connect"); }

void MacroRecorder::Typed(const Screen& screen, std::string_view utf8) {
    if (!utf8.empty()) Take(screen, {Kind::kTyped, std::string(utf8)});
}

void MacroRecorder::Key(const Screen& screen, std::string_view name) {
    Take(screen, {Kind::kKey, std::string(name)});
}

void MacroRecorder::Cursor(const Screen& screen, int row, int column) {
    Take(screen, {Kind::kCursor, {}, row, column});
}

void MacroRecorder::Click(const Screen& screen, int row, int column) {
    Take(screen, {Kind::kClick, {}, row, column});
}

void MacroRecorder::Pasted(const Screen& screen, std::string_view utf8) {
    if (!utf8.empty()) Take(screen, {Kind::kPasted, std::string(utf8)});
}

void MacroRecorder::Note(const Screen& screen) {
    if (screen.locked) return;
    if (!arrivals_ || *arrivals_ != screen.arrivals) {
        EndTyping();
        WriteScreen(screen);
        arrivals_ = screen.arrivals;
        promptField_ = -1;
    }
    std::vector<Action> held = std::move(held_);
    held_.clear();
    for (const Action& a : held) Write(screen, a);
}

void MacroRecorder::Take(const Screen& screen, Action action) {
    if (screen.locked) {
        // Type-ahead: it goes to the screen that comes next.
        held_.push_back(std::move(action));
        return;
    }
    Note(screen);
    Write(screen, action);
}

void MacroRecorder::Write(const Screen& screen, const Action& action) {
    int field = -1;
    const bool hidden = InHiddenField(screen.terminal, field);
    if (action.kind == Kind::kTyped || action.kind == Kind::kPasted) {
        if (hidden) {
            WritePrompt(screen, field);
            return;
        }
        promptField_ = -1;
        if (action.kind == Kind::kTyped) {
            typing_ += action.text;
            return;
        }
        // A paste that reaches past its field could land in a non-display
        // one: then it too is asked for, never written.
        const bool manyFields = action.text.find_first_of("\t\r\n") != std::string::npos;
        bool screenHasHidden = false;
        for (const FieldReading& f : FieldList(screen.terminal)) screenHasHidden |= f.kind.password;
        if (manyFields && screenHasHidden) {
            WritePrompt(screen, -2);
            return;
        }
        Add("paste " + EscapePasteText(action.text));
        return;
    }
    promptField_ = -1;
    switch (action.kind) {
        case Kind::kKey: Add("key " + action.text); break;
        case Kind::kCursor:
            Add("cursor " + std::to_string(action.row) + ' ' + std::to_string(action.column));
            break;
        case Kind::kClick:
            Add("click " + std::to_string(action.row) + ' ' + std::to_string(action.column));
            break;
        default: break;
    }
}

void MacroRecorder::WritePrompt(const Screen& screen, int field) {
    if (field == promptField_ && field != -2) return;
    std::string question = "Password";
    if (field >= 0) {
        const Terminal& t = screen.terminal;
        const FieldReading reading = ReadField(t, ReadableText(t), field);
        const std::string label = WithoutDotLeaders(Spoken(reading.label));
        if (!label.empty()) question = screen.charset.ToUtf8(label);
    }
    ++prompts_;
    const std::string name = prompts_ == 1 ? "PASSWORD" : "PASSWORD" + std::to_string(prompts_);
    Add("prompt " + name + ' ' + QuoteText(question));
    promptField_ = field;
}

void MacroRecorder::WriteScreen(const Screen& screen) {
    const Terminal& t = screen.terminal;
    const ExpectArgs title = ScreenTitle(t, screen.charset);
    const bool alike = title.text.empty() || (title.text == lastTitle_.text &&
                                              title.row == lastTitle_.row &&
                                              title.column == lastTitle_.column);
    if (title.text.empty()) {
        Add("# a screen without text: its field count and cursor tell it");
    } else {
        Add(ExpectLine(title));
    }
    if (alike) {
        Add("expect-field " + std::to_string(t.formatTable.fieldCount()));
        Add("expect-cursor " + std::to_string(t.CursorRow() + 1) + ' ' +
            std::to_string(t.CursorColumn() + 1));
    }
    lastTitle_ = title;
}

void MacroRecorder::EndTyping() {
    if (typing_.empty()) return;
    lines_.push_back("type " + typing_);
    typing_.clear();
}

void MacroRecorder::Add(std::string line) {
    EndTyping();
    lines_.push_back(std::move(line));
}

std::vector<std::string> MacroRecorder::Lines() const {
    std::vector<std::string> lines = lines_;
    if (!typing_.empty()) lines.push_back("type " + typing_);
    return lines;
}

std::string MacroRecorder::Finish() {
    // Held to the end: no screen came for them. Keys and moves are written as
    // they were; text is not, as the field it was meant for is unknown (it
    // may be a password's).
    bool textLeftOut = false;
    for (const Action& a : held_) {
        switch (a.kind) {
            case Kind::kKey: Add("key " + a.text); break;
            case Kind::kCursor:
                Add("cursor " + std::to_string(a.row) + ' ' + std::to_string(a.column));
                break;
            case Kind::kClick:
                Add("click " + std::to_string(a.row) + ' ' + std::to_string(a.column));
                break;
            default: textLeftOut = true; break;
        }
    }
    held_.clear();
    if (textLeftOut) Add("# text typed while the keyboard was locked at the end is left out");
    EndTyping();
    std::string text;
    for (const std::string& line : lines_) text += line + '\n';
    return text;
}

}  // namespace quenlix::macro
