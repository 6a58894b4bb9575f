// The demo host's TCP server: one listening socket, a poll() loop, and one
// HostSession per connected terminal. Several terminals may be connected at
// once; each has its own session state.
#pragma once

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "demohost/HostSession.h"
#include "demohost/HostTls.h"
#include "demohost/SignOnService.h"
#include "net/TlsStream.h"
#include "trace/TrafficTracer.h"

namespace quenlix::demohost {

struct ServerOptions {
    std::string bindAddress = "127.0.0.1";
    std::uint16_t port = 2323;  ///< 0 picks a free port (see DemoServer::port)
    /// Empty: no log. The log holds the host's events and every piece of
    /// traffic both ways, as hex and described, secrets masked.
    std::string logPath;
    Scenario scenario = Scenario::kDemo;
    long burstCount = 100;
    bool once = false;          ///< stop after the first terminal has gone
    /// The host's code page for every terminal (HostConfig::tables).
    TablePair tables = BuiltinTablePair();
    /// How long a terminal may leave the start-up query unanswered before
    /// the host sends its first screen anyway, as a real host never hangs on
    /// a terminal that has no query.
    std::chrono::milliseconds queryReplyWait{5000};
    /// Serve TLS with this context (kept by the caller for the server's
    /// life); nullptr for plain TCP. The telnet stream runs inside it.
    const HostTls* tls = nullptr;
    /// How long a terminal may take over the TLS handshake before it is
    /// dropped, so that a stalled one does not hold its place.
    std::chrono::milliseconds handshakeWait{10000};
    /// The host's password level, the password of automatic sign-ons and
    /// whether a clear one is taken (HostConfig).
    int passwordLevel = 3;
    std::string password = "DEMO";
    bool allowPlain = false;
    /// Printer sessions are refused with this startup code; empty: started (I902).
    std::string printerRefuseCode;
    /// Serve the sign-on server's attribute exchange on this port of the
    /// bind address (0 picks a free one; see signOnPort); none when unset.
    std::optional<std::uint16_t> signOnPort;
    /// A slow host: everything the host sends waits this long before it
    /// goes, as from a loaded system (0: at once).
    std::chrono::milliseconds answerDelay{0};
};

class DemoServer {
public:
    /// Terminals served at the same time. A further terminal is accepted
    /// and its connection closed at once, before any negotiation.
    static constexpr std::size_t kMaxClients = 64;
    /// A terminal that stops reading is not fed more than this: its input is
    /// no longer read until it has taken its output.
    static constexpr std::size_t kMaxQueuedOutput = 4 * 1024 * 1024;
    /// How long poll() waits before the stop request is looked at again.
    static constexpr int kPollMilliseconds = 200;

    explicit DemoServer(ServerOptions options);
    ~DemoServer();
    DemoServer(const DemoServer&) = delete;
    DemoServer& operator=(const DemoServer&) = delete;

    /// Opens the log and the listening socket. False with a message on failure.
    bool Open(std::string& error);
    /// The bound port (the chosen one when the options said 0).
    std::uint16_t port() const { return port_; }
    /// The sign-on server's bound port; 0 when it is not served.
    std::uint16_t signOnPort() const { return signOn_ ? signOn_->port() : 0; }
    /// Serves until RequestStop (or, with `once`, until the first terminal
    /// has disconnected). Returns the process exit status.
    int Run();
    /// Safe from another thread; a signal handler sets its own flag instead
    /// and the caller passes it with SetStopFlag.
    void RequestStop() { stop_ = true; }
    void SetStopFlag(const volatile std::sig_atomic_t* flag) { externalStop_ = flag; }

private:
    struct Client {
        int fd = -1;
        int number = 0;
        std::unique_ptr<HostSession> session;
        Bytes out;
        std::size_t sent = 0;
        /// While the session awaits the query reply: when it stops waiting.
        std::optional<std::chrono::steady_clock::time_point> queryDeadline;
        /// The traffic's describer, while there is a log.
        std::unique_ptr<TrafficTracer> tracer;
        /// The TLS session over `fd` when the host serves TLS.
        std::unique_ptr<TlsStream> tls;
        /// While the TLS handshake goes on: when the terminal is dropped.
        std::optional<std::chrono::steady_clock::time_point> handshakeDeadline;
        /// With an answer delay: the host's bytes not yet due, and when the
        /// first of them is.
        Bytes held;
        std::chrono::steady_clock::time_point heldUntil;
    };

    void Accept();
    /// The display's "Print a report": the first ready printer gets it.
    bool PrintReport(int pages, std::string& device);
    /// False when the client is gone and must be dropped.
    bool ReadFrom(Client& c);
    /// One handshake step; false when the client is gone.
    bool StepHandshake(Client& c);
    /// Bytes from the terminal: the count, 0 at its end, -1 when nothing
    /// waits now, -2 after a failure (`why` says what).
    long ReceiveSome(Client& c, std::uint8_t* buffer, std::size_t size, std::string& why);
    /// Bytes to the terminal: how many went (0 when none can now), -1 after
    /// a failure (`why` says what).
    long SendSome(Client& c, const std::uint8_t* bytes, std::size_t count, std::string& why);
    /// The poll() events a client waits for.
    short EventsOf(const Client& c) const;
    /// Decrypted bytes of the terminal wait in its TLS session, and may be
    /// read now.
    bool Buffered(const Client& c) const;
    bool WriteTo(Client& c);
    void Collect(Client& c);
    void Drop(Client& c, const char* why);
    /// Gives up the query reply of clients past their deadline; the poll()
    /// timeout in milliseconds that wakes the loop for the next deadline.
    int ExpireQueryWaits();
    /// Hands held bytes that are due to the socket; the milliseconds until
    /// the next are due (at most kPollMilliseconds).
    int ReleaseHeld();
    /// Drops the clients whose TLS handshake has not ended in time.
    void ExpireHandshakes();
    void WriteLog(int client, const std::string& line);
    /// Writes the traffic lines of a client, "-> " for what the host sent and
    /// "<- " for what it received in front of the hex.
    void WriteTraffic(const Client& c, const std::vector<std::string>& lines);
    bool Stopping() const;

    ServerOptions options_;
    int listenFd_ = -1;
    std::uint16_t port_ = 0;
    std::FILE* log_ = nullptr;
    std::vector<Client> clients_;
    std::unique_ptr<SignOnService> signOn_;
    int nextNumber_ = 1;
    bool servedOne_ = false;
    std::atomic<bool> stop_{false};
    const volatile std::sig_atomic_t* externalStop_ = nullptr;
};

}  // namespace quenlix::demohost
