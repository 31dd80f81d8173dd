#include "tools700/shell/ComportDlg.h"

#include "comm700.h"
#include "tools700/common/Line.h"
#include "tools700/common/Messages.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/config/StatusText.h"
#include "tools700/platform/LineClaim.h"
#include "tools700/platform/SerialPort.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/WindowWorker.h"
#include "tools700/widgets/Settings.h"

#include <QApplication>
#include <QFocusEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

#include <optional>

#include <exception>

namespace tools700 {

namespace {

QString CommValue(const char *name) { return QStringLiteral("%1/%2").arg(QLatin1String(kCommKey), QLatin1String(name)); }

// The whole text must be a decimal integer (optional sign, blanks around allowed).
bool ParseInteger(const QString &text, int &out)
{
    bool ok = false;
    const long long v = text.trimmed().toLongLong(&ok, 10);
    if (!ok)
        return false;
    out = v < -2147483647LL ? -2147483647 : v > 2147483647LL ? 2147483647 : static_cast<int>(v);
    return true;
}

} // namespace

TComportDlg::TComportDlg(Messages &messages, QWidget *parent)
    : QDialog(parent), messages_(messages), worker_(std::make_unique<WindowWorker>(this, messages))
{
    setObjectName(QStringLiteral("ComportDlg"));
    setWindowTitle(QStringLiteral("Comm Port and Axis Selection"));
    setProperty("helpContext", kHelpComportDlg);
    setModal(true);
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));

    grpPort_ = new QGroupBox(QStringLiteral("Port Selection"), this);
    grpPort_->setObjectName(QStringLiteral("grpPort"));
    auto *portGrid = new QGridLayout(grpPort_);
    for (int n = 1; n <= 4; ++n) {
        rdiPort_[n - 1] = new QRadioButton(QStringLiteral("Port %1").arg(n), grpPort_);
        rdiPort_[n - 1]->setObjectName(QStringLiteral("rdiPort%1").arg(n));
        lblDevice_[n - 1] = new QLabel(grpPort_);
        lblDevice_[n - 1]->setObjectName(QStringLiteral("lblDevice%1").arg(n));
        lblDevice_[n - 1]->setEnabled(false);
        portGrid->addWidget(rdiPort_[n - 1], n - 1, 0);
        portGrid->addWidget(lblDevice_[n - 1], n - 1, 1);
        // The handler follows the checked state, so a keyboard, a mouse and an accessibility
        // tool's toggle all open the port; the dialog's own changes are made with signals blocked.
        connect(rdiPort_[n - 1], &QRadioButton::toggled, this, [this, n](bool on) {
            if (on)
                rdiPortClick(n);
        });
    }

    auto *grpAxis = new QGroupBox(QStringLiteral("Axis Address"), this);
    grpAxis->setObjectName(QStringLiteral("GroupBox1"));
    rdiAuto_ = new QRadioButton(QStringLiteral("Automatic Detected"), grpAxis);
    rdiAuto_->setObjectName(QStringLiteral("rdiAuto"));
    rdiSelect_ = new QRadioButton(QStringLiteral("Select Axis"), grpAxis);
    rdiSelect_->setObjectName(QStringLiteral("rdiSelect"));
    edtAddress_ = new QLineEdit(grpAxis);
    edtAddress_->setObjectName(QStringLiteral("edtAddress"));
    edtAddress_->setMaxLength(10);
    edtAddress_->setFixedWidth(70);
    edtAddress_->installEventFilter(this);
    auto *label1 = new QLabel(QStringLiteral("Range 1-255"), grpAxis);
    label1->setObjectName(QStringLiteral("Label1"));
    auto *axisLayout = new QGridLayout(grpAxis);
    axisLayout->addWidget(rdiAuto_, 0, 0, 1, 3);
    axisLayout->addWidget(rdiSelect_, 1, 0);
    axisLayout->addWidget(edtAddress_, 1, 1);
    axisLayout->addWidget(label1, 1, 2);
    NameControl(edtAddress_, grpAxis->title());
    connect(rdiAuto_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rdiAutoClick();
    });
    connect(rdiSelect_, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            rdiSelectClick();
    });

    btnOk_ = new QPushButton(QStringLiteral("Ok"), this);
    btnOk_->setObjectName(QStringLiteral("btnOk"));
    btnOk_->setDefault(true);
    btnTest_ = new QPushButton(QStringLiteral("&Test"), this);
    btnTest_->setObjectName(QStringLiteral("btnTest"));
    btnHelp_ = new QPushButton(QStringLiteral("&Help"), this);
    btnHelp_->setObjectName(QStringLiteral("btnHelp"));
    connect(btnOk_, &QPushButton::clicked, this, [this] {
        // Closed once the link has the axis (an empty job after the one that tells it).
        if (btnOkClick())
            worker_->Run([] {}, [this] { accept(); });
    });
    connect(btnTest_, &QPushButton::clicked, this, [this] { btnTestClick(); });
    connect(btnHelp_, &QPushButton::clicked, this, [this] { btnHelpClick(); });

    auto *buttons = new QHBoxLayout;
    buttons->addWidget(btnOk_);
    buttons->addWidget(btnTest_);
    buttons->addWidget(btnHelp_);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(grpPort_);
    layout->addWidget(grpAxis);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    // The link library reads the device of each port from the same settings file.
    std::unique_ptr<QSettings> store = OpenSettings();
    for (int n = 1; n <= 4; ++n)
        lblDevice_[n - 1]->setText(QString::fromStdString(platform::ComPortDevice(n)));

    // 1. Probe the ports; only those that open can be chosen in this run.
    for (int n = 1; n <= 4; ++n)
        rdiPort_[n - 1]->setEnabled(line::UseSerialPort(n) == 1);
    line::UseSerialPort(0);

    // 2. Stored choices; reading stops at the first missing value.
    if (auto comport = ReadInt(*store, CommValue("Comport"))) {
        port_ = *comport;
        if (auto axis = ReadInt(*store, CommValue("Axis")))
            axis_ = *axis;
    }
    // A stored axis outside the addresses a drive can hold means automatic.
    if (axis_ < 1 || axis_ > 255)
        axis_ = 255;

    // 3., 4.
    line::SetAxis700(axis_);
    if (axis_ == 255) {
        rdiAutoClick();
    } else {
        const QSignalBlocker blockAuto(rdiAuto_), blockSelect(rdiSelect_);
        rdiAuto_->setChecked(false);
        rdiSelect_->setChecked(true);
        edtAddress_->setEnabled(true);
        edtAddress_->setText(QString::number(axis_));
    }

    // 5.
    const int stored = port_;
    port_ = 0;
    if (stored >= 1 && stored <= 4 && rdiPort_[stored - 1]->isEnabled())
        OpenPort(stored, false);  // at start-up a lost port shows in the status bar
}

