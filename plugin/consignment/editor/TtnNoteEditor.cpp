#include "plugin/consignment/editor/TtnNoteEditor.h"

#include "plugin/consignment/editor/TtnWords.h"
#include "plugin/consignment/records/TtnNoteStore.h"
#include "plugin/consignment/records/TtnVarList.h"

#include "common/Exception.h"
#include "common/QuotedStr.h"
#include "common/SysUtils.h"
#include "plugin/core/DBForm.h"
#include "plugin/core/HostValues.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/foundation/text/Tools.h"

#include <utility>

namespace velta::consignment {
namespace {

const QString kTtnDate = QStringLiteral("dtpTTNDate");
const QString kKvitNumber = QStringLiteral("edKVITNUMBER");
const QString kKvitDate = QStringLiteral("dtpKVITDATE");
const QString kPrilNum = QStringLiteral("edPrilNum");

// Quantities below this are no tonnage to divide by.
constexpr double kMinTonnes = 0.0009;

Variant readField(TtnFieldKind kind, const TField& field)
{
    switch (kind) {
    case TtnFieldKind::Text:
        return Variant(field.IsNull() ? QString() : field.AsString());
    case TtnFieldKind::Number:
        return Variant(field.IsNull() ? 0.0 : field.AsFloat());
    case TtnFieldKind::Date:
        return Variant::fromDate(field.IsNull() ? 0.0 : field.AsDateTime());
    case TtnFieldKind::Choice:
        return Variant(field.IsNull() ? 0 : field.AsInteger());
    case TtnFieldKind::Check:
        break;
    }
    return Variant(!field.IsNull() && field.AsInteger() == 1);
}

void writeField(TtnFieldKind kind, const Variant& value, TField& field)
{
    const bool none = value.isEmptyOrNull();
    switch (kind) {
    case TtnFieldKind::Text:
        field.SetAsString(none ? QString() : value.toString());
        break;
    case TtnFieldKind::Number:
        field.SetValue(Variant(Currency::fromDouble(none ? 0.0 : value.toDouble())));
        break;
    case TtnFieldKind::Date:
        field.SetAsDateTime(DateOf(none ? 0.0 : value.toDateTime()));
        break;
    case TtnFieldKind::Choice:
        field.SetAsInteger(none ? 0 : value.toInt());
        break;
    case TtnFieldKind::Check:
        field.SetAsInteger(!none && value.toBool() ? 1 : 0);
        break;
    }
}

} // namespace

double TtnAmountWithoutVat(double amount, double rate)
{
    return RoundMoney(amount * 100 / (rate + 100));
}

TtnNoteEditor::TtnNoteEditor(core::TDBFrm& db, TTNEditMode mode, bool multiLine, TtnDefaults defaults)
    : db_(db), mode_(mode), multiLine_(multiLine), defaults_(std::move(defaults))
{
    vat_ = defaults_.LoadVat(vat_);
}

double TtnNoteEditor::number(const char* editor) const
{
    const auto found = values_.find(QString::fromLatin1(editor));
    return found == values_.end() || found->second.isEmptyOrNull() ? 0.0 : found->second.toDouble();
}

QString TtnNoteEditor::text(const char* editor) const
{
    const auto found = values_.find(QString::fromLatin1(editor));
    return found == values_.end() || found->second.isEmptyOrNull() ? QString() : found->second.toString();
}

void TtnNoteEditor::Start(const std::optional<SaleSelectionResult>& selection, TDateTime today)
{
    if (mode_ != TTNEditMode::New) {
        defaults_.LoadForExistingNote(values_);
        LoadNote(selection, today);
        return;
    }
    defaults_.LoadForNewNote(values_, refs_);
    values_[kTtnDate] = Variant::fromDate(DateOf(today));
    if (selection)
        FillFromSelection(*selection, today);
    if (lines_.empty())
        lines_.push_back(NewLine());
}

TtnFillTotals TtnNoteEditor::FillFromSelection(const SaleSelectionResult& selection, TDateTime today)
{
    values_[kTtnDate] = Variant::fromDate(DateOf(today));
    TtnFillTotals totals;
    lines_.clear();
    for (const TTideRecord& sale : selection.records) {
        TTTNRecord& line = lines_.emplace_back(NewLine());
        line.IndexSale = sale.saleNumber;
        line.Name = sale.name;
        line.GName = sale.name;
        line.Volume = sale.volume.toDouble();
        line.UdVes = sale.density.toDouble();
        const double t = RoundTo3(sale.mass.toDouble() / 1000);
        line.Count = t;
        line.Massa = t;
        line.GMBrutto = FloatToStr(t);
        if (sale.main)
            totals.netMass += t;

        const double amount = sale.sum.toDouble();
        const double s = vat_.Included ? TtnAmountWithoutVat(amount, vat_.Rate) : amount;
        if (sale.main)
            totals.sum += s;
        line.Summa = s;
        if (t > kMinTonnes)
            line.Price = RoundMoney(s / t);

        line.SFName = sale.name;
        line.SFCount = t;
        line.SFNDS = vat_.Rate;
        if (vat_.Included) {
            line.SFSummaSNDS = amount;
            line.SFSumma = TtnAmountWithoutVat(amount, vat_.Rate);
            line.SFSummaNDS = RoundMoney(line.SFSummaSNDS - line.SFSumma);
        } else {
            // The VAT amount follows the rate the line keeps, so both agree on the invoice.
            line.SFSumma = amount;
            line.SFSummaNDS = RoundMoney(line.SFNDS * line.SFSumma / 100);
            line.SFSummaSNDS = line.SFSumma + line.SFSummaNDS;
        }
        if (t > kMinTonnes)
            line.SFPrice = RoundMoney(line.SFSumma / t);

        line.PrintTTN1 = line.PrintTTN2 = line.PrintSF = line.PrintTN = sale.main;
    }
    if (lines_.empty())
        lines_.push_back(NewLine());

    TtnSetWithWords(values_, QStringLiteral("seMNetto"), totals.netMass);
    TtnSetWithWords(values_, QStringLiteral("seMBrutto"), totals.netMass);
    totals.sum = addMarkupAndCosts(totals.sum);
    TtnSetWithWords(values_, QStringLiteral("seAllSumma"), totals.sum);

    const SaleSelectionHeader& h = selection.header;
    values_[QStringLiteral("edDriverFIO")] = Variant(h.driverName);
    values_[QStringLiteral("edDriverUdost")] = Variant(h.driverLicence);
    values_[QStringLiteral("edCarMarka")] = Variant(h.carMake);
    values_[QStringLiteral("edCarNum")] = Variant(h.carNumber);
    values_[QStringLiteral("edPrMarka1")] = Variant(h.trailerMake);
    values_[QStringLiteral("edPrNum1")] = Variant(h.trailerNumber);
    values_[QStringLiteral("edGarNumber")] = Variant(h.trailerGarageNumber);
    values_[QStringLiteral("edPList")] = Variant(h.tripSheet);
    if (h.carrierId > 0)
        refs_.Per = h.carrierId;
    if (h.consigneeId > 0)
        refs_.Gp = h.consigneeId;
    return totals;
}

void TtnNoteEditor::LoadNote(const std::optional<SaleSelectionResult>& selection, TDateTime today)
{
    TtnNoteStore store(db_);
    const TtnContragents stored = store.ReadContragents();
    const bool withSelection = selection && !selection->records.isEmpty();
    if (withSelection) {
        FillFromSelection(*selection, today);
        if (refs_.Gp < 1)
            refs_.Gp = stored.Gp;
    } else {
        refs_.Per = stored.Per;
        refs_.Gp = stored.Gp;
        lines_ = store.ReadLines(multiLine_);
    }
    loadHeader(withSelection);
    refs_.Go = stored.Go;
    refs_.Plat = stored.Plat;
    refs_.TNPlat = stored.TNPlat;
    refs_.TNPost = stored.TNPost;

    const TClientDataSet& h = db_.dsTTNList;
    const TField& sheets = h.FieldByName(QStringLiteral("PRILPAGESNUM"));
    values_[kPrilNum] = Variant(sheets.IsNull() ? QString() : QString::number(sheets.AsInteger()));
    const int licence = h.FieldByName(QStringLiteral("LICCARD")).AsInteger();
    if (licence == 1 || licence == 2)
        values_[QStringLiteral("rgLicCard")] = Variant(licence);
    if (const std::optional<TtnKvit> kvit = store.ReadKvit()) {
        values_[kKvitNumber] = Variant(kvit->Number);
        values_[kKvitDate] = Variant::fromDate(kvit->Date);
    }
    TtnVariables variables = TtnVariablesFromEditors(values_);
    TtnVarListLoad(h.FieldByName(QStringLiteral("VARLIST")).AsString(), variables);
    TtnVariablesToEditors(variables, values_);

    if (mode_ == TTNEditMode::Edit)
        editedId_ = store.NoteId();
    if (lines_.empty())
        lines_.push_back(NewLine());
}

void TtnNoteEditor::loadHeader(bool withSelection)
{
    const TClientDataSet& h = db_.dsTTNList;
    for (const TtnHeaderField& f : ttnHeaderFields()) {
        const bool wanted = f.load == TtnLoadWhen::Always ||
                            (f.load == TtnLoadWhen::WithoutSelection && !withSelection) ||
                            (f.load == TtnLoadWhen::EditOnly && mode_ == TTNEditMode::Edit);
        if (!wanted)
            continue;
        if (const TField* field = h.FindField(QString::fromLatin1(f.column)))
            values_[QString::fromLatin1(f.editor)] = readField(f.kind, *field);
    }
}

TTTNRecord TtnNoteEditor::NewLine() const
{
    TTTNRecord line;
    line.SFNDS = 18;
    for (TtnLineSection section : {TtnLineSection::Goods, TtnLineSection::Transport, TtnLineSection::Invoice}) {
        TtnEditorValues values;
        TtnLineToEditors(line, section, values);
        defaults_.LoadLine(section, values);
        TtnLineFromEditors(values, section, line);
    }
    return line;
}

void TtnNoteEditor::AddLine()
{
    if (!multiLine_)
        throw Exception(QStringLiteral("В данной версии поддерживается только 1 груз на ТТН!"));
    if (static_cast<int>(lines_.size()) >= kMaxLines)
        throw Exception(QStringLiteral("Нельзя! Слишком много груза!"));
    lines_.push_back(NewLine());
}

void TtnNoteEditor::DeleteLine(int index)
{
    if (lines_.size() <= 1)
        throw Exception(QStringLiteral("Нельзя! Должен остаться хотябы один груз!"));
    Line(index);
    lines_.erase(lines_.begin() + index);
}

void TtnNoteEditor::ResetSale(int index)
{
    Line(index).IndexSale = 0;
}

TTTNRecord& TtnNoteEditor::Line(int index)
{
    if (index < 0 || index >= static_cast<int>(lines_.size()))
        throw Exception(Format(QStringLiteral("Строка %d не найдена"), {Variant(index)}));
    return lines_[static_cast<size_t>(index)];
}

double TtnNoteEditor::addMarkupAndCosts(double sum) const
{
    const double markup = number("seNadb");
    if (markup > 0)
        sum += RoundMoney(sum * markup / 100);
    const double costs = number("seSkladRashod");
    if (costs > 0)
        sum += costs;
    return sum;
}

double TtnNoteEditor::RecalcSum() const
{
    double sum = 0;
    for (const TTTNRecord& line : lines_) {
        if (line.PrintTTN1)
            sum += line.Summa;
    }
    return addMarkupAndCosts(sum);
}

double TtnNoteEditor::RecalcMass() const
{
    double mass = 0;
    for (const TTTNRecord& line : lines_) {
        if (line.PrintTTN1)
            mass += line.Massa;
    }
    return RoundTo(4, mass);
}

QString TtnNoteEditor::ContragentText(const QString& fullName, const QString& address, const QString& phone,
                                      const QString& inn, const QString& kpp)
{
    QString result = fullName;
    if (!address.isEmpty())
        result += QStringLiteral(", ") + address;
    if (!phone.isEmpty())
        result += QStringLiteral(", ") + phone;
    if (!inn.isEmpty() && !kpp.isEmpty())
        result += QStringLiteral(", ИНН/КПП ") + inn + QStringLiteral("/") + kpp;
    else if (!inn.isEmpty())
        result += QStringLiteral(", ИНН ") + inn;
    else if (!kpp.isEmpty())
        result += QStringLiteral(", КПП ") + kpp;
    return result;
}

QString TtnNoteEditor::ContragentText(int id) const
{
    if (id <= 0)
        return {};
    const auto rows = db_.OpenSQL(QStringLiteral("SELECT * FROM CONTRAGENT WHERE CONTR_ID=") + QString::number(id));
    if (rows->IsEmpty())
        return {};
    const auto column = [&](const char* name) {
        const TField* field = rows->FindField(QString::fromLatin1(name));
        return field && !field->IsNull() ? field->AsString().trimmed() : QString();
    };
    return ContragentText(column("FULLNAME"), column("ADDRESS"), column("PHONE"), column("INN"), column("KPP"));
}

QString TtnNoteEditor::DuplicateCheckSql() const
{
    const auto found = values_.find(kTtnDate);
    const TDateTime date = found == values_.end() || found->second.isEmptyOrNull() ? 0.0 : found->second.toDateTime();
    int year = 0, month = 0, day = 0;
    DecodeDate(date, year, month, day);
    const QString first = QuotedStr(FormatQueryDate(EncodeDate(year, 1, 1)));
    const QString last = QuotedStr(FormatQueryDate(EncodeDate(year, 12, 31)));
    QString sql = QStringLiteral("SELECT COUNT(*) FROM TTN WHERE (TTNDATE BETWEEN %1 AND %2) AND "
                                 "(COALESCE(ISDELETE, 0) = 0) AND (TTNSER || TTNNUMBER = %3)")
                      .arg(first, last, QuotedStr(text("edTTNSer") + text("edTTNNumber")));
    if (mode_ == TTNEditMode::Edit)
        sql += QStringLiteral(" AND (TTN_ID <> %1)").arg(editedId_);
    return sql;
}

void TtnNoteEditor::CheckDuplicate() const
{
    const QString sql = DuplicateCheckSql();
    const auto rows = db_.OpenSQL(sql);
    if (rows->IsEmpty() || rows->Fields(0).AsInteger() <= 0)
        return;
    int year = 0, month = 0, day = 0;
    DecodeDate(values_.at(kTtnDate).toDateTime(), year, month, day);
    throw Exception(
        Format(QStringLiteral("За период с %s по %s уже есть ТТН с такой же серией и с таким же номером!"),
               {Variant(QuotedStr(FormatQueryDate(EncodeDate(year, 1, 1)))),
                Variant(QuotedStr(FormatQueryDate(EncodeDate(year, 12, 31))))}));
}

void TtnNoteEditor::Validate(const QString& shownKardNum) const
{
    int unused = 0;
    if (!shownKardNum.isEmpty() && !TryStrToInt(shownKardNum, unused))
        throw Exception(QStringLiteral("Неверное значение \"Порядковый номер по картотеке\"!"));
    const QString sheets = text("edPrilNum");
    if (!sheets.isEmpty() && !TryStrToInt(sheets, unused))
        throw Exception(QStringLiteral("Неверное значение \"Приложение (листов)\"!"));
}

void TtnNoteEditor::writeHeader(TtnNoteStore& store)
{
    TClientDataSet& h = db_.dsTTNList;
    for (const TtnHeaderField& f : ttnHeaderFields()) {
        TField& field = h.FieldByName(QString::fromLatin1(f.column));
        const auto found = values_.find(QString::fromLatin1(f.editor));
        const Variant value = found == values_.end() ? Variant() : found->second;
        if (kPrilNum == QLatin1String(f.editor)) {
            const QString sheets = text(f.editor);
            if (sheets.isEmpty())
                field.Clear();
            else
                field.SetAsInteger(StrToInt(sheets));
            continue;
        }
        writeField(f.kind, value, field);
    }
    store.WriteContragents(refs_);
    const auto kvitDate = values_.find(kKvitDate);
    store.WriteKvit({text("edKVITNUMBER"), kvitDate == values_.end() || kvitDate->second.isEmptyOrNull()
                                               ? 0.0
                                               : kvitDate->second.toDateTime()});
    h.FieldByName(QStringLiteral("VARLIST")).SetAsString(TtnVarListText(TtnVariablesFromEditors(values_)));
}

int TtnNoteEditor::Save(const QString& shownKardNum)
{
    Validate(shownKardNum);
    // Every line is checked before the first dataset is touched.
    TtnNoteStore::ValidateLines(lines_);
    CheckDuplicate();

    TtnNoteStore store(db_);
    try {
        int id = editedId_;
        if (mode_ == TTNEditMode::Edit)
            store.EditNote();
        else
            id = store.AppendNote(core::HostValues::workplaceKind() != 3);
        writeHeader(store);
        store.StageLines(lines_, multiLine_);
        store.ApplyNote();
        return id;
    } catch (...) {
        store.CancelStaged();
        if (mode_ == TTNEditMode::Edit)
            db_.dsTTNList.Locate(QStringLiteral("TTN_ID"), Variant(editedId_), 0);
        throw;
    }
}

void TtnNoteEditor::StoreDefaults(const TtnEditorValues& values) const
{
    defaults_.Store(values, refs_);
}

} // namespace velta::consignment
