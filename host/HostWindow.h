#pragma once
// The host's main window: the menu bar the plug-in extends ("&Файл",
// "&Настройка", "&Журналы", "&Справка"), the cash register and printer journal,
// and the plug-in's loading and log-on calls.
#include <QMainWindow>
#include <functional>
#include <memory>

class QLabel;

class QDockWidget;

namespace velta::host {

class DepartmentLibrary;
class HostConfig;
class HostSession;
class MenuStateRegistry;
class PluginLibrary;
class PrintJournal;
class PrintJournalView;
class QtMenuItem;
class ReportClient;

class HostWindow : public QMainWindow {
    Q_OBJECT
public:
    using ErrorReporter = std::function<void(const QString& message)>;

    // An empty reporter shows errors in the host's error message box.
    explicit HostWindow(HostConfig& config, ErrorReporter reporter = {}, QWidget* parent = nullptr);
    ~HostWindow() override;

    // Loads the department library when the configuration names it, then the
    // plug-in, and calls SetGetValue, InitReportMenu and SetNewUserPriv in that
    // order; a failure is reported and leaves the host's own menus.
    bool loadPlugin(const QString& path);
    bool pluginLoaded() const { return plugin_ != nullptr; }
    // The loaded plug-in's file, or an empty text.
    QString pluginPath() const;
    // Logs the named user on: the plug-in fits its menu again (SetNewUserPriv).
    void changeUser(const QString& name);
    // Shows an error as the host does.
    void reportError(const QString& message);

    QtMenuItem& mainMenu() { return *root_; }
    HostConfig& config() { return config_; }
    PrintJournal& journal() { return *journal_; }
    MenuStateRegistry& menuStates() { return *menuStates_; }
    PrintJournalView* journalView() const { return journalView_; }

private:
    void buildHostMenus();
    void chooseUser();
    void checkServer();
    void refreshStatus();

    HostConfig& config_;
    ErrorReporter reporter_;
    std::unique_ptr<MenuStateRegistry> menuStates_;
    std::unique_ptr<PrintJournal> journal_;
    std::unique_ptr<ReportClient> reports_;
    std::unique_ptr<HostSession> session_;
    std::unique_ptr<QtMenuItem> root_;
    // Declared before the plug-in, so the plug-in is unloaded first.
    std::unique_ptr<DepartmentLibrary> department_;
    std::unique_ptr<PluginLibrary> plugin_;
    QDockWidget* journalDock_ = nullptr;
    PrintJournalView* journalView_ = nullptr;
    QLabel* summary_ = nullptr;
};

} // namespace velta::host
