// A TLS host for the tests: listens on 127.0.0.1 and plays a script on its
// own thread against one terminal. Its TLS session runs over memory buffers,
// so the script decides what reaches the socket and how: whole, one byte a
// TCP segment, cut off in the middle of the handshake, or replaced by
// garbage. Every wait is bounded, so a terminal that misbehaves fails a
// test instead of hanging it.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "support/LoopbackListener.h"

namespace quenlix::testing {

using TlsBytes = std::vector<std::uint8_t>;

struct TlsHostOptions {
    X509* certificate = nullptr;
    EVP_PKEY* key = nullptr;
    std::vector<X509*> chain;   ///< sent after the certificate
    int minVersion = 0;         ///< 0: OpenSSL's
    int maxVersion = 0;
    std::string cipherList;     ///< TLS 1.2 and older; empty: OpenSSL's
    int securityLevel = -1;     ///< -1: OpenSSL's (0 lets weak keys and old versions through)
    X509* clientAuthority = nullptr;  ///< ask for a client certificate issued by it
    bool requireClientCertificate = false;
    bool trickle = false;       ///< every byte in its own TCP segment
};

class TlsTestHost {
public:
    explicit TlsTestHost(TlsHostOptions options) : options_(std::move(options)) {
        listener_ = ListenOnLoopback(4, port_);
    }
    ~TlsTestHost() {
        Join();
        EndSession();
        ::close(listener_);
    }
    TlsTestHost(const TlsTestHost&) = delete;
    TlsTestHost& operator=(const TlsTestHost&) = delete;

    int port() const { return port_; }

    /// Accepts one terminal (waiting at most 5 s), sets up the TLS session
    /// (no handshake yet) and runs `script` on the host's thread. Play again
    /// after Join for the next connection.
    void Play(std::function<void(TlsTestHost&)> script) {
        Join();
        thread_ = std::thread([this, script] {
            pollfd p{listener_, POLLIN, 0};
            if (::poll(&p, 1, 5000) <= 0) return;
            EndSession();
            client_ = ::accept4(listener_, nullptr, nullptr, SOCK_CLOEXEC);
            if (client_ < 0) return;
            int one = 1;
            ::setsockopt(client_, IPPROTO_TCP, TCP_NODELAY, &one, sizeof one);
            if (!StartSession()) return;
            script(*this);
        });
    }
    void Join() {
        if (thread_.joinable()) thread_.join();
    }

    /// The server's side of the handshake; false when it failed (`failure`
    /// says why), the terminal went or the time ran out.
    bool Handshake(int timeoutMs = 5000) {
        const auto end = Deadline(timeoutMs);
        for (;;) {
            ERR_clear_error();
            const int rc = SSL_do_handshake(ssl_);
            const int error = rc == 1 ? SSL_ERROR_NONE : SSL_get_error(ssl_, rc);
            if (!Flush()) return false;
            if (rc == 1) {
                clientCertificateSeen = SSL_get0_peer_certificate(ssl_) != nullptr;
                return true;
            }
            if (error != SSL_ERROR_WANT_READ) return Failed();
            if (!Feed(end)) return false;
        }
    }

    /// Sends `plain` as TLS records of at most `recordSize` bytes each.
    bool Write(const TlsBytes& plain, std::size_t recordSize = 16384) {
        for (std::size_t at = 0; at < plain.size(); at += recordSize) {
            const std::size_t n = std::min(recordSize, plain.size() - at);
            if (SSL_write(ssl_, plain.data() + at, static_cast<int>(n)) <= 0) return Failed();
            if (!Flush()) return false;
        }
        return true;
    }

    /// Application bytes until `count` came, the session ended or the time
    /// ran out.
    TlsBytes Read(std::size_t count, int timeoutMs = 5000) {
        TlsBytes out;
        const auto end = Deadline(timeoutMs);
        while (out.size() < count) {
            std::uint8_t chunk[16384];
            const int n = SSL_read(ssl_, chunk, static_cast<int>(std::min(sizeof chunk, count - out.size())));
            Flush();
            if (n > 0) {
                out.insert(out.end(), chunk, chunk + n);
                continue;
            }
            if (SSL_get_error(ssl_, n) != SSL_ERROR_WANT_READ || !Feed(end)) break;
        }
        return out;
    }
    /// Application bytes up to and including the next IAC `last`.
    TlsBytes ReadThrough(std::uint8_t last, int timeoutMs = 5000) {
        TlsBytes out;
        while (out.size() < 2 || out[out.size() - 2] != 0xFF || out.back() != last) {
            const TlsBytes one = Read(1, timeoutMs);
            if (one.empty()) break;
            out.push_back(one[0]);
        }
        return out;
    }
    /// Reads until the terminal has gone; true when it closed the
    /// connection (or reset it) within the time.
    bool AwaitClose(int timeoutMs = 5000) {
        const auto end = Deadline(timeoutMs);
        for (;;) {
            std::uint8_t chunk[4096];
            const int n = SSL_read(ssl_, chunk, sizeof chunk);
            if (n > 0) continue;
            const int error = SSL_get_error(ssl_, n);
            if (error == SSL_ERROR_ZERO_RETURN) return true;
            if (error != SSL_ERROR_WANT_READ) return true;
            if (!Feed(end)) return closedByPeer_;
        }
    }

    /// Asks for a new handshake (TLS 1.2) and sends the request.
    bool Renegotiate() {
        if (SSL_renegotiate(ssl_) != 1) return Failed();
        SSL_do_handshake(ssl_);
        return Flush();
    }
    /// Sends the closing alert.
    void SendCloseNotify() {
        SSL_shutdown(ssl_);
        Flush();
    }

