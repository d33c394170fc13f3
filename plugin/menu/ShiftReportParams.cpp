#include "plugin/menu/ShiftReportParams.h"

#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/SmenaRepComposition.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/platform/Registry.h"
#include "plugin/platform/SiblingLibrary.h"

namespace velta::core {
namespace {

Variant int32(int value)
{
    return Variant(value);
}

Variant byte(std::uint8_t value)
{
    return Variant(value);
}

Variant dateTime(TDateTime value)
{
    return Variant::fromDate(value);
}

Variant text(const QString& value)
{
    return Variant(value);
}

// The operator of BegShift, sent only when one shift was chosen.
QString singleShiftOperator(const ShiftChoice& choice)
{
    return choice.BegShift == choice.EndShift ? choice.BegShiftOperator : QString();
}

// An integer value of a report key: 1 = on. Missing counts as off.
bool readOnFlag(const TRegistry& registry, const QString& name)
{
    return registry.valueExists(name) && registry.readInteger(name) == 1;
}

bool readBool(const TRegistry& registry, const QString& name, bool defaultValue)
{
    return registry.valueExists(name) ? registry.readBool(name) : defaultValue;
}

// Creates a report key that is missing with the cash payment type chosen.
void EnsureReportKey(const QString& keyName)
{
    TRegistry registry(RootKey::LocalMachine);
    const QString key = ReportOptionsKey(keyName);
    if (registry.keyExists(key))
        return;
    if (registry.openKey(key, true)) {
        registry.writeInteger(QStringLiteral("PayType0"), 1);
        registry.closeKey();
    }
}

} // namespace

ShiftReportSettings ReadShiftReportSettings()
{
    const ShiftReportComposition composition = LoadComposition();
    ShiftReportSettings settings;
    settings.Composition = composition.Composition;
    settings.RoundRVal = composition.RoundRVal;
    settings.SiloReportSortField = composition.SiloReportSortField;
    settings.Flags = ReadPayTypeFlags(QStringLiteral("VedomRep"), 4);
    settings.Codes = SelectedPayTypeCodes(settings.Flags);
    settings.DepartmentPath = CurrentDepartmentPath();
    settings.StationValue = HostValues::stationValue();
    settings.IsOfficeWorkplace = state().isOfficeWorkplace;
    return settings;
}

ShiftReportRequest ShiftReportRequestFor(const ShiftChoice& choice, const ShiftReportSettings& settings)
{
    const report::ShiftRange shifts{choice.current, choice.BegShift, choice.EndShift};
    return {report::kShift, report::shiftReportArray(shifts, settings), QStringLiteral("Сменный отчет")};
}

ShiftReportRequest CurrentShiftReportRequest(const ShiftReportSettings& settings)
{
    return {report::kShift, report::shiftReportArray(report::ShiftRange{true, 0, 0}, settings, false),
            QStringLiteral("Сменный отчет")};
}

BonusRepSettings ReadBonusRepSettings()
{
    EnsureReportKey(QStringLiteral("BonusRep"));
    BonusRepSettings settings;
    settings.Flags = ReadPayTypeFlags(QStringLiteral("BonusRep"), -1);
    settings.Codes = SelectedPayTypeCodes(settings.Flags);
    TRegistry registry(RootKey::LocalMachine);
    if (registry.openKey(ReportOptionsKey(QStringLiteral("BonusRep")), true)) {
        settings.NullStr = readOnFlag(registry, QStringLiteral("NullStr"));
        settings.CBAllVO = readOnFlag(registry, QStringLiteral("CBAllVO"));
        settings.ShowGSMItog = readBool(registry, QStringLiteral("ShowGSMItog"), true);
        settings.ShowSubVidoplItog = readBool(registry, QStringLiteral("ShowSubVidoplItog"), true);
        registry.closeKey();
    }
    return settings;
}

ShiftReportRequest BonusShiftReportRequest(const ShiftChoice& choice, const BonusRepSettings& settings)
{
    const int first = choice.current ? choice.CurShift : choice.BegShift;
    const int last = choice.current ? choice.CurShift : choice.EndShift;
    const Variant::Array params{int32(first),
                                settings.Flags,
                                Variant(settings.NullStr),
                                int32(last),
                                Variant(settings.ShowGSMItog),
                                Variant(settings.ShowSubVidoplItog),
                                Variant(settings.CBAllVO),
                                settings.Codes};
    return {report::kBonusShift, Variant(params), QStringLiteral("Сменный отчет по бонусам и скидкам").toUpper()};
}

BackRepSettings ReadBackRepSettings()
{
    EnsureReportKey(QStringLiteral("BackRep"));
    BackRepSettings settings;
    settings.Flags = ReadPayTypeFlags(QStringLiteral("BackRep"), -1);
    settings.Codes = SelectedPayTypeCodes(settings.Flags);
    TRegistry registry(RootKey::LocalMachine);
    if (registry.openKey(ReportOptionsKey(QStringLiteral("BackRep")), true)) {
        if (registry.valueExists(QStringLiteral("RepProp")))
            settings.Options = registry.readInteger(QStringLiteral("RepProp"));
        if (readOnFlag(registry, QStringLiteral("NullStr")))
            settings.Options |= 1;
        registry.closeKey();
    }
    return settings;
}

ShiftReportRequest ReturnsShiftReportRequest(const ShiftChoice& choice, const BackRepSettings& settings,
                                             const Variant& stationValue, int workplaceKind, bool codesExtension)
{
    Variant::Array params;
    if (choice.current) {
        params << settings.Flags << int32(settings.Options) << stationValue << int32(workplaceKind);
    } else {
        params << settings.Flags << int32(settings.Options) << stationValue << dateTime(choice.BegTime)
               << dateTime(choice.EndTime) << int32(choice.BegShift) << text(choice.CurrentOperator)
               << int32(choice.EndShift) << int32(workplaceKind);
    }
    Variant sent(params);
    if (codesExtension)
        sent = Variant(Variant::Array{sent, Variant(Variant::Array{settings.Codes})});
    return {report::kReturnsShift, sent, QStringLiteral("Сменный отчет по возвратам")};
}

ShiftReportRequest ContractsShiftReportRequest(const ShiftChoice& choice, const Variant& flags, const Variant& codes)
{
    if (choice.current)
        return {report::kCurrentContractsShift, Variant(Variant::Array{byte(0), flags, codes}),
                QStringLiteral("Текущий сменный отчет по договорам")};
    const Variant::Array params{dateTime(choice.BegTime),     dateTime(choice.EndTime), text(choice.CurrentSmNum),
                                text(choice.CurrentOperator), flags,                    codes};
    return {report::kContractsShift, Variant(params), QStringLiteral("Сменный отпуск по договорам")};
}

ShiftReportRequest TerminalReturnsShiftReportRequest(const ShiftChoice& choice)
{
    const Variant::Array params{int32(choice.BegShift), dateTime(choice.BegTime), dateTime(choice.EndTime),
                                text(singleShiftOperator(choice)), int32(choice.EndShift)};
    return {report::kTerminalReturnsShift, Variant(params),
            QStringLiteral("Сменный отчет по непроизведенным возвратам на терминал")};
}

QString StatementPayTypeName(const Variant& payTypeNames)
{
    constexpr int kStatementPosition = 4;
    if (payTypeNames.isArray() && payTypeNames.arrayCount() > kStatementPosition)
        return payTypeNames.at(kStatementPosition).toString();
    return QString();
}

QString StatementShiftReportCaption(const Variant& payTypeNames)
{
    return QStringLiteral("СМЕННЫЙ ОТПУСК ПО \"") + StatementPayTypeName(payTypeNames) + QLatin1Char('"');
}

ShiftReportRequest StatementShiftReportRequest(const ShiftChoice& choice, const Variant& flags, const Variant& codes)
{
    const QString caption = StatementShiftReportCaption(state().payTypeNames);
    if (choice.current)
        return {report::kCurrentStatementShift, Variant(Variant::Array{flags, codes}), caption};
    const Variant::Array params{dateTime(choice.BegTime),
                                dateTime(choice.EndTime),
                                text(QString::number(choice.BegShift)),
                                text(singleShiftOperator(choice)),
                                text(QString::number(choice.EndShift)),
                                flags,
                                text(QString()),
                                codes};
    return {report::kStatementShift, Variant(params), caption};
}

ShiftReportRequest ContragentShiftReportRequest(const ShiftChoice& choice, const ContragentChoice& contragent,
                                                const Variant& flags, const Variant& codes)
{
    if (choice.current) {
        const Variant::Array params{text(contragent.Name), flags, Variant(contragent.ByDrivers),
                                    Variant(contragent.ByCars), Variant(contragent.DriverFirst), codes};
        return {report::kCurrentContragentShift, Variant(params),
                QStringLiteral("ТЕКУЩИЙ СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ")};
    }
    const Variant::Array params{dateTime(choice.BegTime),
                                dateTime(choice.EndTime),
                                text(contragent.Name),
                                text(QString::number(choice.BegShift)),
                                text(choice.BegShiftOperator),
                                text(QString::number(choice.EndShift)),
                                flags,
                                Variant(contragent.ByDrivers),
                                Variant(contragent.ByCars),
                                Variant(contragent.DriverFirst),
                                codes};
    return {report::kContragentShift, Variant(params), QStringLiteral("СМЕННЫЙ ОТПУСК ПО КОНТРАГЕНТУ")};
}

ShiftReportRequest TalonsShiftReportRequest(const ShiftChoice& choice, const Variant& flags, const Variant& codes)
{
    const Variant::Array params{dateTime(choice.BegTime), dateTime(choice.EndTime), flags, codes};
    return {report::kTalonsShift, Variant(params), QStringLiteral("Отливы по талонам")};
}

CardRepSettings ReadCardRepSettings()
{
    CardRepSettings settings;
    settings.Flags = ReadPayTypeFlags(QStringLiteral("CardRep"), -1);
    settings.Codes = SelectedPayTypeCodes(settings.Flags);
    TRegistry registry(RootKey::LocalMachine);
    const QString key = ReportOptionsKey(QStringLiteral("CardRep"));
    if (registry.keyExists(key) && registry.openKeyReadOnly(key)) {
        settings.LogTranDsc = readOnFlag(registry, QStringLiteral("PayTypeLOGTRANDSC"));
        registry.closeKey();
    }
    return settings;
}

QString CardMaskOf(const QString& cardText)
{
    QString mask = cardText;
    mask.replace(QLatin1Char('*'), QLatin1Char('%'));
    return mask;
}

ShiftReportRequest CardsShiftReportRequest(const ShiftChoice& choice, const CardRepSettings& settings,
                                           const QString& cardMask)
{
    Variant::Array params;
    if (choice.current)
        params << byte(0) << byte(0) << byte(0) << byte(0);
    else
        params << int32(choice.BegShift) << int32(choice.EndShift) << dateTime(choice.BegTime)
               << dateTime(choice.EndTime);
    params << settings.Flags << text(cardMask) << Variant(settings.LogTranDsc) << settings.Codes;
    const QString caption = cardMask.isEmpty() ? QStringLiteral("Отливы по пластиковым картам")
                                               : QStringLiteral("Отливы по номеру карты");
    return {report::kCardsShift, Variant(params), caption};
}

ShiftReportRequest ReloadsShiftReportRequest(const ShiftChoice& choice)
{
    const Variant::Array params{byte(report::kSelectorReloads), dateTime(choice.BegTime), dateTime(choice.EndTime),
                                int32(choice.BegShift), int32(choice.EndShift)};
    return {report::kService, Variant(params), QStringLiteral("Информация по перезагрузкам")};
}

ShiftReportRequest MeterShiftReportRequest(const ShiftChoice& choice)
{
    const Variant::Array params{byte(report::kSelectorMeter), int32(choice.BegShift), int32(choice.EndShift)};
    return {report::kService, Variant(params), QStringLiteral("Отчет по мернику")};
}

} // namespace velta::core
