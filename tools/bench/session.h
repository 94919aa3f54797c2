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
    double PeakMb = 0;        // the game's peak resident memory, from its start to the end of play
    double MenuCpuMs = 0;     // CPU per second in the title menu
    double PlayCpuMs = 0;     // CPU per second during play
    double PlayFps = 0;       // frames per second during play, as the HUD counts them
    double PlayPresents = 0;  // presents per second during play: the frames that changed
    double MenuPresents = 0;  // presents per second in the title menu
    double ServerCpuMs = 0;   // the X server's CPU per second during play
    double HelperCpuMs = 0;   // the helper process's CPU per second during play (wineserver)
    double FadeFps = 0;       // presents per second through the title's fade-out and play's fade-in
    std::vector<double> KeyToPictureMs;  // a key in the title menu to the present that shows it
};

// How the game is started: a program and the arguments after its name; the Linux game by
// default. Under Wine the game is the program Wine starts, in the same process, and Wine's own
// server (wineserver) works beside it: `Helper` names that process.
struct GameCommand {
    std::string Program;
    std::vector<std::string> Arguments;
    std::string Helper;
};

// One run of the real program: 10 s in the title menu, 40 presses of Down and Up there, Return
// and the fades, then 10 s of play with a key every quarter second (left, turn, right, drop).
SessionFigures RunSession(const VirtualDisplay& display, const GameCommand& command = {});
