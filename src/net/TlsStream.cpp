// The TLS stream over OpenSSL. The socket is reached through a BIO of our
// own rather than OpenSSL's socket BIO: it sends with MSG_NOSIGNAL (a host
// that has gone must never kill the program with SIGPIPE), never waits, and
// records what the peer sent first and how the socket failed.
#include "net/TlsStream.h"

#include <openssl/err.h>
#include <openssl/ssl.h>
#include <sys/socket.h>

#include <cerrno>

#include "net/BlockingSocket.h"

namespace quenlix {

namespace {

// Handshake message types of interest (RFC 5246, RFC 8446).
constexpr int kHelloRequest = 0;
constexpr int kClientHello = 1;
constexpr int kServerHello = 2;
constexpr int kCertificateRequest = 13;

// TLS content types and the major version every TLS record carries.
constexpr std::uint8_t kFirstContentType = 20;  // change_cipher_spec
constexpr std::uint8_t kLastContentType = 24;   // heartbeat
constexpr std::uint8_t kTlsMajorVersion = 3;

int SocketWrite(BIO* bio, const char* bytes, std::size_t count, std::size_t* written) {
    auto* link = static_cast<TlsSocketLink*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    *written = 0;
    for (;;) {
        const ssize_t n = ::send(link->fd, bytes, count, MSG_NOSIGNAL | MSG_DONTWAIT);
        if (n >= 0) {
            *written = static_cast<std::size_t>(n);
            return 1;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            BIO_set_retry_write(bio);
        } else {
            link->seen->socketError = errno;
        }
        return 0;
    }
}

int SocketRead(BIO* bio, char* buffer, std::size_t size, std::size_t* readBytes) {
    auto* link = static_cast<TlsSocketLink*>(BIO_get_data(bio));
    BIO_clear_retry_flags(bio);
    *readBytes = 0;
    for (;;) {
        const ssize_t n = ::recv(link->fd, buffer, size, MSG_DONTWAIT);
        if (n > 0) {
            TlsObservations& seen = *link->seen;
            for (ssize_t i = 0; i < n && seen.firstCount < sizeof seen.firstBytes; ++i) {
                seen.firstBytes[seen.firstCount++] = static_cast<std::uint8_t>(buffer[i]);
            }
            seen.bytesReceived += static_cast<std::size_t>(n);
            *readBytes = static_cast<std::size_t>(n);
            return 1;
        }
        if (n == 0) {
            link->seen->endOfStream = true;
            return 0;
        }
        if (errno == EINTR) continue;
        if (errno == EAGAIN || errno == EWOULDBLOCK) {
            BIO_set_retry_read(bio);
        } else {
            link->seen->socketError = errno;
        }
        return 0;
    }
}

long SocketControl(BIO* bio, int command, long, void*) {
    switch (command) {
        case BIO_CTRL_FLUSH:
            return 1;  // nothing is held back
        case BIO_CTRL_EOF:
            // OpenSSL tells a closed connection from a failed read by this.
            return static_cast<TlsSocketLink*>(BIO_get_data(bio))->seen->endOfStream ? 1 : 0;
        default:
            return 0;
    }
}

int SocketCreate(BIO* bio) {
    BIO_set_init(bio, 1);
    return 1;
}

BIO_METHOD* SocketMethod() {
    // Made once, kept for the life of the program (reachable, not leaked).
    static BIO_METHOD* method = [] {
        BIO_METHOD* m = BIO_meth_new(BIO_get_new_index() | BIO_TYPE_SOURCE_SINK, "quenlix socket");
        if (m == nullptr) return m;
        BIO_meth_set_write_ex(m, SocketWrite);
        BIO_meth_set_read_ex(m, SocketRead);
        BIO_meth_set_ctrl(m, SocketControl);
        BIO_meth_set_create(m, SocketCreate);
        return m;
    }();
    return method;
}

}  // namespace

bool TlsObservations::PeerNotTls() const {
    if (firstCount == 0) return false;
    if (firstBytes[0] < kFirstContentType || firstBytes[0] > kLastContentType) return true;
    return firstCount >= 2 && firstBytes[1] != kTlsMajorVersion;
}

TlsStream::TlsStream(ssl_ctx_st* context, int socket, bool client) {
    socket_.fd = socket;
    socket_.seen = &seen_;
    ssl_ = SSL_new(context);
    BIO* bio = SocketMethod() ? BIO_new(SocketMethod()) : nullptr;
    if (ssl_ == nullptr || bio == nullptr) {
        BIO_free(bio);
        SSL_free(ssl_);
        ssl_ = nullptr;
        failed_ = true;
        failureText_ = "out of memory";
        return;
    }
    BIO_set_data(bio, &socket_);
    SSL_set_bio(ssl_, bio, bio);  // one BIO both ways: SSL_free frees it once
    // Output waits in the endpoint's queue, which may move as it grows, and
    // goes out a record at a time.
    SSL_set_mode(ssl_, SSL_MODE_ENABLE_PARTIAL_WRITE | SSL_MODE_ACCEPT_MOVING_WRITE_BUFFER);
    SSL_set_msg_callback(ssl_, &TlsStream::OnMessage);
    SSL_set_msg_callback_arg(ssl_, this);
    if (client) {
        SSL_set_connect_state(ssl_);
    } else {
        SSL_set_accept_state(ssl_);
    }
}

TlsStream::~TlsStream() { SSL_free(ssl_); }

void TlsStream::OnMessage(int writing, int, int contentType, const void* bytes,
                          std::size_t length, ssl_st*, void* arg) {
    auto* self = static_cast<TlsStream*>(arg);
    const auto* b = static_cast<const std::uint8_t*>(bytes);
    if (length == 0 || b == nullptr) return;
    TlsObservations& seen = self->seen_;
    if (contentType == SSL3_RT_ALERT && length >= 2) {
        (writing ? seen.alertSent : seen.alertReceived) = b[1];
        return;
    }
    if (contentType != SSL3_RT_HANDSHAKE || writing) return;
    switch (b[0]) {
        case kServerHello:
        case kClientHello:
            seen.helloSeen = true;
            break;
        case kCertificateRequest:
            seen.certificateRequested = true;
            break;
        case kHelloRequest:
            if (self->done_) seen.renegotiationRequested = true;
            break;
        default:
            break;
    }
}

void TlsStream::Fail(int sslError) {
    failed_ = true;
    // The last queued error is the one closest to the cause.
    unsigned long code = 0;
    while (const unsigned long next = ERR_get_error()) code = next;
    failureCode_ = code;
    if (code != 0) {
        const char* reason = ERR_reason_error_string(code);
        failureText_ = reason ? reason : "";
    } else if (sslError == SSL_ERROR_SYSCALL && seen_.socketError == 0) {
        seen_.endOfStream = true;  // the socket ended without an error
    }
    ERR_clear_error();
}

int TlsStream::failureErrno() const {
    if (seen_.socketError != 0) return seen_.socketError;
    return EPROTO;
}

TlsStream::Step TlsStream::Handshake() {
    if (failed_ || ssl_ == nullptr) return Step::kFailed;
    if (done_) return Step::kDone;
    started_ = true;
    ERR_clear_error();
    const int rc = SSL_do_handshake(ssl_);
    wantRead_ = wantWrite_ = false;
    if (rc == 1) {
        done_ = true;
        return Step::kDone;
    }
    const int error = SSL_get_error(ssl_, rc);
    if (error == SSL_ERROR_WANT_READ) {
        wantRead_ = true;
        return Step::kWantRead;
    }
    if (error == SSL_ERROR_WANT_WRITE) {
        wantWrite_ = true;
        return Step::kWantWrite;
    }
    if (error == SSL_ERROR_ZERO_RETURN) seen_.endOfStream = true;
    Fail(error);
    return Step::kFailed;
}

std::size_t TlsStream::Receive(std::uint8_t* buffer, std::size_t size) {
    if (failureDue_ || (failed_ && !ended_)) {
        failureDue_ = false;
        throw CBlockingSocketException("Receive", failureErrno());
    }
    if (ended_) {
        endReported_ = true;
        return 0;
    }
    receiveWantsWrite_ = false;
    std::size_t total = 0;
    ERR_clear_error();
    while (total < size) {
        std::size_t n = 0;
        const int rc = SSL_read_ex(ssl_, buffer + total, size - total, &n);
        if (rc == 1) {
            total += n;
            seen_.applicationData = true;
            continue;
        }
        const int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_WANT_READ) break;
        if (error == SSL_ERROR_WANT_WRITE) {
            receiveWantsWrite_ = true;
            break;
        }
        if (error == SSL_ERROR_ZERO_RETURN) {
            ended_ = true;
            break;
        }
        Fail(error);
        if (total > 0) {
            failureDue_ = true;
            break;
        }
        throw CBlockingSocketException("Receive", failureErrno());
    }
    if (total > 0) return total;
    if (ended_) {
        endReported_ = true;
        return 0;
    }
    throw CBlockingSocketException("Receive", EAGAIN);
}

