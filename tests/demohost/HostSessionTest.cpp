// The demo host's session driven by a real interpreter: what the terminal
// shows for each host screen, and how the host answers the terminal's keys.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <set>

#include "TerminalHarness.h"
#include "input/OperatorInput.h"
#include "input/SelectionChoice.h"
#include "terminal/SelectionAnswer.h"
#include "terminal/ScreenReading.h"
#include "support/WireRecords.h"
#include "scs/PrinterRecords.h"

namespace quenlix::testing {
namespace {

using demohost::HostConfig;
using demohost::Phase;
using demohost::Scenario;
using demohost::ScreenId;

class DemoHostSession : public TerminalHarness {
protected:
    void SignOn(const std::string& user = "DEMO") {
        Connect();
        Type(6, 53, user);
        Key(ds::kAidEnter);
    }
    void Option(const std::string& option) {
        Type(20, 8, option);
        Key(ds::kAidEnter);
    }
    bool Shows(const std::string& text) const {
        return Screen().find(text) != std::string::npos;
    }
    /// What this project's terminal answers to the query, as `type`.
    Bytes QueryReply(const std::string& type = "IBM-5292-2") {
        settings.TerminalName = type;
        responses.SendQueryReply(ds::kQueryClass);
        Bytes reply = sender.sent.at(0);
        sender.sent.clear();
        return reply;
    }
    /// A row without the blanks around its text.
    std::string Text(int row) const {
        const std::string r = Row(row);
        const std::size_t b = r.find_first_not_of(' ');
        return b == std::string::npos ? "" : r.substr(b, r.find_last_not_of(' ') - b + 1);
    }
};

TEST_F(DemoHostSession, NegotiatesThenShowsSignOnSizedByTerminalType) {
    Connect("IBM-5292-2");
    EXPECT_EQ(host->phase(), Phase::kRunning);
    EXPECT_EQ(terminal.rows(), 24);
    EXPECT_EQ(terminal.columns(), 80);
    EXPECT_NE(Row(1).find("Sign On"), std::string::npos);
    EXPECT_NE(Row(2).find("QUENLIX1"), std::string::npos);
    EXPECT_NE(Row(4).find("DSP01"), std::string::npos);
    EXPECT_EQ(CursorRow(), 6);
    EXPECT_EQ(CursorColumn(), 53);
    ASSERT_EQ(terminal.formatTable.fieldCount(), 5);
    EXPECT_EQ(terminal.formatTable.entry(0)->monocase, 1);
    EXPECT_EQ(terminal.formatTable.entry(1)->attribute, 0x27);  // password hidden
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    // The query before the screen was answered and read.
    EXPECT_TRUE(host->query().received);
    EXPECT_EQ(host->query().deviceType, "5292");
    EXPECT_EQ(host->query().model, "2");

    Connect("IBM-3477-FC");
    EXPECT_EQ(terminal.rows(), 27);
    EXPECT_EQ(terminal.columns(), 132);
    EXPECT_NE(Row(1).find("Sign On"), std::string::npos);
    EXPECT_EQ(host->query().deviceType, "3477");
    EXPECT_EQ(host->query().model, "FC");
}

TEST_F(DemoHostSession, NegotiationAnswersSplitAnywhereGiveTheSameSession) {
    const Bytes answers = NegotiationAnswers(
        "IBM-3477-FC", EnvironAnswer({{"DEVNAME", "SPLIT1"}, {"IBMRSEED", ""}}));
    const Bytes reply = QueryReply("IBM-3477-FC");
    for (std::size_t cut = 0; cut <= answers.size(); ++cut) {
        SCOPED_TRACE(cut);
        HostSession h;
        h.Start();
        h.Receive(answers.data(), cut);
        h.Receive(answers.data() + cut, answers.size() - cut);
        EXPECT_EQ(h.phase(), Phase::kAwaitQueryReply);
        EXPECT_EQ(h.columns(), 132);
        EXPECT_EQ(h.deviceName(), "SPLIT1");
        EXPECT_EQ(h.screen(), ScreenId::kNone);
        h.Receive(reply);
        EXPECT_EQ(h.phase(), Phase::kRunning);
        EXPECT_EQ(h.screen(), ScreenId::kSignOn);
    }
}

TEST_F(DemoHostSession, TerminalRefusingTypeAndEnvironmentStillGetsASignOnScreen) {
    HostSession h;
    h.Start();
    EXPECT_EQ(h.TakeOutput(), Bytes({0xFF, 0xFD, 0x18}));
    h.Receive(Bytes{0xFF, 0xFC, 0x18});  // WONT TERMINAL-TYPE
    EXPECT_EQ(h.TakeOutput(), BinaryRequests());
    h.Receive(BinaryAnswers());
    EXPECT_EQ(h.TakeOutput(), Bytes({0xFF, 0xFD, 0x27}));
    h.Receive(Bytes{0xFF, 0xFC, 0x27});  // WONT NEW-ENVIRON
    EXPECT_EQ(h.TakeOutput(), QueryRecord());
    h.Receive(QueryReply());
    EXPECT_EQ(h.phase(), Phase::kRunning);
    EXPECT_EQ(h.screen(), ScreenId::kSignOn);
    EXPECT_EQ(h.columns(), 80);
    EXPECT_EQ(h.deviceName(), "QPADEV0001");

    // Without binary transmission there is no 5250 session at all.
    HostSession refused;
    refused.Start();
    refused.Receive(Concat({{0xFF, 0xFB, 0x18}, TerminalTypeAnswer("IBM-5292-2"),
                            {0xFF, 0xFB, 0x19, 0xFF, 0xFD, 0x19, 0xFF, 0xFC, 0x00}}));
    EXPECT_TRUE(refused.closeRequested());
}

TEST_F(DemoHostSession, TheQueryGoesOutAloneAndTheSignOnOnlyAfterItsReply) {
    Negotiate();
    const Bytes query = host->TakeOutput();
    EXPECT_EQ(query, QueryRecord());  // nothing before it, nothing with it
    EXPECT_EQ(host->phase(), Phase::kAwaitQueryReply);
    EXPECT_EQ(host->screen(), ScreenId::kNone);
    host->Pump();
    EXPECT_TRUE(host->TakeOutput().empty());

    ::quenlix::ProcessWire(interpreter, query);
    ASSERT_EQ(sender.sent.size(), 1u);
    const Bytes reply = sender.sent[0];
    sender.sent.clear();
    host->Receive(reply);
    const Bytes screen = host->TakeOutput();
    ASSERT_GT(screen.size(), 12u);
    EXPECT_EQ(screen[9], ds::kOpPutGet);
    EXPECT_EQ(screen[10], ds::kEscape);
    EXPECT_EQ(screen[11], ds::kCmdClearUnit);
    EXPECT_EQ(std::search(screen.begin(), screen.end(), query.begin() + 10, query.end() - 2),
              screen.end());
    EXPECT_EQ(host->query().deviceType, "5292");

    // The sign-on screen is the last thing the host sends: the operator's
    // first keys go into the user field.
    ::quenlix::ProcessWire(interpreter, screen);
    EXPECT_TRUE(sender.sent.empty());
    EXPECT_NE(Row(1).find("Sign On"), std::string::npos);
    Type(6, 53, "FIRST");
    Key(ds::kAidEnter);
    EXPECT_EQ(host->user(), "FIRST");
}

TEST_F(DemoHostSession, AnyOtherAnswerOrTheServersTimeoutEndsTheQueryWait) {
    const struct {
        const char* what;
        Bytes answer;  ///< empty: the server gives up waiting
    } cases[] = {
        {"a negative response", FrameRecord(0, {0x10, 0x03, 0x01, 0x01}, ds::kFlagError)},
        {"Enter before any screen", FrameRecord(ds::kOpPutGet, {1, 1, ds::kAidEnter})},
        {"no answer", {}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        Negotiate();
        ASSERT_EQ(host->TakeOutput(), QueryRecord());
        if (c.answer.empty()) {
            host->QueryReplyTimedOut();
        } else {
            host->Receive(c.answer);
        }
        EXPECT_EQ(host->phase(), Phase::kRunning);
        EXPECT_EQ(host->screen(), ScreenId::kSignOn);
        EXPECT_FALSE(host->query().received);
        Deliver();
        EXPECT_NE(Row(1).find("Sign On"), std::string::npos);
        // Once running, the timeout does nothing, and a late reply is
        // taken without a screen.
        host->QueryReplyTimedOut();
        host->Receive(QueryReply());
        EXPECT_TRUE(host->TakeOutput().empty());
        EXPECT_TRUE(host->query().received);
        EXPECT_EQ(host->screen(), ScreenId::kSignOn);
    }
}

TEST_F(DemoHostSession, QueryIsTheRecordedHostsAndTheRecordedReplyIsRead) {
    const std::filesystem::path dir =
        std::filesystem::path(QUENLIX_SOURCE_DIR) / ".." / "shared" / "refdata" /
        "signon-recording";
    if (!std::filesystem::is_directory(dir)) {
        GTEST_SKIP() << "no recorded host data at " << dir.string();
    }
    auto read = [&](const char* name) {
        std::ifstream in(dir / name, std::ios::binary);
        return Bytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    };
    Negotiate("IBM-3477-FC");
    EXPECT_EQ(host->TakeOutput(), read("testsys-login-h2c-05-rec.bin"));
    // Another terminal's reply: a 5251 model 11.
    host->Receive(read("testsys-login-c2h-02-rec.bin"));
    EXPECT_EQ(host->screen(), ScreenId::kSignOn);
    EXPECT_TRUE(host->query().received);
    EXPECT_EQ(host->query().deviceType, "5251");
    EXPECT_EQ(host->query().model, "011");
}

TEST_F(DemoHostSession, DeviceInUseClosesRightAfterTheEnvironmentAnswer) {
    Connect("IBM-5292-2", EnvironAnswer({{"DEVNAME", "INUSE"}, {"IBMRSEED", ""}}));
    EXPECT_TRUE(host->closeRequested());
    EXPECT_TRUE(host->TakeOutput().empty());  // not one 5250 record
    // Anything the terminal still sends is ignored.
    host->Receive(Bytes{0xFF, 0xFB, 0x19});
    EXPECT_TRUE(host->TakeOutput().empty());
}

TEST_F(DemoHostSession, SignOnRefusesEmptyAndWrongUsersAndKeepsTheKeyboardOpen) {
    Connect();
    Key(ds::kAidEnter);
    EXPECT_NE(Row(24).find("Type your user name"), std::string::npos);
    EXPECT_EQ(host->screen(), ScreenId::kSignOn);
    EXPECT_EQ(CursorRow(), 6);
    Type(6, 53, "1BAD");
    Key(ds::kAidEnter);
    EXPECT_NE(Row(24).find("User 1BAD does not exist"), std::string::npos);
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    Type(6, 53, "DEMO");
    Type(8, 53, "PGM1");
    Type(10, 53, "MYLIB");
    Key(ds::kAidEnter);
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_TRUE(Shows("User: DEMO"));
    EXPECT_TRUE(Shows("Program: PGM1"));
    EXPECT_TRUE(Shows("Library: MYLIB"));
}

TEST_F(DemoHostSession, AClearPasswordIsTakenOnlyWhenAllowed) {
    const Bytes answer = EnvironAnswer({{"USER", "auto1"},
                                        {"DEVNAME", "DSP02"},
                                        {"IBMRSEED", ""},
                                        {"IBMSUBSPW", "secret"},
                                        {"IBMIMENU", "MAIN"},
                                        {"IBMCURLIB", "QGPL"}});
    HostConfig config;
    config.password = "secret";
    Connect("IBM-5292-2", answer, config);
    EXPECT_EQ(host->screen(), ScreenId::kSignOn) << "refused without --allow-plain";
    EXPECT_TRUE(Shows("Password not correct for user profile."));
    config.allowPlain = true;
    config.password = "other";
    Connect("IBM-5292-2", answer, config);
    EXPECT_EQ(host->screen(), ScreenId::kSignOn) << "a wrong clear password";
    config.password = "secret";
    Connect("IBM-5292-2", answer, config);
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_EQ(host->user(), "AUTO1");
    EXPECT_TRUE(Shows("Signed on automatically as AUTO1"));
    EXPECT_TRUE(Shows("Library: QGPL"));
}

TEST_F(DemoHostSession, MenuOptionsHelpErrorsAndSignOff) {
    SignOn();
    ASSERT_EQ(host->screen(), ScreenId::kMenu);
    Option("42");
    EXPECT_NE(Row(24).find("Option 42 is not valid"), std::string::npos);
    EXPECT_EQ(CursorRow(), 20);
    Key(ds::kAidHelp);
    EXPECT_EQ(host->screen(), ScreenId::kHelp);
    EXPECT_TRUE(Shows("Help: Quenlix Demo Host"));
    Key(ds::kAidF12);
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    Option("4");
    EXPECT_EQ(terminal.state.messageWaiting, 1);
    EXPECT_TRUE(Shows("Message light turned on"));
    Option("5");
    EXPECT_EQ(terminal.state.messageWaiting, 0);
    Key(ds::kAidF3);
    EXPECT_EQ(host->screen(), ScreenId::kSignOn);
    EXPECT_FALSE(host->signedOn());
    EXPECT_TRUE(Shows("Signed off."));
}

TEST_F(DemoHostSession, DataEntryDefinesEveryFieldKindAndEchoesWhatCameBack) {
    SignOn();
    Option("1");
    ASSERT_EQ(host->screen(), ScreenId::kDataEntry);
    const FormatTable& table = terminal.formatTable;
    ASSERT_EQ(table.fieldCount(), 17);
    // Field kinds as the terminal decoded them from the field format words.
    int shifts[8] = {};
    int fills[8] = {};
    int autoEnter = 0, fieldExit = 0, monocase = 0, mandatory = 0, bypass = 0, dup = 0,
        hidden = 0;
    for (int i = 0; i < table.fieldCount(); ++i) {
        const FieldEntry& e = *table.entry(i);
        ++shifts[e.shiftEdit & 7];
        ++fills[e.fillType & 7];
        autoEnter += e.autoEnter;
        fieldExit += e.fieldExitRequired;
        monocase += e.monocase;
        mandatory += e.mandatoryEnter;
        bypass += e.bypass;
        dup += e.dupEnable;
        hidden += (e.attribute & 0x27) == 0x27;
    }
    for (int s : {1, 2, 3, 5, 6, 7}) EXPECT_GE(shifts[s], 1) << "shift/edit " << s;
    for (int f : {5, 6, 7}) EXPECT_GE(fills[f], 1) << "fill " << f;
    EXPECT_EQ(autoEnter, 1);
    EXPECT_EQ(fieldExit, 1);
    EXPECT_EQ(monocase, 1);
    EXPECT_EQ(mandatory, 1);
    EXPECT_EQ(bypass, 1);
    EXPECT_EQ(dup, 1);
    EXPECT_EQ(hidden, 1);
    // The fields of the data-entry rules, each labelled for the operator
    // with its rule beside it.
    const struct {
        int row;
        const char* label;
        const char* rule;
        bool (*is)(const FieldEntry&);
    } labelled[] = {
        {6, "Amount (numeric only)", "number, Field- minus",
         [](const FieldEntry& e) {
             return e.shiftEdit == ds::kShiftNumericOnly && e.fillType == ds::kFillNone;
         }},
        {12, "Post code (mandatory fill)", "all five or none",
         [](const FieldEntry& e) { return e.fillType == ds::kFillMandatory; }},
        {13, "Customer (mandatory enter)", "required",
         [](const FieldEntry& e) { return e.mandatoryEnter != 0; }},
        {15, "Quick code (auto-enter)", "when full: Enter",
         [](const FieldEntry& e) { return e.autoEnter != 0; }},
    };
    for (const auto& l : labelled) {
        SCOPED_TRACE(l.label);
        const int i = table.Find(l.row, 38);
        ASSERT_GE(i, 0);
        EXPECT_TRUE(l.is(*table.entry(i)));
        EXPECT_EQ(Row(l.row).find(l.label), 1u);
        EXPECT_NE(Row(l.row).find(l.rule), std::string::npos);
    }
    // A screen reader names each field by the label on its own row, however
    // many blanks stand before the dot leaders.
    const std::vector<FieldReading> read = FieldList(terminal);
    ASSERT_EQ(read.size(), 17u);
    for (const FieldReading& f : read) {
        const std::string row = Row(f.row + 1);
        std::string label = row.substr(1, row.find(". . :") - 1);
        while (!label.empty() && label.back() == ' ') label.pop_back();
        EXPECT_EQ(f.label, label);
    }

    // Mandatory enter left empty: the host points at it.
    Type(4, 39, "abc");
    Key(ds::kAidEnter);
    EXPECT_NE(Row(24).find("Customer (mandatory enter): a value is required"), std::string::npos);
    EXPECT_EQ(CursorRow(), 13);
    EXPECT_EQ(CursorColumn(), 39);
    // Digits in an alphabetic-only field.
    Type(13, 39, "MUST");
    Type(4, 39, "ab1");
    Key(ds::kAidEnter);
    EXPECT_NE(Row(24).find("Surname (alphabetic only): letters only"), std::string::npos);
    Type(4, 39, "abc");
    Type(7, 39, "00042");
    Type(19, 39, "hidden");
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kDataResult) << Screen();
    EXPECT_TRUE(Shows("'abc'  sent"));
    EXPECT_TRUE(Shows("'00042'  sent"));
    EXPECT_TRUE(Shows("'MUST'  sent"));
    EXPECT_TRUE(Shows("'hidden'  sent"));
    EXPECT_TRUE(Shows("'PROTECTED'"));
    EXPECT_TRUE(Shows("AID Enter"));
}

TEST_F(DemoHostSession, SignedNumericFieldsAreReadWithTheirSign) {
    SignOn();
    Option("1");
    ASSERT_EQ(host->screen(), ScreenId::kDataEntry);
    // The signed-numeric field: six digit positions and the sign position,
    // as the terminal's field keys leave them (Field- puts the minus in the
    // sign position; the terminal sends it as the last digit's zone).
    const Bytes b4(4, 0x40);
    struct Case {
        const char* what;
        Bytes field;
        const char* echo;  ///< nullptr: refused with `error`
        const char* error;
    } cases[] = {
        {"Field- after 42", Concat({b4, {0xF4, 0xF2, 0x60}}), "-42", nullptr},
        {"Field- after 0", Concat({b4, {0x40, 0xF0, 0x60}}), "-0", nullptr},
        {"Field- on six digits", {0xF1, 0xF2, 0xF3, 0xF4, 0xF5, 0xF6, 0x60}, "-123456", nullptr},
        {"Field+ after 42", Concat({b4, {0xF4, 0xF2, 0x40}}), "42", nullptr},
        {"typed, no field key", {0xF1, 0xF2, 0xF3, 0x40, 0x40, 0x40, 0x40}, "123", nullptr},
        {"left empty", Bytes(7, 0x40), "", nullptr},
        {"negative zone before the last digit", Concat({b4, {0xD4, 0xF2, 0x40}}), nullptr,
         "Balance (signed numeric): digits only before the sign position."},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        Type(13, 39, "MUST");  // the mandatory-enter field
        Store(8, 39, c.field);
        Key(ds::kAidEnter);
        if (c.echo == nullptr) {
            EXPECT_EQ(host->screen(), ScreenId::kDataEntry);
            EXPECT_EQ(Text(24), c.error);
            EXPECT_EQ(CursorRow(), 8);
            continue;
        }
        ASSERT_EQ(host->screen(), ScreenId::kDataResult) << Row(24);
        EXPECT_TRUE(Shows(std::string("Balance (signed numeric)    '") + c.echo + "'")) << Screen();
        Key(ds::kAidEnter);  // again
        ASSERT_EQ(host->screen(), ScreenId::kDataEntry);
    }
}

TEST_F(DemoHostSession, DataEntryReadsFieldsWithoutTrailingNullsOrSignPosition) {
    const TablePair& t = BuiltinTablePair();
    auto at = [&](int row, const std::string& pc) {
        Bytes b = {0x11, static_cast<std::uint8_t>(row), 39};
        for (char c : pc) b.push_back(t.ATOE[static_cast<std::uint8_t>(c)]);
        return b;
    };
    const Bytes minus42 = {0xF4, 0xD2};  // "4K": 42 with the negative zone
    SignOn();
    Option("1");
    ASSERT_EQ(host->screen(), ScreenId::kDataEntry);
    // Each field as the terminal sends it now: no trailing nulls, no sign
    // position, a field of nulls as its address alone.
    host->Receive(FrameRecord(
        ds::kOpPutGet,
        Concat({{13, 43, ds::kAidEnter}, at(3, "Hi"), at(6, "      "), minus42, at(8, "    "),
                minus42, at(10, ""), at(11, "42"), at(13, "MUST")})));
    Deliver();
    ASSERT_EQ(host->screen(), ScreenId::kDataResult) << Row(24);
    EXPECT_TRUE(Shows("Description (alphanumeric)  'Hi'  sent"));
    EXPECT_TRUE(Shows("Amount (numeric only)       '-42'  sent"));
    EXPECT_TRUE(Shows("Balance (signed numeric)    '-42'  sent"));
    EXPECT_TRUE(Shows("Order number (zero fill)    ''  address only"));
    EXPECT_TRUE(Shows("Price (blank fill)          '42'  sent"));
    EXPECT_TRUE(Shows("Customer (mandatory enter)  'MUST'  sent"));

    // A mandatory-fill field that came short is partly filled.
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kDataEntry);
    host->Receive(
        FrameRecord(ds::kOpPutGet, Concat({{12, 41, ds::kAidEnter}, at(12, "AB"), at(13, "M")})));
    Deliver();
    EXPECT_EQ(Text(24), "Post code (mandatory fill): fill every position or none.");
    EXPECT_EQ(CursorRow(), 12);
}

TEST_F(DemoHostSession, AShortMessageLeavesNothingOfALongerOneBeforeIt) {
    SignOn();
    Option("42");
    EXPECT_EQ(Text(24), "Option 42 is not valid. Type a number from the list.");
    Key(ds::kAidF5);
    EXPECT_EQ(Text(24), "F5 is not allowed here.");
    // The pop-up's closing line over a restored screen whose last row held
    // a longer message.
    Option("42");
    Type(20, 8, "6 ");
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kPopup);
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_EQ(Text(24), "Pop-up closed; the screen was restored.");
}

