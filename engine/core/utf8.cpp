#include "engine/core/utf8.h"

namespace tessellane {

namespace {

// The length of the well-formed character at the start of `bytes`, or 0 when there is none.
std::size_t utf8CharLength(std::string_view bytes) {
    const auto c = static_cast<unsigned char>(bytes[0]);
    std::size_t length;
    char32_t min;
    if (c < 0x80) return 1;
    if ((c & 0xE0) == 0xC0) {
        length = 2, min = 0x80;
    } else if ((c & 0xF0) == 0xE0) {
        length = 3, min = 0x800;
    } else if ((c & 0xF8) == 0xF0) {
        length = 4, min = 0x10000;
    } else {
        return 0;
    }
    if (length > bytes.size()) return 0;
    char32_t cp = c & (0x7F >> length);
    for (std::size_t k = 1; k < length; ++k) {
        const auto next = static_cast<unsigned char>(bytes[k]);
        if ((next & 0xC0) != 0x80) return 0;
        cp = (cp << 6) | (next & 0x3F);
    }
    if (cp < min || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) return 0;
    return length;
}

void appendHex(std::string& text, const char* prefix, unsigned value, int digits) {
    static constexpr char hex[] = "0123456789abcdef";
    text += prefix;
    for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4) text += hex[(value >> shift) & 0xF];
}

}  // namespace

bool isValidUtf8(std::string_view bytes) {
    while (!bytes.empty()) {
        const std::size_t length = utf8CharLength(bytes);
        if (length == 0) return false;
        bytes.remove_prefix(length);
    }
    return true;
}

std::string toValidUtf8(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const std::size_t length = utf8CharLength(bytes);
        if (length == 0) {
            text += "\xEF\xBF\xBD";
            bytes.remove_prefix(1);
        } else {
            text.append(bytes.substr(0, length));
            bytes.remove_prefix(length);
        }
    }
    return text;
}

std::string escapeControls(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    while (!bytes.empty()) {
        const auto c = static_cast<unsigned char>(bytes[0]);
        const std::size_t length = utf8CharLength(bytes);
        if (length == 0) {
            appendHex(text, "\\x", c, 2);
        } else if (c == '\n' || c == '\r' || c == '\t') {
            text += c == '\n' ? "\\n" : c == '\r' ? "\\r" : "\\t";
        } else if (c < 0x20 || c == 0x7F) {
            appendHex(text, "\\x", c, 2);
        } else if (c == 0xC2 && static_cast<unsigned char>(bytes[1]) < 0xA0) {
            appendHex(text, "\\u", static_cast<unsigned char>(bytes[1]), 4);  // U+0080..U+009F
        } else {
            text.append(bytes.substr(0, length));
        }
        bytes.remove_prefix(length == 0 ? 1 : length);
    }
    return text;
}

}  // namespace tessellane
