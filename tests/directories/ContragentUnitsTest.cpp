// The directory's plain units: roles and their mask, the contract payment
// types of the host's list, the group statement, the search filter with
// quotes inside (run by the dataset's own filter), the DBF field map and the
// role rows of an imported record.
#include "common/QuotedStr.h"
#include "plugin/data/ClientDataSet.h"
#include "plugin/data/Field.h"
#include "plugin/directories/ContractPayTypes.h"
#include "plugin/directories/ContragentDbfFields.h"
#include "plugin/directories/ContragentDbfImport.h"
#include "plugin/directories/ContragentQuery.h"
#include "plugin/directories/ContragentRoles.h"
#include "tests/support/TestHost.h"

#include <gtest/gtest.h>

namespace velta::directories {
namespace {

TEST(ContragentRoles, RowsGiveTheMaskAndPaymentTypesAndTheMaskGivesTheRowsBack)
{
    const QList<RoleRow> rows = {{3, 0}, {1, 104}, {101, 1}, {1, 204}, {103, 0}};
    const ContragentRoleSet roles = RoleSetOfRows(rows);
    EXPECT_EQ(roles.mask, (1 << 1) | (1 << 3) | (1 << 7) | (1 << 8) | (1 << 10));
    EXPECT_EQ(roles.payTypes, (QList<int>{104, 204}));
    EXPECT_EQ(RoleRowsOf(roles), (QList<RoleRow>{{3, 0}, {101, 1}, {103, 0}, {1, 104}, {1, 204}}));

    // A maker that is not regional; the regional bit alone is no role.
    EXPECT_EQ(RoleSetOfRows({{101, 0}}).mask, 1 << 7);
    EXPECT_EQ(RoleRowsOf({1 << 7, {}}), (QList<RoleRow>{{101, 0}}));
    EXPECT_TRUE(RoleRowsOf({kMaskRegional, {}}).isEmpty());
    // Every role has its bit; unknown roles none.
    const QList<std::pair<int, int>> bits = {{2, 2}, {3, 3}, {4, 4}, {5, 5}, {6, 6}, {101, 7}, {102, 9}, {103, 10}, {1, 1}};
    for (const auto& [ctype, bit] : bits)
        EXPECT_EQ(RoleMask(ctype), 1 << bit) << ctype;
    EXPECT_EQ(RoleMask(0), 0);
    EXPECT_EQ(RoleMask(7), 0);
    EXPECT_EQ(RoleGroupCaption(0), u"Все контрагенты");
    EXPECT_EQ(RoleGroupCaption(1), u"Для видов оплаты:");
    EXPECT_EQ(RoleGroupCaption(5), u"Плательщики за перевозку ГСМ");
    // A payment type chosen twice is stored once.
    EXPECT_EQ(RoleRowsOf({kMaskPayType, {104, 104}}), (QList<RoleRow>{{1, 104}}));
}

TEST(ContractPayTypes, OnlyStatementKindsSortedByKindThenCode)
{
    test::TestPayTypeList list;
    list.entries = {{0, "Наличные", 0, true},    {304, "Договор", 0, true}, {104, "Ведомость +", 0, true},
                    {204, "Лимитная", 0, false}, {4, "Ведомость", 0, true}, {108, "Договорной", 0, true}};
    EXPECT_EQ(ContractPayTypesOf(&list), (QList<ContractPayType>{{4, "Ведомость"}, {104, "Ведомость +"},
                                                                 {204, "Лимитная"}, {304, "Договор"}}));
    EXPECT_TRUE(ContractPayTypesOf(nullptr).isEmpty());
    EXPECT_EQ(PayTypeGroupCaption({104, "Ведомость +"}), u"  [104] Ведомость +");
    EXPECT_EQ(PayTypeOfGroupCaption(QStringLiteral("  [104] Ведомость +")), 104);
    EXPECT_EQ(PayTypeOfGroupCaption(QStringLiteral("Для видов оплаты:")), -1);
    EXPECT_EQ(PayTypeOfGroupCaption(QStringLiteral("[x] y")), -1);
}

TEST(ContragentQuery, GroupStatementsForAllARoleAndOnePaymentType)
{
    EXPECT_EQ(ContragentGroupQuery(0), u"SELECT DISTINCT c.* FROM CONTRAGENT c\r\n"
                                       "WHERE COALESCE(c.ISDELETE, 0)=0\r\n"
                                       "ORDER BY c.NAME");
    EXPECT_EQ(ContragentGroupQuery(3), u"SELECT DISTINCT c.* FROM CONTRAGENT c\r\n"
                                       "LEFT JOIN CONTRAGENTTYPE ct ON ct.CONTR_ID = c.CONTR_ID\r\n"
                                       "WHERE ct.CTYPE = 3 AND COALESCE(c.ISDELETE, 0)=0\r\n"
                                       "ORDER BY c.NAME");
    EXPECT_EQ(ContragentGroupQuery(1, 204), u"SELECT DISTINCT c.* FROM CONTRAGENT c\r\n"
                                            "LEFT JOIN CONTRAGENTTYPE ct ON ct.CONTR_ID = c.CONTR_ID\r\n"
                                            "WHERE ct.CTYPE = 1 AND COALESCE(c.ISDELETE, 0)=0 AND PARAM1=204\r\n"
                                            "ORDER BY c.NAME");
}

TEST(ContragentQuery, TheFilterTextDoublesQuotesSoTheDatasetFindsOKey)
{
    EXPECT_EQ(QuotedStr(QStringLiteral("O'Key")), u"'O''Key'");
    EXPECT_EQ(ContragentFilterText(QStringLiteral("Name"), QStringLiteral("O'Key")), u"(Name LIKE '%O''Key%')");
    EXPECT_EQ(ContragentFilterText(QStringLiteral("INN"), QStringLiteral("''")), u"(INN LIKE '%''''%')");
    EXPECT_EQ(SearchFieldNames().size(), SearchFieldCaptions().size());

    TClientDataSet list;
    list.FieldDefs = {FieldDef{QStringLiteral("NAME"), FieldType::String, 100}};
    list.CreateDataSet();
    for (const char* name : {"O'Key", "Окей", "ТД \"O'KEY\" Липецк", "Лента"})
        list.AppendRecord({Variant(QString::fromUtf8(name))});
    list.SetFilterOptions(foCaseInsensitive);
    list.SetFilter(ContragentFilterText(QStringLiteral("Name"), QStringLiteral("o'key")));
    list.SetFiltered(true);
    QStringList found;
    for (list.First(); !list.Eof(); list.Next())
        found << list.FieldByName(QStringLiteral("NAME")).AsString();
    EXPECT_EQ(found, (QStringList{"O'Key", "ТД \"O'KEY\" Липецк"}));
}

TEST(ContragentDbfFields, TheMapNamesTheFieldsBothWaysAndTheirLengths)
{
    EXPECT_EQ(ContragentDbfFieldMap().size(), 18);
    EXPECT_EQ(DbfFieldOfColumn(QStringLiteral("PHONE")), u"PHONES");
    EXPECT_EQ(DbfFieldOfColumn(QStringLiteral("CONTACTINFO")), u"CONTINFO");
    EXPECT_EQ(DbfFieldOfColumn(QStringLiteral("NAME")), u"NAME");
    EXPECT_EQ(DbfFieldOfColumn(QStringLiteral("COUNTRYCODE")), u"COUNTRYCOD");
    EXPECT_TRUE(DbfFieldOfColumn(QStringLiteral("CONTR_ID")).isEmpty());
    EXPECT_TRUE(DbfFieldOfColumn(QStringLiteral("ISDELETE")).isEmpty());
    EXPECT_EQ(ColumnOfDbfField(QStringLiteral("LICENCEORG")), u"LicOrg");
    EXPECT_EQ(ColumnOfDbfField(QStringLiteral("phones")), u"Phone");
    EXPECT_TRUE(ColumnOfDbfField(QStringLiteral("ISMANUF")).isEmpty());
    EXPECT_EQ(DbfTextLength(QStringLiteral("KPP")), 20);
    EXPECT_EQ(DbfTextLength(QStringLiteral("OTHER")), 200);
    EXPECT_EQ(DbfTextLength(QStringLiteral("LICDATE")), 0);
    EXPECT_EQ(ParseDbfFieldMap(QStringLiteral("A; B=C ;;D")).size(), 3);
}

TEST(ContragentDbfImport, FlagsThatAreOneAndStatementIdsGiveTheRoleRows)
{
    DbfRoleValues values;
    values.flags = {{"ISMANUF", 1}, {"ISREGIONAL", 1}, {"ISGSMADDR", 1}, {"ISGSMSUPP", 0}, {"ISGSMKEEPR", 2}};
    values.voList = QStringLiteral("104,205,304,-4,104");
    EXPECT_EQ(ImportedRoleRows(values), (QList<RoleRow>{{101, 1}, {3, 0}, {1, 104}, {1, 304}}));
    // A maker without the regional flag field is not regional.
    values.flags = {{"ismanuf", 1}};
    values.voList.clear();
    EXPECT_EQ(ImportedRoleRows(values), (QList<RoleRow>{{101, 0}}));
}

} // namespace
} // namespace velta::directories