TEST_F(DemoHostSession, ListPagesWithRollKeysAndSaysMoreOrBottom) {
    SignOn();
    Option("2");
    ASSERT_EQ(host->screen(), ScreenId::kList);
    EXPECT_TRUE(Shows("001   ITEM0001"));
    EXPECT_TRUE(Shows("More..."));
    Key(ds::kAidRollDown);
    EXPECT_NE(Row(24).find("top of the list"), std::string::npos);
    int pages = 0;
    while (!Shows("Bottom") && pages < 20) {
        Key(ds::kAidRollUp);
        ++pages;
    }
    EXPECT_EQ(pages, 6);  // 15 lines a page on 24 rows
    EXPECT_TRUE(Shows("100   ITEM0100"));
    Key(ds::kAidRollUp);
    EXPECT_NE(Row(24).find("bottom of the list"), std::string::npos);
    Key(ds::kAidRollDown);
    EXPECT_TRUE(Shows("076   ITEM0076"));
    Type(3, 28, "50");
    Key(ds::kAidEnter);
    EXPECT_TRUE(Shows("050   ITEM0050"));
}

TEST_F(DemoHostSession, ColourScreenUsesEveryAttribute) {
    SignOn();
    Option("3");
    ASSERT_EQ(host->screen(), ScreenId::kColors);
    std::set<int> seen;
    for (int p = 0; p < terminal.rows() * terminal.columns(); ++p) {
        const int e = terminal.screen.at(p).ebcdic;
        if (e >= 0x20 && e <= 0x3F) seen.insert(e);
    }
    EXPECT_EQ(seen.size(), 32u);
    EXPECT_EQ(terminal.state.hostBlink, 1);
    Key(ds::kAidEnter);
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_EQ(terminal.state.hostBlink, 0);
}

