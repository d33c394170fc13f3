// "velta-station report": the typed JSON form of parameter arrays, and the
// command itself run as a process, directly on a station folder and through
// a server over the same folder.
#include "common/Codecs.h"
#include "common/DateTime.h"
#include "common/Exception.h"
#include "station/cli/QueryRows.h"
#include "station/cli/ReportParamsJson.h"
#include "station/cli/ReportPdf.h"
#include "plugin/platform/Paths.h"
#include "station/db/FirebirdFile.h"
#include "tests/support/StationServer.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <gtest/gtest.h>

QT_BEGIN_NAMESPACE
// Failure messages show texts, not their code units.
inline void PrintTo(const QString& text, std::ostream* os) { *os << text.toStdString(); }
QT_END_NAMESPACE

namespace velta::test {
namespace {

using station::reportParamsFromJson;
using station::reportParamsToJson;

TEST(ReportParamsJson, EveryTypeWordGivesItsVariantTypeAndComesBackTheSame)
{
    const struct {
        const char* json;
        VarType type;
    } cases[] = {
        {"null", VarType::Null},
        {R"({"empty":null})", VarType::Empty},
        {R"({"bool":true})", VarType::Boolean},
        {R"({"str":"Смена \"1\""})", VarType::String},
        {R"({"int8":-128})", VarType::Int8},
        {R"({"byte":255})", VarType::Byte},
        {R"({"smallint":-32768})", VarType::Int16},
        {R"({"word":65535})", VarType::Word},
        {R"({"int":-2147483648})", VarType::Int32},
        {R"({"uint32":4294967295})", VarType::UInt32},
        {R"({"int64":"9007199254740993"})", VarType::Int64},
        {R"({"single":1.5})", VarType::Single},
        {R"({"double":0.1})", VarType::Double},
        {R"({"currency":"-12.0034"})", VarType::Currency},
        {R"({"date":"2026-11-30T08:00:05.250"})", VarType::Date},
        {R"({"date":"1899-12-29T06:00:00"})", VarType::Date},
        {R"({"array":[{"int":1},{"array":[]}]})", VarType::Array},
    };
    for (const auto& c : cases) {
        const QByteArray json = QByteArray("[") + c.json + "]";
        const Variant params = reportParamsFromJson(json);
        ASSERT_EQ(params.arrayCount(), 1) << c.json;
        EXPECT_EQ(params.at(0).type(), c.type) << c.json;
        EXPECT_EQ(reportParamsToJson(params), json) << c.json;
        EXPECT_EQ(reportParamsFromJson(reportParamsToJson(params)), params) << c.json;
    }
    // Values read as the engine sees them.
    const Variant p = reportParamsFromJson(R"([{"int64":"9007199254740993"},{"currency":12.5},
        {"date":"2026-11-30"},{"date":"1899-12-29T06:00"},{"smallint":-5}])");
    EXPECT_EQ(p.at(0).toInt64(), 9007199254740993LL);
    EXPECT_EQ(p.at(1).toCurrency().scaled, 125000);
    EXPECT_EQ(p.at(2).toDateTime(), EncodeDate(2026, 11, 30));
    EXPECT_EQ(p.at(3).toDateTime(), -1.25); // before 30.12.1899 the time counts up from the day
    EXPECT_EQ(p.at(4).toInt(), -5);
    EXPECT_EQ(reportParamsToJson(reportParamsFromJson("[]")), QByteArray("[]"));
}