TComportDlg::~TComportDlg() { worker_.reset(); }

bool TComportDlg::DriveBusy() const { return worker_->Busy(); }

bool TComportDlg::OpenPort(int n, bool report)
{
    if (n < 1 || n > 4)
        return false;
    const bool opened = line::UseSerialPort(n) == 1;
    if (!opened)
        line::UseSerialPort(port_ >= 1 && port_ <= 4 ? port_ : 0);
    PortOpened(n, opened, report);
    return opened;
}

void TComportDlg::rdiPortClick(int n, bool report)
{
    if (n < 1 || n > 4)
        return;
    const int previous = port_;
    worker_->Run<bool>(
        [n, previous] {
            const bool opened = line::UseSerialPort(n) == 1;
            // Not opened: the link goes back where it was rather than stay on a port that is
            // not open.
            if (!opened)
                line::UseSerialPort(previous >= 1 && previous <= 4 ? previous : 0);
            return opened;
        },
        [this, n, report](const bool &opened) { PortOpened(n, opened, report); });
}

void TComportDlg::PortOpened(int n, bool opened, bool report)
{
    if (!opened && report) {
        // Tell why (another program may hold it) and keep the previous choice.
        std::string why = platform::LineInUseText(n);
        if (why.empty())
            why = "COM" + std::to_string(n) + " (" + platform::ComPortDevice(n) + ") cannot be opened";
        messages_.Message(StatusText(NO_PORT) + "\n" + why);
    }
    const int selected = opened ? n : port_;
    for (int i = 1; i <= 4; ++i) {
        const QSignalBlocker block(rdiPort_[i - 1]);
        rdiPort_[i - 1]->setChecked(i == selected);
    }
    port_ = selected;
}

