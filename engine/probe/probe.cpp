#include "engine/probe/probe.h"

#include <filesystem>
#include <limits>

#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/image_record.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/movie_record.h"

namespace tessellane {

ClipInfo probe(const FileURL& url) {
    ClipInfo record(url);
    std::error_code error;
    const std::uintmax_t size = std::filesystem::file_size(url, error);
    if (!error && size <= std::uintmax_t(std::numeric_limits<std::int64_t>::max()))
        record.fileSize = static_cast<std::int64_t>(size);

    if (hasImageExtension(url)) return probeImage(url, std::move(record));

    FileSource file;
    if (file.open(url)) {
        const MovieInfo movie = readMovie(file);
        if (movie.video) return movieRecord(std::move(record), *movie.video, movie.hasAudio);
    }
    record.error = std::string(kMovieErrorText);
    return record;
}

ClipInfo probeImage(const FileURL& url, ClipInfo started) {
    FileSource file;
    if (file.open(url)) {
        if (const auto header = readImageHeader(file)) return imageRecord(std::move(started), *header);
    }
    started.error = std::string(kImageErrorText);
    return started;
}

}  // namespace tessellane
