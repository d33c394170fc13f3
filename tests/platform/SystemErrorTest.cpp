#include "plugin/platform/SystemError.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <cerrno>
#include <gtest/gtest.h>
#include <thread>

using namespace velta;

TEST(SystemErrorMapping, ErrnoValuesGiveWindowsCodes)
{
    EXPECT_EQ(SystemError::fromErrno(0), 0);
    EXPECT_EQ(SystemError::fromErrno(ENOENT), 2);
    EXPECT_EQ(SystemError::fromErrno(ENOTDIR), 3);
    EXPECT_EQ(SystemError::fromErrno(EACCES), 5);
    EXPECT_EQ(SystemError::fromErrno(EPERM), 5);
    EXPECT_EQ(SystemError::fromErrno(EBUSY), 32);
    EXPECT_EQ(SystemError::fromErrno(EWOULDBLOCK), 33);
    EXPECT_EQ(SystemError::fromErrno(EEXIST), 80);
    EXPECT_EQ(SystemError::fromErrno(ENOSPC), 112);
    EXPECT_EQ(SystemError::fromErrno(EDQUOT), 112);
    EXPECT_EQ(SystemError::fromErrno(EFBIG), 112);
    EXPECT_EQ(SystemError::fromErrno(ENAMETOOLONG), 123);
    EXPECT_EQ(SystemError::fromErrno(EROFS), 19);
    // Something unexpected is still a failure, never success.
    EXPECT_NE(SystemError::fromErrno(EPROTO), 0);
}

TEST(SystemErrorMapping, MissingParentFolderIsPathNotFound)
{
    velta::test::TestEnv env;
    QDir().mkpath(env.path(QStringLiteral("present")));
    EXPECT_EQ(SystemError::fromErrnoForPath(ENOENT, env.path(QStringLiteral("present/file.ini"))), 2);
    EXPECT_EQ(SystemError::fromErrnoForPath(ENOENT, env.path(QStringLiteral("absent/file.ini"))), 3);
    EXPECT_EQ(SystemError::fromErrnoForPath(EACCES, env.path(QStringLiteral("absent/file.ini"))), 5);
}

TEST(SystemErrorLast, IsKeptPerThread)
{
    SystemError::setLast(0);
    EXPECT_EQ(SystemError::setLastFromErrno(ENOSPC), 112);
    int seenByOther = -1;
    std::thread other([&] {
        seenByOther = SystemError::last();
        SystemError::setLast(5);
    });
    other.join();
    EXPECT_EQ(seenByOther, 0);
    EXPECT_EQ(SystemError::last(), 112);
}

TEST(SystemErrorMessage, RussianTextsAndFallback)
{
    EXPECT_EQ(SystemError::message(2), QStringLiteral("Не удается найти указанный файл."));
    EXPECT_EQ(SystemError::message(3), QStringLiteral("Системе не удается найти указанный путь."));
    EXPECT_EQ(SystemError::message(32),
              QStringLiteral("Процесс не может получить доступ к файлу, так как этот файл занят другим процессом."));
    EXPECT_EQ(SystemError::message(123),
              QStringLiteral("Синтаксическая ошибка в имени файла, имени папки или метке тома."));
    EXPECT_EQ(SystemError::message(99999), QStringLiteral("Системная ошибка 99999"));
    // Every code the errno mapping can produce has a real text.
    for (int e = 0; e < 134; ++e)
        EXPECT_FALSE(SystemError::message(SystemError::fromErrno(e)).startsWith(QStringLiteral("Системная ошибка")))
            << "errno " << e;
}
