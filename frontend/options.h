// The player's options: the options screen and "options.dat".
#pragma once

void LoadOptions();
void SaveOptions();
void RunOptionsScreen();
