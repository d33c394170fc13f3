// The report engine through a real station server: the service functions of
// report 35 decoded as the plug-in decodes them, report 55 on the host's
// connection, and bad input.
#include "tests/station/ServerProcess.h"

#include "common/Exception.h"
#include "common/Hex.h"
#include "common/ReportContract.h"
#include "common/VariantText.h"
#include "plugin/receipts/template/PredChecksFile.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "tests/support/ReferenceFile.h"

#include <QDir>
#include <QFileInfo>

namespace velta::test {
namespace {

class ReportServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { served_ = new ServedStation(false, 300); }
    static void TearDownTestSuite()
    {
        delete served_;
        served_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(served_->server.port(), 0) << served_->server.firstOutput().constData();
        client_ = served_->server.connect();
    }

    static QString report(WireClient& client, const char* method, int reportNo, const Variant& params,
                          const QString& workplace = QString())
    {
        Variant::Array args{Variant(reportNo), params};
        if (!workplace.isNull())
            args << Variant(workplace);
        return client.call(QString::fromLatin1(method), args).toString();
    }
    QString service(const Variant::Array& params) { return report(*client_, station::kGetReportEx, 35, Variant(params)); }

    // Selector 2 as GetProviderData sends it, the answer read back as a packet.
    DataPacket providerData(const QString& sql, int base)
    {
        const QString hex = service({Variant(std::uint8_t{2}), Variant(sql), Variant(base)});
        return DataPacket::fromBytes(HexDecodeBytes(hex.toLatin1()));
    }
    // Selector 17 as RptCallFunctionWithGSMDBConnect sends it, decoded by TextToVariant.
    Variant withStationDatabase(int fn)
    {
        const Variant::Array inner{Variant(fn), Variant(Variant::Array{})};
        const QString text = service({Variant(std::uint8_t{17}), Variant(2), Variant(inner)});
        Variant result;
        TextToVariant(text, result);
        return result;
    }
    int maxOf(const QString& sql) { return customSql(*client_, sql).value(0, 0).toInt(); }

    static ServedStation* served_;
    std::unique_ptr<WireClient> client_;
};
ServedStation* ReportServer::served_ = nullptr;

TEST_F(ReportServer, PrologueAndCodesExtensionAnswerOk)
{
    EXPECT_EQ(service({Variant(std::uint16_t{1000}), Variant(0)}), QStringLiteral("OK"));
    EXPECT_EQ(service({Variant(std::uint8_t{14})}), QStringLiteral("OK"));
}

TEST_F(ReportServer, ProviderDataOnTheStationMatchesTheCustomSqlProvider)
{
    const QString sql = QStringLiteral("SELECT GSM_ID, NAME, PRICE FROM GSM ORDER BY GSM_ID");
    const DataPacket viaReport = providerData(sql, 0);
    const DataPacket viaProvider = customSql(*client_, sql);
    ASSERT_GT(viaReport.rowCount(), 0);
    EXPECT_EQ(fieldNames(viaReport), fieldNames(viaProvider));
    ASSERT_EQ(viaReport.rowCount(), viaProvider.rowCount());
    for (int r = 0; r < viaReport.rowCount(); ++r)
        EXPECT_EQ(viaReport.row(r), viaProvider.row(r)) << r;
    EXPECT_FALSE(viaReport.moreRows());
}

TEST_F(ReportServer, ProviderDataOnTheHeadOfficeListsItsStations)
{
    const DataPacket office = providerData(QStringLiteral("SELECT * FROM Office ORDER BY AZS_ID"), 1);
    EXPECT_EQ(fieldNames(office), QStringList({"AZS_ID", "AZSNAME", "ADDRESS", "PHONE", "ISACTIVE"}));
    ASSERT_EQ(office.rowCount(), 4);
    EXPECT_EQ(office.value(1, 1), Variant(QStringLiteral("АЗС №12")));
    // The office table is not in the station database.
    EXPECT_THROW(providerData(QStringLiteral("SELECT * FROM Office"), 0), EDatabaseError);
}

TEST_F(ReportServer, ProviderDataRefusesBadBasesStatementsAndSql)
{
    try {
        providerData(QStringLiteral("SELECT * FROM GSM"), 2);
        FAIL() << "base 2 answered";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("unknown base 2"))) << e.what();
    }
    try {
        providerData(QStringLiteral("SELECT NO_SUCH_COLUMN FROM GSM"), 0);
        FAIL() << "bad SQL answered";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NO_SUCH_COLUMN"))) << e.what();
    }
    // A statement that returns no rows is refused before it runs.
    const int fuels = maxOf(QStringLiteral("SELECT COUNT(*) FROM GSM"));
    EXPECT_THROW(providerData(QStringLiteral("DELETE FROM GSM"), 0), EDatabaseError);
    EXPECT_EQ(maxOf(QStringLiteral("SELECT COUNT(*) FROM GSM")), fuels);
    EXPECT_THROW(providerData(QStringLiteral("  "), 0), EDatabaseError);
    EXPECT_THROW(service({Variant(std::uint8_t{2}), Variant(5), Variant(0)}), EDatabaseError);
    EXPECT_THROW(service({Variant(std::uint8_t{2}), Variant(QStringLiteral("SELECT * FROM GSM"))}), EDatabaseError);
    // The connection goes on serving after the refusals.
    EXPECT_GT(providerData(QStringLiteral("SELECT * FROM GSM"), 0).rowCount(), 0);
}

