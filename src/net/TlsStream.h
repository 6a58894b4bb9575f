// A TLS session over a connected, non-blocking TCP socket, for either side:
// the terminal's connection to a host, and the demo host's to a terminal.
// Nothing in it waits: the handshake goes step by step as the socket is
// ready, reads and writes take what can be done now and say which readiness
// they need next. It also notes what the handshake showed (the first bytes
// the peer sent, the messages and alerts that passed), so that a failure
// can be named in the operator's words.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "net/ByteChannel.h"

struct ssl_st;
struct ssl_ctx_st;

namespace quenlix {

/// What a TLS stream saw of its peer.
struct TlsObservations {
    std::size_t bytesReceived = 0;    ///< raw bytes from the socket
    std::uint8_t firstBytes[5] = {};  ///< the first of them (a TLS record header)
    std::size_t firstCount = 0;
    bool helloSeen = false;             ///< the peer's ServerHello (client) or ClientHello (server)
    bool certificateRequested = false;  ///< the host asked for a client certificate
    bool renegotiationRequested = false;  ///< the host asked for a new handshake later on
    int alertReceived = -1;  ///< description of the last alert from the peer, -1 for none
    int alertSent = -1;      ///< description of the last alert sent to it
    bool endOfStream = false;  ///< the peer closed the TCP connection
    int socketError = 0;       ///< errno of the last failed receive or send on the socket
    bool applicationData = false;  ///< application bytes have arrived

    /// The first bytes received are no TLS record: a record begins with a
    /// content type of 20 to 24 and a version whose major number is 3.
    bool PeerNotTls() const;
};

/// The raw socket under a TLS stream, as its BIO reaches it.
struct TlsSocketLink {
    int fd = -1;
    TlsObservations* seen = nullptr;
};

class TlsStream : public ByteChannel {
public:
    enum class Step { kDone, kWantRead, kWantWrite, kFailed };

    /// A session of `context` (a client or server context) over `socket`,
    /// which the caller keeps open for the life of the stream and closes
    /// after it. `client` chooses the side. The stream never raises SIGPIPE.
    TlsStream(ssl_ctx_st* context, int socket, bool client);
    ~TlsStream() override;
    TlsStream(const TlsStream&) = delete;
    TlsStream& operator=(const TlsStream&) = delete;

    /// The OpenSSL session, for the client's name checks and certificate;
    /// nullptr when it could not be created (out of memory).
    ssl_st* ssl() const { return ssl_; }

    /// One step of the handshake: kDone when it has ended, kWantRead /
    /// kWantWrite when it waits for the socket, kFailed (see failed()).
    Step Handshake();
    bool handshakeDone() const { return done_; }
    /// The first handshake step has been made.
    bool handshakeStarted() const { return started_; }
    /// What the last handshake step waits for.
    bool handshakeWantsRead() const { return wantRead_; }
    bool handshakeWantsWrite() const { return wantWrite_; }

    /// Decrypted bytes, as many as fit and have arrived (several records),
    /// 0 once the peer has ended the session. A failure after some bytes
    /// is reported at the next call, after those bytes were handed on.
    std::size_t Receive(std::uint8_t* buffer, std::size_t size) override;
    std::size_t SendSome(const std::uint8_t* bytes, std::size_t count) override;
    bool ReceiveWantsWritable() const override { return receiveWantsWrite_; }
    bool SendWantsReadable() const override { return sendWantsRead_; }
    bool HasBufferedInput() const override;

    /// Sends the closing alert once, without waiting, when the session is
    /// up and has not failed.
    void Shutdown();

    bool failed() const { return failed_; }
    /// OpenSSL's packed error code of the failure (library and reason), 0
    /// when it was the socket's or there is none.
    unsigned long failureCode() const { return failureCode_; }
    /// OpenSSL's words for the failure ("wrong version number"), or empty.
    const std::string& failureText() const { return failureText_; }
    /// The errno a failure is reported with: the socket's, else EPROTO.
    int failureErrno() const;
    const TlsObservations& observed() const { return seen_; }

    /// "TLS 1.2", "TLS 1.3"… once the handshake is done; empty before.
    std::string Version() const;

    /// The largest plaintext of one TLS record.
    static constexpr std::size_t kMaxRecordPlaintext = 16384;

private:
    static void OnMessage(int writing, int version, int contentType, const void* bytes,
                          std::size_t length, ssl_st* ssl, void* arg);
    void Fail(int sslError);

    ssl_st* ssl_ = nullptr;
    TlsSocketLink socket_;
    TlsObservations seen_;
    bool done_ = false;
    bool started_ = false;
    bool wantRead_ = false;
    bool wantWrite_ = false;
    bool receiveWantsWrite_ = false;
    bool sendWantsRead_ = false;
    bool ended_ = false;            ///< the peer's close has been read
    bool endReported_ = false;      ///< ... and Receive has returned 0 for it
    bool failureDue_ = false;       ///< a failure waits to be reported by Receive
    bool shutdownSent_ = false;
    bool failed_ = false;
    unsigned long failureCode_ = 0;
    std::string failureText_;
};

}  // namespace quenlix
