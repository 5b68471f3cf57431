#include "md5.h"
#include "rc4.h"
#include "support/openssl_rc4.h"

#include <gtest/gtest.h>
#include <openssl/evp.h>

#include <algorithm>
#include <array>
#include <cstring>
#include <new>
#include <random>
#include <string>
#include <vector>

namespace {

using Bytes = std::vector<std::uint8_t>;

// A text of L code units whose UTF-16LE form begins with the L key bytes; the units past the
// key's half carry filler that must not matter.
std::u16string KeyAsText(const Bytes& Key) {
    std::u16string text(Key.size(), u'\xBEEF');
    for (std::size_t k = 0; k < Key.size(); ++k) {
        char16_t& unit = text[k / 2];
        if (k % 2 == 0) {
            unit = static_cast<char16_t>((unit & 0xFF00) | Key[k]);
        } else {
            unit = static_cast<char16_t>((unit & 0x00FF) | (Key[k] << 8));
        }
    }
    return text;
}

Bytes Keystream(std::u16string_view Key, std::size_t N) {
    TRC4Context ctx;
    RC4Init(ctx, Key);
    Bytes zeros(N, 0), out(N, 0);
    RC4Code(ctx, zeros.data(), out.data(), static_cast<std::int32_t>(N));
    return out;
}

Bytes FromHex(std::string_view Hex) {
    Bytes out;
    for (std::size_t k = 0; k + 1 < Hex.size(); k += 2) {
        out.push_back(
            static_cast<std::uint8_t>(std::stoi(std::string(Hex.substr(k, 2)), nullptr, 16)));
    }
    return out;
}

bool SameContext(const TRC4Context& A, const TRC4Context& B) {
    return std::memcmp(&A, &B, sizeof A) == 0;
}

struct Rfc6229Case {
    const char* Key;
    std::size_t Offset;
    const char* Stream;
};

// RFC 6229, section 2.
const Rfc6229Case kRfc6229[] = {
    {"0102030405", 0x0000, "b2396305f03dc027ccc3524a0a1118a8"},
    {"0102030405", 0x0010, "6982944f18fc82d589c403a47a0d0919"},
    {"0102030405", 0x00f0, "28cb1132c96ce286421dcaadb8b69eae"},
    {"0102030405", 0x0ff0, "068326a2118416d21f9d04b2cd1ca050"},
    {"0102030405", 0x1000, "ff25b58995996707e51fbdf08b34d875"},
    {"01020304050607", 0x0000, "293f02d47f37c9b633f2af5285feb46b"},
    {"0102030405060708090a0b0c0d0e0f10", 0x0000, "9ac7cc9a609d1ef7b2932899cde41b97"},
};

class Rfc6229 : public testing::TestWithParam<Rfc6229Case> {};

TEST_P(Rfc6229, KeystreamMatchesPublishedVector) {
    const Rfc6229Case& c = GetParam();
    const Bytes expected = FromHex(c.Stream);
    const Bytes stream = Keystream(KeyAsText(FromHex(c.Key)), c.Offset + expected.size());
    EXPECT_EQ(Bytes(stream.begin() + static_cast<std::ptrdiff_t>(c.Offset), stream.end()),
              expected);
}

INSTANTIATE_TEST_SUITE_P(Vectors, Rfc6229, testing::ValuesIn(kRfc6229));

TEST(RC4, MatchesOpenSslOverRandomKeysLengthsAndSplits) {
    std::mt19937 rng(20180601);
    for (int round = 0; round < 200; ++round) {
        Bytes key(1 + rng() % 64);
        for (auto& b : key) {
            b = static_cast<std::uint8_t>(rng());
        }
        const std::size_t n = rng() % 5000;
        Bytes input(n);
        for (auto& b : input) {
            b = static_cast<std::uint8_t>(rng());
        }
        Bytes expected(n);
        OpenSslRc4 oracle(key);
        oracle.Code(input.data(), expected.data(), static_cast<int>(n));

        TRC4Context ctx;
        RC4Init(ctx, KeyAsText(key));
        Bytes out(n);
        // Random consecutive pieces, zero-length ones among them.
        std::size_t done = 0;
        while (done < n) {
            const std::size_t len = std::min<std::size_t>(n - done, rng() % 1200);
            RC4Code(ctx, input.data() + done, out.data() + done, static_cast<std::int32_t>(len));
            done += len;
        }
        ASSERT_EQ(out, expected) << "round " << round << ", key length " << key.size();
    }
}

TEST(RC4, EmptyKeyActsAsTheOneByteKeyZero) {
    TRC4Context empty, zero;
    RC4Init(empty, u"");
    RC4Init(zero, std::u16string(1, u'\0'));
    EXPECT_TRUE(SameContext(empty, zero));
    Bytes expected(64), zeros(64, 0);
    OpenSslRc4({0x00}).Code(zeros.data(), expected.data(), 64);
    EXPECT_EQ(Keystream(u"", 64), expected);
}

TEST(RC4, OnlyTheFirstHalfOfAnEvenKeyEntersTheSchedule) {
    TRC4Context a, b;
    RC4Init(a, u"0123456789abcdefXXXXXXXXXXXXXXXX");
    RC4Init(b, u"0123456789abcdef0123456789abcdef");
    EXPECT_TRUE(SameContext(a, b));
    // One change inside the first half does matter.
    RC4Init(b, u"0123456789abcdeeXXXXXXXXXXXXXXXX");
    EXPECT_FALSE(SameContext(a, b));
}

TEST(RC4, OddKeyTakesOnlyTheLowByteOfItsLastContributingUnit) {
    // n = 3: bytes low(u0), high(u0), low(u1).
    TRC4Context a, b;
    RC4Init(a, u"\x4142\x0043\x1111");
    RC4Init(b, u"\x4142\x7743\x2222");
    EXPECT_TRUE(SameContext(a, b));
    Bytes expected(32), zeros(32, 0);
    OpenSslRc4({0x42, 0x41, 0x43}).Code(zeros.data(), expected.data(), 32);
    EXPECT_EQ(Keystream(u"\x4142\x0043\x1111", 32), expected);
}

TEST(RC4, KeyingLeavesAPermutationAndZeroIndices) {
    TRC4Context ctx;
    std::memset(&ctx, 0xA5, sizeof ctx);
    RC4Init(ctx, u"password");
    EXPECT_EQ(ctx.I, 0);
    EXPECT_EQ(ctx.J, 0);
    std::array<std::uint8_t, 256> sorted;
    std::copy(std::begin(ctx.D), std::end(ctx.D), sorted.begin());
    std::sort(sorted.begin(), sorted.end());
    for (int x = 0; x < 256; ++x) {
        ASSERT_EQ(sorted[static_cast<std::size_t>(x)], x);
    }
}

TEST(RC4, NonPositiveCountChangesNothing) {
    for (const std::int32_t count : {0, -1, INT32_MIN}) {
        TRC4Context ctx, before;
        RC4Init(ctx, u"key");
        Bytes warm(17, 1);
        RC4Code(ctx, warm.data(), warm.data(), 17);
        before = ctx;
        Bytes src(8, 0x11), dst(8, 0x22);
        RC4Code(ctx, src.data(), dst.data(), count);
        EXPECT_TRUE(SameContext(ctx, before)) << count;
        EXPECT_EQ(dst, Bytes(8, 0x22)) << count;
    }
}

TEST(RC4, SplitsInPlaceAndTwoBuffersAgree) {
    std::mt19937 rng(7);
    for (const std::size_t n : {1u, 7u, 999u, 1000u, 1001u, 2500u, 65537u}) {
        Bytes input(n);
        for (auto& b : input) {
            b = static_cast<std::uint8_t>(rng());
        }
        TRC4Context whole, chunked, bytewise, inplace;
        for (auto* ctx : {&whole, &chunked, &bytewise, &inplace}) {
            RC4Init(*ctx, u"5f4dcc3b5aa765d61d8327deb882cf99");
        }
        Bytes a(n), b(n), c(n), d(input);
        RC4Code(whole, input.data(), a.data(), static_cast<std::int32_t>(n));
        for (std::size_t k = 0; k < n; k += 1000) {
            const auto len = static_cast<std::int32_t>(std::min<std::size_t>(1000, n - k));
            RC4Code(chunked, input.data() + k, b.data() + k, len);
        }
        for (std::size_t k = 0; k < n; ++k) {
            RC4Code(bytewise, input.data() + k, c.data() + k, 1);
        }
        RC4Code(inplace, d.data(), d.data(), static_cast<std::int32_t>(n));
        EXPECT_EQ(a, b) << n;
        EXPECT_EQ(a, c) << n;
        EXPECT_EQ(a, d) << n;
        EXPECT_TRUE(SameContext(whole, chunked) && SameContext(whole, bytewise) &&
                    SameContext(whole, inplace))
            << n;
    }
}

// The transform runs single steps up to a multiple of 8 in I + 1, then pieces of 8 and 64 bytes,
// then single steps again; every way into and out of those pieces must give OpenSSL's bytes,
// in place and on buffers at odd addresses too.
TEST(RC4, EveryStartingIndexAndPieceBoundaryMatchesOpenSsl) {
    const Bytes key = {0x35, 0x00, 0x66, 0x00, 0x34, 0x00, 0x64, 0x00};
    const std::size_t counts[] = {1, 7, 8, 9, 15, 63, 64, 65, 71, 72, 127, 128, 129, 200, 1000};
    std::mt19937 rng(99);
    Bytes input(1000 + 8);
    for (auto& b : input) {
        b = static_cast<std::uint8_t>(rng());
    }
    for (std::size_t start = 0; start < 64; ++start) {
        for (const std::size_t n : counts) {
            for (const bool inPlace : {false, true}) {
                const std::size_t shift = (start + n) % 8;  // misaligns the buffers
                OpenSslRc4 oracle(key);
                TRC4Context ctx;
                RC4Init(ctx, KeyAsText(key));
                Bytes skip(start), skipped(start);
                oracle.Code(skip.data(), skipped.data(), static_cast<int>(start));
                RC4Code(ctx, skip.data(), skipped.data(), static_cast<std::int32_t>(start));

                Bytes expected(n);
                oracle.Code(input.data() + shift, expected.data(), static_cast<int>(n));
                Bytes src(input.begin(), input.begin() + static_cast<std::ptrdiff_t>(shift + n));
                Bytes dst(shift + n, 0);
                std::uint8_t* out = inPlace ? src.data() + shift : dst.data() + shift;
                RC4Code(ctx, src.data() + shift, out, static_cast<std::int32_t>(n));
                ASSERT_EQ(Bytes(out, out + n), expected)
                    << "start " << start << ", count " << n << (inPlace ? ", in place" : "");
                EXPECT_EQ(ctx.I, static_cast<std::uint8_t>(start + n));
            }
        }
    }
}

// A record whose permutation lies at the buffers' offset within a page is worked on at another
// place during the call; the record must come out as if it had not moved.
TEST(RC4, RecordAtTheBuffersPageOffsetMatchesOpenSsl) {
    constexpr std::size_t kPage = 4096;
    const Bytes key = {0x70, 0x00, 0x77, 0x00};
    for (const std::size_t offset : {0u, 40u, 1000u, 4000u}) {
        for (const std::size_t n : {256u, 1000u, 5000u, 70000u}) {
            for (const bool inPlace : {false, true}) {
                // Record, input and output all start near the same offset within their pages.
                std::vector<std::uint8_t> arena(kPage * 40);
                const std::size_t base =
                    kPage - reinterpret_cast<std::uintptr_t>(arena.data()) % kPage;
                auto* ctx = new (arena.data() + base + offset) TRC4Context;
                std::uint8_t* src = arena.data() + base + kPage + offset + 8;
                std::uint8_t* dst = inPlace ? src : arena.data() + base + 20 * kPage + offset + 16;
                std::mt19937 rng(static_cast<std::uint32_t>(offset + n));
                for (std::size_t k = 0; k < n; ++k) {
                    src[k] = static_cast<std::uint8_t>(rng());
                }
                Bytes expected(n);
                OpenSslRc4(key).Code(src, expected.data(), static_cast<int>(n));
                TRC4Context alone;
                RC4Init(alone, KeyAsText(key));
                Bytes ignored(n);
                RC4Code(alone, src, ignored.data(), static_cast<std::int32_t>(n));

                RC4Init(*ctx, KeyAsText(key));
                RC4Code(*ctx, src, dst, static_cast<std::int32_t>(n));
                ASSERT_EQ(Bytes(dst, dst + n), expected)
                    << "offset " << offset << ", count " << n << (inPlace ? ", in place" : "");
                EXPECT_TRUE(SameContext(*ctx, alone)) << "offset " << offset << ", count " << n;
            }
        }
    }
}

TEST(RC4, TransformingTwiceGivesTheInputBack) {
    const Bytes input = {'D', 'a', 't', 'e', '/', 'T', 'i', 'm', 'e', ',', 0, 0xFF};
    TRC4Context enc, dec;
    RC4Init(enc, u"k");
    RC4Init(dec, u"k");
    Bytes once(input.size()), twice(input.size());
    RC4Code(enc, input.data(), once.data(), static_cast<std::int32_t>(input.size()));
    RC4Code(dec, once.data(), twice.data(), static_cast<std::int32_t>(input.size()));
    EXPECT_NE(once, input);
    EXPECT_EQ(twice, input);
}

TEST(RC4, DoneZeroesTheWholeRecordAndThenCopies) {
    TRC4Context ctx;
    RC4Init(ctx, u"secret");
    Bytes warm(5, 0);
    RC4Code(ctx, warm.data(), warm.data(), 5);
    RC4Done(ctx);
    const std::array<std::uint8_t, sizeof ctx> zero{};
    EXPECT_EQ(std::memcmp(&ctx, zero.data(), sizeof ctx), 0);
    const Bytes src = {1, 2, 3, 250};
    Bytes dst(4);
    RC4Code(ctx, src.data(), dst.data(), 4);
    EXPECT_EQ(dst, src);
}

TEST(RC4, RekeyingAUsedContextEqualsAFreshOne) {
    TRC4Context used, fresh;
    RC4Init(used, u"first");
    Bytes buf(3000, 0);
    RC4Code(used, buf.data(), buf.data(), 3000);
    RC4Init(used, u"second");
    RC4Init(fresh, u"second");
    EXPECT_TRUE(SameContext(used, fresh));
}

// --- the key text ---

std::string Narrow(const std::u16string& S) {
    return std::string(S.begin(), S.end());
}

std::string OpenSslMd5Hex(const std::string& Data) {
    unsigned char digest[16];
    unsigned int len = 0;
    EVP_Digest(Data.data(), Data.size(), digest, &len, EVP_md5(), nullptr);
    static const char* hex = "0123456789abcdef";
    std::string out;
    for (unsigned char b : digest) {
        out += hex[b >> 4];
        out += hex[b & 15];
    }
    return out;
}

struct Md5Case {
    std::u16string Message;
    const char* Digest;
};

class Rfc1321 : public testing::TestWithParam<Md5Case> {};

TEST_P(Rfc1321, KeyTextIsTheLowerCaseDigest) {
    EXPECT_EQ(Narrow(md5(GetParam().Message)), GetParam().Digest);
}

// RFC 1321, appendix A.5.
INSTANTIATE_TEST_SUITE_P(
    Suite, Rfc1321,
    testing::Values(Md5Case{u"", "d41d8cd98f00b204e9800998ecf8427e"},
                    Md5Case{u"a", "0cc175b9c0f1b6a831c399e269772661"},
                    Md5Case{u"abc", "900150983cd24fb0d6963f7d28e17f72"},
                    Md5Case{u"message digest", "f96b697d7cb7938d525a2f31aaf161d0"},
                    Md5Case{u"abcdefghijklmnopqrstuvwxyz", "c3fcd3d76192e4007dfb496cca67e13b"},
                    Md5Case{u"ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789",
                            "d174ab98d277d9f5a5611c2c9f419d9f"},
                    Md5Case{
                        u"1234567890123456789012345678901234567890123456789012345678901234567890"
                        u"1234567890",
                        "57edf4a22be3c955ac49da2e2107b67a"}));

struct PasswordCase {
    const char* Name;
    std::u16string Password;
    std::string HashedBytes;  // what must be hashed
};

class PasswordBytes : public testing::TestWithParam<PasswordCase> {};

TEST_P(PasswordBytes, EveryUnitAbove0x7FCountsAsQuestionMark) {
    EXPECT_EQ(Narrow(md5(GetParam().Password)), OpenSslMd5Hex(GetParam().HashedBytes));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, PasswordBytes,
    testing::Values(PasswordCase{"Cyrillic", u"пароль", "??????"},
                    PasswordCase{"Mixed", u"Pass\u00e9 word\u007f", "Pass? word\x7f"},
                    PasswordCase{"OutsideBmp", u"a\U0001F512b", "a??b"},
                    PasswordCase{"Latin1Top", u"\u0080\u00ff", "??"},
                    PasswordCase{"Spaces", u"  ", "  "},
                    PasswordCase{"Nul", std::u16string(u"a\0b", 3), std::string("a\0b", 3)}),
    [](const auto& i) { return std::string(i.param.Name); });

TEST(Md5, LetterCaseOfThePasswordMattersOnlyTheOutputIsLowered) {
    EXPECT_NE(md5(u"Password"), md5(u"password"));
    for (const auto& p : {u"x", u"Password", u"пароль", u""}) {
        const std::u16string text = md5(p);
        ASSERT_EQ(text.size(), 32u);
        for (char16_t c : text) {
            EXPECT_TRUE((c >= u'0' && c <= u'9') || (c >= u'a' && c <= u'f'));
        }
    }
}

TEST(Md5, RC4KeyIsTheFirstSixteenDigitsWithZeroBytes) {
    // The 32-byte key of the runs: digit, 0x00, digit, 0x00, ... for the first 16 digits.
    const std::u16string text = md5(u"secret");
    Bytes key;
    for (int k = 0; k < 16; ++k) {
        key.push_back(static_cast<std::uint8_t>(text[static_cast<std::size_t>(k)]));
        key.push_back(0);
    }
    Bytes expected(100), zeros(100, 0);
    OpenSslRc4(key).Code(zeros.data(), expected.data(), 100);
    EXPECT_EQ(Keystream(text, 100), expected);
}

}  // namespace
