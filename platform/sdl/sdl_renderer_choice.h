// Which window and renderer draw the game at the least cost on this machine, found out without a
// second window: the game's own window is made once, for OpenGL only where OpenGL may be real.
// What the window system offers is the host's to tell (host.h); the names are read here.
#pragma once

#include <string>

// The text in lower case.
std::string LowerCase(const char* text);

// True when an OpenGL renderer's name is one of the software rasterizers (Mesa's llvmpipe,
// softpipe or swrast, Chromium's SwiftShader, Windows' own "GDI Generic"), or empty.
bool NamesSoftwareRasterizer(const std::string& rendererName);

// True when SDL's renderer of this name draws through OpenGL.
bool NamesOpenGl(const char* rendererName);

// The index of SDL's renderer of this name, or -1.
int RendererIndex(const char* name);