TEST_F(DemoHostSession, AttentionMenuAndSystemRequestNinety) {
    SignOn();
    Option("2");
    responses.SendAttention();
    Flush();
    ASSERT_EQ(host->screen(), ScreenId::kAttention);
    Type(9, 18, "1");
    Key(ds::kAidEnter);
    EXPECT_EQ(host->screen(), ScreenId::kList);
    responses.SendSysReq("3");
    Flush();
    EXPECT_NE(Row(24).find("not supported"), std::string::npos);
    EXPECT_FALSE(host->closeRequested());
    responses.SendSysReq("90");
    Flush();
    EXPECT_TRUE(host->closeRequested());
}

TEST_F(DemoHostSession, PopUpRestoresTheSavedScreen) {
    SignOn();
    const std::string before = Row(5) + Row(6);
    Option("6");
    ASSERT_EQ(host->screen(), ScreenId::kPopup);
    EXPECT_TRUE(Shows("The screen below was saved."));
    Key(ds::kAidEnter);
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_FALSE(Shows("The screen below was saved."));
    EXPECT_EQ(Row(5) + Row(6), before);
    EXPECT_TRUE(Shows("the screen was restored"));
    EXPECT_EQ(terminal.state.inputInhibited, 0);
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    // The restored menu still works.
    Option("3");
    EXPECT_EQ(host->screen(), ScreenId::kColors);
}

