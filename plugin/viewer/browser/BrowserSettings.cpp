#include "plugin/viewer/browser/BrowserSettings.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/Dialogs.h"

namespace velta::viewer {
namespace {

const QString kVersionValue = QStringLiteral("IE");
constexpr double kLeastVersion = 5.5;

} // namespace

void WritePrintBackground(bool printBackground)
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKey(QString::fromUtf16(kBrowserMainKey), false))
        return;
    registry.writeString(QStringLiteral("Print_Background"),
                         printBackground ? QStringLiteral("yes") : QStringLiteral("no"));
}

QString RegisteredBrowserVersion()
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKeyReadOnly(QString::fromUtf16(kBrowserVersionKey)))
        return {};
    try {
        return registry.readString(kVersionValue);
    } catch (const ERegistryException&) {
        return {}; // not a string: no version we can read
    }
}

double BrowserVersionNumber(const QString& versionText)
{
    double version = 0;
    if (!TryStrToFloat(versionText, version))
        return 0;
    return version;
}

bool CheckBrowserVersion(Dialogs& dialogs)
{
    const QString versionText = RegisteredBrowserVersion();
    if (BrowserVersionNumber(versionText) >= kLeastVersion)
        return true;
    dialogs.messageBox(QStringLiteral("Установленная версия Microsoft Internet Explorer ") + versionText
                           + QStringLiteral(" не допускает использования данной функции.") + QStringLiteral("\n\r")
                           + QStringLiteral("Установите Internet Explorer версии не ниже 5.5."),
                       QStringLiteral("Информация"), MB_OK | MB_ICONINFORMATION);
    return false;
}

bool EnsureBrowserVersionRegistered()
{
    bool written = false;
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.keyExists(QString::fromUtf16(kBrowserMainKey)))
        written = registry.createKey(QString::fromUtf16(kBrowserMainKey));
    if (registry.openKey(QString::fromUtf16(kBrowserVersionKey), true) && !registry.valueExists(kVersionValue)) {
        registry.writeString(kVersionValue, QString::fromUtf16(kRegisteredBrowserVersion));
        written = true;
    }
    return written;
}

} // namespace velta::viewer
