// Field values read from and written into record texts.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/foundation/dbf/DBFValue.h"
#include "plugin/foundation/dbf/MemDBFTable.h"
#include "tests/foundation/dbf/DbfTestFiles.h"

#include <gtest/gtest.h>

using namespace velta;
using velta::test::RawTable;

namespace {

// A one-record table with one field of the given kind holding the text.
class OneField {
public:
    OneField(char letter, int length, int decimals, const QByteArray& text)
    {
        RawTable t;
        t.fields = {{"V", letter, length, decimals}};
        t.records = {text};
        table.LoadFromBytes(t.bytes());
    }
    DbfField& field() { return table.FieldByName("V"); }
    // The field's bytes in the saved file after setting it through the setter.
    template <class Setter> QByteArray written(Setter set)
    {
        table.Edit();
        set(field());
        table.Post();
        const QByteArray file = table.SaveToBytes();
        return file.mid(32 + 32 + 1 + 1, field().Length());
    }
    TMemDBFTable table;
};

} // namespace

TEST(DbfValues, BooleanLetters)
{
    EXPECT_TRUE(OneField('L', 1, 0, "?").field().IsNull());
    EXPECT_TRUE(OneField('L', 1, 0, " ").field().IsNull());
    EXPECT_TRUE(OneField('L', 1, 0, "Y").field().AsBoolean());
    EXPECT_TRUE(OneField('L', 1, 0, "S").field().AsBoolean());
    EXPECT_TRUE(OneField('L', 1, 0, "T").field().AsBoolean());
    OneField no('L', 1, 0, "N");
    EXPECT_FALSE(no.field().IsNull());
    EXPECT_FALSE(no.field().AsBoolean());
    EXPECT_EQ(OneField('L', 1, 0, "F").field().Value(), Variant(false));
}

TEST(DbfValues, Dates)
{
    OneField d('D', 8, 0, "20241231");
    EXPECT_EQ(d.field().AsDateTime(), EncodeDate(2024, 12, 31));
    EXPECT_EQ(d.field().Value().type(), VarType::Date);
    EXPECT_TRUE(OneField('D', 8, 0, "00000000").field().IsNull());
    EXPECT_TRUE(OneField('D', 8, 0, "        ").field().IsNull());
    EXPECT_TRUE(OneField('D', 8, 0, "20230229").field().IsNull());
    EXPECT_TRUE(OneField('D', 8, 0, "2024-1-1").field().IsNull());
    EXPECT_EQ(OneField('D', 8, 0, "20240229").field().AsDateTime(), EncodeDate(2024, 2, 29));
}

TEST(DbfValues, Numbers)
{
    EXPECT_EQ(OneField('N', 6, 0, "   -42").field().AsInteger(), -42);
    EXPECT_EQ(OneField('N', 6, 0, "+7    ").field().AsInteger(), 7);
    EXPECT_TRUE(OneField('N', 6, 0, "      ").field().IsNull());
    EXPECT_TRUE(OneField('N', 6, 0, "******").field().IsNull());
    EXPECT_TRUE(OneField('N', 6, 0, " 1 2  ").field().IsNull());
    EXPECT_TRUE(OneField('N', 6, 0, "  1.5 ").field().IsNull());
    EXPECT_DOUBLE_EQ(OneField('N', 8, 2, "   -0.25").field().AsFloat(), -0.25);
    EXPECT_DOUBLE_EQ(OneField('F', 10, 2, "  1.5E+03").field().AsFloat(), 1500.0);
    EXPECT_TRUE(OneField('N', 8, 2, "    1,50").field().IsNull());
    EXPECT_TRUE(OneField('N', 8, 2, "     inf").field().IsNull());
    EXPECT_TRUE(OneField('N', 8, 2, "     nan").field().IsNull());
    EXPECT_EQ(OneField('N', 8, 2, "   12.34").field().AsCurrency(), Variant::fromCurrencyText("12.34").toCurrency());
}

TEST(DbfValues, LongIntegerFieldsKeepSixtyFourBits)
{
    OneField big('N', 15, 0, "  9876543210123");
    EXPECT_EQ(big.field().AsLargeInt(), 9876543210123LL);
    EXPECT_EQ(big.field().Value(), Variant(9876543210123LL));
    EXPECT_THROW(big.field().AsInteger(), EConvertError);
}

TEST(DbfValues, StringsTrimmedAndConvertedByTheOemSwitch)
{
    const QString word = QStringLiteral("Привет");
    OneField oem('C', 10, 0, codec::toCp866(word));
    EXPECT_EQ(oem.field().AsString(), word);
    EXPECT_EQ(oem.field().Size(), 10);
    oem.table.SetOEM(false);
    EXPECT_NE(oem.field().AsString(), word);

    OneField ansi('C', 10, 0, codec::toCp1251(word) + "  ");
    ansi.table.SetOEM(false);
    EXPECT_EQ(ansi.field().AsString(), word);
    QString reused = QStringLiteral("a much longer text than the field");
    ansi.field().ReadString(reused);
    EXPECT_EQ(reused, word);

    OneField lead('C', 6, 0, "  ab  ");
    EXPECT_EQ(lead.field().AsString(), u"  ab");
    EXPECT_TRUE(OneField('C', 6, 0, "      ").field().IsNull());
}

