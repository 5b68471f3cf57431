// A second run started while the first run's closing message is open, as a click in the main
// window does: the first run still holds both of its files with no sharing.

#include "errors.h"
#include "fault_support.h"
#include "runs.h"
#include "text.h"

#include <gtest/gtest.h>

namespace {

void RunOn(TRunKind Kind, const fs::path& P, TRunView& View) {
    RunOf(Kind, U16(P), u"pw", View);
}

struct TNested {
    const char* Name;
    TRunKind Outer;  // always on report.csv
    TRunKind Inner;
    const char* InnerFile;
    const char* ErrorClass;
    std::string Message;  // {file}: the inner run's full path; {out}: its output's
    Calls InnerCalls;
};

void PrintTo(const TNested& N, std::ostream* Os) {
    *Os << N.Name;
}

std::vector<TNested> NestedCases() {
    const auto E = TRunKind::Encrypt;
    const auto D = TRunKind::Decrypt;
    const std::string open = "Cannot open file \"{file}\". " + kSharingText;
    const Calls shown = {"ShowProgress"};
    return {
        {"EncryptTheSameInput", E, E, "report.csv", "EInOutError", "I/O error 32", {}},
        {"DecryptTheSameInput", E, D, "report.csv", "EFOpenError", open, shown},
        {"EncryptTheOutput", E, E, "reportcrypt.csv", "EInOutError", "I/O error 32", {}},
        {"DecryptTheOutput", E, D, "reportcrypt.csv", "EFOpenError", open, shown},
        {"DecryptTheSameInputTwice", D, D, "report.csv", "EFOpenError", open, shown},
        {"EncryptTheInputOfADecryption", D, E, "report.csv", "EInOutError", "I/O error 32", {}},
        // reportun.csv encrypts to reportuncrypt.csv, the output the first run holds: the
        // held output must not be emptied.
        {"EncryptIntoTheHeldOutput", D, E, "reportun.csv", "EFCreateError",
         "Cannot create file \"{out}\". " + kSharingText, shown},
    };
}

class NestedRun : public testing::TestWithParam<TNested> {};

TEST_P(NestedRun, FailsWhileTheFirstRunsBoxIsOpenAndWorksAfter) {
    const TNested& c = GetParam();
    TTempDir dir;
    const TBytes data = DataFile(2500, 3);
    WriteFile(dir / "report.csv", data);
    WriteFile(dir / "reportun.csv", DataFile(1200, 4));
    const fs::path outerOutput =
        c.Outer == TRunKind::Encrypt ? dir / "reportcrypt.csv" : dir / "reportuncrypt.csv";
    const fs::path innerFile = dir / c.InnerFile;
    const fs::path innerOutput = c.Inner == TRunKind::Encrypt
                                     ? fs::path(EncryptedFileName(U16(innerFile)))
                                     : fs::path(DecryptedFileName(U16(innerFile)));
    const bool innerOutputExisted = Exists(innerOutput);

    TRecordingView outer;
    TRecordingView inner;
    std::string errorClass = "none";
    std::string message;
    outer.OnMessageBox = [&](std::u16string_view) {
        try {
            RunOn(c.Inner, innerFile, inner);
        } catch (const Exception& e) {
            errorClass = e.ClassName();
            message = ToUtf8Lossy(e.Message());
        }
    };
    const int descriptors = OpenDescriptorCount();
    RunOn(c.Outer, dir / "report.csv", outer);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);

    EXPECT_EQ(errorClass, c.ErrorClass);
    std::string want = c.Message;
    if (const auto k = want.find("{file}"); k != std::string::npos) {
        want.replace(k, 6, innerFile.string());
    }
    if (const auto k = want.find("{out}"); k != std::string::npos) {
        want.replace(k, 5, innerOutput.string());
    }
    EXPECT_EQ(message, want);
    EXPECT_EQ(inner.Calls, c.InnerCalls);
    // The first run finished whole, and the second created nothing of its own.
    EXPECT_EQ(outer.Calls.back(), "HideProgress");
    EXPECT_TRUE(ReadFile(outerOutput) == Transformed(data, u"pw"));
    EXPECT_EQ(ReadFile(dir / "report.csv"), data);
    if (innerOutput != outerOutput) {
        EXPECT_EQ(Exists(innerOutput), innerOutputExisted);
    }

    // Once the box is closed the files are free again.
    TRecordingView again;
    EXPECT_NO_THROW(RunOn(c.Inner, innerFile, again));
    EXPECT_EQ(again.Calls.back(), "HideProgress");
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
}

INSTANTIATE_TEST_SUITE_P(SecondRun, NestedRun, testing::ValuesIn(NestedCases()),
                         [](const testing::TestParamInfo<TNested>& Info) {
                             return std::string(Info.param.Name);
                         });

TEST(ReadOnlyOutput, TheSameRunSucceedsOnceTheOutputIsWritable) {
    TTempDir dir;
    const TBytes data = DataFile(1500, 5);
    WriteFile(dir / "report.csv", data);
    WriteFile(dir / "reportcrypt.csv", "old");
    fs::permissions(dir / "reportcrypt.csv", fs::perms::owner_read);
    TRecordingView first;
    EXPECT_THROW(EncryptRun(U16(dir / "report.csv"), u"pw", first), EFCreateError);
    fs::permissions(dir / "reportcrypt.csv", fs::perms::owner_write, fs::perm_options::add);
    TRecordingView second;
    EncryptRun(U16(dir / "report.csv"), u"pw", second);
    EXPECT_EQ(second.Calls.back(), "HideProgress");
    EXPECT_TRUE(ReadFile(dir / "reportcrypt.csv") == Transformed(data, u"pw"));
}

}  // namespace
