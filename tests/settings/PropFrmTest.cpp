// The report properties window driven offscreen: the payment type kinds and
// their registry keys, and the shift report composition editor (positions as
// read, copy, delete, dragging, the reloads guard, the format switch, the
// print form choice, the template checks on saving) with cnf.ini read back
// by LoadComposition; saving the composition is one change of the file.
#include "plugin/settings/PropFrm.h"

#include "plugin/core/HostContext.h"
#include "plugin/core/SmenaRepComposition.h"
#include "plugin/core/VeltaRep.h"
#include "plugin/foundation/ini/SafeIniFiles.h"
#include "plugin/foundation/text/Tools.h"
#include "plugin/platform/Paths.h"
#include "plugin/platform/Registry.h"
#include "plugin/ui/ScriptedDialogs.h"
#include "tests/support/PluginStateFixture.h"
#include "tests/support/TestEnv.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFileInfo>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <atomic>
#include <gtest/gtest.h>
#include <thread>

using namespace velta;
using namespace velta::settings;

namespace {

const QString kSmenaRep = QStringLiteral("SmenaRep");

QString reportKey(const QString& name)
{
    return QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports\\") + name;
}

// The registry values of a report key as "name=value" texts, sorted; booleans as true/false.
QStringList registryValues(const QString& name)
{
    TRegistry registry(RootKey::LocalMachine);
    if (!registry.openKeyReadOnly(reportKey(name)))
        return {QStringLiteral("<no key>")};
    QStringList values;
    for (const QString& value : registry.valueNames()) {
        const QString text = registry.dataType(value) == RegDataType::Boolean
                                 ? (registry.readBool(value) ? QStringLiteral("true") : QStringLiteral("false"))
                                 : QString::number(registry.readInteger(value));
        values << value + u'=' + text;
    }
    values.sort();
    return values;
}

QStringList reportKeys()
{
    TRegistry registry(RootKey::LocalMachine);
    return registry.openKeyReadOnly(QStringLiteral("SOFTWARE\\Kastelmark\\Velta\\Reports")) ? registry.keyNames()
                                                                                                 : QStringList();
}

void writeFile(const QString& windowsPath)
{
    const QString native = Paths::toNative(windowsPath);
    QDir().mkpath(QFileInfo(native).path());
    test::writeFileBytes(native, "<html></html>");
}

// The composition array as "position:kind:path" entries.
QStringList loaded()
{
    const velta::Variant composition = core::LoadComposition().Composition;
    QStringList entries;
    for (int i = 0; i + 2 < composition.arrayCount(); i += 3)
        entries << QStringLiteral("%1:%2:%3")
                       .arg(composition.at(i).toInt())
                       .arg(composition.at(i + 1).toInt())
                       .arg(composition.at(i + 2).toString());
    return entries;
}

class PropFrmTest : public test::PluginStateTest {
protected:
    PropFrmTest()
    {
        host.privValues[5] = velta::Variant(true);
        host.privValues[15] = velta::Variant(0);
        // Positions 0..4: codes 0, 1, 104, 7, 108, 9, 12.
        test::setPluginPayTypes({{QStringLiteral("Наличные"), 0}, {QStringLiteral("Платеж. терминал"), 1},
                     {QStringLiteral("Ведомость +"), 104}, {QStringLiteral("Самообслуживание"), 7},
                     {QStringLiteral("Договорной"), 108}, {QStringLiteral("Талоны"), 9},
                     {QStringLiteral("Топливные карты"), 12}});
    }
    std::unique_ptr<TPropFrm> build(int kind)
    {
        auto form = std::make_unique<TPropFrm>(dialogs);
        form->Build(kind);
        form->show();
        form->activateWindow();
        QApplication::processEvents();
        return form;
    }
    static QCheckBox* box(QWidget& form, const QString& name) { return form.findChild<QCheckBox*>(name); }
    static QStringList boxCaptions(TPropFrm& form)
    {
        QStringList captions;
        for (QCheckBox* check : form.findChild<QGroupBox*>(QStringLiteral("GroupBox"))->findChildren<QCheckBox*>())
            captions << check->objectName() + u'=' + check->text() + (check->isChecked() ? u'+' : u'-');
        return captions;
    }
    static void apply(TPropFrm& form) { form.findChild<QPushButton*>(QStringLiteral("BitBtn1"))->click(); }
};

// ---- payment type kinds ----

TEST_F(PropFrmTest, ReturnsAndBonusKeysAreCreatedReadAndWritten)
{
    // Returns: a new key gets PayType0 = 1; RepProp is taken masked with 7.
    {
        auto form = build(kReturnsKind);
        EXPECT_EQ(registryValues(QStringLiteral("BackRep")), QStringList{"PayType0=1"});
        EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("GroupBox"))->title(), "Виды оплаты");
        EXPECT_EQ(form->findChild<QLabel*>(QStringLiteral("Label1"))->text(), "по которым не было возвратных чеков");
        EXPECT_GE(form->width(), 330);
        EXPECT_EQ(form->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->x(), 193 + (form->width() - 330) / 2);
        EXPECT_EQ(boxCaptions(*form),
                  QStringList({"CB0=Наличные+", "CB1=Платеж. терминал-", "CB2=Ведомость +-", "CB3=Самообслуживание-",
                               "CB4=Договорной-", "CB5=Талоны-", "CB6=Топливные карты-"}));
        EXPECT_EQ(box(*form, "CB1")->y() - box(*form, "CB0")->y(), box(*form, "CB0")->height() + 10);
        EXPECT_FALSE(box(*form, "chbShowGSMItog")->isVisible());
        EXPECT_TRUE(box(*form, "GroupTRKCheckBox")->isVisible());
        form->reject();
    }
    {
        TRegistry registry(RootKey::LocalMachine);
        ASSERT_TRUE(registry.openKey(reportKey(QStringLiteral("BackRep")), false));
        registry.writeInteger(QStringLiteral("RepProp"), 8 + 2); // bit 8 is outside the mask
        registry.writeInteger(QStringLiteral("NullStr"), 1);
        registry.writeInteger(QStringLiteral("PayType104"), 1);
    }
    auto form = build(kReturnsKind);
    EXPECT_TRUE(box(*form, "OneTableCheckBox")->isChecked());
    EXPECT_FALSE(box(*form, "GroupTRKCheckBox")->isChecked());
    EXPECT_TRUE(box(*form, "NullCheckBox")->isChecked());
    EXPECT_TRUE(box(*form, "CB2")->isChecked());
    box(*form, "CB0")->setChecked(false);
    box(*form, "CB6")->setChecked(true);
    box(*form, "GroupTRKCheckBox")->setChecked(true);
    box(*form, "NullCheckBox")->setChecked(false);
    apply(*form);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(registryValues(QStringLiteral("BackRep")),
              QStringList({"NullStr=0", "PayType0=0", "PayType104=1", "PayType108=0", "PayType12=1", "PayType1=0",
                           "PayType7=0", "PayType9=0", "RepProp=6", "ShowGSMItog=false", "ShowSubVidoplItog=false"}));

    // Bonuses: both totals default on, the all-types box; written back as read.
    auto bonus = build(kBonusKind);
    EXPECT_EQ(bonus->findChild<QLabel*>(QStringLiteral("Label1"))->text(), "по которым не было оплаты");
    EXPECT_TRUE(box(*bonus, "chbShowGSMItog")->isChecked());
    EXPECT_TRUE(box(*bonus, "chbShowSubVidoplItog")->isChecked());
    QCheckBox* all = box(*bonus, "CBAllVO");
    ASSERT_NE(all, nullptr);
    EXPECT_EQ(all->text(), "ВСЕ ВИДЫ ОПЛАТЫ");
    EXPECT_TRUE(all->font().bold());
    EXPECT_FALSE(all->isChecked());
    all->setChecked(true);
    box(*bonus, "chbShowSubVidoplItog")->setChecked(false);
    apply(*bonus);
    EXPECT_EQ(registryValues(QStringLiteral("BonusRep")),
              QStringList({"CBAllVO=1", "NullStr=0", "PayType0=1", "PayType104=0", "PayType108=0", "PayType12=0",
                           "PayType1=0", "PayType7=0", "PayType9=0", "ShowGSMItog=true", "ShowSubVidoplItog=false"}));
}

