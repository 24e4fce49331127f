#include "engine/probe/image_record.h"

namespace tessellane {

ClipInfo imageRecord(ClipInfo record, const ImageHeader& header) {
    if (!header.refusal.empty()) {
        record.error = header.refusal;
        return record;
    }
    const std::string extension = lowerExtensionOf(record.url());
    if (extension == "png")
        record.codec = "png";
    else if (extension == "jpg" || extension == "jpeg")
        record.codec = "mjpeg";
    else if (extension == "tif" || extension == "tiff")
        record.codec = "tiff";
    else
        record.codec = extension;
    record.width = header.width;
    record.height = header.height;
    record.pixFmt = header.pixFmt;
    record.hasAlpha = header.hasAlpha;
    record.bitsPerSample = header.bitsPerSample;
    record.lossless = header.lossless;
    record.frames = 1;
    return record;
}

}  // namespace tessellane
