#pragma once

#include <string>
#include <string_view>

// The key text of a password: the MD5 digest of its code units taken as 7-bit ASCII bytes
// (every unit above 0x7F as '?'), as 32 lower-case hexadecimal digits.
std::u16string md5(std::u16string_view s);
