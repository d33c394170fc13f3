// Tables written by other software read here with the same values, and
// tables written here read back by other software: python3-dbf and
// python3-dbfread (Debian's, under /usr/bin/python3) and shapelib's tools.
#include "common/Codecs.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "tests/foundation/dbf/DbfProcess.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <gtest/gtest.h>

using namespace velta;
using velta::test::TestEnv;
using velta::test::runProgram;

namespace {

const QString kPython = QStringLiteral("/usr/bin/python3");

// python3-dbf writes a dBase III table: strings in the given code page,
// numbers with and without decimals, logicals, dates (one empty), empty
// values and one deleted record.
const char kWriteWithPythonDbf[] = R"(
import sys, datetime, dbf
path, codepage = sys.argv[1], sys.argv[2]
t = dbf.Table(path, 'NAME C(30); PRICE N(10,2); QTY N(6,0); OK L; DAY D', dbf_type='db3', codepage=codepage)
t.open(dbf.READ_WRITE)
t.append(('Дизельное топливо', 61.35, 1200, True, datetime.date(2024, 12, 31)))
t.append(('Deleted row', 1.0, 1, False, datetime.date(2001, 2, 3)))
t.append(('Ёлка, "ООО"', -0.05, -7, False, None))
t.append((None, None, None, None, datetime.date(1999, 1, 2)))
dbf.delete(t[1])
t.close()
)";

// dbfread reads a table and prints its records (deleted ones flagged) as JSON.
const char kReadWithDbfread[] = R"(
import sys, json, dbfread
t = dbfread.DBF(sys.argv[1], encoding=sys.argv[2], load=True)
def conv(r, deleted):
    d = {k: (v.isoformat() if hasattr(v, 'isoformat') else v) for k, v in r.items()}
    d['_deleted'] = deleted
    return d
rows = [conv(r, False) for r in t.records] + [conv(r, True) for r in t.deleted]
print(json.dumps({'fields': [[f.name, f.type, f.length, f.decimal_count] for f in t.fields], 'rows': rows}))
)";

bool toolsPresent()
{
    return QFile::exists(kPython) && QFile::exists(QStringLiteral("/usr/bin/dbfcreate"));
}

QString dateText(DbfField& f)
{
    if (f.IsNull())
        return QStringLiteral("null");
    int y = 0, m = 0, d = 0;
    DecodeDate(f.AsDateTime(), y, m, d);
    return QStringLiteral("%1-%2-%3").arg(y).arg(m).arg(d);
}

void expectPythonDbfTable(TMemDBFTable& table)
{
    ASSERT_EQ(table.RecordCount(), 4);
    EXPECT_EQ(table.DeletedCount(), 1);
    ASSERT_EQ(table.FieldCount(), 5);
    EXPECT_EQ(table.FieldByName("NAME").Size(), 30);
    EXPECT_EQ(table.FieldByName("QTY").DataType(), ftInteger);
    EXPECT_EQ(table.FieldByName("PRICE").DataType(), ftFloat);

    table.First();
    EXPECT_EQ(table.FieldByName("NAME").AsString(), QStringLiteral("Дизельное топливо"));
    EXPECT_DOUBLE_EQ(table.FieldByName("PRICE").AsFloat(), 61.35);
    EXPECT_EQ(table.FieldByName("QTY").AsInteger(), 1200);
    EXPECT_EQ(table.FieldByName("OK").Value(), Variant(true));
    EXPECT_EQ(dateText(table.FieldByName("DAY")), u"2024-12-31");

    table.Next(); // the deleted record is skipped
    EXPECT_EQ(table.FieldByName("NAME").AsString(), QStringLiteral("Ёлка, \"ООО\""));
    EXPECT_DOUBLE_EQ(table.FieldByName("PRICE").AsFloat(), -0.05);
    EXPECT_EQ(table.FieldByName("QTY").AsInteger(), -7);
    EXPECT_EQ(table.FieldByName("OK").Value(), Variant(false));
    EXPECT_TRUE(table.FieldByName("DAY").IsNull());

    table.Next();
    for (const char* name : {"NAME", "PRICE", "QTY", "OK"})
        EXPECT_TRUE(table.FieldByName(name).IsNull()) << name;
    EXPECT_EQ(dateText(table.FieldByName("DAY")), u"1999-1-2");
    table.Next();
    EXPECT_TRUE(table.Eof());

    table.SetShowDeleted(true);
    table.First();
    table.Next();
    EXPECT_TRUE(table.IsDeleted());
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"Deleted row");
    EXPECT_EQ(dateText(table.FieldByName("DAY")), u"2001-2-3");
}

} // namespace

