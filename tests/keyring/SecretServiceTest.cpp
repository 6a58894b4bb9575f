// The desktop keyring through the Secret Service. The round trips need a
// service: tests/keyring/with-secret-service.sh starts one of its own (ctest
// runs them so as "keyring_secret_service"); run alone they are skipped.
#include <gtest/gtest.h>

#include <cstdlib>
#include <sstream>

#include "cli/CliShell.h"
#include "cli/CommandLine.h"
#include "keyring/SecretServiceKeyring.h"

namespace quenlix {
namespace {

bool ServiceStarted() {
    const char* flag = std::getenv("QUENLIX_SECRET_SERVICE_TEST");
    return flag && std::string(flag) == "1";
}

#define REQUIRE_SECRET_SERVICE() \
    if (!ServiceStarted())       \
    GTEST_SKIP() << "needs a Secret Service: run through tests/keyring/with-secret-service.sh"

TEST(SecretService, StoresFindsAndRemovesByHostPortAndUser) {
    REQUIRE_SECRET_SERVICE();
    SecretServiceKeyring keyring;
    const KeyringAccount account{"As400.Example", 23, "jdoe"};
    // The longest password, with characters outside ASCII and blanks.
    std::string longest = "P\xC3\xA4ss w\xE2\x82\xAC";
    longest.resize(kMaxPasswordLength, 'x');
    KeyringAnswer stored = keyring.Store(account, longest);
    ASSERT_TRUE(stored.ok()) << stored.reason;
    KeyringAnswer found = keyring.Lookup({"as400.example", 23, "JDOE"});
    ASSERT_TRUE(found.ok()) << found.reason;
    EXPECT_EQ(found.password, longest);

    // Each part of the account counts.
    EXPECT_EQ(keyring.Lookup({"as400.example", 992, "JDOE"}).status, KeyringStatus::kNotFound);
    EXPECT_EQ(keyring.Lookup({"as400.example", 23, "QSECOFR"}).status, KeyringStatus::kNotFound);
    EXPECT_EQ(keyring.Lookup({"other.example", 23, "JDOE"}).status, KeyringStatus::kNotFound);

    // Storing again replaces; removing leaves nothing.
    ASSERT_TRUE(keyring.Store(account, "Second").ok());
    EXPECT_EQ(keyring.Lookup(account).password, "Second");
    EXPECT_TRUE(keyring.Remove(account).ok());
    EXPECT_EQ(keyring.Lookup(account).status, KeyringStatus::kNotFound);
    EXPECT_TRUE(keyring.Remove(account).ok()) << "removing nothing is no failure";
}

TEST(SecretService, TheCliTakesThePasswordFromTheKeyring) {
    REQUIRE_SECRET_SERVICE();
    SecretServiceKeyring keyring;
    const std::string password(kMaxPasswordLength, 'k');
    ASSERT_TRUE(keyring.Store({"127.0.0.1", 2323, "QUSER"}, password).ok());
    std::ostringstream out, err;
    cli::CliShell shell(out, QUENLIX_TABLE_DIR, "TESTPC");
    shell.SetKeyring(&keyring);
    const cli::CommandLine options = cli::ApplyCommandLine(
        {"--password-keyring", "--host", "127.0.0.1", "--port", "2323", "--user", "quser"}, shell,
        out, err, "test");
    EXPECT_EQ(options.exitStatus, -1) << err.str();
    EXPECT_EQ(shell.session().activeSettings.UserPassword, password);

    cli::CliShell other(out, QUENLIX_TABLE_DIR, "TESTPC");
    other.SetKeyring(&keyring);
    err.str("");
    EXPECT_EQ(
        cli::ApplyCommandLine({"--host", "127.0.0.1", "--user", "NOBODY", "--password-keyring"},
                              other, out, err, "test")
            .exitStatus,
        2);
    EXPECT_EQ(err.str(),
              "quenlix-telnet-cli: --password-keyring: the keyring holds no password for NOBODY "
              "on 127.0.0.1:23\n");
}

TEST(SecretService, WithoutASessionBusTheKeyringIsUnavailableAtOnce) {
    // Runs anywhere: the bus is hidden, so no service is reached.
    const char* names[] = {"DBUS_SESSION_BUS_ADDRESS", "XDG_RUNTIME_DIR"};
    std::string saved[2];
    bool had[2];
    for (int i = 0; i < 2; ++i) {
        const char* value = std::getenv(names[i]);
        had[i] = value != nullptr;
        if (value) saved[i] = value;
        ::unsetenv(names[i]);
    }
    SecretServiceKeyring keyring;
    const KeyringAccount account{"h", 23, "U"};
    for (const KeyringAnswer& answer :
         {keyring.Store(account, "pw"), keyring.Lookup(account), keyring.Remove(account)}) {
        EXPECT_EQ(answer.status, KeyringStatus::kUnavailable);
        EXPECT_EQ(answer.reason, "no D-Bus session bus (no desktop session)");
    }
    for (int i = 0; i < 2; ++i) {
        if (had[i]) ::setenv(names[i], saved[i].c_str(), 1);
    }
}

}  // namespace
}  // namespace quenlix