TEST_F(DemoHostSession, PopUpIsAWindowForATerminalOfferingTheEnhancedInterface) {
    settings.Enhanced = 1;
    SignOn();
    const std::string before = Row(5) + Row(6);
    Option("6");
    ASSERT_EQ(host->screen(), ScreenId::kPopup);
    ASSERT_EQ(terminal.constructs.windows().size(), 1u) << "the terminal frames it itself";
    const HostWindow& w = terminal.constructs.windows()[0];
    EXPECT_EQ(w.title, "Pop-up");
    EXPECT_EQ(w.depth, 6);
    EXPECT_EQ(w.width, 42);
    EXPECT_TRUE(terminal.constructs.cursorRestricted());
    EXPECT_EQ(Row(w.row).substr(static_cast<std::size_t>(w.column - 1), 44),
              std::string(19, '.') + "Pop-up" + std::string(19, '.'));
    EXPECT_TRUE(Shows("The screen below was saved."));
    Key(ds::kAidEnter);
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_TRUE(terminal.constructs.windows().empty()) << "removed as the screen comes back";
    EXPECT_EQ(Row(5) + Row(6), before);
}

TEST_F(DemoHostSession, PopUpIsTextForATerminalWithoutTheEnhancedInterface) {
    SignOn();
    Option("6");
    ASSERT_EQ(host->screen(), ScreenId::kPopup);
    EXPECT_TRUE(terminal.constructs.windows().empty());
    EXPECT_TRUE(Shows("--------------------------------------------"));
}