TEST(DbfInterop, ReadsPythonDbfTablesInBothCodePages)
{
    if (!toolsPresent())
        GTEST_SKIP() << "python3-dbf or shapelib not installed";
    TestEnv env;
    for (const bool oem : {true, false}) {
        const QString path = env.path(oem ? "oem.dbf" : "ansi.dbf");
        const auto w = runProgram(kPython, {"-c", kWriteWithPythonDbf, path, oem ? "cp866" : "cp1251"});
        ASSERT_EQ(w.exitCode, 0) << w.err.toStdString();
        TMemDBFTable table;
        table.SetOEM(oem);
        table.SetFileName(path);
        table.Open();
        SCOPED_TRACE(oem ? "cp866" : "cp1251");
        expectPythonDbfTable(table);
    }
}

TEST(DbfInterop, ReadsShapelibTables)
{
    if (!toolsPresent())
        GTEST_SKIP() << "python3-dbf or shapelib not installed";
    TestEnv env;
    const QString path = env.path("shp.dbf");
    ASSERT_EQ(runProgram("dbfcreate", {path, "-s", "NAME", "20", "-n", "PRICE", "10", "3", "-n", "QTY", "8", "0"}).exitCode, 0);
    ASSERT_EQ(runProgram("dbfadd", {path, "pump 1", "1234.567", "-42"}).exitCode, 0);
    ASSERT_EQ(runProgram("dbfadd", {path, "", "", ""}).exitCode, 0); // shapelib's nulls: asterisks
    ASSERT_EQ(runProgram("dbfadd", {path, "x", "0", "99999999"}).exitCode, 0);
    TMemDBFTable table;
    table.SetFileName(path);
    table.Open();
    EXPECT_EQ(table.VersionText(), u"dBase III+");
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"pump 1");
    EXPECT_DOUBLE_EQ(table.FieldByName("PRICE").AsFloat(), 1234.567);
    EXPECT_EQ(table.FieldByName("QTY").AsInteger(), -42);
    table.Next();
    EXPECT_TRUE(table.FieldByName("NAME").IsNull());
    EXPECT_TRUE(table.FieldByName("PRICE").IsNull());
    EXPECT_TRUE(table.FieldByName("QTY").IsNull());
    table.Next();
    EXPECT_DOUBLE_EQ(table.FieldByName("PRICE").AsFloat(), 0.0);
    EXPECT_EQ(table.FieldByName("QTY").AsInteger(), 99999999);
}

namespace {

// A table made here with every written type, nulls, a deleted record and
// Cyrillic text in the code page chosen by oem.
void writeOwnTable(const QString& path, bool oem)
{
    TMemDBFTable table;
    table.SetOEM(oem);
    table.AddFieldDef("NAME", ftString, 25);
    table.AddFieldDef("QTY", ftInteger);
    table.AddFieldDef("PRICE", ftFloat, 12, 2);
    table.AddFieldDef("OK", ftBoolean);
    table.AddFieldDef("DAY", ftDate);
    table.CreateTable(path);
    table.Open();
    auto add = [&](const Variant& name, const Variant& qty, const Variant& price, const Variant& ok, const Variant& day) {
        table.Append();
        table.FieldByName("NAME").SetValue(name);
        table.FieldByName("QTY").SetValue(qty);
        table.FieldByName("PRICE").SetValue(price);
        table.FieldByName("OK").SetValue(ok);
        table.FieldByName("DAY").SetValue(day);
        table.Post();
    };
    add(QStringLiteral("АЗС №5, \"Север\""), 15, 49.99, true, Variant::fromDate(EncodeDate(2026, 1, 31)));
    add("removed", 1, 1.0, false, Variant::null());
    add("plain", -3, -1234.5, false, Variant::fromDate(EncodeDate(1970, 6, 1)));
    add(Variant::null(), Variant::null(), Variant::null(), Variant::null(), Variant::null());
    table.Locate("NAME", "removed");
    table.Delete();
    table.SaveToFile();
}

} // namespace

