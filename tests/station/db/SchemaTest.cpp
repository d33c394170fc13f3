#include "tests/station/StationFixture.h"

#include "common/Exception.h"
#include "station/db/Schema.h"
#include "station/db/Transaction.h"

#include <QFileInfo>
#include <map>

using namespace velta;
using namespace velta::test;

namespace {

// Tables and columns the plug-in's windows and reports read or write.
const std::map<QString, QStringList>& expectedColumns()
{
    static const std::map<QString, QStringList> tables = {
        {"SMLOG", {"SMNUM", "BEGTIME", "ENDTIME", "OPERATOR", "INKKM", "OUTKKM", "SUMMATOVARY", "OPERATOR2", "OPERATOR3"}},
        {"PRX", {"OPNUM", "DATE", "SMNUM", "OPERATOR", "GSMNAME", "CARVOLTTN", "SILONAME", "BEGTIME", "ENDTIME",
                 "SILOLEVELBEFORE", "SILOLEVELAFTER", "FACT1", "DOPUSK", "DELTA", "UDVES", "TEMPER", "FACTPLOTN", "COR",
                 "PRIHOD", "PRIM", "AUTO", "CARNAME"}},
        {"TRK", {"TRK", "TIME", "CLIENT", "GSM", "OPERATION", "OP1", "OP2", "LITERS", "SUMMA", "AUTOMOBIL"}},
        {"SMTRK", {"TRKNUM"}},
        {"LOGTRAN", {"INDEXSALE", "DATA", "GSMNAME", "LITER", "PLOTN", "SUMMA", "PLISTNUM", "IDCNT", "IDDRV", "IDCAR",
                     "VIDOPL", "INN", "POKUPATEL", "BASEPRICE", "TRKDENSITY", "MASSAPLM", "ID2CNT"}},
        {"LOGTRANDSC", {"INDEXSALE", "DSCVALTYPE", "DSCNAME", "DSCVAL", "DSCPARAM"}},
        {"CONTRAGENT", {"CONTR_ID", "NAME", "FULLNAME", "INN", "ADDRESS", "PHONE", "OKPO", "KPP", "RSCHET", "BANKNAME",
                        "KSCHET", "BIK", "FAX", "CONTACTINFO", "OTHER", "ISDELETE", "LICNUM", "LICDATE", "LICORG",
                        "COUNTRYCODE"}},
        {"CONTRAGENTTYPE", {"CONTR_ID", "CTYPE", "PARAM1"}},
        {"VDCONTRACTOR", {"ID", "NAME", "VIDOPL", "ISDELETE"}},
        {"VDCAR", {"ID", "CID", "CONTR_ID", "NAME", "MARKA", "PRMARKA", "PRGOSNUM", "PRGARNUMBER", "ISDELETE"}},
        {"VDDRIVER", {"ID", "CID", "CONTR_ID", "NAME", "UDOST", "ISDELETE"}},
        {"TTN", {"TTN_ID", "OFCTTNID", "ISDELETE", "TTNSER", "TTNNUMBER", "TTNDATE", "GO_ID", "GP_ID", "PLAT_ID", "PER_ID",
                 "DOVERNUM", "DOVERDATE", "NADB", "SKLADRASHOD", "ALLSUMMANUM", "ALLSUMMATEXT", "ALLMEST", "PRILPAGESNUM",
                 "PRILPAGESTEXT", "MNETTONUM", "MNETTOTEXT", "MBRUTTONUM", "MBRUTTOTEXT", "DOSTDATE", "PLIST", "CARMARKA",
                 "CARNUM", "PRMARKA1", "PRNUM1", "PRGARNUM1", "DRIVERPOST", "DRIVERFIO", "DRIVERUDOST", "LICCARD",
                 "TRANSPKIND", "PKOD", "PUNKTPOGRUZ", "PUNKTRAZGRUZ", "READDRESS", "PMARSHRUT", "BOSSPOST", "BOSSFIO",
                 "BUHFIO", "GOPOST", "GOFIO", "TTNAPPLIED", "SFNUMBER", "SFDATE", "SFPLATDOC", "SFGOTYPE", "SFBOSSFIO",
                 "SFINDPREDFIO", "SFBUHFIO", "SFGOSREG", "TNNUMBER", "TNDATE", "TNPOST_ID", "TNPLAT_ID", "TNOSNNAME",
                 "TNOSNNUMBER", "TNOSNDATE", "TNTRNUMBER", "TNTRDATE", "TNOPERATION", "KVITNUMBER", "KVITDATE", "VARLIST",
                 "INDEXSALE", "PRESSURE", "PKOD1", "PREISKURANT1", "ARTICLE1", "COUNT1", "PRICE1", "NAME1", "UNIT1",
                 "UPAKVID1", "MEST1", "MASSA1", "SUMMA1", "KARDNUM1", "GNAME1", "GDOCUMENTS1", "GUPAKVID1", "GMEST1",
                 "GOPREDMASSA1", "GKOD1", "GKONT1", "GCLASS1", "GMBRUTTO1", "SFNAME1", "SFUNIT1", "SFCOUNT1", "SFPRICE1",
                 "SFSUMMA1", "SFEXCISE1", "SFNDS1", "SFSUMMANDS1", "SFSUMMASNDS1", "SFCOUNTRY1", "SFTAMDEKLAR1", "VOLUME1",
                 "UDVES1", "TEMPER1"}},
        {"TTNDETAIL", {"ID", "TTN_ID", "PKOD", "PREISKURANT", "ARTICLE", "COUNT", "PRICE", "NAME", "UNIT", "UPAKVID", "MEST",
                       "MASSA", "SUMMA", "KARDNUM", "INDEXSALE", "VOLUME", "UDVES", "TEMPER", "PRESSURE", "GNAME",
                       "GDOCUMENTS", "GUPAKVID", "GMEST", "GOPREDMASSA", "GKOD", "GKONT", "GCLASS", "GMBRUTTO", "SFNAME",
                       "SFUNIT", "SFCOUNT", "SFPRICE", "SFSUMMA", "SFEXCISE", "SFNDS", "SFSUMMANDS", "SFSUMMASNDS",
                       "SFCOUNTRY", "SFTAMDEKLAR", "PRINTTTN1", "PRINTTTN2", "PRINTSF", "PRINTTN"}},
        {"SCANDOC", {"ID", "DATA", "DOCTYPE", "DOCNUMBER", "DOCDATA", "CNTSENDER_ID", "CNTTARGET_ID", "CNTPER_ID", "OPERATOR",
                     "DRIVER", "OTHER", "ISDELETE", "FILENAMES"}},
        {"SCANDOCTYPE", {"ID", "NAME", "FILEPREFIX"}},
    };
    return tables;
}

// What an older station lacks, and nothing else.
const std::map<QString, QStringList> kLegacyMissing = {
    {"LOGTRAN", {"TRKDENSITY", "MASSAPLM", "ID2CNT"}},
    {"TTN", {"KVITNUMBER", "KVITDATE"}},
};

using SchemaTest = CurrentAndLegacyStations<3000, 3000>;

} // namespace

