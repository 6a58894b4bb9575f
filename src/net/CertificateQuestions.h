// What the connection endpoint asks the operator about TLS: whether to trust
// a host certificate that could not be verified, and the passphrase of an
// encrypted client key. The desktop program answers with dialogs, the
// headless front end from its options, tests from a script.
#pragma once

#include <functional>
#include <optional>
#include <string>

#include "net/CertificateReport.h"

namespace quenlix {

enum class CertificateAnswer {
    kCancel,       ///< do not connect (the default of every question)
    kConnectOnce,  ///< connect this time, trust nothing for later
    kAlwaysTrust,  ///< pin the certificate for this host and port, then connect
    kRemovePin,    ///< (changed certificate) forget the pin and judge the certificate afresh
};

struct CertificateQuestion {
    enum class Kind {
        kUntrusted,  ///< it did not verify and nothing pins it: Cancel, ConnectOnce, AlwaysTrust
        kChanged,    ///< it did not verify and is not the pinned one: Cancel or RemovePin
    };
    Kind kind = Kind::kUntrusted;
    std::string host;  ///< as the operator typed it
    int port = 0;
    CertificateReport report;
    std::string pinnedFingerprint;  ///< kChanged: the fingerprint pinned for the host
    /// The whole question in words (UntrustedCertificateText or
    /// ChangedCertificateText): what the headless front end prints.
    std::string text;
};

class CertificateQuestions {
public:
    virtual ~CertificateQuestions() = default;
    /// Asks about the host's certificate. Answer by calling `answer` once,
    /// at once or later from the event loop; no socket notification comes
    /// meanwhile. `stillAsked` turns false when the connection went away
    /// before the answer (the window closed, the session ended): a late
    /// answer is then ignored, and a question not yet shown need not be.
    virtual void AskAboutCertificate(const CertificateQuestion& question,
                                     std::function<void(CertificateAnswer)> answer,
                                     std::function<bool()> stillAsked) = 0;
    /// The passphrase of the encrypted private key in `path`, asked while
    /// the connection is being set up; empty when the operator gives none.
    virtual std::optional<std::string> AskKeyPassphrase(const std::string& /*path*/) {
        return std::nullopt;
    }
};

}  // namespace quenlix
