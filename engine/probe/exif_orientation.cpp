#include "engine/probe/exif_orientation.h"

#include "engine/probe/probe_limits.h"

namespace tessellane {

int readExifOrientation(ByteReader exif) {
    std::uint16_t order = 0, magic = 0;
    std::uint32_t directory = 0;
    if (!exif.read(order)) return 0;
    if (order != 0x4949 && order != 0x4D4D) return 0;  // "II" or "MM"
    const Endian endian = order == 0x4949 ? Endian::little : Endian::big;
    if (!exif.read(magic, endian) || magic != 42 || !exif.read(directory, endian)) return 0;
    std::uint16_t entries = 0;
    if (!exif.seek(directory) || !exif.read(entries, endian) || entries > limits::kMaxTiffEntries) return 0;
    for (std::uint16_t i = 0; i < entries; ++i) {
        std::uint16_t tag = 0, type = 0;
        std::uint32_t count = 0;
        if (!exif.read(tag, endian) || !exif.read(type, endian) || !exif.read(count, endian)) return 0;
        std::uint32_t value = 0;  // the first value stands at the start of the four-byte field
        const bool read = type == 3 ? exif.read(value, endian, 2) && exif.skip(2) : exif.read(value, endian);
        if (!read) return 0;
        if (tag != 274) continue;
        if ((type != 3 && type != 4) || count < 1 || value < 1 || value > 8) return 0;  // SHORT or LONG
        return static_cast<int>(value);
    }
    return 0;
}

}  // namespace tessellane
