#include "plugin/ui/FormPlacement.h"

#include "common/Exception.h"
#include "plugin/platform/Registry.h"

#include <QGuiApplication>
#include <QScreen>
#include <QWidget>
#include <algorithm>
#include <cmath>

namespace velta {

namespace {

constexpr int kStateNormal = 0;
constexpr int kStateMinimized = 1;
constexpr int kStateMaximized = 2;

QString name(const char* latin1)
{
    return QString::fromLatin1(latin1);
}

QString sectionOf(const QWidget& window)
{
    if (!window.objectName().isEmpty())
        return window.objectName();
    QString className = QString::fromLatin1(window.metaObject()->className());
    const qsizetype colons = className.lastIndexOf(QLatin1String("::"));
    return colons >= 0 ? className.mid(colons + 2) : className;
}

// Runs a write on the key, created when missing; false on any refusal.
template <class Write>
bool writeTo(const QString& key, Write write)
{
    try {
        TRegistry reg(RootKey::CurrentUser);
        if (!reg.openKey(key, true))
            return false;
        write(reg);
        return true;
    } catch (const Exception&) {
        return false;
    }
}

QList<QRect> currentScreens()
{
    QList<QRect> areas;
    if (QScreen* primary = QGuiApplication::primaryScreen())
        areas << primary->availableGeometry();
    for (QScreen* screen : QGuiApplication::screens())
        if (screen != QGuiApplication::primaryScreen())
            areas << screen->availableGeometry();
    return areas;
}

} // namespace

QString FormPlacement::commonKey()
{
    return QStringLiteral("Software\\Norvane\\Velta\\common");
}

QString FormPlacement::reportsKey()
{
    return QStringLiteral("Software\\Norvane\\Velta\\veltareports");
}

FormPlacement::FormPlacement(QString section, QString rootKey)
    : section_(std::move(section))
    , rootKey_(std::move(rootKey))
{
}

FormPlacement::FormPlacement(const QWidget& window, QString rootKey)
    : FormPlacement(sectionOf(window), std::move(rootKey))
{
}

QString FormPlacement::keyPath() const
{
    QString root = rootKey_;
    while (root.endsWith(u'\\'))
        root.chop(1);
    return section_.isEmpty() ? root : root + u'\\' + section_;
}

bool FormPlacement::valueExists(const QString& valueName) const
{
    TRegistry reg(RootKey::CurrentUser);
    return reg.openKeyReadOnly(keyPath()) && reg.valueExists(valueName);
}

std::optional<int> FormPlacement::integerValue(const QString& valueName) const
{
    try {
        TRegistry reg(RootKey::CurrentUser);
        if (!reg.openKeyReadOnly(keyPath()))
            return std::nullopt;
        switch (reg.dataType(valueName)) {
        case RegDataType::Integer:
        case RegDataType::Boolean:
            return reg.readInteger(valueName);
        case RegDataType::String: {
            bool ok = false;
            const int number = reg.readString(valueName).trimmed().toInt(&ok);
            return ok ? std::optional<int>(number) : std::nullopt;
        }
        case RegDataType::None:
            break;
        }
    } catch (const Exception&) {
    }
    return std::nullopt;
}

int FormPlacement::readInteger(const QString& valueName, int defaultValue) const
{
    return integerValue(valueName).value_or(defaultValue);
}

bool FormPlacement::readBool(const QString& valueName, bool defaultValue) const
{
    const std::optional<int> number = integerValue(valueName);
    return number ? *number != 0 : defaultValue;
}

QString FormPlacement::readString(const QString& valueName, const QString& defaultValue) const
{
    try {
        TRegistry reg(RootKey::CurrentUser);
        if (!reg.openKeyReadOnly(keyPath()))
            return defaultValue;
        switch (reg.dataType(valueName)) {
        case RegDataType::String:
            return reg.readString(valueName);
        case RegDataType::Integer:
        case RegDataType::Boolean:
            return QString::number(reg.readInteger(valueName));
        case RegDataType::None:
            break;
        }
    } catch (const Exception&) {
    }
    return defaultValue;
}

double FormPlacement::readFloat(const QString& valueName, double defaultValue) const
{
    const QString text = readString(valueName, QString()).trimmed();
    bool ok = false;
    const double value = QString(text).replace(u',', u'.').toDouble(&ok);
    return ok && std::isfinite(value) ? value : defaultValue;
}

bool FormPlacement::writeInteger(const QString& valueName, int value) const
{
    return writeTo(keyPath(), [&](TRegistry& reg) { reg.writeInteger(valueName, value); });
}

bool FormPlacement::writeString(const QString& valueName, const QString& value) const
{
    return writeTo(keyPath(), [&](TRegistry& reg) { reg.writeString(valueName, value); });
}

bool FormPlacement::writeBool(const QString& valueName, bool value) const
{
    return writeTo(keyPath(), [&](TRegistry& reg) { reg.writeBool(valueName, value); });
}

bool FormPlacement::writeFloat(const QString& valueName, double value) const
{
    return writeString(valueName, QString::number(value, 'g', 17));
}

bool FormPlacement::save(const QWidget& window) const
{
    const bool maximized = window.isMaximized();
    const int state = maximized ? kStateMaximized : window.isMinimized() ? kStateMinimized : kStateNormal;
    QRect rect(window.pos(), window.size());
    if (state != kStateNormal && window.normalGeometry().isValid())
        rect = window.normalGeometry();
    return writeTo(keyPath(), [&](TRegistry& reg) {
        reg.writeInteger(name(kLeft), rect.x());
        reg.writeInteger(name(kTop), rect.y());
        reg.writeInteger(name(kWidth), rect.width());
        reg.writeInteger(name(kHeight), rect.height());
        reg.writeInteger(name(kState), state);
    });
}

bool FormPlacement::restore(QWidget& window) const
{
    return restore(window, currentScreens());
}

bool FormPlacement::restore(QWidget& window, const QList<QRect>& screens) const
{
    const std::optional<int> left = integerValue(name(kLeft));
    const std::optional<int> top = integerValue(name(kTop));
    const std::optional<int> width = integerValue(name(kWidth));
    const std::optional<int> height = integerValue(name(kHeight));
    if (!left && !top && !width && !height)
        return false;

    // What is missing or nonsense keeps the window's own value.
    QRect rect(window.pos(), window.size());
    if (left)
        rect.moveLeft(*left);
    if (top)
        rect.moveTop(*top);
    const bool fixedSize = window.minimumSize() == window.maximumSize();
    if (!fixedSize) {
        QSize size = rect.size();
        if (width && *width > 0)
            size.setWidth(*width);
        if (height && *height > 0)
            size.setHeight(*height);
        rect.setSize(size.expandedTo(window.minimumSize()).boundedTo(window.maximumSize()));
    }
    rect = fitToScreens(rect, screens);
    window.resize(rect.size());
    window.move(rect.topLeft());
    // A window never comes back minimised: the user could not find it.
    if (readInteger(name(kState), kStateNormal) == kStateMaximized)
        window.setWindowState(window.windowState() | Qt::WindowMaximized);
    return true;
}

QRect FormPlacement::fitToScreens(const QRect& rect, const QList<QRect>& screens)
{
    if (screens.isEmpty())
        return rect;
    QRect screen = screens.first();
    qint64 bestArea = 0;
    for (const QRect& candidate : screens) {
        const QRect common = candidate.intersected(rect);
        const qint64 area = common.isValid() ? qint64(common.width()) * common.height() : 0;
        if (area > bestArea) {
            bestArea = area;
            screen = candidate;
        }
    }
    const QSize size = rect.size().boundedTo(screen.size());
    const int x = std::clamp(rect.x(), screen.left(), screen.left() + screen.width() - size.width());
    const int y = std::clamp(rect.y(), screen.top(), screen.top() + screen.height() - size.height());
    return QRect(QPoint(x, y), size);
}

} // namespace velta
