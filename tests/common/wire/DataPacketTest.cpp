// Data packets built in memory and carried through their binary form.
#include "common/DataPacket.h"
#include "common/Exception.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

using namespace velta;

namespace {

Variant money(const char* text)
{
    return Variant::fromCurrencyText(QString::fromLatin1(text));
}

// A field of every type the datasets use, in one packet.
DataPacket everyTypePacket()
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("Name"), FieldType::String, 30, FieldRequired | FieldInUpdate));
    packet.addField(FieldDef(QStringLiteral("Client"), FieldType::Int16));
    packet.addField(FieldDef(QStringLiteral("SmNum"), FieldType::Int32, 0, FieldInKey | FieldInUpdate));
    packet.addField(FieldDef(QStringLiteral("Big"), FieldType::Int64));
    packet.addField(FieldDef(QStringLiteral("Ratio"), FieldType::Float));
    packet.addField(FieldDef(QStringLiteral("Summa"), FieldType::Currency));
    packet.addField(FieldDef(QStringLiteral("MASSA"), FieldType::FmtBcd));
    packet.addField(FieldDef(QStringLiteral("Closed"), FieldType::Boolean));
    packet.addField(FieldDef(QStringLiteral("DOCDATA"), FieldType::Date));
    packet.addField(FieldDef(QStringLiteral("At"), FieldType::Time));
    packet.addField(FieldDef(QStringLiteral("BegTime"), FieldType::DateTime, 0, FieldReadOnly));
    packet.addField(FieldDef(QStringLiteral("OTHER"), FieldType::Memo));
    return packet;
}

} // namespace

TEST(DataPacket, EveryTypeRoundTripsWithItsVariantType)
{
    DataPacket packet = everyTypePacket();
    packet.appendRow({Variant("Иванов И.И."), Variant(std::int16_t{-32768}), Variant(2147483647),
                      Variant(9223372036854775807LL), Variant(0.1), money("12345678901234.5678"),
                      money("-0.0001"), Variant(true), Variant::fromDate(45000.0), Variant::fromDate(0.75),
                      Variant::fromDate(45000.5), Variant("строка\nвторая")});
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());

    ASSERT_EQ(back.rowCount(), 1);
    ASSERT_EQ(back.fields(), packet.fields());
    EXPECT_EQ(back.value(0, 0), Variant("Иванов И.И."));
    EXPECT_EQ(back.value(0, 1).type(), VarType::Int16);
    EXPECT_EQ(back.value(0, 1).toInt(), -32768);
    EXPECT_EQ(back.value(0, 2), Variant(2147483647));
    EXPECT_EQ(back.value(0, 3).toInt64(), std::numeric_limits<std::int64_t>::max());
    EXPECT_EQ(back.value(0, 4).toDouble(), 0.1);
    EXPECT_EQ(back.value(0, 5).type(), VarType::Currency);
    EXPECT_EQ(back.value(0, 5).toCurrency().scaled, 123456789012345678LL);
    EXPECT_EQ(back.value(0, 6).toCurrency().scaled, -1);
    EXPECT_EQ(back.value(0, 7), Variant(true));
    EXPECT_EQ(back.value(0, 8), Variant::fromDate(45000.0));
    EXPECT_EQ(back.value(0, 9), Variant::fromDate(0.75));
    EXPECT_EQ(back.value(0, 10), Variant::fromDate(45000.5));
    EXPECT_EQ(back.value(0, 11).toString(), QStringLiteral("строка\nвторая"));
    EXPECT_EQ(back, packet);
}

TEST(DataPacket, NullsAreKeptPerCellAndDifferFromEmptyText)
{
    DataPacket packet = everyTypePacket();
    QVector<Variant> allNull(packet.fieldCount(), Variant::null());
    packet.appendRow(allNull);
    QVector<Variant> mixed = allNull;
    mixed[0] = Variant(QString());
    mixed[5] = Variant(Currency{0});
    mixed[7] = Variant(false);
    mixed[11] = Variant(); // Empty stores as Null
    packet.appendRow(mixed);

    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    for (int f = 0; f < back.fieldCount(); ++f) {
        EXPECT_TRUE(back.isNull(0, f)) << f;
        EXPECT_TRUE(back.value(0, f).isNull()) << f;
    }
    EXPECT_FALSE(back.isNull(1, 0));
    EXPECT_EQ(back.value(1, 0), Variant(QString()));
    EXPECT_EQ(back.value(1, 5), Variant(Currency{0}));
    EXPECT_EQ(back.value(1, 7), Variant(false));
    EXPECT_TRUE(back.isNull(1, 11));
}

