// Arguments written so that a shell reads them back exactly, for the "명령:" line a user may paste.
#pragma once

#include <string>
#include <string_view>

namespace tessellane {

// `argument` as one word of a POSIX shell (bash, zsh, dash): as it is when no shell treats any of its
// characters specially; in double quotes when none of them is special there (paths with spaces, filter
// texts); in single quotes when one is ($, `, \, ", !); as $'...' with \xNN escapes when it holds control
// characters or bytes that are not UTF-8, so that the line stays one line and shows what it runs.
std::string shellWord(std::string_view argument);

}  // namespace tessellane
