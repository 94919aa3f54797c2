// The generator's files: each is named by the game's own list of pictures and sounds, written
// in the format its name asks for, and recorded, so that the run can end by checking that the
// whole list was written.
#pragma once

#include <string>

#include "game/assets.h"
#include "raster.h"
#include "synth.h"

namespace assetgen {

// Where a name from the list lies under the run folder.
std::string OutputPath(const std::string& runDir, const char* name);

// Makes the folders the listed files go in. Throws std::runtime_error on failure.
void MakeOutputFolders(const std::string& runDir);

// Writes the picture as PNG, JPEG or DDS by its name's ending, once it has the size the list
// gives. Throws std::runtime_error on failure.
void SavePicture(const std::string& runDir, const PictureFile& file, const Picture& picture);

// Writes a slot's sound: MP3 or WAV by its name's ending, a WAV in mono when asked. Safe to call
// from several threads at once. Throws std::runtime_error on failure.
void SaveSound(const std::string& runDir, SoundSlot slot, const Stereo& sound, bool mono);

// Writes the browser's copy of an effect under webDir: Ogg Vorbis, a tenth of the WAV's size,
// under the very name the game asks for (SDL_mixer tells the format by the bytes). Throws
// std::runtime_error on failure.
void SaveBrowserEffect(const std::string& webDir, SoundSlot slot, const Stereo& sound, bool mono);

// The listed files this run did not write, one a line, indented, as found under the run folder;
// empty when it wrote them all.
std::string FilesNotWritten(const std::string& runDir);

}  // namespace assetgen
