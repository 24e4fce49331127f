#include "engine/diagnostic_tail.h"

#include <vector>

namespace tessellane {

namespace {

bool isContinuationByte(char byte) { return (static_cast<unsigned char>(byte) & 0xC0) == 0x80; }

}  // namespace

void appendDiagnostics(std::string& tail, std::string_view bytes) {
    tail.append(bytes);
    if (tail.size() <= diagnosticTailLimit) return;
    std::size_t cut = tail.size() - diagnosticTailKeep;
    for (int i = 0; i < 3 && cut < tail.size() && isContinuationByte(tail[cut]); ++i) ++cut;
    tail.erase(0, cut);
}

std::string lastDiagnosticLines(std::string_view text, std::size_t count) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t newline = text.find('\n');
        const std::string_view line = text.substr(0, newline);
        if (!line.empty()) lines.push_back(line);
        if (newline == std::string_view::npos) break;
        text.remove_prefix(newline + 1);
    }
    std::string joined;
    for (std::size_t i = lines.size() > count ? lines.size() - count : 0; i < lines.size(); ++i) {
        if (!joined.empty()) joined += " | ";
        joined += lines[i];
    }
    return joined;
}

}  // namespace tessellane
