// The on-line drive window and the change-value dialog on Qt's offscreen platform, against the
// drive simulator: the rows from the stored indexes, typed names, the poll seen in the drive's
// trace, a silent and a faulted drive, the commands, the 740-family rules, F1 on a name box and
// the change dialog's flows.
#include "QtTestSupport.h"

#include "OnlineSim.h"

#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/DriveState.h"
#include "tools700/common/Session.h"
#include "tools700/config/StatusText.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/online/VarChange.h"
#include "tools700/online/VarDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/IndicatorLamp.h"
#include "tools700/widgets/Settings.h"

#include <QAccessible>
#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSettings>
#include <QTest>
#include <QTimer>

#include <fstream>

#include <gtest/gtest.h>

using namespace tools700;
using testutil::SimProcess;

namespace {

int IndexOf(const std::string &name, int model = 733)
{
    std::vector<std::string> entries;
    Dictionary().FillVariableList(entries, false, model);
    for (std::size_t i = 0; i < entries.size(); ++i)
        if (entries[i] == name)
            return static_cast<int>(i);
    return -1;
}

double Read(const char *name)
{
    double v = -1;
    EXPECT_EQ(GetVar700(name, &v), 0) << name;
    return v;
}

QString Q(const std::string &s) { return QString::fromStdString(s); }

class VarDlgTest : public testutil::OnlineSimTest {
protected:
    void SetUp() override
    {
        qttest::App();
        UseSerialPort(0);
        SetAxis700(255);
        session.DriveModel = 733;
        dlg = std::make_unique<Tvardlg>(session, messages);
        change = std::make_unique<TVarChange>(messages);
        dlg->SetChangeDialog(change.get());
        connect = QObject::connect(dlg.get(), &Tvardlg::polled, [this] { ++polls; });
    }
    void TearDown() override
    {
        QObject::disconnect(connect);
        dlg.reset();
        change.reset();
    }

    void Store(const std::vector<int> &indexes)
    {
        auto store = OpenSettings();
        store->remove(QLatin1String(kVariablesKey));
        for (std::size_t i = 0; i < indexes.size(); ++i)
            store->setValue(QStringLiteral("%1/Name%2").arg(QLatin1String(kVariablesKey)).arg(i), indexes[i]);
    }
    std::optional<int> Stored(int row)
    {
        auto store = OpenSettings();
        return ReadInt(*store, QStringLiteral("%1/Name%2").arg(QLatin1String(kVariablesKey)).arg(row));
    }
    // Shows the window and waits until every row has been read.
    void ShowAndRefresh()
    {
        dlg->show();
        ASSERT_TRUE(qttest::WaitFor([&] { return !dlg->RefreshPending(); }, 10000));
    }
    // The window's drive work, and what it hands back, have ended.
    void Settle() { ASSERT_TRUE(qttest::Settle([&] { return dlg->DriveBusy(); })); }
    // The change dialog's write has ended (it closed, or stayed with a message).
    void Written() { ASSERT_TRUE(qttest::WaitFor([&] { return !change->Writing(); })); }
    bool WaitPolls(int n, int timeoutMs = 6000)
    {
        const int target = polls + n;
        return qttest::WaitFor([&] { return polls >= target; }, timeoutMs);
    }

    qttest::SettingsFile settings;
    ScriptedMessages messages;
    Session session;
    std::unique_ptr<Tvardlg> dlg;
    std::unique_ptr<TVarChange> change;
    QMetaObject::Connection connect;
    int polls = 0;
};

} // namespace

