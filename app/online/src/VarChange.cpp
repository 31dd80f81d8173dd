#include "tools700/online/VarChange.h"

#include "tools700/common/Messages.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/online/ChangeRules.h"
#include "tools700/online/VarDlg.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/BoundControls.h"
#include "tools700/widgets/Controls.h"
#include "tools700/widgets/UserNumbers.h"
#include "tools700/widgets/WindowWorker.h"

#include <QLabel>
#include <QLineEdit>
#include <QLocale>
#include <QPushButton>
#include <QScreen>
#include <QShowEvent>

#include <exception>

namespace tools700 {

namespace {


// The editor in use is shown and enabled, the other one hidden and disabled.
void Use(QWidget *editor, bool used)
{
    editor->setVisible(used);
    editor->setEnabled(used);
}

} // namespace

TVarChange::TVarChange(Messages &messages, QWidget *parent) : QDialog(parent), messages_(messages)
{
    setObjectName(QStringLiteral("VarChange"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setProperty("helpContext", kHelpChangeDialog);
    setFixedSize(366, 207);
    setModal(true);

    lblShow = new QLabel(QStringLiteral("lblShow"), this);
    lblShow->setObjectName(QStringLiteral("lblShow"));
    lblShow->setTextFormat(Qt::PlainText);
    lblShow->setGeometry(12, 10, 342, 16);
    lblHint = new QLabel(QStringLiteral("lblHint"), this);
    lblHint->setObjectName(QStringLiteral("lblHint"));
    lblHint->setTextFormat(Qt::PlainText);
    lblHint->setWordWrap(true);
    lblHint->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    lblHint->setGeometry(12, 32, 297, 29);

    edtText = new TQXComboBox(this);
    edtText->setObjectName(QStringLiteral("edtText"));
    edtText->setGeometry(12, 72, 250, 24);
    NameControl(edtText, QStringLiteral("New value"));
    edtNum = new QLineEdit(QStringLiteral("edtNum"), this);
    edtNum->setObjectName(QStringLiteral("edtNum"));
    edtNum->setToolTip(QStringLiteral("Press ENTER to set new value"));
    // Both editors in one spot; only one of them is ever shown.
    edtNum->setGeometry(edtText->geometry());
    NameControl(edtNum, QStringLiteral("New value"));

    lblMinMax = new QLabel(QStringLiteral("Min / Max goes here"), this);
    lblMinMax->setObjectName(QStringLiteral("lblMinMax"));
    lblMinMax->setTextFormat(Qt::PlainText);
    lblMinMax->setGeometry(12, 104, 342, 16);

    btnOk = new QPushButton(QStringLiteral("&Ok"), this);
    btnOk->setObjectName(QStringLiteral("btnOk"));
    btnOk->setDefault(true);
    btnOk->setGeometry(96, 160, 80, 28);
    btnCancel = new QPushButton(QStringLiteral("&Cancel"), this);
    btnCancel->setObjectName(QStringLiteral("btnCancel"));
    btnCancel->setAutoDefault(false);
    btnCancel->setGeometry(190, 160, 80, 28);
    connect(btnOk, &QPushButton::clicked, this, [this] { btnOkClick(); });
    connect(btnCancel, &QPushButton::clicked, this, &QDialog::reject);
    worker_ = std::make_unique<WindowWorker>(this, messages_);
}

TVarChange::~TVarChange() { worker_.reset(); }

void TVarChange::done(int result)
{
    // Closed while a write waits for the drive: the write ends on the worker, unreported.
    worker_->Cancel();
    writing_ = false;
    QDialog::done(result);
}

void TVarChange::Prepare(const QString &name, const QString &currentText)
{
    const online::ChangeForm form = online::PrepareChange(name.toStdString(), currentText.toStdString());
    changedName_ = name;
    setWindowTitle(Q(form.caption));
    lblShow->setText(Q(form.prompt));
    lblHint->setText(Q(form.hint));
    Use(edtNum, !form.enumerated);
    Use(edtText, form.enumerated);
    if (form.enumerated) {
        edtText->SetVarName(name);
        edtText->Info()->Update(form.key);
    } else {
        edtNum->setText(Q(form.numberText));
        edtNum->selectAll();
    }
    lblMinMax->setText(UserNumberText(form.boundsText));
}

int TVarChange::ChangeValue(const QString &name, const QString &currentText)
{
    Prepare(name, currentText);
    return exec();
}

void TVarChange::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    if (!edtNum->isHidden())
        edtNum->setFocus(Qt::OtherFocusReason);
    else
        edtText->setFocus(Qt::OtherFocusReason);
}

void TVarChange::btnOkClick()
{
    if (writing_)
        return;
    const std::string name = changedName_.toStdString();
    std::function<void(Messages &)> write;
    if (!edtNum->isHidden()) {
        const QString point = QLocale().decimalPoint();
        write = [name, text = edtNum->text().toStdString(), p = point.size() == 1 ? point.front().toLatin1() : '.'](
                    Messages &) { online::WriteNumber(name, text, p); };
    } else {
        const EnumTable *table = HasEnum(name);
        const int index = edtText->currentIndex();
        const int key = table && index >= 0 && index < table->count ? table->entries[index].value : 0;
        write = [name, key](Messages &messages) { online::WriteEnumerated(name, key, messages); };
    }
    writing_ = true;
    // The error's text, or nothing when the value was written (or the write was refused with a
    // message of its own).
    worker_->Run<std::string>(
        [this, write] {
            try {
                write(worker_->Questions());
            } catch (const std::exception &e) {
                return std::string(e.what());
            }
            return std::string();
        },
        [this](const std::string &error) {
            writing_ = false;
            if (!error.empty()) {
                // The user corrects the value or cancels.
                messages_.Message(error);
                return;
            }
            accept();
        });
}

} // namespace tools700
