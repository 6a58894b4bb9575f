// The fields of an X.509 certificate as the operator reads them. Every text
// comes from the host, so each is made printable and bounded before it
// leaves here: a name with an embedded NUL or a control character shows
// the byte escaped, never cut short or passed on raw.
#pragma once

#include <cstddef>
#include <string>

#include "net/CertificateReport.h"

struct x509_st;

namespace quenlix {

/// Subject, issuer, validity, SHA-256 fingerprint and names of
/// `certificate`; `problems` left empty.
CertificateReport DescribeCertificate(const x509_st* certificate);

/// The SHA-256 fingerprint of the certificate's DER form, "AB:CD:…".
std::string Sha256Fingerprint(const x509_st* certificate);

/// `count` bytes of host text with each byte outside printable ASCII
/// written as \xNN, cut to CertificateReport::kMaxTextLength characters
/// (an ellipsis "..." marks the cut).
std::string PrintableText(const unsigned char* bytes, std::size_t count);

}  // namespace quenlix
