#pragma once
// The form placement store: a window's position, size and state, and the
// extra named values a window keeps between runs, in one key of the current
// user's registry: <root key>\<section>, the section being the window's name.
// A restored window is kept on the screens there are now; a missing or
// damaged value reads as the caller's default and never fails the window.
#include <QList>
#include <QRect>
#include <QString>
#include <optional>

class QWidget;

namespace velta {

class FormPlacement {
public:
    // Value names of the window's placement.
    static constexpr const char* kLeft = "Left";
    static constexpr const char* kTop = "Top";
    static constexpr const char* kWidth = "Width";
    static constexpr const char* kHeight = "Height";
    // 0 normal, 1 minimised, 2 maximised (the framework's window states).
    static constexpr const char* kState = "State";

    static QString commonKey();  // "Software\Norvane\Velta\common"
    static QString reportsKey(); // "Software\Norvane\Velta\veltareports"

    explicit FormPlacement(QString section, QString rootKey = commonKey());
    // The section is the window's objectName, or its class name without one.
    explicit FormPlacement(const QWidget& window, QString rootKey = commonKey());

    QString section() const { return section_; }
    QString keyPath() const;

    // Writes position, size and state; false when the registry refused.
    bool save(const QWidget& window) const;
    // Restores what is stored, fitted to the available areas of the current
    // screens; false (window untouched) when nothing is stored.
    bool restore(QWidget& window) const;
    bool restore(QWidget& window, const QList<QRect>& screens) const;

    // The rectangle moved (and shrunk when needed) to lie wholly on the
    // screen it overlaps most, or on the first screen when it overlaps none.
    static QRect fitToScreens(const QRect& rect, const QList<QRect>& screens);

    // Extra values. Reads give the default when the value is missing or holds
    // something of no use; integers and booleans also read from their text.
    int readInteger(const QString& name, int defaultValue) const;
    QString readString(const QString& name, const QString& defaultValue) const;
    bool readBool(const QString& name, bool defaultValue) const;
    // Stored as text with a full stop, independent of the machine's settings.
    double readFloat(const QString& name, double defaultValue) const;

    // Writes return false when the registry refused.
    bool writeInteger(const QString& name, int value) const;
    bool writeString(const QString& name, const QString& value) const;
    bool writeBool(const QString& name, bool value) const;
    bool writeFloat(const QString& name, double value) const;

    bool valueExists(const QString& name) const;

private:
    std::optional<int> integerValue(const QString& name) const;

    QString section_;
    QString rootKey_;
};

} // namespace velta
