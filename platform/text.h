#pragma once
// Conversions between the program's UTF-16 text and the bytes of the system.

#include <optional>
#include <string>
#include <string_view>

// UTF-16 to UTF-8; nothing when the text has an unpaired surrogate.
std::optional<std::string> ToUtf8(std::u16string_view Text);
// As ToUtf8, with U+FFFD for every unit that has no UTF-8 form; for showing text only.
std::string ToUtf8Lossy(std::u16string_view Text);
// UTF-8 to UTF-16, with U+FFFD for bytes that are not UTF-8.
std::u16string FromUtf8Lossy(std::string_view Bytes);
// Text in the encoding of the user's locale (LC_CTYPE), as the C library's messages come.
std::u16string FromLocaleText(std::string_view Bytes);
// One byte per character: the single-byte code page that stands for the ANSI code page.
std::u16string FromLatin1(std::string_view Bytes);

std::u16string IntToStr(long long Value);
