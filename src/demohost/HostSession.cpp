// The demo host's session: negotiation, screens and the answers to them.
#include "demohost/HostSession.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace telnet;
using namespace quenlix::ds;

namespace {

constexpr std::uint8_t kAttrNormal = 0x20;
constexpr std::uint8_t kAttrWhite = 0x22;
constexpr std::uint8_t kAttrInput = 0x24;     // green underline
constexpr std::uint8_t kAttrHidden = 0x27;    // non-display
constexpr std::uint8_t kAttrRedBlink = 0x2A;
constexpr std::uint8_t kAttrBlue = 0x3A;
constexpr std::uint8_t kCc2SteadyCursor = 0x20;
constexpr std::uint8_t kCc2BlinkCursor = 0x10;

// Field format word: byte 1 always carries 0x40; shift/edit in the low bits.
constexpr std::uint8_t kFfw = 0x40;
constexpr std::uint8_t kFfwBypass = 0x20;
constexpr std::uint8_t kFfwDup = 0x10;
constexpr std::uint8_t kShiftAlphaOnly = 1, kShiftNumericShift = 2, kShiftNumericOnly = 3,
                       kShiftDigitsOnly = 5, kShiftIo = 6, kShiftSigned = 7;
constexpr std::uint8_t kFfw2AutoEnter = 0x80, kFfw2FieldExit = 0x40, kFfw2Monocase = 0x20,
                       kFfw2MandatoryEnter = 0x08, kFillZero = 5, kFillBlank = 6,
                       kFillMandatory = 7;

const char* const kBypassText = "PROTECTED";
const char* const kReadMarker = "READ-CHECK-7Q";

std::string Trim(const std::string& s) {
    std::size_t b = 0, e = s.size();
    while (b < e && (s[b] == ' ' || s[b] == '\0')) ++b;
    while (e > b && (s[e - 1] == ' ' || s[e - 1] == '\0')) --e;
    return s.substr(b, e - b);
}

/// A signed-numeric value (digits, then the sign position) as a number:
/// "-42", "42", or empty when no digit was typed.
std::string SignedNumber(const std::string& value) {
    if (value.empty()) return value;
    const std::string digits = Trim(value.substr(0, value.size() - 1));
    return (value.back() == '-' && !digits.empty() ? "-" : "") + digits;
}

std::string Upper(std::string s) {
    for (char& c : s) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    return s;
}

std::string Pad(std::string s, std::size_t width) {
    if (s.size() < width) s.append(width - s.size(), ' ');
    return s;
}

/// A user profile name: a letter or $#@ first, then letters, digits, $#@_,
/// at most ten characters.
bool ValidUserName(const std::string& name) {
    if (name.empty() || name.size() > 10) return false;
    auto special = [](char c) { return c == '$' || c == '#' || c == '@'; };
    if (!std::isalpha(static_cast<unsigned char>(name[0])) && !special(name[0])) return false;
    for (char c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c)) && !special(c) && c != '_') return false;
    }
    return true;
}

std::string OptionName(std::uint8_t option) {
    switch (option) {
        case kOptBinary: return "TRANSMIT-BINARY";
        case kOptTerminalType: return "TERMINAL-TYPE";
        case kOptEndOfRecord: return "END-OF-RECORD";
        case kOptNewEnviron: return "NEW-ENVIRON";
        default: return "option " + std::to_string(option);
    }
}

std::string VerbName(std::uint8_t verb) {
    switch (verb) {
        case kDo: return "DO";
        case kDont: return "DONT";
        case kWill: return "WILL";
        case kWont: return "WONT";
        default: return "command " + std::to_string(verb);
    }
}

std::string Hex2(int v) {
    char buf[4];
    std::snprintf(buf, sizeof buf, "%02X", v & 0xFF);
    return buf;
}

const char* AttributeName(int a) {
    static const char* const kNames[32] = {
        "Green",           "Green reverse",        "White",
        "White reverse",   "Green underline",      "Green reverse underline",
        "White underline", "Non-display",          "Red",
        "Red reverse",     "Red blink",            "Red reverse blink",
        "Red underline",   "Red reverse underline", "Red underline blink",
        "Non-display",     "Turquoise",            "Turquoise reverse",
        "Yellow",          "Yellow reverse",       "Turquoise underline",
        "Turquoise rev underline", "Yellow underline", "Non-display",
        "Pink",            "Pink reverse",         "Blue",
        "Blue reverse",    "Pink underline",       "Pink reverse underline",
        "Blue underline",  "Non-display"};
    return kNames[(a - 0x20) & 0x1F];
}

/// Builds one screen: text at addresses, fields, the cursor.
class ScreenWriter {
public:
    ScreenWriter(int rows, int columns, std::uint8_t cc2, const TablePair& tables)
        : rows_(rows), columns_(columns), rb_(kOpPutGet, tables) {
        if (rows == 27) {
            rb_.clearUnitAlternate();
        } else {
            rb_.clearUnit();
        }
        rb_.writeToDisplay(0x00, cc2);
        rb_.startOfHeader(0, static_cast<std::uint8_t>(rows));
    }

    ScreenWriter& Text(int row, int column, std::string_view text) {
        if (row < 1 || row > rows_ || column < 1 || column > columns_) return *this;
        const std::size_t room = static_cast<std::size_t>(columns_ - column + 1);
        rb_.sba(row, column).text(text.substr(0, room));
        return *this;
    }
    /// Text behind an attribute, closed by a normal attribute.
    ScreenWriter& Styled(int row, int column, std::uint8_t attribute, std::string_view text) {
        if (row < 1 || row > rows_ || column < 1) return *this;
        const int room = columns_ - column - 1;  // the two attribute cells
        if (room <= 0) return *this;
        text = text.substr(0, static_cast<std::size_t>(room));
        rb_.sba(row, column).attribute(attribute).text(text).attribute(kAttrNormal);
        return *this;
    }
    ScreenWriter& Centered(int row, std::uint8_t attribute, std::string_view text) {
        const int column = std::max(1, (columns_ - static_cast<int>(text.size())) / 2);
        return Styled(row, column, attribute, text);
    }
    ScreenWriter& Field(const FieldDef& f) {
        rb_.sba(f.row, f.column).startOfField(f.ffw1, f.ffw2, f.attribute, f.length);
        if (!f.initial.empty()) rb_.text(std::string_view(f.initial).substr(0, f.length));
        return *this;
    }
    ScreenWriter& Cursor(int row, int column) {
        rb_.insertCursor(row, column);
        return *this;
    }
    Bytes Finish() {
        rb_.readMdtFields();
        return rb_.record();
    }

private:
    int rows_, columns_;
    RecordBuilder rb_;
};

/// The first data position of a field whose attribute is at (row, column).
std::pair<int, int> DataAddress(const FieldDef& f, int columns) {
    if (f.column >= columns) return {f.row + 1, 1};
    return {f.row, f.column + 1};
}

