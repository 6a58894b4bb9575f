// A small blocking client of the host's sign-on server, asked once before an
// automatic sign-on for the host's password level (telnet does not tell it).
#pragma once

#include <chrono>
#include <cstdint>
#include <optional>
#include <string>

namespace quenlix {

/// Where and how to ask.
struct SignOnServerQuery {
    std::string host;
    /// The sign-on server's port; 0 for the usual one (8476, or 9476 over TLS).
    int port = 0;
    /// Over TLS, with the host's certificate verified for the host name.
    bool tls = false;
    std::string caFile;  ///< PEM certificates trusted besides the system's (TLS)
    /// Ask the host's port mapper (port 449) for the port first; a port
    /// given above skips it.
    bool portMapper = false;
    /// The port mapper's port (449); tests set their own.
    int portMapperPort = 449;
    /// The whole question, every connect, send and receive, ends within it.
    std::chrono::milliseconds timeout{5000};
};

/// The host's password level, or why it could not be learned.
struct PasswordLevelAnswer {
    std::optional<int> level;
    /// With a level, how it was learned ("sign-on server 127.0.0.1:8476");
    /// without, why not ("no answer from the sign-on server at …: …").
    std::string how;
};

/// Connects, sends the attribute exchange with a fresh client seed and reads
/// the reply, each step bounded by the query's timeout, the reply by the
/// exchange's own length limit. Never sends a credential.
PasswordLevelAnswer AskPasswordLevel(const SignOnServerQuery& query);

/// The level asked once per host and port, remembered in memory for the
/// program's life (a host's password level changes only with an IPL);
/// a failure is not remembered, so the next connection asks again.
PasswordLevelAnswer RememberedPasswordLevel(const SignOnServerQuery& query);
/// Forgets every remembered level (tests).
void ForgetPasswordLevels();

}  // namespace quenlix
