// The machine's current local time: it must agree with Qt's local time in any
// zone, half-hour and quarter-hour offsets and zones a day away from UTC
// included, to the millisecond.
#include "common/DateTime.h"

#include <QByteArray>
#include <QDateTime>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace velta;

namespace {

constexpr double kMillisecond = 1.0 / 86400000.0;

// Sets TZ for a scope and has the C library take it up at once.
class ScopedZone {
public:
    explicit ScopedZone(const char* zone)
    {
        const char* old = std::getenv("TZ");
        hadOld_ = old != nullptr;
        if (hadOld_)
            old_ = old;
        ::setenv("TZ", zone, 1);
        ::tzset();
    }
    ~ScopedZone()
    {
        if (hadOld_)
            ::setenv("TZ", old_.constData(), 1);
        else
            ::unsetenv("TZ");
        ::tzset();
    }
    ScopedZone(const ScopedZone&) = delete;
    ScopedZone& operator=(const ScopedZone&) = delete;

private:
    bool hadOld_ = false;
    QByteArray old_;
};

// SystemNow taken between two readings of Qt's local time.
void expectBetweenQtReadings()
{
    const TDateTime before = fromQDateTime(QDateTime::currentDateTime());
    const TDateTime now = SystemNow();
    const TDateTime after = fromQDateTime(QDateTime::currentDateTime());
    EXPECT_GE(now, before - kMillisecond);
    EXPECT_LE(now, after + kMillisecond);
    EXPECT_LT(after - before, 1000 * kMillisecond) << "the machine stalled; the bracket says nothing";
}

} // namespace

TEST(SystemNow, AgreesWithQtLocalTimeInEveryKindOfZone)
{
    // POSIX zone strings need no zone database: whole, half and quarter hours,
    // both sides of UTC, a zone whose date differs from UTC's for half of the
    // day, and one with daylight saving rules.
    for (const char* zone : {"UTC0", "<+0545>-5:45", "<-0330>3:30", "<+14>-14", "<-12>12",
                             "EST5EDT,M3.2.0,M11.1.0", "<+03>-3"}) {
        SCOPED_TRACE(zone);
        ScopedZone scoped(zone);
        expectBetweenQtReadings();
    }
}

TEST(SystemNow, FollowsAZoneChangeAtOnceWhenTheZoneIsReread)
{
    TDateTime east = 0;
    TDateTime west = 0;
    {
        ScopedZone scoped("<+10>-10");
        east = SystemNow();
    }
    {
        ScopedZone scoped("<-10>10");
        west = SystemNow();
    }
    // Twenty hours apart, give or take the moments between the calls.
    EXPECT_NEAR(east - west, 20.0 / 24.0, 1000 * kMillisecond);
}

TEST(SystemNow, KeepsMillisecondsAndStaysWithinOneDayOfUtc)
{
    ScopedZone scoped("UTC0");
    const TDateTime utc = fromQDateTime(QDateTime::currentDateTimeUtc());
    const TDateTime now = SystemNow();
    EXPECT_NEAR(now, utc, 1000 * kMillisecond);
    // Readings a few milliseconds apart are not all stuck on whole seconds.
    bool sawMilliseconds = false;
    for (int i = 0; i < 50 && !sawMilliseconds; ++i) {
        int h = 0, m = 0, s = 0, ms = 0;
        DecodeTime(SystemNow(), h, m, s, ms);
        sawMilliseconds = ms != 0;
        struct timespec pause {0, 3000000};
        ::nanosleep(&pause, nullptr);
    }
    EXPECT_TRUE(sawMilliseconds);
}
