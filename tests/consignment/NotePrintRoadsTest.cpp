// The printed forms of the current note from the register: each report kind's
// service report calls and report 55 after each, and what reaches the viewer
// (the caption, the last form's text, the forms' HTML joined, the goods
// section without its first page breaks). The host's report function answers
// the note forms itself, every other call goes to the station's engine.
#include "tests/consignment/NoteListFixture.h"

#include "common/ReportContract.h"
#include "common/StationProtocol.h"
#include "plugin/core/DBForm.h"
#include "plugin/ui/FormPlacement.h"
#include "plugin/viewer/export/TextFileSave.h"
#include "tests/support/VariantDescription.h"

#include <QRadioButton>
#include <gtest/gtest.h>
#include <utility>

namespace velta::consignment {
namespace {

// The HTML answered for a form: both spellings of the page break, the lower
// case one twice.
QString formHtml(const QString& form)
{
    return QStringLiteral("<div style=\"page-break-after:always;\">%1</div>"
                          "<div STYLE=\"PAGE-BREAK-AFTER: always;\">end</div>"
                          "<p style=\"page-break-after:always;\"></p>")
        .arg(form);
}

class NotePrintRoadsTest : public NoteListTest {
protected:
    void SetUp() override
    {
        NoteListTest::SetUp();
        if (!stationReady())
            return;
        host.onReport = [this](QString& text, int reportNo, const Variant& params) {
            const test::TestHost::ReportCall call{reportNo, params};
            if (isNoteForm(call)) {
                lastForm_ = test::describe(params);
                text = QStringLiteral("TEXT ") + lastForm_;
            } else if (reportNo == report::kLastReportHtml && !lastForm_.isEmpty()) {
                text = formHtml(std::exchange(lastForm_, QString()));
            } else {
                forward(text, reportNo, params);
            }
        };
    }

    // Builds the kind's report for the note; what the viewer showed.
    test::ViewedReport print(TTTNListForm& form, int kind, int note)
    {
        goToNote(note);
        control<QRadioButton>(form, qPrintable(QStringLiteral("rgRepKind%1").arg(kind))).setChecked(true);
        host.reportCalls.clear();
        viewed.clear();
        expectViewer();
        press(form, "Button1");
        dialogs.verify();
        return viewed.empty() ? test::ViewedReport{} : viewed.front();
    }

    int firstNote()
    {
        return query(QStringLiteral("SELECT FIRST 1 TTN_ID FROM TTN WHERE COALESCE(ISDELETE, 0) = 0 ORDER BY TTN_ID"))
            .value(0, 0)
            .toInt();
    }

    static bool isNoteForm(const test::TestHost::ReportCall& call)
    {
        for (const int selector : {report::kSelectorTtnGoods, report::kSelectorTtnTransport, report::kSelectorInvoice,
                                   report::kSelectorGoodsWaybill, report::kSelectorShipmentReceipt})
            if (isService(call, selector))
                return true;
        return false;
    }

