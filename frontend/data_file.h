// The two small files the game keeps in its working folder, "options.dat" and "scores.dat":
// reading them safely whatever they hold, and replacing them so that a crash, a kill or a full
// disk in the middle of a save leaves the old file whole.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "platform/file.h"

// Nothing larger than this is read from a data file; the rest of a bigger file is ignored.
inline constexpr size_t MaxDataFileSize = 16u << 20;

// Reads the file, at most MaxDataFileSize bytes of it: Missing on a first run, with nothing to
// say; one stderr line for a file that is there but cannot be read (Failed) and for one that is
// larger than the limit.
FileRead ReadDataFile(const char* name, std::string& content);

// Replaces the file with content, safely (ReplaceFile). False, after one stderr line naming the
// file and the reason, when that fails; the old file is then untouched. The line ends with what
// the failure means for the player: by default, that the new values last until the game ends.
bool ReplaceDataFile(const char* name, std::string_view content, const char* consequence = nullptr);

// How far a reader got through a file's items, in order.
struct ItemsRead {
    int32_t Count = 0;       // items taken
    bool Damaged = false;    // stopped by an item that is not what it should be
    std::string_view Found;  // that item, when Damaged
};

// Splits a file into items at separator bytes.
class ItemReader {
  public:
    ItemReader(std::string_view text, std::string_view separators)
        : Text(text), Separators(separators) {}
    // The next item, or nothing at the end of the text.
    std::optional<std::string_view> Next();

  private:
    std::string_view Text;
    std::string_view Separators;
    size_t Position = 0;
};

// A whole item that is a decimal integer within signed 32 bits, with an optional sign.
std::optional<int32_t> ParseInteger(std::string_view item);

// Prints the one line that tells the player a data file was damaged: which file, which item
// (counted from 1) and what it should have been, and that the rest keeps its earlier values.
void ReportDamagedFile(const char* name, const ItemsRead& read, const char* expected);

// Reads the file into the record with `read` (ReadOptions, ReadHighScoreTable, ...), keeping
// the record as it is when the file is missing; the first damaged item costs one stderr line
// saying what it should have been.
template <typename Record>
void LoadDataFile(const char* name, Record& record, ItemsRead (*read)(std::string_view, Record&),
                  const char* expected) {
    std::string text;
    if (ReadDataFile(name, text) != FileRead::Read) return;
    const ItemsRead items = read(text, record);
    if (items.Damaged) ReportDamagedFile(name, items, expected);
}
