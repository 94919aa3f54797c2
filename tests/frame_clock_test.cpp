// The frame clock driven by a scripted clock: simulated displays of several refresh rates, with
// and without vsync, a few milliseconds of work per frame and sleeps that wake a little late.
#include "platform/frame_clock.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

namespace {

constexpr int64_t Ms = FrameClock::Millisecond;
constexpr int64_t Second = FrameClock::Second;

struct SimulatedDisplay {
    double RefreshHz = 0;  // 0: presents return at once (no vsync, or a virtual display)
    bool PacedByRefresh = false;
    int64_t StallAt = -1;  // one frame's work takes StallFor from this moment on
    int64_t StallFor = 0;
};

// Runs the game's loop for `seconds` of simulated time; returns the moment of every present.
std::vector<int64_t> RunGameLoop(const SimulatedDisplay& display, int64_t seconds) {
    FrameClock clock(display.PacedByRefresh);
    uint32_t random = 12345;
    auto next = [&random](int64_t below) {
        random = random * 1103515245u + 12345u;
        return static_cast<int64_t>((random >> 8) % static_cast<uint32_t>(below));
    };
    // The refresh starts at an odd moment, as a real display's would.
    const double refresh = display.RefreshHz > 0 ? Second / display.RefreshHz : 0;
    const int64_t phase = 3 * Ms + 217'000;
    std::vector<int64_t> presents;
    int64_t now = 5 * Second + 123'456;
    bool stalled = false;
    while (now < 5 * Second + seconds * Second) {
        now += 1 * Ms + next(3 * Ms);  // polling, the game's logic and drawing
        if (!stalled && display.StallAt >= 0 && now >= display.StallAt) {
            now += display.StallFor;
            stalled = true;
        }
        if (refresh > 0) {  // the present waits for the next refresh
            const double k = std::ceil((now - phase) / refresh);
            now = phase + static_cast<int64_t>(k * refresh);
        }
        presents.push_back(now);
        const int64_t begin = clock.NextFrameAt(now);
        if (begin > now) now = begin;
        now += next(150'000);  // a sleep wakes up to 0.15 ms late
    }
    return presents;
}

int64_t CountBetween(const std::vector<int64_t>& presents, int64_t from, int64_t to) {
    return std::count_if(presents.begin(), presents.end(),
                         [&](int64_t t) { return t >= from && t < to; });
}

// Every 10 s of ten simulated minutes holds 60 +- 0.5 frames a second, and the whole run holds
// `expectedTotal` frames (no drift).
void ExpectSteadyRate(const SimulatedDisplay& display, double rate) {
    const std::vector<int64_t> presents = RunGameLoop(display, 600);
    const int64_t start = presents.front();
    for (int64_t window = 0; window + 10 * Second <= 600 * Second - Second; window += 10 * Second) {
        const int64_t count = CountBetween(presents, start + window, start + window + 10 * Second);
        EXPECT_NEAR(count / 10.0, rate, 0.5) << "from second " << window / Second;
    }
    const int64_t total = CountBetween(presents, start, start + 590 * Second);
    EXPECT_NEAR(static_cast<double>(total), rate * 590, 2.0) << "drift over ten minutes";
}

TEST(FrameClockTest, SixtyFramesASecondOnASixtyHertzDisplayThroughItsRefresh) {
    ExpectSteadyRate({.RefreshHz = 60.0, .PacedByRefresh = true}, 60.0);
    // A "60 Hz" display that really runs a little slow is followed, not fought.
    ExpectSteadyRate({.RefreshHz = 59.94, .PacedByRefresh = true}, 59.94);
}

TEST(FrameClockTest, SixtyFramesASecondOnFasterDisplaysWithVsync) {
    ExpectSteadyRate({.RefreshHz = 144.0}, 60.0);
    ExpectSteadyRate({.RefreshHz = 240.0}, 60.0);
    ExpectSteadyRate({.RefreshHz = 75.0}, 60.0);
}

TEST(FrameClockTest, SixtyFramesASecondWithoutVsync) {
    ExpectSteadyRate({}, 60.0);
}

TEST(FrameClockTest, DeadlinesLieOnWholeMillisecondsSixtyInEverySecond) {
    FrameClock clock;
    int64_t now = 7 * Ms + 400'000;
    std::vector<int64_t> begins;
    for (int i = 0; i < 121; ++i) {
        const int64_t begin = clock.NextFrameAt(now);
        begins.push_back(begin);
        now = begin + 2 * Ms;
    }
    for (size_t i = 1; i < begins.size(); ++i) {
        EXPECT_EQ(begins[i] % Ms, 0);
        const int64_t gap = begins[i] - begins[i - 1];
        EXPECT_TRUE(gap == 16 * Ms || gap == 17 * Ms) << gap;
    }
    EXPECT_EQ(begins[60] - begins[0], Second);
    EXPECT_EQ(begins[120] - begins[60], Second);
}

TEST(FrameClockTest, ALateFrameIsNotMadeUpByABurst) {
    for (const SimulatedDisplay base :
         {SimulatedDisplay{}, SimulatedDisplay{.RefreshHz = 144.0},
          SimulatedDisplay{.RefreshHz = 60.0, .PacedByRefresh = true}}) {
        SimulatedDisplay display = base;
        display.StallAt = 5 * Second + 3 * Second;
        display.StallFor = 250 * Ms;
        const std::vector<int64_t> presents = RunGameLoop(display, 6);
        const auto after = std::find_if(presents.begin(), presents.end(),
                                        [&](int64_t t) { return t > display.StallAt; });
        ASSERT_NE(after, presents.end());
        // The second after the stall holds no more frames than any other.
        EXPECT_LE(CountBetween(presents, *after, *after + Second), 61) << base.RefreshHz;
        // And no two frames after the first come closer than a refresh to each other.
        for (auto it = after + 2; it != presents.end(); ++it) {
            EXPECT_GE(*it - *(it - 1), 6 * Ms) << base.RefreshHz;
        }
    }
}

}  // namespace
