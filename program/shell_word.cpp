#include "program/shell_word.h"

#include <cctype>

#include "engine/core/utf8.h"

namespace tessellane {

namespace {

// Characters no shell expands or splits at, anywhere in a word ("=" only after the start: zsh expands a
// leading one). Bytes of non-ASCII characters count too; control characters never do.
bool isPlain(char byte, bool first) {
    const auto c = static_cast<unsigned char>(byte);
    if (c >= 0x80) return true;
    if (std::isalnum(c)) return true;
    if (c == '=') return !first;
    return c == '_' || c == '-' || c == '+' || c == '.' || c == ',' || c == '/' || c == ':' || c == '@' ||
           c == '%';
}

std::string escapedWord(std::string_view argument) {
    static constexpr char hex[] = "0123456789abcdef";
    std::string word = "$'";
    for (std::size_t i = 0; i < argument.size(); ++i) {
        const auto c = static_cast<unsigned char>(argument[i]);
        if (c == '\\' || c == '\'') {
            word += '\\';
            word += static_cast<char>(c);
        } else if (c < 0x20 || c == 0x7F || c >= 0x80 || c == '!') {
            // Every byte outside printable ASCII is written out: C1 controls, broken characters and, in
            // this rare kind of word, the characters of other scripts too (and "!", for bash's history).
            word += "\\x";
            word += hex[c >> 4];
            word += hex[c & 0xF];
        } else {
            word += static_cast<char>(c);
        }
    }
    return word + "'";
}

}  // namespace

std::string shellWord(std::string_view argument) {
    if (argument.empty()) return "''";
    if (escapeControls(argument) != argument) return escapedWord(argument);
    bool plain = true;
    for (std::size_t i = 0; i < argument.size(); ++i) plain = plain && isPlain(argument[i], i == 0);
    if (plain) return std::string(argument);
    // Inside double quotes only these still mean something (! to bash's history).
    if (argument.find_first_of("$`\\\"!") == std::string_view::npos)
        return std::string("\"").append(argument).append("\"");
    std::string word = "'";
    for (char c : argument) word += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return word + "'";
}

}  // namespace tessellane
