#include "plugin/foundation/dbf/DBFAccess.h"

#include "common/Codecs.h"
#include "common/Exception.h"

#include <algorithm>
#include <cstring>

namespace velta {

namespace {

constexpr int kHeaderBytes = 32;
constexpr int kDescriptorBytes = 32;
constexpr char kHeaderEnd = 13;
constexpr char kFileEnd = 26;

std::uint16_t readU16(const char* p)
{
    return static_cast<std::uint16_t>(static_cast<unsigned char>(p[0]) | (static_cast<unsigned char>(p[1]) << 8));
}

std::uint32_t readU32(const char* p)
{
    return static_cast<std::uint32_t>(readU16(p)) | (static_cast<std::uint32_t>(readU16(p + 2)) << 16);
}

void writeU16(char* p, std::uint16_t v)
{
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

void writeU32(char* p, std::uint32_t v)
{
    writeU16(p, static_cast<std::uint16_t>(v & 0xFFFF));
    writeU16(p + 2, static_cast<std::uint16_t>(v >> 16));
}

[[noreturn]] void incorrectFile()
{
    throw EDatabaseError(QStringLiteral("Incorrect DBF file"));
}

[[noreturn]] void outOfRange()
{
    throw EDatabaseError(QStringLiteral("Access out of range"));
}

TDBFFieldDesc readDescriptor(const char* p, bool dbase4)
{
    TDBFFieldDesc field;
    const char* end = static_cast<const char*>(std::memchr(p, 0, 10));
    const qsizetype nameLength = end ? end - p : 10;
    field.Name = codec::fromCp1251(QByteArrayView(p, nameLength));
    field.Letter = p[11];
    field.Length = static_cast<unsigned char>(p[16]);
    field.Decimals = static_cast<unsigned char>(p[17]);
    field.Flag = static_cast<std::uint8_t>(dbase4 ? p[31] : p[23]);
    field.FieldType = TDBFAccess::TypeOfLetter(field.Letter, field.Decimals);
    if (field.FieldType == ftUnknown)
        throw EDatabaseError(QStringLiteral("Wrong field definition - %1: %2")
                                 .arg(field.Name)
                                 .arg(static_cast<unsigned char>(field.Letter)));
    TDBFAccess::CheckDescriptor(field);
    return field;
}

} // namespace

TDBFImage TDBFAccess::Read(QByteArray file)
{
    TDBFImage image;
    if (file.size() < kHeaderBytes)
        incorrectFile();
    const char* p = file.constData();
    TDBFHeader& h = image.Header;
    h.Version = static_cast<std::uint8_t>(p[0]);
    if (h.Version < 3 || h.Version > 245)
        incorrectFile();
    h.Year = DecodeYear(static_cast<std::uint8_t>(p[1]));
    h.Month = static_cast<unsigned char>(p[2]);
    h.Day = static_cast<unsigned char>(p[3]);
    h.RecordCount = readU32(p + 4);
    h.HeaderSize = readU16(p + 8);
    h.RecordSize = readU16(p + 10);
    const bool dbase4 = IsDBase4Family(h.Version);
    if (dbase4) {
        h.TransactionFlag = static_cast<std::uint8_t>(p[14]);
        h.EncryptionFlag = static_cast<std::uint8_t>(p[15]);
        h.MdxFlag = static_cast<std::uint8_t>(p[28]);
    }
    h.LanguageDriver = static_cast<std::uint8_t>(p[29]);

    // The framework's integer division truncates towards zero.
    const int fieldCount = (static_cast<int>(h.HeaderSize) - 1) / kDescriptorBytes - 1;
    const qint64 needed = static_cast<qint64>(h.HeaderSize) + static_cast<qint64>(h.RecordCount) * h.RecordSize;
    if (file.size() < needed)
        incorrectFile();
    if (h.RecordCount > kMaxRecordCount || h.RecordSize > kMaxRecordSize || fieldCount > kMaxFields)
        outOfRange();
    if (fieldCount < 0)
        incorrectFile();

    // Descriptors end at the header's carriage return; a header padded past
    // them (as some writers leave it) holds no further fields.
    int offset = 1;
    for (int i = 0; i < fieldCount; ++i) {
        const char* d = p + kHeaderBytes + i * kDescriptorBytes;
        if (*d == kHeaderEnd)
            break;
        TDBFFieldDesc field = readDescriptor(d, dbase4);
        field.Offset = offset;
        offset += field.Length;
        image.Fields.append(std::move(field));
    }
    if (h.RecordSize == 0)
        throw EDatabaseError(QStringLiteral("Wrong record size"));
    if (offset > h.RecordSize)
        throw EDatabaseError(QStringLiteral("Incorrect DBF file: the fields are longer than the record size"));

    // Exactly the records the header counts: the size check above keeps them
    // inside the file, and bytes after them (the end mark, padding) are no records.
    image.RecordCount = static_cast<int>(h.RecordCount);
    image.RecordsOffset = h.HeaderSize;
    file.truncate(h.HeaderSize + static_cast<qsizetype>(image.RecordCount) * h.RecordSize);
    char* records = file.data() + h.HeaderSize;
    std::replace(records, records + static_cast<qsizetype>(image.RecordCount) * h.RecordSize, '\0', ' ');
    image.Data = std::move(file);
    return image;
}

QByteArray TDBFAccess::Write(const TDBFHeader& header, const QVector<TDBFFieldDesc>& fields,
                             QByteArrayView records, int recordCount, bool skipDeleted)
{
    const bool dbase4 = IsDBase4Family(header.Version);
    const qsizetype headerSize = kHeaderBytes + kDescriptorBytes * fields.size() + 1;
    const int recordSize = header.RecordSize;
    int written = 0;
    for (int i = 0; i < recordCount; ++i)
        if (!(skipDeleted && records[static_cast<qsizetype>(i) * recordSize] == '*'))
            ++written;

    QByteArray out(headerSize + static_cast<qsizetype>(written) * recordSize + 1, '\0');
    char* p = out.data();
    p[0] = static_cast<char>(header.Version);
    p[1] = static_cast<char>(EncodeYear(header.Year));
    p[2] = static_cast<char>(header.Month);
    p[3] = static_cast<char>(header.Day);
    writeU32(p + 4, static_cast<std::uint32_t>(written));
    writeU16(p + 8, static_cast<std::uint16_t>(headerSize));
    writeU16(p + 10, static_cast<std::uint16_t>(recordSize));
    if (dbase4) {
        p[14] = static_cast<char>(header.TransactionFlag);
        p[15] = static_cast<char>(header.EncryptionFlag);
        p[28] = static_cast<char>(header.MdxFlag);
    }
    p[29] = static_cast<char>(header.LanguageDriver);

    char* d = p + kHeaderBytes;
    for (const TDBFFieldDesc& field : fields) {
        const QByteArray name = codec::toCp1251(field.Name.toUpper()).left(10);
        std::memcpy(d, name.constData(), static_cast<size_t>(name.size()));
        char letter = LetterOfType(field.FieldType, dbase4);
        if (letter == 0)
            letter = field.Letter;
        if (letter == 0)
            throw EDatabaseError(QStringLiteral("Unexpected field type."));
        d[11] = letter;
        d[16] = static_cast<char>(field.Length);
        d[17] = static_cast<char>(field.Decimals);
        d[dbase4 ? 31 : 23] = static_cast<char>(field.Flag);
        d += kDescriptorBytes;
    }
    *d++ = kHeaderEnd;

    if (!skipDeleted || written == recordCount) {
        if (recordCount > 0)
            std::memcpy(d, records.data(), static_cast<size_t>(recordCount) * static_cast<size_t>(recordSize));
        d += static_cast<qsizetype>(recordCount) * recordSize;
    } else {
        for (int i = 0; i < recordCount; ++i) {
            const char* r = records.data() + static_cast<qsizetype>(i) * recordSize;
            if (*r == '*')
                continue;
            std::memcpy(d, r, static_cast<size_t>(recordSize));
            d += recordSize;
        }
    }
    *d = kFileEnd;
    return out;
}

int TDBFAccess::VersionKind(std::uint8_t version)
{
    if (!IsDBase4Family(version))
        return 3;
    if ((version & 7) == 3)
        return 4;
    return 5;
}

QString TDBFAccess::VersionText(int kind)
{
    switch (kind) {
    case 0: return QStringLiteral("Unknown");
    case 3: return QStringLiteral("dBase III+");
    case 4: return QStringLiteral("dBase IV");
    case 5: return QStringLiteral("dBase/Win");
    default: return QStringLiteral("dBase ?");
    }
}

int TDBFAccess::CodePageOfDriver(std::uint8_t driver)
{
    switch (driver) {
    case 1: return 437;
    case 2: return 850;
    case 3: return 1252;
    case 100: return 852;
    case 101: return 866;
    case 102: return 865;
    case 104: return 895;
    case 200: return 1250;
    case 201: return 1251;
    default: return 0;
    }
}

std::uint8_t TDBFAccess::EncodeYear(int year)
{
    return static_cast<std::uint8_t>(year <= 2000 ? year - 1900 : year - 2000);
}

int TDBFAccess::DecodeYear(std::uint8_t yearByte)
{
    return yearByte < 51 ? 2000 + yearByte : 1900 + yearByte;
}

TFieldType TDBFAccess::TypeOfLetter(char letter, int decimals)
{
    switch (letter) {
    case 'C': return ftString;
    case 'N': return decimals == 0 ? ftInteger : ftFloat;
    case 'F': return ftFloat;
    case 'L': return ftBoolean;
    case 'D': return ftDate;
    case 'M': return ftMemo;
    case 'B': return ftBlob;
    case 'O': return ftDBaseOle;
    default: return ftUnknown;
    }
}

char TDBFAccess::LetterOfType(TFieldType type, bool dbase4Family)
{
    switch (type) {
    case ftString: return 'C';
    case ftDateTime: return dbase4Family ? 0 : 'C';
    case ftTimeStamp: return dbase4Family ? 'C' : 0;
    case ftSmallint:
    case ftInteger: return 'N';
    case ftFloat:
    case ftCurrency:
    case ftBCD:
    case ftFMTBcd: return dbase4Family ? 'F' : 'N';
    case ftBoolean: return 'L';
    case ftDate: return 'D';
    case ftMemo: return 'M';
    case ftBlob: return dbase4Family ? 'B' : 0;
    case ftDBaseOle: return dbase4Family ? 'O' : 0;
    default: return 0;
    }
}

void TDBFAccess::CheckDescriptor(const TDBFFieldDesc& field)
{
    const int l = field.Length;
    const int d = field.Decimals;
    bool bad = l >= 256;
    switch (field.FieldType) {
    case ftString: bad = bad || d != 0; break;
    case ftInteger: bad = bad || l > 30 || d != 0; break;
    case ftBoolean: bad = bad || l != 1 || d != 0; break;
    case ftFloat: bad = bad || l > 30 || d > l - 2; break;
    case ftDate: bad = bad || l != 8 || d != 0; break;
    case ftMemo:
    case ftBlob:
    case ftDBaseOle: bad = bad || l != 10 || d != 0; break;
    default: break;
    }
    if (bad)
        outOfRange();
}

} // namespace velta
