#include "engine/core/clip_info.h"

#include <algorithm>
#include <charconv>
#include <cmath>
#include <cstdio>
#include <random>

namespace tessellane {

const std::vector<std::string> imageExts = {"png", "jpg", "jpeg", "tif", "tiff", "bmp", "webp"};
const std::vector<std::string> videoExts = {"mov", "mp4", "m4v"};

Uuid Uuid::random() {
    // One engine per thread, started from the OS's entropy; ids only need to be unique, not secret.
    thread_local std::mt19937_64 engine = [] {
        std::random_device device;
        std::seed_seq entropy{device(), device(), device(), device(), device(), device(), device(), device()};
        return std::mt19937_64(entropy);
    }();
    std::array<std::uint8_t, 16> bytes{};
    for (std::size_t i = 0; i < bytes.size(); i += 8) {
        std::uint64_t word = engine();
        for (std::size_t j = 0; j < 8; ++j) bytes[i + j] = static_cast<std::uint8_t>(word >> (8 * j));
    }
    bytes[6] = static_cast<std::uint8_t>((bytes[6] & 0x0F) | 0x40);  // version 4
    bytes[8] = static_cast<std::uint8_t>((bytes[8] & 0x3F) | 0x80);  // RFC 4122 variant
    return Uuid(bytes);
}

std::string Uuid::toString() const {
    static constexpr char digits[] = "0123456789abcdef";
    std::string out;
    out.reserve(36);
    for (std::size_t i = 0; i < bytes_.size(); ++i) {
        if (i == 4 || i == 6 || i == 8 || i == 10) out.push_back('-');
        out.push_back(digits[bytes_[i] >> 4]);
        out.push_back(digits[bytes_[i] & 0x0F]);
    }
    return out;
}

std::string asciiLower(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    return out;
}

std::string asciiUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out)
        if (c >= 'a' && c <= 'z') c = static_cast<char>(c - 'a' + 'A');
    return out;
}

// The text after the last dot, also when nothing precedes it: ".png" is a PNG named by its extension alone
// (the standard library would call it a hidden file without one).
std::string extensionOf(const FileURL& url) {
    const std::string name = url.filename().string();
    const std::size_t dot = name.rfind('.');
    return dot == std::string::npos ? std::string() : name.substr(dot + 1);
}

std::string stemOf(const FileURL& url) {
    const std::string name = url.filename().string();
    return name.substr(0, name.rfind('.'));
}

std::string lowerExtensionOf(const FileURL& url) { return asciiLower(extensionOf(url)); }

bool hasImageExtension(const FileURL& url) {
    std::string ext = lowerExtensionOf(url);
    return std::find(imageExts.begin(), imageExts.end(), ext) != imageExts.end();
}

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

// Parses one piece of a frame-rate text the way a strict decimal parser does: the whole piece or nothing.
std::optional<double> parseDecimal(std::string_view piece) {
    if (!piece.empty() && piece.front() == '+') piece.remove_prefix(1);
    if (piece.empty() || piece.front() == '+') return std::nullopt;
    double value = 0;
    auto [end, ec] = std::from_chars(piece.data(), piece.data() + piece.size(), value);
    if (ec != std::errc() || end != piece.data() + piece.size()) return std::nullopt;
    return value;
}

// "12.50" as "12.5", "30.000" as "30".
std::string withoutTrailingZeros(std::string number) {
    if (number.find('.') != std::string::npos) {
        while (number.back() == '0') number.pop_back();
        if (number.back() == '.') number.pop_back();
    }
    return number;
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

double parseFrameRate(std::string_view fpsString) {
    std::vector<double> numbers;
    std::size_t start = 0;
    while (start <= fpsString.size()) {
        std::size_t slash = fpsString.find('/', start);
        if (slash == std::string_view::npos) slash = fpsString.size();
        std::string_view piece = fpsString.substr(start, slash - start);
        if (!piece.empty())
            if (auto value = parseDecimal(piece)) numbers.push_back(*value);
        start = slash + 1;
    }
    if (numbers.empty()) return 0;
    if (numbers.size() == 2 && numbers[1] != 0) return numbers[0] / numbers[1];
    return numbers[0];
}

std::string formatFrameRate(double fps) {
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, fps, std::chars_format::fixed, 3);
    if (error != std::errc()) return std::string();
    return withoutTrailingZeros(std::string(text, end));
}

