#pragma once
// Path splitting as the runtime library does it, over a set of delimiter characters.

#include <string>
#include <string_view>

inline constexpr std::u16string_view WindowsPathDelims = u"\\:";
inline constexpr std::u16string_view PosixPathDelims = u"/";
#ifdef _WIN32
inline constexpr std::u16string_view PathDelims = WindowsPathDelims;
#else
inline constexpr std::u16string_view PathDelims = PosixPathDelims;
#endif

// Up to and including the last delimiter; empty when there is none.
std::u16string ExtractFilePath(std::u16string_view Path, std::u16string_view Delims = PathDelims);
// What follows the last delimiter, or the whole path.
std::u16string ExtractFileName(std::u16string_view Path, std::u16string_view Delims = PathDelims);
// From the last '.' to the end, when no delimiter follows that '.'; else empty.
std::u16string ExtractFileExt(std::u16string_view Path, std::u16string_view Delims = PathDelims);

// Replaces the first occurrence of OldPattern (exact code units); an empty pattern replaces
// nothing.
std::u16string StringReplace(std::u16string_view S, std::u16string_view OldPattern,
                             std::u16string_view NewPattern);
// Replaces every occurrence in one left-to-right pass: text that meets only through a
// replacement is not searched again.
std::u16string Replace(std::u16string_view S, std::u16string_view OldValue,
                       std::u16string_view NewValue);

// The absolute form of a path, relative parts resolved against the current folder and "." and
// ".." taken out lexically; used to name files in error messages.
std::u16string ExpandFileName(std::u16string_view Path);
