#include "tools700/widgets/CfgFileDialog.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>

namespace tools700 {

namespace {

class QtCfgFileDialog : public FileDialog {
public:
    QtCfgFileDialog(bool save, std::string title, std::string folder, QWidget *parent)
        : save_(save), title_(std::move(title)), folder_(std::move(folder)), parent_(parent) {}

    bool Execute(std::string &fileName) override
    {
        for (;;) {
            QFileDialog dlg(parent_, QString::fromStdString(title_), QString::fromStdString(folder_),
                            QStringLiteral("Configuration Files (*.cfg)"));
            dlg.setObjectName(save_ ? QStringLiteral("SaveCfgDlg") : QStringLiteral("OpenCfgDlg"));
            dlg.setDefaultSuffix(QStringLiteral("cfg"));
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
    QWidget *parent_;
};

} // namespace

std::unique_ptr<FileDialog> MakeCfgFileDialog(bool save, const std::string &title, const std::string &folder,
                                             QWidget *parent)
{
    return std::make_unique<QtCfgFileDialog>(save, title, folder, parent);
}

} // namespace tools700
