// The one shift list, the choosers that show it, and the barcode scanner that
// feeds its card number field.
#include "plugin/selection/SmenaListForm.h"

#include "common/Codecs.h"
#include "common/Exception.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/platform/SiblingLibrary.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/Dialogs.h"

#include <QCoreApplication>
#include <QScopeGuard>
#include <QThread>
#include <algorithm>
#include <atomic>

namespace velta::selection {
namespace {

// Never destroyed by the runtime: the plug-in's unload frees a list left
// over, whatever order static destructors run in.
std::unique_ptr<TSmenaListFrm>& shiftList()
{
    static auto* instance = new std::unique_ptr<TSmenaListFrm>;
    return *instance;
}

// The list's report number as the scanner's thread may read it: -1 while
// there is no list.
std::atomic<int> listReportNumber{-1};

struct ShiftRow {
    int number = 0;
    TDateTime begin = 0;
    TDateTime end = 0;
};

ShiftRow readShift(TClientDataSet& data)
{
    return {data.FieldByName(QStringLiteral("SmNum")).AsInteger(),
            data.FieldByName(QStringLiteral("BegTime")).AsDateTime(),
            data.FieldByName(QStringLiteral("EndTime")).AsDateTime()};
}

// The list made when a chooser finds none, attached to Source with multi-row
// selection.
TSmenaListFrm& listOver(TDataSource& source)
{
    CreateShiftList();
    TSmenaListFrm& form = *SmenaListFrm();
    form.Grid().SetDataSource(&source);
    form.Grid().SetMultiSelect(true);
    return form;
}

// The first and the last row chosen, in list order; false when fewer than two
// rows are chosen. The dataset is left on the last one.
template <class Row, class Read>
bool readChosenEnds(TDBGrid& grid, TClientDataSet& data, Read read, Row& first, Row& last)
{
    const QList<TBookmark> rows = grid.SelectedRows();
    if (rows.size() <= 1)
        return false;
    data.GotoBookmark(rows.first());
    first = read(data);
    data.GotoBookmark(rows.last());
    last = read(data);
    return true;
}

struct ScannerLink {
    SiblingLibrary library;
    scanner::SetEventProcFn setEventProc = nullptr;
    scanner::EventProc previous = nullptr;
};

ScannerLink& scannerLink()
{
    static auto* link = new ScannerLink;
    return *link;
}

} // namespace

TSmenaListFrm* SmenaListFrm()
{
    return shiftList().get();
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
    shiftList().reset();
}

// Keeps the scanner's copy of the report number in step with the one list.
void TSmenaListFrm::SetReportNumber(int n)
{
    reportNumber_ = n;
    if (SmenaListFrm() == this)
        listReportNumber = n;
    ui_->PropBtn->show();
}

bool ChooseShifts(int& BegShift, int& EndShift, TDateTime& BegTime, TDataSource& Source, TClientDataSet* DataSet,
                  TDateTime& EndTime)
{
    TSmenaListFrm& form = listOver(Source);
    TClientDataSet* shown = Source.DataSet();
    const auto unpaint = qScopeGuard([&form] { form.EndGapPainting(); });
    if (shown)
        form.BeginGapPainting(*shown);

    const int result = form.dialogs().showModal(form);
    if (result == mrCurrentShift) {
        BegTime = EndTime = 0;
        BegShift = EndShift = core::HostValues::currentShiftNumber();
        return true;
    }
    if (result != mrOk)
        return false;

    TClientDataSet* data = DataSet ? DataSet : shown;
    if (!data)
        throw EDatabaseError(QStringLiteral("Список смен не связан с набором данных"));
    ShiftRow first, last;
    if (readChosenEnds(form.Grid(), *data, readShift, first, last)) {
        BegShift = std::min(first.number, last.number);
        EndShift = std::max(first.number, last.number);
        BegTime = std::min({first.begin, first.end, last.begin, last.end});
        EndTime = std::max({first.begin, first.end, last.begin, last.end});
    } else {
        const ShiftRow row = readShift(*data);
        BegShift = EndShift = row.number;
        BegTime = row.begin;
        EndTime = row.end;
    }
    return true;
}

bool ChooseOperations(int& FirstOp, int& LastOp, TDataSource& Source)
{
    try {
        TClientDataSet* data = Source.DataSet();
        if (!data || !data->FindField(QStringLiteral("OpNum")))
            return false;
        TSmenaListFrm& form = listOver(Source);
        if (form.dialogs().showModal(form) != mrOk)
            return false;
        const auto readOp = [](TClientDataSet& ds) { return ds.FieldByName(QStringLiteral("OpNum")).AsInteger(); };
        int first = 0, last = 0;
        if (readChosenEnds(form.Grid(), *data, readOp, first, last)) {
            FirstOp = std::min(first, last);
            LastOp = std::max(first, last);
        } else {
            FirstOp = LastOp = readOp(*data);
        }
        return true;
    } catch (const Exception&) {
        return false;
    }
}

void StartScanner()
{
    ScannerLink& link = scannerLink();
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
    ScannerLink& link = scannerLink();
    if (!link.setEventProc)
        return;
    link.setEventProc(std::exchange(link.previous, nullptr));
    link.setEventProc = nullptr;
    link.library.close();
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
    if (QThread::currentThread() == app->thread())
        hand();
    else
        QMetaObject::invokeMethod(app, hand, Qt::BlockingQueuedConnection);
}

} // namespace velta::selection
