// Reading the file format: header values, descriptors and the refusal of
// damaged or hostile files with the format's error texts.
#include "common/Exception.h"
#include "plugin/foundation/dbf/DBFAccess.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "tests/foundation/dbf/DbfTestFiles.h"

#include <gtest/gtest.h>

#include <functional>

using namespace velta;
using velta::test::RawField;
using velta::test::RawTable;

namespace {

QString readError(const QByteArray& bytes)
{
    try {
        TDBFAccess::Read(bytes);
    } catch (const EDatabaseError& e) {
        return e.message();
    }
    return QStringLiteral("<no error>");
}

RawTable sampleTable()
{
    RawTable t;
    t.fields = {{"NAME", 'C', 10}, {"QTY", 'N', 5}, {"PRICE", 'N', 8, 2}, {"OK", 'L', 1}, {"DAY", 'D', 8}};
    t.records = {"Alpha        12   10.50T20241231", "Beta          3    0.25F00000000"};
    return t;
}

} // namespace

TEST(DbfReader, ReadsHeaderDescriptorsAndOffsets)
{
    RawTable t = sampleTable();
    t.yearByte = 126;
    const TDBFImage image = TDBFAccess::Read(t.bytes());
    EXPECT_EQ(image.Header.Version, 3);
    EXPECT_EQ(image.Header.Year, 2026);
    EXPECT_EQ(image.Header.Month, 6);
    EXPECT_EQ(image.RecordCount, 2);
    ASSERT_EQ(image.Fields.size(), 5);
    EXPECT_EQ(image.Fields[0].Name, u"NAME");
    EXPECT_EQ(image.Fields[0].Offset, 1);
    EXPECT_EQ(image.Fields[1].Offset, 11);
    EXPECT_EQ(image.Fields[1].FieldType, ftInteger);
    EXPECT_EQ(image.Fields[2].FieldType, ftFloat);
    EXPECT_EQ(image.Fields[3].FieldType, ftBoolean);
    EXPECT_EQ(image.Fields[4].FieldType, ftDate);
    EXPECT_EQ(image.Fields[4].Offset, 1 + 10 + 5 + 8 + 1);
}

TEST(DbfReader, YearByteBelow51IsThisCentury)
{
    EXPECT_EQ(TDBFAccess::DecodeYear(26), 2026);
    EXPECT_EQ(TDBFAccess::DecodeYear(50), 2050);
    EXPECT_EQ(TDBFAccess::DecodeYear(51), 1951);
    EXPECT_EQ(TDBFAccess::DecodeYear(126), 2026);
    EXPECT_EQ(TDBFAccess::EncodeYear(2000), 100);
    EXPECT_EQ(TDBFAccess::EncodeYear(2026), 26);
    EXPECT_EQ(TDBFAccess::EncodeYear(1999), 99);
}

TEST(DbfReader, FieldNameStopsAtZeroAndTakesTenCharacters)
{
    RawTable t;
    t.fields = {{QByteArray("ABCDEFGHIJK", 11), 'C', 3}, {QByteArray("AB\0CD", 5), 'C', 2}};
    const TDBFImage image = TDBFAccess::Read(t.bytes());
    EXPECT_EQ(image.Fields[0].Name, u"ABCDEFGHIJ");
    EXPECT_EQ(image.Fields[1].Name, u"AB");
}

TEST(DbfReader, ZeroBytesInRecordsReadAsSpaces)
{
    RawTable t;
    t.fields = {{"NAME", 'C', 4}};
    t.records = {QByteArray("ab\0\0", 4)};
    QByteArray bytes = t.bytes();
    bytes[32 + 32 + 1] = '\0'; // the deletion mark too
    TMemDBFTable table;
    table.LoadFromBytes(bytes);
    EXPECT_FALSE(table.IsDeleted());
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"ab");
}

TEST(DbfReader, VersionKindsAndTexts)
{
    EXPECT_EQ(TDBFAccess::VersionKind(3), 3);
    EXPECT_EQ(TDBFAccess::VersionKind(131), 3);
    EXPECT_EQ(TDBFAccess::VersionKind(4), 5);
    EXPECT_EQ(TDBFAccess::VersionKind(0x8B), 4);
    EXPECT_EQ(TDBFAccess::VersionKind(0x43), 4);
    EXPECT_EQ(TDBFAccess::VersionKind(0x30), 5);
    EXPECT_EQ(TDBFAccess::VersionText(3), u"dBase III+");
    EXPECT_EQ(TDBFAccess::VersionText(4), u"dBase IV");
    EXPECT_EQ(TDBFAccess::VersionText(5), u"dBase/Win");
    EXPECT_EQ(TDBFAccess::VersionText(7), u"dBase ?");
    TMemDBFTable closed;
    EXPECT_EQ(closed.VersionText(), u"Unknown");
}

