#include "plugin/viewer/browser/ReportLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QRegularExpression>
#include <QTextDocument>
#include <QTextOption>
#include <cmath>

namespace velta::viewer {

QTextOption ReportTextOption()
{
    QTextOption option;
    option.setWrapMode(QTextOption::WordWrap);
    return option;
}

QString KeepNumbersTogether(const QString& html)
{
    // A space (or its entity) between a digit and a group of exactly three
    // digits that ends the number or goes on with another separator.
    static const QRegularExpression groupSpace(QStringLiteral(R"((?<=\d)(?: |&#32;)(?=\d{3}(?!\d)))"));
    static const QRegularExpression tag(QStringLiteral("<[^>]*>"));
    QString result;
    result.reserve(html.size());
    qsizetype at = 0;
    const auto appendText = [&result, &html](qsizetype from, qsizetype to) {
        QString text = html.mid(from, to - from);
        text.replace(groupSpace, QStringLiteral("&nbsp;"));
        result += text;
    };
    for (auto it = tag.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch match = it.next();
        appendText(at, match.capturedStart());
        result += match.capturedView();
        at = match.capturedEnd();
    }
    appendText(at, html.size());
    return result;
}

PageLayout LayOutForPages(const QTextDocument& source, QPaintDevice& device, const QSizeF& pageSize,
                          QObject* resourceOwner)
{
    PageLayout layout;
    layout.document.reset(source.clone(resourceOwner));
    QTextDocument& doc = *layout.document;
    doc.documentLayout()->setPaintDevice(&device);
    layout.page = pageSize;
    doc.setPageSize(pageSize);
    // A table whose words do not fit the page widens the document past it;
    // laid out at that width, the whole is shrunk to the page. A second round
    // settles what the wider pages changed.
    for (int round = 0; round < 2; ++round) {
        const qreal needed = std::ceil(doc.documentLayout()->documentSize().width());
        if (needed <= layout.page.width())
            break;
        layout.scale = pageSize.width() / needed;
        layout.page = QSizeF(needed, pageSize.height() / layout.scale);
        doc.setPageSize(layout.page);
    }
    return layout;
}

} // namespace velta::viewer
