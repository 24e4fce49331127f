// The bounded tail of a child's diagnostic output and the last lines the user is shown from it.
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace tessellane {

// Above this many bytes the tail is cut back to the last diagnosticTailKeep bytes.
constexpr std::size_t diagnosticTailLimit = 200'000;
constexpr std::size_t diagnosticTailKeep = 100'000;

// Appends `bytes` and keeps `tail` bounded. A cut that splits a multi-byte UTF-8 character also drops that
// character's orphaned continuation bytes (at most three), so a well-formed stream stays decodable.
void appendDiagnostics(std::string& tail, std::string_view bytes);

// The last `count` non-empty lines of `text`, joined with " | ".
std::string lastDiagnosticLines(std::string_view text, std::size_t count = 3);

}  // namespace tessellane
