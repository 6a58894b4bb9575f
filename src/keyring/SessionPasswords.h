// What a session's password has to do with the keyring: which account it
// belongs to, when a connection must fetch it, what Session Properties and
// a save of an older file do with it, and the operator's words for each.
// The front ends ask the questions; these rules decide.
#pragma once

#include <string>

#include "keyring/PasswordKeyring.h"
#include "session/SessionSettings.h"

namespace quenlix {

/// The session's host ("IP"), port and user.
KeyringAccount AccountOf(const SessionSettings& session);

/// A connection of this session needs the password from the keyring: it
/// signs on automatically as a user, the keyring keeps its password, and
/// the password is not in memory yet.
bool PasswordToFetch(const SessionSettings& session);

/// Puts the keyring's password for the session's account into `session`
/// (kOk; the answer itself no longer holds it). kNotFound or kUnavailable leave the session as it was; the front
/// end then asks the operator (PasswordQuestion) and keeps the answer in
/// memory only.
KeyringAnswer FetchPassword(PasswordKeyring& keyring, SessionSettings& session);

/// The text of the question for the password at connect, saying why the
/// keyring could not give it.
std::string PasswordQuestion(const SessionSettings& session, const KeyringAnswer& why);

/// Session Properties returned `edited` from a sheet loaded with `before`.
/// A password typed (or kept for another account) is stored in the keyring
/// and the session then says the keyring keeps it, even when storing failed
/// (a later connection asks for it); a password the operator cleared is
/// removed from the keyring and the session keeps none. An older file's
/// password left as it was stays for the save to move. Empty, or the
/// operator's message when the keyring could not take the password.
std::string KeepEditedPassword(PasswordKeyring& keyring, const SessionSettings& before,
                               SessionSettings& edited);

/// The save of a session whose password came from an older file, after the
/// operator agreed: stores it in the keyring and, when that worked, marks
/// the session kKeyring. The answer's reason says why it did not.
KeyringAnswer MoveOlderPassword(PasswordKeyring& keyring, SessionSettings& session);

/// The question before that move.
std::string MovePasswordQuestion(const SessionSettings& session);
/// The message when the move failed: nothing was saved.
std::string MoveFailedText(const KeyringAnswer& why);

}  // namespace quenlix
