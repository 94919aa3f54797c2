#include "platform/sdl/sdl_renderer_choice.h"

#include <cctype>
#include <cstdlib>
#include <cstring>
#include <string>

#if ZANTORVIX_BROWSER
#include <emscripten.h>
#else
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#endif

namespace {

std::string Lower(const char* text) {
    std::string lower = text != nullptr ? text : "";
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

bool NamesSoftwareRasterizer(const std::string& renderer) {
    return renderer.empty() || renderer.find("llvmpipe") != std::string::npos ||
           renderer.find("softpipe") != std::string::npos ||
           renderer.find("swrast") != std::string::npos ||
           renderer.find("swiftshader") != std::string::npos;
}

}  // namespace

#if ZANTORVIX_BROWSER

namespace {

// The renderer behind the browser's WebGL, as far as the browser tells; "" without WebGL.
// clang-format off
EM_JS(char*, BrowserWebGlRenderer, (), {
    let name = "";
    try {
        const gl = document.createElement("canvas").getContext("webgl");
        if (gl) {
            const info = gl.getExtension("WEBGL_debug_renderer_info");
            name = String(gl.getParameter(info ? info.UNMASKED_RENDERER_WEBGL : gl.RENDERER));
            const lose = gl.getExtension("WEBGL_lose_context");
            if (lose) lose.loseContext();
        }
    } catch (e) {
        name = "";
    }
    const size = lengthBytesUTF8(name) + 1;
    const text = _malloc(size);
    stringToUTF8(name, text, size);
    return text;
});
// clang-format on

}  // namespace

WindowSystemFacts LookAtWindowSystem() {
    // The page's canvas: no X server to ask, and WebGL stands in for direct rendering.
    return WindowSystemFacts{};
}

bool OpenGlIsSoftware(SDL_Window*) {
    // The browser's WebGL stays what it is for the whole run: asked once.
    static const bool software = [] {
        char* name = BrowserWebGlRenderer();
        const std::string renderer = Lower(name);
        std::free(name);
        return NamesSoftwareRasterizer(renderer);
    }();
    return software;
}

bool PresentsWaitForRefresh() {
    // The browser shows the canvas at its own refresh; there is no swap interval to set.
    return false;
}

#else

namespace {

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
    return NamesSoftwareRasterizer(renderer);
}

bool PresentsWaitForRefresh() {
    return true;
}

#endif

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
