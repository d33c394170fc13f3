// The note editor end to end: EditConsignmentNote opens the window through
// the scripted dialogs on a real station, the script types and presses OK,
// and the note is read back from TTN and TTNDETAIL with the station's own SQL.
#include "common/DataPacket.h"
#include "common/DateTime.h"
#include "common/StationProtocol.h"
#include "common/WireClient.h"
#include "plugin/consignment/editor/EditConsignmentNote.h"
#include "plugin/consignment/editor/TTTNEditForm.h"
#include "plugin/consignment/selection/SaleSelectionResult.h"
#include "plugin/core/DBForm.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/ui/DatePicker.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/SharedStationTest.h"
#include "tests/support/StationSql.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <gtest/gtest.h>
#include <functional>
#include <memory>

using namespace velta;
using namespace velta::consignment;
using namespace velta::test;

namespace {

TTideRecord sale(int number, const QString& name, double kilograms, double sum, bool main = true)
{
    TTideRecord r;
    r.saleNumber = number;
    r.name = name;
    r.volume = Currency::fromDouble(kilograms / 0.75);
    r.mass = Currency::fromDouble(kilograms);
    r.sum = Currency::fromDouble(sum);
    r.density = Currency::fromDouble(0.75);
    r.main = main;
    return r;
}

template <class T>
T& control(QDialog& w, const char* name)
{
    T* found = w.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return *found;
}

void type(QDialog& w, const char* edit, const QString& text)
{
    control<QLineEdit>(w, edit).setText(text);
}

void pressOK(QDialog& w)
{
    control<QPushButton>(w, "btnOK").click();
}

class TtnEditorRoadsTest : public SharedStationTest<> {
protected:
    void SetUp() override
    {
        SharedStationTest<>::SetUp();
        if (!stationReady())
            return;
        sql = station_->connect();
        dm = std::make_unique<core::TDBFrm>();
        const DataPacket c = StationQuery(*sql, QStringLiteral("SELECT FIRST 1 CONTR_ID FROM CONTRAGENT ORDER BY CONTR_ID"));
        ASSERT_EQ(c.rowCount(), 1);
        carrier = c.value(0, 0).toInt();
    }
    void TearDown() override
    {
        dialogs.verify();
        dm.reset();
        sql.reset();
        SharedStationTest<>::TearDown();
    }

    // Three sales, the third merged into the first: 1180 and 590 with VAT, 1.5 t and 0.8 t.
    Variant threeSales() const
    {
        SaleSelectionResult s;
        s.header.carrierId = carrier;
        s.header.driverName = QStringLiteral("Петров П.П.");
        s.header.carNumber = QStringLiteral("А123ВС");
        s.header.tripSheet = QStringLiteral("ПЛ-5");
        s.records = {sale(901, QStringLiteral("ДТ"), 1500, 1180), sale(902, QStringLiteral("АИ-92"), 800, 590),
                     sale(903, QStringLiteral("ДТ (объединено)"), 400, 236, false)};
        return s.toVariant();
    }

    // A new note from the three sales with the series and number; its TTN_ID.
    int newNote(const QString& series, const QString& number, TDateTime date = 0)
    {
        dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
            type(w, "edTTNSer", series);
            type(w, "edTTNNumber", number);
            if (date > 0)
                control<TDatePicker>(w, "dtpTTNDate").SetDate(date);
            pressOK(w);
        });
        EXPECT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::New, threeSales(), true));
        return lastNote();
    }
    int lastNote() { return StationQuery(*sql, QStringLiteral("SELECT MAX(TTN_ID) FROM TTN")).value(0, 0).toInt(); }
    int count(const QString& text) { return StationQuery(*sql, text).value(0, 0).toInt(); }
    bool locate(int id) { return dm->dsTTNList.Locate(QStringLiteral("TTN_ID"), Variant(id), 0); }

    TestEnv env;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
    CurrentDialogsScope useDialogs{dialogs};
    std::unique_ptr<WireClient> sql;
    std::unique_ptr<core::TDBFrm> dm;
    int carrier = 0;
};

