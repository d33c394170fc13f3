// The test helpers themselves: the line diff and the reference-file check
// (mismatch message, update mode), and the station server's failure report.
#include "tests/support/ReferenceFile.h"
#include "tests/support/StationServer.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace velta::test {
namespace {

QString numbered(int count, int changed = 0, const QString& replacement = QString())
{
    QString text;
    for (int i = 1; i <= count; ++i)
        text += (i == changed ? replacement : QStringLiteral("line %1").arg(i)) + QLatin1Char('\n');
    return text;
}

QString diff(const QString& expected, const QString& actual, const DiffOptions& options = {})
{
    return unifiedDiff(expected, actual, QStringLiteral("ref"), QStringLiteral("new"), options);
}

TEST(UnifiedDiff, EqualTextsHaveNone)
{
    EXPECT_EQ(diff(QString(), QString()), QString());
    EXPECT_EQ(diff(numbered(30), numbered(30)), QString());
}

TEST(UnifiedDiff, ChangedLineComesWithThreeLinesOfContext)
{
    EXPECT_EQ(diff(numbered(20), numbered(20, 10, QStringLiteral("line ten"))),
              QStringLiteral("--- ref\n+++ new\n"
                             "@@ -7,7 +7,7 @@\n"
                             " line 7\n line 8\n line 9\n-line 10\n+line ten\n line 11\n line 12\n line 13\n"));
}

TEST(UnifiedDiff, ChangesJoinOneHunkOnlyWhenTheirContextsMeet)
{
    auto hunks = [](int first, int second) {
        QString changed = numbered(30, first, QStringLiteral("x"));
        changed.replace(QStringLiteral("line %1\n").arg(second), QStringLiteral("y\n"));
        return diff(numbered(30), changed).count(QStringLiteral("\n@@ "));
    };
    EXPECT_EQ(hunks(5, 12), 1); // six unchanged lines between: the contexts touch
    EXPECT_EQ(hunks(5, 13), 2);
    // At the ends of the text the context is shorter.
    EXPECT_EQ(diff(numbered(20), numbered(20, 2, QStringLiteral("two"))),
              QStringLiteral("--- ref\n+++ new\n@@ -1,5 +1,5 @@\n line 1\n-line 2\n+two\n line 3\n line 4\n line 5\n"));
}

TEST(UnifiedDiff, InsertedAndRemovedLinesCountLikeDiff)
{
    EXPECT_EQ(diff(QStringLiteral("b\nc\n"), QStringLiteral("a\nb\nc\n")),
              QStringLiteral("--- ref\n+++ new\n@@ -1,2 +1,3 @@\n+a\n b\n c\n"));
    EXPECT_EQ(diff(QStringLiteral("a\n"), QString()), QStringLiteral("--- ref\n+++ new\n@@ -1 +0,0 @@\n-a\n"));
    EXPECT_EQ(diff(QString(), QStringLiteral("a\nb\n")), QStringLiteral("--- ref\n+++ new\n@@ -0,0 +1,2 @@\n+a\n+b\n"));
    // A line moved down: one removal and one insertion, not a rewrite of all between.
    EXPECT_EQ(diff(QStringLiteral("m\n1\n2\n3\n4\n"), QStringLiteral("1\n2\n3\n4\nm\n")),
              QStringLiteral("--- ref\n+++ new\n@@ -1,5 +1,5 @@\n-m\n 1\n 2\n 3\n 4\n+m\n"));
}

TEST(UnifiedDiff, MissingFinalLineBreakAndStrayCarriageReturnsAreShown)
{
    EXPECT_EQ(diff(QStringLiteral("a\nb\n"), QStringLiteral("a\nb")),
              QStringLiteral("--- ref\n+++ new\n@@ -1,2 +1,2 @@\n a\n-b\n+b\n\\ No newline at end of file\n"));
    EXPECT_EQ(diff(QStringLiteral("a\r\nb\n"), QStringLiteral("a\nb\n")),
              QStringLiteral("--- ref\n+++ new\n@@ -1,2 +1,2 @@\n-a\\r\n+a\n b\n"));
    // Texts that end every line in CR LF are shown without the CRs; a form feed is visible.
    EXPECT_EQ(diff(QStringLiteral("a\r\nb\r\n"), QStringLiteral("a\r\n\fb\r\n")),
              QStringLiteral("--- ref\n+++ new\n(every line ends in CR LF; the CRs are not shown)\n"
                             "@@ -1,2 +1,2 @@\n a\n-b\n+\\x0cb\n"));
}

TEST(UnifiedDiff, FullContextRebuildsBothTextsWithAShortestScript)
{
    // Random texts over few distinct lines, so that most lines match somewhere.
    std::uint32_t seed = 12345;
    auto next = [&seed](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int round = 0; round < 200; ++round) {
        QStringList a;
        QStringList b;
        for (std::uint32_t i = next(12); i > 0; --i)
            a << QString(QChar(u'a' + next(3)));
        for (std::uint32_t i = next(12); i > 0; --i)
            b << QString(QChar(u'a' + next(3)));
        const QString textA = a.isEmpty() ? QString() : a.join(QLatin1Char('\n')) + QLatin1Char('\n');
        const QString textB = b.isEmpty() ? QString() : b.join(QLatin1Char('\n')) + QLatin1Char('\n');
        const QString shown = diff(textA, textB, {1000, 1000});
        QStringList rebuiltA;
        QStringList rebuiltB;
        int changed = 0;
        for (const QString& line : shown.split(QLatin1Char('\n')).mid(3)) {
            if (line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('-')))
                rebuiltA << line.mid(1);
            if (line.startsWith(QLatin1Char(' ')) || line.startsWith(QLatin1Char('+')))
                rebuiltB << line.mid(1);
            changed += line.startsWith(QLatin1Char('-')) || line.startsWith(QLatin1Char('+'));
        }
        if (a == b) {
            EXPECT_TRUE(shown.isEmpty());
            continue;
        }
        EXPECT_EQ(rebuiltA, a) << shown.toStdString();
        EXPECT_EQ(rebuiltB, b) << shown.toStdString();
        // Shortest: what is not changed is a longest common subsequence.
        std::vector<std::vector<int>> lcs(a.size() + 1, std::vector<int>(b.size() + 1, 0));
        for (qsizetype i = a.size() - 1; i >= 0; --i)
            for (qsizetype j = b.size() - 1; j >= 0; --j)
                lcs[i][j] = a[i] == b[j] ? lcs[i + 1][j + 1] + 1 : std::max(lcs[i + 1][j], lcs[i][j + 1]);
        EXPECT_EQ(changed, a.size() + b.size() - 2 * lcs[0][0]) << shown.toStdString();
    }
}

