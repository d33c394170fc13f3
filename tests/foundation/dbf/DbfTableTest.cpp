// The table as a dataset: browsing, deletion marks, editing, filters, Locate,
// creating tables and saving them.
#include "common/Exception.h"
#include "plugin/foundation/dbf/DBFAccess.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "plugin/platform/Clock.h"
#include "tests/foundation/dbf/DbfTestFiles.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace velta;
using velta::test::RawTable;
using velta::test::TestEnv;

namespace {

RawTable people()
{
    RawTable t;
    t.fields = {{"NAME", 'C', 10}, {"AGE", 'N', 3}, {"RATE", 'N', 6, 2}, {"OK", 'L', 1}, {"BORN", 'D', 8}};
    t.records = {
        "Anna       30  1.50T19940105",
        "boris      25 10.25F20000229",
        "Clara      41  0.75Y19830317",
        "Dmitry     25  2.00N        ",
        "abcdef     19  3.10?20050901",
    };
    t.deleted = {false, true, false, false, false};
    return t;
}

QStringList names(TMemDBFTable& table)
{
    QStringList out;
    for (table.First(); !table.Eof(); table.Next())
        out << table.FieldByName("NAME").AsString();
    return out;
}

QString errorOf(const std::function<void()>& action)
{
    try {
        action();
    } catch (const Exception& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

} // namespace

TEST(DbfTable, BrowsingSkipsDeletedRecordsUnlessShown)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    EXPECT_EQ(table.RecordCount(), 5);
    EXPECT_EQ(table.DeletedCount(), 1);
    EXPECT_EQ(names(table), (QStringList{"Anna", "Clara", "Dmitry", "abcdef"}));
    table.SetShowDeleted(true);
    EXPECT_EQ(names(table).size(), 5);
}

TEST(DbfTable, NavigationFlagsAndRecordNumbers)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.RecNo(), 1);
    table.Next();
    EXPECT_EQ(table.RecNo(), 3); // record 2 is deleted: numbers count all records
    table.Last();
    EXPECT_TRUE(table.Eof());
    EXPECT_EQ(table.RecNo(), 5);
    table.Next();
    EXPECT_EQ(table.RecNo(), 5);
    table.Prior();
    EXPECT_FALSE(table.Eof());
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"Dmitry");
    table.First();
    table.Prior();
    EXPECT_TRUE(table.Bof());
    EXPECT_EQ(table.FieldByName("name").AsString(), u"Anna");
}

TEST(DbfTable, EmptyAndAllHiddenTables)
{
    RawTable t = people();
    t.records.clear();
    TMemDBFTable empty;
    empty.LoadFromBytes(t.bytes());
    EXPECT_TRUE(empty.IsEmpty());
    EXPECT_TRUE(empty.Bof() && empty.Eof());
    EXPECT_EQ(empty.RecNo(), 0);
    EXPECT_TRUE(empty.FieldByName("AGE").IsNull());
    EXPECT_EQ(errorOf([&] { empty.Delete(); }), u"Cannot perform this operation on an empty dataset");

    RawTable gone = people();
    gone.deleted = {true, true, true, true, true};
    TMemDBFTable hidden;
    hidden.LoadFromBytes(gone.bytes());
    EXPECT_TRUE(hidden.IsEmpty());
    EXPECT_EQ(hidden.RecNo(), 1); // before the first record of a non-empty table
}

TEST(DbfTable, DeleteMarksAndMovesOn)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    table.Last();
    table.Delete();
    EXPECT_EQ(table.DeletedCount(), 2);
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"Dmitry");
    table.SetShowDeleted(true);
    table.Last();
    EXPECT_TRUE(table.IsDeleted());
    table.Delete(); // already marked: counted once
    EXPECT_EQ(table.DeletedCount(), 2);
    EXPECT_EQ(table.RecordCount(), 5);
}

TEST(DbfTable, AppendInsertEditCancel)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    table.Append();
    EXPECT_EQ(table.State(), dsInsert);
    EXPECT_TRUE(table.FieldByName("NAME").IsNull());
    table.FieldByName("NAME").SetAsString("Eve");
    table.FieldByName("AGE").SetAsInteger(50);
    table.Post();
    EXPECT_EQ(table.RecordCount(), 6);
    EXPECT_EQ(table.RecNo(), 6);

    table.First(); // Anna
    table.Next();  // Clara, record 3
    table.Insert();
    table.FieldByName("NAME").SetAsString("Bea");
    table.Post();
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_EQ(names(table), (QStringList{"Anna", "Bea", "Clara", "Dmitry", "abcdef", "Eve"}));

    table.First();
    table.Edit();
    table.FieldByName("AGE").SetAsInteger(31);
    table.Cancel();
    EXPECT_EQ(table.FieldByName("AGE").AsInteger(), 30);
    table.Edit();
    table.FieldByName("AGE").SetAsInteger(31);
    table.Next(); // navigating posts the change
    table.First();
    EXPECT_EQ(table.FieldByName("AGE").AsInteger(), 31);

    table.Append();
    table.FieldByName("NAME").SetAsString("dropped");
    table.Cancel();
    EXPECT_EQ(table.RecordCount(), 7);
}

