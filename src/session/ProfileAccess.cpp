// The INI file engine: parsing, typed reads, in-place edits and the rewrite.
#include "session/ProfileAccess.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <limits>

#include "session/FileIo.h"
#include "terminal/Utf8.h"

namespace quenlix {

namespace {

// Stand-ins for CR and LF inside a stored value, so that it fits on one line.
constexpr char kStoredCr = static_cast<char>(0x86);
constexpr char kStoredLf = static_cast<char>(0x7F);

char AsciiLower(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

bool EqualsNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (AsciiLower(a[i]) != AsciiLower(b[i])) return false;
    }
    return true;
}

bool HoldsLineBreak(std::string_view s) { return s.find_first_of("\r\n") != s.npos; }

// A key that would read back as something else: a section line, a key cut
// at its "=", or a line split in two.
bool IsWritableKey(std::string_view key) {
    return (key.empty() || key.front() != '[') && key.find('=') == key.npos && !HoldsLineBreak(key);
}

// A section name ends at its first "]" when read.
bool IsWritableSection(std::string_view section) {
    return section.find(']') == section.npos && !HoldsLineBreak(section);
}

// The stand-ins back into CR and LF. Text is held as UTF-8, where 0x86 is
// also a continuation byte ("\xC3\x86" is one letter): a 0x86 inside a
// well-formed sequence is that letter's, not a CR. 0x7F is ASCII and never
// part of a sequence.
std::string DecodeValue(std::string_view stored) {
    std::string value;
    value.reserve(stored.size());
    for (std::size_t i = 0; i < stored.size();) {
        const Utf8Piece piece = NextUtf8Piece(stored, i);
        if (piece.wellFormed && piece.length > 1) {
            value.append(stored.substr(i, piece.length));
            i += piece.length;
            continue;
        }
        char c = stored[i++];
        value += c == kStoredCr ? '\r' : c == kStoredLf ? '\n' : c;
    }
    return value;
}

// One pair of surrounding double quotes comes off; a lone quote leaves nothing.
std::string Unquote(std::string_view value) {
    if (!value.empty() && value.front() == '"' && value.back() == '"') {
        return value.size() == 1 ? std::string() : std::string(value.substr(1, value.size() - 2));
    }
    return std::string(value);
}

bool IsBlank(char c) { return c == ' ' || (c >= '\t' && c <= '\r'); }

std::int32_t ToInt32(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && IsBlank(text[i])) ++i;
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) negative = text[i++] == '-';
    // Accumulate in 64 bits and stop growing once past the 32-bit range, so
    // that any run of digits converts without overflow.
    constexpr std::int64_t kLimit = std::int64_t{std::numeric_limits<std::int32_t>::max()} + 1;
    std::int64_t magnitude = 0;
    for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
        if (magnitude < kLimit) magnitude = magnitude * 10 + (text[i] - '0');
    }
    if (magnitude > kLimit) magnitude = kLimit;
    std::int64_t value = negative ? -magnitude : magnitude;
    if (value > std::numeric_limits<std::int32_t>::max()) {
        value = std::numeric_limits<std::int32_t>::max();
    }
    return static_cast<std::int32_t>(value);
}

std::string FormatLong(long value) {
    char text[32];
    std::snprintf(text, sizeof text, "%ld", value);
    return text;
}

bool IsSectionEntry(const CProfileAccess::Entry& e) {
    return e.key == CProfileAccess::kSectionMarker;
}

}  // namespace

CProfileAccess::CProfileAccess(std::string path, bool load) : path_(std::move(path)) {
    if (!load) return;
    std::string text;
    int err = ReadSmallFile(path_, text);
    if (err == 0) {
        entries_ = Parse(text);
        RebuildLookup();
        loaded_ = true;
    } else if (err != ENOENT) {
        lastError_ = err;
        loadFailed_ = true;
    }
}

CProfileAccess::~CProfileAccess() {
    try {
        Flush();
    } catch (...) {
        // Nothing to report to from a destructor; the file stays as it was.
    }
}

std::vector<CProfileAccess::Entry> CProfileAccess::Parse(std::string_view text) {
    std::vector<Entry> entries;
    std::size_t pos = 0;
    while (pos < text.size()) {
        std::size_t end = text.find('\n', pos);
        std::string_view line = text.substr(pos, end == text.npos ? text.npos : end - pos);
        pos = end == text.npos ? text.size() : end + 1;
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (line.empty()) continue;

        if (line.front() == '[') {
            std::size_t close = line.find(']', 1);
            if (close != line.npos) {
                entries.push_back(
                    {std::string(kSectionMarker), std::string(line.substr(1, close - 1))});
            }
            continue;
        }
        std::size_t equals = line.find('=');
        if (equals == line.npos) continue;
        entries.push_back(
            {std::string(line.substr(0, equals)), DecodeValue(line.substr(equals + 1))});
    }
    return entries;
}

std::string CProfileAccess::Serialize(const std::vector<Entry>& entries) {
    std::string text;
    for (const Entry& e : entries) {
        if (IsSectionEntry(e)) {
            text += '[';
            text += e.value;
            text += ']';
        } else {
            text += e.key;
            text += '=';
            for (char c : e.value) {
                text += c == '\r' ? kStoredCr : c == '\n' ? kStoredLf : c;
            }
        }
        text += "\r\n";
    }
    return text;
}

