#pragma once
// The error classes that the runs raise. Each carries a fixed English message text; the
// windows show it, the headless driver prints it.

#include <exception>
#include <memory>
#include <string>

class Exception : public std::exception {
  public:
    explicit Exception(std::u16string Message);

    const std::u16string& Message() const noexcept { return fTexts->Message; }
    // The class name as the error box and the driver name it.
    virtual const char* ClassName() const noexcept { return "Exception"; }
    // The message in UTF-8, for std::exception users.
    const char* what() const noexcept override { return fTexts->Utf8.c_str(); }

    // An error raised while handling another carries it here; the error box shows the
    // innermost non-empty message.
    std::shared_ptr<const Exception> InnerException;

  private:
    // Shared, so that copying an error (as throwing does) takes no memory.
    struct TTexts {
        std::u16string Message;
        std::string Utf8;
    };
    std::shared_ptr<const TTexts> fTexts;
};

#define RAVDAN_ERROR_CLASS(Name, Base)                                    \
    class Name : public Base {                                            \
      public:                                                             \
        using Base::Base;                                                 \
        const char* ClassName() const noexcept override { return #Name; } \
    };

// The silent kind: leaves a handler without any box.
RAVDAN_ERROR_CLASS(EAbort, Exception)
RAVDAN_ERROR_CLASS(EOutOfMemory, Exception)
RAVDAN_ERROR_CLASS(EStreamError, Exception)
RAVDAN_ERROR_CLASS(EFOpenError, EStreamError)
RAVDAN_ERROR_CLASS(EFCreateError, EStreamError)
RAVDAN_ERROR_CLASS(EReadError, EStreamError)
RAVDAN_ERROR_CLASS(EWriteError, EStreamError)

#undef RAVDAN_ERROR_CLASS

// A failure of the text-file reading of the header check, with the Windows error code that
// stands for it.
class EInOutError : public Exception {
  public:
    EInOutError(int Code, std::u16string Message)
        : Exception(std::move(Message)), ErrorCode(Code) {}
    const char* ClassName() const noexcept override { return "EInOutError"; }

    const int ErrorCode;
};

// Builds the EInOutError for a Windows error code with the runtime library's fixed texts.
// Path fills the placeholder of code 3.
EInOutError InOutErrorFor(int WindowsCode, std::u16string_view Path);

// The out-of-memory error, made when the program starts: raising a copy of it takes no
// memory, so it can be raised when none is left.
const EOutOfMemory& OutOfMemoryError();

// The fixed message texts.
inline constexpr std::u16string_view SOutOfMemory = u"Out of memory";
inline constexpr std::u16string_view SReadError = u"Stream read error";
inline constexpr std::u16string_view SWriteError = u"Stream write error";
std::u16string FOpenErrorText(std::u16string_view FullPath, std::u16string_view SysText);
std::u16string FCreateErrorText(std::u16string_view FullPath, std::u16string_view SysText);
