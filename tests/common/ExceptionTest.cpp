#include "common/Exception.h"

#include <gtest/gtest.h>

using namespace velta;

TEST(Exception, CopyWithNewMessageKeepsClass)
{
    const EIniFileException original(QStringLiteral("inner"));
    const auto copy = original.withMessage(QStringLiteral("outer -> inner"));
    EXPECT_EQ(copy->className(), QStringLiteral("EIniFileException"));
    EXPECT_EQ(copy->message(), QStringLiteral("outer -> inner"));
    EXPECT_THROW(copy->raise(), EIniFileException);
    EXPECT_EQ(original.message(), QStringLiteral("inner"));
}

TEST(Exception, RaiseThroughBaseReferenceKeepsDynamicType)
{
    try {
        const Exception& e = EConvertError(QStringLiteral("bad"));
        e.raise();
    } catch (const EConvertError& e) {
        EXPECT_STREQ(e.what(), "bad");
        return;
    }
    FAIL() << "EConvertError was not raised";
}

TEST(Exception, RaiseByClassName)
{
    EXPECT_THROW(raiseByClassName(QStringLiteral("EDatabaseError"), QStringLiteral("x")), EDatabaseError);
    try {
        raiseByClassName(QStringLiteral("ESomethingElse"), QStringLiteral("message"));
    } catch (const Exception& e) {
        EXPECT_EQ(e.className(), QStringLiteral("Exception"));
        EXPECT_EQ(e.message(), QStringLiteral("message"));
    }
}
