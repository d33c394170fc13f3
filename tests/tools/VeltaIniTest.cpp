// velta-ini as scripts use it: values through arguments and pipes, the
// multi-line scheme, the lock against concurrent writers, exit codes.
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QProcess>
#include <gtest/gtest.h>

using namespace velta;
using velta::test::readFileBytes;
using velta::test::writeFileBytes;

namespace {

struct ToolRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// The built tool: in VELTA_BIN_DIR, else beside this test program (one output folder for all programs).
QString toolPath()
{
    const QString dir = qEnvironmentVariable("VELTA_BIN_DIR", QCoreApplication::applicationDirPath());
    return QDir(dir).filePath(QStringLiteral("velta-ini"));
}

ToolRun velta_ini(const QStringList& args, const QByteArray& input = {})
{
    QProcess process;
    process.start(toolPath(), args);
    ToolRun run;
    if (!process.waitForStarted(30000)) {
        run.err = "velta-ini did not start (is VELTA_BIN_DIR set?)";
        return run;
    }
    process.write(input);
    process.closeWriteChannel();
    if (!process.waitForFinished(60000))
        process.kill();
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

// Long enough for several keys, with line breaks and Cyrillic.
QString bigValue(QChar tag)
{
    QString value;
    for (int i = 0; value.size() < 70000; ++i)
        value += QStringLiteral("Строка %1 «%2» ").arg(i).arg(QString(tag).repeated(30)) + u'\n';
    return value + QStringLiteral("конец");
}

class VeltaIniTest : public ::testing::Test {
protected:
    test::TestEnv env;
    QString file = env.path(QStringLiteral("cnf.ini"));
};

const test::ChildRoleRegistration writerRole("velta-ini-writer", [](const QStringList& args) {
    for (int i = 0; i < args.value(1).toInt(); ++i)
        TSafeIniFile(args.value(0)).WriteString(QStringLiteral("Reports"), QStringLiteral("Текст"),
                                                bigValue(i % 2 ? u'Б' : u'А'));
    return 0;
});

} // namespace

TEST_F(VeltaIniTest, LongCyrillicValueWithLineBreaksRoundTripsThroughAPipe)
{
    const QString value = bigValue(u'Ж');
    ToolRun set = velta_ini({QStringLiteral("set"), file, QStringLiteral("Отчеты"), QStringLiteral("Шаблон")},
                        value.toUtf8() + '\n');
    ASSERT_EQ(set.exitCode, 0) << set.err.constData();
    // Stored across keys, in cp1251.
    QString count;
    IniFileStore::readString(file, QStringLiteral("Отчеты"), QStringLiteral("Шаблон__$Count"), {}, 65535, count);
    EXPECT_EQ(count, QStringLiteral("2"));
    EXPECT_TRUE(readFileBytes(file).startsWith("[\xCE\xF2\xF7\xE5\xF2\xFB]\r\n\xD8\xE0\xE1\xEB\xEE\xED=\xD1\xF2"));

    ToolRun get = velta_ini({QStringLiteral("get"), file, QStringLiteral("отчеты"), QStringLiteral("шаблон")});
    ASSERT_EQ(get.exitCode, 0) << get.err.constData();
    EXPECT_EQ(get.out, value.toUtf8() + '\n');

    // get | set copies the value unchanged, a trailing line break included.
    const QString trailing = QStringLiteral("две\nстроки\n");
    ASSERT_EQ(velta_ini({QStringLiteral("set"), file, QStringLiteral("S"), QStringLiteral("a"), trailing}).exitCode, 0);
    const ToolRun first = velta_ini({QStringLiteral("get"), file, QStringLiteral("S"), QStringLiteral("a")});
    ASSERT_EQ(velta_ini({QStringLiteral("set"), file, QStringLiteral("S"), QStringLiteral("b")}, first.out).exitCode, 0);
    EXPECT_EQ(TSafeIniFile(file).ReadString(QStringLiteral("S"), QStringLiteral("b"), {}),
              QStringLiteral("две\r\nстроки\r\n"));
}

TEST_F(VeltaIniTest, GetPrintsTheDefaultForAMissingKey)
{
    writeFileBytes(file, "[S]\r\nk=v\r\n");
    EXPECT_EQ(velta_ini({QStringLiteral("get"), file, QStringLiteral("S"), QStringLiteral("x"), QStringLiteral("нет")}).out,
              QStringLiteral("нет\n").toUtf8());
    EXPECT_EQ(velta_ini({QStringLiteral("get"), file, QStringLiteral("S"), QStringLiteral("x")}).out, QByteArray("\n"));
}

// The store reads a missing file, or a file in a missing folder, as empty; the
// tool answers as a script reading it would expect, and creates nothing.
TEST_F(VeltaIniTest, MissingFileReadsAsEmpty)
{
    writeFileBytes(file, "[S]\r\nk=v\r\n");
    const QString missing = env.path(QStringLiteral("missing.ini"));
    const QString inMissingFolder = env.path(QStringLiteral("no/folder/x.ini"));
    const QString underAFile = file + QStringLiteral("/x.ini");
    for (const QString& path : {missing, inMissingFolder, underAFile}) {
        SCOPED_TRACE(path.toStdString());
        const ToolRun withDefault
            = velta_ini({QStringLiteral("get"), path, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("нет")});
        EXPECT_EQ(withDefault.exitCode, 0) << withDefault.err.constData();
        EXPECT_EQ(withDefault.out, QStringLiteral("нет\n").toUtf8());
        EXPECT_TRUE(withDefault.err.isEmpty());

        const ToolRun plain = velta_ini({QStringLiteral("get"), path, QStringLiteral("S"), QStringLiteral("k")});
        EXPECT_EQ(plain.exitCode, 0);
        EXPECT_EQ(plain.out, QByteArray("\n"));

        for (const QStringList& args : {QStringList{QStringLiteral("sections"), path},
                                        QStringList{QStringLiteral("keys"), path, QStringLiteral("S")},
                                        QStringList{QStringLiteral("delete"), path, QStringLiteral("S"), QStringLiteral("k")},
                                        QStringList{QStringLiteral("delete"), path, QStringLiteral("S")}}) {
            const ToolRun run = velta_ini(args);
            EXPECT_EQ(run.exitCode, 0) << args.join(u' ').toStdString() << ": " << run.err.constData();
            EXPECT_TRUE(run.out.isEmpty()) << args.join(u' ').toStdString();
            EXPECT_TRUE(run.err.isEmpty()) << args.join(u' ').toStdString();
        }
    }
    EXPECT_FALSE(QFile::exists(missing));
    EXPECT_FALSE(QFile::exists(env.path(QStringLiteral("no"))));
    EXPECT_EQ(readFileBytes(file), QByteArray("[S]\r\nk=v\r\n"));
}

TEST_F(VeltaIniTest, ListsSectionsAndValueKeysOnly)
{
    TSafeIniFile ini(file);
    ini.WriteString(QStringLiteral("Reports"), QStringLiteral("Long"), bigValue(u'Д'));
    ini.WriteString(QStringLiteral("Reports"), QStringLiteral("Короткий"), QStringLiteral("1"));
    ini.WriteString(QStringLiteral("Misc"), QStringLiteral("k"), QStringLiteral("2"));
    EXPECT_EQ(velta_ini({QStringLiteral("sections"), file}).out, QByteArray("Reports\nMisc\n"));
    EXPECT_EQ(velta_ini({QStringLiteral("keys"), file, QStringLiteral("reports")}).out,
              QStringLiteral("Long\nКороткий\n").toUtf8());
}

TEST_F(VeltaIniTest, DeleteRemovesAKeyWithItsContinuationKeysOrASection)
{
    TSafeIniFile(file).WriteString(QStringLiteral("Reports"), QStringLiteral("Long"), bigValue(u'Д'));
    TSafeIniFile(file).WriteString(QStringLiteral("Reports"), QStringLiteral("Other"), QStringLiteral("1"));
    TSafeIniFile(file).WriteString(QStringLiteral("Misc"), QStringLiteral("k"), QStringLiteral("2"));
    ASSERT_EQ(velta_ini({QStringLiteral("delete"), file, QStringLiteral("Reports"), QStringLiteral("long")}).exitCode, 0);
    EXPECT_EQ(readFileBytes(file), QByteArray("[Reports]\r\nOther=1\r\n[Misc]\r\nk=2\r\n"));
    ASSERT_EQ(velta_ini({QStringLiteral("delete"), file, QStringLiteral("REPORTS")}).exitCode, 0);
    EXPECT_EQ(readFileBytes(file), QByteArray("[Misc]\r\nk=2\r\n"));
}

TEST_F(VeltaIniTest, WindowsStyleFileNameIsMappedUnderTheRoot)
{
    ASSERT_TRUE(QDir().mkpath(env.path(QStringLiteral("root/C/WINDOWS"))));
    ASSERT_EQ(velta_ini({QStringLiteral("set"), QStringLiteral("C:\\WINDOWS\\cnf.ini"), QStringLiteral("Misc"),
                         QStringLiteral("k"), QStringLiteral("v")})
                  .exitCode,
              0);
    EXPECT_EQ(readFileBytes(env.path(QStringLiteral("root/C/WINDOWS/cnf.ini"))), QByteArray("[Misc]\r\nk=v\r\n"));
}

TEST_F(VeltaIniTest, BadArgumentsAndUnreadableFilesFail)
{
    writeFileBytes(file, "[S]\r\nk=v\r\n");
    struct Case {
        QStringList args;
        int exitCode;
    };
    const Case cases[] = {
        {{}, 2},
        {{QStringLiteral("fetch"), file}, 2},
        {{QStringLiteral("get"), file, QStringLiteral("S")}, 2},
        {{QStringLiteral("get"), file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("d"), QStringLiteral("x")}, 2},
        {{QStringLiteral("set"), file, QString(), QStringLiteral("k"), QStringLiteral("v")}, 2},
        {{QStringLiteral("delete"), file, QStringLiteral("S"), QStringLiteral(" ")}, 2},
        {{QStringLiteral("sections")}, 2},
        {{QStringLiteral("get"), env.dir(), QStringLiteral("S"), QStringLiteral("k")}, 1},
        {{QStringLiteral("keys"), env.dir(), QStringLiteral("S")}, 1},
        {{QStringLiteral("sections"), env.dir()}, 1},
        {{QStringLiteral("set"), env.path(QStringLiteral("no/folder/x.ini")), QStringLiteral("S"), QStringLiteral("k"),
          QStringLiteral("v")},
         1},
    };
    for (const Case& c : cases) {
        const ToolRun run = velta_ini(c.args);
        EXPECT_EQ(run.exitCode, c.exitCode) << c.args.join(u' ').toStdString();
        EXPECT_TRUE(run.err.startsWith("velta-ini: ")) << run.err.constData();
        EXPECT_TRUE(run.out.isEmpty());
    }
    EXPECT_EQ(readFileBytes(file), QByteArray("[S]\r\nk=v\r\n"));
}

TEST_F(VeltaIniTest, HelpExplainsTheStandardInputRule)
{
    const ToolRun run = velta_ini({QStringLiteral("--help")});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_TRUE(run.out.contains("trailing line feed"));
}

TEST_F(VeltaIniTest, ConcurrentWriterNeverTearsWhatGetReads)
{
    const QByteArray a = bigValue(u'А').toUtf8() + '\n';
    const QByteArray b = bigValue(u'Б').toUtf8() + '\n';
    auto child = test::startChild(QStringLiteral("velta-ini-writer"), {file, QStringLiteral("30")});
    int torn = 0;
    int seen = 0;
    for (int i = 0; i < 200 && child->state() != QProcess::NotRunning; ++i) {
        const ToolRun get = velta_ini({QStringLiteral("get"), file, QStringLiteral("Reports"), QStringLiteral("Текст")});
        // Before the first write the file is missing and the value empty; after it, never again.
        if (get.exitCode == 0 && get.out == "\n" && seen == 0)
            continue;
        ++seen;
        if (get.exitCode != 0 || (get.out != a && get.out != b))
            ++torn;
    }
    child->waitForFinished(60000);
    EXPECT_EQ(torn, 0) << "of " << seen;
    EXPECT_GT(seen, 0);
}
