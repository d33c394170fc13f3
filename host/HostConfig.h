#pragma once
// The host's configuration file ($VELTA_ROOT/host.ini, cp1251): the station,
// the workplace, the users with their privileges and the payment types the
// host answers the plug-in with. A missing file is created with demo defaults.
#include <QString>
#include <QStringList>
#include <map>
#include <vector>

namespace velta::host {

struct PayTypeSetting {
    QString name;
    int code = 0;
    bool enabled = true;
    int attribute = 0; // one byte
};

struct UserSetting {
    QString name;     // the log-on name
    QString fullName; // answered as the operator's full name
    std::map<int, bool> privileges; // GetPrivValue codes 0, 1, 2, 5, 6, 8, 9, 10
};

class HostConfig {
public:
    // The file under $VELTA_ROOT.
    static QString defaultPath();
    // The privilege codes kept per user, each as the key "Priv<code>".
    static const std::vector<int>& privilegeCodes();

    // Reads the file, writing the defaults first when it does not exist.
    explicit HostConfig(QString path = defaultPath());

    const QString& path() const { return path_; }

    QString stationName;
    QString organisation;
    int workplaceKind = 0;
    QString serverComputer;   // code 7 and privilege 13
    QString version;          // code 101; a number is answered as a real, anything else as text
    bool loadingRack = false; // code 80
    bool keeperItem = false;  // code 89
    int value56 = 0;          // code 56
    bool managesMenuState = false; // code 85
    int menuMode = 1;         // the host's mode that SetMenuItemState sets are checked against
    bool offersPayTypeList = true; // code 57
    int stationValue = 1;     // privilege 11
    int currentShift = 1;     // privilege 12
    QString stationHost;      // the station server the report function asks
    int stationPort = 0;      // 0: VELTA_STATION_PORT or the default port
    QString workplaceName;    // names this workplace to the report engine
    QString departmentLibrary; // the suite's department library to load first ("C:\DEXE\Merx9.dll"); empty: none
    QString departmentPath;    // the path that library answers; empty: its own default
    QString currentUser;
    std::vector<UserSetting> users;
    std::vector<PayTypeSetting> payTypes;

    // The user named, or the first one when there is no such user (null when none).
    const UserSetting* user(const QString& name) const;
    // The port of the station server after the fall-backs.
    int effectiveStationPort() const;
    // Writes the current user back to the file (the "change user" command).
    void saveCurrentUser(const QString& name);

private:
    QString path_;
    void load();
};

// The text of a new configuration file.
QString defaultHostConfigText();

} // namespace velta::host