TEST_F(DemoHostSession, ChoicesScreenIsTextWithoutTheEnhancedInterface) {
    SignOn();
    Option("10");
    ASSERT_EQ(host->screen(), ScreenId::kChoices);
    EXPECT_TRUE(terminal.constructs.windows().empty());
    EXPECT_TRUE(terminal.constructs.selectionFields().empty());
    EXPECT_TRUE(terminal.constructs.scrollBars().empty());
    EXPECT_EQ(Row(5).substr(11, 5), "Size:");
    EXPECT_EQ(Row(5).substr(23, 9), " 1. Small") << "where the enhanced interface puts it too";
    EXPECT_EQ(Row(6).substr(23, 10), " 2. Medium");
    EXPECT_TRUE(Shows("01 Apple juice"));
    EXPECT_TRUE(Shows("More..."));
    EXPECT_TRUE(Shows("Enter=OK   F12=Cancel"));
    Key(ds::kAidEnter);
    EXPECT_EQ(Text(24), "Choose a size: 1, 2 or 3.");
    Type(5, 21, "2");
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_EQ(Text(24), "You ordered a Medium drink.");
}

/// The operator's input on the harness's terminal, for choices by cursor,
/// number and mouse.
class DemoHostChoices : public DemoHostSession {
protected:
    struct QuietNotifications : NotificationControl {
        void SuspendNotifications() override {}
        void ResumeNotifications() override {}
        void ReconnectRequested() override {}
    };
    DemoHostChoices() {
        settings.Enhanced = 1;
        terminal.state.connected = 1;
    }
    void Open() {
        SignOn();
        Option("10");
        ASSERT_EQ(host->screen(), ScreenId::kChoices);
        ASSERT_EQ(terminal.constructs.selectionFields().size(), 2u) << Screen();
    }
    const SelectionField& Sizes() const { return terminal.constructs.selectionFields()[0]; }
    /// Sends what the operator's keys queued and runs the host's answer.
    void Go() { Flush(); }

