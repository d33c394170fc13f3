// The sale selection window over a real station's demo sales through the
// plug-in's data module: the list of sales without a note, marking with the
// keys, merging, the limit of ten, the contragent question and the main sale,
// skipping and cancelling, and the array SelectSales hands to the note
// editor. The window's look in the host's font is checked and, with
// VELTA_SHOTS set, shot.
#include "common/Exception.h"
#include "common/FormatSettings.h"
#include "plugin/consignment/selection/MarkedRowsDelegate.h"
#include "plugin/consignment/selection/SelectSaleForm.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DialogTypes.h"
#include "tests/receipts/ReceiptWindowLook.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/StationServer.h"
#include "tests/support/VariantDescription.h"

#include <QApplication>
#include <QHeaderView>
#include <QImage>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSet>
#include <cstdlib>
#include <functional>
#include <gtest/gtest.h>

namespace velta::consignment {
namespace {

using core::TDBFrm;

const QString kMixed = QStringLiteral(
    "Для выбранных отливов указан разный контрагент!\r\nВы действительно хотите поместить все выбранные\r\n"
    "отливы в одной ТТН?");
const QString kMergePrefix = QStringLiteral("Уже есть отгрузка топлива \"");

// Sale 48 of the demo station: a carrier's sale with a consignee.
constexpr int kCarrierSale = 48;

class SelectSaleRoadsTest : public test::MenuStationTest {
protected:
    void SetUp() override
    {
        MenuStationTest::SetUp();
        if (!stationReady())
            return;
        saved_ = globalFormatSettings();
        globalFormatSettings() = TFormatSettings::systemDefaults();
        globalFormatSettings().DecimalSeparator = QLatin1Char('.');
    }
    void TearDown() override
    {
        if (stationReady())
            globalFormatSettings() = saved_;
        MenuStationTest::TearDown();
    }

    static TDBFrm& db() { return *core::state().dataModule; }
    static TClientDataSet& sales() { return db().dsLogTran; }

    static TDBGrid& grid(QDialog& window) { return *window.findChild<TDBGrid*>(QStringLiteral("DBGrid1")); }
    static void press(QDialog& window, int key, const QString& text = QString())
    {
        QKeyEvent down(QEvent::KeyPress, key, Qt::NoModifier, text);
        QApplication::sendEvent(&grid(window), &down);
        QKeyEvent up(QEvent::KeyRelease, key, Qt::NoModifier, text);
        QApplication::sendEvent(&grid(window), &up);
    }
    static void click(QDialog& window, const char* button)
    {
        window.findChild<QPushButton*>(QString::fromLatin1(button))->click();
    }
    static void go(int sale)
    {
        ASSERT_TRUE(sales().Locate(QStringLiteral("INDEXSALE"), Variant(sale), 0)) << sale;
    }
    static int saleAtRow(int recNo)
    {
        sales().SetRecNo(recNo);
        return sales().FieldByName(QStringLiteral("INDEXSALE")).AsInteger();
    }
    static Currency value(const char* field) { return sales().FieldByName(QString::fromLatin1(field)).AsCurrency(); }

    // Opens the selection through SelectSales and lets the user work it.
    bool select(bool multiLine, const std::function<void(TSelectSaleForm&)>& user, Variant& result,
                QList<TTideRecord>* records = nullptr)
    {
        dialogs.expectModal(QStringLiteral("TSelectSaleForm"))
            .withCaption(QStringLiteral("Выбор продажи ГСМ для ТТН"))
            .drive([&](QDialog& window) {
                user(dynamic_cast<TSelectSaleForm&>(window));
                if (window.isVisible())
                    window.reject();
            });
        const bool chosen = SelectSales(dialogs, multiLine, result, records);
        dialogs.verify();
        return chosen;
    }

    // One value of the station through the data module's SQL.
    static Variant stationValue(const QString& sql)
    {
        const std::unique_ptr<TClientDataSet> rows = db().OpenSQL(sql);
        return rows->IsEmpty() ? Variant() : rows->Fields(0).Value();
    }

