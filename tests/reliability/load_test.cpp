// A thousand runs in one process, successes and failures in turn: nothing may pile up, neither
// open descriptors nor heap.

#include "errors.h"
#include "fault_support.h"
#include "runs.h"

#include <gtest/gtest.h>
#include <malloc.h>

namespace {

std::size_t HeapInUse() {
    return mallinfo2().uordblks;
}

TEST(Load, AThousandRunsLeaveNothingBehind) {
    TTempDir dir;
    const TBytes data = DataFile(1500, 31);
    WriteFile(dir / "report.csv", data);
    WriteFile(dir / "plain.txt", "not a data file");
    WriteFile(dir / "plainuncrypt.txt", "held");
    const TSameProcessLock held(dir / "plainuncrypt.txt", LOCK_SH);

    // Each failure kind in turn: the header check, the input's open, the output's create, the
    // run's own refusal.
    auto failure = [&](int k) {
        TRecordingView view;
        switch (k % 4) {
            case 0:
                EXPECT_THROW(EncryptRun(U16(dir / "missing.csv"), u"pw", view), EInOutError);
                break;
            case 1:
                EXPECT_THROW(DecryptRun(U16(dir / "missing.csv"), u"pw", view), EFOpenError);
                break;
            case 2:
                EXPECT_THROW(DecryptRun(U16(dir / "plain.txt"), u"pw", view), EFCreateError);
                break;
            default:
                EncryptRun(U16(dir / "plain.txt"), u"pw", view);
                EXPECT_EQ(view.Calls.back(), "HideProgress");
        }
    };
    auto success = [&](int k) {
        TRecordingView view;
        if (k % 2 == 0) {
            EncryptRun(U16(dir / "report.csv"), u"pw", view);
        } else {
            DecryptRun(U16(dir / "reportcrypt.csv"), u"pw", view);
        }
        EXPECT_EQ(view.Calls.back(), "HideProgress");
    };

    // A first round settles the library's own one-time allocations.
    for (int k = 0; k < 100; ++k) {
        success(k);
        failure(k);
    }
    const int descriptors = OpenDescriptorCount();
    const std::size_t heap = HeapInUse();
    for (int k = 0; k < 500; ++k) {
        success(k);
        failure(k);
    }
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    // Far less than one run's buffers each time would add up to.
    EXPECT_LT(HeapInUse(), heap + 16 * 1024);
    EXPECT_TRUE(ReadFile(dir / "reportcrypt.csv") == Transformed(data, u"pw"));
    EXPECT_EQ(ReadFile(dir / "reportuncrypt.csv"), data);
    EXPECT_EQ(ReadFile(dir / "report.csv"), data);
    EXPECT_EQ(ReadFile(dir / "plainuncrypt.txt"), TBytes({'h', 'e', 'l', 'd'}));
    EXPECT_EQ(std::distance(fs::directory_iterator(dir.Path()), fs::directory_iterator()), 5);
}

}  // namespace
