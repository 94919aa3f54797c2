// The renderer and the Sprite: every picture is one textured rectangle, drawn unscaled at an
// integer position and tinted by a 32-bit ARGB colour multiplied into its texels.
#pragma once

#include <cstdint>

#include "platform/platform.h"

// Opens the window (full screen, or as the player last chose) and its renderer. Returns false
// when there is no display.
bool CreateRenderer();
void ReleaseRenderer();
void BeginFrame();  // begin and clear to black
void EndFrame();    // end and present; throws WindowClosed once the window was closed

// A hint that the picture will be loaded soon: the platform may start reading it meanwhile.
void PreparePicture(const char* file);

struct Sprite {
    const char* Name = nullptr;  // the file it came from (the caller's constant text)
    TextureId Texture = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    // A missing or unreadable picture leaves an empty sprite (size 0) that draws nothing.
    // Throws WindowClosed once the window was closed.
    void Load(const char* name);
    void Draw(int32_t x, int32_t y, uint32_t colour) const;
    void Release();
};
