// How message boxes of both styles are laid out: captions, button order and
// texts, the default button and what Esc does.
#include "plugin/ui/MessageBoxLayout.h"

#include <QStringList>
#include <gtest/gtest.h>

using namespace velta;

namespace {

std::vector<int> results(const MessageBoxLayout& layout)
{
    std::vector<int> list;
    for (const auto& b : layout.buttons)
        list.push_back(b.result);
    return list;
}

QStringList texts(const MessageBoxLayout& layout)
{
    QStringList list;
    for (const auto& b : layout.buttons)
        list << b.text;
    return list;
}

const QString kTitle = QStringLiteral("Велта");

} // namespace

TEST(MessageDlgLayout, CaptionAndIconFollowTheType)
{
    struct Case {
        MsgDlgType type;
        const char* caption;
        MessageIcon icon;
    };
    const Case cases[] = {
        {mtWarning, "Предупреждение", MessageIcon::Warning},
        {mtError, "Ошибка", MessageIcon::Error},
        {mtInformation, "Информация", MessageIcon::Information},
        {mtConfirmation, "Подтверждение", MessageIcon::Question},
        {mtCustom, "Велта", MessageIcon::None},
    };
    for (const Case& c : cases) {
        const auto layout = MessageBoxLayout::forMessageDlg(c.type, mbOK, kTitle);
        EXPECT_EQ(layout.caption, QString::fromUtf8(c.caption));
        EXPECT_EQ(layout.icon, c.icon);
    }
    EXPECT_EQ(MessageBoxLayout::forMessageDlg(mtCustom, mbOK, QStringLiteral("Хост")).caption, QStringLiteral("Хост"));
}

TEST(MessageDlgLayout, ButtonsComeInTheFrameworksOrderWhateverTheSetSays)
{
    const auto layout = MessageBoxLayout::forMessageDlg(mtConfirmation, mbCancel | mbNo | mbYes, kTitle);
    EXPECT_EQ(results(layout), (std::vector<int>{mrYes, mrNo, mrCancel}));
    EXPECT_EQ(texts(layout), (QStringList{QStringLiteral("Да"), QStringLiteral("Нет"), QStringLiteral("Отмена")}));

    const auto all = MessageBoxLayout::forMessageDlg(
        mtWarning, MsgDlgButtons::fromBits(0x7FF), kTitle);
    EXPECT_EQ(results(all), (std::vector<int>{mrYes, mrNo, mrOk, mrCancel, mrAbort, mrRetry, mrIgnore, mrAll,
                                              mrNoToAll, mrYesToAll}));
}

TEST(MessageDlgLayout, DefaultIsOkThenYesThenRetryAndEscIsCancelThenNoThenOk)
{
    auto yesNo = MessageBoxLayout::forMessageDlg(mtConfirmation, mbYes | mbNo, kTitle);
    EXPECT_EQ(yesNo.defaultResult(), mrYes);
    EXPECT_EQ(yesNo.escapeResult(), mrNo);

    auto okCancel = MessageBoxLayout::forMessageDlg(mtConfirmation, mbOKCancel, kTitle);
    EXPECT_EQ(okCancel.defaultResult(), mrOk);
    EXPECT_EQ(okCancel.escapeResult(), mrCancel);

    auto yesNoCancel = MessageBoxLayout::forMessageDlg(mtConfirmation, mbYesNoCancel, kTitle);
    EXPECT_EQ(yesNoCancel.defaultResult(), mrYes);
    EXPECT_EQ(yesNoCancel.escapeResult(), mrCancel);

    auto ari = MessageBoxLayout::forMessageDlg(mtError, mbAbortRetryIgnore, kTitle);
    EXPECT_EQ(ari.defaultResult(), mrRetry);
    EXPECT_EQ(ari.escapeResult(), mrNone);
    EXPECT_EQ(ari.escapeIndex, -1);
}

