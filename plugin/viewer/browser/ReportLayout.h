#pragma once
// How the browser lays a report out, on screen and on paper: lines break only
// between words, a number's digit groups stay together, and a table wider
// than the page is printed scaled down to the page instead of being cut or
// broken inside its words.
#include <QSizeF>
#include <QString>
#include <memory>

class QObject;
class QPaintDevice;
class QTextDocument;
class QTextOption;

namespace velta::viewer {

// The text option of a report document: wrapping at word boundaries only.
QTextOption ReportTextOption();

// The HTML with the plain spaces between the digit groups of a number
// ("1 234 567,89") made non-breaking; markup is left as it is.
QString KeepNumbersTogether(const QString& html);

// A copy of a document laid out on pages of a device.
struct PageLayout {
    std::unique_ptr<QTextDocument> document;
    double scale = 1.0; // device pixels per document pixel, at most 1
    QSizeF page;        // one page in document pixels
};

// Lays a copy of source out on pages of pageSize device pixels; when its
// widest part needs more than the page's width, the copy is laid out that wide
// and scaled down to the page.
PageLayout LayOutForPages(const QTextDocument& source, QPaintDevice& device, const QSizeF& pageSize,
                          QObject* resourceOwner);

} // namespace velta::viewer
