// Files read whole and replaced whole. The player's files (the settings, the table, the replays,
// the display choice) are read and saved through these two, and the pictures and tunes are read
// through the first, so that none is read with a blocking open or saved half-way. Three go their
// own ways: "data.dat", rewritten in place after every lock for whoever watches it from outside
// (game/locking.cpp), the sound effects, which SDL_mixer reads itself where they are not read
// ahead, and the window's icon, which SDL_image reads.
//
// The module is picked whole by the build: posix/file.cpp on Linux and in the browser (where a
// read begins and a save ends in the browser's own storage, browser/host_files.cpp), with the
// lock of each host's own (linux/host_files.cpp, browser/host_files.cpp), and windows/file.cpp
// on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>

enum class FileRead {
    Read,     // the bytes hold the file, or its first `limit` bytes
    Missing,  // there is no such file; error says so in the system's words
    Failed,   // error says why: the system's reason, or "not a regular file"
};

// Reads the regular file at path whole, or its first `limit` bytes when it is longer; `longer`
// (when given) tells which. Opened without blocking, so that a pipe left under the name cannot
// stall the game. The bytes are empty unless it was read.
FileRead ReadWholeFile(const char* path, std::string& bytes, std::string& error,
                       size_t limit = SIZE_MAX, bool* longer = nullptr);

// Replaces the file at path with content, atomically: a temporary file beside it ("PATH.tmp")
// is written, flushed to disk and renamed over the old one, and then the folder is flushed, so
// that a crash, a kill or a full disk in the middle leaves the old file whole. The new file
// keeps the old one's permissions; a file made read-only is left as it is. Two copies of the
// game saving the same file take turns (on a lock of the temporary file; on Windows, on a mutex
// named after the file). False, with the reason in error, when the file could not be replaced;
// the old one is then untouched. In the browser the save also waits until the browser's own
// storage holds it.
bool ReplaceFile(const char* path, std::string_view content, std::string& error);

// How the text files a player may open and edit (options.dat, scores.dat) end their lines:
// "\r\n" on Windows, as its own editors write them, and "\n" elsewhere. Either is read.
extern const std::string_view TextLineEnd;

// Runs `update` while this copy of the game holds the lock of the file at path, which every copy
// takes around reading that file and replacing it, so that two copies updating it at once take
// turns and neither's update is lost. It waits as long as another copy holds it. On a desktop the
// lock is "PATH.lock" beside the file (made when missing, never removed, never written); in the
// browser it is a Web Lock named for the file, shared by every tab and installed window of the
// site. ReplaceFile's own lock cannot serve: it is taken inside the save, after the read. Where
// no lock can be had (a read-only folder without the lock file, a file system or a browser
// without locks), `update` runs all the same; false then, true when it ran locked.
bool WithFileLock(const char* path, const std::function<void()>& update);
