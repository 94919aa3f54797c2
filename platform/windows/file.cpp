// The file module on Windows, through the wide calls, so that any folder name works.
#include "platform/file.h"

#include <windows.h>
// Windows' own ReplaceFile is a macro (ReplaceFileW); this file defines the game's.
#undef ReplaceFile

#include <algorithm>
#include <cstdint>

#include "platform/windows/wide.h"

// Windows' own line end, which Notepad and the game's players have always had in these files.
extern const std::string_view TextLineEnd = "\r\n";

namespace {

// Reads let others read, write, rename and delete the file meanwhile; a save that meets a read
// in progress tries again (MoveIntoPlace).
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Closes a handle on every way out of a function.
class Handle {
  public:
    explicit Handle(HANDLE handle) : H(handle) {}
    ~Handle() {
        if (Valid()) ::CloseHandle(H);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    bool Valid() const { return H != INVALID_HANDLE_VALUE && H != nullptr; }
    HANDLE Get() const { return H; }

  private:
    HANDLE H;
};

// The turn of one save of a file: a mutex named after the file's whole path, which every copy
// of the game saving that file waits for. Windows hands a released mutex to the one waiting,
// so two savers alternate; a copy that died while saving leaves it to the next (abandoned).
// A mutex rather than a lock on the temporary file, which changes hands with every rename.
class SaveTurn {
  public:
    explicit SaveTurn(const std::wstring& path) {
        wchar_t whole[MAX_PATH + 1] = {};
        const DWORD length = ::GetFullPathNameW(path.c_str(), MAX_PATH + 1, whole, nullptr);
        std::wstring name = length > 0 && length <= MAX_PATH ? std::wstring(whole, length) : path;
        ::CharLowerBuffW(name.data(), static_cast<DWORD>(name.size()));  // Windows' names
        // Mutex names cannot hold backslashes: the path's FNV-1a digest stands for it.
        uint64_t digest = 14695981039346656037ull;
        for (const wchar_t c : name)
            digest = (digest ^ static_cast<uint16_t>(c)) * 1099511628211ull;
        const std::wstring mutex = L"Local\\zantorvix-save-" + std::to_wstring(digest);
        Mutex = ::CreateMutexW(nullptr, FALSE, mutex.c_str());
        // Without a mutex the save still happens, just without the turn-taking.
        if (Mutex != nullptr) {
            const DWORD waited = ::WaitForSingleObject(Mutex, INFINITE);
            Held = waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED;
        }
    }
    ~SaveTurn() {
        if (Held) ::ReleaseMutex(Mutex);
        if (Mutex != nullptr) ::CloseHandle(Mutex);
    }
    SaveTurn(const SaveTurn&) = delete;
    SaveTurn& operator=(const SaveTurn&) = delete;

