// Editing client datasets: states, the change log, required fields, events,
// persistent, calculated and lookup fields, display texts and data packets.
#include "DataTestUtil.h"
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "common/SysUtils.h"

#include <gtest/gtest.h>

using namespace velta;
using namespace velta::test;

namespace {

QVector<FieldDef> scanDocTypeFields()
{
    FieldDef id = keyField("ID", FieldType::Int32);
    id.setFlag(FieldRequired, true);
    return {id, FieldDef("NAME", FieldType::String, 10), FieldDef("FILEPREFIX", FieldType::String, 10)};
}

class EditTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        loadRows(types, scanDocTypeFields(), {{1, "ТТН", "ttn"}, {2, "Счет", "sch"}, {3, "Акт", Variant::null()}});
    }
    TClientDataSet types;
};

TEST_F(EditTest, ChangeLogOfEditsInsertsAndDeletes)
{
    ASSERT_TRUE(types.Locate("ID", 2, 0));
    types.Edit();
    EXPECT_EQ(types.State(), dsEdit);
    types.FieldByName("NAME").SetAsString("Счёт-фактура");
    EXPECT_EQ(types.FieldByName("NAME").AsString(), "Счёт-факту") << "cut to the field's size";
    types.Post();
    EXPECT_EQ(types.State(), dsBrowse);
    types.Append();
    types.FieldByName("ID").SetAsInteger(4);
    types.FieldByName("NAME").SetAsString("Договор");
    types.Post();
    ASSERT_TRUE(types.Locate("ID", 3, 0));
    types.Delete();
    EXPECT_EQ(types.ChangeCount(), 3);
    EXPECT_EQ(types.RecordCount(), 3);

    const DataPacket delta = types.Delta();
    ASSERT_EQ(delta.changes().size(), 3);
    QMap<RowState, ChangeEntry> byState;
    for (const ChangeEntry& e : delta.changes())
        byState[e.state] = e;
    const ChangeEntry& modified = byState[RowState::Modified];
    EXPECT_EQ(modified.original.value(0).toInt(), 2);
    EXPECT_EQ(modified.original.value(1).toString(), "Счет");
    EXPECT_TRUE(modified.changed(1));
    EXPECT_FALSE(modified.changed(2)) << "unchanged fields are not sent";
    EXPECT_EQ(byState[RowState::Inserted].values.value(1).toString(), "Договор");
    EXPECT_EQ(byState[RowState::Deleted].original.value(1).toString(), "Акт");
}

TEST_F(EditTest, InsertedThenDeletedLeavesNoTraceAndEditsCollapse)
{
    types.Append();
    types.FieldByName("ID").SetAsInteger(9);
    types.Post();
    types.Delete();
    EXPECT_EQ(types.ChangeCount(), 0);
    types.First();
    for (int i = 0; i < 3; ++i) {
        types.Edit();
        types.FieldByName("FILEPREFIX").SetAsString(QString("p%1").arg(i));
        types.Post();
    }
    EXPECT_EQ(types.ChangeCount(), 1) << "one record changed three times";
    EXPECT_EQ(types.Delta().changes().first().original.value(2).toString(), "ttn")
        << "the original stays the server's value";
}

TEST_F(EditTest, CancelUpdatesRestoresEverything)
{
    const QByteArray before = types.Data();
    types.First();
    types.Edit();
    types.FieldByName("NAME").SetAsString("X");
    types.Post();
    types.Next();
    types.Delete();
    types.Insert();
    types.FieldByName("ID").SetAsInteger(7);
    types.Post();
    types.CancelUpdates();
    EXPECT_EQ(types.ChangeCount(), 0);
    EXPECT_EQ(types.Data(), before) << "values and order as they were";
}

TEST_F(EditTest, MergeChangeLogKeepsValues)
{
    types.First();
    types.Edit();
    types.FieldByName("NAME").SetAsString("X");
    types.Post();
    types.MergeChangeLog();
    EXPECT_EQ(types.ChangeCount(), 0);
    types.CancelUpdates();
    types.First();
    EXPECT_EQ(types.FieldByName("NAME").AsString(), "X");
}

TEST_F(EditTest, CancelAndScrollingAway)
{
    types.First();
    types.Edit();
    types.FieldByName("NAME").SetAsString("X");
    types.Cancel();
    EXPECT_EQ(types.FieldByName("NAME").AsString(), "ТТН");
    types.Edit();
    types.FieldByName("NAME").SetAsString("Y");
    types.Next(); // scrolling posts
    types.First();
    EXPECT_EQ(types.FieldByName("NAME").AsString(), "Y");

    types.OnNewRecord = [](TClientDataSet& ds) { ds.FieldByName("FILEPREFIX").SetAsString("doc"); };
    types.Append();
    EXPECT_EQ(types.FieldByName("FILEPREFIX").AsString(), "doc");
    types.First(); // defaults alone are not kept
    EXPECT_EQ(types.RecordCount(), 3);
}

