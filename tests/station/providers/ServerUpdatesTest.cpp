// Change logs applied by the station server: edits, inserts and deletes by
// key, several datasets in one transaction, and refusals that write nothing.
#include "tests/station/ServerProcess.h"

#include "common/Exception.h"

namespace velta::test {
namespace {

class ServerUpdates : public ::testing::Test {
protected:
    static void SetUpTestSuite() { served_ = new ServedStation(false, 600); }
    static void TearDownTestSuite()
    {
        delete served_;
        served_ = nullptr;
    }
    void SetUp() override { client_ = served_->server.connect(); }

    void apply(const Variant::Array& entries)
    {
        client_->call(QString::fromLatin1(station::kApplyUpdates), entries);
    }
    QString scalarText(const QString& sql) { return customSql(*client_, sql).value(0, 0).toString(); }

    static ServedStation* served_;
    std::unique_ptr<WireClient> client_;
};
ServedStation* ServerUpdates::served_ = nullptr;

ChangeEntry modified(const DataPacket& packet, int row, const QMap<QString, Variant>& changes)
{
    ChangeEntry e;
    e.state = RowState::Modified;
    e.original = packet.row(row);
    e.values = QVector<Variant>(packet.fieldCount());
    for (auto it = changes.cbegin(); it != changes.cend(); ++it)
        e.values[packet.fieldIndex(it.key())] = it.value();
    return e;
}

int rowWhere(const DataPacket& p, const QString& field, const Variant& value)
{
    for (int r = 0; r < p.rowCount(); ++r) {
        if (p.value(r, p.fieldIndex(field)) == value)
            return r;
    }
    return -1;
}

TEST_F(ServerUpdates, EditOfAnAliasedFieldIsWrittenToItsColumnAndReadBack)
{
    const DataPacket shifts = openProvider(*client_, QStringLiteral("SmLogProvider")).packet;
    DataPacket delta = emptyDelta(shifts);
    delta.addChange(modified(shifts, 2, {{"Operator2", Variant("Петрова А.А.")}, {"InKKM", Variant(Currency{12345678})}}));
    apply({Variant(applyEntry(QStringLiteral("SmLogProvider"), delta))});

    const int smnum = shifts.value(2, 0).toInt();
    const DataPacket after = openProvider(*client_, QStringLiteral("SmLogProvider")).packet;
    const int r = rowWhere(after, QStringLiteral("SmNum"), Variant(smnum));
    ASSERT_GE(r, 0);
    EXPECT_EQ(after.value(r, after.fieldIndex("Operator2")).toString(), QStringLiteral("Петрова А.А."));
    EXPECT_EQ(after.value(r, after.fieldIndex("InKKM")), Variant(Currency{12345678}));
    // Fields the client did not change keep their values.
    EXPECT_EQ(after.value(r, after.fieldIndex("Operator")), shifts.value(2, shifts.fieldIndex("Operator")));
    // A neighbouring shift is untouched.
    EXPECT_EQ(after.value(r + 1, after.fieldIndex("InKKM")), shifts.value(3, shifts.fieldIndex("InKKM")));
}

TEST_F(ServerUpdates, InsertWithoutKeyIsNumberedAndDeleteRemovesByKey)
{
    const DataPacket types = openProvider(*client_, QStringLiteral("DSPRepScanDocTypes")).packet;
    DataPacket delta = emptyDelta(types);
    ChangeEntry insert;
    insert.state = RowState::Inserted;
    insert.values = {Variant::null(), Variant("Акт сверки"), Variant("AKT|")};
    delta.addChange(insert);
    apply({Variant(applyEntry(QStringLiteral("DSPRepScanDocTypes"), delta))});

    const DataPacket after = openProvider(*client_, QStringLiteral("DSPRepScanDocTypes")).packet;
    const int r = rowWhere(after, QStringLiteral("NAME"), Variant("Акт сверки"));
    ASSERT_GE(r, 0);
    EXPECT_GT(after.value(r, 0).toInt(), 0) << "the numbering trigger gave it an ID";
    EXPECT_EQ(after.value(r, 2).toString(), QStringLiteral("AKT|"));

    DataPacket removal = emptyDelta(after);
    ChangeEntry del;
    del.state = RowState::Deleted;
    del.original = after.row(r);
    removal.addChange(del);
    apply({Variant(applyEntry(QStringLiteral("DSPRepScanDocTypes"), removal))});
    EXPECT_EQ(openProvider(*client_, QStringLiteral("DSPRepScanDocTypes")).packet.rowCount(), types.rowCount());
    // Deleting it a second time finds no row: an error, not a silent success.
    EXPECT_THROW(apply({Variant(applyEntry(QStringLiteral("DSPRepScanDocTypes"), removal))}), EDatabaseError);
}

TEST_F(ServerUpdates, EditOfARowChangedAwayIsRefused)
{
    const DataPacket types = openProvider(*client_, QStringLiteral("DSPRepScanDocTypes")).packet;
    DataPacket delta = emptyDelta(types);
    ChangeEntry e = modified(types, 0, {{"NAME", Variant("Новое имя")}});
    e.original[0] = Variant(987654); // a key no row has
    delta.addChange(e);
    try {
        apply({Variant(applyEntry(QStringLiteral("DSPRepScanDocTypes"), delta))});
        FAIL() << "an edit of a missing row was reported as applied";
    } catch (const EDatabaseError& error) {
        EXPECT_TRUE(error.message().contains(QStringLiteral("Record not found or changed by another user")));
    }
}

TEST_F(ServerUpdates, SeveralDatasetsFailingMidwayLeaveNothingWritten)
{
    const DataPacket orgs = openProvider(*client_, QStringLiteral("OrgListProvider")).packet;
    const DataPacket roles = openProvider(*client_, QStringLiteral("OrgTypeProvider")).packet;
    const int newId = client_->call(QString::fromLatin1(station::kGetNewContragentNumber)).toInt();

    DataPacket orgDelta = emptyDelta(orgs);
    ChangeEntry org;
    org.state = RowState::Inserted;
    org.values = QVector<Variant>(orgs.fieldCount(), Variant::null());
    org.values[orgs.fieldIndex("CONTR_ID")] = Variant(newId);
    org.values[orgs.fieldIndex("NAME")] = Variant("ООО Половина");
    orgDelta.addChange(org);
    orgDelta.addChange(modified(orgs, 0, {{"PHONE", Variant("555-0000")}}));

    // The second dataset's second row repeats its first: the primary key refuses it.
    DataPacket roleDelta = emptyDelta(roles);
    ChangeEntry role;
    role.state = RowState::Inserted;
    role.values = {Variant(newId), Variant(2), Variant(0)};
    roleDelta.addChange(role);
    roleDelta.addChange(role);

    try {
        apply({Variant(applyEntry(QStringLiteral("OrgListProvider"), orgDelta)),
               Variant(applyEntry(QStringLiteral("OrgTypeProvider"), roleDelta))});
        FAIL() << "a duplicate key was applied";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("PK_CONTRAGENTTYPE"))) << e.message().toStdString();
    }
    const QString id = QString::number(newId);
    EXPECT_EQ(scalarText(QStringLiteral("SELECT COUNT(*) FROM CONTRAGENT WHERE CONTR_ID = ") + id), QStringLiteral("0"));
    EXPECT_EQ(scalarText(QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE WHERE CONTR_ID = ") + id), QStringLiteral("0"));
    EXPECT_EQ(scalarText(QStringLiteral("SELECT PHONE FROM CONTRAGENT WHERE CONTR_ID = ")
                         + orgs.value(0, orgs.fieldIndex("CONTR_ID")).toString()),
              orgs.value(0, orgs.fieldIndex("PHONE")).toString());

    // Without the duplicate the same request goes through whole, and the connection still works.
    roleDelta.clearChanges();
    roleDelta.addChange(role);
    apply({Variant(applyEntry(QStringLiteral("OrgListProvider"), orgDelta)),
           Variant(applyEntry(QStringLiteral("OrgTypeProvider"), roleDelta))});
    EXPECT_EQ(scalarText(QStringLiteral("SELECT NAME FROM CONTRAGENT WHERE CONTR_ID = ") + id), QStringLiteral("ООО Половина"));
    EXPECT_EQ(scalarText(QStringLiteral("SELECT COUNT(*) FROM CONTRAGENTTYPE WHERE CONTR_ID = ") + id), QStringLiteral("1"));
}

TEST_F(ServerUpdates, ConstraintViolationComesBackWithTheDatabaseText)
{
    const DataPacket types = openProvider(*client_, QStringLiteral("DSPRepScanDocTypes")).packet;
    DataPacket delta = emptyDelta(types);
    delta.addChange(modified(types, 0, {{"NAME", Variant::null()}})); // NAME is NOT NULL
    try {
        apply({Variant(applyEntry(QStringLiteral("DSPRepScanDocTypes"), delta))});
        FAIL() << "NULL was written to a NOT NULL column";
    } catch (const EDatabaseError& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("NAME"))) << e.message().toStdString();
    }
    EXPECT_EQ(openProvider(*client_, QStringLiteral("DSPRepScanDocTypes")).packet.value(0, 1), types.value(0, 1));
}

