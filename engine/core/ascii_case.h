// Case changes for ASCII only: extensions, codec names and tags are ASCII, and the process locale must not
// change how they compare (a Turkish locale lower-cases 'I' to a dotless i).
#pragma once

#include <string>
#include <string_view>

namespace tessellane {

std::string asciiLower(std::string_view text);
std::string asciiUpper(std::string_view text);

}  // namespace tessellane
