#include "frontend/title_menu.h"

#include "frontend/high_scores.h"
#include "frontend/menu.h"
#include "frontend/options.h"
#include "game/fade.h"
#include "game/keys.h"
#include "game/lettering.h"
#include "game/play_frame.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
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

constexpr int32_t TitleMusicVolume = 192;
// A millisecond's sleep between frames, as every frame of the menu has, and half a second of
// black before the game.
constexpr FadeWaits TitleFadeOut{.BetweenFrames = 1, .After = 500};

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

void StartTitleMusic(Platform& platform, SampleId tune) {
    platform.SetMasterVolume(Options.Volume);
    platform.PlaySound(ChannelTitleMusic, tune);
    platform.SetVolume(ChannelTitleMusic, TitleMusicVolume);
}

void RunTitleMenu() {
    FadeLevel = TransparentWhite;
    StartTitleMusic(CurrentPlatform(), SoundBank[SoundTitleMusic]);

    int32_t& cursor = GameState.MenuCursor;
    for (;;) {
        TakeWindowMessage();
        PollKeyboard();
        if (KeyState[DIK_ESCAPE]) {
            QuitRequested = 1;
            return;
        }
        StepMenuCursor(cursor, MenuStart, MenuItemCount - 1);
        if (KeyState[DIK_RETURN]) {
            WaitForKeysUp({DIK_RETURN});
            if (cursor == MenuStart) {
                WantBackdrops(GameState.Level, 1);  // made while the menu fades out
                break;
            }
            if (cursor == MenuExit) {
                QuitRequested = 1;
                return;
            }
            if (cursor == MenuOptions) RunOptionsScreen();
        }
        DrawTitleFrame();
        FadeInStep();
        CountDownMenuRepeat();
        Sleep(1);
    }

    FadeLevel = OpaqueWhite;
    RunFade(FadeDirection::Out, DrawTitleFrame, TitleFadeOut);
}
