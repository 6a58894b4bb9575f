// The terminal's half of the seeds of a sign-on.
#pragma once

#include <optional>

#include "signon/PasswordSubstitute.h"

namespace quenlix::signon {

/// A fresh client seed from OpenSSL's random generator; nothing when the
/// generator cannot give one (then no substitute is sent).
std::optional<Seed> NewClientSeed();

}  // namespace quenlix::signon
