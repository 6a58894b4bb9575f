// What the TLS tests share: a certificate authority and a host certificate
// signed by it, written as PEM files into a scratch folder, and the host's
// side of the telnet negotiation spoken over a TLS test host.
#pragma once

#include <string>

#include "session/TestFiles.h"
#include "support/TestCertificates.h"
#include "support/TlsTestHost.h"

namespace quenlix::testing {

// The telnet bytes of a host's negotiation (as in the fault suite).
inline const TlsBytes kTlsDoTerminalType = {0xFF, 0xFD, 0x18};
inline const TlsBytes kTlsWillTerminalType = {0xFF, 0xFB, 0x18};
inline const TlsBytes kTlsTerminalTypeSend = {0xFF, 0xFA, 0x18, 0x01, 0xFF, 0xF0};
inline const TlsBytes kTlsDoEnviron = {0xFF, 0xFD, 0x27};
inline const TlsBytes kTlsEnvironSend = {0xFF, 0xFA, 0x27, 0x01, 0x03, 'D', 'E', 'V', 'N',
                                         'A',  'M',  'E',  0xFF, 0xF0};
inline const TlsBytes kTlsBinaryAndEor = {0xFF, 0xFD, 0x19, 0xFF, 0xFB, 0x19,
                                          0xFF, 0xFD, 0x00, 0xFF, 0xFB, 0x00};

/// The host's side of a whole negotiation over TLS, each answer kept in
/// `received`.
inline void NegotiateOverTls(TlsTestHost& h) {
    h.Write(kTlsDoTerminalType);
    h.received.push_back(h.Read(3));
    h.Write(kTlsTerminalTypeSend);
    h.received.push_back(h.ReadThrough(0xF0));
    h.Write(kTlsDoEnviron);
    h.received.push_back(h.Read(3));
    h.Write(kTlsEnvironSend);
    h.received.push_back(h.ReadThrough(0xF0));
    h.Write(kTlsBinaryAndEor);
    h.received.push_back(h.Read(12));
}

/// A site's own certificate authority and a host certificate it issued for
/// localhost and 127.0.0.1, with the authority in `caFile`.
struct SiteCertificates {
    SiteCertificates() {
        WriteTextFile(caFile, Pem(ca.cert.get()));
    }
    /// The options of a host presenting `id` (the site's host by default).
    TlsHostOptions HostOptions(const Identity* id = nullptr) const {
        TlsHostOptions options;
        options.certificate = (id ? id : &host)->cert.get();
        options.key = (id ? id : &host)->key.get();
        return options;
    }

    test::TempDir dir;
    Identity ca = MakeIdentity(AuthorityProfile("Site CA"));
    Identity host = MakeIdentity(HostProfile(), &ca);
    std::string caFile = dir.File("site-ca.pem");
};

}  // namespace quenlix::testing
