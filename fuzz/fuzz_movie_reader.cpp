// libFuzzer target: any bytes, read as a movie file and turned into a record, must not crash or hang.
#include <cstddef>
#include <cstdint>

#include "engine/probe/byte_source.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/movie_record.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    tessellane::MemorySource source({data, size});
    const tessellane::MovieInfo movie = tessellane::readMovie(source);
    if (movie.video) {
        // The mapping converts rates and durations to integers: exercise it on whatever was read.
        tessellane::ClipInfo record =
            tessellane::movieRecord(tessellane::ClipInfo("/fuzz.mov"), *movie.video, movie.hasAudio);
        (void)record.timecode();
    }
    return 0;
}