void CProfileAccess::RebuildLookup() {
    lookup_.clear();
    std::string section;
    for (const Entry& e : entries_) {
        if (IsSectionEntry(e)) {
            section = e.value;
        } else {
            // A later line for the same key wins.
            lookup_[LookupKey(section, e.key)] = Unquote(e.value);
        }
    }
}

const std::string* CProfileAccess::Find(std::string_view section, std::string_view key) const {
    auto it = lookup_.find(LookupKey(section, key));
    return it == lookup_.end() ? nullptr : &it->second;
}

std::string CProfileAccess::GetString(std::string_view section, std::string_view key,
                                      std::string_view def) const {
    const std::string* value = Find(section, key);
    return value ? *value : std::string(def);
}

std::int32_t CProfileAccess::GetInt(std::string_view section, std::string_view key,
                                    std::int32_t def) const {
    const std::string* value = Find(section, key);
    return value ? ToInt32(*value) : def;
}

int CProfileAccess::GetBool(std::string_view section, std::string_view key, int def) const {
    const std::string* value = Find(section, key);
    return value ? (ToInt32(*value) != 0 ? 1 : 0) : def;
}

bool CProfileAccess::PutString(std::string_view section, std::string_view key,
                               std::string_view value, std::string_view def, bool flush) {
    if (!IsWritableSection(section) || !IsWritableKey(key)) return false;
    if (value == def) return RemoveKey(section, key, flush);
    std::string stored = quoting_ ? "\"" + std::string(value) + "\"" : std::string(value);
    return PutStored(section, key, std::move(stored), flush);
}

bool CProfileAccess::PutInt(std::string_view section, std::string_view key, long value, long def,
                            bool flush) {
    if (value == def) {
        if (!IsWritableSection(section) || !IsWritableKey(key)) return false;
        return RemoveKey(section, key, flush);
    }
    bool wasQuoting = quoting_;
    quoting_ = false;
    bool ok = PutString(section, key, FormatLong(value), FormatLong(def), flush);
    quoting_ = wasQuoting;
    return ok;
}

// The walks below treat the lines before the first section line as the
// section with the empty name, as the reader does.
bool CProfileAccess::PutStored(std::string_view section, std::string_view key, std::string stored,
                               bool flush) {
    bool inside = section.empty();
    bool found = inside;
    std::size_t endOfFirst = entries_.size();  // insertion point for a new key
    bool endKnown = false;
    std::vector<std::size_t> matches;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        const Entry& e = entries_[i];
        if (IsSectionEntry(e)) {
            bool match = EqualsNoCase(e.value, section);
            if (inside && !match && !endKnown) {
                endOfFirst = i;
                endKnown = true;
            }
            inside = match;
            found = found || match;
        } else if (inside && EqualsNoCase(e.key, key)) {
            matches.push_back(i);
        }
    }

    if (!matches.empty()) {
        // The first line takes the value. Later lines for the same key would
        // win when the file is read again, so they go.
        bool changed = entries_[matches.front()].value != stored;
        entries_[matches.front()].value = std::move(stored);
        for (std::size_t n = matches.size(); n-- > 1;) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(matches[n]));
            changed = true;
        }
        return changed ? Changed(flush) : true;
    }

    Entry line{std::string(key), std::move(stored)};
    if (!found) {
        entries_.push_back({std::string(kSectionMarker), std::string(section)});
        entries_.push_back(std::move(line));
    } else {
        entries_.insert(entries_.begin() + static_cast<std::ptrdiff_t>(endOfFirst),
                        std::move(line));
    }
    return Changed(flush);
}

bool CProfileAccess::RemoveKey(std::string_view section, std::string_view key, bool flush) {
    bool inside = section.empty();
    bool removed = false;
    for (std::size_t i = 0; i < entries_.size();) {
        const Entry& e = entries_[i];
        if (IsSectionEntry(e)) {
            inside = EqualsNoCase(e.value, section);
        } else if (inside && EqualsNoCase(e.key, key)) {
            entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
            removed = true;
            continue;
        }
        ++i;
    }
    // A removal is a change like any other: left unsaved, the old value
    // would come back on the next read of the file.
    return removed ? Changed(flush) : true;
}

bool CProfileAccess::Changed(bool flush) {
    dirty_ = true;
    RebuildLookup();
    return flush ? Flush() : true;
}

bool CProfileAccess::Clear(bool flush) {
    entries_.clear();
    lookup_.clear();
    dirty_ = true;
    loadFailed_ = false;  // the caller has chosen to replace what could not be read
    return flush ? Flush() : true;
}

bool CProfileAccess::Flush() {
    if (!dirty_) return true;
    // Writing now would replace a file that could not be read with whatever
    // few lines were added since; LastError() still holds the read's cause.
    if (loadFailed_) return false;
    if (int err = ReplaceFileContents(path_, Serialize(entries_))) {
        lastError_ = err;
        return false;
    }
    dirty_ = false;
    return true;
}

}  // namespace quenlix
