// The office automation stand-in: programs that are never registered, the
// service manager only with soffice on the search path, and the paste that
// hands the clipboard's report to a new Writer or Calc document.
#include "common/Exception.h"
#include "plugin/platform/Paths.h"
#include "plugin/viewer/export/OfficeAutomation.h"
#include "tests/support/TestEnv.h"
#include "tests/viewer/export/ExportTestDoubles.h"

#include <QApplication>
#include <QClipboard>
#include <QMimeData>
#include <gtest/gtest.h>

namespace velta {
namespace {

class OfficeAutomationTest : public ::testing::Test {
protected:
    OleArgs args(std::initializer_list<Variant> values)
    {
        OleArgs list;
        for (const Variant& value : values)
            list << OleVariant(value);
        return list;
    }

    // Desktop and dispatcher of a service manager, and a document of the factory loaded.
    void loadAndPaste(const QString& factory)
    {
        const OleVariant manager = automation.createOleObject(QStringLiteral("com.sun.star.ServiceManager"));
        ASSERT_TRUE(manager.isObject());
        const OleVariant desktop = manager.call(QStringLiteral("CreateInstance"), args({"com.sun.star.frame.Desktop"}));
        const OleVariant dispatcher =
            manager.call(QStringLiteral("CreateInstance"), args({"com.sun.star.frame.DispatchHelper"}));
        desktop.call(QStringLiteral("LoadComponentFromURL"), args({factory, "_blank", 0, Variant(Variant::Array{})}));
        OleArgs dispatch = args({".uno:Paste", QString(), 0, Variant(Variant::Array{})});
        dispatch.prepend(desktop.get(QStringLiteral("CurrentFrame")));
        dispatcher.call(QStringLiteral("executeDispatch"), dispatch);
    }

    QStringList receivedArgs() const
    {
        return QString::fromUtf8(test::readFileBytes(env.path(QStringLiteral("soffice-args.txt"))))
            .split(u'\n', Qt::SkipEmptyParts);
    }

