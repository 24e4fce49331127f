// A merge through `tessellane --cli` against the identical ffmpeg vector run directly, in one run, on the
// same inputs: the wall-time ratio shows what the wrapper costs (probing, pipes, progress parsing, checks),
// and tessellane's own peak memory shows that draining ffmpeg's output keeps it small. ffmpeg alone never
// flushes its output to the disk; tessellane does, so the flush that ffmpeg's output needs (fdatasync of
// the file, fsync of its folder, timed right after ffmpeg ends) is reported on its own and added to
// ffmpeg's time for a second ratio.
//
// Then the durable publish of one large result (1 GB by default): the data is written into the temporary
// as ffmpeg would (buffered), and publishing it (flush, name, flush of the folder) is timed against what the
// disk needs to write the same amount (direct writes, then fdatasync).
//
// Usage: bench_merge [repetitions=7] [frames=60] [size=320x180] [publish MB=1024]
// Each process's peak resident set is read from /proc/<pid>/status (VmHWM) while it runs, so
// tessellane's figure never includes the ffmpeg it starts (rusage of a reaped child would).
#include <fcntl.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <memory>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "engine/core/naming.h"
#include "engine/merge/child_process.h"
#include "engine/merge/ffmpeg_args.h"
#include "engine/merge/temporary_output.h"
#include "engine/merge/tools.h"
#include "engine/probe/probe.h"
#include "tests/support/test_support.h"

using namespace tessellane;

namespace {

struct Sample {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system of the process and everything it started and reaped
    long peakKiB = 0;
    int status = -1;
};

long highWaterMarkKiB(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    for (std::string line; std::getline(status, line);) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtol(line.c_str() + 6, nullptr, 10);
    }
    return 0;
}

