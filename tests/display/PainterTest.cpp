// The paint pass recorded as drawing operations. The screen is 24 x 80 with
// 12 x 20 cells: the system request line is at y 480, the indicator row at
// T = 500 (middle M = 510, mark foot B = 518).
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <span>

#include "display/PaintRegion.h"
#include "display/RecordingCanvas.h"
#include "display/ScreenPainter.h"
#include "support/CellLooks.h"
#include "display/ViewLayout.h"

namespace quenlix {
namespace {

constexpr const char* kGreen = "#14FF14";

class PainterTest : public ::testing::Test {
protected:
    PainterTest() {
        terminal.screen.AllocateCells(132, 27);
        terminal.screen.SetGeometry(80, 24);
        terminal.state.BlinkCursor = 0;
        state.clientArea = {0, 0, 1000, 600};
        state.backgroundActive = false;
    }
    ScreenCell& Cell(int row, int col) {
        return CellLooksForTests::Cell(terminal, terminal.PositionOf(row, col));
    }
    void Put(int row, int col, char ch, int foreground = kColorGreen) {
        terminal.SetCellCharacter(terminal.PositionOf(row, col), static_cast<std::uint8_t>(ch));
        Cell(row, col).foreground = foreground;
    }
    void Paint(const PaintRegion& damaged) {
        canvas.lines.clear();
        PaintScreen(terminal, state, damaged, canvas);
    }
    void PaintAll() { Paint(PaintRegion(state.clientArea)); }
    /// What a damaged keyboard lock repaints: its "X-System" area alone.
    void PaintInhibitArea() {
        PaintScreen(terminal, state,
                    PaintRegion(ToWindow(InhibitAreaRect(terminal), state.horizontalOffset)), canvas);
    }
    bool Has(const std::string& line) {
        const bool found = canvas.Has(line);
        if (!found) ADD_FAILURE() << "missing: " << line << "\n" << canvas.Dump();
        return found;
    }

