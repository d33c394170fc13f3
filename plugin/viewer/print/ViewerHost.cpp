#include "plugin/viewer/print/ViewerHost.h"

namespace velta::viewer {
namespace {

// Without a host nothing is routed elsewhere: text reports print on the printer.
class NoHost : public ViewerHost {
public:
    bool printStraightToDevice() override { return false; }
    bool printThroughHost() override { return false; }
    plugin::HostPrintRoutineFn hostPrintRoutine() override { return nullptr; }
};

NoHost noHost;
ViewerHost* installed = nullptr;

} // namespace

ViewerHost::~ViewerHost() = default;

ViewerHost& ViewerHost::current()
{
    return installed ? *installed : static_cast<ViewerHost&>(noHost);
}

void ViewerHost::install(ViewerHost* host)
{
    installed = host;
}

ScopedViewerHost::ScopedViewerHost(ViewerHost& host)
    : previous_(installed)
{
    installed = &host;
}

ScopedViewerHost::~ScopedViewerHost()
{
    installed = previous_;
}

} // namespace velta::viewer
