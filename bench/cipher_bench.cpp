// RC4Code against OpenSSL's RC4 on the runs' 1000-byte chunks and on one large buffer, and md5
// on short passwords. Every cipher benchmark first checks that the two ciphers give the same
// bytes for its own pattern of calls, so a fast but wrong RC4Code cannot win.

#include "bench_support.h"
#include "md5.h"
#include "rc4.h"

#include <benchmark/benchmark.h>

#include <cstdint>
#include <random>
#include <string>
#include <vector>

namespace {

using bench::Bytes;

constexpr std::u16string_view kPassword = u"bench";
const std::u16string kKeyText = md5(kPassword);

Bytes Random(std::size_t N) {
    std::mt19937 rng(1);
    Bytes out(N);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(rng());
    }
    return out;
}

// Both ciphers over Total bytes in calls of Chunk bytes, from the same key.
bool SameBytes(std::size_t Chunk, std::size_t Total) {
    const Bytes input = Random(Total);
    Bytes ours(Total), theirs(Total);
    TRC4Context ctx;
    RC4Init(ctx, kKeyText);
    OpenSslRc4 oracle(bench::KeyOf(kPassword));
    for (std::size_t k = 0; k < Total; k += Chunk) {
        const std::size_t n = std::min(Chunk, Total - k);
        RC4Code(ctx, input.data() + k, ours.data() + k, static_cast<std::int32_t>(n));
        oracle.Code(input.data() + k, theirs.data() + k, static_cast<int>(n));
    }
    RC4Done(ctx);
    return ours == theirs;
}

constexpr std::size_t kLarge = 64 << 20;

void BM_RC4Code(benchmark::State& State) {
    const auto chunk = static_cast<std::size_t>(State.range(0));
    if (!SameBytes(chunk, 4 * chunk + 4096)) {
        State.SkipWithError("RC4Code differs from OpenSSL's RC4");
        return;
    }
    const Bytes source = Random(chunk);
    Bytes dest(chunk);
    TRC4Context ctx;
    RC4Init(ctx, kKeyText);
    for (auto _ : State) {
        RC4Code(ctx, source.data(), dest.data(), static_cast<std::int32_t>(chunk));
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    RC4Done(ctx);
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(chunk));
}

void BM_OpenSslRC4(benchmark::State& State) {
    const auto chunk = static_cast<std::size_t>(State.range(0));
    if (!SameBytes(chunk, 4 * chunk + 4096)) {
        State.SkipWithError("OpenSSL's RC4 differs from RC4Code");
        return;
    }
    const Bytes source = Random(chunk);
    Bytes dest(chunk);
    OpenSslRc4 cipher(bench::KeyOf(kPassword));
    for (auto _ : State) {
        cipher.Code(source.data(), dest.data(), static_cast<int>(chunk));
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(chunk));
}

void BM_md5(benchmark::State& State) {
    const std::u16string passwords[] = {u"a", u"password", u"Пароль-2018", u"correct horse"};
    std::size_t k = 0;
    for (auto _ : State) {
        benchmark::DoNotOptimize(md5(passwords[k++ % 4]));
    }
    State.SetItemsProcessed(State.iterations());
}

}  // namespace

BENCHMARK(BM_RC4Code)->Arg(1000)->Arg(kLarge)->ArgName("bytes");
BENCHMARK(BM_OpenSslRC4)->Arg(1000)->Arg(kLarge)->ArgName("bytes");
BENCHMARK(BM_md5);

BENCHMARK_MAIN();