    // The merge question for a fuel, whatever the figures.
    DialogExpectation& expectMerge(const QString& fuel)
    {
        return dialogs.expect(DialogKind::MessageBox)
            .containing(kMergePrefix + fuel + QStringLiteral("\"\r\n\r\nВы хотите объединить"))
            .withCaption(QStringLiteral("Внимание"));
    }

    TFormatSettings saved_;
};

// A positive amount with two decimals, the half rounded up, as the box shows it.
QString twoDecimals(Currency value)
{
    const std::int64_t cents = (value.scaled + 50) / 100;
    return QStringLiteral("%1.%2").arg(cents / 100).arg(cents % 100, 2, 10, QLatin1Char('0'));
}

// Colours drawn by the style may differ from the one asked by a step of blending.
bool near(const QColor& drawn, const QColor& wanted)
{
    return std::abs(drawn.red() - wanted.red()) <= 2 && std::abs(drawn.green() - wanted.green()) <= 2
           && std::abs(drawn.blue() - wanted.blue()) <= 2;
}

TEST_F(SelectSaleRoadsTest, ListHoldsSalesWithoutNoteInShownColumns)
{
    Variant result = Variant(QStringLiteral("untouched"));
    const bool chosen = select(
        true,
        [&](TSelectSaleForm& form) {
            sales().FetchAll();
            QSet<int> listed;
            for (int row = 1; row <= sales().RecordCount(); ++row)
                listed << saleAtRow(row);
            EXPECT_EQ(listed.size(), sales().RecordCount()) << "every sale once";
            const std::unique_ptr<TClientDataSet> noted = db().OpenSQL(QStringLiteral(
                "SELECT INDEXSALE FROM TTN WHERE ISDELETE = 0 AND INDEXSALE IS NOT NULL UNION "
                "SELECT d.INDEXSALE FROM TTNDETAIL d JOIN TTN t ON t.TTN_ID = d.TTN_ID WHERE t.ISDELETE = 0"));
            int notedCount = 0;
            for (noted->First(); !noted->Eof(); noted->Next(), ++notedCount)
                EXPECT_FALSE(listed.contains(noted->Fields(0).AsInteger())) << noted->Fields(0).AsInteger();
            EXPECT_GT(notedCount, 0) << "the demo has notes";
            EXPECT_EQ(listed.size() + notedCount, stationValue(QStringLiteral("SELECT COUNT(*) FROM LOGTRAN")).toInt());
            EXPECT_EQ(saleAtRow(1), stationValue(QStringLiteral("SELECT MAX(INDEXSALE) FROM LOGTRAN")).toInt())
                << "newest first";

            QStringList titles;
            const QHeaderView& header = *grid(form).horizontalHeader();
            for (int c = 0; c < grid(form).model()->columnCount(); ++c)
                titles << grid(form).model()->headerData(c, Qt::Horizontal).toString();
            EXPECT_EQ(titles, (QStringList{"№ отлива", "Дата отлива", "ГСМ", "Объем, л", "Масса, кг", "Сумма, руб",
                                           "Грузополучатель", "Перевозчик", "Водитель", "Марка", "Гос. номер"}));
            EXPECT_EQ(sales().FieldByName(QStringLiteral("GPNAME")).DisplayWidth(), 25);
            EXPECT_GT(header.sectionSize(6), header.sectionSize(2));
            go(kCarrierSale);
            EXPECT_FALSE(sales().FieldByName(QStringLiteral("GPNAME")).AsString().isEmpty()) << "the consignee's name";
            EXPECT_FALSE(sales().FieldByName(QStringLiteral("CNAME")).AsString().isEmpty());
            EXPECT_TRUE(form.findChild<QLabel*>(QStringLiteral("Label3"))->isVisible());
            click(form, "btnCancel");
        },
        result);
    EXPECT_FALSE(chosen);
    EXPECT_EQ(result, Variant(QStringLiteral("untouched"))) << "Cancel leaves the result";
    EXPECT_FALSE(sales().Active()) << "the list closes with the window";
    EXPECT_EQ(sales().CommandText(), QString()) << "and the data module's sales get their own command back";
    EXPECT_FALSE(db().VeltaServer.Connected());
}

TEST_F(SelectSaleRoadsTest, ThreeSalesOfOneFuelMergedIntoOneLine)
{
    struct Taken {
        int sale;
        TDateTime time;
        Currency volume, mass, density, meterMass, sum;
    };
    QList<Taken> taken;
    Variant result;
    QList<TTideRecord> records;
    const bool chosen = select(
        true,
        [&](TSelectSaleForm& form) {
            // The first three sales of the fuel of the newest sale without a carrier.
            const QString fuel = QStringLiteral("АИ-92");
            for (int row = 1; row <= sales().RecordCount() && taken.size() < 3; ++row) {
                sales().SetRecNo(row);
                if (sales().FieldByName(QStringLiteral("GSMNAME")).AsString() != fuel)
                    continue;
                taken << Taken{saleAtRow(row), sales().FieldByName(QStringLiteral("TIDEDATE")).AsDateTime(),
                               value("LITER"), value("MASSA"), value("PLOTN"), value("MASSAPLM"), value("SUMMA")};
                press(form, Qt::Key_Space);
            }
            ASSERT_EQ(taken.size(), 3);
            EXPECT_EQ(form.Selection().Marked().size(), 3);
            // Space on a marked row takes the mark off; a second Space puts it back at the end.
            go(taken[1].sale);
            press(form, Qt::Key_Space);
            EXPECT_EQ(form.Selection().Marked().size(), 2);
            press(form, Qt::Key_Space);
            taken.move(1, 2);
            EXPECT_EQ(form.Selection().Marked().at(2).saleNumber, taken[2].sale);

            for (int i = 1; i <= 2; ++i)
                expectMerge(fuel)
                    .containing(QStringLiteral("\r\nобъем: %1л., масса: %2кг, плотн.: %3, сумма: %4р.\r\n")
                                    .arg(twoDecimals(taken[i].volume), twoDecimals(taken[i].mass),
                                         twoDecimals(taken[i].density), twoDecimals(taken[i].sum)))
                    .answer(IDYES);
            go(taken[0].sale);
            press(form, Qt::Key_Down);
            const int current = sales().RecNo();
            click(form, "btnOK");
            EXPECT_FALSE(form.isVisible());
            EXPECT_EQ(sales().RecNo(), current) << "OK leaves the current row";
        },
        result, &records);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(taken.size(), 3);

    const auto money = [](std::int64_t scaled) { return Variant(Currency{scaled}); };
    const auto density = [](Currency mass, Currency volume) {
        return Variant(Currency::fromDouble(mass.toDouble() / volume.toDouble()));
    };
    const Currency volume{taken[0].volume.scaled + taken[1].volume.scaled + taken[2].volume.scaled};
    const Currency mass{taken[0].mass.scaled + taken[1].mass.scaled + taken[2].mass.scaled};
    const Currency meterMass{taken[0].meterMass.scaled + taken[1].meterMass.scaled + taken[2].meterMass.scaled};
    const Currency sum{taken[0].sum.scaled + taken[1].sum.scaled + taken[2].sum.scaled};
    Variant::Array cargo{Variant(Variant::Array{Variant(taken[0].sale), Variant(QStringLiteral("АИ-92")),
                                                money(volume.scaled), money(mass.scaled), money(sum.scaled),
                                                density(mass, volume), Variant(true), money(meterMass.scaled),
                                                density(meterMass, volume)})};
    for (int i = 1; i <= 2; ++i)
        cargo << Variant(Variant::Array{Variant(taken[i].sale), Variant(QStringLiteral("АИ-92 (объединено)")),
                                        Variant(taken[i].volume), Variant(taken[i].mass), Variant(taken[i].sum),
                                        density(taken[i].mass, taken[i].volume), Variant(false),
                                        Variant(taken[i].meterMass), density(taken[i].meterMass, taken[i].volume)});
    // Cash sales: only the moment of the first one; no carrier, driver or consignee.
    const Variant::Array header{Variant::fromDate(taken[0].time), Variant(0), Variant(QString()), Variant(QString()),
                                Variant(QString()), Variant(QString()), Variant(QString()), Variant(QString()),
                                Variant(QString()), Variant(QString()), Variant(QString()), Variant(0)};
    EXPECT_EQ(test::describe(result), test::describe(Variant(Variant::Array{Variant(header), Variant(cargo)})));
    ASSERT_EQ(records.size(), 3);
    EXPECT_EQ(records[2].name, QStringLiteral("АИ-92 (объединено)"));
    EXPECT_FALSE(sales().Active());
}

TEST_F(SelectSaleRoadsTest, SingleLineOkTakesTheCurrentSaleWithItsCarrier)
{
    const test::HostFontScope hostFont;
    Variant result;
    QList<TTideRecord> records;
    Currency volume;
    const bool chosen = select(
        false,
        [&](TSelectSaleForm& form) {
            EXPECT_FALSE(form.findChild<QLabel*>(QStringLiteral("Label3"))->isVisible());
            EXPECT_EQ(form.findChild<QWidget*>(QStringLiteral("Panel1"))->height(), 46);
            if (hostFont.active()) {
                EXPECT_EQ(test::cutTexts(form), QStringList{}) << "two lines in the short panel";
            }
            go(kCarrierSale);
            volume = value("LITER");
            press(form, Qt::Key_Space); // no marking with one line per note
            press(form, Qt::Key_M);
            EXPECT_TRUE(form.Selection().Marked().isEmpty());
            click(form, "btnOK");
        },
        result, &records);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].saleNumber, kCarrierSale);
    EXPECT_TRUE(records[0].main);
    EXPECT_EQ(records[0].volume, volume);

