// Session wiring, StartConnection and EndSession.
#include "connection/TerminalSession.h"

#include <exception>

#include "net/SignOnServerClient.h"
#include "terminal/StringTable.h"

namespace quenlix {

namespace {
constexpr const char* kNoScreenSize =
    "The session has no screen size.\nChoose \"24 * 80\" or \"27 * 132\" in its properties.";
}  // namespace

SessionSettings StartPendingSettings(const std::string& computerName) {
    SessionSettings s;
    s.Port = 23;
    s.DisplayName = computerName;
    s.DisplayNameAuto = 1;
    s.PageCode = 0;
    return s;
}

SessionSettings StartActiveSettings(const std::string& computerName) {
    SessionSettings s = StartPendingSettings(computerName);
    s.Name = std::string(LoadString(kStrNoName));
    return s;
}

TerminalSession::TerminalSession(const FrontEnd& frontEnd, const std::string& tableDirectory,
                                 const std::string& computerName)
    : activeSettings(StartActiveSettings(computerName)),
      pendingSettings(StartPendingSettings(computerName)),
      frontEnd_(frontEnd),
      endpointMessages_(frontEnd.messages),
      links_{terminal, tables, activeSettings, endpoint_, frontEnd.messages},
      interpreter_(links_),
      responses_(links_),
      endpoint_(CommunicationLinks{connectionDisplay_, activeSettings, endpointMessages_, *this,
                                   frontEnd.notifier}),
      input_(InputLinks{terminal, tables, activeSettings, responses_, *this,
                        frontEnd.messages, inputState_},
             frontEnd.clipboard, clipboardOptions) {
    tables.InitTranslation(tableDirectory);
    terminal.state.computerName = computerName.substr(0, 15);
    terminal.screen.AllocateCells(132, 27);
    interpreter_.SetHostReads(&responses_);
    endpoint_.SetInterpreter(this);
    endpoint_.SetCertificatePins(&pins);
}

void TerminalSession::ProcessRecord(const std::uint8_t* record, std::size_t count) {
    ++blocksProcessed_;
    try {
        interpreter_.ProcessRecord(record, count);
    } catch (...) {
        // An answer could not be sent: what the record did so far still shows.
        ShowOutcome(interpreter_.outcome());
        throw;
    }
    ShowOutcome(interpreter_.outcome());
}

void TerminalSession::ShowOutcome(const RecordOutcome& outcome) {
    for (const RecordOutcome::Notice& notice : outcome.notices) {
        frontEnd_.messages.ShowHostNotice(notice.kind, notice.text);
    }
    unplacedByteTrace_.Write(outcome.trace);
}

void TerminalSession::EndOfArrival() {
    // Keys held while the keyboard was locked go now, if the records that
    // came unlocked it: after all of them, so that keys meet the screen the
    // host built, not one of its steps.
    input_.CheckTypeAhead();
    FlushDamage();
}

void TerminalSession::OnTimerTick() {
    endpoint_.CheckOutputStall();
    endpoint_.CheckHandshakeTime();
    FlushDamage();
}

void TerminalSession::FlushDamage() {
    if (!terminal.damage.empty()) frontEnd_.view.DamageReady();
}

void TerminalSession::LeaveSysReqModeForHostData() { input_.LeaveSysReqModeForHostData(); }

bool TerminalSession::WaitingForHost() const {
    const TerminalState& s = terminal.state;
    if (!s.connected || !s.inputInhibited || s.sysReqMode || !endpoint_.IsOpen()) return false;
    return endpoint_.Now() - endpoint_.lastTraffic() >= kHostSilenceNotice;
}

bool TerminalSession::StartConnection() {
    // A session the host ended keeps its last screen while the host is tried
    // again: the operator can still read and copy it if the host is down.
    const bool retry = !terminal.state.connectionNotice.empty();
    if (!retry) terminal.screen.SetGeometry(80, 24);
    // Without a screen size nothing is known to allocate: the attempt ends
    // here, before the connection is touched.
    if (activeSettings.TerminalCaract.empty()) {
        frontEnd_.messages.ShowMessage(kNoScreenSize, MessageIcon::Exclamation);
        return false;
    }
    if (!retry) SizeScreen();
    terminal.SetMessageWaiting(false);
    if (onSessionDisplayChanged) onSessionDisplayChanged();
    endpointMessages_.retrying = retry && retryWording;
    endpointMessages_.failure.clear();
    endpoint_.negotiator().SetSignOnPlan(PrepareSignOn());
    const bool connected = endpoint_.Connect(activeSettings.IP, activeSettings.Port);
    endpointMessages_.retrying = false;
    terminal.state.connected = connected ? 1 : 0;
    if (retry) {
        if (connected) {
            terminal.screen.SetGeometry(80, 24);
            SizeScreen();
            terminal.SetCursorPixels(0, 0);
        } else {
            // Still a session that worked: Enter tries again.
            std::string notice(kNotReachableNotice);
            if (!endpointMessages_.failure.empty()) notice += ": " + endpointMessages_.failure;
            terminal.SetConnectionNotice(notice.substr(0, notice.find('\n')));
        }
    }
    return connected;
}

void TerminalSession::SizeScreen() {
    if (activeSettings.WantsWideScreen()) {
        terminal.screen.AllocateCells(132, 27);
    } else {
        terminal.screen.AllocateCells(80, 24);
    }
    terminal.damage.Geometry();
}

SignOnPlan TerminalSession::PrepareSignOn() {
    const SessionSettings& s = activeSettings;
    SignOnPlan plan;
    if (s.AutoConnection == 0 || s.UserID.empty() || s.UserPassword.empty()) return plan;
    tables.SelectTables(s.PageCode);
    plan.tables = &tables.current();
    if (s.PasswordLevel >= 0 && s.PasswordLevel <= 4) {
        plan.passwordLevel = s.PasswordLevel;
        plan.levelSource = "session setting";
    } else {
        SignOnServerQuery query;
        query.host = s.IP;
        query.port = signOnServerPort;
        query.tls = s.UsesTls();
        query.caFile = s.CAFile;
        query.portMapper = signOnPortMapper;
        const PasswordLevelAnswer answer = RememberedPasswordLevel(query);
        plan.passwordLevel = answer.level;
        plan.levelSource = answer.how;
    }
    if (s.SendPasswordInClear != 0) {
        if (s.UsesTls()) {
            plan.sendInClear = true;
        } else {
            if (!clearPasswordConfirmed_) {
                clearPasswordConfirmed_ = onConfirmClearPassword && onConfirmClearPassword();
            }
            plan.sendInClear = *clearPasswordConfirmed_;
        }
    }
    return plan;
}

void TerminalSession::EndSession() { End(false); }

void TerminalSession::HostEndedSession() { End(true); }

void TerminalSession::End(bool keepScreen) {
    if (terminal.state.connected) {
        try {
            responses_.SendSysReq("90");
        } catch (const std::exception&) {
            // The session ends anyway: the host may already be gone.
        }
    }
    if (keepScreen) {
        // The text stays as the host and the operator left it; nothing of it
        // is a field any more, nor selected.
        terminal.ClearFieldMarks();
        terminal.SetAllSelected(false);
    } else {
        terminal.BlankAll();
        terminal.SetCursorPixels(0, 0);
    }
    terminal.formatTable.ClearFormatTable();
    terminal.state.pendingRead = kNoPendingRead;
    activeSettings = pendingSettings;
    terminal.SetInsertMode(false);
    terminal.selection = CellRect{};
    terminal.SetMessageWaiting(false);
    terminal.SetKeyboardLocked(false);
    terminal.SetSysReqMode(false);
    inputState_.sysReqText.clear();
    inputState_.fieldExitPending = false;
    input_.typeAhead().Clear();
    terminal.damage.All();
    endpoint_.Close();
    terminal.state.connected = 0;
    if (onSessionEnded) onSessionEnded();
    FlushDamage();
}

}  // namespace quenlix
