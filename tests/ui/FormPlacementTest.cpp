// The form placement store through the registry stand-in: round trips,
// windows kept on the screens, and missing or damaged values.
#include "plugin/ui/FormPlacement.h"
#include "plugin/platform/Registry.h"
#include "tests/support/TestEnv.h"
#include "tests/ui/WidgetTestApp.h"

#include <QDialog>
#include <QDir>
#include <gtest/gtest.h>

using namespace velta;

namespace {

const QList<QRect> kScreen{QRect(0, 0, 1280, 1024)};

class FormPlacementTest : public ::testing::Test {
protected:
    void SetUp() override { test::ensureWidgetApplication(); }

    // Writes a value straight into the window's key, as another program might.
    template <class Write>
    void writeRaw(const QString& key, Write write)
    {
        TRegistry reg(RootKey::CurrentUser);
        ASSERT_TRUE(reg.openKey(key, true));
        write(reg);
    }

    test::TestEnv env;
};

QDialog& placed(QDialog& window, const QRect& rect)
{
    window.move(rect.topLeft());
    window.resize(rect.size());
    return window;
}

} // namespace

TEST_F(FormPlacementTest, PositionAndSizeComeBackUnderTheWindowsSection)
{
    QDialog window;
    window.setObjectName(QStringLiteral("TSmenaListFrm"));
    const FormPlacement placement(window);
    EXPECT_EQ(placement.keyPath(), QStringLiteral("Software\\Norvane\\Velta\\common\\TSmenaListFrm"));
    ASSERT_TRUE(placement.save(placed(window, QRect(100, 120, 640, 480))));

    TRegistry reg(RootKey::CurrentUser);
    ASSERT_TRUE(reg.openKeyReadOnly(QStringLiteral("Software\\Norvane\\Velta\\common\\TSmenaListFrm")));
    EXPECT_EQ(reg.readInteger(QStringLiteral("Width")), 640);

    QDialog other;
    other.setObjectName(QStringLiteral("TSmenaListFrm"));
    ASSERT_TRUE(FormPlacement(other).restore(other, kScreen));
    EXPECT_EQ(QRect(other.pos(), other.size()), QRect(100, 120, 640, 480));
}

TEST_F(FormPlacementTest, SectionsAndRootKeysKeepWindowsApart)
{
    QDialog a;
    FormPlacement(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey()).save(placed(a, QRect(10, 10, 300, 200)));
    FormPlacement(QStringLiteral("TTovarCheckForm")).save(placed(a, QRect(50, 60, 400, 300)));

    QDialog b;
    placed(b, QRect(0, 0, 100, 100));
    ASSERT_TRUE(FormPlacement(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey()).restore(b, kScreen));
    EXPECT_EQ(QRect(b.pos(), b.size()), QRect(10, 10, 300, 200));
    EXPECT_FALSE(FormPlacement(QStringLiteral("TTTNListForm"), FormPlacement::reportsKey()).restore(b, kScreen));
    EXPECT_EQ(QRect(b.pos(), b.size()), QRect(10, 10, 300, 200));
}

TEST_F(FormPlacementTest, AWindowNamedByItsClassWhenItHasNoObjectName)
{
    QDialog unnamed;
    EXPECT_EQ(FormPlacement(unnamed).section(), QStringLiteral("QDialog"));
}

TEST_F(FormPlacementTest, RestoredWindowsAreKeptOnTheScreen)
{
    const FormPlacement placement(QStringLiteral("TRptFrm"));
    QDialog window;
    placement.save(placed(window, QRect(3000, -200, 800, 600)));
    ASSERT_TRUE(placement.restore(window, kScreen));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(480, 0, 800, 600));

    // Larger than the screen: shrunk to it.
    placement.save(placed(window, QRect(-50, 10, 2000, 1500)));
    ASSERT_TRUE(placement.restore(window, kScreen));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(0, 0, 1280, 1024));
}

