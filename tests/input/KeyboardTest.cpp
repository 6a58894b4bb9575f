// Keys to attention identifiers, the guard, system request mode, the special
// key commands and type-ahead.
#include <stdexcept>
#include <utility>

#include "InputFixture.h"
#include "input/KeyCodes.h"

namespace quenlix::testing {
namespace {

using namespace ds;

class KeyboardTest : public InputTest {
protected:
    void FieldScreen() {
        Screen(Wtd().sba(5, 10).startOfField(0x43, 0, 0x20, 6).sba(6, 10)
                   .startOfField(0x40, 0, 0x20, 6).insertCursor(5, 11));
    }
    /// Presses a key on an unlocked keyboard and returns the AID it sent.
    int AidOf(const char* key) {
        terminal.state.inputInhibited = 0;
        sender.sent.clear();
        input.PressKey(key);
        return SentAid();
    }
};

TEST_F(KeyboardTest, KeysChooseTheirAttentionIdentifiers) {
    FieldScreen();
    const struct {
        const char* key;
        int aid;
    } rows[] = {
        {"F1", 0x31},         {"F3", 0x33},          {"F12", 0x3C},      {"Shift+F3", 0xB3},
        {"F15", 0xB3},        {"F24", 0xBC},         {"Alt+F3", 0x33},   {"F10", 0x3A},
        {"Shift+F10", 0xBA},  {"Ctrl+F5", 0x35},     {"PageUp", 0xF4},   {"PageDown", 0xF5},
        {"WheelUp", 0xF4},    {"WheelDown", 0xF5},   {"Enter", 0xF1},    {"Help", 0xF3},
        {"Print", 0xF6},      {"Refresh", 0xBD},     {"Next", 0xF5},     {"Previous", 0xF4},
    };
    for (const auto& row : rows) EXPECT_EQ(AidOf(row.key), row.aid) << row.key;

    terminal.state.inputInhibited = 0;
    sender.sent.clear();
    EXPECT_FALSE(input.PressKey("Alt+F4")) << "the Exit command, not F4";
    EXPECT_FALSE(input.PressKey("NoSuchKey"));
    EXPECT_TRUE(sender.sent.empty());

    EXPECT_TRUE(input.PressKey("PA1"));
    EXPECT_EQ(sender.sent.at(0), (Bytes{0x00, 0x0D, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x00, 0x00,
                                        0x00, 5, 11, kAidPa1, 0xFF, 0xEF}));
    EXPECT_FALSE(inputState.shiftDown) << "every modifier is released";
}

TEST_F(KeyboardTest, ScreenWithoutFieldsRefusesAllButEnter) {
    Screen(RecordBuilder().clearUnit().writeToDisplay().sba(1, 1).text("MESSAGE"));
    for (const char* key : {"F1", "Shift+F1", "PageUp", "PageDown", "Alt+F2"}) {
        EXPECT_EQ(AidOf(key), -1) << key;
    }
    EXPECT_EQ(AidOf("Enter"), kAidEnter);
    terminal.state.connected = 0;
    EXPECT_EQ(AidOf("Enter"), -1) << "not connected";
}

TEST_F(KeyboardTest, EnterOnTheBlankScreenOfAnEndedSessionAsksToConnectAgain) {
    terminal.state.connected = 0;
    input.PressKey("Enter");
    EXPECT_EQ(notifications.reconnects, 0) << "the operator ended it: nothing to resume";
    terminal.state.connectionNotice = "Disconnected by the host";
    input.PressKey("Enter");
    input.PressKey("Tab");
    EXPECT_EQ(notifications.reconnects, 1);
    EXPECT_TRUE(sender.sent.empty());
}

TEST_F(KeyboardTest, KeypadPlusIsFieldExitAndTypesNothing) {
    FieldScreen();  // numeric only: "+" is a valid character
    input.Type("7");
    input.PressKey("KeypadPlus");
    EXPECT_EQ(Text(5, 11, 6), "7     ");
    EXPECT_EQ(CursorRow(), 6);
    CursorAt(5, 11);
    input.Type("+");
    EXPECT_EQ(Text(5, 11, 6), "+     ") << "the main keyboard's + is a character";
}

TEST_F(KeyboardTest, EscSendsAttentionAndShiftEscStartsSystemRequest) {
    FieldScreen();
    input.PressKey("Esc");
    EXPECT_EQ(sender.sent.at(0), (Bytes{0x00, 0x0A, 0x12, 0xA0, 0x00, 0x00, 0x04, 0x40, 0x00,
                                        0x00, 0xFF, 0xEF}));
    // The Esc character with Shift held, as a replayed key would bring it.
    input.Submit({KeyEvent::Kind::kKeyDown, keys::kVkShift});
    input.Submit({KeyEvent::Kind::kCharacter, keys::kCharEscape, keys::kScanEscape});
    EXPECT_EQ(terminal.state.sysReqMode, 1);
    EXPECT_EQ(sender.sent.size(), 1u);
    input.Submit({KeyEvent::Kind::kKeyUp, keys::kVkShift});

    input.Type("\x1b");  // leaves the mode
    terminal.state.connected = 0;
    sender.sent.clear();
    input.PressKey("Esc");
    input.PressKey("Shift+Esc");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(terminal.state.sysReqMode, 0);
}

TEST_F(KeyboardTest, SystemRequestModeLimitsAndRestores) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    input.PressKey("Shift+Esc");  // an accelerator: acts while locked
    EXPECT_EQ(terminal.state.sysReqMode, 1);
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    EXPECT_EQ(notifications.suspended, 1);
    EXPECT_EQ(terminal.CursorRow(), 24) << "the line below the screen";
    EXPECT_EQ(terminal.CursorColumn(), 0);

