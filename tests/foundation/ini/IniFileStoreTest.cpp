// The private-profile stand-in: what the platform functions are known to do,
// and the file being rewritten whole, atomically and in cp1251.
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/platform/SystemError.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <gtest/gtest.h>
#include <sys/stat.h>

using namespace velta;
using velta::test::readFileBytes;
using velta::test::writeFileBytes;

namespace {

QString read(const QString& file, const QString& section, const QString& key, const QString& def = {},
             int bufferSize = 65535)
{
    QString value;
    IniFileStore::readString(file, section, key, def, bufferSize, value);
    return value;
}

bool write(const QString& file, const QString& section, const QString& key, const QString& value)
{
    return IniFileStore::writeString(file, section, key, value);
}

class IniFileStoreTest : public ::testing::Test {
protected:
    test::TestEnv env;
    QString file = env.path(QStringLiteral("test.ini"));
};

} // namespace

TEST_F(IniFileStoreTest, MatchesNamesWithoutRegardToCaseCyrillicToo)
{
    writeFileBytes(file, "[\xD1\xEC\xE5\xED\xE0]\r\n\xCA\xEB\xFE\xF7=1\r\n[Misc]\r\nPrinter=lp0\r\n");
    EXPECT_EQ(read(file, QStringLiteral("СМЕНА"), QStringLiteral("ключ")), QStringLiteral("1"));
    EXPECT_EQ(read(file, QStringLiteral("misc"), QStringLiteral("PRINTER")), QStringLiteral("lp0"));
}

TEST_F(IniFileStoreTest, TrimsBlanksAndStripsOnePairOfQuotes)
{
    writeFileBytes(file, "[S]\n  spaced \t=  a value \t\nquoted=\" x \"\ndouble=\"\"y\"\"\nhalf=\"z\nlone=\"\n");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("spaced")), QStringLiteral("a value"));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("quoted")), QStringLiteral(" x "));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("double")), QStringLiteral("\"y\""));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("half")), QStringLiteral("\"z"));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("lone")), QStringLiteral("\""));
}

TEST_F(IniFileStoreTest, MissingKeySectionOrFileGivesTheDefaultWithoutTrailingBlanks)
{
    writeFileBytes(file, "[S]\nk=v\n");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("other"), QStringLiteral("def")), QStringLiteral("def"));
    EXPECT_EQ(read(file, QStringLiteral("T"), QStringLiteral("k"), QStringLiteral(" d \t ")), QStringLiteral(" d"));
    QString value;
    EXPECT_TRUE(IniFileStore::readString(env.path(QStringLiteral("none.ini")), QStringLiteral("S"),
                                         QStringLiteral("k"), QStringLiteral("x"), 65535, value));
    EXPECT_EQ(value, QStringLiteral("x"));
}

TEST_F(IniFileStoreTest, FirstOfDuplicateKeysWinsAndKeysBeforeAnySectionAreIgnored)
{
    writeFileBytes(file, "k=orphan\n[S]\nk=first\nK=second\n;k=comment\n[S]\nk=third\n");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("first"));
    QStringList keys;
    ASSERT_TRUE(IniFileStore::readKeys(file, QStringLiteral("S"), keys));
    EXPECT_EQ(keys, QStringList{QStringLiteral("k")});
    QStringList sections;
    ASSERT_TRUE(IniFileStore::readSections(file, sections));
    EXPECT_EQ(sections, QStringList{QStringLiteral("S")});
}

TEST_F(IniFileStoreTest, ValueIsCutToTheBuffer)
{
    writeFileBytes(file, "[S]\nk=" + QByteArray(70000, 'x') + "\n");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k")).size(), 65534);
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k"), {}, 4), QStringLiteral("xxx"));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("none"), QStringLiteral("default"), 4),
              QStringLiteral("def"));
}

TEST_F(IniFileStoreTest, RewriteKeepsCommentsUnknownLinesAndLineEndings)
{
    const QByteArray before = "; station settings\n[S]\n# note\nplain line\nk = old\n\n[T]\nx=1\n";
    writeFileBytes(file, before);
    ASSERT_TRUE(write(file, QStringLiteral("s"), QStringLiteral("K"), QStringLiteral("new")));
    ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("added"), QStringLiteral("2")));
    // The new key goes after the last line of its section, before the blank separator.
    EXPECT_EQ(readFileBytes(file),
              QByteArray("; station settings\n[S]\n# note\nplain line\nk=new\nadded=2\n\n[T]\nx=1\n"));
}

