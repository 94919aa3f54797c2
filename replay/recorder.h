// Every game recorded: the scene loop runs each game through RecordGame, which logs it on the
// recording platform and keeps it as "replays/last.zrp", and a game that entered the
// high-score table also under its date and score.
#pragma once

#include "replay/recording_platform.h"

inline constexpr const char* ReplayFolder = "replays";
inline constexpr const char* LastReplayFile = "replays/last.zrp";

// The platform games are recorded on; null (as at start) records nothing.
void SetGameRecorder(RecordingPlatform* recorder);

// One game (RunGame: the play scene and, after a top-out, the score screen), recorded when a
// recorder is set. A game whose window is closed is kept too: it shows where the player
// stopped. A replay that cannot be saved costs one line on stderr; the game goes on.
void RecordGame();
