#pragma once
// The loaded reports plug-in: the shared library opened with dlopen and its
// four exports. A library that cannot be opened or lacks an export is refused
// with a message naming the file and the missing function.
#include "plugin/api/velta_plugin.h"
#include "plugin/platform/SiblingLibrary.h"

#include <QString>

namespace velta::host {

class HostConfig;

class PluginLibrary {
public:
    // Where the host looks when no path is given: ../lib/libVeltaReports9.so
    // next to the program.
    static QString defaultPath();

    // Raises velta::Exception when the library cannot be loaded.
    explicit PluginLibrary(const QString& path);
    ~PluginLibrary();
    PluginLibrary(const PluginLibrary&) = delete;
    PluginLibrary& operator=(const PluginLibrary&) = delete;

    const QString& path() const { return path_; }

    plugin::SetGetValueExport setGetValue = nullptr;
    plugin::InitReportMenuExport initReportMenu = nullptr;
    plugin::SetNewUserPrivExport setNewUserPriv = nullptr;
    plugin::UpdateVidOplExport updateVidOpl = nullptr;

private:
    QString path_;
    void* handle_ = nullptr;
};

// The suite's department library, loaded when the host's configuration names
// it (DepartmentLibrary), before the plug-in, which only looks for it loaded.
// A configured DepartmentPath is handed to it.
class DepartmentLibrary {
public:
    // Not loaded when the configuration names none; raises velta::Exception
    // when the named library cannot be loaded.
    explicit DepartmentLibrary(const HostConfig& config);

    bool isLoaded() const { return library_.isLoaded(); }

private:
    SiblingLibrary library_;
};

} // namespace velta::host
