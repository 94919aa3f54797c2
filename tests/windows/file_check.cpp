// The Windows file module checked where it runs (the Windows journey runs this under Wine): what
// a save leaves behind, a read-only file and a folder in the way left alone, names beyond ASCII,
// and two savers taking turns. Prints each check, then "N passed, M failed"; exits 1 on a failure.
#include <windows.h>
#undef ReplaceFile  // Windows' own; the game's is tested here

#include <cstdio>
#include <string>
#include <thread>

#include "platform/file.h"
#include "platform/windows/wide.h"

namespace {

int Passed = 0, Failed = 0;

void Check(bool ok, const char* what, const std::string& detail = "") {
    const bool told = !ok && !detail.empty();  // the reason, when there is one to a failure
    std::printf("%s: %s%s%s\n", ok ? "ok" : "FAILED", what, told ? ": " : "",
                told ? detail.c_str() : "");
    ++(ok ? Passed : Failed);
}

std::string Read(const char* path) {
    std::string bytes, error;
    return ReadWholeFile(path, bytes, error) == FileRead::Read ? bytes
                                                               : "(unreadable: " + error + ")";
}

bool Exists(const wchar_t* path) {
    return ::GetFileAttributesW(path) != INVALID_FILE_ATTRIBUTES;
}

// Two savers at once, each replacing the file with its own content many times, as two copies
// of the game would: both save every time, the file is one of the two whole, and no temporary
// file is left.
void CheckTurnTaking() {
    const std::string first(3000, 'a'), second(5000, 'b');
    bool saved[2] = {true, true};
    std::string reasons[2];
    const auto saver = [&](int which) {
        for (int i = 0; i < 100 && saved[which]; ++i) {
            saved[which] = ReplaceFile("table.dat", which == 0 ? first : second, reasons[which]);
        }
    };
    std::thread one(saver, 0), two(saver, 1);
    one.join();
    two.join();
    const std::string last = Read("table.dat");
    Check(saved[0] && saved[1], "two savers at once both save", reasons[saved[0] ? 1 : 0]);
    Check(last == first || last == second, "the file is one save whole");
    Check(!Exists(L"table.dat.tmp"), "no temporary file is left");
}

}  // namespace

int main() {
    wchar_t temp[MAX_PATH + 1] = {};
    const std::wstring folder = std::wstring(temp, ::GetTempPathW(MAX_PATH + 1, temp)) +
                                L"zantorvix-file-check-Zo\u00eb-" +
                                std::to_wstring(::GetCurrentProcessId());
    if (!::CreateDirectoryW(folder.c_str(), nullptr) || !::SetCurrentDirectoryW(folder.c_str())) {
        std::printf("cannot make a folder to work in: %s\n",
                    SystemMessage(::GetLastError()).c_str());
        return 1;
    }
    std::string bytes, error;

    Check(ReadWholeFile("none.dat", bytes, error) == FileRead::Missing, "a missing file is missing",
          error);
    Check(ReplaceFile("options.dat", "255\r\n1\r\n1\r\n1", error) &&
              Read("options.dat") == "255\r\n1\r\n1\r\n1" && !Exists(L"options.dat.tmp"),
          "a save writes the file whole and leaves no temporary file", error);
    Check(ReplaceFile("options.dat", "7", error) && Read("options.dat") == "7",
          "a second save replaces the first", error);

    bool longer = false;
    ReplaceFile("long.dat", "123456", error);
    Check(ReadWholeFile("long.dat", bytes, error, 4, &longer) == FileRead::Read &&
              bytes == "1234" && longer,
          "a read stops at its limit and says the file is longer");

    ReplaceFile("scores.dat", "OLD\r\n5", error);
    ::SetFileAttributesW(L"scores.dat", FILE_ATTRIBUTE_READONLY);
    const bool refused = !ReplaceFile("scores.dat", "NEW\r\n9", error);
    Check(refused && error == "it is read-only" && Read("scores.dat") == "OLD\r\n5",
          "a read-only file is left as it is", error);
    ::SetFileAttributesW(L"scores.dat", FILE_ATTRIBUTE_NORMAL);

    ReplaceFile("display.dat", "window", error);
    ::CreateDirectoryW(L"display.dat.tmp", nullptr);
    const bool blocked = !ReplaceFile("display.dat", "fullscreen", error);
    Check(blocked && error.find("not a regular file") != std::string::npos &&
              Read("display.dat") == "window",
          "a folder in the temporary file's way is named, and the old file kept", error);
    ::RemoveDirectoryW(L"display.dat.tmp");
    ::CreateDirectoryW(L"folder.dat", nullptr);
    Check(ReadWholeFile("folder.dat", bytes, error) == FileRead::Failed &&
              error == "not a regular file",
          "a folder is not read as a file", error);
    ::RemoveDirectoryW(L"folder.dat");

    const std::string name = Utf8(L"Zo\u00eb \u5b57.dat");
    Check(ReplaceFile(name.c_str(), "abc", error) && Read(name.c_str()) == "abc" &&
              Exists(L"Zo\u00eb \u5b57.dat"),
          "names beyond ASCII are saved and read under their own name", error);

    CheckTurnTaking();

    // What is left of the folder goes.
    for (const wchar_t* file : {L"options.dat", L"long.dat", L"scores.dat", L"display.dat",
                                L"table.dat", L"Zo\u00eb \u5b57.dat"}) {
        ::DeleteFileW(file);
    }
    ::SetCurrentDirectoryW(temp);
    ::RemoveDirectoryW(folder.c_str());
    std::printf("%d passed, %d failed\n", Passed, Failed);
    return Failed == 0 ? 0 : 1;
}
