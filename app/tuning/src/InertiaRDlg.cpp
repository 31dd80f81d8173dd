#include "tools700/tuning/InertiaRDlg.h"

#include "tools700/Error.h"
#include "tools700/Messages.h"
#include "tools700/Session.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tools700 {

QString InertiaRatioText(double ratio)
{
    QString text = QLocale().toString(ratio, 'f', 2);
    const QString point = QLocale().decimalPoint();
    if (text.contains(point)) {
        while (text.endsWith(QLatin1Char('0')))
            text.chop(1);
        if (text.endsWith(point))
            text.chop(point.size());
    }
    return text;
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
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - QPoint(sizeHint().width() / 2, sizeHint().height() / 2));
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
    bool ok = false;
    const double ratio = QLocale().toDouble(edtInertiaR->text().trimmed(), &ok);
    if (!ok) {
        // The conversion error; the dialog stays for a correction.
        messages_.Show(BoxKind::Error,
                       ErrorBoxText("'" + edtInertiaR->text().toStdString() + "' is not a valid floating point value"),
                       BtnOk);
        return false;
    }
    session_.InertiaRatio = ratio;
    // The on-line purpose starts the tuning wizard, which this build does not have yet: the
    // session does not offer that purpose, so the dialog only keeps the ratio.
    accept();
    return true;
}

void TInertiaRDlg::btnCancelClick() { reject(); }

} // namespace tools700
