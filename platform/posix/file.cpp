#include "platform/file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/posix/host_files.h"

extern const std::string_view TextLineEnd = "\n";

namespace {

// Closes a descriptor on every way out of a function.
class Descriptor {
  public:
    explicit Descriptor(int fd) : Fd(fd) {}
    ~Descriptor() {
        if (Fd >= 0) ::close(Fd);
    }
    Descriptor(const Descriptor&) = delete;
    Descriptor& operator=(const Descriptor&) = delete;
    int Get() const { return Fd; }
    int Release() {
        const int fd = Fd;
        Fd = -1;
        return fd;
    }

  private:
    int Fd;
};

bool SameFile(const struct stat& a, const struct stat& b) {
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

bool WriteAll(int fd, std::string_view content) {
    while (!content.empty()) {
        const ssize_t written = ::write(fd, content.data(), content.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        content.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

// Flushes the folder that holds path, so that the rename itself survives a power cut.
void SyncFolderOf(const char* path) {
    const std::string_view whole(path);
    const size_t slash = whole.rfind('/');
    const std::string folder =
        slash == std::string_view::npos ? "." : std::string(whole.substr(0, slash + 1));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the file itself is safe; only the rename's durability is at stake
    FlushToDisk(fd);
    ::close(fd);
}

std::string Because(const std::string& step, int error) {
    return step + ": " + std::strerror(error);
}

// Opens the temporary file and takes its lock. Two copies of the game saving at once take
// turns on it; the one that waited may hold a file the other has meanwhile renamed into place,
// and then opens the temporary name afresh rather than write into the finished file.
int OpenLockedTemporary(const std::string& temp, std::string& error) {
    for (int attempt = 0; attempt < 100; ++attempt) {
        const int candidate =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        if (candidate < 0) {
            error = Because("cannot create \"" + temp + "\"", errno);
            return -1;
        }
        Descriptor held(candidate);
        // A file system without locks still gets its save, just without the turn-taking.
        if (::flock(candidate, LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP &&
            errno != ENOSYS) {
            error = Because("cannot lock \"" + temp + "\"", errno);
            return -1;
        }
        struct stat mine {};
        if (::fstat(candidate, &mine) != 0) {
            error = Because("cannot inspect \"" + temp + "\"", errno);
            return -1;
        }
        if (!S_ISREG(mine.st_mode)) {
            error = "\"" + temp + "\" is in the way and is not a regular file";
            return -1;
        }
        struct stat there {};
        if (::stat(temp.c_str(), &there) == 0 && SameFile(mine, there)) return held.Release();
    }
    error = "\"" + temp + "\" keeps changing hands";
    return -1;
}

}  // namespace

FileRead ReadWholeFile(const char* path, std::string& bytes, std::string& error, size_t limit,
                       bool* longer) {
    bytes.clear();
    if (longer != nullptr) *longer = false;
    RefreshBeforeReading(path);
    Descriptor file(::open(path, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        const int reason = errno;
        error = std::strerror(reason);
        return reason == ENOENT ? FileRead::Missing : FileRead::Failed;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        error = "not a regular file";
        return FileRead::Failed;
    }
    // One byte more than the limit tells a longer file from one of exactly the limit.
    const size_t wanted = limit == SIZE_MAX ? limit : limit + 1;
    char buffer[1 << 16];
    while (bytes.size() < wanted) {
        const ssize_t got =
            ::read(file.Get(), buffer, std::min(sizeof buffer, wanted - bytes.size()));
        if (got < 0) {
            if (errno == EINTR) continue;
            error = std::strerror(errno);
            bytes.clear();
            return FileRead::Failed;
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
    }
    if (bytes.size() > limit) {
        bytes.resize(limit);
        if (longer != nullptr) *longer = true;
    }
    return FileRead::Read;
}

bool ReplaceFile(const char* path, std::string_view content, std::string& error) {
    // One fixed temporary name: a save killed halfway leaves at most this one file, which the
    // next save reuses and which nothing ever reads.
    const std::string temp = std::string(path) + ".tmp";
    // A file the player made read-only stays as it is, as it would if it were written in place.
    if (::access(path, W_OK) != 0 && errno == EACCES) {
        error = "it is read-only";
        return false;
    }
    Descriptor file(OpenLockedTemporary(temp, error));
    if (file.Get() < 0) return false;
    const auto fail = [&](const std::string& step) {
        error = Because(step, errno);
        ::unlink(temp.c_str());  // still ours: we hold its lock
        return false;
    };
    if (::ftruncate(file.Get(), 0) != 0) return fail("cannot empty \"" + temp + "\"");
    // Keep the permissions the player gave the old file.
    struct stat old {};
    if (::stat(path, &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(file.Get(), old.st_mode & 07777);
    if (!WriteAll(file.Get(), content)) return fail("cannot write \"" + temp + "\"");
    if (!FlushToDisk(file.Get())) return fail("cannot flush \"" + temp + "\" to disk");
    if (::rename(temp.c_str(), path) != 0) return fail("cannot rename \"" + temp + "\"");
    SyncFolderOf(path);
    return FinishSave(path, error);
}
