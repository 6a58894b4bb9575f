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

using telnet::kIAC;

namespace {

// Whether data that follows telnet commands (IAC doubling undone) begins a
// 5250 record: its GDS header follows the two length bytes. Unknown while
// too few bytes have arrived to see it.
enum class RecordStart { Yes, No, Unknown };

RecordStart LooksLikeRecord(const std::vector<std::uint8_t>& b, std::size_t headerBytes) {
    constexpr std::size_t at = 2;
    for (std::size_t k = 0; k < headerBytes; ++k) {
        if (at + k >= b.size()) return RecordStart::Unknown;
        if (b[at + k] != kGdsHeader[k]) return RecordStart::No;
    }
    return RecordStart::Yes;
}

// Bytes a data run took on the wire: a data 0xFF, which comes as a run of
// its own, travelled doubled.
std::size_t WireLength(const std::uint8_t* bytes, std::size_t count) {
    return count == 1 && bytes[0] == kIAC ? 2 : count;
}

// IAC SB <option>, and a two-byte command (IAC SE, IAC EOR).
constexpr std::size_t kSubnegotiationBeginLength = 3;
constexpr std::size_t kCommandLength = 2;

}  // namespace

Communication::Communication(const CommunicationLinks& links)
    : display_(links.display),
      messages_(links.messages),
      session_(links.session),
      notifier_(links.notifier),
      settings_(links.settings),
      buffer_(kReceiveBufferSize),
      telnet_(*this, links.settings) {
    // No record handed on is longer than the receive buffer.
    record_.reserve(kReceiveBufferSize);
    interpreterRecord_.reserve(kReceiveBufferSize);
}

void Communication::SetInterpreter(BlockInterpreter* interpreter) {
    interpreter_ = interpreter ? interpreter : &nullInterpreter_;
}

bool Communication::Connect(const std::string& host, int port) {
    session_.BeginWaitCursor();
    telnet_.Reset();
    ResetStream();
    telnetSeen_ = false;
    ending_ = false;
    sendError_ = 0;
    output_.clear();
    outputSent_ = 0;
    display_.SetConnectionNotice({});
    display_.SetKeyboardLocked(true);

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
        display_.SetKeyboardLocked(false);
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
    ResetStream();
    output_.clear();
    outputSent_ = 0;
    return true;
}