TEST_F(VarDlgTest, ControlsCaptionsHintsAndAccessibleNames)
{
    EXPECT_EQ(dlg->objectName(), "vardlg");
    EXPECT_EQ(dlg->windowTitle(), "On-Line Drive Configuration");
    EXPECT_EQ(dlg->size(), QSize(692, 375));
    EXPECT_EQ(dlg->GroupBox1->title(), " Variables and Parameters ");
    for (int i = 0; i < 6; ++i) {
        const QString d = QString::number(i);
        ASSERT_EQ(dlg->findChild<QComboBox *>(QStringLiteral("cmbName") + d), dlg->cmbName[i]);
        EXPECT_EQ(dlg->cmbName[i]->toolTip(), "The name of the parameter / variable");
        EXPECT_EQ(dlg->findChild<QLineEdit *>(QStringLiteral("edtShowNum") + d)->toolTip(), "The current value");
        EXPECT_FALSE(dlg->edtShowNum[i]->isEnabled());
        EXPECT_EQ(dlg->edtShowNum[i]->focusPolicy(), Qt::NoFocus);
        EXPECT_EQ(dlg->findChild<QPushButton *>(QStringLiteral("btnChange") + d)->text(), "Change");
        EXPECT_EQ(dlg->findChild<QLabel *>(QStringLiteral("lblShow") + d)->text(), "Current value goes here");
    }
    for (int k = 1; k <= 10; ++k)
        EXPECT_NE(dlg->findChild<TIndicatorLamp *>(QStringLiteral("AbLED%1").arg(k)), nullptr) << k;
    EXPECT_EQ(dlg->AbLED[0]->LitColor(), QColor(255, 0, 0));
    EXPECT_EQ(dlg->AbLED[0]->UnlitColor(), QColor(0x00, 0xFF, 0x40));
    EXPECT_EQ(dlg->AbLEDFault->Caption(), "DRIVE FAULTED!");
    EXPECT_EQ(dlg->grpFaultInfo->title(), " Fault Information ");
    EXPECT_TRUE(dlg->grpFaultInfo->isHidden());
    EXPECT_EQ(dlg->findChild<QLabel *>(QStringLiteral("pnlFault"))->text(), "No communications!");
    EXPECT_TRUE(dlg->pnlFault->isHidden());
    EXPECT_EQ(dlg->btnUserNVLoad->text(), "NV&Load");
    EXPECT_EQ(dlg->btnUserNVSave->toolTip(), "Tells the drive to save its working parameter set in non-volatile memory");
    EXPECT_EQ(dlg->btnUserUnconfigure->text(), "&Unconfigure");
    EXPECT_EQ(dlg->btnSwitch->text(), "S&witch to Scope");
    EXPECT_EQ(dlg->btnSwitch->toolTip(), "Activates the 'Oscilloscope'  and brings it to the front");
    auto *timer = dlg->findChild<QTimer *>(QStringLiteral("Timer2"));
    ASSERT_NE(timer, nullptr);
    EXPECT_EQ(timer->interval(), 1000);
    EXPECT_FALSE(timer->isActive());

    EXPECT_EQ(AccessibilityProblems(dlg.get()), QStringList());
    EXPECT_EQ(AccessibilityProblems(change.get()), QStringList());
    dlg->grpFaultInfo->show();
    EXPECT_EQ(AccessibilityProblems(dlg.get()), QStringList());

    EXPECT_EQ(change->objectName(), "VarChange");
    EXPECT_EQ(change->size(), QSize(366, 207));
    EXPECT_EQ(change->lblMinMax->text(), "Min / Max goes here");
    EXPECT_EQ(change->btnOk->text(), "&Ok");
    EXPECT_TRUE(change->btnOk->isDefault());
    EXPECT_EQ(change->btnCancel->text(), "&Cancel");
    EXPECT_EQ(change->edtNum->toolTip(), "Press ENTER to set new value");
    EXPECT_EQ(change->edtNum->geometry(), change->edtText->geometry());
}

