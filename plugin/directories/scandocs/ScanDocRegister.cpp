#include "plugin/directories/scandocs/ScanDocRegister.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "common/SysUtils.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostContext.h"
#include "plugin/core/ReportCalls.h"
#include "plugin/data/Field.h"
#include "plugin/directories/scandocs/ScanDocStorage.h"
#include "plugin/foundation/log/LDSLogger.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/Paths.h"
#include "plugin/ui/DialogTypes.h"
#include "plugin/ui/Dialogs.h"

#include <QRegularExpression>

namespace velta::directories::scandocs {

namespace {

const QString kAttention = QStringLiteral("Внимание!");

QString field(const char* name)
{
    return QString::fromLatin1(name);
}

void setId(TField& target, int id)
{
    if (id > 0)
        target.SetAsInteger(id);
    else
        target.Clear();
}

// A log value: line breaks become semicolons.
QString logValue(const QString& value)
{
    QString text = value;
    text.replace(QRegularExpression(QStringLiteral("\r\n|\r|\n")), QStringLiteral(";"));
    return text;
}

} // namespace

ScanDocRegister::ScanDocRegister(core::TDBFrm& db, Dialogs& dialogs, QString root, QString stationName)
    : db_(db), dialogs_(dialogs), root_(std::move(root)), stationName_(std::move(stationName))
{
}

QString ScanDocRegister::StationFolder() const
{
    return scandocs::StationFolder(root_, stationName_);
}

void ScanDocRegister::Open()
{
    db_.dsScanDocTypes.Open();
    db_.dsScanDoc.SetFilterOptions(foCaseInsensitive);
    db_.dsScanDoc.SetFiltered(true);
    db_.dsScanDoc.Open();
}

QList<ScanDocType> ScanDocRegister::Types() const
{
    QList<ScanDocType> types;
    TClientDataSet& ds = db_.dsScanDocTypes;
    if (!ds.Active())
        return types;
    const TBookmark current = ds.GetBookmark();
    for (ds.First(); !ds.Eof(); ds.Next())
        types << ScanDocType{ds.FieldByName(field("ID")).AsInteger(), ds.FieldByName(field("NAME")).AsString()};
    if (ds.BookmarkValid(current))
        ds.GotoBookmark(current);
    return types;
}

void ScanDocRegister::SetFilter(const QString& filter)
{
    db_.dsScanDoc.SetFilter(filter);
}

bool ScanDocRegister::Search(const QString& fieldName, const QString& text)
{
    return db_.dsScanDoc.Locate(fieldName, Variant(text), loCaseInsensitive | loPartialKey);
}

ScanDocEntry ScanDocRegister::ReadCurrent()
{
    TClientDataSet& ds = db_.dsScanDoc;
    if (!ds.Active() || ds.IsEmpty())
        throw Exception(QStringLiteral("Запись не выбрана!"));
    ScanDocEntry entry;
    entry.typeId = ds.FieldByName(field("DOCTYPE")).AsInteger();
    entry.number = ds.FieldByName(field("DOCNUMBER")).AsString();
    entry.docDate = ds.FieldByName(field("DOCDATA")).AsDateTime();
    entry.senderId = ds.FieldByName(field("CNTSENDER_ID")).AsInteger();
    entry.targetId = ds.FieldByName(field("CNTTARGET_ID")).AsInteger();
    entry.carrierId = ds.FieldByName(field("CNTPER_ID")).AsInteger();
    entry.operatorName = ds.FieldByName(field("OPERATOR")).AsString();
    entry.driver = ds.FieldByName(field("DRIVER")).AsString();
    entry.other = ds.FieldByName(field("OTHER")).AsString();
    entry.registered = ds.FieldByName(field("DATA")).AsDateTime();
    entry.pages = CurrentPages();
    entry.sender = ContragentName(entry.senderId);
    entry.target = ContragentName(entry.targetId);
    entry.carrier = ContragentName(entry.carrierId);
    return entry;
}

QStringList ScanDocRegister::CurrentPages() const
{
    return PagePathsOf(db_.dsScanDoc.FieldByName(field("FILENAMES")).AsString(), root_);
}

QString ScanDocRegister::ContragentName(int id)
{
    if (id == 0)
        return QString();
    const auto names = db_.OpenSQL(QStringLiteral("SELECT NAME FROM CONTRAGENT WHERE CONTR_ID=") + QString::number(id));
    return names->IsEmpty() ? QString() : names->FieldByName(field("NAME")).AsString();
}

QString ScanDocRegister::checkAndPrepare(const ScanDocEntry& entry)
{
    if (entry.number.trimmed().isEmpty())
        throw Exception(QStringLiteral("Необходимо указать номер документа"));
    if (entry.typeId <= 0)
        throw Exception(QStringLiteral("Необходимо указать тип документа!"));
    const Variant prefix = db_.dsScanDocTypes.Lookup(field("ID"), Variant(entry.typeId), field("FILEPREFIX"));
    const QString folder = StationFolder();
    if (!Paths::forceDirectories(folder))
        throw Exception(QStringLiteral("Не удалось создать каталог: ") + folder);
    return prefix.isEmptyOrNull() ? QString() : prefix.toString();
}

void ScanDocRegister::checkPages(const QStringList& pages) const
{
    if (pages.isEmpty())
        throw Exception(QStringLiteral("Error: Список файлов пуст!"));
    for (int i = 0; i < pages.size(); ++i) {
        if (pages.at(i).isEmpty())
            throw Exception(Format(QStringLiteral("На Стр. %d имя графического файла не задано!"), {Variant(i + 1)}));
        if (!Paths::fileExists(pages.at(i)))
            throw Exception(Format(QStringLiteral("На Стр. %d задано имя несуществующего файла!"), {Variant(i + 1)}));
    }
}

bool ScanDocRegister::confirmNew(const ScanDocEntry& entry)
{
    const QString text = QStringLiteral("Будет сохранен документ ") + entry.typeName + QStringLiteral("\r\n")
                         + QStringLiteral("№") + entry.number + QStringLiteral(" от ") + DateToStr(entry.docDate)
                         + QStringLiteral("\r\n") + QStringLiteral("После сохранения документа изменение страниц\r\n")
                         + QStringLiteral("НЕВОЗМОЖНО! Если Вы уверены, что указаны изображения\r\n")
                         + QStringLiteral("для всех отсканированных страниц документа, то\r\n")
                         + QStringLiteral("нажмите \"ОК\". Если не уверены, то нажмите \"Отмена\"");
    return dialogs_.messageBox(text, kAttention, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

int ScanDocRegister::newId()
{
    Variant id;
    core::RptCallFunctionWithGSMDBConnect(report::kFnNewScanDocId, Variant(Variant::Array{}), id);
    // An answer that is no number must not become document 0.
    if (!id.isNumeric())
        throw Exception(QStringLiteral("Не получен номер нового документа"));
    return id.toInt();
}

void ScanDocRegister::writeFields(const ScanDocEntry& entry)
{
    TClientDataSet& ds = db_.dsScanDoc;
    ds.FieldByName(field("DATA")).SetAsDateTime(Clock::current().now());
    ds.FieldByName(field("DOCNUMBER")).SetAsString(entry.number);
    ds.FieldByName(field("DOCDATA")).SetAsDateTime(DateOf(entry.docDate));
    setId(ds.FieldByName(field("CNTSENDER_ID")), entry.senderId);
    setId(ds.FieldByName(field("CNTTARGET_ID")), entry.targetId);
    setId(ds.FieldByName(field("CNTPER_ID")), entry.carrierId);
    // The names are shown in the list; the server writes the ids only.
    ds.FieldByName(field("CNTSENDER")).SetAsString(entry.sender);
    ds.FieldByName(field("CNTTARGET")).SetAsString(entry.target);
    ds.FieldByName(field("CNTPER")).SetAsString(entry.carrier);
    ds.FieldByName(field("OPERATOR")).SetAsString(entry.operatorName);
    ds.FieldByName(field("DRIVER")).SetAsString(entry.driver);
    ds.FieldByName(field("OTHER")).SetAsString(entry.other);
    ds.FieldByName(field("ISDELETE")).SetAsInteger(0);
    setId(ds.FieldByName(field("DOCTYPE")), entry.typeId);
}

QString ScanDocRegister::logValues(const ScanDocEntry& entry) const
{
    TClientDataSet& ds = db_.dsScanDoc;
    const auto pair = [](const char* name, const QString& value) {
        return QString::fromLatin1(name) + QLatin1Char('=') + logValue(value) + QLatin1Char(';');
    };
    return pair("DATA", ds.FieldByName(field("DATA")).AsString()) + pair("DOCNUMBER", entry.number)
           + pair("DOCDATA", ds.FieldByName(field("DOCDATA")).AsString()) + pair("CNTSENDER", entry.sender)
           + pair("CNTTARGET", entry.target) + pair("CNTPER", entry.carrier) + pair("OPERATOR", entry.operatorName)
           + pair("DRIVER", entry.driver) + pair("OTHER", entry.other)
           + pair("ISDELETE", ds.FieldByName(field("ISDELETE")).AsString())
           + pair("DOCTYPE", ds.FieldByName(field("DOCTYPE")).AsString());
}

void ScanDocRegister::apply()
{
    try {
        db_.dsScanDoc.ApplyUpdates(0);
    } catch (...) {
        db_.dsScanDoc.CancelUpdates();
        throw;
    }
}

int ScanDocRegister::SaveNew(const ScanDocEntry& entry)
{
    const QString prefix = checkAndPrepare(entry);
    checkPages(entry.pages);
    if (!confirmNew(entry))
        throw Exception(QStringLiteral("Сохранение документа прервано пользователем!"));
    const int id = newId();
    const StoredPages stored = StorePages(entry.pages, root_, stationName_, prefix, id);
    const QString fileNames = stored.lines.join(QStringLiteral("\r\n")).trimmed();
    TClientDataSet& ds = db_.dsScanDoc;
    QString logText;
    try {
        ds.Append();
        ds.FieldByName(field("ID")).SetAsInteger(id);
        ds.FieldByName(field("FILENAMES")).SetAsString(fileNames);
        writeFields(entry);
        ds.Post();
        logText = QStringLiteral("Добавлена запись отсканированного документа. ") + QStringLiteral("ID=")
                  + QString::number(id) + QStringLiteral(";FILENAMES=") + logValue(fileNames) + QLatin1Char(';')
                  + logValues(entry);
        apply();
    } catch (...) {
        if (ds.State() == dsInsert)
            ds.Cancel();
        // The document is not registered: its copies in the storage go too.
        DeleteFiles(stored.copied);
        throw;
    }
    if (!stored.outsideRoot.isEmpty()) {
        const QString text =
            QStringLiteral("Файлы отсканированного документа помещены в каталог\r\n"
                           "хранения отсканированных документов. Для экономии\r\n"
                           "места на жестком диске Вы можете удалить\r\n"
                           "следующие исходные графические файлы:\r\n")
            + stored.outsideRoot.join(QStringLiteral("\r\n")) + QStringLiteral("\r\n\r\n")
            + QStringLiteral("Хотите удалить указанные файлы?");
        if (dialogs_.messageBox(text, kAttention, MB_OKCANCEL | MB_ICONQUESTION) == IDOK)
            DeleteFiles(stored.outsideRoot);
    }
    core::logger().Log(logText, 0);
    return id;
}

void ScanDocRegister::SaveCurrent(const ScanDocEntry& entry)
{
    checkAndPrepare(entry);
    TClientDataSet& ds = db_.dsScanDoc;
    if (!ds.Active() || ds.IsEmpty())
        throw Exception(QStringLiteral("Запись не выбрана!"));
    QString logText;
    try {
        ds.Edit();
        writeFields(entry);
        ds.Post();
        logText = QStringLiteral("Изменена запись отсканированного документа. ") + logValues(entry);
        apply();
    } catch (...) {
        if (ds.State() == dsEdit)
            ds.Cancel();
        throw;
    }
    core::logger().Log(logText, 0);
}

void ScanDocRegister::DeleteCurrent()
{
    TClientDataSet& ds = db_.dsScanDoc;
    if (!ds.Active() || ds.IsEmpty())
        throw Exception(QStringLiteral("Запись не выбрана!"));
    ds.Delete();
    apply();
}

bool ScanDocRegister::TypeEditing() const
{
    const TDataSetState state = db_.dsScanDocTypes.State();
    return state == dsInsert || state == dsEdit;
}

bool ScanDocRegister::TypesChanged() const
{
    return db_.dsScanDocTypes.Active() && db_.dsScanDocTypes.ChangeCount() > 0;
}

void ScanDocRegister::ApplyTypes()
{
    TClientDataSet& types = db_.dsScanDocTypes;
    if (types.ChangeCount() > 0)
        types.ApplyUpdates(0);
    ReopenTypes();
}

void ScanDocRegister::ReopenTypes()
{
    TClientDataSet& types = db_.dsScanDocTypes;
    types.Close();
    types.Open();
}

} // namespace velta::directories::scandocs
