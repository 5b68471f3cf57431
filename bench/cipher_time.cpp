// Prints the seconds, elapsed and of processor time, that one cipher needs for MIB mebibytes in
// the runs' 1000-byte chunks, in memory: the cipher's share of a run's floor, for
// bench/compare.sh.
//   ravdan_cipher_time openssl|rc4code MIB

#include "bench_support.h"
#include "rc4.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>

int main(int argc, char** argv) {
    if (argc != 3 ||
        (std::strcmp(argv[1], "openssl") != 0 && std::strcmp(argv[1], "rc4code") != 0)) {
        std::fputs("usage: ravdan_cipher_time openssl|rc4code MIB\n", stderr);
        return 2;
    }
    const bool ours = std::strcmp(argv[1], "rc4code") == 0;
    const std::uint64_t total = std::strtoull(argv[2], nullptr, 10) << 20;
    constexpr int kChunk = 1000;
    bench::Bytes source(kChunk, 0x5A), dest(kChunk);
    const std::u16string_view password = u"bench";

    const auto start = std::chrono::steady_clock::now();
    const std::clock_t startCpu = std::clock();
    OpenSslRc4 theirs(bench::KeyOf(password));
    TRC4Context rc4;
    RC4Init(rc4, md5(password));
    for (std::uint64_t done = 0; done < total; done += kChunk) {
        const auto n = static_cast<int>(std::min<std::uint64_t>(kChunk, total - done));
        if (ours) {
            RC4Code(rc4, source.data(), dest.data(), n);
        } else {
            theirs.Code(source.data(), dest.data(), n);
        }
        benchmark::DoNotOptimize(dest.data());
    }
    RC4Done(rc4);
    const std::chrono::duration<double> took = std::chrono::steady_clock::now() - start;
    const double cpu = static_cast<double>(std::clock() - startCpu) / CLOCKS_PER_SEC;
    std::printf("%.6f %.6f\n", took.count(), cpu);
    return 0;
}
