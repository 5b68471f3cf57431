#pragma once
// The system's stream cipher: the published RC4 on a flat 258-byte state.

#include <cstdint>
#include <string_view>
#include <type_traits>

struct TRC4Context {
    std::uint8_t D[256];  // the permutation
    std::uint8_t I;
    std::uint8_t J;
};
static_assert(sizeof(TRC4Context) == 258, "the state is one flat 258-byte record");
static_assert(std::is_standard_layout_v<TRC4Context> && std::is_trivial_v<TRC4Context>);

// Keys the context from the first Key.size() bytes of the key's UTF-16LE form (n bytes, not
// 2n). An empty key runs the schedule with every key byte 0.
void RC4Init(TRC4Context& RC4, std::u16string_view Key);

// XORs Count bytes of Source with the next keystream bytes into Dest. Count <= 0 does nothing.
// Source and Dest may be the same buffer.
void RC4Code(TRC4Context& RC4, const void* Source, void* Dest, std::int32_t Count);

// Sets all 258 bytes of the record to zero.
void RC4Done(TRC4Context& RC4);