TEST_F(TtnEditorRoadsTest, ANoteFromThreeSalesOneMergedIsStoredWithItsTotalsAndVat)
{
    const DataPacket who = StationQuery(
        *sql, QStringLiteral("SELECT FULLNAME, ADDRESS, PHONE, INN, KPP FROM CONTRAGENT WHERE CONTR_ID = %1").arg(carrier));
    const auto col = [&](int i) { return who.value(0, i).isNull() ? QString() : who.value(0, i).toString().trimmed(); };
    const QString carrierText = TtnNoteEditor::ContragentText(col(0), col(1), col(2), col(3), col(4));
    ASSERT_FALSE(carrierText.isEmpty());

    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        EXPECT_EQ(control<QLineEdit>(w, "edPer").text(), carrierText);
        EXPECT_EQ(control<QTabBar>(w, "tcSF").count(), 3);
        EXPECT_EQ(control<QTabBar>(w, "tcTN").tabText(2), QStringLiteral("Груз 3"));
        EXPECT_EQ(control<QLineEdit>(w, "edAllSumma").text(), AmountInWords(1500));
        type(w, "edTTNSer", QStringLiteral("ТН"));
        type(w, "edTTNNumber", QStringLiteral("100"));
        pressOK(w);
    });
    ASSERT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::New, threeSales(), true));
    const int id = lastNote();

    const DataPacket head = StationQuery(*sql, QStringLiteral("SELECT TTNSER, TTNNUMBER, PER_ID, GP_ID, MNETTONUM, "
                                                       "MNETTOTEXT, ALLSUMMANUM, ALLSUMMATEXT, DRIVERFIO, PLIST, "
                                                       "OFCTTNID, NAME1 FROM TTN WHERE TTN_ID = %1")
                                            .arg(id));
    ASSERT_EQ(head.rowCount(), 1);
    EXPECT_EQ(head.value(0, 0).toString(), QStringLiteral("ТН"));
    EXPECT_EQ(head.value(0, 1).toString(), QStringLiteral("100"));
    EXPECT_EQ(head.value(0, 2).toInt(), carrier);
    EXPECT_TRUE(head.value(0, 3).isNull()) << "no consignee is stored as NULL";
    EXPECT_DOUBLE_EQ(head.value(0, 4).toDouble(), 2.3) << "the merged sale is not counted";
    EXPECT_EQ(head.value(0, 5).toString(), WeightInWords(2300));
    EXPECT_DOUBLE_EQ(head.value(0, 6).toDouble(), 1500.0);
    EXPECT_EQ(head.value(0, 7).toString(), AmountInWords(1500));
    EXPECT_EQ(head.value(0, 8).toString(), QStringLiteral("Петров П.П."));
    EXPECT_EQ(head.value(0, 9).toString(), QStringLiteral("ПЛ-5"));
    EXPECT_EQ(head.value(0, 10).toInt(), id);
    EXPECT_EQ(head.value(0, 11).toString(), QStringLiteral("ДТ"));

    const DataPacket rows = StationQuery(*sql, QStringLiteral("SELECT ID, INDEXSALE, \"COUNT\", PRICE, SUMMA, SFSUMMA, "
                                                       "SFNDS, SFSUMMANDS, SFSUMMASNDS, PRINTTTN1, PRINTTTN2, PRINTSF, "
                                                       "PRINTTN FROM TTNDETAIL WHERE TTN_ID = %1 ORDER BY ID")
                                            .arg(id));
    ASSERT_EQ(rows.rowCount(), 3);
    // 1180 with 18 % VAT: 1000 + 180.
    EXPECT_EQ(rows.value(0, 1).toInt(), 901);
    EXPECT_DOUBLE_EQ(rows.value(0, 2).toDouble(), 1.5);
    EXPECT_DOUBLE_EQ(rows.value(0, 3).toDouble(), 666.67);
    EXPECT_DOUBLE_EQ(rows.value(0, 4).toDouble(), 1000.0);
    EXPECT_DOUBLE_EQ(rows.value(0, 5).toDouble(), 1000.0);
    EXPECT_DOUBLE_EQ(rows.value(0, 6).toDouble(), 18.0);
    EXPECT_DOUBLE_EQ(rows.value(0, 7).toDouble(), 180.0);
    EXPECT_DOUBLE_EQ(rows.value(0, 8).toDouble(), 1180.0);
    for (int f = 9; f <= 12; ++f) {
        EXPECT_EQ(rows.value(0, f).toInt(), 1);
        EXPECT_EQ(rows.value(2, f).toInt(), 0) << "the merged sale's own line is not printed";
    }
    EXPECT_DOUBLE_EQ(rows.value(2, 4).toDouble(), 200.0);
}

