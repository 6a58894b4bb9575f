// X.509 fields to text.
#include "net/CertificateDescription.h"

#include <openssl/bio.h>
#include <openssl/evp.h>
#include <openssl/x509.h>
#include <openssl/x509v3.h>

#include <cstdio>
#include <ctime>

namespace quenlix {

namespace {

constexpr const char* kCut = "...";

std::string Bounded(std::string text) {
    if (text.size() > CertificateReport::kMaxTextLength) {
        text.resize(CertificateReport::kMaxTextLength - 3);
        text += kCut;
    }
    return text;
}

// A distinguished name on one line, "CN = host, O = site". Control bytes
// are escaped by OpenSSL; the rest is converted to UTF-8 and kept.
std::string NameText(const X509_NAME* name) {
    if (name == nullptr) return {};
    BIO* bio = BIO_new(BIO_s_mem());
    if (bio == nullptr) return {};
    X509_NAME_print_ex(bio, name, 0, XN_FLAG_ONELINE & ~ASN1_STRFLGS_ESC_MSB);
    char* data = nullptr;
    const long length = BIO_get_mem_data(bio, &data);
    std::string text = length > 0 ? std::string(data, static_cast<std::size_t>(length)) : "";
    BIO_free(bio);
    // OpenSSL escapes control bytes; a byte that still is one (an invalid
    // sequence) is not passed on.
    for (char& c : text) {
        if (static_cast<unsigned char>(c) < 0x20 || c == 0x7F) c = '?';
    }
    return Bounded(std::move(text));
}

std::string TimeText(const ASN1_TIME* time) {
    std::tm parts{};
    if (time == nullptr || ASN1_TIME_to_tm(time, &parts) != 1) return "unknown";
    char text[32];
    if (std::strftime(text, sizeof text, "%Y-%m-%d %H:%M:%S UTC", &parts) == 0) return "unknown";
    return text;
}

std::string AddressText(const ASN1_OCTET_STRING* address) {
    const unsigned char* b = ASN1_STRING_get0_data(address);
    const int length = ASN1_STRING_length(address);
    char text[64];
    if (length == 4) {
        std::snprintf(text, sizeof text, "%u.%u.%u.%u", b[0], b[1], b[2], b[3]);
        return text;
    }
    if (length == 16) {
        std::string out;
        for (int i = 0; i < 16; i += 2) {
            std::snprintf(text, sizeof text, "%s%x", i == 0 ? "" : ":", (b[i] << 8) | b[i + 1]);
            out += text;
        }
        return out;
    }
    return "(an address of " + std::to_string(length) + " bytes)";
}

}  // namespace

std::string PrintableText(const unsigned char* bytes, std::size_t count) {
    std::string text;
    for (std::size_t i = 0; i < count; ++i) {
        const unsigned char b = bytes[i];
        if (b >= 0x20 && b < 0x7F && b != '\\') {
            text += static_cast<char>(b);
        } else {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\x%02X", b);
            text += escaped;
        }
        if (text.size() > CertificateReport::kMaxTextLength) break;
    }
    return Bounded(std::move(text));
}

std::string Sha256Fingerprint(const x509_st* certificate) {
    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int length = 0;
    if (certificate == nullptr || X509_digest(certificate, EVP_sha256(), digest, &length) != 1) {
        return {};
    }
    static const char kDigits[] = "0123456789ABCDEF";
    std::string text;
    for (unsigned int i = 0; i < length; ++i) {
        if (i > 0) text += ':';
        text += kDigits[digest[i] >> 4];
        text += kDigits[digest[i] & 0x0F];
    }
    return text;
}

CertificateReport DescribeCertificate(const x509_st* certificate) {
    CertificateReport report;
    if (certificate == nullptr) return report;
    report.subject = NameText(X509_get_subject_name(certificate));
    report.issuer = NameText(X509_get_issuer_name(certificate));
    report.validFrom = TimeText(X509_get0_notBefore(certificate));
    report.validUntil = TimeText(X509_get0_notAfter(certificate));
    report.fingerprint = Sha256Fingerprint(certificate);

    auto* alternatives = static_cast<GENERAL_NAMES*>(
        X509_get_ext_d2i(certificate, NID_subject_alt_name, nullptr, nullptr));
    const int count = alternatives ? sk_GENERAL_NAME_num(alternatives) : 0;
    for (int i = 0; i < count && report.names.size() < CertificateReport::kMaxNames; ++i) {
        const GENERAL_NAME* name = sk_GENERAL_NAME_value(alternatives, i);
        if (name->type == GEN_DNS) {
            const ASN1_IA5STRING* dns = name->d.dNSName;
            report.names.push_back(PrintableText(ASN1_STRING_get0_data(dns),
                                                 static_cast<std::size_t>(ASN1_STRING_length(dns))));
        } else if (name->type == GEN_IPADD) {
            report.names.push_back(AddressText(name->d.iPAddress));
        }
    }
    GENERAL_NAMES_free(alternatives);
    if (report.names.empty()) {
        // Without alternative names a host name is looked for in the
        // subject's common name.
        const X509_NAME* subject = X509_get_subject_name(certificate);
        const int at = X509_NAME_get_index_by_NID(subject, NID_commonName, -1);
        if (at >= 0) {
            const ASN1_STRING* cn = X509_NAME_ENTRY_get_data(X509_NAME_get_entry(subject, at));
            report.names.push_back(PrintableText(ASN1_STRING_get0_data(cn),
                                                 static_cast<std::size_t>(ASN1_STRING_length(cn))));
        }
    }
    return report;
}

}  // namespace quenlix
