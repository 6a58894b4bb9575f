// The demo host's TLS: the server context with a certificate made at start
// (self-signed, for localhost, 127.0.0.1 and the address listened on) or
// read from PEM files, and its SHA-256 fingerprint for the operator to
// compare with what the terminal shows.
#pragma once

#include <memory>
#include <string>

struct ssl_ctx_st;

namespace quenlix::demohost {

class HostTls {
public:
    /// Days a certificate made at start is valid (from one day before now).
    static constexpr long kSelfSignedDays = 30;

    /// A context with a new self-signed certificate (an EC P-256 key) whose
    /// names are localhost, 127.0.0.1 and `bindAddress`. nullptr with the
    /// cause in `error`.
    static std::unique_ptr<HostTls> SelfSigned(const std::string& bindAddress, std::string& error);
    /// A context with the certificate (and any chain after it) in
    /// `certificateFile` and the key in `keyFile`, both PEM.
    static std::unique_ptr<HostTls> FromFiles(const std::string& certificateFile,
                                              const std::string& keyFile, std::string& error);
    ~HostTls();
    HostTls(const HostTls&) = delete;
    HostTls& operator=(const HostTls&) = delete;

    /// The server context, for a TlsStream of each terminal.
    ssl_ctx_st* context() const { return context_; }
    /// SHA-256 of the certificate served, "AB:CD:…".
    const std::string& fingerprint() const { return fingerprint_; }

private:
    HostTls() = default;
    /// TLS 1.2 or newer, as the terminal asks.
    bool MakeContext(std::string& error);

    ssl_ctx_st* context_ = nullptr;
    std::string fingerprint_;
};

}  // namespace quenlix::demohost