    test::TestEnv env;
    OfficeAutomation automation;
};

TEST_F(OfficeAutomationTest, OtherSuitesAndUnknownProgramsAreNotRegistered)
{
    const test::SearchPathScope path(test::pathWithFolderFirst(test::writeStandInOffice(env.dir())));
    for (const char* progId : {"Word.Application", "Excel.Application", "Outlook.Application", ""}) {
        try {
            automation.createOleObject(QString::fromUtf8(progId));
            ADD_FAILURE() << progId << " made an object";
        } catch (const EOleSysError& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Недопустимая строка с указанием класса")) << progId;
        }
    }
}

TEST_F(OfficeAutomationTest, ServiceManagerNeedsSofficeOnThePath)
{
    QDir().mkpath(env.path(QStringLiteral("empty")));
    {
        const test::SearchPathScope path(env.path(QStringLiteral("empty")));
        EXPECT_TRUE(OfficeAutomation::findOffice().isEmpty());
        EXPECT_THROW(automation.createOleObject(QStringLiteral("com.sun.star.ServiceManager")), EOleSysError);
    }
    const test::SearchPathScope path(env.path(QStringLiteral("empty")) + u':' + test::writeStandInOffice(env.dir()));
    EXPECT_TRUE(automation.createOleObject(QStringLiteral("com.sun.star.ServiceManager")).isObject());
}

TEST_F(OfficeAutomationTest, WriterPasteOpensTheClipboardHtmlAsNewDocument)
{
    const test::SearchPathScope path(test::pathWithFolderFirst(test::writeStandInOffice(env.dir())));
    auto* data = new QMimeData;
    data->setHtml(QStringLiteral("<html><head><meta charset=\"utf-8\"></head><body><p>Итого: 125,50</p></body></html>"));
    data->setText(QStringLiteral("Итого: 125,50"));
    QApplication::clipboard()->setMimeData(data);

    loadAndPaste(QStringLiteral("private:factory/swriter"));

    ASSERT_TRUE(test::waitForFile(env.path(QStringLiteral("soffice-args.txt"))));
    const QStringList received = receivedArgs();
    ASSERT_EQ(received.size(), 3);
    EXPECT_EQ(received[0], QStringLiteral("--infilter=HTML (StarWriter)"));
    EXPECT_EQ(received[1], QStringLiteral("-n"));
    // The document is written into the suite's temporary folder.
    EXPECT_TRUE(received[2].startsWith(Paths::toNative(Paths::tempFolder()))) << received[2].toStdString();
    EXPECT_TRUE(received[2].endsWith(QStringLiteral(".html")));
    const QString copy = QString::fromUtf8(test::readFileBytes(env.path(QStringLiteral("soffice-received.html"))));
    EXPECT_TRUE(copy.contains(QStringLiteral("<p>Итого: 125,50</p>"))) << copy.toStdString();
}

TEST_F(OfficeAutomationTest, CalcPasteOfPlainTextWrapsItEscaped)
{
    const test::SearchPathScope path(test::pathWithFolderFirst(test::writeStandInOffice(env.dir())));
    auto* data = new QMimeData;
    data->setText(QStringLiteral("Литры < 10 & цена"));
    QApplication::clipboard()->setMimeData(data);

    loadAndPaste(QStringLiteral("private:factory/scalc"));

    ASSERT_TRUE(test::waitForFile(env.path(QStringLiteral("soffice-args.txt"))));
    EXPECT_EQ(receivedArgs().value(0), QStringLiteral("--infilter=HTML (StarCalc)"));
    const QByteArray copy = test::readFileBytes(env.path(QStringLiteral("soffice-received.html")));
    EXPECT_TRUE(copy.contains(QStringLiteral("<pre>Литры &lt; 10 &amp; цена</pre>").toUtf8()));
    EXPECT_TRUE(copy.contains("charset=utf-8"));
}

TEST_F(OfficeAutomationTest, ObjectModelRefusesWhatItDoesNotKnow)
{
    const test::SearchPathScope path(test::pathWithFolderFirst(test::writeStandInOffice(env.dir())));
    const OleVariant manager = automation.createOleObject(QStringLiteral("com.sun.star.ServiceManager"));
    // An unknown service gives no object; calls on it fail.
    const OleVariant none = manager.call(QStringLiteral("createinstance"), args({"com.sun.star.frame.Unknown"}));
    EXPECT_FALSE(none.isObject());
    EXPECT_THROW(none.call(QStringLiteral("Anything")), EOleException);
    EXPECT_THROW(manager.call(QStringLiteral("Shutdown")), EOleException);
    EXPECT_THROW(manager.call(QStringLiteral("CreateInstance")), EOleException);

    const OleVariant desktop = manager.call(QStringLiteral("CreateInstance"), args({"com.sun.star.frame.Desktop"}));
    EXPECT_THROW(desktop.call(QStringLiteral("LoadComponentFromURL"),
                              args({"private:factory/simpress", "_blank", 0, Variant(Variant::Array{})})),
                 EOleException);
    // Without a loaded document there is no frame to paste into, and nothing starts.
    EXPECT_FALSE(desktop.get(QStringLiteral("CurrentFrame")).isObject());
    const OleVariant dispatcher =
        manager.call(QStringLiteral("CreateInstance"), args({"com.sun.star.frame.DispatchHelper"}));
    OleArgs dispatch = args({".uno:Paste", QString(), 0, Variant(Variant::Array{})});
    dispatch.prepend(desktop.get(QStringLiteral("CurrentFrame")));
    EXPECT_THROW(dispatcher.call(QStringLiteral("executeDispatch"), dispatch), EOleException);
    QThread::msleep(200);
    EXPECT_FALSE(QFile::exists(env.path(QStringLiteral("soffice-args.part"))));
    EXPECT_FALSE(QFile::exists(env.path(QStringLiteral("soffice-args.txt"))));
}

TEST_F(OfficeAutomationTest, OfficeThatCannotStartFailsThePaste)
{
    const QString bin = env.path(QStringLiteral("broken"));
    QDir().mkpath(bin);
    QFile script(bin + QStringLiteral("/soffice"));
    ASSERT_TRUE(script.open(QIODevice::WriteOnly));
    script.write("#!/nonexistent/interpreter\n");
    script.close();
    script.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    const test::SearchPathScope path(bin);
    QApplication::clipboard()->setText(QStringLiteral("отчет"));
    try {
        loadAndPaste(QStringLiteral("private:factory/swriter"));
        ADD_FAILURE() << "the paste succeeded";
    } catch (const EOleException& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("soffice"))) << e.what();
    }
    // The document meant for it does not stay behind.
    const QDir temp(Paths::toNative(Paths::tempFolder()));
    EXPECT_TRUE(temp.entryList({QStringLiteral("veltaexport-*")}, QDir::Files).isEmpty());
}

} // namespace
} // namespace velta
