#include "wipe.h"

#include <openssl/crypto.h>

void SecureWipe(void* p, std::size_t n) {
    if (p != nullptr && n > 0) {
        OPENSSL_cleanse(p, n);
    }
}
