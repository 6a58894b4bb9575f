// Fitting cells and font to the window, with a font system double.
#include <gtest/gtest.h>

#include "MeasuringDouble.h"
#include "display/ScreenGeometry.h"

namespace quenlix {
namespace {

using testing::MeasuringDouble;

class GeometryTest : public ::testing::Test {
protected:
    GeometryTest() {
        terminal.screen.AllocateCells(132, 27);
        terminal.screen.SetGeometry(80, 24);
    }
    ScreenFit Fit(int width, int height) {
        return FitScreenToWindow(terminal, {0, 0, width, height}, prefs, fonts);
    }
    Terminal terminal;
    FontPreferences prefs;
    MeasuringDouble fonts;
};

TEST_F(GeometryTest, ThousandBySixHundredAsksForTwelveByTwentyThreeAndCentres) {
    fonts.widthExcess = 1;  // the fonts come out one pixel too wide and too high
    fonts.heightExcess = 1;
    const ScreenFit fit = Fit(1000, 600);

    ASSERT_EQ(fonts.requests.size(), 3u);
    const FontRequest& first = fonts.requests[0];
    EXPECT_EQ(first.width, 12);
    EXPECT_EQ(first.height, 23);
    EXPECT_EQ(first.face, "Courier New");
    EXPECT_EQ(first.weight, 450);
    EXPECT_FALSE(first.fixedPitch);
    EXPECT_FALSE(first.proofQuality);
    const FontRequest& narrowed = fonts.requests[1];
    EXPECT_EQ(narrowed.width, 11);
    EXPECT_TRUE(narrowed.fixedPitch);
    EXPECT_TRUE(narrowed.proofQuality);
    EXPECT_EQ(fonts.requests[2].width, 11);  // then lowered at the narrowed width
    EXPECT_EQ(fonts.requests[2].height, 22);
    EXPECT_EQ(fit.font, fonts.requests[2]);

    EXPECT_EQ(terminal.state.cellWidth, 12);
    EXPECT_EQ(terminal.state.cellHeight, 23);
    EXPECT_EQ(fit.fontsCreated, 3);
    EXPECT_EQ(fit.horizontalOffset, 20);  // (1000 - 80 x 12) / 2

    // An odd spare width leaves the left margin one pixel smaller.
    EXPECT_EQ(Fit(1001, 600).horizontalOffset, 20);
}

TEST_F(GeometryTest, SwitchTo27x132GivesNarrowerAndLowerCells) {
    Fit(1000, 600);
    const int w80 = terminal.state.cellWidth, h24 = terminal.state.cellHeight;
    terminal.screen.SetGeometry(132, 27);
    const ScreenFit fit = Fit(1000, 600);
    EXPECT_EQ(terminal.state.cellWidth, 7);    // 1000 / 132
    EXPECT_EQ(terminal.state.cellHeight, 20);  // 600 / 29
    EXPECT_LT(terminal.state.cellWidth, w80);
    EXPECT_LT(terminal.state.cellHeight, h24);
    EXPECT_EQ(fit.horizontalOffset, (1000 - 132 * 7) / 2);
}

TEST_F(GeometryTest, CursorKeepsItsCellThroughResizes) {
    Fit(1000, 600);
    terminal.SetCursorCell(10, 40);
    for (auto [w, h] : {std::pair{1600, 900}, {640, 480}, {333, 217}, {1000, 600}}) {
        SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
        Fit(w, h);
        EXPECT_EQ(terminal.CursorRow(), 10);
        EXPECT_EQ(terminal.CursorColumn(), 40);
    }
    // The first cell of the system request line survives a fit too.
    terminal.SetCursorCell(24, 0);
    Fit(1600, 900);
    EXPECT_EQ(terminal.CursorRow(), 24);
}

TEST_F(GeometryTest, CursorBeyondASmallerScreenStaysOnItsSystemRequestLine) {
    terminal.screen.SetGeometry(132, 27);
    Fit(1000, 600);
    terminal.SetCursorCell(26, 131);
    terminal.screen.SetGeometry(80, 24);
    Fit(1000, 600);
    EXPECT_EQ(terminal.CursorRow(), 24);
    EXPECT_EQ(terminal.CursorColumn(), 79);
}

TEST_F(GeometryTest, TinyWindowGetsTenPixelCellsAndOverflows) {
    const ScreenFit fit = Fit(50, 20);  // under 80 px wide and 26 px high
    EXPECT_EQ(fonts.requests.front().width, 10);
    EXPECT_EQ(fonts.requests.front().height, 10);
    EXPECT_EQ(terminal.state.cellWidth, 10);
    EXPECT_EQ(fit.horizontalOffset, (50 - 800) / 2);
    EXPECT_LT(fit.horizontalOffset, 0);
}

TEST_F(GeometryTest, FaceTooWideAtEveryWidthStopsAtOneAndKeepsItsWidth) {
    fonts.minimumWidth = 9;
    terminal.screen.SetGeometry(132, 27);
    const ScreenFit fit = Fit(1000, 600);  // asks for 7
    EXPECT_EQ(fit.font.width, 1);
    EXPECT_EQ(terminal.state.cellWidth, 9);
    EXPECT_EQ(fit.fontsCreated, 7);  // 7, then 6 down to 1
    EXPECT_LE(fit.fontsCreated, 1 + 7 + 20);
}

TEST_F(GeometryTest, FontSystemReportingNoSizeLeavesNoZeroCell) {
    fonts.reportNothing = true;
    Fit(1000, 600);
    EXPECT_GT(terminal.state.cellWidth, 0);
    EXPECT_GT(terminal.state.cellHeight, 0);
}

}  // namespace
}  // namespace quenlix
