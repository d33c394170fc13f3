#include "plugin/viewer/window/RptForm.h"
#include "ui_RptForm.h"

#include "common/Exception.h"

#include "plugin/viewer/browser/BrowserSettings.h"
#include "plugin/viewer/browser/BrowserView.h"
#include "plugin/viewer/browser/HtmlFileText.h"
#include "plugin/viewer/window/HtmlTempFile.h"
#include "plugin/viewer/export/TextFileSave.h"
#include "plugin/viewer/print/PrintOptions.h"
#include "plugin/viewer/export/ReportExport.h"
#include "plugin/viewer/print/TextPrintSettings.h"
#include "plugin/viewer/browser/UContainer.h"
#include "plugin/viewer/print/ViewerSettings.h"
#include "plugin/ui/FormPlacement.h"

#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"

#include <QApplication>
#include <QScopeGuard>
#include <QWindow>
#include <algorithm>
#include <QCheckBox>
#include <QComboBox>
#include <QFile>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>

namespace velta::viewer {

TRptFrm::TRptFrm(Dialogs& dialogs, bool allowOldReports, QWidget* parent)
    : QDialog(parent)
    , dialogs_(dialogs)
    , allowOldReports_(allowOldReports)
    , ui_(std::make_unique<Ui::TRptFrm>())
{
    ui_->setupUi(this);
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    completeLayout();
    connectControls();
    buildActions();

    // The browser host: the find dialog on Ctrl+F and the preview on Ctrl+P.
    host_ = new TWBContainer(ui_->wb);
    host_->SetCtrlFHandler([this](TWBContainer&) { ShowFindDialog(); });
    host_->SetCtrlPHandler([this](TWBContainer&) {
        if (ui_->bbtPreview->isEnabled())
            bbtPreviewClick();
    });

    // The browser stand-in is always there: it registers itself as an installed browser would.
    EnsureBrowserVersionRegistered();
    const ViewerMiscSettings misc = ReadViewerMisc(allowOldReports_);
    htmlMode_ = allowOldReports_ ? misc.format : true;
    ui_->cBcPrint->setChecked(misc.printBackground);
    exportChoices_.at(ExportTypeIndex(misc.repExportType))->setChecked(true);
    ui_->cbStayOnTop->setChecked(misc.stayOnTop);
    cBcPrintClick(); // written once at creation too, its failure shown as a click's

    FormPlacement(*this).restore(*this);
    qApp->installEventFilter(this);
}

TRptFrm::~TRptFrm()
{
    qApp->removeEventFilter(this);
    delete host_; // clears the browser's client site first
    host_ = nullptr;
    QFile::remove(NativeHtmlTempFile());
}

BrowserView& TRptFrm::browser() const
{
    return *ui_->wb;
}

void TRptFrm::completeLayout()
{
    // A Designer file holds fonts in points and fixed colours: the text
    // area's 12-pixel font and its button-face background are set here.
    QFont fixedsys(QStringLiteral("Fixedsys"));
    fixedsys.setPixelSize(12);
    fixedsys.setStyleHint(QFont::TypeWriter);
    fixedsys.setFixedPitch(true);
    ui_->RptMemo->setFont(fixedsys);
    QPalette memoColours = ui_->RptMemo->palette();
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));
    memoColours.setColor(QPalette::Text, Qt::black);
    ui_->RptMemo->setPalette(memoColours);

    // The page buttons show the style's glyphs.
    const std::pair<QToolButton*, QStyle::StandardPixmap> glyphs[] = {
        {ui_->FirstBtn, QStyle::SP_MediaSkipBackward},
        {ui_->PrevBtn, QStyle::SP_MediaSeekBackward},
        {ui_->NextBtn, QStyle::SP_MediaSeekForward},
        {ui_->LastBtn, QStyle::SP_MediaSkipForward},
    };
    for (const auto& [button, glyph] : glyphs)
        button->setIcon(style()->standardIcon(glyph));

    // The export targets are the items of rgChooseExport, three to a column.
    const QStringList targets = ExportTargetCaptions();
    for (int i = 0; i < targets.size(); ++i) {
        auto* choice = new QRadioButton(targets[i], ui_->rgChooseExport);
        choice->setObjectName(QStringLiteral("rgChooseExport%1").arg(i));
        ui_->rgChooseExportLayout->addWidget(choice, i % 3, i / 3);
        exportChoices_ << choice;
    }
    exportChoices_.first()->setChecked(true);
    QWidget* previous = ui_->rgOrientation1;
    for (QRadioButton* choice : std::as_const(exportChoices_)) {
        setTabOrder(previous, choice);
        previous = choice;
    }
    setTabOrder(previous, ui_->btnExport);

    // The options panel floats over the client area, outside the layout.
    ui_->panWBParams->raise();

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(1000);
}

