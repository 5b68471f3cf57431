#include "text.h"

#include <iconv.h>
#include <langinfo.h>

#include <bit>
#include <cerrno>
#include <cstring>
#include <new>
#include <vector>

namespace {

const char* Utf16Name() {
    return std::endian::native == std::endian::little ? "UTF-16LE" : "UTF-16BE";
}

// Converts with iconv. On a unit or byte that has no form in the target, either gives up
// (Replacement empty) or writes Replacement and skips SkipBytes of input.
bool Convert(const char* To, const char* From, const char* In, std::size_t InLen, std::string& Out,
             std::string_view Replacement, std::size_t SkipBytes) {
    iconv_t cd = iconv_open(To, From);
    if (cd == reinterpret_cast<iconv_t>(-1)) {
        // A lack of memory is not a text without a form in the target.
        if (errno == ENOMEM) {
            throw std::bad_alloc();
        }
        return false;
    }
    Out.clear();
    std::vector<char> buf(4096);
    char* inPtr = const_cast<char*>(In);
    std::size_t inLeft = InLen;
    bool ok = true;
    for (;;) {
        char* outPtr = buf.data();
        std::size_t outLeft = buf.size();
        const std::size_t r = iconv(cd, inLeft > 0 ? &inPtr : nullptr, &inLeft, &outPtr, &outLeft);
        Out.append(buf.data(), buf.size() - outLeft);
        if (r != static_cast<std::size_t>(-1)) {
            if (inLeft == 0) {
                break;
            }
            continue;
        }
        if (errno == E2BIG) {
            continue;
        }
        // EILSEQ or EINVAL (a sequence cut at the end): no form in the target.
        if (Replacement.empty()) {
            ok = false;
            break;
        }
        Out.append(Replacement);
        const std::size_t skip = SkipBytes < inLeft ? SkipBytes : inLeft;
        inPtr += skip;
        inLeft -= skip;
        if (inLeft == 0) {
            break;
        }
    }
    iconv_close(cd);
    return ok;
}

std::u16string BytesToU16(const std::string& Bytes) {
    std::u16string s(Bytes.size() / 2, u'\0');
    std::memcpy(s.data(), Bytes.data(), s.size() * 2);
    return s;
}

}  // namespace

std::optional<std::string> ToUtf8(std::u16string_view Text) {
    std::string out;
    if (!Convert("UTF-8", Utf16Name(), reinterpret_cast<const char*>(Text.data()), Text.size() * 2,
                 out, {}, 0)) {
        return std::nullopt;
    }
    return out;
}

std::string ToUtf8Lossy(std::u16string_view Text) {
    std::string out;
    Convert("UTF-8", Utf16Name(), reinterpret_cast<const char*>(Text.data()), Text.size() * 2, out,
            "\xEF\xBF\xBD", 2);
    return out;
}

std::u16string FromUtf8Lossy(std::string_view Bytes) {
    std::string out;
    const char16_t replacement = u'\uFFFD';
    Convert(Utf16Name(), "UTF-8", Bytes.data(), Bytes.size(), out,
            std::string_view(reinterpret_cast<const char*>(&replacement), 2), 1);
    return BytesToU16(out);
}

std::u16string FromLocaleText(std::string_view Bytes) {
    std::string out;
    const char16_t replacement = u'\uFFFD';
    if (!Convert(Utf16Name(), nl_langinfo(CODESET), Bytes.data(), Bytes.size(), out,
                 std::string_view(reinterpret_cast<const char*>(&replacement), 2), 1)) {
        return FromLatin1(Bytes);
    }
    return BytesToU16(out);
}

std::u16string FromLatin1(std::string_view Bytes) {
    std::u16string s(Bytes.size(), u'\0');
    for (std::size_t k = 0; k < Bytes.size(); ++k) {
        s[k] = static_cast<unsigned char>(Bytes[k]);
    }
    return s;
}

std::u16string IntToStr(long long Value) {
    const std::string digits = std::to_string(Value);
    return std::u16string(digits.begin(), digits.end());
}
