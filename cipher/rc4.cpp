#include "rc4.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <cstdint>
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

namespace {

// One generator step on byte m, exactly as the published generator states it.
inline void Step(std::uint8_t* d, std::uint8_t& i, std::uint8_t& j, const std::uint8_t* src,
                 std::uint8_t* dst, std::int32_t m) {
    i = static_cast<std::uint8_t>(i + 1);
    const std::uint8_t t = d[i];
    j = static_cast<std::uint8_t>(j + t);
    const std::uint8_t u = d[j];
    d[i] = u;
    d[j] = t;
    dst[m] = static_cast<std::uint8_t>(src[m] ^ d[static_cast<std::uint8_t>(t + u)]);
}

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define RAVDAN_RC4_BLOCKS 1

// The same steps, written out for x86-64. Compilers zero-extend j after every byte-wide add,
// and that extension sits on the one chain that bounds the loop (j += t). Here j and t + u are
// added as bytes into registers whose upper bits stay zero, the next t is read between the two
// halves of the swap, and eight keystream bytes are rotated into one register and XORed onto
// the input as one 64-bit word. p points at D[i + 1], with i + 1 a multiple of 8 (of 64 for a
// block of 64), so no group wraps round the end of D.
// clang-format off
#define RC4_STEP(G, K, T, N)                                \
    "addb %b[" #T "], %b[j]\n\t"                            \
    "movzbl (%[d],%[j]), %k[u]\n\t"                         \
    "movb %b[" #T "], (%[d],%[j])\n\t"                      \
    "movzbl 8*" #G "+" #K "+1(%[p]), %k[" #N "]\n\t"         \
    "rorq $8, %[ks]\n\t"                                    \
    "movb %b[u], 8*" #G "+" #K "(%[p])\n\t"                 \
    "addb %b[" #T "], %b[u]\n\t"                            \
    "movb (%[d],%[u]), %b[ks]\n\t"
// The eighth step reads no next t: the group after it starts by reading its own.
#define RC4_LAST_STEP(G, T)                                 \
    "addb %b[" #T "], %b[j]\n\t"                            \
    "movzbl (%[d],%[j]), %k[u]\n\t"                         \
    "movb %b[" #T "], (%[d],%[j])\n\t"                      \
    "rorq $8, %[ks]\n\t"                                    \
    "movb %b[u], 8*" #G "+7(%[p])\n\t"                      \
    "addb %b[" #T "], %b[u]\n\t"                            \
    "movb (%[d],%[u]), %b[ks]\n\t"
// Bytes 8*G to 8*G+7 of the piece.
#define RC4_GROUP(G)                                        \
    "movzbl 8*" #G "(%[p]), %k[ta]\n\t"                     \
    RC4_STEP(G, 0, ta, tb) RC4_STEP(G, 1, tb, ta)           \
    RC4_STEP(G, 2, ta, tb) RC4_STEP(G, 3, tb, ta)           \
    RC4_STEP(G, 4, ta, tb) RC4_STEP(G, 5, tb, ta)           \
    RC4_STEP(G, 6, ta, tb) RC4_LAST_STEP(G, tb)             \
    "rorq $8, %[ks]\n\t"                                    \
    "xorq 8*" #G "(%[src]), %[ks]\n\t"                      \
    "movq %[ks], 8*" #G "(%[dst])\n\t"
#define RC4_OPERANDS                                                                  \
    : [j] "+r"(j), [ks] "=&r"(ks), [ta] "=&r"(ta), [tb] "=&r"(tb), [u] "=&r"(u)       \
    : [d] "r"(d), [p] "r"(d + static_cast<std::uint8_t>(i + 1)), [src] "r"(src + m),  \
      [dst] "r"(dst + m)                                                              \
    : "memory", "cc"
// clang-format on

// 8 bytes from m; i + 1 must be a multiple of 8. j holds the index in its low byte, the rest 0.
inline void Block8(std::uint8_t* d, std::uint8_t i, std::uint64_t& j, const std::uint8_t* src,
                   std::uint8_t* dst, std::int32_t m) {
    std::uint64_t ks, ta, tb, u;
    asm volatile(RC4_GROUP(0) RC4_OPERANDS);
}

// 64 bytes from m; i + 1 must be a multiple of 64. Measured some 10 % faster than groups of 8
// alone.
inline void Block64(std::uint8_t* d, std::uint8_t i, std::uint64_t& j, const std::uint8_t* src,
                    std::uint8_t* dst, std::int32_t m) {
    std::uint64_t ks, ta, tb, u;
    asm volatile(RC4_GROUP(0) RC4_GROUP(1) RC4_GROUP(2) RC4_GROUP(3) RC4_GROUP(4) RC4_GROUP(5)
                     RC4_GROUP(6) RC4_GROUP(7) RC4_OPERANDS);
}

#undef RC4_OPERANDS
#undef RC4_GROUP
#undef RC4_LAST_STEP
#undef RC4_STEP
#endif

// Count bytes with the permutation at d, the record's own or a copy of it.
void Transform(std::uint8_t* d, std::uint8_t& i, std::uint8_t& j, const std::uint8_t* src,
               std::uint8_t* dst, std::int32_t Count) {
    std::int32_t m = 0;
#ifdef RAVDAN_RC4_BLOCKS
    // Single steps up to the next multiple of 8, then groups of 8 up to a multiple of 64,
    // blocks of 64, groups of 8, and single steps for the rest.
    while (m < Count && (i + 1) % 8 != 0) {
        Step(d, i, j, src, dst, m++);
    }
    std::uint64_t j64 = j;
    while (Count - m >= 8 && (i + 1) % 64 != 0) {
        Block8(d, i, j64, src, dst, m);
        i = static_cast<std::uint8_t>(i + 8);
        m += 8;
    }
    while (Count - m >= 64) {
        Block64(d, i, j64, src, dst, m);
        i = static_cast<std::uint8_t>(i + 64);
        m += 64;
    }
    while (Count - m >= 8) {
        Block8(d, i, j64, src, dst, m);
        i = static_cast<std::uint8_t>(i + 8);
        m += 8;
    }
    j = static_cast<std::uint8_t>(j64);
#endif
    while (m < Count) {
        Step(d, i, j, src, dst, m++);
    }
}

#ifdef RAVDAN_RC4_BLOCKS
// A load from an address that agrees in its low 12 bits with a pending store waits for that
// store, same address or not. With the permutation at such a distance from the output, most
// steps wait so, some 15 % of the speed. So the permutation is moved, for the call, to a place
// that agrees with neither buffer in those bits, with a margin on either side.
constexpr std::uintptr_t kPage = 4096;
constexpr std::uintptr_t kMargin = 64;
// Pieces short enough that some place is always free: 2 * 1024 + 2 * (256 + 2 * 64) < 4096.
constexpr std::int32_t kPiece = 1024;
// Below this a move costs more than it saves.
constexpr std::int32_t kMoveFrom = 256;

std::uintptr_t Address(const void* P) {
    return reinterpret_cast<std::uintptr_t>(P);
}

// Whether [A, A + LenA) and [B, B + LenB) share addresses modulo the page.
bool SharePage(std::uintptr_t A, std::uintptr_t LenA, std::uintptr_t B, std::uintptr_t LenB) {
    return ((B - A) % kPage) < LenA || ((A - B) % kPage) < LenB;
}

// Whether a permutation at Table is too near either buffer of a piece of N bytes.
bool TooNear(std::uintptr_t Table, const std::uint8_t* src, const std::uint8_t* dst,
             std::int32_t N) {
    const std::uintptr_t from = Table - kMargin;
    const std::uintptr_t len = 256 + 2 * kMargin;
    const auto n = static_cast<std::uintptr_t>(N);
    return SharePage(from, len, Address(src), n) || SharePage(from, len, Address(dst), n);
}

// A place in Area, aligned to a cache line, for a permutation that is not TooNear; nullptr
// when there is none.
std::uint8_t* FreePlace(std::uint8_t* Area, const std::uint8_t* src, const std::uint8_t* dst,
                        std::int32_t N) {
    for (const std::uint8_t* after : {src + N, dst + N}) {
        const std::uintptr_t want = (Address(after) + kMargin + 63) & ~std::uintptr_t{63};
        std::uint8_t* place = Area + ((want - Address(Area)) % kPage);
        if (!TooNear(Address(place), src, dst, N)) {
            return place;
        }
    }
    return nullptr;
}
#endif

}  // namespace

