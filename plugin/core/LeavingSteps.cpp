#include "plugin/core/LeavingSteps.h"

namespace velta::core {

void WithLeavingSteps(const std::function<void()>& body, const std::function<void()>& leave)
{
    try {
        body();
    } catch (...) {
        try {
            leave();
        } catch (...) {
            // The first error is the one the user sees.
        }
        throw;
    }
    leave();
}

} // namespace velta::core