    InputState inputState;
    QuietNotifications notifications;
    MemoryClipboard clipboard;
    ClipboardOptions options;
    InputLinks inputLinks{terminal, tables, settings, responses, notifications, messages, inputState};
    OperatorInput input{inputLinks, clipboard, options};
};

TEST_F(DemoHostChoices, AWindowWithASizeFieldButtonsAndAScrollBarForTheEnhancedInterface) {
    Open();
    ASSERT_EQ(terminal.constructs.windows().size(), 1u);
    EXPECT_EQ(terminal.constructs.windows()[0].title, "Order");
    const SelectionField& sizes = Sizes();
    EXPECT_EQ(sizes.kind, SelectionKind::kSingleChoice);
    ASSERT_EQ(sizes.choices.size(), 3u);
    EXPECT_EQ(sizes.choices[2].text, "Large");
    EXPECT_TRUE(HasAnswerField(terminal, sizes));
    const SelectionField& buttons = terminal.constructs.selectionFields()[1];
    EXPECT_EQ(buttons.kind, SelectionKind::kPushButtons);
    EXPECT_EQ(buttons.choices[1].aid, ds::kAidF12);
    ASSERT_EQ(terminal.constructs.scrollBars().size(), 1u);
    EXPECT_EQ(terminal.constructs.scrollBars()[0].total, 20u);
    EXPECT_FALSE(Shows("More...")) << "the scroll bar says it";

    // Page Down moves the list and the slider; what was chosen stays.
    EXPECT_EQ(ChooseByNumber(input, 0, 3), ChoiceResult::kChosen);
    input.PressKey("PageDown");
    Go();
    EXPECT_TRUE(Shows("07 Green tea"));
    EXPECT_EQ(terminal.constructs.scrollBars().at(0).slider, 6u);
    EXPECT_TRUE(ChoiceChosen(terminal, Sizes(), 2)) << "the host sends the size back as chosen";
}

TEST_F(DemoHostChoices, TheHostReadsTheSizeChosenByCursorByNumberOrByMouse) {
    Open();
    // By the cursor and Enter.
    const SelectionChoice& medium = Sizes().choices[1];
    terminal.SetCursorCell(medium.row - 1, medium.column + 5);
    input.PressKey("Enter");
    Go();
    EXPECT_EQ(Text(24), "You ordered a Medium drink.");

    // By the number typed into the field.
    Option("10");
    ASSERT_EQ(host->screen(), ScreenId::kChoices);
    input.Type("1");
    input.PressKey("Enter");
    Go();
    EXPECT_EQ(Text(24), "You ordered a Small drink.");

    // By the mouse, then the OK button sends Enter.
    Option("10");
    const SelectionChoice& large = Sizes().choices[2];
    EXPECT_EQ(ChooseAt(input, large.row - 1, large.column + 4), ChoiceResult::kChosen);
    const SelectionChoice& ok = terminal.constructs.selectionFields()[1].choices[0];
    EXPECT_EQ(ChooseAt(input, ok.row - 1, ok.column), ChoiceResult::kChosen);
    Go();
    EXPECT_EQ(Text(24), "You ordered a Large drink.");

    // Cancel is F12.
    Option("10");
    const SelectionChoice& cancel = terminal.constructs.selectionFields()[1].choices[1];
    EXPECT_EQ(ChooseAt(input, cancel.row - 1, cancel.column + 1), ChoiceResult::kChosen);
    Go();
    EXPECT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_EQ(Text(24), "No drink ordered.");
}

TEST_F(DemoHostSession, PopUpOnTheWideScreenKeepsMessagesOnTheLastRow) {
    Connect("IBM-3477-FC");
    Type(6, 53, "DEMO");
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kMenu);
    const std::string keys = Row(25);
    Type(23, 8, "6");
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kPopup);
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kMenu);
    EXPECT_EQ(terminal.rows(), 27);
    EXPECT_EQ(Text(27), "Pop-up closed; the screen was restored.");
    EXPECT_EQ(Text(24), "");
    EXPECT_EQ(Row(25), keys);
    // The restored fields are there, and later messages go to the last row.
    ASSERT_EQ(terminal.formatTable.fieldCount(), 1);
    Type(23, 8, "42");
    Key(ds::kAidEnter);
    EXPECT_EQ(Text(27), "Option 42 is not valid. Type a number from the list.");
    EXPECT_EQ(Text(24), "");
    EXPECT_EQ(CursorRow(), 23);
    Type(23, 8, "3 ");
    Key(ds::kAidEnter);
    EXPECT_EQ(host->screen(), ScreenId::kColors);
}

TEST_F(DemoHostSession, FieldDataIsReadWithTheHostsCodePage) {
    // A German terminal sends "@" as 0xB5, which the built-in page reads as
    // a section sign: a host on that page does not know the user.
    tables.InitTranslation(QUENLIX_TABLE_DIR);
    settings.PageCode = 273;
    Connect();
    Type(6, 53, "@DEMO");
    Key(ds::kAidEnter);
    EXPECT_FALSE(host->signedOn());
    EXPECT_NE(Row(24).find("does not exist"), std::string::npos);

    TranslationCache hostTables;
    hostTables.InitTranslation(QUENLIX_TABLE_DIR);
    ASSERT_EQ(hostTables.SelectTables(273), kTablesSelected);
    HostConfig config;
    config.tables = hostTables.current();
    Connect("IBM-5292-2", EnvironAnswer({{"DEVNAME", "DSP01"}, {"IBMRSEED", ""}}), config);
    Type(6, 53, "@DEMO");
    Key(ds::kAidEnter);
    EXPECT_EQ(host->user(), "@DEMO");
    EXPECT_TRUE(Shows("User: @DEMO"));  // and back out through the same page
}