TEST(ReportParamsJson, BadInputNamesTheElementAndWhatIsWrong)
{
    const struct {
        const char* json;
        const char* message;
    } cases[] = {
        {R"([{"int":1})", "not valid JSON"},
        {R"({"int":1})", "must be a JSON array"},
        {R"([{"integer":1}])", "element 0: unknown type word \"integer\""},
        {R"([{"int":1},{"array":[{"str":"a"},{"byte":-1}]}])", "element 1.1: byte -1 is out of range 0..255"},
        {R"([{"int8":128}])", "int8 128 is out of range -128..127"},
        {R"([{"smallint":32768}])", "out of range -32768..32767"},
        {R"([{"word":65536}])", "out of range 0..65535"},
        {R"([{"int":2147483648}])", "out of range -2147483648..2147483647"},
        {R"([{"uint32":-1}])", "out of range 0..4294967295"},
        {R"([{"int":1.5}])", "int needs a whole number, not 1.5"},
        {R"([{"int":"7"}])", "int needs a whole number, not \"7\""},
        {R"([{"single":1e300}])", "single 1e+300 is out of range"},
        {R"([{"currency":"1.23456"}])", "4 decimals"},
        {R"([{"currency":"1,5"}])", "4 decimals"},
        {R"([{"date":"2026-02-30"}])", "not a valid date"},
        {R"([{"date":"30.11.2026"}])", "YYYY-MM-DD"},
        {R"([{"bool":1}])", "bool needs true or false"},
        {R"([{"str":5}])", "str needs a JSON string"},
        {R"([{"int":1,"byte":2}])", "exactly one type word"},
        {R"([5])", "needs a typed value"},
    };
    for (const auto& c : cases) {
        try {
            reportParamsFromJson(c.json);
            ADD_FAILURE() << "accepted " << c.json;
        } catch (const EConvertError& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << c.json << ": " << e.what();
        }
    }
}

// The shortcuts read the station's rows as text: a NULL is empty text while a
// zero or an empty string keeps its value, whatever the column's type.
TEST(QueryRows, NullIsEmptyTextAndOtherValuesKeepTheirText)
{
    TestEnv env;
    const QString path = env.path(QStringLiteral("rows.fdb"));
    station::createDatabaseFile(path);
    station::StationDatabase db(path);
    const QVector<QStringList> rows = station::queryRows(
        db, QStringLiteral("SELECT CAST(NULL AS INTEGER), 0, CAST(NULL AS VARCHAR(5)), '', CAST(NULL AS BIGINT), "
                           "CAST(12 AS BIGINT), CAST(NULL AS TIMESTAMP) FROM RDB$DATABASE "
                           "UNION ALL SELECT 7, NULL, 'x', NULL, 2, NULL, NULL FROM RDB$DATABASE"));
    ASSERT_EQ(rows.size(), 2);
    EXPECT_EQ(rows[0], QStringList({"", "0", "", "", "", "12", ""}));
    EXPECT_EQ(rows[1], QStringList({"7", "", "x", "", "2", "", ""}));
    EXPECT_TRUE(station::queryRows(db, QStringLiteral("SELECT 1 FROM RDB$DATABASE WHERE 1 = 0")).isEmpty());
    EXPECT_THROW(station::queryRows(db, QStringLiteral("SELECT NO_SUCH_COLUMN FROM RDB$DATABASE")), EDatabaseError);
}

TEST(ReportPdf, PagesFollowTheLinesFormFeedsAndWidestLine)
{
    QString tall;
    for (int i = 0; i < 200; ++i)
        tall += QStringLiteral("| %1 | line |\n").arg(i, 3);
    const station::PdfLayout portrait = station::reportPdfLayout(tall);
    EXPECT_FALSE(portrait.landscape);
    EXPECT_EQ(portrait.pointSize, 10.0);
    ASSERT_GT(portrait.linesPerPage, 20);
    EXPECT_EQ(portrait.pages, (200 + portrait.linesPerPage - 1) / portrait.linesPerPage);

    // A form feed starts a page; one at the very end adds none.
    EXPECT_EQ(station::reportPdfLayout(QStringLiteral("a\r\nb\fc\n\f")).pages, 2);
    EXPECT_EQ(station::reportPdfLayout(QString()).pages, 1);

    // A line too wide for a readable portrait font turns the page.
    const station::PdfLayout wide = station::reportPdfLayout(QStringLiteral("+%1+\n").arg(QString(200, QLatin1Char('-'))));
    EXPECT_TRUE(wide.landscape);
    EXPECT_LT(wide.pointSize, portrait.pointSize);
    EXPECT_GT(wide.pointSize, 0.0);
}

struct CommandRun {
    int exitCode = -1;
    QString out;
    QString err;
};

CommandRun velta(const QStringList& args)
{
    QProcess p;
    p.start(StationServer::program(), QStringList{QStringLiteral("report")} + args);
    p.closeWriteChannel();
    if (!p.waitForFinished(120000)) {
        p.kill();
        p.waitForFinished();
    }
    CommandRun r;
    r.exitCode = p.exitStatus() == QProcess::NormalExit ? p.exitCode() : -1;
    r.out = QString::fromUtf8(p.readAllStandardOutput());
    r.err = QString::fromUtf8(p.readAllStandardError());
    return r;
}

