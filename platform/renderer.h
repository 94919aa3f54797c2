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
// The same for a picture that Sprite::LoadOnDemand will load.
void PreparePictureOnDemand(const char* file);

struct Sprite {
    const char* Name = nullptr;  // the file it came from (the caller's constant text)
    TextureId Texture = 0;
    int32_t Width = 0;
    int32_t Height = 0;

    // A missing or unreadable picture leaves an empty sprite (size 0) that draws nothing.
    // Throws WindowClosed once the window was closed.
    void Load(const char* name);
    // For a picture of which only one or two of its kind are drawn at a time: read and checked
    // now, its pixels made while it is wanted.
    void LoadOnDemand(const char* name);
    // Whether it will be drawn soon; a picture loaded on demand is not wanted until told.
    void Want(bool wanted) const;
    void Draw(int32_t x, int32_t y, uint32_t colour) const;
    void Release();
};
