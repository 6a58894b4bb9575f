// The connection endpoint: opens and closes the TCP connection to the host,
// reassembles what arrives into complete blocks and routes each one to the
// telnet negotiator, the session's interpreter or its plain-text display.
// Every record the session sends leaves through it. It keeps no display
// state: the session's ConnectionDisplay holds it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/BlockInterpreter.h"
#include "net/BlockingSocket.h"
#include "net/CertificateQuestions.h"
#include "net/CertificateReport.h"
#include "net/ConnectionDisplay.h"
#include "net/ConnectionMonitor.h"
#include "net/SessionControl.h"
#include "net/SocketNotifier.h"
#include "net/Telnet.h"
#include "telnet/TelnetReader.h"
#include "session/SessionSettings.h"
#include "terminal/MessageBoxes.h"
#include "terminal/RecordSender.h"

namespace quenlix {

class CertificatePins;
class TlsClient;

/// What the endpoint works with. Every reference must outlive it. `settings`
/// are the session values in use; they are read at every negotiation.
struct CommunicationLinks {
    ConnectionDisplay& display;
    const SessionSettings& settings;
    MessageBoxes& messages;
    SessionControl& session;
    SocketNotifier& notifier;
};

/// Routing of what arrives. The host's bytes are read once, in any cuts,
/// by a telnet::TelnetReader:
///  - telnet commands and subnegotiations go to the negotiator; its answers
///    leave in one send per arrival, and before each record handed on;
///  - record data is gathered, its IAC doubling undone, up to IAC EOR, and
///    the whole record goes to the interpreter on its own, one record a
///    call, so that what a record's end refuses or skips is that record
///    only, however TCP cut the stream; while more output waits for the host
///    than kOutputHighWater, the record and what follows it wait too;
///  - data right after telnet commands is a record only where a GDS header
///    starts (12 A0 00 00 04 after the length); other such bytes are more
///    negotiation, answered as if the last option command had named each
///    (one send with the commands before them). Bytes too few to show a
///    header are held until more arrives: the first bytes of a record that
///    came with the host's last commands are never answered as option codes;
///  - before any telnet command has arrived on this connection, data that is
///    no record is text from a server that does not speak telnet and is
///    written on the screen.
/// A record or subnegotiation that reaches kReceiveBufferSize bytes is no
/// record: it is dropped up to its end, and the monitor told.
///
/// A session whose "Security" is TLS runs the same byte stream through a TLS
/// session over the socket (CommunicationTls.cpp): after the TCP connect the
/// handshake goes on from the socket notifications, then the host's
/// certificate is judged (verified, pinned, or the operator's answer) before
/// any byte is read or sent; only then does the stream above see the host.
class Communication : public RecordSender, private telnet::TelnetEvents {
public:
    using Clock = std::chrono::steady_clock;

    /// The longest 5250 record: its length is a 16-bit number.
    static constexpr std::size_t kMaxRecordLength = 65535;
    /// Most bytes held (see receivedCount); a record or subnegotiation whose
    /// bytes reach it is dropped. It takes the longest record even when
    /// every byte of it is a doubled 0xFF, with its IAC EOR, and one byte
    /// more: a block that fills it is no record.
    static constexpr std::size_t kReceiveBufferSize = 2 * kMaxRecordLength + 2 + 1;
    /// Output waiting for the host above which host data is no longer read:
    /// a host that floods requests and reads no answers is held back by its
    /// own socket, not by the terminal's memory.
    static constexpr std::size_t kOutputHighWater = 256 * 1024;
    /// Output waiting for the host beyond which the connection is given up.
    /// Only keys typed while reading is held back add to it past the mark.
    static constexpr std::size_t kMaxQueuedOutput = 4u << 20;
    /// A host that takes none of the waiting output for this long is lost.
    static constexpr std::chrono::milliseconds kDefaultOutputStallLimit{30000};
    /// The notice of a session the host ended in an orderly way.
    static constexpr const char* kDisconnectedByHost = "Disconnected by the host";
    /// What every other notice of a lost connection begins with.
    static constexpr const char* kConnectionLostPrefix = "Connection lost: ";
    /// Most bytes one receive asks for (never more than the free space).
    static constexpr std::size_t kReceiveRequestLimit = 32768;
    /// ... while the session is in the background (a hidden tab): a few
    /// screens a turn of the event loop, so that a burst in hidden sessions
    /// holds the keys of the session in front back by little.
    static constexpr std::size_t kBackgroundReceiveLimit = 8192;
    /// How a record shows itself after telnet commands: a display session's
    /// records start with the whole GDS header (12 A0 00 00 04), a printer
    /// session's with 12 A0 and flags of their own.
    enum class RecordHeader { kDisplay, kPrinter };

