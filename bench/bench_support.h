#pragma once
// What the benchmarks share: a scratch folder, a data file of a given size, a view that only
// counts, and OpenSSL's RC4 keyed as a run keys its cipher.

#include "md5.h"
#include "runs.h"
#include "support/openssl_rc4.h"

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

namespace bench {

using Bytes = std::vector<std::uint8_t>;

// The RC4 key a run derives from Password: the first bytes of the key text's UTF-16LE form,
// as many as the key text has characters.
inline Bytes KeyOf(std::u16string_view Password) {
    const std::u16string text = md5(Password);
    Bytes key;
    for (std::size_t k = 0; k < text.size(); ++k) {
        const char16_t unit = text[k / 2];
        key.push_back(static_cast<std::uint8_t>(k % 2 == 0 ? unit & 0xFF : unit >> 8));
    }
    return key;
}

// A fresh folder under RAVDAN_BENCH_DIR, else the system's temporary folder; removed with
// everything in it when the object goes.
class TScratch {
  public:
    TScratch() {
        const char* base = std::getenv("RAVDAN_BENCH_DIR");
        std::string tmpl =
            ((base != nullptr && *base != '\0') ? std::filesystem::path(base)
                                                : std::filesystem::temp_directory_path()) /
            "ravdan-bench-XXXXXX";
        if (mkdtemp(tmpl.data()) == nullptr) {
            throw std::runtime_error("cannot make a folder from " + tmpl);
        }
        fPath = tmpl;
    }
    ~TScratch() {
        std::error_code ec;
        std::filesystem::remove_all(fPath, ec);
    }
    TScratch(const TScratch&) = delete;
    TScratch& operator=(const TScratch&) = delete;
    const std::filesystem::path& Path() const { return fPath; }

  private:
    std::filesystem::path fPath;
};

// A data file of Size bytes: a header line the runs accept, then random bytes. Read back once
// so that it sits in the page cache.
inline void MakeDataFile(const std::filesystem::path& File, std::uint64_t Size) {
    const std::string head = "abcDate/Time,Value\r\n";
    std::ofstream out(File, std::ios::binary | std::ios::trunc);
    std::mt19937_64 rng(2018);
    std::vector<std::uint64_t> piece(1 << 17);
    std::uint64_t left = Size;
    const std::uint64_t first = std::min<std::uint64_t>(head.size(), left);
    out.write(head.data(), static_cast<std::streamsize>(first));
    left -= first;
    while (left > 0) {
        for (auto& w : piece) {
            w = rng();
        }
        const std::uint64_t n = std::min<std::uint64_t>(left, piece.size() * 8);
        out.write(reinterpret_cast<const char*>(piece.data()), static_cast<std::streamsize>(n));
        left -= n;
    }
    out.close();
    if (!out) {
        throw std::runtime_error("cannot write " + File.string());
    }
    std::ifstream in(File, std::ios::binary);
    std::vector<char> sink(1 << 20);
    while (in.read(sink.data(), static_cast<std::streamsize>(sink.size()))) {
    }
}

// True when Output is Input through OpenSSL's RC4 keyed from Password.
inline bool IsEncryptionOf(const std::filesystem::path& Output, const std::filesystem::path& Input,
                           std::u16string_view Password) {
    std::ifstream in(Input, std::ios::binary), out(Output, std::ios::binary);
    OpenSslRc4 cipher(KeyOf(Password));
    Bytes a(1 << 20), b(1 << 20), c(1 << 20);
    for (;;) {
        in.read(reinterpret_cast<char*>(a.data()), static_cast<std::streamsize>(a.size()));
        out.read(reinterpret_cast<char*>(b.data()), static_cast<std::streamsize>(b.size()));
        const std::streamsize n = in.gcount();
        if (n != out.gcount()) {
            return false;
        }
        if (n == 0) {
            return true;
        }
        cipher.Code(a.data(), c.data(), static_cast<int>(n));
        if (!std::equal(c.begin(), c.begin() + n, b.begin())) {
            return false;
        }
    }
}

// A data file of RAVDAN_BENCH_MIB mebibytes (256 unless set) in a fresh scratch folder, and
// the name of its encrypted file.
struct TDataFile {
    TScratch Scratch;
    std::filesystem::path Input = Scratch.Path() / "data.csv";
    std::filesystem::path Output = Scratch.Path() / "datacrypt.csv";
    std::uint64_t Size = SizeFromEnvironment();

    TDataFile() { MakeDataFile(Input, Size); }
    static std::uint64_t SizeFromEnvironment() {
        const char* mib = std::getenv("RAVDAN_BENCH_MIB");
        return static_cast<std::uint64_t>(mib != nullptr ? std::strtoull(mib, nullptr, 10) : 256)
               << 20;
    }
};

// The headless view: it only counts the positions it is given.
class TCountingView : public TRunView {
  public:
    std::int64_t Positions = 0;
    void ShowProgress() override {}
    void HideProgress() override {}
    void SetProgressMax(std::int32_t) override {}
    void SetProgressPosition(std::int32_t) override { ++Positions; }
    void ShowMessageBox(std::u16string_view) override {}
};

}  // namespace bench

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <map>

#include <unistd.h>

namespace bench {

// One encryption run of File onto a fresh output; the removal is not timed. Gives the number
// of positions the run reported.
inline std::int64_t EncryptAfresh(benchmark::State& State, const TDataFile& File,
                                  std::u16string_view Password) {
    State.PauseTiming();
    std::filesystem::remove(File.Output);
    State.ResumeTiming();
    TCountingView view;
    EncryptRun(File.Input.u16string(), Password, view);
    return view.Positions;
}

// The console report, plus the median seconds per iteration of every benchmark, so that a
// program can print ratios of benchmarks that ran side by side.
class TMedianReporter : public benchmark::ConsoleReporter {
  public:
    TMedianReporter() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}
    void ReportRuns(const std::vector<Run>& Runs) override {
        for (const Run& run : Runs) {
            if (run.run_type == Run::RT_Iteration && !run.error_occurred && run.iterations > 0) {
                fSeconds[run.run_name.str()].push_back(run.real_accumulated_time /
                                                       static_cast<double>(run.iterations));
            }
        }
        ConsoleReporter::ReportRuns(Runs);
    }
    // 0 when the benchmark did not run.
    double Median(const std::string& Name) const {
        const auto it = fSeconds.find(Name);
        if (it == fSeconds.end()) {
            return 0;
        }
        std::vector<double> v = it->second;
        std::sort(v.begin(), v.end());
        const std::size_t n = v.size();
        return n % 2 == 1 ? v[n / 2] : (v[n / 2 - 1] + v[n / 2]) / 2;
    }
    std::size_t Count(const std::string& Name) const {
        const auto it = fSeconds.find(Name);
        return it == fSeconds.end() ? 0 : it->second.size();
    }

  private:
    std::map<std::string, std::vector<double>> fSeconds;
};

// Runs the registered benchmarks, five repetitions in random interleaving unless the command
// line says otherwise.
inline void RunSideBySide(int argc, char** argv, TMedianReporter& Reporter) {
    std::vector<char*> args{argv[0]};
    std::string reps = "--benchmark_repetitions=5";
    std::string mix = "--benchmark_enable_random_interleaving=true";
    args.push_back(reps.data());
    args.push_back(mix.data());
    for (int k = 1; k < argc; ++k) {
        args.push_back(argv[k]);
    }
    int n = static_cast<int>(args.size());
    benchmark::Initialize(&n, args.data());
    benchmark::RunSpecifiedBenchmarks(&Reporter);
    benchmark::Shutdown();
}

}  // namespace bench