/// A message that fills its row: a white attribute in the first column, the
/// text padded with blanks, a normal attribute in the last column. Write Error
/// Code replaces only the bytes it carries, so the blanks are what removes the
/// rest of a longer message shown before.
void MessageLine(RecordBuilder& rb, const std::string& message, int columns) {
    const std::size_t room = static_cast<std::size_t>(std::max(0, columns - 2));
    rb.attribute(kAttrWhite).text(Pad(message.substr(0, room), room)).attribute(kAttrNormal);
}

/// A signed-numeric field as the terminal sends it after Field-: the minus
/// sign is the zone 0xD of the last digit (0xD0..0xD9, "}" and J..R in most
/// code pages) and the sign position is blank. The host reads that as the
/// digits followed by "-" in the sign position, the form it checks and shows.
std::string ReadSignedField(const Bytes& ebcdic, std::string text, std::size_t length) {
    if (length < 2 || ebcdic.size() != length || text.size() != length) return text;
    const std::uint8_t digit = ebcdic[length - 2];
    const std::uint8_t sign = ebcdic[length - 1];
    if ((digit & 0xF0) == 0xD0 && (digit & 0x0F) <= 9 && (sign == 0x40 || sign == 0x00)) {
        text[length - 2] = static_cast<char>('0' + (digit & 0x0F));
        text[length - 1] = '-';
    }
    return text;
}

/// Where a Start of Header fits into a Save Screen answer: right after its
/// Restore Screen, Clear Unit (Alternate) and Write To Display commands,
/// before the first field is defined. 0 when the stream does not start so.
std::size_t AfterWriteToDisplay(const Bytes& saved) {
    std::size_t i = 0;
    auto at = [&](std::size_t k) { return i + k < saved.size() ? saved[i + k] : -1; };
    if (at(0) != kEscape || at(1) != kCmdRestoreScreen) return 0;
    i += 2;
    if (at(0) == kEscape && at(1) == kCmdClearUnit) {
        i += 2;
    } else if (at(0) == kEscape && at(1) == kCmdClearUnitAlternate && at(2) >= 0) {
        i += 3;
    } else {
        return 0;
    }
    if (at(0) != kEscape || at(1) != kCmdWriteToDisplay || at(3) < 0) return 0;
    return i + 4;
}

}  // namespace

HostSession::HostSession(HostConfig config) : config_(std::move(config)) {
    config_.burstCount = std::clamp(config_.burstCount, 1L, kMaxBurst);
}

void HostSession::Start() {
    phase_ = Phase::kAwaitTerminalTypeWill;
    Send({kIac, kDo, kOptTerminalType}, "DO TERMINAL-TYPE");
}

Bytes HostSession::TakeOutput() {
    Bytes b;
    b.swap(out_);
    return b;
}

std::vector<std::string> HostSession::TakeLog() {
    std::vector<std::string> l;
    l.swap(log_);
    return l;
}

std::vector<std::string> HostSession::TakeReports() {
    std::vector<std::string> r;
    r.swap(reports_);
    return r;
}

void HostSession::Send(const Bytes& bytes, const std::string& what) {
    out_.insert(out_.end(), bytes.begin(), bytes.end());
    Log("-> " + what + " (" + std::to_string(bytes.size()) + " bytes)");
}

void HostSession::Receive(const std::uint8_t* data, std::size_t count) {
    if (phase_ == Phase::kClosing) return;
    std::vector<TelnetEvent> events;
    reader_.Feed(data, count, events);
    for (const TelnetEvent& e : events) {
        if (phase_ == Phase::kClosing) return;
        switch (e.kind) {
            case TelnetEvent::kCommand: OnCommand(e); break;
            case TelnetEvent::kSubnegotiation: OnSubnegotiation(e); break;
            case TelnetEvent::kRecord: OnRecord(e); break;
        }
    }
}

// ---------------------------------------------------------------------------
// Negotiation

void HostSession::Refuse(std::uint8_t verb, std::uint8_t option) {
    // Each unasked option is refused once, so two refusing peers never loop.
    if (std::find(refused_.begin(), refused_.end(), option) != refused_.end()) return;
    if (refused_.size() < 256) refused_.push_back(option);
    const std::uint8_t answer = verb == kDo ? kWont : kDont;
    Send({kIac, answer, option}, VerbName(answer) + " " + OptionName(option));
}

void HostSession::OnCommand(const TelnetEvent& e) {
    if (e.verb != kDo && e.verb != kDont && e.verb != kWill && e.verb != kWont) {
        Log("<- telnet command " + std::to_string(e.verb));
        return;
    }
    Log("<- " + VerbName(e.verb) + " " + OptionName(e.option));
    const bool yes = e.verb == kDo || e.verb == kWill;
    switch (phase_) {
        case Phase::kAwaitTerminalTypeWill:
            if (e.option == kOptTerminalType && (e.verb == kWill || e.verb == kWont)) {
                if (yes) {
                    Send({kIac, kSb, kOptTerminalType, kSend, kIac, kSe},
                         "SB TERMINAL-TYPE SEND");
                    phase_ = Phase::kAwaitTerminalType;
                } else {
                    AskBinary();
                }
                return;
            }
            break;
        case Phase::kAwaitBinary: {
            int bit = -1;
            if (e.option == kOptEndOfRecord) bit = (e.verb == kWill || e.verb == kWont) ? 0 : 1;
            if (e.option == kOptBinary) bit = (e.verb == kWill || e.verb == kWont) ? 2 : 3;
            if (bit < 0) break;
            if (!yes) {
                Log("terminal refuses " + OptionName(e.option) + ": no 5250 session possible");
                phase_ = Phase::kClosing;
                return;
            }
            binaryAnswers_ |= 1 << bit;
            if (binaryAnswers_ == 0x0F) AskEnvironment();
            return;
        }
        case Phase::kAwaitEnvironWill:
            if (e.option == kOptNewEnviron && (e.verb == kWill || e.verb == kWont)) {
                if (yes) {
                    Send(EnvironmentRequest(), "SB NEW-ENVIRON SEND USER DEVNAME IBM...");
                    phase_ = Phase::kAwaitEnviron;
                } else {
                    StartApplication();
                }
                return;
            }
            break;
        default:
            break;
    }
    // Answers to what we asked arrive only in their phase; anything else the
    // terminal offers or asks for is refused.
    const bool ours = e.option == kOptBinary || e.option == kOptEndOfRecord ||
                      e.option == kOptTerminalType || e.option == kOptNewEnviron;
    if (yes && !ours) Refuse(e.verb, e.option);
}

