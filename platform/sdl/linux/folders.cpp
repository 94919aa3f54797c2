#include "platform/sdl/linux/folders.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>

namespace fs = std::filesystem;

namespace {

bool IsFolder(const fs::path& path) {
    std::error_code ignored;
    return fs::is_directory(path, ignored);
}

std::string WithSlash(const fs::path& folder) {
    std::string text = folder.lexically_normal().string();
    if (text.empty() || text.back() != '/') text += '/';
    return text;
}

// mkdir -p, each new folder private to the player.
bool MakeFolders(const std::string& path, std::string& reason) {
    for (size_t slash = path.find('/', 1);; slash = path.find('/', slash + 1)) {
        const std::string prefix = path.substr(0, slash);
        if (!prefix.empty() && ::mkdir(prefix.c_str(), 0700) != 0 && errno != EEXIST) {
            reason = "cannot make " + prefix + ": " + std::strerror(errno);
            return false;
        }
        if (slash == std::string::npos) return true;
    }
}

}  // namespace

GameFolders ChooseGameFolders(const std::string& workingFolder, const std::string& programFile,
                              const char* xdgDataHome, const char* home) {
    const fs::path working = workingFolder;
    if (IsFolder(working / "gfx") && IsFolder(working / "sfx")) return GameFolders{"", ""};

    GameFolders folders;
    // bin/zantorvix -> share/zantorvix/; a program that cannot tell where it is looks where
    // the package puts them.
    const fs::path program =
        programFile.empty() ? fs::path("/usr/bin/zantorvix") : fs::path(programFile);
    folders.Assets = WithSlash(program.parent_path().parent_path() / "share" / "zantorvix");
    // XDG: a relative or empty XDG_DATA_HOME is to be ignored.
    if (xdgDataHome != nullptr && xdgDataHome[0] == '/') {
        folders.Data = (fs::path(xdgDataHome) / "zantorvix").lexically_normal().string();
    } else {
        const std::string base = home != nullptr && home[0] == '/' ? home : "/";
        folders.Data = (fs::path(base) / ".local/share/zantorvix").lexically_normal().string();
    }
    return folders;
}

std::string EnterDataFolder(const std::string& data) {
    if (data.empty()) return "";
    std::string reason;
    if (MakeFolders(data, reason)) {
        if (::chdir(data.c_str()) == 0) return "";
        reason = "cannot enter " + data + ": " + std::strerror(errno);
    }
    std::error_code error;
    fs::path temp = fs::temp_directory_path(error);
    if (error) temp = "/tmp";
    std::string scratch = (temp / "zantorvix-XXXXXX").string();
    if (::mkdtemp(scratch.data()) == nullptr || ::chdir(scratch.c_str()) != 0) {
        std::fprintf(stderr,
                     "zantorvix: %s; settings and scores are kept in the working folder this "
                     "time\n",
                     reason.c_str());
        return "";
    }
    std::fprintf(stderr,
                 "zantorvix: %s; settings and scores last only until the game ends this time\n",
                 reason.c_str());
    return scratch;
}
