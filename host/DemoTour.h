#pragma once
// The scripted demo tour: shows the host window, opens its "&Журналы" menu (and
// a "Отчеты" submenu when there is one) and "&Настройка", and saves
// screenshots of the window and of each open menu into a folder; then opens
// one report in the viewer and photographs its views. Whatever
// menus exist are photographed, so the tour also works without the plug-in.
#include <QString>
#include <QStringList>

class QDialog;
class QPixmap;

namespace velta::host {

class HostWindow;

class DemoTour {
public:
    explicit DemoTour(QString outputFolder) : folder_(std::move(outputFolder)) {}

    // Runs the tour; returns the files written. Raises EInOutError when the
    // folder or a screenshot cannot be written.
    QStringList run(HostWindow& window);

private:
    void save(const QPixmap& image, const QString& name);
    // The open report viewer in its text view, text preview and HTML view
    // with the options panel; closes it afterwards.
    void photographViewer(QDialog& viewer);

    QString folder_;
    QStringList written_;
};

} // namespace velta::host