TEST_F(SchemaTest, InitCreatesBothDatabasesUnderTheRoot)
{
    EXPECT_TRUE(QFileInfo(current_->result().stationPath).isFile());
    EXPECT_TRUE(QFileInfo(current_->result().officePath).isFile());
    EXPECT_TRUE(current_->result().stationPath.startsWith(current_->root()));
    auto office = current_->openOffice();
    EXPECT_EQ(office->columnNames(QStringLiteral("OFFICE")).contains(QStringLiteral("AZSNAME")), true);
    EXPECT_GE(count(*office, QStringLiteral("SELECT COUNT(*) FROM Office")), 3);
    // The station database is WIN1251 throughout.
    auto db = current_->open();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT TRIM(RDB$CHARACTER_SET_NAME) FROM RDB$DATABASE")).toString(),
              QStringLiteral("WIN1251"));
}

TEST_F(SchemaTest, EveryNamedTableAndColumnExists)
{
    auto db = current_->open();
    for (const auto& [table, columns] : expectedColumns()) {
        const QStringList actual = db->columnNames(table);
        ASSERT_FALSE(actual.isEmpty()) << table.toStdString();
        for (const QString& c : columns)
            EXPECT_TRUE(actual.contains(c)) << table.toStdString() << "." << c.toStdString();
    }
}

TEST_F(SchemaTest, AmountsUseTheFixedPointDomain)
{
    auto db = current_->open();
    const QStringList sources = column(*db, QStringLiteral(
        "SELECT TRIM(RDB$RELATION_NAME) || '.' || TRIM(RDB$FIELD_NAME) || '=' || TRIM(RDB$FIELD_SOURCE) "
        "FROM RDB$RELATION_FIELDS WHERE RDB$FIELD_NAME IN ('LITER', 'SUMMA', 'BASEPRICE', 'PLOTN', 'DSCVAL', 'LITERS', "
        "'CARVOLTTN', 'ALLSUMMANUM', 'MASSA1', 'TRKDENSITY', 'MASSAPLM') AND RDB$SYSTEM_FLAG = 0"));
    ASSERT_GE(sources.size(), 11);
    for (const QString& s : sources)
        EXPECT_TRUE(s.endsWith(QStringLiteral("=T_NUMBER"))) << s.toStdString();
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT RDB$FIELD_SCALE FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'T_NUMBER'")).toInt(), -4);
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT RDB$FIELD_PRECISION FROM RDB$FIELDS WHERE RDB$FIELD_NAME = 'T_NUMBER'")).toInt(), 18);
}

