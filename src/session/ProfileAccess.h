// The INI file engine: a small sectioned key=value file held in memory as an
// ordered list of entries, read through a lookup table and rewritten whole.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace quenlix {

/// Reads and writes one INI-style file. One object serves one read or one
/// write of a file: construct (loading it), read; or construct, Clear, write,
/// Flush. Unsaved changes are flushed on destruction.
///
/// File syntax. Lines end with CR LF (a lone LF is accepted). "[name]" starts
/// a section; text after the first "]" is ignored, a "[" line without "]" is
/// ignored. "key=value" is a key line: the key is everything before the first
/// "=", the value everything after it, nothing trimmed. One pair of
/// surrounding double quotes is removed from a value when read. In values the
/// byte 0x86 stands for CR and 0x7F for LF, so a multi-line value is stored
/// on one line; a 0x86 that belongs to a well-formed UTF-8 sequence is left
/// as it is, since text is held as UTF-8 and 0x86 is a common continuation
/// byte there (so a CR written right after the start of such a sequence, in
/// text that is not UTF-8, reads back as 0x86). Key lines before the first
/// section belong to the section with the empty name. Empty lines and lines
/// without "=" are dropped; there is no comment syntax. Bytes are taken as
/// they are (no character set conversion).
///
/// Names. Reads match section and key names exactly, case included; writes
/// match them without regard to (ASCII) case.
class CProfileAccess {
public:
    /// One line of the file in file order. A section line is the entry
    /// (kSectionMarker, section name); a key line is (key, stored value), the
    /// stored value being the text after "=" with its quotes still on and the
    /// line-break stand-ins already turned into CR and LF.
    struct Entry {
        std::string key;
        std::string value;
        friend bool operator==(const Entry&, const Entry&) = default;
    };

    /// Key of the entry that marks a section line.
    static constexpr std::string_view kSectionMarker = "[]";

    /// Stores the path; with `load` set reads the file. A missing file is not
    /// an error. A file that cannot be read (or is larger than a session file
    /// can sensibly be) leaves the object empty with LastError() set, and
    /// such an object refuses to Flush until Clear says the old contents may
    /// be dropped, so that a file it could not read is never overwritten with
    /// a fragment.
    CProfileAccess(std::string path, bool load);
    /// Flushes unsaved changes; a failure is not reported.
    virtual ~CProfileAccess();

    CProfileAccess(const CProfileAccess&) = delete;
    CProfileAccess& operator=(const CProfileAccess&) = delete;

    /// The value stored under section and key, or `def` when there is none.
    std::string GetString(std::string_view section, std::string_view key,
                          std::string_view def) const;
    /// The value as a decimal number: leading white space skipped, optional
    /// sign, digits up to the first other character, no digits giving 0;
    /// saturated to the 32-bit range. `def` when there is no value.
    std::int32_t GetInt(std::string_view section, std::string_view key, std::int32_t def) const;
    /// 1 when GetInt's conversion of the value is not 0, else 0; `def` when
    /// there is no value.
    int GetBool(std::string_view section, std::string_view key, int def) const;

    /// Stores `value` (written inside double quotes). A value equal to `def`
    /// (exactly, case included) is not stored: an existing line for the key is
    /// removed instead. Otherwise the first line for the key in a section of
    /// that name gets the value (later lines for the same key, which would
    /// shadow it on reading, are dropped), or a new line is added at the end
    /// of the first section of that name, or a new section with the line at
    /// the end of the file. A write that changes nothing does not mark the
    /// object changed and does not flush. With `flush` set and a change made,
    /// returns Flush's result; otherwise true. Returns false, changing
    /// nothing, for a name the file syntax cannot hold (a key beginning with
    /// "[" or holding "=", a section holding "]", either holding CR or LF).
    bool PutString(std::string_view section, std::string_view key, std::string_view value,
                   std::string_view def, bool flush);
    /// As PutString, with the numbers written in decimal without quotes.
    bool PutInt(std::string_view section, std::string_view key, long value, long def, bool flush);

    /// Drops every entry and marks the object changed; with `flush` set
    /// returns Flush's result, otherwise true.
    bool Clear(bool flush);

    /// Writes the entries to the file when there are unsaved changes. The new
    /// contents replace the file only once completely written; on failure
    /// the old file is untouched, the changes stay unsaved, LastError() holds
    /// the cause and the result is false.
    bool Flush();

    /// errno cause of the last failed read or write; 0 until one fails.
    int LastError() const { return lastError_; }
    /// True when the constructor read the file (false for a missing one).
    bool Loaded() const { return loaded_; }
    /// True while the entries differ from the file.
    bool IsDirty() const { return dirty_; }
    const std::string& Path() const { return path_; }
    const std::vector<Entry>& Entries() const { return entries_; }

    /// The bytes Flush writes for `entries`: one CR LF line per entry.
    static std::string Serialize(const std::vector<Entry>& entries);
    /// The entries of file contents `text`, by the rules above.
    static std::vector<Entry> Parse(std::string_view text);

private:
    using LookupKey = std::pair<std::string, std::string>;  // (section, key)

    bool PutStored(std::string_view section, std::string_view key, std::string stored, bool flush);
    bool RemoveKey(std::string_view section, std::string_view key, bool flush);
    bool Changed(bool flush);
    void RebuildLookup();
    const std::string* Find(std::string_view section, std::string_view key) const;

    std::string path_;
    std::vector<Entry> entries_;
    // Values as reads see them, quotes removed. Kept in step with the entries
    // on every change, so a read after a write answers what a reload of the
    // flushed file would.
    std::map<LookupKey, std::string> lookup_;
    bool dirty_ = false;
    bool quoting_ = true;      // string values are written inside double quotes
    bool loaded_ = false;      // the file was read at construction
    bool loadFailed_ = false;  // the file exists but could not be read
    int lastError_ = 0;
};

}  // namespace quenlix
