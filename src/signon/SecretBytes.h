// Bytes that hold a password, a key or a substitute: cleared when dropped.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quenlix::signon {

/// A growable byte buffer for secret material. Its bytes are overwritten
/// (OPENSSL_cleanse) when it is cleared, destroyed or grows into a larger
/// buffer, so no copy of the secret is left behind in freed memory. It can be
/// moved but not copied, so a secret is never duplicated by accident.
class SecretBytes {
public:
    SecretBytes() = default;
    SecretBytes(const std::uint8_t* bytes, std::size_t count);
    SecretBytes(SecretBytes&& other) noexcept = default;
    SecretBytes& operator=(SecretBytes&& other) noexcept;
    SecretBytes(const SecretBytes&) = delete;
    SecretBytes& operator=(const SecretBytes&) = delete;
    ~SecretBytes();

    void Append(const std::uint8_t* bytes, std::size_t count);
    void Append(const SecretBytes& other) { Append(other.data(), other.size()); }
    void Append(std::uint8_t byte) { Append(&byte, 1); }
    /// Zero bytes added at the end (room that a routine writes into).
    void Grow(std::size_t count);
    /// Overwrites every byte, then empties the buffer.
    void Clear();

    std::uint8_t* data() { return bytes_.data(); }
    const std::uint8_t* data() const { return bytes_.data(); }
    std::size_t size() const { return bytes_.size(); }
    bool empty() const { return bytes_.empty(); }
    std::uint8_t operator[](std::size_t i) const { return bytes_[i]; }
    std::uint8_t& operator[](std::size_t i) { return bytes_[i]; }

private:
    /// Makes room for `count` more bytes, moving the bytes to a new buffer
    /// and clearing the old one when the capacity is short.
    void Reserve(std::size_t count);

    std::vector<std::uint8_t> bytes_;
};

/// The hashes the password substitutes are made of.
enum class SecretHash { kSha1, kSha256, kSha512 };

/// The digest of `input` appended to `out`; false when OpenSSL fails.
bool AppendDigest(const SecretBytes& input, SecretHash hash, SecretBytes& out);

}  // namespace quenlix::signon