    QString lastForm_;
};

TEST_F(NotePrintRoadsTest, EachKindMakesItsFormCallsAndShowsThemUnderItsItem)
{
    const int note = firstNote();
    ASSERT_GT(note, 0);
    const QString id = QStringLiteral("i32:%1").arg(note);
    const auto call = [&](int selector, const QString& more = QString()) {
        return QStringLiteral("[u8:%1, %2%3]").arg(selector).arg(id, more);
    };
    struct Expected {
        int kind;
        QString caption;
        QStringList forms; // the report 35 arrays, in order
    };
    const QList<Expected> kinds = {
        {1, QStringLiteral("ТТН: ТРАНСПОРТНЫЙ РАЗДЕЛ"), {call(5)}},
        {3, QStringLiteral("СЧЕТ-ФАКТУРА"), {call(6)}},
        {4, QStringLiteral("ТОВАРНЫЙ ОТЧЕТ СТАНДАРТНЫЙ"), {call(7, QStringLiteral(", i32:0"))}},
        {5, QStringLiteral("ТОВАРНЫЙ ОТЧЕТ 1"), {call(7, QStringLiteral(", i32:1"))}},
        {6, QStringLiteral("ТОВАРНЫЙ ОТЧЕТ 2"), {call(7, QStringLiteral(", i32:2"))}},
        {7, QStringLiteral("КВИТАНЦИЯ ОБ ОТГРУЗКЕ"), {call(16)}},
    };
    withList([&](TTTNListForm& form) {
        for (const Expected& kind : kinds) {
            SCOPED_TRACE(kind.kind);
            const test::ViewedReport shown = print(form, kind.kind, note);
            QStringList calls;
            for (const QString& formCall : kind.forms)
                calls << QStringLiteral("35 ") + formCall << QStringLiteral("55 []");
            EXPECT_EQ(reportsDescribed(), calls);
            EXPECT_EQ(shown.caption, kind.caption);
            EXPECT_EQ(shown.text, QStringLiteral("TEXT ") + kind.forms.last());
            EXPECT_EQ(shown.html, formHtml(kind.forms.last())) << "no page break taken out";
        }
    });
}

TEST_F(NotePrintRoadsTest, TheWholeNoteJoinsBothSectionsAndTheGoodsSectionLosesOnePageBreakOfEachSpelling)
{
    const int note = firstNote();
    const QString goods = QStringLiteral("[u8:4, i32:%1]").arg(note);
    const QString transport = QStringLiteral("[u8:5, i32:%1]").arg(note);
    withList([&](TTTNListForm& form) {
        const test::ViewedReport whole = print(form, 2, note);
        EXPECT_EQ(reportsDescribed(),
                  (QStringList{"35 " + goods, "55 []", "35 " + transport, "55 []"}));
        EXPECT_EQ(whole.caption, QStringLiteral("ТТН: ПОЛНОСТЬЮ"));
        EXPECT_EQ(whole.text, QStringLiteral("TEXT ") + transport) << "the last form's text";
        EXPECT_EQ(whole.html, formHtml(goods) + formHtml(transport));

        const test::ViewedReport section = print(form, 0, note);
        EXPECT_EQ(reportsDescribed(), (QStringList{"35 " + goods, "55 []"}));
        EXPECT_EQ(section.caption, QStringLiteral("ТТН: ТОВАРНЫЙ РАЗДЕЛ"));
        EXPECT_EQ(section.text, QStringLiteral("TEXT ") + goods);
        EXPECT_EQ(section.html, QStringLiteral("<div style=\"\">%1</div><div STYLE=\"\">end</div>"
                                               "<p style=\"page-break-after:always;\"></p>")
                                    .arg(goods));
    });
}

TEST_F(NotePrintRoadsTest, NoChosenKindBuildsNothing)
{
    FormPlacement(QStringLiteral("TTTNListForm"), FormPlacement::reportsKey())
        .writeInteger(QStringLiteral("repkind"), -1);
    withList([&](TTTNListForm& form) {
        EXPECT_EQ(form.RepKind(), -1);
        host.reportCalls.clear();
        press(form, "Button1");
        EXPECT_TRUE(reports().empty()) << reportsDescribed().join('\n').toStdString();
    });
}

// The forms made by the station's engine itself, for the current note.
class NotePrintEngineTest : public NoteListTest {};

TEST_F(NotePrintEngineTest, TheEnginesFormsReachTheViewer)
{
    const int note = query(QStringLiteral("SELECT FIRST 1 TTN_ID FROM TTN WHERE COALESCE(ISDELETE, 0) = 0"))
                         .value(0, 0)
                         .toInt();
    withList([&](TTTNListForm& form) {
        goToNote(note);
        control<QRadioButton>(form, "rgRepKind3").setChecked(true);
        host.reportCalls.clear();
        expectViewer();
        press(form, "Button1");
        dialogs.verify();
    });
    ASSERT_EQ(viewed.size(), 1u);
    EXPECT_EQ(reportsDescribed(), (QStringList{QStringLiteral("35 [u8:6, i32:%1]").arg(note), "55 []"}));
    // The engine asked again over a connection of the test's own gives the same texts.
    const std::unique_ptr<WireClient> engine = server().connect();
    const auto ask = [&](int reportNo, const Variant& params) {
        return engine
            ->call(QString::fromLatin1(station::kGetReport), {Variant(reportNo), params, Variant(QStringLiteral("t"))})
            .toString();
    };
    const QString text = ask(report::kService, Variant(Variant::Array{Variant(report::kSelectorInvoice), Variant(note)}));
    const QString html = ask(report::kLastReportHtml, Variant(Variant::Array{}));
    EXPECT_FALSE(text.isEmpty());
    // The viewer's memo gives its text back with the no-break spaces of the
    // amounts as plain spaces.
    QString shown = viewer::SplitTextLines(text).join(QLatin1Char('\n'));
    shown.replace(QChar(0x00A0), QLatin1Char(' '));
    EXPECT_EQ(viewed[0].text, shown);
    EXPECT_EQ(viewed[0].html, html);
    EXPECT_EQ(viewed[0].caption, QStringLiteral("СЧЕТ-ФАКТУРА"));
}

} // namespace
} // namespace velta::consignment