void TComportDlg::SelectAutoControls()
{
    const QSignalBlocker blockAuto(rdiAuto_), blockSelect(rdiSelect_);
    rdiAuto_->setChecked(true);
    rdiSelect_->setChecked(false);
    edtAddress_->setEnabled(false);
}

void TComportDlg::rdiAutoClick()
{
    axis_ = 255;
    SelectAutoControls();
    btnOkClick();
}

void TComportDlg::rdiSelectClick()
{
    axis_ = 1;
    const QSignalBlocker blockAuto(rdiAuto_), blockSelect(rdiSelect_);
    rdiAuto_->setChecked(false);
    rdiSelect_->setChecked(true);
    edtAddress_->setEnabled(true);
    edtAddress_->setText(QStringLiteral("1"));
    btnOkClick();
}

bool TComportDlg::btnOkClick()
{
    if (rdiAuto_->isChecked()) {
        axis_ = 255;
        worker_->Run([] { line::SetAxis700(255); });
        return true;
    }
    int value = 0;
    if (!ParseInteger(edtAddress_->text(), value)) {
        messages_.Message("Invalid axis address");
        return false;
    }
    if (value < 1 || value > 255) {
        messages_.Message("Must be from 1 to 255");
        return false;
    }
    axis_ = value;
    worker_->Run([value] { line::SetAxis700(value); });
    return true;
}

void TComportDlg::SelectAxis(int axis)
{
    if (axis < 1 || axis > 255)
        return;
    axis_ = axis;
    {
        const QSignalBlocker blockAuto(rdiAuto_), blockSelect(rdiSelect_);
        rdiAuto_->setChecked(axis == 255);
        rdiSelect_->setChecked(axis != 255);
        edtAddress_->setEnabled(axis != 255);
        if (axis != 255)
            edtAddress_->setText(QString::number(axis));
    }
    worker_->Run([axis] { line::SetAxis700(axis); });
    FormClose();
}

void TComportDlg::edtAddressExit()
{
    if (checking_)
        return;
    checking_ = true;
    const bool ok = btnOkClick();
    checking_ = false;
    if (!ok && isVisible())
        edtAddress_->setFocus();
}

bool TComportDlg::eventFilter(QObject *watched, QEvent *event)
{
    if (watched == edtAddress_ && event->type() == QEvent::FocusOut && isVisible() && !checking_) {
        // Leaving for the Ok button or the axis choices: their own handlers check the address.
        QWidget *next = QApplication::focusWidget();
        const auto reason = static_cast<QFocusEvent *>(event)->reason();
        if (next != btnOk_ && next != rdiAuto_ && next != rdiSelect_ && reason != Qt::ActiveWindowFocusReason &&
            reason != Qt::PopupFocusReason && edtAddress_->isEnabled())
            edtAddressExit();
    }
    return QDialog::eventFilter(watched, event);
}

void TComportDlg::btnTestClick()
{
    worker_->Run<std::optional<double>>(
        []() -> std::optional<double> {
            double value = 0;
            if (line::GetVar700("AxisAddr", &value) != 0)
                return std::nullopt;
            return value;
        },
        [this](const std::optional<double> &axis) {
            if (!axis)
                messages_.Message("No connection!");
            else
                messages_.Message("You are currently connected to axis " + std::to_string(TruncToInt(*axis)));
        });
}

void TComportDlg::btnHelpClick() { AppHelp().ShowContext(kHelpComportDlg); }

void TComportDlg::FormClose()
{
    std::unique_ptr<QSettings> store = OpenSettings();
    if (WriteInt(*store, CommValue("Comport"), port_))
        WriteInt(*store, CommValue("Axis"), axis_);
}

void TComportDlg::done(int r)
{
    FormClose();
    QDialog::done(r);
}

void TComportDlg::closeEvent(QCloseEvent *event) { QDialog::closeEvent(event); }

} // namespace tools700