// A demo station with a cnf.ini of two printed sections, one switched off.
class ReportCommand : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!StationServer::available())
            return;
        env_ = new TestEnv;
        initError_ = new QString(StationServer::initStation(root(), 300));
        writeFileBytes(cnf(), codec::toCp1251(QStringLiteral(
                                  "[SmenaRep]\r\nRep0_0=1\r\nRepPath0_0=SmenaBeg.FRM\r\n"
                                  "WebRepPath0_0=Шапка сменного отчета.html\r\nRep2_0=-2\r\nRep4_0=3\r\n"
                                  "RepPath4_0=s:\\DEXE\\Smena3.FRM\r\nRep4_1=2\r\nRoundRVal=2\r\n")));
    }
    static void TearDownTestSuite()
    {
        delete initError_;
        delete env_;
        env_ = nullptr;
    }
    void SetUp() override
    {
        if (!env_)
            GTEST_SKIP() << "velta-station is not built";
        ASSERT_TRUE(initError_->isEmpty()) << initError_->toStdString();
    }
    static QString root() { return env_->path(QStringLiteral("station")); }
    static QString cnf() { return env_->path(QStringLiteral("cnf.ini")); }
    QString file(const char* name) const { return env_->path(QString::fromLatin1(name)); }

    static TestEnv* env_;
    static QString* initError_;
};
TestEnv* ReportCommand::env_ = nullptr;
QString* ReportCommand::initError_ = nullptr;

