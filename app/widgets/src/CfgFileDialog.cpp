#include "tools700/widgets/CfgFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tools700 {

namespace {

class QtFileDialog : public FileDialog {
public:
    QtFileDialog(bool save, std::string title, std::string folder, QString filter, QString suffix, QString name,
                 QWidget *parent)
        : save_(save), title_(std::move(title)), folder_(std::move(folder)), filter_(std::move(filter)),
          suffix_(std::move(suffix)), name_(std::move(name)), parent_(parent)
    {
    }

    bool Execute(std::string &fileName) override
    {
        for (;;) {
            QFileDialog dlg(parent_, QString::fromStdString(title_), QString::fromStdString(folder_), filter_);
            dlg.setObjectName(name_);
            dlg.setDefaultSuffix(suffix_);
            dlg.setAcceptMode(save_ ? QFileDialog::AcceptSave : QFileDialog::AcceptOpen);
            dlg.setFileMode(save_ ? QFileDialog::AnyFile : QFileDialog::ExistingFile);
            if (dlg.exec() != QDialog::Accepted || dlg.selectedFiles().isEmpty())
                return false;
            const QString chosen = dlg.selectedFiles().front();
            const QFileInfo info(chosen);
            if (save_ && (!info.dir().exists() || (info.exists() && !info.isWritable()))) {
                // The folder must exist; read-only files are refused.
                continue;
            }
            folder_ = info.absolutePath().toStdString();
            fileName = chosen.toStdString();
            return true;
        }
    }

private:
    bool save_;
    std::string title_;
    std::string folder_;
    QString filter_, suffix_, name_;
    QWidget *parent_;
};

} // namespace

std::unique_ptr<FileDialog> MakeCfgFileDialog(bool save, const std::string &title, const std::string &folder,
                                             QWidget *parent)
{
    return std::make_unique<QtFileDialog>(save, title, folder, QStringLiteral("Configuration Files (*.cfg)"),
                                          QStringLiteral("cfg"),
                                          save ? QStringLiteral("SaveCfgDlg") : QStringLiteral("OpenCfgDlg"), parent);
}

std::unique_ptr<FileDialog> MakePdfFileDialog(const std::string &title, const std::string &folder, QWidget *parent)
{
    return std::make_unique<QtFileDialog>(true, title, folder, QStringLiteral("PDF Files (*.pdf)"),
                                          QStringLiteral("pdf"), QStringLiteral("SavePdfDlg"), parent);
}

} // namespace tools700
