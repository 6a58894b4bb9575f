// Screen building for the demo host.
#include "demohost/ScreenWriter.h"

#include <algorithm>

#include "demohost/HostText.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

ScreenWriter::ScreenWriter(int rows, int columns, std::uint8_t cc2, const TablePair& tables)
    : rows_(rows), columns_(columns), rb_(kOpPutGet, tables) {
    if (rows == 27) {
        rb_.clearUnitAlternate();
    } else {
        rb_.clearUnit();
    }
    rb_.writeToDisplay(0x00, cc2);
    // Messages go to the last row, also on a 27-row screen.
    rb_.startOfHeader(0, static_cast<std::uint8_t>(rows));
}

ScreenWriter& ScreenWriter::Text(int row, int column, std::string_view text) {
    if (row < 1 || row > rows_ || column < 1 || column > columns_) return *this;
    const std::size_t room = static_cast<std::size_t>(columns_ - column + 1);
    rb_.sba(row, column).text(text.substr(0, room));
    return *this;
}

ScreenWriter& ScreenWriter::Styled(int row, int column, std::uint8_t attribute,
                                   std::string_view text) {
    if (row < 1 || row > rows_ || column < 1) return *this;
    const int room = columns_ - column - 1;  // the two attribute cells
    if (room <= 0) return *this;
    text = text.substr(0, static_cast<std::size_t>(room));
    rb_.sba(row, column).attribute(attribute).text(text).attribute(kAttrNormal);
    return *this;
}

ScreenWriter& ScreenWriter::Centered(int row, std::uint8_t attribute, std::string_view text) {
    const int column = std::max(1, (columns_ - static_cast<int>(text.size())) / 2);
    return Styled(row, column, attribute, text);
}

ScreenWriter& ScreenWriter::TitledLines(std::string_view title,
                                        const std::vector<std::string>& lines,
                                        std::string_view keys) {
    Title(title);
    for (std::size_t i = 0; i < lines.size(); ++i) Text(3 + static_cast<int>(i), 2, lines[i]);
    return FunctionKeys(keys);
}

ScreenWriter& ScreenWriter::Field(const FieldDef& f) {
    rb_.sba(f.row, f.column).startOfField(f.ffw1, f.ffw2, f.attribute, f.length);
    if (!f.initial.empty()) {
        rb_.text(std::string_view(f.initial).substr(0, static_cast<std::size_t>(f.length)));
    }
    return *this;
}

ScreenWriter& ScreenWriter::Structure(int row, int column, std::uint8_t type, const Bytes& data) {
    rb_.sba(row, column).displayStructuredField(type, data);
    return *this;
}

ScreenWriter& ScreenWriter::StructureAfterFields(int row, int column, std::uint8_t type,
                                                 const Bytes& data) {
    later_.sba(row, column).displayStructuredField(type, data);
    return *this;
}

ScreenWriter& ScreenWriter::PlaceCursor(int row, int column) {
    cursorRow_ = row;
    cursorColumn_ = column;
    return *this;
}

ScreenWriter& ScreenWriter::ReadWith(std::uint8_t readCommand) {
    readCommand_ = readCommand == kCmdReadInputFields ? kCmdReadInputFields : kCmdReadMdtFields;
    return *this;
}

const char* ScreenWriter::readName() const {
    return readCommand_ == kCmdReadInputFields ? "Read Input Fields" : "Read MDT Fields";
}

Bytes ScreenWriter::Finish() {
    rb_.raw(later_.data());
    if (cursorRow_ > 0) rb_.insertCursor(cursorRow_, cursorColumn_);
    if (readCommand_ == kCmdReadInputFields) {
        rb_.readInputFields();
    } else {
        rb_.readMdtFields();
    }
    return rb_.record();
}

void MessageLine(RecordBuilder& rb, const std::string& message, int columns) {
    const std::size_t room = static_cast<std::size_t>(std::max(0, columns - 2));
    rb.attribute(kAttrWhite).text(Pad(message.substr(0, room), room)).attribute(kAttrNormal);
}

}  // namespace quenlix::demohost
