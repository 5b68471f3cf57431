#pragma once
// A fresh folder per test, removed afterwards, with small helpers for real files in it.

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <random>
#include <stdexcept>
#include <string>
#include <vector>

using TBytes = std::vector<std::uint8_t>;

class TTempDir {
  public:
    TTempDir() {
        std::string tmpl = (std::filesystem::temp_directory_path() / "ravdan-test-XXXXXX").string();
        if (mkdtemp(tmpl.data()) == nullptr) {
            throw std::runtime_error("mkdtemp failed");
        }
        fPath = tmpl;
    }
    ~TTempDir() {
        std::error_code ec;
        // Give back write permission first so that nothing stays behind.
        for (auto it = std::filesystem::recursive_directory_iterator(fPath, ec);
             !ec && it != std::filesystem::recursive_directory_iterator(); it.increment(ec)) {
            std::filesystem::permissions(
                it->path(), std::filesystem::perms::owner_all,
                std::filesystem::perm_options::add | std::filesystem::perm_options::nofollow, ec);
        }
        std::filesystem::remove_all(fPath, ec);
    }
    TTempDir(const TTempDir&) = delete;
    TTempDir& operator=(const TTempDir&) = delete;

    const std::filesystem::path& Path() const { return fPath; }
    std::filesystem::path operator/(const std::string& Name) const { return fPath / Name; }

  private:
    std::filesystem::path fPath;
};

inline std::u16string U16(const std::filesystem::path& P) {
    return P.u16string();
}

inline void WriteFile(const std::filesystem::path& P, const TBytes& Data) {
    std::ofstream out(P, std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(Data.data()),
              static_cast<std::streamsize>(Data.size()));
    if (!out) {
        throw std::runtime_error("cannot write " + P.string());
    }
}

inline void WriteFile(const std::filesystem::path& P, const std::string& Data) {
    WriteFile(P, TBytes(Data.begin(), Data.end()));
}

inline TBytes ReadFile(const std::filesystem::path& P) {
    std::ifstream in(P, std::ios::binary);
    return TBytes(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

inline TBytes RandomBytes(std::size_t N, std::uint32_t Seed) {
    std::mt19937 rng(Seed);
    TBytes out(N);
    for (auto& b : out) {
        b = static_cast<std::uint8_t>(rng());
    }
    return out;
}

// A data file of N bytes: the KVD header line, then random bytes.
inline TBytes DataFile(std::size_t N, std::uint32_t Seed = 1) {
    const std::string head =
        "\xEF\xBB\xBF"
        "Date/Time,Tag,Value\r\n";
    TBytes out = RandomBytes(N, Seed);
    for (std::size_t k = 0; k < head.size() && k < N; ++k) {
        out[k] = static_cast<std::uint8_t>(head[k]);
    }
    return out;
}