  private:
    HANDLE Mutex = nullptr;
    bool Held = false;
};

bool IsFolder(const std::wstring& path) {
    const DWORD attributes = ::GetFileAttributesW(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

std::string Because(const std::string& step, DWORD code) {
    return step + ": " + SystemMessage(code);
}

bool WriteAll(HANDLE file, std::string_view content) {
    while (!content.empty()) {
        const DWORD chunk = static_cast<DWORD>(std::min<size_t>(content.size(), 1u << 30));
        DWORD written = 0;
        if (!::WriteFile(file, content.data(), chunk, &written, nullptr)) return false;
        content.remove_prefix(written);
    }
    return true;
}

// Renames the written file over the old one, the rename itself written through to the disk.
// Windows refuses to replace a file that someone has open (a virus scanner that has just
// opened it, say): a few tries.
bool MoveIntoPlace(const std::wstring& temp, const std::wstring& path) {
    for (int attempt = 0;; ++attempt) {
        if (::MoveFileExW(temp.c_str(), path.c_str(),
                          MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
            return true;
        }
        const DWORD code = ::GetLastError();
        if (attempt == 10 || (code != ERROR_ACCESS_DENIED && code != ERROR_SHARING_VIOLATION)) {
            ::SetLastError(code);
            return false;
        }
        ::Sleep(50);
    }
}

}  // namespace

FileRead ReadWholeFile(const char* path, std::string& bytes, std::string& error, size_t limit,
                       bool* longer) {
    bytes.clear();
    if (longer != nullptr) *longer = false;
    const std::wstring wide = Wide(path);
    const Handle file(::CreateFileW(wide.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                                    FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD code = ::GetLastError();
        if (IsFolder(wide)) {
            error = "not a regular file";
            return FileRead::Failed;
        }
        error = SystemMessage(code);
        return code == ERROR_FILE_NOT_FOUND || code == ERROR_PATH_NOT_FOUND ? FileRead::Missing
                                                                            : FileRead::Failed;
    }
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        error = "not a regular file";
        return FileRead::Failed;
    }
    // One byte more than the limit tells a longer file from one of exactly the limit.
    const size_t wanted = limit == SIZE_MAX ? limit : limit + 1;
    char buffer[1 << 16];
    while (bytes.size() < wanted) {
        DWORD got = 0;
        const DWORD chunk = static_cast<DWORD>(std::min(sizeof buffer, wanted - bytes.size()));
        if (!::ReadFile(file.Get(), buffer, chunk, &got, nullptr)) {
            error = SystemMessage(::GetLastError());
            bytes.clear();
            return FileRead::Failed;
        }
        if (got == 0) break;
        bytes.append(buffer, got);
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
    const std::wstring widePath = Wide(path), wideTemp = Wide(temp);
    // A file the player made read-only stays as it is, as it would if it were written in place.
    const DWORD attributes = ::GetFileAttributesW(widePath.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        error = "it is read-only";
        return false;
    }
    const SaveTurn turn(widePath);
    // Only the rename may touch it while it is ours.
    const Handle file(::CreateFileW(wideTemp.c_str(), GENERIC_WRITE, FILE_SHARE_DELETE, nullptr,
                                    CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file.Valid()) {
        const DWORD code = ::GetLastError();
        error = IsFolder(wideTemp) ? "\"" + temp + "\" is in the way and is not a regular file"
                                   : Because("cannot create \"" + temp + "\"", code);
        return false;
    }
    if (::GetFileType(file.Get()) != FILE_TYPE_DISK) {
        error = "\"" + temp + "\" is in the way and is not a regular file";
        return false;
    }
    const auto fail = [&](const std::string& step) {
        error = Because(step, ::GetLastError());
        ::DeleteFileW(wideTemp.c_str());  // still ours: it is our turn
        return false;
    };
    if (!WriteAll(file.Get(), content)) return fail("cannot write \"" + temp + "\"");
    if (!::FlushFileBuffers(file.Get())) return fail("cannot flush \"" + temp + "\" to disk");
    // Windows gives a new file the permissions of its folder, as the old one had them; only a
    // hidden file stays hidden by hand.
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_HIDDEN) != 0) {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = FILE_ATTRIBUTE_HIDDEN;
        ::SetFileInformationByHandle(file.Get(), FileBasicInfo, &basic, sizeof basic);
    }
    if (!MoveIntoPlace(wideTemp, widePath)) return fail("cannot rename \"" + temp + "\"");
    return true;
}

bool WithFileLock(const char* path, const std::function<void()>& update) {
    const std::wstring lock = Wide(std::string(path) + ".lock");
    // A folder the player made read-only still has its lock file opened for reading, which
    // LockFileEx takes as well; without one the update goes unlocked.
    HANDLE opened = ::CreateFileW(lock.c_str(), GENERIC_READ | GENERIC_WRITE, ShareAll, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (opened == INVALID_HANDLE_VALUE) {
        opened = ::CreateFileW(lock.c_str(), GENERIC_READ, ShareAll, nullptr, OPEN_EXISTING,
                               FILE_ATTRIBUTE_NORMAL, nullptr);
    }
    const Handle file(opened);
    // The whole file, past its end: the lock holds nothing but the turn. It is let go at once
    // when the update ends (Windows lets a closed handle's locks go only in its own time), and
    // by Windows when a copy dies holding it.
    struct Turn {
        HANDLE File;
        bool Locked = false;
        OVERLAPPED Whole{};
        ~Turn() {
            if (Locked) ::UnlockFileEx(File, 0, MAXDWORD, MAXDWORD, &Whole);
        }
    } turn{file.Get()};
    turn.Locked =
        file.Valid() && ::GetFileType(file.Get()) == FILE_TYPE_DISK &&
        ::LockFileEx(file.Get(), LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &turn.Whole) != 0;
    update();
    return turn.Locked;
}
