#include "errors.h"
#include "files.h"
#include "paths.h"
#include "runs.h"
#include "support/temp_dir.h"
#include "text.h"

#include <gtest/gtest.h>
#include <unistd.h>

namespace {

std::string Show(const std::u16string& S) {
    return ToUtf8Lossy(S);
}

struct NameCase {
    std::u16string Input;
    std::u16string Output;
};

// The same table once with Windows paths and the Windows delimiters, once with the
// delimiters of this system and "/" paths.
std::vector<NameCase> ForPosix(const std::vector<NameCase>& Windows) {
    std::vector<NameCase> out;
    for (NameCase c : Windows) {
        for (auto* s : {&c.Input, &c.Output}) {
            for (auto& ch : *s) {
                if (ch == u'\\') {
                    ch = u'/';
                }
            }
            if (s->rfind(u"D:", 0) == 0) {
                s->replace(0, 2, u"/home/u");
            }
        }
        out.push_back(c);
    }
    return out;
}

const std::vector<NameCase> kEncryptedNames = {
    {u"D:\\data\\report.csv", u"D:\\data\\reportcrypt.csv"},
    {u"D:\\data\\Report.CSV", u"D:\\data\\Reportcrypt.CSV"},
    {u"D:\\data\\report", u"D:\\data\\reportcrypt"},
    {u"D:\\data.2018\\report", u"D:\\data.2018\\reportcrypt"},
    {u"D:\\data\\a.csv.bak.csv", u"D:\\data\\a.bak.csvcrypt.csv"},
    {u"report.csv", u"reportcrypt.csv"},
};

const std::vector<NameCase> kDecryptedNames = {
    {u"D:\\data\\reportcrypt.csv", u"D:\\data\\reportuncrypt.csv"},
    {u"D:\\data\\report.csv", u"D:\\data\\reportuncrypt.csv"},
    {u"D:\\crypt\\reportcrypt.csv", u"D:\\crypt\\reportuncrypt.csv"},
    {u"D:\\data\\reportcryptcrypt.csv", u"D:\\data\\reportuncrypt.csv"},
    {u"D:\\data\\cryptocrypt.csv", u"D:\\data\\ouncrypt.csv"},
    {u"D:\\data\\ccryptrypt.csv", u"D:\\data\\cryptuncrypt.csv"},
    {u"D:\\data\\reportCRYPT.csv", u"D:\\data\\reportCRYPTuncrypt.csv"},
    {u"D:\\data\\report.crypt", u"D:\\data\\reportuncrypt.crypt"},
    {u"D:\\data\\reportuncrypt.csv", u"D:\\data\\reportununcrypt.csv"},
};

struct NameTable {
    const char* Name;
    std::u16string (*Rule)(std::u16string_view, std::u16string_view);
    std::vector<NameCase> Cases;
    std::u16string_view Delims;
};

class OutputNames : public testing::TestWithParam<NameTable> {};

TEST_P(OutputNames, FollowTheTable) {
    for (const auto& c : GetParam().Cases) {
        EXPECT_EQ(Show(GetParam().Rule(c.Input, GetParam().Delims)), Show(c.Output));
        EXPECT_NE(Show(GetParam().Rule(c.Input, GetParam().Delims)), Show(c.Input));
    }
}

INSTANTIATE_TEST_SUITE_P(
    Tables, OutputNames,
    testing::Values(
        NameTable{"EncryptedWindows", EncryptedFileName, kEncryptedNames, WindowsPathDelims},
        NameTable{"EncryptedPosix", EncryptedFileName, ForPosix(kEncryptedNames), PosixPathDelims},
        NameTable{"DecryptedWindows", DecryptedFileName, kDecryptedNames, WindowsPathDelims},
        NameTable{"DecryptedPosix", DecryptedFileName, ForPosix(kDecryptedNames), PosixPathDelims}),
    [](const auto& i) { return std::string(i.param.Name); });

TEST(OutputNames, EncryptedNameIsAlwaysFiveLonger) {
    for (const auto& c : ForPosix(kEncryptedNames)) {
        EXPECT_EQ(EncryptedFileName(c.Input).size(), c.Input.size() + 5);
    }
}

TEST(OutputNames, EachSystemSplitsOnlyAtItsOwnDelimiters) {
    // On Windows "/" is an ordinary character; on POSIX "\" and ":" are.
    EXPECT_EQ(Show(EncryptedFileName(u"D:\\a/b.c\\x", WindowsPathDelims)),
              Show(u"D:\\a/b.c\\xcrypt"));
    EXPECT_EQ(Show(EncryptedFileName(u"C:name.csv", WindowsPathDelims)), "C:namecrypt.csv");
    EXPECT_EQ(Show(EncryptedFileName(u"/home/u/a\\b.c:d", PosixPathDelims)),
              Show(u"/home/u/a\\bcrypt.c:d"));
    EXPECT_EQ(Show(DecryptedFileName(u"/home/crypt.d/crypt", PosixPathDelims)),
              "/home/crypt.d/uncrypt");
}

TEST(PathParts, ExtensionOnlyAfterTheLastDelimiter) {
    EXPECT_EQ(Show(ExtractFileExt(u"/a.b/c")), "");
    EXPECT_EQ(Show(ExtractFileExt(u"/a.b/.c")), ".c");
    EXPECT_EQ(Show(ExtractFileExt(u"x.")), ".");
    EXPECT_EQ(Show(ExtractFilePath(u"/a/b")), "/a/");
    EXPECT_EQ(Show(ExtractFileName(u"/a/")), "");
    EXPECT_EQ(Show(ExtractFilePath(u"b")), "");
}

TEST(PathParts, ExpandFileNameResolvesLexically) {
    char cwd[4096];
    ASSERT_NE(getcwd(cwd, sizeof cwd), nullptr);
    const std::string here = cwd;
    const std::string base = here == "/" ? "" : here;
    EXPECT_EQ(Show(ExpandFileName(u"r.csv")), base + "/r.csv");
    EXPECT_EQ(Show(ExpandFileName(u"./x/../r.csv")), base + "/r.csv");
    EXPECT_EQ(Show(ExpandFileName(u"/a//b/./c/../d")), "/a/b/d");
    EXPECT_EQ(Show(ExpandFileName(u"/../..")), "/");
}

TEST(Text, UnpairedSurrogateHasNoUtf8Form) {
    EXPECT_FALSE(ToUtf8(u"a\xD800"
                        u"b")
                     .has_value());
    EXPECT_FALSE(ToUtf8(u"\xDC00").has_value());
    EXPECT_EQ(*ToUtf8(u"Файл \U0001F512"), "Файл \xF0\x9F\x94\x92");
    EXPECT_EQ(ToUtf8Lossy(u"a\xD800"
                          u"b"),
              "a\xEF\xBF\xBD"
              "b");
    EXPECT_EQ(Show(FromUtf8Lossy("a\xFF"
                                 "b")),
              "a\xEF\xBF\xBD"
              "b");
}

struct LineCase {
    const char* Name;
    std::string Bytes;
    std::size_t MaxChars;
    std::u16string Line;
};

class FirstLine : public testing::TestWithParam<LineCase> {};

TEST_P(FirstLine, ReadsByTheTextFileRules) {
    TTempDir dir;
    WriteFile(dir / "f.csv", GetParam().Bytes);
    EXPECT_EQ(Show(ReadFirstLine(U16(dir / "f.csv"), GetParam().MaxChars)), Show(GetParam().Line));
}

INSTANTIATE_TEST_SUITE_P(
    Rules, FirstLine,
    testing::Values(LineCase{"LfEnds", "abc\ndef", 100, u"abc"},
                    LineCase{"CrLfEnds", "abc\r\ndef", 100, u"abc"},
                    LineCase{"LoneCrDropped", "ab\rc\rd\nx", 100, u"abcd"},
                    LineCase{"CtrlZEnds",
                             "ab\x1A"
                             "cd\n",
                             100, u"ab"},
                    LineCase{"EndOfFileEnds", "abc", 100, u"abc"},
                    LineCase{"EmptyFile", "", 100, u""},
                    LineCase{"BomIsThreeCharacters", "\xEF\xBB\xBFxy\n", 100,
                             u"\u00EF\u00BB\u00BFxy"},
                    LineCase{"EveryByteOneCharacter", "\x80\xFF\n", 100, u"\u0080\u00FF"},
                    LineCase{"StopsAtMaxChars", "abcdefgh", 3, u"abc"},
                    LineCase{"CrDoesNotCount", "a\r\r\rbcd", 3, u"abc"},
                    LineCase{"LongLineAcrossReads", std::string(10000, 'x') + "y\n", 10001,
                             std::u16string(10000, u'x') + u"y"}),
    [](const auto& i) { return std::string(i.param.Name); });

}  // namespace
