#include "engine/merge/run_folder.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/random.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <cerrno>
#include <ctime>
#include <fstream>
#include <optional>
#include <sstream>
#include <system_error>

#include "engine/core/interrupted_calls.h"

namespace tessellane {

namespace {

constexpr std::string_view kPrefix = ".tessellane-";
constexpr std::size_t kRandomLength = 6;
constexpr const char* kOwnerRecord = "owner";
// An unsigned folder is one whose run died between creating and signing it, microseconds apart, or one
// left by a build that did not sign; an hour is far beyond the first and safe for the second.
constexpr std::time_t kUnsignedAge = 3600;

// A listing of an open folder from its start, on a descriptor of its own (close-on-exec, so that it
// never leaks into a child started meanwhile).
DIR* openListing(int folder) {
    UniqueFd copy(::fcntl(folder, F_DUPFD_CLOEXEC, 0));
    if (!copy) return nullptr;
    DIR* listing = ::fdopendir(copy.get());
    if (listing == nullptr) return nullptr;
    copy.release();        // the listing owns it now
    ::rewinddir(listing);  // a duplicate shares the offset of the descriptor it copies
    return listing;
}

bool isRunFolderName(std::string_view name) {
    if (name.size() != kPrefix.size() + kRandomLength || !name.starts_with(kPrefix)) return false;
    for (char c : name.substr(kPrefix.size()))
        if (!std::isalnum(static_cast<unsigned char>(c))) return false;
    return true;
}

std::string randomName() {
    static constexpr char letters[] = "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789";
    unsigned char bytes[kRandomLength] = {};
    if (::getrandom(bytes, sizeof bytes, 0) != static_cast<ssize_t>(sizeof bytes)) {
        const auto seed = static_cast<unsigned>(::getpid()) ^ static_cast<unsigned>(std::time(nullptr));
        for (std::size_t i = 0; i < kRandomLength; ++i)
            bytes[i] = static_cast<unsigned char>(seed >> (i * 5));
    }
    std::string name(kPrefix);
    for (unsigned char b : bytes) name += letters[b % (sizeof letters - 1)];
    return name;
}

std::string firstLine(const char* path) {
    std::ifstream in(path);
    std::string line;
    std::getline(in, line);
    return line;
}

std::string hostName() {
    char name[256] = {};
    return ::gethostname(name, sizeof name - 1) == 0 ? name : "";
}

// Field 22 of /proc/<pid>/stat, the start time in clock ticks since boot: with the pid it names one process
// for the life of this boot, even after the pid has been reused.
std::string startTime(const std::string& pid) {
    const std::string stat = firstLine(("/proc/" + pid + "/stat").c_str());
    const std::size_t end = stat.rfind(')');
    if (end == std::string::npos) return {};
    std::istringstream fields(stat.substr(end + 2));
    std::string field;
    for (int i = 3; i <= 22 && fields >> field; ++i) {
        if (i == 22) return field;
    }
    return {};
}

struct OwnerRecord {
    std::string host, boot, pid, start;
};

std::string ownRecordText() {
    return hostName() + "\n" + firstLine("/proc/sys/kernel/random/boot_id") + "\n" +
           std::to_string(::getpid()) + "\n" + startTime("self") + "\n";
}

std::optional<OwnerRecord> readRecord(int folder) {
    const UniqueFd fd(::openat(folder, kOwnerRecord, O_RDONLY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
    if (!fd) return std::nullopt;
    char text[1024];
    const long n = readSome(fd.get(), text, sizeof text);
    if (n <= 0) return std::nullopt;
    std::istringstream lines(std::string(text, static_cast<std::size_t>(n)));
    OwnerRecord record;
    if (!std::getline(lines, record.host) || !std::getline(lines, record.boot) ||
        !std::getline(lines, record.pid) || !std::getline(lines, record.start))
        return std::nullopt;
    return record;
}

bool isGone(int folder, const struct stat& info) {
    const int locked = ::flock(folder, LOCK_EX | LOCK_NB);
    if (locked != 0 && errno == EWOULDBLOCK) return false;  // its run holds it
    const std::optional<OwnerRecord> record = readRecord(folder);
    if (!record) return locked == 0 && std::time(nullptr) - info.st_mtime > kUnsignedAge;
    // Another machine's lock may not reach this one (a network share): its runs are never judged here.
    if (record->host != hostName()) return false;
    if (locked == 0) return true;
    // A file system without locks: the record alone tells.
    return record->boot != firstLine("/proc/sys/kernel/random/boot_id") || record->start.empty() ||
           startTime(record->pid) != record->start;
}

// Removes the entries of a dead run's folder, then the folder; a subfolder, which no run makes, leaves
// everything as it is.
void removeDeadRun(int parent, const std::string& name, int folder) {
    DIR* listing = openListing(folder);
    if (listing == nullptr) return;
    std::vector<std::string> entries;
    bool ours = true;
    while (const dirent* entry = ::readdir(listing)) {
        const std::string_view entryName = entry->d_name;
        if (entryName == "." || entryName == "..") continue;
        struct stat info {};
        if (::fstatat(folder, entry->d_name, &info, AT_SYMLINK_NOFOLLOW) != 0 || S_ISDIR(info.st_mode))
            ours = false;
        entries.emplace_back(entryName);
    }
    ::closedir(listing);
    if (!ours) return;
    for (const std::string& entry : entries) ::unlinkat(folder, entry.c_str(), 0);
    ::unlinkat(parent, name.c_str(), AT_REMOVEDIR);
}

}  // namespace

RunFolder::RunFolder(int parent) : parent_(parent) {
    for (int attempt = 0; name_.empty(); ++attempt) {
        std::string candidate = randomName();
        if (::mkdirat(parent, candidate.c_str(), 0700) == 0) {
            name_ = std::move(candidate);
        } else if (errno != EEXIST || attempt == 100) {
            throw std::system_error(errno, std::generic_category(), "mkdir");
        }
    }
    folder_ = UniqueFd(::openat(parent, name_.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW));
    int error = folder_ ? 0 : errno;
    if (error == 0) {
        ::flock(folder_.get(), LOCK_EX | LOCK_NB);  // where locks are not supported, the record alone tells
        const UniqueFd record(
            ::openat(folder_.get(), kOwnerRecord, O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600));
        const std::string text = ownRecordText();
        if (!record || ::write(record.get(), text.data(), text.size()) != static_cast<ssize_t>(text.size()))
            error = errno != 0 ? errno : EIO;
    }
    if (error != 0) {
        if (folder_) ::unlinkat(folder_.get(), kOwnerRecord, 0);
        ::unlinkat(parent, name_.c_str(), AT_REMOVEDIR);
        throw std::system_error(error, std::generic_category(), "mkdir");
    }
}

RunFolder::~RunFolder() {
    for (const std::string& entry : entries_) ::unlinkat(folder_.get(), entry.c_str(), 0);
    ::unlinkat(folder_.get(), kOwnerRecord, 0);
    folder_.reset();
    ::unlinkat(parent_, name_.c_str(), AT_REMOVEDIR);
}

void reclaimDeadRuns(int parent) {
    DIR* listing = openListing(parent);
    if (listing == nullptr) return;
    std::vector<std::string> candidates;
    while (const dirent* entry = ::readdir(listing))
        if (isRunFolderName(entry->d_name)) candidates.emplace_back(entry->d_name);
    ::closedir(listing);
    for (const std::string& name : candidates) {
        const UniqueFd folder(
            ::openat(parent, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC | O_NOFOLLOW | O_NONBLOCK));
        struct stat info {};
        if (!folder || ::fstat(folder.get(), &info) != 0 || info.st_uid != ::geteuid()) continue;
        if (isGone(folder.get(), info)) removeDeadRun(parent, name, folder.get());
    }
}

}  // namespace tessellane
