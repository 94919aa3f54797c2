#include "support/replay_coverage.h"

#include <algorithm>

#include "game/locking.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/silent_platform.h"

namespace {

constexpr int32_t CycleWait = 100;  // keypad plus sleeps this long, and nothing else in play

// Draws nothing and answers nothing (the playback answers); watches the commands.
class Watcher final : public SilentPlatform {
  public:
    explicit Watcher(ReplayCoverage& coverage) : Coverage(coverage) {}

    void PlaySound(int32_t, SampleId sample) override {
        if (sample == SoundBank[SoundCheer]) Coverage.FourRowClear = true;
        if (sample == SoundBank[SoundExplode] || sample == SoundBank[SoundExplode2]) {
            // The explosion sounds before the blast: the board is as the bomb found it.
            const GameStateRecord& g = GameState;
            for (int32_t offset = -3; offset <= 3; ++offset) {
                const int32_t column = g.PieceColumn + offset;
                if (column < 0 || column >= BoardColumns) continue;
                const int32_t top = g.PieceRow - BlastHalfHeights[offset + 3];
                for (int32_t row = 1; row < top; ++row) {
                    if (g.Board[column][row] != 0) Coverage.BombCollapse = true;
                }
            }
        }
    }
    void SetPaused(int32_t channel, bool paused) override {
        if (channel == ChannelGameMusic && paused) Coverage.Pause = true;
    }
    void Sleep(int32_t milliseconds) override {
        if (milliseconds == CycleWait) Coverage.CyclePiece = true;
    }

  private:
    ReplayCoverage& Coverage;
};

}  // namespace

std::string ReplayCoverage::Missing() const {
    std::string missing;
    const auto need = [&](bool covered, const char* what) {
        if (covered) return;
        if (!missing.empty()) missing += ", ";
        missing += what;
    };
    need(BombsOn, "a game with bombs");
    need(BombsOff, "a game without bombs");
    need(FourRowClear, "a four-row clear");
    need(BombCollapse, "a bomb collapse");
    need(LevelUps >= 6, "a game that climbs to level 7, where the sideways repeat quickens");
    need(Pause, "a pause");
    need(CyclePiece, "keypad plus");
    need(TopOutWithName, "a top-out with a name entered");
    need(Escape, "a game left with Escape");
    return missing;
}

PlaybackResult PlayBackAndCover(const Replay& replay, ReplayCoverage& coverage) {
    Watcher watcher(coverage);
    const PlaybackResult result = PlayBack(replay, watcher, PlaybackMode::Check);
    if (result.Outcome != PlaybackResult::Verdict::Matches) return result;
    (replay.Start.Options.Bombs ? coverage.BombsOn : coverage.BombsOff) = true;
    coverage.LevelUps = std::max(coverage.LevelUps, result.End.Level - replay.Start.Game.Level);
    if (result.End.How == ReplayEnding::Escaped) coverage.Escape = true;
    if (result.End.How == ReplayEnding::ToppedOut) {
        // A name was entered when the table took the final score in.
        for (size_t i = 0; i < HighScoreTable.size(); ++i) {
            const HighScoreEntry& before = replay.Start.HighScores[i];
            const HighScoreEntry& after = HighScoreTable[i];
            if (after.Score == result.End.Score &&
                (before.Name != after.Name || before.Score != after.Score)) {
                coverage.TopOutWithName = true;
            }
        }
    }
    return result;
}
