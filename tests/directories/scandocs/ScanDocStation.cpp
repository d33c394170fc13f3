#include "tests/directories/scandocs/ScanDocStation.h"

#include "common/Codecs.h"
#include "common/DateTime.h"
#include "plugin/core/HostContext.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/platform/Paths.h"
#include "station/db/StationDatabase.h"
#include "tests/support/TestEnv.h"

#include <QDir>
#include <QImage>

namespace velta::directories::scandocs::test {

namespace {
const QString kLog = QStringLiteral("C:\\DEXE\\LogFiles\\Reports.log");
}

void ScanDocStationTest::SetUp()
{
    DirectoryStationTest::SetUp();
    if (!own_)
        return;
    clock_.setNow(EncodeDate(2024, 3, 1) + EncodeTime(10, 0, 0, 0));
    Clock::install(&clock_);
    host.values[2] = Variant(QStringLiteral("Петрова Е.В."));
    host.values[13] = Variant(kStation);
    qputenv("VELTA_IMAGE_EDITOR", "true");
    scanner_ = env.path(QStringLiteral("scanner"));
    QDir().mkpath(scanner_);
    // The log goes into this test's root.
    core::logger().SetFileName(kLog);
}

void ScanDocStationTest::TearDown()
{
    qunsetenv("VELTA_IMAGE_EDITOR");
    Clock::install(nullptr);
    DirectoryStationTest::TearDown();
}

void ScanDocStationTest::prepareStation(const QString& databasePath)
{
    station::StationDatabase db(databasePath);
    db.exec(QStringLiteral("ALTER TABLE SCANDOC ADD CONSTRAINT CHK_SCANDOC_REFUSED CHECK (DOCNUMBER <> '%1')")
                .arg(kRefusedNumber));
    db.exec(QStringLiteral("UPDATE SCANDOC SET DRIVER = 'Д''Артаньян' WHERE ID = 1"));
}

void ScanDocStationTest::withRegister(const std::function<void(TScanDocListForm&)>& user)
{
    dialogs.expectModal(QStringLiteral("TScanDocListForm"))
        .withCaption(QStringLiteral("Учет отсканированных копий документов"))
        .drive([&](QDialog& window) {
            auto& form = dynamic_cast<TScanDocListForm&>(window);
            user(form);
            if (form.RegisterMode() != TScanDocListForm::List)
                form.btnCancelClick();
            if (form.isVisible())
                form.btnCancelClick();
        });
    click(kCommand);
    dialogs.verify();
}

QString ScanDocStationTest::scannedPage(const QString& name, int width, int height)
{
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(QColor(240, 240, 230));
    for (int y = 10; y < height - 10; y += 12)
        for (int x = 10; x < width - 10; ++x)
            image.setPixelColor(x, y, Qt::black);
    const QString path = scanner_ + QLatin1Char('/') + name;
    image.save(path, "PNG");
    return path;
}

QString ScanDocStationTest::native(const QString& windowsPath)
{
    return Paths::toNative(windowsPath);
}

QStringList ScanDocStationTest::logLines() const
{
    const QByteArray bytes = velta::test::readFileBytes(Paths::toNative(kLog));
    QString text = codec::fromCp1251(bytes);
    text.remove(QLatin1Char('\r'));
    return text.split(QLatin1Char('\n'), Qt::SkipEmptyParts);
}

QString ScanDocStationTest::fileNamesOf(int id)
{
    const auto rows = query(QStringLiteral("SELECT FILENAMES FROM SCANDOC WHERE ID = %1").arg(id));
    return rows->IsEmpty() ? QString() : rows->Fields(0).AsString();
}

int ScanDocStationTest::lastDocumentId()
{
    return query(QStringLiteral("SELECT MAX(ID) FROM SCANDOC"))->Fields(0).AsInteger();
}

} // namespace velta::directories::scandocs::test
