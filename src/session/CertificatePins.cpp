// The pins file: read whole at each look-up, rewritten by rename under a
// lock so that two programs adding pins at once keep both.
#include "session/CertificatePins.h"

#include <cerrno>

#include "session/FileIo.h"
#include "session/FileLock.h"
#include "terminal/PrivateFiles.h"

namespace quenlix {

namespace {

constexpr std::size_t kFingerprintBytes = 32;  // SHA-256
constexpr const char* kHeader =
    "# Host certificates trusted by the operator of Quenlix Telnet: host:port SHA-256\n";

int HexValue(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'a' && c <= 'f') return c - 'a' + 10;
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return -1;
}

std::string_view Trim(std::string_view text) {
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
        text.remove_suffix(1);
    }
    return text;
}

// A pin line split into its key and canonical fingerprint; false for any
// other line.
bool ReadPinLine(std::string_view line, std::string& key, std::string& fingerprint) {
    line = Trim(line);
    if (line.empty() || line.front() == '#') return false;
    const std::size_t space = line.find_first_of(" \t");
    if (space == std::string_view::npos) return false;
    const std::string_view host = line.substr(0, space);
    const std::size_t colon = host.rfind(':');
    if (colon == std::string_view::npos || colon == 0 || colon + 1 == host.size()) return false;
    int port = 0;
    for (char c : host.substr(colon + 1)) {
        if (c < '0' || c > '9' || port > 65535) return false;
        port = port * 10 + (c - '0');
    }
    if (port > 65535) return false;
    fingerprint = CertificatePins::NormalizeFingerprint(Trim(line.substr(space + 1)));
    if (fingerprint.empty()) return false;
    key = CertificatePins::Key(host.substr(0, colon), port);
    return true;
}

std::string FolderOf(const std::string& path) {
    const std::size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string CertificatePins::DefaultPath() {
    const std::string config = UserConfigDirectory();
    if (config.empty()) return {};
    return config + "/Products/Telnet.pins";
}

void CertificatePins::SetPath(std::string path) { path_ = std::move(path); }

std::string CertificatePins::NormalizeFingerprint(std::string_view text) {
    std::string out;
    std::size_t digits = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        const char c = text[i];
        if (c == ':') {
            // Only between pairs, never doubled or at either end.
            if (digits == 0 || digits % 2 != 0 || i + 1 == text.size() || text[i + 1] == ':') {
                return {};
            }
            continue;
        }
        const int value = HexValue(c);
        if (value < 0 || digits == 2 * kFingerprintBytes) return {};
        if (digits > 0 && digits % 2 == 0) out += ':';
        out += "0123456789ABCDEF"[value];
        ++digits;
    }
    return digits == 2 * kFingerprintBytes ? out : std::string();
}

std::string CertificatePins::Key(std::string_view host, int port) {
    std::string key;
    key.reserve(host.size() + 6);
    for (char c : host) key += (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    return key + ":" + std::to_string(port);
}

std::map<std::string, std::string> CertificatePins::Parse(std::string_view text) {
    std::map<std::string, std::string> pins;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string key, fingerprint;
        if (ReadPinLine(line, key, fingerprint)) pins[key] = fingerprint;
    }
    return pins;
}

std::string CertificatePins::Rewrite(std::string_view text, const std::string& key,
                                     const std::string& fingerprint) {
    std::string out;
    if (text.empty()) out = kHeader;
    bool written = false;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        const std::string_view line = text.substr(0, end);
        text = end == std::string_view::npos ? std::string_view() : text.substr(end + 1);
        std::string lineKey, lineFingerprint;
        if (ReadPinLine(line, lineKey, lineFingerprint) && lineKey == key) {
            // The first line of the key takes the new pin; later ones go.
            if (!written && !fingerprint.empty()) out += key + " " + fingerprint + "\n";
            written = true;
            continue;
        }
        out.append(line);
        out += '\n';
    }
    if (!written && !fingerprint.empty()) out += key + " " + fingerprint + "\n";
    return out;
}

std::string CertificatePins::Find(std::string_view host, int port) const {
    const std::string key = Key(host, port);
    if (path_.empty()) {
        const auto it = memory_.find(key);
        return it == memory_.end() ? std::string() : it->second;
    }
    std::string text;
    if (ReadSmallFile(path_, text, kMaxFileSize) != 0) return {};
    const std::map<std::string, std::string> pins = Parse(text);
    const auto it = pins.find(key);
    return it == pins.end() ? std::string() : it->second;
}

int CertificatePins::Add(std::string_view host, int port, std::string_view fingerprint) {
    const std::string canonical = NormalizeFingerprint(fingerprint);
    if (canonical.empty()) return EINVAL;
    return Store(Key(host, port), canonical);
}

int CertificatePins::Remove(std::string_view host, int port) { return Store(Key(host, port), {}); }

int CertificatePins::Store(const std::string& key, const std::string& fingerprint) {
    if (path_.empty()) {
        if (fingerprint.empty()) {
            memory_.erase(key);
        } else {
            memory_[key] = fingerprint;
        }
        return 0;
    }
    if (const int error = EnsurePrivateDirectory(FolderOf(path_))) return error;
    // Without the lock the pin is still stored; only a program writing at
    // the very same moment could lose its own change.
    FileLock lock;
    lock.Acquire(path_ + ".lock");
    std::string text;
    const int readError = ReadSmallFile(path_, text, kMaxFileSize);
    // A file that is there but cannot be read is not replaced by a fragment.
    if (readError != 0 && readError != ENOENT) return readError;
    return ReplaceFileContents(path_, Rewrite(text, key, fingerprint), 0600);
}

bool CertificatePins::TrustForThisRun(std::string_view fingerprint) {
    const std::string canonical = NormalizeFingerprint(fingerprint);
    if (canonical.empty()) return false;
    thisRun_.insert(canonical);
    return true;
}

bool CertificatePins::TrustedForThisRun(const std::string& fingerprint) const {
    return thisRun_.count(fingerprint) != 0;
}

}  // namespace quenlix
