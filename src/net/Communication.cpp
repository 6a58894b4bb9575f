// The connection endpoint. Data is held in a fixed buffer that is never
// asked to take more than it has room for; whatever part of it is complete is
// taken out of the buffer before it is handed on, so a handler that sends
// (and fails) or re-enters the endpoint never sees the same block twice.
#include "net/Communication.h"

#include <arpa/inet.h>
#include <sys/socket.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "net/TlsClient.h"
#include "telnet/TelnetCodes.h"
#include "terminal/GdsHeader.h"
#include "terminal/StringTable.h"

namespace quenlix {

using telnet::Byte;
using telnet::Command;
using telnet::kIAC;

namespace {

constexpr std::uint8_t kEOR = Byte(Command::EOR);
constexpr std::uint8_t kSE = Byte(Command::SE);

// Just past the first (or, with `last`, the last) IAC EOR in [from, count)
// of `b`, where `from` is at a boundary between bytes and IAC pairs; 0 when
// there is none. `resume` receives the last boundary reached, where a later
// search can go on.
std::size_t FindEndOfRecord(const std::uint8_t* b, std::size_t from, std::size_t count,
                            std::size_t* resume, bool last = false) {
    std::size_t found = 0;
    std::size_t i = from;
    while (i < count) {
        const auto* iac = static_cast<const std::uint8_t*>(std::memchr(b + i, kIAC, count - i));
        if (iac == nullptr) {
            i = count;
            break;
        }
        i = static_cast<std::size_t>(iac - b);
        if (i + 1 >= count) break;  // an IAC whose partner has not arrived yet
        i += 2;
        if (b[i - 1] == kEOR) {
            found = i;
            if (!last) break;
        }
    }
    if (resume) *resume = i;
    return found;
}

bool IsOptionCommand(std::uint8_t c) {
    return c == Byte(Command::WILL) || c == Byte(Command::WONT) || c == Byte(Command::DO) ||
           c == Byte(Command::DONT);
}

enum class TelnetEnd { All, Data, Unfinished };

// How far the held data, which starts with IAC, is made of complete telnet
// commands, and what stops the walk there. `resume` is where the search for
// the end of a subnegotiation at the start may go on (a boundary between
// bytes and IAC pairs, 0 for none); it is updated when that subnegotiation is
// still unfinished, so a long one arriving in small pieces is searched once.
TelnetEnd ScanTelnetCommands(const std::uint8_t* b, std::size_t count, std::size_t* end,
                             std::size_t* resume, int* lastCommand) {
    std::size_t i = 0;
    TelnetEnd result = TelnetEnd::All;
    *lastCommand = CTelnet::kNoCommand;
    while (i < count) {
        if (b[i] != kIAC) {
            result = TelnetEnd::Data;
            break;
        }
        if (i + 1 >= count) {
            result = TelnetEnd::Unfinished;
            break;
        }
        const std::uint8_t c = b[i + 1];
        if (c == kIAC || c == kEOR) {  // a data byte or a record end: no command
            result = TelnetEnd::Data;
            break;
        }
        if (IsOptionCommand(c)) {
            if (i + 2 >= count) {
                result = TelnetEnd::Unfinished;
                break;
            }
            *lastCommand = c;
            i += 3;
        } else if (c == Byte(Command::SB)) {
            std::size_t j = i == 0 ? std::max<std::size_t>(2, *resume) : i + 2;
            bool closed = false;
            while (j + 1 < count) {
                if (b[j] == kIAC && b[j + 1] == kSE) {
                    closed = true;
                    break;
                }
                j += b[j] == kIAC ? 2 : 1;
            }
            if (!closed) {
                if (i == 0) *resume = j;
                result = TelnetEnd::Unfinished;
                break;
            }
            *lastCommand = kSE;  // the negotiator's walk ends a subnegotiation so too
            i = j + 2;
        } else {
            *lastCommand = c;
            i += 2;  // NOP, GA, ...: two bytes
        }
    }
    *end = std::min(i, count);
    return result;
}

// Whether bytes that follow complete telnet commands (`b`, never starting
// with IAC) begin a 5250 record. A record is recognised by its GDS header
// at offset 2, or 3 when the length's low byte is a doubled 0xFF; Unknown
// while too few bytes have arrived to see it.
enum class RecordStart { Yes, No, Unknown };

RecordStart LooksLikeRecord(const std::uint8_t* b, std::size_t count) {
    std::size_t at = 2;
    if (count >= 2 && b[1] == kIAC) {
        if (count < 3) return RecordStart::Unknown;
        if (b[2] != kIAC) return RecordStart::No;  // a lone 0xFF is in no record
        at = 3;
    }
    for (std::size_t k = 0; k < kGdsHeader.size(); ++k) {
        if (at + k >= count) return RecordStart::Unknown;
        if (b[at + k] != kGdsHeader[k]) return RecordStart::No;
    }
    return RecordStart::Yes;
}

// Bytes before the next IAC: the run that a command before it stays in
// force for.
std::size_t RunBeforeIac(const std::uint8_t* b, std::size_t count) {
    const auto* iac = static_cast<const std::uint8_t*>(std::memchr(b, kIAC, count));
    return iac ? static_cast<std::size_t>(iac - b) : count;
}

}  // namespace

Communication::Communication(const CommunicationLinks& links)
    : terminal_(links.terminal),
      messages_(links.messages),
      session_(links.session),
      notifier_(links.notifier),
      settings_(links.settings),
      buffer_(kReceiveBufferSize),
      telnet_(*this, links.settings) {
    // No block handed on is longer than the receive buffer.
    telnetBlock_.reserve(kReceiveBufferSize);
    interpreterBlock_.reserve(kReceiveBufferSize);
}

void Communication::SetInterpreter(BlockInterpreter* interpreter) {
    interpreter_ = interpreter ? interpreter : &nullInterpreter_;
}

bool Communication::Connect(const std::string& host, int port) {
    session_.BeginWaitCursor();
    telnet_.Reset();
    telnetSeen_ = false;
    receivedCount_ = 0;
    scanned_ = 0;
    discard_ = Discard::Nothing;
    discardAfterIac_ = false;
    remainderPending_ = false;
    ending_ = false;
    sendError_ = 0;
    output_.clear();
    outputSent_ = 0;
    terminal_.SetConnectionNotice({});
    terminal_.SetKeyboardLocked(true);

    bool connected = true;
    std::string address = host;
    int triedPort = port;
    std::string tlsFailure;
    try {
        SuspendNotifications();
        DropTls();
        socket_.Close();
        // The files a TLS session names are read before the host is
        // reached: one that cannot be used fails here, naming the file.
        std::unique_ptr<TlsClient> tls;
        if (settings_.UsesTls() && !(tls = PrepareTls(host, port, tlsFailure))) {
            throw CBlockingSocketException("Connect", EPROTO);
        }
        if (port < 0 || port > 0xFFFF) throw CBlockingSocketException("Connect", EINVAL);
        ConnectToFirstAnswering(host, static_cast<std::uint16_t>(port), address, triedPort);
        socket_.EnableKeepAlive();
        lastTraffic_ = clock_();
        if (tls) {
            tls_ = std::move(tls);
            if (!BeginTls(tlsFailure)) throw CBlockingSocketException("Connect", EPROTO);
        } else {
            ResumeNotifications();
        }
    } catch (const CBlockingSocketException& e) {
        const std::string reason = !tlsFailure.empty()
                                       ? tlsFailure
                                       : ConnectFailureReason(e.errorCode(), host, address,
                                                              triedPort, socket_.connectTimeout());
        messages_.ShowMessage(std::string(LoadString(kStrConnectFailure)) + "\n" + reason,
                              MessageIcon::None);
        SuspendNotifications();
        DropTls();
        socket_.Close();
        terminal_.SetKeyboardLocked(false);
        connected = false;
    }
    session_.EndWaitCursor();
    return connected;
}

void Communication::ConnectToFirstAnswering(const std::string& host, std::uint16_t port,
                                            std::string& address, int& triedPort) {
    std::vector<CBlockingSocket::Endpoint> endpoints = resolver_(host, port);
    if (endpoints.size() > CBlockingSocket::kMaxEndpoints) {
        endpoints.resize(CBlockingSocket::kMaxEndpoints);
    }
    if (endpoints.empty()) {
        throw CBlockingSocketException("Connect", 0);  // the name did not resolve
    }
    // The connect timeout covers every try: each address gets an even share
    // of what is left, so one that never answers leaves time for the others.
    const std::chrono::milliseconds total = socket_.connectTimeout();
    const Clock::time_point deadline = Clock::now() + total;
    int error = ETIMEDOUT;
    for (std::size_t i = 0; i < endpoints.size(); ++i) {
        const auto left =
            std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) break;
        address_ = endpoints[i];
        address = address_.AddressText();
        triedPort = address_.Port();
        socket_.Close();
        try {
            socket_.Create(SOCK_STREAM, address_.family());
            socket_.SetConnectTimeout(left / static_cast<long>(endpoints.size() - i));
            socket_.Connect(address_);
            socket_.SetConnectTimeout(total);
            return;
        } catch (const CBlockingSocketException& e) {
            error = e.errorCode();
            socket_.SetConnectTimeout(total);
        }
    }
    throw CBlockingSocketException("Connect", error);
}

