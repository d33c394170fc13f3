// The directory, the edit window and the consignee chooser on a demo station,
// in the host's font (Tahoma 8) and in the platform's own: every label and
// button has the room its text needs; screenshots go to VELTA_SHOTS.
#include "plugin/directories/OrganizationsForm.h"
#include "tests/directories/DirectoryStation.h"
#include "tests/receipts/ReceiptWindowLook.h"

#include <QComboBox>
#include <QLineEdit>
#include <gtest/gtest.h>

namespace velta::directories::test {
namespace {

void settle(QWidget& window)
{
    window.show();
    QCoreApplication::processEvents();
}

class DirectoryLookTest : public DirectoryStationTest, public ::testing::WithParamInterface<bool> {
protected:
    // Shots are kept of the host's look only.
    void shoot(QWidget& window, const QString& name)
    {
        if (GetParam())
            velta::test::saveShot(window, name);
    }
};

TEST_P(DirectoryLookTest, EveryTextHasRoom)
{
    std::unique_ptr<velta::test::HostFontScope> hostFont;
    if (GetParam()) {
        hostFont = std::make_unique<velta::test::HostFontScope>();
        if (!hostFont->active())
            GTEST_SKIP() << "no Tahoma on this machine";
    }

    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([&](QDialog& window) {
        settle(window);
        EXPECT_EQ(velta::test::cutTexts(window), QStringList{});
        shoot(window, QStringLiteral("contragents.png"));

        control<QLineEdit>(window, "edSearchText").setText(QStringLiteral("Северная"));
        dialogs.expectModal(QStringLiteral("TAddEditOrganizationForm")).drive([&](QDialog& editor) {
            settle(editor);
            EXPECT_EQ(velta::test::cutTexts(editor), QStringList{});
            shoot(editor, QStringLiteral("contragent-edit.png"));
            editor.reject();
        });
        press(window, "btnEdit");
        window.reject();
    });
    ShowContragentDirectory(data_->VeltaServer);
    dialogs.verify();

    Variant::Array values;
    dialogs.expectModal(QStringLiteral("TOrganizationsForm")).drive([&](QDialog& window) {
        settle(window);
        EXPECT_EQ(velta::test::cutTexts(window), QStringList{});
        shoot(window, QStringLiteral("consignee-chooser.png"));
        // The hint of another group has its room too.
        auto& groups = control<QComboBox>(window, "cbCTypes");
        groups.setCurrentIndex(groups.findText(QStringLiteral("Плательщики за перевозку ГСМ")));
        QCoreApplication::processEvents();
        EXPECT_EQ(velta::test::cutTexts(window), QStringList{});
        window.reject();
    });
    ChooseContragent(data_->VeltaServer, 3, 0, values);
    dialogs.verify();
}

INSTANTIATE_TEST_SUITE_P(Fonts, DirectoryLookTest, ::testing::Values(false, true),
                         [](const ::testing::TestParamInfo<bool>& info) {
                             return info.param ? std::string("HostFont") : std::string("PlatformFont");
                         });

} // namespace
} // namespace velta::directories::test
