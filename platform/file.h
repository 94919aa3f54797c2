// Files read whole and replaced whole: every file the game reads (its settings, its table, its
// replays, its display choice, its pictures and tunes) and every file it writes goes through
// these two, so that none is read with a blocking open or saved half-way.
#pragma once

#include <cstddef>
#include <cstdint>
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
// game saving the same file take turns on a lock of the temporary file. False, with the reason
// in error, when the file could not be replaced; the old one is then untouched. In the browser
// the save also waits until the browser's own storage holds it.
bool ReplaceFile(const char* path, std::string_view content, std::string& error);

// How the text files a player may open and edit (options.dat, scores.dat) end their lines:
// "\r\n" on Windows, as its own editors write them, and "\n" elsewhere. Either is read.
extern const std::string_view TextLineEnd;
