// What host blocks record as changed: every visible change is in the damage
// record (or the window would never paint it), and a small change stays small
// (or every block would repaint the window).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "InterpreterFixture.h"
#include "support/DamageCheck.h"
#include "support/SampleScreens.h"
#include "support/WireRecords.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class DamageTest : public InterpreterTest {
protected:
    /// Runs a block and checks that its damage covers what it changed.
    ScreenDamage RunCovered(const Bytes& block) {
        const VisibleScreen before = Visible(terminal);
        terminal.TakeDamage();
        Run(block);
        const ScreenDamage damage = terminal.TakeDamage();
        const std::string missed = MissedDamage(before, terminal, damage);
        EXPECT_TRUE(missed.empty()) << missed << "\n" << Hex(block);
        return damage;
    }
    /// The rows with damage, 0-based.
    std::vector<int> DirtyRows(const ScreenDamage& damage) const {
        std::vector<int> rows;
        for (int r = 0; r < terminal.rows(); ++r) {
            if (!damage.row(r).empty()) rows.push_back(r);
        }
        return rows;
    }
};

TEST_F(DamageTest, EveryKindOfHostBlockRecordsWhatItChanged) {
    RunCovered(samples::SignOnScreen());
    RunCovered(samples::FullScreen(24, 80, 10));
    // Output onto the screen as it stands: text, attributes, a field, RA.
    RunCovered(RecordBuilder().writeToDisplay().sba(3, 5).attribute(0x22).text("TITLE")
                   .sba(8, 70).startOfField(0x40, 0, 0x24, 20).repeatToAddress(9, 20, 'Z')
                   .record());
    RunCovered(RecordBuilder().roll(0x83, 2, 10).record());  // up three lines
    RunCovered(RecordBuilder().roll(0x82, 2, 10).record());  // down two
    RunCovered(RecordBuilder().writeErrorCode().text("ERROR ON THE LAST ROW").record());
    // The keyboard lock and unlock, the message light.
    RunCovered(RecordBuilder().writeToDisplay(0x00, 0x08).record());
    RunCovered(RecordBuilder(kOpMessageLightOn).record());
    RunCovered(RecordBuilder(kOpCancelInvite).record());
    // A saved screen brought back over a pop-up.
    sender.sent.clear();
    Run(FrameRecord(kOpSaveScreen, {0x04, 0x02}));
    ASSERT_EQ(sender.sent.size(), 1u);
    Bytes restore = sender.sent[0];
    restore[9] = kOpRestoreScreen;
    RunCovered(RecordBuilder().clearUnit().writeToDisplay().sba(10, 30).text("POP-UP").record());
    RunCovered(restore);
    RunCovered(RecordBuilder().clearFormatTable().record());
    RunCovered(RecordBuilder().clearUnitAlternate().writeToDisplay().sba(27, 120).text("WIDE")
                   .record());
    RunCovered(RecordBuilder().clearUnit().record());
}

TEST_F(DamageTest, ARunCutShortByAnUnsendableNegativeResponseKeepsItsDamage) {
    // Text that runs off the screen's end: the run writes the last row, then
    // the negative response for the write beyond the screen cannot be sent.
    class FailingSender : public RecordSender {
    public:
        void Send(const std::uint8_t*, std::size_t) override { throw std::runtime_error("lost"); }
    } failing;
    InterpreterLinks failingLinks{terminal, tables, settings, failing, messages};
    CTN5250 interpreter(failingLinks);
    const Bytes block =
        RecordBuilder().writeToDisplay().sba(24, 75).text("OVERFLOWING").record();
    const VisibleScreen before = Visible(terminal);
    terminal.TakeDamage();
    EXPECT_THROW(::quenlix::ProcessWire(interpreter, block), std::runtime_error);
    ASSERT_NE(terminal.screen.at(23 * 80 + 74).ebcdic, before.cells[23 * 80 + 74].ebcdic);
    const std::string missed = MissedDamage(before, terminal, terminal.TakeDamage());
    EXPECT_TRUE(missed.empty()) << missed;
}

