// Configurations for the commands: read from a file, or uploaded from the drive.
#pragma once

#include "Command.h"
#include "tools700/common/Messages.h"
#include "tools700/config/Cfg.h"

#include <memory>
#include <string>

namespace tools700::cli {

// Reads a configuration file into a Cfg of the family its Model names, as Edit File does:
// first as a 730-family configuration, again as a 740-family one when the model says so.
// `read`, when given, receives the number of values read from the file.
std::unique_ptr<Cfg> LoadCfgFile(const std::string &file, int *read = nullptr);

// Reads the drive's configuration into a Cfg of its family, with a progress bar; nullptr (after
// the message) when the drive does not answer or a variable cannot be read.
std::unique_ptr<Cfg> UploadFromDrive(const Context &ctx, Messages &messages, const char *label);

} // namespace tools700::cli
