#include "tools700/wizard/IOWizardDlg.h"

#include "tools700/common/Messages.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/wizard/CfgNewDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStatusBar>
#include <QVBoxLayout>

namespace tools700 {

TIOWizardDlg::TIOWizardDlg(Messages &messages, TCfgNewDlg &wizard, QWidget *parent)
    : QDialog(parent), messages_(messages), wizard_(wizard)
{
    setObjectName(QStringLiteral("IOWizardDlg"));
    setWindowTitle(QStringLiteral("IO Wizard"));
    setProperty("helpContext", kHelpIOWizard);
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));

    auto *heading = new QLabel(QStringLiteral("Please Choose the Input/Output you will use"), this);
    heading->setObjectName(QStringLiteral("Label1"));
    auto group = [this](const char *title, const char *side) {
        auto *g = new QGroupBox(QString::fromLatin1(title), this);
        auto *grid = new QGridLayout(g);
        grid->addWidget(new QLabel(QStringLiteral("Active"), g), 0, 1, 1, 2, Qt::AlignHCenter);
        grid->addWidget(new QLabel(QString::fromLatin1(side), g), 0, 3, Qt::AlignHCenter);
        grid->addWidget(new QLabel(QStringLiteral("hi"), g), 1, 1, Qt::AlignHCenter);
        grid->addWidget(new QLabel(QStringLiteral("lo"), g), 1, 2, Qt::AlignHCenter);
        grid->addWidget(new QLabel(QStringLiteral("Mapping"), g), 1, 3, Qt::AlignHCenter);
        return g;
    };
    QGroupBox *inputs = group("Digital Input", "Input");
    inputs->setObjectName(QStringLiteral("grpInput"));
    QGroupBox *outputs = group("Digital Output", "Output");
    outputs->setObjectName(QStringLiteral("grpOutput"));

    for (int r = 1; r <= IoWizard::kRows; ++r) {
        const IoRow &row = IoWizard::Row(r);
        QGroupBox *g = IoWizard::IsInputRow(r) ? inputs : outputs;
        auto *grid = static_cast<QGridLayout *>(g->layout());
        const int line = (IoWizard::IsInputRow(r) ? r : r - IoWizard::kInputRows) + 1;
        auto *label = new QLabel(QString::fromLatin1(row.label), g);
        label->setObjectName(QStringLiteral("lblRow%1").arg(r));
        label->setToolTip(QString::fromLatin1(row.toolTip));
        labels_[r - 1] = label;
        grid->addWidget(label, line, 0);
        const QString name = QString::fromLatin1(row.label).trimmed();
        const int count = row.loCode != 0 ? 2 : 1;
        for (int k = 0; k < count; ++k) {
            const int box = row.firstBox + k;
            auto *check = new QCheckBox(g);
            check->setObjectName(QStringLiteral("CheckBox%1").arg(box));
            NameControl(check, name + (k == 0 ? QStringLiteral(" hi") : QStringLiteral(" lo")));
            check->setToolTip(QString::fromLatin1(row.toolTip));
            boxes_[box - 1] = check;
            grid->addWidget(check, line, 1 + k, Qt::AlignHCenter);
            // The checked state, not the click: an accessibility tool's toggle counts too.
            connect(check, &QCheckBox::toggled, this, [this, box](bool on) { CheckBoxClick(box, on); });
        }
        auto *port = new QComboBox(g);
        port->setObjectName(QStringLiteral("ComboBox%1").arg(r));
        for (const std::string &item : IoWizard::PortItems(r))
            port->addItem(QString::fromStdString(item));
        NameControl(port, name + QStringLiteral(" port"));
        ports_[r - 1] = port;
        grid->addWidget(port, line, 3);
        connect(port, &QComboBox::activated, this, [this, r](int index) { ComboBoxChange(r, index); });
    }

    btnClear = new QPushButton(QStringLiteral("Clear"), this);
    btnClear->setObjectName(QStringLiteral("btnClear"));
    btnDefault = new QPushButton(QStringLiteral("Default"), this);
    btnDefault->setObjectName(QStringLiteral("btnDefault"));
    btnOK = new QPushButton(QStringLiteral("Next"), this);
    btnOK->setObjectName(QStringLiteral("btnOK"));
    btnOK->setDefault(true);
    btnHelp = new QPushButton(QStringLiteral("Help"), this);
    btnHelp->setObjectName(QStringLiteral("btnHelp"));
    connect(btnClear, &QPushButton::clicked, this, [this] { btnClearClick(); });
    connect(btnDefault, &QPushButton::clicked, this, [this] { btnDefaultClick(); });
    connect(btnOK, &QPushButton::clicked, this, [this] { btnOKClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });

    stbStatus_ = new QStatusBar(this);
    stbStatus_->setObjectName(QStringLiteral("stbStatus"));
    stbStatus_->setSizeGripEnabled(false);
    status_ = new QLabel(stbStatus_);
    status_->setObjectName(QStringLiteral("lblStatus"));
    stbStatus_->addWidget(status_, 1);

    auto *groups = new QHBoxLayout;
    groups->addWidget(inputs, 0, Qt::AlignTop);
    groups->addWidget(outputs, 0, Qt::AlignTop);
    auto *buttons = new QHBoxLayout;
    buttons->addStretch(1);
    for (QPushButton *b : {btnClear, btnDefault, btnOK, btnHelp})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(heading);
    layout->addLayout(groups);
    layout->addLayout(buttons);
    layout->addWidget(stbStatus_);
}