TEST_F(VarDlgTest, RowsComeFromTheStoredIndexesAndGoBackOnHide)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("Kvp", 1.5), 0);
    const int kvp = IndexOf("Kvp"), status = IndexOf("DriveStatus");
    ASSERT_GE(kvp, 0);
    ASSERT_GE(status, 0);
    // Row 2's index lies beyond the list; row 3 has none stored, so rows 3..5 keep entry 0.
    Store({kvp, status, 100000});
    ShowAndRefresh();
    EXPECT_EQ(dlg->cmbName[0]->currentText(), "Kvp");
    EXPECT_EQ(dlg->edtShowNum[0]->text(), Q("1.500 " + UnitText("Kvp")));
    EXPECT_EQ(dlg->lblShow[0]->text(), Q(Dictionary().HelpText("Kvp")));
    EXPECT_TRUE(dlg->btnChange[0]->isEnabled());
    EXPECT_EQ(dlg->cmbName[1]->currentText(), "DriveStatus");
    EXPECT_FALSE(dlg->btnChange[1]->isEnabled()) << "read-only";
    EXPECT_EQ(dlg->cmbName[2]->currentText(), "");
    EXPECT_EQ(dlg->cmbName[2]->currentIndex(), -1);
    EXPECT_EQ(dlg->lblShow[2]->text(), "");
    EXPECT_EQ(dlg->edtShowNum[2]->text(), "");
    EXPECT_FALSE(dlg->btnChange[2]->isEnabled());
    std::vector<std::string> entries;
    Dictionary().FillVariableList(entries, false, 733);
    for (int i = 3; i < 6; ++i)
        EXPECT_EQ(dlg->cmbName[i]->currentText(), Q(entries[0])) << "row " << i;
    EXPECT_FALSE(dlg->btnSwitch->isEnabled()) << "no oscilloscope in this build";

    // A typed name in another letter case is rewritten; Enter refreshes the row.
    dlg->cmbName[3]->setFocus();
    dlg->cmbName[3]->lineEdit()->selectAll();
    QTest::keyClicks(dlg->cmbName[3], QStringLiteral("kvP"));
    QTest::keyClick(dlg->cmbName[3], Qt::Key_Return);
    Settle();
    EXPECT_EQ(dlg->cmbName[3]->currentText(), "Kvp");
    EXPECT_EQ(dlg->cmbName[3]->currentIndex(), kvp);
    EXPECT_FALSE(dlg->cmbName[3]->lineEdit()->hasSelectedText());
    EXPECT_EQ(dlg->edtShowNum[3]->text(), dlg->edtShowNum[0]->text());
    // A name that is no variable.
    dlg->cmbName[4]->setEditText(QStringLiteral("NoSuchThing"));
    dlg->RefreshRow(4);
    Settle();
    EXPECT_EQ(dlg->lblShow[4]->text(), "--- no such symbol  ---");
    EXPECT_FALSE(dlg->btnChange[4]->isEnabled());
    EXPECT_EQ(dlg->edtShowNum[4]->text(), "");
    // Keys never reach a value box.
    dlg->edtShowNum[0]->setEnabled(true);
    QTest::keyClicks(dlg->edtShowNum[0], QStringLiteral("99"));
    EXPECT_EQ(dlg->edtShowNum[0]->text(), Q("1.500 " + UnitText("Kvp")));
    dlg->edtShowNum[0]->setEnabled(false);

    dlg->hide();
    EXPECT_FALSE(dlg->Timer2->isActive());
    EXPECT_EQ(Stored(0), kvp);
    EXPECT_EQ(Stored(1), status);
    EXPECT_EQ(Stored(2), 100000) << "a row whose list does not hold its choice keeps what was stored";
    EXPECT_EQ(Stored(3), kvp);
    EXPECT_EQ(Stored(4), -1) << "a typed name that is no entry, with nothing stored before, is stored as none";
    EXPECT_EQ(Stored(5), 0);
}

// A name typed without Enter: the poll reads it at once, so the row's help label and unit follow
// the text, not the variable the row showed before.
TEST_F(VarDlgTest, ATypedNameRefreshesItsRowWithoutEnter)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("Kvp", 2.5), 0);
    const int velCmd = IndexOf("VelCmd");
    ASSERT_GE(velCmd, 0);
    Store({velCmd});
    ShowAndRefresh();
    ASSERT_EQ(dlg->cmbName[0]->currentText(), "VelCmd");
    dlg->cmbName[0]->setFocus();
    dlg->cmbName[0]->lineEdit()->selectAll();
    QTest::keyClicks(dlg->cmbName[0], QStringLiteral("kvp"));
    Settle(); // the row is read on the window's worker
    EXPECT_EQ(dlg->cmbName[0]->currentText(), "Kvp");
    EXPECT_EQ(dlg->cmbName[0]->lineEdit()->cursorPosition(), 3);
    EXPECT_EQ(dlg->lblShow[0]->text(), Q(Dictionary().HelpText("Kvp")));
    ASSERT_TRUE(WaitPolls(1));
    EXPECT_EQ(dlg->edtShowNum[0]->text(), Q("2.500 " + UnitText("Kvp")));
    dlg->hide();
    EXPECT_EQ(Stored(0), IndexOf("Kvp"));
}

