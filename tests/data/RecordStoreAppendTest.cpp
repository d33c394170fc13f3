// RecordStore taking rows from data packets: every kind of column, Nulls, rows
// appended after earlier ones and after local edits, and a packet that cannot
// be stored leaving the store as it was.
#include "common/DataPacket.h"
#include "common/Exception.h"
#include "plugin/data/RecordStore.h"

#include <gtest/gtest.h>

using namespace velta;

namespace {

QVector<FieldDef> salesFields()
{
    return {FieldDef(QStringLiteral("INDEXSALE"), FieldType::Int32), FieldDef(QStringLiteral("SUMMA"), FieldType::Currency),
            FieldDef(QStringLiteral("TIDEDATE"), FieldType::DateTime), FieldDef(QStringLiteral("GSMNAME"), FieldType::String, 20),
            FieldDef(QStringLiteral("PAID"), FieldType::Boolean), FieldDef(QStringLiteral("SCAN"), FieldType::Blob)};
}

DataPacket salesPacket(int from, int count)
{
    DataPacket packet;
    for (const FieldDef& f : salesFields())
        packet.addField(f);
    for (int i = from; i < from + count; ++i) {
        // Every third row leaves the amount, the text and the blob Null.
        const bool gaps = i % 3 == 0;
        packet.appendRow({Variant(i), gaps ? Variant::null() : Variant(Currency{i * 10000LL + 1}),
                          Variant::fromDate(45000.5 + i), gaps ? Variant::null() : Variant(QStringLiteral("АИ-%1").arg(i)),
                          Variant(i % 2 == 0), gaps ? Variant::null() : Variant(QByteArray(3, static_cast<char>(i)))});
    }
    return packet;
}

} // namespace

TEST(RecordStoreAppend, PacketsFollowOneAnotherWithTheirValuesAndNulls)
{
    RecordStore store(salesFields());
    store.appendPacket(salesPacket(0, 4));
    store.appendPacket(salesPacket(4, 0)); // an empty packet adds nothing
    store.appendPacket(salesPacket(4, 3));
    ASSERT_EQ(store.liveCount(), 7);
    for (int r = 0; r < 7; ++r) {
        SCOPED_TRACE(r);
        EXPECT_EQ(store.order()[r], r);
        EXPECT_EQ(store.state(r), RowState::Unmodified);
        EXPECT_EQ(store.value(r, 0), Variant(r));
        EXPECT_EQ(store.value(r, 2), Variant::fromDate(45000.5 + r));
        EXPECT_EQ(store.value(r, 4), Variant(r % 2 == 0));
        const bool gaps = r % 3 == 0;
        EXPECT_EQ(store.isNull(r, 1), gaps);
        EXPECT_EQ(store.isNull(r, 3), gaps);
        EXPECT_EQ(store.isNull(r, 5), gaps);
        if (!gaps) {
            EXPECT_EQ(store.value(r, 1).toCurrency().scaled, r * 10000LL + 1);
            EXPECT_EQ(store.value(r, 3).toString(), QStringLiteral("АИ-%1").arg(r));
        }
    }
    EXPECT_EQ(store.changeCount(), 0);
}

TEST(RecordStoreAppend, RowsFetchedAfterLocalEditsKeepTheEditsApart)
{
    RecordStore store(salesFields());
    store.appendPacket(salesPacket(0, 2));
    const int inserted = store.insertRecord({Variant(100), Variant::null(), Variant::null(), Variant("new"), Variant(true),
                                             Variant::null()},
                                            -1, true);
    store.deleteRecord(0);
    store.appendPacket(salesPacket(2, 2));
    EXPECT_EQ(store.changeCount(), 2);
    EXPECT_EQ(store.state(inserted), RowState::Inserted);
    // The fetched rows get fresh numbers after the inserted one and come last.
    EXPECT_EQ(store.order(), (std::vector<int>{1, inserted, inserted + 1, inserted + 2}));
    EXPECT_EQ(store.value(inserted + 1, 0), Variant(2));
    EXPECT_EQ(store.value(inserted, 3).toString(), QStringLiteral("new"));
    EXPECT_EQ(store.delta().changes().size(), 2);
}

TEST(RecordStoreAppend, APacketThatCannotBeStoredLeavesTheStoreAsItWas)
{
    RecordStore store(salesFields());
    store.appendPacket(salesPacket(0, 3));
    const std::uint64_t version = store.version();

    // Same field count, but a text where the amount belongs: found only in
    // the second column, after the first has already been taken in.
    DataPacket wrong;
    wrong.addField(FieldDef(QStringLiteral("INDEXSALE"), FieldType::Int32));
    wrong.addField(FieldDef(QStringLiteral("SUMMA"), FieldType::String, 20));
    for (int f = 2; f < salesFields().size(); ++f)
        wrong.addField(salesFields()[f]);
    wrong.appendRow({Variant(7), Variant("не число"), Variant::null(), Variant::null(), Variant(false), Variant::null()});
    EXPECT_THROW(store.appendPacket(wrong), Exception);

    EXPECT_EQ(store.liveCount(), 3);
    EXPECT_EQ(store.version(), version);
    EXPECT_EQ(store.column(0).ints.size(), 3u);
    EXPECT_EQ(store.column(0).nulls.size(), 3u);
    // The store goes on taking good packets, numbered where it left off.
    store.appendPacket(salesPacket(3, 1));
    ASSERT_EQ(store.liveCount(), 4);
    EXPECT_EQ(store.value(3, 0), Variant(3));
    EXPECT_EQ(store.value(3, 1).isNull(), true);
}

TEST(RecordStoreAppend, PacketWithOtherFieldsIsRefused)
{
    RecordStore store(salesFields());
    DataPacket narrow;
    narrow.addField(FieldDef(QStringLiteral("INDEXSALE"), FieldType::Int32));
    narrow.appendRow({Variant(1)});
    EXPECT_THROW(store.appendPacket(narrow), EDatabaseError);
    EXPECT_EQ(store.liveCount(), 0);
}
