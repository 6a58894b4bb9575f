// Host certificates the operator chose to trust although they could not be
// verified ("pins"): one SHA-256 fingerprint per host and port, kept in a
// small text file in the user's configuration folder, and the fingerprints
// a single run trusts for any host (the headless front end's
// --trust-fingerprint), which are never written.
//
// The file holds one pin a line, "host:port FINGERPRINT", the host in lower
// case and the fingerprint as 32 upper-case hexadecimal pairs joined by
// colons. Lines starting with '#' and lines this version cannot read are
// kept as they are when the file is rewritten.
#pragma once

#include <map>
#include <set>
#include <string>
#include <string_view>

namespace quenlix {

class CertificatePins {
public:
    /// The largest pins file read; a larger one is taken as holding no pins
    /// (and is not rewritten over).
    static constexpr std::size_t kMaxFileSize = 1u << 20;

    /// The program's pins file, "Telnet.pins" beside the preferences:
    /// UserConfigDirectory()/Products/Telnet.pins. Empty without a home folder.
    static std::string DefaultPath();

    /// Pins are read from and written to the file at `path`, created with
    /// owner-only permissions in a folder made owner-only when missing. An
    /// empty path (the start value) keeps them in memory only.
    void SetPath(std::string path);
    const std::string& path() const { return path_; }

    /// The fingerprint pinned for `host` (as typed; case does not matter)
    /// and `port`, read from the file at each call so that pins another
    /// program stored count at once; empty when there is none.
    std::string Find(std::string_view host, int port) const;
    /// Pins `fingerprint` (any form NormalizeFingerprint reads) for the
    /// host and port, replacing an earlier pin. The file is rewritten
    /// atomically under its lock file. Returns 0, EINVAL for a fingerprint
    /// that is not one, or the errno cause of the failed write.
    int Add(std::string_view host, int port, std::string_view fingerprint);
    /// Removes the pin of the host and port; 0 when there is none left, or
    /// the errno cause of the failed write.
    int Remove(std::string_view host, int port);

    /// Trusts a certificate with `fingerprint` for any host until the
    /// program ends. False, changing nothing, when it is not a fingerprint.
    bool TrustForThisRun(std::string_view fingerprint);
    /// `fingerprint` (canonical form) was trusted for this run.
    bool TrustedForThisRun(const std::string& fingerprint) const;

    /// The canonical form "AB:CD:…" of a SHA-256 fingerprint written as 64
    /// hexadecimal digits, in any case, with or without a colon between
    /// pairs; empty when `text` is not one.
    static std::string NormalizeFingerprint(std::string_view text);
    /// The key of a pin: the host in lower case, ':', the port.
    static std::string Key(std::string_view host, int port);

    /// Reads pins file contents: key -> fingerprint (the last line for a key
    /// wins). Lines that are not pins are skipped.
    static std::map<std::string, std::string> Parse(std::string_view text);
    /// `text` with the pin of `key` replaced by `fingerprint` (removed when
    /// it is empty), every other line kept as it was.
    static std::string Rewrite(std::string_view text, const std::string& key,
                               const std::string& fingerprint);

private:
    int Store(const std::string& key, const std::string& fingerprint);

    std::string path_;
    /// The pins while there is no file.
    std::map<std::string, std::string> memory_;
    std::set<std::string> thisRun_;
};

}  // namespace quenlix
