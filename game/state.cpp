#include "game/state.h"

GameStateRecord GameState;
OptionsRecord Options;
HighScoreTableRecord HighScoreTable;
SpriteSet Sprites;
uint32_t FadeLevel = OpaqueWhite;
uint8_t QuitRequested = 0;
bool PlayerFilesWritable = true;