std::string formatByteCount(std::int64_t bytes) {
    if (bytes == 1) return "1 byte";
    if (bytes < 1000) return std::to_string(bytes) + " bytes";
    static constexpr const char* units[] = {"KB", "MB", "GB", "TB", "PB", "EB"};
    double value = static_cast<double>(bytes) / 1000.0;
    std::size_t unit = 0;
    // Carry up when rounding would print "1000 KB".
    while (unit + 1 < std::size(units) && value >= 999.5) {
        value /= 1000.0;
        ++unit;
    }
    // Kilobytes whole, megabytes to one decimal, larger units to two: as file managers show sizes.
    const int decimals = unit == 0 ? 0 : unit == 1 ? 1 : 2;
    // Fixed notation in the C locale: the process locale may use a decimal comma.
    char text[64];
    auto [end, error] = std::to_chars(text, text + sizeof text, value, std::chars_format::fixed, decimals);
    return withoutTrailingZeros(error == std::errc() ? std::string(text, end) : std::string("0")) + " " +
           units[unit];
}

ClipInfo::ClipInfo(FileURL url, ClipFields fields)
    : ClipFields(std::move(fields)), id_(Uuid::random()), url_(std::move(url)) {}

std::string ClipInfo::name() const { return url_.filename().string(); }

bool ClipInfo::isImage() const { return hasImageExtension(url_); }

double ClipInfo::fps() const { return parseFrameRate(fpsString); }

std::string ClipInfo::codecLabel() const {
    if (codec == "prores") return "ProRes " + proresName(codecTag, profile);
    return asciiUpper(codec);
}

std::string ClipInfo::timecode() const {
    // Durations come from file headers; clamp so that absurd values cannot overflow the rounding.
    double seconds = std::isfinite(duration) ? std::clamp(duration, -1e15, 1e15) : 0.0;
    long long t = std::llround(seconds);
    char text[64];
    std::snprintf(text, sizeof text, "%02lld:%02lld:%02lld", t / 3600, (t / 60) % 60, t % 60);
    return text;
}

std::string ClipInfo::sizeLabel() const { return formatByteCount(fileSize); }

namespace {

class Hasher {
  public:
    template <typename T>
    void combine(const T& value) {
        combineRaw(std::hash<T>{}(value));
    }
    void combineRaw(std::size_t h) { state_ ^= h + 0x9e3779b97f4a7c15ULL + (state_ << 6) + (state_ >> 2); }
    std::size_t finish() const { return state_; }

  private:
    std::size_t state_ = 0xcbf29ce484222325ULL;
};

}  // namespace

std::size_t hashValue(const ClipInfo& clip) {
    Hasher h;
    h.combine(clip.id());
    h.combine(clip.url().native());
    h.combine(clip.codec);
    h.combine(clip.codecTag);
    h.combine(clip.profile);
    h.combine(clip.width);
    h.combine(clip.height);
    h.combine(clip.pixFmt);
    h.combine(clip.hasAlpha);
    h.combine(clip.bitsPerSample);
    h.combine(clip.lossless);
    h.combine(clip.fpsString);
    h.combine(clip.frames);
    h.combine(clip.duration == 0.0 ? 0.0 : clip.duration);  // -0.0 hashes like 0.0, as it compares
    h.combine(clip.colorSpace);
    h.combine(clip.colorPrimaries);
    h.combine(clip.colorTransfer);
    h.combine(clip.colorRange);
    h.combine(clip.pixelAspect);
    h.combine(clip.hasAudio);
    h.combine(clip.audioCodec);
    h.combine(clip.audioChannels);
    h.combine(clip.fileSize);
    h.combine(clip.error.has_value());
    if (clip.error) h.combine(*clip.error);
    return h.finish();
}

}  // namespace tessellane

std::size_t std::hash<tessellane::Uuid>::operator()(const tessellane::Uuid& id) const noexcept {
    std::size_t h = 0;
    for (std::uint8_t b : id.bytes()) h = h * 131 + b;
    return h;
}
