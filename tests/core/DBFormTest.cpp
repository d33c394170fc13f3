// The data module without a server: the scanned document type checks before
// posting, the display of sale volumes and sums, the server computer rule and
// the contragent details of the statement reports.
#include "ReportCallsTestHost.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/ReportCalls.h"

#include <gtest/gtest.h>

using namespace velta;
using namespace velta::core;
using namespace velta::test;

namespace {

class DBFormTest : public ::testing::Test {
protected:
    // A new scanned document type in insert state, its ID left null.
    TClientDataSet& newDocType(const QString& name, const QString& prefix)
    {
        TClientDataSet& types = frm.dsScanDocTypes;
        if (!types.Active())
            types.CreateDataSet();
        types.Append();
        types.FieldByName("NAME").SetAsString(name);
        types.FieldByName("FILEPREFIX").SetAsString(prefix);
        return types;
    }
    QString postError(TClientDataSet& dataSet)
    {
        try {
            dataSet.Post();
        } catch (const Exception& e) {
            return e.message();
        }
        return QString();
    }

    TestEnv env;
    ScriptedHost host;
    TDBFrm frm;
};

TEST_F(DBFormTest, ANewDocumentTypeGetsItsIdentifierFromTheEngine)
{
    host.onReport = [](QString& text, int, const Variant&) { text = QStringLiteral("raw:3#0#2A#0"); };
    TClientDataSet& types = newDocType(QStringLiteral("Накладная"), QStringLiteral("nakl"));
    types.Post();
    EXPECT_EQ(types.FieldByName("ID").AsInteger(), 42);
    EXPECT_EQ(types.State(), dsBrowse);

    ASSERT_EQ(host.calls.size(), 1);
    const Variant& params = host.calls[0].params;
    EXPECT_EQ(host.calls[0].reportNo, report::kService);
    EXPECT_EQ(params.at(0).toInt(), 17);
    EXPECT_EQ(params.at(1).toInt(), 2); // through the engine's station connection
    const Variant& inner = params.at(2);
    EXPECT_EQ(inner.at(0).type(), VarType::Int32);
    EXPECT_EQ(inner.at(0).toInt(), 2); // the document type generator
    EXPECT_TRUE(inner.at(1).isArray());
    EXPECT_EQ(inner.at(1).arrayCount(), 0);
}

TEST_F(DBFormTest, AnExistingTypeKeepsItsIdentifierAndAsksNothing)
{
    TClientDataSet& types = newDocType(QStringLiteral("Акт"), QString());
    types.FieldByName("ID").SetAsInteger(7);
    types.Post();
    types.Edit();
    types.FieldByName("NAME").SetAsString(QStringLiteral("Акт сверки"));
    types.Post();
    EXPECT_EQ(types.FieldByName("ID").AsInteger(), 7);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(DBFormTest, AnEmptyNameIsRefusedBeforeThePrefixIsLookedAt)
{
    TClientDataSet& types = newDocType(QString(), QStringLiteral("a:b"));
    EXPECT_EQ(postError(types), QStringLiteral("Введите наименование документа"));
    EXPECT_EQ(types.State(), dsInsert);
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(DBFormTest, PrefixesWithFileNameCharactersAreRefused)
{
    TClientDataSet& types = newDocType(QStringLiteral("Акт"), QString());
    for (const QString bad : {"a:b", "a/b", "\\", "x\"", "*", "<", ">", "?"}) {
        types.FieldByName("FILEPREFIX").SetAsString(bad);
        EXPECT_EQ(postError(types), QStringLiteral("Префикс имени файла содержит недопустимые символы"))
            << bad.toStdString();
        EXPECT_EQ(types.State(), dsInsert);
    }
    EXPECT_TRUE(host.calls.isEmpty());
}

TEST_F(DBFormTest, OtherPrefixesAndAnEmptyOnePass)
{
    int next = 10;
    host.onReport = [&next](QString& text, int, const Variant&) {
        text = QStringLiteral("raw:3#0#%1#0").arg(next++, 0, 16);
    };
    for (const QString good : {"a|b", "", "скан_1.", "\t"}) {
        TClientDataSet& types = newDocType(QStringLiteral("Тип"), good);
        EXPECT_EQ(postError(types), QString()) << good.toStdString();
    }
    EXPECT_EQ(frm.dsScanDocTypes.RecordCount(), 4);
    EXPECT_EQ(host.calls.size(), 4);
}

TEST_F(DBFormTest, AnIdentifierThatIsNoNumberStopsThePost)
{
    // An answer without a type leaves the result unassigned: it must not become 0.
    host.onReport = [](QString& text, int, const Variant&) { text = QStringLiteral("OK"); };
    TClientDataSet& types = newDocType(QStringLiteral("Акт"), QString());
    EXPECT_FALSE(postError(types).isEmpty());
    EXPECT_EQ(types.State(), dsInsert);
    EXPECT_TRUE(types.FieldByName("ID").IsNull());
}

TEST_F(DBFormTest, EngineFailuresReachThePosterWrapped)
{
    host.onReport = [](QString&, int, const Variant&) { throw EDatabaseError(QStringLiteral("no generator")); };
    TClientDataSet& types = newDocType(QStringLiteral("Акт"), QString());
    EXPECT_EQ(postError(types),
              QStringLiteral("RptCallFunctionWithGSMDBConnect -> RptCallFunction -> no generator <# EDatabaseError #>"));
    EXPECT_EQ(types.State(), dsInsert);
}

TEST_F(DBFormTest, VolumesAndSumsOfSalesShowTwoDecimalsWithThousands)
{
    TClientDataSet& sales = frm.dsAllLogTran;
    sales.SetReadOnly(false); // filled here instead of by the server
    sales.CreateDataSet();
    sales.Append();
    sales.FieldByName("LITER").SetValue(Variant::fromCurrencyText(QStringLiteral("1234567.8951")));
    sales.FieldByName("SUMMA").SetValue(Variant::fromCurrencyText(QStringLiteral("-5")));
    sales.Post();
    const QString nbsp(QChar(0x00A0));
    EXPECT_EQ(sales.FieldByName("LITER").DisplayText(), QStringLiteral("1") + nbsp + "234" + nbsp + "567,90");
    EXPECT_EQ(sales.FieldByName("SUMMA").DisplayText(), QStringLiteral("-5,00"));
}

TEST_F(DBFormTest, TheServerComputerComesFromThePrivilegesUnlessLocal)
{
    host.privValues[13] = Variant(QStringLiteral("station-1"));

    host.privValues[11] = Variant(1);
    frm.VeltaServer.SetComputerName(QString());
    frm.VeltaServer.BeforeConnect(frm.VeltaServer);
    EXPECT_EQ(frm.VeltaServer.ComputerName(), QString());

    host.privValues[11] = Variant(0);
    frm.VeltaServer.BeforeConnect(frm.VeltaServer);
    EXPECT_EQ(frm.VeltaServer.ComputerName(), QStringLiteral("station-1"));

    // Any answer other than 1 counts as "not local", a text too.
    frm.VeltaServer.SetComputerName(QString());
    host.privValues[11] = Variant(QStringLiteral("да"));
    frm.VeltaServer.BeforeConnect(frm.VeltaServer);
    EXPECT_EQ(frm.VeltaServer.ComputerName(), QStringLiteral("station-1"));
}

TEST_F(DBFormTest, CarsAndDriversFollowTheChosenContragent)
{
    frm.VDCnt.FieldDefs = {FieldDef{QStringLiteral("ID"), FieldType::Int32}, FieldDef{QStringLiteral("Name"), FieldType::String, 40},
                           FieldDef{QStringLiteral("IsDelete"), FieldType::Int32}};
    frm.VDCnt.CreateDataSet();
    frm.VDCnt.AppendRecord({Variant(2), Variant(QStringLiteral("Южный")), Variant(0)});
    frm.VDCnt.AppendRecord({Variant(1), Variant(QStringLiteral("Альфа")), Variant(0)});

    frm.VDCar.FieldDefs = {FieldDef{QStringLiteral("CID"), FieldType::Int32}, FieldDef{QStringLiteral("Name"), FieldType::String, 40},
                           FieldDef{QStringLiteral("IsDelete"), FieldType::Int32}};
    frm.VDCar.CreateDataSet();
    frm.VDCar.AppendRecord({Variant(1), Variant(QStringLiteral("А001")), Variant(0)});
    frm.VDCar.AppendRecord({Variant(1), Variant(QStringLiteral("А002")), Variant(1)});
    frm.VDCar.AppendRecord({Variant(2), Variant(QStringLiteral("Б001")), Variant(0)});

    // The contragents are ordered by name: "Альфа" (ID 1) comes first.
    frm.VDCnt.First();
    EXPECT_EQ(frm.VDCnt.FieldByName("ID").AsInteger(), 1);
    EXPECT_EQ(frm.VDCar.RecordCount(), 2);
    frm.VDCar.SetFiltered(true); // the declared filter drops deleted cars
    EXPECT_EQ(frm.VDCar.RecordCount(), 1);
    EXPECT_EQ(frm.VDCar.FieldByName("Name").AsString(), QStringLiteral("А001"));
    frm.VDCnt.Next();
    EXPECT_EQ(frm.VDCar.RecordCount(), 1);
    EXPECT_EQ(frm.VDCar.FieldByName("Name").AsString(), QStringLiteral("Б001"));
}

} // namespace
