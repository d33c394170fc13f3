// The shared file writing: what its callers' own tests do not reach. Every
// failure leaves the target as it was, no new file beside it, and errno set.
#include "plugin/platform/FileIO.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

#include <cerrno>
#include <csignal>
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <unistd.h>

namespace velta {
namespace {

using test::readFileBytes;
using test::writeFileBytes;

class FileIOTest : public ::testing::Test {
protected:
    QStringList files() const { return QDir(env.dir()).entryList(QDir::Files | QDir::Hidden | QDir::System); }

    static quint64 inodeOf(const QString& path)
    {
        struct stat st {};
        return ::stat(QFile::encodeName(path).constData(), &st) == 0 ? st.st_ino : 0;
    }

    test::TestEnv env;
    QString target = env.path(QStringLiteral("data.ini"));
};

// The child replaces the file under a file size limit, which fails the write
// midway as a full disk does; exits with the outcome and errno it saw.
const test::ChildRoleRegistration limitedReplace("fileio-limited-replace", [](const QStringList& args) {
    ::signal(SIGXFSZ, SIG_IGN);
    const rlimit limit{4096, 4096};
    ::setrlimit(RLIMIT_FSIZE, &limit);
    const bool inPlaceAllowed = args.value(1) == QStringLiteral("whole");
    const QByteArray bytes(100000, 'n');
    errno = 0;
    const FileIO::Outcome outcome =
        inPlaceAllowed ? FileIO::writeWholeFile(args.value(0), bytes) : FileIO::replaceFile(args.value(0), bytes);
    if (outcome != FileIO::Outcome::WriteFailed)
        return 1;
    return errno == EFBIG ? 0 : 2;
});

TEST_F(FileIOTest, WriteFailingMidwayKeepsTheOldFileAndErrno)
{
    for (const QString& mode : {QStringLiteral("replace"), QStringLiteral("whole")}) {
        writeFileBytes(target, "[S]\r\nk=old\r\n");
        auto child = test::startChild(QStringLiteral("fileio-limited-replace"), {target, mode});
        EXPECT_EQ(test::waitChild(*child), 0) << mode.toStdString();
        EXPECT_EQ(readFileBytes(target), QByteArray("[S]\r\nk=old\r\n")) << mode.toStdString();
        EXPECT_EQ(files(), QStringList{QStringLiteral("data.ini")}) << mode.toStdString();
    }
}

TEST_F(FileIOTest, FileThatCannotBeCreatedTellsWhyAndCreatesNothing)
{
    errno = 0;
    EXPECT_EQ(FileIO::replaceFile(env.path(QStringLiteral("no/such/x.ini")), "x"), FileIO::Outcome::CreateFailed);
    EXPECT_EQ(errno, ENOENT);

    const QString folder = env.path(QStringLiteral("folder"));
    ASSERT_TRUE(QDir().mkpath(folder));
    errno = 0;
    EXPECT_EQ(FileIO::writeWholeFile(folder, "x"), FileIO::Outcome::CreateFailed);
    EXPECT_EQ(errno, EISDIR);
    EXPECT_TRUE(QDir(folder).isEmpty(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot));
    EXPECT_TRUE(files().isEmpty());
}

TEST_F(FileIOTest, ReplacementDroppedUncommittedRemovesItsFile)
{
    writeFileBytes(target, "old");
    {
        FileIO::Replacement replacement;
        ASSERT_TRUE(replacement.create(target));
        ASSERT_TRUE(replacement.write("new content"));
        EXPECT_TRUE(QFile::exists(replacement.tempPath()));
        EXPECT_EQ(files().size(), 2);
    }
    EXPECT_EQ(readFileBytes(target), QByteArray("old"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("data.ini")});

    // Moved, the file belongs to the new owner alone, which commits it.
    FileIO::Replacement moved;
    {
        FileIO::Replacement first;
        ASSERT_TRUE(first.create(target));
        ASSERT_TRUE(first.write("moved"));
        moved = std::move(first);
    }
    ASSERT_TRUE(moved.commit());
    EXPECT_EQ(readFileBytes(target), QByteArray("moved"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("data.ini")});
}

TEST_F(FileIOTest, NamedReplacementEmptiesALeftoverAndKeepsItsDescriptor)
{
    writeFileBytes(target, "old log\r\n");
    const QString temp = target + QStringLiteral("_1_1");
    writeFileBytes(temp, "a leftover of a process that died, longer than the new content");
    FileIO::Replacement replacement;
    ASSERT_TRUE(replacement.create(target, temp));
    ASSERT_TRUE(replacement.write("tail\r\n"));
    const int fd = replacement.commitKeepingOpen();
    ASSERT_GE(fd, 0);
    EXPECT_EQ(replacement.fd(), -1);
    // The descriptor now appends to the file that is the target.
    EXPECT_TRUE(FileIO::writeAll(fd, QByteArrayView("next\r\n")));
    ::close(fd);
    EXPECT_EQ(readFileBytes(target), QByteArray("tail\r\nnext\r\n"));
    EXPECT_EQ(files(), QStringList{QStringLiteral("data.ini")});
}

TEST_F(FileIOTest, WriteAllReportsTheSystemsReason)
{
    const int fd = ::open("/dev/full", O_WRONLY | O_CLOEXEC);
    if (fd < 0)
        GTEST_SKIP() << "no /dev/full";
    errno = 0;
    EXPECT_FALSE(FileIO::writeAll(fd, QByteArrayView("x")));
    EXPECT_EQ(errno, ENOSPC);
    ::close(fd);
}

// A file that may not be written is refused, not replaced behind its owner's
// back; a file in a folder that takes no new file is rewritten in place by
// the whole-file write only.
TEST_F(FileIOTest, PermissionsDecideBetweenReplacingRewritingAndRefusing)
{
    if (::geteuid() == 0)
        GTEST_SKIP() << "root writes whatever the permissions say";
    writeFileBytes(target, "old");
    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0444), 0);
    errno = 0;
    EXPECT_EQ(FileIO::replaceFile(target, "new"), FileIO::Outcome::CreateFailed);
    EXPECT_EQ(errno, EACCES);
    EXPECT_EQ(FileIO::writeWholeFile(target, "new"), FileIO::Outcome::CreateFailed);
    EXPECT_EQ(readFileBytes(target), QByteArray("old"));

    ASSERT_EQ(::chmod(QFile::encodeName(target).constData(), 0644), 0);
    const quint64 inode = inodeOf(target);
    ASSERT_EQ(::chmod(QFile::encodeName(env.dir()).constData(), 0555), 0);
    EXPECT_EQ(FileIO::replaceFile(target, "new"), FileIO::Outcome::CreateFailed);
    EXPECT_EQ(readFileBytes(target), QByteArray("old"));
    EXPECT_EQ(FileIO::writeWholeFile(target, "new"), FileIO::Outcome::Written);
    ::chmod(QFile::encodeName(env.dir()).constData(), 0755);
    EXPECT_EQ(readFileBytes(target), QByteArray("new"));
    EXPECT_EQ(inodeOf(target), inode);
    EXPECT_EQ(files(), QStringList{QStringLiteral("data.ini")});
}

} // namespace
} // namespace velta
