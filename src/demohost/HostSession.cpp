// The demo host's session: what comes in is split by the telnet reader, the
// negotiation steps take the commands, and each record goes to the screen
// the terminal is answering. What the host sends is queued for the server.
#include "demohost/HostSession.h"

#include <algorithm>

#include "demohost/FieldData.h"
#include "demohost/ScreenWriter.h"
#include "ds5250/DataStreamCodes.h"
#include "ds5250/RecordBuilder.h"

namespace quenlix::demohost {

using namespace quenlix::ds;

HostSession::HostSession(HostConfig config) : config_(std::move(config)) {
    config_.burstCount = std::clamp(config_.burstCount, 1L, kMaxBurst);
    seed_ = config_.seed ? *config_.seed : NewSeed();
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

void HostSession::StartApplication() {
    phase_ = Phase::kRunning;
    if (config_.scenario != Scenario::kDemo) {
        StartBurst();
        return;
    }
    ShowFirstScreen();
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
    if (printer_) {
        OnPrinterRecord(e);
        return;
    }
    InboundRecord r = DecodeInbound(
        e.payload,
        [this](int row, int column) {
            const int i = FieldAt(row, column);
            return i < 0 ? -1 : fields_[static_cast<std::size_t>(i)].length;
        },
        config_.tables);
    // The record itself is in the server's traffic log, described.
    if (e.truncated) Log("<- a record cut at the record limit");
    if (phase_ == Phase::kAwaitQueryReply) {
        OnStartupAnswer(r);
        return;
    }
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
                OnBurstReadScreen(r);
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
                OnBurstKey(r);
            } else {
                OnAid(r);
            }
            return;
    }
}

void HostSession::ApplyFields(const InboundRecord& r) {
    for (const InboundField& f : r.fields) {
        const int i = FieldAt(f.row, f.column);
        if (i < 0) continue;  // not a field of this screen
        // An address alone is a field of nulls: empty.
        values_[static_cast<std::size_t>(i)] =
            ReadFieldData(fields_[static_cast<std::size_t>(i)], f.ebcdic, config_.tables);
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
        case ScreenId::kChoices: OnChoices(r); break;
        case ScreenId::kReadTest: OnReadTest(r); break;
        case ScreenId::kAttention: OnAttentionMenu(r); break;
        case ScreenId::kDataResult:
            if (r.aid == kAidF3) {
                Show(ScreenId::kMenu);
            } else {
                Show(ScreenId::kDataEntry);
            }
            break;
        case ScreenId::kHelp:
        case ScreenId::kColors:
        case ScreenId::kReadResult:
        case ScreenId::kQueryInfo:
            OnInformation(r);
            break;
        default:
            Reinvite();
            break;
    }
}

void HostSession::OnInformation(const InboundRecord& r) {
    if (r.aid == kAidEnter || r.aid == kAidF3 || r.aid == kAidF12) {
        Show(ScreenId::kMenu);
    } else {
        ShowError("Press Enter, F3 or F12 to return to the main menu.");
    }
}

// ---------------------------------------------------------------------------
// Screens out

void HostSession::Show(ScreenId id, const std::string& message) {
    if (id == ScreenId::kNone) id = ScreenId::kMenu;
    static const char* const kNames[] = {"none", "sign-on", "main menu", "help", "data entry",
                                         "data entry result", "list", "colours", "pop-up",
                                         "read test", "read result", "query", "attention menu",
                                         "burst", "choices"};
    const std::uint8_t cc2 =
        (id == ScreenId::kColors ? kCc2CursorBlink : kCc2CursorSteady) | kCc2UnlockKeyboard;
    ScreenWriter w(rows_, columns_, cc2, config_.tables);
    DrawScreen(id, message, w);
    Send(w.Finish(), std::string("Put/Get Clear Unit, Write To Display ") +
                         kNames[static_cast<int>(id)] + ", " + w.readName());
}

void HostSession::DrawScreen(ScreenId id, const std::string& message, ScreenWriter& w) {
    screen_ = id;
    fields_.clear();
    switch (id) {
        case ScreenId::kSignOn: DrawSignOn(w); break;
        case ScreenId::kMenu: DrawMenu(w); break;
        case ScreenId::kHelp: DrawHelp(w); break;
        case ScreenId::kDataEntry: DrawDataEntry(w); break;
        case ScreenId::kDataResult: DrawDataResult(w); break;
        case ScreenId::kList: DrawList(w); break;
        case ScreenId::kColors: DrawColours(w); break;
        case ScreenId::kReadTest: DrawReadTest(w); break;
        case ScreenId::kReadResult: DrawReadResult(w); break;
        case ScreenId::kQueryInfo: DrawQueryInfo(w); break;
        case ScreenId::kAttention: DrawAttention(w); break;
        case ScreenId::kChoices: DrawChoices(w); break;
        case ScreenId::kPopup:  // drawn over the saved screen, see ShowPopup
        case ScreenId::kBurst:  // its own records, see BurstScenario.cpp
        case ScreenId::kNone:
            break;
    }
    if (!message.empty()) w.Message(message);
    for (const FieldDef& f : fields_) w.Field(f);
    values_.clear();
    for (const FieldDef& f : fields_) values_.push_back({f.initial, false});
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

}  // namespace quenlix::demohost
