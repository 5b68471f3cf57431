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

#include <cstdlib>
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

// A limit on one of this process's resources for as long as the object lives.
class TResourceLimit {
  public:
    TResourceLimit(int Resource, rlim_t Value) : fResource(Resource) {
        ::getrlimit(fResource, &fSaved);
        rlimit limit = fSaved;
        limit.rlim_cur = Value;
        if (::setrlimit(fResource, &limit) != 0) {
            throw std::runtime_error("setrlimit failed");
        }
    }
    ~TResourceLimit() { ::setrlimit(fResource, &fSaved); }
    TResourceLimit(const TResourceLimit&) = delete;
    TResourceLimit& operator=(const TResourceLimit&) = delete;

  private:
    int fResource;
    rlimit fSaved{};
};

// The descriptor limit that leaves exactly Spare descriptors to be had: every number below the
// lowest free one is taken, and with Spare 1 the next one above may be taken already, which
// leaves none above the limit either way.
inline rlim_t DescriptorsWithSpare(int Spare) {
    const int lowest = ::open("/dev/null", O_RDONLY | O_CLOEXEC);
    if (lowest < 0) {
        throw std::runtime_error("cannot open /dev/null");
    }
    ::close(lowest);
    return static_cast<rlim_t>(lowest + Spare);
}

// This process's address space in bytes, read without taking memory.
inline rlim_t AddressSpace() {
    char buf[128] = {};
    const int fd = ::open("/proc/self/statm", O_RDONLY | O_CLOEXEC);
    const ssize_t n = fd >= 0 ? ::read(fd, buf, sizeof buf - 1) : -1;
    if (fd >= 0) {
        ::close(fd);
    }
    return n > 0 ? static_cast<rlim_t>(std::strtoull(buf, nullptr, 10)) *
                       static_cast<rlim_t>(::sysconf(_SC_PAGESIZE))
                 : 0;
}

struct TChildResult {
    std::string Printed;  // what the child wrote to its pipe
    int Status = 0;       // as waitpid gives it
};

// Runs Body in a child process with the write end of a pipe, then reads what the child writes
// until it ends, and waits for it.
inline TChildResult InChildProcess(const std::function<void(int Fd)>& Body) {
    int pipeFds[2];
    if (::pipe2(pipeFds, O_CLOEXEC) != 0) {
        throw std::runtime_error("pipe failed");
    }
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::close(pipeFds[0]);
        Body(pipeFds[1]);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    TChildResult result;
    char buf[1024];
    for (ssize_t n; (n = ::read(pipeFds[0], buf, sizeof buf)) > 0;) {
        result.Printed.append(buf, static_cast<std::size_t>(n));
    }
    ::close(pipeFds[0]);
    ::waitpid(pid, &result.Status, 0);
    return result;
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
