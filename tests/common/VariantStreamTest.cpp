#include "common/Exception.h"
#include "common/Variant.h"

#include <gtest/gtest.h>

#include <limits>
#include <random>

using namespace velta;

namespace {

QString variantErrorOf(QByteArrayView bytes)
{
    try {
        deserializeVariant(bytes);
    } catch (const EVariantError& e) {
        return e.message();
    }
    return QString();
}

Variant nested(int depth)
{
    Variant v("leaf");
    for (int i = 0; i < depth; ++i)
        v = Variant(Variant::Array{v});
    return v;
}

// A value with every type, nested arrays and awkward texts.
Variant sample()
{
    QString awkward = QStringLiteral("Счёт №1 ") + QString::fromUcs4(U"\U0001F600");
    awkward.append(QChar(0xDC00)); // a lone surrogate must survive too
    return Variant(Variant::Array{
        Variant(), Variant::null(), Variant(std::int8_t{-5}), Variant(std::uint8_t{200}),
        Variant(std::int16_t{-300}), Variant(std::uint16_t{60000}), Variant(-70000), Variant(3000000000u),
        Variant(-5000000000LL), Variant(0.25f), Variant(-1.0 / 3.0), Variant::fromDate(45000.75),
        Variant(Currency{-123456}), Variant(true), Variant(false), Variant(QString()), Variant(awkward),
        Variant::makeArray(0),
        Variant(Variant::Array{Variant(1), Variant(Variant::Array{Variant("deep"), Variant(2.5)})}),
    });
}

} // namespace

TEST(VariantStream, EveryTypeRoundTrips)
{
    const Variant value = sample();
    const Variant back = deserializeVariant(serializeVariant(value));
    EXPECT_EQ(back, value);
    ASSERT_EQ(back.arrayCount(), value.arrayCount());
    for (int i = 0; i < value.arrayCount(); ++i)
        EXPECT_EQ(back.at(i).type(), value.at(i).type()) << i;
}

TEST(VariantStream, SimpleValuesAtTopLevel)
{
    for (const Variant& v : {Variant(), Variant::null(), Variant(std::numeric_limits<long long>::max()),
                             Variant(std::nan("")), Variant("x")})
        EXPECT_EQ(deserializeVariant(serializeVariant(v)), v);
}

TEST(VariantStream, LayoutIsLittleEndianWithVersionAndTag)
{
    EXPECT_EQ(serializeVariant(Variant(123)), QByteArray::fromHex("01037b000000"));
    EXPECT_EQ(serializeVariant(Variant(true)), QByteArray::fromHex("010bffff"));
    EXPECT_EQ(serializeVariant(Variant("Ab")), QByteArray::fromHex("01080200000041006200"));
    EXPECT_EQ(serializeVariant(Variant(Variant::Array{Variant()})), QByteArray::fromHex("010c0100000000"));
}

TEST(VariantStream, SequentialReadsAdvanceThePosition)
{
    QByteArray buffer("hdr");
    appendVariant(buffer, Variant(7));
    appendVariant(buffer, Variant("два"));
    qsizetype pos = 3;
    EXPECT_EQ(readVariant(buffer, pos), Variant(7));
    EXPECT_EQ(readVariant(buffer, pos), Variant("два"));
    EXPECT_EQ(pos, buffer.size());
    EXPECT_THROW(readVariant(buffer, pos), EVariantError);
    EXPECT_EQ(pos, buffer.size());
}

TEST(VariantStream, FailedReadLeavesPositionUnchanged)
{
    QByteArray buffer;
    appendVariant(buffer, Variant(Variant::Array{Variant(1), Variant(2)}));
    buffer.chop(1);
    qsizetype pos = 0;
    EXPECT_THROW(readVariant(buffer, pos), EVariantError);
    EXPECT_EQ(pos, 0);
    pos = -1;
    EXPECT_THROW(readVariant(buffer, pos), EVariantError);
    pos = buffer.size() + 1;
    EXPECT_THROW(readVariant(buffer, pos), EVariantError);
}

TEST(VariantStream, EveryTruncationIsDetected)
{
    const QByteArray full = serializeVariant(sample());
    for (qsizetype length = 0; length < full.size(); ++length)
        EXPECT_THROW(deserializeVariant(QByteArrayView(full).first(length)), EVariantError) << length;
}

