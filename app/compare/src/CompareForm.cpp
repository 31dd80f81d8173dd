#include "tools700/compare/CompareForm.h"

#include "tools700/common/Messages.h"
#include "tools700/common/Session.h"
#include "tools700/config/PdfCanvas.h"
#include "tools700/config/QtPrintCanvas.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/Application.h"
#include "tools700/widgets/CfgFileDialog.h"
#include "tools700/widgets/Controls.h"
#include "tools700/widgets/HelpViewer.h"

#include <QAbstractButton>
#include <QCheckBox>
#include <QItemSelectionModel>
#include <QPrinterInfo>
#include <QFontDatabase>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QProgressBar>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

namespace tools700 {

namespace {

const char *DifferenceText(Difference d)
{
    switch (d) {
    case Difference::None: return "same";
    case Difference::Value: return "differs";
    case Difference::NotInFile: return "not in the file";
    case Difference::NotReadable: return "not readable";
    case Difference::NotInDriveFamily: return "not of the drive's family";
    }
    return "";
}

// The table's columns, in order.
enum Column { kVariable, kDescription, kConfiguration, kDrive, kDifference, kDownload, kColumns };
const char *const kHeaders[kColumns] = {"Variable", "Description", "Configuration", "Drive", "Difference", "Download"};


} // namespace

TCompareForm::TCompareForm(Session &session, Messages &messages, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages), worker_(this, messages)
{
    setObjectName(QStringLiteral("CompareForm"));
    setProperty("helpContext", kHelpCompareWindow);
    setWindowTitle(QStringLiteral("Compare with Drive"));
    setModal(true);
    resize(980, 600);

    auto label = [this](const char *name) {
        auto *l = new QLabel(this);
        l->setObjectName(QString::fromLatin1(name));
        l->setTextInteractionFlags(Qt::TextSelectableByMouse | Qt::TextSelectableByKeyboard);
        return l;
    };
    auto button = [this](const char *name, const QString &caption, const char *hint) {
        auto *b = new QPushButton(caption, this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        b->setToolTip(QString::fromLatin1(hint));
        return b;
    };
    lblConfiguration = label("lblConfiguration");
    lblDrive = label("lblDrive");
    lblModelWarning = label("lblModelWarning");
    lblModelWarning->setWordWrap(true);
    lblModelWarning->setStyleSheet(QStringLiteral("color: #b00000; font-weight: bold"));
    lblModelWarning->hide();
    lblSummary = label("lblSummary");
    lblResult = label("lblResult");
    lblResult->setWordWrap(true);

    chkAll = new QCheckBox(QStringLiteral("Show &all variables"), this);
    chkAll->setObjectName(QStringLiteral("chkAll"));
    btnTickAll = button("btnTickAll", QStringLiteral("Tick A&ll"), "Ticks every row shown");
    btnTickNone = button("btnTickNone", QStringLiteral("&Untick All"), "Unticks every row shown");

    tblVariables = new QTableWidget(0, kColumns, this);
    tblVariables->setObjectName(QStringLiteral("tblVariables"));
    QStringList headers;
    for (const char *h : kHeaders)
        headers << QString::fromLatin1(h);
    tblVariables->setHorizontalHeaderLabels(headers);
    tblVariables->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A row's tick is its selection: a click, Space on the current row and a screen reader's
    // select or toggle action all tick or untick it the same way; the check box shows it.
    tblVariables->setSelectionBehavior(QAbstractItemView::SelectRows);
    tblVariables->setSelectionMode(QAbstractItemView::MultiSelection);
    tblVariables->setTabKeyNavigation(false);
    tblVariables->setCornerButtonEnabled(false);
    tblVariables->verticalHeader()->hide();
    tblVariables->horizontalHeader()->setStretchLastSection(true);
    NameControl(tblVariables, QStringLiteral("Differences"));
    tblVariables->setAccessibleDescription(
        QStringLiteral("One row a variable: its tick, name, description, the configuration's value, the drive's "
                       "value, the difference and what a download does with it. A selected row is ticked: "
                       "Space or a click ticks or unticks it."));
    // The corner button of the table (hidden with the row headers) is a button all the same.
    for (QAbstractButton *corner : tblVariables->findChildren<QAbstractButton *>())
        NameControl(corner, QStringLiteral("Tick every row"));

    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();
    NameControl(ProgressBar1, QStringLiteral("Progress"));

    btnRead = button("btnRead", QStringLiteral("&Read Again"), "Reads the drive's values again and compares");
    btnSend = button("btnSend", QStringLiteral("&Send to Drive"),
                     "Writes the ticked values into the drive, with the checks and questions of Download To Drive");
    btnTake = button("btnTake", QStringLiteral("&Take from Drive"),
                     "Copies the drive's ticked values into the configuration");
    btnPrint = button("btnPrint", QStringLiteral("&Print\u2026"), "Prints the rows shown");
    btnPdf = button("btnPdf", QStringLiteral("Save as P&DF\u2026"), "Saves the rows shown as a PDF file");
    btnClose = button("btnClose", QStringLiteral("&Close"), "Closes this window");
    btnHelp = button("btnHelp", QStringLiteral("&Help"), "Opens the help page of this window");

    auto *ticks = new QHBoxLayout;
    ticks->addWidget(chkAll);
    ticks->addStretch(1);
    ticks->addWidget(btnTickAll);
    ticks->addWidget(btnTickNone);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnRead, btnSend, btnTake})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton *b : {btnPrint, btnPdf, btnClose, btnHelp})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    for (QLabel *l : {lblConfiguration, lblDrive, lblModelWarning, lblSummary})
        layout->addWidget(l);
    layout->addLayout(ticks);
    layout->addWidget(tblVariables, 1);
    layout->addWidget(ProgressBar1);
    layout->addWidget(lblResult);
    layout->addLayout(buttons);

    connect(btnRead, &QPushButton::clicked, this, [this] { RunAction([this] { btnReadClick(); }); });
    connect(btnSend, &QPushButton::clicked, this, [this] { RunAction([this] { btnSendClick(); }); });
    connect(btnTake, &QPushButton::clicked, this, [this] { RunAction([this] { btnTakeClick(); }); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { RunAction([this] { btnPrintClick(); }); });
    connect(btnPdf, &QPushButton::clicked, this, [this] { RunAction([this] { btnPdfClick(); }); });
    connect(btnTickAll, &QPushButton::clicked, this, [this] { btnTickAllClick(); });
    connect(btnTickNone, &QPushButton::clicked, this, [this] { btnTickNoneClick(); });
    connect(chkAll, &QCheckBox::toggled, this, [this] { chkAllClick(); });
    connect(btnClose, &QPushButton::clicked, this, [this] { btnCloseClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(tblVariables->selectionModel(), &QItemSelectionModel::selectionChanged, this, [this] { SelectionChanged(); });

    pdfDialog_ = MakePdfFileDialog("Save the Differences as PDF", session_.CfgDir, this);
    UpdateButtons();
}

TCompareForm::~TCompareForm() = default;

void TCompareForm::SetPdfDialog(std::unique_ptr<FileDialog> dialog) { pdfDialog_ = std::move(dialog); }

bool TCompareForm::Open(const std::function<void()> &open)
{
    // Work of an earlier opening still running reports nothing here.
    worker_.Cancel();
    if (busy_)
        SetBusy(false);
    try {
        open();
    } catch (const std::exception &e) {
        messages_.Message(e.what());
        return false;
    }
    chkAll->setChecked(false);
    otherModelAccepted_ = false;
    lblResult->clear();
    lblModelWarning->hide();
    const int model = TruncToInt(workflow_.Configuration()->Get("Model"));
    lblConfiguration->setText(Q("Configuration: " + workflow_.Name() + " (" + ModelText(model) + ")"));
    setWindowTitle(Q("Compare with Drive - " + workflow_.Name()));
    Fill();
    show();
    btnReadClick();
    return true;
}

bool TCompareForm::BeginConfiguration(Cfg &cfg, const std::string &name)
{
    return Open([&] { workflow_.OpenConfiguration(cfg, name); });
}

bool TCompareForm::BeginFile(const std::string &path)
{
    return Open([&] { workflow_.OpenFile(path); });
}

int TCompareForm::CompareConfiguration(Cfg &cfg, const std::string &name)
{
    if (!BeginConfiguration(cfg, name))
        return 0;
    exec();
    return workflow_.TakenSinceSave();
}

void TCompareForm::CompareFile(const std::string &path)
{
    if (BeginFile(path))
        exec();
}

void TCompareForm::ShowProgress(bool visible)
{
    ProgressBar1->setValue(0);
    ProgressBar1->setVisible(visible);
}

void TCompareForm::SetBusy(bool busy)
{
    busy_ = busy;
    if (busy)
        ShowProgress(true);
    else
        ProgressBar1->hide();
    UpdateButtons();
}

void TCompareForm::btnReadClick()
{
    if (busy_)
        return;
    lblDrive->setText(QStringLiteral("Drive: reading\u2026"));
    SetBusy(true);
    Messages &questions = worker_.Questions();
    const ProgressFn progress = worker_.Progress([this](double f) { ProgressBar1->setValue(static_cast<int>(100 * f)); });
    const CompareWorkflow::Snapshot snapshot = workflow_.MakeSnapshot();
    // Another model is asked about once an opening: reading again after a send does not ask again.
    const bool accepted = otherModelAccepted_;
    worker_.Run<CompareResult>(
        [snapshot, progress, &questions, accepted] {
            const auto ask = [&questions, accepted](const std::string &warning) {
                return accepted ||
                       questions.Warning(warning + "\n\nCompare them anyway?", BtnYes | BtnNo) == Answer::Yes;
            };
            return CompareWorkflow::Read(snapshot, ask, progress, [] { return DriveWorker::CurrentJobCancelled(); });
        },
        [this](const CompareResult &result) {
            SetBusy(false);
            if (result.outcome == CompareOutcome::OtherModelDeclined) {
                // Nothing to show: the user chose not to compare another model's configuration.
                workflow_.Show(result);
                close();
                return;
            }
            if (result.outcome == CompareOutcome::Cancelled)
                return;
            workflow_.Show(result);
            otherModelAccepted_ |= result.outcome == CompareOutcome::Compared && !workflow_.Current().SameModel();
            if (result.outcome == CompareOutcome::NoDrive) {
                lblDrive->setText(QStringLiteral("Drive: no answer"));
                lblSummary->setText(QStringLiteral(
                    "Can't communicate with the drive: check the port and axis, then press Read Again."));
            } else {
                const Comparison &c = workflow_.Current();
                lblDrive->setText(Q("Drive: " + ModelText(c.driveModel)));
                lblModelWarning->setVisible(!c.SameModel());
                lblModelWarning->setText(c.SameModel() ? QString() : Q(OtherModelWarning(c.configurationModel, c.driveModel)));
                lblSummary->setText(Q(c.Summary()));
            }
            Fill();
        });
}

void TCompareForm::btnSendClick()
{
    const std::vector<std::string> names = workflow_.TickedNames();
    if (busy_ || names.empty())
        return;
    SetBusy(true);
    Messages &questions = worker_.Questions();
    const ProgressFn progress = worker_.Progress([this](double f) { ProgressBar1->setValue(static_cast<int>(100 * f)); });
    DownloadOptions options;
    options.showProgress = [](bool) {}; // the bar shows from the start of the work to its end
    options.changeCommunication = [this] {
        worker_.RunOnWindowThread([this] { session_.Open(Window::PortAxis); });
        return true;
    };
    // What the session says of the drive is read here, on the window's thread.
    options.underSercos = session_.ControlSwitchShown && !session_.SerialControl;
    const CompareWorkflow::Snapshot snapshot = workflow_.MakeSnapshot();
    Session &session = session_;
    worker_.Run<DownloadOutcome>(
        [&session, &questions, snapshot, names, options, progress] {
            return CompareWorkflow::Send(session, questions, snapshot, names, options, progress);
        },
        [this, count = names.size()](const DownloadOutcome &out) {
            SetBusy(false);
            if (out.downloaded)
                lblResult->setText(QString::number(count) + (count == 1 ? QStringLiteral(" value") : QStringLiteral(" values")) +
                                   QStringLiteral(" sent to the drive") +
                                   (out.savedToNv ? QStringLiteral(" and saved in its non-volatile memory.")
                                                  : QStringLiteral(".")));
            else
                lblResult->setText(QStringLiteral("Nothing was sent, or the sending stopped part way."));
            // What the drive holds now.
            btnReadClick();
        });
}

void TCompareForm::btnTakeClick()
{
    if (busy_ || workflow_.TickedNames().empty())
        return;
    const std::vector<std::string> taken = workflow_.Take();
    Fill();
    lblSummary->setText(Q(workflow_.Current().Summary()));
    if (taken.empty()) {
        messages_.Message("Nothing was taken: the drive gave no value for the variables ticked.");
        return;
    }
    lblResult->setText(QString::number(taken.size()) +
                       (taken.size() == 1 ? QStringLiteral(" value") : QStringLiteral(" values")) +
                       QStringLiteral(" taken from the drive into the configuration."));
    if (workflow_.FromFile())
        AskToSave("Save the values taken from the drive in\n" + workflow_.Name() + "?");
}

bool TCompareForm::AskToSave(const std::string &question)
{
    if (!messages_.Confirm(question))
        return true;
    if (!workflow_.SaveFile()) {
        messages_.Message("The file has not been saved properly");
        return false;
    }
    lblResult->setText(lblResult->text() + Q(" Saved in " + workflow_.Name() + "."));
    Fill();
    return true;
}

void TCompareForm::btnPrintClick()
{
    if (!workflow_.Compared())
        return;
    // Without a printer the differences go to a PDF file.
    if (QPrinterInfo::availablePrinters().isEmpty()) {
        btnPdfClick();
        return;
    }
    QPrinter printer(QPrinter::HighResolution);
    QPrintDialog dialog(&printer, this);
    dialog.setWindowTitle(QStringLiteral("Print the Differences"));
    if (dialog.exec() != QDialog::Accepted)
        return;
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPointSize(10);
    QtPrintCanvas canvas(printer, font, [&printer](const QString &t) { printer.setDocName(t); });
    workflow_.Print(canvas, chkAll->isChecked());
}

void TCompareForm::btnPdfClick()
{
    std::string file;
    if (!workflow_.Compared() || !pdfDialog_ || !pdfDialog_->Execute(file))
        return;
    PdfCanvas canvas(file);
    workflow_.Print(canvas, chkAll->isChecked());
    lblResult->setText(Q("Saved as " + file + " (" + std::to_string(canvas.Pages()) + " pages)."));
}

void TCompareForm::btnTickAllClick()
{
    workflow_.TickRows(chkAll->isChecked(), true);
    Fill();
}

void TCompareForm::btnTickNoneClick()
{
    workflow_.TickRows(chkAll->isChecked(), false);
    Fill();
}

void TCompareForm::chkAllClick() { Fill(); }

void TCompareForm::btnCloseClick() { reject(); }

void TCompareForm::btnHelpClick() { AppHelp().ShowContext(kHelpCompareWindow); }

bool TCompareForm::LeaveWindow()
{
    if (workflow_.FromFile() && workflow_.TakenSinceSave() > 0)
        return AskToSave("The values taken from the drive are not saved in\n" + workflow_.Name() +
                         " yet.\n\nSave them now?");
    return true;
}

void TCompareForm::reject()
{
    // Escape, the title bar's close and Close: the values taken into a file are not lost unasked.
    if (LeaveWindow())
        QDialog::reject();
}

void TCompareForm::done(int result)
{
    // The work still running ends at its next exchange; nothing it finds reaches the window.
    worker_.Cancel();
    if (busy_)
        SetBusy(false);
    QDialog::done(result);
}

void TCompareForm::Fill()
{
    filling_ = true;
    const bool all = chkAll->isChecked();
    rows_ = workflow_.Rows(all);
    tblVariables->clearSelection();
    tblVariables->setRowCount(static_cast<int>(rows_.size()));
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        const ComparedVariable &v = *rows_[r];
        const QString texts[kColumns] = {Q(v.name),        Q(v.help),
                                         Q(v.fileText),    Q(v.driveText),
                                         QString::fromLatin1(DifferenceText(v.difference)),
                                         QString::fromLatin1(DownloadRoleText(v.role))};
        const bool tickable = CompareWorkflow::Tickable(v);
        for (int c = 0; c < kColumns; ++c) {
            auto *item = new QTableWidgetItem(texts[c]);
            // A row that can be neither sent nor taken cannot be selected, so never ticked.
            item->setFlags(tickable ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::ItemIsEnabled);
            if (!v.help.empty())
                item->setToolTip(Q(v.help));
            tblVariables->setItem(r, c, item);
        }
        if (workflow_.Ticked(v.name))
            tblVariables->selectionModel()->select(tblVariables->model()->index(r, 0),
                                                   QItemSelectionModel::Select | QItemSelectionModel::Rows);
    }
    ShowTicks();
    tblVariables->resizeColumnsToContents();
    NameControl(tblVariables, all ? QStringLiteral("Variables compared") : QStringLiteral("Differences"));
    filling_ = false;
    UpdateButtons();
}

void TCompareForm::ShowTicks()
{
    const QItemSelectionModel *selection = tblVariables->selectionModel();
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r) {
        QTableWidgetItem *item = tblVariables->item(r, kVariable);
        if (!item || !CompareWorkflow::Tickable(*rows_[r]))
            continue;
        const bool ticked = selection->isRowSelected(r, QModelIndex());
        item->setCheckState(ticked ? Qt::Checked : Qt::Unchecked);
        // What a screen reader says of the row's first cell: its name and whether it is ticked.
        item->setData(Qt::AccessibleTextRole, Q(rows_[r]->name) + (ticked ? QStringLiteral(", ticked") : QString()));
    }
}

void TCompareForm::SelectionChanged()
{
    if (filling_)
        return;
    const QItemSelectionModel *selection = tblVariables->selectionModel();
    for (int r = 0; r < static_cast<int>(rows_.size()); ++r)
        workflow_.SetTicked(rows_[r]->name, selection->isRowSelected(r, QModelIndex()));
    filling_ = true;
    ShowTicks();
    filling_ = false;
    UpdateButtons();
}

void TCompareForm::UpdateButtons()
{
    const bool idle = !busy_;
    const bool compared = workflow_.Compared();
    const bool ticked = compared && !workflow_.TickedNames().empty();
    btnRead->setEnabled(idle && workflow_.Configuration() != nullptr);
    btnSend->setEnabled(idle && ticked);
    btnTake->setEnabled(idle && ticked);
    btnTickAll->setEnabled(idle && compared);
    btnTickNone->setEnabled(idle && ticked);
    btnPrint->setEnabled(idle && compared);
    btnPdf->setEnabled(idle && compared);
    tblVariables->setEnabled(idle);
}

} // namespace tools700
