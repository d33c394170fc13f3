#pragma once
// The host's payment type list (value code 57) over the configured payment types.
#include "host/HostConfig.h"
#include "plugin/api/velta_plugin.h"

namespace velta::host {

class ConfigPayTypeList final : public plugin::PayTypeList {
public:
    explicit ConfigPayTypeList(const HostConfig& config) : config_(config) {}

    int count() const override { return static_cast<int>(config_.payTypes.size()); }
    // Raises "List index out of bounds (%d)" for a position the list lacks.
    Entry entry(int index) const override;

private:
    const HostConfig& config_;
};

} // namespace velta::host
