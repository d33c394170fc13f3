// The note editor's defaults in cnf.ini: a missing section empties the text
// editors and keeps the others, stored values come back by kind, the line
// editors of one section, the variable descriptions read but never written,
// and the VAT setting.
#include "plugin/consignment/records/TtnDefaults.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::consignment;
using namespace velta::test;

namespace {

const QString kSection = QStringLiteral("TTN");

// A value of the editor's kind that differs from editor to editor.
Variant sampleValue(const TtnDefaultEditor& editor, int i)
{
    switch (editor.kind) {
    case TtnEditorKind::Text:
        return Variant(QStringLiteral("Значение %1 = \"%2\"").arg(i).arg(editor.Name()));
    case TtnEditorKind::Date:
        return Variant::fromDate(45000 + i);
    case TtnEditorKind::Number:
        return Variant(i + 0.5);
    case TtnEditorKind::Choice:
        break;
    }
    return Variant(1 + i % 2);
}

class TtnDefaultsTest : public ::testing::Test {
protected:
    TestEnv env;
    TtnDefaults defaults; // on cnf.ini
};

TEST_F(TtnDefaultsTest, WithoutTheSectionTextsEmptyAndOtherKindsKeepTheirValues)
{
    TtnEditorValues values{{QStringLiteral("edUpakVid1"), Variant(QStringLiteral("НАЛИВ"))},
                           {QStringLiteral("edSFPLATDOC"), Variant(QStringLiteral("№ ??? от ??.??.??"))},
                           {QStringLiteral("edVarDsc4"), Variant(QStringLiteral("Описание"))},
                           {QStringLiteral("seSFNDS1"), Variant(18.0)},
                           {QStringLiteral("dtpDostDate"), Variant::fromDate(45123)},
                           {QStringLiteral("rgLicCard"), Variant(2)}};
    TtnContragents refs{5, 6, 7, 8, 9, 10};
    defaults.LoadForNewNote(values, refs);

    for (const TtnDefaultEditor& editor : TtnDefaults::NewEditors()) {
        SCOPED_TRACE(editor.name);
        ASSERT_EQ(values.count(editor.Name()), 1u) << "every new editor gets a value";
        if (editor.kind == TtnEditorKind::Text) {
            EXPECT_EQ(values[editor.Name()].toString(), QString());
        }
    }
    EXPECT_EQ(values[QStringLiteral("edVarDsc4")].toString(), QString());
    EXPECT_DOUBLE_EQ(values[QStringLiteral("seSFNDS1")].toDouble(), 18.0);
    EXPECT_DOUBLE_EQ(values[QStringLiteral("dtpDostDate")].toDateTime(), 45123.0);
    EXPECT_EQ(values[QStringLiteral("rgLicCard")].toInt(), 2);
    EXPECT_DOUBLE_EQ(values[QStringLiteral("seMest1")].toDouble(), 0.0) << "a number nobody set starts at 0";
    EXPECT_EQ(refs, (TtnContragents{5, 6, 7, 8, 9, 10}));
}

TEST_F(TtnDefaultsTest, StoredValuesComeBackForTheNextNewNote)
{
    TtnEditorValues stored;
    int i = 0;
    for (const TtnDefaultEditor& editor : TtnDefaults::NewEditors())
        stored[editor.Name()] = sampleValue(editor, ++i);
    stored[QStringLiteral("edVarDsc1")] = Variant(QStringLiteral("typed in the window"));
    defaults.Store(stored, TtnContragents{11, 12, 0, 14, 15, 16});

    TtnEditorValues loaded;
    TtnContragents refs;
    defaults.LoadForNewNote(loaded, refs);
    i = 0;
    for (const TtnDefaultEditor& editor : TtnDefaults::NewEditors()) {
        SCOPED_TRACE(editor.name);
        const Variant expected = sampleValue(editor, ++i);
        const Variant& actual = loaded[editor.Name()];
        switch (editor.kind) {
        case TtnEditorKind::Text:
            EXPECT_EQ(actual.toString(), expected.toString());
            break;
        case TtnEditorKind::Date:
            EXPECT_DOUBLE_EQ(actual.toDateTime(), expected.toDateTime());
            break;
        case TtnEditorKind::Number:
            EXPECT_DOUBLE_EQ(actual.toDouble(), expected.toDouble());
            break;
        case TtnEditorKind::Choice:
            EXPECT_EQ(actual.toInt(), expected.toInt());
            break;
        }
    }
    EXPECT_EQ(refs, (TtnContragents{11, 12, 0, 14, 15, 16}));

    TSafeIniFile ini(CnfIniFileName());
    for (const TtnDefaultEditor& editor : TtnDefaults::AlwaysEditors())
        EXPECT_FALSE(ini.ValueExists(kSection, editor.Name())) << editor.name << " was written";
    EXPECT_EQ(ini.ReadInteger(kSection, QStringLiteral("GPID"), -1), 12);
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("dtpDoverDate"), QString()), QStringLiteral("26.03.2023"));
}