TEST_F(ServerUpdates, ReadOnlyAndUnknownProvidersRefuseUpdates)
{
    const DataPacket prx = openProvider(*client_, QStringLiteral("PrxLogProvider"), {}, 2).packet;
    DataPacket delta = emptyDelta(prx);
    delta.addChange(modified(prx, 0, {{"Prim", Variant("x")}}));
    for (const char* provider : {"PrxLogProvider", "DSPRepCustomSQL", "DSPRepTTNID", "NoSuchProvider"}) {
        SCOPED_TRACE(provider);
        EXPECT_THROW(apply({Variant(applyEntry(QString::fromLatin1(provider), delta))}), EDatabaseError);
    }
    EXPECT_EQ(scalarText(QStringLiteral("SELECT COUNT(*) FROM PRX WHERE PRIM = 'x'")), QStringLiteral("0"));
}

TEST_F(ServerUpdates, DeltaWithoutTheKeyFieldsIsRefused)
{
    DataPacket delta;
    delta.addField(FieldDef(QStringLiteral("NAME"), FieldType::String, 100));
    ChangeEntry e;
    e.state = RowState::Deleted;
    e.original = {Variant("Накладная")};
    delta.addChange(e);
    EXPECT_THROW(apply({Variant(applyEntry(QStringLiteral("DSPRepScanDocTypes"), delta))}), EDatabaseError);
    EXPECT_THROW(apply({Variant(Variant::Array{Variant("DSPRepScanDocTypes"), Variant(""), Variant(QByteArray("junk"))})}),
                 EProtocolError);
}

} // namespace
} // namespace velta::test
