// Builds one full screen of the demo host as a Put/Get record: Clear Unit,
// Write To Display, text at addresses, the input fields, the cursor, and the
// read command (Read MDT Fields unless told) that waits for the operator. Anything that would fall off
// the screen is cut, never sent.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "demohost/FieldDef.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

class ScreenWriter {
public:
    /// rows x columns is the terminal's screen (24 x 80 or 27 x 132); a
    /// 27-row screen is cleared with Clear Unit Alternate. Text goes out
    /// through the host's code page `tables`.
    ScreenWriter(int rows, int columns, std::uint8_t cc2, const TablePair& tables);

    int rows() const { return rows_; }
    int columns() const { return columns_; }

    /// Plain text at a 1-based address, cut at the row's end.
    ScreenWriter& Text(int row, int column, std::string_view text);
    /// Text behind an attribute, closed by a normal attribute.
    ScreenWriter& Styled(int row, int column, std::uint8_t attribute, std::string_view text);
    ScreenWriter& Centered(int row, std::uint8_t attribute, std::string_view text);
    /// The screen's title: white, centred on the first row.
    ScreenWriter& Title(std::string_view text) { return Centered(1, kAttrWhite, text); }
    /// The function-key line, blue, two rows above the message row.
    ScreenWriter& FunctionKeys(std::string_view text) {
        return Styled(rows_ - 2, 1, kAttrBlue, text);
    }
    /// A message on the last row.
    ScreenWriter& Message(std::string_view text) { return Styled(rows_, 1, kAttrWhite, text); }
    /// A result screen: the title, one line a row from the third row, the
    /// function keys.
    ScreenWriter& TitledLines(std::string_view title, const std::vector<std::string>& lines,
                              std::string_view keys);
    /// Defines an input field (and writes its initial value).
    ScreenWriter& Field(const FieldDef& f);
    /// A Write To Display structured field at a 1-based address, now.
    ScreenWriter& Structure(int row, int column, std::uint8_t type, const Bytes& data);
    /// One sent after the fields are defined (a selection field finds the
    /// input field that carries its answer at the address).
    ScreenWriter& StructureAfterFields(int row, int column, std::uint8_t type, const Bytes& data);
    /// Where the cursor goes once the screen is drawn (Insert Cursor, last).
    ScreenWriter& PlaceCursor(int row, int column);
    /// The read that ends the record: ds::kCmdReadMdtFields (the default) or
    /// ds::kCmdReadInputFields.
    ScreenWriter& ReadWith(std::uint8_t readCommand);
    /// "Read MDT Fields" or "Read Input Fields", for the log.
    const char* readName() const;
    /// The record: the orders so far, Insert Cursor when placed, the read.
    Bytes Finish();

private:
    int rows_, columns_;
    int cursorRow_ = 0, cursorColumn_ = 0;
    std::uint8_t readCommand_ = ds::kCmdReadMdtFields;
    RecordBuilder rb_;
    RecordBuilder later_;
};

/// A message that fills its row: a white attribute in the first column, the
/// text padded with blanks, a normal attribute in the last column. Write Error
/// Code replaces only the bytes it carries, so the blanks are what removes the
/// rest of a longer message shown before.
void MessageLine(RecordBuilder& rb, const std::string& message, int columns);

}  // namespace quenlix::demohost