bool Communication::Close() {
    // The sign-off went into the queue just before: it leaves now if the
    // socket takes it, without waiting for a host that reads nothing.
    if (socket_.IsOpen() && pendingOutput() > 0) {
        try {
            FlushOutput();
        } catch (const CBlockingSocketException&) {
            // The connection has failed; there is nothing left to hand over.
        }
    }
    SuspendNotifications();
    notifier_.WatchWritable(socket_.Handle(), false);
    DropTls();
    socket_.Close();
    telnet_.Reset();
    receivedCount_ = 0;
    scanned_ = 0;
    discard_ = Discard::Nothing;
    discardAfterIac_ = false;
    remainderPending_ = false;
    output_.clear();
    outputSent_ = 0;
    return true;
}

void Communication::Send(const std::uint8_t* bytes, std::size_t count) {
    if (!terminal_.state.connected || count == 0) return;
    if (transport_) {
        transport_->Send(bytes, count);
        if (monitor_) monitor_->Sent(bytes, count);
        return;
    }
    // The host is gone or given up: the session is ending, nothing can go.
    // Nor before a TLS host's certificate is trusted.
    if (ending_ || !socket_.IsOpen() ||
        (tlsPhase_ != TlsPhase::kNone && tlsPhase_ != TlsPhase::kOpen)) {
        throw CBlockingSocketException("Send", ENOTCONN);
    }
    if (monitor_) monitor_->Sent(bytes, count);
    lastTraffic_ = clock_();
    std::size_t taken = 0;
    if (pendingOutput() == 0) {
        try {
            taken = channel_->SendSome(bytes, count);
        } catch (const CBlockingSocketException& e) {
            // The receive that ends the session may see only the close that
            // follows; the notice names what the send met.
            sendError_ = e.errorCode();
            throw;
        }
        if (taken == count) return;
        lastProgress_ = clock_();  // the wait for the host to take more begins
    }
    if (pendingOutput() + (count - taken) > kMaxQueuedOutput) {
        // The host has stopped taking data while keys keep coming: the
        // connection is of no more use, and nothing more is queued for it.
        CheckOutputStall();
        HostEnded(std::string(kConnectionLostPrefix) + "the host stopped taking data");
        throw CBlockingSocketException("Send", ENOBUFS);
    }
    if (outputSent_ > 0 && outputSent_ * 2 >= output_.size()) {
        output_.erase(output_.begin(), output_.begin() + static_cast<std::ptrdiff_t>(outputSent_));
        outputSent_ = 0;
    }
    output_.insert(output_.end(), bytes + taken, bytes + count);
    UpdateWatches();
}

