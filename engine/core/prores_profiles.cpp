#include "engine/core/prores_profiles.h"

#include <algorithm>
#include <iterator>

#include "engine/core/ascii_case.h"

namespace tessellane {
namespace {

// Every ProRes profile, by its encoder profile number: its sample-description code, its name, and whether
// it carries full-resolution chroma (and then maybe alpha).
struct ProresRow {
    std::string_view tag;
    std::string_view name;
    int number;
    bool fullChroma;
};

constexpr ProresRow proresTable[] = {
    {"apco", "422 Proxy", 0, false}, {"apcs", "422 LT", 1, false}, {"apcn", "422", 2, false},
    {"apch", "422 HQ", 3, false},    {"ap4h", "4444", 4, true},    {"ap4x", "4444 XQ", 5, true},
};

const ProresRow* findProres(std::string_view tag) {
    for (const ProresRow& row : proresTable)
        if (row.tag == tag) return &row;
    return nullptr;
}

}  // namespace

std::string proresName(std::string_view tag, std::string_view profile) {
    if (const ProresRow* row = findProres(tag)) return std::string(row->name);
    return std::string(profile);
}

std::string proresPixelFormat(std::string_view tag, bool alpha) {
    const ProresRow* row = findProres(tag);
    if (!row) return {};
    return !row->fullChroma ? "yuv422p10le" : alpha ? "yuva444p10le" : "yuv444p10le";
}

std::string_view proresTag(int profileNumber) {
    return proresTable[std::clamp(profileNumber, 0, int(std::size(proresTable)) - 1)].tag;
}

int proresProfileNumber(std::string_view tag, std::string_view profile) {
    if (const ProresRow* row = findProres(tag)) return row->number;
    const std::string lower = asciiLower(profile);
    // "xq" before "4444": the profile "4444 XQ" must give 5.
    if (lower.find("xq") != std::string::npos) return 5;
    if (lower.find("4444") != std::string::npos) return 4;
    if (lower.find("hq") != std::string::npos) return 3;
    if (lower.find("lt") != std::string::npos) return 1;
    if (lower.find("proxy") != std::string::npos) return 0;
    return 2;
}

}  // namespace tessellane
