#include "browser_packs.h"

#include <SDL_image.h>
#include <zlib.h>

#include <filesystem>
#include <fstream>
#include <iterator>
#include <memory>
#include <stdexcept>
#include <vector>

#include "game/assets.h"

namespace assetgen {
namespace {

struct Pack {
    const char* Name;
    std::vector<std::string> Files;  // run-folder paths, in the order the game loads them
};

// The first pack holds what the loading screen shows (and the window's icon, read as the window
// opens); the rest follow in the order the game loads them behind it, except the tunes, which
// the page reads only when they first play: they come last, in that order.
std::vector<Pack> PacksInLoadingOrder() {
    Pack first{"first.data", {}};
    Pack rest{"rest.data", {}};
    first.Files.push_back(RunFolderPath(TitlePicture.Name));
    for (const PictureFile& letter : LetterPictures)
        first.Files.push_back(RunFolderPath(letter.Name));
    first.Files.push_back(RunFolderPath(IconPicture.Name));
    for (const PictureFile& picture : EveryPicture) {
        const std::string path = RunFolderPath(picture.Name);
        bool inFirst = false;
        for (const std::string& taken : first.Files) inFirst = inFirst || taken == path;
        if (!inFirst) rest.Files.push_back(path);
    }
    constexpr SoundSlot Tunes[] = {SoundTitleMusic, SoundGameMusic, SoundGameMusicLoop};
    for (int slot = 0; slot < SoundSlotCount; ++slot) {
        bool tune = false;
        for (const SoundSlot t : Tunes) tune = tune || t == slot;
        if (!tune) rest.Files.push_back(RunFolderPath(SoundFiles[slot]));
    }
    for (const SoundSlot slot : Tunes) rest.Files.push_back(RunFolderPath(SoundFiles[slot]));
    return {first, rest};
}

std::string ReadAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    if (!in) throw std::runtime_error("cannot read " + path + " to pack it for the browser");
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The file as gzip, the same bytes on every run (no name, no time in the header).
std::string Gzipped(const std::string& bytes) {
    z_stream stream{};
    if (deflateInit2(&stream, Z_BEST_COMPRESSION, Z_DEFLATED, 15 + 16, 9, Z_DEFAULT_STRATEGY) !=
        Z_OK) {
        throw std::runtime_error("zlib cannot compress");
    }
    std::string out(deflateBound(&stream, bytes.size()), '\0');
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(bytes.data()));
    stream.avail_in = static_cast<uInt>(bytes.size());
    stream.next_out = reinterpret_cast<Bytef*>(out.data());
    stream.avail_out = static_cast<uInt>(out.size());
    const int result = deflate(&stream, Z_FINISH);
    out.resize(stream.total_out);
    deflateEnd(&stream);
    if (result != Z_STREAM_END) throw std::runtime_error("zlib cannot compress");
    return out;
}

void WriteAll(const std::string& path, const std::string& bytes) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out.flush()) throw std::runtime_error("cannot write " + path);
}

// The loading screen's picture is the bulk of the first pack, and a PNG only because the desktop
// keeps it lossless: the page's copy is a JPEG of it at quality 95, a third of the size and the
// same to the eye, under the name the game asks for (SDL_image tells the format by the bytes).
// Kept only if no pixel of it decodes to the magenta the game makes transparent.
void WriteBrowserTitle(const std::string& runDir, const std::string& webDir) {
    const std::string name = RunFolderPath(TitlePicture.Name);
    const std::string path = webDir + "/" + name;
    std::filesystem::create_directories(std::filesystem::path(path).parent_path());
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> title(
        IMG_Load((runDir + "/" + name).c_str()), SDL_FreeSurface);
    if (!title || IMG_SaveJPG(title.get(), path.c_str(), 95) != 0) {
        throw std::runtime_error("cannot write " + path + ": " + SDL_GetError());
    }
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> read(IMG_Load(path.c_str()),
                                                              SDL_FreeSurface);
    std::unique_ptr<SDL_Surface, void (*)(SDL_Surface*)> back(
        read ? SDL_ConvertSurfaceFormat(read.get(), SDL_PIXELFORMAT_ARGB8888, 0) : nullptr,
        SDL_FreeSurface);
    bool keyed = !back;
    for (int y = 0; back && !keyed && y < back->h; ++y) {
        const auto* row = reinterpret_cast<const uint32_t*>(
            static_cast<const uint8_t*>(back->pixels) + y * back->pitch);
        for (int x = 0; x < back->w && !keyed; ++x) keyed = (row[x] & 0xFFFFFF) == 0xFF00FF;
    }
    if (keyed) std::filesystem::remove(path);
}

}  // namespace

void PackForBrowser(const std::string& runDir, const std::string& webDir) {
    WriteBrowserTitle(runDir, webDir);
    std::string index = "{";
    for (const Pack& pack : PacksInLoadingOrder()) {
        std::string bytes;
        std::string files;
        for (const std::string& path : pack.Files) {
            // The browser's own copy of a file, where it has one.
            const std::string own = webDir + "/" + path;
            std::string file = ReadAll(std::filesystem::exists(own) ? own : runDir + "/" + path);
            // Compressed where that pays (the HUD's DDS shrinks to a sixtieth), so that the
            // packs come small from a host that does not compress them itself.
            std::string packed = Gzipped(file);
            const bool compressed = packed.size() < file.size() / 10 * 9;
            if (!compressed) packed = std::move(file);
            files += std::string(files.empty() ? "" : ",") + "[\"/" + path + "\"," +
                     std::to_string(bytes.size()) + "," +
                     std::to_string(bytes.size() + packed.size()) + (compressed ? ",1]" : "]");
            bytes += packed;
        }
        WriteAll(webDir + "/" + pack.Name, bytes);
        index += std::string(index.size() > 1 ? "," : "") + "\"" + pack.Name +
                 "\":{\"size\":" + std::to_string(bytes.size()) + ",\"files\":[" + files + "]}";
    }
    WriteAll(webDir + "/packs.json", index + "}\n");
}

}  // namespace assetgen