    input.PressKey("F1");
    input.Type(std::string(85, 'Q'));
    EXPECT_EQ(inputState.sysReqText, std::string(79, 'Q')) << "columns - 1 characters";
    EXPECT_EQ(terminal.CursorColumn(), 79);
    EXPECT_TRUE(sender.sent.empty());
    for (int i = 0; i < 81; ++i) input.PressKey("Backspace");
    EXPECT_EQ(inputState.sysReqText, "");
    EXPECT_EQ(terminal.CursorColumn(), 0);

    input.PressKey("Esc");
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(terminal.state.inputInhibited, 1) << "the lock in force before comes back";
    EXPECT_EQ(notifications.resumed, 1);
    EXPECT_EQ(CursorRow(), 5);
    EXPECT_EQ(CursorColumn(), 11);

    input.PressKey("SysReq");
    input.Type("90\r");
    EXPECT_EQ(sender.sent.at(0), Sent(kOpNoOperation, Ebcdic("90"), kFlagSystemRequest));
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(notifications.resumed, 2);
}

TEST_F(KeyboardTest, HostDataEndsSystemRequestModeKeepingTheLock) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    input.PressKey("SysReq");
    input.Type("AB");
    terminal.TakeDamage();
    input.LeaveSysReqModeForHostData();
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    EXPECT_EQ(CursorRow(), 5);
    const ScreenDamage damage = terminal.TakeDamage();
    EXPECT_TRUE(damage.indicator(Indicator::kSysReqLine)) << "the line is wiped";
    EXPECT_TRUE(damage.cursor()) << "the cursor goes back to its field";
    input.PressKey("SysReq");
    EXPECT_EQ(terminal.state.sysReqMode, 1);
    input.PressKey("SysReq");
    input.PressKey("Attn");
    EXPECT_TRUE(sender.sent.empty()) << "special keys do nothing in the mode";
}

TEST_F(KeyboardTest, DeleteFieldsBlanksOnlyModifiedInputFields) {
    Screen(Wtd().sba(3, 10).startOfField(0x48, 0, 0x20, 3).text("AAA")
               .sba(4, 10).startOfField(0x68, 0, 0x20, 3).text("BBB")
               .sba(5, 10).startOfField(0x40, 0, 0x20, 3).text("CCC"));
    terminal.state.connected = 0;  // not needed for this one
    input.PressKey("DeleteFields");
    EXPECT_EQ(Text(3, 11, 3), "   ");
    EXPECT_EQ(EbcdicAt(3, 11, 3), Ebcdic("   "));
    EXPECT_EQ(Field(0).mdt, 1);
    EXPECT_EQ(Text(4, 11, 3), "BBB") << "bypass";
    EXPECT_EQ(Text(5, 11, 3), "CCC") << "MDT clear";
}

