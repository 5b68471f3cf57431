#include "md5.h"

#include "wipe.h"

#include <openssl/evp.h>

#include <cstdint>
#include <memory>
#include <new>
#include <vector>

namespace {

struct MdCtxFree {
    void operator()(EVP_MD_CTX* ctx) const { EVP_MD_CTX_free(ctx); }
};

}  // namespace

std::u16string md5(std::u16string_view s) {
    std::vector<unsigned char> bytes(s.size());
    for (std::size_t k = 0; k < s.size(); ++k) {
        bytes[k] = s[k] <= 0x7F ? static_cast<unsigned char>(s[k]) : '?';
    }

    unsigned char digest[EVP_MAX_MD_SIZE];
    unsigned int digestLen = 0;
    std::unique_ptr<EVP_MD_CTX, MdCtxFree> ctx(EVP_MD_CTX_new());
    if (!ctx || EVP_DigestInit_ex(ctx.get(), EVP_md5(), nullptr) != 1 ||
        EVP_DigestUpdate(ctx.get(), bytes.data(), bytes.size()) != 1 ||
        EVP_DigestFinal_ex(ctx.get(), digest, &digestLen) != 1 || digestLen != 16) {
        SecureWipe(bytes.data(), bytes.size());
        // Only a lack of memory makes MD5 fail in libcrypto.
        throw std::bad_alloc();
    }
    SecureWipe(bytes.data(), bytes.size());

    static constexpr char16_t kHex[] = u"0123456789abcdef";
    std::u16string text(32, u'0');
    for (unsigned k = 0; k < 16; ++k) {
        text[2 * k] = kHex[digest[k] >> 4];
        text[2 * k + 1] = kHex[digest[k] & 0x0F];
    }
    SecureWipe(digest, sizeof digest);
    return text;
}
