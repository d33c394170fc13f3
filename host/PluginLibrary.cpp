#include "host/PluginLibrary.h"

#include "common/Exception.h"
#include "host/HostConfig.h"
#include "plugin/platform/Paths.h"

#include <QDir>
#include <QFile>
#include <dlfcn.h>

namespace velta::host {
namespace {

template <class Fn>
Fn requireExport(void* handle, const char* name, const QString& path)
{
    ::dlerror();
    void* symbol = ::dlsym(handle, name);
    if (!symbol)
        throw Exception(QStringLiteral("Библиотека %1 не экспортирует функцию %2").arg(path, QString::fromLatin1(name)));
    return reinterpret_cast<Fn>(symbol);
}

} // namespace

QString PluginLibrary::defaultPath()
{
    return QDir::cleanPath(Paths::executableFolder() + QStringLiteral("../lib/libVeltaReports9.so"));
}

PluginLibrary::PluginLibrary(const QString& path)
    : path_(path)
{
    handle_ = ::dlopen(QFile::encodeName(path).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!handle_) {
        const char* reason = ::dlerror();
        throw Exception(QStringLiteral("Не удалось загрузить библиотеку %1: %2")
                            .arg(path, reason ? QString::fromLocal8Bit(reason) : QStringLiteral("неизвестная ошибка")));
    }
    try {
        setGetValue = requireExport<plugin::SetGetValueExport>(handle_, plugin::kSetGetValue, path_);
        initReportMenu = requireExport<plugin::InitReportMenuExport>(handle_, plugin::kInitReportMenu, path_);
        setNewUserPriv = requireExport<plugin::SetNewUserPrivExport>(handle_, plugin::kSetNewUserPriv, path_);
        updateVidOpl = requireExport<plugin::UpdateVidOplExport>(handle_, plugin::kUpdateVidOpl, path_);
    } catch (...) {
        ::dlclose(handle_);
        handle_ = nullptr;
        throw;
    }
}

PluginLibrary::~PluginLibrary()
{
    if (handle_)
        ::dlclose(handle_);
}

DepartmentLibrary::DepartmentLibrary(const HostConfig& config)
{
    if (config.departmentLibrary.isEmpty())
        return;
    library_ = SiblingLibrary::load(config.departmentLibrary);
    if (!library_.isLoaded())
        throw Exception(QStringLiteral("Не удалось загрузить библиотеку %1: %2").arg(config.departmentLibrary, library_.error()));
    using SetPathFn = void (*)(const QString& path);
    if (const auto setPath = reinterpret_cast<SetPathFn>(library_.symbol("VeltaSetDepartmentPath"));
        setPath && !config.departmentPath.isEmpty())
        setPath(config.departmentPath);
}

} // namespace velta::host