void TIOWizardDlg::Open()
{
    show();
    raise();
    activateWindow();
}

void TIOWizardDlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TIOWizardDlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() != QEvent::ActivationChange || !isActiveWindow() || !isVisible())
        return;
    // Coming back from another window discards choices not handed over; coming back from this
    // window's own message box does not.
    if (ownBox_)
        ownBox_ = false;
    else
        FormActivate();
}

void TIOWizardDlg::FormActivate()
{
    model_.Load(wizard_.Core().IoMap, wizard_.DriveText().toStdString());
    Show();
    btnOK->setFocus();
}

void TIOWizardDlg::btnDefaultClick() { FormActivate(); }

void TIOWizardDlg::Show()
{
    for (int r = 1; r <= IoWizard::kRows; ++r) {
        const bool enabled = model_.RowEnabled(r);
        labels_[r - 1]->setEnabled(enabled);
        const IoRow &row = IoWizard::Row(r);
        for (int box = row.firstBox; box < row.firstBox + (row.loCode != 0 ? 2 : 1); ++box) {
            QCheckBox *check = boxes_[box - 1];
            const QSignalBlocker block(check);
            check->setChecked(model_.Ticked(box));
            check->setEnabled(enabled);
        }
        QComboBox *port = ports_[r - 1];
        const QSignalBlocker block(port);
        port->setEnabled(model_.PortEnabled(r));
        port->setCurrentIndex(model_.PortIndex(r));
    }
    status_->setText(QString::fromStdString(model_.StatusLine()));
}

void TIOWizardDlg::Inform(const std::string &text)
{
    ownBox_ = true;
    messages_.Information(text);
}

void TIOWizardDlg::CheckBoxClick(int box, bool ticked)
{
    const std::string message = model_.SetTicked(box, ticked);
    Show();
    if (!message.empty())
        Inform(message);
}

void TIOWizardDlg::ComboBoxChange(int row, int index)
{
    model_.SelectPort(row, index);
    Show();
}

void TIOWizardDlg::btnClearClick()
{
    model_.Clear();
    Show();
}

void TIOWizardDlg::btnOKClick()
{
    IoMap map{};
    std::string message;
    if (!model_.Next(map, message)) {
        Inform(message);
        return;
    }
    ConfigurationWizard &core = wizard_.Core();
    for (int i = 1; i <= 10; ++i)
        core.IoMap[i] = map[i];
    hide();
    core.EntryMode = kEntryFromIoWizard;
    wizard_.Refresh();
}

void TIOWizardDlg::btnHelpClick() { AppHelp().ShowContext(kHelpIOWizard); }

QString TIOWizardDlg::StatusText() const { return status_->text(); }

} // namespace tools700
