// The browser's copy of the pictures and sounds, packed for the page in two parts: what the
// loading screen shows, which the program waits for before it starts, and the rest, which the
// page fetches while the loading screen shows, in the order the game first needs them.
#pragma once

#include <string>

namespace assetgen {

// Writes first.data and rest.data under webDir, each the listed files one after another (gzip
// where that makes one much smaller), and packs.json, which names every file's place in them,
// with a 1 after the compressed ones:
//   {"first.data":{"size":N,"files":[["/gfx/titlebkg.png",START,END],...]},"rest.data":{...}}
// A file of the browser's own under webDir (an effect as Ogg Vorbis, the loading screen's
// picture as JPEG, which this writes) is packed in place of the run folder's. Throws
// std::runtime_error on failure.
void PackForBrowser(const std::string& runDir, const std::string& webDir);

}  // namespace assetgen
