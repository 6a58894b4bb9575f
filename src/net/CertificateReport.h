// What the operator is told about a host's certificate: its names, issuer,
// validity and SHA-256 fingerprint, and why it could not be verified, in
// plain words; and the texts of the trust questions built from it. Plain
// data, so the front ends need no TLS library to show it.
#pragma once

#include <string>
#include <vector>

namespace quenlix {

struct CertificateReport {
    /// Most names kept in `names`, and most characters kept of any text
    /// taken from the certificate: the host chooses them.
    static constexpr std::size_t kMaxNames = 16;
    static constexpr std::size_t kMaxTextLength = 512;

    std::string subject;      ///< one line, "CN = host, O = site", control characters escaped
    std::string issuer;       ///< the same for the issuer
    std::string validFrom;    ///< "2025-01-31 12:00:00 UTC"
    std::string validUntil;   ///< the same form
    std::string fingerprint;  ///< SHA-256 of the certificate, "AB:CD:…" (32 pairs)
    /// The host names and addresses it is for: its subject alternative
    /// names, or its common name when it has none.
    std::vector<std::string> names;
    /// Why it did not verify for this host, each in plain words ("the
    /// certificate is self-signed"); empty when it verified.
    std::vector<std::string> problems;

    bool verified() const { return problems.empty(); }
    /// The problems joined with "; ", or "the certificate is trusted".
    std::string Reason() const;
};

/// "host:port", as the texts name the host.
std::string HostAndPort(const std::string& host, int port);

/// A certificate that could not be verified: "The certificate of
/// 127.0.0.1:992 is not trusted: <reason>.\nSHA-256 fingerprint: <fp>".
std::string UntrustedCertificateText(const CertificateReport& report, const std::string& host,
                                     int port);

/// A host whose certificate is not the one pinned for it: names both
/// fingerprints and says that it is refused.
std::string ChangedCertificateText(const CertificateReport& report, const std::string& host,
                                   int port, const std::string& pinnedFingerprint);

/// The warning of a connection made without a verified certificate:
/// "<reason> (SHA-256 fingerprint <fp>)".
std::string UnverifiedCertificateWarning(const CertificateReport& report);

}  // namespace quenlix
