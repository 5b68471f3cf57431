#pragma once
// Real faults for the runs: another process holding a lock, a second open file description in
// this process, a file-size limit, and the count of this process's open descriptors.

#include "support/recording_view.h"
#include "support/temp_dir.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <functional>
#include <stdexcept>
#include <string>

#include "md5.h"
#include "rc4.h"
#include "runs.h"

namespace fs = std::filesystem;

// The sanitizer build: its runtime needs address space and descriptors of its own.
#if defined(__SANITIZE_ADDRESS__)
inline constexpr bool kSanitizerBuild = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
inline constexpr bool kSanitizerBuild = true;
#else
inline constexpr bool kSanitizerBuild = false;
#endif
#else
inline constexpr bool kSanitizerBuild = false;
#endif
using Calls = std::vector<std::string>;

enum class TRunKind { Encrypt, Decrypt };

inline void RunOf(TRunKind Kind, std::u16string_view Path, std::u16string_view Password,
                  TRunView& View) {
    if (Kind == TRunKind::Encrypt) {
        EncryptRun(Path, Password, View);
    } else {
        DecryptRun(Path, Password, View);
    }
}

// Our text for a lock conflict, which has no system text of its own here.
inline const std::string kSharingText =
    "The process cannot access the file because it is being used by another process";

// The descriptors this process has open, by listing /proc/self/fd (the listing's own
// descriptor is left out).
inline int OpenDescriptorCount() {
    DIR* dir = ::opendir("/proc/self/fd");
    if (dir == nullptr) {
        throw std::runtime_error("cannot list /proc/self/fd");
    }
    int count = 0;
    while (const dirent* e = ::readdir(dir)) {
        if (e->d_name[0] != '.') {
            ++count;
        }
    }
    ::closedir(dir);
    return count - 1;
}

// Another process that opens a file and holds a flock on it until this object goes.
class TOtherProcessLock {
  public:
    TOtherProcessLock(const fs::path& Path, int Operation) {
        int ready[2];
        int hold[2];
        if (::pipe2(ready, O_CLOEXEC) != 0 || ::pipe2(hold, O_CLOEXEC) != 0) {
            throw std::runtime_error("pipe failed");
        }
        fPid = ::fork();
        if (fPid < 0) {
            throw std::runtime_error("fork failed");
        }
        if (fPid == 0) {
            ::close(ready[0]);
            ::close(hold[1]);
            const int fd = ::open(Path.c_str(), O_RDONLY | O_CLOEXEC);
            const char ok = fd >= 0 && ::flock(fd, Operation | LOCK_NB) == 0 ? '1' : '0';
            (void)!::write(ready[1], &ok, 1);
            char c;
            // Until the parent closes its end, or dies.
            (void)!::read(hold[0], &c, 1);
            ::_exit(0);
        }
        ::close(ready[1]);
        ::close(hold[0]);
        fHold = hold[1];
        char ok = '0';
        const ssize_t n = ::read(ready[0], &ok, 1);
        ::close(ready[0]);
        if (n != 1 || ok != '1') {
            Stop();
            throw std::runtime_error("the other process could not lock " + Path.string());
        }
    }
    ~TOtherProcessLock() { Stop(); }
    TOtherProcessLock(const TOtherProcessLock&) = delete;
    TOtherProcessLock& operator=(const TOtherProcessLock&) = delete;

  private:
    void Stop() {
        if (fHold >= 0) {
            ::close(fHold);
            fHold = -1;
        }
        if (fPid > 0) {
            int status;
            ::waitpid(fPid, &status, 0);
            fPid = -1;
        }
    }
    pid_t fPid = -1;
    int fHold = -1;
};

