// The three receipt windows in the host's font (Tahoma 8, as the host program
// sets it) and in the platform's own: every label and button has the room its
// text needs, the variable rows do not overlap; screenshots go to VELTA_SHOTS.
#include "plugin/receipts/editor/CheckPreviewForm.h"
#include "plugin/receipts/editor/DocCnfForm.h"
#include "plugin/receipts/editor/TagLabel.h"
#include "plugin/receipts/editor/TovCheckOnVidOplForm.h"
#include "plugin/receipts/template/PredChecksFile.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/receipts/ReceiptWindowLook.h"
#include "tests/support/TestEnv.h"

#include <QCoreApplication>
#include <QFrame>
#include <QRadioButton>
#include <QTest>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace velta;
using namespace velta::receipts;

namespace {

const QString kReceipt = QStringLiteral(
    "Вид оплаты: Ведомость\r\nДата: 05.03.2024 14:20:11\r\nЗаправлено: АИ-95 40.0л.\r\n"
    "@ИТОГО:       2180.00р.\r\n\r\nКАССИР ____________ Петрова А.И.    \r\n\r\n"
    "       ООО \"Велта\" АЗС №12\r\n         СПАСИБО ЗА ПОКУПКУ\r\n");

// Rows of the variable panel overlapping one another or their descriptions.
QStringList overlappingRows(QWidget& editor)
{
    QStringList overlaps;
    const QList<QLabel*> labels = editor.findChild<QFrame*>(QStringLiteral("panVars"))->findChildren<QLabel*>();
    for (qsizetype i = 0; i < labels.size(); ++i)
        for (qsizetype j = i + 1; j < labels.size(); ++j)
            if (labels[i]->geometry().intersects(labels[j]->geometry()))
                overlaps << labels[i]->text() + QStringLiteral(" / ") + labels[j]->text();
    return overlaps;
}

// Shown, laid out and painted as the event loop leaves a window.
void showSettled(QWidget& window)
{
    window.show();
    QCoreApplication::processEvents();
}

class ReceiptWindowsLookTest : public ::testing::TestWithParam<bool> {
protected:
    // Shots are kept of the host's look only.
    void shoot(QWidget& window, const QString& name)
    {
        if (GetParam())
            test::saveShot(window, name);
    }

    test::TestEnv env;
    ScriptedDialogs dialogs{[](const QString& failure) { ADD_FAILURE() << failure.toStdString(); }};
};

TEST_P(ReceiptWindowsLookTest, EveryTextHasRoom)
{
    std::unique_ptr<test::HostFontScope> hostFont;
    if (GetParam()) {
        hostFont = std::make_unique<test::HostFontScope>();
        if (!hostFont->active())
            GTEST_SKIP() << "no Tahoma on this machine";
    }

    TDocCnfForm editor(4, QString());
    showSettled(editor);
    EXPECT_EQ(test::cutTexts(editor), QStringList{});
    EXPECT_EQ(overlappingRows(editor), QStringList{});
    shoot(editor, QStringLiteral("receipt-template-editor.png"));

    TCheckPreviewForm preview(kReceipt);
    showSettled(preview);
    EXPECT_EQ(test::cutTexts(preview), QStringList{});
    shoot(preview, QStringLiteral("receipt-preview.png"));

    const PredChecksFile file(env.path(QStringLiteral("PredChecks.txt")));
    file.writeOwnTemplateFlag(4, 1);
    TTovCheckOnVidOplForm settings(dialogs, file,
                                   {{0, QStringLiteral("Наличные")}, {4, QStringLiteral("Ведомость")},
                                    {7, QStringLiteral("Банковская карта")}, {8, QStringLiteral("Договор")},
                                    {9, QStringLiteral("Талоны")}, {104, QStringLiteral("Ведомость АЗС-2")}});
    showSettled(settings);
    auto* list = settings.findChild<QTreeWidget*>(QStringLiteral("lv"));
    list->setCurrentItem(list->topLevelItem(1));
    EXPECT_TRUE(settings.findChild<QRadioButton*>(QStringLiteral("rb2"))->isChecked());
    EXPECT_EQ(test::cutTexts(settings), QStringList{});
    shoot(settings, QStringLiteral("receipt-template-settings.png"));
}

INSTANTIATE_TEST_SUITE_P(Fonts, ReceiptWindowsLookTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("HostFont") : std::string("PlatformFont");
                         });

} // namespace
