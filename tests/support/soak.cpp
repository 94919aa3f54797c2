#include "support/soak.h"

#include <algorithm>
#include <cstdlib>
#include <fstream>
#include <sstream>

#include "app/application.h"
#include "frontend/high_scores.h"
#include "frontend/score_screen.h"
#include "game/keys.h"
#include "game/pieces.h"
#include "game/play_scene.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "support/scripted_platform.h"

namespace {

constexpr size_t KeptFindings = 20;
// A game that has not ended after this many frames is a finding in itself.
constexpr int64_t FramesPerGameLimit = 400'000;

// Keys of the play scene the random player uses, each with its own press and release odds
// (per poll), which change from game to game.
constexpr uint8_t PlayKeys[] = {DIK_UP,   DIK_SPACE, DIK_RIGHT, DIK_LEFT,
                                DIK_DOWN, DIK_ADD,   DIK_RETURN};
constexpr size_t PlayKeyCount = sizeof PlayKeys;

bool Overlaps(PieceCode code, int32_t column, int32_t row) {
    for (const CellOffset& cell : PieceCatalogue[code].Cells) {
        const int32_t c = column + cell.Column;
        const int32_t r = row + cell.Row;
        if (c >= 0 && c < BoardColumns && r >= 0 && r < BoardRows && GameState.Board[c][r] != 0) {
            return true;
        }
    }
    return false;
}

// The scripted platform without its records (a long soak would fill the memory with them),
// checking the game at every frame and every poll instead.
class SoakPlatform final : public ScriptedPlatform {
  public:
    enum class Phase { Play, Score };

    SoakFigures& Figures;
    SoakRandom Random;
    Phase CurrentPhase = Phase::Play;
    int64_t Game = 0;
    int64_t GameFrames = 0;

    // Per game: the player's habits and the moment it gives up with Escape (-1: never).
    double PressOdds[PlayKeyCount] = {};
    double ReleaseOdds[PlayKeyCount] = {};
    bool Held[PlayKeyCount] = {};
    int64_t EscapeAtFrame = -1;
    bool Aiming = false;
    float AimedPiece = -1.0f;  // the PieceCount the target column was chosen for
    int32_t TargetColumn = 0;
    PieceCode TargetCode = 0;
    bool Careless = false;  // weighs placements loosely, so its stack grows ragged
    float AimingPieces = 0.0f;
    bool EscapeSent = false;

    // The falling piece as last seen.
    float LastPieceCount = 1.0f;
    PieceCode LastNextPiece = 0;
    bool DealtOntoStack = false;
    int32_t LastScore = 0;
    int32_t LastLines = 0;

    SoakPlatform(SoakFigures& figures, uint32_t seed) : Figures(figures), Random(seed) {
        CloseAfterPolls = INT64_MAX;
        CloseAfterFrames = INT64_MAX;
    }

    double Uniform() { return Random.Uniform(); }
    int32_t Between(int32_t low, int32_t high) { return Random.Between(low, high); }

    void StartGame(int64_t game) {
        Game = game;
        GameFrames = 0;
        CurrentPhase = Phase::Play;
        EscapeSent = false;
        Figures.Pieces += 1;  // the first piece
        for (size_t k = 0; k < PlayKeyCount; ++k) {
            PressOdds[k] = Uniform() * 0.3;
            ReleaseOdds[k] = 0.05 + Uniform() * 0.6;
            Held[k] = false;
        }
        PressOdds[6] = 0.0005 + Uniform() * 0.004;  // Enter pauses; now and then is enough
        PressOdds[5] *= 0.2;                        // keypad plus: a practice aid, used sparingly
        EscapeAtFrame = Uniform() < 0.05 ? Between(0, 3000) : -1;
        // Most players steer each piece to a column of their choosing, which fills rows;
        // the others press keys at random.
        Aiming = Uniform() < 0.8;
        Careless = Uniform() < 0.3;
        // Even a good player tires: after this many pieces the keys go random and the stack
        // soon tops out, which keeps every game to a few minutes of play.
        AimingPieces = static_cast<float>(Between(10, 300));
        AimedPiece = -1.0f;
        FrameTime = Uniform() < 0.1 ? Between(0, 4) : Between(5, 20);
        LastPieceCount = GameState.PieceCount;
        LastNextPiece = GameState.NextPiece;
        DealtOntoStack =
            Overlaps(GameState.CurrentPiece, GameState.PieceColumn, GameState.PieceRow);
        LastScore = GameState.Score;
        LastLines = GameState.LinesCleared;
    }