void HostSession::OnSubnegotiation(const TelnetEvent& e) {
    if (e.option == kOptTerminalType) {
        terminalType_ = ParseTerminalType(e.payload);
        Log("<- SB TERMINAL-TYPE IS \"" + terminalType_ + "\"");
        if (phase_ != Phase::kAwaitTerminalType) return;
        if (terminalType_ == "IBM-3477-FC") {
            rows_ = 27;
            columns_ = 132;
        } else {
            rows_ = 24;
            columns_ = 80;
        }
        AskBinary();
        return;
    }
    if (e.option == kOptNewEnviron) {
        Environment env = ParseEnvironment(e.payload);
        std::string line = "<- SB NEW-ENVIRON IS";
        for (const auto& [name, value] : env.values) {
            line += " " + name + "=\"" + (name == "IBMSUBSPW" ? std::string(value.size(), '*')
                                                               : value) + "\"";
        }
        if (e.truncated) line += " (cut)";
        Log(line);
        if (phase_ != Phase::kAwaitEnviron) return;
        env_ = std::move(env);
        deviceName_ = Upper(Trim(env_.get("DEVNAME")));
        if (deviceName_ == "INUSE") {
            // A real host refuses a device name that is taken by closing the
            // connection right after the environment answer, before any 5250
            // record: the environment is the last step of the negotiation.
            Log("device INUSE is already in use: closing the connection");
            phase_ = Phase::kClosing;
            return;
        }
        deviceName_ = deviceName_.substr(0, 10);
        StartApplication();
        return;
    }
    Log("<- SB " + OptionName(e.option) + " (ignored)");
}

void HostSession::AskBinary() {
    Send({kIac, kDo, kOptEndOfRecord, kIac, kWill, kOptEndOfRecord, kIac, kDo, kOptBinary, kIac,
          kWill, kOptBinary},
         "DO END-OF-RECORD WILL END-OF-RECORD DO TRANSMIT-BINARY WILL TRANSMIT-BINARY");
    binaryAnswers_ = 0;
    phase_ = Phase::kAwaitBinary;
}

void HostSession::AskEnvironment() {
    Send({kIac, kDo, kOptNewEnviron}, "DO NEW-ENVIRON");
    phase_ = Phase::kAwaitEnvironWill;
}

void HostSession::StartApplication() {
    if (deviceName_.empty()) {
        char buf[16];
        std::snprintf(buf, sizeof buf, "QPADEV%04d", config_.clientNumber % 10000);
        deviceName_ = buf;
    }
    phase_ = Phase::kRunning;
    Log("negotiation done: terminal \"" + terminalType_ + "\", " + std::to_string(rows_) + "x" +
        std::to_string(columns_) + ", device " + deviceName_);
    if (config_.scenario == Scenario::kBurst) {
        screen_ = ScreenId::kBurst;
        burstLeft_ = config_.burstCount;
        Pump();
        return;
    }
    const std::string user = Upper(Trim(env_.get("USER")));
    std::string error;
    if (!user.empty() && !env_.get("IBMSUBSPW").empty() && TrySignOn(user, error)) {
        program_ = Upper(Trim(env_.get("IBMPROGRAM")));
        menu_ = Upper(Trim(env_.get("IBMIMENU")));
        library_ = Upper(Trim(env_.get("IBMCURLIB")));
        Log("automatic sign-on of " + user_);
        Show(ScreenId::kMenu, "Signed on automatically as " + user_ + ".");
    } else {
        Show(ScreenId::kSignOn, error);
    }
    SendQuery();
}

// ---------------------------------------------------------------------------
// Records from the terminal

int HostSession::FieldAt(int row, int column) const {
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        if (DataAddress(fields_[i], columns_) == std::make_pair(row, column)) {
            return static_cast<int>(i);
        }
    }
    return -1;
}

void HostSession::OnRecord(const TelnetEvent& e) {
    InboundRecord r = DecodeInbound(
        e.payload,
        [this](int row, int column) {
            const int i = FieldAt(row, column);
            return i < 0 ? -1 : fields_[static_cast<std::size_t>(i)].length;
        },
        config_.tables);
    Log("<- " + DescribeInbound(r, config_.tables) +
        (e.truncated ? " (cut at the record limit)" : ""));
    if (phase_ != Phase::kRunning) {
        Log("record before the negotiation ended: ignored");
        return;
    }
    switch (r.kind) {
        case InboundKind::kInvalid:
        case InboundKind::kNegative:
        case InboundKind::kCancelInvite:
            return;
        case InboundKind::kAttention:
            OnAttention();
            return;
        case InboundKind::kSystemRequest:
            OnSystemRequest(r);
            return;
        case InboundKind::kQueryReply:
            OnQueryReply(r);
            return;
        case InboundKind::kSaveScreen:
            saved_ = r.data;
            return;
        case InboundKind::kReadScreen:
            if (screen_ == ScreenId::kBurst) {
                OnBurstAnswer(r, true);
            } else {
                OnReadScreen(r);
            }
            return;
        case InboundKind::kReadImmediate:
            OnReadImmediate(r);
            return;
        case InboundKind::kAid:
        case InboundKind::kAidOnly:
            if (screen_ == ScreenId::kBurst) {
                OnBurstAnswer(r, false);
            } else {
                OnAid(r);
            }
            return;
    }
}

void HostSession::ApplyFields(const InboundRecord& r) {
    for (const InboundField& f : r.fields) {
        const int i = FieldAt(f.row, f.column);
        if (i < 0 || f.ebcdic.empty()) continue;  // unknown, or an address without data
        const FieldDef& def = fields_[static_cast<std::size_t>(i)];
        std::string text = f.text;
        for (char& c : text) {
            if (c == '\0') c = ' ';
        }
        if ((def.ffw1 & 0x07) == kShiftSigned) {
            text = ReadSignedField(f.ebcdic, std::move(text),
                                   static_cast<std::size_t>(def.length));
        }
        values_[static_cast<std::size_t>(i)] = text;
    }
}

void HostSession::OnAid(const InboundRecord& r) {
    if (r.kind == InboundKind::kAidOnly) {
        ShowError(AidName(r.aid) + " has no function here.");
        return;
    }
    ApplyFields(r);
    switch (screen_) {
        case ScreenId::kSignOn: OnSignOn(r); break;
        case ScreenId::kMenu: OnMenu(r); break;
        case ScreenId::kDataEntry: OnDataEntry(r); break;
        case ScreenId::kList: OnList(r); break;
        case ScreenId::kPopup: OnPopup(r); break;
        case ScreenId::kReadTest: OnReadTest(r); break;
        case ScreenId::kAttention: OnAttentionMenu(r); break;
        case ScreenId::kDataResult:
            if (r.aid == kAidF1 + 2) {
                Show(ScreenId::kMenu);
            } else {
                Show(ScreenId::kDataEntry);
            }
            break;
        case ScreenId::kHelp:
        case ScreenId::kColors:
        case ScreenId::kReadResult:
        case ScreenId::kQueryInfo:
            if (r.aid == kAidEnter || r.aid == kAidF1 + 2 || r.aid == kAidF1 + 11) {
                Show(ScreenId::kMenu);
            } else {
                ShowError("Press Enter, F3 or F12 to return to the main menu.");
            }
            break;
        default:
            Reinvite();
            break;
    }
}

