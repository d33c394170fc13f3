#pragma once
// The host services the report viewer asks for while printing: whether text
// reports go raw to the printer device, whether the host prints them itself,
// and the host's print routine. The plug-in core installs the implementation
// over the host's privilege callback; tests install their own.
#include "plugin/api/velta_plugin.h"

namespace velta::viewer {

class ViewerHost {
public:
    virtual ~ViewerHost();
    // Privilege 8: text reports are written raw to the printer device.
    virtual bool printStraightToDevice() = 0;
    // Privileges 9 and 10 both true: the host prints text reports.
    virtual bool printThroughHost() = 0;
    // Privilege 22: the host's print routine, or null.
    virtual plugin::HostPrintRoutineFn hostPrintRoutine() = 0;

    // The host in force: one that answers false and null unless another is installed.
    static ViewerHost& current();
    // Installs a host (nullptr restores the default); the caller keeps ownership.
    static void install(ViewerHost* host);
};

// Installs a host for a scope and puts the previous one back.
class ScopedViewerHost {
public:
    explicit ScopedViewerHost(ViewerHost& host);
    ~ScopedViewerHost();
    ScopedViewerHost(const ScopedViewerHost&) = delete;
    ScopedViewerHost& operator=(const ScopedViewerHost&) = delete;

private:
    ViewerHost* previous_;
};

} // namespace velta::viewer
