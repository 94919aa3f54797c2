#include "app/replays.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <iterator>
#include <memory>

#include "app/application.h"
#include "frontend/data_file.h"
#include "frontend/score_screen.h"
#include "game/keys.h"
#include "game/lettering.h"
#include "game/play_scene.h"
#include "game/random.h"
#include "game/sound_bank.h"
#include "game/state.h"
#include "platform/renderer.h"
#include "platform/system.h"
#include "replay/playback_platform.h"

namespace {

RecordingPlatform* Recorder = nullptr;

constexpr int32_t TitleMusicVolume = 192;

// The play scene and, after a top-out, the score screen: the part of the scene loop a
// recording holds. True when a name was entered into the table.
bool RunGameScenes() {
    RunPlayScene();
    if (!QuitRequested && GameState.ToppedOut) return RunScoreScreen();
    return false;
}

uint32_t FloatBits(float value) {
    uint32_t bits = 0;
    std::memcpy(&bits, &value, sizeof bits);
    return bits;
}

// The running digest of a log, with the final state and the table folded in.
uint32_t FinalDigest(uint32_t running) {
    Fnv1a digest;
    digest.Add(running);
    digest.Add(DigestOfGame());
    for (const HighScoreEntry& entry : HighScoreTable) {
        digest.AddText(entry.Name);
        digest.Add(static_cast<uint32_t>(entry.Score));
    }
    return digest.Value;
}

ReplayEnd EndOfGame(ReplayEnding how, int64_t frames, uint32_t running) {
    ReplayEnd end;
    end.How = how;
    end.Frames = frames;
    end.Score = GameState.Score;
    end.Rows = GameState.LinesCleared;
    end.Level = GameState.Level;
    end.Pieces = static_cast<int32_t>(GameState.PieceCount);
    end.Board = DigestOfBoard();
    end.Digest = FinalDigest(running);
    return end;
}

// "replays/2025-12-07-150642-12345.zrp": the date and time the game ended, and its score.
std::string HighScoreReplayName(int32_t score) {
    const std::time_t now = static_cast<std::time_t>(Time());
    std::tm local{};
    localtime_r(&now, &local);
    char date[32];
    std::strftime(date, sizeof date, "%Y-%m-%d-%H%M%S", &local);
    const std::string stem = std::string(ReplayFolder) + "/" + date + "-" + std::to_string(score);
    std::string name = stem + ".zrp";
    std::error_code ignored;
    for (int32_t n = 2; n < 100 && std::filesystem::exists(name, ignored); ++n) {
        name = stem + "-" + std::to_string(n) + ".zrp";
    }
    return name;
}

// One line on stderr when it fails, however many files were to be written.
void SaveReplay(const std::string& bytes, bool highScore, int32_t score) {
    std::error_code error;
    if (!std::filesystem::is_directory(ReplayFolder, error) &&
        (::mkdir(ReplayFolder, 0777) != 0 || !std::filesystem::is_directory(ReplayFolder, error))) {
        const int reason = errno == EEXIST ? ENOTDIR : errno;
        std::fprintf(stderr,
                     "zantorvix: could not save the game's replay: cannot make the folder \"%s\": "
                     "%s\n",
                     ReplayFolder, std::strerror(reason));
        return;
    }
    if (!ReplaceDataFile(LastReplayFile, bytes, "the last game's replay is not kept")) return;
    if (highScore) {
        const std::string name = HighScoreReplayName(score);
        ReplaceDataFile(name.c_str(), bytes, "this high score's replay is not kept");
    }
}

void KeepRecording(RecordingPlatform& recorder, Replay& replay, ReplayEnding how, bool entered) {
    std::unique_ptr<QuestionLogWriter> log = recorder.StopLog();
    if (!log) return;
    log->Finish(replay.Questions, replay.Checkpoints);
    replay.End = EndOfGame(how, log->FrameCount(), log->RunningDigest());
    SaveReplay(WriteReplay(replay), entered, replay.End.Score);
}

// The line along the top of a replay in the window, in the game's own lettering.
void DrawReplayLine(bool paused) {
    const std::string_view text = paused ? "replay paused   enter goes on   esc leaves"
                                         : "replay   enter pauses   esc leaves";
    int32_t width = 0;
    for (char c : text) width += c == 'i' ? 12 : 25;
    DrawWord(text, (ScreenWidth - width) / 2, 12, Sprites.Letters,
             static_cast<int32_t>(text.size()), OpaqueWhite);
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

void PrintSummary(const ReplayEnd& end) {
    std::printf("score %d  rows %d  level %d  pieces %d  board %08" PRIx32 "\n", end.Score,
                end.Rows, end.Level, end.Pieces, end.Board);
}

}  // namespace

void SetGameRecorder(RecordingPlatform* recorder) {
    Recorder = recorder;
}

void RunGame() {
    RecordingPlatform* recorder = Recorder;
    if (recorder == nullptr || recorder->Log() != nullptr) {
        RunGameScenes();
        return;
    }
    Replay replay;
    replay.Start = CaptureStart();
    recorder->StartLog(KeyState, DigestOfGame);
    bool entered = false;
    try {
        entered = RunGameScenes();
    } catch (const WindowClosed&) {
        // Kept too: it is the last game, and it shows where the player stopped.
        KeepRecording(*recorder, replay, ReplayEnding::WindowClosed, false);
        throw;
    }
    KeepRecording(*recorder, replay,
                  GameState.ToppedOut ? ReplayEnding::ToppedOut : ReplayEnding::Escaped, entered);
}

uint32_t DigestOfGame() {
    const GameStateRecord& g = GameState;
    Fnv1a digest;
    for (const auto& column : g.Board) {
        for (CellColour cell : column) digest.Add(static_cast<uint32_t>(cell), 1);
    }
    for (int32_t value :
         {g.BoardTop,     g.BoardBottom,  g.BoardLeft,       g.BoardRight,       g.CurrentPiece,
          g.NextPiece,    g.PieceX,       g.PieceY,          g.PieceColumn,      g.PieceRow,
          g.ShadowX,      g.ShadowY,      g.ShadowColumn,    g.ShadowRow,        g.Score,
          g.LinesCleared, g.LevelLines,   g.Level,           g.ElapsedSeconds,   g.ClockMinutes,
          g.ClockSeconds, g.FrameCount,   g.FramesPerSecond, g.GravityCountdown, g.RightRepeat,
          g.LeftRepeat,   g.RotateRepeat, g.SoftDropRepeat,  g.HardDropRepeat,   g.MenuCursor,
          Options.Volume}) {
        digest.Add(static_cast<uint32_t>(value));
    }
    for (float value : {g.RotationCount, g.GravityPeriod, g.PieceCount, g.CarelessLandingCount,
                        g.SoftDropCount, g.GravityStepCount}) {
        digest.Add(FloatBits(value));
    }
    for (int64_t value : {g.GameStartTime, g.NextSecondTime, g.NextTickTime}) {
        digest.Add(static_cast<uint64_t>(value), 8);
    }
    for (bool value :
         {g.LandedFlush != 0, g.ToppedOut != 0, g.SpeedyEarned, g.CarefulEarned, g.EfficientEarned,
          Options.Bombs, Options.Shadow, Options.Preview, QuitRequested != 0}) {
        digest.Add(value ? 1 : 0, 1);
    }
    digest.Add(FadeLevel);
    return digest.Value;
}

namespace {

// Copies one recorded field to or from the live state; whole arrays for the key state and the
// sound bank.
template <typename T>
void CopyField(T& to, const T& from) {
    to = from;
}
template <typename T, size_t N>
void CopyField(T (&to)[N], const T (&from)[N]) {
    std::copy(std::begin(from), std::end(from), std::begin(to));
}

// The state a game starts from, each field beside the live state it records: one list for
// capturing a start and for restoring it. The random state goes through Rand's own calls.
template <typename Start, typename Visit>
void PairStartFields(Start& start, Visit visit) {
    GameStateRecord& g = GameState;
    visit(start.CurrentPiece, g.CurrentPiece);
    visit(start.NextPiece, g.NextPiece);
    visit(start.Level, g.Level);
    visit(start.MenuCursor, g.MenuCursor);
    visit(start.RotateRepeat, g.RotateRepeat);
    visit(start.SoftDropRepeat, g.SoftDropRepeat);
    visit(start.NextTickTime, g.NextTickTime);
    visit(start.NextSecondTime, g.NextSecondTime);
    visit(start.GameStartTime, g.GameStartTime);
    visit(start.Options, Options);
    visit(start.HighScores, HighScoreTable);
    visit(start.FadeLevel, FadeLevel);
    visit(start.Keys, KeyState);
    visit(start.SoundBank, SoundBank);
}

}  // namespace

ReplayStart CaptureStart() {
    ReplayStart start;
    start.RandomState = RandomState;
    PairStartFields(start, [](auto& recorded, auto& live) { CopyField(recorded, live); });
    start.Digest = DigestOfGame();
    return start;
}

bool ApplyStart(const ReplayStart& start) {
    GameState = GameStateRecord{};
    QuitRequested = 0;
    PairStartFields(start, [](const auto& recorded, auto& live) { CopyField(live, recorded); });
    Srand(start.RandomState);
    return DigestOfGame() == start.Digest;
}

PlaybackResult PlayBack(const Replay& replay, Platform& inner, bool watch) {
    PlaybackResult result;
    SampleId loaded[SoundSlotCount];
    std::memcpy(loaded, SoundBank, sizeof loaded);
    if (!ApplyStart(replay.Start)) {
        result.Outcome = PlaybackResult::Verdict::Departs;
        result.Message =
            "this version of the game cannot rebuild the state the recording starts from";
        result.End = EndOfGame(ReplayEnding::Escaped, 0, 0);
        return result;
    }

    QuestionLogReader log(replay.Questions, replay.Checkpoints, replay.Start.Keys);
    PlaybackPlatform playback(
        inner, log, watch ? PlaybackPlatform::Mode::Window : PlaybackPlatform::Mode::Check);
    playback.StateDigest = DigestOfGame;
    if (watch) {
        playback.DrawOverlay = DrawReplayLine;
        for (int32_t slot = 0; slot < SoundSlotCount; ++slot) {
            playback.SampleMap.emplace_back(replay.Start.SoundBank[slot], loaded[slot]);
        }
        // As the menu left it: its music playing, the master volume the player's.
        inner.SetMasterVolume(Options.Volume);
        inner.PlaySound(ChannelTitleMusic, loaded[SoundTitleMusic]);
        inner.SetVolume(ChannelTitleMusic, TitleMusicVolume);
    }

    PlayerFilesWritable = false;
    SetPlatform(&playback);
    ReplayEnding how = ReplayEnding::Escaped;
    try {
        try {
            RunGameScenes();
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
    SetPlatform(&inner);
    PlayerFilesWritable = true;
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

int CheckReplay(const char* file) {
    Replay replay;
    std::string reason;
    if (!LoadReplay(file, replay, reason)) {
        std::fprintf(stderr, "zantorvix: replay \"%s\" %s\n", file, reason.c_str());
        return 2;
    }
    SilentPlatform silent;
    SetPlatform(&silent);
    InitialiseProgramState();
    const PlaybackResult result = PlayBack(replay, silent, false);
    SetPlatform(nullptr);
    switch (result.Outcome) {
        case PlaybackResult::Verdict::Matches:
            PrintSummary(result.End);
            std::printf("matches the recording (%" PRId64 " frames)\n", result.End.Frames);
            return 0;
        case PlaybackResult::Verdict::Departs:
            PrintSummary(result.End);
            std::fprintf(stderr,
                         "zantorvix: replay \"%s\" departs from the recording at frame %" PRId64
                         ": %s\n",
                         file, result.Frame, result.Message.c_str());
            return 1;
        case PlaybackResult::Verdict::Damaged:
        case PlaybackResult::Verdict::Stopped:
            break;
    }
    std::fprintf(stderr, "zantorvix: replay \"%s\" is damaged: %s\n", file, result.Message.c_str());
    return 2;
}

int WatchReplay(const char* file, Platform& real) {
    Replay replay;
    std::string reason;
    if (!LoadReplay(file, replay, reason)) {
        std::fprintf(stderr, "zantorvix: replay \"%s\" %s\n", file, reason.c_str());
        return 2;
    }
    SetPlatform(&real);
    InitialiseProgramState();
    if (!CreateRenderer()) return 1;
    int status = 0;
    try {
        LoadTitleSprites();
        FadeInLoadingScreen();
        LoadGameSprites();
        CreateKeyboard();
        LoadSoundBank();
        FadeOutLoadingScreen();
        const PlaybackResult result = PlayBack(replay, real, true);
        if (result.Outcome == PlaybackResult::Verdict::Departs) {
            std::fprintf(stderr,
                         "zantorvix: replay \"%s\" departs from the recording at frame %" PRId64
                         ": %s\n",
                         file, result.Frame, result.Message.c_str());
            status = 1;
        } else if (result.Outcome == PlaybackResult::Verdict::Damaged) {
            std::fprintf(stderr, "zantorvix: replay \"%s\" is damaged: %s\n", file,
                         result.Message.c_str());
            status = 2;
        }
    } catch (const WindowClosed&) {
        // Closed while loading: nothing to show.
    }
    ReleaseSprites();
    ReleaseRenderer();
    return status;
}