TEST(DbfTable, EditOnAnEmptyTableInserts)
{
    RawTable t = people();
    t.records.clear();
    TMemDBFTable table;
    table.LoadFromBytes(t.bytes());
    table.Edit();
    EXPECT_EQ(table.State(), dsInsert);
    table.FieldByName("NAME").SetAsString("First");
    table.Post();
    EXPECT_EQ(names(table), QStringList{"First"});
}

TEST(DbfTable, FilterOnStrings)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    table.SetFilter("NAME=abc");
    EXPECT_EQ(names(table).size(), 4); // not filtered yet
    table.SetFiltered(true);
    EXPECT_EQ(names(table), QStringList{"abcdef"});
    table.SetFilterOptions(foNoPartialCompare);
    EXPECT_TRUE(names(table).isEmpty());
    table.SetFilter(" NAME = abcdef ");
    EXPECT_EQ(names(table), QStringList{"abcdef"});
    table.SetFilterOptions(foCaseInsensitive);
    table.SetFilter("NAME=A");
    EXPECT_EQ(names(table), (QStringList{"Anna", "Clara", "abcdef"}));
    table.SetFilterOptions(0);
    table.SetFilter("NAME>=a");
    EXPECT_EQ(names(table), QStringList{"abcdef"}); // by character codes, capitals first
    table.SetFilter("NAME<>Anna");
    EXPECT_EQ(names(table), (QStringList{"Clara", "Dmitry", "abcdef"}));
}

TEST(DbfTable, FilterOperatorsAreTakenInTheirOrder)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    table.SetFiltered(true);
    table.SetFilter("AGE<=25");
    EXPECT_EQ(names(table), (QStringList{"Dmitry", "abcdef"}));
    table.SetFilter("AGE<25");
    EXPECT_EQ(names(table), QStringList{"abcdef"});
    table.SetFilter("AGE>30");
    EXPECT_EQ(names(table), QStringList{"Clara"});
    table.SetFilter("RATE>=2,00");
    EXPECT_EQ(names(table), (QStringList{"Dmitry", "abcdef"}));
    table.SetFilter("RATE=x");
    EXPECT_TRUE(names(table).isEmpty());
}

TEST(DbfTable, FilterWithoutOperatorOrFieldPassesAll)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    table.SetFiltered(true);
    table.SetFilter("NAME abc");
    EXPECT_EQ(names(table).size(), 4);
    table.SetFilter("NOSUCH=1");
    EXPECT_EQ(names(table).size(), 4);
}

TEST(DbfTable, FilterOnBooleansAndDates)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    table.SetFiltered(true);
    table.SetFilter("OK=y");
    EXPECT_EQ(names(table), (QStringList{"Anna", "Clara"}));
    table.SetFilter("OK<T");
    EXPECT_EQ(names(table), (QStringList{"Dmitry", "abcdef"}));
    table.SetFilter("BORN<01.01.1995");
    EXPECT_EQ(names(table), (QStringList{"Anna", "Clara"}));
    table.SetFilter("BORN>=1.9.2005");
    EXPECT_EQ(names(table), QStringList{"abcdef"});
    table.SetFilter("BORN=tomorrow");
    EXPECT_TRUE(names(table).isEmpty());
}

TEST(DbfTable, LocateOverAllRecords)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    EXPECT_TRUE(table.Locate("NAME", "Clara"));
    EXPECT_EQ(table.RecNo(), 3);
    EXPECT_FALSE(table.Locate("NAME", "clara"));
    EXPECT_TRUE(table.Locate("NAME", "clara", loCaseInsensitive));
    EXPECT_FALSE(table.Locate("NAME", "Cla"));
    EXPECT_TRUE(table.Locate("NAME", "Cla", loPartialKey));
    // Deleted records are searched too.
    EXPECT_TRUE(table.Locate("NAME", "boris"));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_TRUE(table.Locate("AGE;OK", Variant(Variant::Array{25, false})));
    EXPECT_EQ(table.RecNo(), 2);
    EXPECT_TRUE(table.Locate("AGE; NAME", Variant(Variant::Array{25, "Dmitry"})));
    EXPECT_EQ(table.RecNo(), 4);
    EXPECT_TRUE(table.Locate("RATE", 10.25));
    EXPECT_FALSE(table.Locate("RATE", 10.2500001));
    EXPECT_FALSE(table.Locate("BORN", Variant::fromDate(EncodeDate(1994, 1, 5))));
    EXPECT_FALSE(table.Locate("AGE", "not a number"));
    EXPECT_FALSE(table.Locate(" ; ", "x"));
    EXPECT_EQ(errorOf([&] { table.Locate("NOSUCH", 1); }), u"Field 'NOSUCH' not found");
}

