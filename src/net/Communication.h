// The connection endpoint: opens and closes the TCP connection to the host,
// reassembles what arrives into complete blocks and routes each one to the
// telnet negotiator, the 5250 interpreter or the plain-text display. Every
// record the terminal sends leaves through it.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

#include "net/BlockInterpreter.h"
#include "net/BlockingSocket.h"
#include "net/ConnectionMonitor.h"
#include "net/SessionControl.h"
#include "net/SocketNotifier.h"
#include "net/Telnet.h"
#include "session/SessionSettings.h"
#include "terminal/MessageBoxes.h"
#include "terminal/RecordSender.h"
#include "terminal/TerminalState.h"
#include "terminal/ViewOperations.h"

namespace quenlix {

/// What the endpoint works with. Every reference must outlive it. `settings`
/// are the session values in use; they are read at every negotiation.
struct CommunicationLinks {
    Terminal& terminal;
    const SessionSettings& settings;
    ViewOperations& view;
    MessageBoxes& messages;
    SessionControl& session;
    SocketNotifier& notifier;
};

/// Routing of the held data, after each arrival, until nothing more can go:
///  - data starting with IAC is telnet negotiation: its complete commands go
///    to the negotiator, an unfinished command at the end is held. Bytes
///    that follow the commands are a 5250 record where a GDS header starts
///    (12 A0 00 00 04 after the length); a record stays and is routed next.
///    Other bytes go to the negotiator with the commands, under the last
///    command in force up to the next IAC. Bytes too few to show a header
///    are held until more arrives; but when not one header byte has arrived
///    and an option command (DO, DONT, WILL, WONT) precedes them in the same
///    arrival, they are answered at once under it;
///  - data ending a block with IAC EOR (0xFF 0xEF, found with IAC IAC pairs
///    respected) goes to the interpreter, up to the last such mark;
///  - otherwise, once a telnet command has arrived on this connection, the
///    data is held until its block is complete; before that it is text from
///    a server that does not speak telnet and is written on the screen.
class Communication : public RecordSender {
public:
    /// Size of the receive buffer; held data never exceeds it.
    static constexpr std::size_t kReceiveBufferSize = 37772;
    /// Most bytes one receive asks for (never more than the free space).
    static constexpr std::size_t kReceiveRequestLimit = 32768;
    /// The plain-text display writes no further than this position.
    static constexpr int kPlainTextLastPosition = 1920;

    explicit Communication(const CommunicationLinks& links);
    Communication(const Communication&) = delete;
    Communication& operator=(const Communication&) = delete;

    /// The interpreter that gets the 5250 blocks; nullptr drops them.
    void SetInterpreter(BlockInterpreter* interpreter);
    /// Records leave through `transport` instead of the socket (a recording
    /// standing in for the host); nullptr restores the socket.
    void SetTransport(RecordSender* transport) { transport_ = transport; }
    /// Optional observer of the traffic; nullptr for none.
    void SetMonitor(ConnectionMonitor* monitor) { monitor_ = monitor; }
    void SetConnectTimeout(std::chrono::milliseconds timeout) {
        socket_.SetConnectTimeout(timeout);
    }
    void SetSendTimeout(std::chrono::milliseconds timeout) { socket_.SetSendTimeout(timeout); }

    /// Connects to `host` (name or dotted IPv4) and `port` (0..65535), with
    /// the keyboard locked and the wait cursor shown. On success the notifier
    /// watches the new socket; the caller stores the result in `connected`.
    /// On failure shows message 511, unlocks the keyboard and returns false.
    bool Connect(const std::string& host, int port);

    /// Stops the notifications, closes the socket and forgets held data and
    /// environSent. Always true (the caller clears `connected` from it).
    bool Close();

    /// Transmits a record while `connected` is set; otherwise does nothing.
    /// An empty record is not transmitted. Throws CBlockingSocketException
    /// ("Send") when the socket fails; inside OnSocketEvent that is caught.
    /// A send that times out (the host stopped reading) leaves the connection
    /// unusable, part of a record may have gone: later sends fail at once
    /// and the next socket event ends the session.
    void Send(const std::uint8_t* bytes, std::size_t count) override;

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
    /// socket involved (recorded host data, tests). More than the buffer's
    /// free space is taken in buffer-sized pieces. Socket failures of sends
    /// made meanwhile are caught and ignored, as in OnSocketEvent.
    void OnReceived(const std::uint8_t* bytes, std::size_t count);

