// One terminal's session with the demo host: the telnet negotiation a
// TN5250 server opens with, then the scripted screens (sign-on, main menu,
// data entry, list, colours, pop-up, reads, query) driven by the records the
// terminal sends back. Plain state + bytes in, bytes out: no I/O here.
//
// HostSession is the one object the server and the tests talk to; its
// implementation is spread over one file per concept:
//   HostSession.cpp      input and output, records routed to the screens
//   HostNegotiation.cpp  the telnet negotiation, step by step
//   SignOnScreen.cpp     sign-on (typed or automatic) and sign-off
//   MainMenuScreen.cpp   the main menu and its help screen
//   AttentionScreen.cpp  the Attention key's menu and System Request
//   DataEntryScreen.cpp  one field of each kind, checked and echoed
//   ListScreen.cpp       a 100-line list paged by the roll keys
//   ColoursScreen.cpp    every screen attribute
//   PopupScreen.cpp      a window over a saved screen, then Restore Screen
//   ChoicesScreen.cpp    a window with selection fields and a scroll bar
//   ReadCheckScreen.cpp  Read Input Fields, Read Screen, Read Immediate, checked
//   QueryScreen.cpp      the 5250 query (first at start-up) and its reply
//   BurstScenario.cpp    full screens as fast as the terminal takes them,
//                        or one a round trip
//   PrinterDevice.cpp    a printer session: the startup response, and the
//                        sample report spooled to it
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "demohost/FieldData.h"
#include "demohost/FieldDef.h"
#include "demohost/HostTelnet.h"
#include "demohost/InboundRecord.h"

namespace quenlix::demohost {

class ScreenWriter;

enum class Scenario {
    kDemo,            ///< the scripted screens
    kBurst,           ///< full screens sent as fast as the socket takes them
    kBurstRoundTrip,  ///< each full screen ends with Read Screen; the next waits for its answer
    kPrint,           ///< a printer session gets a report of burstCount pages at once
};

struct HostConfig {
    Scenario scenario = Scenario::kDemo;
    /// Screens of the burst scenarios, 1 to HostSession::kMaxBurst.
    long burstCount = 100;
    /// Shown in the sign-on header as the system name.
    std::string systemName = "QUENLIX1";
    /// Used to make up a device name when the terminal offers none.
    int clientNumber = 1;
    /// The host's code page: screen text goes out and field data comes back
    /// through it. Telnet does not tell which code page the terminal uses, so
    /// this is the host's own setting, which the terminal has to match.
    TablePair tables = BuiltinTablePair();
    /// The seed of the environment request; by default a fresh random one
    /// for each session.
    std::optional<Seed> seed;
    /// The host's password level (QPWDLVL, 0 to 4): how an automatic
    /// sign-on's password substitute is checked.
    int passwordLevel = 3;
    /// Every user's password for an automatic sign-on (the sign-on screen
    /// takes any).
    std::string password = "DEMO";
    /// An automatic sign-on with the password in clear (no client seed) is
    /// accepted, with a warning in the log; otherwise it is refused.
    bool allowPlain = false;
    /// The startup code a printer session gets: empty for I902 (ready), or
    /// the failure code to refuse the device with.
    std::string printerRefuseCode;
    /// The display's "Print a report": spools `pages` pages to a ready
    /// printer session; false when none is connected. `device` names it.
    std::function<bool(int pages, std::string& device)> printReport;
};

/// Where the negotiation stands, in the order of its steps.
enum class Phase {
    kAwaitTerminalTypeWill,  ///< DO TERMINAL-TYPE sent
    kAwaitTerminalType,      ///< SB TERMINAL-TYPE SEND sent
    kAwaitBinary,            ///< DO/WILL END-OF-RECORD and TRANSMIT-BINARY sent
    kAwaitEnvironWill,       ///< DO NEW-ENVIRON sent
    kAwaitEnviron,           ///< SB NEW-ENVIRON SEND sent
    kAwaitQueryReply,        ///< the 5250 query sent; the first screen follows the answer
    kRunning,                ///< 5250 records flow
    kClosing,                ///< the host ends the connection once output is sent
};

enum class ScreenId {
    kNone,
    kSignOn,
    kMenu,
    kHelp,
    kDataEntry,
    kDataResult,
    kList,
    kColors,
    kPopup,
    kReadTest,
    kReadResult,
    kQueryInfo,
    kAttention,
    kBurst,
    kChoices,
};

/// What the last query reply said.
struct QueryInfo {
    bool received = false;
    std::string deviceType;  ///< "3477"
    std::string model;       ///< "FC"
    std::uint8_t queryClass = 0;
    std::size_t length = 0;
    /// The reply offers the Write To Display structured fields (windows).
    bool enhanced = false;
};

class HostSession {
public:
    /// Output is generated in slices of this size while a burst runs.
    static constexpr std::size_t kPumpBudget = 256 * 1024;
    /// Lines of the list screen.
    static constexpr int kListLines = 100;
    /// A burst never runs longer than this many screens.
    static constexpr long kMaxBurst = 10'000'000;

