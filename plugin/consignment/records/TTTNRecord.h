#pragma once
// TTTNRecord: one cargo line of a consignment note as the note editor holds
// it, and the table that ties each of its fields to the column it is stored
// in (TTNDETAIL, and the header's suffix-"1" columns for the first line).
#include <QString>

#include <span>
#include <variant>

namespace velta::consignment {

struct TTTNRecord {
    QString PKod;           // PKOD
    QString Preiskurant;    // PREISKURANT
    QString Article;        // ARTICLE
    double Count = 0;       // COUNT, tonnes
    double Price = 0;       // PRICE
    QString Name;           // NAME
    QString Unit;           // UNIT
    QString UpakVid;        // UPAKVID
    double Mest = 0;        // MEST
    double Massa = 0;       // MASSA, tonnes
    double Summa = 0;       // SUMMA
    QString KardNum;        // KARDNUM: an integer column, empty text is NULL
    int IndexSale = 0;      // INDEXSALE: the sale the line comes from, 0 when typed
    double Volume = 0;      // VOLUME, litres
    double UdVes = 0;       // UDVES
    double Temper = 0;      // TEMPER
    double Pressure = 0;    // PRESSURE, only where the table has it
    QString GName;          // GNAME
    QString GDocuments;     // GDOCUMENTS
    QString GUpakVid;       // GUPAKVID
    int GMest = 0;          // GMEST
    QString GOpredMassa;    // GOPREDMASSA
    QString GKod;           // GKOD
    QString GKont;          // GKONT
    QString GClass;         // GCLASS
    QString GMBrutto;       // GMBRUTTO, the gross mass as typed
    QString SFName;         // SFNAME
    QString SFUnit;         // SFUNIT
    double SFCount = 0;     // SFCOUNT
    double SFPrice = 0;     // SFPRICE
    double SFSumma = 0;     // SFSUMMA
    double SFExcise = 0;    // SFEXCISE
    double SFNDS = 0;       // SFNDS, per cent
    double SFSummaNDS = 0;  // SFSUMMANDS
    double SFSummaSNDS = 0; // SFSUMMASNDS
    QString SFCountry;      // SFCOUNTRY
    QString SFTamDeklar;    // SFTAMDEKLAR
    bool PrintTTN1 = true;  // PRINTTTN1: goods section
    bool PrintTTN2 = true;  // PRINTTTN2: transport section
    bool PrintSF = true;    // PRINTSF: invoice
    bool PrintTN = true;    // PRINTTN: goods waybill

    friend bool operator==(const TTTNRecord&, const TTTNRecord&) = default;
};

// Where a field of the line lives in the note's header row.
enum class TTNHeaderPlace {
    Suffixed, // the column name with "1" appended (PKOD1)
    Plain,    // the same column name (INDEXSALE, PRESSURE)
    None      // not stored in the header (the print flags)
};

struct TTNLineColumn {
    using Member = std::variant<QString TTTNRecord::*, double TTTNRecord::*, int TTTNRecord::*, bool TTTNRecord::*>;

    const char* column; // TTNDETAIL column
    Member member;
    TTNHeaderPlace header;
    bool optional; // read and written only when the table has the column

    // The header column of this field, empty when the header does not keep it.
    QString headerColumn() const;
};

// Every field of TTTNRecord in order, with its column.
std::span<const TTNLineColumn> ttnLineColumns();

} // namespace velta::consignment
