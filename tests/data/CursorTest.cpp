// Cursor behaviour of client datasets: navigation, Locate and Lookup, index
// orders, master-detail, clones and bookmarks.
#include "DataTestUtil.h"
#include "common/Exception.h"
#include "plugin/data/DataSource.h"

#include <gtest/gtest.h>

using namespace velta;
using namespace velta::test;

namespace {

// Contragents with names in both cases, some without an INN.
void loadContragents(TClientDataSet& ds)
{
    loadRows(ds, {FieldDef("ID", FieldType::Int32), FieldDef("Name", FieldType::String, 50),
                  FieldDef("INN", FieldType::String, 20), FieldDef("Kind", FieldType::Int16)},
             {{1, "Ромашка", "7701", 2},
              {2, "альфа", Variant::null(), 1},
              {3, "Альфа-Трейд", "7702", 2},
              {4, "Берёза", "7703", 1},
              {5, "АЛЬФА", "7704", 1}});
}

TEST(CursorTest, NavigationFlagsAndRecNo)
{
    TClientDataSet ds;
    loadContragents(ds);
    EXPECT_TRUE(ds.Bof());
    EXPECT_FALSE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 1);
    ds.Prior();
    EXPECT_TRUE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 1);
    EXPECT_EQ(ds.MoveBy(10), 4) << "moves as far as there are records";
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 5);
    EXPECT_EQ(ds.MoveBy(-2), -2);
    EXPECT_FALSE(ds.Eof());
    EXPECT_FALSE(ds.Bof());
    EXPECT_EQ(ds.RecNo(), 3);
    ds.SetRecNo(2);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 2);
    ds.Last();
    EXPECT_TRUE(ds.Eof());
    EXPECT_EQ(ds.RecNo(), 5);
}

TEST(CursorTest, EmptyAndClosedDatasets)
{
    TClientDataSet ds;
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.RecordCount(), EDatabaseError);
    EXPECT_THROW(ds.Open(), EDatabaseError) << "no provider and no data";
    loadRows(ds, {FieldDef("ID", FieldType::Int32)}, {});
    EXPECT_TRUE(ds.IsEmpty());
    EXPECT_TRUE(ds.Bof() && ds.Eof());
    EXPECT_EQ(ds.RecNo(), -1);
    EXPECT_TRUE(ds.FieldByName("ID").IsNull());
    ds.Next();
    EXPECT_TRUE(ds.Eof());
    EXPECT_THROW(ds.Delete(), EDatabaseError);
}

TEST(CursorTest, FieldByNameNamesTheDataset)
{
    TClientDataSet ds;
    ds.SetName("VDCnt");
    loadContragents(ds);
    EXPECT_EQ(&ds.FieldByName("name"), &ds.FieldByName("NAME"));
    try {
        ds.FieldByName("Phone");
        FAIL();
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), "VDCnt: Field 'Phone' not found");
    }
    EXPECT_EQ(ds.FindField("Phone"), nullptr);
}

TEST(CursorTest, LocatePartialAndCaseInsensitive)
{
    TClientDataSet ds;
    loadContragents(ds);
    EXPECT_FALSE(ds.Locate("Name", "альфа-", 0));
    EXPECT_TRUE(ds.Locate("Name", "альфа-", loCaseInsensitive | loPartialKey));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 3);
    EXPECT_TRUE(ds.Locate("Name", "АЛЬФА", 0));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 5) << "exact case finds the upper-case name";
    EXPECT_TRUE(ds.Locate("Name", "АЛЬФА", loCaseInsensitive));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 2) << "the first match in cursor order";
    EXPECT_TRUE(ds.Locate("Name", "Бер", loPartialKey));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 4);
}

TEST(CursorTest, LocateSeveralFieldsNullsAndTypes)
{
    TClientDataSet ds;
    loadContragents(ds);
    ds.Last();
    const int before = ds.RecNo();
    EXPECT_FALSE(ds.Locate("Name;Kind", Variant(Variant::Array{"альфа", 2}), loCaseInsensitive));
    EXPECT_EQ(ds.RecNo(), before) << "a failed Locate does not move";
    EXPECT_TRUE(ds.Locate("Name;Kind", Variant(Variant::Array{"альфа", 1}), 0));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 2);
    EXPECT_TRUE(ds.Locate("INN", Variant::null(), 0));
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 2);
    EXPECT_TRUE(ds.Locate("ID", "4", 0)) << "a text key for a number field";
    EXPECT_EQ(ds.FieldByName("Name").AsString(), "Берёза");
    EXPECT_FALSE(ds.Locate("ID", "четыре", 0));
    EXPECT_THROW(ds.Locate("Name;Kind", "альфа", 0), EDatabaseError) << "one value for two fields";
}

