#include "plugin/platform/Clock.h"
#include "plugin/platform/Sound.h"

#include <gtest/gtest.h>

using namespace velta;

TEST(ClockInstall, ScopedClockReplacesAndRestoresTheSystemClock)
{
    Clock& system = Clock::current();
    ManualClock manual;
    {
        ScopedClock scope(manual);
        EXPECT_EQ(&Clock::current(), &manual);
        Clock::current().sleep(1500);
        EXPECT_EQ(manual.tickCount(), 1500);
    }
    EXPECT_EQ(&Clock::current(), &system);
}

TEST(ClockSystem, TicksAreMonotonicAndSleepWaits)
{
    Clock& clock = Clock::current();
    const auto before = clock.tickCount();
    clock.sleep(20);
    const auto after = clock.tickCount();
    EXPECT_GE(after - before, 20);
}

TEST(SoundInstall, RecordingSoundCountsAndSystemToneTakesItsTime)
{
    RecordingSound recorder;
    {
        ScopedSound scope(recorder);
        Sound::current().beep();
        Sound::current().tone(800, 150);
    }
    EXPECT_EQ(recorder.beeps, 1);
    ASSERT_EQ(recorder.tones.size(), 1u);
    EXPECT_EQ(recorder.tones[0].frequencyHz, 800);

    // The system speaker's tone lasts as long as asked, on the clock in force.
    ManualClock manual;
    ScopedClock clockScope(manual);
    Sound::current().beep();
    Sound::current().tone(440, 250);
    EXPECT_EQ(manual.tickCount(), 250);
    EXPECT_EQ(recorder.beeps, 1);
}
