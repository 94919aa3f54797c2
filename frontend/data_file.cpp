#include "frontend/data_file.h"

#include <charconv>
#include <cstdio>

namespace {

// What a failed save of options or scores means for the player.
constexpr const char* SettingsKeptInMemory =
    "the old file is kept, and the new values last until the game ends";

}  // namespace

FileRead ReadDataFile(const char* name, std::string& content) {
    std::string error;
    bool longer = false;
    const FileRead read = ReadWholeFile(name, content, error, MaxDataFileSize, &longer);
    if (read == FileRead::Failed) {
        std::fprintf(stderr,
                     "zantorvix: cannot read \"%s\": %s; everything in it keeps its default\n",
                     name, error.c_str());
    }
    if (longer) {
        std::fprintf(stderr,
                     "zantorvix: \"%s\" is larger than %zu MiB; only its first %zu MiB are read\n",
                     name, MaxDataFileSize >> 20, MaxDataFileSize >> 20);
    }
    return read;
}

bool ReplaceDataFile(const char* name, std::string_view content, const char* consequence) {
    std::string error;
    if (ReplaceFile(name, content, error)) return true;
    std::fprintf(stderr, "zantorvix: could not save \"%s\": %s; %s\n", name, error.c_str(),
                 consequence == nullptr ? SettingsKeptInMemory : consequence);
    return false;
}

std::optional<std::string_view> ItemReader::Next() {
    while (Position < Text.size() && Separators.find(Text[Position]) != std::string_view::npos) {
        ++Position;
    }
    if (Position == Text.size()) return std::nullopt;
    const size_t start = Position;
    while (Position < Text.size() && Separators.find(Text[Position]) == std::string_view::npos) {
        ++Position;
    }
    return Text.substr(start, Position - start);
}

std::optional<int32_t> ParseInteger(std::string_view item) {
    // A leading plus is allowed, as a stream read would take it; from_chars takes only a minus.
    if (item.size() >= 2 && item[0] == '+' && item[1] >= '0' && item[1] <= '9') {
        item.remove_prefix(1);
    }
    int32_t value = 0;
    const char* end = item.data() + item.size();
    const auto [stop, error] = std::from_chars(item.data(), end, value);
    if (error != std::errc{} || stop != end) return std::nullopt;
    return value;
}

void ReportDamagedFile(const char* name, const ItemsRead& read, const char* expected) {
    // Show the culprit briefly and printably: it may be binary junk of any length.
    std::string shown;
    for (size_t i = 0; i < read.Found.size() && i < 24; ++i) {
        const unsigned char c = static_cast<unsigned char>(read.Found[i]);
        shown += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (read.Found.size() > 24) shown += "...";
    std::fprintf(stderr,
                 "zantorvix: \"%s\" is damaged: item %d (\"%s\") is not %s; it and the rest "
                 "keep their defaults\n",
                 name, read.Count + 1, shown.c_str(), expected);
}
