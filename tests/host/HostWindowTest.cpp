// The host window: its menus, loading the plug-in library, the print journal
// behind the host's print functions, and the scripted tour's screenshots.
#include "common/Exception.h"
#include "host/DemoTour.h"
#include "host/HostConfig.h"
#include "host/HostSession.h"
#include "host/HostWindow.h"
#include "host/PluginLibrary.h"
#include "host/CashTape.h"
#include "host/PrintJournal.h"
#include "host/PrintJournalView.h"
#include "host/QtMenuItem.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QDialog>
#include <QDir>
#include <QFileInfo>
#include <QImage>
#include <QMenu>
#include <QPlainTextEdit>
#include <QPushButton>
#include <gtest/gtest.h>

namespace velta::host {
namespace {

QString binDir()
{
    return qEnvironmentVariable("VELTA_BIN_DIR");
}

class HostWindowTest : public ::testing::Test {
protected:
    test::TestEnv env;
    HostConfig config{env.path("root/host.ini")};
    QStringList errors;
    std::unique_ptr<HostWindow> window =
        std::make_unique<HostWindow>(config, [this](const QString& m) { errors << m; });

    QStringList topCaptions()
    {
        QStringList out;
        for (int i = 0; i < window->mainMenu().count(); ++i)
            out << window->mainMenu().item(i)->caption();
        return out;
    }
};

TEST_F(HostWindowTest, HasTheMenusThePluginLooksFor)
{
    EXPECT_EQ(topCaptions(), (QStringList{QStringLiteral("&Файл"), QStringLiteral("&Настройка"),
                                          QStringLiteral("&Журналы"), QStringLiteral("&Справка")}));
    QtMenuItem* journals = window->mainMenu().childByCaption(QStringLiteral("&Журналы"));
    ASSERT_NE(journals, nullptr);
    EXPECT_GE(journals->count(), 1);
    EXPECT_TRUE(journals->item(0)->hasOnClick());
    EXPECT_NE(window->mainMenu().childByCaption(QStringLiteral("&Файл"))->childByCaption(QStringLiteral("Сменить пользователя...")),
              nullptr);
}

TEST_F(HostWindowTest, LibraryWithoutTheExportsIsRefusedByName)
{
    // The runtime library is a real shared object that exports none of the four.
    const QString runtime = QDir::cleanPath(binDir() + QStringLiteral("/../lib/libvelta-runtime.so"));
    ASSERT_TRUE(QFileInfo::exists(runtime)) << runtime.toStdString();
    try {
        PluginLibrary library(runtime);
        FAIL() << "loaded a library without the exports";
    } catch (const Exception& e) {
        EXPECT_TRUE(e.message().contains(QStringLiteral("SetGetValue"))) << e.message().toStdString();
        EXPECT_TRUE(e.message().contains(runtime));
    }
    EXPECT_FALSE(window->loadPlugin(runtime));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(QStringLiteral("SetGetValue")));
    // The host goes on with its own menus.
    EXPECT_EQ(topCaptions().size(), 4);
}

TEST_F(HostWindowTest, MissingLibraryIsReportedWithItsPath)
{
    const QString path = env.path("nowhere/libVeltaReports9.so");
    EXPECT_FALSE(window->loadPlugin(path));
    ASSERT_EQ(errors.size(), 1);
    EXPECT_TRUE(errors[0].contains(path));
    EXPECT_FALSE(window->pluginLoaded());
}

TEST_F(HostWindowTest, PrintFunctionsWriteTheJournalFileAndWindow)
{
    Variant routine;
    HostSession::GetPrivValue(routine, 22);
    Variant receipt;
    HostSession::GetValue(receipt, 84, 0);
    const auto print22 = plugin::functionFromValue<plugin::HostPrintRoutineFn>(routine);
    const auto print84 = plugin::functionFromValue<plugin::HostReceiptPrintFn>(receipt);
    print22(4, {QStringLiteral("Сменный отчет №5"), QStringLiteral("Итого: 1 234,50")}, false);
    print84(0, 2, {QStringLiteral("ТОВАРНЫЙ ЧЕК"), QString(), QStringLiteral("АИ-95  10,00 л"),
                   QStringLiteral("@ИТОГО:    1234.50р."), QStringLiteral("Спасибо @ за покупку")}, 1, 1);

    const QString file = QString::fromUtf8(test::readFileBytes(window->journal().path()));
    EXPECT_TRUE(window->journal().path().startsWith(env.dir()));
    const qsizetype report = file.indexOf(QStringLiteral("Принтер"));
    const qsizetype total = file.indexOf(QStringLiteral("Итого: 1 234,50\n"));
    const qsizetype receiptHead = file.indexOf(QStringLiteral("Кассовый аппарат"));
    const qsizetype fuel = file.indexOf(QStringLiteral("АИ-95  10,00 л\n"));
    EXPECT_TRUE(report >= 0 && report < total && total < receiptHead && receiptHead < fuel) << file.toStdString();
    EXPECT_TRUE(file.contains(QStringLiteral("ТОВАРНЫЙ ЧЕК\n\nАИ-95"))) << "an empty line stays a line";
    EXPECT_EQ(window->journal().entries().size(), 2);

    QApplication::processEvents(); // the window gets the lines through the event loop
    const QString shown = window->journalView()->toPlainText();
    EXPECT_TRUE(shown.contains(QStringLiteral("Сменный отчет №5")));
    EXPECT_TRUE(shown.contains(QStringLiteral("АИ-95  10,00 л")));
    // The tape shows the "@" line bold without its marker; the file keeps what the function received.
    EXPECT_EQ(window->journalView()->boldLines(), QStringList{QStringLiteral("ИТОГО:    1234.50р.")});
    EXPECT_TRUE(file.contains(QStringLiteral("\n@ИТОГО:    1234.50р.\n")));
}

TEST(CashTapeTest, LongLinesGoOnInTheNextLineAndEmptyLinesFeedPaper)
{
    const QList<TapeLine> tape = layoutTape({QStringLiteral("@") + QString(45, QLatin1Char('x')), QString(),
                                             QStringLiteral("a\tb")}, 40);
    const QList<TapeLine> expected{{QString(40, QLatin1Char('x')), true}, {QString(5, QLatin1Char('x')), true},
                                   {QString(), false}, {QStringLiteral("a b"), false}};
    EXPECT_EQ(tape, expected);
}

TEST_F(HostWindowTest, UnwritableJournalRaisesToThePlugin)
{
    // A folder where the journal file should be makes the file unwritable.
    QDir().mkpath(env.path("root/blocked.txt"));
    PrintJournal journal(env.path("root/blocked.txt"));
    EXPECT_THROW(journal.print(QStringLiteral("Принтер"), QStringLiteral("x"), {QStringLiteral("a")}), EInOutError);
    EXPECT_TRUE(journal.entries().isEmpty());
}

TEST_F(HostWindowTest, ChangingTheUserReappliesTheModeWithoutAPlugin)
{
    window->changeUser(QStringLiteral("Оператор"));
    EXPECT_EQ(config.currentUser, QStringLiteral("Оператор"));
    Variant bonus;
    HostSession::GetPrivValue(bonus, 6);
    EXPECT_FALSE(bonus.toBool());
    EXPECT_TRUE(errors.isEmpty());
}

TEST_F(HostWindowTest, TourSavesTheWindowAndTheOpenMenus)
{
    const QString out = env.path("demo-out");
    const QStringList files = DemoTour(out).run(*window);
    QStringList names;
    for (const QString& f : files)
        names << QFileInfo(f).fileName();
    EXPECT_EQ(names, (QStringList{QStringLiteral("01-host.png"), QStringLiteral("02-journals-menu.png"),
                                  QStringLiteral("04-host-with-journals.png"), QStringLiteral("05-host-with-settings.png")}));
    const QImage host(QDir(out).filePath(QStringLiteral("01-host.png")));
    const QImage menu(QDir(out).filePath(QStringLiteral("02-journals-menu.png")));
    const QImage both(QDir(out).filePath(QStringLiteral("04-host-with-journals.png")));
    ASSERT_FALSE(host.isNull());
    ASSERT_FALSE(menu.isNull());
    ASSERT_FALSE(both.isNull());
    EXPECT_GT(menu.height(), 20) << "the menu was laid out with its items";
    EXPECT_GE(both.width(), host.width());
    EXPECT_GE(both.height(), host.height());
    EXPECT_NE(both, host) << "the open menu is painted over the window";
}

TEST_F(HostWindowTest, TourOpensAReportsSubmenuWhenThereIsOne)
{
    QtMenuItem* journals = window->mainMenu().childByCaption(QStringLiteral("&Журналы"));
    journals->setCaption(QStringLiteral("&Журналы/Отчеты"));
    QtMenuItem* reports = journals->insertChild(0, QStringLiteral("Отчеты"));
    reports->insertChild(-1, QStringLiteral("Сменный отчет"));
    const QStringList files = DemoTour(env.path("out")).run(*window);
    EXPECT_TRUE(files.contains(QDir(env.path("out")).filePath(QStringLiteral("03-reports-submenu.png"))));
    EXPECT_TRUE(files.contains(QDir(env.path("out")).filePath(QStringLiteral("02-journals-menu.png"))));
}

TEST_F(HostWindowTest, TourCommandsWorkEachWindowAsItShowsEvenOneShownAgainOrDestroyed)
{
    // A command as a report handler runs one: a list shown twice around a
    // viewer that is destroyed once closed, then a window that never shows.
    QtMenuItem* command = window->mainMenu().childByCaption(QStringLiteral("&Журналы"))->insertChild(-1, QStringLiteral("Отчет"));
    QStringList results;
    command->setOnClick([&results](plugin::MenuItem&) {
        QDialog list;
        list.setObjectName(QStringLiteral("List"));
        auto* ok = new QPushButton(QStringLiteral("Выбор"), &list);
        ok->setObjectName(QStringLiteral("BitBtn1"));
        QObject::connect(ok, &QPushButton::clicked, &list, &QDialog::accept);
        while (list.exec() == QDialog::Accepted) {
            auto viewer = std::make_unique<QDialog>();
            viewer->setObjectName(QStringLiteral("Viewer"));
            results << QString::number(viewer->exec());
        }
        results << QStringLiteral("cancelled");
    });
    QStringList acted;
    const auto act = [&acted](const QString& what, std::function<void(QDialog&)> then) {
        return [&acted, what, then](QDialog& shown) {
            acted << what;
            then(shown);
        };
    };
    const auto pressOk = [](QDialog& shown) { shown.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click(); };
    const auto reject = [](QDialog& shown) { shown.reject(); };
    DemoTour tour(env.path("out"));
    EXPECT_EQ(tour.runCommand(*command, {{QStringLiteral("List"), act(QStringLiteral("list"), pressOk)},
                                         {QStringLiteral("Viewer"), act(QStringLiteral("viewer"), reject)},
                                         {QStringLiteral("List"), act(QStringLiteral("list again"), pressOk)},
                                         {QStringLiteral("Viewer"), act(QStringLiteral("viewer again"), reject)},
                                         {QStringLiteral("List"), act(QStringLiteral("list last"), reject)}}),
              QString());
    EXPECT_EQ(acted, (QStringList{"list", "viewer", "list again", "viewer again", "list last"}));
    EXPECT_EQ(results, (QStringList{"0", "0", "cancelled"}));

    // A window that does not come: the open ones are closed so the command ends.
    acted.clear();
    results.clear();
    EXPECT_EQ(tour.runCommand(*command, {{QStringLiteral("List"), act(QStringLiteral("list"), pressOk)},
                                         {QStringLiteral("Absent"), act(QStringLiteral("absent"), reject)}},
                              1000),
              QStringLiteral("the window Absent did not open"));
    EXPECT_EQ(acted, QStringList{"list"});
    EXPECT_EQ(results, (QStringList{"0", "cancelled"}));
}

TEST_F(HostWindowTest, TourIntoAnUnwritableFolderRaises)
{
    test::writeFileBytes(env.path("file"), "x");
    EXPECT_THROW(DemoTour(env.path("file/out")).run(*window), EInOutError);
}

} // namespace
} // namespace velta::host
