// Adding and editing notes from the register through the sale selection and
// the note editor, over a real station: the saved note is read back from the
// station and the list stands on it afterwards.
#include "tests/consignment/NoteListFixture.h"

#include "plugin/core/DBForm.h"
#include "plugin/ui/DBGrid.h"

#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace velta::consignment {
namespace {

class NoteEditRoadsTest : public NoteListTest {
protected:
    static TClientDataSet& sales() { return db().dsLogTran; }
    static QString saleValue(const char* field) { return sales().FieldByName(QString::fromLatin1(field)).AsString(); }

    static void space(QDialog& window)
    {
        TDBGrid& grid = control<TDBGrid>(window, "DBGrid1");
        QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&grid, &down);
        QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, QStringLiteral(" "));
        QApplication::sendEvent(&grid, &up);
    }

    // Marks two sales of one carrier and consignee with different fuels; their numbers.
    QList<int> markTwoSales(QDialog& window)
    {
        sales().FetchAll();
        QList<int> marked;
        for (int first = 1; first <= sales().RecordCount() && marked.isEmpty(); ++first) {
            sales().SetRecNo(first);
            const QString carrier = saleValue("CNAME"), fuel = saleValue("GSMNAME");
            const QString consignee = sales().FindField(QStringLiteral("ID2CNT")) ? saleValue("ID2CNT") : QString();
            for (int second = first + 1; second <= sales().RecordCount(); ++second) {
                sales().SetRecNo(second);
                if (saleValue("CNAME") != carrier || saleValue("GSMNAME") == fuel
                    || (sales().FindField(QStringLiteral("ID2CNT")) && saleValue("ID2CNT") != consignee))
                    continue;
                const int other = sales().FieldByName(QStringLiteral("INDEXSALE")).AsInteger();
                sales().SetRecNo(first);
                marked << sales().FieldByName(QStringLiteral("INDEXSALE")).AsInteger();
                space(window);
                sales().SetRecNo(second);
                marked << other;
                space(window);
                break;
            }
        }
        return marked;
    }
};

TEST_F(NoteEditRoadsTest, ANoteAddedFromTwoSalesIsSavedAndTheListStandsOnIt)
{
    const int before = count(QStringLiteral("SELECT MAX(TTN_ID) FROM TTN"));
    QList<int> marked;
    withList([&](TTTNListForm& form) {
        dialogs.expectModal(QStringLiteral("TSelectSaleForm")).drive([&](QDialog& window) {
            marked = markTwoSales(window);
            press(window, "btnOK");
        });
        dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& editor) {
            press(editor, "btnOK");
            EXPECT_FALSE(editor.isVisible()) << "saved";
        });
        press(form, "btnAdd");
        dialogs.verify();
        ASSERT_EQ(marked.size(), 2);
        const int added = count(QStringLiteral("SELECT MAX(TTN_ID) FROM TTN"));
        EXPECT_GT(added, before);
        EXPECT_EQ(list().FieldByName(QStringLiteral("TTN_ID")).AsInteger(), added) << "the list stands on the new note";
        EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1 AND INDEXSALE IN (%2, %3)")
                            .arg(added)
                            .arg(marked[0])
                            .arg(marked[1])),
                  2);
    });
}

TEST_F(NoteEditRoadsTest, APostedNoteIsEditedOnceTheProtectionIsClearedAndTheSaleChoiceIsClearedAfter)
{
    const int note = query(QStringLiteral("SELECT FIRST 1 t.TTN_ID FROM TTN t WHERE COALESCE(t.ISDELETE, 0) = 0 "
                                          "AND EXISTS (SELECT 1 FROM TTNDETAIL d WHERE d.TTN_ID = t.TTN_ID) "
                                          "ORDER BY t.TTN_ID DESC"))
                         .value(0, 0)
                         .toInt();
    ASSERT_GT(note, 0);
    execute(QStringLiteral("UPDATE TTN SET TTNAPPLIED = 1 WHERE TTN_ID = %1").arg(note));
    withList([&](TTTNListForm& form) {
        goToNote(note);
        control<QCheckBox>(form, "cbBlockAppliedTTN").setChecked(false);
        control<QCheckBox>(form, "cbCanSelectSale").setChecked(true);
        dialogs.expectModal(QStringLiteral("TSelectSaleForm")).drive([&](QDialog& window) { press(window, "btnCancel"); });
        dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& editor) { press(editor, "btnOK"); });
        press(form, "btnEdit");
        dialogs.verify();
        EXPECT_FALSE(control<QCheckBox>(form, "cbCanSelectSale").isChecked());
        EXPECT_EQ(list().FieldByName(QStringLiteral("TTN_ID")).AsInteger(), note) << "back on the edited note";
    });
}

// "Добавить копированием": the new note takes the current note's header (its
// consignor, signatories, series) and the lines of the sales chosen for it;
// the note copied from stays as it was.
TEST_F(NoteEditRoadsTest, ACopyTakesTheHeaderOfTheCurrentNoteAndTheLinesOfTheChosenSales)
{
    const int source = query(QStringLiteral("SELECT FIRST 1 t.TTN_ID FROM TTN t WHERE COALESCE(t.ISDELETE, 0) = 0 "
                                            "AND t.GO_ID > 0 AND EXISTS (SELECT 1 FROM TTNDETAIL d WHERE "
                                            "d.TTN_ID = t.TTN_ID) ORDER BY t.TTN_ID"))
                           .value(0, 0)
                           .toInt();
    ASSERT_GT(source, 0);
    const QString header = QStringLiteral("SELECT TTNSER, GO_ID, BOSSFIO, BUHFIO, PUNKTPOGRUZ FROM TTN WHERE TTN_ID = %1");
    const DataPacket original = query(header.arg(source));
    const int sourceLines = count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(source));
    QList<int> marked;
    withList([&](TTTNListForm& form) {
        goToNote(source);
        dialogs.expectModal(QStringLiteral("TSelectSaleForm")).drive([&](QDialog& window) {
            marked = markTwoSales(window);
            press(window, "btnOK");
        });
        dialogs.expectModal(QStringLiteral("TTTNEditForm")).drive([&](QDialog& editor) {
            // The copied series and number would be refused as a duplicate.
            control<QLineEdit>(editor, "edTTNNumber").setText(QStringLiteral("К-1"));
            press(editor, "btnOK");
            EXPECT_FALSE(editor.isVisible()) << "saved";
        });
        press(form, "btnAddCopy");
        dialogs.verify();
    });
    ASSERT_EQ(marked.size(), 2);
    const int copy = count(QStringLiteral("SELECT MAX(TTN_ID) FROM TTN"));
    ASSERT_NE(copy, source);
    const DataPacket copied = query(header.arg(copy));
    for (int column = 0; column < original.fieldCount(); ++column)
        EXPECT_EQ(copied.value(0, column).toString(), original.value(0, column).toString()) << column;
    EXPECT_EQ(query(QStringLiteral("SELECT TTNNUMBER FROM TTN WHERE TTN_ID = %1").arg(copy)).value(0, 0).toString(),
              QStringLiteral("К-1"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1 AND INDEXSALE IN (%2, %3)")
                        .arg(copy)
                        .arg(marked[0])
                        .arg(marked[1])),
              2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(copy)), 2);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(source)), sourceLines)
        << "the note copied from keeps its lines";
}

} // namespace
} // namespace velta::consignment
