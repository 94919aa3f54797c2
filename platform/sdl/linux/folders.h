// Where the game finds its pictures and sounds, and where it keeps the player's files, on a
// Linux desktop.
//
// Run from a folder that holds gfx/ and sfx/ (as ./play runs it in build/run/), the game reads
// and writes there, as it always has. Installed, it reads share/zantorvix/ beside the folder of
// its own program (/usr/bin/zantorvix reads /usr/share/zantorvix/) and keeps the player's
// files in $XDG_DATA_HOME/zantorvix/ (~/.local/share/zantorvix/ when that is not set), made on
// the first run. The game itself keeps using the plain names: the platform changes into the
// data folder at start-up and puts the asset folder in front of every picture and sound name.
#pragma once

#include <string>

struct GameFolders {
    std::string Assets;  // put in front of picture and sound names: "" or ends with '/'
    std::string Data;    // the folder to work in; "" to stay in the working folder
};

// Chooses the folders from the working folder, the program's own file and the environment's
// XDG_DATA_HOME and HOME (either may be null). Looks at the file system only to see whether
// the working folder holds gfx/ and sfx/.
GameFolders ChooseGameFolders(const std::string& workingFolder, const std::string& programFile,
                              const char* xdgDataHome, const char* home);

// Makes the data folder when it is missing (private to the player, as XDG asks) and changes
// into it. When it cannot be made or entered, says so in one line on stderr and works in a
// new scratch folder instead, so that nothing lands in the working folder; its path is then
// returned, for removing at the end. Returns "" otherwise.
std::string EnterDataFolder(const std::string& data);
