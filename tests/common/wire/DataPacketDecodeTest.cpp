// Malformed data packets: every one must fail with a clear error, never crash,
// read past the buffer or allocate what the input only promises.
#include "common/ByteStream.h"
#include "common/DataPacket.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <bit>
#include <limits>

using namespace velta;

namespace {

// Offsets of a packet with no properties and one field named "A":
// header 8, property count 4, field count 4, field 13 bytes, then the rows.
constexpr int kFieldTypeOffset = 8 + 4 + 4 + 4 + 1;
constexpr int kRowCountOffset = 8 + 4 + 4 + 13;
constexpr int kFirstRowOffset = kRowCountOffset + 4;

DataPacket oneFieldPacket(FieldType type, const QVector<Variant>& values)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("A"), type, type == FieldType::String ? 10 : 0));
    for (const Variant& value : values)
        packet.appendRow({value});
    return packet;
}

void putU32(QByteArray& bytes, int offset, std::uint32_t value)
{
    for (int i = 0; i < 4; ++i)
        bytes[offset + i] = static_cast<char>((value >> (8 * i)) & 0xFF);
}

QString decodeError(const QByteArray& bytes)
{
    try {
        DataPacket::fromBytes(bytes);
    } catch (const EProtocolError& error) {
        return error.message();
    }
    ADD_FAILURE() << "decoded without error";
    return {};
}

} // namespace

TEST(DataPacketDecode, EveryTruncationIsAnError)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("Name"), FieldType::String, 20));
    packet.addField(FieldDef(QStringLiteral("Summa"), FieldType::Currency));
    packet.addField(FieldDef(QStringLiteral("Flag"), FieldType::Boolean));
    packet.setProperty(QStringLiteral("Provider"), Variant("SmLogProvider"));
    packet.appendRow({Variant("Смена"), Variant(Currency{5}), Variant(true)});
    packet.appendRow({Variant::null(), Variant(Currency{-5}), Variant::null()});
    packet.addChange({RowState::Modified, packet.row(0), {Variant(), Variant("1.5"), Variant()}});
    packet.addChange({RowState::Inserted, {}, packet.row(1)});
    const QByteArray bytes = packet.toBytes();
    ASSERT_EQ(DataPacket::fromBytes(bytes), packet);
    for (qsizetype size = 0; size < bytes.size(); ++size)
        EXPECT_THROW(DataPacket::fromBytes(bytes.left(size)), Exception) << "prefix of " << size << " bytes";
}

TEST(DataPacketDecode, HeaderIsChecked)
{
    QByteArray bytes = DataPacket().toBytes();
    QByteArray wrongMagic = bytes;
    wrongMagic[0] = 'X';
    EXPECT_TRUE(decodeError(wrongMagic).contains(QStringLiteral("not a data packet")));

    QByteArray future = bytes;
    future[4] = 2;
    EXPECT_EQ(decodeError(future), QStringLiteral("Unsupported data packet version 2 (supported: 1)"));

    QByteArray flags = bytes;
    flags[6] = 0x02;
    EXPECT_TRUE(decodeError(flags).contains(QStringLiteral("unknown flags")));

    EXPECT_TRUE(decodeError(bytes + QByteArray(1, '\0')).contains(QStringLiteral("1 bytes after the end")));
}

TEST(DataPacketDecode, LyingCountsFailBeforeAllocating)
{
    QByteArray rows = oneFieldPacket(FieldType::Int32, {}).toBytes();
    putU32(rows, kRowCountOffset, 0xFFFFFFFFu);
    EXPECT_TRUE(decodeError(rows).contains(QStringLiteral("row count 4294967295 exceeds")));

    // A count that fits the bytes left but has too few rows behind it.
    QByteArray short_ = oneFieldPacket(FieldType::Int32, {Variant(1)}).toBytes();
    putU32(short_, kRowCountOffset, 3);
    EXPECT_TRUE(decodeError(short_).contains(QStringLiteral("truncated")));

    QByteArray fields = DataPacket().toBytes();
    putU32(fields, 12, 0x7FFFFFFFu);
    EXPECT_TRUE(decodeError(fields).contains(QStringLiteral("field count")));

    QByteArray properties = DataPacket().toBytes();
    putU32(properties, 8, 0xFFFFFFFFu);
    EXPECT_TRUE(decodeError(properties).contains(QStringLiteral("property count")));

    // Rows of a packet without fields would cost nothing to promise.
    QByteArray noFields = DataPacket().toBytes();
    putU32(noFields, 16, 1000000);
    EXPECT_FALSE(decodeError(noFields).isEmpty());
}

