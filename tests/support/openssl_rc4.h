#pragma once
// OpenSSL's own RC4, from the legacy provider: an implementation that no one here wrote.

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <cstdint>
#include <stdexcept>
#include <vector>

class OpenSslRc4 {
  public:
    explicit OpenSslRc4(const std::vector<std::uint8_t>& Key) {
        static OSSL_PROVIDER* legacy = OSSL_PROVIDER_load(nullptr, "legacy");
        static OSSL_PROVIDER* deflt = OSSL_PROVIDER_load(nullptr, "default");
        if (legacy == nullptr || deflt == nullptr) {
            throw std::runtime_error("OpenSSL's legacy provider is not available");
        }
        fCipher = EVP_CIPHER_fetch(nullptr, "RC4", nullptr);
        fCtx = EVP_CIPHER_CTX_new();
        if (fCipher == nullptr || fCtx == nullptr ||
            EVP_EncryptInit_ex2(fCtx, fCipher, nullptr, nullptr, nullptr) != 1 ||
            EVP_CIPHER_CTX_set_key_length(fCtx, static_cast<int>(Key.size())) != 1 ||
            EVP_EncryptInit_ex2(fCtx, nullptr, Key.data(), nullptr, nullptr) != 1) {
            throw std::runtime_error("OpenSSL RC4 could not be keyed");
        }
    }
    ~OpenSslRc4() {
        EVP_CIPHER_CTX_free(fCtx);
        EVP_CIPHER_free(fCipher);
    }
    OpenSslRc4(const OpenSslRc4&) = delete;
    OpenSslRc4& operator=(const OpenSslRc4&) = delete;

    void Code(const std::uint8_t* In, std::uint8_t* Out, int Count) {
        int outLen = 0;
        if (EVP_EncryptUpdate(fCtx, Out, &outLen, In, Count) != 1 || outLen != Count) {
            throw std::runtime_error("OpenSSL RC4 failed");
        }
    }

  private:
    EVP_CIPHER* fCipher = nullptr;
    EVP_CIPHER_CTX* fCtx = nullptr;
};
