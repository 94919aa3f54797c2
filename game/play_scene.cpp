#include "game/play_scene.h"

#include "game/board.h"
#include "game/fade.h"
#include "game/keys.h"
#include "game/locking.h"
#include "game/movement.h"
#include "game/pieces.h"
#include "game/play_frame.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

constexpr int32_t TickMilliseconds = 10;
constexpr int32_t GameMusicVolume = 200;
// A millisecond's sleep between frames, as in every frame of play; half a second of black after
// the fade-out.
constexpr FadeWaits PlayFadeIn{.BetweenFrames = 1, .After = 0};
constexpr FadeWaits PlayFadeOut{.BetweenFrames = 1, .After = 500};
constexpr int32_t CycleWait = 100;

// Key-repeat reloads, in ticks.
constexpr int32_t RotateRepeatTicks = 8;
constexpr int32_t HardDropRepeatTicks = 10;
constexpr int32_t SidewaysRepeatTicks = 7;
constexpr int32_t FastSidewaysRepeatTicks = 6;  // from FastSidewaysLevel on
constexpr int32_t FastSidewaysLevel = 7;
constexpr int32_t SoftDropRepeatTicks = 2;

bool IsDown(uint8_t key) {
    return KeyState[key] != 0;
}

// The title music left playing by the menu dies away over the first frames of play.
void FadeTitleMusic() {
    if (IsPlaying(ChannelTitleMusic)) {
        const int32_t volume = GetVolume(ChannelTitleMusic);
        if (volume > 0) SetVolume(ChannelTitleMusic, volume - 1);
    }
    if (GetVolume(ChannelTitleMusic) < 1 && IsPlaying(ChannelTitleMusic)) {
        StopSound(ChannelTitleMusic);
    }
}

int32_t SidewaysRepeat() {
    return GameState.Level >= FastSidewaysLevel ? FastSidewaysRepeatTicks : SidewaysRepeatTicks;
}

// True when the code's cells all lie in the well and on empty cells from the current anchor.
bool FitsHere(PieceCode code) {
    const GameStateRecord& g = GameState;
    for (const CellOffset& cell : PieceCatalogue[code].Cells) {
        if (!IsCellEmpty(g.PieceColumn + cell.Column, g.PieceRow + cell.Row)) return false;
    }
    return true;
}

// Stops the game music however the scene is left, a closed window included.
struct GameMusicStopper {
    GameMusicStopper() = default;
    GameMusicStopper(const GameMusicStopper&) = delete;
    GameMusicStopper& operator=(const GameMusicStopper&) = delete;
    ~GameMusicStopper() { StopSound(ChannelGameMusic); }
};

// The keys are play's while the frames of play run, however they end.
struct KeysOfPlay {
    KeysOfPlay() { SetKeyMode(KeyMode::Play); }
    KeysOfPlay(const KeysOfPlay&) = delete;
    KeysOfPlay& operator=(const KeysOfPlay&) = delete;
    ~KeysOfPlay() { SetKeyMode(KeyMode::Menus); }
};

// While paused, Enter resumes as well as the pause's own keys, whatever Enter does in play.
struct KeysOfPause {
    KeysOfPause() { SetKeyMode(KeyMode::Paused); }
    KeysOfPause(const KeysOfPause&) = delete;
    KeysOfPause& operator=(const KeysOfPause&) = delete;
    ~KeysOfPause() { SetKeyMode(KeyMode::Play); }
};