TEST(DbfInterop, DbfreadReadsTablesWrittenHere)
{
    if (!toolsPresent())
        GTEST_SKIP() << "python3-dbf or shapelib not installed";
    TestEnv env;
    for (const bool oem : {true, false}) {
        SCOPED_TRACE(oem ? "cp866" : "cp1251");
        const QString path = env.path(oem ? "own-oem.dbf" : "own-ansi.dbf");
        writeOwnTable(path, oem);
        const auto r = runProgram(kPython, {"-c", kReadWithDbfread, path, oem ? "cp866" : "cp1251"});
        ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
        const QJsonObject doc = QJsonDocument::fromJson(r.out).object();
        const QJsonArray fields = doc["fields"].toArray();
        ASSERT_EQ(fields.size(), 5);
        EXPECT_EQ(fields[0].toArray(), (QJsonArray{"NAME", "C", 25, 0}));
        EXPECT_EQ(fields[1].toArray(), (QJsonArray{"QTY", "N", 11, 0}));
        EXPECT_EQ(fields[2].toArray(), (QJsonArray{"PRICE", "N", 12, 2}));
        EXPECT_EQ(fields[3].toArray(), (QJsonArray{"OK", "L", 1, 0}));
        EXPECT_EQ(fields[4].toArray(), (QJsonArray{"DAY", "D", 8, 0}));

        const QJsonArray rows = doc["rows"].toArray();
        ASSERT_EQ(rows.size(), 4);
        const QJsonObject first = rows[0].toObject();
        EXPECT_EQ(first["NAME"].toString(), QStringLiteral("АЗС №5, \"Север\""));
        EXPECT_EQ(first["QTY"].toInt(), 15);
        EXPECT_DOUBLE_EQ(first["PRICE"].toDouble(), 49.99);
        EXPECT_EQ(first["OK"].toBool(), true);
        EXPECT_EQ(first["DAY"].toString(), u"2026-01-31");
        const QJsonObject second = rows[1].toObject();
        EXPECT_EQ(second["NAME"].toString(), u"plain");
        EXPECT_EQ(second["QTY"].toInt(), -3);
        EXPECT_DOUBLE_EQ(second["PRICE"].toDouble(), -1234.5);
        EXPECT_EQ(second["OK"].toBool(), false);
        EXPECT_EQ(second["DAY"].toString(), u"1970-06-01");
        const QJsonObject empty = rows[2].toObject();
        EXPECT_EQ(empty["NAME"].toString(), QString());
        for (const char* name : {"QTY", "PRICE", "OK", "DAY"})
            EXPECT_TRUE(empty[name].isNull()) << name;
        const QJsonObject removed = rows[3].toObject();
        EXPECT_TRUE(removed["_deleted"].toBool());
        EXPECT_EQ(removed["NAME"].toString(), u"removed");
    }
}

TEST(DbfInterop, DbfdumpReadsTablesWrittenHere)
{
    if (!toolsPresent())
        GTEST_SKIP() << "python3-dbf or shapelib not installed";
    TestEnv env;
    const QString path = env.path("own.dbf");
    writeOwnTable(path, true);
    const auto r = runProgram("dbfdump", {"-m", path});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    // dbfdump prints the raw code page; one "FIELD: value" line per field.
    const QString text = codec::fromCp866(r.out);
    QStringList names;
    QStringList prices;
    QStringList quantities;
    for (const QString& line : text.split(u'\n')) {
        if (line.startsWith(u"NAME: "))
            names << line.mid(6).trimmed();
        else if (line.startsWith(u"PRICE: "))
            prices << line.mid(7).trimmed();
        else if (line.startsWith(u"QTY: "))
            quantities << line.mid(5).trimmed();
    }
    EXPECT_EQ(names, (QStringList{QStringLiteral("АЗС №5, \"Север\""), "removed", "plain", "(NULL)"}));
    EXPECT_EQ(quantities, (QStringList{"15", "1", "-3", "(NULL)"}));
    EXPECT_EQ(prices, (QStringList{"49.99", "1.00", "-1234.50", "(NULL)"}));
}