TEST_F(KeyboardTest, TypeAheadReplaysInOrderExactlyOnce) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    input.Type("123\r");
    EXPECT_EQ(Text(5, 11, 3), "   ");
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(input.typeAhead().size(), 12u);

    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();
    EXPECT_EQ(Text(5, 11, 3), "123");
    ASSERT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(SentAid(), kAidEnter);
    EXPECT_EQ(sender.sent[0][10], 5);
    EXPECT_EQ(sender.sent[0][11], 14) << "Enter went after the three characters";
    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();
    input.Type("");
    EXPECT_EQ(sender.sent.size(), 1u) << "nothing replays twice";
    EXPECT_TRUE(input.typeAhead().empty());
}

TEST_F(KeyboardTest, ReplayedKeysMeetingANewLockWaitAgain) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    input.Type("1\r2");
    input.PressKey("Shift+F1");
    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();  // Enter locks the keyboard again
    EXPECT_EQ(Text(5, 11, 2), "1 ");
    EXPECT_EQ(sender.sent.size(), 1u);
    EXPECT_EQ(input.typeAhead().size(), 8u);

    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();
    EXPECT_EQ(Text(5, 11, 2), "12");
    ASSERT_EQ(sender.sent.size(), 2u);
    EXPECT_EQ(sender.sent[1][12], 0xB1) << "the held Shift came first";
}

TEST_F(KeyboardTest, SystemRequestDiscardsHeldKeysAndTheQueueIsBounded) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    input.Type("9");
    input.PressKey("SysReq");
    input.Type("\x1b");  // the check before it discards; Esc leaves the mode
    EXPECT_EQ(input.typeAhead().size(), 1u) << "only Esc's key-up, after the lock came back";
    EXPECT_EQ(terminal.state.inputInhibited, 1);
    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();
    EXPECT_EQ(Text(5, 11, 1), " ");

    terminal.state.inputInhibited = 1;
    input.Type(std::string(100, '5'));  // 300 events
    // The 86th key's key-down is the 256th event; its key-up is still held.
    EXPECT_EQ(input.typeAhead().size(), TypeAheadQueue<KeyEvent>::kCapacity + 1);
    EXPECT_EQ(messages.alarms, 300 - 257);
}

TEST_F(KeyboardTest, AFullQueueStillTakesTheKeyUpOfAHeldKeyDown) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    input.Type(std::string(85, '1'));  // 255 events
    input.PressKey("Shift+F1");        // Shift down fills the queue
    const auto& held = input.typeAhead().held();
    ASSERT_EQ(held.size(), TypeAheadQueue<KeyEvent>::kCapacity + 1);
    EXPECT_EQ(held[255], (KeyEvent{KeyEvent::Kind::kKeyDown, keys::kVkShift}));
    EXPECT_EQ(held[256], (KeyEvent{KeyEvent::Kind::kKeyUp, keys::kVkShift}));
    EXPECT_EQ(messages.alarms, 2) << "F1's key-down and key-up";

    // A key-up whose key-down was dropped, or a second one, is not held.
    input.Submit({KeyEvent::Kind::kKeyUp, keys::kVkShift});
    input.Submit({KeyEvent::Kind::kKeyUp, 'A'});
    EXPECT_EQ(held.size(), TypeAheadQueue<KeyEvent>::kCapacity + 1);

    terminal.state.inputInhibited = 0;
    input.CheckTypeAhead();
    EXPECT_FALSE(inputState.shiftDown);
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(AidOf("F1"), kAidF1) << "not F13";
}