void Communication::FlushOutput() {
    while (pendingOutput() > 0) {
        const std::size_t n = channel_->SendSome(output_.data() + outputSent_, pendingOutput());
        if (n == 0) return;
        outputSent_ += n;
        lastProgress_ = clock_();
    }
    output_.clear();
    outputSent_ = 0;
}

void Communication::OnSocketWritable() {
    if (ending_ || !socket_.IsOpen()) return;
    if (tlsPhase_ == TlsPhase::kHandshake) {
        StepHandshake();
        return;
    }
    if (tlsPhase_ == TlsPhase::kQuestion) return;
    try {
        FlushOutput();
    } catch (const CBlockingSocketException& e) {
        TlsSessionFailed(e.errorCode());
        return;
    }
    UpdateWatches();
    // A TLS receive that had to write first goes on now.
    if (channel_->ReceiveWantsWritable() && !channel_->SendWantsReadable()) {
        OnSocketEvent();
        return;
    }
    // Records held back while the output waited go on now.
    if (pendingOutput() <= kOutputHighWater && receivedCount_ > 0) RouteHeld();
}

void Communication::CheckOutputStall() {
    if (ending_ || !socket_.IsOpen() || pendingOutput() == 0) return;
    if (clock_() - lastProgress_ < stallLimit_) return;
    HostEnded(std::string(kConnectionLostPrefix) + "the host stopped taking data");
}

