#include "plugin/menu/ReportSteps.h"

#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/core/WaitFrm.h"
#include "plugin/selection/SmenaListForm.h"
#include "plugin/settings/ParamVedomForm.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/viewer/window/ShowReport.h"

#include <QScopeGuard>

namespace velta::core {

using selection::SmenaListFrm;

namespace {

// A field of the record the shift log stands on, as text (empty on an empty log).
QString currentText(TClientDataSet& log, const QString& field)
{
    return log.IsEmpty() ? QString() : log.FieldByName(field).AsString();
}

// The operator of a shift of the log, or empty when it is not there.
QString operatorOf(TClientDataSet& log, int shift)
{
    const Variant found = log.Lookup(QStringLiteral("SmNum"), Variant(shift), QStringLiteral("Operator"));
    return found.isEmptyOrNull() ? QString() : found.toString();
}

} // namespace

void ProduceAndShow(const ShiftReportRequest& request, Production production)
{
    QString text;
    if (production == Production::InBackground)
        RunInBackground(request.reportNo, request.params, &ProduceReport, text);
    else
        RunReport(request.reportNo, request.params, text);
    QString html;
    RunReport(report::kLastReportHtml, Variant(Variant::Array{}), html);
    viewer::ShowReport(text, html, request.caption);
}

TDBFrm& dataModule()
{
    return *state().dataModule;
}

void RunShiftLoop(const ShiftListSetup& setup, const std::function<void(const ShiftChoice&)>& report)
{
    TDBFrm& db = dataModule();
    TClientDataSet& log = db.SmLogtable;
    TDataSource ownSource(&log);
    TDataSource& source = setup.ownSource ? ownSource : db.SmLogSource;
    bool scanner = false;
    const auto leave = [&] {
        if (scanner)
            selection::StopScanner();
        log.Close();
        if (db.VeltaServer.Connected())
            db.VeltaServer.SetConnected(false);
        selection::FreeShiftList();
    };
    WithLeavingSteps([&] {
        selection::CreateShiftList();
        selection::TSmenaListFrm& list = *SmenaListFrm();
        if (setup.reportNumber >= 0)
            list.SetReportNumber(setup.reportNumber);
        list.setWindowTitle(setup.caption);
        list.SetCurrentButtonVisible(setup.currentButton && HostValues::mayTakeCurrentShift());
        if (setup.cardNumber) {
            list.ShowCardNumber();
            selection::StartScanner();
            scanner = true;
        }
        db.VeltaServer.SetConnected(true);
        db.SmLogSource.SetDataSet(&log);
        log.Open();
        if (setup.disableChoiceOnEmptyLog && log.IsEmpty())
            list.SetChoiceEnabled(false);
        for (;;) {
            ShiftChoice choice;
            if (!selection::ChooseShifts(choice.BegShift, choice.EndShift, choice.BegTime, source, &log,
                                         choice.EndTime))
                break;
            choice.current = list.result() == selection::mrCurrentShift;
            if (!choice.current && log.IsEmpty())
                break;
            if (choice.current)
                choice.CurShift = HostValues::currentShiftNumber();
            choice.CurrentSmNum = currentText(log, QStringLiteral("SmNum"));
            choice.CurrentOperator = currentText(log, QStringLiteral("Operator"));
            choice.BegShiftOperator = operatorOf(log, choice.BegShift);
            report(choice);
        }
    }, leave);
}

std::pair<Variant, Variant> FlagsAndCodes(const QString& key, int defaultPos)
{
    Variant flags = ReadPayTypeFlags(key, defaultPos);
    Variant codes = SelectedPayTypeCodes(flags);
    return {flags, codes};
}

void LoadFromSQL(TClientDataSet& dataSet, const QString& sql)
{
    Variant data;
    GetProviderData(sql, 0, data);
    dataSet.Close();
    dataSet.SetData(data.toByteArray());
}

bool LoadStatementClients(settings::TParamVedomFrm& window)
{
    TDBFrm& db = dataModule();
    LoadFromSQL(db.VDCnt, QStringLiteral(
        "SELECT c.CONTR_ID AS ID, c.NAME, ct.PARAM1 AS VIDOPL FROM CONTRAGENT c LEFT JOIN CONTRAGENTTYPE ct ON "
        "ct.CONTR_ID = c.CONTR_ID WHERE COALESCE(c.ISDELETE, 0) = 0 AND (ct.CTYPE=1) AND (ct.PARAM1 - ct.PARAM1 / "
        "100 * 100 = 4) ORDER BY c.NAME"));
    bool newTable = true;
    if (db.VDCnt.IsEmpty()) {
        LoadFromSQL(db.VDCnt, QStringLiteral("SELECT * FROM VDCONTRACTOR WHERE ISDELETE=0 ORDER BY NAME"));
        newTable = false;
    }
    window.SetNewContragentTable(newTable);
    return newTable;
}

void LoadStatementDetail(TClientDataSet& detail, const QString& sql, const QString& label, bool newContragentTable)
{
    TDBFrm& db = dataModule();
    // The grids hear of the list once, with its fields already hidden.
    detail.DisableControls();
    const auto tellControls = qScopeGuard([&detail] { detail.EnableControls(); });
    detail.Close();
    detail.SetMasterSource(&db.CntDS);
    LoadFromSQL(detail, sql);
    for (int i = 0; i < detail.FieldCount(); ++i) {
        TField& field = detail.Fields(i);
        const bool name = field.FieldName().compare(QStringLiteral("Name"), Qt::CaseInsensitive) == 0;
        field.SetVisible(name);
        if (name)
            field.SetDisplayLabel(label);
    }
    detail.SetIndexFieldNames(newContragentTable && detail.FindField(QStringLiteral("CONTR_ID"))
                                  ? QStringLiteral("CONTR_ID;NAME")
                                  : QStringLiteral("CID;NAME"));
}

} // namespace velta::core