    explicit Communication(const CommunicationLinks& links);
    ~Communication() override;
    Communication(const Communication&) = delete;
    Communication& operator=(const Communication&) = delete;

    /// The interpreter that gets the 5250 blocks; nullptr drops them.
    void SetInterpreter(BlockInterpreter* interpreter);
    /// Records leave through `transport` instead of the socket (a recording
    /// standing in for the host); nullptr restores the socket.
    void SetTransport(RecordSender* transport) { transport_ = transport; }
    /// Optional observer of the traffic; nullptr for none.
    void SetMonitor(ConnectionMonitor* monitor) { monitor_ = monitor; }
    void SetRecordHeader(RecordHeader header) { recordHeader_ = header; }
    void SetConnectTimeout(std::chrono::milliseconds timeout) {
        socket_.SetConnectTimeout(timeout);
    }
    void SetOutputStallLimit(std::chrono::milliseconds limit) { stallLimit_ = limit; }
    /// The clock of the output stall and the host's silence (tests set their own).
    void SetClock(std::function<Clock::time_point()> clock) { clock_ = std::move(clock); }
    /// Turns a host and port into the addresses Connect tries, in order
    /// (CBlockingSocket::ResolveEndpoints; tests set their own).
    using Resolver = std::function<std::vector<CBlockingSocket::Endpoint>(const std::string& host,
                                                                          std::uint16_t port)>;
    void SetResolver(Resolver resolver) { resolver_ = std::move(resolver); }
    /// Who answers the TLS questions. Without one (the start) a certificate
    /// that does not verify and is not pinned is refused, its text shown as
    /// a message, and an encrypted client key cannot be used.
    void SetCertificateQuestions(CertificateQuestions* questions) { questions_ = questions; }
    /// Where pinned certificates are looked up and stored; nullptr for none.
    void SetCertificatePins(CertificatePins* pins) { pins_ = pins; }

    /// Connects to `host` (a name, dotted IPv4, or IPv6 with or without
    /// brackets) and `port` (0..65535), with the keyboard locked and the wait
    /// cursor shown. Every address of a name is tried in the resolver's order
    /// (IPv6 and IPv4), each with an even share of what is left of the
    /// connect timeout, until one answers. On success the notifier
    /// watches the new socket; the caller stores the result in `connected`.
    /// On failure shows message 511 with a second line naming the cause and
    /// the address (ConnectFailureReason), unlocks the keyboard and returns
    /// false. With TLS the files the session names are read first (a file
    /// that cannot be used fails here, with message 511 naming it), and the
    /// handshake goes on after the return (Securing); a handshake that fails
    /// later shows message 511 with the TLS cause and ends the session.
    bool Connect(const std::string& host, int port);

    /// Hands waiting output to the socket once more (never waiting), stops
    /// the notifications, closes the socket and forgets held data, the
    /// queue and the telnet state. Always true (the caller clears
    /// `connected` from it).
    bool Close();