TEST(DataPacket, NullBitmapSpanningSeveralBytes)
{
    // 17 fields: the bitmap takes three bytes, the last one holding one bit.
    DataPacket packet;
    for (int i = 0; i < 17; ++i)
        packet.addField(FieldDef(QStringLiteral("F%1").arg(i), FieldType::Int32));
    for (int r = 0; r < 40; ++r) {
        QVector<Variant> row;
        for (int f = 0; f < 17; ++f)
            row.append((r + f) % 3 == 0 ? Variant::null() : Variant(r * 100 + f));
        packet.appendRow(row);
    }
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    ASSERT_EQ(back.rowCount(), 40);
    for (int r = 0; r < 40; ++r) {
        for (int f = 0; f < 17; ++f) {
            if ((r + f) % 3 == 0)
                EXPECT_TRUE(back.isNull(r, f));
            else
                EXPECT_EQ(back.value(r, f).toInt(), r * 100 + f);
        }
    }
}

TEST(DataPacket, TextSurvivesBeyondCodePage1251)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("ГСМ"), FieldType::String, 100));
    const QString texts[] = {QStringLiteral("АИ-95 «Премиум»"), QStringLiteral("ёЁ №"), QStringLiteral("€ 😀 中文"),
                             QString(QChar(0xFEFF)) + QStringLiteral("bom"), QString(QChar(0)) + QStringLiteral("nul")};
    for (const QString& text : texts)
        packet.appendRow({Variant(text)});
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    for (int i = 0; i < 5; ++i)
        EXPECT_EQ(back.value(i, 0).toString(), texts[i]) << i;
    EXPECT_EQ(back.fieldIndex(QStringLiteral("гсм")), 0);
}

TEST(DataPacket, CurrencyValuesStayExact)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("LITER"), FieldType::Currency));
    const char* amounts[] = {"0.0001", "-0.0001", "12345678901234.5678", "-12345678901234.5678", "0.1", "0.3",
                             "99999999999999.9999"};
    for (const char* amount : amounts)
        packet.appendRow({money(amount)});
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    for (int i = 0; i < 7; ++i)
        EXPECT_EQ(back.value(i, 0), money(amounts[i])) << amounts[i];
    // Binary floats are rounded to four decimals on the way in, never stored as such.
    packet.appendRow({Variant(0.1 + 0.2)});
    EXPECT_EQ(packet.value(7, 0).toCurrency().scaled, 3000);
}

TEST(DataPacket, BcdPrecisionLimitsTheValue)
{
    DataPacket packet;
    FieldDef narrow(QStringLiteral("Dens"), FieldType::FmtBcd);
    narrow.precision = 6; // 0.0000 .. 99.9999
    narrow.scale = 4;
    packet.addField(narrow);
    packet.appendRow({money("99.9999")});
    packet.appendRow({money("-99.9999")});
    EXPECT_THROW(packet.appendRow({money("100")}), EDatabaseError);
    EXPECT_THROW(packet.setValue(0, 0, money("-100")), EDatabaseError);
    EXPECT_EQ(packet.rowCount(), 2);
    EXPECT_EQ(packet.value(0, 0), money("99.9999"));

    // The full width keeps 14 integer digits and 4 decimals.
    DataPacket wide;
    wide.addField(FieldDef(QStringLiteral("MASSA"), FieldType::FmtBcd));
    EXPECT_THROW(wide.appendRow({money("100000000000000")}), EDatabaseError);
}

