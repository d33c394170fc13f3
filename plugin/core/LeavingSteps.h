#pragma once
// Work with its leaving steps (closing datasets, dropping the connection),
// which run whether the work succeeds or fails.
#include <functional>

namespace velta::core {

// Runs body, then leave, also when body fails; a failure of leave after a
// failure of body is dropped, so the first error is the one the user sees.
void WithLeavingSteps(const std::function<void()>& body, const std::function<void()>& leave);

} // namespace velta::core
