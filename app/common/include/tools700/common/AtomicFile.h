// Replaces a file only once its new contents are safely on disk: the text is written to a new
// temporary file beside the target, synced, and renamed over the target, so a full disk, a failed
// write or a crash leaves the previous file as it was. A symbolic link is followed (the link stays
// a link), the replaced file's permissions are kept and a new file gets the process's umask.
// The one way every part of 700Tools writes a file it replaces.
#pragma once

#include <string>

namespace tools700 {

// Why a write failed: whether the temporary file could be created at all, and errno of the step
// that failed.
struct FileWriteFailure {
    bool created = false;
    int error = 0;
};

// Writes `contents` as the new file `fileName`. False, with `failure` filled in, when anything
// fails; the previous file is then as it was and no temporary file is left behind.
bool ReplaceFile(const std::string &fileName, const std::string &contents, FileWriteFailure &failure);

// The same for the program, raising the texts the user is shown: "Can't open file <name>" when
// the temporary file cannot be created, "Error writing file <name>" when writing, syncing or
// renaming fails.
void WriteFileAtomically(const std::string &fileName, const std::string &contents);

} // namespace tools700