TEST(DbfReader, CodePageComesFromTheLanguageDriverOfDBase4TablesOnly)
{
    RawTable t = sampleTable();
    t.languageDriver = 101;
    TMemDBFTable table;
    table.LoadFromBytes(t.bytes());
    EXPECT_EQ(table.CodePage(), 0); // dBase III+ reports no code page
    t.version = 0x04;
    t.languageDriver = 201;
    table.LoadFromBytes(t.bytes());
    EXPECT_EQ(table.VersionText(), u"dBase/Win");
    EXPECT_EQ(table.CodePage(), 1251);
    t.languageDriver = 77;
    table.LoadFromBytes(t.bytes());
    EXPECT_EQ(table.CodePage(), 0);
    EXPECT_EQ(TDBFAccess::CodePageOfDriver(101), 866);
    EXPECT_EQ(TDBFAccess::CodePageOfDriver(104), 895);
}

TEST(DbfReaderBadInput, VersionByteOutsideTheRange)
{
    RawTable t = sampleTable();
    t.version = 2;
    EXPECT_EQ(readError(t.bytes()), u"Incorrect DBF file");
    t.version = 246;
    EXPECT_EQ(readError(t.bytes()), u"Incorrect DBF file");
    t.version = 245;
    EXPECT_EQ(readError(t.bytes()), u"<no error>");
}

TEST(DbfReaderBadInput, TruncatedFiles)
{
    const QByteArray whole = sampleTable().bytes();
    EXPECT_EQ(readError(QByteArray()), u"Incorrect DBF file");
    EXPECT_EQ(readError(whole.left(1)), u"Incorrect DBF file");
    EXPECT_EQ(readError(whole.left(31)), u"Incorrect DBF file");
    EXPECT_EQ(readError(whole.left(100)), u"Incorrect DBF file"); // inside the descriptors
    // Cut inside the last record; dropping only the end mark is still whole.
    EXPECT_EQ(readError(whole.left(whole.size() - 2)), u"Incorrect DBF file");
    EXPECT_EQ(readError(whole.left(whole.size() - 1)), u"<no error>");
}

TEST(DbfReaderBadInput, RecordCountLargerThanTheFile)
{
    const RawTable t = sampleTable();
    EXPECT_EQ(readError(t.bytes(3)), u"Incorrect DBF file");
    // Large enough to overflow a 32-bit product of count and size.
    EXPECT_EQ(readError(t.bytes(0xFFFFFFFFLL)), u"Incorrect DBF file");
    EXPECT_EQ(readError(t.bytes(1000000001LL, -1, 1)), u"Incorrect DBF file");
}

TEST(DbfReaderBadInput, TooManyFieldsOrTooLongRecords)
{
    RawTable many;
    for (int i = 0; i < 129; ++i)
        many.fields.append({QByteArray("F") + QByteArray::number(i), 'C', 1});
    EXPECT_EQ(readError(many.bytes()), u"Access out of range");
    many.fields.removeLast();
    EXPECT_EQ(readError(many.bytes()), u"<no error>");

    RawTable wide;
    wide.fields = {{"A", 'C', 200}};
    EXPECT_EQ(readError(wide.bytes(0, -1, 4001)), u"Access out of range");
    EXPECT_EQ(readError(wide.bytes(0, -1, 4000)), u"<no error>");
}

TEST(DbfReaderBadInput, ZeroRecordSize)
{
    RawTable t;
    t.fields = {{"A", 'C', 1}};
    EXPECT_EQ(readError(t.bytes(0, -1, 0)), u"Wrong record size");
    EXPECT_EQ(readError(t.bytes(5, -1, 0)), u"Wrong record size");
}

TEST(DbfReaderBadInput, HeaderSizeTooSmallForTheHeader)
{
    const RawTable t = sampleTable();
    EXPECT_EQ(readError(t.bytes(-1, 0)), u"Incorrect DBF file");
    EXPECT_EQ(readError(t.bytes(-1, 31)), u"Incorrect DBF file");
    EXPECT_EQ(readError(t.bytes(-1, 65535)), u"Incorrect DBF file");
}

TEST(DbfReaderBadInput, DescriptorsLongerThanTheRecordAreRefused)
{
    RawTable t = sampleTable();
    // Record size 10 while the fields need 33 bytes: reading would run past the record.
    const QString error = readError(t.bytes(-1, -1, 10));
    EXPECT_TRUE(error.startsWith(u"Incorrect DBF file")) << error.toStdString();
}

