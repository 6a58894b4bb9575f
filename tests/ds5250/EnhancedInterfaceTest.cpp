// The enhanced interface a session may offer: the query reply with and
// without it, and the windows of the Write To Display structured fields.
#include "InterpreterFixture.h"

namespace quenlix::testing {
namespace {

using namespace ds;

/// Create Window's data: the flag, two reserved bytes, depth and width,
/// then minor structures.
Bytes WindowData(std::uint8_t flag, int depth, int width, const Bytes& minors = {}) {
    return Concat(
        {{flag, 0x00, 0x00, static_cast<std::uint8_t>(depth), static_cast<std::uint8_t>(width)},
         minors});
}

/// A title (or footer) minor structure with EBCDIC text.
Bytes TitleMinor(const Bytes& ebcdic, bool footer = false) {
    return Concat({{static_cast<std::uint8_t>(6 + ebcdic.size()), kMinorTitleFooter,
                    static_cast<std::uint8_t>(footer ? kTitleIsFooter : 0x00), 0x00, 0x00, 0x00},
                   ebcdic});
}

class EnhancedTest : public InterpreterTest {
protected:
    EnhancedTest() { settings.Enhanced = 1; }
    Bytes E(std::string_view text) {
        Bytes out;
        for (char c : text) out.push_back(tables.ToEbcdic(0, static_cast<std::uint8_t>(c)));
        return out;
    }
};

TEST_F(InterpreterTest, TheQueryReplyOffersTheEnhancedInterfaceOnlyWhenAsked) {
    Run(RecordBuilder(kOpOutputOnly).queryStructuredField().record());
    settings.Enhanced = 1;
    Run(RecordBuilder(kOpOutputOnly).queryStructuredField().record());
    ASSERT_EQ(sender.sent.size(), 2u);
    const Bytes& plain = sender.sent[0];
    const Bytes& enhanced = sender.sent[1];
    ASSERT_EQ(plain.size(), 73u);
    ASSERT_EQ(enhanced.size(), 73u) << "the same length either way";
    // Bytes 53 and 54 of the reply's data (from its length field).
    EXPECT_EQ(plain[63], 0x00);
    EXPECT_EQ(plain[64], 0x00);
    EXPECT_EQ(enhanced[63], 0x03) << "enhanced field control words and structured fields, "
                                     "Write Error Code to Window";
    EXPECT_EQ(enhanced[64], 0x80) << "user interface level 2";
    Bytes rest = enhanced;
    rest[63] = rest[64] = 0x00;
    EXPECT_EQ(rest, plain) << "nothing else differs";
}

TEST_F(InterpreterTest, WithoutTheEnhancedInterfaceAStructuredFieldChangesNothing) {
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(5, 10)
            .displayStructuredField(kWdsfCreateWindow, WindowData(0x80, 5, 20))
            .text("AFTER")
            .record());
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_TRUE(terminal.constructs.windows().empty());
    EXPECT_EQ(Text(5, 10, 5), "AFTER") << "its bytes are no data; what follows is written";
    EXPECT_EQ(Text(6, 10, 1), " ");
}

TEST_F(EnhancedTest, CreateWindowDrawsItsBorderTitleAndFooter) {
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(3, 1)
            .text(std::string(80, 'x'))
            .sba(4, 1)
            .text(std::string(80, 'x'))
            .sba(2, 10)
            .displayStructuredField(
                kWdsfCreateWindow,
                WindowData(kWindowCursorRestricted, 3, 12,
                           Concat({TitleMinor(E("Pick")), TitleMinor(E("F3=Exit"), true)})))
            .insertCursor(3, 11)
            .record());
    EXPECT_TRUE(sender.sent.empty());
    ASSERT_EQ(terminal.constructs.windows().size(), 1u);
    const HostWindow& w = terminal.constructs.windows()[0];
    EXPECT_EQ(w.row, 2);
    EXPECT_EQ(w.column, 10);
    EXPECT_EQ(w.lastRow(), 6);
    EXPECT_EQ(w.lastColumn(), 23);
    EXPECT_EQ(w.title, "Pick");
    EXPECT_EQ(w.footer, "F3=Exit");
    EXPECT_TRUE(terminal.constructs.cursorRestricted());
    EXPECT_EQ(Text(2, 10, 14), ".....Pick.....");
    EXPECT_EQ(Text(3, 9, 16), "x:            :x") << "the inside starts empty";
    EXPECT_EQ(Text(5, 10, 14), ":            :");
    EXPECT_EQ(Text(6, 10, 14), ":..F3=Exit...:");

    // The cursor stays inside, whoever moves it.
    EXPECT_EQ(CursorRow(), 3);
    EXPECT_EQ(CursorColumn(), 11);
    terminal.SetCursorCell(0, 0);
    EXPECT_EQ(CursorRow(), 3) << "held to the first row inside";
    EXPECT_EQ(CursorColumn(), 11);
    terminal.SetCursorCell(20, 70);
    EXPECT_EQ(CursorRow(), 5) << "held to the last row inside";
    EXPECT_EQ(CursorColumn(), 22);