TEST_F(EditTest, RequiredFieldsAreCheckedAfterBeforePost)
{
    types.SetName("dsScanDocTypes");
    types.FieldByName("ID").SetDisplayLabel("№");
    types.Append();
    types.FieldByName("NAME").SetAsString("Накладная");
    try {
        types.Post();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Field '№' must have a value");
    }
    EXPECT_EQ(types.State(), dsInsert) << "the record stays in insert state";

    // The handler may fill the required field, as a new identifier is fetched.
    types.BeforePost = [](TClientDataSet& ds) {
        if (ds.FieldByName("NAME").AsString().isEmpty())
            throw Exception("Введите наименование документа");
        if (ds.FieldByName("ID").IsNull())
            ds.FieldByName("ID").SetAsInteger(77);
    };
    types.Post();
    EXPECT_EQ(types.FieldByName("ID").AsInteger(), 77);
    types.Edit();
    types.FieldByName("NAME").Clear();
    EXPECT_THROW(types.Post(), Exception);
    EXPECT_EQ(types.State(), dsEdit);
}

TEST_F(EditTest, WritingNeedsEditStateAndWritableTarget)
{
    EXPECT_THROW(types.FieldByName("NAME").SetAsString("X"), EDatabaseError);
    types.FieldByName("FILEPREFIX").SetReadOnly(true);
    types.Edit();
    try {
        types.FieldByName("FILEPREFIX").SetAsString("X");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Field 'FILEPREFIX' cannot be modified");
    }
    EXPECT_THROW(types.FieldByName("ID").SetAsString("abc"), EConvertError);
    types.Cancel();
    types.SetReadOnly(true);
    types.SetName("dsScanDocTypes");
    try {
        types.Edit();
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "dsScanDocTypes: Cannot modify a read-only dataset");
    }
    EXPECT_THROW(types.Append(), EDatabaseError);
    EXPECT_THROW(types.Delete(), EDatabaseError);
    EXPECT_EQ(types.ChangeCount(), 0);
}

TEST_F(EditTest, EditOnEmptyDatasetInserts)
{
    TClientDataSet ds;
    ds.FieldDefs = scanDocTypeFields();
    ds.CreateDataSet();
    ds.Edit();
    EXPECT_EQ(ds.State(), dsInsert);
    ds.FieldByName("ID").SetAsInteger(1);
    ds.Post();
    EXPECT_EQ(ds.RecordCount(), 1);
}

TEST(FieldTest, PersistentFieldsBindByName)
{
    TClientDataSet ds;
    TField& liters = ds.AddField("Liters", FieldType::Currency);
    liters.SetDisplayLabel("Литры");
    liters.SetDisplayWidth(9);
    liters.SetDisplayFormat("0.00");
    TField& summa = ds.AddField("Summa", FieldType::Currency);
    summa.SetCurrency(true);
    loadRows(ds, {FieldDef("Summa", FieldType::Currency), FieldDef("Extra", FieldType::Int32),
                  FieldDef("Liters", FieldType::Currency)},
             {{Currency{12345678}, 1, Currency{405000}}});
    EXPECT_EQ(ds.FieldCount(), 2) << "undeclared columns get no field";
    EXPECT_EQ(ds.FindField("Extra"), nullptr);
    EXPECT_EQ(&ds.Fields(0), &liters);
    EXPECT_EQ(liters.DisplayText(), "40,50");
    EXPECT_EQ(liters.AsString(), "40,5");
    EXPECT_EQ(summa.DisplayText(), QString::fromUtf8("1\u00A0234,57р.")) << "the Russian settings' no-break space";
    EXPECT_EQ(summa.AsCurrency().scaled, 12345678);
    EXPECT_EQ(liters.Alignment(), taRightJustify);
    ds.Close();
    EXPECT_EQ(ds.FieldCount(), 2) << "persistent fields outlive closing";

    TClientDataSet missing;
    missing.AddField("Liters", FieldType::Currency);
    missing.AddField("Nope", FieldType::Int32);
    try {
        loadRows(missing, {FieldDef("Liters", FieldType::Currency)}, {});
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "Field 'Nope' not found");
    }
    EXPECT_FALSE(missing.Active());
}

