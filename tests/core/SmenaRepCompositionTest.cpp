// The shift report composition in cnf.ini: the defaults written at log-on, new
// sections slotted into an existing order, and the composition array.
#include "plugin/core/SmenaRepComposition.h"
#include "plugin/foundation/ini/IniFileStore.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/TestEnv.h"

#include <QFile>
#include <QThread>
#include <algorithm>
#include <cstdio>
#include <gtest/gtest.h>
#include <map>
#include <string>
#include <sys/stat.h>
#include <tuple>
#include <vector>

namespace velta::core {
namespace {

using Keys = std::map<QString, QString>;              // [SmenaRep] key -> value
using Positions = std::map<std::string, int>;         // "4_1" -> position of section 4, variant 1
using Entry = std::tuple<int, int, std::string>;      // position, kind, template path

const QString kReport = QStringLiteral("C:\\DEXE\\FORMS\\REPORT\\");
const QString kWeb = QStringLiteral("C:\\DEXE\\FORMS\\WEBREP\\");

// Where the first log-on puts each section.
const Positions kFirstLogOn = {{"0_0", 1},   {"2_0", 3},   {"3_0", 4},   {"4_0", 5},   {"17_0", 6},
                               {"5_0", 7},   {"10_0", 12}, {"11_0", 13}, {"12_0", 14}, {"13_0", 15},
                               {"14_0", 16}, {"15_0", 17}, {"16_0", 18}, {"1_0", 19}};

QString cnfNativePath()
{
    return IniFileStore::nativePathOf(CnfIniFileName());
}

Keys readSection()
{
    TSafeIniFile ini(CnfIniFileName());
    QStringList names;
    ini.ReadSection(SmenaRepSection(), names);
    Keys keys;
    for (const QString& name : names)
        keys[name] = ini.ReadString(SmenaRepSection(), name, QString());
    return keys;
}

void writeSection(const Keys& keys)
{
    TSafeIniFile ini(CnfIniFileName());
    ini.Atomically([&] {
        for (const auto& [key, value] : keys)
            ini.WriteString(SmenaRepSection(), key, value);
    });
}

// The "Rep<i>_<j>" keys of the section.
Positions positionsOf(const Keys& keys)
{
    Positions positions;
    for (const auto& [key, value] : keys) {
        if (key.startsWith(QStringLiteral("Rep")) && key.size() > 3 && key[3].isDigit())
            positions[key.mid(3).toStdString()] = value.toInt();
    }
    return positions;
}

// Every Rep, RepPath and WebRepPath key of a section's variant 0, with the positions given.
Keys withPaths(const Positions& positions)
{
    Keys keys;
    for (const auto& [variant, position] : positions) {
        const QString suffix = QString::fromStdString(variant);
        keys[QStringLiteral("Rep") + suffix] = QString::number(position);
        keys[QStringLiteral("RepPath") + suffix] = QStringLiteral("t") + suffix + QStringLiteral(".frm");
        keys[QStringLiteral("WebRepPath") + suffix] = QStringLiteral("w") + suffix + QStringLiteral(".html");
    }
    return keys;
}

struct FileIdentity {
    QByteArray bytes;
    ino_t inode = 0;
    bool operator==(const FileIdentity&) const = default;
};

FileIdentity identityOf(const QString& path)
{
    struct stat st {};
    EXPECT_EQ(::stat(QFile::encodeName(path).constData(), &st), 0);
    return {test::readFileBytes(path), st.st_ino};
}

// The entries of a composition array, checking its layout and element types.
std::vector<Entry> entriesOf(const Variant& composition)
{
    std::vector<Entry> entries;
    EXPECT_EQ(composition.type(), VarType::Array);
    const int count = composition.arrayCount();
    EXPECT_EQ(count % 3, 1) << count << " elements";
    if (count % 3 != 1)
        return entries;
    EXPECT_EQ(composition.at(count - 1).type(), VarType::Empty) << "the last element";
    for (int e = 0; e + 1 < count; e += 3) {
        EXPECT_EQ(composition.at(e).type(), VarType::Int32) << "element " << e;
        EXPECT_EQ(composition.at(e + 1).type(), VarType::Int32) << "element " << e + 1;
        EXPECT_EQ(composition.at(e + 2).type(), VarType::String) << "element " << e + 2;
        entries.emplace_back(composition.at(e).toInt(), composition.at(e + 1).toInt(),
                             composition.at(e + 2).toString().toStdString());
    }
    return entries;
}

// Entries in position order as the array must give them; entries of one position
// may come in any order, so those are compared as sorted.
void expectEntries(const Variant& composition, std::vector<Entry> expected)
{
    std::vector<Entry> actual = entriesOf(composition);
    EXPECT_TRUE(std::is_sorted(actual.begin(), actual.end(),
                               [](const Entry& a, const Entry& b) { return std::get<0>(a) < std::get<0>(b); }))
        << "positions out of order";
    std::sort(actual.begin(), actual.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(actual, expected);
}

std::string utf8(const QString& text)
{
    return text.toStdString();
}

// A station program that keeps logging on to a fresh file until killed.
const test::ChildRoleRegistration firstLogOnRole("smenarep-first-logons", [](const QStringList&) {
    const QString file = IniFileStore::nativePathOf(CnfIniFileName());
    for (int round = 0;; ++round) {
        QFile::remove(file);
        EnsureSmenaRepDefaults();
        if (round == 0) {
            std::printf("started\n");
            std::fflush(stdout);
        }
    }
    return 0;
});

class SmenaRepTest : public ::testing::Test {
protected:
    test::TestEnv env;
};

TEST_F(SmenaRepTest, FirstLogOnPlacesReloadsAfterTheFinancialReportAndTheEndAfterBonuses)
{
    EnsureSmenaRepDefaults();
    const Keys keys = readSection();
    EXPECT_EQ(positionsOf(keys), kFirstLogOn);
    // Three keys for each of the fourteen sections written by default, none for sections 6 to 9.
    EXPECT_EQ(keys.size(), 42u);
    for (const char* absent : {"RepPath6_0", "WebRepPath6_0", "RepPath7_0", "Rep8_0", "RepPath9_0"})
        EXPECT_EQ(keys.count(QString::fromLatin1(absent)), 0u) << absent;
    const Keys someTemplates = {
        {QStringLiteral("RepPath0_0"), QStringLiteral("SmenaBeg.FRM")},
        {QStringLiteral("WebRepPath0_0"), QStringLiteral("Шапка сменного отчета.html")},
        {QStringLiteral("RepPath1_0"), QStringLiteral("SmenaEnd.FRM")},
        {QStringLiteral("RepPath11_0"), QString()},
        {QStringLiteral("WebRepPath11_0"), QString()},
        {QStringLiteral("RepPath12_0"), QStringLiteral("SmenaSink.frm")},
        {QStringLiteral("WebRepPath15_0"), QStringLiteral("Отчет по ведомостям за период.html")},
        {QStringLiteral("RepPath17_0"), QString()},
        {QStringLiteral("WebRepPath17_0"), QStringLiteral("Информация по перезагрузкам.html")},
    };
    for (const auto& [key, value] : someTemplates) {
        ASSERT_EQ(keys.count(key), 1u) << utf8(key);
        EXPECT_EQ(utf8(keys.at(key)), utf8(value)) << utf8(key);
    }
}

TEST_F(SmenaRepTest, LaterLogOnsLeaveTheFileUntouchedWhateverTheUserChanged)
{
    EnsureSmenaRepDefaults();
    writeSection({{QStringLiteral("Rep1_0"), QStringLiteral("-2")},
                  {QStringLiteral("Rep4_1"), QStringLiteral("20")},
                  {QStringLiteral("RepPath0_0"), QStringLiteral("S:\\Мои\\Шапка.frm")},
                  {QStringLiteral("WebRepPath11_0"), QStringLiteral("x.html")}});
    const FileIdentity before = identityOf(cnfNativePath());
    EnsureSmenaRepDefaults();
    EnsureSmenaRepDefaults();
    EXPECT_TRUE(identityOf(cnfNativePath()) == before) << "the file was written again";
    EXPECT_EQ(positionsOf(readSection()).at("1_0"), -2);
}

TEST_F(SmenaRepTest, ReloadsAddedToAnOlderOrderMoveEveryLaterVariantOfTheAnchorToo)
{
    // A station set up before the reloads section: the financial report (the
    // anchor) has a second variant after it, another section a switched-off
    // variant and one variant has no place.
    Keys keys = withPaths({{"0_0", 1},  {"2_0", 2},   {"3_0", 3},   {"4_0", 4},   {"5_0", 5},
                           {"10_0", 8}, {"11_0", 0},  {"12_0", 9},  {"13_0", 10}, {"14_0", 11},
                           {"15_0", 12}, {"16_0", 13}, {"1_0", 14}});
    keys[QStringLiteral("Rep4_1")] = QStringLiteral("6");
    keys[QStringLiteral("Rep5_1")] = QStringLiteral("-7");
    writeSection(keys);

    EnsureSmenaRepDefaults();
    const Keys after = readSection();
    const Positions expected = {{"0_0", 1},  {"2_0", 2},   {"3_0", 3},   {"4_0", 4},   {"17_0", 5},
                                {"5_0", 6},  {"4_1", 7},   {"5_1", -8},  {"10_0", 9},  {"11_0", 0},
                                {"12_0", 10}, {"13_0", 11}, {"14_0", 12}, {"15_0", 13}, {"16_0", 14},
                                {"1_0", 15}};
    EXPECT_EQ(positionsOf(after), expected);
    // Only the reloads section's keys were added; no other template changed.
    Keys rest = after;
    EXPECT_EQ(rest.erase(QStringLiteral("RepPath17_0")), 1u);
    EXPECT_EQ(rest.erase(QStringLiteral("WebRepPath17_0")), 1u);
    for (auto& [key, value] : keys) {
        if (!key.startsWith(QStringLiteral("Rep")) || !key[3].isDigit()) {
            EXPECT_EQ(utf8(rest[key]), utf8(value)) << utf8(key);
        }
    }
}

TEST_F(SmenaRepTest, EndAddedLaterGoesAfterTheBonusSectionWhereverThatStands)
{
    Keys keys = withPaths({{"0_0", 1},  {"2_0", 2},  {"3_0", 3},   {"4_0", 4},   {"17_0", 5},
                           {"5_0", 6},  {"16_0", 7}, {"10_0", 8},  {"11_0", 9},  {"12_0", 10},
                           {"13_0", 11}, {"14_0", 12}, {"15_0", -13}});
    keys[QStringLiteral("Rep16_1")] = QStringLiteral("14");
    writeSection(keys);
    EnsureSmenaRepDefaults();
    const Positions expected = {{"0_0", 1},  {"2_0", 2},   {"3_0", 3},   {"4_0", 4},    {"17_0", 5},
                                {"5_0", 6},  {"16_0", 7},  {"1_0", 8},   {"10_0", 9},   {"11_0", 10},
                                {"12_0", 11}, {"13_0", 12}, {"14_0", 13}, {"15_0", -14}, {"16_1", 15}};
    EXPECT_EQ(positionsOf(readSection()), expected);
}

TEST_F(SmenaRepTest, InsertionNeedsAnAnchorWithAPlaceAndFollowsVariantsOnlyWithoutGaps)
{
    const Keys keys = {{QStringLiteral("Rep2_0"), QStringLiteral("-3")}, {QStringLiteral("Rep2_1"), QStringLiteral("4")},
                       {QStringLiteral("Rep3_0"), QStringLiteral("5")}, {QStringLiteral("Rep3_2"), QStringLiteral("6")},
                       {QStringLiteral("Rep4_0"), QStringLiteral("0")}, {QStringLiteral("Rep5_0"), QStringLiteral("abc")}};
    writeSection(keys);
    const FileIdentity untouched = identityOf(cnfNativePath());
    {
        TSafeIniFile ini(CnfIniFileName());
        InsertSectionAfter(ini, 4, 17); // no place
        InsertSectionAfter(ini, 9, 17); // no key
    }
    EXPECT_TRUE(identityOf(cnfNativePath()) == untouched);

    // A switched-off anchor still gives its place; Rep3_2 follows a missing
    // Rep3_1 and is not a variant; a value that is no number stays.
    TSafeIniFile ini(CnfIniFileName());
    InsertSectionAfter(ini, 2, 17);
    const Positions expected = {{"2_0", -3}, {"2_1", 5}, {"3_0", 6}, {"3_2", 6}, {"4_0", 0}, {"5_0", 0}, {"17_0", 4}};
    EXPECT_EQ(positionsOf(readSection()), expected);
    EXPECT_EQ(utf8(readSection().at(QStringLiteral("Rep5_0"))), "abc");
}

TEST_F(SmenaRepTest, AFirstLogOnKilledMidwayLeavesNoSectionAtItsProvisionalPlace)
{
    // Each attempt kills a program that keeps making first log-ons on a fresh
    // file; whatever it left, the next log-on must end with the first log-on's order.
    for (int attempt = 0; attempt < 5; ++attempt) {
        auto child = test::startChild(QStringLiteral("smenarep-first-logons"));
        ASSERT_TRUE(child->waitForReadyRead(30000));
        QThread::msleep(15 + attempt * 23);
        child->kill();
        child->waitForFinished(30000);
        EnsureSmenaRepDefaults();
        EXPECT_EQ(positionsOf(readSection()), kFirstLogOn) << "attempt " << attempt;
    }
}

TEST_F(SmenaRepTest, CompositionOfTheFirstLogOnHoldsBothFormsOfEverySectionInOrder)
{
    EnsureSmenaRepDefaults();
    writeSection({{QStringLiteral("RoundRVal"), QStringLiteral("2")},
                  {QStringLiteral("SiloReportSortField"), QStringLiteral("1")}});
    const ShiftReportComposition loaded = LoadComposition();
    EXPECT_EQ(loaded.Composition.arrayCount(), 14 * 2 * 3 + 1);
    std::vector<Entry> expected;
    for (const auto& [variant, position] : kFirstLogOn) {
        const int section = std::stoi(variant);
        const QString path = SmenaRepDefaultPath(section);
        const QString web = SmenaRepDefaultWebPath(section);
        expected.emplace_back(position, section, path.isEmpty() ? std::string() : utf8(kReport + path));
        expected.emplace_back(position, section + 100, web.isEmpty() ? std::string() : utf8(kWeb + web));
    }
    expectEntries(loaded.Composition, expected);
    EXPECT_EQ(loaded.RoundRVal, 2);
    EXPECT_EQ(loaded.SiloReportSortField, 1);
}

TEST_F(SmenaRepTest, CompositionTakesPrintedVariantsOnlyAndCompletesTheirPaths)
{
    writeSection({
        // Section 8 is loaded though never written by default; its HTML template is on drive S:.
        {QStringLiteral("Rep8_0"), QStringLiteral("3")},
        {QStringLiteral("RepPath8_0"), QStringLiteral("склад.frm")},
        {QStringLiteral("WebRepPath8_0"), QStringLiteral("s:\\Forms\\S:\\склад.html")},
        // Switched off, without a place, not a number: not loaded; Rep0_2 follows a gap.
        {QStringLiteral("Rep0_0"), QStringLiteral("-1")},
        {QStringLiteral("Rep0_1"), QStringLiteral("0")},
        {QStringLiteral("Rep0_3"), QStringLiteral("2")},
        {QStringLiteral("Rep3_0"), QStringLiteral("x")},
        // A second variant before the first, with paths of other folders and none.
        {QStringLiteral("Rep4_0"), QStringLiteral("7")},
        {QStringLiteral("RepPath4_0"), QStringLiteral("D:\\Шаблоны\\fin.frm")},
        {QStringLiteral("Rep4_1"), QStringLiteral("1")},
        {QStringLiteral("RepPath4_1"), QStringLiteral("sub\\fin2.frm")},
        {QStringLiteral("WebRepPath4_1"), QStringLiteral("S:fin2.html")},
        {QStringLiteral("Rep17_0"), QStringLiteral("5")},
    });
    const ShiftReportComposition loaded = LoadComposition();
    expectEntries(loaded.Composition,
                  {{1, 4, "sub\\fin2.frm"},
                   {1, 104, "S:fin2.html"},
                   {3, 8, utf8(kReport + QStringLiteral("склад.frm"))},
                   {3, 108, utf8(QStringLiteral("C:\\Forms\\S:\\склад.html"))},
                   {5, 17, ""},
                   {5, 117, ""},
                   {7, 4, utf8(QStringLiteral("D:\\Шаблоны\\fin.frm"))},
                   {7, 104, ""}});
    EXPECT_EQ(loaded.RoundRVal, 0);
    EXPECT_EQ(loaded.SiloReportSortField, 0);
}

TEST_F(SmenaRepTest, WithoutCnfIniTheCompositionIsTheOneUnassignedElement)
{
    const ShiftReportComposition loaded = LoadComposition();
    ASSERT_EQ(loaded.Composition.type(), VarType::Array);
    ASSERT_EQ(loaded.Composition.arrayCount(), 1);
    EXPECT_EQ(loaded.Composition.at(0).type(), VarType::Empty);
    EXPECT_EQ(loaded.RoundRVal, 0);
    EXPECT_EQ(loaded.SiloReportSortField, 0);
    EXPECT_FALSE(QFile::exists(cnfNativePath()));
}

} // namespace
} // namespace velta::core
