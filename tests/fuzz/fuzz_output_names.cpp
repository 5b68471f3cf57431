// The output names for any path, with both delimiter sets: the encrypted name is five
// characters longer, neither name is ever the input, the folder part and the extension are
// kept, and the decrypted name's length follows from the "crypt"s taken out of the base name.

#include "paths.h"
#include "runs.h"

#include <cstdint>
#include <string>

namespace {

// Bytes become characters that matter to the names more often than chance would give them.
std::u16string PathOf(const std::uint8_t* Data, std::size_t Size) {
    static constexpr char16_t kAlphabet[] = {u'c', u'r', u'y', u'p', u't', u'.', u'\\',  u'/',
                                             u':', u'a', u'C', u'u', u'n', u'R', 0xD800, 0x0436};
    std::u16string path;
    for (std::size_t k = 0; k < Size; ++k) {
        path.push_back(Data[k] < 0xF0 ? kAlphabet[Data[k] % 16] : char16_t{Data[k]});
    }
    return path;
}

// The name part's "crypt"s in one left-to-right pass, as the model counts them.
std::size_t CryptsInBaseName(const std::u16string& Path, std::u16string_view Delims) {
    const std::size_t cut = Path.find_last_of(Delims);
    const std::u16string name = cut == std::u16string::npos ? Path : Path.substr(cut + 1);
    const std::size_t dot = name.rfind(u'.');
    std::u16string base = name;
    if (dot != std::u16string::npos) {
        const std::u16string ext = name.substr(dot);
        base.erase(base.find(ext), ext.size());
    }
    std::size_t count = 0;
    for (std::size_t k = base.find(u"crypt"); k != std::u16string::npos;
         k = base.find(u"crypt", k + 5)) {
        ++count;
    }
    return count;
}

void Check(bool Condition) {
    if (!Condition) {
        __builtin_trap();
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* Data, std::size_t Size) {
    const std::u16string path = PathOf(Data, Size);
    for (const std::u16string_view delims : {WindowsPathDelims, PosixPathDelims}) {
        const std::u16string folder = ExtractFilePath(path, delims);
        const std::u16string ext = ExtractFileExt(path, delims);

        const std::u16string encrypted = EncryptedFileName(path, delims);
        Check(encrypted.size() == path.size() + 5);
        Check(encrypted != path);
        Check(ExtractFilePath(encrypted, delims) == folder);
        Check(ExtractFileExt(encrypted, delims) == ext);

        const std::u16string decrypted = DecryptedFileName(path, delims);
        Check(decrypted != path);
        Check(ExtractFilePath(decrypted, delims) == folder);
        Check(ExtractFileExt(decrypted, delims) == ext);
        Check(decrypted.size() + 5 * CryptsInBaseName(path, delims) == path.size() + 7);
        Check(decrypted.ends_with(u"uncrypt" + ext));
    }
    return 0;
}
