#include "paths.h"

namespace {

std::size_t LastDelimiter(std::u16string_view Path, std::u16string_view Delims) {
    return Path.find_last_of(Delims);
}

}  // namespace

std::u16string ExtractFilePath(std::u16string_view Path, std::u16string_view Delims) {
    const std::size_t k = LastDelimiter(Path, Delims);
    return k == std::u16string_view::npos ? std::u16string()
                                          : std::u16string(Path.substr(0, k + 1));
}

std::u16string ExtractFileName(std::u16string_view Path, std::u16string_view Delims) {
    const std::size_t k = LastDelimiter(Path, Delims);
    return std::u16string(k == std::u16string_view::npos ? Path : Path.substr(k + 1));
}

std::u16string ExtractFileExt(std::u16string_view Path, std::u16string_view Delims) {
    std::u16string set(Delims);
    set += u'.';
    const std::size_t k = Path.find_last_of(set);
    if (k == std::u16string_view::npos || Path[k] != u'.') {
        return {};
    }
    return std::u16string(Path.substr(k));
}

std::u16string StringReplace(std::u16string_view S, std::u16string_view OldPattern,
                             std::u16string_view NewPattern) {
    std::u16string out(S);
    if (OldPattern.empty()) {
        return out;
    }
    const std::size_t k = out.find(OldPattern);
    if (k != std::u16string::npos) {
        out.replace(k, OldPattern.size(), NewPattern);
    }
    return out;
}

std::u16string Replace(std::u16string_view S, std::u16string_view OldValue,
                       std::u16string_view NewValue) {
    if (OldValue.empty()) {
        return std::u16string(S);
    }
    std::u16string out;
    std::size_t from = 0;
    for (;;) {
        const std::size_t k = S.find(OldValue, from);
        if (k == std::u16string_view::npos) {
            break;
        }
        out.append(S.substr(from, k - from));
        out.append(NewValue);
        from = k + OldValue.size();
    }
    out.append(S.substr(from));
    return out;
}