void Communication::UpdateWatches() {
    if (!socket_.IsOpen()) return;
    const int fd = socket_.Handle();
    bool read = !suspended_ && pendingOutput() <= kOutputHighWater;
    bool write = pendingOutput() > 0;
    switch (tlsPhase_) {
        case TlsPhase::kHandshake:
            read = tls_->stream().handshakeWantsRead();
            write = tls_->stream().handshakeWantsWrite() || !tls_->stream().handshakeStarted();
            break;
        case TlsPhase::kQuestion:
            read = write = false;
            break;
        case TlsPhase::kNone:
        case TlsPhase::kOpen:
            // A TLS write that needs a record read first, and a read that
            // needs to write first, wait for the other readiness.
            if (write && channel_->SendWantsReadable()) read = true;
            if (channel_->ReceiveWantsWritable()) write = true;
            break;
    }
    if (read) {
        notifier_.Resume(fd);
    } else {
        notifier_.Suspend();
    }
    notifier_.WatchWritable(fd, write);
    if (read && tlsPhase_ == TlsPhase::kOpen && channel_->HasBufferedInput()) {
        notifier_.PostReadable();
    }
}

void Communication::SuspendNotifications() {
    notifier_.Suspend();
    suspended_ = true;
}

void Communication::ResumeNotifications() {
    if (!socket_.IsOpen()) return;
    suspended_ = false;
    UpdateWatches();
}

void Communication::LeaveSysReqMode() {
    if (!terminal_.state.sysReqMode) return;
    session_.LeaveSysReqModeForHostData();
    terminal_.SetSysReqMode(false);
    // The mode suspended the notifications; nothing else would resume them
    // now that host data has ended it.
    ResumeNotifications();
}

void Communication::OnSocketEvent() {
    if (ending_) return;
    if (tlsPhase_ == TlsPhase::kHandshake) {
        StepHandshake();
        return;
    }
    if (tlsPhase_ == TlsPhase::kQuestion || !socket_.IsOpen()) return;
    // Queued output that waits for a TLS record to be read goes on first.
    if (pendingOutput() > 0 && channel_->SendWantsReadable()) {
        OnSocketWritable();
        if (ending_ || !socket_.IsOpen() || suspended_) return;
    }
    LeaveSysReqMode();
    for (int round = 1; ReceiveOnce(); ++round) {
        // Decrypted bytes a TLS session still holds are not reported by the
        // socket again: they are read now, a few rounds at a time.
        if (!channel_->HasBufferedInput() || suspended_ || pendingOutput() > kOutputHighWater) {
            break;
        }
        if (round >= kBufferedReadRounds) {
            notifier_.PostReadable();
            break;
        }
    }
}

