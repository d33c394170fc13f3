#pragma once
// Tick count, sleep and the current time, behind an interface tests replace.
#include "common/DateTime.h"

#include <cstdint>

namespace velta {

class Clock {
public:
    virtual ~Clock() = default;
    // Milliseconds since an arbitrary start, monotonic (GetTickCount).
    virtual std::int64_t tickCount() = 0;
    virtual void sleep(int milliseconds) = 0;
    // The current local date and time (Now).
    virtual TDateTime now() = 0;

    // The clock in force: the system clock unless a test installed another.
    static Clock& current();
    // Installs a clock (nullptr restores the system clock); the caller keeps ownership.
    static void install(Clock* clock);
};

// A clock that only moves when told: sleep advances it.
class ManualClock : public Clock {
public:
    std::int64_t tickCount() override { return ticks_; }
    void sleep(int milliseconds) override { ticks_ += milliseconds; now_ += milliseconds / 86400000.0; }
    TDateTime now() override { return now_; }
    void setNow(TDateTime value) { now_ = value; }
    void advance(int milliseconds) { sleep(milliseconds); }

private:
    std::int64_t ticks_ = 0;
    TDateTime now_ = 0;
};

// Installs a clock for a scope.
class ScopedClock {
public:
    explicit ScopedClock(Clock& clock) { Clock::install(&clock); }
    ~ScopedClock() { Clock::install(nullptr); }
    ScopedClock(const ScopedClock&) = delete;
    ScopedClock& operator=(const ScopedClock&) = delete;
};

} // namespace velta
