#include "platform/frame_clock.h"

namespace {

int64_t CeilToMillisecond(int64_t t) {
    const int64_t ms = FrameClock::Millisecond;
    const int64_t whole = t >= 0 ? (t + ms - 1) / ms : t / ms;
    return whole * ms;
}

}  // namespace

int64_t FrameClock::NextFrameAt(int64_t now) {
    if (!Started) {
        // The first present fixes the origin; the next frame is due a period later.
        Started = true;
        Origin = CeilToMillisecond(now);
        FrameIndex = 1;
        FrameBegan = Deadline(FrameIndex);
        return FrameBegan;
    }
    const int64_t frameTook = now - FrameBegan;
    if (RefreshPaces && frameTook >= Period - RefreshTolerance) {
        // The present waited for the refresh (or the frame ran late): the refresh is the clock.
        Origin = now;
        FrameIndex = 0;
        FrameBegan = now;
        return now;
    }
    FrameIndex += 1;
    if (now >= Deadline(FrameIndex) + Period) {
        // Later than a whole period: on to the first deadline after now, with no burst.
        FrameIndex = (now - Origin) / Millisecond * Rate / 1000;
        while (Deadline(FrameIndex) <= now) FrameIndex += 1;
    }
    const int64_t next = Deadline(FrameIndex);
    FrameBegan = next > now ? next : now;
    return next;
}