TEST_F(PropFrmTest, ListKindsShowTheirGroupsOnlyAndOtherKindsSaveNothing)
{
    struct Case {
        int kind;
        const char* key;
        QStringList boxes;    // as built on a new key
        QStringList written;  // after ticking every box
    };
    const QList<Case> cases = {
        {kCardsKind, "CardRep", {"CB1=Платеж. терминал+", "CB3=Самообслуживание-", "CB6=Топливные карты-",
                                 "CBLOGTRANDSC=ДОПОЛНИТЕЛЬНЫЕ СКИДКИ-"},
         {"PayType12=1", "PayType1=1", "PayType7=1", "PayTypeLOGTRANDSC=1"}},
        {kStatementsKind, "VedomRep", {"CB2=Ведомость +-"}, {"PayType104=1", "PayType4=1"}},
        {kContractsKind, "DogovorRep", {"CB4=Договорной-"}, {"PayType108=1", "PayType8=1"}},
        {kTalonsKind, "TalonRep", {"CB5=Талоны+"}, {"PayType9=1"}},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.key);
        auto form = build(c.kind);
        EXPECT_EQ(boxCaptions(*form), c.boxes);
        EXPECT_FALSE(box(*form, "NullCheckBox")->isVisible());
        EXPECT_FALSE(form->findChild<QLabel*>(QStringLiteral("lbHelp"))->isVisible());
        for (QCheckBox* check : form->findChild<QGroupBox*>(QStringLiteral("GroupBox"))->findChildren<QCheckBox*>())
            check->setChecked(true);
        apply(*form);
        EXPECT_EQ(registryValues(QString::fromLatin1(c.key)), c.written);
    }
    // "Отмена" keeps nothing; a kind of no properties has a bare window.
    auto cancelled = build(kTalonsKind);
    box(*cancelled, "CB5")->setChecked(false);
    cancelled->findChild<QPushButton*>(QStringLiteral("BitBtn2"))->click();
    EXPECT_EQ(registryValues(QStringLiteral("TalonRep")), QStringList{"PayType9=1"});
    const QStringList keysBefore = reportKeys();
    auto bare = build(5);
    EXPECT_TRUE(boxCaptions(*bare).isEmpty());
    apply(*bare);
    EXPECT_EQ(bare->result(), QDialog::Accepted);
    EXPECT_EQ(reportKeys(), keysBefore);
    EXPECT_FALSE(QFileInfo::exists(Paths::toNative(CnfIniFileName())));
}