void Communication::Send(const std::uint8_t* bytes, std::size_t count) {
    if (!display_.Connected() || count == 0) return;
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
    if (pendingOutput() <= kOutputHighWater && (recordReady_ || unreadEnd_ > unreadStart_)) {
        RouteHeld();
    }
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
    if (!display_.SysReqMode()) return;
    session_.LeaveSysReqModeForHostData();
    display_.SetSysReqMode(false);
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
        if (round >= (background_ ? 1 : kBufferedReadRounds)) {
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
        // Never more than the room left: what is held stays below the limit.
        CompactUnread();
        const std::size_t room =
            std::min(Room(), background_ ? kBackgroundReceiveLimit : kReceiveRequestLimit);
        if (room == 0) return false;
        n = channel_->Receive(buffer_.data() + unreadEnd_, room);
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
    if (monitor_) monitor_->Received(buffer_.data() + unreadEnd_, n);
    Absorb(n);
    return !ending_ && socket_.IsOpen();
}

void Communication::OnReceived(const std::uint8_t* bytes, std::size_t count) {
    LeaveSysReqMode();
    if (monitor_ && count > 0) monitor_->Received(bytes, count);
    while (count > 0) {
        CompactUnread();
        if (Room() == 0) {
            // Records held back while output waits fill what may be held:
            // they go on regardless, and the queue's own limit applies.
            if (feeding_) return;  // not reached: the reader's handlers never re-enter
            RouteHeld(true);
            continue;
        }
        const std::size_t piece = std::min(count, Room());
        std::memcpy(buffer_.data() + unreadEnd_, bytes, piece);
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
    display_.SetKeyboardLocked(false);
}

void Communication::HostEnded(const std::string& notice) {
    if (ending_) return;
    // Once: from here no socket event is handled, so the nested event loop
    // of a message box cannot report the same close again.
    ending_ = true;
    const bool refused = telnet_.environSent();
    telnet_.setEnvironSent(false);
    EndConnection();
    display_.SetConnectionNotice(notice);
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

void Communication::CompactUnread() {
    if (feeding_ || unreadStart_ == 0) return;
    const std::size_t unread = unreadEnd_ - unreadStart_;
    if (unread > 0) std::memmove(buffer_.data(), buffer_.data() + unreadStart_, unread);
    unreadStart_ = 0;
    unreadEnd_ = unread;
}

std::size_t Communication::Room() const {
    return std::min(kReceiveBufferSize - receivedCount(), buffer_.size() - unreadEnd_);
}

void Communication::Absorb(std::size_t count) {
    unreadEnd_ += count;
    if (feeding_) return;  // read by the walk under way
    RouteHeld();
}

void Communication::RouteHeld(bool pastTheMark) {
    Route(pastTheMark);
    if (!delivered_) return;
    delivered_ = false;
    interpreter_->EndOfArrival();
}

void Communication::Route(bool pastTheMark) {
    // Each pass looks at the state afresh: the interpreter, or a send that
    // failed, may have re-entered the endpoint and changed it. Nothing is
    // sent while the reader walks: its handlers only gather, and pause it
    // where something must go first.
    for (;;) {
        if (answersEnd_) {
            SendAnswers();
        } else if (optionDeferred_) {
            optionDeferred_ = false;
            telnet_.OptionCommand(deferredVerb_, deferredOption_);
        } else if (recordReady_) {
            // Held back while the host takes none of the answers already waiting.
            if (!pastTheMark && pendingOutput() > kOutputHighWater) break;
            SendAnswers();  // the host hears the answers before the record's
            if (recordReady_) DeliverRecord();
        } else if (unreadEnd_ > unreadStart_) {
            struct Feeding {
                bool& flag;
                ~Feeding() { flag = false; }
            } feeding{feeding_ = true};
            unreadStart_ += reader_.Feed(buffer_.data() + unreadStart_, unreadEnd_ - unreadStart_,
                                         *this);
        } else {
            break;
        }
    }
    if (unreadEnd_ == unreadStart_) {
        unreadStart_ = unreadEnd_ = 0;
        // Stray negotiation bytes and plain text run to the end of an arrival.
        if (incoming_ == Incoming::kNegotiation || incoming_ == Incoming::kPlainText) {
            incoming_ = Incoming::kRecordStart;
        }
        skipAfterReturn_ = false;
    }
    SendAnswers();
}

void Communication::ResetStream() {
    reader_.Reset();
    unreadStart_ = unreadEnd_ = 0;
    incoming_ = Incoming::kRecordStart;
    record_.clear();
    recordWire_ = 0;
    subnegotiationWire_ = 0;
    subnegotiationDropped_ = false;
    recordReady_ = false;
    afterCommand_ = false;
    answersEnd_ = false;
    optionDeferred_ = false;
    skipAfterReturn_ = false;
}

void Communication::SendAnswers() {
    answersEnd_ = false;
    if (!telnet_.answerWaiting()) return;
    try {
        telnet_.SendAnswer();
    } catch (const CBlockingSocketException&) {
        // The answer could not be sent; the connection is failing.
    }
}

void Communication::DeliverRecord() {
    recordReady_ = false;
    telnet_.setEnvironSent(false);
    delivered_ = true;
    // Swapped out before it is handed on: a record arriving while the
    // interpreter runs (a message box's event loop) is gathered afresh.
    record_.swap(interpreterRecord_);
    record_.clear();
    recordWire_ = 0;
    try {
        interpreter_->ProcessRecord(interpreterRecord_.data(), interpreterRecord_.size());
    } catch (const CBlockingSocketException&) {
        // An answer could not be sent. The record has left, so it is not
        // interpreted again with the next data.
    }
}

bool Communication::TelnetCommandArrived() {
    const bool negotiation = EndDataRun();
    telnetSeen_ = true;
    afterCommand_ = true;
    if (negotiation) {
        answersEnd_ = true;
        reader_.Pause();
    }
    return negotiation;
}

bool Communication::EndDataRun() {
    if (incoming_ == Incoming::kUndecided) NotARecord();
    switch (incoming_) {
        case Incoming::kNegotiation:
            incoming_ = Incoming::kRecordStart;
            return true;
        case Incoming::kPlainText:
            incoming_ = Incoming::kRecordStart;
            return false;
        default:
            return false;
    }
}

void Communication::NotARecord() {
    if (telnetSeen_) {
        incoming_ = Incoming::kNegotiation;
        telnet_.RecordData(record_.data(), record_.size());
    } else {
        incoming_ = Incoming::kPlainText;
        display_.BeginPlainText();
        ShowPlainText(record_.data(), record_.size());
    }
    record_.clear();
    recordWire_ = 0;
}

void Communication::OptionCommand(std::uint8_t verb, std::uint8_t option) {
    if (TelnetCommandArrived()) {
        // Answered after the send of the negotiation before it.
        optionDeferred_ = true;
        deferredVerb_ = verb;
        deferredOption_ = option;
        return;
    }
    telnet_.OptionCommand(verb, option);
}

void Communication::Command(std::uint8_t command) {
    TelnetCommandArrived();
    telnet_.Command(command);
}

void Communication::SubnegotiationBegin(std::uint8_t option) {
    TelnetCommandArrived();
    telnet_.SubnegotiationBegin(option);
    subnegotiationWire_ = kSubnegotiationBeginLength;
    subnegotiationDropped_ = false;
}

void Communication::SubnegotiationData(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t wire = WireLength(bytes, count);
    if (subnegotiationDropped_) {
        Dropped(wire);
        return;
    }
    if (recordWire_ + subnegotiationWire_ + wire >= kReceiveBufferSize) {
        // No request is that long: it is not answered, and what is left of
        // it goes unread.
        Dropped(subnegotiationWire_ + wire);
        subnegotiationWire_ = 0;
        subnegotiationDropped_ = true;
        telnet_.AbandonSubnegotiation();
        return;
    }
    subnegotiationWire_ += wire;
    telnet_.SubnegotiationData(bytes, count);
}

void Communication::SubnegotiationEnd(bool complete) {
    if (subnegotiationDropped_ && complete) Dropped(kCommandLength);
    subnegotiationDropped_ = false;
    subnegotiationWire_ = 0;
    telnet_.SubnegotiationEnd(complete);
}

void Communication::RecordData(const std::uint8_t* bytes, std::size_t count) {
    switch (incoming_) {
        case Incoming::kRecordStart:
            // After a record's end more record follows; after a command, or
            // before any, the first bytes must show a header.
            incoming_ = afterCommand_ || !telnetSeen_ ? Incoming::kUndecided : Incoming::kRecord;
            Gather(bytes, count);
            break;
        case Incoming::kUndecided:
        case Incoming::kRecord:
            Gather(bytes, count);
            break;
        case Incoming::kNegotiation:
            telnet_.RecordData(bytes, count);
            return;
        case Incoming::kPlainText:
            ShowPlainText(bytes, count);
            return;
        case Incoming::kDropped:
            Dropped(WireLength(bytes, count));
            return;
    }
    if (incoming_ != Incoming::kUndecided) return;
    // A printer's records differ from the display's after the identifier.
    const std::size_t headerBytes = recordHeader_ == RecordHeader::kPrinter ? 2 : kGdsHeader.size();
    switch (LooksLikeRecord(record_, headerBytes)) {
        case RecordStart::Yes:
            incoming_ = Incoming::kRecord;
            break;
        case RecordStart::No:
            NotARecord();
            break;
        case RecordStart::Unknown:
            break;  // the start of the host's first record, or more negotiation
    }
}

void Communication::EndOfRecord() {
    switch (incoming_) {
        case Incoming::kRecord:
            recordReady_ = true;
            reader_.Pause();  // handed on before anything after it is read
            break;
        case Incoming::kDropped:
            Dropped(kCommandLength);
            break;
        default:
            if (EndDataRun()) {
                answersEnd_ = true;
                reader_.Pause();
            }
            break;
    }
    incoming_ = Incoming::kRecordStart;
    afterCommand_ = false;
}

void Communication::Gather(const std::uint8_t* bytes, std::size_t count) {
    const std::size_t wire = WireLength(bytes, count);
    if (recordWire_ + subnegotiationWire_ + wire >= kReceiveBufferSize) {
        // No record is that long: it is dropped, and what is still to come
        // of it, up to its end.
        Dropped(recordWire_ + wire);
        record_.clear();
        recordWire_ = 0;
        incoming_ = Incoming::kDropped;
        return;
    }
    record_.insert(record_.end(), bytes, bytes + count);
    recordWire_ += wire;
}

void Communication::Dropped(std::size_t count) {
    if (monitor_ && count > 0) monitor_->Dropped(count);
}

void Communication::ShowPlainText(const std::uint8_t* bytes, std::size_t count) {
    for (std::size_t k = 0; k < count; ++k) {
        const std::uint8_t c = bytes[k];
        if (skipAfterReturn_) {
            skipAfterReturn_ = false;  // the line feed taken to follow
            continue;
        }
        if (c == '\r') {
            display_.PlainTextReturn();
            skipAfterReturn_ = true;
            continue;
        }
        display_.PlainTextCharacter(c);
    }
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
