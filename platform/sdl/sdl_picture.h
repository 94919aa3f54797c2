// Picture files read into 32-bit pixels, with the game's transparency rule applied.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/dds.h"

// Opaque magenta marks the see-through parts of every picture.
constexpr uint32_t ColourKey = 0xFFFF00FF;

// Every opaque magenta pixel becomes transparent black; nothing else changes.
void KeyOutMagenta(std::vector<uint32_t>& pixels);

// The game names its files the Windows way; backslashes become slashes, nothing else changes.
std::string LinuxPath(const char* file);

// Reads a PNG or JPEG file (through SDL_image) or a DDS file (ours) as 0xAARRGGBB pixels, opaque
// magenta keyed out. False with the reason in `error` when the file cannot be used.
bool ReadPicture(const std::string& path, DecodedImage& out, std::string& error);
// The same from the file's bytes as read (`path` names the file, whose ending may say DDS).
bool DecodePicture(const std::string& path, const std::string& bytes, DecodedImage& out,
                   std::string& error);
// Reads the file and makes its pixels, only to see that they can be made: the file as read, with
// the picture's size in `size` (and no pixels), or null with the reason in `error`.
std::shared_ptr<const std::string> CheckPicture(const std::string& path, DecodedImage& size,
                                                std::string& error);
