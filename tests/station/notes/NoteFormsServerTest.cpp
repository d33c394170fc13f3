// The printed forms of a consignment note through a real station server, as
// the note list asks for them: report 35 with the list's arrays, then report
// 55 for the page, and the error of a note the station does not have.
#include "tests/station/ServerProcess.h"
#include "tests/station/notes/NoteFormsData.h"

#include "common/Exception.h"
#include "common/ReportContract.h"

#include <cstdint>

namespace velta::test {
namespace {

// A demo station with the test notes, served once they are written (the
// server is the only program that may open the database while it runs).
struct ServedNotes {
    ServedNotes()
        : station(false, 200)
    {
        notes::insertCurrentNotes(*station.open());
        server = std::make_unique<StationServer>(station.root());
    }
    DemoStation station;
    std::unique_ptr<StationServer> server;
};

class NoteFormsServer : public ::testing::Test {
protected:
    static void SetUpTestSuite() { served_ = new ServedNotes; }
    static void TearDownTestSuite()
    {
        delete served_;
        served_ = nullptr;
    }
    void SetUp() override
    {
        ASSERT_NE(served_->server->port(), 0) << served_->server->error().toStdString();
        client_ = served_->server->connect();
    }

    QString report(int reportNo, const Variant::Array& params)
    {
        return client_->call(QString::fromLatin1(station::kGetReportEx), {Variant(reportNo), Variant(params)}).toString();
    }
    QString lastHtml() { return report(report::kLastReportHtml, {}); }

    static inline ServedNotes* served_ = nullptr;
    std::unique_ptr<WireClient> client_;
};

TEST_F(NoteFormsServer, TheListsCallsAndTheirPages)
{
    // "ТТН: полностью": the goods section, its page, the transport section, its page.
    const int note = notes::kThreeLineNote;
    const QString goods = report(report::kService, {Variant(report::kSelectorTtnGoods), Variant(note)});
    const QString goodsHtml = lastHtml();
    const QString transport = report(report::kService, {Variant(report::kSelectorTtnTransport), Variant(note)});
    const QString transportHtml = lastHtml();
    EXPECT_TRUE(goods.contains(QStringLiteral("ТОВАРНЫЙ РАЗДЕЛ")));
    EXPECT_TRUE(goodsHtml.contains(QStringLiteral("page-break-after:always;")));
    EXPECT_TRUE(goodsHtml.contains(QStringLiteral("<table border=\"1\"")));
    EXPECT_TRUE(transport.contains(QStringLiteral("СВЕДЕНИЯ О ГРУЗЕ")));
    EXPECT_TRUE(transportHtml.contains(QStringLiteral("ТРАНСПОРТНЫЙ РАЗДЕЛ ТТН ББ №000123 от 15.03.2024")));

    const QString waybill = report(report::kService, {Variant(report::kSelectorGoodsWaybill), Variant(note), Variant(2)});
    EXPECT_TRUE(waybill.contains(QStringLiteral("ТОВАРНАЯ НАКЛАДНАЯ № ТН-45 от 15.03.2024")));
    EXPECT_TRUE(lastHtml().contains(QStringLiteral("Давление")));
    const QString invoice = report(report::kService, {Variant(report::kSelectorInvoice), Variant(note)});
    EXPECT_TRUE(invoice.contains(QStringLiteral("СЧЕТ-ФАКТУРА №СФ-45 от 15.03.2024")));
    const QString receipt = report(report::kService, {Variant(report::kSelectorShipmentReceipt), Variant(note)});
    EXPECT_TRUE(receipt.contains(QStringLiteral("КВИТАНЦИЯ ОБ ОТГРУЗКЕ №КВ-9")));
}

TEST_F(NoteFormsServer, AnUnknownNoteReachesTheClientAsItsMessage)
{
    try {
        report(report::kService, {Variant(report::kSelectorTtnGoods), Variant(424242)});
        FAIL() << "an unknown note gave a form";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("ТТН (код 424242) не найдена в базе данных АЗС")))
            << e.message().toStdString();
    }
    EXPECT_TRUE(lastHtml().isEmpty());
}

} // namespace
} // namespace velta::test
