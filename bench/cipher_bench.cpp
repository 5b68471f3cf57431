// RC4Code against OpenSSL's RC4 on the runs' 1000-byte chunks and on one large buffer, and md5
// on short passwords. Every cipher benchmark first checks that the two ciphers give the same
// bytes for its own pattern of calls, so a fast but wrong RC4Code cannot win.

#include "bench_support.h"
#include "md5.h"
#include "rc4.h"

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <random>
#include <string>
#include <string_view>
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

// Ours true times RC4Code, false OpenSSL's RC4, on chunks of State.range(0) bytes.
template <bool Ours>
void BM_Cipher(benchmark::State& State) {
    const auto chunk = static_cast<std::size_t>(State.range(0));
    if (!SameBytes(chunk, 4 * chunk + 4096)) {
        State.SkipWithError("RC4Code and OpenSSL's RC4 give different bytes");
        return;
    }
    const Bytes source = Random(chunk);
    Bytes dest(chunk);
    TRC4Context ctx;
    RC4Init(ctx, kKeyText);
    OpenSslRc4 cipher(bench::KeyOf(kPassword));
    for (auto _ : State) {
        if constexpr (Ours) {
            RC4Code(ctx, source.data(), dest.data(), static_cast<std::int32_t>(chunk));
        } else {
            cipher.Code(source.data(), dest.data(), static_cast<int>(chunk));
        }
        benchmark::DoNotOptimize(dest.data());
        benchmark::ClobberMemory();
    }
    RC4Done(ctx);
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

BENCHMARK(BM_Cipher<true>)->Name("BM_RC4Code")->Arg(1000)->Arg(kLarge)->ArgName("bytes");
BENCHMARK(BM_Cipher<false>)->Name("BM_OpenSslRC4")->Arg(1000)->Arg(kLarge)->ArgName("bytes");
BENCHMARK(BM_md5);

namespace {

// The two ciphers in short turns, 500 chunks each, alternating who goes first: the median of
// the per-turn ratios is what other work on the machine disturbs least.
void PrintSideBySide(std::size_t Chunk, int Turns) {
    const Bytes source = Random(Chunk);
    Bytes dest(Chunk);
    TRC4Context ctx;
    RC4Init(ctx, kKeyText);
    OpenSslRc4 cipher(bench::KeyOf(kPassword));
    auto time = [&](bool Ours) {
        const auto start = std::chrono::steady_clock::now();
        for (int k = 0; k < 500; ++k) {
            if (Ours) {
                RC4Code(ctx, source.data(), dest.data(), static_cast<std::int32_t>(Chunk));
            } else {
                cipher.Code(source.data(), dest.data(), static_cast<int>(Chunk));
            }
            benchmark::DoNotOptimize(dest.data());
        }
        return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    };
    std::vector<double> ours, theirs, ratio;
    for (int turn = 0; turn < Turns; ++turn) {
        const double a = turn % 2 == 0 ? time(true) : 0;
        const double b = time(false);
        const double c = turn % 2 == 1 ? time(true) : a;
        ours.push_back(c);
        theirs.push_back(b);
        ratio.push_back(b / c);
    }
    RC4Done(ctx);
    auto median = [](std::vector<double> v) {
        std::sort(v.begin(), v.end());
        return v[v.size() / 2];
    };
    const double bytes = 500.0 * static_cast<double>(Chunk);
    std::printf(
        "side by side, %d turns of 500 chunks of %zu bytes: RC4Code %.1f MiB/s, OpenSSL "
        "%.1f MiB/s, RC4Code / OpenSSL %.3f (median of the per-turn ratios)\n",
        Turns, Chunk, bytes / median(ours) / 1048576, bytes / median(theirs) / 1048576,
        median(ratio));
}

}  // namespace

int main(int argc, char** argv) {
    bool listing = false;
    for (int k = 1; k < argc; ++k) {
        listing = listing || std::string_view(argv[k]).starts_with("--benchmark_list_tests");
    }
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) {
        return 1;
    }
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (listing) {
        return 0;
    }
    if (!SameBytes(1000, 1 << 20)) {
        std::fprintf(stderr, "RC4Code differs from OpenSSL's RC4\n");
        return 1;
    }
    PrintSideBySide(1000, 301);
    return 0;
}
