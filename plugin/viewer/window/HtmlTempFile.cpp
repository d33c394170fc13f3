#include "plugin/viewer/window/HtmlTempFile.h"

#include "plugin/platform/Paths.h"

namespace velta::viewer {
namespace {

// Never destroyed: the plug-in's unload clears it after static destructors may have run.
QString& fixedName()
{
    static auto* name = new QString;
    return *name;
}

} // namespace

void SetHtmlTempFile(const QString& windowsPath)
{
    fixedName() = windowsPath;
}

QString HtmlTempFile()
{
    const QString& fixed = fixedName();
    return fixed.isEmpty() ? Paths::tempFolder() + QLatin1String(kHtmlTempFileName) : fixed;
}

QString NativeHtmlTempFile()
{
    return Paths::toNative(HtmlTempFile());
}

} // namespace velta::viewer
