#include "tools700/motoredit/NewMotorDlg.h"

#include "tools700/common/Messages.h"
#include "tools700/config/Motor.h"
#include "tools700/motoredit/MotorRules.h"
#include "tools700/widgets/BoundControls.h"

#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>

namespace tools700 {

TNewMotorDlg::TNewMotorDlg(Messages &messages, QWidget *parent) : QDialog(parent), messages_(messages)
{
    setObjectName(QStringLiteral("NewMotorDlg"));
    setWindowTitle(QStringLiteral("New Motor Definition"));
    setModal(true);

    auto *typeLabel = new QLabel(QStringLiteral("Motor Type"), this);
    pcmMotorType = new TQXComboMotorBox(this);
    pcmMotorType->setObjectName(QStringLiteral("pcmMotorType"));
    pcmMotorType->SetVarName(QStringLiteral("MotorType"));
    typeLabel->setBuddy(pcmMotorType);
    pcmMotorType->setAccessibleName(typeLabel->text());
    connect(pcmMotorType, qOverload<int>(&QComboBox::activated), this, [this] { pcmMotorType->DoExit(); });

    auto *nameLabel = new QLabel(QStringLiteral("Motor Name"), this);
    edtName = new QLineEdit(this);
    edtName->setObjectName(QStringLiteral("edtName"));
    edtName->setMaxLength(motoredit::kMaxNameLength);
    edtName->setToolTip(QStringLiteral("Enter an 8-character alphanumeric name"));
    edtName->setAccessibleName(nameLabel->text());
    nameLabel->setBuddy(edtName);
    // Typed letters are shown in upper case.
    connect(edtName, &QLineEdit::textEdited, this, [this](const QString &text) {
        const int at = edtName->cursorPosition();
        edtName->setText(text.toUpper());
        edtName->setCursorPosition(at);
    });

    rgrpUnits = new QGroupBox(QStringLiteral("Units"), this);
    rgrpUnits->setObjectName(QStringLiteral("rgrpUnits"));
    rdiEnglish = new QRadioButton(QStringLiteral("&English"), rgrpUnits);
    rdiEnglish->setObjectName(QStringLiteral("rdiEnglish"));
    rdiMetric = new QRadioButton(QStringLiteral("&Metric"), rgrpUnits);
    rdiMetric->setObjectName(QStringLiteral("rdiMetric"));
    auto *units = new QVBoxLayout(rgrpUnits);
    units->addWidget(rdiEnglish);
    units->addWidget(rdiMetric);

    btnOK = new QPushButton(QStringLiteral("&OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));

    auto *fields = new QVBoxLayout;
    fields->addWidget(typeLabel);
    fields->addWidget(pcmMotorType);
    fields->addWidget(nameLabel);
    fields->addWidget(edtName);
    auto *top = new QHBoxLayout;
    top->addLayout(fields);
    top->addWidget(rgrpUnits);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addLayout(top);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
}

bool TNewMotorDlg::Ask(Motor &motor, const std::function<bool(const std::string &)> &inEditor, std::string &name)
{
    inEditor_ = inEditor;
    InitAll(motor, this);
    edtName->clear();
    rdiMetric->setChecked(true);
    edtName->setFocus();
    if (exec() != QDialog::Accepted)
        return false;
    name = edtName->text().toStdString();
    StoreAll(motor, this);
    if (motor.Get("MotorType") != 0)
        motor.Set("CommSrc", motoredit::kLinearCommSrc);
    motor.Set("ShowMetric", rdiMetric->isChecked() ? 1 : 0);
    return true;
}

bool TNewMotorDlg::btnOKClick()
{
    std::string name = edtName->text().toStdString();
    const auto inEditor = [this](const std::string &n) { return inEditor_ && inEditor_(n); };
    const std::string warning = motoredit::CheckNewMotorName(name, inEditor);
    edtName->setText(QString::fromStdString(name));
    if (!warning.empty()) {
        messages_.Warning(warning);
        edtName->setFocus();
        return false;
    }
    accept();
    return true;
}

} // namespace tools700
