#pragma once

#include <cstddef>
#include <string>

// Overwrites memory with zeros in a way the compiler may not drop.
void SecureWipe(void* p, std::size_t n);

inline void SecureWipe(std::u16string& s) {
    SecureWipe(s.data(), s.size() * sizeof(char16_t));
}
