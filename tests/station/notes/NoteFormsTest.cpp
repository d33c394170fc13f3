// The printed forms of a consignment note through the report engine, on a
// demo station with notes of known content: each form as text and HTML
// against its reference files, the lines each form admits by its print flag,
// totals in words, the free variables, a single-line station, a note without
// lines of its own, and notes the station does not have.
#include "tests/station/StationFixture.h"
#include "tests/station/notes/NoteFormsData.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/foundation/text/Tools.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "tests/support/ReferenceFile.h"

#include <cstdint>

namespace velta::test {
namespace {

using station::ReportConnectionState;
using station::ReportEngine;
using station::ReportWorkplaceMemory;

struct Rendered {
    QString text;
    QString html;
    // The text with every run of spaces, line breaks and frame padding as one
    // space (digit groups too), for checks that do not depend on column widths.
    QString flat() const { return text.simplified(); }
};

Variant::Array formRequest(std::uint8_t selector, int note)
{
    return {Variant(selector), Variant(note)};
}

Variant::Array waybillRequest(int note, int variant)
{
    return {Variant(report::kSelectorGoodsWaybill), Variant(note), Variant(variant)};
}

class NoteFormsTest : public CurrentAndLegacyStations<200, 200> {
protected:
    static void SetUpTestSuite()
    {
        CurrentAndLegacyStations::SetUpTestSuite();
        current_db_ = current_->open().release();
        legacy_db_ = legacy_->open().release();
        notes::insertCurrentNotes(*current_db_);
        notes::insertLegacyNote(*legacy_db_);
    }
    static void TearDownTestSuite()
    {
        delete current_db_;
        delete legacy_db_;
        current_db_ = legacy_db_ = nullptr;
        CurrentAndLegacyStations::TearDownTestSuite();
    }

    Rendered produce(station::StationDatabase& db, const Variant::Array& params)
    {
        ReportEngine engine(db, connection_, memory_);
        Rendered out;
        out.text = engine.getReport({Variant(report::kService), Variant(params)});
        out.html = engine.getReport({Variant(report::kLastReportHtml), Variant(Variant::Array{})});
        return out;
    }
    Rendered current(const Variant::Array& params) { return produce(*current_db_, params); }

    static ::testing::AssertionResult matches(const QString& name, const Rendered& rendered)
    {
        const QString base = QStringLiteral("station/notes/reference/") + name;
        ::testing::AssertionResult text = matchesReference(base + QStringLiteral(".txt"), rendered.text);
        if (!text)
            return text;
        return matchesReference(base + QStringLiteral(".html"), rendered.html);
    }

