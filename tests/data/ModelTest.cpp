// The table model over a data source: columns from visible fields, display
// texts, and notifications that keep views consistent while the dataset
// opens, filters, orders, fetches, inserts, deletes and closes.
#include "DataTestUtil.h"
#include "common/StationProtocol.h"
#include "plugin/data/DataSource.h"
#include "plugin/data/DatasetModel.h"
#include "plugin/data/DCOMConnection.h"
#include "tests/support/TestEnv.h"

#include <QSignalSpy>
#include <gtest/gtest.h>
#include <mutex>

#ifdef VELTA_HAVE_MODEL_TESTER
#include <QAbstractItemModelTester>
#endif

using namespace velta;
using namespace velta::test;

namespace {

// Collects the model tester's complaints (it reports them as Qt warnings).
class WarningTrap {
public:
    WarningTrap() { previous_ = qInstallMessageHandler(&WarningTrap::handler); }
    ~WarningTrap() { qInstallMessageHandler(previous_); }
    static QStringList take()
    {
        std::lock_guard lock(mutex());
        return std::exchange(messages(), {});
    }

private:
    static void handler(QtMsgType type, const QMessageLogContext&, const QString& message)
    {
        if (type == QtWarningMsg || type == QtCriticalMsg) {
            std::lock_guard lock(mutex());
            messages() << message;
        }
    }
    static QStringList& messages()
    {
        static QStringList list;
        return list;
    }
    static std::mutex& mutex()
    {
        static std::mutex m;
        return m;
    }
    QtMessageHandler previous_;
};

class ModelTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        ds.AddField("OpNum", FieldType::Int32).SetVisible(false);
        TField& gsm = ds.AddField("GSMName", FieldType::String, 20);
        gsm.SetDisplayLabel("ГСМ");
        gsm.SetDisplayWidth(15);
        TField& vol = ds.AddField("CarVolTTN", FieldType::Currency);
        vol.SetDisplayLabel("Прин. по ТТН");
        vol.SetDisplayFormat("0.00");
        ds.AddField("Time", FieldType::DateTime).SetAlignment(taCenter);
        loadRows(ds, fields(), rows(5));
        source.SetDataSet(&ds);
        model.setDataSource(&source);
#ifdef VELTA_HAVE_MODEL_TESTER
        tester = std::make_unique<QAbstractItemModelTester>(
            &model, QAbstractItemModelTester::FailureReportingMode::Warning);
#endif
        WarningTrap::take();
    }
    void TearDown() override { EXPECT_EQ(WarningTrap::take(), QStringList()) << "the model tester's findings"; }

    static QVector<FieldDef> fields()
    {
        return {keyField("OpNum", FieldType::Int32), FieldDef("GSMName", FieldType::String, 20),
                FieldDef("CarVolTTN", FieldType::Currency), FieldDef("Time", FieldType::DateTime)};
    }
    static QVector<QVector<Variant>> rows(int count)
    {
        QVector<QVector<Variant>> result;
        static const char* const fuels[] = {"АИ-92", "ДТ", "АИ-95"};
        for (int i = 1; i <= count; ++i)
            result.append({i, fuels[i % 3], Currency{i * 12345LL}, Variant::fromDate(EncodeDate(2024, 1, i))});
        return result;
    }
    QString cell(int row, int column) const { return model.index(row, column).data().toString(); }

    WarningTrap trap;
    TClientDataSet ds;
    TDataSource source;
    DatasetModel model;
#ifdef VELTA_HAVE_MODEL_TESTER
    std::unique_ptr<QAbstractItemModelTester> tester;
#endif
};

