// The client context and its session. Verification never stops the
// handshake: every reason a certificate fails is collected, the handshake
// ends, and the endpoint then decides (trusted, pinned, or the operator's
// answer) before a single byte of the session is read or sent.
#include "net/TlsClient.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <ctime>

#include "net/BlockingSocket.h"
#include "net/CertificateDescription.h"
#include "session/FileIo.h"

namespace quenlix {

namespace {

/// Most verification problems kept: a host can send a long chain.
constexpr std::size_t kMaxProblems = 8;

struct PassphraseRequest {
    const PassphraseSource* source = nullptr;
    const std::string* path = nullptr;
    bool asked = false;
    bool refused = false;
};

extern "C" int OnPassphrase(char* buffer, int size, int, void* data) {
    auto* request = static_cast<PassphraseRequest*>(data);
    if (request->asked) return -1;  // asked once: a wrong answer is not asked again
    request->asked = true;
    std::optional<std::string> given;
    if (request->source && *request->source) given = (*request->source)(*request->path);
    if (!given) {
        request->refused = true;
        return -1;
    }
    const int length = static_cast<int>(std::min<std::size_t>(given->size(), static_cast<std::size_t>(size)));
    std::memcpy(buffer, given->data(), static_cast<std::size_t>(length));
    OPENSSL_cleanse(given->data(), given->size());
    return length;
}

std::string CannotRead(const std::string& what, const std::string& path, int error) {
    return "The " + what + " " + path + " cannot be read: " + std::strerror(error);
}

// The session's CA file, added to the trust store beside the system's.
bool LoadCaFile(SSL_CTX* context, const std::string& path, std::string& error) {
    std::string pem;
    if (const int e = ReadSmallFile(path, pem, TlsClient::kMaxPemFileSize)) {
        error = CannotRead("CA file", path, e);
        return false;
    }
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    STACK_OF(X509_INFO)* infos = bio ? PEM_X509_INFO_read_bio(bio, nullptr, nullptr, nullptr) : nullptr;
    X509_STORE* store = SSL_CTX_get_cert_store(context);
    int added = 0;
    for (int i = 0; infos && i < sk_X509_INFO_num(infos); ++i) {
        X509_INFO* info = sk_X509_INFO_value(infos, i);
        if (info->x509 && X509_STORE_add_cert(store, info->x509) == 1) ++added;
    }
    sk_X509_INFO_pop_free(infos, X509_INFO_free);
    BIO_free(bio);
    ERR_clear_error();
    if (added == 0) {
        error = "The CA file " + path + " holds no PEM certificate";
        return false;
    }
    return true;
}

// The certificate, any chain certificates after it, and the private key,
// all from one PEM file.
bool LoadClientCertificate(SSL_CTX* context, const std::string& path,
                           const PassphraseSource& passphrase, std::string& error) {
    std::string pem;
    if (const int e = ReadSmallFile(path, pem, TlsClient::kMaxPemFileSize)) {
        error = CannotRead("client certificate file", path, e);
        return false;
    }
    BIO* bio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    X509* certificate = bio ? PEM_read_bio_X509(bio, nullptr, nullptr, nullptr) : nullptr;
    if (certificate == nullptr) {
        BIO_free(bio);
        ERR_clear_error();
        error = "The client certificate file " + path + " holds no PEM certificate";
        return false;
    }
    const bool used = SSL_CTX_use_certificate(context, certificate) == 1;
    X509_free(certificate);
    while (X509* more = PEM_read_bio_X509(bio, nullptr, nullptr, nullptr)) {
        if (SSL_CTX_add0_chain_cert(context, more) != 1) X509_free(more);
    }
    BIO_free(bio);
    ERR_clear_error();

    PassphraseRequest request{&passphrase, &path};
    BIO* keyBio = BIO_new_mem_buf(pem.data(), static_cast<int>(pem.size()));
    EVP_PKEY* key = keyBio ? PEM_read_bio_PrivateKey(keyBio, nullptr, OnPassphrase, &request) : nullptr;
    BIO_free(keyBio);
    ERR_clear_error();
    if (key == nullptr) {
        if (request.refused) {
            error = "The key in " + path + " is protected by a passphrase, and none was given";
        } else if (request.asked) {
            error = "The passphrase for the key in " + path + " is wrong";
        } else {
            error = "The client certificate file " + path + " holds no private key";
        }
        return false;
    }
    const bool keyUsed = SSL_CTX_use_PrivateKey(context, key) == 1;
    EVP_PKEY_free(key);
    if (!used || !keyUsed || SSL_CTX_check_private_key(context) != 1) {
        ERR_clear_error();
        error = "The key in " + path + " does not belong to its certificate";
        return false;
    }
    return true;
}

std::string NamesText(const std::vector<std::string>& names) {
    if (names.empty()) return "no host name";
    std::string text;
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (i > 0) text += i + 1 == names.size() ? " and " : ", ";
        text += names[i];
    }
    return text;
}

std::string KeyText(X509* certificate) {
    const EVP_PKEY* key = certificate ? X509_get0_pubkey(certificate) : nullptr;
    if (key == nullptr) return {};
    const char* type = EVP_PKEY_get0_type_name(key);
    return std::string(" (") + (type ? type : "key") + ", " +
           std::to_string(EVP_PKEY_get_bits(key)) + " bits)";
}

std::string DateOf(const ASN1_TIME* time) {
    std::tm parts{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) return "an unknown date";
    char text[32];
    std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts);
    return text;
}

