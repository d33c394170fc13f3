#include "plugin/selection/SmenaListForm.h"

#include "common/QuotedStr.h"
#include "plugin/selection/ShiftGapSet.h"
#include "ui_SmenaListForm.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/platform/ProcessSingleton.h"
#include "plugin/platform/SiblingLibrary.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/Dialogs.h"
#include "plugin/ui/FormPlacement.h"

#include <QAbstractButton>
#include <QAction>
#include <QButtonGroup>
#include <QCheckBox>
#include <QComboBox>
#include <QCoreApplication>
#include <QEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QScopeGuard>
#include <QShowEvent>
#include <QThread>
#include <QTimer>
#include <atomic>
#include <cstdlib>

namespace velta::selection {
namespace {

const QString kShiftNumberField = QStringLiteral("SmNum");
const QString kAllCars = QStringLiteral("Все");
// With this caption the list shows fuel receipts, whose filter is switched
// off while the car filter changes it.
const QString kFuelReceiptsCaption = QStringLiteral("Выберите привоз ГСМ");

constexpr int kHelpCollapsed = 15;
constexpr int kHelpExpanded = 170;
constexpr int kHelpMemoTop = 20;
constexpr int kHelpMemoMargin = 25;
constexpr int kCardNumberMinWidth = 567;

// Dispenser buttons: their size, the first one's place, and the room a row
// keeps free on its right before it wraps.
constexpr int kDispenserWidth = 44;
constexpr int kDispenserHeight = 22;
constexpr int kDispenserStart = 10;
constexpr int kDispenserReserve = 54;
constexpr int kDispenserPanelHeight = 42;

// The framework's red (0x0000FF as BGR).
constexpr int kGapColor = 255;

// The digits a name ends in, leading zeros left out ("007" -> "7", "0" -> "");
// false when the name does not end in a digit.
bool trailingNumber(const QString& name, QString& digits)
{
    qsizetype start = name.size();
    while (start > 0 && name[start - 1] >= u'0' && name[start - 1] <= u'9')
        --start;
    if (start == name.size())
        return false;
    qsizetype first = start;
    while (first < name.size() && name[first] == u'0')
        ++first;
    digits = name.mid(first);
    return true;
}

// Two names ending in digits compare by the numbers they end in (of any
// length); otherwise by their text without regard to case.
int compareDispenserNames(const QString& a, const QString& b)
{
    QString da, db;
    if (trailingNumber(a, da) && trailingNumber(b, db)) {
        if (da.size() != db.size())
            return da.size() < db.size() ? -1 : 1;
        return da.compare(db);
    }
    return a.compare(b, Qt::CaseInsensitive);
}

// Sorts by compareDispenserNames. The rule mixes two orders and is not
// transitive over mixed names, so a plain insertion sort keeps the result
// well defined (and equal names in their order).
void sortDispenserNames(QStringList& names)
{
    for (qsizetype i = 1; i < names.size(); ++i)
        for (qsizetype j = i; j > 0 && compareDispenserNames(names[j - 1], names[j]) > 0; --j)
            names.swapItemsAt(j - 1, j);
}

// Not destroyed by the runtime: a list left over at exit must not be
// destroyed after the application its widgets belong to.
ProcessSingleton<std::unique_ptr<TSmenaListFrm>> g_shiftList;

std::unique_ptr<TSmenaListFrm>& shiftList()
{
    return g_shiftList.get();
}

// The list's report number as the scanner's thread may read it: -1 while
// there is no list.
std::atomic<int> listReportNumber{-1};

struct ScannerLink {
    SiblingLibrary library;
    scanner::SetEventProcFn setEventProc = nullptr;
    scanner::EventProc previous = nullptr;
};

// Made when the scanner starts, freed when it stops.
ProcessSingleton<ScannerLink> g_scannerLink;

ScannerLink& scannerLink()
{
    return g_scannerLink.get();
}

PropertiesOpener& propertiesOpener()
{
    static PropertiesOpener opener;
    return opener;
}

} // namespace

void SetPropertiesOpener(PropertiesOpener opener)
{
    propertiesOpener() = std::move(opener);
}

TSmenaListFrm* SmenaListFrm()
{
    const std::unique_ptr<TSmenaListFrm>* form = g_shiftList.peek();
    return form ? form->get() : nullptr;
}

void CreateShiftList()
{
    auto& form = shiftList();
    if (form)
        return;
    form = std::make_unique<TSmenaListFrm>(currentDialogs());
    if (core::TDBFrm* module = core::state().dataModule.get())
        form->Grid().SetDataSource(&module->SmLogSource);
    listReportNumber = form->ReportNumber();
}

void FreeShiftList()
{
    listReportNumber = -1;
    g_shiftList.release();
}

// Keeps the scanner's copy of the report number in step with the one list.
void TSmenaListFrm::SetReportNumber(int n)
{
    reportNumber_ = n;
    if (SmenaListFrm() == this)
        listReportNumber = n;
    ui_->PropBtn->show();
}

TSmenaListFrm::TSmenaListFrm(Dialogs& dialogs, QWidget* parent)
    : QDialog(parent)
    , dialogs_(dialogs)
    , ui_(std::make_unique<Ui::TSmenaListFrm>())
    , lookAhead_(std::make_unique<TClientDataSet>())
    , gaps_(std::make_unique<ShiftGapSet>(*lookAhead_, kShiftNumberField))
{
    ui_->setupUi(this);
    completeLayout();
    connectControls();
    FormPlacement(*this).restore(*this);
}

TSmenaListFrm::~TSmenaListFrm()
{
    EndGapPainting();
    ui_->DBGrid1->SetDataSource(nullptr);
}

TDBGrid& TSmenaListFrm::Grid() const
{
    return *ui_->DBGrid1;
}

void TSmenaListFrm::completeLayout()
{
    // The help is typed in lines; shown as one paragraph it wraps to the memo.
    QString help = ui_->Memo1->toPlainText();
    help.replace(QStringLiteral("\r\n"), QStringLiteral(" ")).replace(QLatin1Char('\n'), QLatin1Char(' '));
    ui_->Memo1->setPlainText(help);
    memoHeight_ = ui_->Memo1->height();
    // The card number's hint breaks its lines as the framework does, with CR
    // LF, which a Designer file cannot hold.
    QString hint = ui_->edSimpleText->toolTip();
    ui_->edSimpleText->setToolTip(hint.replace(QStringLiteral("\r\n"), QStringLiteral("\n"))
                                      .replace(QLatin1Char('\n'), QStringLiteral("\r\n")));
    ui_->panSelectSmenaInfo->installEventFilter(this);
    ui_->Panel3->installEventFilter(this);

    lookAhead_->SetName(QStringLiteral("LookAheadSet"));
    ui_->DBGrid1->SetDialogs(&dialogs_);
    ui_->DBGrid1->InstallKeyHook([this](QKeyEvent& event) {
        if (event.modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        return searchKey(event.text());
    });

    dispensers_ = new QButtonGroup(this);
    dispensers_->setObjectName(QStringLiteral("DispenserGroup"));
    dispensers_->setExclusive(true);

    tmBringToFront_ = new QTimer(this);
    tmBringToFront_->setObjectName(QStringLiteral("tmBringToFront"));
    tmBringToFront_->setInterval(500);
    tmBringToFront_->setSingleShot(true);
    tmSearchTimer_ = new QTimer(this);
    tmSearchTimer_->setObjectName(QStringLiteral("tmSearchTimer"));
    tmSearchTimer_->setInterval(1000);
    tmSearchTimer_->setSingleShot(true);
}

void TSmenaListFrm::connectControls()
{
    connect(ui_->BitBtn1, &QPushButton::clicked, this, &TSmenaListFrm::BitBtn1Click);
    connect(ui_->BitBtn2, &QPushButton::clicked, this, &TSmenaListFrm::BitBtn2Click);
    connect(ui_->CurBtn, &QPushButton::clicked, this, &TSmenaListFrm::CurBtnClick);
    connect(ui_->PropBtn, &QPushButton::clicked, this, &TSmenaListFrm::PropBtnClick);
    connect(ui_->CheckBox1, &QCheckBox::toggled, this, &TSmenaListFrm::CheckBox1Click);
    connect(ui_->cbAuto, &QComboBox::currentIndexChanged, this, &TSmenaListFrm::cbAutoChange);
    connect(ui_->ActionCurrentShift, &QAction::triggered, this, &TSmenaListFrm::CurrentShiftKey);
    connect(ui_->ActionCardNumber, &QAction::triggered, this, &TSmenaListFrm::CardNumberKey);
    connect(tmBringToFront_, &QTimer::timeout, this, &TSmenaListFrm::tmBringToFrontTimer);
    connect(tmSearchTimer_, &QTimer::timeout, this, &TSmenaListFrm::tmSearchTimerTimer);
    connect(ui_->DBGrid1, &TDBGrid::recordDoubleClicked, this, [this](int recNo, TField*) {
        if (recNo > 0)
            BitBtn1Click();
    });
    connect(dispensers_, &QButtonGroup::buttonToggled, this, [this](QAbstractButton* button, bool down) {
        if (down)
            selectedDispenser_ = button->property("caption").toString();
    });
}

void TSmenaListFrm::SetCurrentButtonVisible(bool visible)
{
    ui_->CurBtn->setVisible(visible);
}

void TSmenaListFrm::SetChoiceEnabled(bool enabled)
{
    ui_->BitBtn1->setEnabled(enabled);
}

void TSmenaListFrm::ShowCardNumber()
{
    ui_->lbCardNum->show();
    ui_->edSimpleText->show();
    setMinimumWidth(kCardNumberMinWidth);
}

QString TSmenaListFrm::CardNumberText() const
{
    return ui_->edSimpleText->text();
}

void TSmenaListFrm::SetCars(const QStringList& names)
{
    // Filling the list is no choice: the filter stays as it is.
    const QSignalBlocker quiet(ui_->cbAuto);
    ui_->cbAuto->clear();
    ui_->cbAuto->addItem(kAllCars);
    ui_->cbAuto->addItems(names);
    ui_->cbAuto->setCurrentIndex(0);
    ui_->cbAuto->show();
    ui_->lbAuto->show();
}

void TSmenaListFrm::AddDispenserButtons()
{
    ui_->Panel3->show();
    selectedDispenser_ = QStringLiteral("0");
    for (QAbstractButton* old : dispensers_->buttons()) {
        dispensers_->removeButton(old);
        delete old;
    }

    QStringList names;
    if (core::TDBFrm* module = core::state().dataModule.get()) {
        TClientDataSet& list = module->cdsTrkList;
        TField& trk = list.FieldByName(QStringLiteral("Trk"));
        for (list.First(); !list.Eof(); list.Next()) {
            const QString name = trk.AsString().trimmed();
            if (!name.isEmpty())
                names << name;
        }
    }
    sortDispenserNames(names);

    for (int i = 0; i < names.size(); ++i) {
        auto* button = new QPushButton(ui_->Panel3);
        button->setObjectName(QStringLiteral("TrkBtn%1").arg(i + 1));
        button->setProperty("caption", names[i]);
        button->setText(QString(names[i]).replace(QLatin1Char('&'), QStringLiteral("&&")));
        button->setCheckable(true);
        button->setAutoDefault(false);
        button->setFocusPolicy(Qt::NoFocus);
        button->setFixedSize(kDispenserWidth, kDispenserHeight);
        dispensers_->addButton(button, i);
        button->show();
    }
    if (QAbstractButton* first = dispensers_->button(0))
        first->setChecked(true);
    placeDispenserButtons();
}

void TSmenaListFrm::placeDispenserButtons()
{
    // Left to right from (10, 10); a row wraps 22 pixels lower once the
    // panel's client width has no room left for the next button.
    const int clientWidth = ui_->Panel3->contentsRect().width();
    int left = kDispenserStart;
    int top = kDispenserStart;
    int bottom = 0;
    for (QAbstractButton* button : dispensers_->buttons()) {
        button->move(left, top);
        bottom = top + kDispenserHeight;
        left += kDispenserWidth;
        if (clientWidth < left + kDispenserReserve) {
            left = kDispenserStart;
            top += kDispenserHeight;
        }
    }
    ui_->Panel3->setFixedHeight(std::max(kDispenserPanelHeight, bottom + kDispenserStart));
}

void TSmenaListFrm::placeHelp()
{
    ui_->Memo1->setGeometry(0, kHelpMemoTop, ui_->panSelectSmenaInfo->width(), memoHeight_);
}

bool TSmenaListFrm::eventFilter(QObject* watched, QEvent* event)
{
    if (event->type() == QEvent::Resize) {
        if (watched == ui_->Panel3)
            placeDispenserButtons();
        else if (watched == ui_->panSelectSmenaInfo)
            placeHelp();
    }
    return QDialog::eventFilter(watched, event);
}

void TSmenaListFrm::BitBtn1Click()
{
    done(mrOk);
}

void TSmenaListFrm::BitBtn2Click()
{
    done(mrCancel);
}

void TSmenaListFrm::CurBtnClick()
{
    done(mrCurrentShift);
}

void TSmenaListFrm::CurrentShiftKey()
{
    if (ui_->CurBtn->isVisibleTo(this) && ui_->CurBtn->isEnabled())
        CurBtnClick();
}

void TSmenaListFrm::CardNumberKey()
{
    if (ui_->edSimpleText->isVisibleTo(this))
        ui_->edSimpleText->setFocus();
}

void TSmenaListFrm::PropBtnClick()
{
    if (reportNumber_ < 0)
        return;
    const PropertiesOpener& opener = propertiesOpener();
    if (!opener)
        return;
    try {
        opener(dialogs_, reportNumber_, this);
    } catch (...) {
        // The list stays whatever happened in the properties.
    }
}

void TSmenaListFrm::CheckBox1Click()
{
    if (ui_->CheckBox1->isChecked()) {
        ui_->panSelectSmenaInfo->setFixedHeight(kHelpExpanded);
        memoHeight_ = kHelpExpanded - kHelpMemoMargin;
    } else {
        ui_->panSelectSmenaInfo->setFixedHeight(kHelpCollapsed);
    }
    placeHelp();
    ui_->DBGrid1->setFocus();
}

bool TSmenaListFrm::searchKey(const QString& text)
{
    if (text.size() != 1 || text[0] < u'0' || text[0] > u'9')
        return false;
    tmSearchTimer_->start();
    searchText_ += text;
    return true;
}

void TSmenaListFrm::tmSearchTimerTimer()
{
    tmSearchTimer_->stop();
    const QString digits = std::exchange(searchText_, QString());
    TDataSource* source = ui_->DBGrid1->DataSource();
    TClientDataSet* shown = source ? source->DataSet() : nullptr;
    if (digits.isEmpty() || !shown || !shown->Active())
        return;
    try {
        // The first record in list order whose shift number begins with the
        // digits, looked for on a cursor of its own so the list moves once.
        TClientDataSet walker;
        walker.CloneCursor(*shown);
        TField& number = walker.FieldByName(kShiftNumberField);
        for (walker.First(); !walker.Eof(); walker.Next()) {
            if (number.AsString().startsWith(digits)) {
                shown->GotoBookmark(walker.GetBookmark());
                return;
            }
        }
    } catch (const Exception&) {
        // A list without shift numbers has no quick search.
    }
}

void TSmenaListFrm::tmBringToFrontTimer()
{
    raise();
    activateWindow();
}

void TSmenaListFrm::cbAutoChange()
{
    TDataSource* source = ui_->DBGrid1->DataSource();
    TClientDataSet* shown = source ? source->DataSet() : nullptr;
    if (!shown)
        return;
    try {
        if (savedFilter_.isEmpty())
            savedFilter_ = shown->Filter();
        const bool receipts = windowTitle() == kFuelReceiptsCaption;
        if (receipts)
            shown->SetFiltered(false);
        const auto filterBack = qScopeGuard([&] {
            if (receipts)
                shown->SetFiltered(true);
        });
        const QString car = ui_->cbAuto->currentText();
        if (car == kAllCars) {
            shown->SetFilter(savedFilter_);
        } else {
            const QString condition = QStringLiteral("CarName = ") + QuotedStr(car);
            shown->SetFilter(savedFilter_.isEmpty() ? condition : savedFilter_ + QStringLiteral(" and ") + condition);
        }
    } catch (const Exception& e) {
        dialogs_.messageBox(e.message(), QStringLiteral("Ошибка"), MB_OK | MB_ICONSTOP);
    }
}

void TSmenaListFrm::ScannerMessage(const QString& code)
{
    if (reportNumber_ == kCardsReportNumber)
        ui_->edSimpleText->setText(code);
}

void TSmenaListFrm::BeginGapPainting(TClientDataSet& shown)
{
    EndGapPainting();
    if (!shown.Active())
        return;
    lookAhead_->CloneCursor(shown);
    TField* first = ui_->DBGrid1->Model().fieldAt(0);
    if (!first)
        return;
    paintedField_ = first->FieldName();
    gaps_->Follow(ui_->DBGrid1->DataSource());
    ui_->DBGrid1->SetCellColorHook(paintedField_, [this](TField& cell) {
        TField& number = cell.DataSet().FieldByName(kShiftNumberField);
        if (number.IsNull())
            return QColor();
        return gaps_->IsBeforeGap(number.AsInteger()) ? ColorFromTColor(kGapColor) : QColor();
    });
}

void TSmenaListFrm::EndGapPainting()
{
    if (!paintedField_.isEmpty())
        ui_->DBGrid1->SetCellColorHook(std::exchange(paintedField_, QString()), {});
    gaps_->Follow(nullptr);
    lookAhead_->Close();
}

void TSmenaListFrm::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    savedFilter_.clear();
    ui_->DBGrid1->setFocus();
    tmBringToFront_->start();
}

void TSmenaListFrm::done(int result)
{
    // A search still typed when the list closes would move the list later.
    tmSearchTimer_->stop();
    searchText_.clear();
    FormPlacement(*this).save(*this);
    QDialog::done(result);
}

void StartScanner()
{
    ScannerLink& link = scannerLink();
    // Connected already: installing the procedure again would keep it as its
    // own predecessor.
    if (link.setEventProc)
        return;
    SiblingLibrary library = SiblingLibrary::load(QString::fromLatin1(scanner::kLibraryName));
    const auto setEventProc =
        reinterpret_cast<scanner::SetEventProcFn>(library.symbol(scanner::kSetEventProc));
    if (!setEventProc)
        return;
    link.library = std::move(library);
    link.setEventProc = setEventProc;
    link.previous = setEventProc(&ScannerEventProc);
}

void StopScanner()
{
    ScannerLink* link = g_scannerLink.peek();
    if (link && link->setEventProc) {
        link->setEventProc(std::exchange(link->previous, nullptr));
        link->setEventProc = nullptr;
    }
    g_scannerLink.release(); // closes the library
}

void ScannerEventProc(const unsigned char* code)
{
    if (!code || listReportNumber != kCardsReportNumber)
        return;
    const QString text = codec::fromCp1251(QByteArrayView(reinterpret_cast<const char*>(code + 1), code[0]));
    QCoreApplication* app = QCoreApplication::instance();
    if (!app)
        return;
    // Runs on the list's thread: the list is looked up there, so a list
    // freed meanwhile is never touched.
    const auto hand = [text] {
        if (TSmenaListFrm* form = SmenaListFrm())
            form->ScannerMessage(text);
    };
    // On the list's own thread a blocking queued call would wait for itself.
    if (QThread::currentThread() == app->thread())
        hand();
    else
        QMetaObject::invokeMethod(app, hand, Qt::BlockingQueuedConnection);
}

} // namespace velta::selection