TEST(DbfReaderBadInput, UnknownTypeLetterNamesTheFieldAndItsCode)
{
    RawTable t;
    t.fields = {{"GOOD", 'C', 2}, {"ODD", 'X', 2}};
    EXPECT_EQ(readError(t.bytes()), u"Wrong field definition - ODD: 88");
}

TEST(DbfReaderBadInput, DescriptorLengthAndDecimalChecks)
{
    struct Case {
        RawField field;
        bool ok;
    };
    const Case cases[] = {
        {{"S", 'C', 10, 1}, false},  {{"S", 'C', 255}, true},
        {{"I", 'N', 31}, false},     {{"I", 'N', 30}, true},
        {{"L", 'L', 2}, false},      {{"L", 'L', 1, 1}, false},
        {{"F", 'N', 10, 9}, false},  {{"F", 'N', 10, 8}, true},
        {{"F", 'F', 31, 2}, false},  {{"F", 'F', 30, 2}, true},
        {{"D", 'D', 7}, false},      {{"D", 'D', 8, 1}, false},
        {{"M", 'M', 4}, false},      {{"M", 'M', 10}, true},
        {{"B", 'B', 10, 1}, false},  {{"O", 'O', 10}, true},
    };
    for (const Case& c : cases) {
        RawTable t;
        t.fields = {c.field};
        EXPECT_EQ(readError(t.bytes()), c.ok ? u"<no error>" : u"Access out of range")
            << c.field.letter << " " << c.field.length << "," << c.field.decimals;
    }
}

TEST(DbfReaderBadInput, PaddedHeaderEndsFieldsAtTheCarriageReturn)
{
    // Some writers leave bytes between the descriptors and the records.
    RawTable t = sampleTable();
    QByteArray bytes = t.bytes();
    const int header = 32 + 32 * 5 + 1;
    bytes.insert(header, QByteArray(263, '\0'));
    const int padded = header + 263;
    bytes[8] = static_cast<char>(padded & 0xFF);
    bytes[9] = static_cast<char>(padded >> 8);
    TMemDBFTable table;
    table.LoadFromBytes(bytes);
    EXPECT_EQ(table.FieldCount(), 5);
    EXPECT_EQ(table.RecordCount(), 2);
    EXPECT_EQ(table.FieldByName("NAME").AsString(), u"Alpha");
}

TEST(DbfReaderBadInput, RandomBytesNeverCrash)
{
    // A deterministic generator: the same bytes on every run.
    std::uint32_t state = 12345;
    auto next = [&state] {
        state = state * 1664525u + 1013904223u;
        return static_cast<char>(state >> 24);
    };
    const QByteArray good = sampleTable().bytes();
    int refused = 0;
    for (int round = 0; round < 2000; ++round) {
        QByteArray bytes = round % 2 ? good : QByteArray(static_cast<int>(state % 300), '\0');
        for (auto& b : bytes)
            if (round % 2 == 0 || (state >> 8) % 23 == 0)
                b = next();
            else
                next();
        try {
            TMemDBFTable table;
            table.LoadFromBytes(bytes);
            for (table.First(); !table.Eof(); table.Next())
                for (int f = 0; f < table.FieldCount(); ++f)
                    table.Fields(f).Value();
        } catch (const Exception&) {
            ++refused;
        }
    }
    EXPECT_GT(refused, 0);
}

TEST(DbfReaderBadInput, FailedOpenLeavesTheTableClosed)
{
    TMemDBFTable table;
    table.LoadFromBytes(sampleTable().bytes());
    RawTable bad = sampleTable();
    bad.version = 1;
    EXPECT_THROW(table.LoadFromBytes(bad.bytes()), EDatabaseError);
    EXPECT_FALSE(table.Active());
    EXPECT_EQ(table.FieldCount(), 0);
    EXPECT_EQ(table.VersionText(), u"Unknown");
}

TEST(DbfReaderBadInput, KeptFuzzInputs)
{
    // The inputs kept under fuzz/dbf/regressions: a field longer than the
    // record, and a record count whose product with the size overflows 32 bits.
    const QByteArray lying = QByteArray::fromHex(
        "037c060f020000004100040000000000000000000000000000000000000000004e414d450000000000000043000000000a"
        "0000000000000000000000000000000d20616263206465661a");
    const QByteArray overflow = QByteArray::fromHex(
        "037c060f010000404100040000000000000000000000000000000000000000004e414d450000000000000043000000000a"
        "0000000000000000000000000000000d206162631a");
    EXPECT_TRUE(readError(lying).startsWith(u"Incorrect DBF file"));
    EXPECT_EQ(readError(overflow), u"Incorrect DBF file");
}
