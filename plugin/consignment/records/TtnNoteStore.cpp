#include "plugin/consignment/records/TtnNoteStore.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/core/DBForm.h"
#include "plugin/data/ClientDataSet.h"

#include <type_traits>

namespace velta::consignment {
namespace {

const QString kTtnId = QStringLiteral("TTN_ID");
const QString kKvitNumber = QStringLiteral("KVITNUMBER");
const QString kKvitDate = QStringLiteral("KVITDATE");

bool isKardNum(const TTNLineColumn& c)
{
    return qstrcmp(c.column, "KARDNUM") == 0;
}

// Amounts, masses and rates are fixed-point with four decimals in the tables.
Variant fixedPoint(double value)
{
    return Variant(Currency::fromDouble(value));
}

void readInto(TTTNRecord& line, const TTNLineColumn& c, const TField& field)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(line.*member)>;
            if constexpr (std::is_same_v<T, QString>)
                line.*member = field.IsNull() ? QString() : field.AsString();
            else if constexpr (std::is_same_v<T, double>)
                line.*member = field.AsFloat();
            else if constexpr (std::is_same_v<T, int>)
                line.*member = field.IsNull() ? 0 : field.AsInteger();
            else
                line.*member = !field.IsNull() && field.AsInteger() != 0;
        },
        c.member);
}

void writeFrom(const TTTNRecord& line, const TTNLineColumn& c, TField& field)
{
    std::visit(
        [&](auto member) {
            using T = std::remove_cvref_t<decltype(line.*member)>;
            const T& value = line.*member;
            if constexpr (std::is_same_v<T, QString>) {
                if (!isKardNum(c))
                    field.SetValue(Variant(value));
                else if (value.isEmpty())
                    field.Clear();
                else
                    field.SetAsInteger(StrToInt(value));
            } else if constexpr (std::is_same_v<T, double>) {
                field.SetValue(fixedPoint(value));
            } else if constexpr (std::is_same_v<T, int>) {
                field.SetAsInteger(value);
            } else {
                field.SetAsInteger(value ? 1 : 0);
            }
        },
        c.member);
}

// The field of a line column in a dataset; null for an optional column the
// table lacks (a missing required column raises the dataset's error).
TField* fieldFor(const TClientDataSet& dataSet, const TTNLineColumn& c, const QString& name)
{
    return c.optional ? dataSet.FindField(name) : &dataSet.FieldByName(name);
}

void setOrClearIfNone(TField& field, int reference, bool noneAsNull)
{
    if (noneAsNull && reference < 1)
        field.Clear();
    else
        field.SetAsInteger(reference);
}

void putInEditState(TClientDataSet& dataSet)
{
    if (dataSet.State() != dsEdit && dataSet.State() != dsInsert)
        dataSet.Edit();
}

} // namespace

TtnNoteStore::TtnNoteStore(core::TDBFrm& dm)
    : dm_(dm)
{
}

TClientDataSet& TtnNoteStore::header() const
{
    return dm_.dsTTNList;
}

TClientDataSet& TtnNoteStore::detail() const
{
    return dm_.dsTTNDetail;
}

QString TtnNoteStore::DetailSql(int ttnId)
{
    return QStringLiteral("SELECT * FROM TTNDETAIL WHERE TTN_ID = ") + QString::number(ttnId) +
           QStringLiteral(" ORDER BY ID");
}

int TtnNoteStore::NewNoteNumber()
{
    // Each opening of the number provider takes the next value of the
    // station's note generator: the first column of its one row.
    TClientDataSet& ids = dm_.dsTTNID;
    ids.Close();
    ids.Open();
    const int number = ids.IsEmpty() ? 0 : ids.Fields(0).AsInteger();
    ids.Close();
    if (number <= 0)
        throw EDatabaseError(QStringLiteral("Не удалось получить номер новой накладной"));
    return number;
}

int TtnNoteStore::AppendNote(bool withOfficeNumber)
{
    const int number = NewNoteNumber();
    TClientDataSet& h = header();
    h.Append();
    h.FieldByName(kTtnId).SetAsInteger(number);
    if (withOfficeNumber)
        h.FieldByName(QStringLiteral("OFCTTNID")).SetAsInteger(number);
    return number;
}

void TtnNoteStore::EditNote()
{
    putInEditState(header());
}

int TtnNoteStore::NoteId() const
{
    return header().FieldByName(kTtnId).AsInteger();
}

bool TtnNoteStore::HasKvit() const
{
    return header().FindField(kKvitNumber) && header().FindField(kKvitDate);
}

bool TtnNoteStore::HasHeaderPressure() const
{
    return header().FindField(QStringLiteral("PRESSURE")) != nullptr;
}

