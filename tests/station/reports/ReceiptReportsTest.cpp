// The receipts of the report engine on a demo station: the printer receipt of
// a sale with and without a discount and the empty form, as text and as HTML
// against their reference files; the cash register template of a payment type
// read from a real PredChecks.txt in the station's C:\DEXE folder.
#include "tests/station/StationFixture.h"

#include "common/Exception.h"
#include "common/ReportContract.h"
#include "plugin/platform/Paths.h"
#include "plugin/receipts/template/DefaultReceiptTemplate.h"
#include "plugin/receipts/template/PredChecksFile.h"
#include "plugin/receipts/template/ReceiptTagTable.h"
#include "station/db/FixedPoint.h"
#include "station/reports/engine/ReportEngine.h"
#include "station/reports/engine/ReportMemory.h"
#include "tests/support/ReferenceFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace velta::test {
namespace {

using receipts::PredChecksFile;
using station::ReportConnectionState;
using station::ReportEngine;
using station::ReportWorkplaceMemory;

const QString kComment = QStringLiteral("<br />Доверенность №17 от 10.01.2024<br />Груз получил: <b>Петров</b><br /><br />");

struct Rendered {
    QString text;
    QString html;
};

class ReceiptReportsTest : public SharedDemoStation<600> {
protected:
    void SetUp() override
    {
        QDir().mkpath(QFileInfo(predChecks().path()).absolutePath());
        QFile::remove(predChecks().path());
    }
    void TearDown() override { QFile::remove(predChecks().path()); }

    static PredChecksFile predChecks() { return PredChecksFile(PredChecksFile::stationName()); }

    static Variant::Array receiptRequest(qlonglong sale, const QString& operatorName, const QString& post,
                                         const QString& comment)
    {
        return {Variant(report::kSelectorPrinterReceipt), Variant(int(sale)), Variant(operatorName), Variant(post),
                Variant(comment)};
    }

    QString produce(const Variant::Array& params)
    {
        return ReportEngine(*db_, connection_, memory_).getReport({Variant(report::kService), Variant(params)});
    }
    QString lastHtml() { return ReportEngine(*db_, connection_, memory_).getReport({Variant(55), Variant(Variant::Array{})}); }

    // The printer receipt through the engine, then its HTML through report 55.
    Rendered receipt(qlonglong sale, const QString& operatorName, const QString& post, const QString& comment)
    {
        Rendered out;
        out.text = produce(receiptRequest(sale, operatorName, post, comment));
        out.html = lastHtml();
        return out;
    }

    QString receiptTemplate(int payType)
    {
        return produce({Variant(report::kSelectorReceiptTemplate), Variant(payType)});
    }

    static ::testing::AssertionResult matches(const char* name, const Rendered& rendered)
    {
        const QString base = QStringLiteral("station/reports/reference/receipt-") + QLatin1String(name);
        ::testing::AssertionResult text = matchesReference(base + QStringLiteral(".txt"), rendered.text);
        if (!text)
            return text;
        return matchesReference(base + QStringLiteral(".html"), rendered.html);
    }

    static qlonglong firstSale(const QString& where) { return count(*db_, QStringLiteral("SELECT MIN(INDEXSALE) FROM LOGTRAN WHERE ") + where); }
    // A money column of a sale as the receipt prints it ("1 234,56", digit groups as a plain space).
    static QString moneyOf(const QString& sql)
    {
        const std::int64_t scaled = station::parseFixed(db_->scalar(sql).toString()).scaled;
        const std::int64_t kopecks = (scaled + 50) / 100;
        QString whole = QString::number(kopecks / 100);
        for (qsizetype at = whole.size() - 3; at > 0; at -= 3)
            whole.insert(at, QChar(0x00A0));
        return QStringLiteral("%1,%2").arg(whole).arg(kopecks % 100, 2, 10, QLatin1Char('0'));
    }

    ReportConnectionState connection_;
    ReportWorkplaceMemory memory_;
};

TEST_F(ReceiptReportsTest, ASaleWithADiscountCard)
{
    const qlonglong sale = count(*db_, QStringLiteral("SELECT MIN(INDEXSALE) FROM LOGTRANDSC WHERE DSCVALTYPE = 1"));
    ASSERT_GT(sale, 0);
    const Rendered rendered = receipt(sale, QStringLiteral("Иванова Н.П."), QStringLiteral("2"), kComment);
    EXPECT_TRUE(matches("35-8-discount", rendered));

    // The total is the sale's amount; the line shows the amount before the discount.
    const QString where = QStringLiteral(" FROM LOGTRAN WHERE INDEXSALE = %1").arg(sale);
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("Итого к оплате: %1 руб.").arg(moneyOf(QStringLiteral("SELECT CAST(SUMMA AS VARCHAR(32))") + where))));
    EXPECT_TRUE(rendered.text.contains(moneyOf(QStringLiteral("SELECT CAST(CAST(LITER * BASEPRICE AS NUMERIC(18,2)) AS VARCHAR(32))") + where)));
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("| Скидка по карте |")));
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("Вид оплаты: Дисконтные карты")));

    // The comment goes into the page as given and into the text line by line.
    EXPECT_TRUE(rendered.html.contains(kComment));
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("\r\nДоверенность №17 от 10.01.2024\r\nГруз получил: <b>Петров</b>\r\n")));
    EXPECT_FALSE(rendered.text.contains(QStringLiteral("<br")));
}