TEST_F(IniFileStoreTest, LoneCarriageReturnEndsALineAsCrLfAndLfDo)
{
    writeFileBytes(file, "[S]\rk=1\rj = 2 \r\n[T]\nx=3\n\r[U]\ry=4");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("j")), QStringLiteral("2"));
    EXPECT_EQ(read(file, QStringLiteral("T"), QStringLiteral("x")), QStringLiteral("3"));
    EXPECT_EQ(read(file, QStringLiteral("U"), QStringLiteral("y")), QStringLiteral("4"));
    QStringList keys;
    ASSERT_TRUE(IniFileStore::readKeys(file, QStringLiteral("S"), keys));
    EXPECT_EQ(keys, QStringList({QStringLiteral("k"), QStringLiteral("j")}));
    QStringList sections;
    ASSERT_TRUE(IniFileStore::readSections(file, sections));
    EXPECT_EQ(sections, QStringList({QStringLiteral("S"), QStringLiteral("T"), QStringLiteral("U")}));
}

TEST_F(IniFileStoreTest, RewriteKeepsLinesEndedByALoneCarriageReturn)
{
    writeFileBytes(file, "[S]\rk=1\rj=2\r\r[T]\rx=3\r");
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    // The same value again changes nothing, so the file is not written.
    ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1")));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);

    ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("j"), QStringLiteral("5")));
    ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("n"), QStringLiteral("6")));
    EXPECT_EQ(readFileBytes(file), QByteArray("[S]\rk=1\rj=5\r\nn=6\r\n\r[T]\rx=3\r"));
    ASSERT_TRUE(IniFileStore::writeString(file, QStringLiteral("T"), std::nullopt, std::nullopt));
    EXPECT_EQ(readFileBytes(file), QByteArray("[S]\rk=1\rj=5\r\nn=6\r\n\r"));
}

TEST_F(IniFileStoreTest, NewFileAndNewSectionAreWrittenWithCrLf)
{
    ASSERT_TRUE(write(file, QStringLiteral("A"), QStringLiteral("k"), QStringLiteral("1")));
    ASSERT_TRUE(write(file, QStringLiteral("B"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(readFileBytes(file), QByteArray("[A]\r\nk=1\r\n[B]\r\nk=2\r\n"));
}

TEST_F(IniFileStoreTest, FileIsCp1251ByteForByte)
{
    ASSERT_TRUE(write(file, QStringLiteral("Отчеты"), QStringLiteral("Принтер"), QStringLiteral("Ёлка №1 «А»")));
    EXPECT_EQ(readFileBytes(file), QByteArray("[\xCE\xF2\xF7\xE5\xF2\xFB]\r\n\xCF\xF0\xE8\xED\xF2\xE5\xF0="
                                              "\xA8\xEB\xEA\xE0 \xB9\x31 \xAB\xC0\xBB\r\n"));
    EXPECT_EQ(read(file, QStringLiteral("ОТЧЕТЫ"), QStringLiteral("принтер")), QStringLiteral("Ёлка №1 «А»"));
}

TEST_F(IniFileStoreTest, AbsentValueDeletesKeyAbsentKeyDeletesSection)
{
    writeFileBytes(file, "[S]\na=1\nb=2\n[T]\nc=3\n");
    ASSERT_TRUE(IniFileStore::writeString(file, QStringLiteral("s"), QStringLiteral("A"), std::nullopt));
    EXPECT_EQ(readFileBytes(file), QByteArray("[S]\nb=2\n[T]\nc=3\n"));
    ASSERT_TRUE(IniFileStore::writeString(file, QStringLiteral("S"), std::nullopt, std::nullopt));
    EXPECT_EQ(readFileBytes(file), QByteArray("[T]\nc=3\n"));
    ASSERT_TRUE(IniFileStore::writeString(file, std::nullopt, std::nullopt, std::nullopt));
    EXPECT_EQ(readFileBytes(file), QByteArray("[T]\nc=3\n"));
}

TEST_F(IniFileStoreTest, DeletingFromAMissingFileCreatesNothing)
{
    ASSERT_TRUE(IniFileStore::writeString(file, QStringLiteral("S"), QStringLiteral("k"), std::nullopt));
    ASSERT_TRUE(IniFileStore::writeString(file, QStringLiteral("S"), std::nullopt, std::nullopt));
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(IniFileStoreTest, NamesAndValuesThatWouldCorruptTheFileAreRefused)
{
    writeFileBytes(file, "[S]\nk=v\n");
    EXPECT_FALSE(write(file, QStringLiteral("S"), QStringLiteral("a=b"), QStringLiteral("1")));
    EXPECT_EQ(SystemError::last(), SystemError::InvalidName);
    EXPECT_FALSE(write(file, QStringLiteral("S"), QStringLiteral("[X"), QStringLiteral("1")));
    EXPECT_FALSE(write(file, QStringLiteral("S]"), QStringLiteral("k"), QStringLiteral("1")));
    EXPECT_FALSE(write(file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("1\n[Evil]\nx=2")));
    EXPECT_FALSE(write(file, QStringLiteral("S"), QStringLiteral("  "), QStringLiteral("1")));
    EXPECT_EQ(readFileBytes(file), QByteArray("[S]\nk=v\n"));
}

TEST_F(IniFileStoreTest, MissingFolderFailsWithPathNotFound)
{
    const QString missing = env.path(QStringLiteral("no/such/folder/x.ini"));
    EXPECT_FALSE(write(missing, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("v")));
    EXPECT_EQ(SystemError::last(), SystemError::PathNotFound);
}

TEST_F(IniFileStoreTest, WriteReplacesTheFileAndLeavesNoTemporaryFiles)
{
    writeFileBytes(file, "[S]\nk=1\n");
    ASSERT_EQ(::chmod(QFile::encodeName(file).constData(), 0640), 0);
    struct stat before {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &before), 0);
    // One write: the new file exists before the old one goes, so their inodes
    // differ (over several writes a freed inode number may come back).
    ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("0")));
    struct stat after {};
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_NE(before.st_ino, after.st_ino) << "the file must be replaced, not rewritten in place";
    for (int i = 1; i < 5; ++i)
        ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("k"), QString::number(i)));
    ASSERT_EQ(::stat(QFile::encodeName(file).constData(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 0640u);
    EXPECT_EQ(QDir(env.dir()).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("test.ini")});
}

