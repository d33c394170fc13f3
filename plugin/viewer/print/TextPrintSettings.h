#pragma once
// The text-print settings shared by every viewer of the plug-in: orientation
// ("OSP"), font name ("FNP"), size in points ("SFP") and character set
// ("FCP"). They live for the whole plug-in; the viewer reads them from and
// writes them to section "Misc" of cnf.ini.
#include <QFont>
#include <QString>

namespace velta::viewer {

struct TextPrintSettings {
    bool portrait = true;
    QString fontName = QStringLiteral("Courier");
    int fontSize = 11;      // points
    int fontCharset = 204;  // the framework's character set number (204: Cyrillic)

    // The print font: the name and point size (fixed pitch is asked for, so a
    // missing face falls back to a fixed-pitch one).
    QFont font() const
    {
        QFont f(fontName);
        f.setPointSize(fontSize > 0 ? fontSize : 11);
        f.setFixedPitch(true);
        f.setStyleHint(QFont::TypeWriter);
        return f;
    }
};

// The plug-in's one set of these settings.
TextPrintSettings& SharedTextPrintSettings();

} // namespace velta::viewer