TEST_F(KeyboardTest, TheReserveForKeyUpsIsBounded) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    constexpr std::size_t kLimit =
        TypeAheadQueue<KeyEvent>::kCapacity + TypeAheadQueue<KeyEvent>::kReleaseReserve;
    // Key-downs of many different keys fill the queue, then their key-ups come.
    for (int vk = 1; input.typeAhead().size() < TypeAheadQueue<KeyEvent>::kCapacity; ++vk) {
        input.Submit({KeyEvent::Kind::kKeyDown, 0x1000 + vk});
    }
    for (int vk = 256; vk >= 1; --vk) input.Submit({KeyEvent::Kind::kKeyUp, 0x1000 + vk});
    EXPECT_EQ(input.typeAhead().size(), kLimit);
    EXPECT_EQ(messages.alarms, 256 - 16);
}

class FailingSender : public RecordSender {
public:
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        if (failing) throw std::runtime_error("connection lost");
        sent.emplace_back(bytes, bytes + count);
    }
    bool failing = false;
    std::vector<Bytes> sent;
};

/// The operator input wired to answers whose sends can fail.
class FailingSendTest : public KeyboardTest {
protected:
    FailingSender failing;
    InterpreterLinks failingLinks{terminal, tables, settings, failing, messages};
    HostResponses failingResponses{failingLinks};
    InputLinks failingInputLinks{terminal, tables, settings, failingResponses, notifications,
                                 messages, inputState};
    OperatorInput failingInput{failingInputLinks, clipboard, options};
};

TEST_F(FailingSendTest, AReplayWhoseSendFailsKeepsTheRestAndTypeAheadWorksOn) {
    FieldScreen();
    terminal.state.inputInhibited = 1;
    failingInput.Type("1\r2");
    failing.failing = true;
    terminal.state.inputInhibited = 0;
    EXPECT_THROW(failingInput.CheckTypeAhead(), std::runtime_error);
    EXPECT_EQ(Text(5, 11, 2), "1 ");
    EXPECT_EQ(terminal.state.inputInhibited, 1) << "Enter locked before its send";
    EXPECT_EQ(failingInput.typeAhead().size(), 4u) << "Enter's key-up and the 2 wait";

    // The host answers (the connection came back): the rest replays.
    failing.failing = false;
    terminal.state.inputInhibited = 0;
    failingInput.CheckTypeAhead();
    EXPECT_EQ(Text(5, 11, 2), "12");

    // A later lock holds and replays as ever.
    terminal.state.inputInhibited = 1;
    failingInput.Type("3");
    EXPECT_EQ(Text(5, 11, 3), "12 ");
    terminal.state.inputInhibited = 0;
    failingInput.CheckTypeAhead();
    EXPECT_EQ(Text(5, 11, 3), "123");
    EXPECT_TRUE(failingInput.typeAhead().empty());
}

TEST(TypeAheadQueueTest, ClearEndsAReplayAndTheQueueStaysUsable) {
    TerminalState state;
    TypeAheadQueue<int> queue;
    state.inputInhibited = 1;
    for (int e : {1, 2, 3}) EXPECT_EQ(queue.Offer(e, state), TypeAhead::kHeld);
    state.inputInhibited = 0;
    std::vector<int> replayed;
    queue.Check(state, [&](int e) {
        replayed.push_back(e);
        if (e == 2) queue.Clear();  // the session ended inside the replay
    });
    EXPECT_EQ(replayed, (std::vector<int>{1, 2}));
    EXPECT_TRUE(queue.empty());

    // A replay that throws keeps its rest, in order, for the next check.
    state.inputInhibited = 1;
    for (int e : {4, 5, 6}) queue.Offer(e, state);
    state.inputInhibited = 0;
    replayed.clear();
    const auto replay = [&](int e) {
        replayed.push_back(e);
        if (e == 4) throw std::runtime_error("send");
    };
    EXPECT_THROW(queue.Check(state, replay), std::runtime_error);
    EXPECT_EQ(queue.held(), (std::vector<int>{5, 6}));
    queue.Check(state, replay);
    EXPECT_EQ(replayed, (std::vector<int>{4, 5, 6}));
    EXPECT_TRUE(queue.empty());

    // Events that press and release nothing: a full queue takes no more.
    state.inputInhibited = 1;
    for (int e = 0; e < 300; ++e) queue.Offer(e, state);
    EXPECT_EQ(queue.size(), TypeAheadQueue<int>::kCapacity);
}

