#include "plugin/viewer/browser/BrowserView.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/viewer/browser/BrowserFindDialog.h"
#include "plugin/viewer/print/CurrentPrinter.h"
#include "plugin/viewer/browser/HtmlFileText.h"
#include "plugin/viewer/browser/ReportLayout.h"

#include <QAbstractTextDocumentLayout>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QFile>
#include <QFileInfo>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QMenu>
#include <QMimeData>
#include <QPainter>
#include <QPrintPreviewDialog>
#include <QPrinter>
#include <QScrollBar>
#include <QStringDecoder>
#include <QTextBrowser>
#include <QTextDocumentFragment>
#include <QUrl>
#include <QVBoxLayout>
#include <algorithm>
#include <array>
#include <cmath>
#include <memory>
#include <optional>

namespace velta::viewer {

DocHostUIHandler::~DocHostUIHandler() = default;

namespace {

// The browser's five text sizes as factors of the medium size.
constexpr std::array<double, 5> kTextSizeFactors{0.75, 0.88, 1.0, 1.2, 1.5};
constexpr double kMinZoom = 0.01;
constexpr double kMaxZoom = 100.0;

[[noreturn]] void raiseNoDocument()
{
    throw EOleException(QStringLiteral("Документ не загружен"));
}

// The document's text as a browser reads the file: a byte order mark first,
// then the charset the head declares, then UTF-8 when the bytes are valid
// UTF-8, otherwise the stations' ANSI code page, cp1251.
QString decodeHtml(const QByteArray& bytes)
{
    if (bytes.startsWith("\xEF\xBB\xBF") || bytes.startsWith("\xFF\xFE") || bytes.startsWith("\xFE\xFF")) {
        auto encoding = QStringConverter::encodingForData(bytes);
        QStringDecoder decoder(encoding.value_or(QStringConverter::Utf8));
        return decoder(bytes);
    }
    constexpr qsizetype kHeadScan = 64 * 1024;
    const QString charset = declaredHtmlCharset(QString::fromLatin1(bytes.left(kHeadScan)));
    if (charset == QLatin1String("windows-1251") || charset == QLatin1String("cp1251")
        || charset == QLatin1String("x-cp1251") || charset == QLatin1String("win-1251"))
        return codec::fromCp1251(bytes);
    if (charset == QLatin1String("utf-8") || charset == QLatin1String("utf8"))
        return QString::fromUtf8(bytes);
    if (!charset.isEmpty()) {
        QStringDecoder declared(charset.toLatin1().constData());
        if (declared.isValid())
            return declared(bytes);
    }
    QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
    QString text = utf8(bytes);
    if (!utf8.hasError())
        return text;
    return codec::fromCp1251(bytes);
}

QString readHtmlFile(const QString& fileName)
{
    QFile file(fileName);
    if (!file.open(QIODevice::ReadOnly))
        return {};
    return decodeHtml(file.readAll());
}

// Lays a copy of the document out on the printer's page (scaled down when its
// tables are wider) and paints the pages the printer asks for (all of them
// when it names no range).
void paintDocument(QPainter& painter, QPrinter& printer, const QTextDocument& source, QObject* resourceOwner)
{
    const PageLayout layout =
        LayOutForPages(source, printer, printer.pageRect(QPrinter::DevicePixel).size(), resourceOwner);
    QTextDocument& doc = *layout.document;
    const QSizeF page = layout.page;
    const int pageCount = doc.pageCount();
    int from = printer.fromPage() > 0 ? printer.fromPage() : 1;
    int to = printer.toPage() > 0 ? std::min(printer.toPage(), pageCount) : pageCount;
    for (int number = from; number <= to; ++number) {
        if (number > from)
            printer.newPage();
        const QRectF clip(0, (number - 1) * page.height(), page.width(), page.height());
        painter.save();
        painter.scale(layout.scale, layout.scale);
        painter.translate(0, -clip.top());
        QAbstractTextDocumentLayout::PaintContext context;
        context.clip = clip;
        context.palette.setColor(QPalette::Text, Qt::black);
        doc.documentLayout()->draw(&painter, context);
        painter.restore();
    }
}

} // namespace

// A loaded file not yet shown: its text and the host's settings for it.
struct PendingDocument {
    QString html;
    QString fileName;
    DocHostUIInfo info;
};

class BrowserView::Private {
public:
    QTextBrowser* view = nullptr;
    DocHostUIHandler* host = nullptr;
    bool hasDocument = false;
    std::optional<PendingDocument> pending;
    double zoom = 1.0;
    int textSize = kMediumText;
    QFont baseFont;
    QFrame::Shape defaultShape = QFrame::StyledPanel;
    QPointer<QMenu> popupMenu;
    QPointer<QMenu> lastContextMenu;
    quint64 navigation = 0;

