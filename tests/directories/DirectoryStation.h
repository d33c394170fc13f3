#pragma once
// The directory tests over a real station: a station of the test's own (its
// writes stay in it), the host answering as a demo workplace (its payment
// types), scripted dialogs, the plug-in's data module connection, and reads
// of the station's tables that go past the directory's datasets.
#include "plugin/core/DBForm.h"
#include "plugin/data/ClientDataSet.h"
#include "tests/support/MenuStationFixture.h"
#include "tests/support/StationServer.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QDialog>
#include <QStringList>
#include <memory>

namespace velta::directories::test {

class DirectoryStationTest : public velta::test::MenuStationTest {
protected:
    void SetUp() override;
    void TearDown() override;
    // Changes the new station's database file before it is served.
    virtual void prepareStation(const QString& /*databasePath*/) {}

    // The rows of an SQL text, read through the station's custom SQL provider.
    std::unique_ptr<TClientDataSet> query(const QString& sql);
    // "NAME|ISDELETE" lines of the contragents with the name (any case).
    QStringList contragentsNamed(const QString& name);
    // "CTYPE:PARAM1" of a contragent's role rows, ordered.
    QStringList roleRowsOf(int id);
    int idOf(const QString& name);

    std::unique_ptr<velta::test::StationServer> own_;
    std::unique_ptr<core::TDBFrm> data_;
};

template <class T = QWidget>
T& control(QWidget& window, const char* name)
{
    T* found = window.findChild<T*>(QString::fromLatin1(name));
    if (!found)
        throw std::runtime_error(std::string("no control ") + name);
    return *found;
}

inline void press(QWidget& window, const char* name)
{
    control<QAbstractButton>(window, name).click();
    QCoreApplication::processEvents();
}

} // namespace velta::directories::test
