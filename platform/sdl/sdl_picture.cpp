#include "platform/sdl/sdl_picture.h"

#include <SDL.h>
#include <SDL_image.h>

#include <cctype>
#include <cstdint>
#include <cstring>

#include "platform/file.h"

namespace {

bool EndsWithDds(const std::string& path) {
    if (path.size() < 4) return false;
    std::string end = path.substr(path.size() - 4);
    for (char& c : end) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return end == ".dds";
}

bool DecodeWithSdlImage(const std::string& bytes, DecodedImage& out, std::string& error) {
    SDL_RWops* source = SDL_RWFromConstMem(bytes.data(), static_cast<int>(bytes.size()));
    SDL_Surface* loaded = source ? IMG_Load_RW(source, 1) : nullptr;
    if (loaded == nullptr) {
        error = IMG_GetError();
        return false;
    }
    // Straight into the pixels where SDL can, without a converted copy of the whole picture.
    out.Width = loaded->w;
    out.Height = loaded->h;
    out.Pixels.resize(static_cast<size_t>(loaded->w) * static_cast<size_t>(loaded->h));
    SDL_LockSurface(loaded);
    const bool converted =
        SDL_ConvertPixels(loaded->w, loaded->h, loaded->format->format, loaded->pixels,
                          loaded->pitch, SDL_PIXELFORMAT_ARGB8888, out.Pixels.data(),
                          loaded->w * 4) == 0;
    SDL_UnlockSurface(loaded);
    if (converted) {
        SDL_FreeSurface(loaded);
        return true;
    }
    out = DecodedImage{};
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

bool DecodeBytes(const std::string& path, const std::string& bytes, DecodedImage& out,
                 std::string& error) {
    const bool ddsSignature = bytes.compare(0, 4, "DDS ") == 0;
    if (ddsSignature || EndsWithDds(path)) {
        return DecodeDds(reinterpret_cast<const uint8_t*>(bytes.data()), bytes.size(), out, error);
    }
    if (bytes.size() > static_cast<size_t>(INT32_MAX)) {
        error = "file too large";
        return false;
    }
    return DecodeWithSdlImage(bytes, out, error);
}

}  // namespace

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
    std::string bytes;
    if (ReadWholeFile(path.c_str(), bytes, error) != FileRead::Read) return false;
    return DecodePicture(path, bytes, out, error);
}

std::shared_ptr<const std::string> CheckPicture(const std::string& path, DecodedImage& size,
                                                std::string& error) {
    size = DecodedImage{};
    auto bytes = std::make_shared<std::string>();
    if (ReadWholeFile(path.c_str(), *bytes, error) != FileRead::Read ||
        !DecodeBytes(path, *bytes, size, error)) {
        return nullptr;
    }
    size.Pixels = std::vector<uint32_t>();  // the memory itself goes
    return bytes;
}

bool DecodePicture(const std::string& path, const std::string& bytes, DecodedImage& out,
                   std::string& error) {
    out = DecodedImage{};
    if (!DecodeBytes(path, bytes, out, error)) return false;
    KeyOutMagenta(out.Pixels);
    return true;
}
