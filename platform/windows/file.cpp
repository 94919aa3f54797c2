// The file module on Windows, through the wide calls, so that any folder name works.
#include "platform/file.h"

#include <windows.h>
// Windows' own ReplaceFile is a macro (ReplaceFileW); this file defines the game's.
#undef ReplaceFile

#include <algorithm>

#include "platform/windows/wide.h"

// Windows' own line end, which Notepad and the game's players have always had in these files.
extern const std::string_view TextLineEnd = "\r\n";

namespace {

// Every open of ours lets the others read, write, rename and delete: a save renames its
// temporary file while another copy of the game may be waiting for its lock.
constexpr DWORD ShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// Closes a handle on every way out of a function, releasing the lock it may hold first.
class Handle {
  public:
    explicit Handle(HANDLE handle) : H(handle) {}
    ~Handle() {
        if (Locked) {
            OVERLAPPED whole{};
            ::UnlockFileEx(H, 0, MAXDWORD, MAXDWORD, &whole);
        }
        if (Valid()) ::CloseHandle(H);
    }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    Handle(Handle&& other) noexcept : H(other.H), Locked(other.Locked) {
        other.H = INVALID_HANDLE_VALUE;
        other.Locked = false;
    }
    bool Valid() const { return H != INVALID_HANDLE_VALUE && H != nullptr; }
    HANDLE Get() const { return H; }
    bool Lock() {
        OVERLAPPED whole{};
        Locked = ::LockFileEx(H, LOCKFILE_EXCLUSIVE_LOCK, 0, MAXDWORD, MAXDWORD, &whole) != 0;
        return Locked;
    }

  private:
    HANDLE H;
    bool Locked = false;
};

bool SameFile(HANDLE a, HANDLE b) {
    BY_HANDLE_FILE_INFORMATION first{}, second{};
    return ::GetFileInformationByHandle(a, &first) && ::GetFileInformationByHandle(b, &second) &&
           first.dwVolumeSerialNumber == second.dwVolumeSerialNumber &&
           first.nFileIndexHigh == second.nFileIndexHigh &&
           first.nFileIndexLow == second.nFileIndexLow;
}

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

// Opens the temporary file and takes its lock. Two copies of the game saving at once take
// turns on it; the one that waited may hold a file the other has meanwhile renamed into place,
// and then opens the temporary name afresh rather than write into the finished file.
Handle OpenLockedTemporary(const std::string& temp, std::string& error) {
    const std::wstring wide = Wide(temp);
    for (int attempt = 0; attempt < 100; ++attempt) {
        Handle candidate(::CreateFileW(wide.c_str(), GENERIC_READ | GENERIC_WRITE, ShareAll,
                                       nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!candidate.Valid()) {
            const DWORD code = ::GetLastError();
            error = IsFolder(wide) ? "\"" + temp + "\" is in the way and is not a regular file"
                                   : Because("cannot create \"" + temp + "\"", code);
            return candidate;
        }
        if (::GetFileType(candidate.Get()) != FILE_TYPE_DISK) {
            error = "\"" + temp + "\" is in the way and is not a regular file";
            return Handle(INVALID_HANDLE_VALUE);
        }
        // A file system without locks still gets its save, just without the turn-taking.
        if (!candidate.Lock() && ::GetLastError() != ERROR_NOT_SUPPORTED &&
            ::GetLastError() != ERROR_INVALID_FUNCTION) {
            error = Because("cannot lock \"" + temp + "\"", ::GetLastError());
            return Handle(INVALID_HANDLE_VALUE);
        }
        const Handle there(::CreateFileW(wide.c_str(), 0, ShareAll, nullptr, OPEN_EXISTING,
                                         FILE_ATTRIBUTE_NORMAL, nullptr));
        if (there.Valid() && SameFile(candidate.Get(), there.Get())) return candidate;
    }
    error = "\"" + temp + "\" keeps changing hands";
    return Handle(INVALID_HANDLE_VALUE);
}

// Renames the written file over the old one, the rename itself written through to the disk. A
// virus scanner that has just opened the old file holds it for a moment: a few tries.
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
    const Handle file = OpenLockedTemporary(temp, error);
    if (!file.Valid()) return false;
    const auto fail = [&](const std::string& step) {
        error = Because(step, ::GetLastError());
        ::DeleteFileW(wideTemp.c_str());  // still ours: we hold its lock
        return false;
    };
    LARGE_INTEGER start{};
    if (!::SetFilePointerEx(file.Get(), start, nullptr, FILE_BEGIN) ||
        !::SetEndOfFile(file.Get())) {
        return fail("cannot empty \"" + temp + "\"");
    }
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
