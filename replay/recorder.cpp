#include "replay/recorder.h"

#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <memory>
#include <string>

#include "frontend/data_file.h"
#include "frontend/game_scenes.h"
#include "game/state.h"
#include "platform/system.h"
#include "replay/replay_file.h"
#include "replay/snapshot.h"

namespace {

RecordingPlatform* Recorder = nullptr;

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
        (!std::filesystem::create_directory(ReplayFolder, error) ||
         !std::filesystem::is_directory(ReplayFolder, error))) {
        // A file of that name is in the way, or the folder could not be made.
        const bool inTheWay = !error || error == std::errc::file_exists;
        const std::string reason =
            (inTheWay ? std::make_error_code(std::errc::not_a_directory) : error).message();
        std::fprintf(stderr,
                     "zantorvix: could not save the game's replay: cannot make the folder \"%s\": "
                     "%s\n",
                     ReplayFolder, reason.c_str());
        return;
    }
    if (!ReplaceDataFile(LastReplayFile, bytes, "the last game's replay is not kept")) return;
    if (highScore) {
        const std::string name = HighScoreReplayName(score);
        ReplaceDataFile(name.c_str(), bytes, "this high score's replay is not kept");
    }
}

// The log is stopped first, so that the questions asked while saving are not in it.
void KeepRecording(RecordingPlatform& recorder, Replay& replay, ReplayEnding how, bool entered) {
    std::unique_ptr<QuestionLogWriter> log = recorder.StopLog();
    if (!log) return;
    log->Finish(replay.Questions, replay.Checkpoints);
    replay.End = EndOfGame(how, log->FrameCount(), log->RunningDigest());
    SaveReplay(WriteReplay(replay), entered, replay.End.Score);
}

}  // namespace

void SetGameRecorder(RecordingPlatform* recorder) {
    Recorder = recorder;
}

void RecordGame() {
    RecordingPlatform* recorder = Recorder;
    if (recorder == nullptr || recorder->Log() != nullptr) {
        RunGame();
        return;
    }
    Replay replay;
    replay.Start = CaptureStart();
    recorder->StartLog(KeyState, DigestOfGame);
    bool entered = false;
    try {
        entered = RunGame();
    } catch (const WindowClosed&) {
        KeepRecording(*recorder, replay, ReplayEnding::WindowClosed, false);
        throw;
    }
    KeepRecording(*recorder, replay,
                  GameState.ToppedOut ? ReplayEnding::ToppedOut : ReplayEnding::Escaped, entered);
}