bool HostSession::TrySignOn(const std::string& user, std::string& error) {
    if (user.empty()) {
        error = "Type your user name.";
        return false;
    }
    if (!ValidUserName(user)) {
        error = "User " + user + " does not exist.";
        return false;
    }
    user_ = user;
    Log("signed on: " + user_);
    return true;
}

void HostSession::OnSignOn(const InboundRecord& r) {
    if (r.aid != kAidEnter) {
        Reinvite();
        return;
    }
    std::string error;
    if (!TrySignOn(Upper(Trim(values_[0])), error)) {
        ShowError(error, 0);
        return;
    }
    program_ = Upper(Trim(values_[2]));
    menu_ = Upper(Trim(values_[3]));
    library_ = Upper(Trim(values_[4]));
    Show(ScreenId::kMenu);
}

void HostSession::SignOff(const std::string& why) {
    Log("signed off: " + user_ + " (" + why + ")");
    user_.clear();
    program_.clear();
    menu_.clear();
    library_.clear();
    Show(ScreenId::kSignOn, "Signed off.");
}

void HostSession::OnMenu(const InboundRecord& r) {
    switch (r.aid) {
        case kAidF1 + 2:  // F3: exit is sign-off from the main menu
            SignOff("F3");
            return;
        case kAidF1 + 11:  // F12: nothing before the main menu
            Show(ScreenId::kMenu);
            return;
        case kAidHelp:
            Show(ScreenId::kHelp);
            return;
        case kAidEnter:
            break;
        default:
            ShowError(AidName(r.aid) + " is not allowed here.");
            return;
    }
    const std::string option = Upper(Trim(values_[0]));
    if (option.empty()) {
        Show(ScreenId::kMenu);
    } else if (option == "1") {
        Show(ScreenId::kDataEntry);
    } else if (option == "2") {
        listTop_ = 0;
        Show(ScreenId::kList);
    } else if (option == "3") {
        Show(ScreenId::kColors);
    } else if (option == "4" || option == "5") {
        messageLight_ = option == "4";
        const std::uint8_t code = messageLight_ ? kOpMessageLightOn : kOpMessageLightOff;
        Send(FrameRecord(code, {}), OpcodeName(code));
        Show(ScreenId::kMenu, messageLight_ ? "Message light turned on."
                                            : "Message light turned off.");
    } else if (option == "6") {
        ShowPopup();
    } else if (option == "7") {
        Show(ScreenId::kReadTest);
    } else if (option == "8") {
        Show(ScreenId::kQueryInfo, query_.received ? "" : "Waiting for the query reply.");
        queryShown_ = true;
        SendQuery();
    } else if (option == "90" || option == "SIGNOFF") {
        SignOff("option 90");
    } else {
        ShowError("Option " + option + " is not valid. Type a number from the list.", 0);
    }
}

namespace {

struct Check {
    bool ok = true;
    std::string reason;
};

bool AllOf(const std::string& s, const char* allowed, bool digits, bool letters) {
    for (char c : s) {
        const auto u = static_cast<unsigned char>(c);
        if (digits && u >= '0' && u <= '9') continue;
        if (letters && ((u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z'))) continue;
        if (std::string_view(allowed).find(c) != std::string_view::npos) continue;
        return false;
    }
    return true;
}

/// The checks a host program makes on the data-entry fields, by kind.
Check CheckField(const FieldDef& f, const std::string& value) {
    const std::uint8_t shift = f.ffw1 & 0x07;
    const std::uint8_t fill = f.ffw2 & 0x07;
    const std::string trimmed = Trim(value);
    if (f.ffw1 & kFfwBypass) {
        if (value != Pad(f.initial, static_cast<std::size_t>(f.length)) && trimmed != f.initial) {
            return {false, "a protected field came back changed"};
        }
        return {};
    }
    if ((f.ffw2 & kFfw2MandatoryEnter) && trimmed.empty()) return {false, "a value is required"};
    if (fill == kFillMandatory && !trimmed.empty() && value.find(' ') != std::string::npos) {
        return {false, "fill every position or none"};
    }
    if (f.ffw2 & kFfw2Monocase) {
        for (char c : value) {
            if (c >= 'a' && c <= 'z') return {false, "lower-case letters in a monocase field"};
        }
    }
    switch (shift) {
        case kShiftAlphaOnly:
            if (!AllOf(value, " ,.-", false, true)) return {false, "letters only"};
            break;
        case kShiftNumericOnly:
            if (!AllOf(value, " ,.+-", true, false)) return {false, "numbers only"};
            break;
        case kShiftDigitsOnly:
            if (!AllOf(value, " ", true, false)) return {false, "digits only"};
            break;
        case kShiftSigned:
            if (value.size() > 0 && !AllOf(value.substr(0, value.size() - 1), " ", true, false)) {
                return {false, "digits only before the sign position"};
            }
            if (!value.empty() && std::string_view(" +-").find(value.back()) ==
                                      std::string_view::npos) {
                return {false, "the sign position holds something else"};
            }
            break;
        default:
            break;
    }
    if ((fill == kFillZero || fill == kFillBlank) && !AllOf(value, " ,.+-", true, false)) {
        return {false, "numbers only"};
    }
    return {};
}

}  // namespace

void HostSession::OnDataEntry(const InboundRecord& r) {
    if (r.aid == kAidF1 + 2 || r.aid == kAidF1 + 11) {
        Show(ScreenId::kMenu);
        return;
    }
    if (r.aid != kAidEnter) {
        ShowError(AidName(r.aid) + " is not allowed here.");
        return;
    }
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const Check c = CheckField(fields_[i], values_[i]);
        if (!c.ok) {
            ShowError(fields_[i].label + ": " + c.reason + ".", static_cast<int>(i));
            return;
        }
    }
    echo_.clear();
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        bool sent = false;
        for (const InboundField& f : r.fields) {
            sent = sent || (FieldAt(f.row, f.column) == static_cast<int>(i) && !f.ebcdic.empty());
        }
        std::string v = values_[i];
        while (!v.empty() && v.back() == ' ') v.pop_back();
        if ((fields_[i].ffw1 & 0x07) == kShiftSigned) v = SignedNumber(values_[i]);
        echo_.push_back(Pad(fields_[i].label, 26) + "'" + v + "'" + (sent ? "  sent" : ""));
    }
    echo_.push_back("Cursor " + std::to_string(r.cursorRow) + "," +
                    std::to_string(r.cursorColumn) + "   AID " + AidName(r.aid) + "   Fields sent " +
                    std::to_string(r.fields.size()));
    Show(ScreenId::kDataResult);
}

void HostSession::OnList(const InboundRecord& r) {
    const int page = rows_ - 9;
    switch (r.aid) {
        case kAidRollUp:  // Page Down: the next page
            if (listTop_ + page >= kListLines) {
                ShowError("You have reached the bottom of the list.");
                return;
            }
            listTop_ += page;
            break;
        case kAidRollDown:  // Page Up: the previous page
            if (listTop_ == 0) {
                ShowError("You have reached the top of the list.");
                return;
            }
            listTop_ = std::max(0, listTop_ - page);
            break;
        case kAidF1 + 2:
        case kAidF1 + 11:
            Show(ScreenId::kMenu);
            return;
        case kAidEnter: {
            const std::string to = Trim(values_[0]);
            if (!to.empty()) {
                if (!AllOf(to, "", true, false)) {
                    ShowError("Type a line number from 1 to 100.", 0);
                    return;
                }
                const int line = std::stoi(to.substr(0, 6));
                if (line < 1 || line > kListLines) {
                    ShowError("Type a line number from 1 to 100.", 0);
                    return;
                }
                listTop_ = line - 1;
            }
            break;
        }
        default:
            ShowError(AidName(r.aid) + " is not allowed here.");
            return;
    }
    Show(ScreenId::kList);
}

void HostSession::OnReadTest(const InboundRecord& r) {
    if (r.aid == kAidF1 + 2 || r.aid == kAidF1 + 11) {
        Show(ScreenId::kMenu);
        return;
    }
    if (r.aid != kAidEnter) {
        ShowError(AidName(r.aid) + " is not allowed here.");
        return;
    }
    // Both are answered at once, in this order.
    readResults_.clear();
    readsPending_ = 2;
    Send(Concat({FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreen}),
                 FrameRecord(kOpReadImmediate, {kEscape, kCmdReadImmediate})}),
         "Read Screen + Read Immediate");
}

