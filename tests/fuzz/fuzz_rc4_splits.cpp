// RC4Code over any split of the data, and in place, gives the bytes and the state of one call
// over the whole.

#include "rc4.h"

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    if (Size < 2) {
        return 0;
    }
    // First byte: key length in code units; second: the seed of the split points.
    const std::size_t keyUnits = std::min<std::size_t>(Data[0] % 64, (Size - 2) / 2);
    std::u16string key;
    for (std::size_t k = 0; k < keyUnits; ++k) {
        key.push_back(static_cast<char16_t>(Data[2 + 2 * k] | Data[3 + 2 * k] << 8));
    }
    const std::uint8_t* message = Data + 2 + 2 * keyUnits;
    const auto n = static_cast<std::int32_t>(Size - 2 - 2 * keyUnits);

    TRC4Context whole;
    RC4Init(whole, key);
    std::vector<std::uint8_t> expected(static_cast<std::size_t>(n));
    RC4Code(whole, message, expected.data(), n);

    TRC4Context split;
    TRC4Context inPlace;
    RC4Init(split, key);
    RC4Init(inPlace, key);
    std::vector<std::uint8_t> out(static_cast<std::size_t>(n));
    std::vector<std::uint8_t> buffer(message, message + n);
    std::minstd_rand rng(Data[1]);
    for (std::int32_t done = 0; done < n;) {
        // Pieces of 0 to about 1100 bytes, the empty piece included.
        const std::int32_t piece =
            std::min<std::int32_t>(n - done, static_cast<std::int32_t>(rng() % 1100));
        RC4Code(split, message + done, out.data() + done, piece);
        RC4Code(inPlace, buffer.data() + done, buffer.data() + done, piece);
        done += piece;
    }
    if (out != expected || buffer != expected || std::memcmp(&split, &whole, sizeof whole) != 0 ||
        std::memcmp(&inPlace, &whole, sizeof whole) != 0) {
        __builtin_trap();
    }
    return 0;
}
