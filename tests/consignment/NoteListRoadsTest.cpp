// The consignment note register from the menu click over a real station: the
// list in both modes (with the station's note lines and without them), its
// columns, texts and row colours, the protection of posted notes, deleting
// with the server's refusal, the menu's connection and the kept report kind.
#include "tests/consignment/NoteListFixture.h"

#include "plugin/consignment/list/NoteRowsDelegate.h"
#include "plugin/core/DBForm.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/FormPlacement.h"
#include "tests/receipts/ReceiptWindowLook.h"
#include "tests/support/StationServer.h"

#include <QCheckBox>
#include <QRadioButton>
#include <QStyleOptionViewItem>
#include <algorithm>
#include <gtest/gtest.h>

namespace velta::consignment {
namespace {

const QString kNoNote = QStringLiteral("Не выбрана запись ТТН!");
const QString kConfirm = QStringLiteral("Вы действительно хотите удалить запись?");
const QStringList kAllTitles = {"Пров.", "Дата", "Серия", "Номер", "Наименование груза", "Кол-во, т.",
                                "Грузополучатель", "Грузоперевозчик"};

const QString kListedWithLines = QStringLiteral(
    "SELECT t.TTN_ID FROM TTN t WHERE COALESCE(t.ISDELETE, 0) = 0 "
    "AND EXISTS (SELECT 1 FROM TTNDETAIL d WHERE d.TTN_ID = t.TTN_ID) ORDER BY t.TTNDATE DESC, t.TTN_ID DESC");

class NoteListRoadsTest : public NoteListTest {
protected:
    QList<int> ids(const QString& sql)
    {
        const DataPacket rows = query(sql);
        QList<int> found;
        for (int row = 0; row < rows.rowCount(); ++row)
            found << rows.value(row, 0).toInt();
        return found;
    }

    // A new note of the station without lines, dated as given; its TTN_ID.
    int noteWithoutLines(const QString& date)
    {
        const int id = count(QStringLiteral("SELECT GEN_ID(GEN_TTN_ID, 1) FROM RDB$DATABASE"));
        execute(QStringLiteral("INSERT INTO TTN (TTN_ID, OFCTTNID, ISDELETE, TTNSER, TTNNUMBER, TTNDATE, TTNAPPLIED) "
                               "VALUES (%1, 0, 0, 'БЛ', '%1', '%2', 0)")
                    .arg(id)
                    .arg(date));
        return id;
    }

    // A listed note of the demo, the newest one with lines but the first.
    int demoNote(int index = 1)
    {
        const QList<int> listed = ids(kListedWithLines);
        return listed.value(index);
    }