TEST(DataPacketDecode, LyingTextLengthIsCaught)
{
    QByteArray bytes = oneFieldPacket(FieldType::String, {Variant("abc")}).toBytes();
    const int lengthOffset = kFirstRowOffset + 1; // after the null bitmap
    putU32(bytes, lengthOffset, 8); // three bytes of text and four of the change count follow
    EXPECT_TRUE(decodeError(bytes).contains(QStringLiteral("text value")));
    putU32(bytes, lengthOffset, 0xFFFFFFF0u);
    EXPECT_TRUE(decodeError(bytes).contains(QStringLiteral("truncated")));

    QByteArray badUtf8 = oneFieldPacket(FieldType::String, {Variant("ab")}).toBytes();
    badUtf8[lengthOffset + 4] = static_cast<char>(0xC3); // a lead byte without its follower
    EXPECT_TRUE(decodeError(badUtf8).contains(QStringLiteral("not valid UTF-8")));
}

TEST(DataPacketDecode, ValuesAFieldCannotHoldAreRefused)
{
    QByteArray boolean = oneFieldPacket(FieldType::Boolean, {Variant(true)}).toBytes();
    boolean[kFirstRowOffset + 1] = 2;
    EXPECT_TRUE(decodeError(boolean).contains(QStringLiteral("Boolean value 2")));

    for (double bad : {std::numeric_limits<double>::quiet_NaN(), std::numeric_limits<double>::infinity(), 1e300,
                       -700000.0}) {
        QByteArray date = oneFieldPacket(FieldType::DateTime, {Variant::fromDate(1.0)}).toBytes();
        const auto bits = std::bit_cast<std::uint64_t>(bad);
        putU32(date, kFirstRowOffset + 1, static_cast<std::uint32_t>(bits));
        putU32(date, kFirstRowOffset + 5, static_cast<std::uint32_t>(bits >> 32));
        EXPECT_TRUE(decodeError(date).contains(QStringLiteral("Date value out of range"))) << bad;
    }

    // Bits of the null bitmap past the last field.
    QByteArray bitmap = oneFieldPacket(FieldType::Int32, {Variant(5)}).toBytes();
    bitmap[kFirstRowOffset] = 0x02;
    EXPECT_TRUE(decodeError(bitmap).contains(QStringLiteral("past the last field")));
}

TEST(DataPacketDecode, FieldDefinitionsAreChecked)
{
    QByteArray type = oneFieldPacket(FieldType::Int32, {}).toBytes();
    type[kFieldTypeOffset] = 99;
    EXPECT_TRUE(decodeError(type).contains(QStringLiteral("Unknown type 99 of field 'A'")));
    type[kFieldTypeOffset] = 0;
    EXPECT_TRUE(decodeError(type).contains(QStringLiteral("Unknown type 0")));

    QByteArray size = oneFieldPacket(FieldType::Int32, {}).toBytes();
    putU32(size, kFieldTypeOffset + 1, 0xFFFFFFFFu);
    EXPECT_TRUE(decodeError(size).contains(QStringLiteral("Negative size")));

    QByteArray precision = oneFieldPacket(FieldType::FmtBcd, {}).toBytes();
    precision[kFieldTypeOffset + 5] = 19;
    EXPECT_TRUE(decodeError(precision).contains(QStringLiteral("Precision or scale")));

    QByteArray flags = oneFieldPacket(FieldType::Int32, {}).toBytes();
    flags[kFieldTypeOffset + 7] = static_cast<char>(0x80);
    EXPECT_TRUE(decodeError(flags).contains(QStringLiteral("Unknown flags")));

    // Two fields whose names differ only in case.
    DataPacket two;
    two.addField(FieldDef(QStringLiteral("ab"), FieldType::Int32));
    two.addField(FieldDef(QStringLiteral("cd"), FieldType::Int32));
    QByteArray duplicate = two.toBytes();
    const qsizetype second = duplicate.indexOf("cd");
    duplicate[second] = 'A';
    duplicate[second + 1] = 'B';
    EXPECT_TRUE(decodeError(duplicate).contains(QStringLiteral("Duplicate field name 'AB'")));
}