    // The key whose ShortcutOverride was offered to the host, and the answer:
    // its KeyPress follows and must not be offered a second time.
    int offeredKey = 0;
    bool offeredHandled = false;

    QFont renderedFont() const
    {
        QFont font = baseFont;
        const double scale = zoom * kTextSizeFactors[static_cast<size_t>(textSize)];
        if (baseFont.pointSizeF() > 0)
            font.setPointSizeF(baseFont.pointSizeF() * scale);
        else if (baseFont.pixelSize() > 0)
            font.setPixelSize(std::max(1, static_cast<int>(std::lround(baseFont.pixelSize() * scale))));
        return font;
    }

    // A document still pending takes the font when it is shown.
    void applyFont()
    {
        if (!pending)
            view->setFont(renderedFont());
    }

    // Shows the pending document. Its text goes into an empty document that
    // already has its font, style sheet and view settings, so the whole text is
    // laid out only once.
    void attachPending()
    {
        if (!pending)
            return;
        PendingDocument next = std::move(*pending);
        pending.reset();
        const QFont font = renderedFont();
        auto* doc = new QTextDocument(view);
        doc->setDefaultFont(font);
        doc->setDefaultStyleSheet(next.info.hostCss);
        doc->setMetaInformation(QTextDocument::DocumentUrl, QUrl::fromLocalFile(next.fileName).toString());
        doc->setUndoRedoEnabled(false);
        view->setDocument(doc); // the previous document, a child of the view, goes with it
        view->setFont(font);
        applyHostInfo(next.info);
        view->setSearchPaths({QFileInfo(next.fileName).absolutePath()});
        // Narrow table columns wrap between words, never inside a word or a number.
        view->setWordWrapMode(QTextOption::WordWrap);
        doc->setDefaultTextOption(ReportTextOption());
        doc->setHtml(KeepNumbersTogether(next.html));
        // A document opens at its top, with nothing selected.
        view->setTextCursor(QTextCursor(doc));
        view->verticalScrollBar()->setValue(0);
        view->horizontalScrollBar()->setValue(0);
    }

    // True when there is a document; a pending one is shown first.
    bool ready()
    {
        attachPending();
        return hasDocument;
    }

    void applyHostInfo(const DocHostUIInfo& info)
    {
        // The vertical bar stays, as the browser's does, so that its showing
        // up never narrows the view and lays a long document out again.
        const bool noScroll = info.flags & DocHostUIInfo::kScrollNo;
        view->setVerticalScrollBarPolicy(noScroll ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAlwaysOn);
        view->setHorizontalScrollBarPolicy(noScroll ? Qt::ScrollBarAlwaysOff : Qt::ScrollBarAsNeeded);
        view->setFrameShape((info.flags & DocHostUIInfo::kNo3DBorder) ? QFrame::NoFrame : defaultShape);
        view->setTextInteractionFlags((info.flags & DocHostUIInfo::kDialog)
                                          ? Qt::LinksAccessibleByMouse | Qt::LinksAccessibleByKeyboard
                                          : Qt::TextBrowserInteraction);
    }

    // Asks the host about a key message; errors of the host count as handled.
    bool offerKey(const QKeyEvent& event)
    {
        if (!host)
            return false;
        try {
            return host->translateAccelerator(event);
        } catch (const std::exception& e) {
            qWarning("Browser host failed on a key: %s", e.what());
            return true;
        }
    }