TEST(DataPacket, ValuesAreConvertedToTheFieldType)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("Op1"), FieldType::Int16));
    packet.addField(FieldDef(QStringLiteral("Date"), FieldType::Date));
    packet.addField(FieldDef(QStringLiteral("Time"), FieldType::Time));
    packet.addField(FieldDef(QStringLiteral("Summa"), FieldType::Currency));
    packet.addField(FieldDef(QStringLiteral("Name"), FieldType::String, 20));

    packet.appendRow({Variant(104), Variant::fromDate(45000.75), Variant::fromDate(-1.25), Variant("12.34"), Variant(7)});
    EXPECT_EQ(packet.value(0, 0).type(), VarType::Int16);
    EXPECT_EQ(packet.value(0, 1), Variant::fromDate(45000.0));
    // Before 30.12.1899 the time is the fraction's absolute value.
    EXPECT_EQ(packet.value(0, 2), Variant::fromDate(0.25));
    EXPECT_EQ(packet.value(0, 3), money("12.34"));
    EXPECT_EQ(packet.value(0, 4), Variant("7"));

    // A bad value leaves the packet without a half-added row.
    EXPECT_THROW(packet.appendRow({Variant(40000), Variant(), Variant(), Variant(), Variant()}), EDatabaseError);
    EXPECT_THROW(packet.appendRow({Variant(1), Variant("not a date"), Variant(), Variant(), Variant()}), Exception);
    EXPECT_THROW(packet.appendRow({Variant(1)}), EDatabaseError);
    EXPECT_EQ(packet.rowCount(), 1);
    EXPECT_EQ(DataPacket::fromBytes(packet.toBytes()), packet);
}

TEST(DataPacket, FieldsAreUniqueWithoutRegardToCase)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("SmNum"), FieldType::Int32));
    EXPECT_THROW(packet.addField(FieldDef(QStringLiteral("SMNUM"), FieldType::Int32)), EDatabaseError);
    EXPECT_THROW(packet.addField(FieldDef(QString(), FieldType::Int32)), EDatabaseError);
    EXPECT_EQ(packet.fieldIndex(QStringLiteral("smnum")), 0);
    EXPECT_EQ(packet.fieldIndex(QStringLiteral("Nope")), -1);
    packet.appendRow({Variant(1)});
    EXPECT_THROW(packet.addField(FieldDef(QStringLiteral("Late"), FieldType::Int32)), EDatabaseError);
    EXPECT_THROW(packet.value(1, 0), EListError);
    EXPECT_THROW(packet.value(0, 1), EListError);
    EXPECT_THROW(packet.field(-1), EListError);
}

TEST(DataPacket, PropertiesAndMoreRowsFlagTravel)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("Trk"), FieldType::String, 10));
    packet.setMoreRows(true);
    packet.setProperty(QStringLiteral("Provider"), Variant("DSPTRKHistory"));
    packet.setProperty(QStringLiteral("Params"), Variant(Variant::Array{Variant("TrkName"), Variant("1")}));
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    EXPECT_TRUE(back.moreRows());
    EXPECT_EQ(back.property(QStringLiteral("Provider")), Variant("DSPTRKHistory"));
    EXPECT_EQ(back.property(QStringLiteral("Params")).at(1), Variant("1"));
    EXPECT_TRUE(back.property(QStringLiteral("Missing")).isEmpty());
    EXPECT_EQ(back.rowCount(), 0);

    DataPacket empty = DataPacket::fromBytes(DataPacket().toBytes());
    EXPECT_EQ(empty.fieldCount(), 0);
    EXPECT_FALSE(empty.moreRows());
    // Without fields there is nothing a row or a change could hold.
    EXPECT_THROW(empty.appendRow({}), EDatabaseError);
    EXPECT_THROW(empty.addChange({RowState::Inserted, {}, {}}), EDatabaseError);
    EXPECT_EQ(empty.rowCount(), 0);
}

TEST(DataPacket, ChangeLogKeepsOriginalsAndOnlyChangedValues)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("ID"), FieldType::Int32, 0, FieldInKey | FieldInUpdate | FieldRequired));
    packet.addField(FieldDef(QStringLiteral("NAME"), FieldType::String, 100));
    packet.addField(FieldDef(QStringLiteral("SUMMA"), FieldType::Currency));

    ChangeEntry modified;
    modified.state = RowState::Modified;
    modified.original = {Variant(7), Variant("ТТН"), money("10.5")};
    modified.values = {Variant(), Variant::null(), money("-0.0001")}; // NAME cleared, SUMMA changed
    ChangeEntry inserted{RowState::Inserted, {}, {Variant(8), Variant("Новый"), Variant::null()}};
    ChangeEntry deleted{RowState::Deleted, {Variant(9), Variant::null(), money("1")}, {}};
    ChangeEntry unmodified{RowState::Unmodified, {Variant(10), Variant("x"), money("2")}, {}};
    for (const ChangeEntry& entry : {modified, inserted, deleted, unmodified})
        packet.addChange(entry);

    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    ASSERT_EQ(back.changes().size(), 4);
    const ChangeEntry& m = back.changes()[0];
    EXPECT_EQ(m.state, RowState::Modified);
    EXPECT_FALSE(m.changed(0));
    EXPECT_TRUE(m.changed(1));
    EXPECT_TRUE(m.values[1].isNull());
    EXPECT_EQ(m.values[2], money("-0.0001"));
    EXPECT_EQ(m.original[1], Variant("ТТН"));
    EXPECT_EQ(back.changes()[1], inserted);
    EXPECT_EQ(back.changes()[2], deleted);
    EXPECT_EQ(back.changes()[3], unmodified);
    EXPECT_EQ(back, packet);
}

