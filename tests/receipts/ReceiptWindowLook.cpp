#include "tests/receipts/ReceiptWindowLook.h"

#include <QAbstractButton>
#include <QApplication>
#include <QDir>
#include <QFile>
#include <QFontDatabase>
#include <QLabel>
#include <QPixmap>
#include <QWidget>

namespace velta::test {

void saveShot(QWidget& window, const QString& name)
{
    const QString folder = qEnvironmentVariable("VELTA_SHOTS");
    if (folder.isEmpty())
        return;
    QDir().mkpath(folder);
    window.grab().save(QDir(folder).filePath(name));
}

namespace {

QString textOf(const QWidget& widget)
{
    if (const auto* label = qobject_cast<const QLabel*>(&widget))
        return label->text();
    if (const auto* button = qobject_cast<const QAbstractButton*>(&widget))
        return button->text();
    return {};
}

} // namespace

QStringList cutTexts(QWidget& window)
{
    QStringList cut;
    const QList<QWidget*> widgets = window.findChildren<QWidget*>();
    for (QWidget* widget : widgets) {
        if (!widget->isVisibleTo(&window) || textOf(*widget).isEmpty())
            continue;
        const QSize needed = widget->sizeHint();
        const bool tooSmall = widget->width() < needed.width() || widget->height() < needed.height();
        const bool outside = !widget->parentWidget()->rect().contains(widget->geometry());
        if (tooSmall || outside)
            cut << widget->objectName() + QStringLiteral(": ") + textOf(*widget);
    }
    return cut;
}

HostFontScope::HostFontScope()
    : previous_(QApplication::font())
{
    for (const QString& folder : {QStringLiteral("/usr/share/wine/fonts"), QStringLiteral("/usr/share/fonts/truetype/wine")}) {
        const QString regular = QDir(folder).filePath(QStringLiteral("tahoma.ttf"));
        if (!QFontDatabase::hasFamily(QStringLiteral("Tahoma")) && QFile::exists(regular)) {
            QFontDatabase::addApplicationFont(regular);
            QFontDatabase::addApplicationFont(QDir(folder).filePath(QStringLiteral("tahomabd.ttf")));
        }
    }
    if (!QFontDatabase::hasFamily(QStringLiteral("Tahoma")))
        return;
    QFont font(QStringLiteral("Tahoma"));
    font.setPointSize(8);
    QApplication::setFont(font);
    active_ = true;
}

HostFontScope::~HostFontScope()
{
    QApplication::setFont(previous_);
}

} // namespace velta::test
