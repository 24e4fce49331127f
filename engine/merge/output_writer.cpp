#include "engine/merge/output_writer.h"

#include "engine/core/messages.h"
#include "engine/core/utf8.h"

namespace tessellane {

namespace {

constexpr OutputWriter kWriters[] = {
    {"mov", "mov", nullptr},    {"mp4", "mp4", nullptr},     {"m4v", "ipod", nullptr},
    {"png", "image2", nullptr}, {"jpg", "image2", nullptr},  {"jpeg", "image2", nullptr},
    {"tif", "image2", nullptr}, {"tiff", "image2", nullptr}, {"bmp", "image2", "bmp"},
    {"webp", "webp", nullptr},
};

}  // namespace

const OutputWriter* outputWriter(const FileURL& output) {
    const std::string extension = lowerExtensionOf(output);
    for (const OutputWriter& writer : kWriters)
        if (writer.extension == extension) return &writer;
    return nullptr;
}

std::string noWriterMessage(const FileURL& output) {
    return messages::noWriterForExtension(escapeControls(output.filename().string()));
}

}  // namespace tessellane