    void Find(const std::string& what) {
        ++Figures.FindingCount;
        if (Figures.Findings.size() < KeptFindings) {
            std::ostringstream text;
            text << "game " << Game << ", frame " << GameFrames << ": " << what;
            Figures.Findings.push_back(text.str());
        }
        CloseNow = true;  // the game ends here; the next one starts afresh
    }

    void Check() {
        const GameStateRecord& g = GameState;
        const CellColour highest = CurrentPhase == Phase::Play ? 7 : BombCellColour;
        for (int32_t c = 0; c < BoardColumns; ++c) {
            for (int32_t r = 0; r < BoardRows; ++r) {
                if (g.Board[c][r] < 0 || g.Board[c][r] > highest) {
                    return Find("cell (" + std::to_string(c) + ", " + std::to_string(r) +
                                ") holds " + std::to_string(g.Board[c][r]));
                }
            }
        }
        if (CurrentPhase != Phase::Play) return;
        if (g.CurrentPiece < 0 || g.CurrentPiece >= PieceCodeCount || g.NextPiece < 0 ||
            g.NextPiece >= PieceCodeCount) {
            return Find("piece code out of range");
        }
        if ((g.PieceX - g.BoardLeft) % CellSize != 0 || (g.PieceY - g.BoardTop) % CellSize != 0 ||
            g.PieceColumn != (g.PieceX - g.BoardLeft) / CellSize ||
            g.PieceRow != (g.PieceY - g.BoardTop) / CellSize) {
            return Find("piece pixels and cell disagree");
        }
        for (const CellOffset& cell : PieceCatalogue[g.CurrentPiece].Cells) {
            const int32_t c = g.PieceColumn + cell.Column;
            const int32_t r = g.PieceRow + cell.Row;
            if (c < 0 || c >= BoardColumns || r < 0 || r >= BoardRows) {
                return Find("piece " + std::to_string(g.CurrentPiece) +
                            " has a cell outside "
                            "the board at (" +
                            std::to_string(c) + ", " + std::to_string(r) + ")");
            }
        }
        // Between two checks at most one piece is dealt (the player never acts on a new piece
        // in the frame that dealt it), so a new piece is seen where and as it was dealt.
        if (g.PieceCount != LastPieceCount) {
            if (g.PieceCount != LastPieceCount + 1.0f) return Find("more than one piece dealt");
            if (g.CurrentPiece != LastNextPiece) return Find("dealt piece is not the preview");
            if (g.PieceX != 499 || g.PieceY != 59) return Find("piece not dealt at the top");
            if (!Options.Bombs && g.NextPiece == BombPiece) return Find("bomb dealt while off");
            DealtOntoStack = Overlaps(g.CurrentPiece, g.PieceColumn, g.PieceRow);
            Figures.Pieces += 1;
        }
        LastPieceCount = g.PieceCount;
        LastNextPiece = g.NextPiece;
        if (Overlaps(g.CurrentPiece, g.PieceColumn, g.PieceRow) && !DealtOntoStack) {
            return Find("piece " + std::to_string(g.CurrentPiece) + " at (" +
                        std::to_string(g.PieceColumn) + ", " + std::to_string(g.PieceRow) +
                        ") overlaps the stack it was not dealt onto");
        }
        if (g.Score < LastScore || g.LinesCleared < LastLines) return Find("score went down");
        if (g.Level < 1 || g.Level > 9 || g.GravityPeriod != 20.0f - 2.0f * (g.Level - 1)) {
            return Find("level " + std::to_string(g.Level) + " with gravity period " +
                        std::to_string(g.GravityPeriod));
        }
        Figures.Lines += g.LinesCleared - LastLines;
        LastScore = g.Score;
        LastLines = g.LinesCleared;
    }

