// The session password rules.
#include "keyring/SessionPasswords.h"

#include <string.h>

namespace quenlix {

KeyringAccount AccountOf(const SessionSettings& session) {
    return {session.IP, session.Port, session.UserID};
}

bool PasswordToFetch(const SessionSettings& session) {
    return session.AutoConnection != 0 && !session.UserID.empty() &&
           session.PasswordStore == PasswordStorage::kKeyring && session.UserPassword.empty();
}

KeyringAnswer FetchPassword(PasswordKeyring& keyring, SessionSettings& session) {
    KeyringAnswer answer = keyring.Lookup(AccountOf(session));
    // An empty stored secret is no password: asking is better than sending none.
    if (answer.ok() && answer.password.empty()) answer.status = KeyringStatus::kNotFound;
    if (!answer.ok()) return answer;
    session.UserPassword = answer.password;
    // One copy is enough: the answer's is overwritten before it is dropped.
    explicit_bzero(answer.password.data(), answer.password.size());
    answer.password.clear();
    return answer;
}

std::string PasswordQuestion(const SessionSettings& session, const KeyringAnswer& why) {
    std::string text = "Password for " + AccountWords(AccountOf(session)) + "\n";
    if (why.status == KeyringStatus::kNotFound) {
        text += "The desktop keyring holds no password for this session.";
    } else {
        text += "The desktop keyring is not available";
        if (!why.reason.empty()) text += " (" + why.reason + ")";
        text += ".";
    }
    text += " The password you enter is kept for this session only.";
    return text;
}

std::string KeepEditedPassword(PasswordKeyring& keyring, const SessionSettings& before,
                               SessionSettings& edited) {
    const bool passwordChanged = edited.UserPassword != before.UserPassword;
    const bool accountChanged = !(AccountOf(edited) == AccountOf(before));
    if (edited.UserPassword.empty()) {
        if (!passwordChanged) return {};  // nothing shown, nothing typed: as it was
        if (before.PasswordStore == PasswordStorage::kKeyring) {
            // Best effort: a keyring that cannot be reached keeps an entry no
            // session names any more.
            keyring.Remove(AccountOf(before));
        }
        edited.PasswordStore = PasswordStorage::kNone;
        return {};
    }
    if (!passwordChanged &&
        !(accountChanged && edited.PasswordStore == PasswordStorage::kKeyring)) {
        return {};
    }
    edited.PasswordStore = PasswordStorage::kKeyring;
    const KeyringAnswer answer = keyring.Store(AccountOf(edited), edited.UserPassword);
    if (answer.ok()) return {};
    std::string text = "The password could not be stored in the desktop keyring";
    if (!answer.reason.empty()) text += " (" + answer.reason + ")";
    text +=
        ". It is kept for this session only; a later connection will ask for it. The session "
        "file never holds it.";
    return text;
}

KeyringAnswer MoveOlderPassword(PasswordKeyring& keyring, SessionSettings& session) {
    KeyringAnswer answer = keyring.Store(AccountOf(session), session.UserPassword);
    if (answer.ok()) session.PasswordStore = PasswordStorage::kKeyring;
    return answer;
}

std::string MovePasswordQuestion(const SessionSettings& session) {
    return "This session file holds the password of " + AccountWords(AccountOf(session)) +
           " in an old form that is easily read back.\n"
           "Move it to the desktop keyring? The file is then saved without it.\n"
           "No: save the file without the password (it is kept for this session only).";
}

std::string MoveFailedText(const KeyringAnswer& why) {
    std::string text = "The password could not be moved to the desktop keyring";
    if (!why.reason.empty()) text += " (" + why.reason + ")";
    text += ". The session file was not saved and keeps its password as it was.";
    return text;
}

}  // namespace quenlix
