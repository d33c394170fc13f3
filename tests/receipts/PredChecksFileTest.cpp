// PredChecks.txt as the station's report engine reads it: a template stored
// on one line with TABs for its line breaks, the flags choosing a payment
// type's own template or the common one.
#include "plugin/receipts/template/PredChecksFile.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "tests/support/TestEnv.h"

#include "common/Codecs.h"

#include <QStringList>
#include <gtest/gtest.h>

namespace velta::receipts {
namespace {

using velta::test::TestEnv;

const QString kThreeLines = QStringLiteral("@ИТОГО: <#Summa(10.2)>\r\nКассир <#Kassir(16)>\r\nСПАСИБО");

TEST(ReceiptPredChecksFile, TemplateIsStoredOnOneLineWithTabsAndReadBackWithCrLf)
{
    TestEnv env;
    const PredChecksFile file(env.path(QStringLiteral("PredChecks.txt")));
    file.writeTemplate(4, kThreeLines);
    file.writeTemplate(kCommonTemplate, QStringLiteral("a\nb")); // bare line feeds become CR LF on reading

    const QString stored = codec::fromCp1251(velta::test::readFileBytes(file.path()));
    const QStringList storedLines = stored.split(QStringLiteral("\r\n"), Qt::SkipEmptyParts);
    const QString expectedLine = QStringLiteral("TOVARNCHECK=@ИТОГО: <#Summa(10.2)>\tКассир <#Kassir(16)>\tСПАСИБО");
    EXPECT_TRUE(storedLines.contains(QStringLiteral("[VO4]"))) << stored.toStdString();
    EXPECT_TRUE(storedLines.contains(QStringLiteral("[VO-1]"))) << stored.toStdString();
    EXPECT_TRUE(storedLines.contains(expectedLine)) << stored.toStdString();
    EXPECT_EQ(stored.count(QLatin1Char('\t')), 3);

    EXPECT_EQ(file.readTemplate(4), kThreeLines);
    EXPECT_EQ(PredChecksFile(file.path()).readTemplate(kCommonTemplate), QStringLiteral("a\r\nb"));
    EXPECT_EQ(file.readTemplate(9), QString()) << "nothing stored";
}

TEST(ReceiptPredChecksFile, TemplateForAPaymentTypeIsItsOwnOnlyWithFlagOne)
{
    TestEnv env;
    const PredChecksFile file(env.path(QStringLiteral("PredChecks.txt")));
    const QString common = QStringLiteral("общий\r\n<#Summa>");
    const QString own = QStringLiteral("свой\r\n<#CNT>");
    file.writeTemplate(kCommonTemplate, common);
    for (int code : {4, 8, 9})
        file.writeTemplate(code, own);
    file.writeOwnTemplateFlag(4, 1);
    file.writeOwnTemplateFlag(8, 0);
    // 9 has no flag at all; 5 has a flag but no template of its own.
    file.writeOwnTemplateFlag(5, 1);

    EXPECT_EQ(file.ownTemplateFlag(9), 0);
    EXPECT_EQ(file.templateFor(4), own);
    EXPECT_EQ(file.templateFor(8), common);
    EXPECT_EQ(file.templateFor(9), common);
    EXPECT_EQ(file.templateFor(5), QString());

    const QString stored = codec::fromCp1251(velta::test::readFileBytes(file.path()));
    EXPECT_TRUE(stored.contains(QStringLiteral("[TovCheckOnVidOpl]\r\nVO4=1\r\nVO8=0\r\nVO5=1\r\n")))
        << stored.toStdString();
}

TEST(ReceiptPredChecksFile, FirstWriteMakesTheFolderAndFlagsGoInOneWrite)
{
    // A fresh machine has no C:\DEXE yet: the first template or flag makes it.
    TestEnv env;
    const PredChecksFile file(env.path(QStringLiteral("C/DEXE/PredChecks.txt")));
    file.writeOwnTemplateFlags({{4, 1}, {8, 0}, {9, 1}});
    EXPECT_EQ(file.ownTemplateFlag(4), 1);
    EXPECT_EQ(file.ownTemplateFlag(8), 0);
    EXPECT_EQ(file.ownTemplateFlag(9), 1);
    const PredChecksFile other(env.path(QStringLiteral("S/DEXE/PredChecks.txt")));
    other.writeTemplate(kCommonTemplate, kThreeLines);
    EXPECT_EQ(other.templateFor(7), kThreeLines);
}

} // namespace
} // namespace velta::receipts
