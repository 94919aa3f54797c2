#include "frontend/options.h"

#include "frontend/high_scores.h"
#include "frontend/menu.h"
#include "game/keys.h"
#include "game/lettering.h"
#include "game/sound_bank.h"
#include "platform/file.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

// The screen's rows, 1 to 4 as the cursor counts them.
struct OptionsRow {
    Sprite SpriteSet::*Label;
    Sprite SpriteSet::*HighlightedLabel;
    int32_t Y;
    bool OptionsRecord::*Switch;  // null for the volume row
};

const OptionsRow Rows[4] = {
    {&SpriteSet::Volume, &SpriteSet::Volume2, 300, nullptr},
    {&SpriteSet::Bombs, &SpriteSet::Bombs2, 350, &OptionsRecord::Bombs},
    {&SpriteSet::Shadow, &SpriteSet::Shadow2, 400, &OptionsRecord::Shadow},
    {&SpriteSet::Preview, &SpriteSet::Preview2, 450, &OptionsRecord::Preview},
};

constexpr int32_t VolumeRow = 1;
constexpr int32_t RowCount = 4;

void DrawOptionsFrame(int32_t cursor, int32_t volume) {
    BeginFrame();
    Sprites.TitleBackground.Draw(0, 0, OpaqueWhite);
    for (int32_t row = 1; row <= RowCount; ++row) {
        const OptionsRow& r = Rows[row - 1];
        (Sprites.*(row == cursor ? r.HighlightedLabel : r.Label)).Draw(300, r.Y, OpaqueWhite);
        if (r.Switch == nullptr) {
            DrawNumber(volume, 600, r.Y, Sprites.Digits, false, OpaqueWhite);
        } else if (Options.*r.Switch) {
            Sprites.On2.Draw(600, r.Y, OpaqueWhite);
            Sprites.Off.Draw(675, r.Y, OpaqueWhite);
        } else {
            Sprites.On.Draw(600, r.Y, OpaqueWhite);
            Sprites.Off2.Draw(675, r.Y, OpaqueWhite);
        }
    }
    DrawHighScoreTable(OpaqueWhite);
    EndFrame();
}

void SetVolumeTo(int32_t volume) {
    SetMasterVolume(volume);
    Options.Volume = volume;
}

}  // namespace

std::string WriteOptions(const OptionsRecord& options) {
    const std::string end(TextLineEnd);
    return std::to_string(options.Volume) + end + (options.Bombs ? "1" : "0") + end +
           (options.Shadow ? "1" : "0") + end + (options.Preview ? "1" : "0");
}

ItemsRead ReadOptions(std::string_view text, OptionsRecord& options) {
    ItemReader items(text, " \t\n\v\f\r");
    ItemsRead read;
    for (; read.Count < 4; ++read.Count) {
        const std::optional<std::string_view> item = items.Next();
        if (!item) break;
        const std::optional<int32_t> value = ParseInteger(*item);
        if (!value) {
            read.Damaged = true;
            read.Found = *item;
            break;
        }
        switch (read.Count) {
            case 0:
                options.Volume = *value;
                break;  // the sound layer clamps what it applies
            case 1:
                options.Bombs = *value != 0;
                break;
            case 2:
                options.Shadow = *value != 0;
                break;
            case 3:
                options.Preview = *value != 0;
                break;
        }
    }
    return read;
}

void LoadOptions() {
    LoadDataFile(OptionsFileName, Options, ReadOptions, "a whole number");
}

void SaveOptions() {
    ReplaceDataFile(OptionsFileName, WriteOptions(Options));
}

void RunOptionsScreen() {
    int32_t cursor = VolumeRow;
    int32_t volume = GetMasterVolume();
    for (;;) {
        TakeWindowMessage();
        PollKeyboard();
        if (KeyState[DIK_ESCAPE]) {
            // Acted on at release, so that the title menu never sees this Escape and quits.
            WaitForKeysUp({DIK_ESCAPE});
            // The file gets the volume the screen showed, which is what the player heard.
            Options.Volume = volume;
            SaveOptions();
            return;
        }
        StepMenuCursor(cursor, VolumeRow, RowCount);
        const bool right = KeyState[DIK_RIGHT] != 0;
        const bool left = KeyState[DIK_LEFT] != 0;
        if (right && cursor == VolumeRow && volume < 255) {
            SetVolumeTo(++volume);
        } else if (left && cursor == VolumeRow && volume > 0) {
            SetVolumeTo(--volume);
        } else if (right || left) {
            // A switch flips once per press; on the volume row at a limit only the sound plays.
            PlaySound(ChannelGameMusic, SoundBank[SoundDrop]);
            if (cursor > VolumeRow && cursor <= RowCount) {
                bool& setting = Options.*Rows[cursor - 1].Switch;
                setting = !setting;
            }
            DrawOptionsFrame(cursor, volume);
            WaitForKeysUp({DIK_LEFT, DIK_RIGHT});
        }
        DrawOptionsFrame(cursor, volume);
        CountDownMenuRepeat();
        Sleep(1);
    }
}