    const Variant& header = result.at(0);
    const QString sale = QString::number(kCarrierSale);
    EXPECT_EQ(header.at(1).toInt(),
              stationValue(QStringLiteral("SELECT v.CONTR_ID FROM LOGTRAN l JOIN VDCONTRACTOR v ON v.ID = l.IDCNT "
                                          "WHERE l.INDEXSALE = ") + sale).toInt());
    EXPECT_GT(header.at(1).toInt(), 0);
    EXPECT_EQ(header.at(3).toString(), stationValue(QStringLiteral("SELECT d.NAME FROM LOGTRAN l JOIN VDDRIVER d ON "
                                                                   "d.ID = l.IDDRV WHERE l.INDEXSALE = ") + sale).toString());
    EXPECT_EQ(header.at(6).toString(), stationValue(QStringLiteral("SELECT c.NAME FROM LOGTRAN l JOIN VDCAR c ON "
                                                                   "c.ID = l.IDCAR WHERE l.INDEXSALE = ") + sale).toString());
    EXPECT_EQ(header.at(10).toString(), stationValue(QStringLiteral("SELECT PLISTNUM FROM LOGTRAN WHERE INDEXSALE = ") + sale).toString());
    EXPECT_EQ(header.at(11).toInt(), stationValue(QStringLiteral("SELECT ID2CNT FROM LOGTRAN WHERE INDEXSALE = ") + sale).toInt());
    EXPECT_GT(header.at(11).toInt(), 0);
}

