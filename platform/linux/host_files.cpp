// On a Linux desktop the disk is the whole of it: nothing to bring up to date before a read,
// nothing more to do after a save, and the lock of an update is a lock file beside the file.
#include "platform/posix/host_files.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "platform/file.h"

void RefreshBeforeReading(const char*) {}

bool FlushToDisk(int fd) {
    return ::fsync(fd) == 0;
}

bool FinishSave(const char*, std::string&) {
    return true;  // the file and its folder are on the disk already
}

namespace {

// The lock file, open, or -1. A folder the player made read-only still has its lock file
// opened for reading, which flock takes as well; without one the update goes unlocked.
int OpenLockFile(const std::string& path) {
    constexpr int Flags = O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC;
    int fd = ::open(path.c_str(), O_RDWR | O_CREAT | Flags, 0600);
    if (fd < 0) fd = ::open(path.c_str(), O_RDONLY | Flags);
    if (fd < 0) return -1;
    struct stat info {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);  // something else is in the way: leave it alone
        return -1;
    }
    return fd;
}

}  // namespace

bool WithFileLock(const char* path, const std::function<void()>& update) {
    struct Held {
        int Fd;
        ~Held() {
            if (Fd >= 0) ::close(Fd);  // which lets the lock go
        }
    } lock{OpenLockFile(std::string(path) + ".lock")};
    bool locked = false;
    if (lock.Fd >= 0) {
        int result;
        while ((result = ::flock(lock.Fd, LOCK_EX)) != 0 && errno == EINTR) {
        }
        locked = result == 0;
    }
    update();
    return locked;
}
