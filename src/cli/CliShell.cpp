// Command parsing, the event pump and the printed formats.
#include "cli/CliShell.h"

#include <thread>

#include "cli/CliTrust.h"
#include "ds5250/DataStreamCodes.h"
#include "input/Hotspots.h"
#include "input/KeyMapStore.h"
#include "macro/ScreenConditions.h"
#include "session/ConnectFile.h"
#include "session/FileIo.h"
#include "terminal/Languages.h"
#include "terminal/SelectionAnswer.h"
#include "terminal/StringTable.h"
#include "terminal/Utf8.h"
#include "trace/TraceFile.h"
#include "connection/SessionTracer.h"
#include "trace/TrafficTracer.h"

namespace quenlix::cli {

/// Prints the traffic while "trace on": the hex lines as they always were,
/// masked bytes written "**", and the described lines after each.
class CliShell::Tracer : public SessionTracer {
public:
    Tracer(std::ostream& out, TerminalSession& session, bool maskSecrets)
        : SessionTracer(session, [this](Direction direction, const std::vector<std::string>& lines) {
                            Print(direction, lines);
                        }, maskSecrets),
          out_(out) {}

    /// A recording standing in for the socket leaves its "sent" line to the
    /// trace of the same bytes, which follows at once.
    void HoldRecordingLine() { recordingLineHeld_ = true; }

private:
    void Print(Direction direction, const std::vector<std::string>& lines) {
        if (direction == Direction::Sent && recordingLineHeld_ && !lines.empty()) {
            // The recording's own "sent" line, with the same bytes masked.
            recordingLineHeld_ = false;
            const std::size_t prefix = std::string_view(TrafficTracer::kSentPrefix).size();
            out_ << "sent " << lines.front().substr(prefix) << '\n';
        }
        for (const std::string& line : lines) out_ << line << '\n';
    }