    /// Transmits a record while the session is connected; otherwise does nothing.
    /// An empty record is not transmitted. Never waits: what the socket does
    /// not take at once is queued and written as the host takes it
    /// (OnSocketWritable). Throws CBlockingSocketException ("Send") when the
    /// socket fails, and at once after the connection was given up; inside
    /// OnSocketEvent that is caught.
    void Send(const std::uint8_t* bytes, std::size_t count) override;
    /// The socket can take more of the queued output.
    void OnSocketWritable();
    /// The front end's timer: a host that has taken none of the waiting
    /// output for the stall limit is treated as a lost connection.
    void CheckOutputStall();
    /// The front end's timer: a TLS handshake not ended within the connect
    /// timeout after the TCP connect fails ("No TLS answer from …").
    void CheckHandshakeTime();
    /// A TLS connection is being set up: the handshake, the question about
    /// the host's certificate, or (TLS 1.3, until the handshake's time
    /// limit) the wait for a host that asked for a client certificate to
    /// show that it accepted it.
    bool Securing() const;
    /// "TLS 1.2", "TLS 1.3" while a TLS session carries the connection;
    /// empty otherwise.
    std::string TlsVersion() const;
    /// The host's certificate while a TLS session is up or asked about.
    std::optional<CertificateReport> PeerCertificate() const;
    /// Bytes waiting for the host to take them.
    std::size_t pendingOutput() const { return output_.size() - outputSent_; }
    /// When host data last arrived or a record last went out.
    Clock::time_point lastTraffic() const { return lastTraffic_; }
    /// The endpoint's clock now.
    Clock::time_point Now() const { return clock_(); }

    /// In the background, one readiness report reads at most
    /// kBackgroundReceiveLimit bytes (one receive); the rest stays in the
    /// socket, which reports itself again on the next turn.
    void SetInBackground(bool background) { background_ = background; }
    bool inBackground() const { return background_; }

    /// Host data waits in the socket until ResumeNotifications.
    void SuspendNotifications();
    /// Watches the socket again, when there is one.
    void ResumeNotifications();

    /// The socket is readable or the host has closed: leaves system-request
    /// mode, receives what fits and routes it; a close ends the session
    /// (message 535 when the host closed right after the environment answer).
    /// Socket failures are caught and ignored.
    void OnSocketEvent();

    /// Routes bytes as if the socket had delivered them in one piece, with no
    /// socket involved (recorded host data, tests). More than the room left
    /// (kReceiveBufferSize less receivedCount) is taken in pieces that fit. Socket failures of sends
    /// made meanwhile are caught and ignored, as in OnSocketEvent.
    void OnReceived(const std::uint8_t* bytes, std::size_t count);

    bool IsOpen() const { return socket_.IsOpen(); }
    /// The socket's file descriptor, CBlockingSocket::kNoSocket when closed.
    int SocketHandle() const { return socket_.Handle(); }
    bool notificationsSuspended() const { return suspended_; }
    bool telnetSeen() const { return telnetSeen_; }
    bool environSent() const { return telnet_.environSent(); }
    /// The telnet negotiator: its sign-on plan and what its last
    /// environment answer carried of the password.
    CTelnet& negotiator() { return telnet_; }
    const CTelnet& negotiator() const { return telnet_; }
    /// Bytes held: received and not yet read (while records wait for the
    /// output to drain), and those of the record or subnegotiation under way,
    /// counted as they travelled (a data 0xFF as two); always below
    /// kReceiveBufferSize between calls.
    std::size_t receivedCount() const {
        return (unreadEnd_ - unreadStart_) + recordWire_ + subnegotiationWire_;
    }
    /// The address of the connection made (or last tried).
    const CBlockingSocket::Endpoint& address() const { return address_; }

private:
    /// What the data bytes being read now are.
    enum class Incoming {
        kRecordStart,  ///< none yet since the last record's end or command
        kUndecided,    ///< the first bytes after a command, too few to tell
        kRecord,       ///< a record's, gathered up to its IAC EOR
        kNegotiation,  ///< no record: answered under the option command before them
        kPlainText,    ///< no record before any telnet command: shown as text
        kDropped,      ///< the rest of a record too long to hold
    };
    /// Where a TLS connection is; kNone for a plain one (or none).
    enum class TlsPhase { kNone, kHandshake, kQuestion, kOpen };
    /// Most receives one readiness report makes while a TLS session holds
    /// decrypted data; then the event loop runs before the next ones.
    static constexpr int kBufferedReadRounds = 8;

