#pragma once
// A private world for one test: VELTA_ROOT, the lock folder and the user's
// configuration folder point into a fresh temporary folder, removed afterwards.
#include <QByteArray>
#include <QString>
#include <QTemporaryDir>
#include <map>

namespace velta::test {

class TestEnv {
public:
    TestEnv();
    ~TestEnv();
    TestEnv(const TestEnv&) = delete;
    TestEnv& operator=(const TestEnv&) = delete;

    // The temporary folder (native path, no trailing slash).
    QString dir() const { return tmp_.path(); }
    // A native path inside the temporary folder.
    QString path(const QString& name) const { return tmp_.filePath(name); }

private:
    QTemporaryDir tmp_;
    std::map<QByteArray, QByteArray> saved_;
    void set(const char* name, const QString& value);
};

// Reads or writes a whole file as bytes (test convenience).
QByteArray readFileBytes(const QString& path);
void writeFileBytes(const QString& path, const QByteArray& bytes);

} // namespace velta::test
