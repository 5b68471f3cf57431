#include "errors.h"

#include "text.h"

Exception::Exception(std::u16string Message) {
    std::string utf8 = ToUtf8Lossy(Message);
    fTexts = std::make_shared<const TTexts>(TTexts{std::move(Message), std::move(utf8)});
}

namespace {
const EOutOfMemory kOutOfMemory{std::u16string(SOutOfMemory)};
}  // namespace

const EOutOfMemory& OutOfMemoryError() {
    return kOutOfMemory;
}

EInOutError InOutErrorFor(int WindowsCode, std::u16string_view Path) {
    switch (WindowsCode) {
        case 2:
            return EInOutError(2, u"The specified file was not found");
        case 3:
            return EInOutError(3, u"Invalid file name - " + std::u16string(Path));
        case 4:
            return EInOutError(4, u"Too many open files");
        case 5:
            return EInOutError(5, u"File access denied");
        default:
            return EInOutError(WindowsCode, u"I/O error " + IntToStr(WindowsCode));
    }
}

std::u16string FOpenErrorText(std::u16string_view FullPath, std::u16string_view SysText) {
    return u"Cannot open file \"" + std::u16string(FullPath) + u"\". " + std::u16string(SysText);
}

std::u16string FCreateErrorText(std::u16string_view FullPath, std::u16string_view SysText) {
    return u"Cannot create file \"" + std::u16string(FullPath) + u"\". " + std::u16string(SysText);
}