TEST_F(ModelTest, ColumnsAreTheVisibleFields)
{
    ASSERT_EQ(model.columnCount(), 3);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(model.headerData(0, Qt::Horizontal).toString(), "ГСМ");
    EXPECT_EQ(model.headerData(0, Qt::Horizontal, DatasetModel::DisplayWidthRole).toInt(), 15);
    EXPECT_EQ(model.headerData(2, Qt::Horizontal).toString(), "Time") << "no label: the field name";
    EXPECT_EQ(cell(1, 0), "АИ-95");
    EXPECT_EQ(cell(1, 1), "2,47") << "display format of the field";
    EXPECT_EQ(model.index(1, 1).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignRight);
    EXPECT_EQ(model.index(1, 2).data(Qt::TextAlignmentRole).value<Qt::Alignment>() & Qt::AlignHorizontal_Mask,
              Qt::AlignHCenter);
    EXPECT_EQ(ds.RecNo(), 1) << "drawing rows does not move the dataset";
}

TEST_F(ModelTest, GetTextHandlersShowInCells)
{
    ds.FieldByName("GSMName").OnGetText = [](TField& sender, QString& text, bool) {
        text = QStringLiteral("[%1]").arg(sender.AsString());
    };
    EXPECT_EQ(cell(2, 0), "[АИ-92]") << "the handler reads the row drawn, not the current one";
    EXPECT_EQ(cell(0, 0), "[ДТ]");
}

TEST_F(ModelTest, CurrentRowFollowsBothWays)
{
    QSignalSpy moved(&model, &DatasetModel::currentRowChanged);
    ds.Next();
    ds.Next();
    EXPECT_EQ(model.currentRow(), 2);
    ASSERT_EQ(moved.size(), 2);
    model.setCurrentRow(4);
    EXPECT_EQ(ds.RecNo(), 5);
    EXPECT_EQ(model.currentRow(), 4);
    model.setCurrentRow(99);
    EXPECT_EQ(ds.RecNo(), 5);
}

TEST_F(ModelTest, InsertPostCancelAndDelete)
{
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);

    ds.First();
    const TBookmark first = ds.GetBookmark();
    ds.Insert();
    EXPECT_EQ(model.rowOf(first), 1) << "a new record at the top has no bookmark, the others keep theirs";
    ds.Cancel();
    inserted.clear();
    removed.clear();

    ds.SetRecNo(3);
    ds.Insert();
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 2) << "the new row appears above the current one";
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(model.currentRow(), 2);
    ds.FieldByName("GSMName").SetAsString("Газ");
    EXPECT_EQ(cell(2, 0), "Газ");
    EXPECT_GE(changed.size(), 1);
    ds.Cancel();
    ASSERT_EQ(removed.size(), 1);
    EXPECT_EQ(removed[0][1].toInt(), 2);
    EXPECT_EQ(model.rowCount(), 5);

    ds.Append();
    EXPECT_EQ(inserted.last()[1].toInt(), 5);
    ds.FieldByName("OpNum").SetAsInteger(6);
    ds.Post();
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(reset.size(), 0) << "posting in place needs no reset";

    ds.SetRecNo(2);
    ds.Delete();
    EXPECT_EQ(removed.last()[1].toInt(), 1);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(cell(1, 1), "3,70");

    ds.Edit();
    ds.FieldByName("CarVolTTN").SetAsFloat(1.5);
    EXPECT_EQ(cell(1, 1), "1,50") << "the edit buffer is shown while editing";
    ds.Post();
    EXPECT_EQ(cell(1, 1), "1,50");
}

