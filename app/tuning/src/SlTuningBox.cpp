#include "tools700/tuning/SlTuningBox.h"

#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/MotorChoice.h"
#include "tools700/tuning/InertiaRDlg.h"
#include "tools700/tuning/Tuning.h"

#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace tools700 {

TslTuningBox::TslTuningBox(Session &session, Messages &messages, TTuning &tuning, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages), tuning_(tuning)
{
    setObjectName(QStringLiteral("slTuningBox"));
    setWindowTitle(QStringLiteral("Select..."));
    setModal(true);
    auto *lblDrive = new QLabel(QStringLiteral("Select Drive"), this);
    lblDrive->setObjectName(QStringLiteral("lblDrive"));
    cmbDrive = new QComboBox(this);
    cmbDrive->setObjectName(QStringLiteral("cmbDrive"));
    cmbDrive->setEditable(true);
    cmbDrive->setInsertPolicy(QComboBox::NoInsert);
    cmbDrive->setMinimumWidth(160);
    lblDrive->setBuddy(cmbDrive);
    auto *lblMotor = new QLabel(QStringLiteral("Select Motor"), this);
    lblMotor->setObjectName(QStringLiteral("lblMotor"));
    cmbMotor = new QComboBox(this);
    cmbMotor->setObjectName(QStringLiteral("cmbMotor"));
    cmbMotor->setMaxVisibleItems(20);
    lblMotor->setBuddy(cmbMotor);
    auto *lblRatio = new QLabel(QStringLiteral("Input Inertia Ratio"), this);
    lblRatio->setObjectName(QStringLiteral("lblInertiaR"));
    edtInertiaR = new QLineEdit(this);
    edtInertiaR->setObjectName(QStringLiteral("edtInertiaR"));
    lblRatio->setBuddy(edtInertiaR);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *grid = new QGridLayout;
    grid->addWidget(lblDrive, 0, 0);
    grid->addWidget(cmbDrive, 0, 1);
    grid->addWidget(lblMotor, 1, 0);
    grid->addWidget(cmbMotor, 1, 1);
    grid->addWidget(lblRatio, 2, 0);
    grid->addWidget(edtInertiaR, 2, 1);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(grid);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(cmbDrive, &QComboBox::activated, this, [this](int) { cmbDriveClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TslTuningBox::Ask()
{
    adjustSize();
    CenterOnScreen(*this);
    exec();
}

void TslTuningBox::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TslTuningBox::FormActivate()
{
    cmbDrive->clear();
    for (const std::string &name : DriveModelNames())
        cmbDrive->addItem(QString::fromStdString(name));
    cmbMotor->clear();
    cmbMotor->setEnabled(false);
    cmbDrive->setCurrentIndex(-1);
    cmbDrive->setEditText(QString());
    edtInertiaR->setText(InertiaRatioText(session_.InertiaRatio));
    cmbDrive->setFocus();
}

void TslTuningBox::cmbDriveClick()
{
    busClass_ = BusClassOf(cmbDrive->currentText().toStdString());
    cmbMotor->setEnabled(true);
    cmbMotor->clear();
    for (const std::string &name : MotorNames(session_.InHouse, busClass_))
        cmbMotor->addItem(QString::fromStdString(name));
    cmbMotor->setCurrentIndex(-1);
}

void TslTuningBox::btnOKClick()
{
    // A drive counts as selected when the box names one of the list's drives (typed or picked)
    // and the motor list was filled for it.
    const QString drive = cmbDrive->currentText();
    if (drive.isEmpty() || cmbDrive->findText(drive, Qt::MatchFixedString) < 0 || !cmbMotor->isEnabled()) {
        messages_.Message("You must select a drive type!");
        cmbDrive->setFocus();
        return;
    }
    if (cmbMotor->currentIndex() < 0) {
        messages_.Message("You must select a motor!");
        cmbMotor->setFocus();
        return;
    }
    double ratio = 0;
    if (!ReadInertiaRatio(edtInertiaR->text(), ratio, messages_))
        return;
    session_.InertiaRatio = ratio;
    tuning_.Prepare(tuning::kOffline, drive.toStdString(), cmbMotor->currentText().toStdString());
    const int problem = tuning_.LoadTuningData();
    accept();
    if (problem == 0)
        tuning_.ShowWizard();
}

void TslTuningBox::btnCancelClick() { reject(); }

} // namespace tools700
