// The Drives on the Line window's controls and its table of drives: one row per drive found,
// the current axis marked, the axes ticked for a backup or restore.
#include "tools700/machine/DrivesOnLine.h"

#include "tools700/Line.h"
#include "tools700/Session.h"
#include "tools700/machine/AxisList.h"
#include "tools700/machine/LineScan.h"
#include "tools700/machine/LiveStatus.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Controls.h"
#include "tools700/widgets/WindowWorker.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tools700 {

using namespace machine;

namespace {

const char *const kColumnTitles[TDrivesOnLine::kColumns] = {"Axis",   "Drive",    "Operating Mode", "Control Mode",
                                                            "Status", "Firmware", "Hardware"};

QString Version(int version, bool arrived) { return arrived ? QString::number(version) : QString(); }

bool Arrived(const DriveSummary &d, const char *name) { return (d.validMask & SummaryBit(name)) != 0; }

} // namespace

void TDrivesOnLine::BuildControls()
{
    auto *lblAxes = new QLabel(QStringLiteral("&Addresses:"), this);
    lblAxes->setObjectName(QStringLiteral("lblAxes"));
    edtAxes = new QLineEdit(Q(AxisListText(DefaultScanAxes())), this);
    edtAxes->setObjectName(QStringLiteral("edtAxes"));
    edtAxes->setToolTip(QStringLiteral("The addresses to ask, e.g. 1..32 or 1-8,12 (1 to 255)"));
    lblAxes->setBuddy(edtAxes);
    NameControl(edtAxes, QStringLiteral("Addresses"));
    btnScan = new QPushButton(QStringLiteral("&Scan"), this);
    btnScan->setObjectName(QStringLiteral("btnScan"));
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    prgProgress = new QProgressBar(this);
    prgProgress->setObjectName(QStringLiteral("prgProgress"));
    prgProgress->setRange(0, 100);
    prgProgress->setValue(0);
    NameControl(prgProgress, QStringLiteral("Progress"));
    lblStatus = new QLabel(QStringLiteral("Press Scan to find the drives on the line"), this);
    lblStatus->setObjectName(QStringLiteral("lblStatus"));

    BuildDriveTable();

    auto *grpAddress = new QGroupBox(QStringLiteral("Drive Address"), this);
    grpAddress->setObjectName(QStringLiteral("grpAddress"));
    auto *lblNewAddress = new QLabel(QStringLiteral("&New address:"), grpAddress);
    lblNewAddress->setObjectName(QStringLiteral("lblNewAddress"));
    edtNewAddress = new QLineEdit(grpAddress);
    edtNewAddress->setObjectName(QStringLiteral("edtNewAddress"));
    edtNewAddress->setMaxLength(10);
    edtNewAddress->setToolTip(QStringLiteral(
        "The address (1 to 254) for the selected drive, or, with no drive selected, for the drive alone on the line"));
    lblNewAddress->setBuddy(edtNewAddress);
    NameControl(edtNewAddress, QStringLiteral("New address"));
    btnSetAddress = new QPushButton(QStringLiteral("Set A&ddress"), grpAddress);
    btnSetAddress->setObjectName(QStringLiteral("btnSetAddress"));
    auto *addressLayout = new QHBoxLayout(grpAddress);
    addressLayout->addWidget(lblNewAddress);
    addressLayout->addWidget(edtNewAddress);
    addressLayout->addWidget(btnSetAddress);

    auto *grpBackup = new QGroupBox(QStringLiteral("Backup and Restore"), this);
    grpBackup->setObjectName(QStringLiteral("grpBackup"));
    btnBackup = new QPushButton(QStringLiteral("&Backup..."), grpBackup);
    btnBackup->setObjectName(QStringLiteral("btnBackup"));
    btnRestore = new QPushButton(QStringLiteral("&Restore..."), grpBackup);
    btnRestore->setObjectName(QStringLiteral("btnRestore"));
    chkDryRun = new QCheckBox(QStringLiteral("&Dry run (list differences only)"), grpBackup);
    chkDryRun->setObjectName(QStringLiteral("chkDryRun"));
    auto *backupLayout = new QHBoxLayout(grpBackup);
    backupLayout->addWidget(btnBackup);
    backupLayout->addWidget(btnRestore);
    backupLayout->addWidget(chkDryRun);

    txtReport = new QPlainTextEdit(this);
    txtReport->setObjectName(QStringLiteral("txtReport"));
    txtReport->setReadOnly(true);
    txtReport->setMaximumBlockCount(2000);
    NameControl(txtReport, QStringLiteral("Report"));

    btnHelp = new QPushButton(QStringLiteral("&Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    btnClose = new QPushButton(QStringLiteral("&Close"), this);
    btnClose->setObjectName(QStringLiteral("btnClose"));

    connect(btnScan, &QPushButton::clicked, this, [this] { btnScanClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
    connect(btnSetAddress, &QPushButton::clicked, this, [this] { btnSetAddressClick(); });
    connect(btnBackup, &QPushButton::clicked, this, [this] { btnBackupClick(); });
    connect(btnRestore, &QPushButton::clicked, this, [this] { btnRestoreClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { close(); });

    auto *scanRow = new QHBoxLayout;
    scanRow->addWidget(lblAxes);
    scanRow->addWidget(edtAxes, 1);
    scanRow->addWidget(btnScan);
    scanRow->addWidget(btnCancel);
    auto *actions = new QHBoxLayout;
    actions->addWidget(grpAddress);
    actions->addWidget(grpBackup);
    auto *closeRow = new QHBoxLayout;
    closeRow->addStretch(1);
    closeRow->addWidget(btnHelp);
    closeRow->addWidget(btnClose);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(scanRow);
    layout->addWidget(prgProgress);
    layout->addWidget(lblStatus);
    layout->addWidget(tblDrives, 2);
    layout->addLayout(actions);
    layout->addWidget(txtReport, 1);
    layout->addLayout(closeRow);
}

void TDrivesOnLine::BuildDriveTable()
{
    tblDrives = new QTableWidget(0, kColumns, this);
    tblDrives->setObjectName(QStringLiteral("tblDrives"));
    QStringList titles;
    for (const char *t : kColumnTitles)
        titles << QString::fromLatin1(t);
    tblDrives->setHorizontalHeaderLabels(titles);
    tblDrives->verticalHeader()->hide();
    tblDrives->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblDrives->setSelectionMode(QAbstractItemView::SingleSelection);
    tblDrives->setEditTriggers(QAbstractItemView::NoEditTriggers);
    tblDrives->horizontalHeader()->setStretchLastSection(true);
    tblDrives->setMinimumSize(720, 200);
    NameControl(tblDrives, QStringLiteral("Drives on the Line"));
    // One drive is selected at a time: the corner's "select all" has nothing to do, but a screen
    // reader still meets it.
    tblDrives->setCornerButtonEnabled(false);
    for (QAbstractButton *corner : tblDrives->findChildren<QAbstractButton *>())
        NameControl(corner, QStringLiteral("Select all"));
    tblDrives->setAccessibleDescription(
        QStringLiteral("One row per drive; select a row to make its drive the current axis, tick its axis to "
                       "back it up or restore it"));
    // The selection, however it was made (mouse, keyboard, a screen reader's select action), chooses
    // the drive; the window's own changes of the table are made with its signals blocked.
    connect(tblDrives, &QTableWidget::itemSelectionChanged, this, [this] {
        const QList<QTableWidgetItem *> selected = tblDrives->selectedItems();
        if (!selected.isEmpty())
            SelectRow(selected.front()->row());
    });
}

// ---------------------------------------------------------------------------------------------
// The table

std::vector<int> TDrivesOnLine::ListedAxes() const
{
    std::vector<int> axes;
    for (int r = 0; r < tblDrives->rowCount(); ++r)
        axes.push_back(tblDrives->item(r, colAxis)->data(Qt::UserRole).toInt());
    return axes;
}

std::vector<int> TDrivesOnLine::ChosenAxes() const
{
    std::vector<int> axes;
    for (int r = 0; r < tblDrives->rowCount(); ++r)
        if (tblDrives->item(r, colAxis)->checkState() == Qt::Checked)
            axes.push_back(tblDrives->item(r, colAxis)->data(Qt::UserRole).toInt());
    return axes;
}

int TDrivesOnLine::RowOf(int axis) const
{
    for (int r = 0; r < tblDrives->rowCount(); ++r)
        if (tblDrives->item(r, colAxis)->data(Qt::UserRole).toInt() == axis)
            return r;
    return -1;
}

int TDrivesOnLine::AddRow(const DriveSummary &drive)
{
    // A row appearing is not the user choosing a drive.
    const QSignalBlocker block(tblDrives);
    int row = RowOf(drive.axis);
    if (row < 0) {
        row = tblDrives->rowCount();
        tblDrives->insertRow(row);
        for (int c = 0; c < kColumns; ++c) {
            auto *item = new QTableWidgetItem;
            item->setFlags(Qt::ItemIsEnabled | Qt::ItemIsSelectable);
            tblDrives->setItem(row, c, item);
        }
        QTableWidgetItem *axis = tblDrives->item(row, colAxis);
        axis->setFlags(axis->flags() | Qt::ItemIsUserCheckable);
        axis->setCheckState(Qt::Checked);
        axis->setText(QString::number(drive.axis));
        axis->setData(Qt::UserRole, drive.axis);
        axis->setToolTip(QStringLiteral("Ticked: backed up or restored with the others"));
    }
    ShowDrive(row, drive);
    return row;
}

void TDrivesOnLine::ShowDrive(int row, const DriveSummary &drive)
{
    auto set = [&](int column, const QString &text) {
        if (tblDrives->item(row, column)->text() != text)
            tblDrives->item(row, column)->setText(text);
    };
    if (drive.HasModel()) {
        set(colDrive, Q(drive.ModelName()));
        set(colMode, Q(drive.OperatingModeText()));
        set(colControl, Q(drive.ControlModeText()));
        set(colFirmware, Version(drive.firmware, Arrived(drive, "FwV")));
        set(colHardware, Version(drive.hardware, Arrived(drive, "HwV")));
    }
    set(colStatus, Q(drive.StateText()));
}

void TDrivesOnLine::ShowLive(const LiveRow &live)
{
    const int row = RowOf(live.axis);
    if (row < 0)
        return;  // the list changed while the read ran
    ++liveReads_;
    if (live.answered) {
        ShowDrive(row, live.drive);
    } else if (tblDrives->item(row, colStatus)->text() != Q(live.stateText)) {
        tblDrives->item(row, colStatus)->setText(Q(live.stateText));
    }
}

void TDrivesOnLine::ListChanged()
{
    live_ = std::make_shared<LiveStatus>(ListedAxes());
    MarkCurrentAxis();
    EnableControls();
}

void TDrivesOnLine::MarkCurrentAxis()
{
    // The row of the program's current axis is the selected one; choosing it again changes nothing.
    const int row = RowOf(SelectedAxis());
    const QSignalBlocker block(tblDrives);
    if (row >= 0)
        tblDrives->selectRow(row);
    else
        tblDrives->clearSelection();
    tblDrives->setCurrentCell(row, row >= 0 ? colAxis : -1);
}

void TDrivesOnLine::SelectRow(int row)
{
    if (row < 0 || row >= tblDrives->rowCount())
        return;
    const int axis = tblDrives->item(row, colAxis)->data(Qt::UserRole).toInt();
    if (!session_.SelectAxis(axis))
        worker_->Run([axis] { line::SetAxis700(axis); });
    lblStatus->setText(QStringLiteral("Axis %1 is the current axis").arg(axis));
}

} // namespace tools700