// One verification error in words. `certificate` is the one it concerns
// (depth 0 the host's own), `host` what the operator typed.
std::string ProblemText(int error, int depth, X509* certificate, const std::string& host) {
    const bool own = depth == 0;
    const std::string which = own ? "the certificate" : "a certificate authority in its chain";
    switch (error) {
        case X509_V_ERR_DEPTH_ZERO_SELF_SIGNED_CERT:
            return "the certificate is self-signed";
        case X509_V_ERR_SELF_SIGNED_CERT_IN_CHAIN:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT_LOCALLY:
        case X509_V_ERR_UNABLE_TO_GET_ISSUER_CERT:
        case X509_V_ERR_UNABLE_TO_VERIFY_LEAF_SIGNATURE:
            return "the certificate was issued by a certificate authority that is not trusted "
                   "here (" +
                   DescribeCertificate(certificate).issuer + ")";
        case X509_V_ERR_CERT_HAS_EXPIRED:
            return which + " expired on " + DateOf(X509_get0_notAfter(certificate));
        case X509_V_ERR_CERT_NOT_YET_VALID:
            return which + " is not valid before " + DateOf(X509_get0_notBefore(certificate));
        case X509_V_ERR_HOSTNAME_MISMATCH:
        case X509_V_ERR_IP_ADDRESS_MISMATCH:
            return "the certificate is for " + NamesText(DescribeCertificate(certificate).names) +
                   ", not for " + host;
        case X509_V_ERR_EE_KEY_TOO_SMALL:
            return "the certificate's key is too weak" + KeyText(certificate);
        case X509_V_ERR_CA_KEY_TOO_SMALL:
            return "the key of a certificate authority in its chain is too weak" +
                   KeyText(certificate);
        case X509_V_ERR_CA_MD_TOO_WEAK:
            return which + " is signed with a digest too weak to be safe (such as SHA-1)";
        case X509_V_ERR_CERT_SIGNATURE_FAILURE:
            return "the signature on " + which + " is not valid";
        case X509_V_ERR_CERT_REVOKED:
            return which + " has been revoked";
        case X509_V_ERR_INVALID_PURPOSE:
            return which + " may not be used for a TLS host";
        default:
            return which + " does not verify (" + X509_verify_cert_error_string(error) + ")";
    }
}

bool IsCertificateAlert(int alert) {
    switch (alert) {
        case SSL_AD_HANDSHAKE_FAILURE:
        case SSL_AD_BAD_CERTIFICATE:
        case SSL_AD_UNSUPPORTED_CERTIFICATE:
        case SSL_AD_CERTIFICATE_REVOKED:
        case SSL_AD_CERTIFICATE_EXPIRED:
        case SSL_AD_CERTIFICATE_UNKNOWN:
        case SSL_AD_UNKNOWN_CA:
        case SSL_AD_ACCESS_DENIED:
        case SSL_AD_DECRYPT_ERROR:
        case SSL_AD_CERTIFICATE_REQUIRED:
            return true;
        default:
            return false;
    }
}

