// Account names and labels shared by every keyring.
#include "keyring/PasswordKeyring.h"

namespace quenlix {

KeyringAccount KeyringAccount::Normalised() const {
    KeyringAccount n = *this;
    for (char& c : n.host) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    for (char& c : n.user) {
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    }
    return n;
}

std::string AccountWords(const KeyringAccount& account) {
    const KeyringAccount n = account.Normalised();
    return n.user + " on " + n.host + ":" + std::to_string(n.port);
}

std::string KeyringLabel(const KeyringAccount& account) {
    return "Quenlix Telnet sign-on: " + AccountWords(account);
}

}  // namespace quenlix
