// Memory that runs out during a run, for real: a child process limits its address space, fills
// its heap once the bar is shown and leaves a given headroom free. Over a range of headrooms
// the run fails at each of its allocations in turn, up to the headroom that lets it finish;
// every failure must be the out-of-memory error with nothing created and nothing left open.
//
// The buffers themselves cannot be made to fail this way: opening the output converts its name
// and gives back a larger block just before they are taken, so any headroom that lets the
// output be created also holds both buffers. Should that change, an empty output is accepted.

#include "errors.h"
#include "fault_support.h"
#include "runs.h"
#include "text.h"

#include <gtest/gtest.h>
#include <sys/resource.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <set>

namespace {

// The heap's blocks while it is full. Static, so that filling needs no memory of its own.
constexpr std::size_t kMaxBlocks = 1 << 15;
void* gBlocks[kMaxBlocks];
std::size_t gBlockCount = 0;

// Fills the heap up to a small address-space limit and leaves Headroom bytes free in one
// block; above the tcache's sizes, so any allocation that fits may take from it.
void ExhaustHeap(std::size_t Headroom) {
    const rlimit limit{AddressSpace() + (rlim_t{8} << 20), RLIM_INFINITY};
    ::setrlimit(RLIMIT_AS, &limit);
    // volatile: the compiler may otherwise drop an allocation that is only freed.
    void* volatile reserve = std::malloc(Headroom);
    for (std::size_t size = 1 << 16; size >= 8; size /= 2) {
        while (gBlockCount < kMaxBlocks) {
            void* p = std::malloc(size);
            if (p == nullptr) {
                break;
            }
            gBlocks[gBlockCount++] = p;
        }
    }
    std::free(reserve);
}

void GiveBackHeap() {
    const rlimit limit{RLIM_INFINITY, RLIM_INFINITY};
    ::setrlimit(RLIMIT_AS, &limit);
    while (gBlockCount > 0) {
        std::free(gBlocks[--gBlockCount]);
    }
}

// Records the calls into a fixed buffer: it must go on working with no memory to be had.
class TFixedView : public TRunView {
  public:
    std::size_t Headroom = 0;
    char Log[512] = {};

    void ShowProgress() override {
        Add("ShowProgress;");
        ExhaustHeap(Headroom);
    }
    void HideProgress() override { Add("HideProgress;"); }
    void SetProgressMax(std::int32_t Value) override { AddNumber("SetProgressMax", Value); }
    void SetProgressPosition(std::int32_t Value) override {
        AddNumber("SetProgressPosition", Value);
    }
    void ShowMessageBox(std::u16string_view) override { Add("ShowMessageBox;"); }

  private:
    void Add(const char* Text) { std::strncat(Log, Text, sizeof Log - std::strlen(Log) - 1); }
    void AddNumber(const char* Name, std::int32_t Value) {
        char buf[64];
        std::snprintf(buf, sizeof buf, "%s %d;", Name, Value);
        Add(buf);
    }
};

struct TOutcome {
    std::string Error;  // class and message, or "none"
    std::string Calls;
    bool DescriptorsKept = false;
};

TOutcome RunWithHeadroom(TRunKind Kind, const fs::path& Input, std::size_t Headroom) {
    const TChildResult child = InChildProcess([&](int Fd) {
        static TFixedView view;
        view.Headroom = Headroom;
        const int descriptors = OpenDescriptorCount();
        // The message is copied out before memory is given back, and converted after.
        static char error[512] = "none";
        static char16_t message[512] = {};
        try {
            RunOf(Kind, U16(Input), u"pw", view);
        } catch (const Exception& e) {
            std::snprintf(error, sizeof error, "%s: ", e.ClassName());
            e.Message().copy(message, sizeof message / sizeof message[0] - 1);
        } catch (const std::exception& e) {
            std::snprintf(error, sizeof error, "%s", e.what());
        }
        GiveBackHeap();
        std::strncat(error, ToUtf8Lossy(message).c_str(), sizeof error - std::strlen(error) - 1);
        const std::string text = std::string(error) + "\n" + view.Log + "\n" +
                                 (OpenDescriptorCount() == descriptors ? "kept" : "leaked");
        (void)!::write(Fd, text.data(), text.size());
    });
    if (!WIFEXITED(child.Status)) {
        return {"the child died with signal " + std::to_string(WTERMSIG(child.Status)), "", false};
    }
    const std::string& printed = child.Printed;
    const auto a = printed.find('\n');
    const auto b = printed.find('\n', a + 1);
    return {printed.substr(0, a), printed.substr(a + 1, b - a - 1),
            printed.substr(b + 1) == "kept"};
}

class OutOfMemory : public testing::TestWithParam<TRunKind> {};

TEST_P(OutOfMemory, EachAllocationFailsAsTheOutOfMemoryError) {
    if (kSanitizerBuild) {
        GTEST_SKIP() << "AddressSanitizer reserves the address space that the limit counts";
    }
    TTempDir dir;
    const TBytes data = DataFile(2500, 11);
    WriteFile(dir / "report.csv", data);
    const fs::path output =
        GetParam() == TRunKind::Encrypt ? dir / "reportcrypt.csv" : dir / "reportuncrypt.csv";
    const std::string done =
        "ShowProgress;SetProgressMax 2500;SetProgressPosition 0;SetProgressPosition 1000;"
        "SetProgressPosition 2000;ShowMessageBox;HideProgress;";

    // What the failures left, by the step they hit: no output (opening or creating), or an
    // empty one (the buffers or the key).
    std::set<std::string> seen;
    int successes = 0;
    // Fine steps at first, then growing ones up to where the run no longer fails.
    for (std::size_t headroom = 1040; headroom < (std::size_t{4} << 20) && successes < 8;
         headroom += std::max<std::size_t>(32, headroom / 50)) {
        const TOutcome o = RunWithHeadroom(GetParam(), dir / "report.csv", headroom);
        SCOPED_TRACE("headroom " + std::to_string(headroom) + ": " + o.Error + " / " + o.Calls);
        EXPECT_TRUE(o.DescriptorsKept);
        EXPECT_EQ(ReadFile(dir / "report.csv"), data);
        if (o.Error == "none") {
            ++successes;
            EXPECT_EQ(o.Calls, done);
            EXPECT_TRUE(ReadFile(output) == Transformed(data, u"pw"));
            seen.insert("success");
        } else {
            successes = 0;
            ASSERT_EQ(o.Error, "EOutOfMemory: Out of memory");
            ASSERT_EQ(o.Calls, "ShowProgress;");
            if (Exists(output)) {
                EXPECT_EQ(fs::file_size(output), 0u);
                seen.insert("empty output");
            } else {
                seen.insert("no output");
            }
        }
        fs::remove(output);
    }
    EXPECT_TRUE(seen.contains("no output"));
    EXPECT_TRUE(seen.contains("success"));
}

INSTANTIATE_TEST_SUITE_P(BothRuns, OutOfMemory,
                         testing::Values(TRunKind::Encrypt, TRunKind::Decrypt),
                         [](const testing::TestParamInfo<TRunKind>& Info) {
                             return Info.param == TRunKind::Encrypt ? "Encrypt" : "Decrypt";
                         });

}  // namespace