TEST(DbfTable, FileNameCannotChangeWhileOpen)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    EXPECT_EQ(errorOf([&] { table.SetFileName("x.dbf"); }), u"Cannot change Filename if table is active");
    table.Close();
    EXPECT_EQ(errorOf([&] { table.SetFileName("x.dbf"); }), u"<no error>");
}

TEST(DbfTableSave, PackOnSaveDropsDeletedRecords)
{
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    const TDBFImage kept = TDBFAccess::Read(table.SaveToBytes());
    EXPECT_EQ(kept.Header.RecordCount, 5u);
    EXPECT_EQ(kept.Data.at(kept.RecordsOffset + kept.Header.RecordSize), '*');
    table.SetPackOnSave(true);
    const QByteArray packedBytes = table.SaveToBytes();
    const TDBFImage packed = TDBFAccess::Read(packedBytes);
    EXPECT_EQ(packed.Header.RecordCount, 4u);
    EXPECT_EQ(packedBytes.size(), packed.Header.HeaderSize + 4 * packed.Header.RecordSize + 1);
    EXPECT_EQ(packedBytes.back(), '\x1a');
    EXPECT_EQ(table.RecordCount(), 5); // memory keeps the marked record
}

TEST(DbfTableSave, DateAndLanguageDriverOfTheSavedHeader)
{
    ManualClock clock;
    clock.setNow(EncodeDate(2026, 2, 3) + 0.5);
    ScopedClock scoped(clock);
    TMemDBFTable table;
    table.LoadFromBytes(people().bytes());
    QByteArray bytes = table.SaveToBytes();
    EXPECT_EQ(bytes[1], 26);
    EXPECT_EQ(bytes[2], 2);
    EXPECT_EQ(bytes[3], 3);
    EXPECT_EQ(static_cast<unsigned char>(bytes[29]), 101);

    TMemDBFTable ansi;
    ansi.SetOEM(false);
    ansi.LoadFromBytes(people().bytes());
    EXPECT_EQ(ansi.SaveToBytes()[29], 3);

    RawTable keeps = people();
    keeps.languageDriver = 38;
    ansi.LoadFromBytes(keeps.bytes());
    EXPECT_EQ(ansi.SaveToBytes()[29], 38);

    clock.setNow(EncodeDate(2000, 5, 6));
    EXPECT_EQ(static_cast<unsigned char>(table.SaveToBytes()[1]), 100);
}

TEST(DbfTableSave, DBase4FloatsAreWrittenWithTheLetterF)
{
    RawTable t = people();
    t.version = 0x8B & 0x7F; // dBase IV family without memo
    TMemDBFTable table;
    table.LoadFromBytes(t.bytes());
    const QByteArray bytes = table.SaveToBytes();
    EXPECT_EQ(bytes[32 + 2 * 32 + 11], 'F'); // RATE N(6,2)
    EXPECT_EQ(bytes[32 + 1 * 32 + 11], 'N'); // AGE N(3)
    TMemDBFTable again;
    again.LoadFromBytes(bytes);
    EXPECT_DOUBLE_EQ(again.FieldByName("RATE").AsFloat(), 1.5);
}

TEST(DbfTableSave, SaveToFileWithBackup)
{
    TestEnv env;
    const QString name = env.path("table.dbf");
    TMemDBFTable table;
    EXPECT_EQ(errorOf([&] { table.SaveToFile(); }), u"Can not save to file. File name requested");
    table.SetFileName(name);
    test::writeFileBytes(name, people().bytes());
    table.Open();
    table.Edit();
    table.FieldByName("NAME").SetAsString("Anya");
    table.SetMakeBackup(true);
    table.SaveToFile(); // posts the edit first
    EXPECT_TRUE(QFile::exists(env.path("table.~dbf")));
    test::writeFileBytes(env.path("table.~dbf"), "old backup");
    table.SaveToFile();
    const QByteArray backup = test::readFileBytes(env.path("table.~dbf"));
    EXPECT_NE(backup, "old backup");

    TMemDBFTable reread;
    reread.SetFileName(name);
    reread.Open();
    EXPECT_EQ(reread.FieldByName("NAME").AsString(), u"Anya");
    EXPECT_EQ(reread.RecordCount(), 5);
}