    std::ostream& out_;
    bool recordingLineHeld_ = false;
};

/// The "socket" of a replay: records the terminal sends are printed. While a
/// masking trace is on, the trace prints the line, secrets masked as in its
/// own lines, so that the saved output of a traced session holds none.
class CliShell::Recording : public RecordSender {
public:
    explicit Recording(std::ostream& out) : out_(out) {}
    void Send(const std::uint8_t* bytes, std::size_t count) override {
        if (tracer_ && tracer_->masking()) {
            tracer_->HoldRecordingLine();
            return;
        }
        out_ << "sent " << HexLine(bytes, count) << '\n';
    }
    void SetTracer(Tracer* tracer) { tracer_ = tracer; }

private:
    std::ostream& out_;
    Tracer* tracer_ = nullptr;
};

namespace {

std::string NextWord(std::string& rest) {
    const auto start = rest.find_first_not_of(' ');
    if (start == std::string::npos) {
        rest.clear();
        return {};
    }
    const auto end = rest.find(' ', start);
    std::string word = rest.substr(start, end == std::string::npos ? std::string::npos : end - start);
    rest = end == std::string::npos ? std::string() : rest.substr(end + 1);
    return word;
}

bool ParseInt(const std::string& text, int& value) {
    if (text.empty()) return false;
    try {
        std::size_t used = 0;
        value = std::stoi(text, &used);
        return used == text.size();
    } catch (...) {
        return false;
    }
}

void AppendEscaped(std::string& out, unsigned char u) {
    char esc[8];
    std::snprintf(esc, sizeof esc, "\\u%04x", u);
    out += esc;
}

// A JSON string. Texts are held as UTF-8, but a session file may hold bytes
// of another character set: a byte that is no part of well-formed UTF-8 is
// taken as Latin-1 and escaped, so the output is always valid JSON.
std::string JsonString(std::string_view text) {
    std::string out = "\"";
    for (std::size_t i = 0; i < text.size();) {
        const auto u = static_cast<unsigned char>(text[i]);
        const Utf8Piece piece = NextUtf8Piece(text, i);
        const std::size_t length = piece.length;
        if (!piece.wellFormed || u < 0x20) {
            AppendEscaped(out, u);
            ++i;
            continue;
        }
        if (u == '"' || u == '\\') out += '\\';
        out.append(text.substr(i, length));
        i += length;
    }
    return out + "\"";
}

}  // namespace

CliShell::CliShell(std::ostream& out, const std::string& tableDirectory,
                   const std::string& computerName)
    : out_(out), messages_(out) {
    session_ = std::make_unique<TerminalSession>(FrontEnd{view_, messages_, notifier_, clipboard_},
                                                 tableDirectory, computerName);
    recording_ = std::make_unique<Recording>(out_);
    trust_ = std::make_unique<CliTrust>(out_, messages_);
    session_->endpoint().SetCertificateQuestions(trust_.get());
    // However the session ends, a recording standing in for the socket ends
    // with it.
    session_->onSessionEnded = [this] { EndReplay(); };
    session_->onConfirmClearPassword = [this] { return clearPasswordConfirmed; };
    RegisterSessionCommands();
    RegisterScreenCommands();
    RegisterInputCommands();
    RegisterDataCommands();
    RegisterMacroCommands();
}

CliShell::~CliShell() {
    // The session outlives the tracer below it: it must not report to it.
    session_->endpoint().SetMonitor(nullptr);
}

bool CliShell::Execute(const std::string& line) {
    std::string rest = line;
    if (!rest.empty() && rest.back() == '\r') rest.pop_back();
    const std::string name = NextWord(rest);
    if (name.empty() || name[0] == '#') return true;
    if (SkippedByBlock(name)) return true;
    const auto it = commands_.find(name);
    if (it == commands_.end()) {
        out_ << "error: unknown command " << name << '\n';
        return false;
    }
    bool ok = false;
    messages_.refused.clear();
    try {
        ok = it->second(rest);
    } catch (const std::exception& e) {
        // A failed send from an operator's key: the desktop program shows the
        // socket error in a message box and abandons the key; so does this.
        messages_.ShowMessage(e.what(), MessageIcon::Stop);
    }
    // Keys the terminal refused, each with the reason the indicator row shows
    // (PC characters there: a field's label may hold any of the screen's).
    const PcCharset& charset = PcCharset::ForCodePage(session_->activeSettings.PageCode);
    for (const std::string& reason : messages_.refused) {
        out_ << "refused: " << charset.ToUtf8(reason) << '\n';
    }
    messages_.refused.clear();
    out_.flush();
    return ok;
}

void CliShell::Pump(std::chrono::milliseconds timeout) {
    PumpOnce(timeout);
    ReportSignOn();
}

void CliShell::ReportSignOn() {
    const SignOnReport& report = session_->signOnReport();
    if (signOnReported_ || report.kind == SignOnReport::Kind::kNotAsked) return;
    signOnReported_ = true;
    out_ << report.Text() << '\n';
}

void CliShell::PumpOnce(std::chrono::milliseconds timeout) {
    // The session's timer runs between polls, so a poll never waits past a
    // tick: output that no host takes is noticed however long the wait.
    timeout = std::min(timeout, TerminalSession::kTickInterval);
    session_->OnTimerTick();
    if (!notifier_.Pump(session_->endpoint(), timeout)) {
        std::this_thread::sleep_for(std::min(timeout, std::chrono::milliseconds(10)));
    }
}

void CliShell::RegisterSessionCommands() {
    Register("connect", [this](const std::string&) { return Connect(); });
    Register("disconnect", [this](const std::string&) {
        session_->EndSession();
        return true;
    });
    Register("sleep", [this](const std::string& args) {
        int ms = 0;
        if (!ParseInt(args, ms) || ms < 0) return false;
        const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
        // Host data is handled while sleeping, as a live terminal would.
        while (std::chrono::steady_clock::now() < end) {
            Pump(std::chrono::duration_cast<std::chrono::milliseconds>(
                end - std::chrono::steady_clock::now()));
        }
        return true;
    });
    Register("wait", [this](const std::string& args) { return Wait(args, false); });
    Register("wait-block", [this](const std::string& args) { return Wait(args, true); });
    Register("trace", [this](const std::string& args) {
        // "on raw" shows the secrets too: only when asked for in so many words.
        if (args != "on" && args != "on raw" && args != "off") return false;
        tracing_ = args != "off";
        std::unique_ptr<Tracer> tracer;
        if (tracing_) tracer = std::make_unique<Tracer>(out_, *session_, args == "on");
        session_->endpoint().SetMonitor(tracer.get());
        recording_->SetTracer(tracer.get());
        tracer_ = std::move(tracer);
        return true;
    });
    Register("load", [this](const std::string& args) { return LoadSession(args); });
    Register("save", [this](const std::string& args) { return SaveSession(args); });
    Register("settings", [this](const std::string&) {
        PrintSettings();
        return true;
    });
}

bool CliShell::Connect() {
    // Connecting while connected does nothing, as the Start command does.
    if (session_->terminal.state.connected && session_->endpoint().IsOpen()) {
        out_ << "connected\n";
        return true;
    }
    EndReplay();
    signOnReported_ = false;
    if (!session_->StartConnection()) return false;
    // A TLS handshake and the judgement of the certificate go on from the
    // socket's readiness; the endpoint's handshake time limit ends them.
    Communication& endpoint = session_->endpoint();
    while (endpoint.Securing()) Pump(TerminalSession::kTickInterval);
    if (!session_->terminal.state.connected || !endpoint.IsOpen()) return false;
    out_ << "connected\n";
    return true;
}

bool CliShell::LoadSession(const std::string& path) {
    // Only a regular file that can be read counts (a folder or a FIFO is
    // refused, never waited on); what a failed read leaves is not taken.
    SessionSettings read = session_->activeSettings;
    if (path.empty() ||
        !CConnectFile::ReadSessionFile(path, read, session_->terminal.state.computerName)) {
        messages_.ShowMessage(LoadString(kStrOpenSessionFailed), MessageIcon::Exclamation);
        return false;
    }
    session_->activeSettings = read;
    session_->pendingSettings = read;
    return UseKeyMap(out_, "error: ");
}

bool CliShell::SaveSession(const std::string& path) {
    if (path.empty()) return false;
    int cause = 0;
    if (!CConnectFile::WriteSessionFile(path, session_->pendingSettings, &cause)) {
        messages_.ShowMessage(CConnectFile::SaveFailedText(path, cause), MessageIcon::Exclamation);
        return false;
    }
    // The file never holds the password. An older file's one is not moved
    // to the keyring without the operator's word, which a script cannot give.
    const SessionSettings& s = session_->pendingSettings;
    if (s.PasswordStore == PasswordStorage::kOlderSessionFile && !s.UserPassword.empty()) {
        messages_.ShowMessage(kOlderPasswordLeftOut, MessageIcon::Information);
    }
    return true;
}

bool CliShell::UseKeyMap(std::ostream& err, std::string_view prefix) {
    KeyMapFileResult loaded = LoadKeyMap(session_->activeSettings.KeyboardMap);
    for (const std::string& e : loaded.errors) err << prefix << e << '\n';
    if (!loaded.errors.empty()) return false;
    session_->input().SetKeyMap(std::move(loaded.map));
    return true;
}

void CliShell::SetTrimCopy(bool trim) {
    trimCopy_ = trim;
    session_->clipboardOptions.TrimBlankRight = trim ? 1 : 0;
}

bool CliShell::Wait(const std::string& args, bool justOneBlock) {
    int ms = 5000;
    if (!args.empty() && (!ParseInt(args, ms) || ms < 0)) return false;
    const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
    const unsigned long before = session_->blocksProcessed();
    const Terminal& t = session_->terminal;
    for (;;) {
        // A replayed recording has been delivered whole: nothing more comes.
        if (!t.state.connected || !session_->endpoint().IsOpen()) {
            out_ << "closed\n";
            return true;
        }
        const bool arrived = session_->blocksProcessed() > before;
        const bool waitingForOperator =
            !t.state.inputInhibited &&
            (t.state.pendingRead == kReadInputFields || t.state.pendingRead == kReadMdtFields);
        if (arrived && (justOneBlock || waitingForOperator)) {
            out_ << "ok\n";
            return true;
        }
        const auto now = std::chrono::steady_clock::now();
        if (now >= end) {
            out_ << "timeout\n";
            return false;
        }
        Pump(std::chrono::duration_cast<std::chrono::milliseconds>(end - now));
    }
}

std::string CliShell::CellsText(int first, int count) const {
    // Every cell is one printed character: control characters (the plain-text
    // display stores a server's bytes as they come) print as blanks.
    return macro::CellsText(session_->terminal,
                            PcCharset::ForCodePage(session_->activeSettings.PageCode), first, count);
}

void CliShell::PrintScreen() {
    const PcCharset& charset = PcCharset::ForCodePage(session_->activeSettings.PageCode);
    for (const std::string& line : macro::ScreenLines(session_->terminal, charset)) out_ << line << '\n';
}

void CliShell::PrintFields() {
    const Terminal& t = session_->terminal;
    for (int i = 0; i < t.formatTable.fieldCount(); ++i) {
        const FieldEntry& e = *t.formatTable.entry(i);
        const int first = FirstDataPosition(e, t.columns());
        out_ << "{\"index\":" << i << ",\"row\":" << e.row << ",\"column\":" << e.column
             << ",\"length\":" << e.length << ",\"attribute\":" << int(e.attribute)
             << ",\"mdt\":" << e.mdt << ",\"bypass\":" << e.bypass
             << ",\"dupEnable\":" << e.dupEnable << ",\"autoEnter\":" << e.autoEnter
             << ",\"fieldExitRequired\":" << e.fieldExitRequired << ",\"monocase\":" << e.monocase
             << ",\"shiftEdit\":" << e.shiftEdit << ",\"mandatoryEnter\":" << e.mandatoryEnter
             << ",\"fillType\":" << e.fillType << ",\"ffw1\":" << e.ffw1 << ",\"ffw2\":" << e.ffw2
             << ",\"fcw1\":" << e.fcw1 << ",\"fcw2\":" << e.fcw2
             << ",\"text\":" << JsonString(CellsText(first, std::max(0, e.length)))
             << ",\"start\":" << (t.columns() > 0 ? first % t.columns() + 1 : 0) << "}\n";
    }
}

void CliShell::PrintStatus() {
    const Terminal& t = session_->terminal;
    const TerminalState& s = t.state;
    out_ << "{\"rows\":" << t.rows() << ",\"columns\":" << t.columns()
         << ",\"cursorRow\":" << t.CursorRow() + 1 << ",\"cursorColumn\":" << t.CursorColumn() + 1
         << ",\"inputInhibited\":" << s.inputInhibited << ",\"messageWaiting\":" << s.messageWaiting
         << ",\"connected\":" << s.connected << ",\"pendingRead\":" << int(s.pendingRead)
         << ",\"insertMode\":" << s.insertMode << ",\"sysReqMode\":" << s.sysReqMode
         << ",\"fieldCount\":" << t.formatTable.fieldCount();
    // TLS: the version and the host's certificate while a TLS session is up.
    const std::string version = session_->endpoint().TlsVersion();
    const std::optional<CertificateReport> peer = session_->endpoint().PeerCertificate();
    out_ << ",\"tls\":" << (version.empty() ? "null" : JsonString(version))
         << ",\"peerFingerprint\":"
         << (version.empty() || !peer ? "null" : JsonString(peer->fingerprint)) << "}\n";
}

void CliShell::PrintSettings() {
    const SessionSettings& s = session_->activeSettings;
    out_ << "{\"Name\":" << JsonString(s.Name) << ",\"IP\":" << JsonString(s.IP)
         << ",\"Port\":" << s.Port << ",\"DisplayName\":" << JsonString(s.DisplayName)
         << ",\"DisplayNameAuto\":" << s.DisplayNameAuto
         << ",\"Language\":" << JsonString(s.Language) << ",\"Page Code\":" << s.PageCode
         << ",\"Terminal Name\":" << JsonString(s.TerminalName)
         << ",\"Terminal Caract\":" << JsonString(s.TerminalCaract)
         << ",\"Launch Connection\":" << s.LaunchConnection
         << ",\"Auto Connection\":" << s.AutoConnection << ",\"UserID\":" << JsonString(s.UserID)
         << ",\"Menu\":" << JsonString(s.Menu) << ",\"ProgProc\":" << JsonString(s.ProgProc)
         << ",\"CurLib\":" << JsonString(s.CurLib)
         << ",\"User Password\":" << JsonString(s.UserPassword.empty() ? "" : "***")
         << ",\"Security\":" << JsonString(CConnectFile::SecurityName(s.Security))
         << ",\"CA File\":" << JsonString(s.CAFile)
         << ",\"Client Certificate\":" << JsonString(s.ClientCertificate)
         << ",\"Keyboard Map\":" << JsonString(s.KeyboardMap) << "}\n";
}

void CliShell::PrintHotspots() {
    const PcCharset& charset = PcCharset::ForCodePage(session_->activeSettings.PageCode);
    for (const Hotspot& h : FindHotspots(session_->terminal)) {
        out_ << "{\"row\":" << h.row + 1 << ",\"column\":" << h.column + 1
             << ",\"length\":" << h.length << ",\"kind\":" << JsonString(HotspotKindName(h.kind))
             << ",\"text\":" << JsonString(charset.ToUtf8(h.text))
             << ",\"action\":" << JsonString(charset.ToUtf8(h.action)) << "}\n";
    }
}

void CliShell::PrintChoices() {
    const PcCharset& charset = PcCharset::ForCodePage(session_->activeSettings.PageCode);
    const Terminal& t = session_->terminal;
    const auto& fields = t.constructs.selectionFields();
    for (std::size_t i = 0; i < fields.size(); ++i) {
        const SelectionField& f = fields[i];
        out_ << "{\"field\":" << i + 1 << ",\"row\":" << f.row << ",\"column\":" << f.column
             << ",\"type\":" << JsonString(SelectionKindName(f.kind)) << ",\"answer\":";
        if (HasAnswerField(t, f) && t.columns() > 0) {
            out_ << "{\"row\":" << f.answerPosition / t.columns() + 1
                 << ",\"column\":" << f.answerPosition % t.columns() + 1
                 << ",\"length\":" << f.answerLength << '}';
        } else {
            out_ << "null";
        }
        out_ << ",\"choices\":[";
        const std::vector<bool> chosen = ChosenChoices(t, f);
        for (std::size_t k = 0; k < f.choices.size(); ++k) {
            const SelectionChoice& c = f.choices[k];
            const ChoiceState state = c.state == ChoiceState::kUnavailable ? c.state
                                      : chosen[k]
                                          ? ChoiceState::kSelected
                                          : ChoiceState::kAvailable;
            std::string text = c.text;
            while (!text.empty() && text.back() == ' ') text.pop_back();
            out_ << (k ? "," : "") << "{\"text\":" << JsonString(charset.ToUtf8(text))
                 << ",\"number\":" << c.number << ",\"state\":" << JsonString(ChoiceStateName(state))
                 << ",\"mnemonic\":";
            if (c.mnemonic >= 0) {
                out_ << JsonString(charset.ToUtf8(text.substr(static_cast<std::size_t>(c.mnemonic), 1)));
            } else {
                out_ << "null";
            }
            out_ << ",\"row\":" << c.row << ",\"column\":" << c.column << '}';
        }
        out_ << "]}\n";
    }
}

void CliShell::RegisterScreenCommands() {
    Register("screen", [this](const std::string&) {
        PrintScreen();
        return true;
    });
    Register("fields", [this](const std::string&) {
        PrintFields();
        return true;
    });
    Register("hotspots", [this](const std::string&) {
        PrintHotspots();
        return true;
    });
    Register("choices", [this](const std::string&) {
        PrintChoices();
        return true;
    });
    Register("status", [this](const std::string&) {
        PrintStatus();
        return true;
    });
}

void CliShell::BeginReplay() {
    if (replaying_) return;
    replaying_ = true;
    session_->endpoint().SetTransport(recording_.get());
    session_->terminal.state.connected = 1;
}

void CliShell::EndReplay() {
    if (!replaying_) return;
    replaying_ = false;
    session_->endpoint().SetTransport(nullptr);
    session_->terminal.state.connected = 0;
}

bool CliShell::Feed(const std::string& bytes) {
    // Every record the terminal answers with is printed. Without a socket the
    // recording becomes the session's socket, so the keys that follow are
    // sent (and printed) too; on a live connection it stands in for this
    // data only.
    Terminal& t = session_->terminal;
    Communication& endpoint = session_->endpoint();
    if (t.cellCount() == 0) t.screen.SetGeometry(80, 24);
    const bool live = endpoint.IsOpen();
    if (live) {
        endpoint.SetTransport(recording_.get());
    } else {
        BeginReplay();
    }
    const auto* data = reinterpret_cast<const std::uint8_t*>(bytes.data());
    for (std::size_t at = 0; at < bytes.size();) {
        const std::size_t piece = std::min<std::size_t>(bytes.size() - at, 32768);
        endpoint.OnReceived(data + at, piece);
        at += piece;
    }
    if (live) endpoint.SetTransport(nullptr);
    return true;
}

void CliShell::RegisterDataCommands() {
    Register("block", [this](const std::string& args) {
        std::string bytes;
        if (!ParseHex(args, bytes) || bytes.empty()) return false;
        return Feed(bytes);
    });
    Register("replay", [this](const std::string& args) {
        // A recording is read whole, a regular file of at most 64 MiB: raw
        // host data, or a trace whose "trace recv" lines are replayed.
        std::string bytes;
        if (ReadSmallFile(args, bytes, std::size_t{64} << 20) != 0) {
            out_ << "error: cannot read " << args << '\n';
            return false;
        }
        if (!IsTrace(bytes)) return Feed(bytes);
        std::vector<std::vector<std::uint8_t>> blocks;
        std::string error;
        if (!ReadTrace(bytes, blocks, error)) {
            out_ << "error: " << error << " in " << args << '\n';
            return false;
        }
        for (const auto& block : blocks) Feed(std::string(block.begin(), block.end()));
        return true;
    });
}

}  // namespace quenlix::cli