    explicit HostSession(HostConfig config = {});

    /// Opens the negotiation (IAC DO TERMINAL-TYPE). The steps: terminal
    /// type, then END-OF-RECORD and TRANSMIT-BINARY, then the environment.
    /// Then, as a real host does, the 5250 query goes out alone, and the
    /// first screen (sign-on, the main menu after an automatic sign-on, or
    /// the burst) follows the terminal's first record: the query reply, or
    /// any other record (a negative response from a terminal that has no
    /// query, a key), which ends the wait just the same.
    void Start();
    /// Bytes the terminal sent, in any slices.
    void Receive(const std::uint8_t* data, std::size_t count);
    void Receive(const Bytes& bytes) { Receive(bytes.data(), bytes.size()); }
    /// Tops up the output of a running burst to `budget` bytes.
    void Pump(std::size_t budget = kPumpBudget);
    /// The session keeps no timers: the server calls this when the terminal
    /// has left the query unanswered for its wait (DemoServer's
    /// queryReplyWait), and the first screen goes out without the reply.
    /// Does nothing unless the session awaits the query reply.
    void QueryReplyTimedOut();
    bool awaitingQueryReply() const { return phase_ == Phase::kAwaitQueryReply; }

    /// Everything queued for the terminal since the last call.
    Bytes TakeOutput();
    std::size_t pendingOutput() const { return out_.size(); }
    /// Decoded lines of both directions since the last call.
    std::vector<std::string> TakeLog();
    /// Burst timings and other operator reports since the last call.
    std::vector<std::string> TakeReports();
    /// A printer device (its terminal type said so).
    bool isPrinter() const { return printer_; }
    /// A printer the host started (I902), waiting for or printing reports.
    bool printerReady() const { return printer_ && phase_ == Phase::kRunning; }
    /// Spools the sample report of `pages` pages to this printer (the pages
    /// go out as the socket takes them, through Pump).
    void QueueReport(long pages);
    /// Pages of the sample report the display's menu spools.
    static constexpr int kMenuReportPages = 3;
    /// Items listed on each page of the report.
    static constexpr int kReportItemsPerPage = 20;
    /// The SCS data of one page of the sample report.
    static Bytes ReportPage(long page, const TablePair& tables);
    /// The host ends the connection once the pending output is written.
    bool closeRequested() const { return phase_ == Phase::kClosing; }

    Phase phase() const { return phase_; }
    ScreenId screen() const { return screen_; }
    const std::string& terminalType() const { return terminalType_; }
    const Environment& environment() const { return env_; }
    const std::string& deviceName() const { return deviceName_; }
    /// The seed this session sends after USERVAR "IBMRSEED".
    const Seed& seed() const { return seed_; }
    const std::string& user() const { return user_; }
    bool signedOn() const { return !user_.empty(); }
    int rows() const { return rows_; }
    int columns() const { return columns_; }
    const std::vector<FieldDef>& fields() const { return fields_; }
    /// Current value of field i as the host knows it (initial, or what the
    /// terminal last sent for it, see FieldData.h).
    const std::string& value(std::size_t i) const { return values_.at(i).text; }
    bool negative(std::size_t i) const { return values_.at(i).negative; }
    const QueryInfo& query() const { return query_; }
    int listTop() const { return listTop_; }
    bool messageLight() const { return messageLight_; }

private:
    // HostNegotiation.cpp
    void OnCommand(const TelnetEvent& e);
    void OnSubnegotiation(const TelnetEvent& e);
    void AskBinary();
    void AskEnvironment();
    /// The negotiation is done: the device name is settled, the query goes out.
    void EndNegotiation();
    void Refuse(std::uint8_t verb, std::uint8_t option);

    // HostSession.cpp: the start, records, field values, screens out.
    /// The first screen, once the start-up query was answered or given up.
    void StartApplication();
    void OnRecord(const TelnetEvent& e);
    void OnAid(const InboundRecord& r);
    void ApplyFields(const InboundRecord& r);
    int FieldAt(int row, int column) const;
    void Show(ScreenId id, const std::string& message = {});
    /// The screen's layout and fields into `w`; the fields become the host's.
    void DrawScreen(ScreenId id, const std::string& message, ScreenWriter& w);
    void ShowError(const std::string& message, int fieldIndex = -1);
    void Reinvite();
    /// The information screens: Enter, F3 and F12 return to the main menu.
    void OnInformation(const InboundRecord& r);

