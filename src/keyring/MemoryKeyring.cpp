// The in-memory keyring.
#include "keyring/MemoryKeyring.h"

namespace quenlix {

MemoryKeyring::Key MemoryKeyring::KeyOf(const KeyringAccount& account) {
    const KeyringAccount n = account.Normalised();
    return {n.host, n.port, n.user};
}

KeyringAnswer MemoryKeyring::Store(const KeyringAccount& account, std::string_view password) {
    ++calls;
    if (unavailable) return {KeyringStatus::kUnavailable, {}, "the keyring is locked"};
    entries_[KeyOf(account)] = std::string(password);
    return {KeyringStatus::kOk, {}, {}};
}

KeyringAnswer MemoryKeyring::Lookup(const KeyringAccount& account) {
    ++calls;
    if (unavailable) return {KeyringStatus::kUnavailable, {}, "the keyring is locked"};
    const auto it = entries_.find(KeyOf(account));
    if (it == entries_.end()) return {KeyringStatus::kNotFound, {}, {}};
    return {KeyringStatus::kOk, it->second, {}};
}

KeyringAnswer MemoryKeyring::Remove(const KeyringAccount& account) {
    ++calls;
    if (unavailable) return {KeyringStatus::kUnavailable, {}, "the keyring is locked"};
    entries_.erase(KeyOf(account));
    return {KeyringStatus::kOk, {}, {}};
}

}  // namespace quenlix
