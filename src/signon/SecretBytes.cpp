// SecretBytes: the vector never reallocates on its own; growth goes through
// Reserve, which clears the buffer it leaves.
#include "signon/SecretBytes.h"

#include <openssl/crypto.h>
#include <openssl/evp.h>

#include <algorithm>

namespace quenlix::signon {

SecretBytes::SecretBytes(const std::uint8_t* bytes, std::size_t count) { Append(bytes, count); }

SecretBytes& SecretBytes::operator=(SecretBytes&& other) noexcept {
    if (this != &other) {
        Clear();
        bytes_ = std::move(other.bytes_);
    }
    return *this;
}

SecretBytes::~SecretBytes() { Clear(); }

void SecretBytes::Reserve(std::size_t count) {
    const std::size_t needed = bytes_.size() + count;
    if (needed <= bytes_.capacity()) return;
    std::vector<std::uint8_t> larger;
    larger.reserve(std::max<std::size_t>({needed, 2 * bytes_.capacity(), 32}));
    larger.assign(bytes_.begin(), bytes_.end());
    Clear();
    bytes_ = std::move(larger);
}

void SecretBytes::Append(const std::uint8_t* bytes, std::size_t count) {
    if (count == 0) return;
    Reserve(count);
    bytes_.insert(bytes_.end(), bytes, bytes + count);
}

void SecretBytes::Grow(std::size_t count) {
    Reserve(count);
    bytes_.resize(bytes_.size() + count, 0);
}

void SecretBytes::Clear() {
    if (bytes_.capacity() > 0) {
        // The whole allocation, not only the bytes in use: a shrunken
        // secret may have left bytes past the end.
        bytes_.resize(bytes_.capacity());
        OPENSSL_cleanse(bytes_.data(), bytes_.size());
    }
    bytes_.clear();
}

bool AppendDigest(const SecretBytes& input, SecretHash hash, SecretBytes& out) {
    const EVP_MD* md = hash == SecretHash::kSha1     ? EVP_sha1()
                       : hash == SecretHash::kSha256 ? EVP_sha256()
                                                     : EVP_sha512();
    const auto length = static_cast<std::size_t>(EVP_MD_get_size(md));
    SecretBytes digest;
    digest.Grow(length);
    unsigned int written = 0;
    if (EVP_Digest(input.data(), input.size(), digest.data(), &written, md, nullptr) != 1 ||
        written != length) {
        return false;
    }
    out.Append(digest);
    return true;
}

}  // namespace quenlix::signon
