#include "frontend/data_file.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstdio>
#include <cstring>

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

// Flushes the folder that holds name, so that the rename itself survives a power cut.
void SyncFolderOf(const char* name) {
    const std::string_view path(name);
    const size_t slash = path.rfind('/');
    const std::string folder =
        slash == std::string_view::npos ? "." : std::string(path.substr(0, slash + 1));
    const int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;  // the file itself is safe; only the rename's durability is at stake
    ::fsync(fd);
    ::close(fd);
}

// What a failed save of options or scores means for the player.
constexpr const char* SettingsKeptInMemory =
    "the old file is kept, and the new values last until the game ends";

bool SaveFailed(const char* name, const std::string& reason, const char* consequence) {
    std::fprintf(stderr, "zantorvix: could not save \"%s\": %s; %s\n", name, reason.c_str(),
                 consequence);
    return false;
}

std::string Because(const std::string& step, int error) {
    return step + ": " + std::strerror(error);
}

}  // namespace

FileRead ReadDataFile(const char* name, std::string& content) {
    content.clear();
    // Non-blocking, so that a pipe left under the file's name cannot stall the start-up.
    Descriptor file(::open(name, O_RDONLY | O_NONBLOCK | O_CLOEXEC));
    if (file.Get() < 0) {
        if (errno == ENOENT) return FileRead::Missing;
        std::fprintf(stderr,
                     "zantorvix: cannot read \"%s\": %s; everything in it keeps its default\n",
                     name, std::strerror(errno));
        return FileRead::Failed;
    }
    struct stat info {};
    if (::fstat(file.Get(), &info) != 0 || !S_ISREG(info.st_mode)) {
        std::fprintf(stderr,
                     "zantorvix: cannot read \"%s\": not a regular file; everything in it keeps "
                     "its default\n",
                     name);
        return FileRead::Failed;
    }
    // One byte more than the limit tells a larger file from one of exactly the limit.
    char buffer[1 << 16];
    while (content.size() <= MaxDataFileSize) {
        const size_t want = std::min(sizeof buffer, MaxDataFileSize + 1 - content.size());
        const ssize_t got = ::read(file.Get(), buffer, want);
        if (got < 0) {
            if (errno == EINTR) continue;
            std::fprintf(stderr,
                         "zantorvix: cannot read \"%s\": %s; everything in it keeps its default\n",
                         name, std::strerror(errno));
            content.clear();
            return FileRead::Failed;
        }
        if (got == 0) break;
        content.append(buffer, static_cast<size_t>(got));
    }
    if (content.size() > MaxDataFileSize) {
        content.resize(MaxDataFileSize);
        std::fprintf(stderr,
                     "zantorvix: \"%s\" is larger than %zu MiB; only its first %zu MiB are read\n",
                     name, MaxDataFileSize >> 20, MaxDataFileSize >> 20);
    }
    return FileRead::Read;
}

bool ReplaceDataFile(const char* name, std::string_view content, const char* consequence) {
    if (consequence == nullptr) consequence = SettingsKeptInMemory;
    const auto failed = [&](const std::string& reason) {
        return SaveFailed(name, reason, consequence);
    };
    // One fixed temporary name: a save killed halfway leaves at most this one file, which the
    // next save reuses and which nothing ever reads.
    const std::string temp = std::string(name) + ".tmp";
    // A file the player made read-only stays as it is, as it would if it were written in place.
    if (::access(name, W_OK) != 0 && errno == EACCES) return failed("it is read-only");
    int fd = -1;
    // Two copies of the game saving at once take turns on a lock of the temporary file. The
    // one that waited may hold a file the other has meanwhile renamed into place; it then
    // opens the temporary name afresh rather than write into the finished file.
    for (int attempt = 0; fd < 0; ++attempt) {
        if (attempt == 100) return failed("\"" + temp + "\" keeps changing hands");
        const int candidate =
            ::open(temp.c_str(), O_WRONLY | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
        if (candidate < 0) {
            return failed(Because("cannot create \"" + temp + "\"", errno));
        }
        Descriptor held(candidate);
        // A file system without locks still gets its save, just without the turn-taking.
        if (::flock(candidate, LOCK_EX) != 0 && errno != ENOLCK && errno != EOPNOTSUPP &&
            errno != ENOSYS) {
            return failed(Because("cannot lock \"" + temp + "\"", errno));
        }
        struct stat mine {};
        if (::fstat(candidate, &mine) != 0) {
            return failed(Because("cannot inspect \"" + temp + "\"", errno));
        }
        if (!S_ISREG(mine.st_mode)) {
            return failed("\"" + temp + "\" is in the way and is not a regular file");
        }
        struct stat there {};
        if (::stat(temp.c_str(), &there) != 0 || !SameFile(mine, there)) continue;
        fd = held.Release();
    }
    Descriptor file(fd);
    const auto fail = [&](const std::string& step) {
        const int error = errno;
        ::unlink(temp.c_str());  // still ours: we hold its lock
        return failed(Because(step, error));
    };
    if (::ftruncate(fd, 0) != 0) return fail("cannot empty \"" + temp + "\"");
    // Keep the permissions the player gave the old file.
    struct stat old {};
    if (::stat(name, &old) == 0 && S_ISREG(old.st_mode)) ::fchmod(fd, old.st_mode & 07777);
    if (!WriteAll(fd, content)) return fail("cannot write \"" + temp + "\"");
    if (::fsync(fd) != 0) return fail("cannot flush \"" + temp + "\" to disk");
    if (::rename(temp.c_str(), name) != 0) return fail("cannot rename \"" + temp + "\"");
    SyncFolderOf(name);
    return true;
}

std::optional<std::string_view> ItemReader::Next() {
    while (Position < Text.size() && Separators.find(Text[Position]) != std::string_view::npos) {
        ++Position;
    }
    if (Position == Text.size()) return std::nullopt;
    const size_t start = Position;
    while (Position < Text.size() && Separators.find(Text[Position]) == std::string_view::npos) {
        ++Position;
    }
    return Text.substr(start, Position - start);
}

std::optional<int32_t> ParseInteger(std::string_view item) {
    // A leading plus is allowed, as a stream read would take it; from_chars takes only a minus.
    if (item.size() >= 2 && item[0] == '+' && item[1] >= '0' && item[1] <= '9') {
        item.remove_prefix(1);
    }
    int32_t value = 0;
    const char* end = item.data() + item.size();
    const auto [stop, error] = std::from_chars(item.data(), end, value);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

void ReportDamagedFile(const char* name, const ItemsRead& read, const char* expected) {
    // Show the culprit briefly and printably: it may be binary junk of any length.
    std::string shown;
    for (size_t i = 0; i < read.Found.size() && i < 24; ++i) {
        const unsigned char c = static_cast<unsigned char>(read.Found[i]);
        shown += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (read.Found.size() > 24) shown += "...";
    std::fprintf(stderr,
                 "zantorvix: \"%s\" is damaged: item %d (\"%s\") is not %s; it and the rest "
                 "keep their defaults\n",
                 name, read.Count + 1, shown.c_str(), expected);
}