TEST(UnifiedDiff, LongDiffsAreCutShort)
{
    QString other;
    for (int i = 1; i <= 500; ++i)
        other += QStringLiteral("other %1\n").arg(i);
    const QString shown = diff(numbered(500), other, {3, 40});
    EXPECT_EQ(shown.count(QLatin1Char('\n')), 2 + 1 + 40 + 1);
    EXPECT_TRUE(shown.endsWith(QStringLiteral("... the diff is cut short: 960 more changed lines\n"))) << shown.toStdString();

    // Past the edit distance the diff computes, the middle is removed and added whole.
    QString many;
    for (int i = 1; i <= 3000; ++i)
        many += QStringLiteral("other %1\n").arg(i);
    const QString coarse = diff(QStringLiteral("same\n") + numbered(3000), QStringLiteral("same\n") + many, {1, 10});
    EXPECT_TRUE(coarse.startsWith(QStringLiteral("--- ref\n+++ new\n@@ -1,3001 +1,3001 @@\n same\n-line 1\n")))
        << coarse.left(200).toStdString();
    EXPECT_TRUE(coarse.endsWith(QStringLiteral("cut short: 5991 more changed lines\n")));
}

class ReferenceFileTest : public ::testing::Test {
protected:
    void SetUp() override { qunsetenv(kUpdateReferencesVariable); }
    void TearDown() override
    {
        if (saved_.isNull())
            qunsetenv(kUpdateReferencesVariable);
        else
            qputenv(kUpdateReferencesVariable, saved_);
    }
    ::testing::AssertionResult check(const QString& produced)
    {
        return matchesReferenceFile(path_, QStringLiteral("page.txt"), produced);
    }

