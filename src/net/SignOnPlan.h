// How an automatic sign-on proves the password to the host, decided before
// the connection, and what the negotiation then did.
#pragma once

#include <optional>
#include <string>

namespace quenlix {

struct TablePair;

/// What the front end decided before connecting.
struct SignOnPlan {
    /// The host's password level, 0 to 4, when it is known.
    std::optional<int> passwordLevel;
    /// How the level was learned ("session setting", "sign-on server
    /// host:8476"); when it is unknown, why ("no answer from ...").
    std::string levelSource;
    /// The password may go in clear to a host that sends no seed: the
    /// session's option, and on a plain connection the operator's
    /// confirmation too.
    bool sendInClear = false;
    /// The session's code page pair, for the DES levels; the built-in pair
    /// when none is given.
    const TablePair* tables = nullptr;
};

/// What the environment answer carried of the password.
struct SignOnReport {
    enum class Kind {
        kNotAsked,    ///< no environment answer with a sign-on yet
        kSubstitute,  ///< the password substitute for `level`
        kClear,       ///< the password itself (the session allowed it)
        kNoPassword,  ///< no password: `reason` says why
    };
    Kind kind = Kind::kNotAsked;
    int level = 0;
    std::string how;     ///< how the level was learned (kSubstitute)
    std::string reason;  ///< why no password went (kNoPassword)

    /// "signon: level 3 (session setting)", "signon: password sent in clear
    /// (...)", "signon: no password sent (...)"; empty for kNotAsked.
    std::string Text() const;
};

}  // namespace quenlix