TEST(MessageDlgLayout, AHelpOnlyOrEmptySetStillGetsAButtonToCloseWith)
{
    for (MsgDlgButtons set : {MsgDlgButtons(), MsgDlgButtons(mbHelp)}) {
        const auto layout = MessageBoxLayout::forMessageDlg(mtInformation, set, kTitle);
        EXPECT_EQ(results(layout), std::vector<int>{mrOk});
        EXPECT_EQ(layout.escapeResult(), mrOk);
    }
    const auto withHelp = MessageBoxLayout::forMessageDlg(mtInformation, mbOK | mbHelp, kTitle);
    EXPECT_EQ(results(withHelp), std::vector<int>{mrOk});
}

TEST(MessageBoxLayout, ButtonSetsOfTheFlags)
{
    struct Case {
        unsigned flags;
        std::vector<int> buttons;
        int escape;
    };
    const Case cases[] = {
        {MB_OK, {IDOK}, IDOK},
        {MB_OKCANCEL, {IDOK, IDCANCEL}, IDCANCEL},
        {MB_ABORTRETRYIGNORE, {IDABORT, IDRETRY, IDIGNORE}, mrNone},
        {MB_YESNOCANCEL, {IDYES, IDNO, IDCANCEL}, IDCANCEL},
        {MB_YESNO, {IDYES, IDNO}, mrNone},
        {MB_RETRYCANCEL, {IDRETRY, IDCANCEL}, IDCANCEL},
        {0xE, {IDOK}, IDOK}, // a set this box does not know
    };
    for (const Case& c : cases) {
        const auto layout = MessageBoxLayout::forMessageBox(QStringLiteral("Внимание!"), c.flags);
        EXPECT_EQ(results(layout), c.buttons) << c.flags;
        EXPECT_EQ(layout.escapeResult(), c.escape) << c.flags;
        EXPECT_EQ(layout.caption, QStringLiteral("Внимание!"));
    }
    EXPECT_EQ(texts(MessageBoxLayout::forMessageBox(QString(), MB_ABORTRETRYIGNORE)),
              (QStringList{QStringLiteral("Прервать"), QStringLiteral("Повтор"), QStringLiteral("Пропустить")}));
    EXPECT_EQ(texts(MessageBoxLayout::forMessageBox(QString(), MB_OKCANCEL)),
              (QStringList{QStringLiteral("OK"), QStringLiteral("Отмена")}));
}

TEST(MessageBoxLayout, IconsAndDefaultButtonFromTheHigherBits)
{
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_OK | MB_ICONERROR).icon, MessageIcon::Error);
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_OK | MB_ICONWARNING).icon, MessageIcon::Warning);
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_OK | MB_ICONINFORMATION).icon, MessageIcon::Information);
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_OK | MB_ICONQUESTION).icon, MessageIcon::Question);
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_OK).icon, MessageIcon::None);

    // "Cancel preselected" on an OK/Cancel question.
    const auto second = MessageBoxLayout::forMessageBox({}, MB_OKCANCEL | MB_ICONQUESTION | MB_DEFBUTTON2);
    EXPECT_EQ(second.defaultResult(), IDCANCEL);
    EXPECT_EQ(second.icon, MessageIcon::Question);
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_YESNOCANCEL | MB_DEFBUTTON3).defaultResult(), IDCANCEL);
    // A default beyond the buttons falls back to the first.
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_YESNO | MB_DEFBUTTON3).defaultResult(), IDYES);
    EXPECT_EQ(MessageBoxLayout::forMessageBox({}, MB_OK | MB_DEFBUTTON4).defaultResult(), IDOK);
}

TEST(MessageBoxLayout, ShowMessageIsAPlainOkBoxUnderTheApplicationTitle)
{
    const auto layout = MessageBoxLayout::forShowMessage(kTitle);
    EXPECT_EQ(layout.caption, kTitle);
    EXPECT_EQ(layout.icon, MessageIcon::None);
    EXPECT_EQ(results(layout), std::vector<int>{mrOk});
    EXPECT_TRUE(layout.offers(mrOk));
    EXPECT_FALSE(layout.offers(mrCancel));
}
