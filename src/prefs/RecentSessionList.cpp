// Recent-session list rules.
#include "prefs/RecentSessionList.h"

#include <algorithm>

namespace quenlix {

namespace {

bool EqualIgnoringCase(std::string_view a, std::string_view b) {
    auto lower = [](unsigned char c) { return c >= 'A' && c <= 'Z' ? c + ('a' - 'A') : c; };
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [&](char x, char y) {
               return lower(static_cast<unsigned char>(x)) == lower(static_cast<unsigned char>(y));
           });
}

bool IsSeparator(char c) {
#ifdef _WIN32
    return c == '/' || c == '\\';
#else
    return c == '/';
#endif
}

std::string_view TrimTrailingSeparators(std::string_view folder) {
    // The root folder keeps its one separator.
    while (folder.size() > 1 && IsSeparator(folder.back())) folder.remove_suffix(1);
    return folder;
}

std::string FileValueName(std::size_t number) { return "File" + std::to_string(number); }

}  // namespace

void RecentSessionList::Remember(bool added, std::string_view path) {
    std::erase_if(changes_, [path](const Change& c) { return EqualIgnoringCase(c.path, path); });
    if (changes_.size() == kMaxRememberedChanges) changes_.erase(changes_.begin());
    changes_.push_back({added, std::string(path)});
}

void RecentSessionList::Remove(std::string_view path) {
    const auto same = std::find_if(entries_.begin(), entries_.end(), [path](const std::string& e) {
        return EqualIgnoringCase(e, path);
    });
    if (same == entries_.end()) return;
    entries_.erase(same);
    Remember(false, path);
}

void RecentSessionList::Add(std::string_view path) {
    if (path.empty()) return;
    Remember(true, path);
    auto same = std::find_if(entries_.begin(), entries_.end(),
                             [path](const std::string& e) { return EqualIgnoringCase(e, path); });
    if (same != entries_.end()) {
        entries_.erase(same);
    } else if (entries_.size() == kCapacity) {
        entries_.pop_back();
    }
    entries_.insert(entries_.begin(), std::string(path));
}

void RecentSessionList::Load(const SettingsStore& store) {
    entries_.clear();
    changes_.clear();
    for (std::size_t n = 1; n <= kCapacity; ++n) {
        std::string path = store.ReadString(kRecentSection, FileValueName(n), "");
        if (path.empty()) continue;
        bool repeated = std::any_of(entries_.begin(), entries_.end(), [&](const std::string& e) {
            return EqualIgnoringCase(e, path);
        });
        if (!repeated) entries_.push_back(std::move(path));
    }
}

void RecentSessionList::Save(SettingsStore& store) const {
    for (const std::string& key : store.Keys(kRecentSection)) store.Remove(kRecentSection, key);
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        store.WriteString(kRecentSection, FileValueName(i + 1), entries_[i]);
    }
}

void RecentSessionList::MergeInto(SettingsStore& store) const {
    RecentSessionList stored;
    stored.Load(store);
    for (const Change& c : changes_) {
        if (c.added) {
            stored.Add(c.path);
        } else {
            stored.Remove(c.path);
        }
    }
    stored.Save(store);
}

std::vector<std::string> RecentSessionList::MenuLabels(std::string_view currentFolder) const {
    std::vector<std::string> labels;
    for (std::size_t i = 0; i < entries_.size(); ++i) {
        labels.push_back("&" + std::to_string(i + 1) + " " +
                         EscapeMnemonics(ShortenToCurrentFolder(entries_[i], currentFolder)));
    }
    return labels;
}

std::string EscapeMnemonics(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        out += c;
        if (c == '&') out += '&';
    }
    return out;
}

std::string ShortenToCurrentFolder(std::string_view path, std::string_view currentFolder) {
    std::size_t cut = path.size();
    while (cut > 0 && !IsSeparator(path[cut - 1])) --cut;
    if (cut == 0 || cut == path.size() || currentFolder.empty()) return std::string(path);
    std::string_view folder = TrimTrailingSeparators(path.substr(0, cut));
    if (folder != TrimTrailingSeparators(currentFolder)) return std::string(path);
    return std::string(path.substr(cut));
}

}  // namespace quenlix