TEST(DataPacket, ChangeEntriesOfTheWrongShapeAreRefused)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("ID"), FieldType::Int32));
    EXPECT_THROW(packet.addChange({RowState::Inserted, {Variant(1)}, {Variant(1)}}), EDatabaseError);
    EXPECT_THROW(packet.addChange({RowState::Deleted, {Variant(1)}, {Variant(2)}}), EDatabaseError);
    EXPECT_THROW(packet.addChange({RowState::Modified, {Variant(1)}, {}}), EDatabaseError);
    EXPECT_THROW(packet.addChange({static_cast<RowState>(9), {Variant(1)}, {}}), EDatabaseError);
    EXPECT_TRUE(packet.changes().isEmpty());
}

TEST(DataPacket, ManyRowsRoundTrip)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("INDEXSALE"), FieldType::Int32));
    packet.addField(FieldDef(QStringLiteral("GSMNAME"), FieldType::String, 100));
    packet.addField(FieldDef(QStringLiteral("LITER"), FieldType::Currency));
    const int rows = 20000;
    for (int i = 0; i < rows; ++i)
        packet.appendRow({Variant(i), Variant(i % 2 ? "АИ-92" : "ДТ"), Variant(Currency{i * 10001LL})});
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    ASSERT_EQ(back.rowCount(), rows);
    EXPECT_EQ(back.value(rows - 1, 2), Variant(Currency{(rows - 1) * 10001LL}));
    EXPECT_EQ(back.value(12345, 1), Variant("АИ-92"));
    EXPECT_EQ(back, packet);
}

TEST(DataPacket, BlobsKeepEveryByteAndDifferFromNull)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("FILEDATA"), FieldType::Blob));
    packet.addField(FieldDef(QStringLiteral("OTHER"), FieldType::Memo));
    QByteArray binary;
    for (int i = 0; i < 256; ++i)
        binary.append(static_cast<char>(i));
    const QString longText(200000, QChar(u'ы'));
    packet.appendRow({Variant(binary), Variant(longText)});
    packet.appendRow({Variant(QByteArray()), Variant::null()});
    packet.appendRow({Variant::null(), Variant(QString())});

    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    EXPECT_EQ(back.value(0, 0).type(), VarType::ByteArray);
    EXPECT_EQ(back.value(0, 0).toByteArray(), binary);
    EXPECT_EQ(back.value(0, 1).toString(), longText);
    EXPECT_FALSE(back.isNull(1, 0));
    EXPECT_TRUE(back.value(1, 0).toByteArray().isEmpty());
    EXPECT_TRUE(back.isNull(2, 0));
    EXPECT_FALSE(back.isNull(2, 1));
    // A text is not silently taken for bytes.
    EXPECT_THROW(packet.appendRow({Variant("bytes?"), Variant()}), EVariantError);
}

TEST(DataPacket, TextThatIsNotValidUtf16IsSentWithReplacementCharacters)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("Name"), FieldType::String, 10));
    QString lone = QStringLiteral("a");
    lone.append(QChar(0xD800)); // a high surrogate without its pair
    packet.appendRow({Variant(lone)});
    const DataPacket back = DataPacket::fromBytes(packet.toBytes());
    EXPECT_EQ(back.value(0, 0).toString(), QStringLiteral("a") + QChar(QChar::ReplacementCharacter));
}

