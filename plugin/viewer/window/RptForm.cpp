#include "plugin/viewer/window/RptForm.h"

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
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollArea>
#include <QSpinBox>
#include <QStyle>
#include <QTimer>
#include <QToolButton>
#include <QVBoxLayout>

namespace velta::viewer {
namespace {

constexpr int kBottomBarHeight = 42;
constexpr int kButtonWidth = 110;
constexpr int kButtonHeight = 28;

template <class W>
W* named(W* widget, const char* name)
{
    widget->setObjectName(QString::fromLatin1(name));
    return widget;
}

QPushButton* button(QWidget* parent, const char* name, const QString& caption)
{
    return named(new QPushButton(caption, parent), name);
}

QToolButton* glyphButton(QWidget* parent, const char* name, QStyle::StandardPixmap glyph)
{
    auto* b = named(new QToolButton(parent), name);
    b->setIcon(parent->style()->standardIcon(glyph));
    b->setAutoRaise(true);
    return b;
}

} // namespace

TRptFrm::TRptFrm(Dialogs& dialogs, bool allowOldReports, QWidget* parent)
    : QDialog(parent)
    , dialogs_(dialogs)
    , allowOldReports_(allowOldReports)
{
    setObjectName(QStringLiteral("TRptFrm"));
    setWindowFlag(Qt::WindowStaysOnTopHint, true);
    setWindowFlag(Qt::WindowMaximizeButtonHint, true);
    setWindowFlag(Qt::WindowMinimizeButtonHint, true);
    buildLayout();
    buildActions();
    resize(742, 498);
    setMinimumSize(750, 300);

    // The browser host: the find dialog on Ctrl+F and the preview on Ctrl+P.
    host_ = new TWBContainer(wb_);
    host_->SetCtrlFHandler([this](TWBContainer&) { ShowFindDialog(); });
    host_->SetCtrlPHandler([this](TWBContainer&) {
        if (bbtPreview_->isEnabled())
            bbtPreviewClick();
    });

    // The browser stand-in is always there: it registers itself as an installed browser would.
    EnsureBrowserVersionRegistered();
    const ViewerMiscSettings misc = ReadViewerMisc(allowOldReports_);
    htmlMode_ = allowOldReports_ ? misc.format : true;
    cBcPrint_->setChecked(misc.printBackground);
    exportChoices_.at(ExportTypeIndex(misc.repExportType))->setChecked(true);
    cbStayOnTop_->setChecked(misc.stayOnTop);
    WritePrintBackground(cBcPrint_->isChecked());

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

void TRptFrm::buildLayout()
{
    auto* content = named(new QWidget(this), "pnlContent");
    auto* outer = new QVBoxLayout(this);
    outer->setContentsMargins(0, 0, 0, 0);
    outer->setSpacing(0);
    outer->addWidget(content, 1);

    // Three overlapping layers: the browser below, the text area and the
    // preview above it; hiding both panels shows the browser.
    wb_ = named(new BrowserView(content), "wb");
    Panel4_ = named(new QFrame(content), "Panel4");
    RptMemo_ = named(new QPlainTextEdit(Panel4_), "RptMemo");
    RptMemo_->setReadOnly(true);
    RptMemo_->setLineWrapMode(QPlainTextEdit::NoWrap);
    RptMemo_->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    RptMemo_->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    QFont fixedsys(QStringLiteral("Fixedsys"));
    fixedsys.setPixelSize(12);
    fixedsys.setStyleHint(QFont::TypeWriter);
    fixedsys.setFixedPitch(true);
    RptMemo_->setFont(fixedsys);
    QPalette memoColours = RptMemo_->palette();
    memoColours.setColor(QPalette::Base, memoColours.color(QPalette::Button));
    memoColours.setColor(QPalette::Text, Qt::black);
    RptMemo_->setPalette(memoColours);
    auto* memoLayout = new QVBoxLayout(Panel4_);
    memoLayout->setContentsMargins(0, 0, 0, 0);
    memoLayout->addWidget(RptMemo_);

    Panel3_ = named(new QFrame(content), "Panel3");
    Panel2_ = named(new QFrame(Panel3_), "Panel2");
    FirstBtn_ = glyphButton(Panel2_, "FirstBtn", QStyle::SP_MediaSkipBackward);
    PrevBtn_ = glyphButton(Panel2_, "PrevBtn", QStyle::SP_MediaSeekBackward);
    NextBtn_ = glyphButton(Panel2_, "NextBtn", QStyle::SP_MediaSeekForward);
    LastBtn_ = glyphButton(Panel2_, "LastBtn", QStyle::SP_MediaSkipForward);
    BitBtn2_ = button(Panel2_, "BitBtn2", QStringLiteral("Настройка печати"));
    bbtSetupFont_ = button(Panel2_, "bbtSetupFont", QStringLiteral("Настройка шрифта"));
    PrintBtn_ = button(Panel2_, "PrintBtn", QStringLiteral("Печать..."));
    StaticText4_ = named(new QLabel(Panel2_), "StaticText4");
    StaticText2_ = named(new QLabel(Panel2_), "StaticText2");
    for (QLabel* number : {StaticText4_, StaticText2_}) {
        number->setFrameStyle(QFrame::Panel | QFrame::Sunken);
        number->setMinimumWidth(40);
    }
    auto* toolbar = new QHBoxLayout(Panel2_);
    toolbar->setContentsMargins(4, 2, 4, 2);
    for (QWidget* w : std::initializer_list<QWidget*>{FirstBtn_, PrevBtn_, NextBtn_, LastBtn_, BitBtn2_,
                                                      bbtSetupFont_, PrintBtn_})
        toolbar->addWidget(w);
    toolbar->addSpacing(12);
    toolbar->addWidget(new QLabel(QStringLiteral("Страница:"), Panel2_));
    toolbar->addWidget(StaticText4_);
    toolbar->addWidget(new QLabel(QStringLiteral("Страниц:"), Panel2_));
    toolbar->addWidget(StaticText2_);
    toolbar->addStretch(1);
    ScrollBox1_ = named(new QScrollArea(Panel3_), "ScrollBox1");
    Image1_ = named(new QLabel, "Image1");
    Image1_->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    ScrollBox1_->setWidget(Image1_);
    ScrollBox1_->setWidgetResizable(false);
    auto* previewLayout = new QVBoxLayout(Panel3_);
    previewLayout->setContentsMargins(0, 0, 0, 0);
    previewLayout->setSpacing(0);
    previewLayout->addWidget(Panel2_);
    previewLayout->addWidget(ScrollBox1_, 1);
    Panel3_->hide();

    // The bottom bar; the three right-hand buttons follow the window's width.
    Panel1_ = named(new QFrame(this), "Panel1");
    Panel1_->setFixedHeight(kBottomBarHeight);
    QFont bold = Panel1_->font();
    bold.setBold(true);
    Panel1_->setFont(bold);
    outer->addWidget(Panel1_);
    bbtRepForm_ = button(Panel1_, "bbtRepForm", QStringLiteral("Старый формат"));
    sbtnAdditional_ = button(Panel1_, "sbtnAdditional", QStringLiteral("Дополнительно >>"));
    sbtnAdditional_->setCheckable(true);
    bbtPreview_ = button(Panel1_, "bbtPreview", QStringLiteral("Просмотр"));
    PrintButton_ = button(Panel1_, "PrintButton", QStringLiteral("&Печатать(F5)"));
    CloseButton_ = button(Panel1_, "CloseButton", QStringLiteral("Отмена"));
    for (QPushButton* b : {bbtRepForm_, sbtnAdditional_, bbtPreview_, PrintButton_, CloseButton_}) {
        b->setFixedSize(b == sbtnAdditional_ || b == bbtRepForm_ ? 140 : kButtonWidth, kButtonHeight);
        b->setAutoDefault(false);
        b->move(0, (kBottomBarHeight - kButtonHeight) / 2);
    }
    bbtRepForm_->move(8, bbtRepForm_->y());
    sbtnAdditional_->move(bbtRepForm_->x() + bbtRepForm_->width() + 8, sbtnAdditional_->y());

    // The floating options panel above the bottom bar.
    panWBParams_ = named(new QFrame(this), "panWBParams");
    panWBParams_->setFrameStyle(QFrame::Panel | QFrame::Raised);
    panWBParams_->setAutoFillBackground(true);
    lblScale_ = named(new QLabel(QStringLiteral("Масштаб:"), panWBParams_), "lblScale");
    edScale_ = named(new QSpinBox(panWBParams_), "edScale");
    edScale_->setRange(0, 999); // three characters; the zoom clamps to 20..500
    edScale_->setValue(100);
    cBcPrint_ = named(new QCheckBox(QStringLiteral("Печатать фон"), panWBParams_), "cBcPrint");
    rgOrientation_ = named(new QGroupBox(QStringLiteral("Ориентация"), panWBParams_), "rgOrientation");
    rbPortrait_ = named(new QRadioButton(QStringLiteral("Книжная"), rgOrientation_), "rgOrientation0");
    rbLandscape_ = named(new QRadioButton(QStringLiteral("Альбомная"), rgOrientation_), "rgOrientation1");
    rbPortrait_->setChecked(true);
    auto* orientationLayout = new QVBoxLayout(rgOrientation_);
    orientationLayout->addWidget(rbPortrait_);
    orientationLayout->addWidget(rbLandscape_);
    auto* fontLabel = named(new QLabel(QStringLiteral("Размер шрифта:"), panWBParams_), "lblFontSize");
    ComboBox1_ = named(new QComboBox(panWBParams_), "ComboBox1");
    ComboBox1_->addItems({QStringLiteral("Самый мелкий"), QStringLiteral("Мелкий"), QStringLiteral("Средний"),
                          QStringLiteral("Крупный"), QStringLiteral("Самый крупный")});
    ComboBox1_->setCurrentIndex(2);
    gbExportData_ = named(new QGroupBox(QStringLiteral("Экспорт данных"), panWBParams_), "gbExportData");
    rgChooseExport_ = named(new QGroupBox(QStringLiteral("Экспортировать в:"), gbExportData_), "rgChooseExport");
    auto* choiceLayout = new QGridLayout(rgChooseExport_);
    const QStringList targets = ExportTargetCaptions();
    for (int i = 0; i < targets.size(); ++i) {
        auto* choice = new QRadioButton(targets[i], rgChooseExport_);
        choice->setObjectName(QStringLiteral("rgChooseExport%1").arg(i));
        choiceLayout->addWidget(choice, i % 3, i / 3);
        exportChoices_ << choice;
    }
    exportChoices_.first()->setChecked(true);
    btnExport_ = button(gbExportData_, "btnExport", QStringLiteral("Выполнить"));
    btnExport_->setAutoDefault(false);
    auto* exportLayout = new QVBoxLayout(gbExportData_);
    exportLayout->addWidget(rgChooseExport_, 1);
    exportLayout->addWidget(btnExport_, 0, Qt::AlignRight);
    cbStayOnTop_ = named(new QCheckBox(QStringLiteral("Поверх всех окон"), panWBParams_), "cbStayOnTop");
    cbStayOnTop_->setToolTip(QStringLiteral("Установите данный флаг в том случае,\nесли при нажатии кнопки \"%1\"\n"
                                            "окно просмотра не появляется.")
                                 .arg(bbtPreview_->text()));
    btnCloseParams_ = named(new QToolButton(panWBParams_), "btnCloseParams");
    btnCloseParams_->setText(QStringLiteral("X"));
    btnCloseParams_->setToolTip(QStringLiteral("Закрыть"));
    auto* grid = new QGridLayout(panWBParams_);
    grid->addWidget(lblScale_, 0, 0);
    grid->addWidget(edScale_, 0, 1);
    grid->addWidget(cBcPrint_, 1, 0, 1, 2);
    grid->addWidget(fontLabel, 2, 0);
    grid->addWidget(ComboBox1_, 2, 1);
    grid->addWidget(cbStayOnTop_, 3, 0, 1, 2);
    grid->addWidget(rgOrientation_, 0, 2, 4, 1);
    grid->addWidget(gbExportData_, 0, 3, 4, 1);
    grid->addWidget(btnCloseParams_, 0, 4, Qt::AlignTop | Qt::AlignRight);
    grid->setColumnStretch(3, 1);
    panWBParams_->hide();

    Timer1_ = new QTimer(this);
    Timer1_->setObjectName(QStringLiteral("Timer1"));
    Timer1_->setInterval(1000);

    connect(wb_, &BrowserView::documentComplete, this, &TRptFrm::documentComplete);
    connect(Timer1_, &QTimer::timeout, this, &TRptFrm::Timer1Timer);
    connect(bbtRepForm_, &QPushButton::clicked, this, &TRptFrm::bbtRepFormClick);
    connect(sbtnAdditional_, &QPushButton::clicked, this, &TRptFrm::sbtnAdditionalClick);
    connect(bbtPreview_, &QPushButton::clicked, this, &TRptFrm::bbtPreviewClick);
    connect(PrintButton_, &QPushButton::clicked, this, &TRptFrm::PrintButtonClick);
    connect(CloseButton_, &QPushButton::clicked, this, &TRptFrm::CloseButtonClick);
    connect(PrintBtn_, &QPushButton::clicked, this, &TRptFrm::PrintBtnClick);
    connect(BitBtn2_, &QPushButton::clicked, this, &TRptFrm::BitBtn2Click);
    connect(bbtSetupFont_, &QPushButton::clicked, this, &TRptFrm::bbtSetupFontClick);
    connect(FirstBtn_, &QToolButton::clicked, this, &TRptFrm::FirstBtnClick);
    connect(PrevBtn_, &QToolButton::clicked, this, &TRptFrm::PrevBtnClick);
    connect(NextBtn_, &QToolButton::clicked, this, &TRptFrm::NextBtnClick);
    connect(LastBtn_, &QToolButton::clicked, this, &TRptFrm::LastBtnClick);
    connect(btnExport_, &QPushButton::clicked, this, &TRptFrm::btnExportClick);
    connect(btnCloseParams_, &QToolButton::clicked, this, &TRptFrm::closeOptionsPanel);
    connect(edScale_, &QSpinBox::valueChanged, this, &TRptFrm::edScaleChange);
    connect(edScale_, &QSpinBox::editingFinished, this, [this] {
        // The spin edit shows the zoom it applied once the user leaves it.
        if (edScale_->value() != scale_ && edScale_->isEnabled()) {
            const QSignalBlocker quiet(edScale_);
            edScale_->setValue(scale_);
        }
    });
    connect(ComboBox1_, &QComboBox::currentIndexChanged, this, &TRptFrm::ComboBox1Change);
    connect(cBcPrint_, &QCheckBox::clicked, this, &TRptFrm::cBcPrintClick);
}

QStringList TRptFrm::reportText() const
{
    return RptMemo_->toPlainText().split(QLatin1Char('\n'));
}

void TRptFrm::setReport(const QString& text, const QString& html, const QString& caption, bool allowExport)
{
    setWindowTitle(caption);
    reportName_ = caption;
    htmlText_ = html;
    if (html.isEmpty()) {
        if (allowOldReports_) {
            // A text-only report: no format switch, options or export.
            bbtRepForm_->hide();
            setHtmlControlsVisible(false);
            htmlMode_ = false;
        } else {
            htmlText_ = text;
        }
    }
    if (!allowOldReports_) {
        htmlMode_ = true;
        bbtRepForm_->hide();
        sbtnAdditional_->move(bbtRepForm_->x(), sbtnAdditional_->y());
    }
    currentPage_ = 1;
    QString lines = text;
    lines.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(QLatin1Char('\r'), QLatin1Char('\n'));
    RptMemo_->setPlainText(lines);
    btnExport_->setEnabled(allowExport);
}

void TRptFrm::setHtmlControlsVisible(bool visible)
{
    lblScale_->setVisible(visible);
    edScale_->setVisible(visible);
    cBcPrint_->setVisible(visible);
    gbExportData_->setVisible(visible);
    sbtnAdditional_->setVisible(visible);
    rgOrientation_->setVisible(visible);
    if (!visible) {
        releaseAdditional();
        panWBParams_->hide();
    }
}

void TRptFrm::releaseAdditional()
{
    sbtnAdditional_->setChecked(false);
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
        (options->orientation == 1 ? rbLandscape_ : rbPortrait_)->setChecked(true);
        const QSignalBlocker quiet(ComboBox1_);
        ComboBox1_->setCurrentIndex(options->fontSize >= 0 && options->fontSize <= 4 ? options->fontSize : 2);
        scale_ = options->scale;
    }
    if (htmlMode_) {
        showHtmlView();
    } else {
        bbtRepForm_->setText(QStringLiteral("Новый формат"));
        Panel3_->setVisible(textPreviewShown_);
        Panel4_->setVisible(!textPreviewShown_);
        renderFirstPageIfPreview();
        setHtmlControlsVisible(false);
        Timer1_->start();
    }
    placeRightButtons();
}

void TRptFrm::bbtRepFormClick()
{
    htmlMode_ = !htmlMode_;
    if (!htmlMode_) {
        Panel4_->show();
        bbtRepForm_->setText(QStringLiteral("Новый формат"));
        setHtmlControlsVisible(false);
    } else {
        showHtmlView();
    }
}

void TRptFrm::showHtmlView()
{
    Panel3_->hide();
    Panel4_->hide();
    if (htmlPending_) {
        LoadHtml();
        htmlPending_ = false;
    }
    bbtRepForm_->setText(QStringLiteral("Старый формат"));
    setHtmlControlsVisible(true);
}

void TRptFrm::LoadHtml()
{
    const QString file = NativeHtmlTempFile();
    QFile::remove(file);
    Timer1_->stop();
    Paths::forceDirectories(Paths::extractFilePath(HtmlTempFile()));
    WriteWholeFile(file, encodeHtmlDocument(JoinLinesCrLf(SplitTextLines(htmlText_))));
    wb_->navigate(file);
}

void TRptFrm::documentComplete()
{
    {
        const QSignalBlocker quiet(edScale_);
        edScale_->setValue(scale_);
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
    if (cbStayOnTop_->isChecked()) {
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
    if (!edScale_->isEnabled() || !CheckBrowserVersion(dialogs_))
        return;
    bool ok = false;
    int value = qRound(edScale_->text().trimmed().toDouble(&ok));
    if (!ok)
        value = 0;
    value = std::clamp(value, 20, 500);
    scale_ = value;
    wb_->setZoom(value / 100.0);
}

void TRptFrm::ComboBox1Change()
{
    wb_->setTextSize(ComboBox1_->currentIndex());
}

void TRptFrm::cBcPrintClick()
{
    WritePrintBackground(cBcPrint_->isChecked());
}

void TRptFrm::sbtnAdditionalClick()
{
    if (sbtnAdditional_->isChecked()) {
        placeOptionsPanel();
        panWBParams_->show();
        panWBParams_->raise();
    } else {
        panWBParams_->hide();
    }
}

void TRptFrm::closeOptionsPanel()
{
    releaseAdditional();
    panWBParams_->hide();
}

void TRptFrm::CloseButtonClick()
{
    if (panWBParams_->isVisible())
        closeOptionsPanel();
    else
        reject();
}

void TRptFrm::placeOptionsPanel()
{
    const int height = panWBParams_->sizeHint().height();
    panWBParams_->setGeometry(0, Panel1_->y() - height, width(), height);
}

void TRptFrm::placeRightButtons()
{
    const int w = Panel1_->width() > 0 ? Panel1_->width() : width();
    bbtPreview_->move(w - 348, bbtPreview_->y());
    PrintButton_->move(w - 236, PrintButton_->y());
    CloseButton_->move(w - 120, CloseButton_->y());
}

void TRptFrm::resizeEvent(QResizeEvent* event)
{
    QDialog::resizeEvent(event);
    const QRect area = wb_->parentWidget()->rect();
    for (QWidget* layer : std::initializer_list<QWidget*>{wb_, Panel4_, Panel3_})
        layer->setGeometry(area);
    placeRightButtons();
    if (panWBParams_->isVisible())
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
    options.orientation = rbLandscape_->isChecked() ? 1 : 0;
    options.fontSize = ComboBox1_->currentIndex();
    options.scale = edScale_->value();
    SavePrintOptions(reportName_, options);
    ViewerMiscSettings misc;
    misc.format = htmlMode_;
    misc.printBackground = cBcPrint_->isChecked();
    misc.repExportType = exportChoice();
    misc.stayOnTop = cbStayOnTop_->isChecked();
    WriteViewerMisc(misc, allowOldReports_);
    FormPlacement(*this).save(*this);
}

} // namespace velta::viewer
