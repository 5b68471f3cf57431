#include "runs.h"
#include "support/openssl_rc4.h"
#include "support/recording_view.h"
#include "support/temp_dir.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <openssl/evp.h>
#include <sys/file.h>
#include <unistd.h>

#include <filesystem>
#include <set>

namespace {

namespace fs = std::filesystem;
using Calls = std::vector<std::string>;

const std::string kEncrypted = "ShowMessageBox Файл зашифрован.";
const std::string kDecrypted = "ShowMessageBox Файл расшифрован.";
const std::string kWrongType = "ShowMessageBox Неверный тип файла.";
const std::string kEmpty = "ShowMessageBox Не заполнены поля.";

// The file's bytes after a run, computed by OpenSSL alone: MD5 of the password's ASCII
// bytes, the first 16 hexadecimal digits each followed by a zero byte as the RC4 key.
TBytes OracleTransform(const std::string& PasswordBytes, const TBytes& Input) {
    unsigned char digest[16];
    unsigned int len = 0;
    EVP_Digest(PasswordBytes.data(), PasswordBytes.size(), digest, &len, EVP_md5(), nullptr);
    static const char* hex = "0123456789abcdef";
    TBytes key;
    for (int k = 0; k < 8; ++k) {
        key.push_back(static_cast<std::uint8_t>(hex[digest[k] >> 4]));
        key.push_back(0);
        key.push_back(static_cast<std::uint8_t>(hex[digest[k] & 15]));
        key.push_back(0);
    }
    TBytes out(Input.size());
    OpenSslRc4(key).Code(Input.data(), out.data(), static_cast<int>(Input.size()));
    return out;
}

// What the view sees for a finished run over N bytes.
Calls DoneCalls(std::size_t N, const std::string& Closing) {
    Calls c = {"ShowProgress", "SetProgressMax " + std::to_string(N)};
    for (std::size_t p = 0; p < N; p += 1000) {
        c.push_back("SetProgressPosition " + std::to_string(p));
    }
    c.push_back(Closing);
    c.push_back("HideProgress");
    return c;
}

std::set<std::string> Listing(const fs::path& Dir) {
    std::set<std::string> names;
    for (const auto& e : fs::directory_iterator(Dir)) {
        names.insert(e.path().filename().string());
    }
    return names;
}

class Runs : public testing::Test {
  protected:
    void TearDown() override { fs::current_path(fHome); }

