// The dataset grid driven with real mouse and key events on the offscreen
// platform: columns from the fields, the cursor both ways, multi-row
// selection kept as bookmarks, title and double clicks, key hooks, the
// colour hook as the shift list uses it, and editing through the dataset.
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/ui/WidgetTestApp.h"

#include <QAbstractItemModelTester>
#include <QHeaderView>
#include <QImage>
#include <QLineEdit>
#include <QTest>
#include <gtest/gtest.h>

using namespace velta;

namespace {

const int kShifts[] = {1, 2, 3, 5, 6, 9};

// Types text a character at a time as a keyboard with the Russian layout
// does (Qt Test's own typing knows Latin letters only).
void typeText(QWidget* widget, const QString& text)
{
    for (const QChar ch : text)
        QTest::sendKeyEvent(QTest::Click, widget, Qt::Key_unknown, QString(ch), Qt::NoModifier);
}
const char* const kOperators[] = {"Иванов", "Петров", "Сидоров", "Антонов", "Борисов", "Волков"};

class DBGridTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        test::ensureWidgetApplication();
        TField& num = ds.AddField("SmNum", FieldType::Int32);
        num.SetDisplayLabel("Смена");
        num.SetDisplayWidth(6);
        TField& begin = ds.AddField("BegTime", FieldType::DateTime);
        begin.SetDisplayLabel("Начало");
        begin.SetDisplayFormat("dd.mm.yyyy hh:nn");
        ds.AddField("Id", FieldType::Int32).SetVisible(false);
        TField& oper = ds.AddField("Oper", FieldType::String, 20);
        oper.SetDisplayLabel("Оператор");
        oper.SetDisplayWidth(12);
        ds.CreateDataSet();
        for (int i = 0; i < 6; ++i) {
            const int shift = kShifts[i];
            ds.AppendRecord({shift, Variant::fromDate(EncodeDate(2024, 3, shift) + EncodeTime(8, 0, 0, 0)), 100 + shift,
                             QString::fromUtf8(kOperators[i])});
        }
        ds.MergeChangeLog();
        ds.First();
        source.SetDataSet(&ds);
        grid.SetDialogs(&dialogs);
        grid.SetDataSource(&source);
        grid.resize(640, 320);
        grid.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&grid));
    }
    void TearDown() override { dialogs.verify(); }

    QPoint cellCentre(int row, int column) const
    {
        return grid.visualRect(grid.Model().index(row, column)).center();
    }
    void click(int row, Qt::KeyboardModifiers modifiers = {}, int column = 0)
    {
        QTest::mouseClick(grid.viewport(), Qt::LeftButton, modifiers, cellCentre(row, column));
    }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = {}) { QTest::keyClick(&grid, key, modifiers); }
    int shiftOf(const TBookmark& bookmark)
    {
        const TBookmark here = ds.GetBookmark();
        ds.GotoBookmark(bookmark);
        const int shift = ds.FieldByName("SmNum").AsInteger();
        ds.GotoBookmark(here);
        return shift;
    }
    std::vector<int> selectedShifts()
    {
        std::vector<int> shifts;
        for (const TBookmark& bookmark : grid.SelectedRows())
            shifts.push_back(shiftOf(bookmark));
        return shifts;
    }
    // The cell editor F2 opens, or nullptr when none opened.
    QLineEdit* openEditor(int row, int column)
    {
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete); // editors closed before
        click(row, {}, column);
        key(Qt::Key_F2);
        for (QLineEdit* editor : grid.viewport()->findChildren<QLineEdit*>()) {
            if (editor->isVisible())
                return editor;
        }
        return nullptr;
    }

    // Enter in a cell editor: the value is committed once the event loop runs.
    static void commit(QLineEdit* editor)
    {
        QTest::keyClick(editor, Qt::Key_Return);
        QCoreApplication::processEvents();
    }

    ScriptedDialogs dialogs{test::failTestReporter()};
    TClientDataSet ds;
    TDataSource source;
    TDBGrid grid;
};

