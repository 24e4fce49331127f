#include "tests/app/app_test_support.h"

#include <QTest>
#include <filesystem>

#include "tests/support/test_support.h"

namespace tessellane::testing {

FileURL makeTinyMovie(const FileURL& path, int frames) {
    return makeMedia(
        path, {"-f", "lavfi", "-i", "testsrc=size=64x32:rate=25", "-frames:v", std::to_string(frames), "-c:v",
               "libx264", "-preset", "ultrafast", "-pix_fmt", "yuv420p"});
}

FileURL makeTinyImage(const FileURL& path, int width, int height) {
    return makeMedia(
        path, {"-f", "lavfi", "-i", "testsrc=size=" + std::to_string(width) + "x" + std::to_string(height),
               "-frames:v", "1"});
}

bool waitFor(const std::function<bool()>& done, int timeoutMs) { return QTest::qWaitFor(done, timeoutMs); }

std::vector<std::string> filesIn(const FileURL& folder) {
    std::vector<std::string> names;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error))
        names.push_back(entry.path().filename().string());
    return names;
}

}  // namespace tessellane::testing
