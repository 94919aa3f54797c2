#include "platform/sdl/sdl_picture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cctype>
#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstring>

namespace {

bool EndsWithDds(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".dds";
}

bool DecodeWithSdlImage(const std::vector<uint8_t>& bytes, DecodedImage& out, std::string& error) {
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_Surface* loaded = source ? IMG_Load_RW(source, 1) : nullptr;
    if (loaded == nullptr) {
        error = IMG_GetError();
        return false;
    }
    SDL_Surface* argb = SDL_ConvertSurfaceFormat(loaded, SDL_PIXELFORMAT_ARGB8888, 0);
    SDL_FreeSurface(loaded);
    if (argb == nullptr) {
        error = SDL_GetError();
        return false;
    }
    out.Width = argb->w;
    out.Height = argb->h;
    out.Pixels.resize(static_cast<size_t>(argb->w) * static_cast<size_t>(argb->h));
    SDL_LockSurface(argb);
    for (int y = 0; y < argb->h; ++y) {
        const auto* row = static_cast<const uint8_t*>(argb->pixels) + y * argb->pitch;
        std::memcpy(&out.Pixels[static_cast<size_t>(y) * static_cast<size_t>(argb->w)], row,
                    static_cast<size_t>(argb->w) * 4);
    }
    SDL_UnlockSurface(argb);
    SDL_FreeSurface(argb);
    return true;
}

}  // namespace

bool ReadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, std::string& error) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (file == nullptr) {
        error = std::strerror(errno);
        return false;
    }
    bytes.clear();
    uint8_t chunk[65536];
    size_t got;
    while ((got = std::fread(chunk, 1, sizeof chunk, file)) > 0) {
        bytes.insert(bytes.end(), chunk, chunk + got);
    }
    const bool failed = std::ferror(file) != 0;
    if (failed) error = std::strerror(errno);
    std::fclose(file);
    return !failed;
}

void KeyOutMagenta(std::vector<uint32_t>& pixels) {
    for (uint32_t& pixel : pixels) {
        if (pixel == ColourKey) pixel = 0;
    }
}

std::string LinuxPath(const char* file) {
    std::string path = file;
    for (char& c : path) {
        if (c == '\\') c = '/';
    }
    return path;
}

bool ReadPicture(const std::string& path, DecodedImage& out, std::string& error) {
    out = DecodedImage{};
    std::vector<uint8_t> bytes;
    if (!ReadWholeFile(path, bytes, error)) return false;
    const bool ddsSignature = bytes.size() >= 4 && std::memcmp(bytes.data(), "DDS ", 4) == 0;
    if (ddsSignature || EndsWithDds(path)) return DecodeDds(bytes.data(), bytes.size(), out, error);
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        error = "file too large";
        return false;
    }
    return DecodeWithSdlImage(bytes, out, error);
}