std::size_t TlsStream::SendSome(const std::uint8_t* bytes, std::size_t count) {
    if (failed_) throw CBlockingSocketException("Send", failureErrno());
    sendWantsRead_ = false;
    std::size_t total = 0;
    ERR_clear_error();
    while (total < count) {
        std::size_t n = 0;
        const int rc = SSL_write_ex(ssl_, bytes + total, count - total, &n);
        if (rc == 1) {
            total += n;
            continue;
        }
        const int error = SSL_get_error(ssl_, rc);
        if (error == SSL_ERROR_WANT_WRITE) break;
        if (error == SSL_ERROR_WANT_READ) {
            sendWantsRead_ = true;
            break;
        }
        Fail(error);
        throw CBlockingSocketException("Send", failureErrno());
    }
    return total;
}

bool TlsStream::HasBufferedInput() const {
    if (ssl_ == nullptr || !done_) return false;
    return failureDue_ || (ended_ && !endReported_) || SSL_pending(ssl_) > 0;
}

void TlsStream::Shutdown() {
    if (ssl_ == nullptr || failed_ || !done_ || shutdownSent_) return;
    shutdownSent_ = true;
    ERR_clear_error();
    SSL_shutdown(ssl_);
    ERR_clear_error();
}

std::string TlsStream::Version() const {
    if (ssl_ == nullptr || !done_) return {};
    switch (SSL_version(ssl_)) {
        case TLS1_VERSION: return "TLS 1.0";
        case TLS1_1_VERSION: return "TLS 1.1";
        case TLS1_2_VERSION: return "TLS 1.2";
        case TLS1_3_VERSION: return "TLS 1.3";
        default: return SSL_get_version(ssl_);
    }
}

}  // namespace quenlix
