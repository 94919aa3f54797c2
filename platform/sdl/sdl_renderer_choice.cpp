#include "platform/sdl/sdl_renderer_choice.h"

#include <SDL.h>

#include <cctype>

std::string LowerCase(const char* text) {
    std::string lower = text != nullptr ? text : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool NamesSoftwareRasterizer(const std::string& rendererName) {
    const std::string renderer = LowerCase(rendererName.c_str());
    return renderer.empty() || renderer.find("llvmpipe") != std::string::npos ||
           renderer.find("softpipe") != std::string::npos ||
           renderer.find("swrast") != std::string::npos ||
           renderer.find("swiftshader") != std::string::npos ||
           renderer.find("gdi generic") != std::string::npos;
}

bool NamesOpenGl(const char* rendererName) {
    return LowerCase(rendererName).rfind("opengl", 0) == 0;
}

int RendererIndex(const char* name) {
    const int count = SDL_GetNumRenderDrivers();
    for (int i = 0; i < count; ++i) {
        SDL_RendererInfo info{};
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && LowerCase(info.name) == LowerCase(name)) {
            return i;
        }
    }
    return -1;
}