    // --- Platform, lean ---------------------------------------------------------------
    void BeginFrame() override { InFrame = true; }
    void EndFrame() override {
        InFrame = false;
        Now += FrameTime;
        ++Figures.Frames;
        ++GameFrames;
        Sounds.clear();
        Sleeps.clear();
        if (GameFrames > FramesPerGameLimit) Find("the game does not end");
        Check();
    }
    void DrawTexture(TextureId texture, int32_t, int32_t, int32_t, int32_t, uint32_t) override {
        if (!InFrame) Find("draw outside a frame");
        if (texture <= 0 || texture > static_cast<TextureId>(LoadedPictures.size())) {
            Find("draw of an unknown texture");
        }
    }
    void PlaySound(int32_t channel, SampleId sample) override {
        ScriptedPlatform::PlaySound(channel, sample);
        if (sample == SoundBank[SoundExplode] || sample == SoundBank[SoundExplode2]) {
            ++Figures.Bombs;
        }
    }
    void PollKeyboard(uint8_t state[256]) override {
        ScriptedPlatform::PollKeyboard(state);
        Check();
        if (CurrentPhase == Phase::Play) {
            PlayPoll(state);
        } else {
            ScorePoll(state);
        }
    }

  private:
    bool InFrame = false;

    // A placement for the falling piece the way a fair player picks one: every orientation of
    // its shape at every column, dropped straight down, weighed by rows filled, holes left and
    // the height and roughness of the stack, with a little chance of a worse choice.
    void ChooseTarget() {
        const PieceCode code = GameState.CurrentPiece;
        double best = -1e9;
        for (PieceCode candidate = code;;) {
            const PieceShape& shape = PieceCatalogue[candidate];
            for (int32_t column = 0; column + shape.Width <= BoardColumns; ++column) {
                const double value = Weigh(candidate, column) + Uniform() * (Careless ? 8.0 : 0.5);
                if (value > best) {
                    best = value;
                    TargetCode = candidate;
                    TargetColumn = column;
                }
            }
            candidate = ClockwiseSuccessor[candidate];
            if (candidate == code) break;
        }
    }

    bool Fits(PieceCode code, int32_t column, int32_t row) const {
        for (const CellOffset& cell : PieceCatalogue[code].Cells) {
            const int32_t c = column + cell.Column;
            const int32_t r = row + cell.Row;
            if (c < 0 || c >= BoardColumns || r < 0 || r >= BoardRows) return false;
            if (GameState.Board[c][r] != 0) return false;
        }
        return true;
    }

    double Weigh(PieceCode code, int32_t column) const {
        int32_t row = 0;
        if (!Fits(code, column, 0)) return -1e6;
        while (Fits(code, column, row + 1)) ++row;
        CellColour board[BoardColumns][BoardRows];
        std::copy(&GameState.Board[0][0], &GameState.Board[0][0] + BoardColumns * BoardRows,
                  &board[0][0]);
        for (const CellOffset& cell : PieceCatalogue[code].Cells) {
            board[column + cell.Column][row + cell.Row] = 9;
        }
        int32_t lines = 0;
        for (int32_t r = 0; r < BoardRows; ++r) {
            bool full = true;
            for (int32_t c = 0; c < BoardColumns && full; ++c) full = board[c][r] != 0;
            lines += full;
        }
        int32_t heights[BoardColumns];
        int32_t holes = 0;
        for (int32_t c = 0; c < BoardColumns; ++c) {
            int32_t top = 0;
            while (top < BoardRows && board[c][top] == 0) ++top;
            heights[c] = BoardRows - top;
            for (int32_t r = top; r < BoardRows; ++r) holes += board[c][r] == 0;
        }
        int32_t total = 0, rough = 0;
        for (int32_t c = 0; c < BoardColumns; ++c) {
            total += heights[c];
            if (c > 0) rough += std::abs(heights[c] - heights[c - 1]);
        }
        return 0.76 * lines - 0.51 * total - 0.36 * holes - 0.18 * rough;
    }

