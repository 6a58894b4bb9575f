// The endpoint's TLS connection: the handshake driven by the same socket
// notifications as the stream, the judgement of the host's certificate,
// the question to the operator and its answer.
//
// The question is asked with both socket watches off and the endpoint in
// its own phase, in which every socket event and send is refused; the
// answer may come at once or later from the event loop (a dialog), and is
// dropped if the connection went away meanwhile. So a modal dialog's
// nested event loop never re-enters the handshake or the stream.
#include <cerrno>
#include <cstring>

#include "net/Communication.h"
#include "net/TlsClient.h"
#include "session/CertificatePins.h"
#include "terminal/StringTable.h"

namespace quenlix {

Communication::~Communication() = default;

std::unique_ptr<TlsClient> Communication::PrepareTls(const std::string& host, int port,
                                                     std::string& error) {
    tlsHost_ = host;
    tlsPort_ = port;
    const TlsClientSettings settings{host, port, settings_.CAFile, settings_.ClientCertificate};
    // The passphrase is asked while connecting, from a command, never from
    // a socket notification; the wait cursor makes way for the question.
    const PassphraseSource passphrase =
        [this](const std::string& path) -> std::optional<std::string> {
        if (!questions_) return std::nullopt;
        session_.EndWaitCursor();
        std::optional<std::string> given = questions_->AskKeyPassphrase(path);
        session_.BeginWaitCursor();
        return given;
    };
    return TlsClient::Create(settings, passphrase, error);
}

bool Communication::BeginTls(std::string& failure) {
    if (!tls_->Attach(socket_.Handle())) {
        failure = "TLS cannot be set up (out of memory)";
        return false;
    }
    tlsPhase_ = TlsPhase::kHandshake;
    handshakeDeadline_ = clock_() + socket_.connectTimeout();
    suspended_ = false;
    // The first step (the ClientHello) waits for the socket's first
    // writable report, so that every outcome of the handshake, however fast
    // the host, comes after Connect has returned.
    UpdateWatches();
    return true;
}

std::string Communication::HandshakeFailureText() const {
    return "TLS handshake with " + HostAndPort(tlsHost_, tlsPort_) +
           " failed: " + tls_->HandshakeFailure();
}

void Communication::StepHandshake() {
    switch (tls_->stream().Handshake()) {
        case TlsStream::Step::kDone:
            lastTraffic_ = clock_();
            JudgeCertificate();
            return;
        case TlsStream::Step::kWantRead:
        case TlsStream::Step::kWantWrite:
            // A host that is not speaking TLS (a telnet port sending its
            // first commands) may never send a whole record header: its
            // first byte already tells.
            if (tls_->stream().observed().PeerNotTls()) {
                TlsFailed(HandshakeFailureText());
                return;
            }
            UpdateWatches();
            return;
        case TlsStream::Step::kFailed:
            TlsFailed(HandshakeFailureText());
            return;
    }
}

void Communication::CheckHandshakeTime() {
    if (ending_ || tlsPhase_ != TlsPhase::kHandshake || clock_() < handshakeDeadline_) return;
    const long long seconds = (socket_.connectTimeout().count() + 999) / 1000;
    TlsFailed("No TLS answer from " + HostAndPort(tlsHost_, tlsPort_) + " within " +
              std::to_string(seconds) + " s");
}

void Communication::JudgeCertificate() {
    const CertificateReport report = tls_->Report();
    if (report.verified()) {
        OpenTls();
        return;
    }
    if (pins_ && pins_->TrustedForThisRun(report.fingerprint)) {
        OpenTls();
        return;
    }
    const std::string pinned = pins_ ? pins_->Find(tlsHost_, tlsPort_) : std::string();
    if (!pinned.empty() && pinned == report.fingerprint) {
        OpenTls();
        return;
    }
    CertificateQuestion question;
    question.host = tlsHost_;
    question.port = tlsPort_;
    question.report = report;
    if (pinned.empty()) {
        question.kind = CertificateQuestion::Kind::kUntrusted;
        question.text = UntrustedCertificateText(report, tlsHost_, tlsPort_);
    } else {
        question.kind = CertificateQuestion::Kind::kChanged;
        question.pinnedFingerprint = pinned;
        question.text = ChangedCertificateText(report, tlsHost_, tlsPort_, pinned);
    }
    Ask(question);
}

void Communication::Ask(const CertificateQuestion& question) {
    tlsPhase_ = TlsPhase::kQuestion;
    UpdateWatches();  // neither readable nor writable is watched now
    auto ticket = std::make_shared<int>(0);
    question_ = ticket;
    if (!questions_) {
        // Nobody to ask: never accepted silently, and the operator is told why.
        messages_.ShowMessage(question.text, MessageIcon::Exclamation);
        if (question_ == ticket && tlsPhase_ == TlsPhase::kQuestion) Answer(CertificateAnswer::kCancel);
        return;
    }
    const std::weak_ptr<int> asked = ticket;
    questions_->AskAboutCertificate(
        question,
        [this, asked](CertificateAnswer answer) {
            // The ticket lives only as long as this endpoint's question.
            if (asked.expired() || tlsPhase_ != TlsPhase::kQuestion) return;
            question_.reset();
            Answer(answer);
        },
        [asked] { return !asked.expired(); });
}

void Communication::Answer(CertificateAnswer answer) {
    const CertificateReport report = tls_->Report();
    switch (answer) {
        case CertificateAnswer::kConnectOnce:
            OpenTls();
            return;
        case CertificateAnswer::kAlwaysTrust:
            if (pins_) {
                if (const int error = pins_->Add(tlsHost_, tlsPort_, report.fingerprint)) {
                    messages_.ShowMessage("The certificate could not be remembered for " +
                                              HostAndPort(tlsHost_, tlsPort_) + " (" +
                                              pins_->path() + ": " + std::strerror(error) +
                                              "); it is trusted for this connection only.",
                                          MessageIcon::Exclamation);
                    if (tlsPhase_ != TlsPhase::kQuestion) return;  // closed meanwhile
                }
            }
            OpenTls();
            return;
        case CertificateAnswer::kRemovePin:
            if (pins_) {
                if (const int error = pins_->Remove(tlsHost_, tlsPort_)) {
                    messages_.ShowMessage("The pin of " + HostAndPort(tlsHost_, tlsPort_) +
                                              " could not be removed (" + pins_->path() + ": " +
                                              std::strerror(error) + ").",
                                          MessageIcon::Exclamation);
                    if (tlsPhase_ == TlsPhase::kQuestion) TlsFailed({});
                    return;
                }
            }
            // Judged afresh, as if it had never been pinned.
            JudgeCertificate();
            return;
        case CertificateAnswer::kCancel:
            TlsFailed({});
            return;
    }
}

void Communication::OpenTls() {
    question_.reset();
    tlsPhase_ = TlsPhase::kOpen;
    channel_ = &tls_->stream();
    lastTraffic_ = clock_();
    suspended_ = false;
    // The host's first data may already wait inside the TLS session.
    UpdateWatches();
}

void Communication::TlsFailed(const std::string& reason) {
    if (ending_) return;
    // As HostEnded: once, and no socket event is handled while the message
    // box waits for the operator.
    ending_ = true;
    question_.reset();
    EndConnection();
    if (!reason.empty()) {
        messages_.ShowMessage(std::string(LoadString(kStrConnectFailure)) + "\n" + reason,
                              MessageIcon::None);
    }
    ending_ = false;
}

void Communication::TlsSessionFailed(int error) {
    if (tls_ && tlsPhase_ == TlsPhase::kOpen && tls_->FailedAtHandshake()) {
        TlsFailed(HandshakeFailureText());
        return;
    }
    HostEnded(LostNotice(error));
}

std::string Communication::LostNotice(int error) const {
    if (tls_ && tls_->stream().failed()) {
        const std::string cause = tls_->SessionFailure();
        if (!cause.empty()) return kConnectionLostPrefix + cause;
    }
    return ConnectionLostNotice(error);
}

void Communication::DropTls() {
    question_.reset();
    if (tls_ && tlsPhase_ == TlsPhase::kOpen) tls_->stream().Shutdown();
    channel_ = &socket_;
    tls_.reset();
    tlsPhase_ = TlsPhase::kNone;
}

bool Communication::Securing() const {
    switch (tlsPhase_) {
        case TlsPhase::kHandshake:
        case TlsPhase::kQuestion:
            return true;
        case TlsPhase::kOpen:
            return tls_->ClientCertificateUnconfirmed() && clock_() < handshakeDeadline_;
        case TlsPhase::kNone:
            return false;
    }
    return false;
}

std::string Communication::TlsVersion() const {
    return tlsPhase_ == TlsPhase::kOpen ? tls_->stream().Version() : std::string();
}

std::optional<CertificateReport> Communication::PeerCertificate() const {
    if (tlsPhase_ != TlsPhase::kOpen && tlsPhase_ != TlsPhase::kQuestion) return std::nullopt;
    return tls_->Report();
}

}  // namespace quenlix
