// The replay figures of ./bench: a 10-minute game recorded and checked.
#pragma once

// Plays a 10-minute game with the autoplayer on a stand-in platform, recording it as the real
// program does, then checks the recording as `zantorvix --check` does; prints the rows.
void PrintReplayFigures(int runs);