// ---- the shift report composition ----

class CompositionTest : public PropFrmTest {
protected:
    CompositionTest()
    {
        for (int s = 0; s < core::kSmenaRepSectionCount; ++s) {
            if (!core::SmenaRepDefaultWebPath(s).isEmpty())
                writeFile(core::SmenaRepWebFormsFolder() + core::SmenaRepDefaultWebPath(s));
            if (!core::SmenaRepDefaultPath(s).isEmpty())
                writeFile(core::SmenaRepFormsFolder() + core::SmenaRepDefaultPath(s));
        }
    }
    static void writeCnf(const QList<std::pair<QString, QString>>& keys)
    {
        TSafeIniFile ini(CnfIniFileName());
        for (const auto& [key, value] : keys)
            ini.WriteString(kSmenaRep, key, value);
    }
    static QStringList cnfKeys()
    {
        TSafeIniFile ini(CnfIniFileName());
        QStringList values;
        ini.ReadSectionValues(kSmenaRep, values);
        values.sort();
        return values;
    }
    // "section:position+/-" in position order.
    static QStringList rows(const TPropFrm& form)
    {
        QStringList list;
        for (int p = 1; p <= form.VariantCount(); ++p) {
            const TPropFrm::Row* row = form.VariantAt(p);
            if (!row) {
                list << QStringLiteral("<none at %1>").arg(p);
                continue;
            }
            EXPECT_EQ(row->box->y(), p * 25 + 20);
            EXPECT_EQ(row->edit->y(), row->box->y());
            EXPECT_EQ(row->button->y(), row->box->y());
            list << QStringLiteral("%1:%2").arg(row->section).arg(p) +
                        (row->box->isChecked() ? QStringLiteral("+") : QStringLiteral("-"));
        }
        return list;
    }
    static TPropFrm::Row& at(const TPropFrm& form, int position)
    {
        TPropFrm::Row* row = form.VariantAt(position);
        EXPECT_NE(row, nullptr) << position;
        return *row;
    }
    // A right-button drag of a row's box by `distance` pixels, the pointer
    // in the box's own coordinates as it moves on screen.
    static void drag(TPropFrm::Row& row, int distance)
    {
        QCheckBox* dragged = row.box;
        const int startTop = dragged->y();
        const auto send = [&](QEvent::Type type, int screenY, Qt::MouseButton button, Qt::MouseButtons buttons) {
            const QPointF local(5, screenY - dragged->y());
            QMouseEvent event(type, local, dragged->mapToGlobal(local), button, buttons, Qt::NoModifier);
            QApplication::sendEvent(dragged, &event);
        };
        send(QEvent::MouseButtonPress, startTop + 5, Qt::RightButton, Qt::RightButton);
        const int direction = distance < 0 ? -1 : 1;
        for (int step = 1; step <= distance * direction; ++step)
            send(QEvent::MouseMove, startTop + 5 + step * direction, Qt::NoButton, Qt::RightButton);
        send(QEvent::MouseButtonRelease, startTop + 5 + distance, Qt::RightButton, Qt::NoButton);
    }
    static void press(QWidget& target, int key, Qt::KeyboardModifiers modifiers)
    {
        QKeyEvent press(QEvent::KeyPress, key, modifiers);
        QApplication::sendEvent(&target, &press);
        QKeyEvent release(QEvent::KeyRelease, key, modifiers);
        QApplication::sendEvent(&target, &release);
    }
};

