// The score screen after a topped-out game.
#pragma once

// Tallies the bonuses over the final stack, takes a name for a score that beats the fifth
// entry, saves the table, waits for Escape or Return and fades out. True when a name was
// entered into the table.
bool RunScoreScreen();
