#include "host/HostWindow.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "host/HostConfig.h"
#include "host/HostSession.h"
#include "host/MenuStateRegistry.h"
#include "host/PluginLibrary.h"
#include "host/PrintJournal.h"
#include "host/PrintJournalView.h"
#include "host/QtMenuItem.h"
#include "host/ReportClient.h"

#include <QApplication>
#include <QDockWidget>
#include <QInputDialog>
#include <QLabel>
#include <QMenuBar>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QStatusBar>

namespace velta::host {
namespace {

const QString kJournals = QStringLiteral("&Журналы");

} // namespace

HostWindow::HostWindow(HostConfig& config, ErrorReporter reporter, QWidget* parent)
    : QMainWindow(parent),
      config_(config),
      reporter_(std::move(reporter)),
      menuStates_(std::make_unique<MenuStateRegistry>(config.menuMode)),
      journal_(std::make_unique<PrintJournal>()),
      reports_(std::make_unique<ReportClient>(config.stationHost, config.effectiveStationPort(), config.workplaceName))
{
    setObjectName(QStringLiteral("HostWindow"));
    setWindowTitle(QStringLiteral("Велта — %1").arg(config_.stationName));
    resize(1024, 800);

    session_ = std::make_unique<HostSession>(config_, *journal_, *menuStates_, reports_.get());
    session_->activate();
    root_ = QtMenuItem::makeRoot(menuBar(), this, [this](const QString& message) { reportError(message); });
    buildHostMenus();

    summary_ = new QLabel(this);
    summary_->setAlignment(Qt::AlignCenter);
    summary_->setMargin(24);
    setCentralWidget(summary_);

    journalDock_ = new QDockWidget(QStringLiteral("Кассовый журнал"), this);
    journalDock_->setObjectName(QStringLiteral("JournalDock"));
    journalView_ = new PrintJournalView(journalDock_);
    journalView_->setObjectName(QStringLiteral("JournalView"));
    journalDock_->setWidget(journalView_);
    addDockWidget(Qt::BottomDockWidgetArea, journalDock_);
    connect(journal_.get(), &PrintJournal::printed, journalView_,
            [this](const QString& device, const QString& call, const QStringList& lines) {
        journalView_->appendJob(device, call, lines);
        journalDock_->show();
    }, Qt::QueuedConnection);
    refreshStatus();
}

HostWindow::~HostWindow()
{
    // The handlers were made by the plug-in's code, so they go before it is
    // unloaded, and so do the menus it filled.
    root_->clearHandlers();
    menuStates_->clear();
    root_.reset();
    plugin_.reset();
    session_.reset();
}

void HostWindow::buildHostMenus()
{
    QtMenuItem* file = root_->insertChild(-1, QStringLiteral("&Файл"));
    QtMenuItem* change = file->insertChild(-1, QStringLiteral("Сменить пользователя..."));
    change->setName(QStringLiteral("ChangeUserItem"));
    change->setOnClick([this](plugin::MenuItem&) { chooseUser(); });
    file->insertChild(-1, QStringLiteral("-"));
    QtMenuItem* quit = file->insertChild(-1, QStringLiteral("Выход"));
    quit->setOnClick([this](plugin::MenuItem&) { close(); });

    QtMenuItem* settings = root_->insertChild(-1, QStringLiteral("&Настройка"));
    QtMenuItem* about = settings->insertChild(-1, QStringLiteral("Файл настроек хоста"));
    about->setOnClick([this](plugin::MenuItem&) {
        QMessageBox::information(this, QStringLiteral("Информация"),
                                 QStringLiteral("Настройки программы-хоста: %1").arg(config_.path()));
    });

    QtMenuItem* journals = root_->insertChild(-1, kJournals);
    QtMenuItem* cash = journals->insertChild(-1, QStringLiteral("Кассовый журнал"));
    cash->setName(QStringLiteral("CashJournalItem"));
    cash->setOnClick([this](plugin::MenuItem&) { journalDock_->show(); journalDock_->raise(); });
    QtMenuItem* check = journals->insertChild(-1, QStringLiteral("Проверка связи с сервером"));
    check->setName(QStringLiteral("CheckServerItem"));
    check->setOnClick([this](plugin::MenuItem&) { checkServer(); });

    QtMenuItem* help = root_->insertChild(-1, QStringLiteral("&Справка"));
    QtMenuItem* info = help->insertChild(-1, QStringLiteral("О программе"));
    info->setOnClick([this](plugin::MenuItem&) {
        QMessageBox::about(this, QStringLiteral("О программе"),
                           QStringLiteral("Велта: программа-хост модуля отчетов, версия %1").arg(config_.version));
    });
}

bool HostWindow::loadPlugin(const QString& path)
{
    if (!department_) {
        try {
            department_ = std::make_unique<DepartmentLibrary>(config_);
        } catch (const Exception& e) {
            reportError(e.message());
        }
    }
    try {
        plugin_ = std::make_unique<PluginLibrary>(path);
        session_->activate();
        plugin_->setGetValue(&HostSession::GetValue);
        plugin_->initReportMenu(reinterpret_cast<std::uintptr_t>(static_cast<QWidget*>(this)), root_.get(),
                                &HostSession::NewMenuItem, &HostSession::GetReport);
        plugin_->setNewUserPriv(root_.get(), &HostSession::GetPrivValue);
    } catch (const Exception& e) {
        reportError(e.message());
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
    refreshStatus();
    return plugin_ != nullptr;
}

QString HostWindow::pluginPath() const
{
    return plugin_ ? plugin_->path() : QString();
}

void HostWindow::changeUser(const QString& name)
{
    config_.currentUser = name;
    menuStates_->setMode(config_.menuMode);
    refreshStatus();
    if (!plugin_)
        return;
    try {
        plugin_->setNewUserPriv(root_.get(), &HostSession::GetPrivValue);
    } catch (const Exception& e) {
        reportError(e.message());
    } catch (const std::exception& e) {
        reportError(QString::fromUtf8(e.what()));
    }
}

void HostWindow::chooseUser()
{
    QStringList names;
    for (const UserSetting& user : config_.users)
        names << user.name;
    if (names.isEmpty())
        throw Exception(QStringLiteral("В настройках хоста нет пользователей"));
    bool ok = false;
    const QString name = QInputDialog::getItem(this, QStringLiteral("Смена пользователя"), QStringLiteral("Пользователь:"),
                                               names, std::max<qsizetype>(0, names.indexOf(config_.currentUser)), false, &ok);
    if (ok)
        changeUser(name);
}

void HostWindow::checkServer()
{
    QString answer;
    HostSession::GetReport(answer, report::kService, Variant(Variant::Array{Variant(report::kSelectorReturnsCodes)}));
    QMessageBox::information(this, QStringLiteral("Информация"),
                             QStringLiteral("Сервер %1:%2 ответил: %3")
                                 .arg(reports_->host()).arg(reports_->port()).arg(answer));
}

void HostWindow::reportError(const QString& message)
{
    if (reporter_) {
        reporter_(message);
        return;
    }
    QMessageBox::critical(this, QApplication::applicationDisplayName(), message);
}

void HostWindow::refreshStatus()
{
    const UserSetting* user = config_.user(config_.currentUser);
    const QString userName = user ? user->fullName : QStringLiteral("—");
    summary_->setText(QStringLiteral("<h2>%1</h2><p>%2</p><p>Оператор: %3</p><p>Сервер станции: %4:%5</p><p>%6</p>")
                          .arg(config_.stationName.toHtmlEscaped(), config_.organisation.toHtmlEscaped(),
                               userName.toHtmlEscaped(), reports_->host())
                          .arg(reports_->port())
                          .arg(plugin_ ? QStringLiteral("Модуль отчетов загружен") : QStringLiteral("Модуль отчетов не загружен")));
    statusBar()->showMessage(QStringLiteral("Пользователь: %1").arg(userName));
}

} // namespace velta::host