// Runs the frames of play; true when the player left with Escape.
bool RunFrames() {
    KeysOfPlay keys;
    GameStateRecord& g = GameState;
    for (;;) {
        // The next level's backdrop is made while this one is played, so a new level shows at
        // once.
        WantBackdrops(g.Level, 2);
        FadeTitleMusic();
        TakeWindowMessage();
        PollKeyboard();
        if (IsDown(DIK_ESCAPE)) {
            WaitForKeysUp({DIK_ESCAPE});
            return true;
        }
        if (IsDown(DIK_RETURN)) {
            WaitForKeysUp({DIK_RETURN});
            PauseGame();
        } else if (FocusWasLost()) {
            // A player who switches to another window comes back to a paused game, as if
            // Enter had been pressed on the way out.
            PauseGame();
        }
        if (IsDown(DIK_UP) && g.RotateRepeat == 0) {
            RotatePiece();
            g.RotateRepeat = RotateRepeatTicks;
        }
        if (IsDown(DIK_SPACE) && g.HardDropRepeat == 0) {
            HardDrop();
            g.HardDropRepeat = HardDropRepeatTicks;
        }
        if (IsDown(DIK_RIGHT) && g.RightRepeat == 0) {
            MoveRight();
            g.RightRepeat = SidewaysRepeat();
        }
        if (IsDown(DIK_LEFT) && g.LeftRepeat == 0) {
            MoveLeft();
            g.LeftRepeat = SidewaysRepeat();
        }
        if (IsDown(DIK_DOWN) && g.SoftDropRepeat == 0) {
            g.Score += 1;  // also for the step that locks the piece
            g.SoftDropCount += 1.0f;
            StepDown();
            g.SoftDropRepeat = SoftDropRepeatTicks;
        }
        if (IsDown(DIK_ADD)) CyclePiece();
        DrawPlayFrame(OpaqueWhite, OpaqueWhite);
        UpdateClock();
        if (!IsPlaying(ChannelGameMusic)) {
            PlaySound(ChannelGameMusic, SoundBank[SoundGameMusicLoop]);
        }
        if (g.ToppedOut) return false;
        Sleep(1);
    }
}

}  // namespace

void RunPlayScene() {
    GameMusicStopper stopMusic;
    FocusWasLost();  // a loss from the menus is old news; only one during play pauses
    PlaySound(ChannelGameMusic, SoundBank[SoundGameMusic]);
    SetVolume(ChannelGameMusic, GameMusicVolume);

    // The falling piece shows at full strength while everything else rises from nothing.
    WantBackdrops(GameState.Level, 1);
    FadeLevel = TransparentWhite;
    RunFade(
        FadeDirection::In, [] { DrawPlayFrame(FadeLevel, OpaqueWhite); }, PlayFadeIn);
    GameState.GameStartTime = Time();

    // The menus' picture is not drawn during play; it is made again as play ends, while the game
    // fades out or the score screen shows.
    Sprites.TitleBackground.Want(false);
    const bool left = RunFrames();
    WantBackdrops(GameState.Level, 1);
    Sprites.TitleBackground.Want(true);
    if (!left) return;  // topped out: straight on, no fade-out

    FadeLevel = OpaqueWhite;
    RunFade(
        FadeDirection::Out, [] { DrawPlayFrame(FadeLevel, FadeLevel); }, PlayFadeOut);
}

void PauseGame() {
    KeysOfPause keys;
    SetPaused(ChannelGameMusic, true);
    BeginFrame();
    DrawHud(OpaqueWhite);
    EndFrame();
    for (;;) {
        PollKeyboard();
        if (IsDown(DIK_RETURN)) {
            WaitForKeysUp({DIK_RETURN});
            break;
        }
        Sleep(1);
    }
    FocusWasLost();  // leaving the window while paused must not pause again on return
    SetPaused(ChannelGameMusic, false);
}

void UpdateClock() {
    GameStateRecord& g = GameState;
    g.ElapsedSeconds = static_cast<int32_t>(Time() - g.GameStartTime);
    g.ClockMinutes = g.ElapsedSeconds / 60;
    g.ClockSeconds = g.ElapsedSeconds % 60;

    g.FrameCount += 1;
    if (Clock() >= g.NextSecondTime) {
        g.NextSecondTime = Clock() + 1000;
        g.FramesPerSecond = g.FrameCount;
        g.FrameCount = 0;
    }

    // At most one tick per frame, and a late one is not made up: the next is due a tick after
    // this reading, not after the missed deadline.
    if (Clock() <= g.NextTickTime) return;
    g.NextTickTime = Clock() + TickMilliseconds;
    for (int32_t* counter :
         {&g.RightRepeat, &g.LeftRepeat, &g.RotateRepeat, &g.SoftDropRepeat, &g.HardDropRepeat}) {
        if (*counter > 0) *counter -= 1;
    }
    g.GravityCountdown -= 1;
    if (g.GravityCountdown <= 0) {
        g.GravityCountdown = static_cast<int32_t>(g.GravityPeriod);
        g.GravityStepCount += 1.0f;
        StepDown();
    }
}

void CyclePiece() {
    GameStateRecord& g = GameState;
    // Only a code that fits where the piece is may take its place; the piece never overlaps
    // the stack or leaves the well. With none, it stays as it is.
    for (PieceCode step = 1; step < PieceCodeCount; ++step) {
        const PieceCode code = (g.CurrentPiece + step) % PieceCodeCount;
        if (FitsHere(code)) {
            g.CurrentPiece = code;
            break;
        }
    }
    Sleep(CycleWait);
}
