// "velta-station report ttn ID --form FORM": the arrays the note list sends
// for each form, the refusals of bad arguments, and a form written as HTML
// from a station folder.
#include "tests/station/StationFixture.h"
#include "tests/station/notes/NoteFormsData.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "common/Codecs.h"
#include "station/cli/ReportCommand.h"

#include <QFile>

namespace velta::test {
namespace {

using station::ReportRequest;
using station::ReportStation;

ReportRequest ttn(const QStringList& arguments)
{
    // No shortcut of the note forms asks the station anything.
    return station::reportRequestFor(QStringList{QStringLiteral("ttn")} + arguments, QString(),
                                     []() -> ReportStation& { throw Exception(QStringLiteral("no station needed")); });
}

TEST(NoteFormCommand, EachFormSendsTheListsArray)
{
    const struct {
        const char* form;
        Variant::Array params;
    } cases[] = {{"goods", {Variant(report::kSelectorTtnGoods), Variant(42)}},
                 {"transport", {Variant(report::kSelectorTtnTransport), Variant(42)}},
                 {"invoice", {Variant(report::kSelectorInvoice), Variant(42)}},
                 {"waybill0", {Variant(report::kSelectorGoodsWaybill), Variant(42), Variant(0)}},
                 {"waybill1", {Variant(report::kSelectorGoodsWaybill), Variant(42), Variant(1)}},
                 {"waybill2", {Variant(report::kSelectorGoodsWaybill), Variant(42), Variant(2)}},
                 {"receipt", {Variant(report::kSelectorShipmentReceipt), Variant(42)}}};
    for (const auto& c : cases) {
        const ReportRequest request = ttn({QStringLiteral("42"), QStringLiteral("--form"), QString::fromLatin1(c.form)});
        EXPECT_EQ(request.reportNo, report::kService) << c.form;
        ASSERT_EQ(request.params.arrayCount(), c.params.size()) << c.form;
        for (int i = 0; i < c.params.size(); ++i) {
            // Same values and the same element types (the selector a byte, the note an integer).
            EXPECT_EQ(request.params.elements()[i].type(), c.params[i].type()) << c.form << " element " << i;
            EXPECT_EQ(request.params.elements()[i].toInt64(), c.params[i].toInt64()) << c.form << " element " << i;
        }
    }
    // The goods section when no form is named.
    EXPECT_EQ(ttn({QStringLiteral("7")}).params.elements()[0].toInt64(), report::kSelectorTtnGoods);
}

TEST(NoteFormCommand, BadArgumentsAreRefused)
{
    const struct {
        QStringList arguments;
        const char* message;
    } cases[] = {{{}, "ttn needs ID"},
                 {{QStringLiteral("0")}, "not \"0\""},
                 {{QStringLiteral("abc")}, "not \"abc\""},
                 {{QStringLiteral("5"), QStringLiteral("--form"), QStringLiteral("waybill3")}, "not \"waybill3\""},
                 {{QStringLiteral("5"), QStringLiteral("--form")}, "--form"},
                 {{QStringLiteral("5"), QStringLiteral("--copies"), QStringLiteral("2")}, "ttn: unknown option --copies"}};
    for (const auto& c : cases) {
        try {
            ttn(c.arguments);
            ADD_FAILURE() << "accepted " << c.arguments.join(QLatin1Char(' ')).toStdString();
        } catch (const Exception& e) {
            EXPECT_TRUE(e.message().contains(QString::fromUtf8(c.message))) << e.message().toStdString();
        }
    }
}

TEST(NoteFormCommand, AFormFromAStationFolder)
{
    DemoStation station(false, 100);
    notes::insertCurrentNotes(*station.open());
    const QString html = station.root() + QStringLiteral("/invoice.html");
    const int code = station::runReport({QStringLiteral("--root"), station.root(), QStringLiteral("ttn"),
                                         QString::number(notes::kThreeLineNote), QStringLiteral("--form"),
                                         QStringLiteral("invoice"), QStringLiteral("--html"), html});
    ASSERT_EQ(code, 0);
    const QString page = codec::fromCp1251(readFileBytes(html));
    EXPECT_TRUE(page.contains(QStringLiteral("СЧЕТ-ФАКТУРА №СФ-45 от 15.03.2024"))) << page.left(400).toStdString();
}

} // namespace
} // namespace velta::test
