// Session files (".stn"): reading and writing SessionSettings, and the
// scrambled form in which the sign-on password is stored.
#pragma once

#include <string>
#include <string_view>

#include "session/SessionSettings.h"

namespace quenlix {

/// Session file operations. Stateless: every operation opens, uses and
/// closes its own CProfileAccess, and none shows anything to the operator.
///
/// The file has two sections. [Connection]: "Name", "IP", "Port",
/// "DisplayName", "DisplayNameAuto", "Language", "Page Code",
/// "Terminal Name", "Terminal Caract", and, for a TLS session, "Security",
/// "CA File" and "Client Certificate" (a program that does not know them
/// skips them and connects without TLS). [Profile]: "Launch Connection",
/// "Auto Connection", "UserID", "Menu", "ProgProc", "CurLib",
/// "Password In Keyring" (1: the desktop keyring keeps the password). Older
/// files held the password scrambled in "User Password"; it is still read,
/// never written. Text is written in double quotes, numbers and flags bare.
class CConnectFile {
public:
    /// Longest password an older file's scrambled form holds.
    static constexpr std::size_t kPasswordLength = 10;

    /// Fills `settings` from the file at `path`. A missing key, or a file
    /// that cannot be read, gives the field's default, so `settings` is always
    /// complete; the result says whether there was a file to read: false for
    /// a missing file, a folder or anything else that is not a regular file,
    /// one too large to be a session file, or one without read permission, so
    /// that the caller can report that the session file failed to open
    /// rather than run a session of defaults. The defaults are "No name" for
    /// "Name", 23 for "Port", `computerName` for "DisplayName", 1 for
    /// "DisplayNameAuto", "U.S." for "Language", 37 for "Page Code",
    /// "IBM-3477-FC" for "Terminal Name", "27 * 132" for "Terminal Caract", 0
    /// for the other numbers and empty for the other texts. Names are matched
    /// exactly, case included; anything else in the file is ignored.
    /// "Security" is read by ParseSecurity (absent: None); "CA File" and
    /// "Client Certificate" default to empty. The password: with
    /// "Password In Keyring" set, none (PasswordStorage::kKeyring, the
    /// caller fetches it); otherwise an older file's non-empty "User
    /// Password", unscrambled (PasswordStorage::kOlderSessionFile); else none.
    static bool ReadSessionFile(const std::string& path, SessionSettings& settings,
                                std::string_view computerName);

    /// Replaces the file at `path` with `settings`. A line is left out when
    /// its value is the "nothing set" value (empty text, 0 for "Port" and
    /// "Page Code" and the two connection flags, 1 for "DisplayNameAuto",
    /// None for "Security"), so such fields read back with their reading
    /// defaults and a plain session's file is what older versions wrote. The
    /// password is never written: "Password In Keyring"=1 stands in its place
    /// when PasswordStore is kKeyring. Other sections and keys of an existing file are not
    /// kept. True when the file was written; on failure the old file is left
    /// as it was and, when `cause` is given, it receives the errno value of
    /// the step that failed (EACCES, ENOSPC, EFBIG, EROFS...), for the
    /// operator's message.
    static bool WriteSessionFile(const std::string& path, const SessionSettings& settings,
                                 int* cause = nullptr);
    /// What the operator is told when WriteSessionFile failed: message 560,
    /// the path, and the system's words for `cause` when it is not 0, one a
    /// line.
    static std::string SaveFailedText(const std::string& path, int cause);

    /// "None" or "TLS".
    static std::string_view SecurityName(ConnectionSecurity security);
    /// The value of a "Security" key: empty or "None" (any case) is plain
    /// TCP; "TLS" and anything else is TLS, so that a value a later version
    /// may write never falls back to an unencrypted connection.
    static ConnectionSecurity ParseSecurity(std::string_view text);

    /// "Automatic", or the level's digit "0" to "4".
    static std::string PasswordLevelName(int level);
    /// The value of a "Password Level" key: a digit 0 to 4 is that level;
    /// anything else (absent, "Automatic", a word a later version may write)
    /// is kAutomaticPasswordLevel, which never sends a password it cannot
    /// make for the host's own level.
    static int ParsePasswordLevel(std::string_view text);

    /// The stored form of a password: 20 upper-case hexadecimal digits. Only
    /// the first kPasswordLength bytes of `password` are used.
    static std::string ScramblePassword(std::string_view password);

    /// The password of a stored form, trailing spaces removed. A short text
    /// or one holding other characters than hexadecimal digits still reads:
    /// each two-character pair is read up to its first non-digit, missing or
    /// unreadable pairs counting as 0.
    static std::string UnscramblePassword(std::string_view stored);
};

}  // namespace quenlix
