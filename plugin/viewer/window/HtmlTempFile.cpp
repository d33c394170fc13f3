#include "plugin/viewer/window/HtmlTempFile.h"

#include "plugin/platform/Paths.h"
#include "plugin/platform/ProcessSingleton.h"

namespace velta::viewer {
namespace {

// Set at the plug-in's load, freed at its unload.
ProcessSingleton<QString> g_fixedName;

} // namespace

void SetHtmlTempFile(const QString& windowsPath)
{
    if (windowsPath.isEmpty())
        g_fixedName.release();
    else
        g_fixedName.get() = windowsPath;
}

QString HtmlTempFile()
{
    const QString* fixed = g_fixedName.peek();
    return !fixed || fixed->isEmpty() ? Paths::tempFolder() + QLatin1String(kHtmlTempFileName) : *fixed;
}

QString NativeHtmlTempFile()
{
    return Paths::toNative(HtmlTempFile());
}

} // namespace velta::viewer