TEST_F(DemoHostSession, ReadInputFieldsReadScreenAndReadImmediateAnswersAreChecked) {
    SignOn();
    Option("7");
    ASSERT_EQ(host->screen(), ScreenId::kReadTest);
    EXPECT_EQ(terminal.state.pendingRead, kReadInputFields);
    // A word and a negative amount, as Field- leaves it (-42: the minus in
    // the sign position).
    Type(8, 24, "HELLO");
    Store(10, 24, Concat({Bytes(4, 0x40), {0xF4, 0xF2, 0x60}}));
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kReadResult) << log;
    // The terminal leaves the sign position out of Read Input Fields and of
    // Read Immediate alike (10 + 5 + 6).
    EXPECT_TRUE(Shows("Read Input Fields: 21 bytes of field data  OK")) << Screen();
    EXPECT_TRUE(Shows("Read Screen: 1920 bytes, expected 1920  OK"));
    EXPECT_TRUE(Shows("Marker text at row 6: OK"));
    EXPECT_TRUE(Shows("match Enter: OK"));
    EXPECT_TRUE(Shows("21 bytes of field data  OK")) << Screen();
    EXPECT_TRUE(Shows("Fields read: Word 'HELLO', Number '12345', Amount '-42'"));

    // Enter without typing: no field data in either answer.
    Key(ds::kAidEnter);
    Option("7");
    Key(ds::kAidEnter);
    ASSERT_EQ(host->screen(), ScreenId::kReadResult);
    EXPECT_TRUE(Shows("Read Input Fields: no field data (nothing typed)"));
    EXPECT_TRUE(Shows("match Enter: OK"));
    EXPECT_TRUE(Shows("no field data (nothing typed)"));
}

TEST_F(DemoHostSession, ReadInputFieldsOfEitherFormAndOfNeither) {
    const TablePair& t = BuiltinTablePair();
    const Bytes word = {t.ATOE['H'], t.ATOE['I'], 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40, 0x40};
    const Bytes number = {0xF1, 0xF2, 0xF3, 0xF4, 0xF5};
    const Bytes amount = {0x40, 0x40, 0x40, 0x40, 0xF4, 0xD2};  // -42, data positions only
    const struct {
        const char* what;
        Bytes data;
        const char* line;
        const char* word;  ///< the values the host then holds
        const char* amount;
    } cases[] = {
        {"every position", Concat({word, number, amount, {0x40}}),
         "Read Input Fields: 22 bytes of field data  OK", "HI", "-42"},
        {"without the sign position", Concat({word, number, amount}),
         "Read Input Fields: 21 bytes of field data  OK", "HI", "-42"},
        {"neither: the values stay", Concat({word, number}),
         "Read Input Fields: 15 bytes of field data, not the fields' lengths  WRONG", "", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.what);
        SignOn();
        Option("7");
        ASSERT_EQ(host->screen(), ScreenId::kReadTest);
        host->Receive(FrameRecord(ds::kOpPutGet, Concat({{8, 24, ds::kAidEnter}, c.data})));
        Deliver();
        ASSERT_EQ(host->screen(), ScreenId::kReadResult);
        EXPECT_EQ(Text(3), c.line);
        EXPECT_EQ(Text(4), std::string("Fields read: Word '") + c.word + "', Number '12345', " +
                               "Amount '" + c.amount + "'");
    }
}

TEST_F(DemoHostSession, QueryScreenShowsDeviceTypeAndModel) {
    SignOn();
    Option("8");
    ASSERT_EQ(host->screen(), ScreenId::kQueryInfo);
    EXPECT_TRUE(Shows("Device type . . . . :  5292"));
    EXPECT_TRUE(Shows("Model . . . . . . . :  2"));
}

TEST_F(DemoHostSession, BurstSendsScreensThenReportsTheAnswer) {
    HostConfig config;
    config.scenario = Scenario::kBurst;
    config.burstCount = 5;
    Connect("IBM-5292-2", EnvironAnswer({{"IBMRSEED", ""}}), config);
    const auto reports = host->TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("burst: 5 screens"), std::string::npos);
    EXPECT_NE(reports[0].find("Read Screen answer 1920 bytes"), std::string::npos);
    EXPECT_NE(Row(1).find("Screen 0000005 row 01"), std::string::npos);
    EXPECT_NE(Row(24).find("Burst of 5 screens done"), std::string::npos);
    Key(ds::kAidEnter);
    EXPECT_NE(host->TakeReports().at(0).find("answer Enter"), std::string::npos);
    EXPECT_TRUE(host->closeRequested());
}

TEST_F(DemoHostSession, RoundTripBurstSendsEachScreenAfterTheLastOnesReadScreenAnswer) {
    HostConfig config;
    config.scenario = Scenario::kBurstRoundTrip;
    config.burstCount = 4;
    Negotiate("IBM-5292-2", EnvironAnswer({{"IBMRSEED", ""}}), config);
    const Bytes query = host->TakeOutput();
    ::quenlix::ProcessWire(interpreter, query);
    Answer();  // the query reply
    const Bytes readScreen = FrameRecord(ds::kOpReadScreen, {ds::kEscape, ds::kCmdReadScreen});
    for (int n = 1; n <= 4; ++n) {
        SCOPED_TRACE(n);
        const Bytes out = host->TakeOutput();
        // One screen, then the Read Screen request, and nothing more until
        // its answer, however often the server pumps.
        ASSERT_GT(out.size(), readScreen.size());
        EXPECT_TRUE(std::equal(readScreen.rbegin(), readScreen.rend(), out.rbegin()));
        EXPECT_EQ(out[9], ds::kOpOutputOnly);
        host->Pump();
        EXPECT_TRUE(host->TakeOutput().empty());
        EXPECT_TRUE(host->TakeReports().empty());
        ::quenlix::ProcessWire(interpreter, out);
        char head[32];
        std::snprintf(head, sizeof head, "Screen %07d row 01", n);
        EXPECT_EQ(Row(1).find(head), 0u);
        ASSERT_EQ(sender.sent.size(), 1u);
        EXPECT_EQ(sender.sent[0][9], ds::kOpReadScreen);
        Answer();
    }
    // After the last answer: the report and the closing screen.
    const auto reports = host->TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("burst round trip: 4 screens"), std::string::npos) << reports[0];
    EXPECT_NE(reports[0].find("4 Read Screen answers, 0 not 1920 bytes"), std::string::npos);
    Deliver();
    EXPECT_NE(Row(24).find("Burst of 4 screens done"), std::string::npos);
    EXPECT_TRUE(host->TakeOutput().empty());
    Key(ds::kAidEnter);
    EXPECT_NE(host->TakeReports().at(0).find("answer Enter"), std::string::npos);
    EXPECT_TRUE(host->closeRequested());
}

