// The inertia ratio dialog: it shows the kept ratio with at most two decimals, keeps what the
// user types, refuses a text that is not a number and stays open for it.
#include "QtTestSupport.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/widgets/Accessibility.h"

#include <QLineEdit>
#include <QLocale>
#include <QPushButton>

#include <gtest/gtest.h>

using namespace tools700;

TEST(InertiaRDlg, ShowsKeepsAndRefuses)
{
    qttest::App();
    QLocale::setDefault(QLocale::c());
    Session session;
    ScriptedMessages messages;
    TInertiaRDlg dlg(session, messages);
    EXPECT_EQ(dlg.windowTitle(), "Input Inertia Ratio");
    EXPECT_EQ(dlg.edtInertiaR->text(), "1");
    EXPECT_EQ(InertiaRatioText(2.345), "2.35");
    EXPECT_EQ(InertiaRatioText(2.5), "2.5");
    EXPECT_EQ(InertiaRatioText(3), "3");

    session.InertiaRatio = 4.125;
    dlg.SetPurpose(TInertiaRDlg::kWizardRatio);
    dlg.show();
    EXPECT_EQ(dlg.edtInertiaR->text(), "4.13");
    EXPECT_EQ(AccessibilityProblems(&dlg), QStringList());
    dlg.edtInertiaR->setText(QStringLiteral("abc"));
    EXPECT_FALSE(dlg.btnOKClick());
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0], "'abc' is not a valid floating point value.");
    EXPECT_TRUE(dlg.isVisible());
    EXPECT_EQ(session.InertiaRatio, 4.125);
    dlg.edtInertiaR->setText(QStringLiteral("7.5"));
    EXPECT_TRUE(dlg.btnOKClick());
    EXPECT_FALSE(dlg.isVisible());
    EXPECT_EQ(session.InertiaRatio, 7.5);
    // Cancel keeps the ratio.
    dlg.show();
    dlg.edtInertiaR->setText(QStringLiteral("9"));
    dlg.btnCancel->click();
    EXPECT_EQ(session.InertiaRatio, 7.5);
    QLocale::setDefault(QLocale::system());
}
