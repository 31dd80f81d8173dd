// The Drives on the Line window on Qt's offscreen platform against drivesim playing a line of
// drives: the table filled by a scan and read by a screen reader, a selected drive becoming the
// current axis of the main window, a drive going silent, and the address, backup and restore
// flows started from the window.
#include "QtTestSupport.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/common/Session.h"
#include "tools700/machine/AddressChange.h"
#include "tools700/machine/BackupManifest.h"
#include "tools700/machine/DrivesOnLine.h"
#include "tools700/shell/ComportDlg.h"
#include "tools700/shell/MainForm.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Settings.h"

#include <QAccessible>
#include <QAction>
#include <QCheckBox>
#include <QFileInfo>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>

#include <csignal>

#include <gtest/gtest.h>

using namespace tools700;
using qttest::DriveSim;

namespace {

class DrivesOnLineTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        qttest::App();
        UseSerialPort(0);  // the simulator channel
        line::SetAxis700(255);
    }
    // Scans `axes` and waits for the scan to end.
    void Scan(TDrivesOnLine &w, const char *axes)
    {
        w.edtAxes->setText(QString::fromLatin1(axes));
        w.btnScan->click();
        ASSERT_TRUE(qttest::WaitFor([&] { return !w.Busy(); }, 20000));
    }
    static QString Cell(const TDrivesOnLine &w, int row, int column)
    {
        const QTableWidgetItem *item = w.tblDrives->item(row, column);
        return item ? item->text() : QString();
    }
    static void WaitIdle(TDrivesOnLine &w) { ASSERT_TRUE(qttest::WaitFor([&] { return !w.Busy(); }, 20000)); }

    qttest::SettingsFile settings;
    QTemporaryDir dir;
    ScriptedMessages messages;
    Session session;
};

} // namespace

TEST_F(DrivesOnLineTest, TheTableIsReadableAndASelectedDriveBecomesTheCurrentAxis)
{
    DriveSim sim({"--axes", "1:733,3:743,7:1735", "--serial-control"});
    ASSERT_TRUE(sim.Ready());
    TMainForm form(session, messages, dir.filePath(QStringLiteral("Tools700")), QStringList{});
    TComportDlg port(messages, &form);
    form.SetComportDlg(&port);
    TDrivesOnLine w(session, messages, &form);
    session.Register(Window::DrivesOnLine, [&] { w.show(); });
    form.FormActivate();
    // The automatic axis reaches the first drive of the line.
    ASSERT_TRUE(qttest::WaitFor([&] { return form.PanelText(2).startsWith(QStringLiteral("Status: Axis 1  ")); }, 8000))
        << form.PanelText(2).toStdString();

    ASSERT_TRUE(form.mnuDrivesOnLine->isEnabled());
    form.mnuDrivesOnLine->trigger();
    ASSERT_TRUE(w.isVisible());
    EXPECT_EQ(w.windowTitle(), "Drives on the Line");
    EXPECT_EQ(w.edtAxes->text(), "1..32");
    Scan(w, "1..8");
    ASSERT_EQ(w.ListedAxes(), (std::vector<int>{1, 3, 7}));
    EXPECT_EQ(w.lblStatus->text(), "3 drives found");
    EXPECT_EQ(Cell(w, 0, TDrivesOnLine::colDrive), "SV733");
    EXPECT_EQ(Cell(w, 1, TDrivesOnLine::colDrive), "SV743");
    EXPECT_EQ(Cell(w, 1, TDrivesOnLine::colControl), "Serial Control Mode");
    EXPECT_EQ(Cell(w, 0, TDrivesOnLine::colControl), "");
    EXPECT_EQ(Cell(w, 2, TDrivesOnLine::colDrive), "SVE735");
    EXPECT_EQ(Cell(w, 2, TDrivesOnLine::colFirmware), "103");
    EXPECT_EQ(Cell(w, 2, TDrivesOnLine::colHardware), "2");
    EXPECT_FALSE(Cell(w, 0, TDrivesOnLine::colMode).isEmpty());
    EXPECT_EQ(w.ChosenAxes(), (std::vector<int>{1, 3, 7})) << "every drive found is ticked for a backup";

    // A screen reader reads the table cell by cell, with the column titles.
    QAccessibleInterface *table = QAccessible::queryAccessibleInterface(w.tblDrives);
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(table->text(QAccessible::Name), "Drives on the Line");
    QAccessibleTableInterface *cells = table->tableInterface();
    ASSERT_NE(cells, nullptr);
    EXPECT_EQ(cells->rowCount(), 3);
    EXPECT_EQ(cells->columnCount(), static_cast<int>(TDrivesOnLine::kColumns));
    QAccessibleInterface *drive = cells->cellAt(1, TDrivesOnLine::colDrive);
    ASSERT_NE(drive, nullptr);
    EXPECT_EQ(drive->text(QAccessible::Name), "SV743");
    ASSERT_NE(drive->tableCellInterface(), nullptr);
    // Qt makes the header cells it returns here anew and leaves them to the caller; registering
    // one is the way to delete it.
    const QList<QAccessibleInterface *> header = drive->tableCellInterface()->columnHeaderCells();
    ASSERT_EQ(header.size(), 1);
    EXPECT_EQ(header.front()->text(QAccessible::Name), "Drive");
    for (QAccessibleInterface *cell : header)
        QAccessible::deleteAccessibleInterface(QAccessible::registerAccessibleInterface(cell));
    EXPECT_EQ(AccessibilityProblems(&w), QStringList());

    // Selecting the drive at axis 3 (here through the accessibility interface) makes it the
    // current axis: the link, the port dialog and the settings file have it, the status bar follows.
    ASSERT_TRUE(cells->selectRow(1));
    EXPECT_EQ(w.lblStatus->text(), "Axis 3 is the current axis");
    EXPECT_EQ(port.Axis(), 3);
    ASSERT_TRUE(qttest::Settle([&] { return port.DriveBusy(); }));
    EXPECT_EQ(SelectedAxis(), 3);
    EXPECT_EQ(ReadInt(*OpenSettings(), QStringLiteral("%1/Axis").arg(QLatin1String(kCommKey))), 3);
    EXPECT_TRUE(qttest::WaitFor([&] { return form.PanelText(2).startsWith(QStringLiteral("Status: Axis 3  ")); }, 8000))
        << form.PanelText(2).toStdString();
    EXPECT_EQ(form.PanelText(0), "Drive: SV743");

    // The live status goes on reading every drive while the window is shown.
    const long reads = w.LiveReads();
    EXPECT_TRUE(qttest::WaitFor([&] { return w.LiveReads() >= reads + 3; }, 8000));
    w.close();
    form.FormClose();
}

