#include "frontend/controls.h"

#include <algorithm>
#include <cstdio>
#include <optional>

#include "frontend/data_file.h"
#include "platform/file.h"

namespace {

// The file's first lines, one a line.
constexpr const char* FileHeading[] = {
    "# The keys and gamepad buttons of play. Keys are named by their place on the keyboard, as",
    "# SDL names the keys of a US keyboard (Space, Up, X, Keypad +, Left Shift, Comma), whatever",
    "# your layout prints on them; buttons by SDL's names (a, b, x, y, start, dpup, leftshoulder,",
    "# lefttrigger, ...). Up to two of each, separated by commas; nothing after \"=\" leaves the",
    "# action without any. Escape always leaves the game.",
};

enum class Section { None, Keyboard, Gamepad, Unknown };

std::string_view Trim(std::string_view text) {
    const auto blank = [](char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\v'; };
    while (!text.empty() && blank(text.front())) text.remove_prefix(1);
    while (!text.empty() && blank(text.back())) text.remove_suffix(1);
    return text;
}

std::string Lowered(std::string_view text) {
    std::string lowered(text);
    for (char& c : lowered) {
        if (c >= 'A' && c <= 'Z') c = static_cast<char>(c - 'A' + 'a');
    }
    return lowered;
}

// A piece of the file as a message shows it: printable, and not too long.
std::string Shown(std::string_view text) {
    std::string shown;
    for (size_t i = 0; i < text.size() && i < 40; ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        shown += c >= 0x20 && c < 0x7F ? static_cast<char>(c) : '?';
    }
    if (text.size() > 40) shown += "...";
    return shown;
}

std::optional<int> ActionNamed(std::string_view name) {
    const std::string lowered = Lowered(name);
    for (int action = 0; action < PlayActionCount; ++action) {
        if (lowered == ActionNames[action]) return action;
    }
    return std::nullopt;
}

// "hard drop" for hard_drop.
std::string ScreenName(int action) {
    std::string name = ActionNames[action];
    for (char& c : name) {
        if (c == '_') c = ' ';
    }
    return name;
}

// One section's view of the controls: its slots, the name of each item in the file, and what
// a line does with its items.
struct Device {
    bool Keyboard;
    ControlsRecord& Controls;

    // The item's number (a KeyPlace, or a PadButton), or a sentence saying why it cannot be one.
    std::optional<int> Named(std::string_view name, std::string& problem) const {
        if (Keyboard) {
            const KeyPlace place = KeyPlaceNamed(name);
            if (place == 0) {
                problem = "no key is called \"" + Shown(name) + "\"";
            } else if (!KeyCanBeBound(place)) {
                problem = KeyPlaceName(place) + " cannot be bound (Escape leaves play, F11 and " +
                          "Alt+Enter switch full screen)";
            } else {
                return place;
            }
            return std::nullopt;
        }
        const PadButton button = PadButtonNamed(name);
        if (button == PadButton::NoButton) {
            problem = "no gamepad button is called \"" + Shown(name) + "\"";
        } else if (!ButtonCanBeBound(button)) {
            problem = std::string(PadButtonName(button)) + " cannot be bound (back leaves play)";
        } else {
            return static_cast<int>(button);
        }
        return std::nullopt;
    }
    std::string NameOf(int item) const {
        return Keyboard ? KeyPlaceName(static_cast<KeyPlace>(item))
                        : std::string(PadButtonName(static_cast<PadButton>(item)));
    }
    int Slot(int action, int slot) const {
        return Keyboard ? Controls.Keys[action][slot]
                        : static_cast<int>(Controls.Buttons[action][slot]);
    }
    int None() const { return Keyboard ? 0 : static_cast<int>(PadButton::NoButton); }
    void Set(int action, int first, int second) {
        if (Keyboard) {
            Controls.Keys[action][0] = static_cast<KeyPlace>(first);
            Controls.Keys[action][1] = static_cast<KeyPlace>(second);
        } else {
            Controls.Buttons[action][0] = static_cast<PadButton>(first);
            Controls.Buttons[action][1] = static_cast<PadButton>(second);
        }
    }
    // Takes the item from the action, keeping a second beside a first.
    void Remove(int action, int item) {
        int first = Slot(action, 0), second = Slot(action, 1);
        if (second == item) second = None();
        if (first == item) {
            first = second;
            second = None();
        }
        Set(action, first, second);
    }
};

void WriteSection(std::string& text, const ControlsRecord& controls, bool keyboard) {
    text += keyboard ? "[keyboard]" : "[gamepad]";
    text += TextLineEnd;
    for (int action = 0; action < PlayActionCount; ++action) {
        text += ActionNames[action];
        text += " =";
        for (int slot = 0; slot < 2; ++slot) {
            const std::string name =
                keyboard ? KeyPlaceName(controls.Keys[action][slot])
                         : std::string(PadButtonName(controls.Buttons[action][slot]));
            if (name.empty()) continue;
            text += slot == 0 ? " " : ", ";
            text += name;
        }
        text += TextLineEnd;
    }
}

}  // namespace

std::string WriteControls(const ControlsRecord& controls) {
    std::string text;
    for (const char* line : FileHeading) {
        text += line;
        text += TextLineEnd;
    }
    WriteSection(text, controls, true);
    text += TextLineEnd;
    WriteSection(text, controls, false);
    return text;
}

std::vector<std::string> ReadControls(std::string_view text, ControlsRecord& controls) {
    std::vector<std::string> problems;
    // The line that last set each action's keys (0) and buttons (1); 0 for the default.
    int setBy[2][PlayActionCount] = {};
    Section section = Section::None;
    int number = 0;
    while (!text.empty()) {
        const size_t end = text.find('\n');
        const std::string_view raw = text.substr(0, end);
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
        ++number;
        const std::string_view line = Trim(raw);
        if (line.empty() || line.front() == '#' || line.front() == ';') continue;
        const std::string at = "line " + std::to_string(number) + ": ";
        if (line.front() == '[') {
            const std::string name =
                line.back() == ']' ? Lowered(Trim(line.substr(1, line.size() - 2))) : "";
            section = name == "keyboard"  ? Section::Keyboard
                      : name == "gamepad" ? Section::Gamepad
                                          : Section::Unknown;
            if (section == Section::Unknown) {
                problems.push_back(at + "there is no section \"" + Shown(line) +
                                   "\" (only [keyboard] and [gamepad]); its lines are ignored");
            }
            continue;
        }
        if (section == Section::Unknown) continue;
        const size_t equals = line.find('=');
        if (equals == std::string_view::npos) {
            problems.push_back(at + "\"" + Shown(line) +
                               "\" cannot be read (it should be \"action = names\"); it is "
                               "ignored");
            continue;
        }
        const std::string_view actionName = Trim(line.substr(0, equals));
        const std::optional<int> action = ActionNamed(actionName);
        if (!action) {
            problems.push_back(at + "there is no action \"" + Shown(actionName) +
                               "\"; the line is ignored");
            continue;
        }
        const bool pad = section == Section::Gamepad;
        const int earlierLine = setBy[pad][*action];
        const std::string items = pad ? "buttons" : "keys";
        const std::string kept = "; " + ScreenName(*action) +
                                 (earlierLine == 0 ? " keeps its default " + items
                                                   : " keeps the " + items + " line " +
                                                         std::to_string(earlierLine) + " gave it");
        if (section == Section::None) {
            problems.push_back(at + "\"" + Shown(line) +
                               "\" stands before any [keyboard] or [gamepad]" + kept);
            continue;
        }
        Device device{section == Section::Keyboard, controls};
        std::vector<int> named;
        std::string problem;
        std::string_view rest = Trim(line.substr(equals + 1));
        while (!rest.empty() && problem.empty()) {
            const size_t comma = rest.find(',');
            const std::string_view name = Trim(rest.substr(0, comma));
            rest = comma == std::string_view::npos ? std::string_view{} : rest.substr(comma + 1);
            if (comma != std::string_view::npos && Trim(rest).empty()) {
                problem = "a name is missing after the last comma";
            } else if (name.empty()) {
                problem = "a name is missing before a comma";
            } else if (const std::optional<int> item = device.Named(name, problem)) {
                if (std::find(named.begin(), named.end(), *item) == named.end()) {
                    named.push_back(*item);
                }
            }
        }
        if (problem.empty() && named.size() > 2) problem = "an action has at most two " + items;
        if (!problem.empty()) {
            problems.push_back(at + problem + kept);
            continue;
        }
        for (const int item : named) {
            for (int other = 0; other < PlayActionCount; ++other) {
                if (other == *action ||
                    (device.Slot(other, 0) != item && device.Slot(other, 1) != item)) {
                    continue;
                }
                device.Remove(other, item);
                const int earlier = setBy[!device.Keyboard][other];
                if (earlier != 0) {
                    problems.push_back(at + device.NameOf(item) + " is named for " +
                                       ScreenName(other) + " on line " + std::to_string(earlier) +
                                       " and for " + ScreenName(*action) + " here; " +
                                       ScreenName(*action) + ", the later, has it");
                }
            }
        }
        device.Set(*action, named.size() > 0 ? named[0] : device.None(),
                   named.size() > 1 ? named[1] : device.None());
        setBy[!device.Keyboard][*action] = number;
    }
    const ControlsRecord before = controls;
    bool lost[PlayActionCount] = {};
    KeepPauseReachable(controls, lost);
    const int pause = static_cast<int>(PlayAction::Pause);
    if (before.Keys[pause][0] != controls.Keys[pause][0]) {
        problems.push_back("pause is left without a key, so Enter stays on it");
    }
    if (before.Buttons[pause][0] != controls.Buttons[pause][0]) {
        problems.push_back("pause is left without a button, so start stays on it");
    }
    return problems;
}

void LoadControls() {
    std::string text;
    if (ReadDataFile(ControlsFileName, text) != FileRead::Read) return;
    for (const std::string& problem : ReadControls(text, Controls)) {
        std::fprintf(stderr, "zantorvix: \"%s\", %s\n", ControlsFileName, problem.c_str());
    }
}

void SaveControls() {
    ReplaceDataFile(ControlsFileName, WriteControls(Controls));
}
