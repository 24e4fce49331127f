#include "engine/merge/temporary_output.h"

#include <fcntl.h>
#include <stdio.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>
#include <vector>

#include "engine/core/clip_info.h"
#include "engine/merge/child_process.h"

namespace tessellane {

namespace {

[[noreturn]] void fail(int error, const std::filesystem::path& path) {
    throw std::system_error(error, std::generic_category(), path.string());
}

// The last way to publish where the file system has neither a no-replace rename nor hard links (FAT,
// some network shares): an exclusive create at the final name, then a copy.
TemporaryOutput::Publish copyExclusively(const std::filesystem::path& from, const std::filesystem::path& to) {
    UniqueFd source(::open(from.c_str(), O_RDONLY | O_CLOEXEC));
    if (!source) fail(errno, from);
    UniqueFd target(::open(to.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666));
    if (!target) {
        if (errno == EEXIST) return TemporaryOutput::Publish::nameTaken;
        fail(errno, to);
    }
    std::vector<char> buffer(1 << 20);
    for (;;) {
        const long n = readSome(source.get(), buffer.data(), buffer.size());
        if (n < 0) {
            const int error = errno;
            ::unlink(to.c_str());  // ours: created exclusively above
            fail(error, from);
        }
        if (n == 0) break;
        for (long done = 0; done < n;) {
            const ssize_t w = ::write(target.get(), buffer.data() + done, static_cast<std::size_t>(n - done));
            if (w < 0 && errno == EINTR) continue;
            if (w < 0) {
                const int error = errno;
                ::unlink(to.c_str());
                fail(error, to);
            }
            done += w;
        }
    }
    if (::close(target.release()) != 0) {
        const int error = errno;
        ::unlink(to.c_str());
        fail(error, to);
    }
    ::unlink(from.c_str());
    return TemporaryOutput::Publish::published;
}

}  // namespace

TemporaryOutput::TemporaryOutput(const std::filesystem::path& output) {
    std::string pattern = (output.parent_path() / ".tessellane-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) fail(errno, output);
    folder_ = pattern;
    const std::string extension = extensionOf(output);
    file_ = folder_ / (extension.empty() ? std::string("merge") : "merge." + extension);
}

TemporaryOutput::~TemporaryOutput() {
    std::error_code ignored;
    std::filesystem::remove_all(folder_, ignored);
}

TemporaryOutput::Publish TemporaryOutput::publish(const std::filesystem::path& output) {
    if (::renameat2(AT_FDCWD, file_.c_str(), AT_FDCWD, output.c_str(), RENAME_NOREPLACE) == 0)
        return Publish::published;
    if (errno == EEXIST) return Publish::nameTaken;
    if (errno != EINVAL && errno != ENOSYS && errno != EOPNOTSUPP) fail(errno, output);

    // No no-replace rename here: a hard link refuses an existing name just the same.
    if (::link(file_.c_str(), output.c_str()) == 0) {
        ::unlink(file_.c_str());
        return Publish::published;
    }
    if (errno == EEXIST) return Publish::nameTaken;
    if (errno != EPERM && errno != EOPNOTSUPP && errno != ENOSYS) fail(errno, output);
    return copyExclusively(file_, output);
}

}  // namespace tessellane