TEST_F(DamageTest, TheRecordedSignOnRecordsWhatItChanged) {
    const auto path = std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." / "shared" / "refdata" /
                      "signon-recording" / "testsys-login-h2c-04-rec.bin";
    std::ifstream in(path, std::ios::binary);
    if (!in) GTEST_SKIP() << "no recorded host data at " << path << " (../shared is absent)";
    const Bytes block{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
    const ScreenDamage damage = RunCovered(block);
    EXPECT_EQ(DirtyRows(damage).size(), 24u) << "Clear Unit: the whole screen";
}

TEST_F(DamageTest, SmallChangesStaySmall) {
    RecordBuilder screen;
    screen.clearUnit().writeToDisplay();
    for (int row = 1; row <= 24; ++row) screen.sba(row, 1).text("ROW " + std::to_string(row));
    Run(screen.record());
    terminal.TakeDamage();

    // Text on one row: that row, its changed columns.
    ScreenDamage d = RunCovered(RecordBuilder().writeToDisplay().sba(12, 30).text("NEW TEXT")
                                    .record());
    EXPECT_FALSE(d.all());
    EXPECT_EQ(DirtyRows(d), std::vector<int>{11});
    EXPECT_EQ(d.row(11), (ScreenDamage::Columns{29, 37}));

    // Writing what is already there changes nothing on the glass; a part
    // that differs is all that is marked.
    d = RunCovered(RecordBuilder().writeToDisplay().sba(12, 30).text("NEW TEXT").record());
    EXPECT_TRUE(d.empty());
    d = RunCovered(RecordBuilder().writeToDisplay().sba(12, 30).text("NEW NEXT").record());
    EXPECT_EQ(d.row(11), (ScreenDamage::Columns{33, 34}));

    // A Roll: the rows whose contents moved, and nothing else.
    const VisibleScreen before = Visible(terminal);
    d = RunCovered(RecordBuilder().roll(0x81, 5, 7).record());
    std::vector<int> changedRows;
    for (int r = 0; r < terminal.rows(); ++r) {
        for (int c = 0; c < terminal.columns(); ++c) {
            const int p = r * terminal.columns() + c;
            if (LooksDifferent(before.cells[static_cast<std::size_t>(p)], terminal.screen.at(p))) {
                changedRows.push_back(r);
                break;
            }
        }
    }
    ASSERT_FALSE(changedRows.empty());
    EXPECT_EQ(DirtyRows(d), changedRows);

    // The message light alone: its indicator, no cell.
    d = RunCovered(RecordBuilder(kOpMessageLightOn).record());
    EXPECT_TRUE(d.indicator(Indicator::kMessage));
    EXPECT_FALSE(d.anyCells());
}

TEST_F(DamageTest, AGeometrySwitchIsRecordedAsSuch) {
    ScreenDamage d = RunCovered(RecordBuilder().clearUnitAlternate().record());
    EXPECT_TRUE(d.geometry());
    EXPECT_EQ(terminal.columns(), 132);
    d = RunCovered(RecordBuilder().clearUnitAlternate().record());
    EXPECT_FALSE(d.geometry()) << "already 27 x 132";
    EXPECT_EQ(DirtyRows(d).size(), 27u) << "but cleared";
    d = RunCovered(RecordBuilder().clearUnit().record());
    EXPECT_TRUE(d.geometry());
    EXPECT_EQ(terminal.columns(), 80);
}

TEST(ScreenDamage, SpansAreCutToTheScreenAndJoinedPerRow) {
    ScreenDamage d;
    EXPECT_TRUE(d.empty());
    d.Span(78, 83, 80);  // the end of row 1 and the start of row 2
    EXPECT_EQ(d.row(0), (ScreenDamage::Columns{78, 80}));
    EXPECT_EQ(d.row(1), (ScreenDamage::Columns{0, 3}));
    d.Position(85, 80);  // joins row 2's span
    EXPECT_EQ(d.row(1), (ScreenDamage::Columns{0, 6}));
    d.Span(-10, 2, 80);
    EXPECT_EQ(d.row(0), (ScreenDamage::Columns{0, 80}));
    d.Span(26 * 132 + 130, 40 * 132, 132);  // past the last row
    EXPECT_EQ(d.row(26), (ScreenDamage::Columns{130, 132}));
    EXPECT_TRUE(d.row(27).empty() && d.row(-1).empty());
    d.Span(5, 5, 80);
    d.Span(5, 2, 80);
    d.Span(0, 10, 0);
    EXPECT_TRUE(d.row(2).empty()) << "empty and backward spans mark nothing";
    EXPECT_FALSE(d.all());
    d.Clear();
    EXPECT_TRUE(d.empty());
}

}  // namespace
}  // namespace quenlix::testing
