#include "plugin/foundation/dbf/MemDBFTable.h"

#include "common/Exception.h"
#include "common/SysUtils.h"
#include "plugin/foundation/dbf/DBFValue.h"
#include "plugin/platform/Clock.h"
#include "plugin/platform/FileIO.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/SystemError.h"

#include <QFile>
#include <QStringList>
#include <cerrno>
#include <cmath>
#include <cstring>

namespace velta {

namespace {

constexpr int kMemoBlock = 512;

[[noreturn]] void raiseOpenError(const QString& name)
{
    const int code = SystemError::setLastFromErrno(errno);
    throw EFOpenError(QStringLiteral("Cannot open file \"%1\". %2").arg(name, SystemError::message(code)));
}

[[noreturn]] void raiseCreateError(const QString& name, const QString& reason)
{
    throw EFCreateError(QStringLiteral("Cannot create file \"%1\". %2").arg(name, reason));
}

// The name with its extension replaced ("a\b.dbf" -> "a\b.dbt").
QString changeExtension(const QString& name, const QString& extension)
{
    const QString ext = Paths::extractFileExt(name);
    return name.left(name.size() - ext.size()) + extension;
}

// Replaces the file whole, so a failed save keeps the old content.
void writeWholeFile(const QString& name, const QByteArray& bytes)
{
    const QString native = Paths::toNative(name);
    if (FileIO::replaceFile(native, bytes) != FileIO::Outcome::Written)
        raiseCreateError(name, SystemError::message(SystemError::setLastFromErrnoForPath(errno, native)));
}

// The framework's SameValue with its default tolerance.
bool sameValue(double a, double b)
{
    constexpr double resolution = 1e-12;
    const double epsilon = std::max(std::min(std::fabs(a), std::fabs(b)) * resolution, resolution);
    return a > b ? a - b <= epsilon : b - a <= epsilon;
}

} // namespace

TMemDBFTable::TMemDBFTable() = default;
TMemDBFTable::~TMemDBFTable() = default;

void TMemDBFTable::SetFileName(const QString& fileName)
{
    if (Active())
        throw EDatabaseError(QStringLiteral("Cannot change Filename if table is active"));
    fileName_ = fileName;
}

void TMemDBFTable::SetShowDeleted(bool value)
{
    if (showDeleted_ == value)
        return;
    if (Active())
        checkBrowseMode();
    showDeleted_ = value;
    if (Active())
        refresh();
}

void TMemDBFTable::SetFilter(const QString& text)
{
    if (Active())
        checkBrowseMode();
    filter_ = text;
    reparseFilter();
    if (Active() && filtered_)
        refresh();
}

void TMemDBFTable::SetFiltered(bool value)
{
    if (filtered_ == value)
        return;
    if (Active())
        checkBrowseMode();
    filtered_ = value;
    if (Active())
        refresh();
}

void TMemDBFTable::SetFilterOptions(TFilterOptions options)
{
    if (Active())
        checkBrowseMode();
    filterOptions_ = options;
    reparseFilter();
    if (Active() && filtered_)
        refresh();
}

void TMemDBFTable::AddFieldDef(const QString& name, TFieldType type, int size, int precision)
{
    fieldDefs_.append(TFieldDef{name, type, size, precision});
}

void TMemDBFTable::AddFieldDef(const FieldDef& def)
{
    const bool decimal = def.type == FieldType::Currency || def.type == FieldType::FmtBcd;
    AddFieldDef(def.name, dbfFieldTypeOf(def.type), decimal ? def.precision : def.size, decimal ? def.scale : 0);
}

void TMemDBFTable::SetActive(bool value)
{
    if (value)
        Open();
    else
        Close();
}

void TMemDBFTable::Open()
{
    if (Active())
        return;
    if (!created_.isEmpty()) {
        QByteArray bytes = std::move(created_);
        created_.clear();
        LoadFromBytes(std::move(bytes));
        return;
    }
    if (fileName_.isEmpty())
        throw EDatabaseError(QStringLiteral("Can not open file. File name requested"));
    QFile file(Paths::toNative(fileName_));
    if (!file.open(QIODevice::ReadOnly))
        raiseOpenError(fileName_);
    QByteArray bytes = file.readAll();
    file.close();
    openImage(TDBFAccess::Read(std::move(bytes)));
    if (TDBFAccess::HasMemo(header_.Version)) {
        try {
            openMemo();
        } catch (...) {
            Close();
            throw;
        }
    }
}

void TMemDBFTable::LoadFromBytes(QByteArray bytes)
{
    if (Active())
        Close();
    openImage(TDBFAccess::Read(std::move(bytes)));
}

void TMemDBFTable::openImage(TDBFImage image)
{
    header_ = image.Header;
    descs_ = std::move(image.Fields);
    data_ = std::move(image.Data);
    recordsOffset_ = image.RecordsOffset;
    recordSize_ = header_.RecordSize;
    recordCount_ = image.RecordCount;
    deletedCount_ = 0;
    for (int i = 0; i < recordCount_; ++i)
        if (*recordAt(i) == '*')
            ++deletedCount_;
    state_ = dsBrowse;
    bindFields();
    reparseFilter();
    cursor_ = -1;
    First();
}

void TMemDBFTable::openMemo()
{
    const QString name = changeExtension(fileName_, QStringLiteral(".dbt"));
    auto memo = std::make_unique<QFile>(Paths::toNative(name));
    if (!memo->open(QIODevice::ReadWrite | QIODevice::ExistingOnly))
        raiseOpenError(name);
    memoHeader_ = memo->read(kMemoBlock);
    if (memoHeader_.size() != kMemoBlock)
        throw EReadError(QStringLiteral("Stream read error"));
    memo_ = std::move(memo);
}

void TMemDBFTable::bindFields()
{
    fields_.clear();
    for (int i = 0; i < descs_.size(); ++i)
        fields_.emplace_back(this, i);
}

void TMemDBFTable::Close()
{
    memo_.reset();
    memoHeader_.clear();
    fields_.clear();
    descs_.clear();
    data_.clear();
    editBuffer_.clear();
    header_ = TDBFHeader();
    recordsOffset_ = 0;
    recordSize_ = 0;
    recordCount_ = 0;
    deletedCount_ = 0;
    cursor_ = -1;
    bof_ = eof_ = true;
    state_ = dsInactive;
}

int TMemDBFTable::VersionKind() const
{
    return Active() ? TDBFAccess::VersionKind(header_.Version) : 0;
}

QString TMemDBFTable::VersionText() const
{
    return TDBFAccess::VersionText(VersionKind());
}

int TMemDBFTable::CodePage() const
{
    if (!Active() || !TDBFAccess::IsDBase4Family(header_.Version))
        return 0;
    return TDBFAccess::CodePageOfDriver(header_.LanguageDriver);
}

DbfField& TMemDBFTable::Fields(int index)
{
    if (index < 0 || index >= FieldCount())
        throw EListError(QStringLiteral("List index out of bounds (%1)").arg(index));
    return fields_[static_cast<size_t>(index)];
}

DbfField* TMemDBFTable::FindField(const QString& name)
{
    for (DbfField& field : fields_)
        if (field.FieldName().compare(name, Qt::CaseInsensitive) == 0)
            return &field;
    return nullptr;
}

DbfField& TMemDBFTable::FieldByName(const QString& name)
{
    DbfField* field = FindField(name);
    if (!field)
        throw EDatabaseError(QStringLiteral("Field '%1' not found").arg(name));
    return *field;
}

const char* TMemDBFTable::activeBuffer() const
{
    if (state_ == dsEdit || state_ == dsInsert)
        return editBuffer_.constData();
    if (state_ == dsBrowse && cursor_ >= 0 && cursor_ < recordCount_)
        return recordAt(cursor_);
    return nullptr;
}

char* TMemDBFTable::editBuffer(int fieldIndex)
{
    if (state_ != dsEdit && state_ != dsInsert)
        throw EDatabaseError(QStringLiteral("Dataset not in edit or insert mode"));
    return editBuffer_.data() + descs_[fieldIndex].Offset;
}

bool TMemDBFTable::isShown(int index) const
{
    const char* record = recordAt(index);
    if (!showDeleted_ && *record == '*')
        return false;
    if (filtered_ && !filterParser_.PassesAll())
        return filterParser_.Accepts(record, oem_);
    return true;
}

int TMemDBFTable::nextShown(int from) const
{
    for (int i = from + 1; i < recordCount_; ++i)
        if (isShown(i))
            return i;
    return -1;
}

int TMemDBFTable::priorShown(int from) const
{
    for (int i = std::min(from, recordCount_) - 1; i >= 0; --i)
        if (isShown(i))
            return i;
    return -1;
}

void TMemDBFTable::checkActive() const
{
    if (!Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on a closed dataset"));
}

void TMemDBFTable::checkBrowseMode()
{
    checkActive();
    if (state_ == dsEdit || state_ == dsInsert)
        Post();
}

void TMemDBFTable::reparseFilter()
{
    filterParser_.Parse(filter_, descs_, filterOptions_);
}

void TMemDBFTable::refresh()
{
    if (cursor_ >= 0 && cursor_ < recordCount_ && isShown(cursor_))
        bof_ = eof_ = false;
    else
        First();
}

void TMemDBFTable::First()
{
    checkBrowseMode();
    cursor_ = nextShown(-1);
    bof_ = true;
    eof_ = cursor_ < 0;
}

void TMemDBFTable::Last()
{
    checkBrowseMode();
    cursor_ = priorShown(recordCount_);
    eof_ = true;
    bof_ = cursor_ < 0;
}

void TMemDBFTable::Next()
{
    checkBrowseMode();
    if (eof_)
        return;
    const int next = nextShown(cursor_);
    if (next < 0) {
        eof_ = true;
        return;
    }
    cursor_ = next;
    bof_ = false;
}

void TMemDBFTable::Prior()
{
    checkBrowseMode();
    if (bof_)
        return;
    const int prior = priorShown(cursor_);
    if (prior < 0) {
        bof_ = true;
        return;
    }
    cursor_ = prior;
    eof_ = false;
}

bool TMemDBFTable::IsEmpty() const
{
    return !Active() || nextShown(-1) < 0;
}

int TMemDBFTable::RecNo() const
{
    if (!Active())
        return 0;
    if (cursor_ < 0)
        return recordCount_ > 0 ? 1 : 0;
    return cursor_ + 1;
}

bool TMemDBFTable::IsDeleted() const
{
    const char* buffer = activeBuffer();
    return buffer && *buffer == '*';
}

void TMemDBFTable::Append()
{
    checkBrowseMode();
    editBuffer_ = QByteArray(recordSize_, ' ');
    insertAt_ = recordCount_;
    state_ = dsInsert;
}

void TMemDBFTable::Insert()
{
    checkBrowseMode();
    editBuffer_ = QByteArray(recordSize_, ' ');
    insertAt_ = cursor_ < 0 ? 0 : cursor_;
    state_ = dsInsert;
}

void TMemDBFTable::Edit()
{
    checkActive();
    if (state_ == dsEdit || state_ == dsInsert)
        return;
    if (cursor_ < 0) {
        Insert();
        return;
    }
    editBuffer_ = QByteArray(recordAt(cursor_), recordSize_);
    state_ = dsEdit;
}

void TMemDBFTable::Post()
{
    checkActive();
    if (state_ == dsEdit) {
        const bool wasDeleted = *recordAt(cursor_) == '*';
        std::memcpy(recordAt(cursor_), editBuffer_.constData(), static_cast<size_t>(recordSize_));
        deletedCount_ += (*recordAt(cursor_) == '*') - static_cast<int>(wasDeleted);
    } else if (state_ == dsInsert) {
        const qsizetype at = recordsOffset_ + static_cast<qsizetype>(insertAt_) * recordSize_;
        if (insertAt_ == recordCount_)
            data_.append(editBuffer_);
        else
            data_.insert(at, editBuffer_);
        if (editBuffer_.at(0) == '*')
            ++deletedCount_;
        ++recordCount_;
        cursor_ = insertAt_;
    } else {
        return;
    }
    state_ = dsBrowse;
    editBuffer_.clear();
    bof_ = eof_ = false;
}

void TMemDBFTable::Cancel()
{
    checkActive();
    if (state_ == dsEdit || state_ == dsInsert) {
        state_ = dsBrowse;
        editBuffer_.clear();
    }
}

void TMemDBFTable::Delete()
{
    checkActive();
    if (state_ == dsInsert) {
        Cancel();
        return;
    }
    if (state_ == dsEdit)
        Cancel();
    if (cursor_ < 0 || IsEmpty())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an empty dataset"));
    char* record = recordAt(cursor_);
    if (*record != '*') {
        *record = '*';
        ++deletedCount_;
    }
    if (isShown(cursor_))
        return;
    const int next = nextShown(cursor_);
    const int prior = next < 0 ? priorShown(cursor_) : -1;
    if (next >= 0 || prior >= 0) {
        cursor_ = next >= 0 ? next : prior;
        bof_ = eof_ = false;
    } else {
        cursor_ = -1;
        bof_ = eof_ = true;
    }
}

bool TMemDBFTable::Locate(const QString& keyFields, const Variant& keyValues, TLocateOptions options)
{
    checkBrowseMode();
    QStringList names;
    for (const QString& part : keyFields.split(u';'))
        if (!Trim(part).isEmpty())
            names.append(Trim(part));
    if (names.isEmpty())
        return false;

    struct Key {
        const TDBFFieldDesc* field = nullptr;
        bool null = false;
        bool valid = true;
        QString text;
        std::int64_t integer = 0;
        double number = 0;
        bool boolean = false;
    };
    const bool caseInsensitive = (options & loCaseInsensitive) != 0;
    const bool partial = (options & loPartialKey) != 0;
    QVector<Key> keys;
    for (int i = 0; i < names.size(); ++i) {
        Key key;
        key.field = &desc(FieldByName(names[i]).Index());
        const Variant* value = nullptr;
        if (keyValues.isArray()) {
            if (i >= keyValues.arrayCount())
                return false;
            value = &keyValues.at(i);
        } else if (i == 0) {
            value = &keyValues;
        } else {
            return false;
        }
        key.null = value->isEmptyOrNull();
        if (!key.null) {
            try {
                switch (key.field->FieldType) {
                case ftString:
                    key.text = value->toString();
                    if (caseInsensitive)
                        key.text = key.text.toUpper();
                    break;
                case ftInteger: key.integer = value->toInt64(); break;
                case ftFloat: key.number = value->toDouble(); break;
                case ftBoolean: key.boolean = value->toBool(); break;
                default: key.valid = false; break;
                }
            } catch (const Exception&) {
                key.valid = false;
            }
        }
        keys.append(key);
    }

    QString text;
    for (int r = 0; r < recordCount_; ++r) {
        const char* record = recordAt(r);
        bool match = true;
        for (const Key& key : keys) {
            const TDBFFieldDesc& f = *key.field;
            const QByteArrayView raw(record + f.Offset, f.Length);
            if (!key.valid) {
                match = false;
            } else if (f.FieldType == ftString) {
                dbfvalue::decodeString(raw, oem_, text);
                if (key.null) {
                    match = text.isEmpty();
                } else {
                    if (caseInsensitive)
                        text = text.toUpper();
                    match = partial ? text.startsWith(key.text) : text == key.text;
                }
            } else if (f.FieldType == ftInteger) {
                std::int64_t v = 0;
                const bool ok = dbfvalue::parseInteger(raw, v);
                match = key.null ? !ok : ok && v == key.integer;
            } else if (f.FieldType == ftFloat) {
                double v = 0;
                const bool ok = dbfvalue::parseFloat(raw, v);
                match = key.null ? !ok : ok && sameValue(v, key.number);
            } else if (f.FieldType == ftBoolean) {
                const int v = dbfvalue::parseBoolean(raw);
                match = key.null ? v < 0 : v >= 0 && (v == 1) == key.boolean;
            } else {
                match = false;
            }
            if (!match)
                break;
        }
        if (match) {
            cursor_ = r;
            bof_ = eof_ = false;
            return true;
        }
    }
    return false;
}

void TMemDBFTable::stampToday(TDBFHeader& header) const
{
    int year = 0;
    int month = 0;
    int day = 0;
    DecodeDate(Clock::current().now(), year, month, day);
    header.Year = year;
    header.Month = month;
    header.Day = day;
}

void TMemDBFTable::CreateTable(const QString& fileName, const QVector<TDBFFieldDesc>* fieldList)
{
    if (Active())
        throw EDatabaseError(QStringLiteral("Cannot perform this operation on an open dataset"));
    QVector<TDBFFieldDesc> descs;
    if (fieldList) {
        descs = *fieldList;
    } else {
        for (const TFieldDef& def : fieldDefs_) {
            TDBFFieldDesc d;
            d.Name = def.Name.toUpper().left(10);
            d.FieldType = def.DataType;
            switch (def.DataType) {
            case ftString: d.Length = def.Size; break;
            case ftSmallint:
            case ftInteger:
            case ftLargeint: d.FieldType = ftInteger; d.Length = 11; break;
            case ftBoolean: d.Length = 1; break;
            case ftFloat:
            case ftCurrency:
                d.Length = def.Size != 0 ? def.Size : 20;
                d.Decimals = def.Precision != 0 ? def.Precision : 4;
                break;
            case ftBCD:
            case ftFMTBcd: d.Length = 20; d.Decimals = 4; break;
            case ftDate: d.Length = 8; break;
            case ftDateTime: d.Length = 30; break;
            default:
                throw EDatabaseError(QStringLiteral("CreateTable -> Invalid field type: %1").arg(static_cast<int>(def.DataType)));
            }
            descs.append(d);
        }
    }
    int recordSize = 1;
    for (TDBFFieldDesc& d : descs) {
        d.Offset = recordSize;
        recordSize += d.Length;
    }
    // A table the reader would refuse is not written at all.
    if (descs.size() > TDBFAccess::kMaxFields || recordSize > TDBFAccess::kMaxRecordSize)
        throw EDatabaseError(QStringLiteral("Access out of range"));

    TDBFHeader header;
    header.Version = 3;
    header.RecordSize = static_cast<std::uint16_t>(recordSize);
    stampToday(header);
    QByteArray bytes = TDBFAccess::Write(header, descs, {}, 0, false);
    if (fileName.isEmpty()) {
        created_ = std::move(bytes);
        return;
    }
    writeWholeFile(fileName, bytes);
    fileName_ = fileName;
}

QByteArray TMemDBFTable::buildFile(bool pack)
{
    stampToday(header_);
    if (!TDBFAccess::IsDBase4Family(header_.Version) && header_.LanguageDriver == 0)
        header_.LanguageDriver = oem_ ? 101 : 3;
    const QByteArrayView records(data_.constData() + recordsOffset_, static_cast<qsizetype>(recordCount_) * recordSize_);
    return TDBFAccess::Write(header_, descs_, records, recordCount_, pack);
}

QByteArray TMemDBFTable::SaveToBytes()
{
    checkBrowseMode();
    return buildFile(packOnSave_);
}

void TMemDBFTable::SaveToFile(const QString& fileName)
{
    const QString target = fileName.isEmpty() ? fileName_ : fileName;
    if (target.isEmpty())
        throw EDatabaseError(QStringLiteral("Can not save to file. File name requested"));
    checkBrowseMode();
    const QByteArray bytes = buildFile(packOnSave_);
    const QString native = Paths::toNative(target);
    if (makeBackup_ && QFile::exists(native)) {
        const QString ext = Paths::extractFileExt(target);
        const QString backup = Paths::toNative(changeExtension(target, QStringLiteral(".~") + ext.mid(1)));
        if (QFile::exists(backup) && !QFile::remove(backup))
            throw EInOutError(QStringLiteral("Cannot delete file \"%1\"").arg(backup));
        if (!QFile::rename(native, backup))
            throw EInOutError(QStringLiteral("Cannot rename file \"%1\" to \"%2\"").arg(native, backup));
    }
    writeWholeFile(target, bytes);
}

} // namespace velta
