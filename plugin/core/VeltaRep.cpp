#include "plugin/core/VeltaRep.h"

#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/HostValues.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/ProcessSingleton.h"
#include "plugin/platform/Registry.h"
#include "plugin/platform/Sound.h"
#include "plugin/core/CoreViewerHost.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/window/HtmlTempFile.h"
#include "plugin/viewer/window/ShowReport.h"

namespace velta::core {

namespace {

const QString kLogFileName = QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log");
const QString kLogPrefix = QStringLiteral("[VeltaReports9]");
const QString kReportsKey = QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\");

struct Globals {
    HostCallbacks callbacks;
    PluginState plugin;
    std::unique_ptr<TLDSLogger> log;
};

// Made on first use and never destroyed by the runtime: the library's unload
// function releases its contents in a fixed order, whatever order static
// destructors would run in.
ProcessSingleton<Globals> g_globals;

Globals& globals()
{
    return g_globals.get();
}

void beepMissingCode()
{
    Sound::current().tone(500, 100);
}

} // namespace

HostCallbacks& host()
{
    return globals().callbacks;
}

TLDSLogger& logger()
{
    auto& log = globals().log;
    if (!log) {
        log = std::make_unique<TLDSLogger>(kLogFileName);
        log->SetLinePrefix(kLogPrefix);
    }
    return *log;
}

void StartUp()
{
    static CoreViewerHost viewerHost;
    logger();
    viewer::ViewerHost::install(&viewerHost);
    viewer::SetHtmlTempFile(QStringLiteral("C:\\WINDOWS\\TEMP\\") + QLatin1String(viewer::kHtmlTempFileName));
}

void ShutDown()
{
    viewer::ReleaseReportViewer();
    viewer::ResetCurrentPrinter();
    viewer::SetHtmlTempFile(QString());
    viewer::ViewerHost::install(nullptr);
    if (Globals* g = g_globals.peek()) {
        // The data module and the report may still log while they go.
        g->plugin.dataModule.reset();
        g->plugin.report.reset();
        g->log.reset();
    }
    g_globals.release();
}

PluginState& state()
{
    return globals().plugin;
}

void ResetPluginState()
{
    Globals& g = globals();
    g.plugin = PluginState();
    g.callbacks = HostCallbacks();
}

PluginState::PluginState() = default;
PluginState::~PluginState() = default;
PluginState::PluginState(PluginState&&) noexcept = default;
PluginState& PluginState::operator=(PluginState&&) noexcept = default;

QStringList DefaultPayTypeNames()
{
    return {QStringLiteral("&Наличные"),      QStringLiteral("&Платеж. терминал"), QStringLiteral("&Товарные карты"),
            QStringLiteral("&Безналичные"),   QStringLiteral("&Ведомость +"),      QStringLiteral("&Мерник"),
            QStringLiteral("&ЛНР"),           QStringLiteral("&Самообслуживание"), QStringLiteral("&Договорной"),
            QStringLiteral("&Талоны"),        QStringLiteral("&Дисконтные карты"), QStringLiteral("&Переливы"),
            QStringLiteral("ЛБР")};
}

void DoSetGetValue(plugin::GetValueFn getValue)
{
    host().getValue = getValue;
}

namespace {

// Builds the payment type table from the names; raises on host errors.
void loadPayTypes(PluginState& s)
{
    Variant names = HostValues::privPayTypeNames();
    if (!names.isArray()) {
        Variant::Array defaults;
        for (const QString& name : DefaultPayTypeNames())
            defaults.append(Variant(name));
        names = Variant(defaults);
    }
    const int count = names.arrayHighBound() + 1;
    s.payTypeNames = names;
    s.payTypeCount = count;
    for (int i = 0; i < count; ++i) {
        QString name = s.payTypeNames.at(i).toString();
        if (name.isEmpty())
            name = QStringLiteral("Вид оплаты без имени");
        else if (name.startsWith(QLatin1Char('&')))
            name.remove(0, 1);
        s.payTypeNames[i] = Variant(name);
    }

    plugin::PayTypeList* list = nullptr;
    if (host().getValue) {
        try {
            list = HostValues::payTypeList();
        } catch (const Exception&) {
            beepMissingCode();
        }
    }
    s.statementsInUse = false;
    Variant::Array rows;
    rows.reserve(count);
    for (int i = 0; i < count; ++i) {
        Variant attribute(-1);
        bool enabled = true;
        int code = i;
        // A host list shorter than the names covers only its own entries.
        if (list && i < list->count()) {
            const plugin::PayTypeList::Entry entry = list->entry(i);
            code = entry.code;
            attribute = Variant(entry.attribute);
            enabled = entry.enabled;
        } else if (i > 12) {
            beepMissingCode();
            code = 0;
        }
        const QString modText = QString::number(code % 100);
        rows.append(Variant(Variant::Array{s.payTypeNames.at(i), Variant(QString::number(code)), Variant(modText),
                                           attribute}));
        if (modText == QStringLiteral("4") && enabled)
            s.statementsInUse = true;
    }
    s.payTypeTable = Variant(rows);
}

} // namespace

void UpdateVidOpl()
{
    PluginState& s = state();
    s.payTypeNames = Variant();
    s.payTypeTable = Variant();
    s.payTypeCount = 0;
    if (!host().getPrivValue)
        return;
    try {
        loadPayTypes(s);
    } catch (const Exception&) {
        // The host's payment types are optional: whatever was read stays.
    }
}

void UpdateVidOplIfOffice()
{
    if (state().isOfficeWorkplace)
        UpdateVidOpl();
}

QString PayTypeCodeText(int position)
{
    return state().payTypeTable.at(position).at(1).toString();
}

QString ReportOptionsKey(const QString& keyName)
{
    return kReportsKey + keyName;
}

Variant ReadPayTypeFlags(const QString& keyName, int defaultPos)
{
    const int count = state().payTypeCount;
    Variant::Array flags(count, Variant(0));
    TRegistry registry(RootKey::LocalMachine);
    const QString key = ReportOptionsKey(keyName);
    if (registry.keyExists(key) && registry.openKey(key, true)) {
        for (int i = 0; i < count; ++i) {
            const QString name = QStringLiteral("PayType") + PayTypeCodeText(i);
            if (registry.valueExists(name) && registry.dataType(name) == RegDataType::Integer &&
                registry.readInteger(name) == 1)
                flags[i] = Variant(1);
        }
        registry.closeKey();
    } else if (defaultPos >= 0 && defaultPos < count) {
        flags[defaultPos] = Variant(1);
    }
    return Variant(flags);
}

Variant SelectedPayTypeCodes(const Variant& flags)
{
    Variant::Array codes;
    const int count = flags.isArray() ? flags.arrayCount() : 0;
    for (int i = 0; i < count; ++i) {
        if (flags.at(i).toInt() == 1)
            codes.append(Variant(PayTypeCodeText(i).toInt()));
    }
    return Variant(codes);
}

} // namespace velta::core