// Runs a program with both outputs discarded, sampling its peak memory until it exits.
Sample timed(const std::string& executable, const std::vector<std::string>& arguments) {
    const auto start = std::chrono::steady_clock::now();
    ChildProcess child = spawnChild(executable, arguments, ChildOutput::discard, ChildOutput::discard);
    Sample sample;
    for (;;) {
        sample.peakKiB = std::max(sample.peakKiB, highWaterMarkKiB(child.pid));
        int status = 0;
        rusage usage{};
        pid_t done = ::wait4(child.pid, &status, WNOHANG, &usage);
        if (done == child.pid) {
            sample.cpuSeconds = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
                                static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
            sample.status = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
            break;
        }
        if (done < 0) throw std::runtime_error("waitpid failed");
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    sample.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return sample;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

void makeClip(const std::string& ffmpeg, const std::filesystem::path& path, const std::string& size,
              int frames) {
    const Sample made = timed(ffmpeg, {"-nostdin",
                                       "-v",
                                       "error",
                                       "-y",
                                       "-f",
                                       "lavfi",
                                       "-i",
                                       "testsrc2=s=" + size + ":r=24000/1001",
                                       "-frames:v",
                                       std::to_string(frames),
                                       "-c:v",
                                       "prores_ks",
                                       "-profile:v",
                                       "3",
                                       "-vendor",
                                       "apl0",
                                       "-pix_fmt",
                                       "yuv422p10le",
                                       "-colorspace",
                                       "bt709",
                                       "-color_primaries",
                                       "bt709",
                                       "-color_trc",
                                       "bt709",
                                       path.string()});
    if (made.status != 0) throw std::runtime_error("could not make " + path.string());
}

double secondsSince(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

// What a file just written needs to reach the disk, as tessellane flushes a result: the data, then the
// folder.
double flushSeconds(const std::filesystem::path& file) {
    const auto start = std::chrono::steady_clock::now();
    const UniqueFd data(::open(file.c_str(), O_RDONLY | O_CLOEXEC));
    const UniqueFd folder(::open(file.parent_path().c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    if (!data || !folder || ::fdatasync(data.get()) != 0 || ::fsync(folder.get()) != 0)
        throw std::runtime_error("cannot flush " + file.string());
    return secondsSince(start);
}

void writeAll(int fd, const char* bytes, std::size_t size, std::size_t total) {
    for (std::size_t done = 0; done < total; done += size) {
        if (::write(fd, bytes, size) != static_cast<ssize_t>(size)) throw std::runtime_error("write failed");
    }
}

// The durable publish of a result of `megabytes`, against the disk writing as much with no cache between.
void benchPublish(const std::filesystem::path& dir, std::size_t megabytes) {
    constexpr std::size_t block = 1 << 20;
    void* aligned = nullptr;
    if (::posix_memalign(&aligned, 4096, block) != 0) throw std::runtime_error("no memory");
    std::unique_ptr<void, decltype(&std::free)> owner(aligned, &std::free);
    std::fill_n(static_cast<char*>(aligned), block, 'x');
    const char* bytes = static_cast<const char*>(aligned);

    auto start = std::chrono::steady_clock::now();
    const UniqueFd direct(
        ::open((dir / "direct.bin").c_str(), O_WRONLY | O_CREAT | O_DIRECT | O_CLOEXEC, 0600));
    if (!direct) throw std::runtime_error("no O_DIRECT here");
    writeAll(direct.get(), bytes, block, megabytes * block);
    ::fdatasync(direct.get());
    const double disk = secondsSince(start);
    std::filesystem::remove(dir / "direct.bin");

    TemporaryOutput temporary(dir / "large.mov");
    start = std::chrono::steady_clock::now();
    writeAll(temporary.fd(), bytes, block, megabytes * block);
    const double written = secondsSince(start);
    start = std::chrono::steady_clock::now();
    if (temporary.publish() != TemporaryOutput::Publish::published) throw std::runtime_error("not published");
    const double publish = secondsSince(start);
    std::printf(
        "durable publish of %zu MB: writing it into the temporary %.3f s, publishing (flush, name, folder) "
        "%.3f s; the disk writing %zu MB directly %.3f s; publish / disk %.3f\n",
        megabytes, written, publish, megabytes, disk, publish / disk);
    std::filesystem::remove(dir / "large.mov");
}

}  // namespace

int main(int argc, char** argv) {
    const int repetitions = argc > 1 ? std::max(1, std::atoi(argv[1])) : 7;
    const int frames = argc > 2 ? std::max(1, std::atoi(argv[2])) : 60;
    const std::string size = argc > 3 ? argv[3] : "320x180";
    const std::size_t publishMegabytes = argc > 4 ? std::strtoul(argv[4], nullptr, 10) : 1024;

    const auto ffmpeg = tool_search::ffmpeg();
    if (!ffmpeg) {
        std::puts("ffmpeg not found");
        return 1;
    }
    const testing::TempDir scratch;
    const std::filesystem::path& dir = scratch.path();

    std::vector<std::string> inputs;
    for (const char* name : {"A001.mov", "A002.mov", "A003.mov"}) {
        makeClip(*ffmpeg, dir / name, size, frames);
        inputs.push_back((dir / name).string());
    }
    // The vector tessellane builds for these inputs, computed the same way.
    std::vector<FileURL> urls(inputs.begin(), inputs.end());
    std::vector<ClipInfo> clips;
    for (const FileURL& url : naturalSortedURLs(urls)) clips.push_back(probe(url));
    const std::filesystem::path output = dir / outputFileName(urls, "_bench");
    const std::vector<std::string> vector = buildArguments(clips, output);

    std::vector<std::string> cli = {"--cli", dir.string(), "_bench"};
    cli.insert(cli.end(), inputs.begin(), inputs.end());

    std::printf("3 ProRes 422 HQ clips of %s, %d frames each -> %s, %d repetitions\n", size.c_str(), frames,
                output.filename().c_str(), repetitions);
    std::vector<double> viaCli, direct, viaCliCpu, directCpu, flushes, directFlushed;
    long cliPeak = 0, ffmpegPeak = 0;
    // Alternate the two so that drift in machine load hits both alike.
    for (int i = 0; i < repetitions; ++i) {
        std::filesystem::remove(output);
        Sample a = timed(TESSELLANE_BINARY, cli);
        std::filesystem::remove(output);
        Sample b = timed(*ffmpeg, vector);
        if (a.status != 0 || b.status != 0) {
            std::printf("a run failed: tessellane %d, ffmpeg %d\n", a.status, b.status);
            return 1;
        }
        flushes.push_back(flushSeconds(output));
        directFlushed.push_back(b.seconds + flushes.back());
        viaCli.push_back(a.seconds);
        direct.push_back(b.seconds);
        viaCliCpu.push_back(a.cpuSeconds);
        directCpu.push_back(b.cpuSeconds);
        cliPeak = std::max(cliPeak, a.peakKiB);
        ffmpegPeak = std::max(ffmpegPeak, b.peakKiB);
        std::printf(
            "  run %d: tessellane --cli %.3f s (cpu %.3f s), ffmpeg directly %.3f s (cpu %.3f s) + flush "
            "%.3f s\n",
            i + 1, a.seconds, a.cpuSeconds, b.seconds, b.cpuSeconds, flushes.back());
    }
    // On a shared machine the fastest run is the least disturbed one; the median is printed beside it.
    const auto fastest = [](const std::vector<double>& v) { return *std::min_element(v.begin(), v.end()); };
    const auto report = [](const char* what, double cli, double ff) {
        std::printf("%s: tessellane --cli %.3f s, ffmpeg directly %.3f s, ratio %.3f (%+.1f%%)\n", what, cli,
                    ff, cli / ff, (cli / ff - 1) * 100);
    };
    report("wall, fastest", fastest(viaCli), fastest(direct));
    report("wall, median", median(viaCli), median(direct));
    report("cpu (with ffmpeg), median", median(viaCliCpu), median(directCpu));
    std::printf("flush of ffmpeg's output (fdatasync + folder fsync): median %.3f s, fastest %.3f s\n",
                median(flushes), fastest(flushes));
    report("wall with the flush ffmpeg's output needs, fastest", fastest(viaCli), fastest(directFlushed));
    report("wall with the flush ffmpeg's output needs, median", median(viaCli), median(directFlushed));
    std::printf("peak memory: tessellane itself %ld KiB, ffmpeg %ld KiB\n", cliPeak, ffmpegPeak);
    if (publishMegabytes > 0) benchPublish(dir, publishMegabytes);
    return 0;
}