void HostSession::OnReadScreen(const InboundRecord& r) {
    if (readsPending_ <= 0 || screen_ != ScreenId::kReadTest) return;
    --readsPending_;
    const std::size_t expected = static_cast<std::size_t>(rows_ * columns_);
    const bool sizeOk = r.data.size() == expected;
    readResults_.push_back("Read Screen: " + std::to_string(r.data.size()) + " bytes, expected " +
                           std::to_string(expected) + (sizeOk ? "  OK" : "  WRONG"));
    auto at = [&](int row, int column, std::size_t n) {
        const std::size_t p = static_cast<std::size_t>((row - 1) * columns_ + column - 1);
        if (p + n > r.data.size()) return std::string();
        return ToText(r.data.data() + p, n, config_.tables);
    };
    const std::string marker(kReadMarker);
    const bool markerOk = at(6, 3, marker.size()) == marker;
    readResults_.push_back(std::string("Marker text at row 6: ") + (markerOk ? "OK" : "WRONG"));
    bool fieldsOk = true;
    for (std::size_t i = 0; i < fields_.size(); ++i) {
        const auto [row, column] = DataAddress(fields_[i], columns_);
        std::string onScreen = at(row, column, static_cast<std::size_t>(fields_[i].length));
        for (char& c : onScreen) {
            if (c == '\0') c = ' ';
        }
        fieldsOk = fieldsOk && Trim(onScreen) == Trim(values_[i]);
    }
    readResults_.push_back(std::string("Field contents on the screen match Enter: ") +
                           (fieldsOk ? "OK" : "WRONG"));
    if (readsPending_ == 0) Show(ScreenId::kReadResult);
}

void HostSession::OnReadImmediate(const InboundRecord& r) {
    if (readsPending_ <= 0 || screen_ != ScreenId::kReadTest) return;
    --readsPending_;
    std::string line = "Read Immediate: cursor " + std::to_string(r.cursorRow) + "," +
                       std::to_string(r.cursorColumn);
    const std::size_t dataBytes = r.data.size() > 3 ? r.data.size() - 3 : 0;
    if (dataBytes == 0) {
        line += ", no field data (nothing typed)";
    } else {
        std::string expected;
        std::size_t total = 0;
        for (std::size_t i = 0; i < fields_.size(); ++i) {
            expected += Pad(values_[i], static_cast<std::size_t>(fields_[i].length))
                            .substr(0, static_cast<std::size_t>(fields_[i].length));
            total += static_cast<std::size_t>(fields_[i].length);
        }
        std::string got = ToText(r.data.data() + 3, dataBytes, config_.tables);
        for (char& c : got) {
            if (c == '\0') c = ' ';
        }
        line += ", " + std::to_string(dataBytes) + " bytes of field data" +
                (dataBytes == total && got == expected ? "  OK" : "  WRONG");
    }
    readResults_.push_back(line);
    if (readsPending_ == 0) Show(ScreenId::kReadResult);
}

void HostSession::OnQueryReply(const InboundRecord& r) {
    // Data offsets (after the header): 3,4 length; 5 class; 6 type; 29 device
    // kind; 30..33 device type; 34..36 model, right-aligned behind 0x00.
    query_ = QueryInfo{};
    query_.received = true;
    query_.length = r.data.size();
    if (r.data.size() >= 37) {
        query_.queryClass = r.data[5];
        query_.deviceType = ToText(r.data.data() + 30, 4, config_.tables);
        for (std::size_t i = 34; i < 37; ++i) {
            if (r.data[i] != 0x00) query_.model += ToText(&r.data[i], 1, config_.tables);
        }
    }
    Log("query reply: device type " + query_.deviceType + " model " + query_.model);
    if (queryShown_ && screen_ == ScreenId::kQueryInfo) {
        queryShown_ = false;
        Show(ScreenId::kQueryInfo);
    }
}

void HostSession::OnAttention() {
    if (!signedOn()) {
        Show(ScreenId::kSignOn, "Sign on first; Attention has no menu before sign-on.");
        return;
    }
    if (screen_ != ScreenId::kAttention) returnTo_ = screen_;
    if (returnTo_ == ScreenId::kPopup || returnTo_ == ScreenId::kNone) {
        returnTo_ = ScreenId::kMenu;
    }
    Show(ScreenId::kAttention);
}

void HostSession::OnAttentionMenu(const InboundRecord& r) {
    if (r.aid == kAidF1 + 2 || r.aid == kAidF1 + 11) {
        Show(returnTo_);
        return;
    }
    const std::string option = Trim(values_[0]);
    if (r.aid != kAidEnter || option == "1") {
        Show(returnTo_);
    } else if (option == "2") {
        Show(ScreenId::kMenu);
    } else if (option == "90") {
        SignOff("attention menu");
    } else {
        ShowError("Option " + option + " is not valid.", 0);
    }
}

void HostSession::OnSystemRequest(const InboundRecord& r) {
    const std::string option = Trim(r.text);
    if (option == "90") {
        Log("System Request 90: sign-off, closing the connection");
        user_.clear();
        phase_ = Phase::kClosing;
        return;
    }
    ShowError("System request option '" + option + "' is not supported; 90 signs off.");
}