TEST_F(IniFileStoreTest, FailedWriteLeavesFileAndFolderUntouched)
{
    const QString folder = env.path(QStringLiteral("ro"));
    QDir().mkpath(folder);
    const QString roFile = folder + QStringLiteral("/x.ini");
    writeFileBytes(roFile, "[S]\nk=1\n");
    ::chmod(QFile::encodeName(folder).constData(), 0555);
    if (::geteuid() == 0) {
        ::chmod(QFile::encodeName(folder).constData(), 0755);
        GTEST_SKIP() << "root writes into read-only folders";
    }
    EXPECT_FALSE(write(roFile, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_EQ(SystemError::last(), SystemError::AccessDenied);
    ::chmod(QFile::encodeName(folder).constData(), 0755);
    EXPECT_EQ(readFileBytes(roFile), QByteArray("[S]\nk=1\n"));
    EXPECT_EQ(QDir(folder).entryList(QDir::Files | QDir::Hidden), QStringList{QStringLiteral("x.ini")});
}

TEST_F(IniFileStoreTest, CachedFileIsReadAgainWhenChangedBehindOurBack)
{
    writeFileBytes(file, "[S]\nk=1\n");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("1"));
    // In place, another size.
    writeFileBytes(file, "[S]\nk=22\n");
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("22"));
    // Replaced by another file of the same size (another program's atomic write).
    const QString other = env.path(QStringLiteral("other.ini"));
    writeFileBytes(other, "[S]\nk=33\n");
    ASSERT_TRUE(QFile::remove(file));
    ASSERT_TRUE(QFile::rename(other, file));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k")), QStringLiteral("33"));
    // Removed.
    ASSERT_TRUE(QFile::remove(file));
    EXPECT_EQ(read(file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("gone")), QStringLiteral("gone"));
}

TEST_F(IniFileStoreTest, WriteThroughALinkReplacesTheTargetAndKeepsTheLink)
{
    const QString target = env.path(QStringLiteral("real.ini"));
    writeFileBytes(target, "[S]\nk=1\n");
    ASSERT_TRUE(QFile::link(target, file));
    ASSERT_TRUE(write(file, QStringLiteral("S"), QStringLiteral("k"), QStringLiteral("2")));
    EXPECT_TRUE(QFileInfo(file).isSymLink());
    EXPECT_EQ(readFileBytes(target), QByteArray("[S]\nk=2\n"));
}

TEST_F(IniFileStoreTest, WindowsStyleNameIsMappedUnderTheRoot)
{
    ASSERT_TRUE(QDir().mkpath(env.path(QStringLiteral("root/C/WINDOWS"))));
    ASSERT_TRUE(write(QStringLiteral("C:\\WINDOWS\\cnf.ini"), QStringLiteral("S"), QStringLiteral("k"),
                      QStringLiteral("v")));
    EXPECT_EQ(readFileBytes(env.path(QStringLiteral("root/C/WINDOWS/cnf.ini"))), QByteArray("[S]\r\nk=v\r\n"));
    EXPECT_EQ(read(QStringLiteral("c:\\windows\\CNF.INI"), QStringLiteral("s"), QStringLiteral("K")),
              QStringLiteral("v"));
    EXPECT_FALSE(IniFileStore::probeReadable(QStringLiteral("C:\\WINDOWS\\none.ini")));
    EXPECT_EQ(SystemError::last(), SystemError::FileNotFound);
}
