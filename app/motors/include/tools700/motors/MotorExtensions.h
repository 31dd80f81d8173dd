// Loading the user motors of the motor database extension files (*.MDE) of the program's
// folder, and the question the program asks when a motor name turns up twice.
#pragma once

#include "tools700/common/Messages.h"

#include <filesystem>
#include <string>
#include <vector>

namespace tools700 {

// Flushes the extension motors of the database, then reads every extension file of `folder`
// with mdb_Extend, showing through `messages` a plain message for a file that cannot be opened
// or is invalid, and the duplicate question of ReportDuplicate. A duplicate answered Abort
// leaves the remaining files unread.
void LoadMotorExtensions(const std::filesystem::path &folder, Messages &messages);

// What LoadMotorExtensions shows for an mdb_Extend result on the file `path`: the texts for
// 3, 4 and anything above 4; empty for the results that show nothing.
std::string ExtendResultMessage(int result, const std::string &path);

// The extension files of `folder` in the order they are read: regular files whose extension is
// ".MDE" in any letter case (the motor editor saves "*.mde"), sorted by name. An unreadable or
// missing folder has none.
std::vector<std::filesystem::path> MotorExtensionFiles(const std::filesystem::path &folder);

// Asks what to do about a motor `name` defined again by the file `path`; `existingSource` is
// the base name of the file that defined it first, null for a built-in motor. Shows a warning
// with OK, Cancel and Abort and answers 0 (OK, or the box closed otherwise), 1 (Cancel) or
// 2 (Abort) - the answers mdb_Extend expects of its duplicate handler.
int ReportDuplicate(Messages &messages, const char *existingSource, const char *path,
                    const char *name);

// The text of that warning.
std::string DuplicateText(const char *existingSource, const char *path, const char *name);

} // namespace tools700