TEST_F(ReportServer, NewIdentifiersComeFromTheGeneratorsAsIntegers)
{
    const Variant doc1 = withStationDatabase(1);
    const Variant doc2 = withStationDatabase(1);
    ASSERT_EQ(doc1.type(), VarType::Int32);
    EXPECT_EQ(doc2.toInt(), doc1.toInt() + 1);
    EXPECT_GT(doc1.toInt(), maxOf(QStringLiteral("SELECT MAX(ID) FROM SCANDOC")));

    const Variant type1 = withStationDatabase(2);
    ASSERT_EQ(type1.type(), VarType::Int32);
    EXPECT_GT(type1.toInt(), maxOf(QStringLiteral("SELECT MAX(ID) FROM SCANDOCTYPE")));
    EXPECT_EQ(withStationDatabase(2).toInt(), type1.toInt() + 1);
}

TEST_F(ReportServer, UnknownFunctionsAreErrors)
{
    const Variant empty(Variant::Array{});
    const Variant::Array bad[] = {
        {Variant(std::uint8_t{17}), Variant(1), empty},                                   // not through function 2
        {Variant(std::uint8_t{17}), Variant(2), Variant(Variant::Array{Variant(9), empty})}, // no function 9
        {Variant(std::uint8_t{17}), Variant(2), Variant(1)},                              // [Fn, Args] missing
        {Variant(std::uint8_t{17}), Variant(2)},
    };
    for (const Variant::Array& params : bad)
        EXPECT_THROW(service(params), EDatabaseError) << params.size();
}

TEST_F(ReportServer, HostConnectionRendersItsLastReport)
{
    EXPECT_EQ(report(*client_, station::kGetReport, 55, Variant(Variant::Array{}), QStringLiteral("host-only")), QString());
    const Variant params(Variant::Array{Variant(std::uint8_t{1}), Variant(-1), Variant(QStringLiteral("Смена 5")),
                                        Variant(Variant::Array{Variant(true)})});
    // 200 is a number the engine does not compute: it answers the placeholder.
    const QString text = report(*client_, station::kGetReport, 200, params, QStringLiteral("host-only"));
    EXPECT_TRUE(matchesReference(QStringLiteral("station/reports/reference/server-200.txt"), text));
    // The prologue that goes before every report changes nothing.
    report(*client_, station::kGetReport, 35, Variant(Variant::Array{Variant(std::uint16_t{1000}), Variant(0)}));
    const QString html = report(*client_, station::kGetReport, 55, Variant(Variant::Array{}), QStringLiteral("host-only"));
    EXPECT_TRUE(matchesReference(QStringLiteral("station/reports/reference/server-200.html"), html));
    // A new connection has no last report of its own.
    EXPECT_EQ(report(*served_->server.connect(), station::kGetReport, 55, Variant(Variant::Array{}),
                     QStringLiteral("host-only")),
              QString());
}