TEST_F(DrivesOnLineTest, ADriveGoingSilentShowsNoConnectionUntilItAnswersAgain)
{
    DriveSim sim({"--axes", "1:733,2:743"});
    ASSERT_TRUE(sim.Ready());
    TDrivesOnLine w(session, messages);
    w.show();
    Scan(w, "1..3");
    ASSERT_EQ(w.ListedAxes(), (std::vector<int>{1, 2}));
    const long reads = w.LiveReads();
    ASSERT_TRUE(qttest::WaitFor([&] { return w.LiveReads() >= reads + 2; }, 8000));
    EXPECT_NE(Cell(w, 0, TDrivesOnLine::colStatus), "No connection");

    kill(sim.Pid(), SIGUSR1);  // the drives stop answering
    EXPECT_TRUE(qttest::WaitFor(
        [&] {
            return Cell(w, 0, TDrivesOnLine::colStatus) == "No connection" &&
                   Cell(w, 1, TDrivesOnLine::colStatus) == "No connection";
        },
        10000));
    EXPECT_EQ(Cell(w, 1, TDrivesOnLine::colDrive), "SV743") << "the row keeps what the drive told before";
    EXPECT_EQ(AccessibilityProblems(&w), QStringList());

    kill(sim.Pid(), SIGUSR2);  // and answer again
    EXPECT_TRUE(qttest::WaitFor(
        [&] {
            return Cell(w, 0, TDrivesOnLine::colStatus) != "No connection" &&
                   Cell(w, 1, TDrivesOnLine::colStatus) != "No connection";
        },
        10000));
    w.close();
}

TEST_F(DrivesOnLineTest, AnAddressABackupAndADryRunRestoreFromTheWindow)
{
    DriveSim sim({"--axes", "1:733,2:743"});
    ASSERT_TRUE(sim.Ready());
    TDrivesOnLine w(session, messages);
    w.show();
    Scan(w, "1..3");
    ASSERT_EQ(w.ListedAxes(), (std::vector<int>{1, 2}));
    w.tblDrives->selectRow(1);
    ASSERT_TRUE(qttest::WaitFor([&] { return SelectedAxis() == 2; }));

    // An address another drive answers at is refused, and nothing moves.
    w.edtNewAddress->setText(QStringLiteral("1"));
    w.btnSetAddress->click();
    WaitIdle(w);
    ASSERT_FALSE(messages.texts().empty());
    EXPECT_EQ(messages.texts().back(), "Axis 1 is already taken on this line by an SV733; choose a free address");
    EXPECT_EQ(w.ListedAxes(), (std::vector<int>{1, 2}));

    // A free one: the drive moves, the NV save is asked there, and the current axis follows it.
    messages.Queue(Answer::Yes);
    w.edtNewAddress->setText(QStringLiteral("5"));
    w.btnSetAddress->click();
    WaitIdle(w);
    EXPECT_EQ(messages.texts().back(), machine::NvSaveAddressQuestion(5));
    EXPECT_EQ(w.ListedAxes(), (std::vector<int>{1, 5}));
    EXPECT_TRUE(qttest::WaitFor([&] { return SelectedAxis() == 5; }));
    EXPECT_TRUE(w.txtReport->toPlainText().contains(QStringLiteral("moved from axis 2 to axis 5")))
        << w.txtReport->toPlainText().toStdString();

    // The backup of both drives into a folder, then a dry run of its restore: nothing differs.
    const QString folder = dir.filePath(QStringLiteral("machine"));
    w.SetFolderChooser([&](const QString &) { return folder; });
    w.btnBackup->click();
    WaitIdle(w);
    EXPECT_EQ(w.lblStatus->text(), "Backup: 2 backed up, 0 failed");
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/axis-01-SV733.cfg")));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/axis-05-SV743.cfg")));
    EXPECT_TRUE(QFileInfo::exists(folder + QStringLiteral("/") + QLatin1String(machine::kManifestName)));

    w.chkDryRun->setChecked(true);
    w.btnRestore->click();
    WaitIdle(w);
    EXPECT_EQ(w.lblStatus->text(), "Dry run: 2 unchanged, 0 differ, 0 skipped, 0 failed");
    EXPECT_EQ(AccessibilityProblems(&w), QStringList());

    // With no drive ticked, neither starts.
    for (int r = 0; r < w.tblDrives->rowCount(); ++r)
        w.tblDrives->item(r, TDrivesOnLine::colAxis)->setCheckState(Qt::Unchecked);
    w.btnBackup->click();
    EXPECT_EQ(messages.texts().back(), "Tick the drives to back up first");
    w.btnRestore->click();
    EXPECT_EQ(messages.texts().back(), "Tick the drives to restore first");
    EXPECT_FALSE(w.Busy());
    w.close();
}