    bool IsOpen() const { return socket_.IsOpen(); }
    /// The socket's file descriptor, CBlockingSocket::kNoSocket when closed.
    int SocketHandle() const { return socket_.Handle(); }
    bool notificationsSuspended() const { return suspended_; }
    bool telnetSeen() const { return telnetSeen_; }
    bool environSent() const { return telnet_.environSent(); }
    /// Bytes held for an incomplete block.
    std::size_t receivedCount() const { return receivedCount_; }
    const CBlockingSocket::Address& address() const { return address_; }

private:
    /// What to throw away after a block too large for the buffer was dropped.
    enum class Discard { Nothing, ToEndOfRecord, ToEndOfSubnegotiation };

    void LeaveSysReqMode();
    void HostClosed();
    /// Takes the `count` bytes that have just arrived after the held data
    /// (at most the free space) and routes them.
    void Absorb(std::size_t count);
    /// Routes held data until nothing more can go.
    void Route();
    /// What bytes after complete telnet commands are.
    enum class Remainder { Record, Telnet, Undecided };
    static Remainder ClassifyRemainder(const std::uint8_t* bytes, std::size_t count,
                                       bool answeredInThisBlock);
    /// The held data is `end` bytes of complete commands, `lastCommand` in
    /// force after them, and then other bytes: takes what goes to the
    /// negotiator, leaving a record or an undecided remainder held.
    void TakeCommandsAndRemainder(std::size_t end, int lastCommand);
    /// Hands the first `count` held bytes to the negotiator (with the command
    /// in force before them) or the interpreter.
    void TakeForTelnet(std::size_t count, int lastCommand = CTelnet::kNoCommand);
    void TakeForInterpreter(std::size_t count);
    /// Removes the first `count` held bytes into `out`.
    void TakeFront(std::size_t count, std::vector<std::uint8_t>& out);
    void ShowPlainText();
    void DropHeldData();
    /// Skips what belongs to a dropped block; returns how many bytes it ate.
    std::size_t DiscardPrefix(const std::uint8_t* bytes, std::size_t count);
    /// Where the last block of the held data ends (just past its IAC EOR), 0
    /// when no block is complete.
    std::size_t EndOfLastBlock();

    Terminal& terminal_;
    ViewOperations& view_;
    MessageBoxes& messages_;
    SessionControl& session_;
    SocketNotifier& notifier_;

    CBlockingSocket socket_;
    CBlockingSocket::Address address_{};
    std::vector<std::uint8_t> buffer_;  ///< kReceiveBufferSize bytes, held data at the front
    std::size_t receivedCount_ = 0;
    /// Held bytes already searched without finding the end of their block (IAC
    /// EOR, or IAC SE of a subnegotiation at the start); always at a boundary
    /// between bytes and IAC pairs.
    std::size_t scanned_ = 0;
    bool telnetSeen_ = false;
    bool suspended_ = true;
    Discard discard_ = Discard::Nothing;
    bool discardAfterIac_ = false;  ///< the last discarded byte was an unpaired IAC
    bool sendTimedOut_ = false;     ///< the host stopped reading: the connection is given up
    /// The held data starts with bytes that followed telnet commands and are
    /// not yet known to be a record or more negotiation; at most a header's
    /// length, so they never fill the buffer.
    bool remainderPending_ = false;
    int pendingCommand_ = CTelnet::kNoCommand;  ///< the command in force before them
    /// The blocks handed on, kept so that steady traffic allocates nothing.
    std::vector<std::uint8_t> telnetBlock_;
    std::vector<std::uint8_t> interpreterBlock_;

    CTelnet telnet_;
    NullBlockInterpreter nullInterpreter_;
    BlockInterpreter* interpreter_ = &nullInterpreter_;
    RecordSender* transport_ = nullptr;
    ConnectionMonitor* monitor_ = nullptr;
};

}  // namespace quenlix
