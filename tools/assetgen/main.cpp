// Draws the pictures and composes the sounds of Zantorvix into a run folder:
//   zantorvix_assetgen RUN_DIR [ICON_DIR [WEB_DIR]]
// With ICON_DIR, the desktop's icons in every size go there too; with WEB_DIR, what the
// browser's copy has of its own: the effects as Ogg Vorbis, the installed page's icons, and
// every picture and sound packed for the page in two parts.
// The output is the same, byte for byte, on every run: all randomness comes from fixed seeds.
#include <chrono>
#include <cstdio>
#include <exception>
#include <string>
#include <thread>

#include "browser_packs.h"
#include "outputs.h"
#include "pictures.h"
#include "raster.h"
#include "sounds.h"

int main(int argc, char** argv) {
    if (argc < 2 || argc > 4) {
        std::fprintf(stderr, "usage: %s RUN_DIR [ICON_DIR [WEB_DIR]]\n", argv[0]);
        return 2;
    }
    const std::string runDir = argv[1];
    const std::string webDir = argc == 4 ? argv[3] : "";
    const auto start = std::chrono::steady_clock::now();
    try {
        assetgen::MakeOutputFolders(runDir);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "zantorvix_assetgen: %s\n", e.what());
        return 1;
    }

    // Pictures on this thread; the music, the slowest part, spread over worker threads.
    std::string soundError;
    std::thread sounds([&] {
        try {
            assetgen::MakeSounds(runDir, webDir);
        } catch (const std::exception& e) {
            soundError = e.what();
        }
    });
    std::string pictureError;
    try {
        assetgen::MakePictures(runDir);
        if (argc >= 3) assetgen::MakeDesktopIcons(argv[2]);
        if (!webDir.empty()) assetgen::MakeWebIcons(webDir);
    } catch (const std::exception& e) {
        pictureError = e.what();
    }
    sounds.join();
    assetgen::ReleaseFonts();

    for (const std::string* error : {&pictureError, &soundError}) {
        if (!error->empty()) {
            std::fprintf(stderr, "zantorvix_assetgen: %s\n", error->c_str());
            return 1;
        }
    }
    // The game would start without these, and show empty places or stay silent where they
    // belong: better that the build stops here.
    const std::string missing = assetgen::FilesNotWritten(runDir);
    if (!missing.empty()) {
        std::fprintf(stderr,
                     "zantorvix_assetgen: the game loads these, but none was made in %s:\n%s",
                     runDir.c_str(), missing.c_str());
        return 1;
    }
    if (!webDir.empty()) {
        try {
            assetgen::PackForBrowser(runDir, webDir);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "zantorvix_assetgen: %s\n", e.what());
            return 1;
        }
    }
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("zantorvix_assetgen: pictures and sounds written to %s in %.2f s\n", runDir.c_str(),
                seconds);
    return 0;
}
