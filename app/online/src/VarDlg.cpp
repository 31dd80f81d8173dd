#include "tools700/online/VarDlg.h"

#include "tools700/Messages.h"
#include "tools700/Session.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/online/DriveCommands.h"
#include "tools700/online/DriveTexts.h"
#include "tools700/online/VarChange.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/IndicatorLamp.h"
#include "tools700/widgets/Settings.h"
#include "tools700/widgets/UserNumbers.h"
#include "tools700/widgets/WindowWorker.h"

#include <QApplication>
#include <QComboBox>
#include <QEventLoop>
#include <QFocusEvent>
#include <QGroupBox>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QScreen>
#include <QTimer>

namespace tools700 {

namespace {

constexpr int kWidth = 692;
constexpr int kHeight = 375;

QString Q(const std::string &text) { return QString::fromStdString(text); }

QString VariableKey(int row) { return QStringLiteral("%1/Name%2").arg(QLatin1String(kVariablesKey)).arg(row); }

} // namespace

Tvardlg::Tvardlg(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages)
{
    setObjectName(QStringLiteral("vardlg"));
    setWindowTitle(QStringLiteral("On-Line Drive Configuration"));
    setWindowFlags(Qt::Dialog | Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setProperty("helpContext", kHelpOnlineWindow);
    model_.DecimalPoint = UserDecimalPoint();
    setFixedSize(kWidth, kHeight);
    setModal(false);
    BuildControls();
    SetKeywordHelpWindow(this, [this] { return FocusedName(); });
    entries_ = std::make_shared<const std::vector<std::string>>();
    worker_ = std::make_unique<WindowWorker>(this, messages_);
}

Tvardlg::~Tvardlg()
{
    worker_.reset();
    SetKeywordHelpWindow(nullptr, nullptr);
}

bool Tvardlg::DriveBusy() const { return worker_->Busy(); }

QString Tvardlg::FocusedName() const
{
    const QWidget *focus = QApplication::focusWidget();
    for (QComboBox *box : cmbName)
        if (focus && (focus == box || box->isAncestorOf(focus)))
            return box->currentText();
    return QString();
}

void Tvardlg::UpdateGainUnits(const QString &gainName)
{
    worker_->Run([this, name = gainName.toStdString()] { model_.UpdateGainUnits(name); });
}

void Tvardlg::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    if (event->spontaneous())
        return;
    if (QScreen *screen = this->screen())
        move(screen->availableGeometry().center() - QPoint(width() / 2, height() / 2));
    FormShow();
}

void Tvardlg::hideEvent(QHideEvent *event)
{
    QDialog::hideEvent(event);
    if (!event->spontaneous())
        FormHide();
}

void Tvardlg::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

bool Tvardlg::eventFilter(QObject *watched, QEvent *event)
{
    for (int i = 0; i < online::kRows; ++i) {
        if (watched == edtShowNum[i] && (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease))
            return true;
        if (watched != cmbName[i])
            continue;
        if (event->type() == QEvent::KeyPress) {
            const int key = static_cast<QKeyEvent *>(event)->key();
            if (key == Qt::Key_Return || key == Qt::Key_Enter) {
                RefreshRow(i);
                return true;
            }
        } else if (event->type() == QEvent::FocusOut) {
            const Qt::FocusReason reason = static_cast<QFocusEvent *>(event)->reason();
            if (reason != Qt::ActiveWindowFocusReason && reason != Qt::PopupFocusReason && isVisible())
                RefreshRow(i);
        }
    }
    return QDialog::eventFilter(watched, event);
}

void Tvardlg::FormShow()
{
    worker_->Run([this] { model_.ResetRows(); });
    valueText_.fill("0");
    std::vector<std::string> entries;
    Dictionary().FillVariableList(entries, session_.InHouse, session_.DriveModel);
    QStringList items;
    for (const std::string &name : entries)
        items << Q(name);
    entries_ = std::make_shared<const std::vector<std::string>>(std::move(entries));
    for (QComboBox *box : cmbName) {
        const QSignalBlocker block(box);
        box->clear();
        box->addItems(items);
        box->setCurrentIndex(items.isEmpty() ? -1 : 0);
    }
    // The stored list indexes, up to the first that cannot be read.
    if (const auto store = OpenSettings()) {
        for (int i = 0; i < online::kRows; ++i) {
            const std::optional<int> index = ReadInt(*store, VariableKey(i));
            if (!index)
                break;
            const QSignalBlocker block(cmbName[i]);
            cmbName[i]->setCurrentIndex(*index >= 0 && *index < cmbName[i]->count() ? *index : -1);
        }
    }
    for (int i = 0; i < online::kRows; ++i)
        RefreshRow(i);
    btnSwitch->setEnabled(session_.Available(Window::Oscilloscope));
    btnSwitch->setAccessibleDescription(
        btnSwitch->isEnabled() ? QString()
                               : QStringLiteral("Not available: %1 is not part of this build yet.")
                                     .arg(QLatin1String(WindowTitle(Window::Oscilloscope))));
    Timer2->start();
}

void Tvardlg::FormHide()
{
    Timer2->stop();
    // The exchange in flight finishes on the worker; nothing of it is shown.
    worker_->Cancel();
    refreshes_ = 0;
    pollInFlight_ = false;
    // A command dropped with the cancelled work gives its button and the cursor back.
    EndCommand();
    commandRunning_ = false;
    btnResetFault->setEnabled(true);
    // A row whose list does not hold its choice (a typed name that is no entry, or no list at all
    // while the drive's model is unknown) keeps what was stored for it, so the user's choice
    // comes back with the next drive; a row with nothing stored yet gets -1, so the rows after it
    // are still read.
    if (const auto store = OpenSettings())
        for (int i = 0; i < online::kRows; ++i) {
            const int index = cmbName[i]->currentIndex();
            if (index >= 0 || !ReadInt(*store, VariableKey(i)))
                WriteInt(*store, VariableKey(i), index);
        }
}

void Tvardlg::FormActivate()
{
    const bool sercos = online::IsSercosCapable(session_.DriveModel);
    // A SERCOS-capable drive is changed and saved only under serial control. Any other drive gets
    // the controls back, so a 740-family drive under SERCOS control does not leave them hidden for
    // the drive connected next.
    const bool allowed = !sercos || session_.SerialControl;
    for (QPushButton *b : btnChange)
        b->setVisible(allowed);
    btnUserNVLoad->setEnabled(allowed);
    btnUserNVSave->setEnabled(allowed);
}

void Tvardlg::SetUnconfigureVisible(bool visible) { btnUserUnconfigure->setVisible(visible); }

std::array<std::string, online::kRows> Tvardlg::Names() const
{
    std::array<std::string, online::kRows> names;
    for (int i = 0; i < online::kRows; ++i)
        names[static_cast<std::size_t>(i)] = cmbName[i]->currentText().toStdString();
    return names;
}

void Tvardlg::RefreshRow(int row)
{
    ++refreshes_;
    struct Refreshed {
        online::RowView view;
        std::string valueText;
    };
    worker_->Run<Refreshed>(
        [this, row, name = cmbName[row]->currentText().toStdString(), entries = entries_] {
            model_.SetName(row, name);
            Refreshed r;
            r.view = model_.RefreshRow(row, *entries);
            r.valueText = model_.RowAt(row).valueText;
            return r;
        },
        [this, row, name = cmbName[row]->currentText().toStdString()](const Refreshed &r) {
            --refreshes_;
            // The user typed on meanwhile: the refresh of the newer name follows; this one would
            // put an older text back into the box.
            if (CompareNames(cmbName[row]->currentText().toStdString(), name) != 0)
                return;
            valueText_[static_cast<std::size_t>(row)] = r.valueText;
            ApplyRow(row, r.view);
        });
}

void Tvardlg::ApplyRow(int row, const online::RowView &view)
{
    QComboBox *box = cmbName[row];
    {
        const QSignalBlocker block(box);
        // While the user types, the caret stays where it was (the text changes in letter case only).
        const int caret = box->lineEdit() ? box->lineEdit()->cursorPosition() : 0;
        if (view.entryIndex >= 0 && view.entryIndex < box->count()) {
            box->setCurrentIndex(view.entryIndex);
        } else {
            // A name that is none of the entries: no entry is selected (so none is stored).
            box->setCurrentIndex(-1);
            box->setEditText(Q(view.nameText));
        }
        if (box->lineEdit()) {
            box->lineEdit()->deselect();
            if (box->lineEdit()->hasFocus())
                box->lineEdit()->setCursorPosition(caret);
        }
    }
    lblShow[row]->setText(Q(view.helpText));
    btnChange[row]->setEnabled(view.changeEnabled);
    edtShowNum[row]->setText(Q(view.valueBox));
}

void Tvardlg::Timer2Timer()
{
    // A poll still waiting for a slow drive is not joined by another one.
    if (pollInFlight_)
        return;
    pollInFlight_ = true;
    struct Polled {
        online::DriveView view;
        std::array<std::string, online::kRows> valueText;
    };
    const online::DriveContext context{session_.ControlSwitchShown, session_.SerialControl};
    worker_->Run<Polled>(
        [this, names = Names(), context] {
            for (int i = 0; i < online::kRows; ++i)
                model_.SetName(i, names[static_cast<std::size_t>(i)]);
            Polled p;
            p.view = model_.Poll(context);
            for (int i = 0; i < online::kRows; ++i)
                p.valueText[static_cast<std::size_t>(i)] = model_.RowAt(i).valueText;
            return p;
        },
        [this](const Polled &p) {
            pollInFlight_ = false;
            valueText_ = p.valueText;
            commOk_ = p.view.commOk;
            ApplyPoll(p.view);
            pnlFault->setVisible(!commOk_);
            emit polled();
        });
}

void Tvardlg::ApplyPoll(const online::DriveView &view)
{
    for (int i = 0; i < online::kRows; ++i)
        edtShowNum[i]->setText(Q(view.valueBox[static_cast<std::size_t>(i)]));
    for (int k = 0; k < online::kLamps; ++k) {
        const online::LampView &lamp = view.lamps[static_cast<std::size_t>(k)];
        AbLED[k]->SetLit(lamp.lit);
        AbLED[k]->SetCaption(Q(lamp.caption));
        AbLED[k]->setToolTip(Q(lamp.hint));
        AbLED[k]->setAccessibleDescription(Q(lamp.hint));
    }
    lblDrive->setText(Q(view.driveLabel));
    lblMotor->setText(Q(view.motorLabel));
    lblOpMode->setText(Q(view.modeLabel));
    grpFaultInfo->setVisible(view.faultGroupVisible);
    AbLEDFault->setVisible(view.faultLampVisible);
    AbLEDFault->SetLit(view.faultLampLit);
    lblFaultCode->setText(Q(view.faultCodeText));
    lblExtFault->setText(Q(view.extFaultText));
}

void Tvardlg::ChangeRow(int row)
{
    if (!changeDialog_)
        return;
    const int result = changeDialog_->ChangeValue(cmbName[row]->currentText(), Q(RowValueText(row)));
    if (result == QDialog::Accepted)
        RefreshRow(row);
    btnChange[row]->setFocus();
    FormHide();
    FormShow();
}

void Tvardlg::RunWithFeedback(const std::string &command, QPushButton *button, std::function<void()> ended)
{
    commandRunning_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    cursorOverridden_ = true;
    const QString caption = button->text();
    button->setText(QString::fromLatin1(online::kWorkingCaption));
    const unsigned long command_id = ++commandId_;
    // The caption comes back after the second, or at once when the window hides meanwhile.
    endCommand_ = [this, button, caption, ended = std::move(ended)] {
        RestoreCursor();
        button->setText(caption);
        commandRunning_ = false;
        if (ended)
            ended();
    };
    worker_->Run<std::string>([command] { return online::RunCommand(command); },
                              [this, button, command_id](const std::string &shown) {
                                  RestoreCursor();
                                  button->setText(Q(shown));
                                  // The user sees the outcome for a second; the polls go on meanwhile.
                                  QTimer::singleShot(1000, this, [this, command_id] {
                                      if (command_id == commandId_)
                                          EndCommand();
                                  });
                              });
}

void Tvardlg::EndCommand()
{
    if (!endCommand_)
        return;
    const std::function<void()> end = std::move(endCommand_);
    endCommand_ = nullptr;
    end();
}

void Tvardlg::RestoreCursor()
{
    if (cursorOverridden_)
        QApplication::restoreOverrideCursor();
    cursorOverridden_ = false;
}

void Tvardlg::btnUserNVLoadClick()
{
    if (commandRunning_)
        return;
    if (online::ConfirmNvLoad(session_.DriveModel, messages_))
        RunWithFeedback("NVLoad", btnUserNVLoad);
}

void Tvardlg::btnUserNVSaveClick()
{
    if (commandRunning_)
        return;
    commandRunning_ = true;
    worker_->Run<bool>([this] { return online::CheckCommunication(worker_->Questions()); },
                       [this](const bool &answered) {
                           commandRunning_ = false;
                           if (!answered)
                               return;
                           // The monitor stays out of the save and the second after it.
                           session_.SuspendStatusPolling();
                           RunWithFeedback("NVSave", btnUserNVSave, [this] { session_.ResumeStatusPolling(); });
                       });
}

void Tvardlg::btnUserUnconfigureClick()
{
    if (!commandRunning_)
        RunWithFeedback("Unconfigure", btnUserUnconfigure);
}

void Tvardlg::btnResetFaultClick()
{
    btnResetFault->setEnabled(false);
    worker_->Run([this] { online::ResetFault(worker_->Questions()); }, [this] { btnResetFault->setEnabled(true); });
}

void Tvardlg::btnSwitchClick() { session_.Open(Window::Oscilloscope); }

} // namespace tools700
