#pragma once
// Consignment notes of known content written into a demo station for the
// printed form tests: four parties, a note with three lines (the second
// left out of the transport section and the invoice, the third the own
// entry of a merged sale with every print flag cleared) and free variables,
// and a note kept only in the header as single-line stations keep it.
#include "station/db/StationDatabase.h"

#include <QString>
#include <QStringList>

namespace velta::test::notes {

inline constexpr int kThreeLineNote = 9001;
inline constexpr int kHeaderOnlyNote = 9002;
inline constexpr int kConsignor = 9001;
inline constexpr int kConsignee = 9002;
inline constexpr int kPayer = 9003;
inline constexpr int kCarrier = 9004;

// Row 2 empty, row 3 a value holding "|", row 10 a name without value.
inline const QString kVarList = QStringLiteral(
    "1=Договор|№ 15/24 от 10.01.2024\r\n2=|\r\n3=Примечание|налив|верхний\r\n4=|\r\n5=|\r\n6=|\r\n7=|\r\n8=|\r\n9=|\r\n"
    "10=Пломба|\r\n");

inline void insertParties(station::StationDatabase& db)
{
    db.exec(QStringLiteral(
        "INSERT INTO CONTRAGENT (CONTR_ID, NAME, FULLNAME, INN, KPP, ADDRESS, PHONE, RSCHET, BANKNAME, KSCHET, BIK) "
        "VALUES (9001, 'АЗС-Сервис', 'ООО \"АЗС-Сервис\"', '4826012345', '482601001', 'г. Липецк, ул. Московская, 112', "
        "'(4742) 22-33-44', '40702810100000001234', 'ПАО Сбербанк', '30101810800000000604', '044206604')"));
    db.exec(QStringLiteral("INSERT INTO CONTRAGENT (CONTR_ID, NAME, FULLNAME, INN, ADDRESS) VALUES (9002, 'Рассвет', "
                           "'АО \"Агрофирма Рассвет\"', '4813001122', 'Липецкая обл., с. Введенка')"));
    db.exec(QStringLiteral("INSERT INTO CONTRAGENT (CONTR_ID, NAME, FULLNAME, INN, KPP, ADDRESS) VALUES (9003, 'Торговый дом', "
                           "'ООО \"Торговый дом Черноземье\"', '4825067890', '482501001', 'г. Липецк, пр. Победы, 29')"));
    db.exec(QStringLiteral("INSERT INTO CONTRAGENT (CONTR_ID, NAME, KPP) VALUES (9004, 'ИП Кузнецов А.В.', '482599999')"));
}

// The header columns every test note has, as (column, SQL literal).
inline QStringList headerColumns()
{
    return {
        "TTNSER='ББ'", "TTNNUMBER='000123'", "TTNDATE='2024-03-15'", "GO_ID=9001", "GP_ID=9002", "PLAT_ID=9003",
        "PER_ID=9004", "DOVERNUM='Д-77'", "DOVERDATE='2024-03-14'", "NADB=0", "SKLADRASHOD=500", "ALLSUMMANUM=85500",
        "ALLMEST='2'", "PRILPAGESNUM=1", "PRILPAGESTEXT='один'", "MNETTONUM=1.377",
        "MBRUTTONUM=1.4", "MBRUTTOTEXT='одна тыс. четыреста кг'", "DOSTDATE='2024-03-16'", "PLIST='0457'",
        "CARMARKA='КАМАЗ 5320'", "CARNUM='А123ВС48'", "PRMARKA1='НефАЗ'", "PRNUM1='АВ1234 48'", "PRGARNUM1='17'",
        "DRIVERPOST='Водитель'", "DRIVERFIO='Сидоров П.П.'", "DRIVERUDOST='48 ОА 123456'", "LICCARD=1",
        "TRANSPKIND='Автомобильный'", "PKOD='02'", "PUNKTPOGRUZ='АЗС №7, г. Липецк'", "PUNKTRAZGRUZ='Склад получателя'",
        "PMARSHRUT='Липецк - Елец'", "BOSSPOST='Начальник АЗС'", "BOSSFIO='Белова Т.С.'", "BUHFIO='Орлова Л.М.'",
        "GOPOST='Оператор'", "GOFIO='Иванова Н.П.'", "TTNAPPLIED=0", "SFNUMBER='СФ-45'", "SFDATE='2024-03-15'",
        "SFPLATDOC='№ 12 от 14.03.2024'", "SFGOTYPE=1", "SFBOSSFIO='Белова Т.С.'", "SFBUHFIO='Орлова Л.М.'",
        "TNNUMBER='ТН-45'", "TNDATE='2024-03-15'", "TNPOST_ID=9001", "TNPLAT_ID=9003", "TNOSNNAME='Договор'",
        "TNOSNNUMBER='15/24'", "TNOSNDATE='2024-01-10'", "TNTRNUMBER='000123'", "TNTRDATE='2024-03-15'",
        "TNOPERATION='Реализация'", "INDEXSALE=0", "PRESSURE=0"};
}

// The cargo columns of one line as (column, SQL literal), without suffix.
inline QStringList lineColumns(const QString& name, const QString& volume, const QString& density, const QString& tonnes,
                               const QString& sum, const QString& price, const QString& rate, const QString& vat,
                               const QString& withVat, const QString& pressure)
{
    return {"PKOD='0101'", "PREISKURANT='ПР-2024'", "ARTICLE='21002'", "COUNT=" + tonnes, "PRICE=" + price,
            "NAME='" + name + "'", "UNIT='т'", "UPAKVID='налив'", "MEST=1", "MASSA=" + tonnes, "SUMMA=" + sum,
            "KARDNUM=12", "VOLUME=" + volume, "UDVES=" + density, "TEMPER=15", "GNAME='Нефтепродукт " + name + "'",
            "GDOCUMENTS='Паспорт качества'", "GUPAKVID='цистерна'", "GMEST=1", "GOPREDMASSA='По объему и плотности'",
            "GKOD='2710'", "GKONT=''", "GCLASS='3'", "GMBRUTTO='" + tonnes + "'", "SFNAME='" + name + "'", "SFUNIT='т'",
            "SFCOUNT=" + tonnes, "SFPRICE=" + price, "SFSUMMA=" + sum, "SFEXCISE=0", "SFNDS=" + rate,
            "SFSUMMANDS=" + vat, "SFSUMMASNDS=" + withVat, "SFCOUNTRY='Россия'", "SFTAMDEKLAR=''", "PRESSURE=" + pressure};
}

inline QStringList firstLine()
{
    return lineColumns(QStringLiteral("ДТ"), "1200", "0.835", "1.002", "60000", "59880.24", "18", "10800", "70800", "0.15");
}

inline void insertRow(station::StationDatabase& db, const QString& table, const QStringList& assignments)
{
    QStringList columns, values;
    for (const QString& a : assignments) {
        const qsizetype equals = a.indexOf(QLatin1Char('='));
        const QString column = a.left(equals);
        columns << (column == QLatin1String("COUNT") ? QStringLiteral("\"COUNT\"") : column);
        values << a.mid(equals + 1);
    }
    db.exec(QStringLiteral("INSERT INTO %1 (%2) VALUES (%3)").arg(table, columns.join(", "), values.join(", ")));
}

// The header with its first line in the suffix-"1" columns (no PRESSURE of the line there).
inline QStringList headerWithFirstLine(int id, bool kvit, const QString& varList)
{
    QStringList header = headerColumns();
    header << QStringLiteral("TTN_ID=%1").arg(id) << QStringLiteral("OFCTTNID=%1").arg(id)
           << QStringLiteral("VARLIST=%1").arg(varList.isNull() ? QStringLiteral("NULL") : "'" + varList + "'");
    if (kvit)
        header << QStringLiteral("KVITNUMBER='КВ-9'") << QStringLiteral("KVITDATE='2024-03-15'");
    for (const QString& c : firstLine()) {
        const qsizetype equals = c.indexOf(QLatin1Char('='));
        if (!c.startsWith(QLatin1String("PRESSURE=")))
            header << c.left(equals) + QLatin1Char('1') + c.mid(equals);
    }
    return header;
}

inline QStringList detail(int note, int id, QStringList cargo, const QString& flags)
{
    const QStringList f = flags.split(QLatin1Char(','));
    cargo << QStringLiteral("TTN_ID=%1").arg(note) << QStringLiteral("ID=%1").arg(id) << "PRINTTTN1=" + f[0]
          << "PRINTTTN2=" + f[1] << "PRINTSF=" + f[2] << "PRINTTN=" + f[3] << QStringLiteral("INDEXSALE=0");
    return cargo;
}

// The three-line note and a note of the same station without lines of its own.
inline void insertCurrentNotes(station::StationDatabase& db)
{
    insertParties(db);
    insertRow(db, QStringLiteral("TTN"), headerWithFirstLine(kThreeLineNote, true, kVarList));
    insertRow(db, QStringLiteral("TTNDETAIL"), detail(kThreeLineNote, 1, firstLine(), QStringLiteral("1,1,1,1")));
    insertRow(db, QStringLiteral("TTNDETAIL"),
              detail(kThreeLineNote, 2,
                     lineColumns(QStringLiteral("АИ-95"), "500", "0.75", "0.375", "25000", "66666.67", "20", "5000", "30000", "0"),
                     QStringLiteral("1,0,0,5")));
    insertRow(db, QStringLiteral("TTNDETAIL"),
              detail(kThreeLineNote, 3,
                     lineColumns(QStringLiteral("АИ-95 (объединено)"), "200", "0.75", "0.15", "10000", "66666.67", "20",
                                 "2000", "12000", "0"),
                     QStringLiteral("0,0,0,0")));
    insertRow(db, QStringLiteral("TTN"), headerWithFirstLine(kHeaderOnlyNote, true, QString()));
}

// A single-line station: the note in the header alone, without the receipt's columns.
inline void insertLegacyNote(station::StationDatabase& db)
{
    insertParties(db);
    insertRow(db, QStringLiteral("TTN"), headerWithFirstLine(kThreeLineNote, false, kVarList));
}

} // namespace velta::test::notes
