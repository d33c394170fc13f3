#include "station/demo/DemoContragents.h"

#include "station/db/BatchInserter.h"
#include "station/demo/DemoCatalog.h"
#include "station/db/StationDatabase.h"

#include <QDate>

namespace velta::station {
namespace {

struct Role {
    int ctype;
    int param;
};

struct ContragentSeed {
    const char* name;
    const char* fullName;
    const char* inn;
    const char* kpp;
    const char* address;
    QVector<Role> roles;
    bool deleted = false;
};

// Role codes of CONTRAGENTTYPE.CTYPE.
constexpr int kSales = 1;
constexpr int kSupplier = 2;
constexpr int kConsignee = 3;
constexpr int kCarrier = 4;
constexpr int kPayer = 5;
constexpr int kKeeper = 6;
constexpr int kGoodsMaker = 101;
constexpr int kGoodsSupplier = 102;
constexpr int kGoodsBuyer = 103;

const QVector<ContragentSeed>& seeds()
{
    using namespace demo;
    static const QVector<ContragentSeed> list = {
        {"Нефтеснаб", "ООО \"Нефтеснаб\"", "4826000111", "482601001", "г. Липецк, ул. Заводская, 1", {{kSupplier, 0}}},
        {"Северная нефтебаза", "АО \"Северная нефтебаза\"", "3664000222", "366401001", "г. Воронеж, ул. Нефтяников, 8",
         {{kSupplier, 0}, {kKeeper, 0}}},
        {"Агрохолдинг Заря", "ООО \"Агрохолдинг Заря\"", "4813000333", "481301001", "Липецкий р-н, с. Заря",
         {{kConsignee, 0}, {kSales, kContract}}},
        {"СтройТранс", "ООО \"СтройТранс\"", "4826000444", "482601001", "г. Липецк, ул. Гагарина, 20",
         {{kConsignee, 0}, {kCarrier, 0}, {kSales, kStatement}}},
        {"Горэлектротранс", "МУП \"Горэлектротранс\"", "4826000555", "482601001", "г. Липецк, ул. Ленина, 5",
         {{kConsignee, 0}, {kSales, kStatement}, {kSales, kLimitStatement}}},
        {"ТрансОйл", "ООО \"ТрансОйл\"", "4826000666", "482601001", "г. Липецк, Трубный пр., 2", {{kCarrier, 0}, {kPayer, 0}}},
        {"Автобаза №3", "ОАО \"Автобаза №3\"", "4826000777", "482601001", "г. Липецк, ул. Гоголя, 44",
         {{kCarrier, 0}, {kSales, kStatement}}},
        {"Липецкагропром", "ООО \"Липецкагропром\"", "4826000888", "482601001", "г. Липецк, ул. Полевая, 9", {{kPayer, 0}}},
        {"Топливный резерв", "ООО \"Топливный резерв\"", "4826000999", "482601001", "г. Липецк, ул. Складская, 3",
         {{kKeeper, 0}}},
        {"Гордеев В.Н.", "ИП Гордеев Виктор Николаевич", "482600101010", "", "г. Грязи, ул. Мира, 17", {{kKeeper, 0}}},
        {"Хлебозавод №2", "ОАО \"Хлебозавод №2\"", "4826001212", "482601001", "г. Липецк, ул. Пекарская, 2",
         {{kSales, kLimitStatement}, {kGoodsBuyer, 0}}},
        {"Скорая помощь", "ГУЗ \"Станция скорой медицинской помощи\"", "4826001313", "482601001",
         "г. Липецк, ул. Космонавтов, 39", {{kSales, kStatement}}},
        {"Дорстрой", "ЗАО \"Дорстрой\"", "4826001414", "482601001", "г. Липецк, ул. Дорожная, 11", {{kSales, kContract}}},
        {"Лесхоз", "ГУ \"Липецкий лесхоз\"", "4826001515", "482601001", "Липецкий р-н, п. Лесной", {{kSales, kContract}}},
        {"Автомасла", "ООО \"Автомасла\"", "7701001616", "770101001", "г. Москва, ул. Моторная, 6",
         {{kGoodsMaker, 0}, {kGoodsSupplier, 0}}},
        {"Липецкие масла", "ООО \"Липецкие масла\"", "4826001717", "482601001", "г. Липецк, ул. Индустриальная, 4",
         {{kGoodsMaker, 1}}},
        {"Автомир", "ООО \"Автомир\"", "4826001818", "482601001", "г. Липецк, ул. Катукова, 51", {{kGoodsSupplier, 0}}},
        {"Быстрая доставка", "ООО \"Быстрая доставка\"", "4826001919", "482601001", "г. Липецк, ул. Зегеля, 7",
         {{kCarrier, 0}, {kSales, kStatement}}, true},
    };
    return list;
}

const char* const kCarMakes[] = {"КАМАЗ 65115", "ГАЗ 3302", "МАЗ 5440", "УАЗ 3909", "Ford Transit", "ЛиАЗ 5292"};
const char* const kDriverNames[] = {"Смирнов А.В.", "Волков Д.С.", "Морозов И.П.", "Новиков Р.А.", "Федоров К.Н.",
                                    "Егоров П.М.", "Козлов В.В.", "Лебедев О.Ю.", "Соколов Г.Е.", "Попов Н.Н."};
const char* const kLetters[] = {"А", "В", "Е", "К", "М", "Н", "О", "Р", "С", "Т"};

QString registration(int n)
{
    return QStringLiteral("%1%2%3%4 48")
        .arg(QString::fromUtf8(kLetters[n % 10]))
        .arg(100 + (n * 37) % 900)
        .arg(QString::fromUtf8(kLetters[(n / 10) % 10]))
        .arg(QString::fromUtf8(kLetters[(n * 7) % 10]));
}

} // namespace

DemoContragents writeContragents(StationDatabase& db)
{
    DemoContragents result;
    BatchInserter contragents(
        db, QStringLiteral("CONTRAGENT"),
        {{"CONTR_ID", ColumnKind::Integer}, {"NAME", ColumnKind::Text}, {"FULLNAME", ColumnKind::Text},
         {"INN", ColumnKind::Text}, {"ADDRESS", ColumnKind::Text}, {"PHONE", ColumnKind::Text}, {"OKPO", ColumnKind::Text},
         {"KPP", ColumnKind::Text}, {"RSCHET", ColumnKind::Text}, {"BANKNAME", ColumnKind::Text}, {"KSCHET", ColumnKind::Text},
         {"BIK", ColumnKind::Text}, {"FAX", ColumnKind::Text}, {"CONTACTINFO", ColumnKind::Text},
         {"OTHER", ColumnKind::Text, 500}, {"ISDELETE", ColumnKind::Integer}, {"LICNUM", ColumnKind::Text},
         {"LICDATE", ColumnKind::Date}, {"LICORG", ColumnKind::Text}, {"COUNTRYCODE", ColumnKind::Integer}});
    BatchInserter types(db, QStringLiteral("CONTRAGENTTYPE"),
                        {{"CONTR_ID", ColumnKind::Integer}, {"CTYPE", ColumnKind::Integer}, {"PARAM1", ColumnKind::Integer}});
    BatchInserter contractors(db, QStringLiteral("VDCONTRACTOR"),
                              {{"ID", ColumnKind::Integer}, {"NAME", ColumnKind::Text}, {"FULLNAME", ColumnKind::Text},
                               {"INN", ColumnKind::Text, 20}, {"ADDRESS", ColumnKind::Text}, {"VIDOPL", ColumnKind::Integer},
                               {"CONTR_ID", ColumnKind::Integer}, {"ISDELETE", ColumnKind::Integer}});
    BatchInserter cars(db, QStringLiteral("VDCAR"),
                       {{"ID", ColumnKind::Integer}, {"CID", ColumnKind::Integer}, {"CONTR_ID", ColumnKind::Integer},
                        {"NAME", ColumnKind::Text}, {"MARKA", ColumnKind::Text}, {"PRMARKA", ColumnKind::Text},
                        {"PRGOSNUM", ColumnKind::Text}, {"PRGARNUMBER", ColumnKind::Text}, {"ISDELETE", ColumnKind::Integer}});
    BatchInserter drivers(db, QStringLiteral("VDDRIVER"),
                          {{"ID", ColumnKind::Integer}, {"CID", ColumnKind::Integer}, {"CONTR_ID", ColumnKind::Integer},
                           {"NAME", ColumnKind::Text}, {"UDOST", ColumnKind::Text}, {"ISDELETE", ColumnKind::Integer}});

    int id = 0;
    int carId = 0;
    int driverId = 0;
    for (const ContragentSeed& seed : seeds()) {
        ++id;
        const QString name = QString::fromUtf8(seed.name);
        const QString inn = QString::fromUtf8(seed.inn);
        const bool licensed = id % 3 == 0;
        contragents.add({id, name, QString::fromUtf8(seed.fullName), inn, QString::fromUtf8(seed.address),
                         QStringLiteral("(4742) %1-%2-%3").arg(20 + id).arg(10 + id * 3 % 90).arg(10 + id * 7 % 90),
                         QStringLiteral("%1").arg(10000000 + id * 1234567 % 89999999, 8, 10, QLatin1Char('0')),
                         QString::fromUtf8(seed.kpp), QStringLiteral("407028100350000%1").arg(10000 + id),
                         QStringLiteral("Липецкое отделение №8593 ПАО Сбербанк"), QStringLiteral("30101810800000000604"),
                         QStringLiteral("044206604"), QString(), QStringLiteral("Бухгалтерия, доб. %1").arg(100 + id),
                         id == 2 ? QStringLiteral("Договор хранения №14/2023") : QString(), seed.deleted ? 1 : 0,
                         licensed ? QStringLiteral("ЛН-%1").arg(4800 + id) : QString(),
                         licensed ? QVariant(QDate(2021, 1 + id % 12, 10)) : QVariant(),
                         licensed ? QStringLiteral("Управление Ростехнадзора") : QString(), 643});
        int salesType = 0;
        for (const Role& role : seed.roles) {
            types.add({id, role.ctype, role.param});
            if (seed.deleted)
                continue;
            switch (role.ctype) {
            case kSupplier: result.suppliers << id; break;
            case kConsignee: result.consignees << id; break;
            case kCarrier: result.carriers << id; break;
            case kPayer: result.payers << id; break;
            case kKeeper: result.keepers << id; break;
            case kSales:
                if (salesType == 0)
                    salesType = role.param;
                break;
            default: break;
            }
        }
        if (salesType == 0)
            continue;
        // A client on account: also in the older statement-client table, under the same number.
        contractors.add({id, name, QString::fromUtf8(seed.fullName), inn, QString::fromUtf8(seed.address), salesType, id,
                         seed.deleted ? 1 : 0});
        DemoClient client{id, name, inn, salesType, {}, {}};
        const int carCount = 2 + id % 2;
        for (int c = 0; c < carCount; ++c) {
            ++carId;
            const QString make = QString::fromUtf8(kCarMakes[(id + c) % 6]);
            const bool trailer = make.startsWith(QStringLiteral("КАМАЗ")) || make.startsWith(QStringLiteral("МАЗ"));
            cars.add({carId, id, id, registration(carId), make, trailer ? QStringLiteral("НЕФАЗ 8560") : QString(),
                      trailer ? QStringLiteral("АК%1 48").arg(1000 + carId) : QString(),
                      trailer ? QStringLiteral("%1").arg(30 + carId) : QString(), 0});
            client.cars << DemoCar{carId, registration(carId), make};
        }
        for (int d = 0; d < 2; ++d) {
            ++driverId;
            const QString driver = QString::fromUtf8(kDriverNames[(driverId - 1) % 10]);
            drivers.add({driverId, id, id, driver, QStringLiteral("48 ОА %1").arg(100000 + driverId * 7919 % 900000), 0});
            client.drivers << DemoDriver{driverId, driver};
        }
        if (!seed.deleted)
            result.clients << client;
    }
    // A car taken out of service stays in the table, marked deleted.
    cars.add({++carId, result.clients.front().id, result.clients.front().id, registration(carId),
              QString::fromUtf8(kCarMakes[0]), QString(), QString(), QString(), 1});
    contragents.finish();
    types.finish();
    contractors.finish();
    cars.finish();
    drivers.finish();
    result.tankers = {QStringLiteral("МАЗ Р471ОК 48"), QStringLiteral("КАМАЗ В205РТ 48"), QStringLiteral("Volvo Е999АА 36")};
    return result;
}

} // namespace velta::station
