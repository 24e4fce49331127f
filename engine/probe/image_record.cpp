#include "engine/probe/image_record.h"

namespace tessellane {

ClipInfo imageRecord(ClipInfo record, const ImageHeader& header) {
    if (!header.refusal.empty()) {
        record.error = header.refusal;
        return record;
    }
    // The format the content has, whatever the name says: it is what ffmpeg will be asked to read.
    switch (header.kind) {
        case ImageKind::png:
            record.codec = "png";
            break;
        case ImageKind::jpeg:
            record.codec = "mjpeg";
            break;
        case ImageKind::tiff:
            record.codec = "tiff";
            break;
        case ImageKind::bmp:
            record.codec = "bmp";
            break;
        case ImageKind::webp:
            record.codec = "webp";
            break;
    }
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