    static inline station::StationDatabase* current_db_ = nullptr;
    static inline station::StationDatabase* legacy_db_ = nullptr;
    ReportConnectionState connection_;
    ReportWorkplaceMemory memory_;
};

TEST_F(NoteFormsTest, GoodsSectionPrintsTheLinesMarkedForIt)
{
    const Rendered r = current(formRequest(report::kSelectorTtnGoods, notes::kThreeLineNote));
    EXPECT_TRUE(matches(QStringLiteral("goods-three-lines"), r));
    // Lines 1 and 2 (flag 1 each); the merged sale's own line stays out of
    // the table and of its totals: 1,002 + 0,375 t and 60 000 + 25 000.
    EXPECT_TRUE(r.text.contains(QStringLiteral("| ДТ ")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("| АИ-95 ")));
    EXPECT_FALSE(r.text.contains(QStringLiteral("объединено")));
    EXPECT_TRUE(r.flat().contains(QStringLiteral("| 2 | 1,377 | 85 000,00 |")));
    // The stored sum text is empty: the words of the sum; the net mass words
    // are made from the mass, the gross mass words are the stored ones.
    EXPECT_TRUE(r.text.contains(AmountInWords(85500).trimmed())) << r.text.toStdString();
    EXPECT_TRUE(r.text.contains(QStringLiteral("1,377 (%1)").arg(WeightInWords(1377))));
    EXPECT_TRUE(r.text.contains(QStringLiteral("1,400 (одна тыс. четыреста кг)")));
    // One page break, at the end of the section, and only in the HTML page.
    EXPECT_EQ(r.html.count(QStringLiteral("page-break-after:always;")), 1);
    EXPECT_GT(r.html.indexOf(QStringLiteral("page-break-after:always;")), r.html.indexOf(QStringLiteral("Принял грузополучатель")));
    EXPECT_FALSE(r.text.contains(QStringLiteral("page-break")));
    // Parties with their bank details; the payer is the customer.
    EXPECT_TRUE(r.text.contains(QStringLiteral("Заказчик (плательщик)")));
    EXPECT_TRUE(r.html.contains(QStringLiteral("р/с 40702810100000001234, в банке ПАО Сбербанк, БИК 044206604")));
}

TEST_F(NoteFormsTest, TransportSectionLeavesOutTheSecondLine)
{
    const Rendered r = current(formRequest(report::kSelectorTtnTransport, notes::kThreeLineNote));
    EXPECT_TRUE(matches(QStringLiteral("transport-three-lines"), r));
    EXPECT_TRUE(r.text.contains(QStringLiteral("Нефтепродукт ДТ")));
    EXPECT_FALSE(r.text.contains(QStringLiteral("Нефтепродукт АИ-95")));
    // LICCARD 1: the standard card only; a carrier without a name of its own.
    EXPECT_TRUE(r.text.contains(QStringLiteral(": стандартная\r\n")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("ИП Кузнецов А.В., КПП 482599999")));
    EXPECT_FALSE(r.html.contains(QStringLiteral("page-break")));
}

TEST_F(NoteFormsTest, InvoiceShowsEachLineWithItsOwnRate)
{
    const Rendered r = current(formRequest(report::kSelectorInvoice, notes::kThreeLineNote));
    EXPECT_TRUE(matches(QStringLiteral("invoice-three-lines"), r));
    EXPECT_TRUE(r.text.contains(QStringLiteral("| ДТ ")));
    EXPECT_FALSE(r.text.contains(QStringLiteral("АИ-95")));
    EXPECT_TRUE(r.flat().contains(QStringLiteral("| без акциза | 18% | 10 800,00 | 70 800,00 | Россия |")));
    // SFGOTYPE 1: the consignor is the seller.
    EXPECT_TRUE(r.flat().contains(QStringLiteral("Грузоотправитель и его адрес : он же ")));
    EXPECT_TRUE(r.flat().contains(QStringLiteral("ИНН/КПП покупателя : ИНН/КПП 4825067890/482501001 ")));
}

TEST_F(NoteFormsTest, GoodsWaybillVariants)
{
    const Rendered standard = current(waybillRequest(notes::kThreeLineNote, 0));
    const Rendered measured = current(waybillRequest(notes::kThreeLineNote, 1));
    const Rendered pressure = current(waybillRequest(notes::kThreeLineNote, 2));
    EXPECT_TRUE(matches(QStringLiteral("waybill0-three-lines"), standard));
    EXPECT_TRUE(matches(QStringLiteral("waybill1-three-lines"), measured));
    EXPECT_TRUE(matches(QStringLiteral("waybill2-three-lines"), pressure));
    // PRINTTN 5 reads as set: both lines, two records, both rates.
    for (const Rendered* r : {&standard, &measured, &pressure}) {
        EXPECT_TRUE(r->text.contains(QStringLiteral("| АИ-95 ")));
        EXPECT_FALSE(r->text.contains(QStringLiteral("объединено")));
        EXPECT_TRUE(r->flat().contains(QStringLiteral("| 20% | 5 000,00 | 30 000,00 |")));
        EXPECT_TRUE(r->flat().contains(QStringLiteral("Порядковых номеров записей : 2 ")));
        EXPECT_TRUE(r->text.contains(AmountInWords(100800).trimmed()));
    }
    EXPECT_FALSE(standard.text.contains(QStringLiteral("Плотность")));
    EXPECT_TRUE(measured.text.contains(QStringLiteral("Плотность")));
    EXPECT_FALSE(measured.text.contains(QStringLiteral("Давление")));
    EXPECT_TRUE(pressure.text.contains(QStringLiteral("Давление")));
    EXPECT_TRUE(pressure.flat().contains(QStringLiteral("| 15,0 | 0,15 | 59 880,24 |")));
    // The unit's code in the classifier of units: 168 for tonnes.
    EXPECT_TRUE(standard.flat().contains(QStringLiteral("| т | 168 | налив |")));

    EXPECT_THROW(current(waybillRequest(notes::kThreeLineNote, 3)), EDatabaseError);
    EXPECT_THROW(current(formRequest(report::kSelectorGoodsWaybill, notes::kThreeLineNote)), EDatabaseError);
}

TEST_F(NoteFormsTest, ShipmentReceipt)
{
    const Rendered r = current(formRequest(report::kSelectorShipmentReceipt, notes::kThreeLineNote));
    EXPECT_TRUE(matches(QStringLiteral("receipt-three-lines"), r));
    EXPECT_TRUE(r.text.contains(QStringLiteral("КВИТАНЦИЯ ОБ ОТГРУЗКЕ №КВ-9 от 15.03.2024")));
    EXPECT_TRUE(r.text.contains(QStringLiteral("К ТТН ББ №000123 от 15.03.2024")));
    EXPECT_FALSE(r.text.contains(QStringLiteral("объединено")));
}

TEST_F(NoteFormsTest, FreeVariablesOnEveryForm)
{
    for (const Variant::Array& request :
         {formRequest(report::kSelectorTtnGoods, notes::kThreeLineNote), formRequest(report::kSelectorTtnTransport, notes::kThreeLineNote),
          formRequest(report::kSelectorInvoice, notes::kThreeLineNote), waybillRequest(notes::kThreeLineNote, 1),
          formRequest(report::kSelectorShipmentReceipt, notes::kThreeLineNote)}) {
        const Rendered r = current(request);
        EXPECT_TRUE(r.text.contains(QStringLiteral("Дополнительные сведения")));
        // Rows in order, empty ones left out; a value holding "|" comes whole,
        // as the editor reads it; a name without a value shows alone.
        EXPECT_TRUE(r.flat().contains(QStringLiteral("Дополнительные сведения Договор : № 15/24 от 10.01.2024 "
                                                     "Примечание : налив|верхний Пломба :")))
            << r.text.toStdString();
        EXPECT_TRUE(r.html.contains(QStringLiteral("<td width=\"30%\">Договор</td><td>№ 15/24 от 10.01.2024</td>")));
    }
    // A note without variables has no such part.
    const Rendered bare = current(formRequest(report::kSelectorTtnGoods, notes::kHeaderOnlyNote));
    EXPECT_FALSE(bare.text.contains(QStringLiteral("Дополнительные сведения")));
}

TEST_F(NoteFormsTest, ANoteWithoutLinesOfItsOwnPrintsItsHeaderLine)
{
    // The list never shows such a note; asked for, every form prints the first
    // line the header keeps.
    for (const Variant::Array& request :
         {formRequest(report::kSelectorTtnGoods, notes::kHeaderOnlyNote), formRequest(report::kSelectorInvoice, notes::kHeaderOnlyNote),
          waybillRequest(notes::kHeaderOnlyNote, 0)}) {
        const Rendered r = current(request);
        EXPECT_TRUE(r.text.contains(QStringLiteral("| ДТ "))) << r.text.toStdString();
    }
}

TEST_F(NoteFormsTest, ASingleLineStation)
{
    const Rendered goods = produce(*legacy_db_, formRequest(report::kSelectorTtnGoods, notes::kThreeLineNote));
    EXPECT_TRUE(matches(QStringLiteral("goods-single-line"), goods));
    EXPECT_TRUE(goods.flat().contains(QStringLiteral("| 0101 | ПР-2024 | 21002 | 1,002 | 59 880,24 | ДТ | т |")));
    const Rendered waybill = produce(*legacy_db_, waybillRequest(notes::kThreeLineNote, 2));
    EXPECT_TRUE(matches(QStringLiteral("waybill2-single-line"), waybill));
    // The line's pressure is the one the header keeps without suffix.
    EXPECT_TRUE(waybill.flat().contains(QStringLiteral("Порядковых номеров записей : 1 ")));
    EXPECT_TRUE(waybill.flat().contains(QStringLiteral("| 1 200,00 | 0,8350 | 15,0 | 0,00 |")));
    // Without KVITNUMBER and KVITDATE the receipt has no number of its own.
    const Rendered receipt = produce(*legacy_db_, formRequest(report::kSelectorShipmentReceipt, notes::kThreeLineNote));
    EXPECT_TRUE(receipt.text.contains(QStringLiteral("КВИТАНЦИЯ ОБ ОТГРУЗКЕ\r\n")));
    EXPECT_TRUE(receipt.text.contains(QStringLiteral("| ДТ ")));
}

TEST_F(NoteFormsTest, AnUnknownNoteIsAnError)
{
    const Rendered before = current(formRequest(report::kSelectorInvoice, notes::kThreeLineNote));
    ASSERT_FALSE(before.html.isEmpty());
    const struct {
        Variant::Array request;
        const char* form;
    } cases[] = {{formRequest(report::kSelectorTtnGoods, 777), "ТТН: товарный раздел"},
                 {formRequest(report::kSelectorTtnTransport, 777), "ТТН: транспортный раздел"},
                 {formRequest(report::kSelectorInvoice, 777), "Счет-фактура"},
                 {waybillRequest(777, 0), "Товарная накладная ТОРГ-12"},
                 {formRequest(report::kSelectorShipmentReceipt, 777), "Квитанция об отгрузке"}};
    for (const auto& c : cases) {
        try {
            current(c.request);
            ADD_FAILURE() << "an unknown note gave the form " << c.form;
        } catch (const EDatabaseError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("ТТН (код 777) не найдена в базе данных АЗС. Печатная форма \"%1\" не сформирована.")
                                       .arg(QString::fromUtf8(c.form)));
        }
    }
    // The failed form leaves no page behind for report 55.
    EXPECT_TRUE(ReportEngine(*current_db_, connection_, memory_)
                    .getReport({Variant(report::kLastReportHtml), Variant(Variant::Array{})})
                    .isEmpty());
    EXPECT_THROW(current(formRequest(report::kSelectorTtnGoods, 0)), EDatabaseError);
    EXPECT_THROW(current(formRequest(report::kSelectorTtnGoods, -1)), EDatabaseError);
    // A note number as text, or no number at all.
    EXPECT_THROW(current({Variant(report::kSelectorInvoice), Variant(QStringLiteral("9001"))}), EDatabaseError);
    EXPECT_THROW(current({Variant(report::kSelectorInvoice)}), EDatabaseError);
}

} // namespace
} // namespace velta::test