TEST(VariantStream, MalformedHeadersAndTags)
{
    EXPECT_EQ(variantErrorOf(QByteArrayView()), QStringLiteral("Variant data is truncated"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("0203")), QStringLiteral("Unsupported variant data version 2"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("0109")), QStringLiteral("Unknown variant type tag 9"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("01ff")), QStringLiteral("Unknown variant type tag 255"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("01037b000000ff")),
              QStringLiteral("Variant data has 1 bytes after the value"));
}

TEST(VariantStream, LyingCountsAreRejectedBeforeAllocating)
{
    // A string of 4 billion characters and an array of 4 billion elements,
    // each followed by a few bytes only.
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("0108ffffffff41004200")), QStringLiteral("Variant data is truncated"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("010cffffffff0000")), QStringLiteral("Variant data is truncated"));
    // The count is refused before any element is read (element 1 has a bad tag).
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("010cffffffff0009")), QStringLiteral("Variant data is truncated"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("010c0300000000")), QStringLiteral("Variant data is truncated"));
    // An odd byte count cannot hold whole UTF-16 units.
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("010802000000410042")), QStringLiteral("Variant data is truncated"));
}

TEST(VariantStream, NestingIsLimited)
{
    const Variant deepest = nested(kMaxVariantNesting);
    EXPECT_EQ(deserializeVariant(serializeVariant(deepest)), deepest);

    const Variant tooDeep = nested(kMaxVariantNesting + 1);
    QByteArray out;
    try {
        appendVariant(out, tooDeep);
        ADD_FAILURE() << "a value too deep to read was written";
    } catch (const EVariantError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Variant data is nested too deeply"));
    }
    EXPECT_TRUE(out.isEmpty());

    // Built by hand, as a writer without the limit would: one level more fails.
    const auto packet = [](int arrays) {
        QByteArray bytes(1, '\x01');
        for (int i = 0; i < arrays; ++i)
            bytes.append(QByteArray::fromHex("0c01000000"));
        bytes.append('\0');
        return bytes;
    };
    EXPECT_NO_THROW(deserializeVariant(packet(kMaxVariantNesting)));
    EXPECT_EQ(variantErrorOf(packet(kMaxVariantNesting + 1)), QStringLiteral("Variant data is nested too deeply"));

    // A hostile packet of a hundred thousand nested one-element arrays.
    EXPECT_EQ(variantErrorOf(packet(100000)), QStringLiteral("Variant data is nested too deeply"));
}

TEST(VariantStream, CorruptedPacketsFailCleanly)
{
    const QByteArray original = serializeVariant(sample());
    std::mt19937 random(20240611u); // fixed seed: the same packets on every run
    int rejected = 0;
    for (int round = 0; round < 3000; ++round) {
        QByteArray packet = original;
        const int changes = 1 + static_cast<int>(random() % 4);
        for (int c = 0; c < changes; ++c)
            packet[static_cast<qsizetype>(random() % packet.size())] = static_cast<char>(random() & 0xFF);
        try {
            deserializeVariant(packet);
        } catch (const EVariantError&) {
            ++rejected;
        }
    }
    // Most corruptions hit a tag or a count; some only change a value's bytes.
    EXPECT_GT(rejected, 0);
}

TEST(VariantStream, ByteArraysKeepEveryByte)
{
    QByteArray bytes;
    for (int b = 0; b < 256; ++b)
        bytes.append(static_cast<char>(b));
    const Variant blob(bytes);
    const Variant back = deserializeVariant(serializeVariant(Variant(Variant::Array{blob, Variant(QByteArray())})));
    EXPECT_EQ(back.at(0).type(), VarType::ByteArray);
    EXPECT_EQ(back.at(0).toByteArray(), bytes);
    EXPECT_TRUE(back.at(1).toByteArray().isEmpty());
    EXPECT_EQ(serializeVariant(Variant(QByteArray("\x00\xff", 2))), QByteArray::fromHex("01310200000000ff"));
    EXPECT_EQ(variantErrorOf(QByteArray::fromHex("0131ffffff7f00")), QStringLiteral("Variant data is truncated"));
}
