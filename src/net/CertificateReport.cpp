// Texts about a host's certificate.
#include "net/CertificateReport.h"

namespace quenlix {

std::string CertificateReport::Reason() const {
    if (problems.empty()) return "the certificate is trusted";
    std::string text;
    for (const std::string& problem : problems) {
        if (!text.empty()) text += "; ";
        text += problem;
    }
    return text;
}

std::string HostAndPort(const std::string& host, int port) {
    return host + ":" + std::to_string(port);
}

std::string UntrustedCertificateText(const CertificateReport& report, const std::string& host,
                                     int port) {
    return "The certificate of " + HostAndPort(host, port) + " is not trusted: " + report.Reason() +
           ".\nSHA-256 fingerprint: " + report.fingerprint;
}

std::string ChangedCertificateText(const CertificateReport& report, const std::string& host,
                                   int port, const std::string& pinnedFingerprint) {
    return "The certificate of " + HostAndPort(host, port) +
           " is not the one trusted for this host before, and it does not verify (" +
           report.Reason() +
           "). Someone may be intercepting the connection: it is refused.\nTrusted before: " +
           pinnedFingerprint + "\nPresented now:  " + report.fingerprint;
}

std::string UnverifiedCertificateWarning(const CertificateReport& report) {
    return report.Reason() + " (SHA-256 fingerprint " + report.fingerprint + ")";
}

}  // namespace quenlix
