// The real program run in a virtual X display of the benchmark's own, driven with real keys, its
// CPU time read from /proc and its presents counted as the X server sees them.
#pragma once

#include <sys/types.h>

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "virtual_display.h"

int64_t MonotonicNs();
// CPU time of a whole process, every thread included, in nanoseconds.
int64_t ProcessCpuNs(pid_t pid);

// A folder that looks like the game's: links to the gfx/ and sfx/ of the folder the benchmark
// runs in, so that the files the game writes land somewhere of their own.
std::filesystem::path MakeGameFolder();

struct SessionFigures {
    bool Ok = false;
    double MenuCpuMs = 0;     // CPU per second in the title menu
    double PlayCpuMs = 0;     // CPU per second during play
    double PlayFps = 0;       // frames per second during play, as the HUD counts them
    double PlayPresents = 0;  // presents per second during play: the frames that changed
    double MenuPresents = 0;  // presents per second in the title menu
    double ServerCpuMs = 0;   // the X server's CPU per second during play
    double FadeFps = 0;       // presents per second through the title's fade-out and play's fade-in
    std::vector<double> KeyToPictureMs;  // a key in the title menu to the present that shows it
};

// One run of the real program: 10 s in the title menu, 40 presses of Down and Up there, Return
// and the fades, then 10 s of play with a key every quarter second (left, turn, right, drop).
SessionFigures RunSession(const VirtualDisplay& display);