    void PlayPoll(uint8_t state[256]) {
        if (EscapeAtFrame >= 0 && GameFrames >= EscapeAtFrame && !EscapeSent) {
            EscapeSent = true;  // one poll down; the scene waits for the release
            state[DIK_ESCAPE] = 0x80;
            return;
        }
        for (size_t k = 0; k < PlayKeyCount; ++k) {
            Held[k] = Held[k] ? Uniform() >= ReleaseOdds[k] : Uniform() < PressOdds[k];
        }
        Held[6] = Held[6] && Uniform() < 0.5;  // Enter held a poll or two, not for seconds
        bool down[PlayKeyCount];
        std::copy(std::begin(Held), std::end(Held), down);
        if (Aiming && GameState.PieceCount <= AimingPieces) {
            const GameStateRecord& g = GameState;
            if (AimedPiece != g.PieceCount) {
                AimedPiece = g.PieceCount;
                ChooseTarget();
            }
            // Now and then a slip of the fingers: the random keys stand as they are.
            if (Uniform() >= 0.004) {
                const bool turned = g.CurrentPiece == TargetCode || g.CurrentPiece == BombPiece;
                const bool there = turned && g.PieceColumn == TargetColumn;
                down[0] = !turned;
                down[2] = turned && g.PieceColumn < TargetColumn;
                down[3] = turned && g.PieceColumn > TargetColumn;
                down[1] = down[1] && there;
                down[4] = down[4] && there;
                down[5] = false;  // keypad plus would undo the aim
            }
        }
        // A piece dealt by Space or Down is not touched again before the next check.
        if (down[1]) down[2] = down[3] = down[4] = down[5] = false;
        if (down[4]) down[5] = false;
        for (size_t k = 0; k < PlayKeyCount; ++k) {
            if (down[k]) state[PlayKeys[k]] = 0x80;
        }
        if (down[6]) ++Figures.Pauses;
    }

    void ScorePoll(uint8_t state[256]) {
        const double roll = Uniform();
        if (roll < 0.02) {
            state[Uniform() < 0.5 ? DIK_RETURN : DIK_ESCAPE] = 0x80;
        } else if (roll < 0.10) {
            state[LetterKeys[Between(0, 25)]] = 0x80;
        } else if (roll < 0.12) {
            state[DIK_SPACE] = 0x80;
        } else if (roll < 0.14) {
            state[DIK_BACK] = 0x80;
        }
    }
};

bool SameTable(const HighScoreTableRecord& a, const HighScoreTableRecord& b) {
    for (size_t i = 0; i < a.size(); ++i) {
        if (a[i].Name != b[i].Name || a[i].Score != b[i].Score) return false;
    }
    return true;
}

std::string ReadWhole(const char* name) {
    std::ifstream in(name, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

// "data.dat" after a game: 25 lines of 15 digits 0 to 7.
bool DumpIsWellFormed(const std::string& dump) {
    if (dump.size() != 25 * 16) return false;
    for (size_t i = 0; i < dump.size(); ++i) {
        const char c = dump[i];
        if (i % 16 == 15 ? c != '\n' : (c < '0' || c > '7')) return false;
    }
    return true;
}

}  // namespace

SoakFigures RunSoak(int64_t games, uint32_t seed) {
    SoakFigures figures;
    SoakPlatform platform(figures, seed);
    StartOnPlatform(platform);
    std::remove("data.dat");

    for (int64_t game = 0; game < games; ++game) {
        ResetGame();
        // After the reset, which turns the shadow back on.
        Options.Bombs = platform.Uniform() < 0.7;
        Options.Shadow = platform.Uniform() < 0.7;
        Options.Preview = platform.Uniform() < 0.7;
        if (!Options.Bombs) ++figures.GamesWithBombsOff;
        platform.StartGame(game);
        const int64_t findingsBefore = figures.FindingCount;
        try {
            RunPlayScene();
            ++figures.Games;
            if (GameState.ToppedOut) {
                ++figures.TopOuts;
                platform.CurrentPhase = SoakPlatform::Phase::Score;
                const int32_t fifth = HighScoreTable[4].Score;
                RunScoreScreen();
                if (GameState.Score > fifth) {
                    ++figures.HighScores;
                    HighScoreTableRecord saved;
                    const ItemsRead read = ReadHighScoreTable(ReadWhole("scores.dat"), saved);
                    if (read.Count != 10 || !SameTable(saved, HighScoreTable)) {
                        platform.Find("\"scores.dat\" does not hold the table");
                    }
                }
            } else {
                ++figures.Escapes;
            }
        } catch (const WindowClosed&) {
            // A finding ended the game; it is counted already.
            if (figures.FindingCount == findingsBefore) platform.Find("the window closed");
        }
        platform.CloseNow = false;
        if (GameState.PieceCount > 1.0f && !DumpIsWellFormed(ReadWhole("data.dat"))) {
            platform.Find("\"data.dat\" is not 25 lines of 15 digits");
            platform.CloseNow = false;
        }
    }
    SetPlatform(nullptr);
    return figures;
}
