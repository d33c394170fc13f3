// Saving the text view's lines: the dialog, cp1251 bytes with CR LF, replacing
// an existing file, and the errors of creating and writing; and the line
// splitting the HTML save shares.
#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "plugin/viewer/export/TextFileSave.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <csignal>
#include <sys/resource.h>
#include <sys/stat.h>
#include <thread>

namespace velta::viewer {
namespace {

class SaveTextFileTest : public ::testing::Test {
protected:
    void TearDown() override { dialogs.verify(); }

    DialogExpectation& expectTextDialog()
    {
        return dialogs.expectSaveFile().when(
            [](const DialogCall& call) {
                return call.file.filter == QStringLiteral("Text files (*.txt)|*.TXT")
                       && call.file.defaultExt == QStringLiteral("txt");
            },
            QStringLiteral("text file dialog"));
    }

    test::TestEnv env;
    ScriptedDialogs dialogs{[](const QString& message) { ADD_FAILURE() << message.toStdString(); }};
};

TEST_F(SaveTextFileTest, WritesCp1251LinesEndedByCrLfReplacingOldContent)
{
    const QString target = env.path(QStringLiteral("смена.txt"));
    test::writeFileBytes(target, QByteArray(4096, 'x'));
    expectTextDialog().choose(target);
    const QStringList lines = {QStringLiteral("+------+-------+"), QStringLiteral("|АИ-92 | 45,10 |"), QString(),
                               QStringLiteral("Итого: №7")};
    SaveTextFile(lines, dialogs);
    const QByteArray expected = QByteArray("+------+-------+\r\n|\xC0\xC8-92 | 45,10 |\r\n\r\n"
                                           "\xC8\xF2\xEE\xE3\xEE: \xB9" "7\r\n");
    EXPECT_EQ(test::readFileBytes(target), expected);
    EXPECT_EQ(codec::toCp1251(QStringLiteral("Итого: №7")), QByteArray("\xC8\xF2\xEE\xE3\xEE: \xB9" "7"));
}

TEST_F(SaveTextFileTest, NoLinesMakesAnEmptyFile)
{
    const QString target = env.path(QStringLiteral("empty.txt"));
    expectTextDialog().choose(target);
    SaveTextFile({}, dialogs);
    ASSERT_TRUE(QFile::exists(target));
    EXPECT_TRUE(test::readFileBytes(target).isEmpty());
}

TEST_F(SaveTextFileTest, CancelWritesNothing)
{
    expectTextDialog().cancel();
    SaveTextFile({QStringLiteral("строка")}, dialogs);
    EXPECT_TRUE(QDir(env.dir()).entryList(QDir::Files).isEmpty());
}

TEST_F(SaveTextFileTest, FileThatCannotBeCreatedRaisesCreateError)
{
    const QString target = env.path(QStringLiteral("missing/отчет.txt"));
    expectTextDialog().choose(target);
    try {
        SaveTextFile({QStringLiteral("строка")}, dialogs);
        ADD_FAILURE() << "no error";
    } catch (const EFCreateError& e) {
        EXPECT_TRUE(e.message().startsWith(QStringLiteral("Cannot create file \"") + target + QStringLiteral("\". ")))
            << e.what();
        EXPECT_GT(e.message().size(), QStringLiteral("Cannot create file \"\". ").size() + target.size());
    }
}

// The child writes under a file size limit, which fails the write as a full disk does.
const test::ChildRoleRegistration limitedWrite("limited-write", [](const QStringList& args) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    try {
        WriteWholeFile(args.value(0), QByteArray(100000, 'x'));
        return 1;
    } catch (const EInOutError& e) {
        return e.message().startsWith(QStringLiteral("Cannot write file \"") + args.value(0) + QStringLiteral("\". ")) ? 0 : 2;
    } catch (...) {
        return 3;
    }
});

TEST_F(SaveTextFileTest, WriteFailureRaisesInOutErrorAndKeepsTheOldFile)
{
    const QString target = env.path(QStringLiteral("old.txt"));
    test::writeFileBytes(target, "old content\r\n");
    auto child = test::startChild(QStringLiteral("limited-write"), {target});
    EXPECT_EQ(test::waitChild(*child), 0);
    EXPECT_EQ(test::readFileBytes(target), QByteArray("old content\r\n"));
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files), QStringList({QStringLiteral("old.txt")}));
}

TEST_F(SaveTextFileTest, PipeIsWrittenInPlace)
{
    const QString fifo = env.path(QStringLiteral("pipe"));
    ASSERT_EQ(::mkfifo(QFile::encodeName(fifo).constData(), 0600), 0);
    QByteArray received;
    std::thread reader([&] {
        QFile in(fifo);
        if (in.open(QIODevice::ReadOnly))
            received = in.readAll();
    });
    WriteWholeFile(fifo, "строка\r\n");
    reader.join();
    EXPECT_EQ(received, QByteArray("строка\r\n"));
    struct stat status {};
    ASSERT_EQ(::stat(QFile::encodeName(fifo).constData(), &status), 0);
    EXPECT_TRUE(S_ISFIFO(status.st_mode));
}

TEST(TextLines, SplitAsAStringListDoes)
{
    EXPECT_EQ(SplitTextLines(QStringLiteral("a\r\nb\nc\rd")),
              QStringList({QStringLiteral("a"), QStringLiteral("b"), QStringLiteral("c"), QStringLiteral("d")}));
    // A final break ends the last line; an empty line in between stays.
    EXPECT_EQ(SplitTextLines(QStringLiteral("a\r\n\r\nb\r\n")),
              QStringList({QStringLiteral("a"), QString(), QStringLiteral("b")}));
    EXPECT_TRUE(SplitTextLines(QString()).isEmpty());
    EXPECT_EQ(SplitTextLines(QStringLiteral("\n")), QStringList({QString()}));
    EXPECT_EQ(JoinLinesCrLf({QStringLiteral("a"), QString()}), QStringLiteral("a\r\n\r\n"));
}

} // namespace
} // namespace velta::viewer