namespace {

// The packet's rows written cell by cell, as a producer without a DataPacket does.
QByteArray streamed(const DataPacket& packet, bool moreRows)
{
    DataPacketWriter writer(packet.fields());
    writer.begin();
    for (int r = 0; r < packet.rowCount(); ++r) {
        writer.beginRow();
        for (int f = 0; f < packet.fieldCount(); ++f) {
            const Variant value = packet.value(r, f);
            const FieldType type = packet.field(f).type;
            if (value.isNull())
                writer.nullCell();
            else if (isTextType(type))
                writer.textCell(value.toString());
            else if (type == FieldType::Blob)
                writer.blobCell(value.toByteArray());
            else if (isDoubleType(type))
                writer.realCell(value.toDouble());
            else if (type == FieldType::Currency || type == FieldType::FmtBcd)
                writer.numberCell(value.toCurrency().scaled);
            else
                writer.numberCell(value.toInt64());
        }
        writer.endRow();
    }
    EXPECT_EQ(writer.rowCount(), packet.rowCount());
    return writer.finish(moreRows);
}

} // namespace

TEST(DataPacketWriter, WritesTheSameBytesAsThePacket)
{
    DataPacket packet = everyTypePacket();
    packet.addField(FieldDef(QStringLiteral("Photo"), FieldType::Blob));
    packet.appendRow({Variant("Иванов"), Variant(std::int16_t{-32768}), Variant(-1), Variant(-5'000'000'000LL),
                      Variant(-0.1), money("-12345678901234.5678"), money("0.0001"), Variant(true),
                      Variant::fromDate(45000.0), Variant::fromDate(0.75), Variant::fromDate(45000.5),
                      Variant("строка\nвторая"), Variant(QByteArray("\x00\xFF", 2))});
    packet.appendRow(QVector<Variant>(packet.fieldCount(), Variant::null()));
    packet.appendRow({Variant(QString()), Variant::null(), Variant(0), Variant::null(), Variant(0.0), money("0"),
                      Variant::null(), Variant(false), Variant::null(), Variant::fromDate(0.0), Variant::null(),
                      Variant(QString()), Variant(QByteArray())});
    EXPECT_EQ(streamed(packet, false), packet.toBytes());
    packet.setMoreRows(true);
    EXPECT_EQ(streamed(packet, true), packet.toBytes());
    EXPECT_EQ(DataPacket::fromBytes(streamed(packet, true)), packet);
}

TEST(DataPacketWriter, NullBitmapOfManyFieldsAndNoFieldsAtAll)
{
    DataPacket packet;
    for (int i = 0; i < 17; ++i)
        packet.addField(FieldDef(QStringLiteral("F%1").arg(i), FieldType::Int32));
    for (int r = 0; r < 9; ++r) {
        QVector<Variant> row;
        for (int f = 0; f < 17; ++f)
            row.append((r + f) % 4 == 0 ? Variant::null() : Variant(r * 100 + f));
        packet.appendRow(row);
    }
    EXPECT_EQ(streamed(packet, false), packet.toBytes());
    EXPECT_EQ(streamed(DataPacket(), false), DataPacket().toBytes());
}

TEST(DataPacketWriter, BeginsAfreshAfterFinish)
{
    DataPacket packet;
    packet.addField(FieldDef(QStringLiteral("N"), FieldType::Int32));
    packet.appendRow({Variant(7)});

    DataPacketWriter writer(packet.fields());
    writer.begin();
    for (int i = 0; i < 3; ++i) {
        writer.beginRow();
        writer.numberCell(i);
        writer.endRow();
    }
    writer.finish(true);
    EXPECT_EQ(writer.rowCount(), 0);
    writer.begin();
    writer.beginRow();
    writer.numberCell(7);
    writer.endRow();
    EXPECT_EQ(writer.finish(false), packet.toBytes());
}

TEST(DataPacketWriter, CellsThatDoNotFitTheRowAreRefused)
{
    const QVector<FieldDef> fields{FieldDef(QStringLiteral("Qty"), FieldType::Int32),
                                   FieldDef(QStringLiteral("At"), FieldType::DateTime)};
    DataPacketWriter writer(fields);
    writer.begin();
    writer.beginRow();
    EXPECT_THROW(writer.textCell(u"7"), EProtocolError);

    writer.beginRow();
    writer.numberCell(7);
    try {
        writer.numberCell(45000);
        ADD_FAILURE() << "a number went into a date field";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Field 'At' of type 11 takes no number value"));
    }

    writer.beginRow();
    writer.numberCell(7);
    try {
        writer.endRow();
        ADD_FAILURE() << "a row of one cell for two fields";
    } catch (const EProtocolError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Data packet row has 1 cells for 2 fields"));
    }
    writer.realCell(45000.5);
    EXPECT_THROW(writer.nullCell(), EProtocolError);
    EXPECT_THROW(writer.blobCell("x"), EProtocolError);
}
