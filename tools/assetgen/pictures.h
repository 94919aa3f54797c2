// Every picture the game loads, drawn in one look: an aurora night over ice, glass blocks,
// ice-white lettering with dark outlines.
#pragma once

#include <string>

namespace assetgen {

// Writes every listed picture under the run folder, whose folders must exist. Throws
// std::runtime_error on failure.
void MakePictures(const std::string& runDir);

// Writes the desktop's icon in the sizes 32 to 256 under iconDir, as the hicolor theme lays
// them out: hicolor/SIZExSIZE/apps/zantorvix.png; and Windows' icon, zantorvix.ico, which holds
// the sizes 16 to 256 that Windows picks from.
void MakeDesktopIcons(const std::string& iconDir);

// Writes the icons of the installed page, 192 and 512 pixels square, under webDir:
// icons/icon-SIZE.png.
void MakeWebIcons(const std::string& webDir);

}  // namespace assetgen