void HostSession::OnPopup(const InboundRecord& r) {
    if (r.aid == kAidEnter || r.aid == kAidF1 + 11 || r.aid == kAidF1 + 2) {
        ClosePopup();
    } else {
        ShowError(AidName(r.aid) + " is not allowed here.");
    }
}

void HostSession::ShowPopup() {
    savedScreen_ = screen_;
    savedFields_ = fields_;
    savedValues_ = values_;
    saved_.clear();
    // The Save Screen answer comes back while the terminal goes on with the
    // pop-up record of the same block.
    Send(FrameRecord(kOpSaveScreen, {kEscape, kCmdSaveScreen}), "Save Screen");
    const int top = rows_ / 2 - 4, left = columns_ / 2 - 22, width = 44;
    RecordBuilder rb(kOpPutGet, config_.tables);
    rb.writeToDisplay(0x00, kCc2SteadyCursor).startOfHeader(0, static_cast<std::uint8_t>(rows_));
    for (int row = top; row <= top + 7; ++row) {
        const bool edge = row == top || row == top + 7;
        rb.sba(row, left).attribute(kAttrBlue);
        rb.text(edge ? std::string(static_cast<std::size_t>(width), '-')
                     : ":" + std::string(static_cast<std::size_t>(width - 2), ' ') + ":");
        rb.attribute(kAttrNormal);
    }
    rb.sba(top + 2, left + 3).attribute(kAttrWhite).text("Pop-up window").attribute(kAttrNormal);
    rb.sba(top + 3, left + 3).text("The screen below was saved.");
    rb.sba(top + 5, left + 3).text("Press Enter to close");
    FieldDef f{"Close", top + 5, left + 24, kFfw, 0x00, kAttrInput, 1, ""};
    rb.sba(f.row, f.column).startOfField(f.ffw1, f.ffw2, f.attribute, f.length);
    rb.insertCursor(f.row, f.column + 1).readMdtFields();
    fields_ = {f};
    values_ = {""};
    screen_ = ScreenId::kPopup;
    Send(rb.record(), "Put/Get WTD pop-up, Read MDT Fields");
}

void HostSession::ClosePopup() {
    const ScreenId back = savedScreen_ == ScreenId::kNone ? ScreenId::kMenu : savedScreen_;
    if (saved_.empty()) {
        Show(back, "The Save Screen answer never came; the screen was redrawn.");
        return;
    }
    // The terminal's Save Screen answer is a command stream that rebuilds
    // the screen; it goes back inside a Restore Screen record. Its Clear Unit
    // puts the error row at 24, also on a 27-row screen, so a Start of Header
    // with the last row goes in before the stream defines any field (Start of
    // Header clears the format table).
    const std::size_t split = AfterWriteToDisplay(saved_);
    if (split == 0) {
        saved_.clear();
        Show(back, "The saved screen was not understood; the screen was redrawn.");
        return;
    }
    RecordBuilder restore(kOpRestoreScreen, config_.tables);
    restore.raw(Bytes(saved_.begin(), saved_.begin() + static_cast<std::ptrdiff_t>(split)))
        .startOfHeader(0, static_cast<std::uint8_t>(rows_))
        .raw(Bytes(saved_.begin() + static_cast<std::ptrdiff_t>(split), saved_.end()));
    RecordBuilder unlock(kOpPutGet, config_.tables);
    unlock.writeErrorCode();
    MessageLine(unlock, "Pop-up closed; the screen was restored.", columns_);
    unlock.readMdtFields();
    Send(Concat({restore.record(), unlock.record()}),
         "Restore Screen + Put/Get Write Error Code");
    screen_ = back;
    fields_ = savedFields_;
    values_ = savedValues_;
    saved_.clear();
}

void HostSession::SendQuery() {
    RecordBuilder rb(kOpOutputOnly, config_.tables);
    rb.queryStructuredField();
    Send(rb.record(), "Output Only Write Structured Field query");
}

void HostSession::ShowError(const std::string& message, int fieldIndex) {
    RecordBuilder rb(kOpPutGet, config_.tables);
    rb.writeErrorCode();
    if (fieldIndex >= 0 && static_cast<std::size_t>(fieldIndex) < fields_.size()) {
        const auto [row, column] =
            DataAddress(fields_[static_cast<std::size_t>(fieldIndex)], columns_);
        rb.insertCursor(row, column);
    }
    MessageLine(rb, message, columns_);
    rb.readMdtFields();
    Send(rb.record(), "Put/Get Write Error Code \"" + message + "\", Read MDT Fields");
}

void HostSession::Reinvite() {
    RecordBuilder rb(kOpPutGet, config_.tables);
    rb.readMdtFields();
    Send(rb.record(), "Put/Get Read MDT Fields");
}

// ---------------------------------------------------------------------------
// Screens

void HostSession::Show(ScreenId id, const std::string& message) {
    if (id == ScreenId::kNone) id = ScreenId::kMenu;
    Bytes record = BuildScreen(id, message);
    static const char* const kNames[] = {"none", "sign-on", "main menu", "help", "data entry",
                                         "data entry result", "list", "colours", "pop-up",
                                         "read test", "read result", "query", "attention menu",
                                         "burst"};
    Send(record, std::string("Put/Get Clear Unit, Write To Display ") +
                     kNames[static_cast<int>(id)] + ", Read MDT Fields");
}