// Without a known model the name lists are empty: closing keeps the rows the user had chosen.
TEST_F(VarDlgTest, ClosingWithAnUnknownModelKeepsTheStoredRows)
{
    const std::vector<int> chosen{IndexOf("Kvp"), IndexOf("VelCmd"), IndexOf("DriveStatus"), 3, 2, 1};
    Store(chosen);
    session.DriveModel = 0;
    dlg->show();
    EXPECT_EQ(dlg->cmbName[0]->count(), 0);
    dlg->hide();
    for (int row = 0; row < 6; ++row)
        EXPECT_EQ(Stored(row), chosen[static_cast<std::size_t>(row)]) << "row " << row;

    // The next drive known brings them back.
    session.DriveModel = 733;
    dlg->show();
    EXPECT_EQ(dlg->cmbName[0]->currentText(), "Kvp");
    EXPECT_EQ(dlg->cmbName[2]->currentText(), "DriveStatus");
    dlg->hide();
}

TEST_F(VarDlgTest, ThePollIsOneExchangeOfThe26NamesOnceASecond)
{
    auto sim = Start({"--model", "733", "--trace-time"});
    Store({IndexOf("Kvp"), IndexOf("VelCmd")});
    ShowAndRefresh();
    sim->ClearTrace();
    ASSERT_TRUE(WaitPolls(3, 8000));
    dlg->hide();
    std::ifstream in(dir.File("trace.txt"));
    std::vector<double> times;
    std::string line;
    while (std::getline(in, line)) {
        std::istringstream fields(line);
        std::string axis, command, names, values, result;
        double ms = 0;
        fields >> axis >> command >> names >> values >> result >> ms;
        EXPECT_EQ(command, "GET_VARS") << "nothing but the poll: " << line;
        const auto split = testutil::Split(names);
        ASSERT_EQ(split.size(), 26u) << line;
        EXPECT_EQ(split[0], "Kvp");
        EXPECT_EQ(split[1], "VelCmd");
        EXPECT_EQ(split[6], "Inputs");
        EXPECT_EQ(split[25], "EncMode");
        times.push_back(ms);
    }
    ASSERT_GE(times.size(), 3u);
    for (std::size_t i = 1; i < times.size(); ++i) {
        EXPECT_GT(times[i] - times[i - 1], 850) << "polls " << i - 1 << " and " << i;
        EXPECT_LT(times[i] - times[i - 1], 1400) << "polls " << i - 1 << " and " << i;
    }
}

TEST_F(VarDlgTest, ASilentDriveShowsNoCommunicationsAndBlinkingLamps)
{
    SimProcess sim({"--model", "733", "--silent"}, dir.File("trace.txt"));
    session.DriveModel = 0;  // no drive known: empty lists, nothing to read before the polls
    dlg->show();
    ASSERT_TRUE(WaitPolls(1));
    EXPECT_TRUE(dlg->pnlFault->isVisible());
    EXPECT_FALSE(dlg->grpFaultInfo->isVisible());
    EXPECT_EQ(dlg->lblDrive->text(), "Drive: ?");
    EXPECT_EQ(dlg->lblMotor->text(), "Motor: ?");
    EXPECT_EQ(dlg->lblOpMode->text(), "Mode:  ?");
    EXPECT_EQ(dlg->edtShowNum[0]->text(), "NO RESPONSE");
    EXPECT_EQ(dlg->cmbName[0]->count(), 0);
    std::vector<bool> lit;
    for (TIndicatorLamp *lamp : dlg->AbLED) {
        EXPECT_EQ(lamp->Caption(), "?");
        lit.push_back(lamp->IsLit());
        // Heard as "?", not only as a lamp that is on or off.
        QAccessibleInterface *iface = QAccessible::queryAccessibleInterface(lamp);
        EXPECT_EQ(iface->text(QAccessible::Value), "?");
        ASSERT_NE(iface->textInterface(), nullptr);
        EXPECT_EQ(iface->textInterface()->text(0, 1), "?");
    }
    // The rows' help labels are empty (no list without a model): announced as nothing, not with
    // their group box's title.
    for (QLabel *help : dlg->lblShow) {
        EXPECT_EQ(help->text(), "");
        EXPECT_EQ(QAccessible::queryAccessibleInterface(help)->text(QAccessible::Name), "");
    }
    EXPECT_EQ(AccessibilityProblems(dlg.get()), QStringList());
    ASSERT_TRUE(WaitPolls(1));
    for (int k = 0; k < 10; ++k)
        EXPECT_NE(dlg->AbLED[k]->IsLit(), lit[static_cast<std::size_t>(k)]) << "lamp " << k + 1 << " blinks";
    dlg->hide();
}

