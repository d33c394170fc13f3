// velta-dbf on tables written by other software and on bad input.
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "tests/foundation/dbf/DbfProcess.h"
#include "tests/foundation/dbf/DbfTestFiles.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace velta;
using velta::test::ProcessResult;
using velta::test::TestEnv;

namespace {

QString tool()
{
    return QString::fromLocal8Bit(qgetenv("VELTA_BIN_DIR")) + QStringLiteral("/velta-dbf");
}

ProcessResult velta_dbf(const QStringList& args)
{
    return test::runProgram(tool(), args);
}

class DbfCli : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (qgetenv("VELTA_BIN_DIR").isEmpty() || !QFile::exists(tool()))
            GTEST_SKIP() << "velta-dbf not built";
    }
    TestEnv env;
};

const char kPythonTable[] = R"(
import sys, datetime, dbf
t = dbf.Table(sys.argv[1], 'NAME C(20); PRICE N(8,2); QTY N(4,0); OK L; DAY D', dbf_type='db3', codepage='cp866')
t.open(dbf.READ_WRITE)
t.append(('Бензин АИ-95', 55.1, 10, True, datetime.date(2025, 3, 8)))
t.append(('old', 1, 1, False, None))
t.append(('a,b "c"', None, 200, None, None))
dbf.delete(t[1])
t.close()
)";

} // namespace

TEST_F(DbfCli, InfoAndDumpOfAPythonDbfTable)
{
    const QString path = env.path("py.dbf");
    ASSERT_EQ(test::runProgram("/usr/bin/python3", {"-c", kPythonTable, path}).exitCode, 0);

    const ProcessResult info = velta_dbf({"info", path});
    ASSERT_EQ(info.exitCode, 0) << info.err.toStdString();
    const QStringList lines = QString::fromUtf8(info.out).split(u'\n', Qt::SkipEmptyParts);
    EXPECT_TRUE(lines.contains(u"Version: dBase III+"));
    EXPECT_TRUE(lines.contains(u"Code page: 0"));
    EXPECT_TRUE(lines.contains(u"Records: 3"));
    EXPECT_TRUE(lines.contains(u"NAME C 20 0"));
    EXPECT_TRUE(lines.contains(u"PRICE N 8 2"));
    EXPECT_TRUE(lines.contains(u"DAY D 8 0"));

    const ProcessResult dump = velta_dbf({"dump", path});
    ASSERT_EQ(dump.exitCode, 0) << dump.err.toStdString();
    EXPECT_EQ(QString::fromUtf8(dump.out),
              QStringLiteral("NAME,PRICE,QTY,OK,DAY\n"
                             "Бензин АИ-95,55.10,10,T,2025-03-08\n"
                             "\"a,b \"\"c\"\"\",,200,,\n"));

    const ProcessResult all = velta_dbf({"dump", path, "--deleted", "--filter", "QTY<100"});
    ASSERT_EQ(all.exitCode, 0);
    EXPECT_EQ(QString::fromUtf8(all.out),
              QStringLiteral("NAME,PRICE,QTY,OK,DAY\nБензин АИ-95,55.10,10,T,2025-03-08\nold,1.00,1,F,\n"));

    // Read as cp1251 the same bytes give other letters.
    const ProcessResult ansi = velta_dbf({"dump", "--ansi", path});
    EXPECT_FALSE(QString::fromUtf8(ansi.out).contains(QStringLiteral("Бензин")));
}

TEST_F(DbfCli, CreateFromCsvAndReadBack)
{
    const QString csv = env.path("in.csv");
    test::writeFileBytes(csv, QStringLiteral("\xFEFFname,Price,DAY,OK,N\r\n"
                                             "\"Ромашка, ООО\",12.5,2024-12-31,T,7\r\n"
                                             "\"two\nlines\",,,,\r\n"
                                             "plain,-0.25,20000229,n,-3\r\n")
                                  .toUtf8());
    const QString out = env.path("made.dbf");
    const ProcessResult made = velta_dbf({"create", out, "--fields", "NAME:C:20,PRICE:N:8:2,DAY:D:8,OK:L:1,N:N:3", "--from", csv});
    ASSERT_EQ(made.exitCode, 0) << made.err.toStdString();

    TMemDBFTable table;
    table.SetFileName(out);
    table.Open();
    EXPECT_EQ(table.Header().Version, 3);
    EXPECT_EQ(table.Header().LanguageDriver, 101);
    ASSERT_EQ(table.RecordCount(), 3);
    EXPECT_EQ(table.FieldByName("NAME").AsString(), QStringLiteral("Ромашка, ООО"));
    EXPECT_DOUBLE_EQ(table.FieldByName("PRICE").AsFloat(), 12.5);
    table.Next();
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"two\nlines");
    EXPECT_TRUE(table.FieldByName("PRICE").IsNull());
    EXPECT_TRUE(table.FieldByName("OK").IsNull());

    const ProcessResult dump = velta_dbf({"dump", out});
    EXPECT_EQ(QString::fromUtf8(dump.out),
              QStringLiteral("NAME,PRICE,DAY,OK,N\n"
                             "\"Ромашка, ООО\",12.50,2024-12-31,T,7\n"
                             "\"two\nlines\",,,,\n"
                             "plain,-0.25,2000-02-29,F,-3\n"));
}

