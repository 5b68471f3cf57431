#include "rc4.h"

#include <openssl/crypto.h>

#include <cstring>

void RC4Init(TRC4Context& RC4, std::u16string_view Key) {
    // Only the first n bytes of the UTF-16LE form take part, n being the length in code units.
    const std::size_t n = Key.size();
    auto keyByte = [&](std::size_t p) -> std::uint8_t {
        const char16_t unit = Key[p / 2];
        return static_cast<std::uint8_t>((p % 2 == 0) ? (unit & 0xFF) : (unit >> 8));
    };

    RC4.I = 0;
    RC4.J = 0;
    for (unsigned x = 0; x < 256; ++x) {
        RC4.D[x] = static_cast<std::uint8_t>(x);
    }
    std::uint8_t j = 0;
    std::size_t p = 0;
    for (unsigned x = 0; x < 256; ++x) {
        const std::uint8_t b = n > 0 ? keyByte(p) : 0;
        if (++p == n) {
            p = 0;
        }
        j = static_cast<std::uint8_t>(j + RC4.D[x] + b);
        const std::uint8_t t = RC4.D[x];
        RC4.D[x] = RC4.D[j];
        RC4.D[j] = t;
    }
}

void RC4Code(TRC4Context& RC4, const void* Source, void* Dest, std::int32_t Count) {
    if (Count <= 0) {
        return;
    }
    const auto* src = static_cast<const std::uint8_t*>(Source);
    auto* dst = static_cast<std::uint8_t*>(Dest);
    std::uint8_t* const d = RC4.D;
    // The indices live in registers for the whole call; the record is written back once.
    std::uint8_t i = RC4.I;
    std::uint8_t j = RC4.J;
    for (std::int32_t m = 0; m < Count; ++m) {
        i = static_cast<std::uint8_t>(i + 1);
        const std::uint8_t t = d[i];
        j = static_cast<std::uint8_t>(j + t);
        const std::uint8_t u = d[j];
        d[i] = u;
        d[j] = t;
        dst[m] = static_cast<std::uint8_t>(src[m] ^ d[static_cast<std::uint8_t>(t + u)]);
    }
    RC4.I = i;
    RC4.J = j;
}

void RC4Done(TRC4Context& RC4) {
    // OPENSSL_cleanse rather than memset, so the wipe is not optimised away.
    OPENSSL_cleanse(&RC4, sizeof RC4);
}