TEST_F(VarDlgTest, AFaultedDriveShowsTheFaultAndResetsItAroundAMappedInput)
{
    auto sim = Start({"--model", "733", "--configured", "--fault", "2,3"});
    ASSERT_EQ(PutVar700("InpMap1", 0), 0);
    ASSERT_EQ(PutVar700("InpMap3", 32769), 0);
    dlg->show();
    ASSERT_TRUE(WaitPolls(1));
    EXPECT_TRUE(dlg->grpFaultInfo->isVisible());
    EXPECT_FALSE(dlg->pnlFault->isVisible());
    EXPECT_TRUE(dlg->AbLEDFault->IsLit());
    EXPECT_EQ(dlg->lblFaultCode->text(), Q(EnumText("FaultCode", 2)));
    EXPECT_EQ(dlg->lblExtFault->text(), Q(EnumText("ExtFault", 3)));
    EXPECT_EQ(dlg->AbLED[2]->toolTip(), "Inp3 is mapped to Fault Reset (hi)");
    EXPECT_EQ(dlg->lblDrive->text(), "Drive: SV733");

    sim->ClearTrace();
    messages.Queue(Answer::Yes);
    dlg->btnResetFault->click();
    EXPECT_FALSE(dlg->btnResetFault->isEnabled()) << "while the reset runs";
    ASSERT_TRUE(qttest::WaitFor([&] { return dlg->btnResetFault->isEnabled(); }));
    ASSERT_EQ(messages.texts().size(), 1u);
    EXPECT_EQ(messages.texts()[0],
              "Whoops!  FaultReset is currently mapped to Inp3!\n\nDo you want to temporarily override this mapping?");
    std::vector<std::string> writes;
    for (const std::string &r : Requests(*sim))
        if (r.rfind("PUT", 0) == 0)
            writes.push_back(r);
    EXPECT_EQ(writes, (std::vector<std::string>{"PUT_INT InpMap3 0", "PUT_INT FaultReset 1", "PUT_INT FaultReset 0",
                                                "PUT_INT InpMap3 32769"}));
    ASSERT_TRUE(WaitPolls(1));
    EXPECT_FALSE(dlg->grpFaultInfo->isVisible()) << "the fault is reset";
    dlg->hide();
}

TEST_F(VarDlgTest, CommandsShowTheirOutcomeWhileThePollsGoOn)
{
    std::vector<bool> monitor;
    session.SetStatusPolling([&](bool on) { monitor.push_back(on); });
    {
        // NV save needs the drive first.
        session.DriveModel = 0;
        dlg->show();
        dlg->btnUserNVSave->click();
        Settle();
        ASSERT_EQ(messages.shown().size(), 1u);
        EXPECT_EQ(messages.shown()[0].kind, BoxKind::Warning);
        EXPECT_EQ(messages.texts()[0], "Unable to communicate with drive!");
        EXPECT_TRUE(monitor.empty());
        dlg->hide();
    }
    auto sim = Start({"--model", "733"});
    session.DriveModel = 733;
    ShowAndRefresh();
    // The timer's events are served during the second the button shows its outcome.
    QString during;
    QTimer::singleShot(700, [&] { during = dlg->btnUserNVSave->text(); });
    dlg->btnUserNVSave->click();
    ASSERT_TRUE(qttest::WaitFor([&] { return monitor.size() == 2; }, 5000));
    EXPECT_EQ(during, "Ok!");
    EXPECT_EQ(dlg->btnUserNVSave->text(), "NV&Save") << "the caption comes back";
    EXPECT_EQ(monitor, (std::vector<bool>{false, true}));
    bool saved = false;
    for (const std::string &r : Requests(*sim))
        saved = saved || r == "EXEC NVSave -";
    EXPECT_TRUE(saved);
    dlg->hide();
}