    // CommunicationTls.cpp
    /// The TLS client for the session's files, before the TCP connect;
    /// nullptr with the operator's text in `error`.
    std::unique_ptr<TlsClient> PrepareTls(const std::string& host, int port, std::string& error);
    /// Sets the TLS session up over the connected socket; its first step
    /// waits for the socket's first writable report. False, with the cause
    /// in `failure`, when the session cannot be made (out of memory).
    bool BeginTls(std::string& failure);
    void StepHandshake();
    /// Verified, pinned or asked about.
    void JudgeCertificate();
    void Ask(const CertificateQuestion& question);
    void Answer(CertificateAnswer answer);
    /// The host's certificate is trusted: the stream above begins.
    void OpenTls();
    /// "TLS handshake with host:port failed: <cause>".
    std::string HandshakeFailureText() const;
    /// The connection could not be set up after all: message 511 with
    /// `reason` as its second line (none when empty), and the session ends.
    void TlsFailed(const std::string& reason);
    /// A TLS session that was up failed in a receive or send.
    void TlsSessionFailed(int error);
    /// The notice of a lost connection: the TLS cause when there is one.
    std::string LostNotice(int error) const;
    /// Sends the closing alert when the session is up, and forgets it.
    void DropTls();

    /// Resolves `host` and connects the socket to the first of its addresses
    /// that answers; `address` and `triedPort` name the one tried last.
    /// Throws "Connect" with the last failure's errno (0 when the name did
    /// not resolve).
    void ConnectToFirstAnswering(const std::string& host, std::uint16_t port, std::string& address,
                                 int& triedPort);

    /// One receive and its routing; true when bytes were taken and the
    /// connection is still there to read from.
    bool ReceiveOnce();

    void LeaveSysReqMode();
    /// The host closed the connection, reset it or stopped answering: the
    /// session ends once, and `notice` says why on the blank screen.
    void HostEnded(const std::string& notice);
    /// What every end of a live connection does, after `ending_` is set: no
    /// socket event from here on, queued output dropped, the session ended
    /// (its sign-off may fail), the socket closed, the keyboard free.
    void EndConnection();
    /// Writes queued output while the socket takes it; throws on failure.
    void FlushOutput();
    /// Read and write watching as the suspension and the queue ask.
    void UpdateWatches();
    /// Moves the unread bytes to the buffer's start (not while they are read).
    void CompactUnread();
    /// Bytes the next arrival may bring.
    std::size_t Room() const;
    /// Takes the `count` bytes that have just arrived after the unread ones
    /// and routes them.
    void Absorb(std::size_t count);
    /// Reads what is unread and hands on what it holds until nothing more
    /// can go; `pastTheMark` hands records on however much output waits.
    void Route(bool pastTheMark = false);
    /// Route, then the interpreter's end of the arrival when a record went.
    void RouteHeld(bool pastTheMark = false);
    /// Forgets everything read of the stream: a new connection starts.
    void ResetStream();
    /// Sends the negotiator's waiting answers, if any.
    void SendAnswers();
    /// Hands the whole record to the interpreter.
    void DeliverRecord();

    // The reader's events (see the routing above).
    void OptionCommand(std::uint8_t verb, std::uint8_t option) override;
    void Command(std::uint8_t command) override;
    void SubnegotiationBegin(std::uint8_t option) override;
    void SubnegotiationData(const std::uint8_t* bytes, std::size_t count) override;
    void SubnegotiationEnd(bool complete) override;
    void RecordData(const std::uint8_t* bytes, std::size_t count) override;
    void EndOfRecord() override;
    /// A telnet command arrived: the data before it is settled. True when
    /// that data was negotiation, whose answers are sent before anything the
    /// command adds: the reader is paused then.
    bool TelnetCommandArrived();
    /// The data run under way ends; true when it was negotiation.
    bool EndDataRun();
    /// The first bytes after a command, gathered in record_, are no record.
    void NotARecord();
    /// Appends data to the record under way, or drops it when it grows too long.
    void Gather(const std::uint8_t* bytes, std::size_t count);
    void ShowPlainText(const std::uint8_t* bytes, std::size_t count);
    void Dropped(std::size_t count);

