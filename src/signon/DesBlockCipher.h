// Single-block DES encryption, for the password levels 0 and 1 only.
#pragma once

#include <cstdint>
#include <memory>

namespace quenlix::signon {

/// DES in ECB mode on one 8-byte block at a time. OpenSSL 3 keeps DES in its
/// legacy provider; it is loaded into a library context of this object's own,
/// so that nothing else in the program can come to use DES through the
/// default context. The provider ships with the OpenSSL library (Debian's
/// libssl3 installs ossl-modules/legacy.so); where it is missing, available()
/// is false and the DES levels are refused with a reason.
class DesBlockCipher {
public:
    DesBlockCipher();
    ~DesBlockCipher();
    DesBlockCipher(const DesBlockCipher&) = delete;
    DesBlockCipher& operator=(const DesBlockCipher&) = delete;

    bool available() const;

    /// out = DES-encrypt(key, in). The key's parity bits are ignored and weak
    /// keys are taken as they are (the password decides the key). False when
    /// DES is not available or OpenSSL fails.
    bool Encrypt(const std::uint8_t key[8], const std::uint8_t in[8], std::uint8_t out[8]);

private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace quenlix::signon