TEST_F(DemoHostSession, RoundTripBurstCountsAnswersOfTheWrongSize) {
    HostConfig config;
    config.scenario = Scenario::kBurstRoundTrip;
    config.burstCount = 2;
    Negotiate("IBM-5292-2", EnvironAnswer({{"IBMRSEED", ""}}), config);
    host->QueryReplyTimedOut();
    for (int n = 0; n < 2; ++n) {
        ASSERT_FALSE(host->TakeOutput().empty());
        host->Receive(FrameRecord(ds::kOpReadScreen, Bytes(n == 0 ? 1920 : 100, 0x40)));
    }
    const auto reports = host->TakeReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_NE(reports[0].find("2 Read Screen answers, 1 not 1920 bytes"), std::string::npos);
    // A Read Screen answer nobody asked for changes nothing.
    host->TakeOutput();
    host->Receive(FrameRecord(ds::kOpReadScreen, Bytes(1920, 0x40)));
    EXPECT_TRUE(host->TakeOutput().empty());
    EXPECT_TRUE(host->TakeReports().empty());
}

TEST_F(DemoHostSession, LogNamesTheHostsEventsAndLeavesTheRecordsToTheTrafficLog) {
    SignOn("LOGGER");
    EXPECT_NE(log.find("<- SB TERMINAL-TYPE IS \"IBM-5292-2\""), std::string::npos) << log;
    EXPECT_NE(log.find("-> Put/Get Clear Unit, Write To Display main menu"), std::string::npos);
    // The terminal's records are described, with their secrets masked, by
    // the server's traffic log; the session's own log only says what it did.
    EXPECT_EQ(log.find("LOGGER    "), std::string::npos) << log;
}

}  // namespace
}  // namespace quenlix::testing

namespace quenlix::testing {
namespace {

// A printer device: the startup response after the negotiation, the
// report's pages as print records, and the display's menu option 9.
class DemoHostPrinter : public DemoHostSession {
protected:
    // The host's records in its output, the wire framing undone.
    std::vector<Bytes> Records() { return WireRecords(host->TakeOutput()); }
};

TEST_F(DemoHostPrinter, APrinterIsStartedOrRefusedWithTheCodeItWasGiven) {
    Negotiate("IBM-3812-1", EnvironAnswer({{"DEVNAME", "PRT01"}, {"IBMRSEED", ""}}));
    EXPECT_TRUE(host->printerReady());
    std::vector<Bytes> records = Records();
    ASSERT_EQ(records.size(), 1u);
    scs::PrinterRecord r = scs::ReadPrinterRecord(records[0].data(), records[0].size());
    ASSERT_EQ(r.kind, scs::PrinterRecord::Kind::kStartupResponse);
    EXPECT_EQ(r.code->code, "I902");

    HostConfig refusing;
    refusing.printerRefuseCode = "8925";
    Negotiate("IBM-3812-1", EnvironAnswer({{"DEVNAME", "PRT01"}, {"IBMRSEED", ""}}), refusing);
    records = Records();
    ASSERT_EQ(records.size(), 1u);
    r = scs::ReadPrinterRecord(records[0].data(), records[0].size());
    EXPECT_EQ(r.code->code, "8925");
    EXPECT_TRUE(host->closeRequested());
}

TEST_F(DemoHostPrinter, TheReportIsOnePrintRecordAPageAndThenItsEnd) {
    HostConfig config;
    config.scenario = Scenario::kPrint;
    config.burstCount = 3;
    Negotiate("IBM-3812-1", EnvironAnswer({{"DEVNAME", "PRT01"}, {"IBMRSEED", ""}}), config);
    const std::vector<Bytes> records = Records();
    ASSERT_EQ(records.size(), 5u) << "startup response, three pages, the end";
    for (std::size_t i = 1; i <= 3; ++i) {
        const scs::PrinterRecord page = scs::ReadPrinterRecord(records[i].data(), records[i].size());
        EXPECT_EQ(page.kind, scs::PrinterRecord::Kind::kPrint);
        EXPECT_FALSE(page.endOfFile);
    }
    EXPECT_TRUE(scs::ReadPrinterRecord(records[4].data(), records[4].size()).endOfFile);
}

TEST_F(DemoHostPrinter, MenuOptionNineSpoolsToAPrinterOrSaysThereIsNone) {
    SignOn();
    Deliver();
    Option("9");
    Deliver();
    EXPECT_TRUE(Shows("No printer session is connected.")) << Screen();

    HostConfig config;
    int asked = 0;
    config.printReport = [&](int pages, std::string& device) {
        asked = pages;
        device = "PRT01";
        return true;
    };
    Connect("IBM-5292-2", EnvironAnswer({{"DEVNAME", "DSP01"}, {"IBMRSEED", ""}}), config);
    Type(6, 53, "DEMO");
    Key(ds::kAidEnter);
    Deliver();
    Option("9");
    Deliver();
    EXPECT_EQ(asked, demohost::HostSession::kMenuReportPages);
    EXPECT_TRUE(Shows("Report spooled to printer PRT01.")) << Screen();
}

}  // namespace
}  // namespace quenlix::testing
