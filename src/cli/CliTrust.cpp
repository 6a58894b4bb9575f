// TLS answers of the headless front end.
#include "cli/CliTrust.h"

namespace quenlix::cli {

void CliTrust::AskAboutCertificate(const CertificateQuestion& question,
                                   std::function<void(CertificateAnswer)> answer,
                                   std::function<bool()>) {
    if (!insecure) {
        messages_.ShowMessage(question.text, MessageIcon::Exclamation);
        answer(CertificateAnswer::kCancel);
        return;
    }
    out_ << "warning: certificate not verified: " << UnverifiedCertificateWarning(question.report);
    if (question.kind == CertificateQuestion::Kind::kChanged) {
        out_ << "; it is not the certificate pinned for " << HostAndPort(question.host, question.port)
             << " (" << question.pinnedFingerprint << ")";
    }
    out_ << '\n';
    out_.flush();
    answer(CertificateAnswer::kConnectOnce);
}

std::optional<std::string> CliTrust::AskKeyPassphrase(const std::string&) {
    return keyPassphrase;
}

}  // namespace quenlix::cli
