#pragma once
// TDBFAccess: the dBase file format - header, field descriptors and the record
// area - parsed from bytes and written back. TMemDBFTable keeps what it reads.
#include "plugin/foundation/dbf/DBFField.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>
#include <QVector>
#include <cstdint>

namespace velta {

struct TDBFHeader {
    std::uint8_t Version = 0;
    int Year = 0; // full year, decoded from the year byte
    int Month = 0;
    int Day = 0;
    std::uint32_t RecordCount = 0;
    std::uint16_t HeaderSize = 0;
    std::uint16_t RecordSize = 0;
    std::uint8_t TransactionFlag = 0;
    std::uint8_t EncryptionFlag = 0;
    std::uint8_t MdxFlag = 0;
    std::uint8_t LanguageDriver = 0;
};

// A field descriptor; Offset counts the deletion mark as offset 0.
struct TDBFFieldDesc {
    QString Name;
    TFieldType FieldType = ftUnknown;
    int Length = 0;
    int Decimals = 0;
    int Offset = 0;
    std::uint8_t Flag = 0;
    char Letter = 0; // the type letter read from the file, 0 for a new field
};

// A parsed file: header, descriptors and the bytes holding the records.
// The records start at RecordsOffset inside Data and are RecordSize apart.
struct TDBFImage {
    TDBFHeader Header;
    QVector<TDBFFieldDesc> Fields;
    QByteArray Data;
    qsizetype RecordsOffset = 0;
    int RecordCount = 0;
};

class TDBFAccess {
public:
    static constexpr int kMaxFields = 128;
    static constexpr int kMaxRecordSize = 4000;
    static constexpr std::uint32_t kMaxRecordCount = 1000000000;

    // Parses a whole file. Takes the bytes over (no copy); bytes 0 in the
    // record area become spaces. Raises EDatabaseError with the format's texts.
    static TDBFImage Read(QByteArray file);

    // The file bytes for a header, descriptors and records; the header's
    // record count is taken as given, the header size from the descriptors.
    static QByteArray Write(const TDBFHeader& header, const QVector<TDBFFieldDesc>& fields,
                            QByteArrayView records, int recordCount, bool skipDeleted);

    static bool IsDBase4Family(std::uint8_t version) { return version != 3 && version != 131; }
    static bool HasMemo(std::uint8_t version) { return (version & 0x80) != 0; }
    // 3 = dBase III+, 4 = dBase IV, 5 = dBase/Win.
    static int VersionKind(std::uint8_t version);
    static QString VersionText(int kind);
    // The code page of a language driver byte (0 when unknown).
    static int CodePageOfDriver(std::uint8_t driver);

    // The year byte of a header for a full year, and back.
    static std::uint8_t EncodeYear(int year);
    static int DecodeYear(std::uint8_t yearByte);

    // The field type a type letter reads as; ftUnknown for an unknown letter.
    static TFieldType TypeOfLetter(char letter, int decimals);
    // The letter a field type is written with in the given family; 0 when none.
    static char LetterOfType(TFieldType type, bool dbase4Family);
    // Validates a descriptor's length and decimals for its type.
    static void CheckDescriptor(const TDBFFieldDesc& field);
};

} // namespace velta