    Terminal terminal;
    PaintState state;
    RecordingCanvas canvas;
};

TEST_F(PainterTest, ANoticeOfTheEndedSessionStandsOnTheBlankScreen) {
    // "Disconnected by the host", 24 characters, centred on row 11 (0-based)
    // from column 28; the hint two rows below. Only while not connected.
    terminal.state.connectionNotice = "Disconnected by the host";
    PaintAll();
    Has("char 336,220 'D' #FFFFFF");
    Has("char 612,220 't' #FFFFFF");
    const std::string hint(kReconnectHint);
    const int hintColumn = (80 - static_cast<int>(hint.size())) / 2;
    Has("char " + std::to_string(hintColumn * 12) + ",260 'P' #FFFFFF");
    const auto letters = [](std::string_view text) {
        return static_cast<std::size_t>(std::count_if(text.begin(), text.end(),
                                                      [](char c) { return c != ' '; }));
    };
    EXPECT_EQ(canvas.With("char ").size(),
              letters(terminal.state.connectionNotice) + letters(hint))
        << "blanks are not drawn";

    terminal.state.connected = 1;
    PaintAll();
    EXPECT_TRUE(canvas.With("char ").empty());
}

TEST_F(PainterTest, TheLastScreenOfAnEndedSessionStaysDimmedWithTheNoticeBelowIt) {
    Put(5, 10, 'Q');
    Cell(6, 0).reverse = 1;
    terminal.state.connectionNotice = "Disconnected by the host";
    PaintAll();
    // Half way to the black background; the middle of the screen is not
    // written over.
    Has("char 120,100 'Q' #0A7F0A");
    Has("fill 0,120-12,140 #0A7F0A");
    EXPECT_TRUE(canvas.With(",220 ").empty());
    // The notice from the left of the system request line, the hint at its end.
    Has("char 0,480 'D' #FFFFFF");
    const int hintColumn = 80 - static_cast<int>(kReconnectHintShort.size());
    Has("char " + std::to_string(hintColumn * 12) + ",480 'E' #FFFA50");

    // Connected again: full colours, nothing on the line.
    terminal.state.connected = 1;
    PaintAll();
    Has("char 120,100 'Q' #14FF14");
    EXPECT_TRUE(canvas.With(",480 ").empty());
    // Paper is never dimmed.
    terminal.state.connected = 0;
    UsePaperRules(state);
    PaintAll();
    Has("char 120,100 'Q' #000000");
}

TEST_F(PainterTest, TheIdleHintStandsOnlyOnABlankScreenWithoutAConnection) {
    state.idleHint = "Not connected\nPress Ctrl+X";
    PaintAll();
    Has("char " + std::to_string((80 - 13) / 2 * 12) + ",220 'N' #FFFFFF");
    Has("char " + std::to_string((80 - 12) / 2 * 12) + ",260 'P' #FFFFFF");
    // Over a screen (a replayed recording) it is not drawn, nor while connected.
    Put(0, 0, 'A');
    PaintAll();
    EXPECT_TRUE(canvas.With(",220 ").empty());
    Put(0, 0, ' ');
    terminal.state.connected = 1;
    PaintAll();
    EXPECT_TRUE(canvas.With(",220 ").empty());
}

TEST_F(PainterTest, TheReasonOfARefusedKeyStandsOnTheIndicatorRow) {
    terminal.state.refusedReason = "Numeric field: digits only";
    PaintAll();
    Has("text 360,502 \"Numeric field: digits only\" #FFFA50");
    // Cut short of the row/column indicator on a narrow screen.
    terminal.state.refusedReason = std::string(60, 'R');
    PaintAll();
    Has("text 360,502 \"" + std::string(42, 'R') + "\" #FFFA50");
    terminal.state.refusedReason.clear();
    PaintAll();
    EXPECT_TRUE(canvas.With("text 360,").empty());
}

TEST_F(PainterTest, ReverseCellFillsWithForegroundAndWritesInBackground) {
    Put(1, 2, 'A', kColorRed);
    Cell(1, 2).reverse = 1;
    Cell(1, 3).reverse = 1;  // a reverse space: filled, no character
    Cell(1, 3).foreground = kColorRed;
    PaintAll();
    Has("fill 24,20-36,40 #F01414");
    Has("fill 36,20-48,40 #F01414");
    Has("char 24,20 'A' #000000");
    EXPECT_EQ(canvas.With("char ").size(), 1u) << canvas.Dump();
}

TEST_F(PainterTest, UnderlineOfReverseCellIsInBackgroundColourAfterTheText) {
    Put(1, 2, 'A', kColorTurquoise);
    Cell(1, 2).reverse = 1;
    Cell(1, 2).underline = 1;
    Put(2, 0, 'B', kColorTurquoise);
    Cell(2, 0).underline = 1;
    PaintAll();
    const int text = canvas.IndexOf("char 24,20 'A' #000000");
    const int underline = canvas.IndexOf("line 24,39-36,39 #000000");
    EXPECT_GE(text, 0);
    EXPECT_GT(underline, text) << canvas.Dump();
    Has("line 0,59-12,59 #8CDCFA");
}

TEST_F(PainterTest, SelectionCoversReverseFillsAndTextTurnsBackground) {
    Put(0, 1, 'S', kColorYellow);
    Cell(0, 1).reverse = 1;
    Cell(0, 1).selected = 1;
    Put(0, 2, 'T', kColorYellow);
    Cell(0, 2).selected = 1;
    terminal.selection = {1, 0, 3, 1};
    PaintAll();
    const int reverse = canvas.IndexOf("fill 12,0-24,20 #FFFA50");
    const int selection = canvas.IndexOf(std::string("fill 12,0-36,20 ") + kGreen);
    EXPECT_GE(reverse, 0);
    EXPECT_GT(selection, reverse) << canvas.Dump();
    Has("char 12,0 'S' #000000");
    Has("char 24,0 'T' #000000");
}

TEST_F(PainterTest, CellsOutsideTheDamagedRegionAreNotDrawn) {
    Put(0, 0, 'a');
    Put(5, 10, 'b');
    Put(5, 11, 'c');
    Cell(20, 0).underline = 1;
    state.horizontalOffset = 20;
    Paint(PaintRegion(ToWindow(CellsRect(terminal, {10, 5, 11, 6}), 20)));
    const auto chars = canvas.With("char ");
    ASSERT_EQ(chars.size(), 1u) << canvas.Dump();
    EXPECT_EQ(chars[0], std::string("char 140,100 'b' ") + kGreen);
    // The restriction covers the damage and the row/column indicator; fills
    // and lines that fall wholly outside it are not even issued.
    Has("clip 140,100-152,120 896,502-980,522");
    EXPECT_TRUE(canvas.With("line 20,419").empty());
    Cell(5, 10).underline = Cell(5, 10).reverse = 1;
    Cell(5, 11).reverse = 1;
    Paint(PaintRegion(ToWindow(CellsRect(terminal, {10, 5, 11, 6}), 20)));
    EXPECT_EQ(canvas.With("fill 1"), std::vector<std::string>{"fill 140,100-152,120 #14FF14"});
    Has("line 140,119-152,119 #000000");
    EXPECT_EQ(canvas.lines.back(), "clip none");
}

TEST_F(PainterTest, BlinkingCellsHideInTheOffPhaseOnly) {
    Put(3, 3, 'z');
    Cell(3, 3).blink = 1;
    state.blinkPhaseOn = false;
    PaintAll();
    EXPECT_TRUE(canvas.With("char ").empty());
    state.blinkPhaseOn = true;
    PaintAll();
    EXPECT_EQ(canvas.With("char ").size(), 1u);
}

TEST_F(PainterTest, CursorFormsInvertTheirRectangles) {
    terminal.SetCursorCell(10, 40);  // x 480, y 200
    const struct {
        int form;
        const char* rect;
    } rows[] = {
        {0, "invert 480,200-492,219"},  // solid, bottom row untouched
        {1, "invert 480,217-492,220"},  // underscore, bottom three rows
        {2, "invert 480,200-482,219"},  // vertical bar
        {7, "invert 480,200-492,219"},  // out of range: solid
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(row.form);
        terminal.state.CursorForm = row.form;
        PaintAll();
        EXPECT_EQ(canvas.With("invert"), std::vector<std::string>{row.rect});
    }
}

TEST_F(PainterTest, BlinkingCursorHidesOnlyWhenEverythingSaysSo) {
    const struct {
        int blinkOption, hostBlink;
        bool phaseOn;
        int inhibited;
        bool drawn;
    } rows[] = {
        {1, 1, false, 0, false}, {1, 1, true, 0, true},  {0, 1, false, 0, true},
        {1, 0, false, 0, true},  {1, 1, false, 1, true},
    };
    for (const auto& row : rows) {
        SCOPED_TRACE(::testing::Message()
                     << row.blinkOption << row.hostBlink << row.phaseOn << row.inhibited);
        terminal.state.BlinkCursor = row.blinkOption;
        terminal.state.hostBlink = row.hostBlink;
        terminal.state.inputInhibited = row.inhibited;
        state.blinkPhaseOn = row.phaseOn;
        PaintAll();
        EXPECT_EQ(canvas.With("invert").size(), row.drawn ? 1u : 0u);
    }
}

TEST_F(PainterTest, IndicatorMarksAndSeparators) {
    PaintAll();
    EXPECT_TRUE(canvas.With("polyline").empty());
    Has(std::string("line 0,500-960,500 ") + kGreen);
    Has(std::string("line 0,501-960,501 ") + kGreen);  // weight 450: double

    terminal.state.messageWaiting = 1;
    terminal.state.insertMode = 1;
    state.capsLock = true;
    state.fontWeight = 400;
    PaintAll();
    Has(std::string("polyline 24,504 48,504 48,518 24,518 24,504 36,513 48,504 ") + kGreen);
    Has(std::string("polyline 114,504 120,513 116,513 116,518 112,518 112,513 108,513 114,504 ") +
        kGreen);
    // The insert caret: two cells wide, as tall as the row's text, two pixels thick.
    Has(std::string("polyline 156,518 168,504 180,518 ") + kGreen);
    Has(std::string("polyline 157,518 169,504 181,518 ") + kGreen);
    EXPECT_FALSE(canvas.Has(std::string("line 0,501-960,501 ") + kGreen));
}

TEST_F(PainterTest, NoMarkOfTheIndicatorRowMeetsTheTextsBesideIt) {
    for (const auto& [columns, rows] : {std::pair{80, 24}, std::pair{132, 27}}) {
        terminal.screen.SetGeometry(columns, rows);
        const PixelRect marks[] = {MessageMarkRect(terminal), ShiftMarkRect(terminal),
                                   InsertMarkRect(terminal)};
        const PixelRect texts[] = {InhibitAreaRect(terminal), RefusedReasonRect(terminal),
                                   RowColumnRect(terminal)};
        for (std::size_t i = 0; i < std::size(marks); ++i) {
            for (const PixelRect& text : texts) EXPECT_FALSE(Intersects(marks[i], text)) << i;
            for (std::size_t j = i + 1; j < std::size(marks); ++j) {
                EXPECT_FALSE(Intersects(marks[i], marks[j])) << i << " " << j;
            }
        }
    }
}

TEST_F(PainterTest, InhibitedInputShowsXSystemAndItsAreaRepaintsAlone) {
    PaintAll();
    EXPECT_TRUE(canvas.With("text 240").empty());
    terminal.state.inputInhibited = 1;
    PaintAll();
    Has("text 240,502 \"X-System\" #7878FF");

    state.horizontalOffset = 20;
    canvas.lines.clear();
    PaintInhibitArea();
    // The area, and the row/column indicator every pass repaints; no cell.
    EXPECT_EQ(canvas.lines.front(), "clip 260,502-356,522 896,502-980,522");
    Has("text 260,502 \"X-System\" #7878FF");
    EXPECT_EQ(canvas.With("text").size(), 2u) << canvas.Dump();
    terminal.state.inputInhibited = 0;
    canvas.lines.clear();
    PaintInhibitArea();
    EXPECT_TRUE(canvas.With("text 260").empty());
    EXPECT_TRUE(canvas.Has("fill 0,0-1000,600 #000000"));  // erased
}

TEST_F(PainterTest, SystemRequestLineWithItsTextBoundedToTheLine) {
    terminal.state.sysReqMode = 1;
    const std::string typed = "90" + std::string(100, 'x');
    state.sysReqText = typed;
    terminal.SetCursorCell(24, 0);
    PaintAll();
    Has("line 0,498-960,498 #FFFFFF");
    Has("line 0,499-960,499 #FFFFFF");
    Has("char 0,480 '9' #FFFFFF");
    Has("char 12,480 '0' #FFFFFF");
    EXPECT_EQ(canvas.With("char ").size(), 80u) << "a long request leaves no room for the prompt";
    Has(std::string("text 876,502 \"25/001\" ") + kGreen);

    // A short request: the prompt stands at the line's right end.
    state.sysReqText = "90";
    PaintAll();
    const int promptColumn = 80 - static_cast<int>(kSysReqPrompt.size());
    Has("char " + std::to_string(promptColumn * 12) + ",480 'S' #8CDCFA");
    Has("char 948,480 's' #8CDCFA");
}

TEST_F(PainterTest, RowColumnIndicatorAtBothCorners) {
    PaintAll();
    Has(std::string("text 876,502 \"01/001\" ") + kGreen);

    terminal.screen.SetGeometry(132, 27);
    terminal.SetCursorCell(26, 131);
    PaintAll();
    Has(std::string("text 1500,562 \"27/132\" ") + kGreen);
}

TEST_F(PainterTest, CrosshairFollowsTheCursorAndErasesItsOldLines) {
    terminal.state.CheckRepere = 1;
    terminal.SetCursorCell(10, 40);
    PaintAll();
    Has("line 480,0-480,480 #969696");
    Has("line 0,219-960,219 #969696");
    EXPECT_EQ(state.lastCrosshairX, 480);
    EXPECT_EQ(state.lastCrosshairY, 200);

    // Moving the cursor repaints only its two cells, yet the region covers
    // the old and the new lines.
    const PixelRect oldCell = CursorCellRect(terminal);
    terminal.SetCursorCell(11, 41);
    PaintRegion damaged(oldCell);
    damaged.Add(CursorCellRect(terminal));
    const PaintRegion region = EffectivePaintRegion(terminal, state, damaged);
    EXPECT_TRUE(region.Intersects({480, 0, 481, 480}));  // old vertical
    EXPECT_TRUE(region.Intersects({0, 219, 960, 220}));  // old horizontal
    EXPECT_TRUE(region.Intersects({492, 0, 493, 480}));  // new vertical
    EXPECT_TRUE(region.Intersects({0, 239, 960, 240}));  // new horizontal
    Paint(damaged);
    Has("line 492,0-492,480 #969696");
    EXPECT_EQ(state.lastCrosshairX, 492);
}

TEST_F(PainterTest, PaperIsBlackAndWhiteWithTheScreensContentOnly) {
    Put(0, 0, 'R', kColorRed);
    Cell(0, 0).reverse = 1;
    Put(0, 1, 'N', kColorPink);
    Put(0, 2, 'K', kColorBlue);
    Cell(0, 2).blink = 1;
    terminal.state.BlinkCursor = 1;
    terminal.state.hostBlink = 1;
    terminal.state.inputInhibited = 1;
    terminal.state.CheckRepere = 1;
    state.blinkPhaseOn = false;
    state.horizontalOffset = 37;
    UsePaperRules(state);
    Paint(PaintRegion());  // the damage plays no part on paper
    Has("fill 0,0-12,20 #000000");
    Has("char 0,0 'R' #FFFFFF");
    Has("char 12,0 'N' #000000");
    Has("char 24,0 'K' #000000");
    EXPECT_TRUE(canvas.With("invert").empty()) << "the cursor is not printed";
    Has("text 240,502 \"X-System\" #000000");
    Has("line 0,500-960,500 #000000");
    Has("line 0,0-0,480 #000000");
    EXPECT_TRUE(canvas.With("clip").empty());
    EXPECT_FALSE(canvas.Has("fill 0,0-1000,600 #000000"));  // no background
    EXPECT_EQ(state.lastCrosshairX, -1);                    // the window's crosshair memory stays
}

TEST_F(PainterTest, BackgroundModes) {
    const BackgroundPicture picture{nullptr, 2540, 1270};  // 96 x 48 px at 96 dpi
    state.picture = &picture;
    state.backgroundActive = true;
    state.clientArea = {0, 0, 200, 100};
    auto pictures = [&] {
        PaintAll();
        return canvas.With("picture");
    };
    state.backgroundMode = kBackgroundTiled;
    EXPECT_EQ(pictures().size(), 9u);                // columns 0, 96, 192 x rows 0, 48, 96
    EXPECT_EQ(pictures()[1], "picture 0,48-96,96");  // columns are the outer loop
    state.backgroundMode = kBackgroundCentered;
    EXPECT_EQ(pictures(), std::vector<std::string>{"picture 52,26-148,74"});
    state.clientArea = {0, 0, 50, 30};  // smaller than the picture: top-left
    EXPECT_EQ(pictures(), std::vector<std::string>{"picture 0,0-96,48"});
    state.backgroundMode = kBackgroundStretched;
    EXPECT_EQ(pictures(), std::vector<std::string>{"picture 0,0-50,30"});
    state.backgroundMode = 9;  // unknown: the solid colour
    EXPECT_TRUE(pictures().empty());
    EXPECT_TRUE(canvas.Has("fill 0,0-50,30 #000000"));

    const BackgroundPicture dot{nullptr, 10, 10};  // rounds to 0 px
    state.picture = &dot;
    state.backgroundMode = kBackgroundTiled;
    EXPECT_TRUE(pictures().empty());
    EXPECT_TRUE(canvas.Has("fill 0,0-50,30 #000000"));
    state.backgroundActive = false;
    state.picture = &picture;
    EXPECT_TRUE(pictures().empty());
}

TEST_F(PainterTest, TiledPictureDrawsOnlyTheTilesInsideTheRestriction) {
    const BackgroundPicture dot{nullptr, 26, 26};  // 1 x 1 px at 96 dpi
    state.picture = &dot;
    state.backgroundActive = true;
    state.backgroundMode = kBackgroundTiled;
    terminal.SetCursorCell(5, 10);
    auto insideOneOf = [](const std::string& line, std::span<const PixelRect> rects) {
        int l, t, r, b;
        if (std::sscanf(line.c_str(), "picture %d,%d-%d,%d", &l, &t, &r, &b) != 4) return false;
        for (const PixelRect& c : rects) {
            if (Intersects(c, {l, t, r, b})) return true;
        }
        return false;
    };

    // A keystroke: the cursor cell, plus the row/column indicator every pass adds.
    const PaintRegion damaged(CursorCellRect(terminal));
    const PaintRegion region = EffectivePaintRegion(terminal, state, damaged);
    Paint(damaged);
    const auto tiles = canvas.With("picture");
    EXPECT_EQ(tiles.size(), 12u * 20u + 84u * 20u);  // not 1000 x 600
    for (const std::string& tile : tiles) ASSERT_TRUE(insideOneOf(tile, region.rects())) << tile;

    // Overlapping damage: each tile once; a coarser grid keeps its anchor at
    // the window's corner, so a clip inside a tile still draws that whole tile.
    PaintRegion overlapping(PixelRect{100, 100, 130, 130});
    overlapping.Add({120, 120, 150, 150});
    Paint(overlapping);
    EXPECT_EQ(canvas.With("picture").size(), 30u * 30u * 2u - 10u * 10u + 84u * 20u);
    const BackgroundPicture tile{nullptr, 2540, 1270};  // 96 x 48 px
    state.picture = &tile;
    Paint(PaintRegion(PixelRect{100, 50, 110, 60}));
    EXPECT_TRUE(canvas.Has("picture 96,48-192,96")) << canvas.Dump();

    // A damaged keyboard lock: the tiles of the "X-System" area and of the
    // row/column indicator only.
    state.picture = &dot;
    canvas.lines.clear();
    PaintInhibitArea();
    EXPECT_EQ(canvas.With("picture").size(), 96u * 20u + 84u * 20u);
}

TEST_F(PainterTest, PictureSizedAtTheSurfaceResolutionKeepsItsPixelSize) {
    state.backgroundActive = true;
    state.backgroundMode = kBackgroundCentered;
    state.clientArea = {0, 0, 4000, 4000};
    for (int dpi : {72, 96, 120, 144, 192, 300}) {
        for (int width : {1, 7, 333, 1921}) {
            SCOPED_TRACE(::testing::Message() << dpi << " dpi, " << width << " px");
            const BackgroundPicture picture = PictureOfPixels(nullptr, width, width + 1, dpi, dpi);
            state.picture = &picture;
            canvas.dpiX = canvas.dpiY = dpi;
            PaintAll();
            const auto drawn = canvas.With("picture");
            ASSERT_EQ(drawn.size(), 1u);
            int l, t, r, b;
            ASSERT_EQ(std::sscanf(drawn[0].c_str(), "picture %d,%d-%d,%d", &l, &t, &r, &b), 4);
            EXPECT_EQ(r - l, width);
            EXPECT_EQ(b - t, width + 1);
        }
    }
    EXPECT_EQ(PictureOfPixels(nullptr, 0, 5, 96, 0).widthHimetric, 0);
    EXPECT_EQ(PictureOfPixels(nullptr, 0, 5, 96, 0).heightHimetric, 0);
}

TEST_F(PainterTest, BlinkStepFlipsWithFocusAndFreezesOnWithout) {
    state.horizontalOffset = 20;
    Put(2, 5, 'x');
    Put(2, 6, 'y');
    Cell(2, 5).blink = Cell(2, 6).blink = 1;
    Cell(3, 0).blink = 1;  // a blinking space is never repainted
    terminal.state.BlinkCursor = 1;
    terminal.state.hostBlink = 1;

    BlinkRepaint r = BlinkStep(terminal, state, true);
    EXPECT_FALSE(state.blinkPhaseOn);
    ASSERT_EQ(r.cells.size(), 1);
    EXPECT_EQ(r.cells.rects()[0], (PixelRect{80, 40, 104, 60}));
    EXPECT_TRUE(r.cursor);

    r = BlinkStep(terminal, state, false);  // focus lost while hidden: shown
    EXPECT_TRUE(state.blinkPhaseOn);
    EXPECT_FALSE(r.empty());
    r = BlinkStep(terminal, state, false);  // and then left alone
    EXPECT_TRUE(state.blinkPhaseOn);
    EXPECT_TRUE(r.empty());

    terminal.state.hostBlink = 0;
    EXPECT_FALSE(BlinkStep(terminal, state, true).cursor);
}

TEST_F(PainterTest, RepaintRectanglesOfTheView) {
    terminal.SetCursorCell(10, 40);
    EXPECT_EQ(CursorCellRect(terminal), (PixelRect{480, 200, 492, 220}));
    EXPECT_EQ(MessageMarkRect(terminal), (PixelRect{24, 500, 49, 521}));
    EXPECT_EQ(ShiftMarkRect(terminal), (PixelRect{108, 503, 122, 520}));
    EXPECT_EQ(InsertMarkRect(terminal), (PixelRect{156, 500, 182, 520}));
    EXPECT_EQ(SysReqLineRect(terminal), (PixelRect{0, 480, 960, 503}));
    EXPECT_EQ(RowColumnRect(terminal), (PixelRect{876, 502, 960, 522}));
    EXPECT_EQ(InhibitAreaRect(terminal), (PixelRect{240, 502, 336, 522}));
    EXPECT_EQ(ToWindow(CellsRect(terminal, {1, 2, 3, 4}), 20), (PixelRect{32, 40, 56, 80}));
}

TEST(PaintRegionTest, StaysBoundedAndNeverLosesDamage) {
    PaintRegion region;
    region.Add({5, 5, 5, 9});  // empty
    EXPECT_TRUE(region.empty());
    for (int i = 0; i < 100; ++i) region.Add({i * 10, i, i * 10 + 3, i + 2});
    EXPECT_LE(region.size(), PaintRegion::kMaxRects);
    for (int i = 0; i < 100; ++i) EXPECT_TRUE(region.Intersects({i * 10, i, i * 10 + 1, i + 1}));
    EXPECT_FALSE(region.Intersects({2000, 0, 2001, 1}));
}

}  // namespace
}  // namespace quenlix

