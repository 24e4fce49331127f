// libFuzzer target: any bytes, read as a still image header and as an Exif block, must not crash or hang.
#include <cstddef>
#include <cstdint>

#include "engine/probe/byte_source.h"
#include "engine/probe/exif_orientation.h"
#include "engine/probe/image_header.h"
#include "engine/probe/image_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessellane::MemorySource source({data, size});
    if (const auto header = tessellane::readImageHeader(source))
        (void)tessellane::imageRecord(tessellane::ClipInfo("/fuzz.png"), *header);
    (void)tessellane::readExifOrientation(tessellane::ByteReader(source));
    return 0;
}
