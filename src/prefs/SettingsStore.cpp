// Stored-integer parsing and the in-memory store.
#include "prefs/SettingsStore.h"

namespace quenlix {

std::optional<std::uint32_t> ParseStoredInt(std::string_view text) {
    bool negative = false;
    if (!text.empty() && (text.front() == '+' || text.front() == '-')) {
        negative = text.front() == '-';
        text.remove_prefix(1);
    }
    // Ten digits cover 4294967295; more cannot be in range.
    if (text.empty() || text.size() > 10) return std::nullopt;
    std::uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') return std::nullopt;
        value = value * 10 + static_cast<unsigned>(c - '0');
    }
    if (negative) {
        if (value > 0x80000000u) return std::nullopt;
        return static_cast<std::uint32_t>(0x100000000ull - value);
    }
    if (value > 0xFFFFFFFFu) return std::nullopt;
    return static_cast<std::uint32_t>(value);
}

std::optional<MemorySettingsStore::Value> MemorySettingsStore::Find(std::string_view section,
                                                                    std::string_view name) const {
    auto s = sections_.find(section);
    if (s == sections_.end()) return std::nullopt;
    auto v = s->second.find(name);
    if (v == s->second.end()) return std::nullopt;
    return v->second;
}

std::uint32_t MemorySettingsStore::ReadInt(std::string_view section, std::string_view name,
                                           std::uint32_t def) const {
    std::optional<Value> v = Find(section, name);
    if (!v) return def;
    if (v->isInt) return v->number;
    return ParseStoredInt(v->text).value_or(def);
}

std::string MemorySettingsStore::ReadString(std::string_view section, std::string_view name,
                                            std::string_view def) const {
    std::optional<Value> v = Find(section, name);
    if (!v) return std::string(def);
    return v->isInt ? std::to_string(v->number) : v->text;
}

void MemorySettingsStore::WriteInt(std::string_view section, std::string_view name,
                                   std::uint32_t value) {
    auto& values = sections_[std::string(section)];
    values[std::string(name)] = Value{true, value, {}};
}

void MemorySettingsStore::WriteString(std::string_view section, std::string_view name,
                                      std::string_view value) {
    auto& values = sections_[std::string(section)];
    values[std::string(name)] = Value{false, 0, std::string(value)};
}

void MemorySettingsStore::Remove(std::string_view section, std::string_view name) {
    auto s = sections_.find(section);
    if (s == sections_.end()) return;
    auto v = s->second.find(name);
    if (v != s->second.end()) s->second.erase(v);
    if (s->second.empty()) sections_.erase(s);
}

std::vector<std::string> MemorySettingsStore::Keys(std::string_view section) const {
    std::vector<std::string> keys;
    auto s = sections_.find(section);
    if (s == sections_.end()) return keys;
    for (const auto& [name, value] : s->second) keys.push_back(name);
    return keys;
}

std::vector<std::string> MemorySettingsStore::Sections() const {
    std::vector<std::string> names;
    for (const auto& [name, values] : sections_) names.push_back(name);
    return names;
}

std::size_t MemorySettingsStore::ValueCount() const {
    std::size_t n = 0;
    for (const auto& [name, values] : sections_) n += values.size();
    return n;
}

}  // namespace quenlix
