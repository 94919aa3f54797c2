#include "frontend/high_scores.h"

#include <algorithm>
#include <limits>

#include "game/lettering.h"
#include "platform/file.h"

namespace {

// Items are separated by white space other than the vertical tab and the form feed, which
// carry blanks and empty names.
constexpr std::string_view ItemSeparators = " \t\n\r";
constexpr char EncodedBlank = '\v';
constexpr std::string_view EncodedEmptyName = "\f";

std::string EncodeName(const std::string& name) {
    if (name.empty()) return std::string(EncodedEmptyName);
    std::string encoded = name;
    for (char& c : encoded) {
        // Only blanks come from typing; the other separators would split the name in two.
        if (ItemSeparators.find(c) != std::string_view::npos) c = EncodedBlank;
    }
    return encoded;
}

std::string DecodeName(std::string_view item) {
    if (item == EncodedEmptyName) return {};
    std::string name(item);
    for (char& c : name) {
        if (c == EncodedBlank) c = ' ';
    }
    return name;
}

}  // namespace

std::string WriteHighScoreTable(const HighScoreTableRecord& table) {
    std::string text;
    for (const HighScoreEntry& entry : table) {
        if (!text.empty()) text += TextLineEnd;
        text += EncodeName(entry.Name);
        text += TextLineEnd;
        text += std::to_string(entry.Score);
    }
    return text;
}

ItemsRead ReadHighScoreTable(std::string_view text, HighScoreTableRecord& table) {
    ItemReader items(text, ItemSeparators);
    ItemsRead read;
    for (; read.Count < static_cast<int32_t>(2 * table.size()); ++read.Count) {
        const std::optional<std::string_view> item = items.Next();
        if (!item) break;
        HighScoreEntry& entry = table[static_cast<size_t>(read.Count / 2)];
        if (read.Count % 2 == 0) {
            entry.Name = DecodeName(*item);
            continue;
        }
        const std::optional<int32_t> score = ParseInteger(*item);
        if (!score) {
            read.Damaged = true;
            read.Found = *item;
            break;
        }
        entry.Score = *score;
    }
    return read;
}

void LoadHighScoreTable() {
    LoadDataFile(HighScoreFileName, HighScoreTable, ReadHighScoreTable, "a whole-number score");
}

namespace {

// The table the file holds now, over the defaults, with this copy's unsaved entries put in;
// false when the file is there but cannot be read.
bool ReadMergedTable(HighScoreTableRecord& table) {
    std::string text, error;
    table = HighScoreTableRecord{};
    const FileRead read = ReadWholeFile(HighScoreFileName, text, error, MaxDataFileSize);
    if (read == FileRead::Failed) return false;
    if (read == FileRead::Read) ReadHighScoreTable(text, table);
    for (const HighScoreEntry& entry : UnsavedHighScores) {
        InsertHighScore(table, entry.Name, entry.Score);
    }
    return true;
}

}  // namespace

void SaveHighScore(const HighScoreEntry& entry) {
    if (!PlayerFilesWritable) return;
    UnsavedHighScores.push_back(entry);
    WithFileLock(HighScoreFileName, [] {
        HighScoreTableRecord table;
        // A file that cannot be read cannot be merged with: this copy's table replaces it.
        if (!ReadMergedTable(table)) table = HighScoreTable;
        if (ReplaceDataFile(HighScoreFileName, WriteHighScoreTable(table))) {
            UnsavedHighScores.clear();
        }
    });
}

void ReloadHighScoreTable() {
    HighScoreTableRecord table;
    if (ReadMergedTable(table)) HighScoreTable = std::move(table);
}

void InsertHighScore(const std::string& name, int32_t score) {
    InsertHighScore(HighScoreTable, name, score);
}

void InsertHighScore(HighScoreTableRecord& table, const std::string& name, int32_t score) {
    if (score <= table.back().Score) return;  // not good enough for the table
    size_t place = 0;
    for (size_t i = table.size() - 1; i-- > 0;) {
        if (table[i].Score >= score) {
            place = i + 1;
            break;
        }
    }
    for (size_t i = table.size() - 1; i > place; --i) table[i] = std::move(table[i - 1]);
    table[place] = HighScoreEntry{name, score};
}

void DrawHighScoreTable(uint32_t colour) {
    for (int32_t i = 0; i < static_cast<int32_t>(HighScoreTable.size()); ++i) {
        const HighScoreEntry& entry = HighScoreTable[static_cast<size_t>(i)];
        const int32_t y = 570 + 40 * i;
        // DrawWord stops at the screen's edge, so a damaged file's endless name costs little.
        const size_t length =
            std::min<size_t>(entry.Name.size(), std::numeric_limits<int32_t>::max());
        DrawWord(entry.Name, 330, y, Sprites.Letters, static_cast<int32_t>(length), colour);
        DrawNumber(entry.Score, 600, y, Sprites.Digits, true, colour);
    }
}
