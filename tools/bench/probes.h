// The benchmark's own probes of the real program in a virtual display: keys pressed through XTest
// and the window's presents watched through XDamage, with the X server's times of each present.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

struct _XDisplay;

// Presses Return in the title menu and times the fades that follow: the title's fade-out (129
// frames, then the 500 ms pause) and the game's fade-in (86 frames). Returns their frames per
// second, counted from the presents; 0 when the presents cannot be told apart.
double TimeFadesAfterReturn(_XDisplay* display, unsigned long window);

// Presses Down and Up in turn, `presses` times, at random moments in the standing title menu, and
// returns for each the milliseconds from the key to the first present that shows the moved
// highlight. A press whose picture never comes within half a second is left out.
std::vector<double> ProbeKeyToPicture(_XDisplay* display, unsigned long window, int presses);

// The frames per second the HUD shows during play (the game's own count of the last second's
// frames, two digits at the top left), read off the screen; -1 when the window does not show the
// picture at its own size or the digits are not there.
class HudFrameRate {
  public:
    // The digit pictures from `fontFolder` ("gfx/font").
    explicit HudFrameRate(const std::string& fontFolder);
    int Read(_XDisplay* display, unsigned long window) const;

  private:
    struct Digit {
        int Width = 0, Height = 0;
        std::vector<uint32_t> Pixels;  // 0xAARRGGBB, magenta keyed out
    };
    std::vector<Digit> Digits;
};
