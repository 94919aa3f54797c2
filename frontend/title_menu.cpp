#include "frontend/title_menu.h"

#include <algorithm>
#include <limits>

#include "app/fade.h"
#include "frontend/options.h"
#include "game/state.h"
#include "platform/keyboard.h"
#include "platform/lettering.h"
#include "platform/renderer.h"
#include "platform/sound.h"
#include "platform/system.h"

namespace {

struct ItemPicture {
    Sprite SpriteSet::*Picture;
    int32_t X;
    int32_t Y;
};

// The start, options and exit items, by MenuCursor: the highlighted item is wider, so it
// stands further left.
const ItemPicture ItemPictures[3][3] = {
    {{&SpriteSet::Start2, 434, 325},
     {&SpriteSet::OptionsItem, 430, 385},
     {&SpriteSet::Exit, 467, 445}},
    {{&SpriteSet::Start, 450, 325},
     {&SpriteSet::OptionsItem2, 412, 385},
     {&SpriteSet::Exit, 467, 445}},
    {{&SpriteSet::Start, 450, 325},
     {&SpriteSet::OptionsItem, 430, 385},
     {&SpriteSet::Exit2, 458, 445}},
};

enum MenuItem : int32_t { MenuStart = 0, MenuOptions = 1, MenuExit = 2, MenuItemCount = 3 };

constexpr int32_t MenuRepeatFrames = 10;
constexpr int32_t TitleMusicVolume = 192;

void DrawTitleFrame() {
    BeginFrame();
    Sprites.TitleBackground.Draw(0, 0, FadeLevel);
    const int32_t cursor = GameState.MenuCursor;
    if (cursor >= 0 && cursor < MenuItemCount) {
        for (const ItemPicture& item : ItemPictures[cursor]) {
            (Sprites.*item.Picture).Draw(item.X, item.Y, FadeLevel);
        }
    }
    DrawHighScoreTable(FadeLevel);
    EndFrame();
}

}  // namespace

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

void RunTitleMenu() {
    FadeLevel = TransparentWhite;
    SetMasterVolume(Options.Volume);
    PlaySound(ChannelTitleMusic, SoundBank[SoundTitleMusic]);
    SetVolume(ChannelTitleMusic, TitleMusicVolume);

    int32_t& cursor = GameState.MenuCursor;
    int32_t& upRepeat = GameState.RotateRepeat;
    int32_t& downRepeat = GameState.SoftDropRepeat;
    for (;;) {
        TakeWindowMessage();
        PollKeyboard();
        if (KeyState[DIK_ESCAPE]) {
            QuitRequested = 1;
            return;
        }
        if (KeyState[DIK_UP] && upRepeat == 0) {
            PlaySound(ChannelGameMusic, SoundBank[SoundLine]);
            if (--cursor < 0) cursor = MenuItemCount - 1;
            upRepeat = MenuRepeatFrames;
        }
        if (KeyState[DIK_DOWN] && downRepeat == 0) {
            PlaySound(ChannelGameMusic, SoundBank[SoundLine]);
            if (++cursor >= MenuItemCount) cursor = 0;
            downRepeat = MenuRepeatFrames;
        }
        if (KeyState[DIK_RETURN]) {
            do PollKeyboard();
            while (KeyState[DIK_RETURN]);
            if (cursor == MenuStart) break;
            if (cursor == MenuExit) {
                QuitRequested = 1;
                return;
            }
            if (cursor == MenuOptions) RunOptionsScreen();
        }
        DrawTitleFrame();
        FadeInStep();
        if (upRepeat > 0) --upRepeat;
        if (downRepeat > 0) --downRepeat;
        Sleep(1);
    }

    FadeLevel = OpaqueWhite;
    for (;;) {
        DrawTitleFrame();
        if (FadeOutStep()) break;
        Sleep(1);
    }
    Sleep(500);
}
