// POSIX implementation of the file services. Windows share modes are met with flock(2): the
// locks belong to the open file description, so they hold between two opens in one process
// as well as between processes.

#include "files.h"

#include "errors.h"
#include "paths.h"
#include "text.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <mutex>
#include <new>
#include <optional>

namespace {

// The sharing violation has no text of its own on POSIX.
constexpr std::u16string_view kSharingText =
    u"The process cannot access the file because it is being used by another process";

// The system's description of an errno value in the user's language, with trailing spaces,
// line breaks and full stops removed.
std::u16string SysErrorText(int Errno) {
    char buf[256];
    const char* text = strerror_r(Errno, buf, sizeof buf);
    std::u16string s = FromLocaleText(text);
    while (!s.empty() &&
           (s.back() == u' ' || s.back() == u'\r' || s.back() == u'\n' || s.back() == u'.')) {
        s.pop_back();
    }
    return s;
}

// The path as the file system takes it, or nothing when no file name can be made of it: an
// unpaired surrogate has no UTF-8 form, and a NUL would cut the name.
std::optional<std::string> NativePath(std::u16string_view Path) {
    if (Path.find(u'\0') != std::u16string_view::npos) {
        return std::nullopt;
    }
    return ToUtf8(Path);
}

bool IsFolder(const std::string& Path) {
    struct stat st {};
    return ::stat(Path.c_str(), &st) == 0 && S_ISDIR(st.st_mode);
}

std::string ParentOf(const std::string& Path) {
    const std::size_t k = Path.find_last_of('/');
    if (k == std::string::npos) {
        return ".";
    }
    return k == 0 ? "/" : Path.substr(0, k);
}

// The Windows error code that stands for a failed open of the header check.
int WindowsCodeForOpen(int Errno, const std::string& Path) {
    switch (Errno) {
        case ENOENT:
            return IsFolder(ParentOf(Path)) ? 2 : 3;
        case ENOTDIR:
        case ENAMETOOLONG:
            return 3;
        case EMFILE:
        case ENFILE:
            return 4;
        case EACCES:
        case EPERM:
        case EISDIR:
            return 5;
        case EWOULDBLOCK:
            return 32;
        default:
            return Errno;
    }
}

class TFd {
  public:
    explicit TFd(int Fd) : fFd(Fd) {}
    ~TFd() {
        if (fFd >= 0) {
            ::close(fFd);
        }
    }
    TFd(const TFd&) = delete;
    TFd& operator=(const TFd&) = delete;
    int Get() const { return fFd; }
    int Release() {
        const int fd = fFd;
        fFd = -1;
        return fd;
    }

  private:
    int fFd;
};

// Opened with O_NONBLOCK so that a FIFO cannot hang the open; reads and writes block again.
int OpenNonBlocking(const std::string& Path, int Flags, mode_t Mode = 0) {
    int fd;
    do {
        fd = ::open(Path.c_str(), Flags | O_CLOEXEC | O_NOCTTY | O_NONBLOCK, Mode);
    } while (fd < 0 && errno == EINTR);
    return fd;
}

bool ClearNonBlocking(int Fd) {
    const int flags = ::fcntl(Fd, F_GETFL);
    return flags >= 0 && ::fcntl(Fd, F_SETFL, flags & ~O_NONBLOCK) == 0;
}

int LockNow(int Fd, int Operation) {
    int r;
    do {
        r = ::flock(Fd, Operation | LOCK_NB);
    } while (r != 0 && errno == EINTR);
    return r == 0 ? 0 : errno;
}

std::u16string LockErrorText(int Errno) {
    return Errno == EWOULDBLOCK ? std::u16string(kSharingText) : SysErrorText(Errno);
}

// A file-size limit ends the process with SIGXFSZ unless it is ignored; ignored, the write
// fails with EFBIG and the run reports its write error.
void IgnoreFileSizeSignal() {
    static std::once_flag once;
    std::call_once(once, [] { std::signal(SIGXFSZ, SIG_IGN); });
}

[[noreturn]] void RaiseStreamError(bool Create, std::u16string_view FileName,
                                   std::u16string_view SysText) {
    const std::u16string full = ExpandFileName(FileName);
    if (Create) {
        throw EFCreateError(FCreateErrorText(full, SysText));
    }
    throw EFOpenError(FOpenErrorText(full, SysText));
}

}  // namespace

std::u16string ReadFirstLine(std::u16string_view Path, std::size_t MaxChars) {
    const std::optional<std::string> native = NativePath(Path);
    if (!native) {
        throw InOutErrorFor(123, Path);
    }
    TFd fd(OpenNonBlocking(*native, O_RDONLY));
    if (fd.Get() < 0) {
        throw InOutErrorFor(WindowsCodeForOpen(errno, *native), Path);
    }
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        throw InOutErrorFor(errno, Path);
    }
    if (S_ISDIR(st.st_mode)) {
        throw InOutErrorFor(5, Path);
    }
    if (const int err = LockNow(fd.Get(), LOCK_SH); err != 0) {
        throw InOutErrorFor(WindowsCodeForOpen(err, *native), Path);
    }
    if (!ClearNonBlocking(fd.Get())) {
        throw InOutErrorFor(errno, Path);
    }

    std::string line;
    char buf[4096];
    while (line.size() < MaxChars) {
        const ssize_t n = ::read(fd.Get(), buf, sizeof buf);
        if (n < 0) {
            if (errno == EINTR) {
                continue;
            }
            throw InOutErrorFor(errno == EISDIR ? 5 : errno, Path);
        }
        if (n == 0) {
            break;
        }
        bool ended = false;
        for (ssize_t k = 0; k < n && line.size() < MaxChars; ++k) {
            const char c = buf[k];
            if (c == '\n' || c == '\x1A') {
                ended = true;
                break;
            }
            if (c != '\r') {
                line.push_back(c);
            }
        }
        if (ended) {
            break;
        }
    }
    return FromLatin1(line);
}