TEST_F(TtnDefaultsTest, ANoteBeingEditedTakesOnlyTheVariableDescriptions)
{
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(kSection, QStringLiteral("edVarDsc3"), QStringLiteral("Номер договора"));
        ini.WriteString(kSection, QStringLiteral("edTTNSer"), QStringLiteral("ББ"));
    }
    TtnEditorValues values{{QStringLiteral("edTTNSer"), Variant(QStringLiteral("АА"))},
                           {QStringLiteral("edVarDsc1"), Variant(QStringLiteral("old"))}};
    defaults.LoadForExistingNote(values);
    EXPECT_EQ(values[QStringLiteral("edVarDsc3")].toString(), QStringLiteral("Номер договора"));
    EXPECT_EQ(values[QStringLiteral("edVarDsc1")].toString(), QString());
    EXPECT_EQ(values[QStringLiteral("edTTNSer")].toString(), QStringLiteral("АА"));

    defaults.Store(values, {});
    EXPECT_EQ(TSafeIniFile(CnfIniFileName()).ReadString(kSection, QStringLiteral("edVarDsc3"), QString()),
              QStringLiteral("Номер договора"))
        << "storing leaves the hand-kept descriptions alone";
}

TEST_F(TtnDefaultsTest, ALineTakesTheDefaultsOfItsSectionOnly)
{
    defaults.Store({{QStringLiteral("edUpakVid1"), Variant(QStringLiteral("Бочки"))},
                    {QStringLiteral("seMest1"), Variant(4.0)},
                    {QStringLiteral("edGKod1"), Variant(QStringLiteral("GK"))},
                    {QStringLiteral("edTTNSer"), Variant(QStringLiteral("ББ"))}},
                   {});
    TtnEditorValues values{{QStringLiteral("edGKod1"), Variant(QStringLiteral("current"))},
                           {QStringLiteral("edTTNSer"), Variant(QStringLiteral("current"))},
                           {QStringLiteral("edKardNum1"), Variant(QStringLiteral("12"))}};
    defaults.LoadLine(TtnLineSection::Goods, values);
    EXPECT_EQ(values[QStringLiteral("edUpakVid1")].toString(), QStringLiteral("Бочки"));
    EXPECT_DOUBLE_EQ(values[QStringLiteral("seMest1")].toDouble(), 4.0);
    EXPECT_EQ(values[QStringLiteral("edKardNum1")].toString(), QString()) << "no default stored: emptied";
    EXPECT_EQ(values[QStringLiteral("edGKod1")].toString(), QStringLiteral("current"));
    EXPECT_EQ(values[QStringLiteral("edTTNSer")].toString(), QStringLiteral("current"));
    EXPECT_EQ(values.count(QStringLiteral("seSFNDS1")), 0u);

    defaults.LoadLine(TtnLineSection::Transport, values);
    EXPECT_EQ(values[QStringLiteral("edGKod1")].toString(), QStringLiteral("GK"));
    TtnEditorValues none;
    defaults.LoadLine(TtnLineSection::Waybill, none);
    EXPECT_TRUE(none.empty()) << "the goods waybill lines have no defaults";
}

TEST_F(TtnDefaultsTest, AKeyThatDoesNotConvertKeepsTheCurrentValue)
{
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(kSection, QStringLiteral("seNadb"), QStringLiteral("пять"));
        ini.WriteString(kSection, QStringLiteral("dtpDoverDate"), QStringLiteral("31.02.2024"));
        ini.WriteString(kSection, QStringLiteral("rgLicCard"), QStringLiteral("x"));
    }
    TtnEditorValues values{{QStringLiteral("seNadb"), Variant(2.5)},
                           {QStringLiteral("dtpDoverDate"), Variant::fromDate(100)},
                           {QStringLiteral("rgLicCard"), Variant(1)}};
    TtnContragents refs;
    defaults.LoadForNewNote(values, refs);
    EXPECT_DOUBLE_EQ(values[QStringLiteral("seNadb")].toDouble(), 2.5);
    EXPECT_DOUBLE_EQ(values[QStringLiteral("dtpDoverDate")].toDateTime(), 100.0);
    EXPECT_EQ(values[QStringLiteral("rgLicCard")].toInt(), 1);
}

TEST_F(TtnDefaultsTest, TheVatSettingKeepsItsValueUntilStored)
{
    EXPECT_EQ(defaults.LoadVat({}), (TtnVatSetting{true, 18}));
    EXPECT_EQ(defaults.LoadVat({false, 10}), (TtnVatSetting{false, 10}));
    defaults.StoreVat({false, 20.5});
    EXPECT_EQ(defaults.LoadVat({}), (TtnVatSetting{false, 20.5}));
    TSafeIniFile ini(CnfIniFileName());
    EXPECT_EQ(ini.ReadString(kSection, QStringLiteral("cbVELTANDS"), QString()), QStringLiteral("0"));
}

} // namespace
