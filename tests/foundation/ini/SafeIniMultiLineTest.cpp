// Values of any length and with line breaks, spread over several keys.
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "tests/support/TestEnv.h"

#include <gtest/gtest.h>

using namespace velta;
using velta::test::readFileBytes;
using velta::test::writeFileBytes;

namespace {

class SafeIniMultiLineTest : public ::testing::Test {
protected:
    test::TestEnv env;
    QString file = env.path(QStringLiteral("cnf.ini"));
    const QString S = QStringLiteral("Reports");

    // The text stored under one key, as the platform reads it.
    QString raw(const QString& key, const QString& def = QStringLiteral("<missing>"))
    {
        QString value;
        IniFileStore::readString(file, S, key, def, 65535, value);
        return value;
    }
    QStringList keys()
    {
        QStringList list;
        IniFileStore::readKeys(file, S, list);
        return list;
    }
};

QString longText(int length)
{
    QString text;
    text.reserve(length);
    for (int i = 0; i < length; ++i)
        text += QChar(u'a' + i % 26);
    return text;
}

} // namespace

TEST_F(SafeIniMultiLineTest, SeventyThousandCharactersGoToTwoPiecesAndReadBackWhole)
{
    const QString value = longText(70000);
    TSafeIniFile(file).WriteString(S, QStringLiteral("Big"), value);

    EXPECT_EQ(keys(), (QStringList{QStringLiteral("Big"), QStringLiteral("Big__$Count"), QStringLiteral("Big__$Hash"),
                                   QStringLiteral("Big__$Line2")}));
    EXPECT_EQ(raw(QStringLiteral("Big")), value.left(65532));
    EXPECT_EQ(raw(QStringLiteral("Big__$Count")), QStringLiteral("2"));
    EXPECT_EQ(raw(QStringLiteral("Big__$Hash")), QString::number(MultiLineHash(value.left(65532))));
    EXPECT_EQ(raw(QStringLiteral("Big__$Line2")).size(), 4468);
    EXPECT_EQ(TSafeIniFile(file).ReadString(S, QStringLiteral("Big"), QString()), value);
}

TEST_F(SafeIniMultiLineTest, ShortValueLooksLikeAnOrdinaryValue)
{
    TSafeIniFile(file).WriteString(S, QStringLiteral("k"), QStringLiteral("a\nb"));
    EXPECT_EQ(readFileBytes(file), QByteArray("[Reports]\r\nk=a<@\\n@>b\r\n"));
    writeFileBytes(file, "[Reports]\r\nplain=hand written value\r\n");
    EXPECT_EQ(TSafeIniFile(file).ReadString(S, QStringLiteral("plain"), QString()),
              QStringLiteral("hand written value"));
}

TEST_F(SafeIniMultiLineTest, LineBreaksReadBackAsCrLfWhateverTheWriterUsed)
{
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("lf"), QStringLiteral("one\ntwo\n"));
    ini.WriteString(S, QStringLiteral("crlf"), QStringLiteral("one\r\ntwo\r\n"));
    ini.WriteString(S, QStringLiteral("cr"), QStringLiteral("\r\r"));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("lf"), QString()), QStringLiteral("one\r\ntwo\r\n"));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("crlf"), QString()), QStringLiteral("one\r\ntwo\r\n"));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("cr"), QStringLiteral("def")), QString());
    EXPECT_EQ(raw(QStringLiteral("cr")), QString());
}

TEST_F(SafeIniMultiLineTest, BlanksAndQuotesAtTheEndsAreProtectedByQuotes)
{
    TSafeIniFile ini(file);
    const QStringList values = {QStringLiteral(" both "), QStringLiteral("\"quoted\""), QStringLiteral("\"open"),
                                QStringLiteral("tab\t"), QStringLiteral("in \"the\" middle")};
    for (int i = 0; i < values.size(); ++i)
        ini.WriteString(S, QStringLiteral("v%1").arg(i), values[i]);
    EXPECT_EQ(readFileBytes(file), QByteArray("[Reports]\r\nv0=\" both \"\r\nv1=\"\"quoted\"\"\r\nv2=\"\"open\"\r\n"
                                              "v3=\"tab\t\"\r\nv4=in \"the\" middle\r\n"));
    for (int i = 0; i < values.size(); ++i)
        EXPECT_EQ(ini.ReadString(S, QStringLiteral("v%1").arg(i), QString()), values[i]);
}

TEST_F(SafeIniMultiLineTest, EveryPieceIsQuotedOnItsOwn)
{
    // The second piece starts with a blank: only its own quotes keep it.
    const QString value = longText(65532) + QStringLiteral("  tail ");
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("k"), value);
    EXPECT_EQ(raw(QStringLiteral("k__$Line2")), QStringLiteral("  tail "));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("k"), QString()), value);
}

TEST_F(SafeIniMultiLineTest, MarkerIsNeverSplitAcrossPieces)
{
    const QString value = longText(65530) + QStringLiteral("\nend");
    const QStringList pieces = TSafeIniFile::SplitIntoPieces(value);
    ASSERT_EQ(pieces.size(), 2);
    EXPECT_EQ(pieces[0].size(), 65530);
    EXPECT_EQ(pieces[1], QStringLiteral("<@\\n@>end"));
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("k"), value);
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("k"), QString()), longText(65530) + QStringLiteral("\r\nend"));
}

