#include "plugin/platform/Clock.h"

#include <atomic>
#include <chrono>
#include <thread>

namespace velta {

namespace {

// The machine's clock: a monotonic tick count, a real sleep and the local time.
class SystemClock final : public Clock {
public:
    std::int64_t tickCount() override
    {
        using namespace std::chrono;
        return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
    }
    void sleep(int milliseconds) override
    {
        if (milliseconds > 0)
            std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
        else
            std::this_thread::yield(); // Sleep(0) gives up the rest of the time slice
    }
    TDateTime now() override { return SystemNow(); }
};

std::atomic<Clock*> g_installed{nullptr};

} // namespace

Clock& Clock::current()
{
    static SystemClock system;
    Clock* installed = g_installed.load(std::memory_order_acquire);
    return installed ? *installed : system;
}

void Clock::install(Clock* clock)
{
    g_installed.store(clock, std::memory_order_release);
}

} // namespace velta