    TestEnv env_;
    QByteArray saved_ = qgetenv(kUpdateReferencesVariable);
    QString path_ = env_.path(QStringLiteral("reference/page.txt"));
};

TEST_F(ReferenceFileTest, MatchingTextPasses)
{
    writeFileBytes(path_, "Итог\r\n");
    EXPECT_TRUE(check(QStringLiteral("Итог\r\n")));
    // The file is read as UTF-8 and compared whole, line breaks included.
    EXPECT_FALSE(check(QStringLiteral("Итог\n")));
}

TEST_F(ReferenceFileTest, MismatchFailsWithTheDiffAndLeavesTheFile)
{
    writeFileBytes(path_, numbered(40).toUtf8());
    const ::testing::AssertionResult result = check(numbered(40, 25, QStringLiteral("Сумма 12,50")));
    ASSERT_FALSE(result);
    const QString message = QString::fromUtf8(result.message());
    EXPECT_TRUE(message.startsWith(QStringLiteral("the produced text differs from the reference page.txt "
                                                  "(VELTA_UPDATE_REFERENCES=1 rewrites it)\n--- page.txt\n+++ produced\n"
                                                  "@@ -22,7 +22,7 @@\n")))
        << message.toStdString();
    EXPECT_TRUE(message.contains(QStringLiteral("-line 25\n+Сумма 12,50\n")));
    EXPECT_FALSE(message.contains(QStringLiteral("line 1\n"))); // not a dump of the texts
    EXPECT_EQ(readFileBytes(path_), numbered(40).toUtf8());
}

TEST_F(ReferenceFileTest, MissingReferenceFailsShowingTheProducedLines)
{
    const ::testing::AssertionResult result = check(QStringLiteral("a\nb\n"));
    ASSERT_FALSE(result);
    EXPECT_TRUE(QString::fromUtf8(result.message()).startsWith(QStringLiteral("the reference page.txt does not exist")));
    EXPECT_TRUE(QString::fromUtf8(result.message()).endsWith(QStringLiteral("@@ -0,0 +1,2 @@\n+a\n+b\n")));
    EXPECT_FALSE(QFileInfo::exists(path_));
}

TEST_F(ReferenceFileTest, UpdateModeWritesTheReferenceAndPasses)
{
    qputenv(kUpdateReferencesVariable, "0");
    EXPECT_FALSE(check(QStringLiteral("first\n")));
    EXPECT_FALSE(QFileInfo::exists(path_));

    qputenv(kUpdateReferencesVariable, "1");
    EXPECT_TRUE(check(QStringLiteral("first\n"))); // made with its folder
    EXPECT_EQ(readFileBytes(path_), QByteArray("first\n"));
    EXPECT_TRUE(check(QStringLiteral("Второй\r\nno break")));
    EXPECT_EQ(readFileBytes(path_), QStringLiteral("Второй\r\nno break").toUtf8());

    qunsetenv(kUpdateReferencesVariable);
    EXPECT_TRUE(check(QStringLiteral("Второй\r\nno break")));
}

TEST(ReferencePath, IsInTheSourceTreeWhereverTheTestRuns)
{
    EXPECT_TRUE(QFileInfo(referencePath(QStringLiteral("support/ReferenceFile.h"))).isFile())
        << referencePath(QStringLiteral("support/ReferenceFile.h")).toStdString();
}

TEST(StationServerHelper, ServerThatDoesNotComeUpSaysWhy)
{
    if (!StationServer::available())
        GTEST_SKIP() << "velta-station is not built";
    TestEnv env;
    StationServer server(env.path(QStringLiteral("none")));
    EXPECT_EQ(server.port(), 0);
    EXPECT_TRUE(server.error().contains(QStringLiteral("No station database"))) << server.error().toStdString();
    EXPECT_EQ(server.process().state(), QProcess::NotRunning);

    writeFileBytes(env.path(QStringLiteral("file")), "x");
    EXPECT_FALSE(StationServer::initStation(env.path(QStringLiteral("file/station")), 10).isEmpty());
}

} // namespace
} // namespace velta::test