Bytes HostSession::BuildScreen(ScreenId id, const std::string& message) {
    screen_ = id;
    fields_.clear();
    const std::uint8_t cc2 = id == ScreenId::kColors ? kCc2BlinkCursor : kCc2SteadyCursor;
    ScreenWriter w(rows_, columns_, cc2, config_.tables);
    const int keysRow = rows_ - 2;
    const int messageRow = rows_;
    int cursorRow = 0, cursorColumn = 0;
    // A title, one line a row, and the function keys: the result screens.
    auto LinesScreen = [&](std::string_view title, const std::vector<std::string>& lines,
                           std::string_view keys) {
        w.Centered(1, kAttrWhite, title);
        for (std::size_t i = 0; i < lines.size(); ++i) {
            w.Text(3 + static_cast<int>(i), 2, lines[i]);
        }
        w.Styled(keysRow, 1, kAttrBlue, keys);
    };

    switch (id) {
        case ScreenId::kSignOn: {
            w.Centered(1, kAttrWhite, "Sign On");
            w.Text(2, 48, "System . . . . . :   " + config_.systemName);
            w.Text(3, 48, "Subsystem  . . . :   QDEMO");
            w.Text(4, 48, "Display  . . . . :   " + deviceName_);
            const char* labels[] = {"User", "Password", "Program/procedure", "Menu",
                                    "Current library"};
            for (int i = 0; i < 5; ++i) {
                std::string dots = std::string(labels[i]) + " ";
                while (dots.size() < 33) dots += dots.size() % 2 ? ' ' : '.';
                w.Text(6 + i, 17, dots);
                FieldDef f{labels[i], 6 + i, 52, kFfw, kFfw2Monocase, kAttrInput, 10, ""};
                if (i == 1) {
                    f.ffw2 = 0x00;
                    f.attribute = kAttrHidden;
                }
                fields_.push_back(f);
            }
            w.Text(13, 17, "Any user name works (for example DEMO); the password is");
            w.Text(14, 17, "not checked. This is the Quenlix demo host.");
            cursorRow = 6;
            cursorColumn = 53;
            break;
        }
        case ScreenId::kMenu: {
            w.Text(1, 2, "MAIN");
            w.Centered(1, kAttrWhite, "Quenlix Demo Host Main Menu");
            w.Text(1, columns_ - 19, "System: " + config_.systemName);
            std::string who = "User: " + user_;
            if (!program_.empty()) who += "   Program: " + program_;
            if (!menu_.empty()) who += "   Menu: " + menu_;
            if (!library_.empty()) who += "   Library: " + library_;
            w.Text(2, 2, who);
            w.Text(3, 2, "Select one of the following:");
            const char* options[] = {
                "     1. Data entry: one field of each kind",
                "     2. Item list: 100 lines, Page Down / Page Up",
                "     3. Colours and blinking",
                "     4. Turn the message light on",
                "     5. Turn the message light off",
                "     6. Pop-up window over a saved screen",
                "     7. Read Screen and Read Immediate check",
                "     8. Display station query",
                "    90. Sign off"};
            for (int i = 0; i < 9; ++i) w.Text(5 + i, 2, options[i]);
            w.Text(rows_ - 5, 2, "Selection or command");
            w.Text(rows_ - 4, 2, "===>");
            fields_.push_back({"Selection", rows_ - 4, 7, kFfw, 0x00, kAttrInput, 20, ""});
            w.Styled(keysRow, 1, kAttrBlue, "F3=Exit   F12=Cancel   Help=Help   Attn=Attention menu");
            cursorRow = rows_ - 4;
            cursorColumn = 8;
            break;
        }
        case ScreenId::kHelp: {
            w.Centered(1, kAttrWhite, "Help: Quenlix Demo Host");
            const char* lines[] = {
                "The main menu lists what this host can show. Type the number of an",
                "option on the command line and press Enter.",
                "",
                "F3      signs off from the main menu and leaves the other screens.",
                "F12     goes back one screen.",
                "Help    shows this text.",
                "Attn    (Esc) shows the attention menu from any screen.",
                "SysReq  with 90 signs off and ends the connection.",
                "",
                "Press Enter, F3 or F12 to return to the main menu."};
            for (int i = 0; i < 10; ++i) w.Text(3 + i, 2, lines[i]);
            w.Styled(keysRow, 1, kAttrBlue, "Enter=Return   F3=Exit   F12=Cancel");
            break;
        }
        case ScreenId::kDataEntry: {
            w.Centered(1, kAttrWhite, "Data Entry");
            w.Text(2, 2, "Type a value in each field, then press Enter.");
            struct Kind {
                const char* label;
                std::uint8_t ffw1, ffw2, attribute;
                int length;
                const char* initial;
            };
            const Kind kinds[] = {
                {"Alphanumeric shift", kFfw, 0, kAttrInput, 20, ""},
                {"Alphabetic only", kFfw | kShiftAlphaOnly, 0, kAttrInput, 10, ""},
                {"Numeric shift", kFfw | kShiftNumericShift, 0, kAttrInput, 10, ""},
                {"Numeric only", kFfw | kShiftNumericOnly, 0, kAttrInput, 8, ""},
                {"Digits only", kFfw | kShiftDigitsOnly, 0, kAttrInput, 6, ""},
                {"Signed numeric", kFfw | kShiftSigned, 0, kAttrInput, 7, ""},
                {"I/O (not keyable)", kFfw | kShiftIo, 0, kAttrInput, 8, ""},
                {"Right-adjust zero fill", kFfw | kShiftNumericOnly, kFillZero, kAttrInput, 7, ""},
                {"Right-adjust blank fill", kFfw | kShiftNumericOnly, kFillBlank, kAttrInput, 7,
                 ""},
                {"Mandatory fill", kFfw, kFillMandatory, kAttrInput, 5, ""},
                {"Mandatory enter", kFfw, kFfw2MandatoryEnter, kAttrInput, 10, ""},
                {"Field exit required", kFfw, kFfw2FieldExit, kAttrInput, 5, ""},
                {"Auto-enter", kFfw, kFfw2AutoEnter, kAttrInput, 3, ""},
                {"Monocase", kFfw, kFfw2Monocase, kAttrInput, 10, ""},
                {"Dup enable", kFfw | kFfwDup, 0, kAttrInput, 10, ""},
                {"Bypass (protected)", kFfw | kFfwBypass, 0, kAttrNormal, 10, kBypassText},
                {"Non-display", kFfw, 0, kAttrHidden, 10, ""},
            };
            int row = 3;
            for (const Kind& k : kinds) {
                w.Text(row, 2, Pad(k.label, 26) + ". . :");
                fields_.push_back(
                    {k.label, row, 38, k.ffw1, k.ffw2, k.attribute, k.length, k.initial});
                ++row;
            }
            w.Styled(keysRow, 1, kAttrBlue, "Enter=Check   F3=Exit   F12=Cancel");
            cursorRow = 3;
            cursorColumn = 39;
            break;
        }
        case ScreenId::kDataResult:
            LinesScreen("Data Entry: What the Host Received", echo_,
                        "Enter=Again   F3=Exit   F12=Cancel");
            break;
        case ScreenId::kList: {
            const int page = rows_ - 9;
            w.Centered(1, kAttrWhite, "Item List");
            w.Text(3, 2, "Position to line . . . .");
            fields_.push_back({"Position to", 3, 27, kFfw | kShiftDigitsOnly, 0, kAttrInput, 3, ""});
            w.Styled(4, 1, kAttrWhite, "Line  Item        Description                    Quantity");
            for (int i = 0; i < page && listTop_ + i < kListLines; ++i) {
                const int n = listTop_ + i + 1;
                char buf[96];
                std::snprintf(buf, sizeof buf, "%03d   ITEM%04d    Demo article number %-10d %8d",
                              n, n, n, n * 7 % 1000);
                w.Text(5 + i, 2, buf);
            }
            const bool bottom = listTop_ + page >= kListLines;
            w.Text(5 + page, columns_ - 10, bottom ? "Bottom" : "More...");
            w.Styled(keysRow, 1, kAttrBlue, "F3=Exit   F12=Cancel   PageDown=Next   PageUp=Previous");
            cursorRow = 3;
            cursorColumn = 28;
            break;
        }
        case ScreenId::kColors: {
            w.Centered(1, kAttrWhite, "Colours and Blinking");
            for (int a = 0x20; a <= 0x3F; ++a) {
                const int i = a - 0x20;
                const int row = 3 + i % 16;
                const int column = i < 16 ? 2 : 42;
                w.Styled(row, column, static_cast<std::uint8_t>(a),
                         "Attribute " + Hex2(a) + " " + AttributeName(a));
            }
            w.Styled(20, 2, kAttrRedBlink, "This line blinks; so does the cursor.");
            w.Styled(keysRow, 1, kAttrBlue, "Enter=Return   F3=Exit   F12=Cancel");
            break;
        }
        case ScreenId::kReadTest: {
            w.Centered(1, kAttrWhite, "Read Screen and Read Immediate");
            w.Text(3, 2, "Type a word, then press Enter: the host reads the whole screen");
            w.Text(4, 2, "back (Read Screen) and the fields (Read Immediate) and checks them.");
            w.Text(6, 3, kReadMarker);
            w.Text(8, 2, "Word . . . . . . . .");
            w.Text(9, 2, "Number . . . . . . .");
            fields_.push_back({"Word", 8, 23, kFfw, 0, kAttrInput, 10, ""});
            fields_.push_back({"Number", 9, 23, kFfw | kShiftDigitsOnly, 0, kAttrInput, 5, "12345"});
            w.Styled(keysRow, 1, kAttrBlue, "Enter=Read   F3=Exit   F12=Cancel");
            cursorRow = 8;
            cursorColumn = 24;
            break;
        }
        case ScreenId::kReadResult:
            LinesScreen("Read Screen and Read Immediate: Results", readResults_,
                        "Enter=Return   F3=Exit   F12=Cancel");
            break;
        case ScreenId::kQueryInfo: {
            w.Centered(1, kAttrWhite, "Display Station Query");
            if (query_.received) {
                w.Text(3, 2, "Device type . . . . :  " + query_.deviceType);
                w.Text(4, 2, "Model . . . . . . . :  " + query_.model);
                w.Text(5, 2, "Query class . . . . :  " + Hex2(query_.queryClass));
                w.Text(6, 2, "Reply length  . . . :  " + std::to_string(query_.length + 10));
            } else {
                w.Text(3, 2, "No query reply yet.");
            }
            w.Text(8, 2, "Terminal type . . . :  " + terminalType_);
            w.Text(9, 2, "Screen size . . . . :  " + std::to_string(rows_) + " x " +
                             std::to_string(columns_));
            w.Text(10, 2, "Display name  . . . :  " + deviceName_);
            w.Styled(keysRow, 1, kAttrBlue, "Enter=Return   F3=Exit   F12=Cancel");
            break;
        }
        case ScreenId::kAttention: {
            w.Centered(1, kAttrWhite, "Attention Menu");
            w.Text(3, 2, "Select one of the following:");
            w.Text(5, 2, "     1. Return to the program");
            w.Text(6, 2, "     2. Main menu");
            w.Text(7, 2, "    90. Sign off");
            w.Text(9, 2, "Selection ===>");
            fields_.push_back({"Selection", 9, 17, kFfw, 0, kAttrInput, 2, ""});
            w.Styled(keysRow, 1, kAttrBlue, "F3=Exit   F12=Cancel");
            cursorRow = 9;
            cursorColumn = 18;
            break;
        }
        case ScreenId::kPopup:
        case ScreenId::kBurst:
        case ScreenId::kNone:
            break;
    }
    if (!message.empty()) w.Styled(messageRow, 1, kAttrWhite, message);
    for (const FieldDef& f : fields_) w.Field(f);
    if (cursorRow > 0) w.Cursor(cursorRow, cursorColumn);
    values_.clear();
    for (const FieldDef& f : fields_) values_.push_back(f.initial);
    return w.Finish();
}

