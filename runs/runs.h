#pragma once
// The encryption and decryption runs: one synchronous call each, reporting through a view.
// Their own checks end in a message box; every other failure leaves as an Exception.

#include "runview.h"

#include <string>
#include <string_view>

#include "paths.h"

void EncryptRun(std::u16string_view Path, std::u16string_view Password, TRunView& View);
void DecryptRun(std::u16string_view Path, std::u16string_view Password, TRunView& View);

// The data-file test on the first line of a file: "Date/Time," or "Date,Time," at its
// characters 4 to 13.
bool IsDataFileHeader(std::u16string_view FirstLine);
// How many characters of the first line IsDataFileHeader needs.
inline constexpr std::size_t HeaderLineChars = 13;

// The output names: folder, base name, suffix, extension.
std::u16string EncryptedFileName(std::u16string_view Path, std::u16string_view Delims = PathDelims);
std::u16string DecryptedFileName(std::u16string_view Path, std::u16string_view Delims = PathDelims);

// The view's 32-bit range for a 64-bit size and position: the exact values below 2^31,
// otherwise both shifted right by the one count that makes the size fit.
struct TProgressScale {
    explicit TProgressScale(std::int64_t Size);
    std::int32_t operator()(std::int64_t Value) const {
        return static_cast<std::int32_t>(Value >> fShift);
    }

  private:
    int fShift = 0;
};