TEST_F(ReportCommand, ShortcutsSendTheArraysOfTheShiftAndPeriodReports)
{
    const QString pay = QStringLiteral(
        R"({"array":[{"int":1},{"int":1},{"int":1},{"int":1},{"int":1},{"int":1},{"int":1},{"int":1},{"int":1},{"int":1},{"int":1}]})");
    const QString codes = QStringLiteral(
        R"({"array":[{"int":0},{"int":1},{"int":2},{"int":3},{"int":104},{"int":5},{"int":204},{"int":7},{"int":108},{"int":109},{"int":10}]})");
    const QString composition = QStringLiteral(
        R"({"array":[{"int":1},{"int":0},{"str":"C:\\DEXE\\FORMS\\REPORT\\SmenaBeg.FRM"},)"
        R"({"int":1},{"int":100},{"str":"C:\\DEXE\\FORMS\\WEBREP\\Шапка сменного отчета.html"},)"
        R"({"int":2},{"int":4},{"str":""},{"int":2},{"int":104},{"str":""},)"
        R"({"int":3},{"int":4},{"str":"C:\\DEXE\\Smena3.FRM"},{"int":3},{"int":104},{"str":""},{"empty":null}]})");
    const QString tail = QStringLiteral(R"(,%1,{"int":1},{"int":2},{"str":""},{"bool":false},%2,{"int":0},%3])")
                             .arg(composition, pay, codes);

    CommandRun r = velta({QStringLiteral("--root"), root(), QStringLiteral("--cnf"), cnf(), QStringLiteral("shift"),
                   QStringLiteral("--shifts"), QStringLiteral("1001-1003"), QStringLiteral("--show-params")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(45 [{"int":1001},{"int":1003})") + tail);

    // The shifts opened on the second day: 08:00 and 20:00 of 02.01.2024.
    r = velta({QStringLiteral("--root"), root(), QStringLiteral("--cnf"), cnf(), QStringLiteral("shift"),
               QStringLiteral("--day"), QStringLiteral("2024-01-02"), QStringLiteral("--show-params")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(45 [{"int":1003},{"int":1004})") + tail);

    r = velta({QStringLiteral("--root"), root(), QStringLiteral("--cnf"), cnf(), QStringLiteral("shift"),
               QStringLiteral("--current"), QStringLiteral("--show-params")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(45 [{"int8":-1},{"int8":-1})") + tail);

    const QStringList period{QStringLiteral("--root"), root(), QStringLiteral("period-release"),
                             QStringLiteral("--from"), QStringLiteral("2024-01-01"), QStringLiteral("--to"),
                             QStringLiteral("2024-03-31T23:59"), QStringLiteral("--show-params"), QStringLiteral("--kind")};
    const QString dates = QStringLiteral(R"({"date":"2024-01-01T00:00:00"},{"date":"2024-03-31T23:59:00"})");
    r = velta(period + QStringList{QStringLiteral("statement")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(11 [{"double":45292},{"double":45382.99930555555},%1,%2])").arg(pay, codes));
    r = velta(period + QStringList{QStringLiteral("contragent"), QStringLiteral("--name"), QStringLiteral("ООО \"Нива\""),
                                   QStringLiteral("--by-cars")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(12 [%1,{"str":"ООО \"Нива\""},{"bool":false},{"bool":true},{"bool":false},%2,%3])")
                                   .arg(dates, pay, codes));
    r = velta(period + QStringList{QStringLiteral("contragent"), QStringLiteral("--name"), QStringLiteral("Нива"),
                                   QStringLiteral("--drivers-first")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(12 [%1,{"str":"Нива"},{"bool":false},{"bool":false},{"bool":true},%2])")
                                   .arg(dates, pay));
    r = velta(period + QStringList{QStringLiteral("car"), QStringLiteral("--name"), QStringLiteral("Нива"),
                                   QStringLiteral("--car"), QStringLiteral("А123ВС")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(13 [%1,{"str":"Нива"},{"str":"А123ВС"},%2,%3])").arg(dates, pay, codes));
    r = velta(period + QStringList{QStringLiteral("driver"), QStringLiteral("--name"), QStringLiteral("Нива"),
                                   QStringLiteral("--driver"), QStringLiteral("Петров")});
    EXPECT_EQ(r.out.trimmed(), QStringLiteral(R"(53 [%1,{"str":"Нива"},{"str":"Петров"},%2,%3])").arg(dates, pay, codes));
}

TEST_F(ReportCommand, TheReceiptShortcutSendsTheReceiptWindowsArray)
{
    CommandRun r = velta({QStringLiteral("receipt"), QStringLiteral("12"), QStringLiteral("--operator"),
                          QStringLiteral("Иванова Н.П."), QStringLiteral("--post"), QStringLiteral("2"), QStringLiteral("--show-params")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_EQ(r.out.trimmed(),
              QStringLiteral(R"(35 [{"byte":8},{"int":12},{"str":"Иванова Н.П."},{"str":"2"},{"str":""}])"));
    r = velta({QStringLiteral("--root"), root(), QStringLiteral("receipt"), QStringLiteral("-1"), QStringLiteral("--post"),
               QStringLiteral("3"), QStringLiteral("--html"), file("receipt.html"), QStringLiteral("--text")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Пост: 3"))) << r.out.toStdString();
    EXPECT_TRUE(readFileBytes(file("receipt.html")).contains("<title>"));
}

TEST_F(ReportCommand, AStationWithoutCnfIniHasTheFirstLogOnComposition)
{
    // Nobody logged on with the plug-in yet: no cnf.ini under the root.
    const CommandRun r = velta({QStringLiteral("--root"), root(), QStringLiteral("shift"), QStringLiteral("--current")});
    ASSERT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("the shift report has the composition a station gets at its first log-on")))
        << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Сменный отчет")));
    // The default order: the dispensers before the tanks, the financial report after them.
    const qsizetype dispensers = r.out.indexOf(QStringLiteral("Информация о ТРК"));
    const qsizetype tanks = r.out.indexOf(QStringLiteral("Информация о резервуарах"));
    const qsizetype financial = r.out.indexOf(QStringLiteral("Финансовый отчет"));
    EXPECT_TRUE(dispensers >= 0 && dispensers < tanks && tanks < financial) << r.out.toStdString();
}

TEST_F(ReportCommand, FolderAndServerGiveTheSameReportAsTextHtmlAndPdf)
{
    const QStringList request{QStringLiteral("--cnf"), cnf(), QStringLiteral("shift"), QStringLiteral("--shifts"),
                              QStringLiteral("1001-1030"), QStringLiteral("--text")};
    const CommandRun direct = velta(QStringList{QStringLiteral("--root"), root(), QStringLiteral("--html"), file("direct.html"),
                                         QStringLiteral("--pdf"), file("direct.pdf")}
                             + request);
    ASSERT_EQ(direct.exitCode, 0) << direct.err.toStdString();
    EXPECT_GT(direct.out.count(QLatin1Char('\n')), 3) << direct.out.toStdString();
    const QByteArray html = readFileBytes(file("direct.html"));
    EXPECT_TRUE(html.contains("charset=")) << html.left(300).constData();
    EXPECT_TRUE(readFileBytes(file("direct.pdf")).startsWith("%PDF-"));

    StationServer server(root());
    ASSERT_NE(server.port(), 0) << server.error().toStdString();
    // The server holds the folder now: a report made directly is refused.
    const CommandRun held = velta({QStringLiteral("--root"), root(), QStringLiteral("9"), QStringLiteral("[]")});
    EXPECT_EQ(held.exitCode, 1);
    EXPECT_TRUE(held.err.contains(QStringLiteral("held by a running \"velta-station serve\""))) << held.err.toStdString();

    const CommandRun remote = velta(QStringList{QStringLiteral("--connect"), QStringLiteral("127.0.0.1:%1").arg(server.port()),
                                         QStringLiteral("--html"), file("remote.html")}
                             + request);
    ASSERT_EQ(remote.exitCode, 0) << remote.err.toStdString();
    EXPECT_EQ(remote.out, direct.out);
    EXPECT_EQ(readFileBytes(file("remote.html")), html);
    server.stop();

    const QString pdfinfo = QStandardPaths::findExecutable(QStringLiteral("pdfinfo"));
    if (pdfinfo.isEmpty())
        GTEST_SKIP() << "pdfinfo (poppler-utils) is not installed";
    QProcess info;
    info.start(pdfinfo, {file("direct.pdf")});
    ASSERT_TRUE(info.waitForFinished(30000));
    const QString said = QString::fromUtf8(info.readAllStandardOutput());
    const QRegularExpressionMatch pages = QRegularExpression(QStringLiteral("Pages:\\s+(\\d+)")).match(said);
    ASSERT_TRUE(pages.hasMatch()) << said.toStdString();
    EXPECT_EQ(pages.captured(1).toInt(), station::reportPdfLayout(direct.out).pages);
    EXPECT_TRUE(said.contains(QStringLiteral("A4"))) << said.toStdString();
}

TEST_F(ReportCommand, BadRequestsExitNonZeroWithAMessage)
{
    const struct {
        QStringList args;
        const char* message;
    } cases[] = {
        {{QStringLiteral("--root"), root(), QStringLiteral("9"), QStringLiteral("[{\"int\":1},")}, "PARAMS is not valid JSON"},
        {{QStringLiteral("--root"), root(), QStringLiteral("9"), QStringLiteral("[{\"long\":1}]")}, "unknown type word \"long\""},
        {{QStringLiteral("--root"), root(), QStringLiteral("9"), QStringLiteral("[{\"byte\":256}]")}, "byte 256 is out of range"},
        {{QStringLiteral("--root"), root(), QStringLiteral("256"), QStringLiteral("[]")}, "report number 0-255"},
        {{QStringLiteral("--root"), root(), QStringLiteral("9")}, "needs one PARAMS argument"},
        {{QStringLiteral("--root"), root(), QStringLiteral("weekly")}, "Unknown shortcut or option \"weekly\""},
        {{QStringLiteral("--root"), root(), QStringLiteral("shift")}, "shift needs one of --shifts"},
        {{QStringLiteral("--root"), root(), QStringLiteral("--cnf"), cnf(), QStringLiteral("shift"), QStringLiteral("--shifts"),
          QStringLiteral("1005-1001")}, "the first shift comes after the last"},
        {{QStringLiteral("--root"), root(), QStringLiteral("period-release"), QStringLiteral("--kind"), QStringLiteral("truck"),
          QStringLiteral("--from"), QStringLiteral("2024-01-01"), QStringLiteral("--to"), QStringLiteral("2024-01-02")},
         "--kind statement, contragent, car or driver, not \"truck\""},
        {{QStringLiteral("--root"), root(), QStringLiteral("period-release"), QStringLiteral("--kind"), QStringLiteral("car"),
          QStringLiteral("--name"), QStringLiteral("X"), QStringLiteral("--from"), QStringLiteral("2024-01-01"),
          QStringLiteral("--to"), QStringLiteral("2024-01-02")},
         "needs --car NAME"},
        {{QStringLiteral("--root"), root(), QStringLiteral("receipt"), QStringLiteral("-2")}, "not \"-2\""},
        {{QStringLiteral("--root"), root(), QStringLiteral("receipt"), QStringLiteral("5"), QStringLiteral("--cashier"),
          QStringLiteral("X")}, "receipt: unknown option --cashier"},
        {{QStringLiteral("--root"), root(), QStringLiteral("receipt"), QStringLiteral("999999")}, "Продажа №999999 не найдена"},
        {{QStringLiteral("9"), QStringLiteral("[]")}, "either --connect HOST:PORT"},
        {{QStringLiteral("--connect"), QStringLiteral("127.0.0.1:1"), QStringLiteral("9"), QStringLiteral("[]")},
         "The station server 127.0.0.1:1 is unreachable"},
        {{QStringLiteral("--connect"), QStringLiteral("localhost"), QStringLiteral("9"), QStringLiteral("[]")}, "needs HOST:PORT"},
    };
    for (const auto& c : cases) {
        const CommandRun r = velta(c.args);
        EXPECT_NE(r.exitCode, 0) << c.args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(r.err.contains(QString::fromUtf8(c.message)))
            << c.args.join(QLatin1Char(' ')).toStdString() << " said: " << r.err.toStdString();
        EXPECT_TRUE(r.out.isEmpty()) << r.out.toStdString();
    }
}

TEST_F(ReportCommand, AReportStoppedAtItsLimitsExitsThree)
{
    // The engine reads its limits from the cnf.ini of the Windows folder.
    const QString windowsCnf = Paths::toNative(QStringLiteral("C:\\WINDOWS\\cnf.ini"));
    QDir().mkpath(QFileInfo(windowsCnf).path());
    struct Remove {
        QString path;
        ~Remove() { QFile::remove(path); }
    } remove{windowsCnf};
    const QStringList journal{QStringLiteral("--root"), root(), QStringLiteral("0"),
                              QStringLiteral(R"([{"int":1},{"int":200}])")};
    writeFileBytes(windowsCnf, "[Reports]\r\nMaxRows=3\r\n");
    CommandRun r = velta(journal);
    EXPECT_EQ(r.exitCode, 3) << r.err.toStdString();
    EXPECT_TRUE(r.out.contains(QStringLiteral("Отчет остановлен: число строк превысило 3"))) << r.out.toStdString();
    EXPECT_TRUE(r.err.contains(QStringLiteral("stopped at the report limits"))) << r.err.toStdString();

    writeFileBytes(windowsCnf, "[Reports]\r\nMaxRows=100000\r\n");
    r = velta(journal);
    EXPECT_EQ(r.exitCode, 0) << r.err.toStdString();
    EXPECT_FALSE(r.out.contains(QStringLiteral("Отчет остановлен")));
    EXPECT_EQ(r.err, QString());
}

TEST(StationCommands, EveryCommandAnswersHelpWithItsUsage)
{
    if (!StationServer::available())
        GTEST_SKIP() << "velta-station is not built";
    for (const QStringList& args : {QStringList{QStringLiteral("init"), QStringLiteral("--help")},
                                    QStringList{QStringLiteral("forms"), QStringLiteral("-h")},
                                    QStringList{QStringLiteral("serve"), QStringLiteral("--root"), QStringLiteral("/nowhere"),
                                                QStringLiteral("--help")},
                                    QStringList{QStringLiteral("report"), QStringLiteral("shift"), QStringLiteral("--help")}}) {
        QProcess p;
        p.start(StationServer::program(), args);
        ASSERT_TRUE(p.waitForFinished(30000));
        const QString out = QString::fromUtf8(p.readAllStandardOutput());
        EXPECT_EQ(p.exitCode(), 0) << args.join(QLatin1Char(' ')).toStdString();
        EXPECT_TRUE(out.startsWith(QStringLiteral("Usage: velta-station ") + args.front() + QLatin1Char(' ')))
            << out.toStdString();
        EXPECT_EQ(QString::fromUtf8(p.readAllStandardError()), QString());
    }
}

} // namespace
} // namespace velta::test
