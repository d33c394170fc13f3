#pragma once
// BrowserView: the embedded web browser of the report viewer, over
// QTextBrowser. It loads an HTML file, zooms the document (the body's style
// zoom) and its text size (the browser's five text sizes), finds text, selects
// the whole document, copies the rendering to the clipboard as HTML and plain
// text, prints and previews. A document host (DocHostUIHandler) attached as
// its client site is asked for its settings when a document loads, offered
// every key before the browser acts on it, and asked before a context menu.
#include <QPointer>
#include <QString>
#include <QWidget>

class QKeyEvent;
class QMenu;
class QPrinter;
class QTextBrowser;

namespace velta {
class Dialogs;
}

namespace velta::viewer {

// The document host's settings (DOCHOSTUIINFO): flags and the host's style sheet.
struct DocHostUIInfo {
    static constexpr unsigned kDialog = 0x1;        // DOCHOSTUIFLAG_DIALOG: no text selection
    static constexpr unsigned kNo3DBorder = 0x4;    // DOCHOSTUIFLAG_NO3DBORDER
    static constexpr unsigned kScrollNo = 0x8;      // DOCHOSTUIFLAG_SCROLL_NO
    static constexpr unsigned kTheme = 0x40000;     // DOCHOSTUIFLAG_THEME
    static constexpr unsigned kNoTheme = 0x80000;   // DOCHOSTUIFLAG_NOTHEME
    unsigned flags = 0;
    QString hostCss;
};

// What the browser asks of the object set as its client site.
class DocHostUIHandler {
public:
    virtual ~DocHostUIHandler();
    // GetHostInfo: false when the host cannot answer (the browser keeps its defaults).
    virtual bool hostInfo(DocHostUIInfo& info) = 0;
    // ShowContextMenu: true when the host showed a menu itself.
    virtual bool showContextMenu(const QPoint& globalPos) = 0;
    // TranslateAccelerator: true when the key is handled and the browser must not act on it.
    virtual bool translateAccelerator(const QKeyEvent& event) = 0;
};

class BrowserView : public QWidget {
    Q_OBJECT
public:
    // Text sizes of the browser's zoom command, smallest to largest.
    static constexpr int kSmallestText = 0;
    static constexpr int kMediumText = 2;
    static constexpr int kLargestText = 4;

    explicit BrowserView(QWidget* parent = nullptr);
    ~BrowserView() override;

    // The client site: the host asked for settings, keys and context menus;
    // null detaches it. The host is not owned.
    void setClientSite(DocHostUIHandler* host);
    DocHostUIHandler* clientSite() const;

    // Loads the HTML file (a native path). The browser keeps its own copy, so
    // the file may be deleted afterwards. documentComplete() follows from the
    // event loop once the document is shown. A file that cannot be read
    // shows an empty document and still completes.
    void navigate(const QString& fileName);
    bool hasDocument() const;
    // The document's rendering as plain text (what a copy of everything gives).
    QString documentText() const;

    // The body's zoom; 1.0 is 100 percent.
    void setZoom(double factor);
    double zoom() const;
    // The text size, kSmallestText..kLargestText; values outside are clamped.
    void setTextSize(int index);
    int textSize() const;

    // The selection commands. copy() puts the selection on the clipboard as
    // HTML and plain text; with no document these raise EOleException.
    void selectAll();
    void copy();
    void clearSelection();
    bool hasSelection() const;
    QString selectedText() const;

    // window.scrollBy(0, dy) and the current vertical scroll position.
    void scrollBy(int dy);
    int scrollPosition() const;

    // The find dialog (objectName "BrowserFindDialog"), shown modally
    // through dialogs; it searches from the cursor and selects what it finds.
    void showFindDialog(Dialogs& dialogs);
    // One search step: selects the next match after the cursor (backward:
    // before it); false when there is none.
    bool findNext(const QString& text, bool matchCase, bool backward = false);

    // Prints the document on the printer without a dialog (the print
    // command without prompting). Raises EPrinter when the printer cannot print.
    void print(QPrinter& printer);
    // The page setup dialog for the printer; true when confirmed.
    bool pageSetup(QPrinter& printer, Dialogs& dialogs);
    // The print preview window (objectName "BrowserPrintPreview"), shown
    // modally through dialogs, of the document as it prints on the printer.
    void printPreview(QPrinter& printer, Dialogs& dialogs);

    // The widget that shows the document and has the keyboard focus.
    QTextBrowser* documentView() const;
    // The control's own popup menu, shown by a host with a custom context
    // menu; null when none is set. Not owned.
    void setPopupMenu(QMenu* menu);
    QMenu* popupMenu() const;
    // The browser's standard context menu as last shown (null before), so a
    // caller can see it or close it.
    QMenu* lastContextMenu() const;

signals:
    void documentComplete();

protected:
    // Keys and context menus of the document view and its viewport go to the
    // client site first. Qt sends a ShortcutOverride before each key press,
    // and window shortcuts fire at that point, so the host is asked then (as
    // the key-down message): when it handles the key, the override is
    // accepted, no window shortcut fires and the KeyPress that follows is
    // swallowed without being offered again; otherwise both pass as usual. A
    // KeyPress that comes without its override is offered itself. KeyRelease
    // is offered as the key-up message and swallowed when handled. A context
    // menu the host does not show itself is the view's standard menu.
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    class Private;
    Private* d_;
};

} // namespace velta::viewer
