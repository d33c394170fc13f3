#include "plugin/core/DBForm.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/foundation/text/Tools.h"

namespace velta::core {

namespace {

// Privilege values that place the station server.
constexpr int kPrivLocalServer = 11;
constexpr int kPrivServerComputer = 13;

constexpr int kAllRecords = -1;

// How a persistent field is shown; a width of 0 keeps the type's default.
struct Look {
    QString label;
    int width = 0;
    bool visible = true;
};

TField& addField(TClientDataSet& dataSet, const char* name, FieldType type, int size, const Look& look)
{
    TField& field = dataSet.AddField(QString::fromLatin1(name), type, size);
    if (!look.label.isEmpty())
        field.SetDisplayLabel(look.label);
    if (look.width > 0)
        field.SetDisplayWidth(look.width);
    field.SetVisible(look.visible);
    return field;
}

const Look kHidden{QString(), 0, false};

Look shown(const char* label, int width = 0)
{
    return Look{QString::fromUtf8(label), width, true};
}

Look hidden(const char* label, int width = 0)
{
    return Look{QString::fromUtf8(label), width, false};
}

// The field's value as money with two decimals and thousands separators.
QString moneyText(const TField& field)
{
    return Format(QStringLiteral("%.2n"), {Variant(field.AsCurrency())});
}

bool equalsOne(const Variant& value)
{
    try {
        return !value.isEmptyOrNull() && value.toDouble() == 1.0;
    } catch (const Exception&) {
        return false; // a text that is no number is not 1
    }
}

} // namespace

TDBFrm::TDBFrm(QObject* parent)
    : QObject(parent)
{
    setObjectName(QStringLiteral("DBFrm"));
    setUpConnection();
    setUpSmLogtable();
    setUpPrxTable();
    setUpRemote(cdsTrkList, "cdsTrkList", "PrxLogProvider", true, 101,
                QStringLiteral("SELECT DISTINCT Trk FROM Trk ORDER BY Trk"));
    setUpRemote(cdsAutoList, "cdsAutoList", "PrxLogProvider", true, 10,
                QStringLiteral("SELECT DISTINCT CarName FROM Prx ORDER BY CarName"));
    setUpTrkLog();
    setUpRemote(dsTTNList, "dsTTNList", "DSPRepTTN", false, kAllRecords);
    setUpRemote(dsTTNDetail, "dsTTNDetail", "DSPRepTTNDet", false, kAllRecords);
    setUpRemote(dsTTNID, "dsTTNID", "DSPRepTTNID", true, 100);
    addField(dsTTNID, "TTN_ID", FieldType::Int32, 0, Look{});
    setUpRemote(dsLogTran, "dsLogTran", "DSPRepLogTran", false, 100);
    setUpAllLogTran();
    setUpScanDocTypes();
    setUpScanDoc();
    setUpLocal();
    setUpSources();
}

TDBFrm::~TDBFrm() = default;

void TDBFrm::setUpConnection()
{
    VeltaServer.SetServerName(QString::fromLatin1(kVeltaServerName));
    VeltaServer.SetServerGUID(QString::fromLatin1(kVeltaServerGUID));
    VeltaServer.BeforeConnect = [this](TDCOMConnection& sender) { VeltaServerBeforeConnect(sender); };
}

void TDBFrm::setUpRemote(TClientDataSet& dataSet, const char* name, const char* provider, bool readOnly,
                         int packetRecords, const QString& commandText)
{
    dataSet.SetName(QString::fromLatin1(name));
    dataSet.SetRemoteServer(&VeltaServer);
    dataSet.SetProviderName(QString::fromLatin1(provider));
    dataSet.SetReadOnly(readOnly);
    dataSet.SetPacketRecords(packetRecords);
    dataSet.SetCommandText(commandText);
}

void TDBFrm::setUpSmLogtable()
{
    setUpRemote(SmLogtable, "SmLogtable", "SmLogProvider", false, kAllRecords);
    addField(SmLogtable, "SmNum", FieldType::Int32, 0, shown("Номер смены"));
    addField(SmLogtable, "BegTime", FieldType::DateTime, 0, shown("Время открытия"));
    addField(SmLogtable, "EndTime", FieldType::DateTime, 0, shown("Время закрытия"));
    addField(SmLogtable, "Operator", FieldType::String, 30, shown("Оператор"));
    addField(SmLogtable, "InKKM", FieldType::Currency, 0, kHidden);
    addField(SmLogtable, "OutKKM", FieldType::Currency, 0, kHidden);
    addField(SmLogtable, "SummaTovary", FieldType::Currency, 0, kHidden);
    addField(SmLogtable, "Operator2", FieldType::String, 30, kHidden);
    addField(SmLogtable, "Operator3", FieldType::String, 30, kHidden);
}

void TDBFrm::setUpPrxTable()
{
    setUpRemote(PrxTable, "PrxTable", "PrxLogProvider", true, 10);
    addField(PrxTable, "OpNum", FieldType::Int32, 0, kHidden);
    addField(PrxTable, "Date", FieldType::Date, 0, shown("Дата привоза"));
    addField(PrxTable, "SmNum", FieldType::Int32, 0, kHidden);
    addField(PrxTable, "Operator", FieldType::String, 20, kHidden);
    addField(PrxTable, "GSMName", FieldType::String, 20, shown("ГСМ", 15));
    addField(PrxTable, "CarVolTTN", FieldType::Currency, 0, shown("Прин. по ТТН"));
    addField(PrxTable, "SiloName", FieldType::String, 20, shown("№ рез-ра", 10));
    addField(PrxTable, "BegTime", FieldType::DateTime, 0, shown("Начало слива"));
    addField(PrxTable, "EndTime", FieldType::DateTime, 0, kHidden);
    for (const char* name : {"SiloLevelBefore", "SiloLevelAfter", "Fact1", "Dopusk", "Delta", "UdVes", "Temper"})
        addField(PrxTable, name, FieldType::Currency, 0, kHidden);
    addField(PrxTable, "FactPlotn", FieldType::Currency, 0, shown("Плотн. в рез-ре"));
    addField(PrxTable, "Cor", FieldType::Int32, 0, kHidden);
    addField(PrxTable, "Prihod", FieldType::Int32, 0, kHidden);
    addField(PrxTable, "Prim", FieldType::String, 50, shown("Примечание", 20));
    addField(PrxTable, "AUTO", FieldType::Int32, 0, kHidden);
}

void TDBFrm::setUpTrkLog()
{
    setUpRemote(TrkLog, "TrkLog", "DSPTRKHistory", true, 100);
    TParam& trkName = TrkLog.Params().CreateParam(FieldType::String, QStringLiteral("TrkName"), ptInput);
    trkName.SetAsString(QStringLiteral("1"));

    const auto centred = [this](const char* name, FieldType type, int size, const Look& look) -> TField& {
        TField& field = addField(TrkLog, name, type, size, look);
        field.SetAlignment(taCenter);
        return field;
    };
    centred("Time", FieldType::DateTime, 0, shown("Время", 18));
    centred("Client", FieldType::Int16, 0, shown("Опер.", 5));
    centred("Gsm", FieldType::String, 10, shown("ГСМ", 9));
    centred("Operation", FieldType::Int16, 0, shown("Операция", 12));
    centred("Op1", FieldType::Int16, 0, shown("Вид оплаты", 20));
    centred("AutoMobil", FieldType::String, 20, shown("Покупатель", 20));
    centred("Op2", FieldType::Int16, 0, shown("Тип отлива", 8));
    addField(TrkLog, "Liters", FieldType::Currency, 0, shown("Литры", 9)).SetDisplayFormat(QStringLiteral("0.00"));
    addField(TrkLog, "Summa", FieldType::Currency, 0, shown("Сумма", 11)).SetCurrency(true);
}

void TDBFrm::setUpAllLogTran()
{
    setUpRemote(dsAllLogTran, "dsAllLogTran", "DSPRepAllLogTran", true, 100);
    addField(dsAllLogTran, "INDEXSALE", FieldType::Int32, 0, shown("№"));
    addField(dsAllLogTran, "TIDEDATE", FieldType::DateTime, 0, shown("Время"));
    addField(dsAllLogTran, "GSMNAME", FieldType::String, 100, shown("ГСМ", 15));
    TField& liter = addField(dsAllLogTran, "LITER", FieldType::Currency, 0, shown("Объем", 12));
    liter.SetPrecision(18);
    liter.OnGetText = [this](TField& sender, QString& text, bool displayText) {
        dsAllLogTranLITERGetText(sender, text, displayText);
    };
    addField(dsAllLogTran, "MASSA", FieldType::FmtBcd, 0, hidden("Масса", 12)).SetPrecision(18);
    TField& summa = addField(dsAllLogTran, "SUMMA", FieldType::Currency, 0, shown("Сумма", 12));
    summa.SetPrecision(18);
    summa.OnGetText = [this](TField& sender, QString& text, bool displayText) {
        dsAllLogTranSUMMAGetText(sender, text, displayText);
    };
    addField(dsAllLogTran, "PLISTNUM", FieldType::String, 100, shown("Путев. лист", 10));
    addField(dsAllLogTran, "CNAME", FieldType::String, 100, shown("Организация", 20));
    addField(dsAllLogTran, "DRIVERFIO", FieldType::String, 100, shown("Водитель", 15));
    addField(dsAllLogTran, "UDOST", FieldType::String, 100, hidden("Удостоверение", 12));
    addField(dsAllLogTran, "CARMARKA", FieldType::String, 100, hidden("Марка авто", 10));
    addField(dsAllLogTran, "CARGOSNUM", FieldType::String, 100, shown("Ном. знак", 10));
    addField(dsAllLogTran, "VIDOPL", FieldType::Int32, 0, hidden("Вид оплаты"));
    addField(dsAllLogTran, "INN", FieldType::String, 20, hidden("ИНН"));
    addField(dsAllLogTran, "POKUPATEL", FieldType::String, 20, hidden("Покупатель"));
    addField(dsAllLogTran, "BASESUMMA", FieldType::Currency, 0, hidden("Сумма без скидки"));
    addField(dsAllLogTran, "TRKDENS", FieldType::Currency, 0, kHidden);
}

void TDBFrm::setUpScanDoc()
{
    setUpRemote(dsScanDoc, "dsScanDoc", "DSPRepScanDoc", false, kAllRecords);
    addField(dsScanDoc, "ID", FieldType::Int32, 0, shown("№")).SetRequired(true);
    addField(dsScanDoc, "DATA", FieldType::DateTime, 0, shown("Дата/время"));
    TField& docType = dsScanDoc.AddField(QStringLiteral("SDOCTYPE"), FieldType::String, 100, fkLookup);
    docType.SetDisplayLabel(QStringLiteral("Тип документа"));
    docType.SetDisplayWidth(20);
    docType.KeyFields = QStringLiteral("DOCTYPE");
    docType.LookupDataSet = &dsScanDocTypes;
    docType.LookupKeyFields = QStringLiteral("ID");
    docType.LookupResultField = QStringLiteral("NAME");
    addField(dsScanDoc, "DOCTYPE", FieldType::Int32, 0, hidden("Тип документа"));
    addField(dsScanDoc, "DOCNUMBER", FieldType::String, 100, shown("Номер документа", 30));
    addField(dsScanDoc, "DOCDATA", FieldType::Date, 0, shown("Дата документа"));
    addField(dsScanDoc, "CNTSENDER_ID", FieldType::Int32, 0, hidden("Отправитель"));
    addField(dsScanDoc, "CNTSENDER", FieldType::String, 100, shown("Отправитель", 30));
    addField(dsScanDoc, "CNTTARGET_ID", FieldType::Int32, 0, hidden("Получатель"));
    addField(dsScanDoc, "CNTTARGET", FieldType::String, 100, shown("Получатель", 30));
    addField(dsScanDoc, "CNTPER_ID", FieldType::Int32, 0, hidden("Перевозчик"));
    addField(dsScanDoc, "CNTPER", FieldType::String, 100, shown("Перевозчик", 30));
    addField(dsScanDoc, "OPERATOR", FieldType::String, 100, shown("Оператор", 30));
    addField(dsScanDoc, "DRIVER", FieldType::String, 100, shown("Водитель", 30));
    addField(dsScanDoc, "OTHER", FieldType::String, 500, hidden("Дополнительно"));
    addField(dsScanDoc, "ISDELETE", FieldType::Int32, 0, kHidden);
    addField(dsScanDoc, "FILENAMES", FieldType::String, 500, Look{QString(), 500, false});
}

void TDBFrm::setUpScanDocTypes()
{
    setUpRemote(dsScanDocTypes, "dsScanDocTypes", "DSPRepScanDocTypes", false, kAllRecords);
    addField(dsScanDocTypes, "ID", FieldType::Int32, 0, shown("№", 5)).SetRequired(true);
    addField(dsScanDocTypes, "NAME", FieldType::String, 100, shown("Наименование", 28));
    addField(dsScanDocTypes, "FILEPREFIX", FieldType::String, 100, shown("Префикс имени файла", 10));
    dsScanDocTypes.BeforePost = [this](TClientDataSet& dataSet) { dsScanDocTypesBeforePost(dataSet); };
}

void TDBFrm::setUpLocal()
{
    const QString notDeleted = QStringLiteral("IsDelete=0");
    VDCnt.SetName(QStringLiteral("VDCnt"));
    VDCnt.SetFilter(notDeleted);
    VDCnt.SetIndexFieldNames(QStringLiteral("Name"));
    // Cars and drivers are details of the contragent list.
    for (auto [dataSet, name] : {std::pair{&VDCar, "VDCar"}, std::pair{&VDDriver, "VDDriver"}}) {
        dataSet->SetName(QString::fromLatin1(name));
        dataSet->SetFilter(notDeleted);
        dataSet->SetIndexFieldNames(QStringLiteral("CID"));
        dataSet->SetMasterFields(QStringLiteral("ID"));
        dataSet->SetMasterSource(&CntDS);
    }
}

void TDBFrm::setUpSources()
{
    TrkLogSource.SetDataSet(&TrkLog);
    CntDS.SetDataSet(&VDCnt);
    CarDS.SetDataSet(&VDCar);
    TTNListSource.SetDataSet(&dsTTNList);
    LogTranSource.SetDataSet(&dsLogTran);
    AllLogTranSource.SetDataSet(&dsAllLogTran);
    ScanDocSource.SetDataSet(&dsScanDoc);
    ScanDocTypesSource.SetDataSet(&dsScanDocTypes);
    for (TDataSource* source : {&TrkLogSource, &TTNListSource, &LogTranSource, &AllLogTranSource, &ScanDocSource,
                                &ScanDocTypesSource})
        source->SetAutoEdit(false);
}

void TDBFrm::DBConnect()
{
    try {
        TClientDataSet probe;
        probe.SetRemoteServer(&VeltaServer);
        probe.SetProviderName(QStringLiteral("DSPRepDBConnect"));
        probe.Open();
    } catch (...) {
    }
}

std::unique_ptr<TClientDataSet> TDBFrm::OpenSQL(const QString& sql)
{
    DBConnect();
    auto dataSet = std::make_unique<TClientDataSet>();
    dataSet->SetCommandText(sql);
    dataSet->SetRemoteServer(&VeltaServer);
    dataSet->SetProviderName(QStringLiteral("DSPRepCustomSQL"));
    dataSet->Open(); // on failure the unique_ptr frees the dataset
    return dataSet;
}

void TDBFrm::VeltaServerBeforeConnect(TDCOMConnection& sender)
{
    if (!host().getPrivValue)
        return; // before the first log-on: the local computer
    Variant local;
    host().getPrivValue(local, kPrivLocalServer);
    if (equalsOne(local))
        return;
    Variant computer;
    host().getPrivValue(computer, kPrivServerComputer);
    sender.SetComputerName(computer.isEmptyOrNull() ? QString() : computer.toString());
}

void TDBFrm::dsAllLogTranLITERGetText(TField& sender, QString& text, bool)
{
    text = moneyText(sender);
}

void TDBFrm::dsAllLogTranSUMMAGetText(TField& sender, QString& text, bool)
{
    text = moneyText(sender);
}

void TDBFrm::dsScanDocTypesBeforePost(TClientDataSet& dataSet)
{
    if (dataSet.FieldByName(QStringLiteral("NAME")).AsString().isEmpty())
        throw Exception(QStringLiteral("Введите наименование документа"));
    if (!IsValidFileNameText(dataSet.FieldByName(QStringLiteral("FILEPREFIX")).AsString()))
        throw Exception(QStringLiteral("Префикс имени файла содержит недопустимые символы"));
    TField& id = dataSet.FieldByName(QStringLiteral("ID"));
    if (!id.IsNull())
        return;
    Variant newId;
    RptCallFunctionWithGSMDBConnect(report::kFnNewScanDocTypeId, Variant(Variant::Array{}), newId);
    // An answer that is no number must not become identifier 0.
    if (!newId.isNumeric())
        throw Exception(QStringLiteral("Не получен номер нового типа документа"));
    id.SetAsInteger(newId.toInt());
}

} // namespace velta::core
