// libFuzzer target: any bytes, read as a movie file, turned into a record, validated and made into a merge
// vector, must not crash or hang; and the same bytes as one parameter set, read by both codecs' readers, so
// that the bit-level readers are fuzzed without a movie around them.
#include <cstddef>
#include <cstdint>

#include "engine/core/validation.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/probe/byte_source.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/movie_record.h"
#include "engine/probe/parameter_sets.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    using namespace tessellane;
    MemorySource source({data, size});
    const MovieInfo movie = readMovie(source);
    if (movie.video) {
        // The mapping converts rates and durations to integers: exercise it on whatever was read.
        const ClipInfo record = movieRecord(ClipInfo("/fuzz.mov"), *movie.video, movie.hasAudio, movie.audio);
        (void)record.timecode();
        (void)validate({record, record});
        (void)buildArguments({record, record}, "/out.mov");
        // Every setting at once: scaled, conformed, in a grid, with the record's sound.
        const MergeSettings all{Layout::grid, 0, true, true, 0};
        (void)validate({record, record, record}, all);
        (void)buildArguments({record, record, record}, "/out.mp4", all);
    }
    (void)readAvcSequenceParameters({data, size});
    (void)readHevcSequenceParameters({data, size});
    return 0;
}
