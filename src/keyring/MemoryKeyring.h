// A keyring held in memory: the double the tests and front ends without a
// desktop keyring use. It forgets everything when destroyed.
#pragma once

#include <map>
#include <string>
#include <tuple>

#include "keyring/PasswordKeyring.h"

namespace quenlix {

class MemoryKeyring : public PasswordKeyring {
public:
    KeyringAnswer Store(const KeyringAccount& account, std::string_view password) override;
    KeyringAnswer Lookup(const KeyringAccount& account) override;
    KeyringAnswer Remove(const KeyringAccount& account) override;

    /// When true, every call answers kUnavailable (a locked keyring, no bus).
    bool unavailable = false;
    /// Calls made, for tests that check the keyring was (not) asked.
    int calls = 0;
    std::size_t size() const { return entries_.size(); }

private:
    using Key = std::tuple<std::string, int, std::string>;
    static Key KeyOf(const KeyringAccount& account);
    std::map<Key, std::string> entries_;
};

}  // namespace quenlix
