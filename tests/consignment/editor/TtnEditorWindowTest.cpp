// The note editor's window and logic without a station: the line tabs and
// their buttons, the totals and their words, the blinking reminder, the
// defaults, the VAT of sales without VAT included, and the window's look in
// the platform's font and the host's (screenshot docs/ttn-editor.png through
// VELTA_SHOTS).
#include "plugin/consignment/editor/TTTNEditForm.h"
#include "plugin/consignment/editor/TtnNoteEditor.h"
#include "plugin/consignment/records/TtnDefaults.h"
#include "plugin/core/DBForm.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/receipts/ReceiptWindowLook.h"
#include "tests/support/TestEnv.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTabBar>
#include <QTabWidget>
#include <gtest/gtest.h>
#include <memory>

using namespace velta;
using namespace velta::consignment;

namespace {

TTideRecord sale(int number, double kilograms, double sum)
{
    TTideRecord r;
    r.saleNumber = number;
    r.name = QStringLiteral("ДТ");
    r.mass = Currency::fromDouble(kilograms);
    r.sum = Currency::fromDouble(sum);
    return r;
}

class TtnEditorWindowTest : public ::testing::Test {
protected:
    std::unique_ptr<TTTNEditForm> open(bool multiLine = true)
    {
        auto form = std::make_unique<TTTNEditForm>(dialogs, dm, TTNEditMode::New, std::nullopt, multiLine);
        form->show();
        QCoreApplication::processEvents();
        return form;
    }
    template <class T>
    T& control(QWidget& w, const char* name)
    {
        T* found = w.findChild<T*>(QString::fromLatin1(name));
        EXPECT_NE(found, nullptr) << name;
        return *found;
    }
    void TearDown() override { dialogs.verify(); }

    test::TestEnv env;
    core::TDBFrm dm;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

TEST_F(TtnEditorWindowTest, LinesAreAddedUpToTenAndDeletedDownToOne)
{
    auto form = open();
    QTabBar& goods = control<QTabBar>(*form, "tcTTN1");
    QTabBar& invoice = control<QTabBar>(*form, "tcSF");
    ASSERT_EQ(goods.count(), 1);
    control<QLineEdit>(*form, "edName1").setText(QStringLiteral("первый"));
    for (int i = 2; i <= 10; ++i)
        form->btnAddGruzClick();
    EXPECT_EQ(invoice.count(), 10);
    EXPECT_EQ(invoice.tabText(9), QStringLiteral("Груз 10"));
    EXPECT_EQ(goods.currentIndex(), 0) << "the sections keep their lines";
    EXPECT_EQ(control<QLineEdit>(*form, "edName1").text(), QStringLiteral("первый"));
    dialogs.expectShowMessage(QStringLiteral("Нельзя! Слишком много груза!"));
    form->btnAddGruzClick();

    goods.setCurrentIndex(1);
    control<QLineEdit>(*form, "edName1").setText(QStringLiteral("второй"));
    goods.setCurrentIndex(2);
    control<QLineEdit>(*form, "edName1").setText(QStringLiteral("не сохранен"));
    invoice.setCurrentIndex(5);
    // "X" drops the shown line with what was typed into it.
    form->btnDelGruzClick();
    EXPECT_EQ(goods.count(), 9);
    EXPECT_EQ(control<QTabBar>(*form, "tcTN").tabText(8), QStringLiteral("Груз 9"));
    EXPECT_EQ(invoice.currentIndex(), 2) << "every section shows the same position";
    const auto& lines = form->Editor().Lines();
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[1].Name, QStringLiteral("второй"));
    EXPECT_TRUE(lines[2].Name.isEmpty());

