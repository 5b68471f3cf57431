// The whole encryption run on a data file in the page cache, through the headless view, side by
// side with its floor at the runs' chunk size: one read and one write of 1000 bytes per chunk
// and nothing else (what dd bs=1000 does), plus OpenSSL's RC4 over the same bytes in memory.
//
// RAVDAN_BENCH_MIB sets the file's size (256 MiB unless set), RAVDAN_BENCH_DIR its folder.

#include "bench_support.h"
#include "md5.h"
#include "rc4.h"
#include "runs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>

namespace {

constexpr std::u16string_view kPassword = u"bench";
constexpr std::size_t kChunk = 1000;

const bench::TDataFile* gFile = nullptr;

void SetBytes(benchmark::State& State) {
    State.SetBytesProcessed(State.iterations() * static_cast<std::int64_t>(gFile->Size));
}

void BM_EncryptRun(benchmark::State& State) {
    const auto chunks = static_cast<std::int64_t>((gFile->Size + kChunk - 1) / kChunk);
    for (auto _ : State) {
        if (bench::EncryptAfresh(State, *gFile, kPassword) != chunks) {
            State.SkipWithError("the run did not go through every chunk");
            return;
        }
    }
    SetBytes(State);
}

// One chunk copy loop: Cipher false is the system calls a run cannot avoid (what dd bs=1000
// does); Cipher true adds RC4Code between them, the least a run can do.
template <bool Cipher>
void CopyLoop(benchmark::State& State) {
    const std::filesystem::path copy = gFile->Output.string() + ".copy";
    std::uint8_t source[kChunk], dest[kChunk];
    for (auto _ : State) {
        State.PauseTiming();
        std::filesystem::remove(copy);
        State.ResumeTiming();
        TRC4Context rc4;
        RC4Init(rc4, md5(kPassword));
        const int in = ::open(gFile->Input.c_str(), O_RDONLY | O_CLOEXEC);
        const int out = ::open(copy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
        bool ok = in >= 0 && out >= 0;
        ssize_t n = 0;
        while (ok && (n = ::read(in, source, sizeof source)) > 0) {
            if constexpr (Cipher) {
                RC4Code(rc4, source, dest, static_cast<std::int32_t>(n));
            }
            ok = ::write(out, Cipher ? dest : source, static_cast<std::size_t>(n)) == n;
        }
        ::close(in);
        ::close(out);
        RC4Done(rc4);
        if (!ok || n < 0) {
            State.SkipWithError("copying failed");
            return;
        }
    }
    std::filesystem::remove(copy);
    SetBytes(State);
}

// The cipher a run needs, at OpenSSL's speed.
void BM_OpenSslRC4(benchmark::State& State) {
    bench::Bytes source(kChunk, 0x5A), dest(kChunk);
    for (auto _ : State) {
        OpenSslRc4 cipher(bench::KeyOf(kPassword));
        for (std::uint64_t done = 0; done < gFile->Size; done += kChunk) {
            const auto n = static_cast<int>(std::min<std::uint64_t>(kChunk, gFile->Size - done));
            cipher.Code(source.data(), dest.data(), n);
            benchmark::DoNotOptimize(dest.data());
        }
    }
    SetBytes(State);
}

}  // namespace

int main(int argc, char** argv) {
    const bench::TDataFile file;
    gFile = &file;

    for (auto* b : {benchmark::RegisterBenchmark("BM_EncryptRun", BM_EncryptRun),
                    benchmark::RegisterBenchmark("BM_ReadWrite1000", CopyLoop<false>),
                    benchmark::RegisterBenchmark("BM_ReadRC4CodeWrite1000", CopyLoop<true>),
                    benchmark::RegisterBenchmark("BM_OpenSslRC4", BM_OpenSslRC4)}) {
        b->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(1);
    }
    bench::TMedianReporter reporter;
    bench::RunSideBySide(argc, argv, reporter);

    const double run = reporter.Median("BM_EncryptRun/iterations:1/real_time");
    const double io = reporter.Median("BM_ReadWrite1000/iterations:1/real_time");
    const double cipher = reporter.Median("BM_OpenSslRC4/iterations:1/real_time");
    const double least = reporter.Median("BM_ReadRC4CodeWrite1000/iterations:1/real_time");
    if (run > 0 && io > 0 && cipher > 0) {
        std::printf(
            "medians of %zu: run %.3f s, floor %.3f s (I/O %.3f s + cipher %.3f s), "
            "run / floor %.3f\n",
            reporter.Count("BM_EncryptRun/iterations:1/real_time"), run, io + cipher, io, cipher,
            run / (io + cipher));
        if (least > 0) {
            std::printf("read, RC4Code, write alone %.3f s: / floor %.3f; run / it %.3f\n", least,
                        least / (io + cipher), run / least);
        }
    }
    if (std::filesystem::exists(gFile->Output) &&
        !bench::IsEncryptionOf(gFile->Output, gFile->Input, kPassword)) {
        std::fprintf(stderr, "the run's output is not OpenSSL's RC4 of its input\n");
        return 1;
    }
    return 0;
}
