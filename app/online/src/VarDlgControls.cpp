// The on-line window's controls: the drive's labels, the four variable rows, and the right-hand
// column with the fault information (or "No communications!" in its place), the lamps of the
// inputs and outputs, the drive commands and the way to the scope.
#include "tools700/online/VarDlg.h"

#include "tools700/online/DriveTexts.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/IndicatorLamp.h"

#include <QComboBox>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QTimer>

namespace tools700 {

namespace {

const QColor kIoLit(255, 0, 0);
const QColor kIoUnlit(0x00, 0xFF, 0x40);
const QColor kFaultUnlit(192, 192, 192);

// The right-hand column's place.
constexpr int kRight = 436;
constexpr int kColumnWidth = 248;

// Drive texts are shown as they are: a motor name or fault text from the line never turns into
// rich text.
QLabel *PlainLabel(const QString &text, QWidget *parent, const char *name)
{
    auto *label = new QLabel(text, parent);
    label->setObjectName(QString::fromLatin1(name));
    label->setTextFormat(Qt::PlainText);
    return label;
}

QPushButton *Button(const QString &caption, const QString &hint, QWidget *parent, const QString &name)
{
    auto *b = new QPushButton(caption, parent);
    b->setObjectName(name);
    b->setToolTip(hint);
    b->setAutoDefault(false);
    return b;
}

} // namespace

void Tvardlg::BuildControls()
{
    lblDrive = PlainLabel(QStringLiteral("Drive:"), this, "lblDrive");
    lblDrive->setGeometry(10, 6, 300, 17);
    lblMotor = PlainLabel(QStringLiteral("Motor:"), this, "lblMotor");
    lblMotor->setGeometry(10, 24, 300, 17);
    lblOpMode = PlainLabel(QStringLiteral("Mode:"), this, "lblOpMode");
    lblOpMode->setGeometry(10, 42, 418, 17);

    BuildVariableRows();
    BuildFaultInformation();
    BuildLamps();
    BuildCommands();

    Timer2 = new QTimer(this);
    Timer2->setObjectName(QStringLiteral("Timer2"));
    Timer2->setInterval(1000);
    connect(Timer2, &QTimer::timeout, this, [this] { Timer2Timer(); });
}

void Tvardlg::BuildVariableRows()
{
    GroupBox1 = new QGroupBox(QStringLiteral(" Variables and Parameters "), this);
    GroupBox1->setObjectName(QStringLiteral("GroupBox1"));
    GroupBox1->setGeometry(8, 62, 420, 306);
    QFont bold = font();
    bold.setBold(true);
    for (int i = 0; i < online::kRows; ++i) {
        const int y = 18 + 48 * i;
        const QString digit = QString::number(i);
        lblShow[i] = PlainLabel(QStringLiteral("Current value goes here"), GroupBox1, "");
        lblShow[i]->setObjectName(QStringLiteral("lblShow") + digit);
        lblShow[i]->setGeometry(10, y, 400, 16);

        cmbName[i] = new QComboBox(GroupBox1);
        cmbName[i]->setObjectName(QStringLiteral("cmbName") + digit);
        cmbName[i]->setEditable(true);
        cmbName[i]->setInsertPolicy(QComboBox::NoInsert);
        cmbName[i]->setCompleter(nullptr);
        cmbName[i]->setMaxVisibleItems(20);
        cmbName[i]->setToolTip(QStringLiteral("The name of the parameter / variable"));
        cmbName[i]->setGeometry(10, y + 17, 150, 24);
        cmbName[i]->installEventFilter(this);
        NameControl(cmbName[i], QStringLiteral("Variable %1").arg(i + 1));
        connect(cmbName[i], &QComboBox::activated, this, [this, i](int) { RefreshRow(i); });
        // A typed name refreshes its row as it changes (the poll reads it at once), as Enter and
        // leaving the box do.
        connect(cmbName[i]->lineEdit(), &QLineEdit::textEdited, this, [this, i] { RefreshRow(i); });

        edtShowNum[i] = new QLineEdit(GroupBox1);
        edtShowNum[i]->setObjectName(QStringLiteral("edtShowNum") + digit);
        edtShowNum[i]->setReadOnly(true);
        edtShowNum[i]->setEnabled(false);
        edtShowNum[i]->setFocusPolicy(Qt::NoFocus);
        edtShowNum[i]->setFont(bold);
        edtShowNum[i]->setToolTip(QStringLiteral("The current value"));
        edtShowNum[i]->setGeometry(166, y + 17, 170, 24);
        edtShowNum[i]->installEventFilter(this);
        NameControl(edtShowNum[i], QStringLiteral("Current value %1").arg(i + 1));

        btnChange[i] = Button(QStringLiteral("Change"),
                              QStringLiteral("Starts the Change dialog to allow you to change the value of this variable"),
                              GroupBox1, QStringLiteral("btnChange") + digit);
        btnChange[i]->setGeometry(342, y + 17, 70, 24);
        NameControl(btnChange[i], QStringLiteral("Change %1").arg(i + 1));
        connect(btnChange[i], &QPushButton::clicked, this, [this, i] { ChangeRow(i); });
    }
}

void Tvardlg::BuildFaultInformation()
{
    const int right = kRight, width = kColumnWidth;
    grpFaultInfo = new QGroupBox(QStringLiteral(" Fault Information "), this);
    grpFaultInfo->setObjectName(QStringLiteral("grpFaultInfo"));
    grpFaultInfo->setGeometry(right, 4, width, 130);
    AbLEDFault = new TIndicatorLamp(grpFaultInfo);
    AbLEDFault->setObjectName(QStringLiteral("AbLEDFault"));
    AbLEDFault->SetColors(kIoLit, kFaultUnlit);
    AbLEDFault->SetCaption(QStringLiteral("DRIVE FAULTED!"));
    AbLEDFault->setGeometry(8, 18, 230, 20);
    auto *label1 = PlainLabel(QStringLiteral("FaultCode:"), grpFaultInfo, "Label1");
    label1->setGeometry(8, 42, 64, 16);
    lblFaultCode = PlainLabel(QString(), grpFaultInfo, "lblFaultCode");
    lblFaultCode->setGeometry(72, 42, 170, 30);
    lblFaultCode->setWordWrap(true);
    lblFaultCode->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    auto *label2 = PlainLabel(QStringLiteral("ExtFault:"), grpFaultInfo, "Label2");
    label2->setGeometry(8, 72, 64, 16);
    lblExtFault = PlainLabel(QString(), grpFaultInfo, "lblExtFault");
    lblExtFault->setGeometry(72, 72, 170, 30);
    lblExtFault->setWordWrap(true);
    lblExtFault->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    btnResetFault = Button(QStringLiteral("Reset Fault"), QString(), grpFaultInfo, QStringLiteral("btnResetFault"));
    btnResetFault->setGeometry(8, 102, 100, 24);
    connect(btnResetFault, &QPushButton::clicked, this, [this] { btnResetFaultClick(); });
    grpFaultInfo->hide();

    pnlFault = PlainLabel(QStringLiteral("No communications!"), this, "pnlFault");
    pnlFault->setGeometry(right, 4, width, 130);
    pnlFault->setAlignment(Qt::AlignCenter);
    pnlFault->setFrameShape(QFrame::Panel);
    pnlFault->setFrameShadow(QFrame::Raised);
    QFont big = font();
    big.setBold(true);
    big.setPixelSize(16);
    pnlFault->setFont(big);
    pnlFault->hide();
    pnlFault->lower();
}

void Tvardlg::BuildLamps()
{
    const int right = kRight, width = kColumnWidth;
    // The lamps' captions in a smaller type, so six lamps with "Off" fit the group's width.
    QFont lampFont = font();
    lampFont.setPixelSize(10);
    auto lampGroup = [&](const char *name, const QString &title, int y, int first, int count) {
        auto *group = new QGroupBox(title, this);
        group->setObjectName(QString::fromLatin1(name));
        group->setGeometry(right, y, width, 58);
        for (int n = 0; n < count; ++n) {
            const int k = first + n;
            auto *label = PlainLabel(QString::number(n + 1), group, "");
            label->setObjectName(QStringLiteral("lblLED%1").arg(k + 1));
            label->setGeometry(4 + 40 * n, 16, 16, 14); // over the lamp's circle
            label->setAlignment(Qt::AlignCenter);
            AbLED[k] = new TIndicatorLamp(group);
            AbLED[k]->setObjectName(QStringLiteral("AbLED%1").arg(k + 1));
            AbLED[k]->SetColors(kIoLit, kIoUnlit);
            AbLED[k]->setGeometry(4 + 40 * n, 32, 40, 18);
            AbLED[k]->setFont(lampFont);
            NameControl(AbLED[k], (k < online::kInputs ? QStringLiteral("Input %1") : QStringLiteral("Output %1")).arg(n + 1));
        }
        return group;
    };
    GroupBox3 = lampGroup("GroupBox3", QStringLiteral("Inputs"), 138, 0, online::kInputs);
    GroupBox4 = lampGroup("GroupBox4", QStringLiteral("Outputs"), 200, online::kInputs, online::kOutputs);
}

void Tvardlg::BuildCommands()
{
    const int right = kRight, width = kColumnWidth;
    grpUserCmds = new QGroupBox(QStringLiteral("Commands"), this);
    grpUserCmds->setObjectName(QStringLiteral("grpUserCmds"));
    grpUserCmds->setGeometry(right, 262, width, 54);
    btnUserNVLoad = Button(QStringLiteral("NV&Load"),
                           QStringLiteral("Tells the drive to refresh its working parameters from non-volatile memory"),
                           grpUserCmds, QStringLiteral("btnUserNVLoad"));
    btnUserNVLoad->setGeometry(6, 20, 72, 26);
    btnUserNVSave = Button(QStringLiteral("NV&Save"),
                           QStringLiteral("Tells the drive to save its working parameter set in non-volatile memory"),
                           grpUserCmds, QStringLiteral("btnUserNVSave"));
    btnUserNVSave->setGeometry(82, 20, 72, 26);
    btnUserUnconfigure = Button(QStringLiteral("&Unconfigure"),
                                QStringLiteral("Tells the drive to mark all parameters as unconfigured"), grpUserCmds,
                                QStringLiteral("btnUserUnconfigure"));
    btnUserUnconfigure->setGeometry(158, 20, 84, 26);
    connect(btnUserNVLoad, &QPushButton::clicked, this, [this] { btnUserNVLoadClick(); });
    connect(btnUserNVSave, &QPushButton::clicked, this, [this] { btnUserNVSaveClick(); });
    connect(btnUserUnconfigure, &QPushButton::clicked, this, [this] { btnUserUnconfigureClick(); });

    GroupBox2 = new QGroupBox(QStringLiteral("Scope"), this);
    GroupBox2->setObjectName(QStringLiteral("GroupBox2"));
    GroupBox2->setGeometry(right, 320, width, 48);
    btnSwitch = Button(QStringLiteral("S&witch to Scope"),
                       QStringLiteral("Activates the 'Oscilloscope'  and brings it to the front"), GroupBox2,
                       QStringLiteral("btnSwitch"));
    btnSwitch->setGeometry(10, 16, 228, 26);
    connect(btnSwitch, &QPushButton::clicked, this, [this] { btnSwitchClick(); });
}

} // namespace tools700
