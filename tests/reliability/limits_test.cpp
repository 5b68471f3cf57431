// System limits met for real: a small file system that fills up, a file-size limit in a fresh
// process, memory that runs out, and a huge file with no line break.

#include "errors.h"
#include "fault_support.h"
#include "files.h"
#include "runs.h"
#include "text.h"

#include <gtest/gtest.h>
#include <sched.h>
#include <sys/mount.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace {

// A tmpfs of a few pages mounted on a fresh folder, in a mount namespace of this process's own
// so that nothing outside sees it and it goes with the process.
class TSmallFileSystem {
  public:
    bool Mount(const fs::path& At, const char* Size) {
        static const bool privateNamespace =
            ::unshare(CLONE_NEWNS) == 0 &&
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) == 0;
        if (!privateNamespace) {
            return false;
        }
        const std::string options = std::string("size=") + Size;
        if (::mount("tmpfs", At.c_str(), "tmpfs", 0, options.c_str()) != 0) {
            return false;
        }
        fAt = At;
        return true;
    }
    ~TSmallFileSystem() {
        if (!fAt.empty()) {
            ::umount2(fAt.c_str(), MNT_DETACH);
        }
    }

  private:
    fs::path fAt;
};

class FullDisk : public testing::TestWithParam<TRunKind> {};

TEST_P(FullDisk, ASmallFileSystemFillsInTheChunkLoop) {
    TTempDir dir;
    TSmallFileSystem small;
    if (!small.Mount(dir.Path(), "32k")) {
        GTEST_SKIP() << "no tmpfs can be mounted here; the file-size limit stands for it";
    }
    // 20000 bytes take five of the eight pages; the output gets what is left.
    const TBytes data = DataFile(20000, 9);
    WriteFile(dir / "report.csv", data);
    const fs::path output =
        GetParam() == TRunKind::Encrypt ? dir / "reportcrypt.csv" : dir / "reportuncrypt.csv";
    TRecordingView view;
    const int descriptors = OpenDescriptorCount();
    try {
        RunOf(GetParam(), U16(dir / "report.csv"), u"pw", view);
        ADD_FAILURE() << "the run did not fail";
    } catch (const EWriteError& e) {
        EXPECT_EQ(ToUtf8Lossy(e.Message()), "Stream write error");
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    const TBytes written = ReadFile(output);
    ASSERT_GT(written.size(), 0u);
    ASSERT_LT(written.size(), data.size());
    TBytes want = Transformed(data, u"pw");
    want.resize(written.size());
    EXPECT_TRUE(written == want);
    // The failing chunk is the one the system stored only part of, or none.
    EXPECT_EQ(view.Calls, CallsUpToChunk(data.size(), written.size() / 1000 * 1000));
    EXPECT_EQ(ReadFile(dir / "report.csv"), data);
}

INSTANTIATE_TEST_SUITE_P(BothRuns, FullDisk, testing::Values(TRunKind::Encrypt, TRunKind::Decrypt),
                         [](const testing::TestParamInfo<TRunKind>& Info) {
                             return Info.param == TRunKind::Encrypt ? "Encrypt" : "Decrypt";
                         });

// The signal that a file-size limit raises ends a process by default; the driver starts with
// that default, so this shows that the run itself keeps it from killing us.
TEST(FileSizeLimit, GivesTheWriteErrorInAFreshProcess) {
    TTempDir dir;
    WriteFile(dir / "report.csv", DataFile(5000, 2));
    for (const char* verb : {"encrypt", "decrypt"}) {
        const TChildResult child = InChildProcess([&](int Fd) {
            ::dup2(Fd, 1);
            ::signal(SIGXFSZ, SIG_DFL);
            const rlimit limit{2500, RLIM_INFINITY};
            ::setrlimit(RLIMIT_FSIZE, &limit);
            const std::string path = (dir / "report.csv").string();
            ::execl(RAVDAN_DRIVE, RAVDAN_DRIVE, verb, "--quiet", path.c_str(), "pw", nullptr);
            ::_exit(127);
        });
        ASSERT_FALSE(WIFSIGNALED(child.Status))
            << verb << " was killed by signal " << WTERMSIG(child.Status);
        EXPECT_EQ(WEXITSTATUS(child.Status), 1) << verb;
        EXPECT_EQ(child.Printed,
                  "ShowProgress\nSetProgressMax 5000\nerror EWriteError: Stream write error\n")
            << verb;
    }
    EXPECT_EQ(fs::file_size(dir / "reportcrypt.csv"), 2500u);
    EXPECT_EQ(fs::file_size(dir / "reportuncrypt.csv"), 2500u);
}

// A data file of several GiB that is one single line: sparse, so it costs no disk. The header
// check must answer from the head of the line, within a memory limit far below the file's size.
class HugeLine : public testing::Test {
  protected:
    void SetUp() override {
        WriteFile(dir / "accepted.csv", "abcDate/Time,");
        WriteFile(dir / "rejected.csv", "abcdefghijklmnop");
        fs::resize_file(dir / "accepted.csv", kSize);
        fs::resize_file(dir / "rejected.csv", kSize);
    }
    static constexpr std::uintmax_t kSize = std::uintmax_t{6} << 30;
    TTempDir dir;
};

TEST_F(HugeLine, TheHeaderCheckReadsOnlyTheHeadOfTheLine) {
    // Run in a child whose address space is limited to 256 MiB more than it has now.
    const TChildResult child = InChildProcess([&](int Fd) {
        if (!kSanitizerBuild) {
            const rlimit limit{AddressSpace() + (rlim_t{256} << 20), RLIM_INFINITY};
            ::setrlimit(RLIMIT_AS, &limit);
        }
        std::string result;
        struct TStop {};
        struct TStopView : TRecordingView {
            void SetProgressPosition(std::int32_t Value) override {
                TRecordingView::SetProgressPosition(Value);
                throw TStop{};
            }
        };
        try {
            TStopView rejected;
            EncryptRun(U16(dir / "rejected.csv"), u"pw", rejected);
            result += rejected.Calls.front() + "\n";
            TStopView accepted;
            try {
                EncryptRun(U16(dir / "accepted.csv"), u"pw", accepted);
            } catch (const TStop&) {
            }
            for (const auto& call : accepted.Calls) {
                result += call + "\n";
            }
        } catch (const Exception& e) {
            result += std::string("error ") + e.ClassName() + ": " + e.what();
        }
        (void)!::write(Fd, result.data(), result.size());
    });
    ASSERT_TRUE(WIFEXITED(child.Status));
    // 6 GiB shifted right by two fits the bar's range.
    EXPECT_EQ(child.Printed,
              "ShowMessageBox Неверный тип файла.\n"
              "ShowProgress\nSetProgressMax " +
                  std::to_string(kSize >> 2) + "\nSetProgressPosition 0\n");
    EXPECT_EQ(fs::file_size(dir / "acceptedcrypt.csv"), 0u);
}

}  // namespace
