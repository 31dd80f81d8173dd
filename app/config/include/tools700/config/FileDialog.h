// The file dialogs behind SaveAs and LoadFrom. The logic only needs to know whether a file name
// was chosen; the windows plug in Qt dialogs through the factory, the tests a scripted one.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace tools700 {

class FileDialog {
public:
    virtual ~FileDialog() = default;
    // Shows the dialog; true with the chosen file name, false when it was cancelled.
    virtual bool Execute(std::string &fileName) = 0;
};

enum class FileDialogKind { Save, Open };

// Makes the dialog that SaveAs() and LoadFrom() show, given its kind and filter text
// ("Motor Database Extension (*.mde)|*.mde", empty for configuration files).
using FileDialogFactory =
    std::function<std::unique_ptr<FileDialog>(FileDialogKind kind, const std::string &filter)>;

// Sets the factory for the whole program; without one, SaveAs() and LoadFrom() behave as if the
// dialog had been cancelled.
void SetFileDialogFactory(FileDialogFactory factory);
std::unique_ptr<FileDialog> MakeFileDialog(FileDialogKind kind, const std::string &filter);

} // namespace tools700
