// tools700-cli firmware: the upgrade window's procedure on a terminal. The image is loaded and
// its checksum shown, the two questions are asked (or answered by --yes), then the drive erases
// its memory and the image is programmed segment after segment, with a progress bar.
#pragma once

#include "tools700/common/Messages.h"

#include <cstdio>
#include <string>

namespace tools700::cli {

struct FirmwareOptions {
    std::string file;
    bool eraseNv = false;
    bool progress = false; // draw the progress bar on `err`
    bool quiet = false;    // no summary lines
};

// Runs the upgrade on the open link. Exit codes: 0 programmed, 3 the file cannot be loaded,
// 4 the drive does not answer, 5 the drive is not ready or reports a programming fault,
// 6 a question was answered No.
int Firmware(const FirmwareOptions &options, Messages &messages, FILE *out, FILE *err);

} // namespace tools700::cli
