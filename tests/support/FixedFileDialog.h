// A file dialog that "chooses" a file given beforehand; an empty name is a cancelled dialog.
#pragma once

#include "tools700/config/FileDialog.h"

#include <string>

namespace testsupport {

class FixedFileDialog : public tools700::FileDialog {
public:
    explicit FixedFileDialog(std::string file = "") : file(std::move(file)) {}
    bool Execute(std::string &fileName) override
    {
        ++shown;
        if (file.empty())
            return false;
        fileName = file;
        return true;
    }
    std::string file;
    int shown = 0;
};

} // namespace testsupport