bool Communication::ReceiveOnce() {
    if (!socket_.IsOpen()) return false;
    // Held back while the host takes none of the answers already waiting.
    if (pendingOutput() > kOutputHighWater) return false;
    std::size_t n = 0;
    try {
        // Never more than the free space; Absorb keeps at least one byte free.
        const std::size_t room =
            std::min(kReceiveBufferSize - receivedCount_, kReceiveRequestLimit);
        n = channel_->Receive(buffer_.data() + receivedCount_, room);
    } catch (const CBlockingSocketException& e) {
        // A readiness report that was stale: the next one tries again (a TLS
        // session may first need the socket writable). Any other failure (a
        // reset, a host that vanished while keep-alive probed it) ends the
        // session with its cause.
        const int error = e.errorCode();
        if (error != EAGAIN && error != EWOULDBLOCK && error != EINTR) {
            TlsSessionFailed(error);
        } else if (tls_) {
            UpdateWatches();
        }
        return false;
    }
    if (n == 0) {
        HostEnded(sendError_ != 0 ? LostNotice(sendError_) : kDisconnectedByHost);
        return false;
    }
    lastTraffic_ = clock_();
    if (monitor_) monitor_->Received(buffer_.data() + receivedCount_, n);
    Absorb(n);
    return !ending_ && socket_.IsOpen();
}

void Communication::OnReceived(const std::uint8_t* bytes, std::size_t count) {
    LeaveSysReqMode();
    if (monitor_ && count > 0) monitor_->Received(bytes, count);
    while (count > 0) {
        const std::size_t piece = std::min(count, kReceiveBufferSize - receivedCount_);
        std::memcpy(buffer_.data() + receivedCount_, bytes, piece);
        Absorb(piece);
        bytes += piece;
        count -= piece;
    }
}

void Communication::EndConnection() {
    SuspendNotifications();
    notifier_.WatchWritable(socket_.Handle(), false);
    output_.clear();
    outputSent_ = 0;
    try {
        session_.HostEndedSession();
    } catch (const CBlockingSocketException&) {
        // The sign-off cannot reach a host that has gone; the session ends anyway.
    }
    if (socket_.IsOpen()) Close();
    terminal_.SetKeyboardLocked(false);
}

void Communication::HostEnded(const std::string& notice) {
    if (ending_) return;
    // Once: from here no socket event is handled, so the nested event loop
    // of a message box cannot report the same close again.
    ending_ = true;
    const bool refused = telnet_.environSent();
    telnet_.setEnvironSent(false);
    EndConnection();
    terminal_.SetConnectionNotice(notice);
    // The message comes when the session has ended: its box waits for the
    // operator, the ending does not.
    if (refused) {
        // The host closed right after the environment answer, before any 5250
        // block: it refused the display name.
        messages_.ShowMessage(LoadString(kStrDisplayInUse), MessageIcon::Exclamation);
    }
    messages_.ShowHostNotice(HostNotice::kConnectionEnded, notice);
    ending_ = false;
}

void Communication::Absorb(std::size_t count) {
    std::uint8_t* arrived = buffer_.data() + receivedCount_;
    const std::size_t eaten = DiscardPrefix(arrived, count);
    if (eaten > 0 && eaten < count) std::memmove(arrived, arrived + eaten, count - eaten);
    receivedCount_ += count - eaten;
    RouteHeld();
    if (receivedCount_ >= kReceiveBufferSize) DropHeldData();
}

void Communication::RouteHeld() {
    Route();
    if (!delivered_) return;
    delivered_ = false;
    interpreter_->EndOfArrival();
}