TEST_F(CompositionTest, PositionsAreCollectedClosedUpAndSavedWithTheOtherKeysKept)
{
    writeCnf({{"Rep0_0", "3"}, {"Rep2_0", "3"}, {"Rep3_0", "7"}, {"Rep4_0", "0"}, {"Rep5_0", "-2"},
              {"RepPath3_0", "Мой.frm"}, {"WebRepPath3_0", "C:\\DEXE\\FORMS\\WEBREP\\Информация о резервуарах.html"},
              {"Rep6_0", "9"}, {"RepPath6_0", "Smena5.FRM"}, {"RoundRVal", "2"}, {"SiloReportSortField", "1"},
              {"WebRep", "1"}});
    writeFile(QStringLiteral("C:\\DEXE\\FORMS\\REPORT\\Мой.frm"));
    auto form = build(kShiftReportKind);
    EXPECT_EQ(form->findChild<QGroupBox*>(QStringLiteral("GroupBox"))->title(), "Сменные отчеты");
    // The designed width, or wider when the fonts need it; the buttons keep their place on the right.
    EXPECT_GE(form->width(), 516);
    EXPECT_EQ(form->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->x(), form->width() - 516 + 249);
    EXPECT_FALSE(form->findChild<QRadioButton*>(QStringLiteral("rbtNew"))->isVisible()) << "no old reports allowed";
    // 3, 3, 7 become 1, 2, 3 after the switched-off 0 (place 1) and -2 (place 2).
    EXPECT_EQ(rows(*form), QStringList({"4:1-", "5:2-", "0:3+", "2:4+", "3:5+"}));
    const TPropFrm::Row& tanks = at(*form, 5);
    EXPECT_EQ(tanks.box->text(), "Информация о резервуарах");
    EXPECT_EQ(tanks.edit->text(), "C:\\DEXE\\FORMS\\WEBREP\\Информация о резервуарах.html");
    EXPECT_EQ(tanks.path, "Мой.frm");
    EXPECT_EQ(at(*form, 3).path, "SmenaBeg.FRM") << "a missing key reads as the default";

    apply(*form);
    EXPECT_EQ(form->result(), QDialog::Accepted);
    EXPECT_EQ(cnfKeys(),
              QStringList({"Rep0_0=3", "Rep2_0=4", "Rep3_0=5", "Rep4_0=-1", "Rep5_0=-2", "Rep6_0=9",
                           "RepPath0_0=SmenaBeg.FRM", "RepPath2_0=Smena1.FRM", "RepPath3_0=Мой.frm",
                           "RepPath4_0=Smena3.FRM", "RepPath5_0=Smena4.FRM", "RepPath6_0=Smena5.FRM", "RoundRVal=2",
                           "SiloReportSortField=1", "WebRep=1", "WebRepPath0_0=Шапка сменного отчета.html",
                           "WebRepPath2_0=Информация о ТРК.html",
                           "WebRepPath3_0=C:\\DEXE\\FORMS\\WEBREP\\Информация о резервуарах.html",
                           "WebRepPath4_0=Финансовый отчет.html",
                           "WebRepPath5_0=Расшифровка поступления топлива.html"}));
    EXPECT_EQ(loaded(), QStringList({"3:0:C:\\DEXE\\FORMS\\REPORT\\SmenaBeg.FRM",
                                     "3:100:C:\\DEXE\\FORMS\\WEBREP\\Шапка сменного отчета.html",
                                     "4:2:C:\\DEXE\\FORMS\\REPORT\\Smena1.FRM",
                                     "4:102:C:\\DEXE\\FORMS\\WEBREP\\Информация о ТРК.html",
                                     "5:3:C:\\DEXE\\FORMS\\REPORT\\Мой.frm",
                                     "5:103:C:\\DEXE\\FORMS\\WEBREP\\Информация о резервуарах.html",
                                     "9:6:C:\\DEXE\\FORMS\\REPORT\\Smena5.FRM", "9:106:"}));
}

