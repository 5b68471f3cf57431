#include "paths.h"

#include "text.h"

#include <unistd.h>

#include <cerrno>
#include <climits>
#include <string>
#include <vector>

namespace {

std::u16string CurrentFolder() {
    std::vector<char> buf(PATH_MAX);
    while (::getcwd(buf.data(), buf.size()) == nullptr) {
        if (errno != ERANGE) {
            return u"/";
        }
        buf.resize(buf.size() * 2);
    }
    return FromUtf8Lossy(buf.data());
}

}  // namespace

std::u16string ExpandFileName(std::u16string_view Path) {
    std::u16string full;
    if (!Path.empty() && Path.front() == u'/') {
        full = std::u16string(Path);
    } else {
        full = CurrentFolder() + u"/" + std::u16string(Path);
    }
    // Lexical: "." and empty parts go, ".." takes out the part before it.
    std::vector<std::u16string> parts;
    std::size_t from = 0;
    while (from <= full.size()) {
        std::size_t k = full.find(u'/', from);
        if (k == std::u16string::npos) {
            k = full.size();
        }
        std::u16string part = full.substr(from, k - from);
        if (part == u"..") {
            if (!parts.empty()) {
                parts.pop_back();
            }
        } else if (!part.empty() && part != u".") {
            parts.push_back(std::move(part));
        }
        from = k + 1;
    }
    std::u16string out;
    for (const auto& part : parts) {
        out += u'/';
        out += part;
    }
    return out.empty() ? u"/" : out;
}
