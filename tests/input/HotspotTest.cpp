// Hotspots: what the screen offers to be clicked, on a recorded IBM i menu
// and on built screens with their look-alikes, and what a click sends.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "InputFixture.h"
#include "input/HotspotClick.h"
#include "input/Hotspots.h"
#include "input/KeyRefusal.h"
#include "ds5250/SelectionFieldBuilder.h"

namespace quenlix::testing {
namespace {

struct Expected {
    int row;  // 1-based
    int column;
    const char* kind;
    const char* text;
    const char* action;
};

class HotspotTest : public InputTest {
protected:
    void ExpectHotspots(const std::vector<Expected>& expected) {
        const std::vector<Hotspot> found = FindHotspots(terminal);
        std::string all;
        for (const Hotspot& h : found) all += h.text + " | ";
        ASSERT_EQ(found.size(), expected.size()) << all;
        for (std::size_t i = 0; i < found.size(); ++i) {
            SCOPED_TRACE(expected[i].text);
            EXPECT_EQ(found[i].row + 1, expected[i].row);
            EXPECT_EQ(found[i].column + 1, expected[i].column);
            EXPECT_EQ(HotspotKindName(found[i].kind), expected[i].kind);
            EXPECT_EQ(found[i].text, expected[i].text);
            EXPECT_EQ(found[i].length, static_cast<int>(found[i].text.size()));
            EXPECT_EQ(found[i].action, expected[i].action);
        }
    }
    /// One protected line of text at row 2 of an otherwise blank screen
    /// with one input field on row 20 (so options have a field).
    void Line(std::string_view text, bool withField = true) {
        RecordBuilder r = Wtd();
        r.sba(2, 2).text(text);
        if (withField) r.sba(20, 7).startOfField(0x40, 0x00, 0x20, 4);
        Screen(r);
    }
    static Bytes Recorded(const char* name) {
        const auto path = std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." / "shared" / "refdata" /
                          "signon-recording" / name;
        std::ifstream in(path, std::ios::binary);
        return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    }
    Hotspot Only() {
        const std::vector<Hotspot> found = FindHotspots(terminal);
        EXPECT_EQ(found.size(), 1u);
        return found.empty() ? Hotspot{} : found.front();
    }
};

TEST_F(HotspotTest, TheRecordedMainMenuOffersItsItemsAndKeys) {
    const Bytes signOn = Recorded("testsys-login-h2c-04-rec.bin");
    const Bytes menu = Recorded("testsys-login-h2c-07-rec.bin");
    if (signOn.empty() || menu.empty()) GTEST_SKIP() << "../shared/refdata/signon-recording is absent";
    Run(signOn);
    EXPECT_TRUE(FindHotspots(terminal).empty()) << "the sign-on screen offers nothing to click";
    Run(menu);
    ExpectHotspots({{5, 7, "option", "1. User tasks", "1"},
                    {6, 7, "option", "2. Office tasks", "2"},
                    {8, 7, "option", "4. Files, libraries, and folders", "4"},
                    {10, 7, "option", "6. Communications", "6"},
                    {12, 7, "option", "8. Problem handling", "8"},
                    {13, 7, "option", "9. Display a menu", "9"},
                    {14, 6, "option", "10. Information Assistant options", "10"},
                    {15, 6, "option", "11. IBM i Access tasks", "11"},
                    {17, 6, "option", "90. Sign off", "90"},
                    {22, 2, "aid", "F3=Exit", "F3"},
                    {22, 12, "aid", "F4=Prompt", "F4"},
                    {22, 24, "aid", "F9=Retrieve", "F9"},
                    {22, 38, "aid", "F12=Cancel", "F12"},
                    {22, 51, "aid", "F13=Information Assistant", "F13"},
                    {23, 2, "aid", "F23=Set initial menu", "F23"}});

    // A menu item goes into the command line, and Enter sends it.
    const std::vector<Hotspot> found = FindHotspots(terminal);
    const Hotspot* item = HotspotAt(found, 16, 10);
    ASSERT_NE(item, nullptr);
    EXPECT_TRUE(item->enter);
    sender.sent.clear();
    terminal.state.inputInhibited = 0;
    EXPECT_EQ(ClickHotspot(input, *item), HotspotClickResult::kPerformed);
    ASSERT_EQ(sender.sent.size(), 1u);
    const Bytes& sent = sender.sent[0];
    ASSERT_GE(sent.size(), 13u);
    EXPECT_EQ(sent[12], ds::kAidEnter);
    const Bytes typed = Ebcdic("90");
    EXPECT_NE(std::search(sent.begin(), sent.end(), typed.begin(), typed.end()), sent.end());
}

TEST_F(HotspotTest, FunctionKeyLabelsAndTheirLookAlikes) {
    Line("F3=Exit F12=Cancel  PF5=Refresh   F6-Create  Enter=Check  PageDown=More");
    ExpectHotspots({{2, 2, "aid", "F3=Exit", "F3"},
                    {2, 10, "aid", "F12=Cancel", "F12"},
                    {2, 22, "aid", "PF5=Refresh", "F5"},
                    {2, 36, "aid", "F6-Create", "F6"},
                    {2, 47, "aid", "Enter=Check", "Enter"},
                    {2, 60, "aid", "PageDown=More", "RollUp"}});
}

TEST_F(HotspotTest, NotFunctionKeys) {
    for (const char* text : {"XF3=Exit", "F25=Nothing", "F0=Nothing", "F03=Padded", "F3= blank",
                             "F3==Twice", "Sign on as F", "3=Change"}) {
        SCOPED_TRACE(text);
        Line(text, false);
        EXPECT_TRUE(FindHotspots(terminal).empty());
    }
}

TEST_F(HotspotTest, NeverInsideAFieldOrHiddenText) {
    Screen(Wtd().sba(2, 2).startOfField(0x40, 0x00, 0x20, 20).text("F3=Exit F12=Cancel"));
    EXPECT_TRUE(FindHotspots(terminal).empty()) << "input field data is what was typed";
    Screen(Wtd().sba(2, 2).attribute(0x27).text("F3=Exit").attribute(0x20));
    EXPECT_TRUE(FindHotspots(terminal).empty()) << "non-display text is never read";
    // A label ends where a field begins.
    Screen(Wtd().sba(2, 2).text("F4=Prompt").startOfField(0x40, 0x00, 0x20, 5).text("ABC"));
    ExpectHotspots({{2, 2, "aid", "F4=Prompt", "F4"}});
    // The numbered choices of the host's own selection field choose
    // themselves: they are no menu items to type into its answer field.
    settings.Enhanced = 1;
    Screen(Wtd().sba(4, 10).startOfField(0x43, 0, 0x20, 2)
               .displayStructuredField(ds::kWdsfDefineSelectionField,
                                       SelectionFieldBuilder(SelectionKind::kSingleChoice)
                                           .layout(6, 0, 0).choice("Red").choice("Green").data())
               .sba(10, 2).text("F3=Exit"));
    ASSERT_EQ(terminal.constructs.selectionFields().size(), 1u);
    ExpectHotspots({{10, 2, "aid", "F3=Exit", "F3"}});
}

TEST_F(HotspotTest, OptionLegendsMenuItemsAndListMarkers) {
    Line("2=Change  4=Delete   5=Display");
    ExpectHotspots({{2, 2, "option", "2=Change", "2"},
                    {2, 12, "option", "4=Delete", "4"},
                    {2, 23, "option", "5=Display", "5"}});
    Line("2=Change  4=Delete", false);
    EXPECT_TRUE(FindHotspots(terminal).empty()) << "no field takes an option";

    // One numbered line is no menu.
    Line("1. Only one item");
    EXPECT_TRUE(FindHotspots(terminal).empty());

    Line("More...   Bottom  Bottomless  More....");
    ExpectHotspots({{2, 2, "more", "More...", "RollUp"}, {2, 12, "more", "Bottom", "RollDown"}});
}

TEST_F(HotspotTest, WebAndMailAddresses) {
    Line("See https://example.com/help. Mail help@example.com, or www.example.org");
    ExpectHotspots({{2, 6, "url", "https://example.com/help", "https://example.com/help"},
                    {2, 37, "url", "help@example.com", "mailto:help@example.com"},
                    {2, 58, "url", "www.example.org", "http://www.example.org"}});
    for (const char* text : {"a@b", "x@y.", "two@@example.com", "http://", "www.nodot"}) {
        SCOPED_TRACE(text);
        Line(text);
        EXPECT_TRUE(FindHotspots(terminal).empty());
    }
}

TEST_F(HotspotTest, AClickPressesTheKeyItselfOnlyWhileTheKeyboardIsFree) {
    Line("F3=Exit");
    const Hotspot exit = Only();
    // The key map moves F3 elsewhere: the click still means F3.
    KeyMap map;
    map.Bind(*ParseKeyChord("F3"), KeyFunction::kF5);
    input.SetKeyMap(map);

    terminal.state.inputInhibited = 1;
    EXPECT_EQ(ClickHotspot(input, exit), HotspotClickResult::kRefused);
    EXPECT_TRUE(sender.sent.empty()) << "a click is never held for the next screen";
    EXPECT_EQ(terminal.state.refusedReason, refusal::kClickWhileLocked);
    input.CheckTypeAhead();
    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();
    EXPECT_TRUE(sender.sent.empty());

    EXPECT_EQ(ClickHotspot(input, exit), HotspotClickResult::kPerformed);
    EXPECT_EQ(SentAid(), ds::kAidF3);
}

TEST_F(HotspotTest, AnOptionIsTypedIntoTheFieldUnderTheCursorWithoutEnter) {
    Screen(Wtd()
               .sba(2, 2)
               .text("2=Change  4=Delete")
               .sba(5, 2)
               .startOfField(0x40, 0x00, 0x20, 2)
               .text("9")
               .sba(6, 2)
               .startOfField(0x40, 0x00, 0x20, 2));
    CursorAt(6, 3);
    const std::vector<Hotspot> found = FindHotspots(terminal);
    ASSERT_EQ(found.size(), 2u);
    EXPECT_EQ(found[1].field, 1);
    EXPECT_FALSE(found[1].enter);
    EXPECT_EQ(ClickHotspot(input, found[1]), HotspotClickResult::kPerformed);
    EXPECT_TRUE(sender.sent.empty()) << "an option is only typed";
    Bytes typed = Ebcdic("4");
    typed.push_back(0x00);
    EXPECT_EQ(EbcdicAt(6, 3, 2), typed) << "typed over a cleared field";
    EXPECT_EQ(EbcdicAt(5, 3, 1), Ebcdic("9")) << "the other field keeps its value";

    // The cursor outside any field: the first field takes it.
    CursorAt(1, 1);
    const std::vector<Hotspot> again = FindHotspots(terminal);
    EXPECT_EQ(again[0].field, 0);
}

TEST_F(HotspotTest, ABusyScreenGivesABoundedList) {
    RecordBuilder r = Wtd();
    for (int row = 1; row <= 24; ++row) {
        r.sba(row, 1);
        std::string line;
        for (int k = 0; k < 13; ++k) line += "F1=A ";
        r.text(line.substr(0, 79));
    }
    Screen(r);
    EXPECT_EQ(FindHotspots(terminal).size(), kMaxHotspots);
}

}  // namespace
}  // namespace quenlix::testing