    static QString cellText(TTTNListForm& form, const char* fieldName)
    {
        TDBGrid& grid = control<TDBGrid>(form, "DBGrid1");
        const int row = grid.Model().currentRow();
        for (int column = 0; column < grid.model()->columnCount(); ++column)
            if (grid.Model().fieldAt(column)->FieldName() == QLatin1String(fieldName))
                return grid.model()->index(row, column).data().toString();
        return QStringLiteral("<no column>");
    }
};

TEST_F(NoteListRoadsTest, WithNoteLinesTheListHoldsNotesWithLinesNewestFirstAndTheirCargo)
{
    const int bare = noteWithoutLines(QStringLiteral("2030-01-01"));
    const int posted = demoNote(0);
    const int fromStation = demoNote(1);
    ASSERT_GT(fromStation, 0) << "the demo has notes with lines";
    execute(QStringLiteral("UPDATE TTN SET TTNAPPLIED = 1 WHERE TTN_ID = %1").arg(posted));
    execute(QStringLiteral("UPDATE TTN SET OFCTTNID = 0, TTNAPPLIED = 0 WHERE TTN_ID = %1").arg(fromStation));

    withList([&](TTTNListForm& form) {
        EXPECT_TRUE(form.MultiLine());
        const QList<int> listed = listedNotes();
        EXPECT_EQ(listed, ids(kListedWithLines));
        EXPECT_FALSE(listed.contains(bare)) << "a note without lines is not listed";
        EXPECT_EQ(shownTitles(form), kAllTitles);

        goToNote(posted);
        EXPECT_EQ(cellText(form, "TTNAPPLIED"), QStringLiteral("Да"));
        goToNote(fromStation);
        EXPECT_EQ(cellText(form, "TTNAPPLIED"), QStringLiteral("Нет"));
        const DataPacket lines = query(
            QStringLiteral("SELECT NAME, \"COUNT\" FROM TTNDETAIL WHERE TTN_ID = %1 ORDER BY ID").arg(fromStation));
        ASSERT_GT(lines.rowCount(), 0);
        QStringList names;
        double total = 0;
        for (int row = 0; row < lines.rowCount(); ++row) {
            names << lines.value(row, 0).toString();
            total += lines.value(row, 1).toDouble();
        }
        // The names in the station's order, the last one perhaps cut at 40 characters.
        const QString name1 = list().FieldByName(QStringLiteral("NAME1")).AsString();
        EXPECT_LE(name1.size(), 40);
        const QStringList shown = name1.split(QStringLiteral(", "));
        for (int i = 0; i < shown.size(); ++i) {
            const bool found = std::any_of(names.begin(), names.end(), [&](const QString& name) {
                return i + 1 < shown.size() ? name == shown.at(i) : name.startsWith(shown.at(i));
            });
            EXPECT_TRUE(found) << shown.at(i).toStdString();
        }
        EXPECT_NEAR(list().FieldByName(QStringLiteral("COUNT1")).AsFloat(), total, 1e-6);
        // The header's own columns of the same names come after, renamed.
        const DataPacket header =
            query(QStringLiteral("SELECT NAME1, COUNT1 FROM TTN WHERE TTN_ID = %1").arg(fromStation));
        EXPECT_EQ(list().FieldByName(QStringLiteral("NAME1_1")).AsString(), header.value(0, 0).toString());
        EXPECT_NEAR(list().FieldByName(QStringLiteral("COUNT1_1")).AsFloat(), header.value(0, 1).toDouble(), 1e-6);
        const DataPacket names2 = query(QStringLiteral("SELECT gp.NAME, gper.NAME FROM TTN t "
                                                       "LEFT JOIN CONTRAGENT gp ON gp.CONTR_ID = t.GP_ID "
                                                       "LEFT JOIN CONTRAGENT gper ON gper.CONTR_ID = t.PER_ID "
                                                       "WHERE t.TTN_ID = %1")
                                            .arg(fromStation));
        EXPECT_EQ(cellText(form, "POLNAME"), names2.value(0, 0).toString());
        EXPECT_EQ(cellText(form, "REPNAME"), names2.value(0, 1).toString());
        EXPECT_FALSE(names2.value(0, 0).toString().isEmpty());

        // Notes of the head office on light green, whole rows; the station's own plain.
        TDBGrid& grid = control<TDBGrid>(form, "DBGrid1");
        auto* delegate = dynamic_cast<NoteRowsDelegate*>(grid.itemDelegate());
        ASSERT_NE(delegate, nullptr);
        int green = 0;
        for (int row = 0; row < listed.size(); ++row) {
            list().SetRecNo(row + 1);
            const bool office = list().FieldByName(QStringLiteral("OFCTTNID")).AsInteger() > 0;
            EXPECT_EQ(delegate->IsOfficeNote(row), office) << listed.at(row);
            QStyleOptionViewItem option;
            option.initFrom(&grid);
            delegate->initStyleOption(&option, grid.model()->index(row, grid.model()->columnCount() - 1));
            EXPECT_EQ(option.backgroundBrush.color() == QColor(192, 220, 192), office) << listed.at(row);
            green += office ? 1 : 0;
        }
        EXPECT_GT(green, 0);
        EXPECT_LT(green, listed.size());
    });
    EXPECT_FALSE(list().Active()) << "closing closes the list";
    EXPECT_FALSE(db().VeltaServer.Connected()) << "the command closes the connection it opened";
}

TEST_F(NoteListRoadsTest, PostedNoteIsEditedOrDeletedOnlyOnceTheProtectionIsCleared)
{
    const int note = demoNote(2);
    ASSERT_GT(note, 0);
    execute(QStringLiteral("UPDATE TTN SET TTNAPPLIED = 1 WHERE TTN_ID = %1").arg(note));
    withList([&](TTTNListForm& form) {
        goToNote(note);
        EXPECT_TRUE(control<QCheckBox>(form, "cbBlockAppliedTTN").isChecked()) << "protected at first";
        expectError(QStringLiteral("Невозможно изменить ТТН, т.к. она уже проведена!"));
        press(form, "btnEdit");
        expectError(QStringLiteral("Невозможно удалить ТТН, т.к. она уже проведена!"));
        press(form, "btnDelete");
        dialogs.verify();

        control<QCheckBox>(form, "cbBlockAppliedTTN").setChecked(false);
        dialogs.expectMessageBox(kConfirm).withCaption(QStringLiteral("Подтверждение")).answer(IDCANCEL);
        press(form, "btnDelete");
        EXPECT_TRUE(listedNotes().contains(note)) << "cancelled";
        goToNote(note);
        dialogs.expectMessageBox(kConfirm).withCaption(QStringLiteral("Подтверждение")).answer(IDOK);
        press(form, "btnDelete");
        EXPECT_EQ(list().ChangeCount(), 0) << "sent at once";
        EXPECT_FALSE(listedNotes().contains(note));
        EXPECT_TRUE(form.isVisible());
    });
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTN WHERE TTN_ID = %1").arg(note)), 0);
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTNDETAIL WHERE TTN_ID = %1").arg(note)), 0);
}

TEST_F(NoteListRoadsTest, ADeleteTheServerRefusesShowsItsErrorAndKeepsTheRow)
{
    const int note = demoNote(0);
    ASSERT_GT(note, 0);
    execute(QStringLiteral("UPDATE TTN SET TTNAPPLIED = 0 WHERE TTN_ID = %1").arg(note));
    execute(QStringLiteral("CREATE EXCEPTION E_NOTE_KEPT 'the note is kept by the office'"));
    execute(QStringLiteral("CREATE TRIGGER TTN_KEPT FOR TTN ACTIVE BEFORE DELETE POSITION 0 AS BEGIN "
                           "IF (OLD.TTN_ID = %1) THEN EXCEPTION E_NOTE_KEPT; END")
                .arg(note));
    withList([&](TTTNListForm& form) {
        const QList<int> before = listedNotes();
        goToNote(note);
        dialogs.expectMessageBox(kConfirm).answer(IDOK);
        dialogs.expect(DialogKind::MessageBox)
            .containing(QStringLiteral("the note is kept by the office"))
            .withCaption(QStringLiteral("Ошибка"))
            .answer(IDOK);
        press(form, "btnDelete");
        dialogs.verify();
        EXPECT_EQ(list().ChangeCount(), 0);
        EXPECT_EQ(list().FieldByName(QStringLiteral("TTN_ID")).AsInteger(), note) << "the row stays current";
        EXPECT_EQ(listedNotes(), before);
    });
    execute(QStringLiteral("DROP TRIGGER TTN_KEPT"));
    execute(QStringLiteral("DROP EXCEPTION E_NOTE_KEPT"));
    EXPECT_EQ(count(QStringLiteral("SELECT COUNT(*) FROM TTN WHERE TTN_ID = %1").arg(note)), 1);
}

TEST_F(NoteListRoadsTest, ConnectionOpenBeforeStaysOpenAndTheReportKindIsKept)
{
    db().VeltaServer.SetConnected(true);
    withList([&](TTTNListForm& form) {
        EXPECT_EQ(form.RepKind(), 0) << "the first kind at first";
        control<QRadioButton>(form, "rgRepKind5").setChecked(true);
        EXPECT_EQ(form.RepKind(), 5);
    });
    EXPECT_TRUE(db().VeltaServer.Connected()) << "the host's connection is left open";
    EXPECT_EQ(FormPlacement(QStringLiteral("TTTNListForm"), FormPlacement::reportsKey())
                  .readInteger(QStringLiteral("repkind"), -1),
              5);
    db().VeltaServer.SetConnected(false);
    withList([&](TTTNListForm& form) {
        EXPECT_EQ(form.RepKind(), 5);
        EXPECT_TRUE(control<QRadioButton>(form, "rgRepKind5").isChecked());
    });
}

// A station without TTNDETAIL: every note is listed, with the cargo of its
// header; with no notes at all, the commands on the current note refuse.
TEST_F(NoteListRoadsTest, WithoutNoteLinesEveryNoteIsListedWithItsHeadersCargo)
{
    serveOwnStation({QStringLiteral("DROP TABLE TTNDETAIL")});
    if (HasFatalFailure())
        return;
    const int bare = noteWithoutLines(QStringLiteral("2030-01-01"));
    withList([&](TTTNListForm& form) {
        EXPECT_FALSE(form.MultiLine());
        const QList<int> listed = listedNotes();
        EXPECT_EQ(listed, ids(QStringLiteral("SELECT TTN_ID FROM TTN WHERE COALESCE(ISDELETE, 0) = 0 "
                                             "ORDER BY TTNDATE DESC, TTN_ID DESC")));
        EXPECT_EQ(listed.value(0), bare) << "newest first";
        EXPECT_GT(listed.size(), 1);
        // The cargo columns are the header's own: the note's one line.
        EXPECT_EQ(shownTitles(form), kAllTitles);
        const int older = listed.value(1);
        goToNote(older);
        const DataPacket header =
            query(QStringLiteral("SELECT NAME1, COUNT1 FROM TTN WHERE TTN_ID = %1").arg(older));
        EXPECT_FALSE(header.value(0, 0).toString().isEmpty());
        EXPECT_EQ(list().FieldByName(QStringLiteral("NAME1")).AsString(), header.value(0, 0).toString());
        EXPECT_NEAR(list().FieldByName(QStringLiteral("COUNT1")).AsFloat(), header.value(0, 1).toDouble(), 1e-6);
    });

    execute(QStringLiteral("DELETE FROM TTN"));
    withList([&](TTTNListForm& form) {
        EXPECT_TRUE(list().IsEmpty());
        for (const char* button : {"btnEdit", "btnDelete", "Button1"}) {
            expectError(kNoNote);
            press(form, button);
        }
    });
}

TEST_F(NoteListRoadsTest, TheWindowsTextsFitAndItIsShot)
{
    test::HostFontScope hostFont;
    withList([&](TTTNListForm& form) {
        form.resize(1040, 560);
        if (hostFont.active()) {
            EXPECT_EQ(test::cutTexts(form), QStringList{});
        }
        test::saveShot(form, QStringLiteral("ttn-list.png"));
    });
}

} // namespace
} // namespace velta::consignment