TEST_F(VarDlgTest, SercosControlHidesChangeAndNvCommandsAndTheMainWindowHidesUnconfigure)
{
    auto sim = Start({"--model", "743"});
    session.DriveModel = 743;
    session.SerialControl = false;
    dlg->FormActivate();
    for (QPushButton *b : dlg->btnChange)
        EXPECT_TRUE(b->isHidden());
    EXPECT_FALSE(dlg->btnUserNVLoad->isEnabled());
    EXPECT_FALSE(dlg->btnUserNVSave->isEnabled());
    session.SerialControl = true;
    dlg->FormActivate();
    EXPECT_FALSE(dlg->btnChange[0]->isHidden());
    EXPECT_TRUE(dlg->btnUserNVSave->isEnabled());
    // NV load of a SERCOS-capable drive asks first; No loads nothing.
    sim->ClearTrace();
    messages.Queue(Answer::No);
    dlg->btnUserNVLoad->click();
    ASSERT_EQ(messages.shown().size(), 1u);
    EXPECT_EQ(messages.shown()[0].kind, BoxKind::Confirmation);
    EXPECT_TRUE(sim->Trace().empty());
    // Back under SERCOS control, then a drive of the 730 family: the controls come back.
    session.SerialControl = false;
    dlg->FormActivate();
    session.DriveModel = 733;
    dlg->FormActivate();
    EXPECT_FALSE(dlg->btnChange[0]->isHidden());
    EXPECT_TRUE(dlg->btnUserNVLoad->isEnabled());

    // The main window's status update offers Unconfigure only outside the 740 family.
    QTemporaryDir folder;
    TMainForm main(session, messages, folder.filePath(QStringLiteral("Tools700")), {});
    QObject::connect(&main, &TMainForm::userUnconfigureVisibleChanged, dlg.get(), &Tvardlg::SetUnconfigureVisible);
    main.UpdateStatus("Status: Axis 1  Disabled", ReadStatus(true));
    EXPECT_EQ(session.DriveModel, 743);
    EXPECT_TRUE(dlg->btnUserUnconfigure->isHidden());
    EXPECT_TRUE(session.ControlSwitchShown);
    sim.reset();
    sim = Start({"--model", "733"});
    main.UpdateStatus("Status: Axis 1  Disabled", ReadStatus(true));
    EXPECT_EQ(session.DriveModel, 733);
    EXPECT_FALSE(dlg->btnUserUnconfigure->isHidden());
}

TEST_F(VarDlgTest, F1OnANameBoxSearchesTheHelpForItsVariable)
{
    auto sim = Start({"--model", "733"});
    AppHelp().SetHelpFolder(QStringLiteral(TOOLS700_BIN_DIR "/help"));
    Store({IndexOf("Kvp")});
    ShowAndRefresh();
    dlg->activateWindow();
    dlg->cmbName[0]->setFocus();
    ASSERT_TRUE(qttest::WaitFor([&] { return dlg->FocusedName() == "Kvp"; }));
    QTest::keyClick(dlg->cmbName[0], Qt::Key_F1);
    ASSERT_TRUE(qttest::WaitFor([&] { return AppHelp().isVisible(); }));
    EXPECT_TRUE(AppHelp().CurrentFile().endsWith(QStringLiteral("variables.html"))) << AppHelp().CurrentFile().toStdString();
    EXPECT_TRUE(AppHelp().ShownKeywords().contains(QStringLiteral("Kvp")));
    AppHelp().hide();
    dlg->btnUserNVLoad->setFocus();
    EXPECT_EQ(dlg->FocusedName(), "");
    dlg->hide();
}

TEST_F(VarDlgTest, TheChangeDialogWritesNumbersAndKeepsItselfOpenOnErrors)
{
    auto sim = Start({"--model", "733"});
    change->Prepare(QStringLiteral("Kvp"), QStringLiteral("0.000"));
    change->show();
    EXPECT_EQ(change->windowTitle(), "Kvp");
    EXPECT_EQ(change->lblShow->text(), "Enter new value for Kvp");
    EXPECT_EQ(change->lblHint->text(), Q(Dictionary().HelpText("Kvp")));
    EXPECT_EQ(change->lblMinMax->text(), Q(Dictionary().BoundsText("Kvp")));
    EXPECT_TRUE(change->edtNum->isVisible());
    EXPECT_FALSE(change->edtText->isVisible());
    EXPECT_FALSE(change->edtText->isEnabled());
    EXPECT_EQ(change->edtNum->selectedText(), "0.000");
    ASSERT_TRUE(qttest::WaitFor([&] { return change->edtNum->hasFocus(); }));
    QTest::keyClicks(change->edtNum, QStringLiteral("3.5"));
    QTest::keyClick(change->edtNum, Qt::Key_Return);  // Enter presses OK
    Written();
    EXPECT_FALSE(change->isVisible());
    EXPECT_EQ(change->result(), QDialog::Accepted);
    EXPECT_FLOAT_EQ(static_cast<float>(Read("Kvp")), 3.5f);

    // A refused value: the message, and the dialog stays open.
    change->Prepare(QStringLiteral("ElecAngTau"), QStringLiteral("30000"));
    change->setResult(0);
    change->show();
    change->edtNum->setText(QStringLiteral("70000"));
    change->btnOk->click();
    Written();
    EXPECT_TRUE(change->isVisible());
    EXPECT_NE(change->result(), QDialog::Accepted);
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_EQ(messages.texts().back(), VarStatusText(66, "ElecAngTau"));
    EXPECT_EQ(messages.shown().back().kind, BoxKind::Plain);
    change->edtNum->setText(QStringLiteral("many"));
    change->btnOk->click();
    Written();
    EXPECT_EQ(messages.texts().back(), "'many' is not a valid floating point value");
    EXPECT_TRUE(change->isVisible());
    change->btnCancel->click();
    EXPECT_EQ(change->result(), QDialog::Rejected);
    EXPECT_EQ(Read("ElecAngTau"), 30000);
}