void TRptFrm::connectControls()
{
    connect(ui_->wb, &BrowserView::documentComplete, this, &TRptFrm::documentComplete);
    connect(Timer1_, &QTimer::timeout, this, &TRptFrm::Timer1Timer);
    connect(ui_->bbtRepForm, &QPushButton::clicked, this, &TRptFrm::bbtRepFormClick);
    connect(ui_->sbtnAdditional, &QPushButton::clicked, this, &TRptFrm::sbtnAdditionalClick);
    connect(ui_->bbtPreview, &QPushButton::clicked, this, &TRptFrm::bbtPreviewClick);
    connect(ui_->PrintButton, &QPushButton::clicked, this, &TRptFrm::PrintButtonClick);
    connect(ui_->CloseButton, &QPushButton::clicked, this, &TRptFrm::CloseButtonClick);
    connect(ui_->PrintBtn, &QPushButton::clicked, this, &TRptFrm::PrintBtnClick);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TRptFrm::BitBtn2Click);
    connect(ui_->bbtSetupFont, &QPushButton::clicked, this, &TRptFrm::bbtSetupFontClick);
    connect(ui_->FirstBtn, &QToolButton::clicked, this, &TRptFrm::FirstBtnClick);
    connect(ui_->PrevBtn, &QToolButton::clicked, this, &TRptFrm::PrevBtnClick);
    connect(ui_->NextBtn, &QToolButton::clicked, this, &TRptFrm::NextBtnClick);
    connect(ui_->LastBtn, &QToolButton::clicked, this, &TRptFrm::LastBtnClick);
    connect(ui_->btnExport, &QPushButton::clicked, this, &TRptFrm::btnExportClick);
    connect(ui_->btnCloseParams, &QToolButton::clicked, this, &TRptFrm::closeOptionsPanel);
    connect(ui_->edScale, &QSpinBox::valueChanged, this, &TRptFrm::edScaleChange);
    connect(ui_->edScale, &QSpinBox::editingFinished, this, [this] {
        // The spin edit shows the zoom it applied once the user leaves it.
        if (ui_->edScale->value() != scale_ && ui_->edScale->isEnabled()) {
            const QSignalBlocker quiet(ui_->edScale);
            ui_->edScale->setValue(scale_);
        }
    });
    connect(ui_->ComboBox1, &QComboBox::currentIndexChanged, this, &TRptFrm::ComboBox1Change);
    connect(ui_->cBcPrint, &QCheckBox::clicked, this, &TRptFrm::cBcPrintClick);
}

QStringList TRptFrm::reportText() const
{
    // The rule of the saved text file: a final line break starts no line.
    return SplitTextLines(ui_->RptMemo->toPlainText());
}

void TRptFrm::setReport(const QString& text, const QString& html, const QString& caption, bool allowExport)
{
    setWindowTitle(caption);
    reportName_ = caption;
    htmlText_ = html;
    if (html.isEmpty()) {
        if (allowOldReports_) {
            // A text-only report: no format switch, options or export.
            ui_->bbtRepForm->hide();
            setHtmlControlsVisible(false);
            htmlMode_ = false;
        } else {
            htmlText_ = text;
        }
    }
    if (!allowOldReports_) {
        htmlMode_ = true;
        ui_->bbtRepForm->hide();
        ui_->sbtnAdditional->move(ui_->bbtRepForm->x(), ui_->sbtnAdditional->y());
    }
    currentPage_ = 1;
    // The text area holds the text as given, its line breaks made LF.
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    ui_->RptMemo->setPlainText(lines);
    ui_->btnExport->setEnabled(allowExport);
}