TEST_F(CompositionTest, CopyDeleteAndDragEditTheOrder)
{
    writeCnf({{"Rep0_0", "1"}, {"Rep2_0", "2"}, {"Rep3_0", "3"}, {"Rep17_0", "4"}});
    auto form = build(kShiftReportKind);
    ASSERT_EQ(rows(*form), QStringList({"0:1+", "2:2+", "3:3+", "17:4+"}));
    const int height = form->height();

    // Ctrl+C on the dispensers' box: a copy at the bottom, with the defaults.
    at(*form, 2).box->setFocus();
    at(*form, 2).edit->setText(QStringLiteral("Свой.html"));
    press(*at(*form, 2).box, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(rows(*form), QStringList({"0:1+", "2:2+", "3:3+", "17:4+", "2:5+"}));
    EXPECT_EQ(at(*form, 5).edit->text(), "Информация о ТРК.html");
    EXPECT_EQ(form->height(), height + 25);

    // Dragging: 24 pixels are no step; 25 down exchange with the next row;
    // 60 up from the bottom pass two rows, one exchange at each 25.
    drag(at(*form, 1), 24);
    EXPECT_EQ(rows(*form), QStringList({"0:1+", "2:2+", "3:3+", "17:4+", "2:5+"}));
    drag(at(*form, 1), 25);
    EXPECT_EQ(rows(*form), QStringList({"2:1+", "0:2+", "3:3+", "17:4+", "2:5+"}));
    drag(at(*form, 5), -60);
    EXPECT_EQ(rows(*form), QStringList({"2:1+", "0:2+", "2:3+", "3:4+", "17:5+"})) << "one exchange per step";
    drag(at(*form, 1), -30);
    EXPECT_EQ(rows(*form), QStringList({"2:1+", "0:2+", "2:3+", "3:4+", "17:5+"})) << "nothing above the first";

    // Ctrl+X: the only variant of a section stays; one of two goes, the rows
    // below move up and the focus goes to the row now in its place.
    at(*form, 2).box->setFocus();
    press(*at(*form, 2).box, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(form->VariantCount(), 5);
    at(*form, 1).box->setFocus();
    form->acDelExecute();
    EXPECT_EQ(rows(*form), QStringList({"0:1+", "2:2+", "3:3+", "17:4+"}));
    EXPECT_EQ(form->focusWidget(), at(*form, 1).box);
    EXPECT_EQ(form->height(), height);

    apply(*form);
    EXPECT_EQ(loaded(), QStringList({"1:0:C:\\DEXE\\FORMS\\REPORT\\SmenaBeg.FRM",
                                     "1:100:C:\\DEXE\\FORMS\\WEBREP\\Шапка сменного отчета.html",
                                     "2:2:C:\\DEXE\\FORMS\\REPORT\\Smena1.FRM",
                                     "2:102:C:\\DEXE\\FORMS\\WEBREP\\Информация о ТРК.html",
                                     "3:3:C:\\DEXE\\FORMS\\REPORT\\Smena2.FRM",
                                     "3:103:C:\\DEXE\\FORMS\\WEBREP\\Информация о резервуарах.html", "4:17:",
                                     "4:117:C:\\DEXE\\FORMS\\WEBREP\\Информация по перезагрузкам.html"}));
    const QStringList keys = cnfKeys();
    EXPECT_TRUE(keys.contains("Rep2_0=2")) << "the copy, numbered again from 0";
    EXPECT_FALSE(keys.contains("Rep2_1=5"));
    EXPECT_TRUE(keys.filter(QRegularExpression(QStringLiteral("^RepPath17_0"))).isEmpty()) << "an empty form writes no key";
}

TEST_F(CompositionTest, WithoutTheRightToEditNothingIsCopiedAndTheReloadsSectionStaysOn)
{
    host.privValues[5] = velta::Variant(false);
    writeCnf({{"Rep2_0", "1"}, {"Rep17_0", "2"}});
    auto form = build(kShiftReportKind);
    EXPECT_FALSE(form->findChild<QLabel*>(QStringLiteral("lbHelp"))->isVisible());
    EXPECT_FALSE(at(*form, 1).edit->isEnabled());
    EXPECT_FALSE(at(*form, 1).button->isEnabled());
    at(*form, 1).box->setFocus();
    form->acAddExecute();
    EXPECT_EQ(form->VariantCount(), 2);

    QCheckBox* reloads = at(*form, 2).box;
    const QString refusal = QStringLiteral(
        "Нельзя отключать отчет \"Информация по перезагрузкам\"!\r\n\r\nЕсли Вы хотите изменить порядок следования "
        "отчета,\r\nто перетащите его с помощью правой кнопки мышки.");
    dialogs.expectMessageBox(refusal).withCaption(QStringLiteral("Внимание!")).answer(IDOK);
    reloads->click();
    EXPECT_TRUE(reloads->isChecked());
    // A press with Ctrl, Shift and Alt held lifts the guard.
    QMouseEvent pressed(QEvent::MouseButtonPress, QPointF(5, 5), reloads->mapToGlobal(QPointF(5, 5)), Qt::LeftButton,
                        Qt::LeftButton, Qt::ControlModifier | Qt::ShiftModifier | Qt::AltModifier);
    QApplication::sendEvent(reloads, &pressed);
    reloads->click();
    EXPECT_FALSE(reloads->isChecked());
    dialogs.verify();
}

TEST_F(CompositionTest, MissingTemplatesWarnTwiceAndAreNotWritten)
{
    writeCnf({{"Rep0_0", "1"}, {"WebRepPath0_0", "Нет1.html"}, {"Rep2_0", "2"}, {"WebRepPath2_0", "Нет2.html"},
              {"Rep3_0", "3"}, {"RepPath3_0", "D:\\Нет3.frm"}});
    auto form = build(kShiftReportKind);
    dialogs.expectMessageBox(QStringLiteral("Форма \"C:\\DEXE\\FORMS\\WEBREP\\Нет1.html\" не найдена!"))
        .withCaption(QStringLiteral("Внимание!"))
        .answer(IDOK);
    dialogs
        .expectMessageBox(QStringLiteral("Форма \"C:\\DEXE\\FORMS\\WEBREP\\Нет2.html\" не найдена!\r\nДальнейшая "
                                         "проверка наличия форм отчетов на компьюете \"СЕРВЕР\" прекращена."))
        .withCaption(QStringLiteral("Внимание"))
        .answer(IDOK);
    apply(*form);
    dialogs.verify();
    EXPECT_EQ(form->result(), QDialog::Accepted);
    const QStringList keys = cnfKeys();
    EXPECT_EQ(keys.filter(QRegularExpression(QStringLiteral("^(Web)?RepPath"))),
              QStringList({"RepPath0_0=SmenaBeg.FRM", "RepPath2_0=Smena1.FRM", "WebRepPath3_0=Информация о резервуарах.html"}));
    EXPECT_TRUE(keys.contains("Rep3_0=3"));
}

TEST_F(CompositionTest, FormatSwitchAndPrintFormChoiceOnAClientWorkplace)
{
    host.privValues[15] = velta::Variant(1);
    writeCnf({{"Rep2_0", "1"}, {"RepPath2_0", "Smena1.FRM"}, {"Rep11_0", "2"}});
    {
        TSafeIniFile ini(CnfIniFileName());
        ini.WriteString(QStringLiteral("Reports"), QStringLiteral("AllowOldReports"), QStringLiteral("1"));
    }
    writeFile(QStringLiteral("S:\\DEXE\\FORMS\\REPORT\\x.frm"));
    writeFile(QStringLiteral("S:\\DEXE\\FORMS\\REPORT\\Smena1.FRM"));
    writeFile(QStringLiteral("S:\\DEXE\\FORMS\\WEBREP\\Информация о ТРК.html"));
    auto form = build(kShiftReportKind);
    auto* rbtOld = form->findChild<QRadioButton*>(QStringLiteral("rbtOld"));
    auto* rbtNew = form->findChild<QRadioButton*>(QStringLiteral("rbtNew"));
    EXPECT_TRUE(rbtOld->isVisible());
    EXPECT_TRUE(rbtOld->isChecked()) << "WebRep is missing: the text format";
    TPropFrm::Row& dispensers = at(*form, 1);
    EXPECT_EQ(dispensers.edit->text(), "Smena1.FRM");

    // The dialog starts at the form on drive S:; a form in the default folder
    // comes back as its bare name.
    dialogs.expectOpenFile()
        .when(
            [](const DialogCall& call) {
                return call.file.initialDir == "S:\\DEXE\\FORMS\\REPORT\\" && call.file.fileName == "Smena1.FRM" &&
                       call.file.filter == "Форма отчета (*.frm)|*.frm|Все файлы (*.*)|*.*" &&
                       call.file.fileMustExist;
            },
            QStringLiteral("the text forms of drive S:"))
        .withCaption(QStringLiteral("Выберите форму отчета"))
        .choose(Paths::toNative(QStringLiteral("S:\\DEXE\\FORMS\\REPORT\\x.frm")));
    dispensers.button->click();
    EXPECT_EQ(dispensers.edit->text(), "x.frm");
    // Elsewhere the full path with drive C:; a network folder is refused.
    dialogs.expectOpenFile().choose(QStringLiteral("s:\\OTHER\\y.frm"));
    dispensers.button->click();
    EXPECT_EQ(dispensers.edit->text(), "C:\\OTHER\\y.frm");
    dialogs.expectOpenFile().choose(QStringLiteral("\\\\server\\forms\\z.frm"));
    dialogs.expectMessageBox(QStringLiteral("Нельзя указывать для шаблона отчета сетевой каталог! Допустимо указывать "
                                            "только подключенный к данному компьютеру сетевой диск S, если вы вы "
                                            "находитесь на месте Клиента или Менеджера"))
        .answer(IDOK);
    dispensers.button->click();
    EXPECT_EQ(dispensers.edit->text(), "C:\\OTHER\\y.frm");
    at(*form, 2).button->click(); // section 11 has no form to choose
    dialogs.verify();

    dispensers.edit->setText(QStringLiteral("x.frm"));
    rbtNew->click();
    EXPECT_EQ(dispensers.edit->text(), "Информация о ТРК.html");
    rbtOld->click();
    EXPECT_EQ(dispensers.edit->text(), "x.frm");
    rbtNew->click();

    apply(*form);
    const QStringList keys = cnfKeys();
    EXPECT_TRUE(keys.contains("RepPath2_0=x.frm")) << keys.join(u'|').toStdString();
    EXPECT_TRUE(keys.contains("WebRepPath2_0=Информация о ТРК.html"));
}

TEST_F(CompositionTest, AClientWorkplaceWithoutTheServerFormsFolderKeepsTheWindowOpen)
{
    host.privValues[15] = velta::Variant(2);
    writeCnf({{"Rep2_0", "5"}});
    auto form = build(kShiftReportKind);
    dialogs.expectMessageBox(QStringLiteral("Не найден каталог \"S:\\DEXE\\FORMS\\\". Убедитесь, что диск \"C:\" "
                                            "\r\nкомпьютера \"СЕРВЕР\" подключен к вашему компьютеру как сетевой диск "
                                            "\"S:\""))
        .withCaption(QStringLiteral("Внимание!"))
        .answer(IDOK);
    apply(*form);
    dialogs.verify();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(cnfKeys(), QStringList{"Rep2_0=5"});
    form->reject();
}

// Every caption gets the width its text needs in the fonts at hand, and the
// controls right of it stand clear of it inside the window.
TEST_F(CompositionTest, NoCaptionIsCutByTheFontsAtHand)
{
    writeCnf({{"Rep14_0", "1"}, {"Rep10_0", "2"}, {"Rep16_0", "3"}});
    auto form = build(kShiftReportKind);
    ASSERT_EQ(form->VariantCount(), 3);
    for (int p = 1; p <= 3; ++p) {
        const TPropFrm::Row& row = at(*form, p);
        SCOPED_TRACE(row.box->text().toStdString());
        EXPECT_GE(row.box->width(), row.box->sizeHint().width());
        EXPECT_GE(row.edit->x(), row.box->x() + row.box->sizeHint().width());
        EXPECT_LE(row.button->mapTo(form.get(), QPoint(row.button->width(), 0)).x(), form->width());
    }

    for (const int kind : {kReturnsKind, kBonusKind}) {
        auto payTypes = build(kind);
        for (QWidget* control : payTypes->findChildren<QWidget*>()) {
            if (!control->isVisible() || !(qobject_cast<QCheckBox*>(control) || qobject_cast<QLabel*>(control)))
                continue;
            SCOPED_TRACE(control->objectName().toStdString());
            EXPECT_GE(control->width(), control->sizeHint().width());
            EXPECT_LE(control->mapTo(payTypes.get(), QPoint(control->width(), 0)).x(), payTypes->width());
        }
        payTypes->reject();
    }
}

// A composition the window failed to build is not the stored one: "Применить"
// repeats the error and cnf.ini stays byte for byte.
TEST_F(CompositionTest, AnErrorWhileBuildingKeepsTheStoredCompositionWhole)
{
    writeCnf({{"Rep0_0", "2"}, {"Rep2_0", "1"}, {"RepPath2_0", "Smena1.FRM"}, {"Rep2_1", "-3"},
              {"WebRepPath3_0", "Свой.html"}, {"RoundRVal", "1"}});
    const QString cnf = Paths::toNative(CnfIniFileName());
    const QByteArray before = test::readFileBytes(cnf);
    host.failingPrivValues.insert(5);
    const QString error = QStringLiteral("Ошибка при открытии окна настроек сменного отчета: user value 5 failed");
    dialogs.expectMessageBox(error).withCaption(QStringLiteral("Внимание!")).answer(IDOK);
    auto form = build(kShiftReportKind);
    EXPECT_FALSE(form->findChild<QPushButton*>(QStringLiteral("BitBtn1"))->isEnabled());
    dialogs.expectMessageBox(error).withCaption(QStringLiteral("Внимание!")).answer(IDOK);
    form->BitBtn1Click();
    dialogs.verify();
    EXPECT_TRUE(form->isVisible());
    EXPECT_EQ(test::readFileBytes(cnf), before);
}

// Saving replaces the composition in one change of cnf.ini: a reader on
// another thread, holding the lock as the shift reports do, sees the old
// composition or the new one whole, never the keys half removed or written.
TEST_F(CompositionTest, AReaderNeverSeesAHalfWrittenComposition)
{
    writeCnf({{"Rep0_0", "1"}, {"Rep2_0", "2"}, {"Rep3_0", "3"}, {"Rep4_0", "4"}, {"Rep5_0", "5"}});
    const QStringList first = loaded();
    auto form = build(kShiftReportKind);
    std::atomic<bool> done{false};
    std::atomic<int> reads{0};
    std::atomic<int> torn{0};
    QStringList second;
    std::thread reader([&] {
        while (!done.load() || reads.load() == 0) {
            const QStringList seen = loaded();
            if (seen.size() != first.size())
                ++torn;
            ++reads;
        }
    });
    // Each save exchanges two rows: every complete composition has all five sections.
    for (int round = 0; round < 20; ++round) {
        drag(at(*form, 1 + round % 4), 25);
        form->BitBtn1Click();
    }
    done = true;
    reader.join();
    EXPECT_GT(reads.load(), 0);
    EXPECT_EQ(torn.load(), 0);
    EXPECT_EQ(loaded().size(), first.size());
}

} // namespace