std::string AlertText(int alert) {
    return std::string(SSL_alert_desc_string_long(alert));
}

}  // namespace

std::unique_ptr<TlsClient> TlsClient::Create(const TlsClientSettings& settings,
                                             const PassphraseSource& passphrase,
                                             std::string& error) {
    std::unique_ptr<TlsClient> client(new TlsClient);
    client->settings_ = settings;
    SSL_CTX* context = SSL_CTX_new(TLS_client_method());
    client->context_ = context;
    if (context == nullptr) {
        error = "TLS cannot be set up (out of memory)";
        return nullptr;
    }
    SSL_CTX_set_min_proto_version(context, TLS1_2_VERSION);
    // A new handshake inside the session could bring another certificate
    // that nothing here would judge: it is refused. A host that closes the
    // TCP connection without the closing alert has ended the session.
    SSL_CTX_set_options(context, SSL_OP_NO_RENEGOTIATION | SSL_OP_IGNORE_UNEXPECTED_EOF);
    SSL_CTX_set_default_verify_paths(context);
    SSL_CTX_set_verify(context, SSL_VERIFY_PEER, &TlsClient::OnVerify);
    ERR_clear_error();
    if (!settings.caFile.empty() && !LoadCaFile(context, settings.caFile, error)) return nullptr;
    if (!settings.clientCertificate.empty()) {
        if (!LoadClientCertificate(context, settings.clientCertificate, passphrase, error)) {
            return nullptr;
        }
        client->clientCertificateSet_ = true;
    }
    return client;
}

TlsClient::~TlsClient() {
    stream_.reset();
    SSL_CTX_free(context_);
}

bool TlsClient::Attach(int socket) {
    stream_ = std::make_unique<TlsStream>(context_, socket, true);
    SSL* ssl = stream_->ssl();
    if (ssl == nullptr) return false;
    SSL_set_app_data(ssl, this);
    in_addr v4{};
    in6_addr v6{};
    const std::string host = CBlockingSocket::BareHost(settings_.host);
    if (inet_pton(AF_INET, host.c_str(), &v4) == 1 || inet_pton(AF_INET6, host.c_str(), &v6) == 1) {
        // An address (IPv6 without its brackets) is checked against the
        // certificate's addresses; SNI carries host names only.
        X509_VERIFY_PARAM_set1_ip_asc(SSL_get0_param(ssl), host.c_str());
    } else {
        SSL_set_tlsext_host_name(ssl, host.c_str());
        SSL_set_hostflags(ssl, X509_CHECK_FLAG_NO_PARTIAL_WILDCARDS);
        SSL_set1_host(ssl, host.c_str());
    }
    ERR_clear_error();
    return true;
}

int TlsClient::OnVerify(int preverified, x509_store_ctx_st* store) {
    if (preverified) return 1;
    auto* ssl = static_cast<SSL*>(
        X509_STORE_CTX_get_ex_data(store, SSL_get_ex_data_X509_STORE_CTX_idx()));
    auto* self = ssl ? static_cast<TlsClient*>(SSL_get_app_data(ssl)) : nullptr;
    if (self == nullptr) return 0;
    const int error = X509_STORE_CTX_get_error(store);
    const int depth = X509_STORE_CTX_get_error_depth(store);
    bool known = false;
    for (const Problem& p : self->problems_) known = known || (p.error == error && p.depth == depth);
    if (!known && self->problems_.size() < kMaxProblems) {
        self->problems_.push_back(
            {error, depth,
             ProblemText(error, depth, X509_STORE_CTX_get_current_cert(store), self->settings_.host)});
    }
    // Go on: the endpoint judges the certificate once the handshake is over.
    return 1;
}