// A second open file description in this process with a flock on it.
class TSameProcessLock {
  public:
    TSameProcessLock(const fs::path& Path, int Operation)
        : fFd(::open(Path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fFd < 0 || ::flock(fFd, Operation | LOCK_NB) != 0) {
            throw std::runtime_error("cannot lock " + Path.string());
        }
    }
    ~TSameProcessLock() { ::close(fFd); }
    TSameProcessLock(const TSameProcessLock&) = delete;
    TSameProcessLock& operator=(const TSameProcessLock&) = delete;

  private:
    int fFd;
};

// A file-size limit on this process for as long as the object lives: the disk is "full"
// once a file would grow past Bytes.
class TFileSizeLimit {
  public:
    explicit TFileSizeLimit(rlim_t Bytes) {
        ::getrlimit(RLIMIT_FSIZE, &fSaved);
        rlimit limit = fSaved;
        limit.rlim_cur = Bytes;
        if (::setrlimit(RLIMIT_FSIZE, &limit) != 0) {
            throw std::runtime_error("setrlimit failed");
        }
    }
    ~TFileSizeLimit() { ::setrlimit(RLIMIT_FSIZE, &fSaved); }
    TFileSizeLimit(const TFileSizeLimit&) = delete;
    TFileSizeLimit& operator=(const TFileSizeLimit&) = delete;

  private:
    rlimit fSaved{};
};

// A limit on open descriptors that leaves exactly Spare of them to be had, for as long as the
// object lives.
class TDescriptorLimit {
  public:
    explicit TDescriptorLimit(int Spare) {
        // The lowest free descriptor number: every one below it is taken.
        const int lowest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
        if (lowest < 0) {
            throw std::runtime_error("cannot open /dev/null");
        }
        ::close(lowest);
        ::getrlimit(RLIMIT_NOFILE, &fSaved);
        rlimit limit = fSaved;
        // With Spare 1 the next descriptor above may be taken already; then none is left above
        // the limit either way.
        limit.rlim_cur = static_cast<rlim_t>(lowest + Spare);
        if (::setrlimit(RLIMIT_NOFILE, &limit) != 0) {
            throw std::runtime_error("setrlimit failed");
        }
    }
    ~TDescriptorLimit() { ::setrlimit(RLIMIT_NOFILE, &fSaved); }
    TDescriptorLimit(const TDescriptorLimit&) = delete;
    TDescriptorLimit& operator=(const TDescriptorLimit&) = delete;

  private:
    rlimit fSaved{};
};

// Runs Body in a child process and waits for it.
inline void InOtherProcess(const std::function<void()>& Body) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        Body();
        ::_exit(0);
    }
    int status = 0;
    ::waitpid(pid, &status, 0);
}

// A recording view that also calls a hook after each position it is given.
class THookedView : public TRecordingView {
  public:
    std::function<void(std::int32_t)> OnPosition;
    void SetProgressPosition(std::int32_t Value) override {
        TRecordingView::SetProgressPosition(Value);
        if (OnPosition) {
            OnPosition(Value);
        }
    }
};

// The bytes a run must write for Input: one keystream over the whole file, keyed from the
// password's key text (the cipher and key text have their own tests against outside oracles).
inline TBytes Transformed(const TBytes& Input, std::u16string_view Password) {
    TRC4Context rc4;
    RC4Init(rc4, md5(Password));
    TBytes out(Input.size());
    RC4Code(rc4, Input.data(), out.data(), static_cast<std::int32_t>(Input.size()));
    RC4Done(rc4);
    return out;
}

// What the view sees from a run that fails in its chunk loop at the chunk of LastPosition.
inline Calls CallsUpToChunk(std::size_t Size, std::size_t LastPosition) {
    Calls c = {"ShowProgress", "SetProgressMax " + std::to_string(Size)};
    for (std::size_t p = 0; p <= LastPosition; p += 1000) {
        c.push_back("SetProgressPosition " + std::to_string(p));
    }
    return c;
}

inline bool Exists(const fs::path& P) {
    std::error_code ec;
    return fs::symlink_status(P, ec).type() != fs::file_type::not_found;
}
