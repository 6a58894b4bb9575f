// "WindowPos" text and the tool-bar records: exact form, round trips, and
// damaged values recognised as "nothing stored".
#include <gtest/gtest.h>

#include "prefs/WindowLayout.h"

namespace quenlix {
namespace {

TEST(WindowLayoutTest, WindowPosFormatsAndParsesBack) {
    const WindowPlacement p{2, kShowMaximized, -32000, -32000, -8, -8, 100, 50, 1060, 770};
    EXPECT_EQ(FormatWindowPos(p), "2,3,-32000,-32000,-8,-8,100,50,1060,770");
    EXPECT_EQ(ParseWindowPos(FormatWindowPos(p)), p);

    const WindowPlacement extremes{0xFFFFFFFF, 0xFFFFFFFF, INT32_MIN, INT32_MAX, 0,
                                   0,          INT32_MIN,  INT32_MIN, INT32_MAX, INT32_MAX};
    EXPECT_EQ(ParseWindowPos(FormatWindowPos(extremes)), extremes);

    MemorySettingsStore store;
    EXPECT_EQ(LoadWindowPlacement(store), std::nullopt);
    SaveWindowPlacement(store, p);
    EXPECT_EQ(store.Find("", "WindowPos")->text, FormatWindowPos(p));
    EXPECT_EQ(LoadWindowPlacement(store), p);
}

TEST(WindowLayoutTest, MalformedWindowPosMeansNoPlacement) {
    const char* bad[] = {
        "",
        "0,1,-1,-1,-1,-1,0,0,800,600,",   // trailing comma
        "0,1,-1,-1,-1,-1,0,0,800,600,5",  // eleven numbers
        "0,1,-1,-1,-1,-1,0,0,800",        // nine
        "0,1,-1,-1,-1,-1,0,0,800,600x",
        "0,1,-1,-1,-1,-1,0,0,800,,600",
        " 0,1,-1,-1,-1,-1,0,0,800,600",
        "0,-1,-1,-1,-1,-1,0,0,800,600",  // show command is unsigned
        "4294967296,1,-1,-1,-1,-1,0,0,800,600",
        "0,1,-1,-1,-1,-1,0,0,2147483648,600",
        "0,1,-1,-1,-1,-1,0,0,-,600",
        "0,1,-1,-1,-1,-1,0,0,99999999999999999999,600",
        "0,1,-1,-1,-1,-1,800,0,0,600",  // right left of left
        "0,1,-1,-1,-1,-1,0,600,800,0",  // bottom above top
    };
    for (const char* text : bad) {
        SCOPED_TRACE(text);
        EXPECT_EQ(ParseWindowPos(text), std::nullopt);
    }
    MemorySettingsStore store;
    store.WriteString("", "WindowPos", "garbage");
    EXPECT_EQ(LoadWindowPlacement(store), std::nullopt);
    store.WriteInt("", "WindowPos", 5);
    EXPECT_EQ(LoadWindowPlacement(store), std::nullopt);
}

TEST(WindowLayoutTest, StartupShowCommandNeverHidesTheWindow) {
    WindowPlacement p;
    EXPECT_EQ(StartupShowCommand(std::nullopt, false), kShowNormal);
    p.showCmd = kShowMaximized;
    EXPECT_EQ(StartupShowCommand(p, false), kShowMaximized);
    EXPECT_EQ(StartupShowCommand(p, true), kShowNormal);
    p.showCmd = kShowHidden;
    EXPECT_EQ(StartupShowCommand(p, false), kShowNormal);
    p.showCmd = 12345;
    EXPECT_EQ(StartupShowCommand(p, false), kShowNormal);
}

TEST(WindowLayoutTest, StoredRectangleIsFittedToTheScreens) {
    // A primary screen with a task bar below, and a second one to its left.
    const std::vector<ScreenArea> screens = {{0, 0, 1920, 1040}, {-1280, 0, 0, 1024}};
    auto placement = [](int left, int top, int right, int bottom) {
        WindowPlacement p;
        p.left = left;
        p.top = top;
        p.right = right;
        p.bottom = bottom;
        return p;
    };
    struct Row {
        const char* what;
        WindowPlacement stored;
        std::optional<ScreenArea> expected;
    } const rows[] = {
        {"on the primary", placement(100, 50, 1060, 770), ScreenArea{100, 50, 1060, 770}},
        {"on the second", placement(-1200, 10, -400, 610), ScreenArea{-1200, 10, -400, 610}},
        {"partly off screen stays", placement(1800, 900, 2600, 1500),
         ScreenArea{1800, 900, 2600, 1500}},
        {"wider than both screens", placement(-1280, 0, 5000, 900),
         ScreenArea{-1280, 0, 1920, 900}},
        // The whole 32-bit range: its width does not fit an int.
        {"extreme", placement(INT32_MIN, INT32_MIN, INT32_MAX, INT32_MAX),
         ScreenArea{0, 0, 1920, 1040}},
        {"far right", placement(INT32_MAX - 10, 100, INT32_MAX, 200), ScreenArea{0, 0, 10, 100}},
        {"below every screen", placement(10, 5000, 810, 5600), ScreenArea{0, 0, 800, 600}},
        {"empty", placement(10, 10, 10, 500), std::nullopt},
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.what);
        EXPECT_EQ(FitNormalRectangle(r.stored, screens), r.expected);
    }
    EXPECT_EQ(FitNormalRectangle(placement(0, 0, 800, 600), {}), std::nullopt);
    // Moved onto a primary smaller than the desktop: cut to the primary.
    EXPECT_EQ(FitNormalRectangle(placement(-9000, 0, -7000, 1000), {{0, 0, 1024, 768},
                                                                  {1024, 0, 3584, 1440}}),
              (ScreenArea{0, 0, 1024, 768}));
}

TEST(WindowLayoutTest, ToolBarLayoutRoundTripsAndReplacesTheOldOne) {
    const std::vector<ToolBarRecord> bars = {{101, DockArea::Top, true, false, 0, 0, 0},
                                             {103, DockArea::Top, true, false, 0, 210, 0},
                                             {102, DockArea::Right, false, true, 1, -40, 300}};
    MemorySettingsStore store;
    EXPECT_TRUE(LoadToolBarLayout(store).empty());
    SaveToolBarLayout(store, bars);
    EXPECT_EQ(store.Keys(kToolBarSection),
              (std::vector<std::string>{"Bar1", "Bar2", "Bar3", "Bars"}));
    EXPECT_EQ(store.ReadString(kToolBarSection, "Bar3", ""), "102,3,0,1,1,-40,300");
    EXPECT_EQ(LoadToolBarLayout(store), bars);

    SaveToolBarLayout(store, {bars[0]});
    EXPECT_EQ(store.Keys(kToolBarSection), (std::vector<std::string>{"Bar1", "Bars"}));
    EXPECT_EQ(LoadToolBarLayout(store), std::vector<ToolBarRecord>{bars[0]});

    // More records than the bound: only the first kMaxToolBars are kept.
    std::vector<ToolBarRecord> many(kMaxToolBars + 3, bars[0]);
    for (std::size_t i = 0; i < many.size(); ++i) many[i].id = static_cast<int>(200 + i);
    SaveToolBarLayout(store, many);
    EXPECT_EQ(LoadToolBarLayout(store).size(), kMaxToolBars);
}

TEST(WindowLayoutTest, DamagedToolBarRecordsAreSkipped) {
    MemorySettingsStore store;
    store.WriteInt(kToolBarSection, "Bars", 6);
    store.WriteString(kToolBarSection, "Bar1", "101,0,1,0,0,0,0");
    store.WriteString(kToolBarSection, "Bar2", "102,4,1,0,0,0,0");   // no such edge
    store.WriteString(kToolBarSection, "Bar3", "103,2,2,0,0,0,0");   // visible not 0/1
    store.WriteString(kToolBarSection, "Bar4", "101,2,1,0,0,0,0");   // id repeated
    store.WriteString(kToolBarSection, "Bar5", "0,2,1,0,0,0,0");     // no id
    store.WriteString(kToolBarSection, "Bar6", "102,2,1,0,99,0,0");  // row past the bound
    const ToolBarRecord first{101, DockArea::Top, true, false, 0, 0, 0};
    EXPECT_EQ(LoadToolBarLayout(store), std::vector<ToolBarRecord>{first});

    // A count past the bound is a damaged layout, not a loop to run.
    store.WriteInt(kToolBarSection, "Bars", 0xFFFFFFFF);
    EXPECT_TRUE(LoadToolBarLayout(store).empty());
    EXPECT_EQ(ParseToolBarRecord("101,0,1,0,0,0"), std::nullopt);
}

}  // namespace
}  // namespace quenlix
