#pragma once
// The viewer's host services over the host's privilege callback: raw
// printing (8), printing by the host (9 and 10) and its print routine (22).
#include "plugin/viewer/print/ViewerHost.h"

namespace velta::core {

class CoreViewerHost : public viewer::ViewerHost {
public:
    bool printStraightToDevice() override;
    bool printThroughHost() override;
    plugin::HostPrintRoutineFn hostPrintRoutine() override;
};

} // namespace velta::core