TEST_F(ModelTest, EditedCellsPostThroughTheDataset)
{
    const QModelIndex fuel = model.index(3, 0);
    EXPECT_FALSE(model.flags(fuel) & Qt::ItemIsEditable) << "read-only until switched on";
    EXPECT_FALSE(model.setData(fuel, "Газ"));

    model.setEditable(true);
    int edits = 0;
    ds.BeforeEdit = [&](TClientDataSet&) { ++edits; };
    QSignalSpy changed(&model, &QAbstractItemModel::dataChanged);
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy failed(&model, &DatasetModel::editFailed);
    ASSERT_TRUE(model.flags(fuel) & Qt::ItemIsEditable);
    EXPECT_TRUE(model.setData(fuel, "Газ"));
    EXPECT_EQ(ds.RecNo(), 4) << "the dataset went to the row edited";
    EXPECT_EQ(ds.State(), dsBrowse) << "posted";
    EXPECT_EQ(cell(3, 0), "Газ");
    EXPECT_EQ(ds.ChangeCount(), 1);
    EXPECT_FALSE(changed.isEmpty());
    EXPECT_EQ(reset.size(), 0);
    EXPECT_TRUE(model.setData(fuel, "Газ"));
    EXPECT_EQ(edits, 1) << "the same text leaves the record alone";

    // A text the field cannot take is told, and the record keeps its value.
    EXPECT_FALSE(model.setData(model.index(1, 1), "12,3x"));
    ASSERT_EQ(failed.size(), 1);
    EXPECT_EQ(failed[0][0].toString(), "'12,3x' is not a valid floating point value");
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(cell(1, 1), "2,47");
    EXPECT_EQ(ds.ChangeCount(), 1);

    // Who may write: the field, the dataset and the source's AutoEdit.
    ds.FieldByName("GSMName").SetReadOnly(true);
    EXPECT_FALSE(model.flags(fuel) & Qt::ItemIsEditable);
    ds.FieldByName("GSMName").SetReadOnly(false);
    ds.SetReadOnly(true);
    EXPECT_FALSE(model.flags(fuel) & Qt::ItemIsEditable);
    ds.SetReadOnly(false);
    source.SetAutoEdit(false);
    EXPECT_FALSE(model.setData(fuel, "ДТ"));
    EXPECT_EQ(cell(3, 0), "Газ");
    ds.Edit();
    EXPECT_TRUE(model.flags(fuel) & Qt::ItemIsEditable) << "a record the window put into edit";
    ds.Cancel();
    source.SetAutoEdit(true);

    // A record being inserted takes values without being posted; leaving
    // its row posts it.
    ds.SetRecNo(3);
    ds.Insert();
    ASSERT_EQ(model.currentRow(), 2);
    EXPECT_TRUE(model.setData(model.index(2, 0), "Пропан"));
    EXPECT_EQ(ds.State(), dsInsert);
    EXPECT_EQ(cell(2, 0), "Пропан");
    model.setCurrentRow(0);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(model.rowCount(), 6);
    EXPECT_EQ(cell(2, 0), "Пропан");
    EXPECT_EQ(ds.RecNo(), 1);
}

TEST_F(ModelTest, LeavingAnEmptyNewRowLandsOnTheRecordClicked)
{
    // The new row is dropped when left, so the rows below it move up: the
    // move goes to the record that was clicked, not to its old row number.
    ds.SetRecNo(2);
    ds.Insert();
    ASSERT_EQ(model.rowCount(), 6);
    const int clicked = 4; // OpNum 4, below the new row
    model.setCurrentRow(clicked);
    EXPECT_EQ(ds.State(), dsBrowse);
    EXPECT_EQ(model.rowCount(), 5);
    EXPECT_EQ(ds.FieldByName("OpNum").AsInteger(), 4);
    EXPECT_EQ(model.currentRow(), 3);
    EXPECT_EQ(model.rowOf(ds.GetBookmark()), 3);
    EXPECT_EQ(model.bookmarkAt(3), ds.GetBookmark());
}

TEST_F(ModelTest, FilterOrderAndCloseReset)
{
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    ds.SetFilter("GSMName = 'ДТ'");
    ds.SetFiltered(true);
    EXPECT_EQ(model.rowCount(), 2);
    ds.SetIndexFieldNames("GSMName;OpNum");
    ds.SetFiltered(false);
    EXPECT_EQ(cell(0, 0), "АИ-92");
    EXPECT_EQ(cell(4, 0), "ДТ");
    ds.Close();
    EXPECT_EQ(model.rowCount(), 0);
    EXPECT_EQ(model.columnCount(), 0) << "a closed dataset shows nothing";
    EXPECT_GE(reset.size(), 3);
    loadRows(ds, fields(), rows(4));
    EXPECT_EQ(model.rowCount(), 4);
    EXPECT_EQ(model.columnCount(), 3);
}

