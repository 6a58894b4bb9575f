// The terminal's side of TLS: the client context (TLS 1.2 or newer,
// OpenSSL's default ciphers and security level, the system's trust store
// and the session's CA file, the session's client certificate), the session
// over the connected socket with SNI and the host-name check, the report on
// the host's certificate, and the operator's words for each way the
// handshake or the session can fail.
#pragma once

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "net/CertificateReport.h"
#include "net/TlsStream.h"

struct x509_store_ctx_st;

namespace quenlix {

struct TlsClientSettings {
    /// The host as the operator typed it: a dotted IPv4 address is checked
    /// against the certificate's IP addresses, a name against its DNS names
    /// and sent as SNI.
    std::string host;
    int port = 0;
    std::string caFile;             ///< PEM certificates trusted besides the system's; may be empty
    std::string clientCertificate;  ///< PEM file with certificate (and chain) and key; may be empty
};

/// The passphrase of an encrypted key in the file named; empty to give up.
using PassphraseSource = std::function<std::optional<std::string>(const std::string& path)>;

class TlsClient {
public:
    /// Largest certificate file read (a CA file, a client certificate).
    static constexpr std::size_t kMaxPemFileSize = 4u << 20;

    /// The client context for `settings`. nullptr when a file named in them
    /// cannot be used; `error` then says why in the operator's words ("The
    /// CA file /x cannot be read: No such file or directory").
    static std::unique_ptr<TlsClient> Create(const TlsClientSettings& settings,
                                             const PassphraseSource& passphrase,
                                             std::string& error);
    ~TlsClient();
    TlsClient(const TlsClient&) = delete;
    TlsClient& operator=(const TlsClient&) = delete;

    /// Starts the session over the connected non-blocking `socket` (kept
    /// open by the caller for the client's life). False when out of memory.
    bool Attach(int socket);
    TlsStream& stream() { return *stream_; }
    const TlsStream& stream() const { return *stream_; }

    /// The host's certificate, after the handshake, with every reason it
    /// did not verify for the host (empty problems: trusted by the system's
    /// store or the CA file, and for this host name or address).
    CertificateReport Report() const;

    /// Why the handshake failed, in plain words ("the host offers only TLS
    /// 1.1 or older; TLS 1.2 or newer is required").
    std::string HandshakeFailure() const;
    /// Why a session that was up failed, for "Connection lost: …"; empty
    /// when the socket's errno says it better.
    std::string SessionFailure() const;
    /// A failure after the terminal's side of a TLS 1.3 handshake ended
    /// that is still the handshake's: the host refused the client
    /// certificate (or the lack of one) before it sent any data.
    bool FailedAtHandshake() const;
    /// TLS 1.3: the host asked for a client certificate and has not yet
    /// shown, by sending data, that it accepted what it got.
    bool ClientCertificateUnconfirmed() const;

private:
    TlsClient() = default;
    static int OnVerify(int preverified, ::x509_store_ctx_st* store);

    struct Problem {
        int error = 0;
        int depth = 0;
        std::string text;
    };

    ::ssl_ctx_st* context_ = nullptr;
    std::unique_ptr<TlsStream> stream_;
    TlsClientSettings settings_;
    bool clientCertificateSet_ = false;
    std::vector<Problem> problems_;
};

}  // namespace quenlix