TEST_F(SchemaTest, LegacyStationLacksExactlyTheLaterParts)
{
    auto now = current_->open();
    auto old = legacy_->open();
    EXPECT_TRUE(now->tableNames().contains(QStringLiteral("TTNDETAIL")));
    QStringList expectedTables = now->tableNames();
    expectedTables.removeAll(QStringLiteral("TTNDETAIL"));
    EXPECT_EQ(old->tableNames(), expectedTables);
    for (const QString& table : old->tableNames()) {
        QStringList expected = now->columnNames(table);
        const auto missing = kLegacyMissing.find(table);
        if (missing != kLegacyMissing.end())
            for (const QString& c : missing->second) {
                EXPECT_TRUE(expected.contains(c));
                expected.removeAll(c);
            }
        EXPECT_EQ(old->columnNames(table), expected) << table.toStdString();
    }
    // The legacy demo still has notes, each with its one line in the header.
    EXPECT_GT(count(*old, QStringLiteral("SELECT COUNT(*) FROM TTN WHERE NAME1 IS NOT NULL")), 0);
}

TEST_F(SchemaTest, GeneratorsGiveTheNextFreeNumber)
{
    auto db = current_->open();
    for (const station::GeneratorKey& g : station::stationGenerators()) {
        const qlonglong top = db->scalar(QStringLiteral("SELECT COALESCE(MAX(%1), 0) FROM %2")
                                             .arg(QLatin1String(g.column), QLatin1String(g.table))).toLongLong();
        const qlonglong next = db->scalar(QStringLiteral("SELECT GEN_ID(%1, 0) FROM RDB$DATABASE")
                                              .arg(QLatin1String(g.generator))).toLongLong();
        EXPECT_EQ(next, top) << g.generator;
    }
    // A row written without its number is numbered by the trigger.
    station::Transaction tr(*db);
    db->exec(QStringLiteral("INSERT INTO SCANDOCTYPE (NAME, FILEPREFIX) VALUES ('Акт сверки', 'AS')"));
    EXPECT_EQ(db->scalar(QStringLiteral("SELECT ID FROM SCANDOCTYPE WHERE FILEPREFIX = 'AS'")).toInt(),
              db->scalar(QStringLiteral("SELECT MAX(ID) FROM SCANDOCTYPE WHERE FILEPREFIX <> 'AS'")).toInt() + 1);
}

TEST(StationInit, RefusesToReplaceAnExistingDatabaseUnlessForced)
{
    TestEnv env;
    station::InitOptions options;
    options.root = env.path(QStringLiteral("new/deeper/root"));
    options.sales = 200;
    const station::InitResult first = station::initStation(options);
    const QByteArray stationBytes = readFileBytes(first.stationPath);
    const QByteArray officeBytes = readFileBytes(first.officePath);
    ASSERT_FALSE(stationBytes.isEmpty());

    try {
        station::initStation(options);
        FAIL() << "a second init replaced the databases";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("already exists"))) << e.what();
        EXPECT_TRUE(e.message().contains(QStringLiteral("--force"))) << e.what();
    }
    EXPECT_EQ(readFileBytes(first.stationPath), stationBytes);
    EXPECT_EQ(readFileBytes(first.officePath), officeBytes);

    // Only the office database present: still refused, and the station file is not created.
    QFile::remove(first.stationPath);
    EXPECT_THROW(station::initStation(options), Exception);
    EXPECT_FALSE(QFileInfo::exists(first.stationPath));

    options.force = true;
    options.sales = 100;
    const station::InitResult forced = station::initStation(options);
    station::StationDatabase db(forced.stationPath);
    EXPECT_EQ(count(db, QStringLiteral("SELECT COUNT(*) FROM LOGTRAN")), 100);
}

TEST(StationInit, RefusesBadOptionsBeforeTouchingTheDisk)
{
    TestEnv env;
    station::InitOptions options;
    EXPECT_THROW(station::initStation(options), Exception); // no root
    options.root = env.path(QStringLiteral("r"));
    options.sales = -1;
    EXPECT_THROW(station::initStation(options), Exception);
    EXPECT_FALSE(QFileInfo::exists(options.root));
}