void Communication::Route() {
    // Each pass looks at the held data afresh: a handler may have re-entered
    // the endpoint and changed it.
    while (receivedCount_ > 0) {
        const std::uint8_t* held = buffer_.data();
        if (held[0] == kIAC) {
            telnetSeen_ = true;
            remainderPending_ = false;
            std::size_t end = 0;
            int last = CTelnet::kNoCommand;
            switch (ScanTelnetCommands(held, receivedCount_, &end, &scanned_, &last)) {
                case TelnetEnd::All:
                    TakeForTelnet(receivedCount_);
                    break;
                case TelnetEnd::Unfinished:
                    if (end == 0) return;  // wait for the rest of the command
                    TakeForTelnet(end);
                    break;
                case TelnetEnd::Data:
                    if (end == 0) {
                        // IAC IAC or IAC EOR first: no command at all. The
                        // negotiator gets it whole and answers what it can.
                        TakeForTelnet(receivedCount_);
                        break;
                    }
                    TakeCommandsAndRemainder(end, last);
                    break;
            }
            continue;
        }
        if (remainderPending_) {
            // Bytes left after telnet commands, too few to tell until now.
            switch (ClassifyRemainder(held, receivedCount_)) {
                case Remainder::Record:
                    remainderPending_ = false;
                    break;  // 5250 data: on to the block's end below
                case Remainder::Telnet:
                    remainderPending_ = false;
                    TakeForTelnet(RunBeforeIac(held, receivedCount_), pendingCommand_);
                    continue;
                case Remainder::Undecided:
                    return;
            }
        }
        // Held back while the host takes none of the answers already waiting.
        if (pendingOutput() > kOutputHighWater) return;
        if (!telnetSeen_) {
            // Before any telnet command only data that is records to its
            // last byte is 5250 data, the last of them possibly still
            // arriving (its header seen, or too few bytes to tell): a long
            // record comes in several receives. Anything else is a plain
            // text server's.
            const std::size_t whole = FindEndOfRecord(held, 0, receivedCount_, nullptr, true);
            if (whole != receivedCount_ &&
                LooksLikeRecord(held + whole, receivedCount_ - whole) == RecordStart::No) {
                ShowPlainText();
                return;
            }
        }
        const std::size_t end = EndOfFirstRecord();
        if (end == 0) return;
        TakeForInterpreter(end);
    }
}

Communication::Remainder Communication::ClassifyRemainder(const std::uint8_t* bytes,
                                                          std::size_t count) {
    switch (LooksLikeRecord(bytes, count)) {
        case RecordStart::Yes:
            return Remainder::Record;
        case RecordStart::No:
            return Remainder::Telnet;
        case RecordStart::Unknown:
            break;
    }
    // Too few bytes to see a header: they may be the start of the host's
    // first record, which must not be answered as option codes. A byte that
    // really is more negotiation is answered once the bytes after it tell.
    return Remainder::Undecided;
}

void Communication::TakeCommandsAndRemainder(std::size_t end, int lastCommand) {
    const std::uint8_t* rest = buffer_.data() + end;
    const std::size_t restCount = receivedCount_ - end;
    switch (ClassifyRemainder(rest, restCount)) {
        case Remainder::Record:
            // A host may send its first record with its last commands: the
            // record stays for the next pass.
            TakeForTelnet(end);
            break;
        case Remainder::Telnet:
            // More bytes under the last command: one block, one answer.
            TakeForTelnet(end + RunBeforeIac(rest, restCount));
            break;
        case Remainder::Undecided:
            TakeForTelnet(end);
            remainderPending_ = true;
            pendingCommand_ = lastCommand;
            break;
    }
}

std::size_t Communication::EndOfFirstRecord() {
    std::size_t resume = 0;
    const std::size_t end = FindEndOfRecord(buffer_.data(), scanned_, receivedCount_, &resume);
    scanned_ = end > 0 ? 0 : resume;
    return end;
}

void Communication::TakeFront(std::size_t count, std::vector<std::uint8_t>& out) {
    // `out` keeps its capacity from block to block: no allocation once it
    // has held the largest block.
    out.assign(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(count));
    std::memmove(buffer_.data(), buffer_.data() + count, receivedCount_ - count);
    receivedCount_ -= count;
    scanned_ = 0;
}

void Communication::TakeForTelnet(std::size_t count, int lastCommand) {
    TakeFront(count, telnetBlock_);
    try {
        telnet_.Negotiate(telnetBlock_.data(), telnetBlock_.size(), lastCommand);
    } catch (const CBlockingSocketException&) {
        // The answer could not be sent; the connection is failing.
    }
}

