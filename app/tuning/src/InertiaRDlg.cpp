#include "tools700/tuning/InertiaRDlg.h"

#include "tools700/common/Error.h"
#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/tuning/Tuning.h"
#include "tools700/common/NumberText.h"
#include "tools700/tuning/TuningFormulas.h"
#include "tools700/widgets/UserNumbers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tools700 {

void CenterOnScreen(QWidget &window)
{
    if (QScreen *screen = QApplication::primaryScreen())
        window.move(screen->availableGeometry().center() - QPoint(window.width() / 2, window.height() / 2));
}

QString InertiaRatioText(double ratio) { return QString::fromStdString(tuning::UpToText(ratio, 2, UserDecimalPoint())); }

bool ReadInertiaRatio(const QString &text, double &ratio, Messages &messages)
{
    const std::optional<double> value = ReadUserNumber(text);
    if (!value) {
        // The conversion error; the dialog stays for a correction.
        messages.Show(BoxKind::Error, ErrorBoxText(numtext::NotANumberText(text.toStdString())), BtnOk);
        return false;
    }
    ratio = *value;
    return true;
}

TInertiaRDlg::TInertiaRDlg(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages)
{
    setObjectName(QStringLiteral("InertiaRDlg"));
    setWindowTitle(QStringLiteral("Input Inertia Ratio"));
    setModal(true);
    Label1 = new QLabel(QStringLiteral("Please Input Inertia Ratio"), this);
    Label1->setObjectName(QStringLiteral("Label1"));
    edtInertiaR = new QLineEdit(QStringLiteral("1"), this);
    edtInertiaR->setObjectName(QStringLiteral("edtInertiaR"));
    Label1->setBuddy(edtInertiaR);
    btnOK = new QPushButton(QStringLiteral("OK"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnCancel = new QPushButton(QStringLiteral("Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(btnOK);
    buttons->addWidget(btnCancel);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label1);
    layout->addWidget(edtInertiaR);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { btnCancelClick(); });
}

void TInertiaRDlg::Ask(int purpose)
{
    purpose_ = purpose;
    adjustSize();
    CenterOnScreen(*this);
    exec();
}

void TInertiaRDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TInertiaRDlg::FormActivate()
{
    edtInertiaR->setText(InertiaRatioText(session_.InertiaRatio));
    btnOK->setFocus();
}

bool TInertiaRDlg::btnOKClick()
{
    double ratio = 0;
    if (!ReadInertiaRatio(edtInertiaR->text(), ratio, messages_))
        return false;
    session_.InertiaRatio = ratio;
    accept();
    if (purpose_ == kOnlineTuning && tuning_)
        tuning_->StartOnline();
    return true;
}

void TInertiaRDlg::btnCancelClick() { reject(); }

} // namespace tools700
