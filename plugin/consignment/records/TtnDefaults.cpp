#include "plugin/consignment/records/TtnDefaults.h"

#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"

#include <array>
#include <utility>

namespace velta::consignment {
namespace {

using K = TtnEditorKind;
using L = TtnLineSection;

constexpr TtnDefaultEditor text(const char* name, L section = L::None)
{
    return {name, K::Text, section};
}

constexpr TtnDefaultEditor number(const char* name, L section = L::None)
{
    return {name, K::Number, section};
}

const std::array kNewEditors{
    text("edTTNSer"), text("edTTNNumber"), number("seNadb"), number("seSkladRashod"), text("edPrilNum"),
    text("edPrilText"), number("seMBrutto"), text("edMBrutto"), text("edAllMest"), text("edDoverNum"),
    TtnDefaultEditor{"dtpDoverDate", K::Date, L::None}, TtnDefaultEditor{"dtpDostDate", K::Date, L::None},
    text("edPList"), text("edCarMarka"), text("edCarNum"), text("edPrNum1"), text("edPrMarka1"), text("edGarNumber"),
    text("edDriverFIO"), text("edDriverUdost"), TtnDefaultEditor{"rgLicCard", K::Choice, L::None},
    text("edTranspKind"), text("edPKod"), text("edPunktPogruz"), text("edPunktRazgruz"), text("edMarshrut"),
    text("edReaddress"), text("edDriverPost"), text("edBossPost"), text("edBossFIO"), text("edBuhFIO"),
    text("edGOPost"), text("edGOFIO"), text("edSFNUMBER"), text("edSFPLATDOC"), text("edSFBOSSFIO"),
    text("edSFBUHFIO"), text("edSFINDPREDFIO"), text("edSFGOSREG"), text("edTNNUMBER"), text("edTNOSNNAME"),
    text("edTNOSNNUMBER"), text("edTNTRNUMBER"), text("edTNOPERATION"),
    text("edVarName1"), text("edVarName2"), text("edVarName3"), text("edVarName4"), text("edVarName5"),
    text("edVarName6"), text("edVarName7"), text("edVarName8"), text("edVarName9"), text("edVarName10"),
    text("edVarValue1"), text("edVarValue2"), text("edVarValue3"), text("edVarValue4"), text("edVarValue5"),
    text("edVarValue6"), text("edVarValue7"), text("edVarValue8"), text("edVarValue9"), text("edVarValue10"),
    text("edKVITNUMBER"),
    // Per-line editors, also applied to every line made.
    text("edPKod1", L::Goods), text("edPreiskurant1", L::Goods), text("edArticle1", L::Goods),
    text("edUnit1", L::Goods), text("edUpakVid1", L::Goods), number("seMest1", L::Goods),
    text("edKardNum1", L::Goods), text("edGDocuments1", L::Transport), text("edGVidUpak1", L::Transport),
    number("seGMest1", L::Transport), text("edGOpredMassa1", L::Transport), text("edGKod1", L::Transport),
    text("edGKont1", L::Transport), text("edGClass1", L::Transport), text("edSFUNIT1", L::Invoice),
    number("seSFEXCISE1", L::Invoice), number("seSFNDS1", L::Invoice), text("edSFCOUNTRY1", L::Invoice),
    text("edSFTAMDEKLAR1", L::Invoice),
};

const std::array kAlwaysEditors{
    text("edVarDsc1"), text("edVarDsc2"), text("edVarDsc3"), text("edVarDsc4"), text("edVarDsc5"),
    text("edVarDsc6"), text("edVarDsc7"), text("edVarDsc8"), text("edVarDsc9"), text("edVarDsc10"),
};

const QString kVatIncluded = QStringLiteral("cbVELTANDS");
const QString kVatRate = QStringLiteral("seVELTANDS");

Variant kindDefault(TtnEditorKind kind)
{
    switch (kind) {
    case K::Text:
        return Variant(QString());
    case K::Date:
        return Variant::fromDate(0);
    case K::Number:
        return Variant(0.0);
    case K::Choice:
        break;
    }
    return Variant(0);
}

// Reads one editor's key into values; only a text editor loses its value
// when the key is missing.
void loadEditor(TSafeIniFile& ini, const TtnDefaultEditor& editor, TtnEditorValues& values)
{
    const QString& section = TtnDefaults::Section;
    const QString name = editor.Name();
    const auto found = values.find(name);
    const Variant current =
        found == values.end() || found->second.isEmptyOrNull() ? kindDefault(editor.kind) : found->second;
    switch (editor.kind) {
    case K::Text:
        values[name] = Variant(ini.ReadString(section, name, QString()));
        break;
    case K::Date:
        values[name] = Variant::fromDate(ini.ReadDate(section, name, current.toDateTime()));
        break;
    case K::Number:
        values[name] = Variant(ini.ReadFloat(section, name, current.toDouble()));
        break;
    case K::Choice:
        values[name] = Variant(ini.ReadInteger(section, name, current.toInt()));
        break;
    }
}

void storeEditor(TSafeIniFile& ini, const TtnDefaultEditor& editor, const Variant& value)
{
    const QString& section = TtnDefaults::Section;
    const QString name = editor.Name();
    switch (editor.kind) {
    case K::Text:
        ini.WriteString(section, name, value.isEmptyOrNull() ? QString() : value.toString());
        break;
    case K::Date:
        ini.WriteDate(section, name, value.isEmptyOrNull() ? 0.0 : value.toDateTime());
        break;
    case K::Number:
        ini.WriteFloat(section, name, value.isEmptyOrNull() ? 0.0 : value.toDouble());
        break;
    case K::Choice:
        ini.WriteInteger(section, name, value.isEmptyOrNull() ? 0 : value.toInt());
        break;
    }
}

} // namespace

const QString TtnDefaults::Section = QStringLiteral("TTN");

TtnDefaults::TtnDefaults()
    : TtnDefaults(CnfIniFileName())
{
}

TtnDefaults::TtnDefaults(QString fileName)
    : fileName_(std::move(fileName))
{
}

std::span<const TtnDefaultEditor> TtnDefaults::NewEditors()
{
    return kNewEditors;
}

std::span<const TtnDefaultEditor> TtnDefaults::AlwaysEditors()
{
    return kAlwaysEditors;
}

void TtnDefaults::LoadForNewNote(TtnEditorValues& values, TtnContragents& refs) const
{
    TSafeIniFile ini(fileName_);
    for (const TtnDefaultEditor& editor : kNewEditors)
        loadEditor(ini, editor, values);
    for (const TtnDefaultEditor& editor : kAlwaysEditors)
        loadEditor(ini, editor, values);
    for (const TtnContragentSlot& slot : ttnContragentSlots())
        refs.*slot.member = ini.ReadInteger(Section, QString::fromLatin1(slot.iniKey), refs.*slot.member);
}

void TtnDefaults::LoadForExistingNote(TtnEditorValues& values) const
{
    TSafeIniFile ini(fileName_);
    for (const TtnDefaultEditor& editor : kAlwaysEditors)
        loadEditor(ini, editor, values);
}

void TtnDefaults::LoadLine(TtnLineSection section, TtnEditorValues& values) const
{
    if (section == L::None)
        return;
    TSafeIniFile ini(fileName_);
    for (const TtnDefaultEditor& editor : kNewEditors) {
        if (editor.section == section)
            loadEditor(ini, editor, values);
    }
}

void TtnDefaults::Store(const TtnEditorValues& values, const TtnContragents& refs) const
{
    TSafeIniFile ini(fileName_);
    ini.Atomically([&] {
        for (const TtnDefaultEditor& editor : kNewEditors) {
            const auto found = values.find(editor.Name());
            if (found != values.end())
                storeEditor(ini, editor, found->second);
        }
        for (const TtnContragentSlot& slot : ttnContragentSlots())
            ini.WriteInteger(Section, QString::fromLatin1(slot.iniKey), refs.*slot.member);
    });
}

TtnVatSetting TtnDefaults::LoadVat(const TtnVatSetting& current) const
{
    TSafeIniFile ini(fileName_);
    return {ini.ReadBool(Section, kVatIncluded, current.Included), ini.ReadFloat(Section, kVatRate, current.Rate)};
}

void TtnDefaults::StoreVat(const TtnVatSetting& vat) const
{
    TSafeIniFile ini(fileName_);
    ini.Atomically([&] {
        ini.WriteBool(Section, kVatIncluded, vat.Included);
        ini.WriteFloat(Section, kVatRate, vat.Rate);
    });
}

} // namespace velta::consignment
