#include "host/HostConfig.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "common/StationProtocol.h"
#include "plugin/foundation/ini/IniFiles.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSysInfo>
#include <cerrno>

namespace velta::host {
namespace {

const QString kHost = QStringLiteral("Host");
const QString kStation = QStringLiteral("Station");
const QString kUserPrefix = QStringLiteral("User ");
const QString kPayTypePrefix = QStringLiteral("PayType");

bool readBool(TIniFile& ini, const QString& section, const QString& key, bool fallback)
{
    const QString text = ini.ReadString(section, key, QString()).trimmed();
    if (text.isEmpty())
        return fallback;
    return text != QLatin1String("0") && text.compare(QLatin1String("false"), Qt::CaseInsensitive) != 0;
}

int readInt(TIniFile& ini, const QString& section, const QString& key, int fallback)
{
    bool ok = false;
    const int value = ini.ReadString(section, key, QString()).trimmed().toInt(&ok);
    return ok ? value : fallback;
}

} // namespace

QString HostConfig::defaultPath()
{
    return QDir(Paths::root()).filePath(QStringLiteral("host.ini"));
}

const std::vector<int>& HostConfig::privilegeCodes()
{
    static const std::vector<int> codes = {0, 1, 2, 5, 6, 8, 9, 10};
    return codes;
}

QString defaultHostConfigText()
{
    return QStringLiteral(
        "; Configuration of velta-host, the stand-in host of the reports plug-in.\r\n"
        "[Host]\r\n"
        "StationName=АЗС №1 Северная\r\n"
        "Organisation=ООО \"Велта-Ойл\"\r\n"
        "; 0 and 3 local (3 = office), 1 and 2 remote\r\n"
        "WorkplaceKind=0\r\n"
        "; the station server's computer for remote reports\r\n"
        "ServerComputer=127.0.0.1\r\n"
        "Version=10.0\r\n"
        "LoadingRack=0\r\n"
        "KeeperItem=1\r\n"
        "; above 0 the fuel journals leave out corrected entries\r\n"
        "Value56=0\r\n"
        "; 1: the host enables and shows registered menu items by MenuMode (1 to 7)\r\n"
        "ManagesMenuState=0\r\n"
        "MenuMode=1\r\n"
        "OffersPayTypeList=1\r\n"
        "StationValue=1\r\n"
        "CurrentShift=1\r\n"
        "CurrentUser=Администратор\r\n"
        "; the suite's department library loaded before the plug-in (C:\\DEXE\\Merx9.dll\r\n"
        "; is found as libmerx9.so) and the path it answers; empty: not loaded\r\n"
        "DepartmentLibrary=\r\n"
        "DepartmentPath=\r\n"
        "[Station]\r\n"
        "; empty port: VELTA_STATION_PORT, else 5770\r\n"
        "Host=127.0.0.1\r\n"
        "Port=\r\n"
        "; empty: this computer's name\r\n"
        "WorkplaceName=\r\n"
        "; Priv0 current shift, Priv1/Priv2 terminal returns, Priv5 report settings,\r\n"
        "; Priv6 bonus report, Priv8 print to the device, Priv9+Priv10 print through the host\r\n"
        "[User Администратор]\r\n"
        "FullName=Иванова Мария Петровна\r\n"
        "Priv0=1\r\nPriv1=1\r\nPriv2=1\r\nPriv5=1\r\nPriv6=1\r\nPriv8=0\r\nPriv9=0\r\nPriv10=0\r\n"
        "[User Оператор]\r\n"
        "FullName=Петров Сергей Иванович\r\n"
        "Priv0=0\r\nPriv1=0\r\nPriv2=0\r\nPriv5=0\r\nPriv6=0\r\nPriv8=0\r\nPriv9=1\r\nPriv10=1\r\n"
        "[PayType0]\r\nName=&Наличные\r\nCode=0\r\nEnabled=1\r\nAttribute=0\r\n"
        "[PayType1]\r\nName=&Платеж. терминал\r\nCode=1\r\nEnabled=1\r\nAttribute=0\r\n"
        "[PayType2]\r\nName=&Товарные карты\r\nCode=2\r\nEnabled=1\r\nAttribute=0\r\n"
        "[PayType3]\r\nName=&Безналичные\r\nCode=3\r\nEnabled=1\r\nAttribute=0\r\n"
        "[PayType4]\r\nName=&Ведомость +\r\nCode=104\r\nEnabled=1\r\nAttribute=1\r\n"
        "[PayType5]\r\nName=&Мерник\r\nCode=5\r\nEnabled=1\r\nAttribute=0\r\n"
        "[PayType6]\r\nName=&Талоны\r\nCode=109\r\nEnabled=1\r\nAttribute=0\r\n"
        "[PayType7]\r\nName=&Договорной\r\nCode=108\r\nEnabled=1\r\nAttribute=1\r\n"
        "[PayType8]\r\nName=&Дисконтные карты\r\nCode=10\r\nEnabled=0\r\nAttribute=0\r\n"
        "[PayType9]\r\nName=&Ведомость лимитная\r\nCode=204\r\nEnabled=1\r\nAttribute=1\r\n"
        "[PayType10]\r\nName=&Самообслуживание\r\nCode=7\r\nEnabled=1\r\nAttribute=0\r\n");
}

HostConfig::HostConfig(QString path)
    : path_(std::move(path))
{
    if (!QFileInfo::exists(path_)) {
        QDir().mkpath(QFileInfo(path_).absolutePath());
        if (FileIO::replaceFile(path_, codec::toCp1251(defaultHostConfigText())) != FileIO::Outcome::Written)
            throw EInOutError(QStringLiteral("Не удалось создать файл настроек %1: %2")
                                  .arg(path_, SystemError::message(SystemError::fromErrno(errno))));
    }
    load();
}

void HostConfig::load()
{
    TIniFile ini(path_);
    stationName = ini.ReadString(kHost, QStringLiteral("StationName"), QString());
    organisation = ini.ReadString(kHost, QStringLiteral("Organisation"), QString());
    workplaceKind = readInt(ini, kHost, QStringLiteral("WorkplaceKind"), 0);
    serverComputer = ini.ReadString(kHost, QStringLiteral("ServerComputer"), QString());
    version = ini.ReadString(kHost, QStringLiteral("Version"), QStringLiteral("10.0")).trimmed();
    loadingRack = readBool(ini, kHost, QStringLiteral("LoadingRack"), false);
    keeperItem = readBool(ini, kHost, QStringLiteral("KeeperItem"), false);
    value56 = readInt(ini, kHost, QStringLiteral("Value56"), 0);
    managesMenuState = readBool(ini, kHost, QStringLiteral("ManagesMenuState"), false);
    menuMode = readInt(ini, kHost, QStringLiteral("MenuMode"), 1);
    offersPayTypeList = readBool(ini, kHost, QStringLiteral("OffersPayTypeList"), true);
    stationValue = readInt(ini, kHost, QStringLiteral("StationValue"), 1);
    currentShift = readInt(ini, kHost, QStringLiteral("CurrentShift"), 1);
    currentUser = ini.ReadString(kHost, QStringLiteral("CurrentUser"), QString());
    departmentLibrary = ini.ReadString(kHost, QStringLiteral("DepartmentLibrary"), QString()).trimmed();
    departmentPath = ini.ReadString(kHost, QStringLiteral("DepartmentPath"), QString()).trimmed();

    stationHost = ini.ReadString(kStation, QStringLiteral("Host"), QStringLiteral("127.0.0.1")).trimmed();
    if (stationHost.isEmpty())
        stationHost = QStringLiteral("127.0.0.1");
    stationPort = readInt(ini, kStation, QStringLiteral("Port"), 0);
    workplaceName = ini.ReadString(kStation, QStringLiteral("WorkplaceName"), QString()).trimmed();
    if (workplaceName.isEmpty())
        workplaceName = QSysInfo::machineHostName();

    users.clear();
    payTypes.clear();
    QStringList sections;
    ini.ReadSections(sections);
    for (const QString& section : sections) {
        if (!section.startsWith(kUserPrefix, Qt::CaseInsensitive))
            continue;
        UserSetting user;
        user.name = section.mid(kUserPrefix.size()).trimmed();
        user.fullName = ini.ReadString(section, QStringLiteral("FullName"), user.name);
        for (int code : privilegeCodes())
            user.privileges[code] = readBool(ini, section, QStringLiteral("Priv%1").arg(code), false);
        users.push_back(std::move(user));
    }
    // Payment types are numbered from 0 without gaps; the first missing one ends the list.
    for (int i = 0; sections.contains(kPayTypePrefix + QString::number(i), Qt::CaseInsensitive); ++i) {
        const QString section = kPayTypePrefix + QString::number(i);
        PayTypeSetting pay;
        pay.name = ini.ReadString(section, QStringLiteral("Name"), QString());
        pay.code = readInt(ini, section, QStringLiteral("Code"), i);
        pay.enabled = readBool(ini, section, QStringLiteral("Enabled"), true);
        pay.attribute = readInt(ini, section, QStringLiteral("Attribute"), 0) & 0xFF;
        payTypes.push_back(std::move(pay));
    }
}

const UserSetting* HostConfig::user(const QString& name) const
{
    for (const UserSetting& u : users)
        if (u.name.compare(name, Qt::CaseInsensitive) == 0)
            return &u;
    return users.empty() ? nullptr : &users.front();
}

int HostConfig::effectiveStationPort() const
{
    if (stationPort > 0 && stationPort <= 65535)
        return stationPort;
    bool ok = false;
    const int fromEnvironment = qEnvironmentVariableIntValue("VELTA_STATION_PORT", &ok);
    if (ok && fromEnvironment > 0 && fromEnvironment <= 65535)
        return fromEnvironment;
    return station::kDefaultPort;
}

void HostConfig::saveCurrentUser(const QString& name)
{
    TIniFile ini(path_);
    ini.WriteString(kHost, QStringLiteral("CurrentUser"), name);
    currentUser = name;
}

} // namespace velta::host
