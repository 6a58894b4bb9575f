// The demo host's certificate and server context.
#include "demohost/HostTls.h"

#include <openssl/ec.h>
#include <openssl/err.h>
#include <openssl/evp.h>
#include <openssl/rand.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

#include <cstdint>

#include "net/CertificateDescription.h"

namespace quenlix::demohost {

namespace {

std::string OpenSslError(const std::string& what) {
    const unsigned long code = ERR_get_error();
    ERR_clear_error();
    const char* reason = code ? ERR_reason_error_string(code) : nullptr;
    return what + (reason ? std::string(": ") + reason : std::string());
}

bool AddExtension(X509* certificate, int nid, const std::string& value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, certificate, certificate, nullptr, nullptr, 0);
    X509_EXTENSION* extension = X509V3_EXT_conf_nid(nullptr, &context, nid, value.c_str());
    if (extension == nullptr) return false;
    const bool added = X509_add_ext(certificate, extension, -1) == 1;
    X509_EXTENSION_free(extension);
    return added;
}

}  // namespace

HostTls::~HostTls() { SSL_CTX_free(context_); }

bool HostTls::MakeContext(std::string& error) {
    context_ = SSL_CTX_new(TLS_server_method());
    if (context_ == nullptr) {
        error = OpenSslError("TLS context");
        return false;
    }
    SSL_CTX_set_min_proto_version(context_, TLS1_2_VERSION);
    return true;
}

std::unique_ptr<HostTls> HostTls::SelfSigned(const std::string& bindAddress, std::string& error) {
    std::unique_ptr<HostTls> tls(new HostTls);
    if (!tls->MakeContext(error)) return nullptr;
    EVP_PKEY* key = EVP_EC_gen("P-256");
    X509* certificate = X509_new();
    bool made = key != nullptr && certificate != nullptr;
    if (made) {
        X509_set_version(certificate, 2);
        // A random serial: two certificates of the same issuer never share
        // one, whatever the runs.
        std::uint32_t serial = 1;
        if (RAND_bytes(reinterpret_cast<unsigned char*>(&serial), sizeof serial) != 1) serial = 1;
        ASN1_INTEGER_set_int64(X509_get_serialNumber(certificate), serial | 1u);
        X509_gmtime_adj(X509_getm_notBefore(certificate), -86400L);
        X509_gmtime_adj(X509_getm_notAfter(certificate), kSelfSignedDays * 86400L);
        X509_set_pubkey(certificate, key);
        X509_NAME* name = X509_get_subject_name(certificate);
        X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("Quenlix demo host"), -1,
                                   -1, 0);
        X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                                   reinterpret_cast<const unsigned char*>("localhost"), -1, -1, 0);
        X509_set_issuer_name(certificate, name);
        std::string names = "DNS:localhost,IP:127.0.0.1";
        if (bindAddress != "127.0.0.1" && bindAddress != "0.0.0.0") names += ",IP:" + bindAddress;
        made = AddExtension(certificate, NID_basic_constraints, "critical,CA:FALSE") &&
               AddExtension(certificate, NID_subject_alt_name, names) &&
               AddExtension(certificate, NID_ext_key_usage, "serverAuth") &&
               X509_sign(certificate, key, EVP_sha256()) > 0 &&
               SSL_CTX_use_certificate(tls->context_, certificate) == 1 &&
               SSL_CTX_use_PrivateKey(tls->context_, key) == 1;
    }
    if (made) tls->fingerprint_ = Sha256Fingerprint(certificate);
    X509_free(certificate);
    EVP_PKEY_free(key);
    if (!made) {
        error = OpenSslError("cannot make the TLS certificate");
        return nullptr;
    }
    return tls;
}

std::unique_ptr<HostTls> HostTls::FromFiles(const std::string& certificateFile,
                                            const std::string& keyFile, std::string& error) {
    std::unique_ptr<HostTls> tls(new HostTls);
    if (!tls->MakeContext(error)) return nullptr;
    if (SSL_CTX_use_certificate_chain_file(tls->context_, certificateFile.c_str()) != 1) {
        error = OpenSslError("cannot use the certificate in " + certificateFile);
        return nullptr;
    }
    // OpenSSL also refuses a key that is not the certificate's here.
    if (SSL_CTX_use_PrivateKey_file(tls->context_, keyFile.c_str(), SSL_FILETYPE_PEM) != 1) {
        error = OpenSslError("cannot use the key in " + keyFile);
        return nullptr;
    }
    tls->fingerprint_ = Sha256Fingerprint(SSL_CTX_get0_certificate(tls->context_));
    return tls;
}

}  // namespace quenlix::demohost
