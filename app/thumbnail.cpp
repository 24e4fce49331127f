#include "app/thumbnail.h"

#include <stdlib.h>

#include <QBuffer>
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QImageReader>
#include <charconv>
#include <cmath>
#include <system_error>

#include "engine/core/ascii_case.h"
#include "engine/merge/tools.h"

namespace tessellane {

namespace {

// A PNG of an 8K frame with 16 bits per sample stays well below this; anything larger is not a thumbnail.
constexpr qint64 kMaxPngBytes = 512LL * 1024 * 1024;

}  // namespace

PrivateTempFolder::PrivateTempFolder() {
    // QDir::tempPath() follows TMPDIR, the user's temporary directory; mkdtemp creates the folder 0700.
    std::string pattern = QDir::tempPath().toStdString() + "/tessellane-thumbs-XXXXXX";
    if (::mkdtemp(pattern.data()) != nullptr) path_ = pattern;
}

PrivateTempFolder::~PrivateTempFolder() {
    if (path_.empty()) return;
    std::error_code ignored;
    std::filesystem::remove_all(path_, ignored);
}

std::string thumbnailFileName(const Uuid& id) { return "tessellane_" + asciiUpper(id.toString()) + ".png"; }

std::string thumbnailSeekTime(const ClipInfo& clip) {
    double seconds = clip.isImage() ? 0.0 : clip.duration / 2.0;
    if (!std::isfinite(seconds) || seconds < 0.0) seconds = 0.0;
    char buffer[64];
    auto [end, error] = std::to_chars(buffer, buffer + sizeof buffer, seconds, std::chars_format::fixed, 3);
    if (error != std::errc()) return "0.000";
    return std::string(buffer, end);
}

std::vector<std::string> thumbnailArguments(const ClipInfo& clip, const std::filesystem::path& png) {
    return {"-nostdin",          "-y",        "-v", "error",     "-ss", thumbnailSeekTime(clip), "-i",
            clip.url().string(), "-frames:v", "1",  png.string()};
}

QImage limitThumbnailSize(const QImage& image) {
    if (image.width() <= kMaxThumbnailSide && image.height() <= kMaxThumbnailSide) return image;
    return image.scaled(kMaxThumbnailSide, kMaxThumbnailSide, Qt::KeepAspectRatio, Qt::SmoothTransformation);
}

QImage makeThumbnailImage(const std::string& ffmpeg, const ClipInfo& clip,
                          const std::filesystem::path& folder, const CaptureLimits& limits) {
    const std::filesystem::path png = folder / thumbnailFileName(clip.id());
    // Exit status and output do not matter: whatever ffmpeg left behind is judged by decoding it. A run
    // that was stopped may have left half a file, which is not a picture to show.
    const bool stopped = runCapture(ffmpeg, thumbnailArguments(clip, png), limits).stopped;
    if (stopped) {
        std::error_code ignored;
        std::filesystem::remove(png, ignored);
        return {};
    }

    QByteArray bytes;
    {
        QFile file(QString::fromStdString(png.string()));
        if (file.open(QIODevice::ReadOnly) && file.size() <= kMaxPngBytes) bytes = file.readAll();
    }
    std::error_code ignored;
    std::filesystem::remove(png, ignored);

    if (bytes.isEmpty()) return {};
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    QImageReader reader(&buffer, "png");
    QImage image = reader.read();
    if (image.isNull()) return {};
    return limitThumbnailSize(image);
}

}  // namespace tessellane
