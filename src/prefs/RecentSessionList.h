// The recent-session list: the last session files opened or saved, most
// recent first, shown in the File menu's "Recent Sessions" submenu and kept
// in the store between runs.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

#include "prefs/SettingsStore.h"

namespace quenlix {

/// Section of the list; its values are "File1" (most recent) to "File4".
inline constexpr std::string_view kRecentSection = "MRU";

class RecentSessionList {
public:
    static constexpr std::size_t kCapacity = 4;

    /// The entries, most recent first; at most kCapacity, none empty, no two
    /// equal without regard to ASCII case.
    const std::vector<std::string>& entries() const { return entries_; }
    bool empty() const { return entries_.empty(); }

    /// Puts the path at the top. An entry equal to it without regard to case
    /// is removed first; otherwise the oldest entry falls off a full list.
    /// An empty path is ignored.
    void Add(std::string_view path);
    /// Takes the entry equal to the path without regard to case off the list.
    void Remove(std::string_view path);

    /// Replaces the entries with "File1" to "File4" of "MRU". Empty values
    /// and repeats of an earlier entry are skipped. The changes remembered
    /// for MergeInto start afresh.
    void Load(const SettingsStore& store);
    /// Replaces the section's values with the entries as "File1" onward;
    /// nothing is written for a missing entry, and values of an earlier
    /// longer list do not linger.
    void Save(SettingsStore& store) const;
    /// Stores this list's own changes over the list the store holds now,
    /// which another program may have changed since Load: the stored list,
    /// with the paths this one added and removed since Load added and
    /// removed again in the same order, is saved. The list itself is not
    /// changed.
    void MergeInto(SettingsStore& store) const;

    /// Changes remembered for MergeInto. Only the latest change of each path
    /// counts, and a list holds at most kCapacity entries, so older changes
    /// beyond this many are forgotten.
    static constexpr std::size_t kMaxRememberedChanges = 4 * kCapacity;

    /// The submenu's item texts in order: "&1 " to "&4 " and the path, only
    /// the file name when the path's folder is `currentFolder`, every "&" of
    /// the path doubled so it is shown rather than taken as a mnemonic.
    std::vector<std::string> MenuLabels(std::string_view currentFolder) const;

private:
    struct Change {
        bool added;  ///< false: removed
        std::string path;
    };
    void Remember(bool added, std::string_view path);

    std::vector<std::string> entries_;
    std::vector<Change> changes_;  ///< since Load, oldest first
};

/// Text with every "&" doubled.
std::string EscapeMnemonics(std::string_view text);

/// The path as the recent list shows it: the file name alone when the
/// path's folder is `currentFolder` (a trailing separator on either is
/// ignored), the whole path otherwise.
std::string ShortenToCurrentFolder(std::string_view path, std::string_view currentFolder);

}  // namespace quenlix