void TRptFrm::setHtmlControlsVisible(bool visible)
{
    ui_->lblScale->setVisible(visible);
    ui_->edScale->setVisible(visible);
    ui_->cBcPrint->setVisible(visible);
    ui_->gbExportData->setVisible(visible);
    ui_->sbtnAdditional->setVisible(visible);
    ui_->rgOrientation->setVisible(visible);
    if (!visible) {
        releaseAdditional();
        ui_->panWBParams->hide();
    }
}

void TRptFrm::releaseAdditional()
{
    ui_->sbtnAdditional->setChecked(false);
}

int TRptFrm::exportChoice() const
{
    const auto chosen = std::find_if(exportChoices_.begin(), exportChoices_.end(),
                                     [](const QRadioButton* b) { return b->isChecked(); });
    return chosen == exportChoices_.end() ? 0 : static_cast<int>(chosen - exportChoices_.begin());
}

void TRptFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    closed_ = false;
    if (const std::optional<PrintOptions> options = LoadPrintOptions(reportName_)) {
        (options->orientation == 1 ? ui_->rgOrientation1 : ui_->rgOrientation0)->setChecked(true);
        const QSignalBlocker quiet(ui_->ComboBox1);
        ui_->ComboBox1->setCurrentIndex(options->fontSize >= 0 && options->fontSize <= 4 ? options->fontSize : 2);
        scale_ = options->scale;
    }
    placeRightButtons();
    try {
        if (htmlMode_) {
            showHtmlView();
        } else {
            ui_->Panel3->setVisible(textPreviewShown_);
            ui_->Panel4->setVisible(!textPreviewShown_);
            renderFirstPageIfPreview();
            showTextControls();
            Timer1_->start();
        }
    } catch (const Exception& e) {
        // The window stays, showing what it could (an empty browser when the
        // document could not be written); its first tick still comes.
        Timer1_->start();
        showError(e.message());
    }
}

void TRptFrm::bbtRepFormClick()
{
    try {
        if (htmlMode_) {
            htmlMode_ = false;
            ui_->Panel4->show();
            showTextControls();
        } else {
            htmlMode_ = true;
            showHtmlView();
        }
    } catch (const Exception& e) {
        // The document could not be written: the text view stays, and the
        // next switch tries again.
        htmlMode_ = false;
        ui_->Panel4->show();
        showTextControls();
        showError(e.message());
    }
}

void TRptFrm::showTextControls()
{
    ui_->bbtRepForm->setText(QStringLiteral("Новый формат"));
    setHtmlControlsVisible(false);
}

void TRptFrm::showHtmlView()
{
    ui_->Panel3->hide();
    ui_->Panel4->hide();
    ui_->bbtRepForm->setText(QStringLiteral("Старый формат"));
    setHtmlControlsVisible(true);
    if (htmlPending_) {
        LoadHtml();
        htmlPending_ = false;
    }
}

void TRptFrm::LoadHtml()
{
    const QString file = NativeHtmlTempFile();
    QFile::remove(file);
    Paths::forceDirectories(Paths::extractFilePath(HtmlTempFile()));
    WriteWholeFile(file, encodeHtmlDocument(JoinLinesCrLf(SplitTextLines(htmlText_))));
    // Stopped once the file is there: a failed write leaves the timer's
    // first tick (and with it the ready time) to come.
    Timer1_->stop();
    ui_->wb->navigate(file);
}

void TRptFrm::documentComplete()
{
    {
        const QSignalBlocker quiet(ui_->edScale);
        ui_->edScale->setValue(scale_);
    }
    edScaleChange();
    Timer1_->start();
    ComboBox1Change();
}

void TRptFrm::Timer1Timer()
{
    // The browser holds its own copy of the document by now.
    QFile::remove(NativeHtmlTempFile());
    if (!firstTickDone_) {
        firstTickDone_ = true;
        raise();
        activateWindow();
        readyTime_ = Clock::current().now() + 1.0 / 86400.0;
        ApplyStayOnTop();
    }
}

