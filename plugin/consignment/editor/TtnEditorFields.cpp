#include "plugin/consignment/editor/TtnEditorFields.h"

#include <array>
#include <type_traits>

namespace velta::consignment {
namespace {

using K = TtnFieldKind;
using W = TtnLoadWhen;
using L = TtnLineSection;
using R = TTTNRecord;

const std::array kHeaderFields{
    // Goods section
    TtnHeaderField{"edTTNSer", "TTNSER", K::Text, W::Always},
    TtnHeaderField{"edTTNNumber", "TTNNUMBER", K::Text, W::Always},
    TtnHeaderField{"dtpTTNDate", "TTNDATE", K::Date, W::EditOnly},
    TtnHeaderField{"edDoverNum", "DOVERNUM", K::Text, W::Always},
    TtnHeaderField{"dtpDoverDate", "DOVERDATE", K::Date, W::Always},
    TtnHeaderField{"seNadb", "NADB", K::Number, W::Always},
    TtnHeaderField{"seSkladRashod", "SKLADRASHOD", K::Number, W::Always},
    TtnHeaderField{"seAllSumma", "ALLSUMMANUM", K::Number, W::WithoutSelection},
    TtnHeaderField{"edAllSumma", "ALLSUMMATEXT", K::Text, W::WithoutSelection},
    TtnHeaderField{"edPrilNum", "PRILPAGESNUM", K::Text, W::Never},
    TtnHeaderField{"edPrilText", "PRILPAGESTEXT", K::Text, W::Always},
    TtnHeaderField{"seMNetto", "MNETTONUM", K::Number, W::WithoutSelection},
    TtnHeaderField{"edMNetto", "MNETTOTEXT", K::Text, W::WithoutSelection},
    TtnHeaderField{"seMBrutto", "MBRUTTONUM", K::Number, W::WithoutSelection},
    TtnHeaderField{"edMBrutto", "MBRUTTOTEXT", K::Text, W::WithoutSelection},
    TtnHeaderField{"edAllMest", "ALLMEST", K::Text, W::Always},
    // Transport section
    TtnHeaderField{"dtpDostDate", "DOSTDATE", K::Date, W::Always},
    TtnHeaderField{"edPList", "PLIST", K::Text, W::Always},
    TtnHeaderField{"edCarMarka", "CARMARKA", K::Text, W::WithoutSelection},
    TtnHeaderField{"edCarNum", "CARNUM", K::Text, W::WithoutSelection},
    TtnHeaderField{"edPrMarka1", "PRMARKA1", K::Text, W::WithoutSelection},
    TtnHeaderField{"edPrNum1", "PRNUM1", K::Text, W::WithoutSelection},
    TtnHeaderField{"edGarNumber", "PRGARNUM1", K::Text, W::WithoutSelection},
    TtnHeaderField{"edDriverFIO", "DRIVERFIO", K::Text, W::WithoutSelection},
    TtnHeaderField{"edDriverUdost", "DRIVERUDOST", K::Text, W::WithoutSelection},
    TtnHeaderField{"edDriverPost", "DRIVERPOST", K::Text, W::Always},
    TtnHeaderField{"rgLicCard", "LICCARD", K::Choice, W::Never},
    TtnHeaderField{"edTranspKind", "TRANSPKIND", K::Text, W::Always},
    TtnHeaderField{"edPKod", "PKOD", K::Text, W::Always},
    TtnHeaderField{"edPunktPogruz", "PUNKTPOGRUZ", K::Text, W::Always},
    TtnHeaderField{"edPunktRazgruz", "PUNKTRAZGRUZ", K::Text, W::Always},
    TtnHeaderField{"edMarshrut", "PMARSHRUT", K::Text, W::Always},
    TtnHeaderField{"edReaddress", "READDRESS", K::Text, W::Always},
    // Signatories
    TtnHeaderField{"edBossPost", "BOSSPOST", K::Text, W::Always},
    TtnHeaderField{"edBossFIO", "BOSSFIO", K::Text, W::Always},
    TtnHeaderField{"edBuhFIO", "BUHFIO", K::Text, W::Always},
    TtnHeaderField{"edGOPost", "GOPOST", K::Text, W::Always},
    TtnHeaderField{"edGOFIO", "GOFIO", K::Text, W::Always},
    // Invoice
    TtnHeaderField{"edSFNUMBER", "SFNUMBER", K::Text, W::Always},
    TtnHeaderField{"dtpSFDATE", "SFDATE", K::Date, W::Always},
    TtnHeaderField{"edSFPLATDOC", "SFPLATDOC", K::Text, W::Always},
    TtnHeaderField{"cbSFGOTYPE", "SFGOTYPE", K::Choice, W::Always},
    TtnHeaderField{"edSFBOSSFIO", "SFBOSSFIO", K::Text, W::Always},
    TtnHeaderField{"edSFBUHFIO", "SFBUHFIO", K::Text, W::Always},
    TtnHeaderField{"edSFINDPREDFIO", "SFINDPREDFIO", K::Text, W::Always},
    TtnHeaderField{"edSFGOSREG", "SFGOSREG", K::Text, W::Always},
    // Goods waybill
    TtnHeaderField{"edTNNUMBER", "TNNUMBER", K::Text, W::Always},
    TtnHeaderField{"dtpTNDATE", "TNDATE", K::Date, W::Always},
    TtnHeaderField{"edTNOSNNAME", "TNOSNNAME", K::Text, W::Always},
    TtnHeaderField{"edTNOSNNUMBER", "TNOSNNUMBER", K::Text, W::Always},
    TtnHeaderField{"dtpTNOSNDATE", "TNOSNDATE", K::Date, W::Always},
    TtnHeaderField{"edTNTRNUMBER", "TNTRNUMBER", K::Text, W::Always},
    TtnHeaderField{"dtpTNTRDATE", "TNTRDATE", K::Date, W::Always},
    TtnHeaderField{"edTNOPERATION", "TNOPERATION", K::Text, W::Always},
    // Bottom
    TtnHeaderField{"cbTTNApplied", "TTNAPPLIED", K::Check, W::Always},
};

const std::array kLineFields{
    TtnLineField{"edPKod1", L::Goods, &R::PKod},
    TtnLineField{"edPreiskurant1", L::Goods, &R::Preiskurant},
    TtnLineField{"edArticle1", L::Goods, &R::Article},
    TtnLineField{"seCount1", L::Goods, &R::Count},
    TtnLineField{"sePrice1", L::Goods, &R::Price},
    TtnLineField{"edName1", L::Goods, &R::Name},
    TtnLineField{"edUnit1", L::Goods, &R::Unit},
    TtnLineField{"edUpakVid1", L::Goods, &R::UpakVid},
    TtnLineField{"seMest1", L::Goods, &R::Mest},
    TtnLineField{"seMassa1", L::Goods, &R::Massa},
    TtnLineField{"seSumma1", L::Goods, &R::Summa},
    TtnLineField{"edKardNum1", L::Goods, &R::KardNum},
    TtnLineField{"cbPrintToTTN1", L::Goods, &R::PrintTTN1},
    TtnLineField{"edGName1", L::Transport, &R::GName},
    TtnLineField{"edGDocuments1", L::Transport, &R::GDocuments},
    TtnLineField{"edGVidUpak1", L::Transport, &R::GUpakVid},
    TtnLineField{"seGMest1", L::Transport, &R::GMest},
    TtnLineField{"edGOpredMassa1", L::Transport, &R::GOpredMassa},
    TtnLineField{"edGKod1", L::Transport, &R::GKod},
    TtnLineField{"edGKont1", L::Transport, &R::GKont},
    TtnLineField{"edGClass1", L::Transport, &R::GClass},
    TtnLineField{"seGMBrutto1", L::Transport, &R::GMBrutto},
    TtnLineField{"cbPrintToTTN2", L::Transport, &R::PrintTTN2},
    TtnLineField{"edSFNAME1", L::Invoice, &R::SFName},
    TtnLineField{"edSFUNIT1", L::Invoice, &R::SFUnit},
    TtnLineField{"seSFCOUNT1", L::Invoice, &R::SFCount},
    TtnLineField{"seSFPRICE1", L::Invoice, &R::SFPrice},
    TtnLineField{"seSFSUMMA1", L::Invoice, &R::SFSumma},
    TtnLineField{"seSFEXCISE1", L::Invoice, &R::SFExcise},
    TtnLineField{"seSFNDS1", L::Invoice, &R::SFNDS},
    TtnLineField{"seSFSUMMANDS1", L::Invoice, &R::SFSummaNDS},
    TtnLineField{"seSFSUMMASNDS1", L::Invoice, &R::SFSummaSNDS},
    TtnLineField{"edSFCOUNTRY1", L::Invoice, &R::SFCountry},
    TtnLineField{"edSFTAMDEKLAR1", L::Invoice, &R::SFTamDeklar},
    TtnLineField{"cbPrintToSF", L::Invoice, &R::PrintSF},
    TtnLineField{"seVOLUME1", L::Waybill, &R::Volume},
    TtnLineField{"seUDVES1", L::Waybill, &R::UdVes},
    TtnLineField{"seTEMPER1", L::Waybill, &R::Temper},
    TtnLineField{"sePRESSURE", L::Waybill, &R::Pressure},
    TtnLineField{"cbPrintToTN", L::Waybill, &R::PrintTN},
};

} // namespace

std::span<const TtnHeaderField> ttnHeaderFields()
{
    return kHeaderFields;
}

std::span<const TtnLineField> ttnLineFields()
{
    return kLineFields;
}

std::vector<TtnLineField> ttnLineFields(TtnLineSection section)
{
    std::vector<TtnLineField> fields;
    for (const TtnLineField& f : kLineFields) {
        if (f.section == section)
            fields.push_back(f);
    }
    return fields;
}

void TtnLineToEditors(const TTTNRecord& line, TtnLineSection section, TtnEditorValues& values)
{
    for (const TtnLineField& f : kLineFields) {
        if (f.section != section)
            continue;
        std::visit([&](auto member) { values[QString::fromLatin1(f.editor)] = Variant(line.*member); }, f.member);
    }
}

void TtnLineFromEditors(const TtnEditorValues& values, TtnLineSection section, TTTNRecord& line)
{
    for (const TtnLineField& f : kLineFields) {
        if (f.section != section)
            continue;
        const auto found = values.find(QString::fromLatin1(f.editor));
        if (found == values.end())
            continue;
        const Variant& v = found->second;
        std::visit(
            [&](auto member) {
                using T = std::remove_cvref_t<decltype(line.*member)>;
                if constexpr (std::is_same_v<T, QString>)
                    line.*member = v.isEmptyOrNull() ? QString() : v.toString();
                else if constexpr (std::is_same_v<T, double>)
                    line.*member = v.isEmptyOrNull() ? 0.0 : v.toDouble();
                else if constexpr (std::is_same_v<T, int>)
                    line.*member = v.isEmptyOrNull() ? 0 : v.toInt();
                else
                    line.*member = !v.isEmptyOrNull() && v.toBool();
            },
            f.member);
    }
}

} // namespace velta::consignment
