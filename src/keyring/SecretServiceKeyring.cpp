// Secret Service calls through libsecret's synchronous password functions.
#include "keyring/SecretServiceKeyring.h"

#include <libsecret/secret.h>
#include <sys/stat.h>

#include <string.h>

#include <cstdlib>
#include <string>

namespace quenlix {

namespace {

const SecretSchema* Schema() {
    // Value-initialised first: the attribute list ends at the first unnamed
    // entry, and the reserved members stay zero.
    static const SecretSchema schema = [] {
        SecretSchema s{};
        s.name = SecretServiceKeyring::kSchemaName;
        s.flags = SECRET_SCHEMA_NONE;
        s.attributes[0] = {"host", SECRET_SCHEMA_ATTRIBUTE_STRING};
        s.attributes[1] = {"port", SECRET_SCHEMA_ATTRIBUTE_INTEGER};
        s.attributes[2] = {"user", SECRET_SCHEMA_ATTRIBUTE_STRING};
        return s;
    }();
    return &schema;
}

// Without a session bus GLib would try to start one (X11 autolaunch); a
// keyring that is not there is answered at once instead.
bool SessionBusKnown() {
    const char* address = std::getenv("DBUS_SESSION_BUS_ADDRESS");
    if (address && *address) return true;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (!runtime || !*runtime) return false;
    struct stat info {};
    return ::stat((std::string(runtime) + "/bus").c_str(), &info) == 0 && S_ISSOCK(info.st_mode);
}

KeyringAnswer NoBus() {
    return {KeyringStatus::kUnavailable, {}, "no D-Bus session bus (no desktop session)"};
}

// Takes the error: its words for the operator, then frees it.
KeyringAnswer Failed(GError* error) {
    KeyringAnswer answer{KeyringStatus::kUnavailable, {}, "the keyring refused"};
    if (error) {
        if (error->message && *error->message) answer.reason = error->message;
        g_error_free(error);
    }
    return answer;
}

}  // namespace

KeyringAnswer SecretServiceKeyring::Store(const KeyringAccount& account,
                                          std::string_view password) {
    if (!SessionBusKnown()) return NoBus();
    const KeyringAccount n = account.Normalised();
    const std::string label = KeyringLabel(n);
    // The secret is text: libsecret takes it up to its first NUL.
    std::string secret(password);
    GError* error = nullptr;
    const gboolean stored = secret_password_store_sync(
        Schema(), SECRET_COLLECTION_DEFAULT, label.c_str(), secret.c_str(), nullptr, &error, "host",
        n.host.c_str(), "port", static_cast<gint>(n.port), "user", n.user.c_str(),
        static_cast<const char*>(nullptr));
    explicit_bzero(secret.data(), secret.size());
    if (!stored || error) return Failed(error);
    return {KeyringStatus::kOk, {}, {}};
}

KeyringAnswer SecretServiceKeyring::Lookup(const KeyringAccount& account) {
    if (!SessionBusKnown()) return NoBus();
    const KeyringAccount n = account.Normalised();
    GError* error = nullptr;
    // Non-pageable memory, overwritten when freed.
    gchar* found = secret_password_lookup_nonpageable_sync(
        Schema(), nullptr, &error, "host", n.host.c_str(), "port", static_cast<gint>(n.port),
        "user", n.user.c_str(), static_cast<const char*>(nullptr));
    if (error) {
        if (found) secret_password_free(found);
        return Failed(error);
    }
    if (!found) return {KeyringStatus::kNotFound, {}, {}};
    KeyringAnswer answer{KeyringStatus::kOk, found, {}};
    secret_password_free(found);
    return answer;
}

KeyringAnswer SecretServiceKeyring::Remove(const KeyringAccount& account) {
    if (!SessionBusKnown()) return NoBus();
    const KeyringAccount n = account.Normalised();
    GError* error = nullptr;
    secret_password_clear_sync(Schema(), nullptr, &error, "host", n.host.c_str(), "port",
                               static_cast<gint>(n.port), "user", n.user.c_str(),
                               static_cast<const char*>(nullptr));
    if (error) return Failed(error);
    return {KeyringStatus::kOk, {}, {}};
}

}  // namespace quenlix
