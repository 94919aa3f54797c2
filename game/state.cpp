#include "game/state.h"

GameStateRecord GameState;
OptionsRecord Options;
HighScoreTableRecord HighScoreTable;
ControlsRecord Controls;
std::vector<HighScoreEntry> UnsavedHighScores;
SpriteSet Sprites;
uint8_t KeyState[256] = {};
uint32_t RandomState = 1;
SampleId SoundBank[SoundSlotCount] = {-1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1, -1};
uint32_t FadeLevel = OpaqueWhite;
uint8_t QuitRequested = 0;
bool PlayerFilesWritable = true;