    /// Bytes straight onto the socket, past TLS.
    bool SendRaw(const TlsBytes& bytes) { return SendSocket(bytes.data(), bytes.size()); }
    /// Raw bytes from the socket until it has been quiet for `quietMs`.
    TlsBytes ReadRaw(int quietMs = 200) {
        TlsBytes out;
        for (;;) {
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, quietMs) <= 0) return out;
            std::uint8_t chunk[4096];
            const ssize_t n = ::recv(client_, chunk, sizeof chunk, 0);
            if (n <= 0) return out;
            out.insert(out.end(), chunk, chunk + n);
        }
    }
    /// An orderly TCP hang-up.
    void Close() {
        if (client_ < 0) return;
        ::shutdown(client_, SHUT_RDWR);
        ::close(client_);
        client_ = -1;
    }

    std::atomic<bool> stop{false};
    /// What the script saw, for the test thread to check after Join.
    std::vector<TlsBytes> received;
    bool clientCertificateSeen = false;
    std::string failure;  ///< OpenSSL's words for the host's last failure

private:
    using Clock = std::chrono::steady_clock;
    static Clock::time_point Deadline(int ms) { return Clock::now() + std::chrono::milliseconds(ms); }

    bool StartSession() {
        context_ = SSL_CTX_new(TLS_server_method());
        if (options_.securityLevel >= 0) SSL_CTX_set_security_level(context_, options_.securityLevel);
        if (options_.minVersion) SSL_CTX_set_min_proto_version(context_, options_.minVersion);
        if (options_.maxVersion) SSL_CTX_set_max_proto_version(context_, options_.maxVersion);
        if (!options_.cipherList.empty()) SSL_CTX_set_cipher_list(context_, options_.cipherList.c_str());
        // Renegotiation is asked for by the tests, never allowed to the terminal.
        SSL_CTX_clear_options(context_, SSL_OP_NO_RENEGOTIATION);
        if (options_.certificate) SSL_CTX_use_certificate(context_, options_.certificate);
        if (options_.key) SSL_CTX_use_PrivateKey(context_, options_.key);
        for (X509* c : options_.chain) SSL_CTX_add1_chain_cert(context_, c);
        if (options_.clientAuthority) {
            X509_STORE_add_cert(SSL_CTX_get_cert_store(context_), options_.clientAuthority);
            SSL_CTX_set_verify(context_,
                               SSL_VERIFY_PEER | (options_.requireClientCertificate
                                                      ? SSL_VERIFY_FAIL_IF_NO_PEER_CERT
                                                      : 0),
                               nullptr);
        }
        ssl_ = SSL_new(context_);
        in_ = BIO_new(BIO_s_mem());
        out_ = BIO_new(BIO_s_mem());
        BIO_set_mem_eof_return(in_, -1);
        SSL_set_bio(ssl_, in_, out_);
        SSL_set_accept_state(ssl_);
        ERR_clear_error();
        return ssl_ != nullptr;
    }
    void EndSession() {
        if (ssl_) SSL_free(ssl_);
        if (context_) SSL_CTX_free(context_);
        ssl_ = nullptr;
        context_ = nullptr;
        Close();
    }
    bool Failed() {
        const unsigned long code = ERR_get_error();
        failure = code ? ERR_reason_error_string(code) : "";
        ERR_clear_error();
        Flush();  // the alert, if any
        return false;
    }
    /// Everything TLS has to send, onto the socket.
    bool Flush() {
        std::uint8_t chunk[16384];
        int n = 0;
        while ((n = BIO_read(out_, chunk, sizeof chunk)) > 0) {
            if (!SendSocket(chunk, static_cast<std::size_t>(n))) return false;
        }
        return true;
    }
    bool SendSocket(const std::uint8_t* bytes, std::size_t count) {
        const std::size_t step = options_.trickle ? 1 : count;
        for (std::size_t done = 0; done < count;) {
            pollfd p{client_, POLLOUT, 0};
            if (client_ < 0 || ::poll(&p, 1, 5000) <= 0) return false;
            const ssize_t n = ::send(client_, bytes + done, std::min(step, count - done),
                                     MSG_NOSIGNAL | MSG_DONTWAIT);
            if (n < 0 && (errno == EAGAIN || errno == EINTR)) continue;
            if (n <= 0) return false;
            done += static_cast<std::size_t>(n);
            if (options_.trickle) std::this_thread::sleep_for(std::chrono::microseconds(200));
        }
        return true;
    }
    /// Raw bytes from the socket into TLS; false at the end or the deadline.
    bool Feed(Clock::time_point end) {
        while (!stop) {
            const auto left =
                std::chrono::duration_cast<std::chrono::milliseconds>(end - Clock::now()).count();
            if (left <= 0) return false;
            pollfd p{client_, POLLIN, 0};
            if (::poll(&p, 1, static_cast<int>(std::min<long long>(left, 50))) <= 0) continue;
            std::uint8_t chunk[16384];
            const ssize_t n = ::recv(client_, chunk, sizeof chunk, 0);
            if (n <= 0) {
                closedByPeer_ = true;
                return false;
            }
            BIO_write(in_, chunk, static_cast<int>(n));
            return true;
        }
        return false;
    }

    TlsHostOptions options_;
    int listener_ = -1;
    int client_ = -1;
    int port_ = 0;
    SSL_CTX* context_ = nullptr;
    SSL* ssl_ = nullptr;
    BIO* in_ = nullptr;
    BIO* out_ = nullptr;
    bool closedByPeer_ = false;
    std::thread thread_;
};

}  // namespace quenlix::testing
