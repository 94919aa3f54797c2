// The title menu: start a game, set the options, or leave.
#pragma once

#include <cstdint>

void RunTitleMenu();
