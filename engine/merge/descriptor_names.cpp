#include "engine/merge/descriptor_names.h"

#include <charconv>

namespace tessellane {

std::string withFileNames(std::string_view text, const std::map<int, std::string>& names) {
    constexpr std::string_view prefix = "/proc/self/fd/";
    std::string named;
    named.reserve(text.size());
    for (std::size_t at = 0;;) {
        const std::size_t found = text.find(prefix, at);
        if (found == std::string_view::npos) return named.append(text.substr(at));
        named.append(text.substr(at, found - at));
        const char* digits = text.data() + found + prefix.size();
        int fd = -1;
        const auto [end, error] = std::from_chars(digits, text.data() + text.size(), fd);
        const auto name = error == std::errc() ? names.find(fd) : names.end();
        if (name == names.end()) {
            named.append(prefix);
            at = found + prefix.size();
            continue;
        }
        named.append(name->second);
        at = static_cast<std::size_t>(end - text.data());
    }
}

}  // namespace tessellane
