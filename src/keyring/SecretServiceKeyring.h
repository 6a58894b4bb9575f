// The desktop keyring through the freedesktop Secret Service (GNOME Keyring,
// KWallet's service, KeePassXC...), reached over the D-Bus session bus with
// libsecret. Both front ends use it: the desktop program and the CLI's
// --password-keyring.
#pragma once

#include "keyring/PasswordKeyring.h"

namespace quenlix {

/// Passwords are items of the schema "com.quenlix.Telnet.SignOn" with the
/// attributes "host" (lower case), "port" and "user" (upper case), in the
/// default collection (the login keyring), labelled by KeyringLabel. Without
/// a session bus, with no Secret Service on it, with the collection locked
/// and no prompt possible or the prompt dismissed, calls are kUnavailable
/// with the service's words as the reason; nothing is ever written anywhere
/// else.
class SecretServiceKeyring : public PasswordKeyring {
public:
    /// The schema's name, as keyring managers and secret-tool show it.
    static constexpr const char* kSchemaName = "com.quenlix.Telnet.SignOn";

    KeyringAnswer Store(const KeyringAccount& account, std::string_view password) override;
    KeyringAnswer Lookup(const KeyringAccount& account) override;
    KeyringAnswer Remove(const KeyringAccount& account) override;
};

}  // namespace quenlix
