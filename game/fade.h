// The fades: FadeLevel stays white and only its alpha byte moves, one step a frame.
#pragma once

#include <cstdint>
#include <functional>

// Alpha 0, 3, 6, ..., 252, 255: true once a frame at 255 has been shown.
bool FadeInStep();
// Alpha 255, 253, ..., 3, 1, 0: true once a frame at 0 has been shown.
bool FadeOutStep();

enum class FadeDirection : uint8_t { In, Out };

// The sleeps of a fade, in milliseconds (0: none at all): between two of its frames, and once its
// last frame is shown.
struct FadeWaits {
    int32_t BetweenFrames = 0;
    int32_t After = 0;
};

// One fade, from FadeLevel as it stands: `drawFrame` draws a whole frame at FadeLevel, and the
// step after each frame moves it on, until the frame at full strength (in) or at nothing (out)
// has been shown.
void RunFade(FadeDirection direction, const std::function<void()>& drawFrame, FadeWaits waits);
