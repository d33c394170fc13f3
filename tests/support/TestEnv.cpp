#include "tests/support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cstdlib>

namespace velta::test {

TestEnv::TestEnv()
{
    set("VELTA_ROOT", path("root"));
    set("VELTA_LOCK_DIR", path("locks"));
    set("XDG_CONFIG_HOME", path("config"));
    QDir().mkpath(path("root"));
}

TestEnv::~TestEnv()
{
    for (const auto& [name, value] : saved_) {
        if (value.isNull())
            ::unsetenv(name.constData());
        else
            ::setenv(name.constData(), value.constData(), 1);
    }
}

void TestEnv::set(const char* name, const QString& value)
{
    if (!saved_.count(name)) {
        const char* old = std::getenv(name);
        saved_[name] = old ? QByteArray(old) : QByteArray();
    }
    ::setenv(name, QFile::encodeName(value).constData(), 1);
}

QByteArray readFileBytes(const QString& path)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {};
    return f.readAll();
}

void writeFileBytes(const QString& path, const QByteArray& bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile f(path);
    if (f.open(QIODevice::WriteOnly | QIODevice::Truncate))
        f.write(bytes);
}

} // namespace velta::test