TEST_F(TtnEditorRoadsTest, EditingKeepsTheNumberAndCopyingMakesANewNoteWithTheSameLines)
{
    const int id = newNote(QStringLiteral("РЕД"), QStringLiteral("1"));
    ASSERT_TRUE(locate(id));

    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        EXPECT_EQ(control<QLineEdit>(w, "edTTNSer").text(), QStringLiteral("РЕД"));
        QTabBar& goods = control<QTabBar>(w, "tcTTN1");
        ASSERT_EQ(goods.count(), 3);
        goods.setCurrentIndex(1);
        EXPECT_EQ(control<QLineEdit>(w, "edName1").text(), QStringLiteral("АИ-92"));
        type(w, "edName1", QStringLiteral("АИ-92 экологический"));
        goods.setCurrentIndex(0); // the line is stored on leaving its tab
        type(w, "edTTNNumber", QStringLiteral("2"));
        pressOK(w);
    });
    ASSERT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::Edit, Variant(Variant::Array{}), true));
    EXPECT_EQ(lastNote(), id) << "editing made no new note";
    EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT TTNNUMBER FROM TTN WHERE TTN_ID = %1").arg(id)).value(0, 0).toString(),
              QStringLiteral("2"));
    const QString names = QStringLiteral("SELECT NAME FROM TTNDETAIL WHERE TTN_ID = %1 ORDER BY ID");
    EXPECT_EQ(StationQuery(*sql, names.arg(id)).value(1, 0).toString(), QStringLiteral("АИ-92 экологический"));

    ASSERT_TRUE(locate(id));
    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        type(w, "edTTNNumber", QStringLiteral("3"));
        pressOK(w);
    });
    ASSERT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::Copy, Variant(Variant::Array{}), true));
    const int copy = lastNote();
    EXPECT_GT(copy, id);
    const DataPacket copied = StationQuery(*sql, names.arg(copy));
    ASSERT_EQ(copied.rowCount(), 3);
    EXPECT_EQ(copied.value(1, 0).toString(), QStringLiteral("АИ-92 экологический"));
    EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT TTNSER FROM TTN WHERE TTN_ID = %1").arg(copy)).value(0, 0).toString(),
              QStringLiteral("РЕД"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(id)), 3);
}

TEST_F(TtnEditorRoadsTest, TheSameSeriesAndNumberAreRefusedWithinTheYearOnly)
{
    const QString series = QStringLiteral("О'Б");
    newNote(series, QStringLiteral("7"), EncodeDate(2024, 5, 10));
    const int notes = count(QStringLiteral("SELECT COUNT(*) FROM TTN"));

    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        type(w, "edTTNSer", series);
        type(w, "edTTNNumber", QStringLiteral("7"));
        control<TDatePicker>(w, "dtpTTNDate").SetDate(EncodeDate(2024, 12, 31));
        dialogs.expectShowMessage(QStringLiteral("За период с '2024-01-01' по '2024-12-31' уже есть ТТН с такой же "
                                                 "серией и с таким же номером!"));
        pressOK(w);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTN")), notes);
        control<TDatePicker>(w, "dtpTTNDate").SetDate(EncodeDate(2025, 1, 1));
        pressOK(w);
    });
    ASSERT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::New, threeSales(), true));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTN WHERE TTNSER = 'О''Б' AND TTNNUMBER = '7'")), 2);

    // The edited note itself is no duplicate of its own number.
    ASSERT_TRUE(locate(lastNote()));
    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([](QDialog& w) { pressOK(w); });
    EXPECT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::Edit, Variant(Variant::Array{}), true));
}