    // Unrestricted Cursor Movement frees the cursor; Remove Window forgets it.
    Run(RecordBuilder()
            .writeToDisplay()
            .displayStructuredField(kWdsfUnrestrictedCursor, {0, 0, 0})
            .record());
    EXPECT_FALSE(terminal.constructs.cursorRestricted());
    terminal.SetCursorCell(0, 0);
    EXPECT_EQ(CursorRow(), 1);
    Run(RecordBuilder()
            .writeToDisplay()
            .displayStructuredField(kWdsfRemoveWindow, {0, 0, 0})
            .record());
    EXPECT_TRUE(terminal.constructs.windows().empty());
}

TEST_F(EnhancedTest, TheHostsBorderCharactersAreUsed) {
    const Bytes border = Concat({{13, kMinorBorder, 0x00, 0x00, 0x00}, E("+-+||+-+")});
    Run(RecordBuilder()
            .clearUnit()
            .writeToDisplay()
            .sba(1, 1)
            .displayStructuredField(kWdsfCreateWindow, WindowData(0, 1, 3, border))
            .record());
    EXPECT_EQ(Text(1, 1, 5), "+---+");
    EXPECT_EQ(Text(2, 1, 5), "|   |");
    EXPECT_EQ(Text(3, 1, 5), "+---+") << "bottom corners and edge";
}

TEST_F(EnhancedTest, WindowsAndStructuredFieldsAreBoundedAndRefused) {
    struct Row {
        const char* what;
        int row, column;
        Bytes order;  ///< the whole structured field order
        std::uint8_t sense;
    };
    auto field = [](std::uint8_t cls, std::uint8_t type, const Bytes& data) {
        return Concat({{kOrderDisplayStructuredField, 0x00,
                        static_cast<std::uint8_t>(data.size() + 4), cls, type},
                       data});
    };
    const Row rows[] = {
        {"the whole screen", 1, 1, field(0xD9, 0x51, WindowData(0, 22, 78)), 0},
        {"one row too deep", 1, 1, field(0xD9, 0x51, WindowData(0, 23, 78)), 0x12},
        {"one column too wide", 1, 1, field(0xD9, 0x51, WindowData(0, 22, 79)), 0x12},
        {"no rows", 1, 1, field(0xD9, 0x51, WindowData(0, 0, 10)), 0x12},
        {"no columns", 1, 1, field(0xD9, 0x51, WindowData(0, 5, 0)), 0x12},
        {"short of its depth and width", 1, 1, field(0xD9, 0x51, {0, 0, 0, 5}), 0x10},
        {"a minor structure shorter than 2", 1, 1,
         field(0xD9, 0x51, WindowData(0, 5, 10, {1, 0x01})), 0x13},
        {"a minor structure past the field", 1, 1,
         field(0xD9, 0x51, WindowData(0, 5, 10, {9, 0x10, 0, 0})), 0x13},
        {"another class", 1, 1, field(0xD8, 0x51, WindowData(0, 5, 10)), 0x11},
        {"an unknown type", 1, 1, field(0xD9, 0x4F, {}), 0x11},
        {"a length shorter than its header",
         1,
         1,
         {kOrderDisplayStructuredField, 0x00, 0x03, 0xD9, 0x51},
         0x10},
        {"mouse buttons, taken", 1, 1, field(0xD9, 0x55, {0, 0, 0}), 0},
        {"grid lines, taken", 1, 1, field(0xD9, 0x60, {0, 0, 0}), 0},
        {"grid line buffer, taken", 1, 1, field(0xD9, 0x61, {0}), 0},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.what);
        sender.sent.clear();
        Run(RecordBuilder()
                .clearUnit()
                .writeToDisplay()
                .sba(row.row, row.column)
                .raw(row.order)
                .record());
        if (row.sense) {
            ASSERT_EQ(sender.sent.size(), 1u);
            EXPECT_EQ(sender.sent[0], NegativeResponse(row.sense));
            EXPECT_TRUE(terminal.constructs.windows().empty());
        } else {
            EXPECT_TRUE(sender.sent.empty());
        }
    }

    // At most 16 windows; the 17th is refused, and Clear Unit forgets them all.
    RecordBuilder many;
    many.clearUnit().writeToDisplay();
    for (int i = 0; i < 17; ++i) {
        many.sba(1 + i, 1).displayStructuredField(kWdsfCreateWindow, WindowData(0, 1, 5));
    }
    sender.sent.clear();
    Run(many.record());
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(sender.sent[0], NegativeResponse(kSenseTooManyWindows));
    EXPECT_EQ(terminal.constructs.windows().size(), HostConstructs::kMaxWindows);
    Run(RecordBuilder()
            .writeToDisplay()
            .displayStructuredField(kWdsfRemoveAllConstructs, {})
            .record());
    EXPECT_TRUE(terminal.constructs.windows().empty());
}

}  // namespace
}  // namespace quenlix::testing