TEST(CursorTest, LookupDoesNotMove)
{
    TClientDataSet ds;
    loadContragents(ds);
    ds.SetRecNo(4);
    EXPECT_EQ(ds.Lookup("INN", "7702", "Name").toString(), "Альфа-Трейд");
    const Variant both = ds.Lookup("ID", 1, "Name;Kind");
    ASSERT_TRUE(both.isArray());
    EXPECT_EQ(both.at(0).toString(), "Ромашка");
    EXPECT_EQ(both.at(1).toInt(), 2);
    EXPECT_TRUE(ds.Lookup("ID", 42, "Name").isNull());
    EXPECT_EQ(ds.RecNo(), 4);
}

TEST(CursorTest, IndexOrdersAreStableAndIgnoreCase)
{
    TClientDataSet ds;
    loadContragents(ds);
    ds.SetIndexFieldNames("Name");
    EXPECT_EQ(columnTexts(ds, "ID"), QStringList({"2", "5", "3", "4", "1"}))
        << "equal names without regard to case keep their original order";
    ds.SetIndexFieldNames("Kind;Name");
    EXPECT_EQ(columnTexts(ds, "ID"), QStringList({"2", "5", "4", "3", "1"}));
    ds.SetIndexFieldNames("INN");
    EXPECT_EQ(columnTexts(ds, "ID").first(), "2") << "Null first";
    EXPECT_THROW(ds.SetIndexFieldNames("Phone"), EDatabaseError);
    EXPECT_EQ(ds.IndexFieldNames(), "INN");
    ds.SetIndexFieldNames("");
    EXPECT_EQ(columnTexts(ds, "ID"), QStringList({"1", "2", "3", "4", "5"}));
}

TEST(CursorTest, IndexChangeKeepsTheCurrentRecordAndInsertsFindTheirPlace)
{
    TClientDataSet ds;
    loadContragents(ds);
    ASSERT_TRUE(ds.Locate("ID", 4, 0));
    ds.SetIndexFieldNames("Name");
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 4);
    EXPECT_EQ(ds.RecNo(), 4);
    ds.Append();
    ds.FieldByName("ID").SetAsInteger(6);
    ds.FieldByName("Name").SetAsString("Астра");
    ds.Post();
    EXPECT_EQ(ds.RecNo(), 4) << "the new record sits in name order";
    EXPECT_EQ(columnTexts(ds, "ID"), QStringList({"2", "5", "3", "6", "4", "1"}));
}

TEST(CursorTest, DetailFollowsTheMaster)
{
    TClientDataSet cnt;
    TClientDataSet car;
    loadRows(cnt, {FieldDef("ID", FieldType::Int32), FieldDef("Name", FieldType::String, 50)},
             {{10, "Ромашка"}, {20, "Берёза"}, {30, "Пусто"}});
    loadRows(car, {FieldDef("CID", FieldType::Int32), FieldDef("GosNum", FieldType::String, 12),
                   FieldDef("IsDelete", FieldType::Int32)},
             {{20, "в222вв", 0}, {10, "а111аа", 0}, {20, "с333сс", 1}, {10, "е555ее", 0}});
    TDataSource cntSource(&cnt);
    car.SetIndexFieldNames("CID");
    car.SetMasterFields("ID");
    car.SetMasterSource(&cntSource);
    EXPECT_EQ(columnTexts(car, "GosNum"), QStringList({"а111аа", "е555ее"}));
    cnt.Next();
    EXPECT_EQ(columnTexts(car, "GosNum"), QStringList({"в222вв", "с333сс"}));
    car.SetFilter("IsDelete=0");
    car.SetFiltered(true);
    EXPECT_EQ(columnTexts(car, "GosNum"), QStringList({"в222вв"}));
    cnt.Next();
    EXPECT_TRUE(car.IsEmpty());
    cnt.First();
    EXPECT_EQ(car.RecordCount(), 2);

    // A new detail record belongs to the master's current record.
    car.Append();
    car.FieldByName("GosNum").SetAsString("к777кк");
    car.FieldByName("IsDelete").SetAsInteger(0);
    car.Post();
    EXPECT_EQ(car.FieldByName("CID").AsInteger(), 10);
    EXPECT_EQ(car.RecordCount(), 3);

    cnt.Close();
    EXPECT_TRUE(car.IsEmpty()) << "no master record, no detail records";
}

