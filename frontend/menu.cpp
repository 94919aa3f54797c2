#include "frontend/menu.h"

#include "game/keys.h"
#include "game/sound_bank.h"
#include "game/state.h"

namespace {

// The play scene's rotate and soft-drop counters double as the menus' Up and Down counters.
int32_t& UpRepeat() {
    return GameState.RotateRepeat;
}
int32_t& DownRepeat() {
    return GameState.SoftDropRepeat;
}

void Click() {
    PlaySound(ChannelGameMusic, SoundBank[SoundLine]);
}

}  // namespace

void StepMenuCursor(int32_t& cursor, int32_t first, int32_t last) {
    if (KeyState[DIK_UP] && UpRepeat() == 0) {
        Click();
        if (--cursor < first) cursor = last;
        UpRepeat() = MenuRepeatFrames;
    }
    if (KeyState[DIK_DOWN] && DownRepeat() == 0) {
        Click();
        if (++cursor > last) cursor = first;
        DownRepeat() = MenuRepeatFrames;
    }
}

void CountDownMenuRepeat() {
    if (UpRepeat() > 0) --UpRepeat();
    if (DownRepeat() > 0) --DownRepeat();
}
