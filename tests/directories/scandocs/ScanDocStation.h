#pragma once
// The scanned documents tests over a station of their own: the register
// opened from the report menu, a scanner folder with generated page images,
// the storage folders and the plug-in's log, and a database that refuses a
// document numbered "ОТКАЗ" and has a driver with a quote in the name.
#include "plugin/directories/scandocs/ScanDocListForm.h"
#include "plugin/platform/Clock.h"
#include "tests/directories/DirectoryStation.h"

#include <functional>

namespace velta::directories::scandocs::test {

using velta::directories::test::control;
using velta::directories::test::press;

// The number the database refuses.
inline const QString kRefusedNumber = QStringLiteral("ОТКАЗ");
inline const QString kStation = QStringLiteral("АЗС №7");
inline const QString kCommand = QStringLiteral("Отсканированные документы...");

class ScanDocStationTest : public velta::directories::test::DirectoryStationTest {
protected:
    void SetUp() override;
    void TearDown() override;
    void prepareStation(const QString& databasePath) override;

    // Opens the register from the menu and lets the user work it; whatever
    // page the user leaves it on, it is closed afterwards.
    void withRegister(const std::function<void(TScanDocListForm&)>& user);

    // A PNG of the size in the scanner folder; its native path.
    QString scannedPage(const QString& name, int width = 120, int height = 160);
    // The native path of a Windows-style path under the test's root.
    static QString native(const QString& windowsPath);
    // The plug-in's log lines written since the test began.
    QStringList logLines() const;
    // The FILENAMES of a stored document, empty when there is none.
    QString fileNamesOf(int id);
    int lastDocumentId();

    ManualClock clock_;
    QString scanner_;
};

} // namespace velta::directories::scandocs::test
