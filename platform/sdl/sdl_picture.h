// Picture files read into 32-bit pixels, with the game's transparency rule applied.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/dds.h"

// Opaque magenta marks the see-through parts of every picture.
constexpr uint32_t ColourKey = 0xFFFF00FF;

// Every opaque magenta pixel becomes transparent black; nothing else changes.
void KeyOutMagenta(std::vector<uint32_t>& pixels);

// The game names its files the Windows way; backslashes become slashes, nothing else changes.
std::string LinuxPath(const char* file);

// Reads a PNG or JPEG file (through SDL_image) or a DDS file (ours) as 0xAARRGGBB pixels,
// without the colour key. False with the reason in `error` when the file cannot be used.
bool ReadPicture(const std::string& path, DecodedImage& out, std::string& error);
