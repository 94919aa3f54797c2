// What must hold for the readers of outside data whatever bytes they are given: the
// libFuzzer targets and the seed test both run these checks, so a seed that once exposed a
// fault keeps guarding against it in every ordinary test run.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

#include "frontend/controls.h"
#include "frontend/high_scores.h"
#include "frontend/options.h"
#include "platform/dds.h"

namespace fuzz_checks {

// What a libFuzzer target does with a check's finding: nothing when there is none; else one
// line and an abort, which libFuzzer reports with the input that broke it.
inline int AbortOnFinding(const std::string& problem) {
    if (problem.empty()) return 0;
    std::fprintf(stderr, "check failed: %s\n", problem.c_str());
    std::abort();
}

inline std::string_view AsText(const uint8_t* data, size_t size) {
    return {reinterpret_cast<const char*>(data), size};
}

// True when part lies wholly inside whole (the reader must point into its input, not a copy).
inline bool Inside(std::string_view part, std::string_view whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
}

inline bool SameTable(const HighScoreTableRecord& a, const HighScoreTableRecord& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].Name != b[i].Name || a[i].Score != b[i].Score) return false;
    }
    return true;
}

// "scores.dat": the reader stops within ten items, names a damaged item from the input, and
// whatever it read is written and read back to the same table.
inline std::string CheckScoresReader(std::string_view text) {
    HighScoreTableRecord table;
    const ItemsRead read = ReadHighScoreTable(text, table);
    if (read.Count < 0 || read.Count > 10) return "item count out of range";
    if (read.Damaged) {
        if (read.Count % 2 != 1) return "a name was reported damaged";
        if (read.Found.empty() || !Inside(read.Found, text)) return "damaged item not in input";
    }
    for (int32_t i = read.Count; i < 10; ++i) {
        const HighScoreEntry& entry = table[static_cast<size_t>(i / 2)];
        if (i % 2 == 0 && entry.Name != "DEFAULT") return "an unread name changed";
        if (i % 2 == 1 && entry.Score != 0) return "an unread score changed";
    }
    HighScoreTableRecord back;
    const ItemsRead again = ReadHighScoreTable(WriteHighScoreTable(table), back);
    if (again.Count != 10 || again.Damaged) return "the written table does not read back whole";
    if (!SameTable(table, back)) return "the written table reads back different";
    return "";
}

// "options.dat": at most four values, the damaged one from the input, and a round trip.
inline std::string CheckOptionsReader(std::string_view text) {
    OptionsRecord options;
    const ItemsRead read = ReadOptions(text, options);
    if (read.Count < 0 || read.Count > 4) return "value count out of range";
    if (read.Damaged && (read.Found.empty() || !Inside(read.Found, text))) {
        return "damaged value not in input";
    }
    const OptionsRecord defaults;
    if (read.Count < 4 && options.Preview != defaults.Preview) return "an unread switch changed";
    if (read.Count < 1 && options.Volume != defaults.Volume) return "an unread volume changed";
    OptionsRecord back;
    back.Volume = -1;
    back.Bombs = back.Shadow = back.Preview = false;
    const ItemsRead again = ReadOptions(WriteOptions(options), back);
    if (again.Count != 4 || again.Damaged) return "the written options do not read back whole";
    if (back.Volume != options.Volume || back.Bombs != options.Bombs ||
        back.Shadow != options.Shadow || back.Preview != options.Preview) {
        return "the written options read back different";
    }
    return "";
}

// "controls.ini": whatever the text, the controls it leaves can be played with (pause has a key
// and a button, nothing is bound twice or unbindable, a second only beside a first), each
// problem is one line, and what it leaves is written and read back the same, without a word.
inline std::string CheckControlsReader(std::string_view text) {
    ControlsRecord controls;
    const std::vector<std::string> problems = ReadControls(text, controls);
    for (const std::string& problem : problems) {
        if (problem.empty() || problem.find('\n') != std::string::npos)
            return "a problem is not one line";
    }
    const int pause = static_cast<int>(PlayAction::Pause);
    if (controls.Keys[pause][0] == 0) return "pause has no key";
    if (controls.Buttons[pause][0] == PadButton::NoButton) return "pause has no button";
    bool keys[KeyPlaceCount] = {};
    bool buttons[PadButtonCount] = {};
    for (int action = 0; action < PlayActionCount; ++action) {
        if (controls.Keys[action][0] == 0 && controls.Keys[action][1] != 0) {
            return "a second key without a first";
        }
        if (controls.Buttons[action][0] == PadButton::NoButton &&
            controls.Buttons[action][1] != PadButton::NoButton) {
            return "a second button without a first";
        }
        for (int slot = 0; slot < 2; ++slot) {
            const KeyPlace key = controls.Keys[action][slot];
            if (key != 0) {
                if (!KeyCanBeBound(key)) return "a key that cannot be bound was bound";
                if (keys[key]) return "a key is bound twice";
                keys[key] = true;
            }
            const PadButton button = controls.Buttons[action][slot];
            if (button != PadButton::NoButton) {
                if (!ButtonCanBeBound(button)) return "a button that cannot be bound was bound";
                if (buttons[static_cast<int>(button)]) return "a button is bound twice";
                buttons[static_cast<int>(button)] = true;
            }
        }
    }
    ControlsRecord back;
    if (!ReadControls(WriteControls(controls), back).empty()) {
        return "the written controls read back with problems";
    }
    if (!(back == controls)) return "the written controls read back different";
    return "";
}

// DDS: either a picture of the size the header claims, or a refusal with a reason and nothing
// left in the output.
inline std::string CheckDdsReader(const uint8_t* data, size_t size) {
    DecodedImage image;
    image.Width = 7;
    image.Pixels.assign(5, 1);
    std::string error = "stale";
    if (DecodeDds(data, size, image, error)) {
        if (!error.empty()) return "success with an error message";
        if (image.Width <= 0 || image.Height <= 0 ||
            image.Width > static_cast<int32_t>(DdsMaxSide) ||
            image.Height > static_cast<int32_t>(DdsMaxSide)) {
            return "decoded size out of range";
        }
        const uint64_t pixels = static_cast<uint64_t>(image.Width) * image.Height;
        if (image.Pixels.size() != pixels) return "pixel count differs from the size";
        if (size < 128 + 4 * pixels) return "more pixels than the file holds";
        return "";
    }
    if (error.empty() || error == "stale") return "refusal without a reason";
    if (image.Width != 0 || image.Height != 0 || !image.Pixels.empty()) {
        return "refusal left pixels behind";
    }
    return "";
}

}  // namespace fuzz_checks
