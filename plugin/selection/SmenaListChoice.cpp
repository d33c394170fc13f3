// The choosers that show the shift list and read the choice.
#include "plugin/selection/SmenaListForm.h"

#include "common/Exception.h"
#include "plugin/core/HostValues.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/DataSource.h"
#include "plugin/ui/DBGrid.h"
#include "plugin/ui/Dialogs.h"

#include <QScopeGuard>
#include <algorithm>

namespace velta::selection {
namespace {

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

} // namespace

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
    } catch (...) {
        // Any failure of the list is no choice.
        return false;
    }
}

} // namespace velta::selection
