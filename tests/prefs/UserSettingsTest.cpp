// Preferences: defaults, the stored names, kinds and order, the 16-bit
// printer codes, and the window layout written only outside full screen.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "prefs/UserSettings.h"

namespace quenlix {
namespace {

// Records every write as "section|name|int" or "section|name|str".
class RecordingStore : public MemorySettingsStore {
public:
    std::vector<std::string> writes;
    void WriteInt(std::string_view section, std::string_view name, std::uint32_t v) override {
        writes.push_back(std::string(section) + "|" + std::string(name) + "|int");
        MemorySettingsStore::WriteInt(section, name, v);
    }
    void WriteString(std::string_view section, std::string_view name, std::string_view v) override {
        writes.push_back(std::string(section) + "|" + std::string(name) + "|str");
        MemorySettingsStore::WriteString(section, name, v);
    }
};

WindowLayout SomeLayout() {
    WindowLayout layout;
    layout.placement = WindowPlacement{0, kShowMaximized, -1, -1, -8, -8, 10, 20, 810, 620};
    layout.toolBars = {{101, DockArea::Top, true, false, 0, 0, 0},
                       {102, DockArea::Left, false, false, 0, 0, 0}};
    return layout;
}

TEST(UserSettingsTest, EmptyStoreGivesTheDefaultsAndLoadWritesNothing) {
    RecordingStore store;
    UserSettings s = LoadUserSettings(store);
    EXPECT_EQ(s, UserSettings{});
    const std::vector<std::uint32_t> colors = {0x969696, 0,        0x14FF14, 0xFFFFFF, 0x1414F0,
                                               0xFADC8C, 0x50FAFF, 0x8080FF, 0xFF7878};
    EXPECT_EQ(std::vector<std::uint32_t>(s.colors.begin(), s.colors.end()), colors);
    EXPECT_EQ(s.Face, "Courier New");
    EXPECT_EQ(s.Bold, 450);
    EXPECT_EQ(s.ImageFile, "") << "no picture nobody chose";
    EXPECT_EQ(s.BkgndActive, 0) << "the background picture is off";
    EXPECT_EQ(s.BkgndMode, 1);
    EXPECT_EQ(s.BlinkCursor, 1);
    EXPECT_EQ(s.CheckRepere, 0);
    EXPECT_EQ(s.CursorForm, 0);
    EXPECT_EQ(s.RefusedKeyAlarm, 1) << "a refused key sounds unless turned off";
    EXPECT_EQ(store.ValueCount(), 0u);  // nothing written before the close
}

TEST(UserSettingsTest, AStoredPictureKeepsWorkingAndOnWithoutAFileIsTheOldDefault) {
    const struct {
        const char* active;  ///< stored BkgndActive, null: none
        const char* file;    ///< stored ImageFile, null: none
        int activeRead;
        const char* fileRead;
    } rows[] = {
        {nullptr, nullptr, 0, ""},
        {"1", "sky.jpg", 1, "sky.jpg"},
        {"1", nullptr, 1, "bkground.bmp"},
        {"1", "", 1, ""},
        {"0", nullptr, 0, ""},
        {nullptr, "sky.jpg", 0, "sky.jpg"},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(std::string(row.active ? row.active : "-") + " " + (row.file ? row.file : "-"));
        MemorySettingsStore store;
        if (row.active) store.WriteInt(kBkgndImageSection, "BkgndActive", std::stoul(row.active));
        if (row.file) store.WriteString(kBkgndImageSection, "ImageFile", row.file);
        const UserSettings s = LoadUserSettings(store);
        EXPECT_EQ(s.BkgndActive, row.activeRead);
        EXPECT_EQ(s.ImageFile, row.fileRead);
    }
}

TEST(UserSettingsTest, SaveWritesEveryValueWithItsKindInOrder) {
    RecordingStore store;
    SaveUserSettings(store, UserSettings{}, SomeLayout());
    std::string order;
    for (const std::string& w : store.writes) order += w + " ";
    EXPECT_EQ(order,
              "Colors|Cursor|int Colors|Black|int Colors|Green|int Colors|White|int "
              "Colors|Red|int Colors|Turquoise|int Colors|Yellow|int Colors|Pink|int "
              "Colors|Blue|int Font|Italic|int Font|Bold|int Font|Face|str "
              "BkgndImage|ImageFile|str BkgndImage|BkgndActive|int BkgndImage|BkgndMode|int "
              "Options|NbrTabSpace|int Options|TrimBlankRight|int Options|FileName|str "
              "Options|Check|int Options|CheckRepere|int Options|BlinkCursor|int "
              "Options|CursorForm|int Options|RefusedKeyAlarm|int Options|ReplaceSession|int "
              "Options|ReopenWorkspace|int Options|MapOverTabKeys|int Options|Hotspots|int "
              "Print|PrinterName|str "
              "Print|Orientation|int "
              "Print|PaperSize|int Print|Source|int |WindowPos|str ToolBars/Tool|Bars|int "
              "ToolBars/Tool|Bar1|str ToolBars/Tool|Bar2|str |FullScreen|int ");
    EXPECT_EQ(store.Sections(), (std::vector<std::string>{"", "BkgndImage", "Colors", "Font",
                                                          "Options", "Print", "ToolBars/Tool"}));
    // Empty strings are written too: every value on every close.
    EXPECT_EQ(store.Find("Options", "FileName"), (MemorySettingsStore::Value{false, 0, ""}));
}

TEST(UserSettingsTest, ChangedSaveWritesOnlyWhatDiffersFromWhatWasRead) {
    // Another program's values are in the store; this one read the defaults.
    RecordingStore store;
    store.WriteInt("Colors", "Cursor", 0x123456);
    store.WriteString("Font", "Face", "Their Face");
    store.writes.clear();
    const UserSettings atStart;
    UserSettings now = atStart;
    now.CursorForm = 2;
    now.PaperSize = 9;
    now.colors[kColorGreen] = 0x00FF00;
    SaveChangedUserSettings(store, atStart, now, SomeLayout());
    std::string order;
    for (const std::string& w : store.writes) order += w + " ";
    EXPECT_EQ(order,
              "Colors|Green|int Options|CursorForm|int Print|PaperSize|int |WindowPos|str "
              "ToolBars/Tool|Bars|int ToolBars/Tool|Bar1|str ToolBars/Tool|Bar2|str ");
    EXPECT_EQ(store.ReadInt("Colors", "Cursor", 0), 0x123456u);
    EXPECT_EQ(store.ReadString("Font", "Face", ""), "Their Face");

    // Full-screen mode entered: the flag is written, the layout is not.
    store.writes.clear();
    now.FullScreen = 1;
    SaveChangedUserSettings(store, now, now, SomeLayout());
    EXPECT_TRUE(store.writes.empty());
    SaveChangedUserSettings(store, atStart, now, SomeLayout());
    EXPECT_EQ(store.writes.back(), "|FullScreen|int");
    EXPECT_EQ(store.ReadInt("", "FullScreen", 0), 1u);
}

TEST(UserSettingsTest, EveryValueSurvivesARoundTrip) {
    UserSettings s;
    for (std::size_t i = 0; i < s.colors.size(); ++i) s.colors[i] = Rgb(1, 2, i);
    s.Italic = 1;
    s.Bold = 700;
    s.Face = "DejaVu Sans Mono";
    s.ImageFile = "/home/op/pictures/sky & sea.jpg";
    s.BkgndActive = 0;
    s.BkgndMode = 7;  // kept as stored, never range-tested
    s.NbrTabSpace = 8;
    s.TrimBlankRight = 0;
    s.FileName = "/srv/sessions/prod.stn";
    s.Check = 1;
    s.CheckRepere = 1;
    s.BlinkCursor = 0;
    s.CursorForm = 2;
    s.FullScreen = 0;
    s.PrinterName = "Office";
    s.Orientation = -1;
    s.PaperSize = 0xFFFF;
    s.Source = 15;
    MemorySettingsStore store;
    SaveUserSettings(store, s, {});
    EXPECT_EQ(LoadUserSettings(store), s);
    EXPECT_EQ(store.ReadInt("Colors", "Blue", 0), 0x080201u);   // red in the low byte
    EXPECT_EQ(store.ReadInt("Print", "PaperSize", 0), 65535u);  // zero-extended, not -1
}

TEST(UserSettingsTest, PrinterCodesKeepTheLow16BitsAndBadValuesFallBack) {
    MemorySettingsStore store;
    store.WriteInt("Print", "PaperSize", 65545);
    store.WriteString("Print", "Source", "-1");
    store.WriteString("Font", "Bold", "heavy");
    store.WriteString("Options", "CursorForm", "");
    store.WriteInt("Options", "NbrTabSpace", 0xFFFFFFFF);
    UserSettings s = LoadUserSettings(store);
    EXPECT_EQ(s.PaperSize, 9);
    EXPECT_EQ(s.Source, 0xFFFF);
    EXPECT_EQ(s.Bold, 450);
    EXPECT_EQ(s.CursorForm, 0);
    EXPECT_EQ(s.NbrTabSpace, -1);
}

TEST(UserSettingsTest, FullScreenCloseKeepsTheNormalWindowLayout) {
    MemorySettingsStore store;
    SaveUserSettings(store, UserSettings{}, SomeLayout());
    const auto windowPos = store.Find("", "WindowPos");
    const auto bars = store.Keys("ToolBars/Tool");

    UserSettings full;
    full.FullScreen = 1;
    WindowLayout other;
    other.placement = WindowPlacement{};
    SaveUserSettings(store, full, other);
    EXPECT_EQ(store.Find("", "WindowPos"), windowPos);
    EXPECT_EQ(store.Keys("ToolBars/Tool"), bars);
    EXPECT_EQ(LoadToolBarLayout(store), SomeLayout().toolBars);
    EXPECT_EQ(store.ReadInt("", "FullScreen", 0), 1u);
    EXPECT_EQ(LoadUserSettings(store).FullScreen, 1);

    // Minimised: no placement handed over, so "WindowPos" stays; bars are stored.
    WindowLayout minimised;
    minimised.toolBars = {{103, DockArea::Right, true, true, 0, 300, 400}};
    SaveUserSettings(store, UserSettings{}, minimised);
    EXPECT_EQ(store.Find("", "WindowPos"), windowPos);
    EXPECT_EQ(LoadToolBarLayout(store), minimised.toolBars);
}

TEST(UserSettingsTest, TerminalTakesAndGivesBackItsPreferences) {
    UserSettings s;
    s.colors[kColorRed] = Rgb(200, 10, 30);
    s.BlinkCursor = 0;
    s.CheckRepere = 1;
    s.CursorForm = 2;
    Terminal terminal;
    ApplyUserSettings(s, terminal);
    EXPECT_EQ(RedOf(terminal.colors[kColorRed]), 200u);
    EXPECT_EQ(BlueOf(terminal.colors[kColorRed]), 30u);
    EXPECT_EQ(terminal.state.BlinkCursor, 0);
    EXPECT_EQ(terminal.state.CheckRepere, 1);
    EXPECT_EQ(terminal.state.CursorForm, 2);

    terminal.state.CursorForm = 1;
    terminal.colors[kColorCursor] = Rgb(1, 1, 1);
    UserSettings back;
    CollectUserSettings(terminal, back);
    EXPECT_EQ(back.CursorForm, 1);
    EXPECT_EQ(back.colors[kColorCursor], 0x010101u);
    EXPECT_EQ(back.colors[kColorRed], 0x1E0AC8u);
    EXPECT_EQ(back.CheckRepere, 1);
}

TEST(SettingsStoreTest, StoredIntegersParseStrictly) {
    EXPECT_EQ(ParseStoredInt("0"), 0u);
    EXPECT_EQ(ParseStoredInt("4294967295"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseStoredInt("-1"), 0xFFFFFFFFu);
    EXPECT_EQ(ParseStoredInt("-2147483648"), 0x80000000u);
    EXPECT_EQ(ParseStoredInt("+7"), 7u);
    for (const char* bad :
         {"", "-", "4294967296", "-2147483649", " 1", "1 ", "0x10", "12345678901"}) {
        SCOPED_TRACE(bad);
        EXPECT_EQ(ParseStoredInt(bad), std::nullopt);
    }
}

}  // namespace
}  // namespace quenlix