TFileStream::TFileStream(std::u16string_view FileName, TMode Mode) : fHandle(-1) {
    const bool create = Mode == TMode::Create;
    auto raise = [&](std::u16string_view SysText) { RaiseStreamError(create, FileName, SysText); };

    const std::optional<std::string> native = NativePath(FileName);
    if (!native) {
        raise(SysErrorText(FileName.find(u'\0') != std::u16string_view::npos ? EINVAL : EILSEQ));
    }

    if (!create) {
        TFd fd(OpenNonBlocking(*native, O_RDONLY));
        if (fd.Get() < 0) {
            raise(SysErrorText(errno));
        }
        struct stat st {};
        if (::fstat(fd.Get(), &st) != 0) {
            raise(SysErrorText(errno));
        }
        if (S_ISDIR(st.st_mode)) {
            raise(SysErrorText(EISDIR));
        }
        if (const int err = LockNow(fd.Get(), LOCK_EX); err != 0) {
            raise(LockErrorText(err));
        }
        if (!ClearNonBlocking(fd.Get())) {
            raise(SysErrorText(errno));
        }
        fHandle = fd.Release();
        return;
    }

    IgnoreFileSizeSignal();
    // Opened without truncation and emptied only once locked, so that a file another run
    // holds is never emptied. O_NOFOLLOW: a link planted at the output's name is refused
    // rather than followed to some other file.
    bool created = true;
    int raw = OpenNonBlocking(*native, O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW, 0666);
    if (raw < 0 && errno == EEXIST) {
        created = false;
        raw = OpenNonBlocking(*native, O_RDWR | O_NOFOLLOW);
    }
    if (raw < 0) {
        raise(SysErrorText(errno));
    }
    TFd fd(raw);
    // A file we made and could not take is not left behind.
    auto failCreated = [&](std::u16string_view SysText) {
        if (created) {
            ::unlink(native->c_str());
        }
        raise(SysText);
    };
    struct stat st {};
    if (::fstat(fd.Get(), &st) != 0) {
        failCreated(SysErrorText(errno));
    }
    if (!S_ISREG(st.st_mode)) {
        failCreated(SysErrorText(EINVAL));
    }
    // A file with no write permission stands for a read-only file, refused even where the
    // process could override file modes.
    if (!created && (st.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0) {
        raise(SysErrorText(EACCES));
    }
    if (const int err = LockNow(fd.Get(), LOCK_EX); err != 0) {
        failCreated(LockErrorText(err));
    }
    if (!created && ::ftruncate(fd.Get(), 0) != 0) {
        raise(SysErrorText(errno));
    }
    if (!ClearNonBlocking(fd.Get())) {
        failCreated(SysErrorText(errno));
    }
    fHandle = fd.Release();
}

TFileStream::~TFileStream() {
    if (fHandle >= 0) {
        ::close(static_cast<int>(fHandle));
    }
}

std::int64_t TFileStream::Size() const {
    struct stat st {};
    // A size that cannot be had must not pass for an empty file and a finished run.
    if (::fstat(static_cast<int>(fHandle), &st) != 0) {
        throw EReadError(std::u16string(SReadError));
    }
    return static_cast<std::int64_t>(st.st_size);
}

void TFileStream::ReadBuffer(void* Buffer, std::int64_t Count) {
    auto* p = static_cast<char*>(Buffer);
    while (Count > 0) {
        const ssize_t n = ::read(static_cast<int>(fHandle), p, static_cast<std::size_t>(Count));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw EReadError(std::u16string(SReadError));
        }
        p += n;
        Count -= n;
        fPosition += n;
    }
}

void TFileStream::WriteBuffer(const void* Buffer, std::int64_t Count) {
    const auto* p = static_cast<const char*>(Buffer);
    while (Count > 0) {
        const ssize_t n = ::write(static_cast<int>(fHandle), p, static_cast<std::size_t>(Count));
        if (n < 0 && errno == EINTR) {
            continue;
        }
        if (n <= 0) {
            throw EWriteError(std::u16string(SWriteError));
        }
        p += n;
        Count -= n;
    }
}

TMemoryBlock::TMemoryBlock(std::size_t Size)
    : fData(static_cast<std::uint8_t*>(std::malloc(Size == 0 ? 1 : Size))), fSize(Size) {
    if (fData == nullptr) {
        throw OutOfMemoryError();
    }
}

TMemoryBlock::~TMemoryBlock() {
    explicit_bzero(fData, fSize);
    std::free(fData);
}