    bool filterKey(QKeyEvent* event)
    {
        switch (event->type()) {
        case QEvent::ShortcutOverride:
            offeredKey = event->key();
            offeredHandled = offerKey(*event);
            if (!offeredHandled)
                return false;
            event->accept();
            return true;
        case QEvent::KeyPress: {
            // A KeyPress that came without its ShortcutOverride (sent directly,
            // or while a multi-key shortcut was pending) is offered itself.
            const bool offered = offeredKey != 0 && offeredKey == event->key();
            const bool handled = offered ? offeredHandled : offerKey(*event);
            offeredKey = 0;
            offeredHandled = false;
            return handled;
        }
        case QEvent::KeyRelease:
            if (event->key() == offeredKey) {
                offeredKey = 0;
                offeredHandled = false;
            }
            return offerKey(*event);
        default:
            return false;
        }
    }

    void showContextMenu(const QPoint& globalPos)
    {
        bool handled = false;
        if (host) {
            try {
                handled = host->showContextMenu(globalPos);
            } catch (const std::exception& e) {
                qWarning("Browser host failed on a context menu: %s", e.what());
                handled = true;
            }
        }
        if (handled)
            return;
        const QPoint viewportPos = view->viewport()->mapFromGlobal(globalPos);
        const QPoint documentPos =
            viewportPos + QPoint(view->horizontalScrollBar()->value(), view->verticalScrollBar()->value());
        QMenu* menu = view->createStandardContextMenu(documentPos);
        menu->setAttribute(Qt::WA_DeleteOnClose);
        lastContextMenu = menu;
        menu->popup(globalPos);
    }
};

BrowserView::BrowserView(QWidget* parent)
    : QWidget(parent)
    , d_(new Private)
{
    d_->view = new QTextBrowser(this);
    d_->view->setOpenLinks(false);
    d_->view->setOpenExternalLinks(false);
    d_->view->setContextMenuPolicy(Qt::DefaultContextMenu);
    d_->baseFont = d_->view->font();
    d_->defaultShape = d_->view->frameShape();
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(d_->view);
    setFocusProxy(d_->view);
    d_->view->installEventFilter(this);
    d_->view->viewport()->installEventFilter(this);
}

BrowserView::~BrowserView()
{
    // The text browser goes first so no event reaches the filter of a half-destroyed view.
    d_->view->removeEventFilter(this);
    d_->view->viewport()->removeEventFilter(this);
    delete d_->view;
    delete d_;
}

void BrowserView::setClientSite(DocHostUIHandler* host)
{
    d_->host = host;
}

DocHostUIHandler* BrowserView::clientSite() const
{
    return d_->host;
}

void BrowserView::navigate(const QString& fileName)
{
    PendingDocument next;
    next.html = readHtmlFile(fileName);
    next.fileName = fileName;
    if (!d_->host || !d_->host->hostInfo(next.info))
        next.info = DocHostUIInfo{};
    d_->pending = std::move(next);
    d_->hasDocument = true;

    // The document is laid out from the event loop, at the size the view has
    // then, unless a caller needs it earlier.
    const quint64 current = ++d_->navigation;
    QMetaObject::invokeMethod(
        this,
        [this, current] {
            if (current != d_->navigation)
                return;
            d_->attachPending();
            emit documentComplete();
        },
        Qt::QueuedConnection);
}

bool BrowserView::hasDocument() const
{
    return d_->hasDocument;
}

QString BrowserView::documentText() const
{
    return d_->ready() ? d_->view->document()->toPlainText() : QString();
}

void BrowserView::setZoom(double factor)
{
    if (!std::isfinite(factor))
        return;
    factor = std::clamp(factor, kMinZoom, kMaxZoom);
    if (factor == d_->zoom)
        return;
    d_->zoom = factor;
    d_->applyFont();
}

double BrowserView::zoom() const
{
    return d_->zoom;
}

void BrowserView::setTextSize(int index)
{
    index = std::clamp(index, kSmallestText, kLargestText);
    if (index == d_->textSize)
        return;
    d_->textSize = index;
    d_->applyFont();
}

int BrowserView::textSize() const
{
    return d_->textSize;
}

void BrowserView::selectAll()
{
    if (!d_->ready())
        raiseNoDocument();
    d_->view->selectAll();
}

void BrowserView::copy()
{
    if (!d_->ready())
        raiseNoDocument();
    const QTextCursor cursor = d_->view->textCursor();
    if (!cursor.hasSelection())
        return;
    const QTextDocumentFragment fragment = cursor.selection();
    auto* data = new QMimeData;
    data->setHtml(fragment.toHtml());
    data->setText(fragment.toPlainText());
    QGuiApplication::clipboard()->setMimeData(data);
}

void BrowserView::clearSelection()
{
    if (!d_->ready())
        raiseNoDocument();
    QTextCursor cursor = d_->view->textCursor();
    cursor.clearSelection();
    d_->view->setTextCursor(cursor);
}

bool BrowserView::hasSelection() const
{
    return d_->ready() && d_->view->textCursor().hasSelection();
}

QString BrowserView::selectedText() const
{
    return d_->ready() ? d_->view->textCursor().selection().toPlainText() : QString();
}

void BrowserView::scrollBy(int dy)
{
    d_->attachPending();
    QScrollBar* bar = d_->view->verticalScrollBar();
    bar->setValue(bar->value() + dy);
}

int BrowserView::scrollPosition() const
{
    d_->attachPending();
    return d_->view->verticalScrollBar()->value();
}

void BrowserView::showFindDialog(Dialogs& dialogs)
{
    if (!d_->ready())
        return;
    BrowserFindDialog dialog(*this, dialogs, this);
    dialogs.showModal(dialog);
}

bool BrowserView::findNext(const QString& text, bool matchCase, bool backward)
{
    if (!d_->ready() || text.isEmpty())
        return false;
    QTextDocument::FindFlags flags;
    if (matchCase)
        flags |= QTextDocument::FindCaseSensitively;
    if (backward)
        flags |= QTextDocument::FindBackward;
    return d_->view->find(text, flags);
}

void BrowserView::print(QPrinter& printer)
{
    if (!d_->ready())
        raiseNoDocument();
    QPainter painter;
    BeginPrintJob(painter, printer);
    paintDocument(painter, printer, *d_->view->document(), d_->view);
    painter.end();
}

bool BrowserView::pageSetup(QPrinter& printer, Dialogs& dialogs)
{
    return dialogs.printerSetup(printer);
}

void BrowserView::printPreview(QPrinter& printer, Dialogs& dialogs)
{
    if (!d_->ready())
        raiseNoDocument();
    QPrintPreviewDialog preview(&printer, this);
    preview.setObjectName(QStringLiteral("BrowserPrintPreview"));
    preview.setWindowTitle(QStringLiteral("Предварительный просмотр"));
    connect(&preview, &QPrintPreviewDialog::paintRequested, this, [this](QPrinter* target) {
        QPainter painter;
        if (painter.begin(target))
            paintDocument(painter, *target, *d_->view->document(), d_->view);
    });
    dialogs.showModal(preview);
}

QTextBrowser* BrowserView::documentView() const
{
    return d_->view;
}

void BrowserView::setPopupMenu(QMenu* menu)
{
    d_->popupMenu = menu;
}

QMenu* BrowserView::popupMenu() const
{
    return d_->popupMenu;
}

QMenu* BrowserView::lastContextMenu() const
{
    return d_->lastContextMenu;
}

bool BrowserView::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != d_->view && watched != d_->view->viewport())
        return QWidget::eventFilter(watched, event);
    switch (event->type()) {
    case QEvent::ShortcutOverride:
    case QEvent::KeyPress:
    case QEvent::KeyRelease:
        return d_->filterKey(static_cast<QKeyEvent*>(event));
    case QEvent::ContextMenu:
        d_->showContextMenu(static_cast<QContextMenuEvent*>(event)->globalPos());
        return true;
    default:
        return QWidget::eventFilter(watched, event);
    }
}

} // namespace velta::viewer