    const fs::path fHome = fs::current_path();
    TTempDir Dir;
    TRecordingView View;
};

using RunFn = void (*)(std::u16string_view, std::u16string_view, TRunView&);

struct FieldCase {
    const char* Name;
    RunFn Run;
    std::u16string Path;
    std::u16string Password;
};

class EmptyFields : public Runs, public testing::WithParamInterface<FieldCase> {};

TEST_P(EmptyFields, ReportInTheMessageBoxAndTouchNothing) {
    WriteFile(Dir / "r.csv", DataFile(100));
    fs::current_path(Dir.Path());
    GetParam().Run(GetParam().Path, GetParam().Password, View);
    EXPECT_EQ(View.Calls, (Calls{kEmpty, "HideProgress"}));
    EXPECT_EQ(Listing(Dir.Path()), std::set<std::string>{"r.csv"});
}

INSTANTIATE_TEST_SUITE_P(BothRuns, EmptyFields,
                         testing::Values(FieldCase{"EncryptNoPath", EncryptRun, u"", u"pw"},
                                         FieldCase{"EncryptNoPassword", EncryptRun, u"r.csv", u""},
                                         FieldCase{"EncryptNeither", EncryptRun, u"", u""},
                                         FieldCase{"DecryptNoPath", DecryptRun, u"", u"pw"},
                                         FieldCase{"DecryptNoPassword", DecryptRun, u"r.csv", u""},
                                         FieldCase{"DecryptNeither", DecryptRun, u"", u""}),
                         [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Runs, APasswordOfOneSpacePassesTheFieldCheck) {
    const TBytes data = DataFile(50);
    WriteFile(Dir / "r.csv", data);
    EncryptRun(U16(Dir / "r.csv"), u" ", View);
    EXPECT_EQ(View.Calls, DoneCalls(50, kEncrypted));
    EXPECT_EQ(ReadFile(Dir / "rcrypt.csv"), OracleTransform(" ", data));
}

struct HeaderCase {
    const char* Name;
    std::string Head;
    bool Accepted;
};

class HeaderCheck : public Runs, public testing::WithParamInterface<HeaderCase> {};

TEST_P(HeaderCheck, AcceptsOnlyTheHeaderAtCharacterFour) {
    const std::string bytes = GetParam().Head + "\n1;2;3\n";
    WriteFile(Dir / "r.csv", bytes);
    EncryptRun(U16(Dir / "r.csv"), u"pw", View);
    if (GetParam().Accepted) {
        EXPECT_EQ(View.Calls, DoneCalls(bytes.size(), kEncrypted));
        EXPECT_TRUE(fs::exists(Dir / "rcrypt.csv"));
    } else {
        EXPECT_EQ(View.Calls, (Calls{kWrongType, "HideProgress"}));
        EXPECT_EQ(Listing(Dir.Path()), std::set<std::string>{"r.csv"});
    }
    EXPECT_EQ(ReadFile(Dir / "r.csv"), TBytes(bytes.begin(), bytes.end()));
}

INSTANTIATE_TEST_SUITE_P(Variants, HeaderCheck,
                         testing::Values(HeaderCase{"Slash", "abcDate/Time,Tag,Value", true},
                                         HeaderCase{"Comma", "xyzDate,Time,Tag", true},
                                         HeaderCase{"Utf8Bom",
                                                    "\xEF\xBB\xBF"
                                                    "Date/Time,Tag",
                                                    true},
                                         HeaderCase{"NoBom", "Date/Time,Tag", false},
                                         HeaderCase{"AtThree", "abDate/Time,Tag", false},
                                         HeaderCase{"AtFive", "abcdDate/Time,Tag", false},
                                         HeaderCase{"LowerCase", "abcdate/time,Tag", false},
                                         HeaderCase{"NoTrailingComma", "abcDate/Time", false},
                                         HeaderCase{"OnSecondLine", "abc\nabcDate/Time,", false},
                                         HeaderCase{"CrLfLine", "abcDate/Time,\r", true},
                                         HeaderCase{"LoneCrDropped", "ab\rcDate/Time,", true},
                                         HeaderCase{"CrInsideHeaderDropped", "abcDate\r/Time,",
                                                    true},
                                         HeaderCase{"CtrlZCutsHeader", "abcDate/Ti\x1Ame,", false},
                                         HeaderCase{"Empty", "", false},
                                         HeaderCase{"HighBytesBeforeHeader",
                                                    "\xFF\x80\xC0"
                                                    "Date,Time,",
                                                    true}),
                         [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Runs, EmptyFileIsNotADataFile) {
    WriteFile(Dir / "r.csv", "");
    EncryptRun(U16(Dir / "r.csv"), u"pw", View);
    EXPECT_EQ(View.Calls, (Calls{kWrongType, "HideProgress"}));
}

class ChunkSizes : public Runs, public testing::WithParamInterface<std::size_t> {};

TEST_P(ChunkSizes, EncryptionStreamsInThousandByteChunks) {
    const std::size_t n = GetParam();
    const TBytes data = DataFile(n, static_cast<std::uint32_t>(n));
    WriteFile(Dir / "r.csv", data);
    EncryptRun(U16(Dir / "r.csv"), u"secret", View);
    EXPECT_EQ(View.Calls, DoneCalls(n, kEncrypted));
    EXPECT_EQ(ReadFile(Dir / "rcrypt.csv"), OracleTransform("secret", data));
    EXPECT_EQ(ReadFile(Dir / "r.csv"), data);
}

TEST_P(ChunkSizes, DecryptionTakesAnyFile) {
    const std::size_t n = GetParam();
    const TBytes data = RandomBytes(n, static_cast<std::uint32_t>(n) + 1);
    WriteFile(Dir / "blob.bin", data);
    DecryptRun(U16(Dir / "blob.bin"), u"secret", View);
    EXPECT_EQ(View.Calls, DoneCalls(n, kDecrypted));
    EXPECT_EQ(ReadFile(Dir / "blobuncrypt.bin"), OracleTransform("secret", data));
    EXPECT_EQ(ReadFile(Dir / "blob.bin"), data);
}

INSTANTIATE_TEST_SUITE_P(Boundaries, ChunkSizes,
                         testing::Values(13, 999, 1000, 1001, 2000, 2500, 1000 * 1000 + 1));

TEST_F(Runs, TinyAndEmptyInputsDecrypt) {
    for (const std::size_t n : {0u, 1u, 12u}) {
        const TBytes data = RandomBytes(n, 3);
        WriteFile(Dir / "t.bin", data);
        View.Calls.clear();
        DecryptRun(U16(Dir / "t.bin"), u"pw", View);
        EXPECT_EQ(View.Calls, DoneCalls(n, kDecrypted)) << n;
        EXPECT_EQ(ReadFile(Dir / "tuncrypt.bin"), OracleTransform("pw", data)) << n;
    }
}

struct PasswordCase {
    const char* Name;
    std::u16string Password;
    std::string AsBytes;
};

class RoundTrip : public Runs, public testing::WithParamInterface<PasswordCase> {};

TEST_P(RoundTrip, EncryptThenDecryptGivesTheDataFileBack) {
    for (const std::size_t n : {13u, 999u, 1000u, 1001u, 2500u, 3u << 20}) {
        const TBytes data = DataFile(n, static_cast<std::uint32_t>(n));
        WriteFile(Dir / "report.csv", data);
        EncryptRun(U16(Dir / "report.csv"), GetParam().Password, View);
        const TBytes encrypted = ReadFile(Dir / "reportcrypt.csv");
        EXPECT_EQ(encrypted, OracleTransform(GetParam().AsBytes, data)) << n;
        DecryptRun(U16(Dir / "reportcrypt.csv"), GetParam().Password, View);
        EXPECT_EQ(ReadFile(Dir / "reportuncrypt.csv"), data) << n;
        EXPECT_EQ(ReadFile(Dir / "report.csv"), data) << n;
    }
}

TEST_P(RoundTrip, AnyFileComesBackFromTwoDecryptions) {
    for (const std::size_t n : {0u, 1u, 12u}) {
        const TBytes data = RandomBytes(n, 9);
        WriteFile(Dir / "x.bin", data);
        DecryptRun(U16(Dir / "x.bin"), GetParam().Password, View);
        DecryptRun(U16(Dir / "xuncrypt.bin"), GetParam().Password, View);
        EXPECT_EQ(ReadFile(Dir / "xununcrypt.bin"), data) << n;
    }
}

INSTANTIATE_TEST_SUITE_P(Passwords, RoundTrip,
                         testing::Values(PasswordCase{"Ascii", u"Tr0ub4dor&3", "Tr0ub4dor&3"},
                                         PasswordCase{"Cyrillic", u"пароль", "??????"},
                                         PasswordCase{"OutsideBmp", u"\U0001F512lock", "??lock"}),
                         [](const auto& i) { return std::string(i.param.Name); });

TEST_F(Runs, WrongPasswordGivesOtherBytesOfTheSameLengthAndNoError) {
    const TBytes data = DataFile(4321);
    WriteFile(Dir / "r.csv", data);
    EncryptRun(U16(Dir / "r.csv"), u"right", View);
    View.Calls.clear();
    DecryptRun(U16(Dir / "rcrypt.csv"), u"wrong", View);
    EXPECT_EQ(View.Calls, DoneCalls(data.size(), kDecrypted));
    const TBytes back = ReadFile(Dir / "runcrypt.csv");
    EXPECT_EQ(back.size(), data.size());
    EXPECT_NE(back, data);
}

TEST_F(Runs, PasswordsThatDifferOnlyAboveAsciiEncryptAlike) {
    const TBytes data = DataFile(3000);
    WriteFile(Dir / "a.csv", data);
    WriteFile(Dir / "b.csv", data);
    EncryptRun(U16(Dir / "a.csv"), u"ключ", View);
    EncryptRun(U16(Dir / "b.csv"), u"????", View);
    EXPECT_EQ(ReadFile(Dir / "acrypt.csv"), ReadFile(Dir / "bcrypt.csv"));
}

TEST_F(Runs, AnExistingOutputIsOverwrittenWholeWithoutAQuestion) {
    const TBytes data = DataFile(1500);
    WriteFile(Dir / "r.csv", data);
    WriteFile(Dir / "rcrypt.csv", RandomBytes(100000, 5));
    WriteFile(Dir / "rcryptuncrypt.csv", RandomBytes(7, 5));
    EncryptRun(U16(Dir / "r.csv"), u"pw", View);
    EXPECT_EQ(ReadFile(Dir / "rcrypt.csv"), OracleTransform("pw", data));
    DecryptRun(U16(Dir / "rcrypt.csv"), u"pw", View);
    EXPECT_EQ(ReadFile(Dir / "runcrypt.csv"), data);
    EXPECT_EQ(ReadFile(Dir / "rcryptuncrypt.csv").size(), 7u);
}

TEST_F(Runs, ARelativePathIsFoundFromTheCurrentFolder) {
    const TBytes data = DataFile(1200);
    fs::create_directory(Dir / "sub");
    WriteFile(Dir / "sub" / "r.csv", data);
    fs::current_path(Dir.Path());
    EncryptRun(u"sub/r.csv", u"pw", View);
    DecryptRun(u"sub/rcrypt.csv", u"pw", View);
    EXPECT_EQ(ReadFile(Dir / "sub" / "runcrypt.csv"), data);
}

TEST_F(Runs, AFolderNamedCryptStaysAsItIs) {
    const TBytes data = DataFile(100);
    fs::create_directory(Dir / "crypt");
    WriteFile(Dir / "crypt" / "reportcrypt.csv", data);
    DecryptRun(U16(Dir / "crypt" / "reportcrypt.csv"), u"pw", View);
    EXPECT_EQ(Listing(Dir / "crypt"),
              (std::set<std::string>{"reportcrypt.csv", "reportuncrypt.csv"}));
}

TEST_F(Runs, ARejectedFileIsClosedAndCanBeDecryptedAtOnce) {
    const std::string text = "no header here\n";
    WriteFile(Dir / "r.csv", text);
    EncryptRun(U16(Dir / "r.csv"), u"pw", View);
    ASSERT_EQ(View.Calls, (Calls{kWrongType, "HideProgress"}));
    // Another holder can take it exclusively now.
    const int fd = ::open((Dir / "r.csv").c_str(), O_RDWR);
    ASSERT_GE(fd, 0);
    EXPECT_EQ(::flock(fd, LOCK_EX | LOCK_NB), 0);
    ::close(fd);
    View.Calls.clear();
    DecryptRun(U16(Dir / "r.csv"), u"pw", View);
    EXPECT_EQ(View.Calls, DoneCalls(text.size(), kDecrypted));
}

TEST(ProgressScale, ExactBelowTwoToThe31AndOneCommonShiftAbove) {
    const TProgressScale small(INT32_MAX);
    EXPECT_EQ(small(INT32_MAX), INT32_MAX);
    EXPECT_EQ(small(1000), 1000);
    const std::int64_t big = (std::int64_t{5} << 30) + 12345;  // about 5 GiB
    const TProgressScale scale(big);
    EXPECT_LE(scale(big), INT32_MAX);
    EXPECT_GT(scale(big), INT32_MAX / 2);
    EXPECT_EQ(scale(0), 0);
    EXPECT_EQ(scale(big / 2), scale(big) / 2);
    EXPECT_EQ(TProgressScale(INT64_MAX)(INT64_MAX), INT32_MAX);
}

// Stops a run after its first few chunks by raising from the view.
struct TStop {};

TEST_F(Runs, AnInputOfMoreThanTwoGibibytesFitsTheBarsRange) {
    // Sparse: costs no disk, and the run is stopped after three chunks.
    const std::string head = "abcDate/Time,\n";
    WriteFile(Dir / "big.csv", head);
    const std::int64_t size = (std::int64_t{1} << 31) + 4000;
    fs::resize_file(Dir / "big.csv", static_cast<std::uintmax_t>(size));
    struct TStopView : TRecordingView {
        int Positions = 0;
        void SetProgressPosition(std::int32_t Value) override {
            TRecordingView::SetProgressPosition(Value);
            if (++Positions == 3) {
                throw TStop{};
            }
        }
    } view;
    EXPECT_THROW(EncryptRun(U16(Dir / "big.csv"), u"pw", view), TStop);
    EXPECT_EQ(view.Calls, (Calls{"ShowProgress", "SetProgressMax " + std::to_string(size >> 1),
                                 "SetProgressPosition 0", "SetProgressPosition 500",
                                 "SetProgressPosition 1000"}));
    EXPECT_EQ(fs::file_size(Dir / "bigcrypt.csv"), 2000u);
}

}  // namespace