TEST(CursorTest, ClonesShareDataButNotTheirCursor)
{
    TClientDataSet ds;
    loadContragents(ds);
    ds.SetFilter("Kind = 1");
    ds.SetFiltered(true);
    TClientDataSet clone;
    clone.CloneCursor(ds);
    EXPECT_EQ(clone.RecordCount(), 3) << "the clone takes the source's filter";
    clone.SetFilter("Kind = 2");
    EXPECT_EQ(clone.RecordCount(), 2);
    EXPECT_EQ(ds.RecordCount(), 3) << "its own filter leaves the source alone";
    clone.SetIndexFieldNames("Name");
    clone.Last();
    EXPECT_EQ(ds.RecNo(), 1);

    // An edit through one cursor is seen through the other.
    ASSERT_TRUE(clone.Locate("ID", 1, 0));
    clone.Edit();
    clone.FieldByName("Kind").SetAsInteger(1);
    clone.Post();
    EXPECT_EQ(ds.RecordCount(), 4);
    EXPECT_EQ(ds.ChangeCount(), 1) << "one change log";

    TClientDataSet fresh;
    fresh.CloneCursor(ds, true);
    EXPECT_EQ(fresh.RecordCount(), 5) << "a reset clone has no filter";
    ds.Close();
    EXPECT_EQ(fresh.RecordCount(), 5) << "the clone keeps the data after the source closed";
}

TEST(CursorTest, BookmarksSurviveFilterAndIndexChanges)
{
    TClientDataSet ds;
    loadContragents(ds);
    ASSERT_TRUE(ds.Locate("ID", 3, 0));
    const TBookmark three = ds.GetBookmark();
    ds.Last();
    const TBookmark five = ds.GetBookmark();
    EXPECT_LT(ds.CompareBookmarks(three, five), 0);
    ds.SetIndexFieldNames("Name");
    EXPECT_GT(ds.CompareBookmarks(three, five), 0) << "order of the current index";
    ds.GotoBookmark(three);
    EXPECT_EQ(ds.FieldByName("ID").AsInteger(), 3);

    ds.SetFilter("Kind = 1");
    ds.SetFiltered(true);
    EXPECT_FALSE(ds.BookmarkValid(three)) << "filtered out";
    EXPECT_THROW(ds.GotoBookmark(three), EDatabaseError);
    ds.SetFiltered(false);
    EXPECT_TRUE(ds.BookmarkValid(three));

    ds.GotoBookmark(five);
    ds.Delete();
    EXPECT_FALSE(ds.BookmarkValid(five));
    EXPECT_EQ(ds.CompareBookmarks(TBookmark(), TBookmark()), 0);
    EXPECT_LT(ds.CompareBookmarks(TBookmark(), three), 0);

    TClientDataSet clone;
    clone.CloneCursor(ds, true);
    clone.GotoBookmark(three);
    EXPECT_EQ(clone.FieldByName("ID").AsInteger(), 3) << "a clone takes the source's bookmarks";
    TClientDataSet other;
    loadContragents(other);
    EXPECT_FALSE(other.BookmarkValid(three)) << "another dataset's bookmark";
}

TEST(CursorTest, ScrollEventsAndDisabledControls)
{
    TClientDataSet ds;
    loadContragents(ds);
    int scrolls = 0;
    ds.AfterScroll = [&](TClientDataSet&) { ++scrolls; };
    ds.Next();
    ds.Next();
    ds.Last();
    ds.Next(); // already at the end: no move
    EXPECT_EQ(scrolls, 3);

    TDataSource source(&ds);
    int changes = 0;
    source.OnDataChange = [&](TDataSource&, TField*) { ++changes; };
    ds.DisableControls();
    for (ds.First(); !ds.Eof(); ds.Next()) {
    }
    EXPECT_EQ(changes, 0);
    ds.EnableControls();
    EXPECT_GT(changes, 0);
}

} // namespace

namespace {

TEST(CursorLifetimeTest, MasterSourceGoneBeforeTheDetail)
{
    TClientDataSet master;
    TClientDataSet detail;
    loadRows(master, {FieldDef("ID", FieldType::Int32)}, {{1}, {2}});
    loadRows(detail, {FieldDef("CID", FieldType::Int32)}, {{1}, {2}, {2}});
    detail.SetIndexFieldNames("CID");
    detail.SetMasterFields("ID");
    {
        TDataSource source(&master);
        detail.SetMasterSource(&source);
        master.Next();
        EXPECT_EQ(detail.RecordCount(), 2);
    }
    EXPECT_EQ(detail.MasterSource(), nullptr);
    master.First();
    detail.SetMasterFields("");
    EXPECT_EQ(detail.RecordCount(), 3) << "without a master every record shows";
}

} // namespace