TEST_F(DbfCli, BadCommandLinesAndBadCsv)
{
    const QString csv = env.path("in.csv");
    test::writeFileBytes(csv, "NAME,QTY\nabc,12345\n");
    const QString out = env.path("x.dbf");
    struct Case {
        QStringList args;
        int exitCode;
        const char* message;
    };
    const Case cases[] = {
        {{}, 2, "usage"},
        {{"frobnicate"}, 2, "unknown command"},
        {{"info"}, 2, "no file named"},
        {{"dump", out, "--filter"}, 2, "--filter needs a value"},
        {{"create", out, "--from", csv}, 2, "--fields"},
        {{"create", out, "--fields", "NAME:C:10,QTY:N:3", "--from", csv}, 1, "does not fit field QTY"},
        {{"create", out, "--fields", "NAME:C:10,QTY:X:3", "--from", csv}, 1, "type 'X'"},
        {{"create", out, "--fields", "NAME:C:10,QTY:N", "--from", csv}, 1, "NAME:TYPE:LENGTH"},
        {{"create", out, "--fields", "NAME:C:10,QTY:D:9", "--from", csv}, 1, "a D field is 8 long"},
        {{"create", out, "--fields", "NAME:C:10,NAME:C:3", "--from", csv}, 1, "listed twice"},
        {{"create", out, "--fields", "NAME:C:10", "--from", csv}, 1, "column 'QTY' is not in the field list"},
        {{"create", out, "--fields", "NAME:C:10,QTY:N:6,DAY:D:8", "--from", csv}, 1, "no column for field DAY"},
        {{"create", out, "--fields", "NAME:C:10,QTY:N:6", "--from", env.path("none.csv")}, 1, "cannot read"},
    };
    for (const Case& c : cases) {
        const ProcessResult r = velta_dbf(c.args);
        EXPECT_EQ(r.exitCode, c.exitCode) << c.args.join(' ').toStdString();
        EXPECT_TRUE(r.err.contains(c.message)) << r.err.toStdString();
    }
    EXPECT_FALSE(QFile::exists(out)); // nothing half made

    test::writeFileBytes(csv, "NAME,QTY\nabc,1\nshort\n");
    const ProcessResult ragged = velta_dbf({"create", out, "--fields", "NAME:C:10,QTY:N:6", "--from", csv});
    EXPECT_EQ(ragged.exitCode, 1);
    EXPECT_TRUE(ragged.err.contains("line 3: 1 values where the header has 2")) << ragged.err.toStdString();

    test::writeFileBytes(csv, "NAME,QTY\nabc,twelve\n");
    const ProcessResult word = velta_dbf({"create", out, "--fields", "NAME:C:10,QTY:N:6", "--from", csv});
    EXPECT_EQ(word.exitCode, 1);
    EXPECT_TRUE(word.err.contains("line 2, field QTY: 'twelve' is not an integer")) << word.err.toStdString();
}

TEST_F(DbfCli, DamagedFilesGiveMessagesNotCrashes)
{
    test::RawTable t;
    t.fields = {{"NAME", 'C', 10}};
    t.records = {"one", "two"};
    const QByteArray whole = t.bytes();
    const QString path = env.path("bad.dbf");
    const QByteArray variants[] = {whole.left(40), whole.left(whole.size() - 3), t.bytes(0, -1, 0),
                                   QByteArray(64, '\xff'), QByteArray()};
    const char* messages[] = {"Incorrect DBF file", "Incorrect DBF file", "Wrong record size",
                              "Incorrect DBF file", "Incorrect DBF file"};
    for (int i = 0; i < 5; ++i) {
        test::writeFileBytes(path, variants[i]);
        for (const char* command : {"info", "dump"}) {
            const ProcessResult r = velta_dbf({command, path});
            EXPECT_EQ(r.exitCode, 1) << command << " " << i;
            EXPECT_TRUE(r.err.contains(messages[i])) << r.err.toStdString();
        }
    }
    const ProcessResult missing = velta_dbf({"info", env.path("missing.dbf")});
    EXPECT_EQ(missing.exitCode, 1);
    EXPECT_TRUE(missing.err.contains("Cannot open file"));
}