CertificateReport TlsClient::Report() const {
    SSL* ssl = stream_ ? stream_->ssl() : nullptr;
    const X509* peer = ssl ? SSL_get0_peer_certificate(ssl) : nullptr;
    CertificateReport report = DescribeCertificate(peer);
    if (peer == nullptr) {
        report.problems.push_back("the host sent no certificate");
        return report;
    }
    for (const Problem& p : problems_) report.problems.push_back(p.text);
    if (report.problems.empty() && SSL_get_verify_result(ssl) != X509_V_OK) {
        report.problems.push_back(
            std::string("the certificate does not verify (") +
            X509_verify_cert_error_string(SSL_get_verify_result(ssl)) + ")");
    }
    return report;
}

std::string TlsClient::HandshakeFailure() const {
    const TlsStream& s = *stream_;
    const TlsObservations& seen = s.observed();
    const unsigned long code = s.failureCode();
    const int reason = ERR_GET_LIB(code) == ERR_LIB_SSL ? ERR_GET_REASON(code) : 0;
    if (seen.PeerNotTls()) {
        return "the host does not answer in TLS on this port (a plain telnet port?)";
    }
    if (seen.alertReceived == SSL_AD_PROTOCOL_VERSION || reason == SSL_R_UNSUPPORTED_PROTOCOL ||
        reason == SSL_R_TLSV1_ALERT_PROTOCOL_VERSION) {
        return "the host offers only TLS 1.1 or older; TLS 1.2 or newer is required";
    }
    if (seen.certificateRequested && IsCertificateAlert(seen.alertReceived)) {
        if (!clientCertificateSet_) {
            return "the host requires a client certificate, and the session names none";
        }
        return "the host refused the client certificate (" + AlertText(seen.alertReceived) + ")";
    }
    if (!seen.helloSeen &&
        (seen.alertReceived == SSL_AD_HANDSHAKE_FAILURE ||
         seen.alertReceived == SSL_AD_INSUFFICIENT_SECURITY || reason == SSL_R_NO_SHARED_CIPHER ||
         reason == SSL_R_NO_CIPHERS_AVAILABLE)) {
        return "the host and this terminal have no cipher suite in common";
    }
    if (seen.socketError == ECONNRESET) return "the host reset the connection during the TLS handshake";
    if (seen.alertReceived >= 0) {
        return "the host ended the TLS handshake (alert: " + AlertText(seen.alertReceived) + ")";
    }
    if (seen.endOfStream) return "the host closed the connection during the TLS handshake";
    if (seen.socketError != 0) {
        return std::string("the TLS handshake failed: ") + std::strerror(seen.socketError);
    }
    if (!s.failureText().empty()) {
        if (!seen.helloSeen) {
            return "the host's answer is not a TLS handshake (" + s.failureText() + ")";
        }
        return "the TLS handshake failed (" + s.failureText() + ")";
    }
    return "the TLS handshake failed";
}

std::string TlsClient::SessionFailure() const {
    const TlsStream& s = *stream_;
    const TlsObservations& seen = s.observed();
    if (seen.renegotiationRequested) {
        return "the host asked to renegotiate the TLS session, which this terminal does not allow";
    }
    if (seen.socketError != 0) return {};
    if (seen.alertReceived >= 0) {
        return "the host ended the TLS session (alert: " + AlertText(seen.alertReceived) + ")";
    }
    if (!s.failureText().empty()) return "TLS error (" + s.failureText() + ")";
    return "TLS error";
}

bool TlsClient::FailedAtHandshake() const {
    const TlsObservations& seen = stream_->observed();
    return stream_->failed() && !seen.applicationData && seen.certificateRequested &&
           IsCertificateAlert(seen.alertReceived);
}

bool TlsClient::ClientCertificateUnconfirmed() const {
    const SSL* ssl = stream_ ? stream_->ssl() : nullptr;
    const TlsObservations& seen = stream_->observed();
    return ssl != nullptr && stream_->handshakeDone() && !stream_->failed() &&
           SSL_version(ssl) == TLS1_3_VERSION && seen.certificateRequested && !seen.applicationData;
}

}  // namespace quenlix
