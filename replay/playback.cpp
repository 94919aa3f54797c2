#include "replay/playback.h"

#include <algorithm>
#include <iterator>
#include <string_view>

#include "frontend/game_scenes.h"
#include "frontend/title_menu.h"
#include "game/lettering.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/silent_platform.h"
#include "replay/playback_platform.h"
#include "replay/question_log.h"
#include "replay/snapshot.h"

namespace {

// While a playback runs, the game runs on the playback platform and writes none of the
// player's files; both are put back however it ends.
class PlaybackScope {
  public:
    explicit PlaybackScope(Platform& playback)
        : Current(playback), FilesWritable(PlayerFilesWritable) {
        PlayerFilesWritable = false;
    }
    ~PlaybackScope() { PlayerFilesWritable = FilesWritable; }
    PlaybackScope(const PlaybackScope&) = delete;
    PlaybackScope& operator=(const PlaybackScope&) = delete;

  private:
    ScopedPlatform Current;
    bool FilesWritable;
};

// The line along the top of a replay in the window, in the game's own lettering.
void DrawReplayLine(bool paused) {
    const std::string_view text = paused ? "replay paused   enter goes on   esc leaves"
                                         : "replay   enter pauses   esc leaves";
    int32_t width = 0;
    for (char c : text) width += c == 'i' ? 12 : 25;
    DrawWord(text, (ScreenWidth - width) / 2, 12, Sprites.Letters,
             static_cast<int32_t>(text.size()), OpaqueWhite);
}

// In the window: the replay line over every frame, the recording's sound numbers mapped to the
// sounds loaded now, and the menu's music playing as the menu left it when the game began.
void PrepareWatching(PlaybackPlatform& playback, Platform& inner, const Replay& replay,
                     const SampleId (&loaded)[SoundSlotCount]) {
    playback.DrawOverlay = DrawReplayLine;
    for (int32_t slot = 0; slot < SoundSlotCount; ++slot) {
        playback.SampleMap.emplace_back(replay.Start.SoundBank[slot], loaded[slot]);
    }
    StartTitleMusic(inner, loaded[SoundTitleMusic]);
}

// Runs the game on the playback platform to its end; how it ended goes to `how`, and a
// departure, damage or the viewer's leaving to the result.
void RunGameOn(PlaybackPlatform& playback, ReplayEnding& how, PlaybackResult& result) {
    try {
        try {
            RunGame();
            how = GameState.ToppedOut ? ReplayEnding::ToppedOut : ReplayEnding::Escaped;
        } catch (const WindowClosed&) {
            how = ReplayEnding::WindowClosed;  // as the recording has it
        }
        playback.ExpectEnd();
    } catch (const ReplayDeparture& departure) {
        result.Outcome = PlaybackResult::Verdict::Departs;
        result.Frame = departure.Frame;
        result.Message = departure.What;
    } catch (const ReplayDamaged& damage) {
        result.Outcome = PlaybackResult::Verdict::Damaged;
        result.Message = damage.What;
    } catch (const ReplayStopped&) {
        result.Outcome = PlaybackResult::Verdict::Stopped;
    }
}

// The first field in which two endings differ, for the message; empty when they agree.
std::string EndingDifference(const ReplayEnd& got, const ReplayEnd& recorded) {
    const auto differs = [](const char* what, int64_t mine, int64_t theirs) {
        return std::string("the game ends with ") + what + " " + std::to_string(mine) +
               " where the recording has " + std::to_string(theirs);
    };
    if (got.How != recorded.How) {
        return differs("ending", static_cast<int64_t>(got.How), static_cast<int64_t>(recorded.How));
    }
    if (got.Frames != recorded.Frames) return differs("frame count", got.Frames, recorded.Frames);
    if (got.Score != recorded.Score) return differs("score", got.Score, recorded.Score);
    if (got.Rows != recorded.Rows) return differs("rows", got.Rows, recorded.Rows);
    if (got.Level != recorded.Level) return differs("level", got.Level, recorded.Level);
    if (got.Pieces != recorded.Pieces) return differs("pieces", got.Pieces, recorded.Pieces);
    if (got.Board != recorded.Board) return "the final board differs from the recording's";
    if (got.Digest != recorded.Digest) {
        return "the final state, the table or the sounds differ from the recording's";
    }
    return "";
}

}  // namespace

PlaybackResult PlayBack(const Replay& replay, Platform& inner, PlaybackMode mode) {
    PlaybackResult result;
    SampleId loaded[SoundSlotCount];
    std::copy(std::begin(SoundBank), std::end(SoundBank), std::begin(loaded));
    if (!ApplyStart(replay.Start)) {
        result.Outcome = PlaybackResult::Verdict::Departs;
        result.Message =
            "this version of the game cannot rebuild the state the recording starts from";
        result.End = EndOfGame(ReplayEnding::Escaped, 0, 0);
        return result;
    }

    QuestionLogReader log(replay.Questions, replay.Checkpoints, replay.Start.Keys);
    const bool watch = mode == PlaybackMode::Watch;
    PlaybackPlatform playback(
        inner, log, watch ? PlaybackPlatform::Mode::Window : PlaybackPlatform::Mode::Check);
    playback.StateDigest = DigestOfGame;
    if (watch) PrepareWatching(playback, inner, replay, loaded);
    ReplayEnding how = ReplayEnding::Escaped;
    {
        PlaybackScope scope(playback);
        RunGameOn(playback, how, result);
    }
    if (watch) {
        for (int32_t channel = ChannelTitleMusic; channel <= ChannelLine; ++channel) {
            inner.StopSound(channel);
        }
    }

    result.End = EndOfGame(how, playback.FrameCount(), log.RunningDigest());
    if (result.Outcome == PlaybackResult::Verdict::Matches) {
        result.Message = EndingDifference(result.End, replay.End);
        if (!result.Message.empty()) {
            result.Outcome = PlaybackResult::Verdict::Departs;
            result.Frame = playback.FrameCount();
        }
    }
    return result;
}

PlaybackResult CheckPlayback(const Replay& replay) {
    SilentPlatform silent;
    return PlayBack(replay, silent, PlaybackMode::Check);
}