TEST_F(DBGridTest, ColumnsComeFromTheFields)
{
    QAbstractItemModelTester tester(&grid.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    ASSERT_EQ(grid.Model().columnCount(), 3) << "the invisible field has no column";
    QHeaderView* titles = grid.horizontalHeader();
    EXPECT_EQ(grid.Model().headerData(0, Qt::Horizontal).toString(), "Смена");
    EXPECT_EQ(grid.Model().headerData(2, Qt::Horizontal).toString(), "Оператор");
    const int digit = grid.fontMetrics().horizontalAdvance(QLatin1Char('0'));
    EXPECT_EQ(titles->sectionSize(2), 12 * digit + 4) << "DisplayWidth in characters";
    EXPECT_EQ(titles->sectionSize(0), std::max(6 * digit, titles->fontMetrics().horizontalAdvance("Смена")) + 4);
    EXPECT_EQ(grid.Model().index(2, 1).data().toString(), "03.03.2024 08:00") << "the field's display format";

    ds.FieldByName("Oper").OnGetText = [](TField& sender, QString& text, bool) { text = sender.AsString().toUpper(); };
    EXPECT_EQ(grid.Model().index(1, 2).data().toString(), "ПЕТРОВ") << "the get-text handler, for the row drawn";

    // A new filter or order keeps a width the user dragged; new fields get theirs.
    grid.setColumnWidth(2, 300);
    ds.SetFilter("SmNum > 2");
    ds.SetFiltered(true);
    EXPECT_EQ(grid.Model().rowCount(), 4);
    EXPECT_EQ(titles->sectionSize(2), 300);
    ds.Close();
    ds.FieldByName("BegTime").SetVisible(false);
    ds.CreateDataSet();
    ASSERT_EQ(grid.Model().columnCount(), 2);
    EXPECT_EQ(titles->sectionSize(1), 12 * digit + 4);
}

TEST_F(DBGridTest, TheTitleOfAColumnWiderThanTheGridIsInView)
{
    // The statement window's car grid: one 100-character column in a narrow grid.
    ds.Close();
    for (int i = 0; i < ds.FieldCount(); ++i)
        ds.Fields(i).SetVisible(ds.Fields(i).FieldName() == "Oper");
    ds.FieldByName("Oper").SetDisplayWidth(100);
    ds.FieldByName("Oper").SetDisplayLabel("Автомобиль");
    ds.CreateDataSet();
    grid.resize(280, 200);
    ASSERT_EQ(grid.Model().columnCount(), 1);
    QHeaderView* titles = grid.horizontalHeader();
    ASSERT_GT(titles->sectionSize(0), titles->width());

    // The title's letters are the darkest pixels of the header; the style's
    // lines and shading are far lighter.
    const QImage shot = titles->grab().toImage();
    const QRect title(0, 0, std::min(titles->sectionSize(0), titles->width()), titles->height());
    int letters = 0;
    for (int y = title.top() + 2; y < title.bottom() - 1; ++y) {
        for (int x = title.left() + 2; x < title.right() - 1; ++x)
            letters += shot.pixelColor(x, y).lightness() < 100 ? 1 : 0;
    }
    EXPECT_GT(letters, 20) << "the title shows in the visible part of the column";
}

TEST_F(DBGridTest, GridAndDatasetMoveTogether)
{
    EXPECT_EQ(grid.currentIndex().row(), 0);
    ds.SetRecNo(4);
    EXPECT_EQ(grid.currentIndex().row(), 3) << "the grid follows the dataset";
    EXPECT_TRUE(grid.selectionModel()->isSelected(grid.currentIndex()));

    click(1);
    EXPECT_EQ(ds.RecNo(), 2) << "a click moves the dataset";
    key(Qt::Key_Down);
    key(Qt::Key_Down);
    EXPECT_EQ(ds.FieldByName("SmNum").AsInteger(), 5);
    key(Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(ds.RecNo(), 6);

    // Typed letters do not jump to a matching row (the grid has no search of its own).
    key(Qt::Key_1);
    EXPECT_EQ(ds.RecNo(), 6);

    // Rows going away leave grid and dataset on the same record.
    ds.SetRecNo(3);
    ds.Delete();
    EXPECT_EQ(ds.FieldByName("SmNum").AsInteger(), 5);
    EXPECT_EQ(grid.currentIndex().row(), 2);
    ds.Last();
    ds.Delete();
    EXPECT_EQ(grid.currentIndex().row(), ds.RecNo() - 1);
}

TEST_F(DBGridTest, SelectedRowsAreBookmarksInListOrder)
{
    grid.SetRowSelect(true);
    grid.SetMultiSelect(true);
    click(4);
    click(1, Qt::ControlModifier);
    EXPECT_EQ(selectedShifts(), (std::vector<int>{2, 6})) << "list order, not click order";
    EXPECT_EQ(ds.FieldByName("SmNum").AsInteger(), 2) << "the last click is the current record";

    // A new order keeps the records selected and gives them in that order.
    ds.SetIndexFieldNames("Oper");
    EXPECT_EQ(selectedShifts(), (std::vector<int>{6, 2})) << "Борисов before Петров";

    // The dataset moved by code keeps a selection of several rows.
    ds.First();
    EXPECT_EQ(grid.SelectedRows().size(), 2);

    // A filter hiding a selected record drops it.
    ds.SetFilter("SmNum <> 6");
    ds.SetFiltered(true);
    EXPECT_EQ(selectedShifts(), (std::vector<int>{2}));

    ds.SetFiltered(false);
    ds.SetIndexFieldNames("");
    click(0);
    click(3, Qt::ShiftModifier);
    EXPECT_EQ(selectedShifts(), (std::vector<int>{1, 2, 3, 5}));
    key(Qt::Key_Down);
    EXPECT_EQ(selectedShifts(), (std::vector<int>{6})) << "an arrow without Shift starts again";
    ds.SetRecNo(2);
    EXPECT_EQ(selectedShifts(), (std::vector<int>{2})) << "one selected row goes with the dataset";

    grid.SetMultiSelect(false);
    click(0);
    click(3, Qt::ControlModifier);
    EXPECT_EQ(selectedShifts(), (std::vector<int>{5})) << "single-row mode: the current row";
}

TEST_F(DBGridTest, TitleAndDoubleClicksNameTheirFieldAndRecord)
{
    std::vector<QString> titles;
    std::vector<std::pair<int, QString>> doubles;
    QObject::connect(&grid, &TDBGrid::titleClicked, [&](TField* field) { titles.push_back(field->FieldName()); });
    QObject::connect(&grid, &TDBGrid::recordDoubleClicked,
                     [&](int recNo, TField* field) { doubles.emplace_back(recNo, field->FieldName()); });

    QHeaderView* header = grid.horizontalHeader();
    QTest::mouseClick(header->viewport(), Qt::LeftButton, {},
                      QPoint(header->sectionViewportPosition(2) + header->sectionSize(2) / 2, header->height() / 2));
    EXPECT_EQ(titles, std::vector<QString>{"Oper"});
    EXPECT_EQ(ds.RecNo(), 1) << "a title click moves nothing";

    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, cellCentre(4, 1));
    ASSERT_EQ(doubles.size(), 1u);
    EXPECT_EQ(doubles[0], std::make_pair(5, QString("BegTime")));
    EXPECT_EQ(ds.RecNo(), 5);

    const QPoint belowRows(20, grid.visualRect(grid.Model().index(5, 0)).bottom() + 20);
    QTest::mouseDClick(grid.viewport(), Qt::LeftButton, {}, belowRows);
    EXPECT_EQ(doubles.size(), 1u) << "no row, no report";
    EXPECT_EQ(grid.viewport()->findChild<QLineEdit*>(), nullptr) << "a read-only grid opens no editor";
}

TEST_F(DBGridTest, KeyHooksSeeKeysFirst)
{
    QString digits;
    std::vector<int> order;
    const int first = grid.InstallKeyHook([&](QKeyEvent& event) {
        order.push_back(1);
        if (event.key() >= Qt::Key_0 && event.key() <= Qt::Key_9) {
            digits += event.text();
            return true;
        }
        return false;
    });
    grid.InstallKeyHook([&](QKeyEvent& event) {
        order.push_back(2);
        return event.key() == Qt::Key_PageDown; // the window takes PageDown for itself
    });
    key(Qt::Key_1);
    key(Qt::Key_2);
    EXPECT_EQ(digits, "12");
    EXPECT_EQ(order, (std::vector<int>{1, 1})) << "a consumed key reaches no later hook";
    key(Qt::Key_PageDown);
    EXPECT_EQ(ds.RecNo(), 1) << "consumed by the second hook";
    key(Qt::Key_Down);
    EXPECT_EQ(ds.RecNo(), 2) << "a key no hook takes is the grid's";

    grid.RemoveKeyHook(first);
    order.clear();
    key(Qt::Key_3);
    EXPECT_EQ(digits, "12");
    EXPECT_EQ(order, std::vector<int>{2});
}

TEST_F(DBGridTest, ColourHookPaintsTheShiftBeforeAGap)
{
    EXPECT_EQ(ColorFromTColor(255), QColor(Qt::red));
    EXPECT_EQ(ColorFromTColor(0xFF0000), QColor(Qt::blue));

    // The shift list's rule: a clone looks one record ahead of the record drawn.
    TClientDataSet lookAhead;
    lookAhead.CloneCursor(ds);
    grid.SetCellColorHook("SmNum", [&](TField& field) -> QColor {
        const int shift = field.AsInteger();
        if (!lookAhead.Locate("SmNum", shift, 0))
            return {};
        lookAhead.Next();
        if (lookAhead.Eof())
            return {};
        return lookAhead.FieldByName("SmNum").AsInteger() - shift > 1 ? ColorFromTColor(255) : QColor();
    });
    ds.SetRecNo(3); // the current row is the red shift 3: the colour shows on the selection too
    QStringList red;
    for (int row = 0; row < grid.Model().rowCount(); ++row) {
        if (grid.CellColor(grid.Model().index(row, 0)).isValid())
            red << grid.Model().index(row, 0).data().toString();
    }
    EXPECT_EQ(red, QStringList({"3", "6"})) << "the last shift is never red";
    EXPECT_FALSE(grid.CellColor(grid.Model().index(2, 1)).isValid()) << "one column only";

    const QImage shot = grid.viewport()->grab().toImage();
    auto pixel = [&](int row, int column) {
        const QRect cell = grid.visualRect(grid.Model().index(row, column));
        return shot.pixelColor(cell.left() + cell.width() / 4, cell.center().y()); // clear of text and focus frame
    };
    // The style shades a selected cell: red means red well above the rest.
    auto isRed = [](const QColor& c) { return c.red() > 200 && c.green() < 80 && c.blue() < 80; };
    EXPECT_EQ(pixel(4, 0), QColor(Qt::red));
    EXPECT_TRUE(isRed(pixel(2, 0))) << "selected and red";
    EXPECT_FALSE(isRed(pixel(2, 1)));
    EXPECT_FALSE(isRed(pixel(1, 0)));
    EXPECT_EQ(ds.RecNo(), 3) << "drawing reads rows without moving the dataset";

    grid.SetCellColorHook("SmNum", {});
    EXPECT_FALSE(grid.CellColor(grid.Model().index(2, 0)).isValid());
}

TEST_F(DBGridTest, EditingPostsThroughTheDataset)
{
    QAbstractItemModelTester tester(&grid.Model(), QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_EQ(openEditor(1, 2), nullptr) << "read-only by default";

    grid.SetReadOnly(false);
    QLineEdit* editor = openEditor(1, 2);
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "Петров");
    editor->selectAll();
    typeText(editor, "Павлов");
    commit(editor);
    EXPECT_EQ(ds.State(), dsBrowse) << "posted";
    EXPECT_EQ(ds.FieldByName("Oper").AsString(), "Павлов");
    EXPECT_EQ(ds.ChangeCount(), 1);

    // A text the field cannot take: the error is shown, the record keeps its value.
    editor = openEditor(3, 0);
    ASSERT_NE(editor, nullptr);
    editor->selectAll();
    QTest::keyClicks(editor, "5x");
    dialogs.expectMessageBox("'5x' is not a valid integer value").withCaption("Ошибка");
    commit(editor);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.FieldByName("SmNum").AsInteger(), 5);
    EXPECT_EQ(ds.ChangeCount(), 1);

    // A value refused by Post: the edit is cancelled.
    ds.FieldByName("SmNum").SetRequired(true);
    editor = openEditor(0, 0);
    ASSERT_NE(editor, nullptr);
    editor->clear();
    dialogs.expectMessageBox("Field 'Смена' must have a value");
    commit(editor);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(ds.FieldByName("SmNum").AsInteger(), 1);

    ds.FieldByName("Oper").SetReadOnly(true);
    EXPECT_EQ(openEditor(0, 2), nullptr) << "a read-only field";
}

TEST_F(DBGridTest, AMoveThatCannotPostIsRefused)
{
    ds.FieldByName("SmNum").SetRequired(true);
    ds.SetRecNo(2);
    ds.Edit();
    ds.FieldByName("SmNum").Clear();
    dialogs.expectMessageBox("Field 'Смена' must have a value").withCaption("Ошибка");
    click(4);
    QCoreApplication::processEvents();
    EXPECT_EQ(ds.State(), dsEdit) << "the edit waits to be mended";
    EXPECT_EQ(ds.RecNo(), 2);
    EXPECT_EQ(grid.currentIndex().row(), 1) << "the grid went back to the dataset's row";
}

} // namespace
