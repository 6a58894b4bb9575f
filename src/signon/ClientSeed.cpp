// Client seeds come from the cryptographic generator, never from a clock or
// the C library: a predictable seed would let a recorded substitute be reused.
#include "signon/ClientSeed.h"

#include <openssl/rand.h>

namespace quenlix::signon {

std::optional<Seed> NewClientSeed() {
    Seed seed{};
    if (RAND_bytes(seed.data(), static_cast<int>(seed.size())) != 1) return std::nullopt;
    return seed;
}

}  // namespace quenlix::signon
