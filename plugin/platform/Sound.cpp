#include "plugin/platform/Sound.h"

#include "plugin/platform/Clock.h"

#include <atomic>

namespace velta {

namespace {

// The station's speaker has no counterpart here: a beep makes no sound, and a
// tone only takes its time, as the synchronous Windows.Beep does.
class SystemSound final : public Sound {
public:
    void beep() override {}
    void tone(int /*frequencyHz*/, int durationMs) override
    {
        if (durationMs > 0)
            Clock::current().sleep(durationMs);
    }
};

std::atomic<Sound*> g_installed{nullptr};

} // namespace

Sound& Sound::current()
{
    static SystemSound system;
    Sound* installed = g_installed.load(std::memory_order_acquire);
    return installed ? *installed : system;
}

void Sound::install(Sound* sound)
{
    g_installed.store(sound, std::memory_order_release);
}

} // namespace velta