TEST_F(FormPlacementTest, FittingPicksTheScreenTheWindowMostlyLiesOn)
{
    const QList<QRect> two{QRect(0, 0, 1280, 1024), QRect(1280, 0, 1920, 1080)};
    // Mostly on the second screen, hanging over its right edge.
    EXPECT_EQ(FormPlacement::fitToScreens(QRect(2900, 100, 400, 300), two), QRect(2800, 100, 400, 300));
    // Mostly on the first, hanging over the bottom.
    EXPECT_EQ(FormPlacement::fitToScreens(QRect(100, 900, 400, 300), two), QRect(100, 724, 400, 300));
    // On no screen at all (a screen unplugged since): onto the first one.
    EXPECT_EQ(FormPlacement::fitToScreens(QRect(5000, 5000, 400, 300), two), QRect(880, 724, 400, 300));
    // A screen whose area does not start at the origin (a panel on top).
    EXPECT_EQ(FormPlacement::fitToScreens(QRect(10, 0, 100, 100), {QRect(0, 30, 800, 570)}), QRect(10, 30, 100, 100));
    EXPECT_EQ(FormPlacement::fitToScreens(QRect(1, 2, 3, 4), {}), QRect(1, 2, 3, 4));
}

TEST_F(FormPlacementTest, MissingAndDamagedValuesKeepTheWindowsOwn)
{
    const FormPlacement placement(QStringLiteral("TChoosePeriodForm"));
    QDialog window;
    placed(window, QRect(20, 30, 500, 400));
    EXPECT_FALSE(placement.restore(window, kScreen));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(20, 30, 500, 400));

    writeRaw(placement.keyPath(), [](TRegistry& reg) {
        reg.writeInteger(QStringLiteral("Left"), 200);
        reg.writeString(QStringLiteral("Top"), QStringLiteral(" 150 ")); // a number written as text
        reg.writeString(QStringLiteral("Width"), QStringLiteral("широкое")); // of no use
        reg.writeInteger(QStringLiteral("Height"), -5);                       // nonsense
    });
    ASSERT_TRUE(placement.restore(window, kScreen));
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(200, 150, 500, 400));
}

TEST_F(FormPlacementTest, FixedSizeWindowsGetOnlyTheirPositionAndMinimumSizesHold)
{
    const FormPlacement placement(QStringLiteral("TWaitForm"));
    QDialog big;
    placement.save(placed(big, QRect(40, 50, 900, 700)));

    QDialog fixed;
    fixed.setFixedSize(391, 166);
    ASSERT_TRUE(placement.restore(fixed, kScreen));
    EXPECT_EQ(QRect(fixed.pos(), fixed.size()), QRect(40, 50, 391, 166));

    placement.save(placed(big, QRect(40, 50, 200, 100)));
    QDialog viewer;
    viewer.setMinimumSize(750, 300);
    ASSERT_TRUE(placement.restore(viewer, kScreen));
    EXPECT_EQ(viewer.size(), QSize(750, 300));
}

TEST_F(FormPlacementTest, MaximisedComesBackMaximisedMinimisedComesBackNormal)
{
    const FormPlacement placement(QStringLiteral("TRptFrm"));
    QDialog window;
    placement.save(placed(window, QRect(10, 20, 700, 500)));
    placement.writeInteger(QStringLiteral("State"), 2);
    QDialog again;
    ASSERT_TRUE(placement.restore(again, kScreen));
    EXPECT_TRUE(again.windowState() & Qt::WindowMaximized);

    placement.writeInteger(QStringLiteral("State"), 1);
    QDialog third;
    ASSERT_TRUE(placement.restore(third, kScreen));
    EXPECT_FALSE(third.windowState() & (Qt::WindowMinimized | Qt::WindowMaximized));
    EXPECT_EQ(QRect(third.pos(), third.size()), QRect(10, 20, 700, 500));
}