TEST_F(ReceiptReportsTest, AStatementSaleShowsItsBuyer)
{
    const qlonglong sale = firstSale(QStringLiteral("VIDOPL = 104 AND IDCAR IS NOT NULL AND PLISTNUM <> ''"));
    ASSERT_GT(sale, 0);
    ASSERT_EQ(count(*db_, QStringLiteral("SELECT COUNT(*) FROM LOGTRANDSC WHERE INDEXSALE = %1").arg(sale)), 0);
    const Rendered rendered = receipt(sale, QStringLiteral("Петров С.А."), QString(), QString());
    EXPECT_TRUE(matches("35-8-statement", rendered));

    const QString car = column(*db_, QStringLiteral("SELECT c.NAME FROM LOGTRAN lt JOIN VDCAR c ON c.ID = lt.IDCAR "
                                                    "WHERE lt.INDEXSALE = %1").arg(sale)).value(0);
    const QString trip = column(*db_, QStringLiteral("SELECT PLISTNUM FROM LOGTRAN WHERE INDEXSALE = %1").arg(sale)).value(0);
    EXPECT_TRUE(rendered.text.contains(car)) << car.toStdString();
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("Путевой лист: ") + trip));
    EXPECT_FALSE(rendered.text.contains(QStringLiteral("Скидка")));
    // No post given: no post line.
    EXPECT_FALSE(rendered.text.contains(QStringLiteral("Пост:")));
}

TEST_F(ReceiptReportsTest, BuyerFieldsByPaymentType)
{
    // Coupons list the coupon numbers; contract sales pay below the base price,
    // which shows as a discount even without a discount row.
    const qlonglong coupons = firstSale(QStringLiteral("VIDOPL = 109"));
    ASSERT_GT(coupons, 0);
    const QString list = column(*db_, QStringLiteral("SELECT POKUPATEL FROM LOGTRAN WHERE INDEXSALE = %1").arg(coupons)).value(0);
    EXPECT_TRUE(receipt(coupons, QString(), QString(), QString()).text.contains(QStringLiteral("Талоны: ") + list));

    const qlonglong contract = firstSale(QStringLiteral("VIDOPL = 108 AND BASEPRICE > PRICE"));
    ASSERT_GT(contract, 0);
    const Rendered rendered = receipt(contract, QString(), QString(), QString());
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("| Скидка ")));
    EXPECT_FALSE(rendered.text.contains(QStringLiteral("Скидки")));
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("Вид оплаты: Договорной")));
}

TEST_F(ReceiptReportsTest, NumbersFollowTheReportSettings)
{
    // Litres with DecL2 decimals, the separators of [Reports]; money keeps two decimals.
    const qlonglong sale = firstSale(QStringLiteral("VIDOPL = 104 AND LITER > 100"));
    ASSERT_GT(sale, 0);
    const QString cnf = Paths::toNative(QStringLiteral("C:\\WINDOWS\\cnf.ini"));
    QDir().mkpath(QFileInfo(cnf).path());
    writeFileBytes(cnf, QByteArrayLiteral("[Reports]\r\nDecL2=3\r\nDecimalSeparator=2E\r\nThousandSeparator=27\r\n"));
    const QString text = receipt(sale, QString(), QString(), QString()).text;
    QFile::remove(cnf);
    const QString litres = column(*db_, QStringLiteral("SELECT CAST(CAST(LITER AS NUMERIC(18,3)) AS VARCHAR(32)) "
                                                       "FROM LOGTRAN WHERE INDEXSALE = %1").arg(sale)).value(0);
    EXPECT_TRUE(text.contains(QStringLiteral(" %1 |").arg(litres))) << litres.toStdString() << "\n" << text.toStdString();
    EXPECT_TRUE(text.contains(QStringLiteral("Итого к оплате: %1 руб.").arg(moneyOf(
        QStringLiteral("SELECT CAST(SUMMA AS VARCHAR(32)) FROM LOGTRAN WHERE INDEXSALE = %1").arg(sale))
                                                                               .replace(QChar(0x00A0), QLatin1Char('\''))
                                                                               .replace(QLatin1Char(','), QLatin1Char('.')))))
        << text.toStdString();
}

TEST_F(ReceiptReportsTest, TheEmptyForm)
{
    const Rendered rendered = receipt(-1, QStringLiteral("Сидорова Е.В."), QString(), QString());
    EXPECT_TRUE(matches("35-8-empty", rendered));
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("Оператор: Сидорова Е.В.")));
    EXPECT_TRUE(rendered.text.contains(QStringLiteral("Пост: ____")));
    // The sale number -1 arrives as the window's integer, or as a byte.
    Variant::Array asByte = receiptRequest(-1, QStringLiteral("Сидорова Е.В."), QString(), QString());
    asByte[1] = Variant(std::int8_t{-1});
    EXPECT_EQ(produce(asByte), rendered.text);
}