TEST(FieldTest, TypedAccessAndDisplay)
{
    TClientDataSet ds;
    loadRows(ds, {FieldDef("Time", FieldType::DateTime), FieldDef("Date", FieldType::Date),
                  FieldDef("Client", FieldType::Int16), FieldDef("Op", FieldType::Boolean),
                  FieldDef("Name", FieldType::String, 20)},
             {{Variant::fromDate(EncodeDateTime(2024, 2, 29, 7, 5, 0, 0)), Variant::fromDate(EncodeDate(2024, 2, 29)),
               3, true, "12"},
              {Variant::null(), Variant::null(), Variant::null(), Variant::null(), Variant::null()}});
    TField& time = ds.FieldByName("Time");
    EXPECT_EQ(time.AsString(), "29.02.2024 7:05:00");
    time.SetDisplayFormat("dd.mm.yy hh:nn");
    EXPECT_EQ(time.DisplayText(), "29.02.24 07:05");
    EXPECT_EQ(ds.FieldByName("Date").AsString(), "29.02.2024");
    EXPECT_EQ(ds.FieldByName("Client").AsFloat(), 3.0);
    EXPECT_EQ(ds.FieldByName("Op").AsString(), "True");
    EXPECT_EQ(ds.FieldByName("Name").AsInteger(), 12);
    ds.Next();
    EXPECT_TRUE(time.IsNull());
    EXPECT_EQ(time.DisplayText(), "");
    EXPECT_EQ(ds.FieldByName("Client").AsInteger(), 0);
    EXPECT_FALSE(ds.FieldByName("Op").AsBoolean());

    ds.Edit();
    ds.FieldByName("Client").SetAsString("");
    EXPECT_TRUE(ds.FieldByName("Client").IsNull()) << "an empty text makes a number Null";
    ds.FieldByName("Date").SetAsString("01.03.2024");
    EXPECT_EQ(ds.FieldByName("Date").AsDateTime(), EncodeDate(2024, 3, 1));
    EXPECT_THROW(ds.FieldByName("Client").SetAsInteger(70000), EDatabaseError) << "out of a SmallInt's range";
}

TEST(FieldTest, GetTextHandlerDecidesTheText)
{
    TClientDataSet ds;
    loadRows(ds, {FieldDef("LITER", FieldType::FmtBcd)}, {{Currency{123456789}}});
    TField& liter = ds.FieldByName("LITER");
    liter.OnGetText = [](TField& sender, QString& text, bool displayText) {
        text = displayText ? Format("%.2n", {Variant(sender.AsCurrency())}) : sender.AsString();
    };
    EXPECT_EQ(liter.DisplayText(), QString::fromUtf8("12\u00A0345,68"));
    EXPECT_EQ(liter.Text(), "12345,6789");
}

TEST(FieldTest, CalculatedAndLookupFields)
{
    TClientDataSet types;
    loadRows(types, scanDocTypeFields(), {{1, "ТТН", "ttn"}, {2, "Счет", "sch"}});
    TClientDataSet docs;
    docs.AddField("ID", FieldType::Int32);
    docs.AddField("DOCTYPE", FieldType::Int32);
    TField& name = docs.AddField("SDOCTYPE", FieldType::String, 100, fkLookup);
    name.KeyFields = "DOCTYPE";
    name.LookupDataSet = &types;
    name.LookupKeyFields = "ID";
    name.LookupResultField = "NAME";
    TField& twice = docs.AddField("Twice", FieldType::Int32, 0, fkCalculated);
    docs.OnCalcFields = [](TClientDataSet& ds) {
        ds.FieldByName("Twice").SetAsInteger(ds.FieldByName("ID").AsInteger() * 2);
    };
    loadRows(docs, {FieldDef("ID", FieldType::Int32), FieldDef("DOCTYPE", FieldType::Int32)},
             {{10, 2}, {11, 5}, {12, Variant::null()}});
    EXPECT_EQ(name.AsString(), "Счет");
    EXPECT_EQ(twice.AsInteger(), 20);
    docs.Next();
    EXPECT_TRUE(name.IsNull()) << "no such type";
    EXPECT_EQ(twice.AsInteger(), 22);
    docs.Next();
    EXPECT_TRUE(name.IsNull());
    docs.Edit();
    EXPECT_THROW(name.SetAsString("ТТН"), EDatabaseError);
    docs.FieldByName("DOCTYPE").SetAsInteger(1);
    EXPECT_EQ(name.AsString(), "ТТН") << "the edited key is looked up";
    EXPECT_EQ(types.RecNo(), 1);
}

TEST(DataPacketTest, DataRoundTripAndLocalDatasets)
{
    TClientDataSet vdcnt;
    vdcnt.FieldDefs = {FieldDef("ID", FieldType::Int32), FieldDef("Name", FieldType::String, 100),
                       FieldDef("IsDelete", FieldType::Int32)};
    vdcnt.SetFilter("IsDelete=0");
    vdcnt.SetIndexFieldNames("Name");
    vdcnt.CreateDataSet();
    vdcnt.AppendRecord({1, "Яблоко", 0});
    vdcnt.AppendRecord({2, "Вишня", 1});
    vdcnt.AppendRecord({3, "Арбуз", 0});
    EXPECT_EQ(vdcnt.RecordCount(), 3) << "a declared filter is not switched on";
    EXPECT_EQ(columnTexts(vdcnt, "ID"), QStringList({"3", "2", "1"}));

    TClientDataSet copy;
    copy.SetData(vdcnt.Data());
    EXPECT_EQ(columnTexts(copy, "Name"), QStringList({"Яблоко", "Вишня", "Арбуз"}));
    EXPECT_EQ(copy.ChangeCount(), 0);
    EXPECT_THROW(copy.SetData(QByteArray("garbage")), EProtocolError);

    TClientDataSet none;
    EXPECT_THROW(none.CreateDataSet(), EDatabaseError);
    vdcnt.EmptyDataSet();
    EXPECT_TRUE(vdcnt.IsEmpty());
}

} // namespace