TEST_F(KeyboardTest, KeysThatKeepOrClearFieldExitPending) {
    Screen(Wtd().sba(5, 10).startOfField(0x40, 0x40, 0x20, 3).sba(6, 10)
               .startOfField(0x40, 0, 0x20, 3).insertCursor(5, 11));
    const auto typeToTheEnd = [this] {
        CursorAt(5, 11);
        input.Type("ABC");
        ASSERT_TRUE(inputState.fieldExitPending);
    };
    typeToTheEnd();
    input.PressKey("Home");
    EXPECT_TRUE(inputState.fieldExitPending) << "Home";
    EXPECT_EQ(CursorColumn(), 11);
    input.PressKey("End");
    EXPECT_TRUE(inputState.fieldExitPending) << "End";
    input.PressKey("Ctrl");
    EXPECT_TRUE(inputState.fieldExitPending) << "Ctrl without an error line";

    // After the host's Write Error Code, Ctrl (the error reset) clears it.
    Run(RecordBuilder().writeErrorCode().text("BAD VALUE").record());
    ASSERT_EQ(terminal.state.errorLineWritten, kCmdWriteErrorCode);
    typeToTheEnd();
    input.PressKey("Ctrl");
    EXPECT_FALSE(inputState.fieldExitPending);
}

TEST_F(KeyboardTest, PaKeysSendTheCursorOnly) {
    FieldScreen();
    input.Type("12");
    const std::pair<const char*, std::uint8_t> rows[] = {{"PA1", 0x6C}, {"PA2", 0x6E}, {"PA3", 0x6B}};
    for (const auto& [key, aid] : rows) {
        terminal.state.inputInhibited = 0;
        sender.sent.clear();
        EXPECT_TRUE(input.PressKey(key));
        ASSERT_EQ(sender.sent.size(), 1u) << key;
        EXPECT_EQ(sender.sent[0], Sent(kOpNoOperation, {5, 13, aid})) << key << Hex(sender.sent[0]);
    }
}

TEST_F(KeyboardTest, WithoutAConnectionSpecialKeysAndTheWheelDoNothing) {
    FieldScreen();
    terminal.state.connected = 0;
    for (const char* key : {"SysReq", "Attn", "Help", "Print", "Refresh", "Next", "Previous",
                            "PA1", "PA2", "PA3", "WheelUp", "WheelDown"}) {
        EXPECT_TRUE(input.PressKey(key)) << key;
    }
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_EQ(terminal.state.sysReqMode, 0);
    EXPECT_EQ(notifications.suspended, 0);
    EXPECT_EQ(input.keyboard().WheelKey(120), 0);
    EXPECT_EQ(input.keyboard().WheelKey(-120), 0);
    terminal.state.connected = 1;
    EXPECT_EQ(input.keyboard().WheelKey(0x10078), keys::kVkPageUp) << "the low 16 bits: +120";
    EXPECT_EQ(input.keyboard().WheelKey(0), keys::kVkPageDown);
}

TEST_F(KeyboardTest, SystemKeysOtherThanFunctionKeysAreLeftToThePlatform) {
    FieldScreen();
    EXPECT_FALSE(input.keyboard().SystemKeyDown(keys::kVkHome));
    EXPECT_FALSE(input.keyboard().SystemKeyDown('X'));
    EXPECT_EQ(CursorColumn(), 11) << "Home did not act";
    EXPECT_TRUE(sender.sent.empty());
    // A function key refused by the guard is consumed all the same.
    input.PressKey("SysReq");
    EXPECT_TRUE(input.keyboard().SystemKeyDown(keys::kVkF1));
    EXPECT_TRUE(sender.sent.empty());
}

}  // namespace
}  // namespace quenlix::testing
