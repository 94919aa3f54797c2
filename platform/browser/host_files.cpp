// In the page the player's folder lives in memory and each of its files is kept in the
// browser's own storage (IndexedDB; see storage.js), which every tab and installed window of
// the site shares: a read first takes the stored copy, so that what another tab saved is seen,
// and a save writes its one file through and waits until the storage holds it.
#include "platform/posix/host_files.h"

#include <emscripten.h>
#include <unistd.h>

#include <cstdlib>
#include <string>

#include "platform/file.h"

namespace {

// clang-format off
// Whether the storage keeps the file: the pictures and sounds packed into the page are not the
// player's, and a browser may keep nothing at all.
EM_JS(int, KeptInBrowserStorage, (const char* path), {
    return ZantorvixStorage.available && ZantorvixStorage.inFolder(UTF8ToString(path)) ? 1 : 0;
});

EM_ASYNC_JS(void, RefreshFromBrowserStorage, (const char* path), {
    await ZantorvixStorage.refresh(UTF8ToString(path));
});

// "" once the storage holds the file, or the reason it does not.
EM_ASYNC_JS(char*, StoreInBrowserStorage, (const char* path), {
    const reason = await ZantorvixStorage.store(UTF8ToString(path));
    const size = lengthBytesUTF8(reason) + 1;
    const text = _malloc(size);
    stringToUTF8(reason, text, size);
    return text;
});

EM_ASYNC_JS(int, TakeWebLock, (const char* name), {
    return (await ZantorvixStorage.lock(UTF8ToString(name))) ? 1 : 0;
});

EM_JS(void, LetWebLockGo, (const char* name), {
    ZantorvixStorage.unlock(UTF8ToString(name));
});
// clang-format on

// The storage names a file by its full path; the game names its files from its working folder.
std::string FullPath(const char* path) {
    if (path[0] == '/') return path;
    char folder[4096];
    if (::getcwd(folder, sizeof folder) == nullptr) return path;
    const std::string base = folder;
    return base + (base.back() == '/' ? "" : "/") + path;
}

}  // namespace

void RefreshBeforeReading(const char* path) {
    // Only a file of the player's waits for the storage; the rest are read at once.
    const std::string full = FullPath(path);
    if (KeptInBrowserStorage(full.c_str())) RefreshFromBrowserStorage(full.c_str());
}

bool FlushToDisk(int) {
    return true;  // the file alone is written to the storage by FinishSave
}

bool FinishSave(const char* path, std::string& error) {
    char* reason = StoreInBrowserStorage(FullPath(path).c_str());
    const bool kept = reason[0] == '\0';
    if (!kept) error = std::string("cannot keep it in the browser's storage: ") + reason;
    std::free(reason);
    return kept;
}

bool WithFileLock(const char* path, const std::function<void()>& update) {
    const std::string name = "zantorvix " + FullPath(path);
    struct Held {
        const std::string& Name;
        bool Locked;
        ~Held() {
            if (Locked) LetWebLockGo(Name.c_str());
        }
    } lock{name, TakeWebLock(name.c_str()) != 0};
    update();
    return lock.Locked;
}
