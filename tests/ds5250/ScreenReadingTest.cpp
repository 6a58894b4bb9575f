// The screen as a screen reader hears it: labels, kinds and values of the
// fields of recorded and built screens, the lines the reading commands say,
// and password data that never comes out.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "InterpreterFixture.h"
#include "support/SampleScreens.h"
#include "terminal/ScreenReading.h"

namespace quenlix::testing {
namespace {

struct Expected {
    int row;     // 1-based, first data position
    int column;  // 1-based
    const char* label;
    const char* kind;
    const char* value;
};

class ScreenReadingTest : public InterpreterTest {
protected:
    void ExpectFields(const std::vector<Expected>& expected) {
        const std::vector<FieldReading> fields = FieldList(terminal);
        ASSERT_EQ(fields.size(), expected.size());
        for (std::size_t i = 0; i < fields.size(); ++i) {
            SCOPED_TRACE(expected[i].label);
            EXPECT_EQ(fields[i].row + 1, expected[i].row);
            EXPECT_EQ(fields[i].column + 1, expected[i].column);
            EXPECT_EQ(fields[i].label, expected[i].label);
            EXPECT_EQ(DescribeKind(fields[i].kind), expected[i].kind);
            EXPECT_EQ(fields[i].value, expected[i].value);
        }
    }
    /// A recorded host block, or empty when the shared folder is absent.
    static Bytes Recorded(const char* name) {
        const auto path = std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." / "shared" / "refdata" /
                          "signon-recording" / name;
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
};

TEST_F(ScreenReadingTest, RecordedSignOnAndMenu) {
    const Bytes signOn = Recorded("testsys-login-h2c-04-rec.bin");
    const Bytes menu = Recorded("testsys-login-h2c-07-rec.bin");
    if (signOn.empty() || menu.empty()) GTEST_SKIP() << "../shared/refdata/signon-recording is absent";
    Run(signOn);
    ExpectFields({{6, 53, "User", "capitals", ""},
                  {7, 53, "Password", "password, capitals", ""},
                  {8, 53, "Program/procedure", "", ""},
                  {9, 53, "Menu", "", ""},
                  {10, 53, "Current library", "", ""}});
    EXPECT_EQ(TitleText(terminal), "Sign On");
    // The host names row 25 of a 24-row screen: its messages go to the last row.
    EXPECT_EQ(MessageRow(terminal), 24);
    EXPECT_EQ(CurrentLineText(terminal), "User") << "said without its dot leaders";

    // The command line's "===>" is no label: the heading above it is.
    Run(menu);
    ExpectFields({{20, 7, "Selection or command", "", ""}});
    EXPECT_EQ(TitleText(terminal), "MAIN IBM i Main Menu");
    EXPECT_EQ(FieldAtCursor(terminal), 0);

    // A field over the menu's name: what is typed there is not the title.
    RecordBuilder top;
    top.writeToDisplay().sba(1, 1).startOfField(0x40, 0x00, 0x20, 5).text("typed");
    Run(top.record());
    EXPECT_EQ(TitleText(terminal), "IBM i Main Menu");
}

TEST_F(ScreenReadingTest, DataEntryLabelsAndKinds) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay(0x00, 0x18).startOfHeader(0, 23);
    r.sba(1, 30).text("Order Entry");
    r.sba(3, 2).text("Customer . . . . :").sba(3, 20).startOfField(0x43, 0x08, 0x20, 7);
    r.sba(4, 2).text("Amount  . . . . :").sba(4, 20).startOfField(0x47, 0x00, 0x20, 9);
    r.sba(5, 2).text("PIN . . . . . . :").sba(5, 20).startOfField(0x45, 0x07, 0x27, 4);
    r.sba(6, 2).text("Name  . . . . . :").sba(6, 20).startOfField(0x41, 0xA0, 0x20, 10).text("SMITH");
    // Two fields on a row: the second's label stops at the first.
    r.sba(7, 2).text("From date").sba(7, 12).startOfField(0x45, 0x40, 0x20, 6);
    r.sba(7, 20).text("to").sba(7, 23).startOfField(0x45, 0x40, 0x20, 6);
    // A wide gap parts the words on the left from this field's own label.
    r.sba(8, 2).text("Ship via").sba(8, 40).text("Code . .").sba(8, 50).startOfField(0x40, 0x00, 0x20, 3);
    r.sba(9, 2).text("Status  . . . . :").sba(9, 20).startOfField(0x60, 0x00, 0x20, 4).text("OPEN");
    // Far from any text on its row, with nothing above its columns.
    r.sba(10, 2).text("Notes").sba(10, 60).startOfField(0x40, 0x00, 0x20, 10);
    r.insertCursor(3, 21);
    Run(r.record());
    ExpectFields({{3, 21, "Customer", "numeric only, mandatory enter", ""},
                  {4, 21, "Amount", "signed numeric", ""},
                  {5, 21, "PIN", "password, digits only, mandatory fill", ""},
                  {6, 21, "Name", "alphabetic only, auto-enter, capitals", "SMITH"},
                  {7, 13, "From date", "digits only, field exit required", ""},
                  {7, 24, "to", "digits only, field exit required", ""},
                  {8, 51, "Code", "", ""},
                  {9, 21, "Status", "protected", "OPEN"},
                  {10, 61, "", "", ""}});
    EXPECT_EQ(FieldSentence(FieldList(terminal)[3]), "Name, alphabetic only, auto-enter, capitals, SMITH");
    EXPECT_EQ(FieldSentence(FieldList(terminal)[8]), "Field, blank");
    EXPECT_EQ(MessageRow(terminal), 23);
}

// The label on a field's own row, one row at a time: the text before the
// field, across dot leaders and the blanks among them, up to a wide gap or
// another field. Nothing above the rows, so "" is a row without a label.
TEST_F(ScreenReadingTest, ALabelJoinedByDotLeadersIsTheFieldsOwn) {
    struct Row {
        const char* text;  // from column 2
        int attribute;     // 1-based column of the field's attribute
        const char* label;
    };
    const Row rows[] = {
        {"Amount (numeric only)      . . :", 38, "Amount (numeric only)"},
        {"Description (alphanumeric) . . :", 38, "Description (alphanumeric)"},
        {"User . . . . . . . . . . . . . .", 40, "User"},
        {"Amount  . . . . :", 20, "Amount"},
        {"Name.........:", 18, "Name"},
        {"Total                            . . :", 45, "Total"},
        {"Ship via                              Code . .", 50, "Code"},
        {"Press Enter to go   Code:", 30, "Code"},
        {"Acct No.", 12, "Acct No"},
        {"Option ===>", 14, "Option"},
        {"===>", 7, ""},
        {". . . . . :", 15, ""},
        {"Notes", 14, ""},  // eight blanks and no leaders: too far
        {"Notes       ", 60, ""},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        RecordBuilder r;
        r.clearUnit().writeToDisplay().sba(5, 2).text(row.text).sba(5, row.attribute)
            .startOfField(0x40, 0x00, 0x20, 5);
        Run(r.record());
        const std::vector<FieldReading> fields = FieldList(terminal);
        ASSERT_EQ(fields.size(), 1u);
        EXPECT_EQ(fields[0].label, row.label);
    }

    // Leaders that run into another field label nothing on this row.
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(5, 2).startOfField(0x40, 0x00, 0x20, 5).sba(5, 9)
        .text(". . . :").sba(5, 17).startOfField(0x40, 0x00, 0x20, 5);
    Run(r.record());
    EXPECT_EQ(FieldList(terminal)[1].label, "");
}

TEST_F(ScreenReadingTest, ReadLineSaysLabelsWithoutTheirDotLeaders) {
    const std::pair<const char*, const char*> lines[] = {
        {"User . . . . . . . . . . . . . .", "User"},
        {"Display  . . . . :   QPADEV0001", "Display: QPADEV0001"},
        {"Name.........:SMITH", "Name: SMITH"},
        {"Code . . 42", "Code 42"},
        {". . . :", ""},
        {"Press Enter. Then wait...", "Press Enter. Then wait..."},
        {"Version 1.5, e.g. this: 3 . 4", "Version 1.5, e.g. this: 3 . 4"},
    };
    for (const auto& [text, said] : lines) {
        SCOPED_TRACE(text);
        EXPECT_EQ(WithoutDotLeaders(Spoken(text)), said);
    }
    RecordBuilder r;
    r.clearUnit().writeToDisplay().sba(3, 2).text("Amount (numeric only)      . . :")
        .sba(3, 38).startOfField(0x40, 0x00, 0x20, 8).text("1234").insertCursor(3, 39);
    Run(r.record());
    EXPECT_EQ(CurrentLineText(terminal), "Amount (numeric only): 1234");
    EXPECT_EQ(FieldSentence(FieldList(terminal)[0]), "Amount (numeric only), 1234");
}

TEST_F(ScreenReadingTest, ListColumnsLabelFieldsFromTheHeadingAbove) {
    RecordBuilder r;
    r.clearUnit().writeToDisplay(0x00, 0x18);
    r.sba(1, 25).text("Work with Items");
    r.sba(3, 2).text("Opt  Item         Unit price");
    for (int row = 4; row <= 6; ++row) {
        r.sba(row, 1).startOfField(0x40, 0x00, 0x20, 1);
        // Close to the item text of its row: that is its label.
        r.sba(row, 7).text("A10" + std::to_string(row)).startOfField(0x43, 0x00, 0x20, 3);
        // Its row label would run into the field before it: the heading above.
        r.sba(row, 20).startOfField(0x47, 0x00, 0x20, 8);
    }
    r.insertCursor(4, 2);
    Run(r.record());
    const std::vector<FieldReading> fields = FieldList(terminal);
    ASSERT_EQ(fields.size(), 9u);
    for (std::size_t i = 0; i < fields.size(); i += 3) {
        EXPECT_EQ(fields[i].label, "Opt");
        EXPECT_EQ(fields[i + 1].label, "A10" + std::to_string(4 + i / 3));
        EXPECT_EQ(fields[i + 2].label, "Unit price");
    }
}

TEST_F(ScreenReadingTest, PasswordDataNeverComesOut) {
    Run(samples::SignOnScreen());
    // Whatever the cells of the non-display field hold, even under an
    // attribute written inside it later, nothing of it is readable.
    const FieldEntry& password = *terminal.formatTable.entry(1);
    const Terminal::Span span = terminal.FieldSpan(password);
    for (int p = span.first; p < span.end; ++p) terminal.SetCellCharacter(p, 'S');
    terminal.SetCellByte(span.first, 0x20);
    const std::string readable = ReadableText(terminal);
    EXPECT_EQ(readable.substr(static_cast<std::size_t>(span.first), 10), std::string(10, ' '));
    EXPECT_EQ(readable.find("SS"), std::string::npos);
    const FieldReading field = ReadField(terminal, readable, 1);
    EXPECT_EQ(field.value, "");
    EXPECT_EQ(FieldSentence(field), "Password, password");
    terminal.SetCursorPosition(span.first + 2);
    EXPECT_EQ(CurrentLineText(terminal), "Password");
}

TEST_F(ScreenReadingTest, StatusAndOutOfRangeQuestions) {
    Run(samples::SignOnScreen());
    terminal.state.connected = 1;
    EXPECT_EQ(StatusText(terminal), "Row 6 Column 53");
    terminal.SetKeyboardLocked(true);
    terminal.SetMessageWaiting(true);
    terminal.SetInsertMode(true);
    terminal.SetRefusedReason("Cursor in protected area");
    EXPECT_EQ(StatusText(terminal),
              "X-System, keyboard locked, Message waiting, Insert mode, Cursor in protected area, "
              "Row 6 Column 53");

    const std::string readable = ReadableText(terminal);
    EXPECT_TRUE(RowOf(terminal, readable, -1).empty());
    EXPECT_TRUE(RowOf(terminal, readable, 24).empty());
    EXPECT_EQ(ReadField(terminal, readable, 5).index, -1);
    EXPECT_EQ(ReadField(terminal, "short", 0).index, -1);
    // The system request line is no field.
    terminal.SetCursorCell(24, 0);
    EXPECT_EQ(FieldAtCursor(terminal), -1);
    EXPECT_EQ(CurrentLineText(terminal), "");
}

}  // namespace
}  // namespace quenlix::testing