TEST_F(VarDlgTest, TheChangeDialogPicksEnumeratedValuesUnderTheFeedbackRules)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("RemoteFB", 0), 0);
    change->Prepare(QStringLiteral("CommSrc"), Q(EnumText("CommSrc", 0)));
    change->show();
    EXPECT_TRUE(change->edtText->isVisible());
    EXPECT_FALSE(change->edtNum->isVisible());
    EXPECT_FALSE(change->edtNum->isEnabled());
    EXPECT_EQ(change->lblMinMax->text(), "");
    EXPECT_EQ(change->edtText->currentText(), Q(EnumText("CommSrc", 0)));
    change->edtText->setCurrentIndex(EnumIndex("CommSrc", 1));
    change->btnOk->click();
    Written();
    EXPECT_EQ(change->result(), QDialog::Accepted);
    EXPECT_EQ(Read("CommSrc"), 1);
    EXPECT_EQ(Read("RemoteFB"), 2) << "encoder feedback";

    // RemoteFB cannot change while CommSrc is not the resolver; the dialog closes with OK.
    change->Prepare(QStringLiteral("RemoteFB"), QStringLiteral("NO RESPONSE"));
    EXPECT_EQ(change->edtText->currentIndex(), EnumIndex("RemoteFB", HasEnum("RemoteFB")->endValue));
    change->show();
    change->edtText->setCurrentIndex(EnumIndex("RemoteFB", 1));
    change->btnOk->click();
    Written();
    EXPECT_EQ(change->result(), QDialog::Accepted);
    EXPECT_EQ(messages.texts().back(), "This value can't be changed, because it is related with CommSrc");
    EXPECT_EQ(Read("RemoteFB"), 2);
}

TEST_F(VarDlgTest, ChangeInARowWritesRefreshesAndRestartsTheWindow)
{
    auto sim = Start({"--model", "733"});
    const int kvp = IndexOf("Kvp");
    Store({kvp});
    ShowAndRefresh();
    bool sawDialog = false;
    QTimer::singleShot(100, [&] {
        auto *d = qobject_cast<TVarChange *>(QApplication::activeModalWidget());
        if (!d)
            return;
        sawDialog = d->windowTitle() == "Kvp" && d->edtNum->text() == "0.000";
        d->edtNum->setText(QStringLiteral("4.25"));
        d->btnOk->click();
    });
    // Should the dialog not open as expected, it is closed so the test can go on.
    QTimer::singleShot(3000, [&] {
        if (auto *d = qobject_cast<TVarChange *>(QApplication::activeModalWidget()))
            d->reject();
    });
    dlg->btnChange[0]->click();
    EXPECT_TRUE(sawDialog);
    EXPECT_FLOAT_EQ(static_cast<float>(Read("Kvp")), 4.25f);
    ASSERT_TRUE(qttest::WaitFor([&] { return !dlg->RefreshPending(); }));
    EXPECT_EQ(dlg->edtShowNum[0]->text(), Q("4.250 " + UnitText("Kvp")));
    EXPECT_EQ(dlg->RowValueText(0), "4.250");
    EXPECT_TRUE(dlg->Timer2->isActive());
    EXPECT_EQ(Stored(0), kvp);
    dlg->hide();
}
