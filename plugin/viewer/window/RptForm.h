#pragma once
// TRptFrm: the one window that shows every report of the plug-in, as text
// (fixed-pitch lines with ruled tables, printable and previewed page by page)
// or as HTML (in the browser stand-in, zoomed, printed and exported). Its
// controls and actions are laid out in RptForm.ui; the class keeps its state
// in the fields below, and its commands are public so a test drives them as
// the buttons and keys do.
#include "common/DateTime.h"

#include <QDialog>
#include <QStringList>
#include <memory>

class QAction;
class QKeySequence;
class QRadioButton;
class QTimer;

namespace Ui {
class TRptFrm;
}

namespace velta {
class Dialogs;
}

namespace velta::viewer {

class BrowserView;
class TWBContainer;

class TRptFrm : public QDialog {
    Q_OBJECT
public:
    // Creation reads the "Misc" settings (the format only when old reports
    // are allowed) and attaches the browser host.
    TRptFrm(Dialogs& dialogs, bool allowOldReports, QWidget* parent = nullptr);
    ~TRptFrm() override;

    // ShowReport's steps 3 to 7: caption, modes by the report's forms, text
    // lines and HTML, export availability.
    void setReport(const QString& text, const QString& html, const QString& caption, bool allowExport);

    // State.
    QStringList reportText() const; // the text area's current lines
    const QString& htmlText() const { return htmlText_; }
    const QString& reportName() const { return reportName_; }
    bool htmlMode() const { return htmlMode_; }
    bool textPreviewShown() const { return textPreviewShown_; }
    bool htmlPending() const { return htmlPending_; }
    int scale() const { return scale_; }
    int currentPage() const { return currentPage_; }
    int pageCount() const { return pageCount_; }
    TDateTime readyTime() const { return readyTime_; }
    bool firstTickDone() const { return firstTickDone_; }
    BrowserView& browser() const;
    QTimer& timer() const { return *Timer1_; }

    // Commands of the buttons, keys and timer.
    void bbtRepFormClick();     // the format switch
    void bbtPreviewClick();     // text: page preview on/off; HTML: print preview
    void PrintButtonClick();    // quick print (F5)
    void PrintBtnClick();       // the print dialog (F6)
    void BitBtn2Click();        // print setup
    void bbtSetupFontClick();   // font setup
    void btnExportClick();      // export of the HTML view
    void CloseButtonClick();
    void sbtnAdditionalClick(); // shows or hides the options panel with the button
    void closeOptionsPanel();
    void FirstBtnClick();
    void PrevBtnClick();
    void NextBtnClick();
    void LastBtnClick();
    void ShowTextPreview(int page);
    void ShowFindDialog();
    void Timer1Timer();
    void ApplyStayOnTop();
    // Waits, processing events, until the browser may be asked for preview
    // and find; gives up when the window is closed meanwhile.
    bool WaitUntilReady();
    // Ctrl+E inside the window: a beep and the text area's read-only state toggled.
    void toggleEditing();
    void edScaleChange();
    void ComboBox1Change();
    void cBcPrintClick();

    // The text area has the focus: the window's key actions are off meanwhile.
    bool memoHasFocus() const;

protected:
    void showEvent(QShowEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void done(int result) override;

private:
    // What the Designer file cannot say: the text area's font and colours,
    // the page glyphs, the export targets and the timer.
    void completeLayout();
    void connectControls();
    void buildActions();
    void placeOptionsPanel();
    void placeRightButtons();
    void setHtmlControlsVisible(bool visible);
    void releaseAdditional();
    // The index of the export target chosen in rgChooseExport.
    int exportChoice() const;
    void LoadHtml();
    // The panels hidden so the browser shows, the document loaded on first
    // need; raises when the document cannot be written.
    void showHtmlView();
    // The format switch offers the HTML view; the HTML options are hidden.
    void showTextControls();
    void documentComplete();
    void renderFirstPageIfPreview();
    void scrollTextView(int action);
    void scrollHorizontal(bool toEnd);
    void scrollHtml(int sign);
    void saveOnClose();
    void showError(const QString& message);
    bool keyPreview(QKeyEvent& event);
    // Runs the enabled action of these keys; false when there is none.
    bool triggerActionFor(const QKeySequence& keys);
    bool isActiveModal() const;

    Dialogs& dialogs_;
    bool allowOldReports_;
    QString htmlText_;
    QString reportName_;
    bool htmlMode_ = true;
    bool textPreviewShown_ = false;
    bool htmlPending_ = true;
    int scale_ = 100;
    TDateTime readyTime_ = 0;
    bool firstTickDone_ = false;
    int currentPage_ = 1;
    int pageCount_ = 0;
    bool closed_ = false; // closed since last shown: settings kept, waits given up
    bool applyingScale_ = false;
    int swallowKey_ = 0; // a key handled at its shortcut query, swallowed at its press

    std::unique_ptr<Ui::TRptFrm> ui_; // the controls, laid out in RptForm.ui
    TWBContainer* host_ = nullptr;
    QList<QRadioButton*> exportChoices_;
    QTimer* Timer1_ = nullptr;
    QList<QAction*> actions_;
};

} // namespace velta::viewer
