#include "plugin/consignment/records/TTTNRecord.h"

#include <array>

namespace velta::consignment {
namespace {

using R = TTTNRecord;
constexpr TTNHeaderPlace S = TTNHeaderPlace::Suffixed;

const std::array kColumns{
    TTNLineColumn{"PKOD", &R::PKod, S, false},
    TTNLineColumn{"PREISKURANT", &R::Preiskurant, S, false},
    TTNLineColumn{"ARTICLE", &R::Article, S, false},
    TTNLineColumn{"COUNT", &R::Count, S, false},
    TTNLineColumn{"PRICE", &R::Price, S, false},
    TTNLineColumn{"NAME", &R::Name, S, false},
    TTNLineColumn{"UNIT", &R::Unit, S, false},
    TTNLineColumn{"UPAKVID", &R::UpakVid, S, false},
    TTNLineColumn{"MEST", &R::Mest, S, false},
    TTNLineColumn{"MASSA", &R::Massa, S, false},
    TTNLineColumn{"SUMMA", &R::Summa, S, false},
    TTNLineColumn{"KARDNUM", &R::KardNum, S, false},
    TTNLineColumn{"INDEXSALE", &R::IndexSale, TTNHeaderPlace::Plain, false},
    TTNLineColumn{"VOLUME", &R::Volume, S, false},
    TTNLineColumn{"UDVES", &R::UdVes, S, false},
    TTNLineColumn{"TEMPER", &R::Temper, S, false},
    TTNLineColumn{"PRESSURE", &R::Pressure, TTNHeaderPlace::Plain, true},
    TTNLineColumn{"GNAME", &R::GName, S, false},
    TTNLineColumn{"GDOCUMENTS", &R::GDocuments, S, false},
    TTNLineColumn{"GUPAKVID", &R::GUpakVid, S, false},
    TTNLineColumn{"GMEST", &R::GMest, S, false},
    TTNLineColumn{"GOPREDMASSA", &R::GOpredMassa, S, false},
    TTNLineColumn{"GKOD", &R::GKod, S, false},
    TTNLineColumn{"GKONT", &R::GKont, S, false},
    TTNLineColumn{"GCLASS", &R::GClass, S, false},
    TTNLineColumn{"GMBRUTTO", &R::GMBrutto, S, false},
    TTNLineColumn{"SFNAME", &R::SFName, S, false},
    TTNLineColumn{"SFUNIT", &R::SFUnit, S, false},
    TTNLineColumn{"SFCOUNT", &R::SFCount, S, false},
    TTNLineColumn{"SFPRICE", &R::SFPrice, S, false},
    TTNLineColumn{"SFSUMMA", &R::SFSumma, S, false},
    TTNLineColumn{"SFEXCISE", &R::SFExcise, S, false},
    TTNLineColumn{"SFNDS", &R::SFNDS, S, false},
    TTNLineColumn{"SFSUMMANDS", &R::SFSummaNDS, S, false},
    TTNLineColumn{"SFSUMMASNDS", &R::SFSummaSNDS, S, false},
    TTNLineColumn{"SFCOUNTRY", &R::SFCountry, S, false},
    TTNLineColumn{"SFTAMDEKLAR", &R::SFTamDeklar, S, false},
    TTNLineColumn{"PRINTTTN1", &R::PrintTTN1, TTNHeaderPlace::None, false},
    TTNLineColumn{"PRINTTTN2", &R::PrintTTN2, TTNHeaderPlace::None, false},
    TTNLineColumn{"PRINTSF", &R::PrintSF, TTNHeaderPlace::None, false},
    TTNLineColumn{"PRINTTN", &R::PrintTN, TTNHeaderPlace::None, false},
};

} // namespace

QString TTNLineColumn::headerColumn() const
{
    switch (header) {
    case TTNHeaderPlace::Suffixed:
        return QString::fromLatin1(column) + QLatin1Char('1');
    case TTNHeaderPlace::Plain:
        return QString::fromLatin1(column);
    case TTNHeaderPlace::None:
        break;
    }
    return QString();
}

std::span<const TTNLineColumn> ttnLineColumns()
{
    return kColumns;
}

} // namespace velta::consignment