TEST_F(ModelTest, DisabledControlsAndSourcesHoldBackNotifications)
{
    QSignalSpy reset(&model, &QAbstractItemModel::modelReset);
    QSignalSpy removed(&model, &QAbstractItemModel::rowsRemoved);
    ds.DisableControls();
    ds.First();
    ds.Delete();
    ds.Delete();
    EXPECT_EQ(removed.size(), 0);
    EXPECT_EQ(model.rowCount(), 5) << "the model waits";
    ds.EnableControls();
    EXPECT_EQ(reset.size(), 1);
    EXPECT_EQ(model.rowCount(), 3);

    source.SetEnabled(false);
    EXPECT_EQ(model.rowCount(), 0);
    source.SetEnabled(true);
    EXPECT_EQ(model.rowCount(), 3);
}

TEST_F(ModelTest, DatasetGoneBeforeTheModel)
{
    auto local = std::make_unique<TClientDataSet>();
    loadRows(*local, fields(), rows(2));
    TDataSource localSource(local.get());
    DatasetModel localModel(&localSource);
    EXPECT_EQ(localModel.rowCount(), 2);
    local.reset();
    EXPECT_EQ(localModel.rowCount(), 0);
    EXPECT_EQ(localModel.columnCount(), 0);
}

TEST(ModelFetchTest, FetchedPacketsArriveAsInsertedRows)
{
    WarningTrap trap;
    TestEnv env;
    FakeStationServer server;
    server.start();
    qputenv("VELTA_STATION_PORT", QByteArray::number(server.port()));
    QVector<QVector<Variant>> data;
    for (int i = 1; i <= 25; ++i)
        data.append({i, "АИ-92", Currency{i}, Variant::fromDate(EncodeDate(2024, 1, 1))});
    server.setTable("PrxLogProvider", makePacket({keyField("OpNum", FieldType::Int32), FieldDef("GSMName", FieldType::String, 20),
                                                  FieldDef("CarVolTTN", FieldType::Currency),
                                                  FieldDef("Time", FieldType::DateTime)},
                                                 data));
    TDCOMConnection connection;
    TClientDataSet ds;
    ds.SetRemoteServer(&connection);
    ds.SetProviderName("PrxLogProvider");
    ds.SetPacketRecords(10);
    TDataSource source(&ds);
    DatasetModel model(&source);
    QSignalSpy inserted(&model, &QAbstractItemModel::rowsInserted);
    ds.Open();
    EXPECT_EQ(model.rowCount(), 10);
    EXPECT_TRUE(model.canFetchMore({}));
    model.fetchMore({});
    ASSERT_EQ(inserted.size(), 1);
    EXPECT_EQ(inserted[0][1].toInt(), 10);
    EXPECT_EQ(inserted[0][2].toInt(), 19);
    EXPECT_EQ(ds.RecNo(), 1) << "fetching for a view does not move the dataset";
    {
        // The tester fetches what remains itself, checking every step.
#ifdef VELTA_HAVE_MODEL_TESTER
        QAbstractItemModelTester tester(&model, QAbstractItemModelTester::FailureReportingMode::Warning);
#else
        model.fetchMore({});
#endif
    }
    EXPECT_EQ(model.rowCount(), 25);
    EXPECT_FALSE(model.canFetchMore({}));
    ds.Last();
    EXPECT_EQ(model.currentRow(), 24);
    EXPECT_EQ(server.calls(station::kFetchRows), 2);
    qunsetenv("VELTA_STATION_PORT");
    EXPECT_EQ(WarningTrap::take(), QStringList());
}

} // namespace
