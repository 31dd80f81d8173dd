// The Qt file dialogs of the configuration files ("Configuration Files (*.cfg)", default suffix
// "cfg") and of printouts saved as PDF, behind the FileDialog interface of the configuration model.
#pragma once

#include "tools700/config/FileDialog.h"

#include <memory>
#include <string>

class QWidget;

namespace tools700 {

// An open dialog offers existing files only. A save dialog asks before overwriting, and refuses a
// folder that does not exist or a file that cannot be written (the dialog comes back). Each
// dialog starts in `folder`, then in the folder of the last file chosen.
std::unique_ptr<FileDialog> MakeCfgFileDialog(bool save, const std::string &title, const std::string &folder,
                                             QWidget *parent);
// A save dialog for a PDF file ("PDF Files (*.pdf)", default suffix "pdf").
std::unique_ptr<FileDialog> MakePdfFileDialog(const std::string &title, const std::string &folder, QWidget *parent);

} // namespace tools700