void TRptFrm::ApplyStayOnTop()
{
    // Changing the flags of a shown window through QWidget would hide it (and
    // end its modal loop); the native window takes them while shown.
    auto setTopmost = [this](bool on) {
        if (QWindow* window = windowHandle())
            window->setFlag(Qt::WindowStaysOnTopHint, on);
        else
            setWindowFlag(Qt::WindowStaysOnTopHint, on);
        QApplication::processEvents();
    };
    if (ui_->cbStayOnTop->isChecked()) {
        setTopmost(true);
        setTopmost(false);
        setTopmost(true);
    } else {
        setTopmost(false);
    }
}

bool TRptFrm::WaitUntilReady()
{
    Clock& clock = Clock::current();
    while (!closed_ && (readyTime_ == 0 || readyTime_ > clock.now())) {
        clock.sleep(50);
        QApplication::processEvents(QEventLoop::AllEvents, 50);
    }
    return !closed_;
}

void TRptFrm::edScaleChange()
{
    if (applyingScale_)
        return;
    applyingScale_ = true;
    const auto done = qScopeGuard([this] { applyingScale_ = false; });
    if (!ui_->edScale->isEnabled() || !CheckBrowserVersion(dialogs_))
        return;
    bool ok = false;
    int value = qRound(ui_->edScale->text().trimmed().toDouble(&ok));
    if (!ok)
        value = 0;
    value = std::clamp(value, 20, 500);
    scale_ = value;
    ui_->wb->setZoom(value / 100.0);
}

void TRptFrm::ComboBox1Change()
{
    ui_->wb->setTextSize(ui_->ComboBox1->currentIndex());
}

void TRptFrm::cBcPrintClick()
{
    try {
        WritePrintBackground(ui_->cBcPrint->isChecked());
    } catch (const Exception& e) {
        showError(e.message());
    }
}

void TRptFrm::sbtnAdditionalClick()
{
    if (ui_->sbtnAdditional->isChecked()) {
        placeOptionsPanel();
        ui_->panWBParams->show();
        ui_->panWBParams->raise();
    } else {
        ui_->panWBParams->hide();
    }
}

void TRptFrm::closeOptionsPanel()
{
    releaseAdditional();
    ui_->panWBParams->hide();
}

void TRptFrm::CloseButtonClick()
{
    if (ui_->panWBParams->isVisible())
        closeOptionsPanel();
    else
        reject();
}

void TRptFrm::placeOptionsPanel()
{
    const int height = ui_->panWBParams->sizeHint().height();
    ui_->panWBParams->setGeometry(0, ui_->Panel1->y() - height, width(), height);
}

void TRptFrm::placeRightButtons()
{
    const int w = ui_->Panel1->width() > 0 ? ui_->Panel1->width() : width();
    ui_->bbtPreview->move(w - 348, ui_->bbtPreview->y());
    ui_->PrintButton->move(w - 236, ui_->PrintButton->y());
    ui_->CloseButton->move(w - 120, ui_->CloseButton->y());
}

void TRptFrm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QRect area = ui_->wb->parentWidget()->rect();
    for (QWidget* layer : std::initializer_list<QWidget*>{ui_->wb, ui_->Panel4, ui_->Panel3})
        layer->setGeometry(area);
    placeRightButtons();
    if (ui_->panWBParams->isVisible())
        placeOptionsPanel();
}

void TRptFrm::done(int result)
{
    if (!closed_) {
        closed_ = true;
        try {
            saveOnClose();
        } catch (const Exception& e) {
            // The window closes all the same; the user learns what was not kept.
            showError(e.message());
        }
    }
    QDialog::done(result);
}

void TRptFrm::saveOnClose()
{
    PrintOptions options;
    options.orientation = ui_->rgOrientation1->isChecked() ? 1 : 0;
    options.fontSize = ui_->ComboBox1->currentIndex();
    options.scale = ui_->edScale->value();
    SavePrintOptions(reportName_, options);
    ViewerMiscSettings misc;
    misc.format = htmlMode_;
    misc.printBackground = ui_->cBcPrint->isChecked();
    misc.repExportType = exportChoice();
    misc.stayOnTop = ui_->cbStayOnTop->isChecked();
    WriteViewerMisc(misc, allowOldReports_);
    FormPlacement(*this).save(*this);
}

} // namespace velta::viewer