// ---------------------------------------------------------------------------
// Burst

void HostSession::Pump(std::size_t budget) {
    if (phase_ != Phase::kRunning || screen_ != ScreenId::kBurst) return;
    while (burstLeft_ > 0 && out_.size() < budget) QueueBurstScreen();
    if (burstLeft_ == 0 && !burstTailSent_) {
        burstTailSent_ = true;
        // Read Screen is answered at once: its answer marks the moment the
        // terminal has taken every screen. The Put/Get record then unlocks
        // the keyboard and waits for the operator's Enter.
        RecordBuilder done(kOpPutGet, config_.tables);
        done.writeToDisplay(0x00, kCc2SteadyCursor)
            .sba(rows_, 1)
            .text("Burst of " + std::to_string(burstSent_) + " screens done; press Enter.")
            .readMdtFields();
        const Bytes tail =
            Concat({FrameRecord(kOpReadScreen, {kEscape, kCmdReadScreen}), done.record()});
        out_.insert(out_.end(), tail.begin(), tail.end());
        Log("-> Read Screen + Put/Get Read MDT Fields after " + std::to_string(burstSent_) +
            " screens (" + std::to_string(burstBytes_) + " bytes)");
    }
}

void HostSession::QueueBurstScreen() {
    if (burstSent_ == 0) burstStart_ = std::chrono::steady_clock::now();
    RecordBuilder rb(kOpOutputOnly, config_.tables);
    if (burstSent_ == 0) {
        if (rows_ == 27) {
            rb.clearUnitAlternate();
        } else {
            rb.clearUnit();
        }
    }
    rb.writeToDisplay(0x00, kCc2SteadyCursor).sba(1, 1);
    std::string cells;
    cells.reserve(static_cast<std::size_t>(rows_ * columns_));
    char head[48];
    const long n = burstSent_ + 1;
    for (int row = 1; row <= rows_; ++row) {
        std::snprintf(head, sizeof head, "Screen %07ld row %02d ", n, row);
        std::string line = head;
        while (static_cast<int>(line.size()) < columns_) {
            line.push_back(static_cast<char>('A' + (line.size() + static_cast<std::size_t>(n)) % 26));
        }
        cells += line.substr(0, static_cast<std::size_t>(columns_));
    }
    rb.text(cells);
    const Bytes record = rb.record();
    out_.insert(out_.end(), record.begin(), record.end());
    burstBytes_ += record.size();
    ++burstSent_;
    --burstLeft_;
}

void HostSession::OnBurstAnswer(const InboundRecord& r, bool screenRead) {
    const double ms = std::chrono::duration<double, std::milli>(
                          std::chrono::steady_clock::now() - burstStart_)
                          .count();
    char buf[200];
    if (screenRead) {
        const double rate = ms > 0 ? burstSent_ * 1000.0 / ms : 0.0;
        std::snprintf(buf, sizeof buf,
                      "burst: %ld screens, %zu bytes taken in %.1f ms (%.0f screens/s); "
                      "Read Screen answer %zu bytes",
                      burstSent_, burstBytes_, ms, rate, r.data.size());
    } else {
        std::snprintf(buf, sizeof buf, "burst: answer %s after %.1f ms from the first screen",
                      AidName(r.aid).c_str(), ms);
    }
    reports_.push_back(buf);
    Log(buf);
    if (!screenRead) phase_ = Phase::kClosing;
}

}  // namespace quenlix::demohost
