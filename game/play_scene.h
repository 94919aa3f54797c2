// The play scene: one game from its fade-in to Escape or the top-out, and the HUD.
#pragma once

#include <cstdint>

void RunPlayScene();
void DrawHud(uint32_t colour);