void RC4Code(TRC4Context& RC4, const void* Source, void* Dest, std::int32_t Count) {
    if (Count <= 0) {
        return;
    }
    const auto* src = static_cast<const std::uint8_t*>(Source);
    auto* dst = static_cast<std::uint8_t*>(Dest);
    // The indices live in registers for the whole call; the record is written back once.
    std::uint8_t i = RC4.I;
    std::uint8_t j = RC4.J;
#ifdef RAVDAN_RC4_BLOCKS
    std::uint8_t* d = RC4.D;
    alignas(64) std::uint8_t area[kPage + 256];
    std::uint8_t* usedFrom = nullptr;
    std::uint8_t* usedTo = nullptr;
    for (std::int32_t m = 0; m < Count;) {
        const std::int32_t n = std::min(Count - m, kPiece);
        if (n >= kMoveFrom && TooNear(Address(d), src + m, dst + m, n)) {
            if (std::uint8_t* place = FreePlace(area, src + m, dst + m, n)) {
                std::memmove(place, d, 256);
                d = place;
                usedFrom = usedFrom == nullptr ? d : std::min(usedFrom, d);
                usedTo = std::max(usedTo, d + 256);
            }
        }
        Transform(d, i, j, src + m, dst + m, n);
        m += n;
    }
    if (d != RC4.D) {
        std::memcpy(RC4.D, d, 256);
        // No copy of the cipher's state stays behind on the stack.
        OPENSSL_cleanse(usedFrom, static_cast<std::size_t>(usedTo - usedFrom));
    }
#else
    Transform(RC4.D, i, j, src, dst, Count);
#endif
    RC4.I = i;
    RC4.J = j;
}

void RC4Done(TRC4Context& RC4) {
    // OPENSSL_cleanse rather than memset, so the wipe is not optimised away.
    OPENSSL_cleanse(&RC4, sizeof RC4);
}
