#include "host/HostSession.h"

#include "common/Exception.h"
#include "host/HostConfig.h"
#include "host/MenuStateRegistry.h"
#include "host/PrintJournal.h"
#include "host/QtMenuItem.h"
#include "host/ReportClient.h"

#include <atomic>

namespace velta::host {
namespace {

std::atomic<HostSession*> gActive{nullptr};

Variant addressOf(const void* object)
{
    return Variant(static_cast<long long>(reinterpret_cast<std::uintptr_t>(object)));
}

} // namespace

HostSession::HostSession(HostConfig& config, PrintJournal& journal, MenuStateRegistry& menuStates, ReportClient* reports)
    : config_(config), journal_(journal), menuStates_(menuStates), reports_(reports), payTypes_(config)
{
}

HostSession::~HostSession()
{
    HostSession* self = this;
    gActive.compare_exchange_strong(self, nullptr);
}

void HostSession::activate()
{
    gActive = this;
}

HostSession* HostSession::active()
{
    return gActive.load();
}

HostSession& HostSession::require()
{
    HostSession* session = gActive.load();
    if (!session)
        throw Exception(QStringLiteral("Программа-хост не готова отвечать модулю отчетов"));
    return *session;
}

Variant HostSession::value(int code) const
{
    switch (code) {
    case 2: {
        const UserSetting* user = config_.user(config_.currentUser);
        return Variant(user ? user->fullName : QString());
    }
    case 7: return Variant(config_.serverComputer);
    case 13: return Variant(config_.stationName);
    case 35: return Variant(config_.organisation);
    case 46: return Variant(config_.workplaceKind);
    case 56: return Variant(config_.value56);
    case 57:
        // A text answer tells the plug-in that the host keeps no list.
        return config_.offersPayTypeList ? addressOf(&payTypes_) : Variant(QString());
    case 80: return Variant(config_.loadingRack);
    case 84: return plugin::valueFromFunction(&HostSession::ReceiptPrint);
    case 85:
        return config_.managesMenuState ? plugin::valueFromFunction(&HostSession::SetMenuItemState) : Variant(0);
    case 89: return Variant(config_.keeperItem);
    case 101: {
        bool ok = false;
        const double version = config_.version.toDouble(&ok);
        return ok ? Variant(version) : Variant(config_.version);
    }
    default: return {};
    }
}

Variant HostSession::privValue(int code) const
{
    const UserSetting* user = config_.user(config_.currentUser);
    switch (code) {
    case 0: case 1: case 2: case 5: case 6: case 8: case 9: case 10: {
        if (!user)
            return Variant(false);
        const auto it = user->privileges.find(code);
        return Variant(it != user->privileges.end() && it->second);
    }
    case 11: return Variant(config_.stationValue);
    case 12: return Variant(config_.currentShift);
    case 13: return Variant(config_.serverComputer);
    case 15: return Variant(config_.workplaceKind);
    case 19: {
        Variant::Array names;
        for (const PayTypeSetting& pay : config_.payTypes)
            names.append(Variant(pay.name));
        return Variant(std::move(names));
    }
    case 22: return plugin::valueFromFunction(&HostSession::PrintRoutine);
    default: return {};
    }
}

void HostSession::GetValue(Variant& result, int code, int)
{
    result = require().value(code);
}

void HostSession::GetPrivValue(Variant& result, int code)
{
    result = require().privValue(code);
}

plugin::MenuItem* HostSession::NewMenuItem(plugin::MenuItem* parent, int index)
{
    auto* item = dynamic_cast<QtMenuItem*>(parent);
    if (!item)
        throw Exception(QStringLiteral("Пункт меню для нового пункта не принадлежит программе-хосту"));
    return item->insertChild(index);
}

void HostSession::GetReport(QString& text, int reportNo, Variant params)
{
    HostSession& session = require();
    if (!session.reports_)
        throw Exception(QStringLiteral("Сервер отчетов не настроен"));
    text = session.reports_->getReport(reportNo, params);
}

void HostSession::SetMenuItemState(plugin::MenuItem* item, std::uint8_t setA, std::uint8_t setB)
{
    require().menuStates_.registerItem(item, setA, setB);
}

void HostSession::PrintRoutine(int kind, const QStringList& lines, bool flag)
{
    const QString device = kind == 2 ? QStringLiteral("Кассовый аппарат") : QStringLiteral("Принтер");
    require().journal_.print(device, QStringLiteral("печать %1, признак %2").arg(kind).arg(flag ? 1 : 0), lines);
}

void HostSession::ReceiptPrint(int a, int b, const QStringList& lines, int c, int d)
{
    require().journal_.print(QStringLiteral("Кассовый аппарат"),
                             QStringLiteral("чек %1, %2, %3, %4").arg(a).arg(b).arg(c).arg(d), lines);
}

} // namespace velta::host
