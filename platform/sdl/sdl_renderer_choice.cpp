#include "platform/sdl/sdl_renderer_choice.h"

#include <X11/Xatom.h>
#include <X11/Xlib.h>

#include <cctype>
#include <cstring>
#include <string>

namespace {

std::string Lower(const char* text) {
    std::string lower = text != nullptr ? text : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

int IgnoreXError(Display*, XErrorEvent*) {
    return 0;
}

bool HasWindowManager(Display* display) {
    const Atom check = XInternAtom(display, "_NET_SUPPORTING_WM_CHECK", True);
    if (check == None) return false;
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    const int status = XGetWindowProperty(display, DefaultRootWindow(display), check, 0, 1, False,
                                          XA_WINDOW, &type, &format, &count, &after, &data);
    const bool found = status == Success && type == XA_WINDOW && count == 1 && data != nullptr;
    if (data != nullptr) XFree(data);
    return found;
}

}  // namespace

WindowSystemFacts LookAtWindowSystem() {
    WindowSystemFacts facts;
    const char* driver = SDL_GetCurrentVideoDriver();
    if (driver == nullptr || std::strcmp(driver, "x11") != 0) return facts;
    Display* display = XOpenDisplay(nullptr);
    if (display == nullptr) return facts;
    facts.X11 = true;
    int (*previous)(Display*, XErrorEvent*) = XSetErrorHandler(IgnoreXError);
    int opcode = 0, event = 0, error = 0;
    facts.DirectRendering = XQueryExtension(display, "DRI3", &opcode, &event, &error) ||
                            XQueryExtension(display, "DRI2", &opcode, &event, &error);
    facts.WindowManager = HasWindowManager(display);
    XSetErrorHandler(previous);
    XCloseDisplay(display);
    return facts;
}

bool OpenGlIsSoftware(SDL_Window* window) {
    SDL_GLContext context = SDL_GL_CreateContext(window);
    if (context == nullptr) return true;
    using GetString = const unsigned char* (*)(unsigned int);
    constexpr unsigned int GlRenderer = 0x1F01;
    auto getString = reinterpret_cast<GetString>(SDL_GL_GetProcAddress("glGetString"));
    const unsigned char* name = getString != nullptr ? getString(GlRenderer) : nullptr;
    const std::string renderer = Lower(reinterpret_cast<const char*>(name));
    SDL_GL_DeleteContext(context);
    return renderer.empty() || renderer.find("llvmpipe") != std::string::npos ||
           renderer.find("softpipe") != std::string::npos ||
           renderer.find("swrast") != std::string::npos;
}

bool NamesOpenGl(const char* rendererName) {
    return Lower(rendererName).rfind("opengl", 0) == 0;
}

int RendererIndex(const char* name) {
    const int count = SDL_GetNumRenderDrivers();
    for (int i = 0; i < count; ++i) {
        SDL_RendererInfo info{};
        if (SDL_GetRenderDriverInfo(i, &info) == 0 && Lower(info.name) == Lower(name)) return i;
    }
    return -1;
}