    ConnectionDisplay& display_;
    MessageBoxes& messages_;
    SessionControl& session_;
    SocketNotifier& notifier_;

    const SessionSettings& settings_;
    CBlockingSocket socket_;
    /// What the stream is read from and written to: the socket, or the TLS
    /// session over it.
    ByteChannel* channel_ = &socket_;
    std::unique_ptr<TlsClient> tls_;
    TlsPhase tlsPhase_ = TlsPhase::kNone;
    std::string tlsHost_;  ///< the host as typed, for the name check and the texts
    int tlsPort_ = 0;
    Clock::time_point handshakeDeadline_{};
    /// Held while a certificate question is open; an answer given after it
    /// went (the connection closed) is ignored.
    std::shared_ptr<int> question_;
    CertificateQuestions* questions_ = nullptr;
    CertificatePins* pins_ = nullptr;
    CBlockingSocket::Endpoint address_{};
    /// Bytes received and not yet read: buffer_[unreadStart_, unreadEnd_).
    std::vector<std::uint8_t> buffer_;
    std::size_t unreadStart_ = 0;
    std::size_t unreadEnd_ = 0;
    telnet::TelnetReader reader_;
    Incoming incoming_ = Incoming::kRecordStart;
    /// The record under way, IAC doubling undone; the one handed on is
    /// swapped out, so that steady traffic allocates nothing.
    std::vector<std::uint8_t> record_;
    std::vector<std::uint8_t> interpreterRecord_;
    std::size_t recordWire_ = 0;          ///< bytes record_ took on the wire
    std::size_t subnegotiationWire_ = 0;  ///< bytes of the subnegotiation under way
    bool subnegotiationDropped_ = false;  ///< ... which is too long, thrown away
    bool recordReady_ = false;   ///< record_ is whole and waits to be handed on
    bool afterCommand_ = false;  ///< the last thing read was a telnet command
    bool answersEnd_ = false;    ///< the answers waiting end a block: sent first
    bool optionDeferred_ = false;  ///< an option command waits for that send
    std::uint8_t deferredVerb_ = 0;
    std::uint8_t deferredOption_ = 0;
    bool skipAfterReturn_ = false;  ///< plain text: the line feed after a return
    RecordHeader recordHeader_ = RecordHeader::kDisplay;
    bool feeding_ = false;  ///< inside reader_.Feed
    bool telnetSeen_ = false;
    bool suspended_ = true;
    bool background_ = false;
    bool ending_ = false;           ///< the session is being ended: no event is handled
    int sendError_ = 0;             ///< errno of a send that failed on this connection
    bool delivered_ = false;        ///< a record went to the interpreter in this arrival
    /// Output not yet taken by the socket: output_[outputSent_ ..].
    std::vector<std::uint8_t> output_;
    std::size_t outputSent_ = 0;
    Clock::time_point lastProgress_{};  ///< the socket last took output (or output began to wait)
    Clock::time_point lastTraffic_{};
    std::chrono::milliseconds stallLimit_ = kDefaultOutputStallLimit;
    std::function<Clock::time_point()> clock_ = [] { return Clock::now(); };
    Resolver resolver_ = &CBlockingSocket::ResolveEndpoints;
    CTelnet telnet_;
    NullBlockInterpreter nullInterpreter_;
    BlockInterpreter* interpreter_ = &nullInterpreter_;
    RecordSender* transport_ = nullptr;
    ConnectionMonitor* monitor_ = nullptr;
};

/// The second line of message 511: the cause of a failed connect and the
/// address, e.g. "Connection refused by 127.0.0.1:2399", "Connection refused
/// by [::1]:2399", "Host name not found: host.example", "No answer from
/// 10.1.2.3:23 within 15 s". `error` is the errno of the failure, 0 for a name
/// that did not resolve; `address` is the last address tried.
std::string ConnectFailureReason(int error, const std::string& host, const std::string& address,
                                 int port, std::chrono::milliseconds timeout);

/// The notice of a connection lost with `error` (an errno value), e.g.
/// "Connection lost: the host reset the connection".
std::string ConnectionLostNotice(int error);

}  // namespace quenlix
