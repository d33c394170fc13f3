#pragma once
// Demo contragents in every role (suppliers, consignees, carriers, payers,
// keepers, goods makers and traders, statement and contract clients), the
// older statement-client tables with their cars and drivers.
#include <QString>
#include <QVector>

namespace velta::station {

class StationDatabase;
class DemoRandom;

struct DemoCar {
    int id;
    QString number; // registration number, as in VDCAR.NAME
    QString make;
};

struct DemoDriver {
    int id;
    QString name;
};

// A client that buys on account: statement (104, 204) or contract (108).
struct DemoClient {
    int id; // CONTR_ID, also VDCONTRACTOR.ID
    QString name;
    QString inn;
    int payType;
    QVector<DemoCar> cars;
    QVector<DemoDriver> drivers;
};

struct DemoContragents {
    QVector<int> suppliers;
    QVector<int> consignees;
    QVector<int> carriers;
    QVector<int> payers;
    QVector<int> keepers;
    QVector<DemoClient> clients;
    QVector<QString> tankers; // fuel tanker names of the receipts
};

DemoContragents writeContragents(StationDatabase& db);

} // namespace velta::station