TEST(DbfValues, WritingStrings)
{
    OneField f('C', 6, 0, "");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsString("ab"); }), "ab    ");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsString("abcdefgh"); }), "abcdef");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsString(QStringLiteral("Ёж")); }), codec::toCp866(QStringLiteral("Ёж")) + "    ");
    f.table.SetOEM(false);
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsString(QStringLiteral("Ёж")); }), codec::toCp1251(QStringLiteral("Ёж")) + "    ");
    EXPECT_EQ(f.written([](DbfField& v) { v.Clear(); }), "      ");
}

TEST(DbfValues, WritingNumbers)
{
    OneField i('N', 5, 0, "");
    EXPECT_EQ(i.written([](DbfField& v) { v.SetAsInteger(42); }), "   42");
    EXPECT_EQ(i.written([](DbfField& v) { v.SetAsInteger(-1234); }), "-1234");
    EXPECT_EQ(i.written([](DbfField& v) { v.SetAsFloat(2.5); }), "    2"); // rounds half to even
    EXPECT_EQ(i.written([](DbfField& v) { v.SetAsString(" 17 "); }), "   17");
    EXPECT_EQ(i.written([](DbfField& v) { v.SetAsString(""); }), "     ");

    OneField f('N', 8, 2, "");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsFloat(3.14159); }), "    3.14");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsFloat(-0.001); }), "    0.00");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetAsInteger(12345); }), "12345.00");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetValue(Variant::fromCurrencyText("0.5")); }), "    0.50");
    EXPECT_EQ(f.written([](DbfField& v) { v.SetValue(Variant::null()); }), "        ");
}

TEST(DbfValues, NumbersThatDoNotFitAreRefusedNotCut)
{
    // Cutting 123456789 to its leftmost five digits would store 12345: a wrong value.
    OneField i('N', 5, 0, "    1");
    i.table.Edit();
    try {
        i.field().SetAsInteger(123456789);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), u"Value 123456789 does not fit field V of length 5");
    }
    EXPECT_THROW(i.field().SetAsInteger(-10000), EDatabaseError);
    i.table.Cancel();
    EXPECT_EQ(i.field().AsInteger(), 1); // the record is unchanged

    OneField f('N', 6, 2, "");
    f.table.Edit();
    EXPECT_THROW(f.field().SetAsFloat(1000.0), EDatabaseError);
    EXPECT_THROW(f.field().SetAsFloat(std::numeric_limits<double>::infinity()), EDatabaseError);
    EXPECT_NO_THROW(f.field().SetAsFloat(999.99));
}

TEST(DbfValues, WritingBooleansAndDates)
{
    OneField b('L', 1, 0, "?");
    EXPECT_EQ(b.written([](DbfField& v) { v.SetAsBoolean(true); }), "T");
    EXPECT_EQ(b.written([](DbfField& v) { v.SetAsString("no"); }), "F");
    b.table.Edit();
    EXPECT_THROW(b.field().SetAsString("maybe"), EConvertError);
    b.table.Cancel();

    OneField d('D', 8, 0, "");
    EXPECT_EQ(d.written([](DbfField& v) { v.SetAsDateTime(EncodeDate(987, 3, 4)); }), "09870304");
    EXPECT_EQ(d.written([](DbfField& v) { v.SetAsDateTime(EncodeDate(2024, 3, 4) + 0.75); }), "20240304");
    EXPECT_EQ(d.written([](DbfField& v) { v.SetValue(Variant::fromDate(EncodeDate(2024, 12, 31))); }), "20241231");
}

TEST(DbfValues, WrongBufferLengthsForBooleanAndDate)
{
    EXPECT_THROW(
        {
            try {
                char buffer[2];
                dbfvalue::encodeBoolean(true, buffer, 2);
            } catch (const EDatabaseError& e) {
                EXPECT_EQ(e.message(), u"Buffer must be 1 char for boolean");
                throw;
            }
        },
        EDatabaseError);
    EXPECT_THROW(
        {
            try {
                char buffer[10];
                dbfvalue::encodeDate(EncodeDate(2024, 1, 1), buffer, 10);
            } catch (const EDatabaseError& e) {
                EXPECT_EQ(e.message(), u"Buffer must be 8 chars for date");
                throw;
            }
        },
        EDatabaseError);
}

TEST(DbfValues, SettingAFieldOutsideEditingIsRefused)
{
    OneField i('N', 5, 0, "    1");
    try {
        i.field().SetAsInteger(2);
        FAIL() << "no error";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), u"Dataset not in edit or insert mode");
    }
}

TEST(DbfValues, MemoFieldsArePresentWithoutData)
{
    OneField m('M', 10, 0, "        12");
    EXPECT_FALSE(m.field().IsNull());
    EXPECT_TRUE(m.field().AsString().isEmpty());
    EXPECT_EQ(m.field().Size(), 10);
    EXPECT_EQ(m.written([](DbfField& v) { v.SetAsInteger(7); }), "         7");
}
