#include "frontend/score_screen.h"

#include <algorithm>
#include <limits>

#include "frontend/high_scores.h"
#include "game/fade.h"
#include "game/keys.h"
#include "game/lettering.h"
#include "game/play_frame.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"

namespace {

constexpr size_t MaxNameLength = 8;
constexpr int32_t PlayBonus = 500;
constexpr CellColour BombPicture = 8;
// A millisecond's sleep between frames, as in all the screen's frames, and half a second of black
// at the end.
constexpr FadeWaits ScoreFadeOut{.BetweenFrames = 1, .After = 500};

// The bonus rows in the order they are listed.
enum BonusRow : int32_t { Bombless, Efficient, Careful, Psychic, Speedy, Blind, BonusRowCount };
const char* const BonusWords[BonusRowCount] = {"bombless", "efficient", "careful",
                                               "psychic",  "speedy",    "blind"};

struct Tally {
    bool Listed[BonusRowCount] = {};
    int32_t Amounts[BonusRowCount] = {};
    int32_t Total = 0;
};

// The shares of the score are taken in single precision, as the game always has.
constexpr float TenthOfScore = 0.1f;
constexpr float FifthOfScore = 0.2f;

int32_t ShareOf(int32_t score, float share) {
    return static_cast<int32_t>(static_cast<float>(score) * share);
}

// Works out the bonuses once, before anything is drawn, and adds them to the score.
Tally WorkOutTally() {
    GameStateRecord& g = GameState;
    // Written as "not at least" so that 0 soft drops over 0 gravity steps earns nothing.
    if (!(g.SoftDropCount / g.GravityStepCount >= 0.5f)) g.SpeedyEarned = false;
    if (g.CarelessLandingCount / g.PieceCount > 0.1f) g.CarefulEarned = false;
    if (g.RotationCount / g.PieceCount > 2.0f) g.EfficientEarned = false;

    for (auto& column : g.Board) {
        for (CellColour& cell : column) {
            if (cell != 0) cell = BombPicture;
        }
    }

    const int32_t score = g.Score;
    Tally tally;
    tally.Listed[Bombless] = !Options.Bombs;
    tally.Listed[Efficient] = g.EfficientEarned;
    tally.Listed[Careful] = g.CarefulEarned;
    tally.Listed[Psychic] = !Options.Preview;
    tally.Listed[Speedy] = g.SpeedyEarned;
    tally.Listed[Blind] = !Options.Shadow;
    tally.Amounts[Bombless] = ShareOf(score, TenthOfScore);
    tally.Amounts[Efficient] = PlayBonus;
    tally.Amounts[Careful] = PlayBonus;
    tally.Amounts[Psychic] = ShareOf(score, TenthOfScore);
    tally.Amounts[Speedy] = PlayBonus;
    tally.Amounts[Blind] = ShareOf(score, FifthOfScore);
    for (int32_t row = 0; row < BonusRowCount; ++row) {
        if (tally.Listed[row]) tally.Total += tally.Amounts[row];
    }
    // Saturates rather than overflow for a score near the 32-bit limit.
    const int64_t final = static_cast<int64_t>(score) + tally.Total;
    g.Score = static_cast<int32_t>(std::min<int64_t>(final, std::numeric_limits<int32_t>::max()));
    return tally;
}

void DrawText(std::string_view text, int32_t x, int32_t y, uint32_t colour) {
    DrawWord(text, x, y, Sprites.Letters, static_cast<int32_t>(text.size()), colour);
}

// One frame of the list over the final playfield; the name lines only when name is given.
void DrawList(const Tally& tally, const std::string* name, uint32_t colour) {
    BeginFrame();
    DrawHud(colour);
    DrawBoard(colour);
    Sprites.BonusHeading.Draw(430, 70, colour);
    int32_t y = 150;
    for (int32_t row = 0; row < BonusRowCount; ++row) {
        if (!tally.Listed[row]) continue;
        DrawText(BonusWords[row], 330, y, colour);
        DrawNumber(tally.Amounts[row], 600, y, Sprites.Digits, false, colour);
        y += 30;
    }
    DrawText("total", 330, y + 20, colour);
    DrawNumber(tally.Total, 600, y + 20, Sprites.Digits, false, colour);
    if (name != nullptr) {
        DrawText("high score", 390, y + 100, colour);
        DrawText("enter your name", 330, y + 140, colour);
        DrawText(*name, 420, y + 180, colour);
    }
    EndFrame();
}

// The keys that type a character, in the order they are tested: A to Z, then Space.
constexpr int32_t TypingKeyCount = 27;
uint8_t TypingKey(int32_t i) {
    return i < 26 ? LetterKeys[i] : static_cast<uint8_t>(DIK_SPACE);
}
char TypedCharacter(int32_t i) {
    return i < 26 ? static_cast<char>('A' + i) : ' ';
}

// One pass of the name entry: at most one character typed, then Backspace. Each acts once
// the key is let go, so a held key types once.
void TakeNameKeys(std::string& name) {
    if (name.size() < MaxNameLength) {
        for (int32_t i = 0; i < TypingKeyCount; ++i) {
            if (!KeyState[TypingKey(i)]) continue;
            WaitForKeysUp({TypingKey(i)});
            name += TypedCharacter(i);
            break;
        }
    }
    if (KeyState[DIK_BACK] && !name.empty()) {
        WaitForKeysUp({DIK_BACK});
        name.pop_back();
    }
}

}  // namespace

bool RunScoreScreen() {
    const Tally tally = WorkOutTally();
    DrawList(tally, nullptr, OpaqueWhite);

    std::string name;
    const bool entered = GameState.Score > HighScoreTable.back().Score;
    if (entered) {
        SetKeyMode(KeyMode::Name);
        for (;;) {
            PollKeyboard();
            TakeNameKeys(name);
            if (KeyState[DIK_RETURN] || KeyState[DIK_ESCAPE]) break;
            DrawList(tally, &name, OpaqueWhite);
            Sleep(1);
        }
        SetKeyMode(KeyMode::Menus);
        InsertHighScore(name, GameState.Score);
        SaveHighScore({name, GameState.Score});
    }

    for (;;) {
        PollKeyboard();
        if (KeyState[DIK_ESCAPE] || KeyState[DIK_RETURN]) break;
        Sleep(1);
    }
    WaitForKeysUp({DIK_ESCAPE, DIK_RETURN});

    // From FadeLevel as play left it: at full strength.
    RunFade(
        FadeDirection::Out, [&] { DrawList(tally, entered ? &name : nullptr, FadeLevel); },
        ScoreFadeOut);
    return entered;
}