TEST_F(TtnEditorRoadsTest, AFailingSaveLeavesTtnAndTtnDetailAsTheyWere)
{
    const int id = newNote(QStringLiteral("ОШ"), QStringLiteral("1"));
    const QString detail = QStringLiteral("SELECT ID, NAME, KARDNUM FROM TTNDETAIL WHERE TTN_ID = %1 ORDER BY ID").arg(id);
    const DataPacket before = StationQuery(*sql, detail);
    const int notes = count(QStringLiteral("SELECT COUNT(*) FROM TTN"));
    ASSERT_TRUE(locate(id));
    // The station refuses lines named "ОТКАЗ" for the length of this test.
    StationExecute(*sql, QStringLiteral("ALTER TABLE TTNDETAIL ADD CONSTRAINT TTNDETAIL_REFUSED CHECK (NAME IS DISTINCT FROM "
                                 "'ОТКАЗ')"));
    const std::unique_ptr<void, std::function<void(void*)>> dropConstraint(this, [this](void*) {
        StationExecute(*sql, QStringLiteral("ALTER TABLE TTNDETAIL DROP CONSTRAINT TTNDETAIL_REFUSED"));
    });

    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        type(w, "edTTNSer", QStringLiteral("ИЗМ"));
        type(w, "edName1", QStringLiteral("изменено"));
        // A card index number that is no number, on a line not shown.
        QTabBar& goods = control<QTabBar>(w, "tcTTN1");
        goods.setCurrentIndex(2);
        type(w, "edKardNum1", QStringLiteral("abc"));
        goods.setCurrentIndex(0);
        dialogs.expectShowMessage(QStringLiteral("'abc' is not a valid integer value"));
        pressOK(w);
        EXPECT_TRUE(w.isVisible());

        // The shown line's number gets the window's own message.
        type(w, "edKardNum1", QStringLiteral("1x"));
        dialogs.expectShowMessage(QStringLiteral("Неверное значение \"Порядковый номер по картотеке\"!"));
        pressOK(w);
        type(w, "edKardNum1", QString());
        goods.setCurrentIndex(2);
        type(w, "edKardNum1", QStringLiteral("12"));

        // The station refuses a line after the header went in: neither is kept.
        type(w, "edName1", QStringLiteral("ОТКАЗ"));
        dialogs.expect(DialogKind::ShowMessage);
        pressOK(w);
        EXPECT_TRUE(w.isVisible());
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTN")), notes);
        EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT TTNSER FROM TTN WHERE TTN_ID = %1").arg(id)).value(0, 0).toString(),
                  QStringLiteral("ОШ"));
        const DataPacket after = StationQuery(*sql, detail);
        ASSERT_EQ(after.rowCount(), 3);
        for (int row = 0; row < 3; ++row) {
            EXPECT_EQ(after.value(row, 1).toString(), before.value(row, 1).toString());
            EXPECT_TRUE(after.value(row, 2).isNull());
        }

        // Mended, the same window saves the note whole.
        type(w, "edName1", QStringLiteral("изменено"));
        pressOK(w);
    });
    EXPECT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::Edit, Variant(Variant::Array{}), true));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTN")), notes);
    const DataPacket saved = StationQuery(*sql, detail);
    ASSERT_EQ(saved.rowCount(), 3);
    EXPECT_EQ(saved.value(0, 1).toString(), QStringLiteral("изменено"));
    EXPECT_EQ(saved.value(2, 2).toInt(), 12);
    EXPECT_EQ(StationQuery(*sql, QStringLiteral("SELECT TTNSER FROM TTN WHERE TTN_ID = %1").arg(id)).value(0, 0).toString(),
              QStringLiteral("ИЗМ"));
}

TEST_F(TtnEditorRoadsTest, AStationWithoutLinesTableKeepsTheOneLineInTheHeader)
{
    SaleSelectionResult one;
    one.records = {sale(950, QStringLiteral("ДТ"), 2000, 2360)};
    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        EXPECT_FALSE(control<QPushButton>(w, "btnAddGruz").isEnabled());
        EXPECT_TRUE(control<QCheckBox>(w, "cbPrintToTTN1").isHidden());
        dialogs.expectShowMessage(QStringLiteral("В данной версии поддерживается только 1 груз на ТТН!"));
        static_cast<TTTNEditForm&>(w).btnAddGruzClick();
        type(w, "edTTNSer", QStringLiteral("ОД"));
        type(w, "edKardNum1", QStringLiteral("15"));
        pressOK(w);
    });
    ASSERT_TRUE(EditConsignmentNote(dialogs, *dm, TTNEditMode::New, one.toVariant(), false));
    const int id = lastNote();
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(id)), 0);
    const DataPacket head =
        StationQuery(*sql, QStringLiteral("SELECT INDEXSALE, SUMMA1, KARDNUM1, SFSUMMANDS1 FROM TTN WHERE TTN_ID = %1").arg(id));
    EXPECT_EQ(head.value(0, 0).toInt(), 950);
    EXPECT_DOUBLE_EQ(head.value(0, 1).toDouble(), 2000.0);
    EXPECT_EQ(head.value(0, 2).toInt(), 15);
    EXPECT_DOUBLE_EQ(head.value(0, 3).toDouble(), 360.0);

    ASSERT_TRUE(locate(id));
    dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& w) {
        EXPECT_EQ(control<QLineEdit>(w, "edKardNum1").text(), QStringLiteral("15"));
        EXPECT_EQ(control<QTabBar>(w, "tcTTN1").count(), 1);
        control<QPushButton>(w, "btnCancel").click();
    });
    EXPECT_FALSE(EditConsignmentNote(dialogs, *dm, TTNEditMode::Edit, Variant(Variant::Array{}), false));
}

} // namespace
