// Sixty frames a second on any display. The clock decides when each frame may begin, given the
// moment its present returned: on deadlines 1/60 s apart from a fixed origin, so that the game's
// frame-counted fades, menu repeats and volume steps run at the speed they were made for, whatever
// the display's refresh.
#pragma once

#include <cstdint>

class FrameClock {
  public:
    static constexpr int64_t Rate = 60;  // frames a second
    static constexpr int64_t Millisecond = 1'000'000;
    static constexpr int64_t Second = 1'000 * Millisecond;
    static constexpr int64_t Period = Second / Rate;  // 16.67 ms, rounded down to the nanosecond
    // How far from a whole period a present on a 60 Hz display may return and still count as
    // having waited for the refresh.
    static constexpr int64_t RefreshTolerance = 2 * Millisecond;

    // `refreshPaces`: the presents wait for the refresh of a display of about 60 Hz. Each present
    // that returns about a period after its frame began then starts the next frame at once, so
    // the frames follow the display's own refresh and never miss one by waiting for a deadline
    // out of step with it. Everywhere else (other refresh rates, no vsync, a virtual display) the
    // clock's deadlines set the pace, and a present that waits for a faster refresh only adds
    // its short wait inside the frame.
    explicit FrameClock(bool refreshPaces = false) : RefreshPaces(refreshPaces) {}
    bool PacedByRefresh() const { return RefreshPaces; }

    // Called right after a present returned at `now` (nanoseconds of a steady clock). Returns the
    // moment the next frame may begin; the caller sleeps until then (no sleep if it has passed).
    //
    // The deadlines lie on whole milliseconds of that clock, 16 or 17 ms apart, exactly 60 in
    // every second, so a game that counts its frames by a millisecond clock counts 60 a second.
    // A frame later than a whole period is not made up by a burst of fast ones: the next one is
    // due at the first deadline after now.
    int64_t NextFrameAt(int64_t now);

  private:
    int64_t Deadline(int64_t frame) const { return Origin + frame * 1000 / Rate * Millisecond; }

    bool RefreshPaces;
    bool Started = false;
    int64_t Origin = 0;      // a whole millisecond
    int64_t FrameIndex = 0;  // of the deadline last handed out
    int64_t FrameBegan = 0;  // when the frame that just ended was allowed to begin
};