TEST(DataPacketDecode, ChangeLogEntriesAreChecked)
{
    DataPacket packet = oneFieldPacket(FieldType::Int32, {});
    packet.addChange({RowState::Modified, {Variant(1)}, {Variant()}});
    const QByteArray good = packet.toBytes();
    ASSERT_EQ(DataPacket::fromBytes(good).changes().size(), 1);
    // Layout after the empty rows: change count, state, original (bitmap, value), changed bitmap, new bitmap.
    const int state = kFirstRowOffset + 4;

    QByteArray badState = good;
    badState[state] = 4;
    EXPECT_TRUE(decodeError(badState).contains(QStringLiteral("Unknown row state 4")));

    QByteArray nullUnchanged = good;
    nullUnchanged[state + 1 + 1 + 4 + 1] = 0x01;
    EXPECT_TRUE(decodeError(nullUnchanged).contains(QStringLiteral("Unchanged field 'A' marked Null")));

    QByteArray lying = good;
    putU32(lying, state - 4, 1000);
    EXPECT_TRUE(decodeError(lying).contains(QStringLiteral("change count")));
}

TEST(DataPacketDecode, PropertyValuesAreCheckedByTheVariantReader)
{
    DataPacket packet;
    packet.setProperty(QStringLiteral("P"), Variant(1));
    QByteArray bytes = packet.toBytes();
    // The property's type tag follows its name (count 4, "P").
    bytes[8 + 4 + 4 + 1] = static_cast<char>(0x7E);
    EXPECT_THROW(DataPacket::fromBytes(bytes), EVariantError);
}

TEST(ByteReader, CountsAndSizesAreCheckedAgainstWhatRemains)
{
    const QByteArray bytes = QByteArray::fromHex("05000000" "41424344");
    ByteReader in(bytes, "Test data");
    EXPECT_THROW(in.count("entry", 1), EProtocolError);
    in.setPos(0);
    EXPECT_EQ(in.count("entry", 0), 5u);
    EXPECT_THROW(in.bytes(5, "body"), EProtocolError);
    EXPECT_EQ(in.pos(), 4); // a failed read consumes nothing
    EXPECT_EQ(in.bytes(4, "body"), QByteArrayView("ABCD"));
    EXPECT_TRUE(in.atEnd());
    try {
        in.u8("tail");
        FAIL() << "read past the end";
    } catch (const EProtocolError& error) {
        EXPECT_EQ(error.message(), QStringLiteral("Test data is truncated at byte 8 (tail)"));
    }
}

TEST(DataPacketDecode, NullCellsCannotExpandPastTheCellLimits)
{
    // Every row of 4096 Null fields costs 512 bytes here and far more in memory.
    DataPacket wide;
    for (int i = 0; i < DataPacket::kMaxFields; ++i)
        wide.addField(FieldDef(QStringLiteral("F%1").arg(i), FieldType::String, 10));
    const QByteArray empty = wide.toBytes();
    const qsizetype rowCountOffset = empty.size() - 8;
    const std::uint32_t bitmap = DataPacket::kMaxFields / 8;

    const auto rowsBeyond = static_cast<std::uint32_t>(DataPacket::kMaxCells / DataPacket::kMaxFields + 1);
    QByteArray rows = empty.left(rowCountOffset + 4) + QByteArray(qsizetype{rowsBeyond} * bitmap, '\0')
        + QByteArray(4, '\0');
    putU32(rows, static_cast<int>(rowCountOffset), rowsBeyond);
    EXPECT_TRUE(decodeError(rows).contains(QStringLiteral("exceed the limit"))) << decodeError(rows).toStdString();

    const auto changesBeyond = static_cast<std::uint32_t>(DataPacket::kMaxChangeCells / (2 * DataPacket::kMaxFields) + 1);
    QByteArray changes = empty + QByteArray(qsizetype{changesBeyond} * (1 + bitmap), '\0');
    putU32(changes, static_cast<int>(rowCountOffset + 4), changesBeyond);
    EXPECT_TRUE(decodeError(changes).contains(QStringLiteral("changes of 4096 fields exceed the limit")));
}
