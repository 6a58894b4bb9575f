// Where sign-on passwords are kept outside session files: a keyring that
// stores, finds and removes one password per host account.
#pragma once

#include <string>
#include <string_view>

namespace quenlix {

/// The account a password belongs to. The host name is matched without
/// regard to case, the user as IBM i names profiles (upper case), so a
/// session typed "as400.example" / "jdoe" finds what "AS400.EXAMPLE" /
/// "JDOE" stored.
struct KeyringAccount {
    std::string host;
    int port = 0;
    std::string user;

    /// The same account with the host in lower case and the user in upper
    /// case (ASCII letters only; other bytes are kept).
    KeyringAccount Normalised() const;
    friend bool operator==(const KeyringAccount& a, const KeyringAccount& b) {
        const KeyringAccount x = a.Normalised(), y = b.Normalised();
        return x.host == y.host && x.port == y.port && x.user == y.user;
    }
};

/// The label a keyring manager shows for the account's password, for
/// example "Quenlix Telnet sign-on: JDOE on as400.example:23".
std::string KeyringLabel(const KeyringAccount& account);
/// "JDOE on as400.example:23", for the operator's messages.
std::string AccountWords(const KeyringAccount& account);

enum class KeyringStatus {
    kOk,
    kNotFound,     ///< the keyring answered: it holds nothing for the account
    kUnavailable,  ///< no keyring: no session bus, no service, locked and no prompt, refused
};

/// A keyring's answer. `password` is set only by a successful lookup;
/// `reason` says, for the operator, why the keyring could not help.
struct KeyringAnswer {
    KeyringStatus status = KeyringStatus::kUnavailable;
    std::string password;
    std::string reason;

    bool ok() const { return status == KeyringStatus::kOk; }
};

/// A store of sign-on passwords. Calls may block while the keyring asks the
/// operator to unlock it.
class PasswordKeyring {
public:
    virtual ~PasswordKeyring() = default;
    /// Stores (or replaces) the account's password; kOk or kUnavailable.
    virtual KeyringAnswer Store(const KeyringAccount& account, std::string_view password) = 0;
    /// The account's password: kOk with it, kNotFound, or kUnavailable.
    virtual KeyringAnswer Lookup(const KeyringAccount& account) = 0;
    /// Removes the account's password: kOk (also when there was none) or
    /// kUnavailable.
    virtual KeyringAnswer Remove(const KeyringAccount& account) = 0;
};

/// The keyring of a machine without one: every call is kUnavailable.
class NoKeyring : public PasswordKeyring {
public:
    KeyringAnswer Store(const KeyringAccount&, std::string_view) override { return Answer(); }
    KeyringAnswer Lookup(const KeyringAccount&) override { return Answer(); }
    KeyringAnswer Remove(const KeyringAccount&) override { return Answer(); }

private:
    static KeyringAnswer Answer() {
        return {KeyringStatus::kUnavailable, {}, "this program has no keyring"};
    }
};

}  // namespace quenlix
