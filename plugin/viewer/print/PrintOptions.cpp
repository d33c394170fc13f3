#include "plugin/viewer/print/PrintOptions.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/platform/Registry.h"

namespace velta::viewer {
namespace {

const QString kOrientationSuffix = QStringLiteral("_Orientation");
const QString kFontSizeSuffix = QStringLiteral("_FontSize");
const QString kScaleSuffix = QStringLiteral("_Scale");

QString keyPath()
{
    return QString::fromUtf16(kPrintOptionsKey);
}

int readNumber(const TRegistry& registry, const QString& name, int defaultValue)
{
    QString text;
    try {
        text = registry.readString(name); // empty when missing
    } catch (const ERegistryException&) {
        return defaultValue; // stored with another type by someone else
    }
    return StrToIntDef(text, defaultValue);
}

} // namespace

std::optional<PrintOptions> LoadPrintOptions(const QString& reportName)
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKey(keyPath(), true))
        return std::nullopt;
    const PrintOptions defaults;
    PrintOptions options;
    options.orientation = readNumber(registry, reportName + kOrientationSuffix, defaults.orientation);
    options.fontSize = readNumber(registry, reportName + kFontSizeSuffix, defaults.fontSize);
    options.scale = readNumber(registry, reportName + kScaleSuffix, defaults.scale);
    return options;
}

void SavePrintOptions(const QString& reportName, const PrintOptions& options)
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKey(keyPath(), true))
        return;
    registry.writeString(reportName + kOrientationSuffix, QString::number(options.orientation));
    registry.writeString(reportName + kFontSizeSuffix, QString::number(options.fontSize));
    registry.writeString(reportName + kScaleSuffix, QString::number(options.scale));
}

} // namespace velta::viewer