    while (goods.count() > 1) {
        goods.setCurrentIndex(goods.count() - 1);
        form->btnDelGruzClick();
    }
    EXPECT_EQ(form->Editor().Lines().front().Name, QStringLiteral("первый"));
    dialogs.expectShowMessage(QStringLiteral("Нельзя! Должен остаться хотябы один груз!"));
    form->btnDelGruzClick();
    form->reject();
}

TEST_F(TtnEditorWindowTest, TotalsFollowThePrintedLinesAndTheReminderBlinks)
{
    auto form = open();
    auto& summa = control<QDoubleSpinBox>(*form, "seSumma1");
    auto& massa = control<QDoubleSpinBox>(*form, "seMassa1");
    summa.setValue(1000);
    massa.setValue(1.25);
    form->btnAddGruzClick();
    QTabBar& goods = control<QTabBar>(*form, "tcTTN1");
    goods.setCurrentIndex(1);
    summa.setValue(500);
    massa.setValue(0.5);
    control<QDoubleSpinBox>(*form, "seNadb").setValue(10);
    control<QDoubleSpinBox>(*form, "seSkladRashod").setValue(15.5);

    QLabel& sumLabel = control<QLabel>(*form, "lblSummaRecalc");
    QLabel& massLabel = control<QLabel>(*form, "lblMassaRecalc");
    EXPECT_FALSE(sumLabel.isVisible());
    QCheckBox& print = control<QCheckBox>(*form, "cbPrintToTTN1");
    print.setChecked(false);
    EXPECT_EQ(print.palette().color(QPalette::WindowText), QColor(255, 0, 0));
    EXPECT_TRUE(sumLabel.isVisible());
    EXPECT_TRUE(massLabel.isVisible());
    const QColor first = sumLabel.palette().color(QPalette::WindowText);
    form->BlinkTimerTimer();
    EXPECT_NE(sumLabel.palette().color(QPalette::WindowText), first);
    for (int i = 1; i < 10; ++i)
        form->BlinkTimerTimer();
    EXPECT_EQ(sumLabel.palette().color(QPalette::WindowText), QColor(255, 0, 0)) << "red when it stops";

    // Showing a line sets its box without the reminder.
    form->SpeedButton2Click();
    EXPECT_FALSE(sumLabel.isVisible());
    goods.setCurrentIndex(0);
    EXPECT_FALSE(sumLabel.isVisible());
    EXPECT_TRUE(print.isChecked());
    EXPECT_EQ(print.palette().color(QPalette::WindowText), QColor(Qt::black));

    // 1000 + 10 % + 15.50; the second line is not printed.
    auto& total = control<QDoubleSpinBox>(*form, "seAllSumma");
    EXPECT_DOUBLE_EQ(total.value(), 1115.5);
    EXPECT_EQ(control<QLineEdit>(*form, "edAllSumma").text(), AmountInWords(1115.5));
    form->SpeedButton7Click();
    EXPECT_FALSE(massLabel.isVisible());
    EXPECT_DOUBLE_EQ(control<QDoubleSpinBox>(*form, "seMNetto").value(), 1.25);
    EXPECT_EQ(control<QLineEdit>(*form, "edMBrutto").text(), WeightInWords(1250));
    total.setValue(0);
    EXPECT_TRUE(control<QLineEdit>(*form, "edAllSumma").text().isEmpty());
    form->reject();
}

TEST_F(TtnEditorWindowTest, StoredDefaultsFillTheNextNewNote)
{
    {
        auto form = open();
        EXPECT_TRUE(control<QLineEdit>(*form, "edUpakVid1").text().isEmpty()) << "no default stored yet";
        control<QLineEdit>(*form, "edTTNSer").setText(QStringLiteral("ЖД"));
        control<QLineEdit>(*form, "edBossFIO").setText(QStringLiteral("Иванов И.И."));
        control<QLineEdit>(*form, "edUpakVid1").setText(QStringLiteral("НАЛИВ"));
        control<QLineEdit>(*form, "edVarValue3").setText(QStringLiteral("значение"));
        control<QCheckBox>(*form, "cbVELTANDS").setChecked(false);
        dialogs.expectMessageBox(QStringLiteral("Вы действительно хотите сохранить введенные значения полей\r\nс тем, "
                                                "чтобы при добавлении новой ТТН все эти значения\r\nвосстанавливались "
                                                "автоматически?"))
            .withCaption(QStringLiteral("Подтверждение"))
            .answer(IDOK);
        form->SpeedButton1Click();
        form->reject();
    }
    auto form = open();
    EXPECT_EQ(control<QLineEdit>(*form, "edTTNSer").text(), QStringLiteral("ЖД"));
    EXPECT_EQ(control<QLineEdit>(*form, "edBossFIO").text(), QStringLiteral("Иванов И.И."));
    EXPECT_EQ(control<QLineEdit>(*form, "edVarValue3").toolTip(), QStringLiteral("значение"));
    EXPECT_FALSE(control<QCheckBox>(*form, "cbVELTANDS").isChecked()) << "the VAT setting is kept on closing";
    EXPECT_FALSE(control<QDoubleSpinBox>(*form, "seVELTANDS").isEnabled());
    form->btnAddGruzClick();
    EXPECT_EQ(form->Editor().Lines().at(1).UpakVid, QStringLiteral("НАЛИВ")) << "a new line takes the line defaults";
    form->reject();
}

TEST_F(TtnEditorWindowTest, SalesWithoutVatTakeTheLinesOwnRateAndTinyMassesNoPrice)
{
    TtnDefaults(CnfIniFileName()).StoreVat({false, 20});
    TtnNoteEditor editor(dm, TTNEditMode::New, true);
    EXPECT_EQ(editor.Vat(), (TtnVatSetting{false, 20}));
    SaleSelectionResult selection;
    selection.records = {sale(1, 1000, 1000), sale(2, 0.4, 10)};
    const TtnFillTotals totals = editor.FillFromSelection(selection, EncodeDate(2024, 3, 1));
    const auto& lines = editor.Lines();
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_DOUBLE_EQ(lines[0].Summa, 1000);
    EXPECT_DOUBLE_EQ(lines[0].SFNDS, 20);
    EXPECT_DOUBLE_EQ(lines[0].SFSummaNDS, 200) << "the amount follows the rate the line keeps";
    EXPECT_DOUBLE_EQ(lines[0].SFSummaSNDS, 1200);
    EXPECT_DOUBLE_EQ(lines[0].SFPrice, 1000);
    EXPECT_DOUBLE_EQ(lines[1].Count, 0);
    EXPECT_DOUBLE_EQ(lines[1].Price, 0) << "no price from a mass below a kilogram";
    EXPECT_DOUBLE_EQ(lines[1].SFPrice, 0);
    EXPECT_DOUBLE_EQ(totals.sum, 1010);
    EXPECT_DOUBLE_EQ(totals.netMass, 1);
    EXPECT_DOUBLE_EQ(editor.Values().at(QStringLiteral("dtpTTNDate")).toDateTime(), EncodeDate(2024, 3, 1));

    // Amounts without VAT round halves away from zero.
    EXPECT_DOUBLE_EQ(TtnAmountWithoutVat(1180, 18), 1000);
    EXPECT_DOUBLE_EQ(TtnAmountWithoutVat(100.01, 0), 100.01);
    EXPECT_DOUBLE_EQ(TtnAmountWithoutVat(2.675, 0), 2.68);
}

TEST_F(TtnEditorWindowTest, TheDuplicateCheckQuotesTheSeries)
{
    TtnNoteEditor editor(dm, TTNEditMode::New, true);
    editor.Values()[QStringLiteral("edTTNSer")] = Variant(QStringLiteral("О'Б"));
    editor.Values()[QStringLiteral("edTTNNumber")] = Variant(QStringLiteral("7"));
    editor.Values()[QStringLiteral("dtpTTNDate")] = Variant::fromDate(EncodeDate(2024, 5, 10));
    EXPECT_EQ(editor.DuplicateCheckSql(),
              QStringLiteral("SELECT COUNT(*) FROM TTN WHERE (TTNDATE BETWEEN '2024-01-01' AND '2024-12-31') AND "
                             "(COALESCE(ISDELETE, 0) = 0) AND (TTNSER || TTNNUMBER = 'О''Б7')"));
    EXPECT_EQ(TtnNoteEditor::ContragentText(QStringLiteral("ООО \"Нефть\""), QString(), QStringLiteral("22-33"),
                                            QString(), QStringLiteral("7701")),
              QStringLiteral("ООО \"Нефть\", 22-33, КПП 7701"));
    EXPECT_EQ(TtnNoteEditor::ContragentText(QStringLiteral("ИП"), QStringLiteral("Омск"), QString(),
                                            QStringLiteral("55"), QStringLiteral("66")),
              QStringLiteral("ИП, Омск, ИНН/КПП 55/66"));
}

class TtnEditorLookTest : public TtnEditorWindowTest, public ::testing::WithParamInterface<bool> {};

TEST_P(TtnEditorLookTest, EveryPageHasRoomForItsTexts)
{
    std::unique_ptr<test::HostFontScope> hostFont;
    if (GetParam()) {
        hostFont = std::make_unique<test::HostFontScope>();
        if (!hostFont->active())
            GTEST_SKIP() << "no Tahoma on this machine";
    }
    auto form = open();
    auto& pages = control<QTabWidget>(*form, "PageControl1");
    ASSERT_EQ(pages.count(), 6);
    for (int i = 0; i < pages.count(); ++i) {
        pages.setCurrentIndex(i);
        QCoreApplication::processEvents();
        EXPECT_EQ(test::cutTexts(*form), QStringList{}) << pages.tabText(i).toStdString();
    }
    pages.setCurrentIndex(0);
    QCoreApplication::processEvents();
    if (GetParam())
        test::saveShot(*form, QStringLiteral("ttn-editor.png"));
    form->reject();
}

INSTANTIATE_TEST_SUITE_P(Fonts, TtnEditorLookTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("HostFont") : std::string("PlatformFont");
                         });

} // namespace
