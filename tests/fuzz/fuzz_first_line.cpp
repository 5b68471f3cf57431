// The header check's first-line reading against a simple model of the rule: bytes up to the
// first LF or 0x1A or the end, every CR dropped, one character per byte; accepted when
// "Date/Time," or "Date,Time," first occurs at character 4. Reading stops early, so a prefix
// of the line is compared too.

#include "files.h"
#include "runs.h"

#include <fcntl.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace {

std::u16string ModelLine(const std::uint8_t* Data, std::size_t Size) {
    std::u16string line;
    for (std::size_t k = 0; k < Size; ++k) {
        const std::uint8_t b = Data[k];
        if (b == 0x0A || b == 0x1A) {
            break;
        }
        if (b != 0x0D) {
            line.push_back(b);
        }
    }
    return line;
}

bool ModelAccepts(const std::u16string& Line) {
    return Line.find(u"Date/Time,") == 3 || Line.find(u"Date,Time,") == 3;
}

// One file for the whole run, rewritten for each input and removed at exit.
const std::string& FilePath() {
    static const std::string path = [] {
        std::string dir = (std::filesystem::temp_directory_path() / "ravdan-fuzz-XXXXXX").string();
        if (mkdtemp(dir.data()) == nullptr) {
            std::abort();
        }
        static const std::string folder = dir;
        std::atexit([] { std::filesystem::remove_all(folder); });
        return dir + "/input.csv";
    }();
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::string& path = FilePath();
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0600);
    if (fd < 0 || ::write(fd, Data, Size) != static_cast<ssize_t>(Size) || ::close(fd) != 0) {
        std::abort();
    }
    const std::u16string upath(path.begin(), path.end());
    const std::u16string line = ModelLine(Data, Size);

    if (IsDataFileHeader(ReadFirstLine(upath, HeaderLineChars)) != ModelAccepts(line)) {
        __builtin_trap();
    }
    const std::size_t maxChars = Size == 0 ? 0 : Data[Size - 1] % 40;
    if (ReadFirstLine(upath, maxChars) != line.substr(0, maxChars)) {
        __builtin_trap();
    }
    return 0;
}
