// The game's state as a recording sees it: the snapshot a recorded game starts from, and the
// digests that tell whether a playback rebuilt that state and went on exactly as recorded. The
// fields the digests cover are listed once, in replay/state_fields.h.
#pragma once

#include <cstdint>

#include "game/state.h"
#include "replay/replay_file.h"

// The state a game starts from, as it stands now.
ReplayStart CaptureStart();
// Puts the game where a recorded one started. False when the state so rebuilt is not the one
// the recording started from.
bool ApplyStart(const ReplayStart& start);

// The digest of the game record, the options, the quit flag and the fade, every field listed in
// replay/state_fields.h: by kind (the board's cells, the 32-bit numbers, the single-precision
// counters, the 64-bit times, the flags, the fade colour), each kind in the order the records
// declare their fields.
uint32_t DigestOfState(const GameStateRecord& game, const OptionsRecord& options, uint8_t quit,
                       uint32_t fade);
// The same of the state as it stands.
uint32_t DigestOfGame();
// The FNV-1a digest of the board written as "data.dat" holds it: 25 lines of 15 digits.
uint32_t DigestOfBoard();

// What a game ended with, as it stands now: running is the log's running digest (every sound,
// sleep and checkpoint), into which the final state and the high-score table are folded.
ReplayEnd EndOfGame(ReplayEnding how, int64_t frames, uint32_t running);