TEST_F(ReceiptReportsTest, AnUnknownSaleOrABadRequestIsAnError)
{
    const Rendered before = receipt(-1, QString(), QString(), QString());
    const qlonglong missing = count(*db_, QStringLiteral("SELECT MAX(INDEXSALE) FROM LOGTRAN")) + 1;
    try {
        receipt(missing, QString(), QString(), QString());
        FAIL() << "an unknown sale gave a receipt";
    } catch (const EDatabaseError& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Продажа №%1 не найдена в базе данных АЗС. Товарный чек не сформирован.").arg(missing));
    }
    // The failed receipt leaves no page behind for report 55.
    EXPECT_TRUE(lastHtml().isEmpty());
    EXPECT_THROW(receipt(-2, QString(), QString(), QString()), EDatabaseError);

    // Four elements, a sale number as text, an operator as a number.
    Variant::Array shortRequest = receiptRequest(-1, QString(), QString(), QString());
    shortRequest.removeLast();
    EXPECT_THROW(produce(shortRequest), EDatabaseError);
    Variant::Array textNumber = receiptRequest(-1, QString(), QString(), QString());
    textNumber[1] = Variant(QStringLiteral("12"));
    EXPECT_THROW(produce(textNumber), EDatabaseError);
    Variant::Array numberOperator = receiptRequest(-1, QString(), QString(), QString());
    numberOperator[2] = Variant(5);
    EXPECT_THROW(produce(numberOperator), EDatabaseError);
    EXPECT_EQ(receipt(-1, QString(), QString(), QString()).html, before.html);
}

TEST_F(ReceiptReportsTest, TemplatesByPaymentType)
{
    const QString marker = QString::fromLatin1(report::kReceiptTemplateMarker);
    // No PredChecks.txt at all: every payment type gets the default template.
    const QString fresh = receiptTemplate(0);
    EXPECT_EQ(fresh, marker + receipts::DefaultReceiptTemplate());
    EXPECT_EQ(fresh.split(QStringLiteral("\r\n")).size(), 10);
    EXPECT_TRUE(fresh.contains(QStringLiteral("\r\n@ИТОГО:    <#Summa(10.2)>р.\r\n")));

    const QString common = QStringLiteral("@ЧЕК <#AZS>\r\nГСМ: <#GSM(10)>\r\nСумма: <#Summa(10.2)>");
    const QString own = QStringLiteral("ВЕДОМОСТЬ\r\n<#CNT>\r\n\r\n@<#Summa>");
    const PredChecksFile file = predChecks();
    file.writeTemplate(receipts::kCommonTemplate, common);
    file.writeTemplate(104, own);
    file.writeOwnTemplateFlag(104, 1);
    // An own template stored while the flag says common, and the flag set without a template.
    file.writeTemplate(108, QStringLiteral("ДОГОВОР"));
    file.writeOwnTemplateFlag(108, 0);
    file.writeOwnTemplateFlag(109, 1);
    ASSERT_TRUE(Paths::fileExists(Paths::toNative(QStringLiteral("C:\\DEXE\\PredChecks.txt"))));

    EXPECT_EQ(receiptTemplate(104), marker + own);
    EXPECT_EQ(receiptTemplate(0), marker + common);
    EXPECT_EQ(receiptTemplate(108), marker + common);
    EXPECT_EQ(receiptTemplate(109), marker + receipts::DefaultReceiptTemplate());
    // A code the station does not know prints with the common template too.
    EXPECT_EQ(receiptTemplate(777), marker + common);

    // An edited template prints from the next request on.
    file.writeTemplate(104, QStringLiteral("НОВЫЙ\r\n<#Driver>"));
    EXPECT_EQ(receiptTemplate(104), marker + QStringLiteral("НОВЫЙ\r\n<#Driver>"));
    file.writeOwnTemplateFlag(104, 0);
    EXPECT_EQ(receiptTemplate(104), marker + common);
}

TEST_F(ReceiptReportsTest, ATemplateRequestLeavesReport55Alone)
{
    const Rendered empty = receipt(-1, QString(), QString(), QString());
    ASSERT_FALSE(empty.html.isEmpty());
    EXPECT_TRUE(receiptTemplate(0).startsWith(QString::fromLatin1(report::kReceiptTemplateMarker)));
    EXPECT_EQ(lastHtml(), empty.html);

    EXPECT_THROW(produce({Variant(report::kSelectorReceiptTemplate)}), EDatabaseError);
    EXPECT_THROW(produce({Variant(report::kSelectorReceiptTemplate), Variant(QStringLiteral("4"))}), EDatabaseError);
    EXPECT_THROW(produce({Variant(report::kSelectorReceiptTemplate), Variant(qint64(1) << 40)}), EDatabaseError);
    EXPECT_EQ(lastHtml(), empty.html);
}

} // namespace
} // namespace velta::test
