#pragma once
// The speaker: Beep (a plain system beep) and Windows.Beep(frequency, duration),
// behind an interface tests replace to count beeps.
#include <vector>

namespace velta {

class Sound {
public:
    virtual ~Sound() = default;
    virtual void beep() = 0;                              // SysUtils.Beep
    virtual void tone(int frequencyHz, int durationMs) = 0; // Windows.Beep

    static Sound& current();
    static void install(Sound* sound); // nullptr restores the system speaker
};

// Records every beep and tone instead of sounding it.
class RecordingSound : public Sound {
public:
    struct Tone { int frequencyHz; int durationMs; };
    void beep() override { ++beeps; }
    void tone(int frequencyHz, int durationMs) override { tones.push_back({frequencyHz, durationMs}); }
    int beeps = 0;
    std::vector<Tone> tones;
};

class ScopedSound {
public:
    explicit ScopedSound(Sound& sound) { Sound::install(&sound); }
    ~ScopedSound() { Sound::install(nullptr); }
    ScopedSound(const ScopedSound&) = delete;
    ScopedSound& operator=(const ScopedSound&) = delete;
};

} // namespace velta
