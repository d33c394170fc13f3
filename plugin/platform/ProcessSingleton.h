#pragma once
// A process-wide object made on first use and freed only by release(): never
// by a static destructor, whose order against the host's and Qt's is not ours
// to choose, but by the plug-in's unload, in the order the unload fixes. The
// holder itself is constant-initialised and trivially destructible, so it can
// be a plain global that is usable at any moment of loading or unloading.
#include <atomic>

namespace velta {

// How many such objects live now, of every kind: none once the plug-in has
// released them at its unload.
inline std::atomic<int> processSingletonsAlive{0};

template <class T>
class ProcessSingleton {
public:
    constexpr ProcessSingleton() = default;

    T& get()
    {
        T* current = instance_.load(std::memory_order_acquire);
        if (current)
            return *current;
        T* made = new T();
        if (!instance_.compare_exchange_strong(current, made, std::memory_order_acq_rel)) {
            delete made; // another thread made it first
            return *current;
        }
        ++processSingletonsAlive;
        return *made;
    }
    // The object if it was made, without making it.
    T* peek() const { return instance_.load(std::memory_order_acquire); }
    void release()
    {
        if (T* gone = instance_.exchange(nullptr, std::memory_order_acq_rel)) {
            delete gone;
            --processSingletonsAlive;
        }
    }

private:
    std::atomic<T*> instance_{nullptr};
};

} // namespace velta