void Communication::TakeForInterpreter(std::size_t count) {
    telnet_.setEnvironSent(false);
    delivered_ = true;
    // The interpreter copies the block first thing, so a nested block (a
    // message box's event loop) may refill this buffer while it runs.
    TakeFront(count, interpreterBlock_);
    try {
        interpreter_->ProcessBlock(interpreterBlock_.data(), interpreterBlock_.size());
    } catch (const CBlockingSocketException&) {
        // An answer could not be sent. The block has left the buffer, so it
        // is not interpreted again with the next data.
    }
}

void Communication::ShowPlainText() {
    TerminalState& state = terminal_.state;
    const int cellCount = terminal_.cellCount();
    int p = terminal_.PixelToPosition(0, state.cursorY);
    const std::size_t n = receivedCount_;
    for (std::size_t k = 0; k < n; ++k) {
        const std::uint8_t c = buffer_[k];
        if (c == '\r') {
            // The cursor goes down at most to the system request line, the
            // row below the screen.
            if (terminal_.CursorRow() < terminal_.rows()) {
                terminal_.SetCursorPixels(state.cursorX, state.cursorY + state.cellHeight);
            }
            p = terminal_.PixelToPosition(0, state.cursorY);
            ++k;  // the line feed taken to follow
            continue;
        }
        if (p >= 0 && p <= kPlainTextLastPosition && p < cellCount) {
            terminal_.SetCellCharacter(p, c);
            ++p;
        }
    }
    receivedCount_ = 0;
    scanned_ = 0;
}

void Communication::DropHeldData() {
    // Held data that fills the buffer is one unfinished block (an unfinished
    // subnegotiation when it starts with IAC): drop it, and what is still to
    // come of it, and go on with the next block.
    discard_ = buffer_[0] == kIAC ? Discard::ToEndOfSubnegotiation : Discard::ToEndOfRecord;
    std::size_t boundary = 0;
    FindEndOfRecord(buffer_.data(), 0, receivedCount_, &boundary, true);
    discardAfterIac_ = boundary < receivedCount_;
    if (monitor_) monitor_->Dropped(receivedCount_);
    receivedCount_ = 0;
    scanned_ = 0;
    remainderPending_ = false;
}

std::size_t Communication::DiscardPrefix(const std::uint8_t* bytes, std::size_t count) {
    if (discard_ == Discard::Nothing) return 0;
    const std::uint8_t target = discard_ == Discard::ToEndOfRecord ? kEOR : kSE;
    std::size_t i = 0;
    bool done = false;
    while (i < count && !done) {
        const std::uint8_t b = bytes[i++];
        if (discardAfterIac_) {
            discardAfterIac_ = false;
            done = b == target;
        } else {
            discardAfterIac_ = b == kIAC;
        }
    }
    if (done) discard_ = Discard::Nothing;
    if (monitor_ && i > 0) monitor_->Dropped(i);
    return i;
}

std::string ConnectFailureReason(int error, const std::string& host, const std::string& address,
                                 int port, std::chrono::milliseconds timeout) {
    const std::string where = CBlockingSocket::EndpointText(address, port);
    switch (error) {
        case 0:
            return "Host name not found: " + host;
        case ECONNREFUSED:
            return "Connection refused by " + where;
        case ETIMEDOUT: {
            const long long seconds = (timeout.count() + 999) / 1000;
            return "No answer from " + where + " within " + std::to_string(seconds) + " s";
        }
        case EHOSTUNREACH:
            return "Host unreachable: " + where;
        case ENETUNREACH:
            return "Network unreachable: " + where;
        case EINVAL:
            if (port < 0 || port > 0xFFFF) return "Port " + std::to_string(port) + " is not a TCP port";
            break;
        default:
            break;
    }
    return std::string(std::strerror(error)) + ": " + where;
}

std::string ConnectionLostNotice(int error) {
    std::string cause;
    switch (error) {
        case ECONNRESET: cause = "the host reset the connection"; break;
        case EPIPE: cause = "the host closed the connection"; break;
        case ETIMEDOUT: cause = "no answer from the host"; break;
        case EHOSTUNREACH:
        case ENETUNREACH: cause = "the host can no longer be reached"; break;
        default: cause = std::strerror(error); break;
    }
    return std::string(Communication::kConnectionLostPrefix) + cause;
}

}  // namespace quenlix
