// How long probing takes against the obvious alternative, ffprobe -show_streams, on the same generated files;
// how many bytes the probe reads from a movie whose moov follows a multi-gigabyte (sparse) mdat, and from big
// stills that it checks are complete.
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "engine/merge/tools.h"
#include "engine/probe/byte_source.h"
#include "engine/probe/image_header.h"
#include "engine/probe/movie_reader.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

using namespace tessellane;
using Clock = std::chrono::steady_clock;

namespace {

struct Media {
    std::string file;
    std::vector<std::string> arguments;
};

const std::vector<Media> kMedia = {
    {"prores_hq.mov",
     {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=25", "-frames:v", "25", "-c:v", "prores_ks", "-profile:v",
      "3"}},
    {"h264_audio.mp4",
     {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=30000/1001", "-f", "lavfi", "-i", "sine", "-frames:v", "30",
      "-c:v", "libx264", "-c:a", "aac", "-shortest"}},
    {"hevc10.mp4",
     {"-f", "lavfi", "-i", "testsrc2=s=320x240:r=50", "-frames:v", "25", "-c:v", "libx265", "-x265-params",
      "log-level=error", "-pix_fmt", "yuv420p10le", "-tag:v", "hvc1"}},
    {"still.png", {"-f", "lavfi", "-i", "testsrc2=s=320x240", "-frames:v", "1"}},
    {"still.jpg", {"-f", "lavfi", "-i", "testsrc2=s=320x240", "-frames:v", "1"}},
};

double secondsSince(Clock::time_point start) {
    return std::chrono::duration<double>(Clock::now() - start).count();
}

}  // namespace

int main() {
    const auto ffmpeg = tool_search::find("ffmpeg");
    const auto ffprobe = tool_search::find("ffprobe");
    if (!ffmpeg || !ffprobe) {
        std::fprintf(stderr, "needs ffmpeg and ffprobe on PATH\n");
        return 1;
    }
    const testing::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();

    std::printf("%-16s %10s %14s %14s %10s\n", "file", "bytes", "probe (us)", "ffprobe (us)", "ratio");
    double probeTotal = 0, ffprobeTotal = 0;
    for (const Media& media : kMedia) {
        const auto path = dir / media.file;
        testing::makeMedia(path, media.arguments);
        // Warm the page cache for both, then time each over several rounds.
        probe(path);
        runCapture(*ffprobe, {"-v", "error", "-show_streams", path.string()});

        constexpr int kProbeRounds = 2000, kFfprobeRounds = 10;
        auto start = Clock::now();
        std::int64_t sink = 0;
        for (int i = 0; i < kProbeRounds; ++i) sink += probe(path).frames;
        const double probeSeconds = secondsSince(start) / kProbeRounds;
        start = Clock::now();
        for (int i = 0; i < kFfprobeRounds; ++i) {
            if (!runCapture(*ffprobe, {"-v", "error", "-show_streams", path.string()}).status.succeeded())
                return 1;
        }
        const double ffprobeSeconds = secondsSince(start) / kFfprobeRounds;
        probeTotal += probeSeconds;
        ffprobeTotal += ffprobeSeconds;
        std::printf("%-16s %10ju %14.1f %14.1f %9.0fx%s\n", media.file.c_str(),
                    std::uintmax_t(std::filesystem::file_size(path)), probeSeconds * 1e6,
                    ffprobeSeconds * 1e6, ffprobeSeconds / probeSeconds, sink < 0 ? "?" : "");
    }
    std::printf("%-16s %10s %14.1f %14.1f %9.0fx  (ffprobe time / probe time, per file)\n", "mean", "",
                probeTotal / kMedia.size() * 1e6, ffprobeTotal / kMedia.size() * 1e6,
                ffprobeTotal / probeTotal);

    // A movie whose moov follows a 4 GiB mdat: the mdat is a hole in a sparse file, so it costs no disk.
    const auto sparse = dir / "sparse.mov";
    {
        const auto small = dir / "prores_hq.mov";
        std::ifstream in(small, std::ios::binary);
        std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        const std::size_t moovAt = bytes.find("moov") - 4;
        const std::string moov = bytes.substr(moovAt);  // moov is the last box ffmpeg writes
        const std::uint64_t mdatSize = (4ull << 30) + 16;
        std::string head = std::string(
                               "\0\0\0\x14"
                               "ftypqt  \0\0\x02\0qt  ",
                               20) +
                           std::string("\0\0\0\x01mdat", 8);
        for (int i = 7; i >= 0; --i) head.push_back(static_cast<char>(mdatSize >> (8 * i)));
        std::ofstream out(sparse, std::ios::binary);
        out.write(head.data(), std::streamsize(head.size()));
        out.seekp(std::streamoff(20 + mdatSize));
        out.write(moov.data(), std::streamsize(moov.size()));
        if (!out) return 1;
    }
    FileSource source;
    if (!source.open(sparse)) return 1;
    auto start = Clock::now();
    const MovieInfo movie = readMovie(source);
    const double seconds = secondsSince(start);
    const ClipInfo clip = probe(sparse);
    std::printf("\nsparse movie: %ju bytes on paper, moov after a %.1f GiB mdat\n",
                std::uintmax_t(std::filesystem::file_size(sparse)), double(4ull << 30) / (1u << 30));
    std::printf("  read %ju bytes in %ju reads (%.1f us); result: %s %s %lldx%lld, %lld frames\n",
                std::uintmax_t(source.bytesRead()), std::uintmax_t(source.readCalls()), seconds * 1e6,
                movie.video ? "ok" : "error", clip.codecLabel().c_str(), static_cast<long long>(clip.width),
                static_cast<long long>(clip.height), static_cast<long long>(clip.frames));
    if (!movie.video) return 1;

    // A big still is checked complete without reading it: PNG chunks are skipped by their headers, a JPEG's
    // end marker is looked for in its last bytes. The alternative is reading the whole file.
    std::printf("\n%-10s %12s %12s %8s %10s\n", "still", "bytes", "read", "reads", "ratio");
    for (const char* name : {"big.png", "big.jpg"}) {
        const auto path = dir / name;
        testing::makeMedia(path,
                           {"-f", "lavfi", "-i", "nullsrc=s=4000x3000,geq=lum='random(1)*255':cb=128:cr=128",
                            "-frames:v", "1", "-update", "1"});
        FileSource still;
        if (!still.open(path)) return 1;
        const auto header = readImageHeader(still);
        if (!header || !header->refusal.empty()) return 1;
        std::printf("%-10s %12ju %12ju %8ju %9.0fx\n", name, std::uintmax_t(still.size()),
                    std::uintmax_t(still.bytesRead()), std::uintmax_t(still.readCalls()),
                    double(still.size()) / double(still.bytesRead()));
    }
    return 0;
}
