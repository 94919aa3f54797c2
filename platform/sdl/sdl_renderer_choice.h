// Which window and renderer draw the game at the least cost on this machine, found out without a
// second window: the game's own window is made once, for OpenGL only where OpenGL may be real.
#pragma once

#include <SDL.h>

// In the browser there is no window system to ask: the facts keep their defaults.
struct WindowSystemFacts {
    bool X11 = false;
    // The X server offers direct rendering (DRI2 or DRI3). Without it OpenGL can only be a
    // software rasterizer, so it is not even loaded.
    bool DirectRendering = true;
    // A window manager runs. Without one, a full-screen request is never confirmed and SDL
    // waits for the confirmation; a borderless window of the desktop's size is the same picture.
    bool WindowManager = true;
};

WindowSystemFacts LookAtWindowSystem();

// True when the OpenGL behind `window` (made with SDL_WINDOW_OPENGL) draws in software: its
// renderer string names llvmpipe, softpipe or swrast (in the browser, WebGL's names
// SwiftShader). Also true when no context can be made.
bool OpenGlIsSoftware(SDL_Window* window);

// True where an OpenGL renderer's presents can be made to wait for the display's refresh (the
// desktop); the browser shows the canvas at its own refresh.
bool PresentsWaitForRefresh();

// True when SDL's renderer of this name draws through OpenGL.
bool NamesOpenGl(const char* rendererName);

// The index of SDL's renderer of this name, or -1.
int RendererIndex(const char* name);
