// Text from outside (file names, a child's output) is bytes; these make sure it is UTF-8 before it is shown.
#pragma once

#include <string>
#include <string_view>

namespace tessellane {

// True when `bytes` is well-formed UTF-8.
bool isValidUtf8(std::string_view bytes);

// `bytes` as well-formed UTF-8: each byte that does not start a well-formed character becomes U+FFFD.
std::string toValidUtf8(std::string_view bytes);

// `bytes` made safe to print on one line of a terminal: control characters (C0, DEL, C1) are written as
// escapes (\n, \r, \t, \x1b, \u009b) and bytes that are not UTF-8 as \xNN; everything else is kept.
// A name written so can never start a line of its own or move the cursor.
std::string escapeControls(std::string_view bytes);

}  // namespace tessellane
