#include "tools700/wizard/SaveForm.h"

#include "tools700/common/Session.h"
#include "tools700/widgets/Accessibility.h"
#include "tools700/widgets/HelpViewer.h"
#include "tools700/widgets/WindowWorker.h"
#include "tools700/wizard/PrintCfgDialog.h"

#include <QApplication>
#include <QEvent>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tools700 {

TSaveForm::TSaveForm(Session &session, Messages &messages, TPrintCfgDialog &printDialog, QWidget *parent)
    : QDialog(parent), session_(session), messages_(messages), printDialog_(printDialog),
      worker_(std::make_unique<WindowWorker>(this, messages)), workflow_(session, worker_->Questions())
{
    setObjectName(QStringLiteral("SaveForm"));
    setProperty("helpContext", kHelpSaveWindow);
    setFont(QFont(QStringLiteral("Verdana"), font().pointSize()));
    setModal(true);

    auto label = [this](const char *name, const char *text) {
        auto *l = new QLabel(QString::fromLatin1(text), this);
        l->setObjectName(QString::fromLatin1(name));
        return l;
    };
    auto button = [this](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    Label2 = label("Label2", "Your configuration is complete now, but you should");
    Label3 = label("Label3", "either save it in a file, or download it to a drive.");
    btnSave = button("btnSave", "Save To &File");
    btnSave->setDefault(true);
    lblDoneSave = label("lblDoneSave", "Done!");
    btnDownload = button("btnDownload", "Download To &Drive");
    lblDoneDownload = label("lblDoneDownload", "Done!");
    lblSavedToNV = label("lblSavedToNV", "(saved to NV ram)");
    btnCompare = button("btnCompare", "Co&mpare with Drive");
    btnCompare->setText(QStringLiteral("Co&mpare with Drive\u2026"));
    btnCompare->setToolTip(QStringLiteral("Shows where this configuration and the drive differ, and sends or takes "
                                          "only the values you tick"));
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();
    NameControl(ProgressBar1, QStringLiteral("Download progress"));
    Label1 = label("Label1", "Press one of the buttons above to save this configuration.");
    btnPrint = button("btnPrint", "&Print");
    btnHelp = button("btnHelp", "&Help");
    btnBack = button("btnBack", "<< &Back");
    btnFinish = button("btnFinish", "&Finish >>");

    auto *grid = new QGridLayout;
    grid->addWidget(btnSave, 0, 0);
    grid->addWidget(lblDoneSave, 0, 1);
    grid->addWidget(btnDownload, 1, 0);
    grid->addWidget(lblDoneDownload, 1, 1);
    grid->addWidget(lblSavedToNV, 1, 2);
    grid->addWidget(btnCompare, 1, 3);
    grid->addWidget(ProgressBar1, 2, 0, 1, 3);
    grid->setColumnMinimumWidth(1, 60);
    grid->setColumnMinimumWidth(2, 140);
    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {btnPrint, btnHelp})
        buttons->addWidget(b);
    buttons->addStretch(1);
    for (QPushButton *b : {btnBack, btnFinish})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(Label2);
    layout->addWidget(Label3);
    layout->addSpacing(12);
    layout->addLayout(grid);
    layout->addSpacing(12);
    layout->addWidget(Label1);
    layout->addSpacing(12);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(btnSave, &QPushButton::clicked, this, [this] { btnSaveClick(); });
    connect(btnDownload, &QPushButton::clicked, this, [this] { btnDownloadClick(); });
    connect(btnCompare, &QPushButton::clicked, this, [this] { btnCompareClick(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnHelp, &QPushButton::clicked, this, [this] { btnHelpClick(); });
    connect(btnBack, &QPushButton::clicked, this, [this] { btnBackClick(); });
    connect(btnFinish, &QPushButton::clicked, this, [this] { btnFinishClick(); });
}

void TSaveForm::Prepare(ValueSet &cfg, const std::string &caption, bool modified, std::function<void()> activated)
{
    workflow_.Open(cfg, caption, modified);
    activated_ = std::move(activated);
    finishResult_ = false;
    setWindowTitle(QString::fromStdString(caption));
    // "Done!" and "(saved to NV ram)" tell what happened during this visit only.
    lblDoneDownload->hide();
    lblDoneSave->hide();
    lblSavedToNV->hide();
    ProgressBar1->hide();
    adjustSize();
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TSaveForm::Begin(ValueSet &cfg, const std::string &caption, bool modified, std::function<void()> activated)
{
    Prepare(cfg, caption, modified, std::move(activated));
    show();
    raise();
    activateWindow();
}

std::string TSaveForm::ShowSaveWindow(ValueSet &cfg, const std::string &caption, bool modified, bool &finish,
                                      std::function<void()> activated)
{
    Prepare(cfg, caption, modified, std::move(activated));
    exec();
    finish = finishResult_;
    activated_ = {};
    return workflow_.Caption();
}

void TSaveForm::showEvent(QShowEvent *event)
{
    QDialog::showEvent(event);
    FormActivate();
}

void TSaveForm::changeEvent(QEvent *event)
{
    QDialog::changeEvent(event);
    if (event->type() == QEvent::ActivationChange && isActiveWindow())
        FormActivate();
}

void TSaveForm::FormActivate()
{
    if (activated_)
        activated_();
    // A box of a running download gives the window back; the button waits for the download.
    if (!downloading_)
        btnDownload->setEnabled(workflow_.DownloadAllowed());
    btnCompare->setEnabled(workflow_.CompareAvailable());
}

void TSaveForm::btnSaveClick()
{
    if (!session_.SaveCfgDlg) {
        messages_.Message("The file has not been saved properly");
        return;
    }
    if (workflow_.Save(*session_.SaveCfgDlg)) {
        lblDoneSave->show();
        setWindowTitle(QString::fromStdString(workflow_.Caption()));
    }
}

TSaveForm::~TSaveForm() { worker_.reset(); }

void TSaveForm::btnDownloadClick()
{
    if (downloading_)
        return;
    btnDownload->setEnabled(false);
    downloading_ = true;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    const ProgressFn progress =
        worker_->Progress([this](double fraction) { ProgressBar1->setValue(static_cast<int>(ProgressBar1->maximum() * fraction)); });
    // What the session says of the drive is read here, on the window's thread.
    const bool allowed = workflow_.DownloadAllowed();
    worker_->Run<SaveWorkflow::DownloadResult>(
        [this, progress, allowed] {
            return workflow_.Download(
                progress,
                [this](bool visible) {
                    worker_->Post([this, visible] {
                        ProgressBar1->setValue(0);
                        ProgressBar1->setVisible(visible);
                    });
                },
                allowed);
        },
        [this](const SaveWorkflow::DownloadResult &result) {
            if (result.downloaded)
                lblDoneDownload->show();
            if (result.savedToNv)
                lblSavedToNV->show();
        },
        [this] { DownloadEnded(); });
}

void TSaveForm::DownloadEnded()
{
    if (!downloading_)
        return;
    downloading_ = false;
    QApplication::restoreOverrideCursor();
    btnDownload->setEnabled(true);
    ProgressBar1->hide();
}

void TSaveForm::done(int result)
{
    worker_->Cancel();
    DownloadEnded();
    QDialog::done(result);
}

void TSaveForm::btnCompareClick() { workflow_.Compare(); }

void TSaveForm::btnPrintClick()
{
    if (workflow_.Configuration())
        printDialog_.ShowPrintDialog(*workflow_.Configuration(), workflow_.Caption());
}

void TSaveForm::btnHelpClick() { AppHelp().ShowContext(kHelpSaveWindow); }

void TSaveForm::btnBackClick()
{
    finishResult_ = false;
    done(QDialog::Rejected);
}

void TSaveForm::btnFinishClick()
{
    if (!workflow_.Finish())
        return;
    finishResult_ = true;
    done(QDialog::Accepted);
}

} // namespace tools700
