// Every failure point of both runs with a real fault, and what each leaves behind: the error,
// the view calls up to the failure, the folder's contents, the input byte for byte, and no
// descriptor left open.

#include "errors.h"
#include "fault_support.h"
#include "runs.h"
#include "text.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <map>
#include <memory>

namespace {

using namespace std::string_literals;

// What stands at the output's name once the run has failed.
enum class TLeft {
    Nothing,  // no output was created, and whatever was there before is as it was
    Empty,    // a new, empty output
    Prefix,   // a new output holding the transformed first PrefixBytes of the input
};

constexpr std::size_t kInputSize = 5000;

struct TRig {
    TTempDir Dir;
    std::u16string Path;  // as handed to the run
    THookedView View;
    // Limits that would hinder looking at the folder are set up right before the run.
    std::function<void()> BeforeRun;
    std::vector<std::shared_ptr<void>> Holders;  // the fault, kept up during the run only

    fs::path Input() const { return Dir / "report.csv"; }
};

struct TFault {
    const char* Name;
    TRunKind Run;
    std::function<void(TRig&)> Arrange;
    const char* ErrorClass;
    int ErrorCode;  // of an EInOutError; 0 for the others
    // {path}: the path as given; {in}, {out}: the full paths of the input and the output.
    std::string Message;
    Calls ViewCalls;
    TLeft Left;
    std::size_t PrefixBytes = 0;
    // The input as another process left it: its first InputKept bytes (all when 0).
    std::size_t InputKept = 0;
    // The sanitizers' runtime probes memory through a pipe, which it cannot open when no
    // descriptor is left, and then reports an object's type as broken.
    bool UnderSanitizers = true;
};

template <typename T, typename... A>
void Hold(TRig& Rig, A&&... Args) {
    Rig.Holders.push_back(std::make_shared<T>(std::forward<A>(Args)...));
}

fs::path OutputOf(const TRig& Rig, TRunKind Run) {
    return Run == TRunKind::Encrypt ? Rig.Dir / "reportcrypt.csv" : Rig.Dir / "reportuncrypt.csv";
}

// An existing output that the fault must leave as it is.
void OldOutput(const fs::path& P) {
    WriteFile(P, "an older output\n");
}

// Each entry of a folder, recursively: its type and mode, and its contents (a link's target);
// links are not followed.
struct TEntry {
    std::string Kind;
    std::string Contents;
    bool operator==(const TEntry&) const = default;
};
using TSnapshot = std::map<std::string, TEntry>;

TSnapshot Snapshot(const fs::path& Dir) {
    TSnapshot out;
    for (const auto& e : fs::recursive_directory_iterator(Dir)) {
        const std::string name = fs::relative(e.path(), Dir).string();
        const fs::file_status st = e.symlink_status();
        const auto mode = std::to_string(static_cast<unsigned>(st.permissions()));
        if (fs::is_symlink(st)) {
            out[name] = {"link", fs::read_symlink(e.path()).string()};
        } else if (fs::is_directory(st)) {
            out[name] = {"folder " + mode, ""};
        } else if (fs::is_fifo(st)) {
            out[name] = {"fifo " + mode, ""};
        } else {
            const TBytes b = ReadFile(e.path());
            out[name] = {"file " + mode, std::string(b.begin(), b.end())};
        }
    }
    return out;
}

void PrintTo(const TEntry& E, std::ostream* Os) {
    *Os << E.Kind << " of " << E.Contents.size() << " bytes";
}

std::string Fill(std::string Text, const std::map<std::string, std::string>& Values) {
    for (const auto& [key, value] : Values) {
        for (std::size_t k; (k = Text.find(key)) != std::string::npos;) {
            Text.replace(k, key.size(), value);
        }
    }
    return Text;
}

const Calls kNone = {};
const Calls kShown = {"ShowProgress"};

std::vector<TFault> Faults() {
    const auto E = TRunKind::Encrypt;
    const auto D = TRunKind::Decrypt;
    auto missing = [](TRig& r) { r.Path = U16(r.Dir / "missing.csv"); };
    auto folder = [](TRig& r) {
        fs::create_directory(r.Dir / "folder.csv");
        r.Path = U16(r.Dir / "folder.csv");
    };
    auto noFolder = [](TRig& r) { r.Path = U16(r.Dir / "nofolder" / "report.csv"); };
    auto nul = [](TRig& r) { r.Path = U16(r.Dir.Path()) + u"/rep\0ort.csv"s; };
    auto surrogate = [](TRig& r) {
        r.Path = U16(r.Dir.Path()) + u"/rep" + std::u16string(1, char16_t{0xD800}) + u"ort.csv";
    };
    auto tooLong = [](TRig& r) { r.Path = U16(r.Dir.Path()) + u"/" + std::u16string(5000, u'a'); };
    auto inputLock = [](bool Other, int Operation) {
        return [=](TRig& r) {
            if (Other) {
                Hold<TOtherProcessLock>(r, r.Input(), Operation);
            } else {
                Hold<TSameProcessLock>(r, r.Input(), Operation);
            }
        };
    };
    auto outputLock = [](TRunKind Run, bool Other, int Operation) {
        return [=](TRig& r) {
            OldOutput(OutputOf(r, Run));
            if (Other) {
                Hold<TOtherProcessLock>(r, OutputOf(r, Run), Operation);
            } else {
                Hold<TSameProcessLock>(r, OutputOf(r, Run), Operation);
            }
        };
    };
    auto readOnly = [](TRunKind Run) {
        return [=](TRig& r) {
            OldOutput(OutputOf(r, Run));
            fs::permissions(OutputOf(r, Run),
                            fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
        };
    };
    auto folderAtOutput = [](TRunKind Run) {
        return [=](TRig& r) {
            fs::create_directory(OutputOf(r, Run));
            WriteFile(OutputOf(r, Run) / "inside.txt", "kept");
        };
    };
    auto linkAtOutput = [](TRunKind Run, bool Dangling) {
        return [=](TRig& r) {
            if (!Dangling) {
                WriteFile(r.Dir / "victim.txt", "another file");
            }
            fs::create_symlink("victim.txt", OutputOf(r, Run));
        };
    };
    // The output's name is a second name of the input: emptying the output before taking its
    // lock would empty the input.
    auto inputAtOutput = [](TRunKind Run) {
        return [=](TRig& r) { fs::create_hard_link(r.Input(), OutputOf(r, Run)); };
    };
    auto fifoAtOutput = [](TRunKind Run) {
        return [=](TRig& r) { ::mkfifo(OutputOf(r, Run).c_str(), 0644); };
    };
    auto fullDisk = [](rlim_t Limit) {
        return [=](TRig& r) {
            r.BeforeRun = [&r, Limit] { Hold<TResourceLimit>(r, RLIMIT_FSIZE, Limit); };
        };
    };
    auto descriptorsLeft = [](int Spare) {
        return [=](TRig& r) {
            r.BeforeRun = [&r, Spare] {
                Hold<TResourceLimit>(r, RLIMIT_NOFILE, DescriptorsWithSpare(Spare));
            };
        };
    };
    // Another process cuts the input to 1500 bytes once the chunk at 1000 is due.
    auto shortened = [](TRig& r) {
        r.View.OnPosition = [&r](std::int32_t Position) {
            if (Position == 1000) {
                InChildProcess([&](int) { (void)!::truncate(r.Input().c_str(), 1500); });
            }
        };
    };

    const std::string cannotOpen = "Cannot open file \"{in}\". ";
    const std::string cannotCreate = "Cannot create file \"{out}\". ";
    const Calls failAt2000 = CallsUpToChunk(kInputSize, 2000);
    const Calls failAt0 = CallsUpToChunk(kInputSize, 0);
    const Calls failAt1000 = CallsUpToChunk(kInputSize, 1000);

    return {
        // The encryption run: the header check's errors come before the bar is shown.
        {"EncMissingFile", E, missing, "EInOutError", 2, "The specified file was not found", kNone,
         TLeft::Nothing},
        {"EncFolderAsInput", E, folder, "EInOutError", 5, "File access denied", kNone,
         TLeft::Nothing},
        {"EncMissingFolder", E, noFolder, "EInOutError", 3, "Invalid file name - {path}", kNone,
         TLeft::Nothing},
        {"EncNulInPath", E, nul, "EInOutError", 123, "I/O error 123", kNone, TLeft::Nothing},
        {"EncUnpairedSurrogate", E, surrogate, "EInOutError", 123, "I/O error 123", kNone,
         TLeft::Nothing},
        {"EncPathOf5000Chars", E, tooLong, "EInOutError", 3, "Invalid file name - {path}", kNone,
         TLeft::Nothing},
        {"EncNoDescriptorLeft", E, descriptorsLeft(0), "EInOutError", 4, "Too many open files",
         kNone, TLeft::Nothing, 0, 0, false},
        {"EncNoDescriptorLeftForTheOutput", E, descriptorsLeft(1), "EFCreateError", 0,
         cannotCreate + "Too many open files", kShown, TLeft::Nothing, 0, 0, false},
        {"EncInputHeldExclusivelyByOtherProcess", E, inputLock(true, LOCK_EX), "EInOutError", 32,
         "I/O error 32", kNone, TLeft::Nothing},
        {"EncInputHeldExclusivelyInThisProcess", E, inputLock(false, LOCK_EX), "EInOutError", 32,
         "I/O error 32", kNone, TLeft::Nothing},
        {"EncInputHeldSharedByOtherProcess", E, inputLock(true, LOCK_SH), "EFOpenError", 0,
         cannotOpen + kSharingText, kShown, TLeft::Nothing},
        {"EncInputHeldSharedInThisProcess", E, inputLock(false, LOCK_SH), "EFOpenError", 0,
         cannotOpen + kSharingText, kShown, TLeft::Nothing},
        {"EncOutputHeldByOtherProcess", E, outputLock(E, true, LOCK_SH), "EFCreateError", 0,
         cannotCreate + kSharingText, kShown, TLeft::Nothing},
        {"EncOutputHeldInThisProcess", E, outputLock(E, false, LOCK_EX), "EFCreateError", 0,
         cannotCreate + kSharingText, kShown, TLeft::Nothing},
        {"EncReadOnlyOutput", E, readOnly(E), "EFCreateError", 0,
         cannotCreate + "Permission denied", kShown, TLeft::Nothing},
        {"EncFolderAtOutput", E, folderAtOutput(E), "EFCreateError", 0,
         cannotCreate + "Is a directory", kShown, TLeft::Nothing},
        {"EncLinkAtOutput", E, linkAtOutput(E, false), "EFCreateError", 0,
         cannotCreate + "Too many levels of symbolic links", kShown, TLeft::Nothing},
        {"EncDanglingLinkAtOutput", E, linkAtOutput(E, true), "EFCreateError", 0,
         cannotCreate + "Too many levels of symbolic links", kShown, TLeft::Nothing},
        {"EncInputAtTheOutputsName", E, inputAtOutput(E), "EFCreateError", 0,
         cannotCreate + kSharingText, kShown, TLeft::Nothing},
        {"EncFifoAtOutput", E, fifoAtOutput(E), "EFCreateError", 0,
         cannotCreate + "Invalid argument", kShown, TLeft::Nothing},
        {"EncDiskFullBeforeTheFirstByte", E, fullDisk(0), "EWriteError", 0, "Stream write error",
         failAt0, TLeft::Empty},
        {"EncDiskFullInTheThirdChunk", E, fullDisk(2500), "EWriteError", 0, "Stream write error",
         failAt2000, TLeft::Prefix, 2500},
        {"EncInputShortenedByOtherProcess", E, shortened, "EReadError", 0, "Stream read error",
         failAt1000, TLeft::Prefix, 1000, 1500},

        // The decryption run shows the bar first and has no header check: every open fails
        // with the system's own text.
        {"DecMissingFile", D, missing, "EFOpenError", 0, cannotOpen + "No such file or directory",
         kShown, TLeft::Nothing},
        {"DecFolderAsInput", D, folder, "EFOpenError", 0, cannotOpen + "Is a directory", kShown,
         TLeft::Nothing},
        {"DecMissingFolder", D, noFolder, "EFOpenError", 0,
         cannotOpen + "No such file or directory", kShown, TLeft::Nothing},
        {"DecNulInPath", D, nul, "EFOpenError", 0, cannotOpen + "Invalid argument", kShown,
         TLeft::Nothing},
        {"DecUnpairedSurrogate", D, surrogate, "EFOpenError", 0,
         cannotOpen + "Invalid or incomplete multibyte or wide character", kShown, TLeft::Nothing},
        {"DecPathOf5000Chars", D, tooLong, "EFOpenError", 0, cannotOpen + "File name too long",
         kShown, TLeft::Nothing},
        {"DecNoDescriptorLeft", D, descriptorsLeft(0), "EFOpenError", 0,
         cannotOpen + "Too many open files", kShown, TLeft::Nothing, 0, 0, false},
        {"DecNoDescriptorLeftForTheOutput", D, descriptorsLeft(1), "EFCreateError", 0,
         cannotCreate + "Too many open files", kShown, TLeft::Nothing, 0, 0, false},
        {"DecInputHeldExclusivelyByOtherProcess", D, inputLock(true, LOCK_EX), "EFOpenError", 0,
         cannotOpen + kSharingText, kShown, TLeft::Nothing},
        {"DecInputHeldSharedByOtherProcess", D, inputLock(true, LOCK_SH), "EFOpenError", 0,
         cannotOpen + kSharingText, kShown, TLeft::Nothing},
        {"DecInputHeldSharedInThisProcess", D, inputLock(false, LOCK_SH), "EFOpenError", 0,
         cannotOpen + kSharingText, kShown, TLeft::Nothing},
        {"DecOutputHeldByOtherProcess", D, outputLock(D, true, LOCK_EX), "EFCreateError", 0,
         cannotCreate + kSharingText, kShown, TLeft::Nothing},
        {"DecOutputHeldInThisProcess", D, outputLock(D, false, LOCK_SH), "EFCreateError", 0,
         cannotCreate + kSharingText, kShown, TLeft::Nothing},
        {"DecReadOnlyOutput", D, readOnly(D), "EFCreateError", 0,
         cannotCreate + "Permission denied", kShown, TLeft::Nothing},
        {"DecFolderAtOutput", D, folderAtOutput(D), "EFCreateError", 0,
         cannotCreate + "Is a directory", kShown, TLeft::Nothing},
        {"DecLinkAtOutput", D, linkAtOutput(D, false), "EFCreateError", 0,
         cannotCreate + "Too many levels of symbolic links", kShown, TLeft::Nothing},
        {"DecDanglingLinkAtOutput", D, linkAtOutput(D, true), "EFCreateError", 0,
         cannotCreate + "Too many levels of symbolic links", kShown, TLeft::Nothing},
        {"DecInputAtTheOutputsName", D, inputAtOutput(D), "EFCreateError", 0,
         cannotCreate + kSharingText, kShown, TLeft::Nothing},
        {"DecFifoAtOutput", D, fifoAtOutput(D), "EFCreateError", 0,
         cannotCreate + "Invalid argument", kShown, TLeft::Nothing},
        {"DecDiskFullBeforeTheFirstByte", D, fullDisk(0), "EWriteError", 0, "Stream write error",
         failAt0, TLeft::Empty},
        {"DecDiskFullInTheThirdChunk", D, fullDisk(2500), "EWriteError", 0, "Stream write error",
         failAt2000, TLeft::Prefix, 2500},
        {"DecInputShortenedByOtherProcess", D, shortened, "EReadError", 0, "Stream read error",
         failAt1000, TLeft::Prefix, 1000, 1500},
    };
}

void PrintTo(const TFault& F, std::ostream* Os) {
    *Os << F.Name;
}

class FaultMatrix : public testing::TestWithParam<TFault> {};

TEST_P(FaultMatrix, FailsCleanlyAndLeavesWhatItMust) {
    const TFault& f = GetParam();
    if (kSanitizerBuild && !f.UnderSanitizers) {
        GTEST_SKIP() << "the sanitizers need descriptors of their own";
    }
    TRig rig;
    const TBytes input = DataFile(kInputSize, 7);
    WriteFile(rig.Input(), input);
    rig.Path = U16(rig.Input());
    const int descriptors = OpenDescriptorCount();
    f.Arrange(rig);
    const fs::path output = OutputOf(rig, f.Run);
    const auto before = Snapshot(rig.Dir.Path());
    const std::u16string password = u"пароль";
    if (rig.BeforeRun) {
        rig.BeforeRun();
    }

    std::string errorClass = "none";
    std::string message;
    int code = 0;
    try {
        RunOf(f.Run, rig.Path, password, rig.View);
    } catch (const Exception& e) {
        errorClass = e.ClassName();
        message = ToUtf8Lossy(e.Message());
        if (const auto* io = dynamic_cast<const EInOutError*>(&e)) {
            code = io->ErrorCode;
        }
    }
    // The fault goes first: it may hold descriptors of its own, or limit them.
    rig.Holders.clear();
    EXPECT_EQ(OpenDescriptorCount(), descriptors);

    EXPECT_EQ(errorClass, f.ErrorClass);
    EXPECT_EQ(code, f.ErrorCode);
    EXPECT_EQ(message, Fill(f.Message, {{"{path}", ToUtf8Lossy(rig.Path)},
                                        {"{in}", ToUtf8Lossy(rig.Path)},
                                        {"{out}", output.string()}}));
    EXPECT_EQ(rig.View.Calls, f.ViewCalls);

    // Nothing else in the folder changed: the input (unless another process cut it), an
    // existing output, a link's target, a folder at the output's name.
    auto expected = before;
    if (f.InputKept != 0) {
        expected["report.csv"].Contents.resize(f.InputKept);
    }
    auto after = Snapshot(rig.Dir.Path());
    if (f.Left != TLeft::Nothing) {
        ASSERT_FALSE(before.contains(output.filename().string()));
        ASSERT_TRUE(after.contains(output.filename().string()));
        const TBytes written = ReadFile(output);
        const std::size_t n = f.Left == TLeft::Empty ? 0 : f.PrefixBytes;
        TBytes want = Transformed(input, password);
        want.resize(n);
        EXPECT_EQ(written.size(), n);
        EXPECT_TRUE(written == want) << "the output is not the input's transformed head";
        after.erase(output.filename().string());
    }
    EXPECT_EQ(after, expected);
}

INSTANTIATE_TEST_SUITE_P(BothRuns, FaultMatrix, testing::ValuesIn(Faults()),
                         [](const testing::TestParamInfo<TFault>& Info) {
                             return std::string(Info.param.Name);
                         });

}  // namespace
