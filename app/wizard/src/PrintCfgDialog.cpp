#include "tools700/wizard/PrintCfgDialog.h"

#include "tools700/config/QtPrintCanvas.h"
#include "tools700/config/ValueSet.h"
#include "tools700/dictionary/DriveFamily.h"
#include "tools700/widgets/Accessibility.h"

#include <QApplication>
#include <QFileDialog>
#include <QFontDatabase>
#include <QFontDialog>
#include <QHBoxLayout>
#include <QLabel>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>
#include <QProgressBar>
#include <QPushButton>
#include <QScreen>
#include <QVBoxLayout>

namespace tools700 {

TPrintCfgDialog::TPrintCfgDialog(QWidget *parent)
    : QDialog(parent), printer_(std::make_unique<QPrinter>(QPrinter::HighResolution)),
      font_(QFontDatabase::systemFont(QFontDatabase::FixedFont))
{
    setObjectName(QStringLiteral("PrintCfgDialog"));
    setWindowTitle(QStringLiteral("Print"));
    setModal(true);
    font_.setPointSize(10);

    lblConfigname = new QLabel(this);
    lblConfigname->setObjectName(QStringLiteral("lblConfigname"));
    auto button = [this](const char *name, const char *caption) {
        auto *b = new QPushButton(QString::fromLatin1(caption), this);
        b->setObjectName(QString::fromLatin1(name));
        b->setAutoDefault(false);
        return b;
    };
    Setup = button("Setup", "Printer &Setup");
    btnFont = button("btnFont", "&Font");
    btnPrint = button("btnPrint", "&Print");
    btnPrint->setDefault(true);
    btnCancel = button("btnCancel", "Cancel");
    ProgressBar1 = new QProgressBar(this);
    ProgressBar1->setObjectName(QStringLiteral("ProgressBar1"));
    ProgressBar1->setRange(0, 100);
    ProgressBar1->hide();
    NameControl(ProgressBar1, QStringLiteral("Print progress"));

    auto *buttons = new QHBoxLayout;
    for (QPushButton *b : {Setup, btnFont, btnPrint, btnCancel})
        buttons->addWidget(b);
    auto *layout = new QVBoxLayout(this);
    layout->addWidget(lblConfigname);
    layout->addLayout(buttons);
    layout->addWidget(ProgressBar1);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    connect(Setup, &QPushButton::clicked, this, [this] { SetupClick(); });
    connect(btnFont, &QPushButton::clicked, this, [this] { btnFontClick(); });
    connect(btnPrint, &QPushButton::clicked, this, [this] { btnPrintClick(); });
    connect(btnCancel, &QPushButton::clicked, this, [this] { reject(); });
}

TPrintCfgDialog::~TPrintCfgDialog() = default;

void TPrintCfgDialog::Prepare(ValueSet &cfg, const std::string &title)
{
    cfg_ = &cfg;
    title_ = title;
    lblConfigname->setText(QString::fromStdString(title));
    ProgressBar1->hide();
    if (QScreen *screen = QApplication::primaryScreen())
        move(screen->availableGeometry().center() - rect().center());
}

void TPrintCfgDialog::Begin(ValueSet &cfg, const std::string &title)
{
    Prepare(cfg, title);
    show();
}

void TPrintCfgDialog::ShowPrintDialog(ValueSet &cfg, const std::string &title)
{
    Prepare(cfg, title);
    exec();
}

void TPrintCfgDialog::SetupClick()
{
    QPrintDialog dialog(printer_.get(), this);
    dialog.setWindowTitle(QStringLiteral("Printer Setup"));
    dialog.exec();
}

void TPrintCfgDialog::btnFontClick()
{
    bool ok = false;
    const QFont chosen = QFontDialog::getFont(&ok, font_, this, QStringLiteral("Font"),
                                              QFontDialog::MonospacedFonts | QFontDialog::DontUseNativeDialog);
    if (ok)
        font_ = chosen;
}

bool TPrintCfgDialog::ChoosePdfFile()
{
    const QString file = QFileDialog::getSaveFileName(this, QStringLiteral("Print to PDF File"), QString(),
                                                      QStringLiteral("PDF Files (*.pdf)"));
    if (file.isEmpty())
        return false;
    printer_->setOutputFormat(QPrinter::PdfFormat);
    printer_->setOutputFileName(file.endsWith(QLatin1String(".pdf"), Qt::CaseInsensitive) ? file
                                                                                          : file + QStringLiteral(".pdf"));
    return true;
}

bool TPrintCfgDialog::btnPrintClick()
{
    if (!cfg_)
        return false;
    // Without a printer on this machine the listing goes to a PDF file.
    if (printer_->outputFileName().isEmpty() && QPrinterInfo::availablePrinters().isEmpty() && !ChoosePdfFile())
        return false;
    ProgressBar1->setValue(0);
    ProgressBar1->show();
    const int model = TruncToInt(cfg_->Get("Model"));
    {
        QtPrintCanvas canvas(*printer_, font_, [this](const QString &t) { printer_->setDocName(t); });
        cfg_->Print(canvas, title_, false,
                    [this](double fraction) {
                        ProgressBar1->setValue(static_cast<int>(ProgressBar1->maximum() * fraction));
                        QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
                    },
                    model);
    }
    ProgressBar1->hide();
    accept();
    return true;
}

} // namespace tools700
