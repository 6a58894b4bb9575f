// The screen as a screen reader takes it in: the readable text of every
// position (attribute bytes and non-display data never show), each input
// field with its label, kind and value, the line and the field under the
// cursor, the title and the message line. Plain rules over the model; the
// desktop program's accessibility layer and its reading commands adapt them.
//
// Text is in the PC character set of the cells (one byte a position), so an
// offset into a row's text is its column.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "terminal/FieldFormatWord.h"
#include "terminal/TerminalState.h"

namespace quenlix {

/// How far the label rules look.
struct LabelRules {
    /// Blanks between a label and its field at most (dot leaders end a few
    /// columns before the field's attribute).
    static constexpr int kMaxGapBeforeField = 6;
    /// A run of this many blanks ends a label: the text before it belongs to
    /// something else on the row.
    static constexpr int kGapBetweenItems = 3;
};

/// What kind of field it is.
struct FieldKind {
    ds::ShiftEdit shift = ds::kShiftAlphanumeric;  ///< what it takes
    bool password = false;        ///< non-display: its characters are never read
    bool bypass = false;          ///< protected: the cursor skips it, keys are refused
    bool mandatoryEnter = false;  ///< must be entered before Enter
    bool mandatoryFill = false;   ///< filled to its end or left empty
    bool autoEnter = false;       ///< Enter is sent when it is filled
    bool fieldExitRequired = false;
    bool monocase = false;        ///< letters become capitals
    friend bool operator==(const FieldKind&, const FieldKind&) = default;
};

FieldKind KindOf(const FieldEntry& entry);

/// The kind in words, comma separated ("numeric only, mandatory enter");
/// empty for a plain alphanumeric field. A password field starts "password".
std::string DescribeKind(const FieldKind& kind);

/// One input field as it is read out.
struct FieldReading {
    int index = -1;   ///< FormatTable index
    int row = 0;      ///< 0-based row of the first data position
    int column = 0;   ///< 0-based column of the first data position
    int first = 0;    ///< linear position of the first data position on the screen
    int length = 0;   ///< data positions on the screen
    std::string label;  ///< PC characters; empty when none was found
    std::string value;  ///< PC characters, trailing blanks dropped; empty for a password field
    FieldKind kind;
};

/// The readable character of every position in use, cellCount bytes: the
/// painted character, a blank for attribute positions, for every position
/// a non-display attribute governs (protected text and fields alike) and for
/// control characters. The hidden data never appears, whatever the cells hold.
std::string ReadableText(const Terminal& t);

/// Columns [0, columns) of a 0-based row of `readable` (from ReadableText);
/// empty for a row off the screen.
std::string_view RowOf(const Terminal& t, std::string_view readable, int row);

/// The text with trailing blanks dropped and every run of blanks inside it
/// spoken as one.
std::string Spoken(std::string_view text);

/// The field of FormatTable index `index` read out; index -1 when there is
/// no such field or none of it lies on the screen.
FieldReading ReadField(const Terminal& t, std::string_view readable, int index);

/// Every input field with a position on the screen, in screen order.
std::vector<FieldReading> FieldList(const Terminal& t);

/// FormatTable index of the field under the cursor, or -1.
int FieldAtCursor(const Terminal& t);

/// 1-based row the host writes its messages on: the error row of its Start
/// of Header when that lies on the screen, else the last row.
int MessageRow(const Terminal& t);

/// Spoken text without the dot leaders that join labels to their fields:
/// "User . . . . :" is said "User", "Amount . . :  12" "Amount: 12". A
/// single period, a word's ellipsis ("Wait...") and other text stay.
std::string WithoutDotLeaders(std::string_view spoken);

/// What the reading commands and the announcements say, spoken text in PC
/// characters (Spoken applied; the cursor's line without dot leaders).
std::string CurrentLineText(const Terminal& t);
std::string MessageLineText(const Terminal& t);
/// The first row with protected text on it (input fields' data left out):
/// the screen's title.
std::string TitleText(const Terminal& t);
/// "Label, kind, value" of a field; "No input field here" style texts are
/// the caller's.
std::string FieldSentence(const FieldReading& field);

/// The indicator row in words: "X-System" when the keyboard is locked,
/// "Message waiting", "Insert", the reason of a refused key, then
/// "Row R Column C" (1-based). Parts separated by ", ".
std::string StatusText(const Terminal& t);

}  // namespace quenlix
