// The SCS interpreter: each control's effect on the page, page breaks, and
// malformed data reported and skipped.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "scs/ScsBuilder.h"
#include "scs/ScsInterpreter.h"

namespace quenlix::scs {
namespace {

class RecordingSink : public PageSink {
public:
    void PageReady(const PrintedPage& page) override { pages.push_back(page); }
    void Bell() override { ++bells; }
    void Malformed(const std::string& what) override { problems.push_back(what); }
    void Ignored(const std::string& what) override { ignored.push_back(what); }

    std::vector<PrintedPage> pages;
    std::vector<std::string> problems;
    std::vector<std::string> ignored;
    int bells = 0;
};

class ScsTest : public ::testing::Test {
protected:
    void Feed(const ScsBuilder& b) { scs.Feed(b.data().data(), b.data().size()); }
    // The page under way, line by line from 1.
    std::string Line(int line) const { return scs.page().LineText(line); }

    RecordingSink sink;
    PageDefaults defaults;
    ScsInterpreter scs{sink, defaults};
};

TEST_F(ScsTest, EachMovementControlPlacesTheNextCharacter) {
    struct Row {
        const char* name;
        ScsBuilder data;
        int line;
        int column;
    };
    std::vector<Row> rows;
    rows.push_back({"text advances", ScsBuilder().text("ABC"), 1, 4});
    rows.push_back({"new line", ScsBuilder().text("AB").newLine(), 2, 1});
    rows.push_back({"carriage return", ScsBuilder().text("AB").carriageReturn(), 1, 1});
    rows.push_back({"line feed keeps the column", ScsBuilder().text("AB").lineFeed(), 2, 3});
    rows.push_back({"backspace", ScsBuilder().text("AB").bytes({0x16}), 1, 2});
    rows.push_back({"backspace stops at 1", ScsBuilder().bytes({0x16, 0x16}), 1, 1});
    rows.push_back({"absolute horizontal", ScsBuilder().absoluteHorizontal(40), 1, 40});
    rows.push_back({"relative horizontal", ScsBuilder().text("A").relativeHorizontal(5), 1, 7});
    rows.push_back({"absolute vertical", ScsBuilder().absoluteVertical(10), 10, 1});
    rows.push_back({"relative vertical", ScsBuilder().text("A").relativeVertical(3), 4, 2});
    rows.push_back({"tab without stops: one column", ScsBuilder().tab(), 1, 2});
    rows.push_back({"tab to the next stop",
                    ScsBuilder().horizontalFormat(80, 0, 0, {10, 20}).text("A").tab(), 1, 10});
    rows.push_back({"tab past a stop",
                    ScsBuilder().horizontalFormat(80, 0, 0, {20, 10}).absoluteHorizontal(12).tab(),
                    1, 20});
    rows.push_back({"new line to the left margin",
                    ScsBuilder().horizontalFormat(80, 5).text("A").newLine(), 2, 5});
    rows.push_back(
        {"vertical tab", ScsBuilder().verticalFormat(66, 0, 0, {12}).bytes({0x0B}), 12, 1});
    for (Row& row : rows) {
        SCOPED_TRACE(row.name);
        scs.EndOfFile();
        Feed(row.data);
        EXPECT_EQ(scs.line(), row.line);
        EXPECT_EQ(scs.column(), row.column);
    }
    EXPECT_TRUE(sink.problems.empty());
}

TEST_F(ScsTest, TextLandsWhereTheControlsPutIt) {
    Feed(ScsBuilder()
             .horizontalFormat(80, 0, 0, {11, 21})
             .text("NAME")
             .tab()
             .text("QTY")
             .tab()
             .text("PRICE")
             .newLine()
             .absoluteHorizontal(5)
             .text("Bolts")
             .carriageReturn()
             .text("ab")
             .absoluteVertical(5)
             .absoluteHorizontal(30)
             .text("end"));
    EXPECT_EQ(Line(1), "NAME      QTY       PRICE");
    EXPECT_EQ(Line(2), "ab  Bolts") << "a return overprints from the margin";
    EXPECT_EQ(Line(5), std::string(29, ' ') + "end");
    EXPECT_TRUE(sink.pages.empty()) << "no page is complete yet";
}

TEST_F(ScsTest, PagesBreakAtFormFeedsAndAtThePageLength) {
    Feed(ScsBuilder().verticalFormat(3).text("ONE").formFeed().text("TWO"));
    ASSERT_EQ(sink.pages.size(), 1u);
    EXPECT_EQ(sink.pages[0].LineText(1), "ONE");
    EXPECT_EQ(sink.pages[0].number, 1);
    EXPECT_EQ(sink.pages[0].lines, 3);
    EXPECT_TRUE(sink.pages[0].hostFormat);

    // Lines past the page length go on on the next page, and a line above
    // the current one (absolute vertical) starts a new page too.
    Feed(ScsBuilder().newLine().text("b").newLine().text("c").newLine().text("d"));
    ASSERT_EQ(sink.pages.size(), 2u);
    EXPECT_EQ(sink.pages[1].LineText(3), "c");
    EXPECT_EQ(Line(1), "d");
    Feed(ScsBuilder().newLine().absoluteVertical(1).text("e"));
    ASSERT_EQ(sink.pages.size(), 3u);
    EXPECT_EQ(Line(1), "e");

    // Form feeds around nothing make no blank pages; the end of the file
    // hands on the last page and starts the next file afresh.
    Feed(ScsBuilder().formFeed().formFeed().formFeed());
    EXPECT_EQ(sink.pages.size(), 4u);
    // Nor does a mark overprinted with a blank.
    Feed(ScsBuilder().text("x").carriageReturn().text(" ").formFeed());
    EXPECT_EQ(sink.pages.size(), 4u);
    scs.EndOfFile();
    EXPECT_EQ(sink.pages.size(), 4u);
    EXPECT_EQ(scs.pagesInFile(), 0);
    EXPECT_EQ(scs.page().lines, defaults.lines);
}

TEST_F(ScsTest, LongLinesWrapAtTheRightMargin) {
    Feed(ScsBuilder().horizontalFormat(10, 0, 6).text("ABCDEFGHIJ"));
    EXPECT_EQ(Line(1), "ABCDEF");
    EXPECT_EQ(Line(2), "GHIJ");
}

TEST_F(ScsTest, DensitiesAndCodePageReachThePage) {
    CharacterTable other{};
    other.fill(u'#');
    scs.codePages = [&](int codePage) { return codePage == 273 ? &other : nullptr; };
    Feed(ScsBuilder()
             .lineDensity(9)         // 8 lines to the inch
             .characterDistance(12)  // 12 characters to the inch
             .graphicErrorAction(0x01)
             .text("A")
             .codePage(273)
             .text("B")
             .codePage(9999)  // unknown: the characters stay
             .text("C")
             .formFeed());
    ASSERT_EQ(sink.pages.size(), 1u);
    EXPECT_DOUBLE_EQ(sink.pages[0].linesPerInch, 8.0);
    EXPECT_DOUBLE_EQ(sink.pages[0].charactersPerInch, 12.0);
    EXPECT_EQ(sink.pages[0].LineText(1), "A##");
    EXPECT_EQ(scs.codePage(), 9999);

    // A distance in 1/1440 inch, and 0 back to the defaults.
    Feed(ScsBuilder().characterDistance(96).text("x").formFeed());
    EXPECT_DOUBLE_EQ(sink.pages[1].charactersPerInch, 15.0);
    Feed(ScsBuilder().characterDistance(0).lineDensity(0).text("x").formFeed());
    EXPECT_DOUBLE_EQ(sink.pages[2].charactersPerInch, defaults.charactersPerInch);
    EXPECT_DOUBLE_EQ(sink.pages[2].linesPerInch, defaults.linesPerInch);
}

TEST_F(ScsTest, TransparentDataAndBellAndUnknownControls) {
    // Transparent bytes print as characters even where they look like controls.
    Feed(ScsBuilder().transparent({0xC1, 0x15, 0xC2}).bell().bytes({0x3A}).text("Z"));
    EXPECT_EQ(Line(1), "A BZ");
    EXPECT_EQ(sink.bells, 1);
    ASSERT_EQ(sink.ignored.size(), 1u);
    EXPECT_EQ(sink.ignored[0], "control 0x3A");
    EXPECT_TRUE(sink.problems.empty());
}

TEST_F(ScsTest, MalformedControlsAreReportedAndTheRestSkipped) {
    // Controls cut off by the record's end, and whole ones with a bad
    // value, after which more text would follow in the record.
    struct Row {
        const char* name;
        std::vector<std::uint8_t> data;
        bool textAfter;
        const char* problem;
    };
    const std::vector<Row> rows = {
        {"position cut off", {0x34, 0xC0}, false, "presentation position cut off"},
        {"column off the page",
         {0x34, 0xC0, 200},
         true,
         "absolute horizontal position 200 off the page"},
        {"column 0", {0x34, 0xC0, 0}, true, "absolute horizontal position 0 off the page"},
        {"line off the page", {0x34, 0xC4, 90}, true, "absolute vertical position 90 off the page"},
        {"unknown position type",
         {0x34, 0x11, 1},
         true,
         "presentation position of unknown type 0x11"},
        {"class cut off", {0x2B, 0xC1}, false, "control 0x2B cut off"},
        {"count 0", {0x2B, 0xC1, 0x00}, true, "control 0x2B 0xC1 with count 0"},
        {"count past the end",
         {0x2B, 0xC1, 0x09, 80},
         false,
         "control 0x2B 0xC1 longer than the record"},
        {"transparent past the end",
         {0x35, 0x05, 0xC1},
         false,
         "transparent data longer than the record"},
        {"attribute cut off", {0x28, 0x01}, false, "set attribute cut off"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.name);
        scs.EndOfFile();
        sink.problems.clear();
        std::vector<std::uint8_t> data = ScsBuilder().text("OK").take();
        data.insert(data.end(), row.data.begin(), row.data.end());
        if (row.textAfter) {
            const std::vector<std::uint8_t> after = ScsBuilder().text("LOST").take();
            data.insert(data.end(), after.begin(), after.end());
        }
        scs.Feed(data.data(), data.size());
        ASSERT_EQ(sink.problems.size(), 1u);
        EXPECT_EQ(sink.problems[0], row.problem);
        EXPECT_EQ(Line(1), "OK") << "what came before stays, the rest of the record is skipped";
        // The next record is read again.
        const std::vector<std::uint8_t> next = ScsBuilder().text("!").take();
        scs.Feed(next.data(), next.size());
        EXPECT_EQ(Line(1), "OK!");
    }
}

TEST_F(ScsTest, FormatValuesOutsideThePageAreNotTaken) {
    // Margins and stops beyond the page width are dropped; 0 is the default.
    Feed(ScsBuilder().horizontalFormat(20, 30, 40, {0, 25, 5}));
    EXPECT_EQ(scs.page().columns, 20);
    EXPECT_EQ(scs.leftMargin(), 1);
    EXPECT_EQ(scs.tabStops(), std::vector<int>{5});
    Feed(ScsBuilder().horizontalFormat(0).verticalFormat(0, 99));
    EXPECT_EQ(scs.page().columns, defaults.columns);
    EXPECT_EQ(scs.page().lines, defaults.lines);
    EXPECT_EQ(scs.topMargin(), 1);
}

}  // namespace
}  // namespace quenlix::scs