TEST_F(SelectSaleRoadsTest, ElevenRefusedMixedContragentsAskedMainSaleAccepted)
{
    Variant result;
    QList<TTideRecord> records;
    const bool chosen = select(
        true,
        [&](TSelectSaleForm& form) {
            // The eleven newest sales, the carrier's among them, each fuel on lines of its own.
            QSet<QString> fuels;
            for (int row = 1; row <= 11; ++row) {
                sales().SetRecNo(row);
                const QString fuel = sales().FieldByName(QStringLiteral("GSMNAME")).AsString();
                if (fuels.contains(fuel))
                    expectMerge(fuel).answer(IDNO);
                fuels << fuel;
                press(form, Qt::Key_Space);
            }
            go(kCarrierSale);
            ASSERT_TRUE(form.Selection().IsMarked(sales().RecNo()));
            dialogs.expectMessageBox(QStringLiteral("Максимальное количество грузов: 10. Вы выбрали: 11\r\nНеобходимо "
                                                    "снять выбор лишних грузов (клавишей Пробел)!"))
                .withCaption(QStringLiteral("Внимание!"))
                .answer(IDOK);
            click(form, "btnOK");
            EXPECT_TRUE(form.isVisible());
            dialogs.verify();

            // Ten sales of several contragents: the question, and Cancel keeps the window.
            sales().SetRecNo(11);
            press(form, Qt::Key_Space);
            const auto expectMergeQuestions = [&] {
                QSet<QString> seen;
                for (int row = 1; row <= 10; ++row) {
                    sales().SetRecNo(row);
                    const QString fuel = sales().FieldByName(QStringLiteral("GSMNAME")).AsString();
                    if (seen.contains(fuel))
                        expectMerge(fuel).answer(IDNO);
                    seen << fuel;
                }
            };
            expectMergeQuestions();
            dialogs.expectMessageBox(kMixed).withCaption(QStringLiteral("Внимание!")).answer(IDCANCEL);
            click(form, "btnOK");
            EXPECT_TRUE(form.isVisible());
            dialogs.verify();

            // The carrier's sale made the main one (the Cyrillic М key): no question.
            go(kCarrierSale);
            press(form, 0x041C, QStringLiteral("М"));
            EXPECT_TRUE(form.Selection().IsMain(sales().RecNo()));
            expectMergeQuestions();
            grid(form).setFocus();
            const QPoint centre = grid(form).visualRect(grid(form).model()->index(0, 2)).center();
            QMouseEvent dbl(QEvent::MouseButtonDblClick, centre, grid(form).viewport()->mapToGlobal(centre),
                            Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
            QApplication::sendEvent(grid(form).viewport(), &dbl);
            EXPECT_FALSE(form.isVisible()) << "a double click is OK";
        },
        result, &records);
    ASSERT_TRUE(chosen);
    ASSERT_EQ(records.size(), 10);
    EXPECT_EQ(result.at(1).arrayCount(), 10);
    EXPECT_EQ(result.at(0).at(11).toInt(), stationValue(QStringLiteral("SELECT ID2CNT FROM LOGTRAN WHERE INDEXSALE = %1")
                                                            .arg(kCarrierSale)).toInt())
        << "the header is the main sale's";
}

TEST_F(SelectSaleRoadsTest, LegacyStationWithoutMeterColumnsOrNoteLines)
{
    const QString root = env.path(QStringLiteral("legacy"));
    ASSERT_EQ(test::StationServer::initStation(root, 50, {QStringLiteral("--legacy")}), QString());
    test::StationServer legacy(root);
    ASSERT_NE(legacy.port(), 0) << legacy.error().toStdString();
    qputenv("VELTA_STATION_PORT", QByteArray::number(legacy.port()));

    Variant result;
    QList<TTideRecord> records;
    int listed = 0;
    const bool chosen = select(
        true,
        [&](TSelectSaleForm& form) {
            sales().FetchAll();
            listed = sales().RecordCount();
            EXPECT_EQ(sales().FindField(QStringLiteral("MASSAPLM")), nullptr);
            EXPECT_EQ(sales().FindField(QStringLiteral("ID2CNT")), nullptr);
            EXPECT_EQ(grid(form).model()->columnCount(), 11) << "the consignee's column stays, empty";
            press(form, Qt::Key_Space);
            click(form, "btnOK");
        },
        result, &records);
    ASSERT_TRUE(chosen);
    EXPECT_EQ(listed, 50 - stationValue(QStringLiteral("SELECT COUNT(*) FROM TTN WHERE ISDELETE = 0")).toInt());
    ASSERT_EQ(records.size(), 1);
    EXPECT_EQ(records[0].meterMass, Currency{});
    EXPECT_EQ(records[0].meterDensity, Currency{});
    EXPECT_GT(records[0].density.scaled, 0);
    EXPECT_EQ(result.at(0).at(11).toInt(), 0);
    db().VeltaServer.SetConnected(false);
    legacy.stop();
}

TEST_F(SelectSaleRoadsTest, SkipGivesAnEmptyArray)
{
    Variant result;
    QList<TTideRecord> records{TTideRecord{}};
    const bool chosen = select(
        true,
        [&](TSelectSaleForm& form) {
            QPushButton& skip = *form.findChild<QPushButton*>(QStringLiteral("btnSkip"));
            EXPECT_EQ(skip.text(), QStringLiteral("Пропустить"));
            EXPECT_EQ(skip.toolTip(), QStringLiteral("Пропускает этап выбора записи отлива \r\n(в случае, если слив в "
                                                     "бензовоз еще не завершился).\r\nЗапись отлива можно будет выбрать позже."));
            press(form, Qt::Key_Space);
            skip.click();
        },
        result, &records);
    EXPECT_TRUE(chosen);
    EXPECT_EQ(test::describe(result), QStringLiteral("[]"));
    EXPECT_TRUE(records.isEmpty());
}

TEST_F(SelectSaleRoadsTest, MarkedRowsDrawnGreenWithTheMainSaleBold)
{
    const test::HostFontScope hostFont;
    Variant result;
    select(
        true,
        [&](TSelectSaleForm& form) {
            form.resize(1000, 420);
            for (int row : {2, 3, 5, 6}) {
                sales().SetRecNo(row);
                press(form, Qt::Key_Space);
            }
            sales().SetRecNo(3);
            press(form, Qt::Key_V);
            sales().SetRecNo(5);
            QApplication::processEvents();

            TDBGrid& g = grid(form);
            const QImage drawn = g.viewport()->grab().toImage();
            // A cell's colour right of its text, as the grid drew it.
            const auto background = [&](int row) {
                const QRect cell = g.visualRect(g.model()->index(row, 0));
                return drawn.pixelColor(cell.right() - 2, cell.center().y());
            };
            const auto style = [&](int row) {
                QStyleOptionViewItem option;
                option.initFrom(&g);
                const QModelIndex index = g.model()->index(row, 2);
                auto* delegate = dynamic_cast<MarkedRowsDelegate*>(g.itemDelegateForIndex(index));
                if (delegate)
                    delegate->initStyleOption(&option, index);
                return option;
            };
            const QColor pale(0xC0, 0xDC, 0xC0);
            EXPECT_TRUE(near(background(4), QColor(0, 128, 0))) << "the current marked row";
            EXPECT_TRUE(near(background(1), pale)) << background(1).name().toStdString();
            EXPECT_TRUE(near(background(5), pale));
            EXPECT_FALSE(near(background(0), pale)) << "an unmarked row";
            EXPECT_FALSE(near(background(3), pale));
            EXPECT_TRUE(style(2).font.bold() && style(2).font.underline()) << "the main sale";
            EXPECT_FALSE(style(1).font.bold());
            EXPECT_EQ(style(4).palette.color(QPalette::HighlightedText), QColor(Qt::black));

            if (hostFont.active()) {
                EXPECT_EQ(test::cutTexts(form), QStringList{});
            }
            test::saveShot(form, QStringLiteral("sale-selection.png"));
            click(form, "btnCancel");
        },
        result);
}

} // namespace
} // namespace velta::consignment
