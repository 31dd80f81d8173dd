// The main window and the port dialog as a screen reader or a test robot sees them through Qt's
// accessibility interfaces: every control named, the control-mode switch a toggle button that
// reports its position and runs the program's handler, the port buttons' toggle opening the port.
#include "QtTestSupport.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/RockerSwitch.h"
#include "tools700/widgets/Settings.h"

#include <QAccessible>
#include <QAccessibleActionInterface>
#include <QLineEdit>
#include <QRadioButton>
#include <QTemporaryDir>

#include <gtest/gtest.h>

using namespace tools700;

namespace {

QAccessibleInterface *Iface(QObject *o) { return QAccessible::queryAccessibleInterface(o); }

class AccessibilityTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        UseSerialPort(0);
        SetAxis700(255);
    }
    void TearDown() override { UseSerialPort(0); }

    qttest::SettingsFile settings;
    QTemporaryDir dir;
    ScriptedMessages messages;
    Session session;
};

TEST_F(AccessibilityTest, EveryControlOfTheMainWindowHasAName)
{
    TMainForm form(session, messages, dir.filePath(QStringLiteral("Tools700")), {});
    form.show();
    EXPECT_EQ(AccessibilityProblems(&form), QStringList());

    // Buttons are named by their captions, the switch by its label.
    EXPECT_EQ(Iface(form.bbtnUpload)->text(QAccessible::Name), "Upload");
    EXPECT_EQ(Iface(form.swt740Mode)->text(QAccessible::Name), "Control Mode Switch");
    form.hide();
}

TEST_F(AccessibilityTest, TheControlModeSwitchReportsItsPositionAndPressesLikeAClick)
{
    TMainForm form(session, messages, dir.filePath(QStringLiteral("Tools700")), {});
    TRockerSwitch *sw = form.swt740Mode;
    QAccessibleInterface *iface = Iface(sw);
    ASSERT_NE(iface, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Button);
    EXPECT_TRUE(iface->state().checkable);
    EXPECT_FALSE(iface->state().checked);
    EXPECT_EQ(iface->text(QAccessible::Value), "SERCOS Control");
    sw->SetOn(true);
    EXPECT_TRUE(iface->state().checked);
    EXPECT_EQ(iface->text(QAccessible::Value), "Serial Control");

    // Both actions run the program's handler, which decides the position: here, with no drive,
    // it refuses and leaves the switch where it was.
    QAccessibleActionInterface *actions = iface->actionInterface();
    ASSERT_NE(actions, nullptr);
    EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::pressAction()));
    EXPECT_TRUE(actions->actionNames().contains(QAccessibleActionInterface::toggleAction()));
    int clicks = 0;
    QObject::connect(sw, &TRockerSwitch::clicked, [&] { ++clicks; });
    actions->doAction(QAccessibleActionInterface::toggleAction());
    actions->doAction(QAccessibleActionInterface::pressAction());
    EXPECT_EQ(clicks, 2);
    ASSERT_TRUE(qttest::Settle([&] { return form.DriveBusy(); }));
    ASSERT_EQ(messages.texts().size(), 2u);
    EXPECT_EQ(messages.texts()[0], "There are some communication problems, so we can't switch the control mode now");
    EXPECT_TRUE(sw->IsOn());
}

TEST_F(AccessibilityTest, ThePortDialogIsNamedAndItsToggleActionOpensThePort)
{
    qttest::DriveSim sim({"--pty", "--model", "733", "--axes", "1"});
    ASSERT_FALSE(sim.ptyPath().empty());
    {
        auto store = OpenSettings();
        StorePortDevice(*store, 2, QString::fromStdString(sim.ptyPath()));
    }
    TComportDlg dlg(messages);
    dlg.show();
    EXPECT_EQ(AccessibilityProblems(&dlg), QStringList());
    EXPECT_EQ(Iface(dlg.edtAddress())->text(QAccessible::Name), "Axis Address");
    ASSERT_TRUE(dlg.rdiPort(2)->isEnabled());
    ASSERT_FALSE(dlg.rdiPort(2)->isChecked());

    QAccessibleActionInterface *actions = Iface(dlg.rdiPort(2))->actionInterface();
    ASSERT_NE(actions, nullptr);
    actions->doAction(QAccessibleActionInterface::toggleAction());
    ASSERT_TRUE(qttest::Settle([&] { return dlg.DriveBusy(); }));
    EXPECT_TRUE(dlg.rdiPort(2)->isChecked());
    EXPECT_EQ(dlg.Port(), 2);
    double axis = 0;
    EXPECT_EQ(GetVar700("AxisAddr", &axis), 0);  // the line goes to the drive on port 2 now
    EXPECT_EQ(axis, 1);

    // The axis choices too: toggling "Select Axis" runs its handler (address 1, edit enabled).
    Iface(dlg.rdiSelect())->actionInterface()->doAction(QAccessibleActionInterface::toggleAction());
    EXPECT_TRUE(dlg.edtAddress()->isEnabled());
    EXPECT_EQ(dlg.edtAddress()->text(), "1");
    EXPECT_EQ(dlg.Axis(), 1);
    dlg.hide();
}

} // namespace