namespace quenlix {
namespace {

TEST_F(PainterTest, AHostWindowIsFramedInBlueAndItsBorderCharactersGiveWay) {
    // A window with its top border on row 2 from column 3: two rows and four
    // columns inside, the border to row 5 and column 8 (all from 1); the
    // title "T" on the top border at column 5.
    HostWindow w;
    w.row = 2;
    w.column = 3;
    w.depth = 2;
    w.width = 4;
    w.title = "T";
    w.titleColumn = 5;
    ASSERT_TRUE(terminal.constructs.AddWindow(w));
    for (int c = 3; c <= 8; ++c) {
        Put(1, c - 1, c == 5 ? 'T' : '.');
        Put(4, c - 1, '.');
    }
    Put(2, 2, ':');
    Put(2, 7, ':');
    Put(2, 4, 'X');  // inside: drawn as any cell
    PaintAll();
    EXPECT_TRUE(canvas.With("char 24,20 ").empty()) << "the corner's '.' gives way";
    EXPECT_TRUE(canvas.With("char 24,40 ").empty()) << "the side's ':' gives way";
    Has("char 48,20 'T' #14FF14");
    Has("char 48,40 'X' #14FF14");
    const char* blue = "#7878FF";
    Has(std::string("line 30,30-30,90 ") + blue);   // left side
    Has(std::string("line 90,30-90,90 ") + blue);   // right side
    Has(std::string("line 30,30-48,30 ") + blue);   // top, up to the title
    Has(std::string("line 60,30-90,30 ") + blue);   // top, after it
    Has(std::string("line 30,90-90,90 ") + blue);   // bottom, no footer

    terminal.constructs.Clear();
    PaintAll();
    Has("char 24,20 '.' #14FF14");
    EXPECT_TRUE(canvas.With("line 30,30-30,90").empty());
}

TEST_F(PainterTest, SelectionFieldsAreDrawnAsChoicesAndScrollBarsWithTheirSlider) {
    // A single choice field from row 3, column 10 (from 1): "Red" chosen,
    // "Blue" unavailable, the number in four cells before each text.
    SelectionField f;
    f.kind = SelectionKind::kSingleChoice;
    f.row = 3;
    f.column = 10;
    f.indicatorWidth = 4;
    f.textWidth = 4;
    SelectionChoice red;
    red.text = "Red";
    red.number = 1;
    red.state = ChoiceState::kSelected;
    red.row = 3;
    red.column = 10;
    red.width = 8;
    SelectionChoice blue = red;
    blue.text = "Blue";
    blue.number = 2;
    blue.state = ChoiceState::kUnavailable;
    blue.row = 4;
    f.choices = {red, blue};
    ASSERT_TRUE(terminal.constructs.AddSelectionField(f));
    Put(2, 13, 'R');
    SelectionField buttons;
    buttons.kind = SelectionKind::kPushButtons;
    buttons.textWidth = 2;
    SelectionChoice ok;
    ok.text = "OK";
    ok.row = 6;
    ok.column = 10;
    ok.width = 4;
    buttons.row = 6;
    buttons.column = 10;
    buttons.choices = {ok};
    ASSERT_TRUE(terminal.constructs.AddSelectionField(buttons));
    HostScrollBar bar;
    bar.row = 10;
    bar.column = 70;
    bar.size = 4;
    bar.total = 10;
    bar.slider = 9;  // the last row: the slider at the bottom of the shaft
    ASSERT_TRUE(terminal.constructs.AddScrollBar(bar));
    PaintAll();
    const char* white = "#FFFFFF";
    const char* blueInk = "#7878FF";
    // The number's cells cleared, a filled diamond for the chosen choice.
    Has("fill 108,40-156,60 #000000");
    Has(std::string("polyline 126,42 134,50 126,58 118,50 126,42 ") + white);
    Has(std::string("fill 122,47-130,54 ") + white);
    // Its text on the highlight, in the background colour.
    Has("fill 156,40-168,60 #8CDCFA");
    Has("char 156,40 'R' #000000");
    // The unavailable choice: an empty diamond in blue, no highlight.
    Has(std::string("polyline 126,62 134,70 126,78 118,70 126,62 ") + blueInk);
    EXPECT_TRUE(canvas.With("fill 156,60-168,80").empty());
    // The button: a box from the middle of its first cell to its last's.
    Has(std::string("line 114,101-150,101 ") + white);
    Has(std::string("line 150,101-150,118 ") + blueInk);
    // The scroll bar: arrows at both ends, the slider on the third cell.
    Has(std::string("fill 830,221-838,239 ") + white);
    Has(std::string("polyline 830,195 834,185 838,195 830,195 ") + white);
    Has(std::string("polyline 830,245 834,255 838,245 830,245 ") + white);
}

}  // namespace
}  // namespace quenlix
