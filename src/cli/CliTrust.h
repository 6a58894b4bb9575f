// The headless front end's answers to the TLS questions: from its options,
// never from a person. A certificate that does not verify is refused with a
// "message:" line, unless --insecure says to connect anyway (with a
// "warning:" line first); the passphrase of a client key comes from the file
// --client-key-passphrase-file names.
#pragma once

#include <optional>
#include <ostream>
#include <string>

#include "net/CertificateQuestions.h"
#include "terminal/MessageBoxes.h"

namespace quenlix::cli {

class CliTrust : public CertificateQuestions {
public:
    CliTrust(std::ostream& out, MessageBoxes& messages) : out_(out), messages_(messages) {}

    void AskAboutCertificate(const CertificateQuestion& question,
                             std::function<void(CertificateAnswer)> answer,
                             std::function<bool()> stillAsked) override;
    std::optional<std::string> AskKeyPassphrase(const std::string& path) override;

    /// Connect whatever the certificate says (--insecure), saying so.
    bool insecure = false;
    /// The client key's passphrase; none when no file gave one.
    std::optional<std::string> keyPassphrase;

private:
    std::ostream& out_;
    MessageBoxes& messages_;
};

}  // namespace quenlix::cli
