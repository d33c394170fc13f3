#pragma once
// The scripted demo tour: shows the host window, opens its "&Журналы" menu (and
// a "Отчеты" submenu when there is one) and "&Настройка", and saves
// screenshots of the window and of each open menu into a folder. Whatever
// menus exist are photographed, so the tour also works without the plug-in.
#include <QString>
#include <QStringList>

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

    QString folder_;
    QStringList written_;
};

} // namespace velta::host
