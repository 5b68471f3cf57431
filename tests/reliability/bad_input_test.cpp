// Input that is odd but allowed: file names with line breaks, spaces or characters outside the
// BMP, and passwords that are huge, blank or outside ASCII. Each must go through and come back.
// Input that no file name can hold is in the fault matrix.

#include "errors.h"
#include "fault_support.h"
#include "runs.h"

#include <gtest/gtest.h>

namespace {

using namespace std::string_literals;

struct TNameCase {
    const char* Name;
    std::u16string Folder;  // made under the temporary folder when not empty
    std::u16string File;
    std::u16string Encrypted;
    std::u16string Decrypted;  // of the encrypted file
};

void PrintTo(const TNameCase& C, std::ostream* Os) {
    *Os << C.Name;
}

class OddNames : public testing::TestWithParam<TNameCase> {};

TEST_P(OddNames, GoThroughBothRunsUnderTheirOwnNames) {
    const TNameCase& c = GetParam();
    TTempDir dir;
    const fs::path folder = c.Folder.empty() ? dir.Path() : dir / fs::path(c.Folder).string();
    fs::create_directories(folder);
    const TBytes data = DataFile(1500, 21);
    WriteFile(folder / fs::path(c.File), data);

    TRecordingView encrypt;
    EncryptRun(U16(folder / fs::path(c.File)), u"pw", encrypt);
    EXPECT_EQ(encrypt.Calls.back(), "HideProgress");
    const fs::path encrypted = folder / fs::path(c.Encrypted);
    EXPECT_TRUE(ReadFile(encrypted) == Transformed(data, u"pw"));

    TRecordingView decrypt;
    DecryptRun(U16(encrypted), u"pw", decrypt);
    EXPECT_EQ(decrypt.Calls.back(), "HideProgress");
    EXPECT_EQ(ReadFile(folder / fs::path(c.Decrypted)), data);
    EXPECT_EQ(ReadFile(folder / fs::path(c.File)), data);
    EXPECT_EQ(std::distance(fs::directory_iterator(folder), fs::directory_iterator()), 3);
}

INSTANTIATE_TEST_SUITE_P(
    Paths, OddNames,
    testing::Values(TNameCase{"LineBreakInTheName", u"", u"re\nport.csv", u"re\nportcrypt.csv",
                              u"re\nportuncrypt.csv"},
                    TNameCase{"CarriageReturnBeforeTheExtension", u"", u"report\r.csv",
                              u"report\rcrypt.csv", u"report\runcrypt.csv"},
                    TNameCase{"LineBreakInTheFolder", u"da\nta", u"report.csv", u"reportcrypt.csv",
                              u"reportuncrypt.csv"},
                    TNameCase{"OnlySpacesAndAnExtension", u"", u"   .csv", u"   crypt.csv",
                              u"   uncrypt.csv"},
                    TNameCase{"TrailingSpaceAfterTheExtension", u"", u"report.csv ",
                              u"reportcrypt.csv ", u"reportuncrypt.csv "},
                    TNameCase{"OutsideTheBmp", u"\U0001F4C1", u"\U0001F600.csv",
                              u"\U0001F600crypt.csv", u"\U0001F600uncrypt.csv"},
                    TNameCase{"LeadingDash", u"", u"-rf.csv", u"-rfcrypt.csv", u"-rfuncrypt.csv"}),
    [](const testing::TestParamInfo<TNameCase>& Info) { return std::string(Info.param.Name); });

struct TPasswordCase {
    const char* Name;
    std::u16string Password;
};

void PrintTo(const TPasswordCase& C, std::ostream* Os) {
    *Os << C.Name;
}

class OddPasswords : public testing::TestWithParam<TPasswordCase> {};

TEST_P(OddPasswords, KeyTheCipherAndComeBack) {
    const std::u16string& password = GetParam().Password;
    TTempDir dir;
    const TBytes data = DataFile(2100, 22);
    WriteFile(dir / "report.csv", data);
    TRecordingView encrypt;
    EncryptRun(U16(dir / "report.csv"), password, encrypt);
    EXPECT_TRUE(ReadFile(dir / "reportcrypt.csv") == Transformed(data, password));
    TRecordingView decrypt;
    DecryptRun(U16(dir / "reportcrypt.csv"), password, decrypt);
    EXPECT_EQ(ReadFile(dir / "reportuncrypt.csv"), data);
    EXPECT_EQ(decrypt.Calls.back(), "HideProgress");
}

INSTANTIATE_TEST_SUITE_P(
    Passwords, OddPasswords,
    testing::Values(TPasswordCase{"Of300000Characters", std::u16string(300000, u'ж') + u"end"},
                    TPasswordCase{"OnlySpaces", u"   "},
                    TPasswordCase{"OutsideTheBmp", u"\U0001F511\U0001F512"},
                    TPasswordCase{"WithANul", u"a\0b"s},
                    TPasswordCase{"UnpairedSurrogate", std::u16string(1, char16_t{0xDC00})}),
    [](const testing::TestParamInfo<TPasswordCase>& Info) { return std::string(Info.param.Name); });

}  // namespace
