// One game as the player meets it, the game's own order of scenes: the play scene and, after a
// top-out, the score screen. The scene loop runs it (through the recorder), and so does every
// playback of a recorded game.
#pragma once

// True when a name was entered into the high-score table.
bool RunGame();
