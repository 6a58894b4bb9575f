// DES through OpenSSL's legacy provider, in a library context that holds the
// legacy provider alone: the program's other OpenSSL users never see DES.
#include "signon/DesBlockCipher.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

namespace quenlix::signon {

struct DesBlockCipher::State {
    OSSL_LIB_CTX* context = nullptr;
    OSSL_PROVIDER* legacy = nullptr;
    EVP_CIPHER* cipher = nullptr;
    EVP_CIPHER_CTX* operation = nullptr;

    ~State() {
        EVP_CIPHER_CTX_free(operation);
        EVP_CIPHER_free(cipher);
        if (legacy) OSSL_PROVIDER_unload(legacy);
        OSSL_LIB_CTX_free(context);
    }
};

DesBlockCipher::DesBlockCipher() : state_(std::make_unique<State>()) {
    State& s = *state_;
    s.context = OSSL_LIB_CTX_new();
    if (!s.context) return;
    s.legacy = OSSL_PROVIDER_load(s.context, "legacy");
    if (!s.legacy) return;
    s.cipher = EVP_CIPHER_fetch(s.context, "DES-ECB", nullptr);
    if (s.cipher) s.operation = EVP_CIPHER_CTX_new();
}

DesBlockCipher::~DesBlockCipher() = default;

bool DesBlockCipher::available() const { return state_->operation != nullptr; }

bool DesBlockCipher::Encrypt(const std::uint8_t key[8], const std::uint8_t in[8],
                             std::uint8_t out[8]) {
    if (!available()) return false;
    EVP_CIPHER_CTX* op = state_->operation;
    int written = 0;
    const bool ok = EVP_EncryptInit_ex2(op, state_->cipher, key, nullptr, nullptr) == 1 &&
                    EVP_CIPHER_CTX_set_padding(op, 0) == 1 &&
                    EVP_EncryptUpdate(op, out, &written, in, 8) == 1 && written == 8;
    // The context holds the key schedule: reset it so that it is cleared now,
    // not when the next key comes.
    EVP_CIPHER_CTX_reset(op);
    return ok;
}

}  // namespace quenlix::signon
