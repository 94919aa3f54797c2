// The controls screen, opened from the options screen with Enter: the actions of play as rows,
// each with its keys and its gamepad buttons, and "reset all" below them.
//
//   Up, Down    move between the rows (wrapping)
//   Enter       on an action: wait for a key or a button, which replaces its keys (or buttons);
//               on "reset all": every action back to its defaults
//   Right       on an action: wait for a second key (or button), added beside the first
//   Backspace   on an action: forget its second key
//   Escape      cancel a wait; otherwise leave, saving "controls.ini" if anything changed
#pragma once

void RunControlsScreen();
