// One printer session without any window: the connection endpoint with a
// printer's negotiation, the host's startup response, its print records
// laid out by the SCS interpreter and written one PDF per spooled file (or,
// with the host print transform, the host's printer-ready data as it came),
// and the answers each record asks for. The desktop program and the
// headless front end both drive a printer through this object.
#pragma once

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "net/Communication.h"
#include "net/ConnectionDisplay.h"
#include "printout/PdfSpoolWriter.h"
#include "scs/PrinterRecords.h"
#include "scs/ScsInterpreter.h"
#include "session/SessionSettings.h"
#include "terminal/TranslationCache.h"

namespace quenlix {

/// What a printer session tells its front end. Every call has a do-nothing default.
class PrinterEvents {
public:
    virtual ~PrinterEvents() = default;
    /// The host's startup response said the device is ready (I901, I902, I906).
    virtual void PrinterReady(const scs::StartupCode& /*code*/) {}
    /// The host could not start the device; the session ends.
    virtual void PrinterRefused(const scs::StartupCode& /*code*/) {}
    /// A page is laid out, before it is written: a front end may print it
    /// on a system printer too. Valid for the call only.
    virtual void PageLaidOut(const scs::PrintedPage& /*page*/) {}
    /// A page of the spooled file under way is written (from 1).
    virtual void PagePrinted(const std::string& /*path*/, int /*page*/) {}
    /// A spooled file is complete in `path` with `pages` pages.
    virtual void FilePrinted(const std::string& /*path*/, int /*pages*/) {}
    /// Something went wrong that does not end the session: a file that
    /// could not be written, a record or SCS control that was skipped.
    virtual void Problem(const std::string& /*text*/) {}
    /// The session ended (the host closed it, or EndSession); `notice` says why.
    virtual void SessionEnded(const std::string& /*notice*/) {}
};

/// What a printer front end supplies.
struct PrinterFrontEnd {
    PrinterEvents& events;
    MessageBoxes& messages;
    SocketNotifier& notifier;
};

class PrinterSession : private SessionControl,
                       private BlockInterpreter,
                       private ConnectionDisplay,
                       private scs::PageSink {
public:
    enum class State {
        kIdle,      ///< not connected
        kStarting,  ///< connected, waiting for the startup response
        kReady,     ///< waiting for spooled output
        kPrinting,  ///< a spooled file is under way
        kRefused,   ///< the host refused the device
    };

    /// `tableDirectory` holds the <code page>.tbl files.
    PrinterSession(const PrinterFrontEnd& frontEnd, const std::string& tableDirectory);
    ~PrinterSession() override;
    PrinterSession(const PrinterSession&) = delete;
    PrinterSession& operator=(const PrinterSession&) = delete;

    /// The session's values; read at the connect and at each spooled file.
    SessionSettings settings;
    /// The date in file names ("YYYY-MM-DD"); today's when empty.
    std::string fileDate;

    /// Connects to the host as a printer. False when the connect failed (the
    /// endpoint's message shown).
    bool StartConnection();
    /// Takes host data from the endpoint's OnReceived with no socket
    /// (recorded printer traffic, tests): the session counts as connected
    /// and waits for the startup response; answers leave through the
    /// endpoint's transport.
    void StartWithoutSocket();
    /// Closes the connection; a spooled file under way is written as it stands.
    void EndSession() override;
    /// Host data stays in the socket until Resume: the host waits.
    void Pause();
    void Resume();
    bool paused() const { return paused_; }

    /// The front end's timer (at least every TerminalSession::kTickInterval).
    void OnTimerTick();

    State state() const { return state_; }
    /// The startup code the host sent, if any.
    const std::optional<scs::StartupCode>& startupCode() const { return startupCode_; }
    /// The file being written, empty between spooled files.
    const std::string& currentFile() const { return currentPath_; }
    /// Pages written of the file under way.
    int currentPages() const;
    Communication& endpoint() { return endpoint_; }
    /// Spooled files completed since the session was created.
    int filesPrinted() const { return filesPrinted_; }

private:
    // BlockInterpreter
    void ProcessRecord(const std::uint8_t* record, std::size_t count) override;
    // SessionControl
    void HostEndedSession() override;
    /// The interpreter for a new connection, with the session's code page.
    void Prepare();
    // ConnectionDisplay
    bool Connected() const override { return connected_; }
    void SetConnectionNotice(const std::string& notice) override;
    /// Closes what is open; false when there was no connection.
    bool End();
    // PageSink
    void PageReady(const scs::PrintedPage& page) override;
    void Malformed(const std::string& what) override;

    void Print(const scs::PrinterRecord& record);
    /// Opens the file of a new spooled file; false (told) when it cannot be made.
    bool OpenFile();
    void CloseFile();
    void Answer(const std::vector<std::uint8_t>& record);
    const scs::CharacterTable* CodePageCharacters(int codePage);
    scs::PageDefaults Defaults() const;

    PrinterFrontEnd frontEnd_;
    TranslationCache tables_;
    State state_ = State::kIdle;
    bool connected_ = false;
    bool paused_ = false;
    bool hostEnding_ = false;  ///< the host ended the session: its notice follows
    std::string notice_;       ///< the refusal's code and text
    std::optional<scs::StartupCode> startupCode_;
    Communication endpoint_;
    std::unique_ptr<scs::ScsInterpreter> scs_;
    std::map<int, scs::CharacterTable> codePageCharacters_;
    /// The spooled file under way: a PDF, or the raw data of the transform.
    std::unique_ptr<printout::PdfSpoolWriter> pdf_;
    std::FILE* raw_ = nullptr;
    bool rawFailed_ = false;
    std::string currentPath_;
    int filesPrinted_ = 0;
};

}  // namespace quenlix
