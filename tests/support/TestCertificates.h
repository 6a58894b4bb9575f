// Throw-away keys and certificates made at run time through the OpenSSL API:
// certificate authorities, host certificates (for 127.0.0.1 and localhost,
// expired, not yet valid, with a weak key, with a NUL in a name) and client
// certificates. Nothing secret is checked in; every test makes its own.
#pragma once

#include <openssl/evp.h>
#include <openssl/pem.h>
#include <openssl/rsa.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

namespace quenlix::testing {

struct KeyFree {
    void operator()(EVP_PKEY* k) const { EVP_PKEY_free(k); }
};
struct CertFree {
    void operator()(X509* c) const { X509_free(c); }
};
using Key = std::unique_ptr<EVP_PKEY, KeyFree>;
using Cert = std::unique_ptr<X509, CertFree>;

/// An EC P-256 key (fast), or an RSA key of `rsaBits` bits.
inline Key MakeKey(int rsaBits = 0) {
    EVP_PKEY* key = rsaBits > 0 ? EVP_RSA_gen(static_cast<unsigned>(rsaBits))
                                : EVP_EC_gen("P-256");
    if (key == nullptr) throw std::runtime_error("key generation failed");
    return Key(key);
}

struct CertificateProfile {
    std::string commonName = "localhost";  ///< may hold a NUL byte
    std::string organisation = "Quenlix test";
    std::vector<std::string> dnsNames;     ///< subject alternative names; may hold NUL bytes
    std::vector<std::string> ipAddresses;  ///< dotted IPv4
    long validFromDays = -1;               ///< relative to now
    long validUntilDays = 30;
    bool authority = false;  ///< a CA certificate
    long serial = 1;
    bool sha1Signature = false;  ///< signed with SHA-1, which OpenSSL 3 refuses
};

/// The usual host: for localhost and 127.0.0.1.
inline CertificateProfile HostProfile() {
    CertificateProfile profile;
    profile.dnsNames = {"localhost"};
    profile.ipAddresses = {"127.0.0.1"};
    return profile;
}

inline CertificateProfile AuthorityProfile(const std::string& name) {
    CertificateProfile profile;
    profile.commonName = name;
    profile.authority = true;
    return profile;
}

namespace detail {
inline void AddExtension(X509* cert, X509* issuer, int nid, const char* value) {
    X509V3_CTX context;
    X509V3_set_ctx_nodb(&context);
    X509V3_set_ctx(&context, issuer, cert, nullptr, nullptr, 0);
    X509_EXTENSION* ext = X509V3_EXT_conf_nid(nullptr, &context, nid, value);
    if (ext == nullptr) throw std::runtime_error("bad extension");
    X509_add_ext(cert, ext, -1);
    X509_EXTENSION_free(ext);
}
}  // namespace detail

/// A certificate for `key`, signed by `issuer` with `issuerKey`, or
/// self-signed when `issuer` is null.
inline Cert MakeCertificate(const CertificateProfile& profile, EVP_PKEY* key, X509* issuer = nullptr,
                            EVP_PKEY* issuerKey = nullptr) {
    X509* cert = X509_new();
    X509_set_version(cert, 2);
    ASN1_INTEGER_set(X509_get_serialNumber(cert), profile.serial);
    X509_gmtime_adj(X509_getm_notBefore(cert), profile.validFromDays * 86400L);
    X509_gmtime_adj(X509_getm_notAfter(cert), profile.validUntilDays * 86400L);
    X509_set_pubkey(cert, key);
    X509_NAME* name = X509_get_subject_name(cert);
    X509_NAME_add_entry_by_txt(name, "O", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(profile.organisation.data()),
                               static_cast<int>(profile.organisation.size()), -1, 0);
    X509_NAME_add_entry_by_txt(name, "CN", MBSTRING_ASC,
                               reinterpret_cast<const unsigned char*>(profile.commonName.data()),
                               static_cast<int>(profile.commonName.size()), -1, 0);
    X509_set_issuer_name(cert, issuer ? X509_get_subject_name(issuer) : name);
    X509* signer = issuer ? issuer : cert;
    if (profile.authority) {
        detail::AddExtension(cert, signer, NID_basic_constraints, "critical,CA:TRUE");
        detail::AddExtension(cert, signer, NID_key_usage, "critical,keyCertSign,cRLSign");
    } else {
        detail::AddExtension(cert, signer, NID_basic_constraints, "CA:FALSE");
    }
    detail::AddExtension(cert, signer, NID_subject_key_identifier, "hash");
    if (!profile.dnsNames.empty() || !profile.ipAddresses.empty()) {
        // Built by hand: a name with a NUL byte cannot pass through the
        // configuration text.
        GENERAL_NAMES* names = sk_GENERAL_NAME_new_null();
        for (const std::string& dns : profile.dnsNames) {
            GENERAL_NAME* g = GENERAL_NAME_new();
            ASN1_IA5STRING* text = ASN1_IA5STRING_new();
            ASN1_STRING_set(text, dns.data(), static_cast<int>(dns.size()));
            GENERAL_NAME_set0_value(g, GEN_DNS, text);
            sk_GENERAL_NAME_push(names, g);
        }
        for (const std::string& ip : profile.ipAddresses) {
            GENERAL_NAME* g = GENERAL_NAME_new();
            ASN1_OCTET_STRING* address = a2i_IPADDRESS(ip.c_str());
            GENERAL_NAME_set0_value(g, GEN_IPADD, address);
            sk_GENERAL_NAME_push(names, g);
        }
        X509_add1_ext_i2d(cert, NID_subject_alt_name, names, 0, 0);
        GENERAL_NAMES_free(names);
    }
    if (X509_sign(cert, issuerKey ? issuerKey : key,
                  profile.sha1Signature ? EVP_sha1() : EVP_sha256()) <= 0) {
        X509_free(cert);
        throw std::runtime_error("signing failed");
    }
    return Cert(cert);
}

inline std::string Pem(X509* cert) {
    BIO* bio = BIO_new(BIO_s_mem());
    PEM_write_bio_X509(bio, cert);
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(n));
    BIO_free(bio);
    return text;
}

/// The private key in PEM, encrypted with `passphrase` when it is not empty.
inline std::string Pem(EVP_PKEY* key, const std::string& passphrase = {}) {
    BIO* bio = BIO_new(BIO_s_mem());
    if (passphrase.empty()) {
        PEM_write_bio_PrivateKey(bio, key, nullptr, nullptr, 0, nullptr, nullptr);
    } else {
        PEM_write_bio_PKCS8PrivateKey(bio, key, EVP_aes_256_cbc(), passphrase.data(),
                                      static_cast<int>(passphrase.size()), nullptr, nullptr);
    }
    char* data = nullptr;
    const long n = BIO_get_mem_data(bio, &data);
    std::string text(data, static_cast<std::size_t>(n));
    BIO_free(bio);
    return text;
}

inline void WriteTextFile(const std::string& path, const std::string& text) {
    std::ofstream(path, std::ios::binary) << text;
}

/// A key and its certificate.
struct Identity {
    Key key;
    Cert cert;
};

inline Identity MakeIdentity(const CertificateProfile& profile, const Identity* issuer = nullptr,
                             int rsaBits = 0) {
    Identity id;
    id.key = MakeKey(rsaBits);
    id.cert = MakeCertificate(profile, id.key.get(), issuer ? issuer->cert.get() : nullptr,
                              issuer ? issuer->key.get() : nullptr);
    return id;
}

}  // namespace quenlix::testing
