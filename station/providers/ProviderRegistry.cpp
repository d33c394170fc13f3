#include "station/providers/ProviderRegistry.h"

#include <utility>

namespace velta::station {
namespace {

struct Column {
    const char* alias; // the field name clients know
    const char* expr;  // column or expression
};

// "SELECT expr AS "Alias", ... FROM ...": the alias keeps the field name's
// letter case; plain columns whose name differs from the alias are remembered
// so updates find their column.
void setAliasedQuery(ProviderDef& def, std::initializer_list<Column> columns, const QString& tail)
{
    QStringList items;
    for (const Column& c : columns) {
        const QString alias = QString::fromLatin1(c.alias);
        QString expr = QString::fromLatin1(c.expr);
        items << QStringLiteral("%1 AS \"%2\"").arg(expr, alias);
        if (expr.startsWith(QLatin1Char('"')))
            expr = expr.mid(1, expr.size() - 2);
        if (expr.compare(alias, Qt::CaseInsensitive) != 0)
            def.columnOfField.insert(alias.toUpper(), expr);
    }
    def.query = QStringLiteral("SELECT ") + items.join(QStringLiteral(", ")) + QLatin1Char(' ') + tail;
}

ProviderDef provider(const char* name, bool readOnly, const char* table, QStringList keys)
{
    ProviderDef def;
    def.name = QString::fromLatin1(name);
    def.readOnly = readOnly;
    def.takesCommandText = true;
    def.table = QString::fromLatin1(table);
    def.keyColumns = std::move(keys);
    return def;
}

ProviderDef shiftLog()
{
    ProviderDef def = provider("SmLogProvider", false, "SMLOG", {QStringLiteral("SMNUM")});
    setAliasedQuery(def,
                    {{"SmNum", "SMNUM"}, {"BegTime", "BEGTIME"}, {"EndTime", "ENDTIME"}, {"Operator", "OPERATOR"},
                     {"InKKM", "INKKM"}, {"OutKKM", "OUTKKM"}, {"SummaTovary", "SUMMATOVARY"},
                     {"Operator2", "OPERATOR2"}, {"Operator3", "OPERATOR3"}},
                    QStringLiteral("FROM SMLOG ORDER BY SMNUM"));
    return def;
}

ProviderDef fuelMovement()
{
    ProviderDef def = provider("PrxLogProvider", true, "PRX", {QStringLiteral("OPNUM")});
    setAliasedQuery(def,
                    {{"OpNum", "OPNUM"}, {"Date", "\"DATE\""}, {"SmNum", "SMNUM"}, {"Operator", "OPERATOR"},
                     {"GSMName", "GSMNAME"}, {"CarVolTTN", "CARVOLTTN"}, {"SiloName", "SILONAME"},
                     {"BegTime", "BEGTIME"}, {"EndTime", "ENDTIME"}, {"SiloLevelBefore", "SILOLEVELBEFORE"},
                     {"SiloLevelAfter", "SILOLEVELAFTER"}, {"Fact1", "FACT1"}, {"Dopusk", "DOPUSK"},
                     {"Delta", "DELTA"}, {"UdVes", "UDVES"}, {"Temper", "TEMPER"}, {"FactPlotn", "FACTPLOTN"},
                     {"Cor", "COR"}, {"Prihod", "PRIHOD"}, {"Prim", "PRIM"}, {"AUTO", "AUTO"},
                     {"CarName", "CARNAME"}},
                    QStringLiteral("FROM PRX ORDER BY OPNUM"));
    return def;
}

ProviderDef dispenserHistory()
{
    // The dispenser history window sends its own query of the journal (newest first).
    ProviderDef def = provider("DSPTRKHistory", true, "TRK", {QStringLiteral("ID")});
    // Ordered by the (TRK, TIME) index, so the first rows come without a sort.
    setAliasedQuery(def,
                    {{"Time", "\"TIME\""}, {"Client", "CLIENT"}, {"Gsm", "GSM"}, {"Operation", "OPERATION"},
                     {"Op1", "OP1"}, {"AutoMobil", "AUTOMOBIL"}, {"Op2", "OP2"}, {"Liters", "LITERS"},
                     {"Summa", "SUMMA"}},
                    QStringLiteral("FROM TRK WHERE TRK = :TrkName ORDER BY TRK, \"TIME\""));
    def.params << ProviderParam{QStringLiteral("TrkName"), QStringLiteral("1")};
    return def;
}

ProviderDef allSales(bool saleMeterColumns)
{
    ProviderDef def = provider("DSPRepAllLogTran", true, "LOGTRAN", {QStringLiteral("INDEXSALE")});
    const QString massa = saleMeterColumns ? QStringLiteral("l.MASSAPLM") : QStringLiteral("l.LITER * l.PLOTN");
    const QString density = saleMeterColumns ? QStringLiteral("l.TRKDENSITY") : QStringLiteral("l.PLOTN");
    def.query = QStringLiteral(
                    "SELECT l.INDEXSALE, l.DATA AS TIDEDATE, l.GSMNAME, l.LITER, %1 AS MASSA, l.SUMMA, l.PLISTNUM, "
                    "c.NAME AS CNAME, d.NAME AS DRIVERFIO, d.UDOST, car.MARKA AS CARMARKA, car.NAME AS CARGOSNUM, "
                    "l.VIDOPL, l.INN, l.POKUPATEL, CAST(l.BASEPRICE * l.LITER AS NUMERIC(18,4)) AS BASESUMMA, "
                    "%2 AS TRKDENS "
                    "FROM LOGTRAN l "
                    "LEFT JOIN VDCONTRACTOR c ON CAST(c.ID AS VARCHAR(10)) = l.IDCNT "
                    "LEFT JOIN VDDRIVER d ON d.ID = l.IDDRV "
                    "LEFT JOIN VDCAR car ON car.ID = l.IDCAR "
                    "ORDER BY l.INDEXSALE")
                    .arg(massa, density);
    def.fieldTypes.insert(QStringLiteral("MASSA"), FieldType::FmtBcd);
    return def;
}

ProviderDef scanDocs()
{
    ProviderDef def = provider("DSPRepScanDoc", false, "SCANDOC", {QStringLiteral("ID")});
    // The contragent names come along for display; updates write SCANDOC's own columns only.
    def.query = QStringLiteral(
        "SELECT d.ID, d.DATA, d.DOCTYPE, d.DOCNUMBER, d.DOCDATA, d.CNTSENDER_ID, s.NAME AS CNTSENDER, "
        "d.CNTTARGET_ID, t.NAME AS CNTTARGET, d.CNTPER_ID, p.NAME AS CNTPER, d.OPERATOR, d.DRIVER, d.OTHER, "
        "d.ISDELETE, d.FILENAMES "
        "FROM SCANDOC d "
        "LEFT JOIN CONTRAGENT s ON s.CONTR_ID = d.CNTSENDER_ID "
        "LEFT JOIN CONTRAGENT t ON t.CONTR_ID = d.CNTTARGET_ID "
        "LEFT JOIN CONTRAGENT p ON p.CONTR_ID = d.CNTPER_ID "
        "ORDER BY d.ID");
    return def;
}

ProviderDef plain(const char* name, bool readOnly, const char* table, QStringList keys, const char* query)
{
    ProviderDef def = provider(name, readOnly, table, std::move(keys));
    def.query = QString::fromLatin1(query);
    return def;
}

ProviderDef fixedOnly(ProviderDef def)
{
    def.takesCommandText = false;
    return def;
}

} // namespace

QString ProviderDef::columnFor(const QString& fieldName) const
{
    const QString upper = fieldName.toUpper();
    return columnOfField.value(upper, upper);
}

ProviderRegistry::ProviderRegistry(bool saleMeterColumns)
{
    const QString id = QStringLiteral("ID");
    providers_ << shiftLog() << fuelMovement() << dispenserHistory()
               << plain("DSPRepTTN", false, "TTN", {QStringLiteral("TTN_ID")}, "SELECT * FROM TTN ORDER BY TTN_ID")
               << plain("DSPRepTTNDet", false, "TTNDETAIL", {QStringLiteral("TTN_ID"), id},
                        "SELECT * FROM TTNDETAIL ORDER BY TTN_ID, ID")
               // A new note number: each opening takes the next value of the notes' generator.
               << fixedOnly(plain("DSPRepTTNID", true, "TTN", {QStringLiteral("TTN_ID")},
                                  "SELECT GEN_ID(GEN_TTN_ID, 1) AS TTN_ID FROM RDB$DATABASE"))
               << plain("DSPRepLogTran", false, "LOGTRAN", {QStringLiteral("INDEXSALE")},
                        "SELECT * FROM LOGTRAN ORDER BY INDEXSALE")
               << allSales(saleMeterColumns) << scanDocs()
               << plain("DSPRepScanDocTypes", false, "SCANDOCTYPE", {id},
                        "SELECT ID, NAME, FILEPREFIX FROM SCANDOCTYPE ORDER BY ID")
               << plain("OrgListProvider", false, "CONTRAGENT", {QStringLiteral("CONTR_ID")},
                        "SELECT * FROM CONTRAGENT ORDER BY NAME")
               << plain("OrgTypeProvider", false, "CONTRAGENTTYPE",
                        {QStringLiteral("CONTR_ID"), QStringLiteral("CTYPE"), QStringLiteral("PARAM1")},
                        "SELECT * FROM CONTRAGENTTYPE ORDER BY CONTR_ID, CTYPE, PARAM1");
    ProviderDef custom = provider("DSPRepCustomSQL", true, "", {});
    providers_ << custom;
    ProviderDef connect = provider("DSPRepDBConnect", true, "", {});
    connect.takesCommandText = false;
    connect.emptyPacket = true;
    providers_ << connect;
}

const ProviderDef* ProviderRegistry::find(const QString& name) const
{
    for (const ProviderDef& def : providers_) {
        if (def.name == name)
            return &def;
    }
    return nullptr;
}

QStringList ProviderRegistry::names() const
{
    QStringList list;
    for (const ProviderDef& def : providers_)
        list << def.name;
    return list;
}

} // namespace velta::station