void TtnNoteStore::openDetailFor(int ttnId)
{
    TClientDataSet& d = detail();
    d.Close();
    d.SetCommandText(DetailSql(ttnId));
    d.Open();
}

std::vector<TTTNRecord> TtnNoteStore::ReadLines(bool multiLine)
{
    std::vector<TTTNRecord> lines;
    if (multiLine) {
        openDetailFor(NoteId());
        TClientDataSet& d = detail();
        for (d.First(); !d.Eof(); d.Next()) {
            TTTNRecord& line = lines.emplace_back();
            for (const TTNLineColumn& c : ttnLineColumns()) {
                if (const TField* field = fieldFor(d, c, QString::fromLatin1(c.column)))
                    readInto(line, c, *field);
            }
        }
        if (!lines.empty())
            return lines;
    }
    TTTNRecord& line = lines.emplace_back();
    for (const TTNLineColumn& c : ttnLineColumns()) {
        if (c.header == TTNHeaderPlace::None)
            continue;
        if (const TField* field = fieldFor(header(), c, c.headerColumn()))
            readInto(line, c, *field);
    }
    return lines;
}

void TtnNoteStore::ValidateLines(const std::vector<TTTNRecord>& lines)
{
    for (const TTTNRecord& line : lines) {
        if (!line.KardNum.isEmpty())
            StrToInt(line.KardNum);
    }
}

void TtnNoteStore::StageLines(const std::vector<TTTNRecord>& lines, bool multiLine)
{
    if (lines.empty())
        throw Exception(QStringLiteral("Накладная без строк груза"));
    ValidateLines(lines);

    TClientDataSet& h = header();
    putInEditState(h);
    const TTTNRecord& first = lines.front();
    for (const TTNLineColumn& c : ttnLineColumns()) {
        if (c.header == TTNHeaderPlace::None)
            continue;
        if (TField* field = fieldFor(h, c, c.headerColumn()))
            writeFrom(first, c, *field);
    }
    if (!multiLine)
        return;

    const int ttnId = NoteId();
    TClientDataSet& d = detail();
    // The rows as they are now: staged again after a failed send, the rows
    // read before may have changed meanwhile.
    openDetailFor(ttnId);
    d.First();
    while (!d.IsEmpty())
        d.Delete();
    int id = 0;
    for (const TTTNRecord& line : lines) {
        d.Append();
        d.FieldByName(kTtnId).SetAsInteger(ttnId);
        d.FieldByName(QStringLiteral("ID")).SetAsInteger(++id);
        for (const TTNLineColumn& c : ttnLineColumns()) {
            if (TField* field = fieldFor(d, c, QString::fromLatin1(c.column)))
                writeFrom(line, c, *field);
        }
        d.Post();
    }
}

TtnContragents TtnNoteStore::ReadContragents() const
{
    TtnContragents refs;
    for (const TtnContragentSlot& slot : ttnContragentSlots()) {
        const TField& field = header().FieldByName(QString::fromLatin1(slot.column));
        refs.*slot.member = field.IsNull() ? 0 : field.AsInteger();
    }
    return refs;
}

void TtnNoteStore::WriteContragents(const TtnContragents& refs)
{
    for (const TtnContragentSlot& slot : ttnContragentSlots())
        setOrClearIfNone(header().FieldByName(QString::fromLatin1(slot.column)), refs.*slot.member, slot.noneAsNull);
}

std::optional<TtnKvit> TtnNoteStore::ReadKvit() const
{
    if (!HasKvit())
        return std::nullopt;
    const TField& date = header().FieldByName(kKvitDate);
    return TtnKvit{header().FieldByName(kKvitNumber).AsString(), date.IsNull() ? 0.0 : date.AsDateTime()};
}

void TtnNoteStore::WriteKvit(const TtnKvit& kvit)
{
    if (!HasKvit())
        return;
    header().FieldByName(kKvitNumber).SetValue(Variant(kvit.Number));
    header().FieldByName(kKvitDate).SetAsDateTime(DateOf(kvit.Date));
}

void TtnNoteStore::ApplyNote()
{
    QList<TClientDataSet*> dataSets{&header()};
    // The header goes first: a new note's lines refer to its row.
    if (detail().Active())
        dataSets << &detail();
    TClientDataSet::ApplyUpdatesTogether(dataSets);
}

void TtnNoteStore::CancelStaged()
{
    if (header().Active())
        header().CancelUpdates();
    if (detail().Active())
        detail().CancelUpdates();
}

void TtnNoteStore::WriteLines(const std::vector<TTTNRecord>& lines, bool multiLine)
{
    StageLines(lines, multiLine);
    ApplyNote();
}

} // namespace velta::consignment