TEST_F(SafeIniMultiLineTest, ExactlyOnePieceNeedsNoContinuationKeys)
{
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("k"), longText(65532));
    EXPECT_EQ(keys(), QStringList{QStringLiteral("k")});
    ini.WriteString(S, QStringLiteral("k"), longText(65533));
    EXPECT_EQ(raw(QStringLiteral("k__$Line2")), QString(longText(65533).back()));
    EXPECT_EQ(raw(QStringLiteral("k__$Count")), QStringLiteral("2"));
}

TEST_F(SafeIniMultiLineTest, ShortValueAfterLongRemovesAllContinuationKeys)
{
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("Other"), QStringLiteral("kept"));
    ini.WriteString(S, QStringLiteral("k"), longText(200000)); // four pieces
    EXPECT_EQ(raw(QStringLiteral("k__$Count")), QStringLiteral("4"));
    ini.WriteString(S, QStringLiteral("k"), QStringLiteral("short"));
    EXPECT_EQ(keys(), (QStringList{QStringLiteral("Other"), QStringLiteral("k")}));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("k"), QString()), QStringLiteral("short"));
}

TEST_F(SafeIniMultiLineTest, HandEditedMainLineIsReadAlone)
{
    TSafeIniFile(file).WriteString(S, QStringLiteral("k"), longText(70000));
    ASSERT_TRUE(IniFileStore::writeString(file, S, QStringLiteral("k"), QStringLiteral("edited by hand")));
    EXPECT_EQ(TSafeIniFile(file).ReadString(S, QStringLiteral("k"), QString()), QStringLiteral("edited by hand"));
    // A damaged hash is treated the same way.
    TSafeIniFile(file).WriteString(S, QStringLiteral("k"), longText(70000));
    ASSERT_TRUE(IniFileStore::writeString(file, S, QStringLiteral("k__$Hash"), QStringLiteral("not a number")));
    EXPECT_EQ(TSafeIniFile(file).ReadString(S, QStringLiteral("k"), QString()), longText(65532));
}

TEST_F(SafeIniMultiLineTest, AbsurdCountReadsOnlyTheKeysPresent)
{
    // A damaged count with a matching hash must not make the reader spin over a billion keys.
    const QString first = QStringLiteral("head");
    writeFileBytes(file, "[Reports]\r\nk=head\r\nk__$Count=1000000000\r\nk__$Hash="
                             + QByteArray::number(MultiLineHash(first))
                             + "\r\nk__$Line3=C\r\nk__$Line2=B\r\nk__$Line999999999=Z\r\n");
    TSafeIniFile ini(file);
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("k"), QString()), QStringLiteral("headBCZ"));
    ini.DeleteKey(S, QStringLiteral("k"));
    EXPECT_TRUE(keys().isEmpty());
}

TEST_F(SafeIniMultiLineTest, DeleteKeyTakesTheContinuationKeysAlong)
{
    TSafeIniFile ini(file);
    ini.WriteString(S, QStringLiteral("k"), longText(140000));
    ini.WriteString(S, QStringLiteral("kk"), QStringLiteral("neighbour"));
    ini.DeleteKey(S, QStringLiteral("k"));
    EXPECT_EQ(keys(), QStringList{QStringLiteral("kk")});
}

TEST_F(SafeIniMultiLineTest, SingleLineModeKeepsTheFirstPieceOnly)
{
    TSafeIniFile ini(file);
    ini.SingleLineMode = true;
    ini.WriteString(S, QStringLiteral("k"), longText(70000));
    EXPECT_EQ(keys(), QStringList{QStringLiteral("k")});
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("k"), QString()), longText(65532));

    // In single-line mode continuation keys are neither read nor deleted.
    TSafeIniFile multi(file);
    multi.WriteString(S, QStringLiteral("m"), longText(70000));
    EXPECT_EQ(ini.ReadString(S, QStringLiteral("m"), QString()).size(), 65532);
    ini.DeleteKey(S, QStringLiteral("m"));
    EXPECT_EQ(keys(), (QStringList{QStringLiteral("k"), QStringLiteral("m__$Count"), QStringLiteral("m__$Hash"),
                                   QStringLiteral("m__$Line2")}));
}

TEST_F(SafeIniMultiLineTest, CyrillicValueRoundTripsAndIsStoredInCp1251)
{
    const QString value = QStringLiteral("Смена №5\nКассир: Пётр").repeated(4000);
    TSafeIniFile ini(file);
    ini.WriteString(QStringLiteral("Смена"), QStringLiteral("Итог"), value);
    QString expected = value;
    expected.replace(QStringLiteral("\n"), QStringLiteral("\r\n"));
    EXPECT_EQ(ini.ReadString(QStringLiteral("СМЕНА"), QStringLiteral("итог"), QString()), expected);
    EXPECT_TRUE(readFileBytes(file).startsWith("[\xD1\xEC\xE5\xED\xE0]\r\n\xC8\xF2\xEE\xE3=\xD1\xEC\xE5\xED\xE0 \xB9"));
}
