// The rules between a session and its password, over the in-memory keyring.
#include <gtest/gtest.h>

#include "keyring/MemoryKeyring.h"
#include "keyring/SessionPasswords.h"

namespace quenlix {
namespace {

SessionSettings Session(std::string password, PasswordStorage storage) {
    SessionSettings s;
    s.IP = "as400.example";
    s.Port = 23;
    s.UserID = "JDOE";
    s.AutoConnection = 1;
    s.UserPassword = std::move(password);
    s.PasswordStore = storage;
    return s;
}

const KeyringAccount kJdoe{"as400.example", 23, "JDOE"};

TEST(KeyringAccount, HostAndUserMatchAsTheHostNamesThem) {
    EXPECT_EQ((KeyringAccount{"AS400.Example", 23, "jdoe"}), kJdoe);
    EXPECT_FALSE((KeyringAccount{"as400.example", 992, "JDOE"}) == kJdoe);
    EXPECT_FALSE((KeyringAccount{"as400.example", 23, "JDOE2"}) == kJdoe);
    EXPECT_EQ(KeyringLabel({"AS400.Example", 23, "jdoe"}),
              "Quenlix Telnet sign-on: JDOE on as400.example:23");
    MemoryKeyring keyring;
    keyring.Store({"AS400.EXAMPLE", 23, "jdoe"}, "pw");
    EXPECT_EQ(keyring.Lookup(kJdoe).password, "pw");
}

TEST(SessionPasswords, PropertiesStoreATypedPasswordOfAnyLength) {
    MemoryKeyring keyring;
    const SessionSettings before = Session("", PasswordStorage::kNone);
    const std::string longest(kMaxPasswordLength, 'p');
    for (const std::string& typed :
         {std::string("Secret"), longest, std::string("P\xC3\xA4ss w")}) {
        SCOPED_TRACE(typed.size());
        SessionSettings edited = Session(typed, PasswordStorage::kNone);
        EXPECT_EQ(KeepEditedPassword(keyring, before, edited), "");
        EXPECT_EQ(edited.PasswordStore, PasswordStorage::kKeyring);
        EXPECT_EQ(keyring.Lookup(kJdoe).password, typed);
    }
}

TEST(SessionPasswords, PropertiesLeaveAnUnchangedPasswordAlone) {
    MemoryKeyring keyring;
    // Shown from the keyring and not touched; or not shown (no keyring) and
    // left empty: the keyring is not asked and the session still names it.
    for (const char* shown : {"Secret", ""}) {
        SCOPED_TRACE(shown);
        const SessionSettings before = Session(shown, PasswordStorage::kKeyring);
        SessionSettings edited = before;
        edited.Menu = "MAIN";
        EXPECT_EQ(KeepEditedPassword(keyring, before, edited), "");
        EXPECT_EQ(edited.PasswordStore, PasswordStorage::kKeyring);
    }
    // An older file's password is moved by the save, after the question.
    const SessionSettings older = Session("OLDPW", PasswordStorage::kOlderSessionFile);
    SessionSettings edited = older;
    edited.Port = 2323;
    EXPECT_EQ(KeepEditedPassword(keyring, older, edited), "");
    EXPECT_EQ(edited.PasswordStore, PasswordStorage::kOlderSessionFile);
    EXPECT_EQ(keyring.calls, 0);
}

TEST(SessionPasswords, AClearedPasswordLeavesTheKeyringAndTheSession) {
    MemoryKeyring keyring;
    keyring.Store(kJdoe, "Secret");
    const SessionSettings before = Session("Secret", PasswordStorage::kKeyring);
    SessionSettings edited = Session("", PasswordStorage::kKeyring);
    EXPECT_EQ(KeepEditedPassword(keyring, before, edited), "");
    EXPECT_EQ(edited.PasswordStore, PasswordStorage::kNone);
    EXPECT_EQ(keyring.Lookup(kJdoe).status, KeyringStatus::kNotFound);
}

TEST(SessionPasswords, AnotherAccountTakesThePasswordWithIt) {
    MemoryKeyring keyring;
    const SessionSettings before = Session("Secret", PasswordStorage::kKeyring);
    SessionSettings edited = before;
    edited.UserID = "QSECOFR";
    EXPECT_EQ(KeepEditedPassword(keyring, before, edited), "");
    EXPECT_EQ(keyring.Lookup({"as400.example", 23, "QSECOFR"}).password, "Secret");
}

TEST(SessionPasswords, WithoutAKeyringThePasswordStaysInMemoryAndTheFileSaysKeyring) {
    MemoryKeyring keyring;
    keyring.unavailable = true;
    SessionSettings edited = Session("Secret", PasswordStorage::kNone);
    const std::string problem =
        KeepEditedPassword(keyring, Session("", PasswordStorage::kNone), edited);
    EXPECT_NE(problem.find("could not be stored in the desktop keyring (the keyring is locked)"),
              std::string::npos)
        << problem;
    EXPECT_NE(problem.find("kept for this session only"), std::string::npos);
    EXPECT_EQ(edited.UserPassword, "Secret");
    EXPECT_EQ(edited.PasswordStore, PasswordStorage::kKeyring) << "a later connection asks";
}

TEST(SessionPasswords, AConnectionFetchesOnlyWhatItNeeds) {
    SessionSettings s = Session("", PasswordStorage::kKeyring);
    EXPECT_TRUE(PasswordToFetch(s));
    SessionSettings other = s;
    other.AutoConnection = 0;
    EXPECT_FALSE(PasswordToFetch(other));
    other = s;
    other.UserID.clear();
    EXPECT_FALSE(PasswordToFetch(other));
    other = s;
    other.UserPassword = "known";
    EXPECT_FALSE(PasswordToFetch(other));
    other = s;
    other.PasswordStore = PasswordStorage::kNone;
    EXPECT_FALSE(PasswordToFetch(other));

    MemoryKeyring keyring;
    KeyringAnswer answer = FetchPassword(keyring, s);
    EXPECT_EQ(answer.status, KeyringStatus::kNotFound);
    EXPECT_NE(PasswordQuestion(s, answer).find("holds no password for this session"),
              std::string::npos);
    keyring.Store(kJdoe, "");
    EXPECT_EQ(FetchPassword(keyring, s).status, KeyringStatus::kNotFound) << "an empty secret";
    keyring.Store(kJdoe, "Secret");
    EXPECT_TRUE(FetchPassword(keyring, s).ok());
    EXPECT_EQ(s.UserPassword, "Secret");

    keyring.unavailable = true;
    SessionSettings locked = Session("", PasswordStorage::kKeyring);
    answer = FetchPassword(keyring, locked);
    EXPECT_EQ(answer.status, KeyringStatus::kUnavailable);
    EXPECT_EQ(locked.UserPassword, "");
    EXPECT_EQ(PasswordQuestion(locked, answer),
              "Password for JDOE on as400.example:23\nThe desktop keyring is not available (the "
              "keyring is locked). The password you enter is kept for this session only.");
}

TEST(SessionPasswords, AnOlderFilesPasswordMovesOnlyWhenTheKeyringTakesIt) {
    MemoryKeyring keyring;
    keyring.unavailable = true;
    SessionSettings s = Session("OLDPW", PasswordStorage::kOlderSessionFile);
    const KeyringAnswer failed = MoveOlderPassword(keyring, s);
    EXPECT_FALSE(failed.ok());
    EXPECT_EQ(s.PasswordStore, PasswordStorage::kOlderSessionFile);
    EXPECT_NE(MoveFailedText(failed).find("was not saved"), std::string::npos);
    keyring.unavailable = false;
    EXPECT_TRUE(MoveOlderPassword(keyring, s).ok());
    EXPECT_EQ(s.PasswordStore, PasswordStorage::kKeyring);
    EXPECT_EQ(keyring.Lookup(kJdoe).password, "OLDPW");
    EXPECT_NE(MovePasswordQuestion(s).find("JDOE on as400.example:23"), std::string::npos);
}

}  // namespace
}  // namespace quenlix
