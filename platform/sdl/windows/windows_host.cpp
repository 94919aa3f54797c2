// Windows: the pictures and sounds beside the program; the player's files in
// %APPDATA%\Zantorvix, or beside the program when the portable.txt of the zip is there; what
// the game says on stderr kept in zantorvix.log among them, since a program without a console
// has nowhere else to say it. (What Windows shares with Linux is in desktop/.)
#include <shlobj.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "platform/file.h"
#include "platform/sdl/host.h"
#include "platform/windows/wide.h"

namespace {

constexpr const wchar_t* PortableMarker = L"portable.txt";
constexpr const wchar_t* LogFile = L"zantorvix.log";

// Where stderr goes since the player's folders were entered; empty before, and when the
// program only checks a replay, whose verdict goes where it is sent.
std::wstring KeptLog;

// The folder of the program's own file, ending with a backslash; "" when it cannot be told.
std::wstring ProgramFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length =
            ::GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) return L"";
        if (length < path.size()) {
            path.resize(length);
            break;
        }
        path.resize(path.size() * 2);
    }
    const size_t slash = path.find_last_of(L"\\/");
    return slash == std::wstring::npos ? L"" : path.substr(0, slash + 1);
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// %APPDATA%\Zantorvix: the roaming application data of the user, which follows them between
// the machines of a network.
std::wstring RoamingDataFolder() {
    PWSTR known = nullptr;
    std::wstring folder;
    if (SUCCEEDED(
            ::SHGetKnownFolderPath(FOLDERID_RoamingAppData, KF_FLAG_CREATE, nullptr, &known))) {
        folder = known;
    }
    ::CoTaskMemFree(known);
    return folder.empty() ? L"" : folder + L"\\Zantorvix";
}

// Makes the folder (its parent is there) and works in it; the reason when it cannot.
bool Enter(const std::wstring& folder, std::string& reason) {
    if (folder.empty()) {
        reason = "no folder for the player's files is known";
        return false;
    }
    if (!::CreateDirectoryW(folder.c_str(), nullptr) && ::GetLastError() != ERROR_ALREADY_EXISTS) {
        reason = "cannot make " + Utf8(folder) + ": " + SystemMessage(::GetLastError());
        return false;
    }
    if (!::SetCurrentDirectoryW(folder.c_str())) {
        reason = "cannot enter " + Utf8(folder) + ": " + SystemMessage(::GetLastError());
        return false;
    }
    return true;
}

// stderr into the log file, new at each start and written line by line, so that a crash keeps
// what was said before it.
void KeepLogIn(const std::wstring& file) {
    if (::_wfreopen(file.c_str(), L"w", stderr) == nullptr) return;
    std::setvbuf(stderr, nullptr, _IONBF, 0);
    wchar_t whole[MAX_PATH + 1] = {};
    const DWORD length = ::GetFullPathNameW(file.c_str(), MAX_PATH + 1, whole, nullptr);
    KeptLog = length > 0 && length <= MAX_PATH ? std::wstring(whole, length) : file;
}

// The last line the game wrote in its log.
std::wstring LastLoggedLine() {
    std::string text, error;
    if (ReadWholeFile(Utf8(KeptLog).c_str(), text, error) != FileRead::Read) return L"";
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) text.pop_back();
    const size_t start = text.find_last_of('\n');
    return Wide(start == std::string::npos ? text : text.substr(start + 1));
}

}  // namespace

PlayerFolders EnterPlayerFolders() {
    const std::wstring program = ProgramFolder();
    PlayerFolders folders;
    folders.Assets = Utf8(program);
    // Only the marker decides: whether the program's folder is writable says nothing (a folder
    // in Program Files may be, and Wine lets every folder be).
    const bool portable = !program.empty() && Exists(program + PortableMarker);
    const std::wstring data =
        portable ? program.substr(0, program.size() - 1) : RoamingDataFolder();
    std::string reason;
    if (Enter(data, reason)) {
        KeepLogIn(LogFile);
        return folders;
    }
    // A scratch folder of the game's own, so that nothing lands where the game was started;
    // the log goes beside it, where it outlives it.
    wchar_t temp[MAX_PATH + 1] = {};
    const DWORD length = ::GetTempPathW(MAX_PATH + 1, temp);
    const std::wstring temporary(temp, length);
    const std::wstring scratch =
        temporary + L"zantorvix-" + std::to_wstring(::GetCurrentProcessId());
    KeepLogIn(temporary + LogFile);
    std::string ignored;
    if (length == 0 || !Enter(scratch, ignored)) {
        std::fprintf(stderr,
                     "zantorvix: %s; settings and scores are kept in the working folder this "
                     "time\n",
                     reason.c_str());
        return folders;
    }
    std::fprintf(stderr,
                 "zantorvix: %s; settings and scores last only until the game ends this time\n",
                 reason.c_str());
    folders.Scratch = Utf8(scratch);
    return folders;
}

WindowSystemFacts LookAtWindowSystem() {
    // Sleeps as short as a millisecond, which the frame clock's waits count on (SDL's default
    // too, while its timer runs).
    SDL_SetHint(SDL_HINT_TIMER_RESOLUTION, "1");
    return WindowSystemFacts{};  // no X server to ask; OpenGL is asked its name as on Linux
}

void AnnounceProgramEnd(int status) {
    // A program without a console cannot leave its reason on a terminal: when the game or a
    // replay in the window could not go on (no display, a damaged replay), the player is told
    // in a box, with where the rest is.
    if (status == 0 || KeptLog.empty()) return;
    const std::wstring text = L"Zantorvix could not go on:\n\n" + LastLoggedLine() +
                              L"\n\nWhat it said is kept in " + KeptLog + L".";
    ::MessageBoxW(nullptr, text.c_str(), L"Zantorvix", MB_OK | MB_ICONERROR);
}