TEST(DbfTableSave, OpenMissingFileFails)
{
    TestEnv env;
    TMemDBFTable table;
    table.SetFileName(env.path("missing.dbf"));
    EXPECT_THROW(table.Open(), EFOpenError);
    EXPECT_FALSE(table.Active());
}

TEST(DbfTableCreate, FromFieldDefinitions)
{
    TestEnv env;
    TMemDBFTable table;
    table.AddFieldDef("name", ftString, 40);
    table.AddFieldDef("Quantity12", ftSmallint);
    table.AddFieldDef("BIGNUMBER", ftLargeint);
    table.AddFieldDef("PRICE", ftCurrency);
    table.AddFieldDef("WEIGHT", ftFloat, 12, 3);
    table.AddFieldDef("AMOUNT", ftFMTBcd, 8, 2);
    table.AddFieldDef("OK", ftBoolean);
    table.AddFieldDef("DAY", ftDate);
    table.AddFieldDef("STAMP", ftDateTime);
    table.CreateTable(env.path("new.dbf"));
    EXPECT_EQ(table.FileName(), env.path("new.dbf"));
    EXPECT_FALSE(table.Active());

    const QByteArray bytes = test::readFileBytes(env.path("new.dbf"));
    EXPECT_EQ(bytes.size(), 32 + 9 * 32 + 1 + 1);
    EXPECT_EQ(bytes.back(), '\x1a');
    table.Open();
    const QVector<TDBFFieldDesc>& d = table.FieldDescs();
    ASSERT_EQ(d.size(), 9);
    EXPECT_EQ(d[0].Name, u"NAME");
    EXPECT_EQ(d[1].Name, u"QUANTITY12");
    struct Expect { char letter; int length; int decimals; TFieldType type; };
    const Expect expected[] = {
        {'C', 40, 0, ftString}, {'N', 11, 0, ftInteger}, {'N', 11, 0, ftInteger},
        {'N', 20, 4, ftFloat}, {'N', 12, 3, ftFloat}, {'N', 20, 4, ftFloat},
        {'L', 1, 0, ftBoolean}, {'D', 8, 0, ftDate}, {'C', 30, 0, ftString},
    };
    for (int i = 0; i < 9; ++i) {
        EXPECT_EQ(d[i].Letter, expected[i].letter) << i;
        EXPECT_EQ(d[i].Length, expected[i].length) << i;
        EXPECT_EQ(d[i].Decimals, expected[i].decimals) << i;
        EXPECT_EQ(d[i].FieldType, expected[i].type) << i;
    }
    EXPECT_EQ(table.Header().RecordSize, 1 + 40 + 11 + 11 + 20 + 12 + 20 + 1 + 8 + 30);
    EXPECT_EQ(table.RecordCount(), 0);
}

TEST(DbfTableCreate, InvalidTypeAndInMemoryTables)
{
    TMemDBFTable table;
    table.AddFieldDef("PIC", ftGraphic);
    EXPECT_EQ(errorOf([&] { table.CreateTable(); }), u"CreateTable -> Invalid field type: 17");

    TMemDBFTable memory;
    memory.AddFieldDef("NAME", ftString, 5);
    memory.CreateTable();
    memory.Open();
    memory.Append();
    memory.FieldByName("NAME").SetAsString("x");
    memory.Post();
    EXPECT_EQ(memory.RecordCount(), 1);
    EXPECT_EQ(errorOf([&] { memory.CreateTable(); }), u"Cannot perform this operation on an open dataset");

    TMemDBFTable tooWide;
    for (int i = 0; i < 20; ++i)
        tooWide.AddFieldDef(QStringLiteral("F%1").arg(i), ftString, 250);
    EXPECT_EQ(errorOf([&] { tooWide.CreateTable(); }), u"Access out of range");
}

TEST(DbfTableCreate, MemoTablesOpenTheirMemoFile)
{
    TestEnv env;
    RawTable t;
    t.version = 131;
    t.fields = {{"NOTE", 'M', 10}};
    t.records = {"         1"};
    test::writeFileBytes(env.path("memo.dbf"), t.bytes());
    TMemDBFTable table;
    table.SetFileName(env.path("memo.dbf"));
    EXPECT_THROW(table.Open(), EFOpenError);
    EXPECT_FALSE(table.Active());

    test::writeFileBytes(env.path("memo.dbt"), QByteArray(100, 'x'));
    EXPECT_THROW(table.Open(), EReadError);
    EXPECT_FALSE(table.Active());

    QByteArray block(600, '\0');
    block[0] = 2;
    test::writeFileBytes(env.path("memo.dbt"), block);
    table.Open();
    EXPECT_EQ(table.MemoHeader().size(), 512);
    EXPECT_EQ(table.MemoHeader().at(0), 2);
    EXPECT_FALSE(table.FieldByName("NOTE").IsNull());
}
