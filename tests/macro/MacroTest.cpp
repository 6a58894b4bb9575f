// Macros without a host: reading a script, recording an operator's actions on
// built screens (the password never written), and playing step by step,
// where nothing is typed into a screen an expect has not seen come.
#include <gtest/gtest.h>

#include "InputFixture.h"
#include "macro/MacroPlayer.h"
#include "macro/MacroRecorder.h"
#include "macro/MacroScript.h"
#include "macro/MacroStore.h"

namespace quenlix::testing {
namespace {

using namespace macro;

TEST(MacroScriptTest, TakesWhatTheDesktopPlaysAndSaysWhatIsWrongByLine) {
    struct Row {
        const char* text;
        std::size_t steps;
        std::vector<std::string> errors;
    };
    const Row rows[] = {
        {"# comment\n\nconnect\nexpect \"Sign On\" at 1 36 within 500\r\ntype $USER\n", 3, {}},
        {"if-screen \"A\"\nif-screen \"B\"\nend\nend\n", 4, {}},
        {"expect Main\nexpect \"M\" at 0 1\nexpect-field x\nprompt 9-x \"Q\"\n", 0,
         {"line 1: malformed expect", "line 2: malformed expect", "line 3: malformed expect-field",
          "line 4: malformed prompt"}},
        {"end\nif-screen \"A\"\n", 1, {"line 1: end without if-screen", "line 2: if-screen without end"}},
        {"replay x.trace\nload a.stn\nfrobnicate\n", 0,
         {"line 1: replay is not played in a macro of the desktop program",
          "line 2: load is not played in a macro of the desktop program",
          "line 3: unknown command frobnicate"}},
        {"screen\nfields\nsleep 10\nwait\n", 4, {}},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.text);
        const MacroScript script = ReadMacroScript(row.text);
        EXPECT_EQ(script.steps.size(), row.steps);
        EXPECT_EQ(script.errors, row.errors);
    }
    // A long line and an endless file are bounded.
    const MacroScript longLine = ReadMacroScript("type " + std::string(kMaxMacroLineLength, 'x'));
    EXPECT_EQ(longLine.errors.size(), 1u);
    const MacroScript huge = ReadMacroScript(std::string(kMaxMacroBytes + 10, '\n'));
    ASSERT_EQ(huge.errors.size(), 1u);
    EXPECT_NE(huge.errors[0].find("larger than"), std::string::npos);
}

TEST(MacroSyntaxTest, QuotedTextsAndPastedTextsReadBackAsWritten) {
    for (const std::string text : {"plain", "with \"quotes\"", "back\\slash\\", "\xC3\xA9t\xC3\xA9"}) {
        const std::optional<ExpectArgs> read = ParseExpect(QuoteText(text) + " at 3 4");
        ASSERT_TRUE(read) << text;
        EXPECT_EQ(read->text, text);
        EXPECT_EQ(read->row, 3);
    }
    const std::string pasted = "a\tb\r\nc\\n";
    EXPECT_EQ(UnescapePasteText(EscapePasteText(pasted)), pasted);
    EXPECT_EQ(ExpectLine({"Main Menu", 1, 30, kDefaultExpectMs}), "expect \"Main Menu\" at 1 30");
    EXPECT_EQ(ExpectLine({"X", 0, 0, 600}), "expect \"X\" within 600");
    EXPECT_TRUE(IsMacroName("Daily sign-on_2.v1"));
    for (const char* bad : {"", ".hidden", "a/b", "x=y", "#c", " lead", "trail "}) {
        EXPECT_FALSE(IsMacroName(bad)) << bad;
    }
    EXPECT_EQ(MacroNameOfPath("/tmp/x/Daily.qtm"), "Daily");
    EXPECT_EQ(MacroNameOfPath("/tmp/x/.qtm"), "");
}

class MacroOnScreens : public InputTest {
protected:
    const PcCharset& charset() const { return PcCharset::ForCodePage(settings.PageCode); }
    MacroRecorder::Screen Now() const {
        return {terminal, charset(), arrivals, terminal.state.inputInhibited != 0};
    }
    /// A sign-on screen: title, user field, password field (non-display).
    void SignOn() {
        RecordBuilder r = Wtd();
        r.sba(1, 30).text("Sign On").sba(1, 60).text("System: DEMO");
        r.sba(6, 37).text("User . . . . .").sba(6, 52).startOfField(0x40, 0x00, 0x20, 10);
        r.sba(7, 37).text("Password . . .").sba(7, 52).startOfField(0x40, 0x00, 0x27, 10);
        Screen(r);
        ++arrivals;
    }
    void Menu() {
        RecordBuilder r = Wtd();
        r.sba(1, 33).text("Main Menu");
        r.sba(20, 2).text("===>").sba(20, 7).startOfField(0x40, 0x00, 0x20, 4);
        Screen(r);
        ++arrivals;
    }
    unsigned long arrivals = 0;
};

TEST_F(MacroOnScreens, RecordsEachScreenAndNeverThePassword) {
    MacroRecorder recorder;
    SignOn();
    CursorAt(6, 53);
    recorder.Typed(Now(), "MACRO");
    recorder.Key(Now(), "Tab");
    CursorAt(7, 53);
    recorder.Typed(Now(), "s3");
    recorder.Typed(Now(), "cret");  // the same field: one prompt
    recorder.Key(Now(), "Enter");
    Menu();
    recorder.Typed(Now(), "1");
    recorder.Key(Now(), "Enter");
    Menu();  // the same title again: the count and the cursor tell it
    recorder.Cursor(Now(), 20, 7);
    recorder.Pasted(Now(), "a\tb");
    const std::string text = recorder.Finish();
    EXPECT_EQ(text,
              "connect\n"
              "expect \"Sign On\" at 1 30\n"
              "type MACRO\n"
              "key Tab\n"
              "prompt PASSWORD \"Password\"\n"
              "key Enter\n"
              "expect \"Main Menu\" at 1 33\n"
              "type 1\n"
              "key Enter\n"
              "expect \"Main Menu\" at 1 33\n"
              "expect-field 1\n"
              "expect-cursor 20 8\n"
              "cursor 20 7\n"
              "paste a\\tb\n");
    EXPECT_EQ(text.find("s3"), std::string::npos);
    EXPECT_EQ(text.find("cret"), std::string::npos);
}

TEST_F(MacroOnScreens, TypeAheadGoesAfterTheScreenItWentToAndHeldTextIsNotGuessed) {
    MacroRecorder recorder;
    Menu();
    recorder.Key(Now(), "Enter");
    terminal.state.inputInhibited = 1;
    recorder.Typed(Now(), "2");
    recorder.Key(Now(), "F3");
    SignOn();
    terminal.state.inputInhibited = 0;
    CursorAt(7, 53);  // the held keys went here: a non-display field
    recorder.Key(Now(), "Enter");
    terminal.state.inputInhibited = 1;
    recorder.Typed(Now(), "left at the end");
    EXPECT_EQ(recorder.Finish(),
              "connect\n"
              "expect \"Main Menu\" at 1 33\n"
              "key Enter\n"
              "expect \"Sign On\" at 1 30\n"
              "prompt PASSWORD \"Password\"\n"
              "key F3\n"
              "key Enter\n"
              "# text typed while the keyboard was locked at the end is left out\n");
}

TEST_F(MacroOnScreens, APasteThatCouldReachAPasswordIsAskedFor) {
    MacroRecorder recorder;
    SignOn();
    CursorAt(6, 53);
    recorder.Pasted(Now(), "MACRO\tsecret");
    const std::string text = recorder.Finish();
    EXPECT_EQ(text.find("secret"), std::string::npos) << text;
    EXPECT_NE(text.find("prompt PASSWORD \"Password\""), std::string::npos) << text;
}

/// The player's session: the fixture's terminal and input.
class FixtureTarget : public MacroTarget {
public:
    FixtureTarget(Terminal& t, OperatorInput& input, const PcCharset& charset, unsigned long& arrivals)
        : t_(t), input_(input), charset_(charset), arrivals_(arrivals) {}
    Terminal& terminal() override { return t_; }
    OperatorInput& input() override { return input_; }
    const PcCharset& charset() const override { return charset_; }
    bool HostCanSend() const override { return hostCanSend; }
    unsigned long blocksArrived() const override { return arrivals_; }
    bool Connect(std::string&) override {
        ++connects;
        return true;
    }
    void Disconnect() override {}
    void OpenAddress(const std::string&) override {}
    bool hostCanSend = true;
    int connects = 0;

private:
    Terminal& t_;
    OperatorInput& input_;
    const PcCharset& charset_;
    unsigned long& arrivals_;
};

TEST_F(MacroOnScreens, PlaysStepByStepAndNeverTypesIntoAScreenNotYetSeen) {
    const MacroScript script = ReadMacroScript(
        "connect\n"
        "expect \"Sign On\"\n"
        "expect-cursor 6 53\n"
        "type MACRO\n"
        "key Tab\n"
        "prompt PASS \"Password\"\n"
        "if-screen \"Not here\"\n"
        "key F12\n"
        "end\n"
        "key Enter\n"
        "expect \"Main Menu\" within 1000\n"
        "type 1\n");
    ASSERT_TRUE(script.ok()) << script.errors.front();
    FixtureTarget target(terminal, input, charset(), arrivals);
    MacroPlayer player(script.steps);
    auto now = MacroPlayer::Clock::now();
    terminal.state.inputInhibited = 1;
    player.Advance(target, now);
    EXPECT_EQ(player.state(), MacroPlayer::State::kWaiting);
    EXPECT_EQ(player.awaited(), "Sign On");
    SignOn();
    CursorAt(6, 53);
    terminal.state.inputInhibited = 0;
    player.Advance(target, now);
    ASSERT_EQ(player.state(), MacroPlayer::State::kAsking);
    EXPECT_TRUE(player.question().hidden) << "the cursor is in the password field: no echo";
    EXPECT_EQ(player.question().question, "Password");
    player.Answer(target, std::string("pw"));
    player.Advance(target, now);
    // Enter went with both fields; the menu has not come: "1" waits.
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(player.state(), MacroPlayer::State::kWaiting);
    EXPECT_EQ(player.awaited(), "Main Menu");
    EXPECT_EQ(player.currentStep()->line, 11);
    EXPECT_EQ(target.connects, 1);
    // Paused, time passes without failing; resumed, the wait starts anew.
    player.Pause();
    player.Advance(target, now + std::chrono::seconds(5));
    EXPECT_EQ(player.state(), MacroPlayer::State::kPaused);
    player.Resume();
    player.Advance(target, now + std::chrono::seconds(5));
    EXPECT_EQ(player.state(), MacroPlayer::State::kWaiting);
    player.Advance(target, now + std::chrono::seconds(7));
    ASSERT_EQ(player.state(), MacroPlayer::State::kFailed);
    EXPECT_EQ(player.failure().reason,
              "expect: \"Main Menu\" did not come within 1000 ms; the screen instead:");
    EXPECT_EQ(player.failure().line, 11);
    EXPECT_EQ(player.failure().step, "expect \"Main Menu\" within 1000");
    ASSERT_EQ(player.failure().screen.size(), 25u);
    EXPECT_NE(player.failure().screen[0].find("Sign On"), std::string::npos);
    EXPECT_EQ(sender.sent.size(), 1u) << "nothing typed after the failed expect";
    EXPECT_EQ(Text(6, 53, 5), "MACRO");
}

TEST_F(MacroOnScreens, AConditionThatFailsStopsAtOnceWithItsReason) {
    struct Row {
        const char* script;
        bool hostCanSend;
        const char* reason;
    };
    const Row rows[] = {
        {"expect-field 3\ntype X\n", true, "expect-field: the screen has 1 fields, not 3"},
        {"expect-cursor 1 1\ntype X\n", true, "expect-cursor: the cursor is at 20 8, not 1 1"},
        {"expect \"Sign On\"\ntype X\n", false,
         "expect: \"Sign On\" is not on the screen and no more host data can come; the screen instead:"},
        {"key NoSuchKey\ntype X\n", true, "key: unknown key NoSuchKey"},
        {"cursor 30 1\ntype X\n", true, "cursor: 30 1 is not a place on the screen"},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.script);
        Menu();
        CursorAt(20, 8);
        FixtureTarget target(terminal, input, charset(), arrivals);
        target.hostCanSend = row.hostCanSend;
        MacroPlayer player(ReadMacroScript(row.script).steps);
        player.Advance(target, MacroPlayer::Clock::now());
        ASSERT_EQ(player.state(), MacroPlayer::State::kFailed);
        EXPECT_EQ(player.failure().reason, row.reason);
        EXPECT_EQ(player.stepIndex(), 0u);
        EXPECT_EQ(Text(20, 7, 1), " ") << "the step after it did not type";
    }
}

}  // namespace
}  // namespace quenlix::testing