TEST_F(FormPlacementTest, ExtraValuesRoundTripWithTheirDefaults)
{
    const FormPlacement placement(QStringLiteral("TTovarCheckForm"), FormPlacement::reportsKey());
    EXPECT_EQ(placement.readInteger(QStringLiteral("seCopyCount"), 1), 1);
    EXPECT_EQ(placement.readString(QStringLiteral("OpenDialog"), QStringLiteral("C:\\DEXE")), QStringLiteral("C:\\DEXE"));
    EXPECT_TRUE(placement.readBool(QStringLiteral("cbPreview"), true));
    EXPECT_DOUBLE_EQ(placement.readFloat(QStringLiteral("PlatezBegPeriod"), 1.5), 1.5);

    ASSERT_TRUE(placement.writeInteger(QStringLiteral("seCopyCount"), 3));
    ASSERT_TRUE(placement.writeString(QStringLiteral("OpenDialog"), QStringLiteral("C:\\DEXE\\Комментарии")));
    ASSERT_TRUE(placement.writeBool(QStringLiteral("cbPreview"), false));
    ASSERT_TRUE(placement.writeFloat(QStringLiteral("PlatezBegPeriod"), 46362.604166666664));

    EXPECT_EQ(placement.readInteger(QStringLiteral("seCopyCount"), 1), 3);
    EXPECT_EQ(placement.readString(QStringLiteral("OpenDialog"), {}), QStringLiteral("C:\\DEXE\\Комментарии"));
    EXPECT_FALSE(placement.readBool(QStringLiteral("cbPreview"), true));
    EXPECT_DOUBLE_EQ(placement.readFloat(QStringLiteral("PlatezBegPeriod"), 0), 46362.604166666664);
    EXPECT_EQ(placement.readString(QStringLiteral("PlatezBegPeriod"), {}), QStringLiteral("46362.604166666664"));
    // Integers read as text; text that is no number reads as the default.
    EXPECT_EQ(placement.readString(QStringLiteral("seCopyCount"), {}), QStringLiteral("3"));
    EXPECT_EQ(placement.readInteger(QStringLiteral("OpenDialog"), 7), 7);
    EXPECT_DOUBLE_EQ(placement.readFloat(QStringLiteral("OpenDialog"), 2.0), 2.0);
    // A decimal comma, as a machine with Russian settings would have written it.
    placement.writeString(QStringLiteral("PlatezEndPeriod"), QStringLiteral("46363,5"));
    EXPECT_DOUBLE_EQ(placement.readFloat(QStringLiteral("PlatezEndPeriod"), 0), 46363.5);
}

TEST_F(FormPlacementTest, ExtraValuesShareTheKeyWithThePlacement)
{
    const QString shiftKey = QStringLiteral("D0C0D1BegSmNum");
    const FormPlacement placement(QStringLiteral("TChoosePeriodForm"));
    QDialog window;
    placement.save(placed(window, QRect(1, 2, 300, 200)));
    placement.writeInteger(shiftKey, 118);
    EXPECT_EQ(placement.readInteger(shiftKey, 0), 118);
    EXPECT_TRUE(placement.valueExists(QStringLiteral("Left")));
    EXPECT_TRUE(placement.valueExists(shiftKey));
}

TEST_F(FormPlacementTest, AnUnreadableRegistryGivesDefaultsAndRefusesWritesWithoutFailing)
{
    // The hive file is there but cannot be read (a folder in its place).
    QDir().mkpath(env.path(QStringLiteral("config/velta/HKCU.reg")));
    const FormPlacement placement(QStringLiteral("TRptFrm"));
    QDialog window;
    placed(window, QRect(5, 6, 300, 200));
    EXPECT_FALSE(placement.restore(window, kScreen));
    EXPECT_FALSE(placement.save(window));
    EXPECT_FALSE(placement.writeInteger(QStringLiteral("x"), 1));
    EXPECT_EQ(placement.readInteger(QStringLiteral("x"), 9), 9);
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(5, 6, 300, 200));
}

TEST_F(FormPlacementTest, GarbageInTheHiveFileDoesNotStopTheWindow)
{
    test::writeFileBytes(env.path(QStringLiteral("config/velta/HKCU.reg")),
                         "\xff\xfe garbage\n[Software\\Norvane\\Velta\\common\\TRptFrm\n\"Left\"=dword:zz\n");
    const FormPlacement placement(QStringLiteral("TRptFrm"));
    QDialog window;
    placed(window, QRect(5, 6, 300, 200));
    placement.restore(window, kScreen);
    EXPECT_EQ(QRect(window.pos(), window.size()), QRect(5, 6, 300, 200));
    ASSERT_TRUE(placement.save(placed(window, QRect(7, 8, 310, 210))));
    QDialog again;
    ASSERT_TRUE(placement.restore(again, kScreen));
    EXPECT_EQ(QRect(again.pos(), again.size()), QRect(7, 8, 310, 210));
}