    // SignOnScreen.cpp
    void DrawSignOn(ScreenWriter& w);
    void ShowFirstScreen();
    /// Checks an automatic sign-on's password: the substitute against the
    /// one this host makes from its password and both seeds, or the clear
    /// password when allowed. `error` says why not.
    bool CheckAutomaticPassword(const std::string& user, std::string& error);
    void OnSignOn(const InboundRecord& r);
    bool TrySignOn(const std::string& user, std::string& error);
    void SignOff(const std::string& why);

    // MainMenuScreen.cpp
    void DrawMenu(ScreenWriter& w);
    void DrawHelp(ScreenWriter& w);
    void OnMenu(const InboundRecord& r);

    // AttentionScreen.cpp
    void DrawAttention(ScreenWriter& w);
    void OnAttention();
    void OnAttentionMenu(const InboundRecord& r);
    void OnSystemRequest(const InboundRecord& r);

    // DataEntryScreen.cpp
    void DrawDataEntry(ScreenWriter& w);
    void DrawDataResult(ScreenWriter& w);
    void OnDataEntry(const InboundRecord& r);

    // ListScreen.cpp
    void DrawList(ScreenWriter& w);
    void OnList(const InboundRecord& r);

    // ColoursScreen.cpp
    void DrawColours(ScreenWriter& w);

    // ChoicesScreen.cpp
    void DrawChoices(ScreenWriter& w);
    void OnChoices(const InboundRecord& r);
    static int ChoicesListLines();
    static int ChoicesDrinkCount();

    // PopupScreen.cpp
    void ShowPopup();
    void OnPopup(const InboundRecord& r);
    void ClosePopup();

    // ReadCheckScreen.cpp
    void DrawReadTest(ScreenWriter& w);
    void DrawReadResult(ScreenWriter& w);
    void OnReadTest(const InboundRecord& r);
    void OnReadScreen(const InboundRecord& r);
    void OnReadImmediate(const InboundRecord& r);

    // QueryScreen.cpp
    void DrawQueryInfo(ScreenWriter& w);
    void SendQuery();
    void OnQueryReply(const InboundRecord& r);
    /// The terminal's first record after the start-up query.
    void OnStartupAnswer(const InboundRecord& r);

    // PrinterDevice.cpp
    void StartPrinter();
    void OnPrinterRecord(const TelnetEvent& e);
    void PumpReport(std::size_t budget);

    // BurstScenario.cpp
    void StartBurst();
    void QueueBurstScreen();
    /// The next screen and its Read Screen request (round-trip burst).
    void QueueRoundTrip();
    /// The closing Put/Get that unlocks the keyboard and waits for Enter.
    void QueueBurstEnd();
    void OnBurstReadScreen(const InboundRecord& r);
    void OnBurstKey(const InboundRecord& r);
    double BurstMilliseconds() const;

    void Send(const Bytes& bytes, const std::string& what);
    void Log(const std::string& line) { log_.push_back(line); }

    HostConfig config_;
    Phase phase_ = Phase::kAwaitTerminalTypeWill;
    TelnetReader reader_;
    Bytes out_;
    std::vector<std::string> log_;
    std::vector<std::string> reports_;
    std::vector<std::uint8_t> refused_;  ///< options already refused once

    std::string terminalType_;
    Environment env_;
    std::string deviceName_;
    Seed seed_{};
    int rows_ = 24;
    int columns_ = 80;
    int binaryAnswers_ = 0;  ///< bit per expected answer to the binary/EOR requests

    ScreenId screen_ = ScreenId::kNone;
    ScreenId returnTo_ = ScreenId::kMenu;  ///< the attention menu's "return"
    std::vector<FieldDef> fields_;
    std::vector<FieldValue> values_;
    std::string user_, program_, menu_, library_;
    int listTop_ = 0;
    int choicesTop_ = 0;      ///< the first drink the choices screen lists
    std::string choiceSize_;  ///< the size's field as the host last read it
    bool messageLight_ = false;
    QueryInfo query_;
    bool queryShown_ = false;  ///< the query screen waits for a reply

    // Pop-up: the Save Screen answer and what was on screen before.
    Bytes saved_;
    ScreenId savedScreen_ = ScreenId::kNone;
    std::vector<FieldDef> savedFields_;
    std::vector<FieldValue> savedValues_;

    // Read Screen / Read Immediate check.
    int readsPending_ = 0;
    std::vector<std::string> readResults_;

    // Data entry echo.
    std::vector<std::string> echo_;

    // Printer: the report under way.
    bool printer_ = false;
    long reportLeft_ = 0;
    long reportPage_ = 0;
    long reportsSent_ = 0;
    long printCompletes_ = 0;

    // Burst.
    long burstLeft_ = 0;
    long burstSent_ = 0;
    std::size_t burstBytes_ = 0;
    long burstAnswers_ = 0;       ///< round trip: Read Screen answers taken
    long burstWrongAnswers_ = 0;  ///< of them, not one byte a cell
    bool burstTailSent_ = false;
    std::chrono::steady_clock::time_point burstStart_;
};

}  // namespace quenlix::demohost
