#include "tests/consignment/NoteListFixture.h"

#include "common/StationProtocol.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/DialogTypes.h"
#include "tests/support/StationServer.h"
#include "tests/support/StationSql.h"

#include <QHeaderView>
#include <QPushButton>
#include <gtest/gtest.h>

namespace velta::consignment {

const QString kCommand = QStringLiteral("Товарно-транспортные накладные...");

void NoteListTest::TearDown()
{
    MenuStationTest::TearDown();
    connection.reset();
    sql_.reset();
    own_.reset();
}

core::TDBFrm& NoteListTest::db()
{
    return *core::state().dataModule;
}

TClientDataSet& NoteListTest::list()
{
    return db().dsTTNList;
}

void NoteListTest::press(QWidget& window, const char* button)
{
    control<QPushButton>(window, button).click();
}

void NoteListTest::withList(const std::function<void(TTTNListForm&)>& user)
{
    dialogs.expectModal(QStringLiteral("TTTNListForm"))
        .withCaption(QStringLiteral("Товарно-транспортные накладные"))
        .drive([&](QDialog& window) {
            user(dynamic_cast<TTTNListForm&>(window));
            if (window.isVisible())
                press(window, "BitBtn1");
        });
    click(kCommand);
    dialogs.verify();
}

DataPacket NoteListTest::query(const QString& sql)
{
    if (!sql_)
        sql_ = server().connect();
    return test::StationQuery(*sql_, sql);
}

void NoteListTest::execute(const QString& sql)
{
    if (!sql_)
        sql_ = server().connect();
    test::StationExecute(*sql_, sql);
}

void NoteListTest::serveOwnStation(const QStringList& statements)
{
    own_ = test::StationServer::overNewStation(20);
    ASSERT_NE(own_->port(), 0) << own_->error().toStdString();
    serving = own_.get();
    sql_.reset();
    connection.reset();
    qputenv("VELTA_STATION_PORT", QByteArray::number(own_->port()));
    for (const QString& statement : statements)
        ASSERT_NO_THROW(execute(statement)) << statement.toStdString();
}

QStringList NoteListTest::shownTitles(TTTNListForm& form)
{
    const TDBGrid& grid = control<TDBGrid>(form, "DBGrid1");
    const QHeaderView& header = *grid.horizontalHeader();
    QStringList titles;
    for (int visual = 0; visual < header.count(); ++visual)
        titles << grid.model()->headerData(header.logicalIndex(visual), Qt::Horizontal).toString();
    return titles;
}

QList<int> NoteListTest::listedNotes()
{
    QList<int> notes;
    list().FetchAll();
    for (list().First(); !list().Eof(); list().Next())
        notes << list().FieldByName(QStringLiteral("TTN_ID")).AsInteger();
    list().First();
    return notes;
}

void NoteListTest::goToNote(int ttnId)
{
    ASSERT_TRUE(list().Locate(QStringLiteral("TTN_ID"), Variant(ttnId), 0)) << ttnId;
}

void NoteListTest::expectError(const QString& text)
{
    dialogs.expectMessageBox(text).withCaption(QStringLiteral("Ошибка")).answer(IDOK);
}

} // namespace velta::consignment