TEST_F(ReportServer, RemoteReportOverItsOwnConnectionReachesTheHostsReportFiftyFive)
{
    const QString workplace = QStringLiteral("remote-workplace");
    report(*client_, station::kGetReport, 20, Variant(Variant::Array{}), workplace);
    {
        // ProduceReport on a remote workplace: one connection per report.
        const auto remote = served_->server.connect();
        report(*remote, station::kGetReportEx, 31, Variant(Variant::Array{Variant(7), Variant(9)}), workplace);
    }
    const QString html = report(*client_, station::kGetReport, 55, Variant(Variant::Array{}), workplace);
    EXPECT_TRUE(html.contains(QStringLiteral("<title>Журнал откачки топлива</title>")));
    // Another workplace's remote report does not reach this one.
    report(*served_->server.connect(), station::kGetReportEx, 23, Variant(Variant::Array{}), QStringLiteral("elsewhere"));
    EXPECT_EQ(report(*client_, station::kGetReport, 55, Variant(Variant::Array{}), workplace), html);
}

TEST_F(ReportServer, MalformedCallsAreErrorsAndTheConnectionGoesOn)
{
    EXPECT_THROW(report(*client_, station::kGetReportEx, 256, Variant(Variant::Array{})), EProtocolError);
    EXPECT_THROW(client_->call(QString::fromLatin1(station::kGetReportEx), {Variant(45)}), EProtocolError);
    EXPECT_THROW(service({Variant(QStringLiteral("2"))}), EDatabaseError);
    EXPECT_THROW(report(*client_, station::kGetReport, 35, Variant(Variant::Array{})), EDatabaseError);
    EXPECT_EQ(service({Variant(std::uint8_t{14})}), QStringLiteral("OK"));
}

TEST_F(ReportServer, ReceiptTemplateAndPrinterReceiptCrossTheWire)
{
    // The template as the settings window stores it in the station's
    // PredChecks.txt, bold marks, tags and an empty line included.
    const receipts::PredChecksFile file(receipts::PredChecksFile::stationName());
    ASSERT_TRUE(QDir().mkpath(QFileInfo(file.path()).absolutePath()));
    const QString text = QStringLiteral("@ТОВАРНЫЙ ЧЕК <#AZS>\r\n\r\nГСМ: <#GSM(5)> <#Liter(5.1)>л.\r\n@ИТОГО: <#Summa(10.2)>р.");
    file.writeTemplate(receipts::kCommonTemplate, text);
    const QString answer =
        service({Variant(report::kSelectorReceiptTemplate), Variant(0)});
    QFile::remove(file.path());
    EXPECT_EQ(answer, QString::fromLatin1(report::kReceiptTemplateMarker) + text);

    // The printer receipt of a sale, then its page through report 55 of the same workplace.
    const int sale = maxOf(QStringLiteral("SELECT MIN(INDEXSALE) FROM LOGTRAN"));
    const QString workplace = QStringLiteral("receipt-workplace");
    const QString receipt = report(*client_, station::kGetReportEx, report::kService,
                                   Variant(Variant::Array{Variant(report::kSelectorPrinterReceipt), Variant(sale),
                                                          Variant(QStringLiteral("Иванова Н.П.")), Variant(QStringLiteral("1")),
                                                          Variant(QString())}),
                                   workplace);
    EXPECT_TRUE(receipt.contains(QStringLiteral("ТОВАРНЫЙ ЧЕК №%1 от").arg(sale)));
    // A template request in between leaves the receipt's page for report 55.
    service({Variant(report::kSelectorReceiptTemplate), Variant(0)});
    const QString html = report(*client_, station::kGetReport, report::kLastReportHtml, Variant(Variant::Array{}), workplace);
    EXPECT_TRUE(html.contains(QStringLiteral("<title>ТОВАРНЫЙ ЧЕК №%1 от").arg(sale)));
    try {
        report(*client_, station::kGetReportEx, report::kService,
               Variant(Variant::Array{Variant(report::kSelectorPrinterReceipt), Variant(sale + 1000000), Variant(QString()),
                                      Variant(QString()), Variant(QString())}));
        FAIL() << "an unknown sale gave a receipt";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("Продажа №%1 не найдена").arg(sale + 1000000))) << e.what();
    }
}

} // namespace
} // namespace velta::test
