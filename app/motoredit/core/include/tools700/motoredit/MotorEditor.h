// The motor database editor's own copy of the user motors: every extension file of the program's
// folder read into a Motor when the editor opens, changed in memory, and written back on Exit.
//
// Exit never leaves the folder with fewer motors than it held or than the editor holds when a
// write fails: the new files are written first under temporary names, then the old files are
// moved aside, the new ones renamed into place and only then the old ones removed. A failure at
// any step puts the old files back, removes what was written, and is reported; the editor keeps
// its motors. A file that could not be read when the editor opened (and any file that was
// therefore not read) is left as it is.
#pragma once

#include "tools700/config/Motor.h"

#include <filesystem>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

namespace tools700 {
class Messages;
}

namespace tools700::motoredit {

// The suffixes of the files Exit writes and moves aside on the way (neither is an extension file).
inline constexpr const char *kNewSuffix = ".new";
inline constexpr const char *kOldSuffix = ".old";

// "Unable to delete old definition of \n"<path>"\nMotor database update aborted!"
std::string DeleteFailedText(const std::string &path);

class MotorEditor {
public:
    explicit MotorEditor(std::filesystem::path folder = {});

    void SetFolder(std::filesystem::path folder) { folder_ = std::move(folder); }
    const std::filesystem::path &Folder() const { return folder_; }

    // Reads the extension files in the order they are listed. A file that cannot be read shows
    // its error; its name is listed without a motor, and the files after it are not read.
    void Open(Messages &messages);

    // The motor names, sorted.
    const std::vector<std::string> &Names() const { return names_; }
    bool Holds(const std::string &name) const;
    // The motor of a listed name; nullptr for a name whose file could not be read.
    Motor *Find(const std::string &name);
    const Motor *Find(const std::string &name) const;

    // Adds a new motor under an upper-case name not held yet; returns its index in Names().
    int Add(const std::string &name, const Motor &motor);
    // The motor's values after an edit (a name without motor gets one).
    void Store(const std::string &name, const Motor &motor);
    // Removes a listed name; its file goes on Exit.
    void Remove(const std::string &name);

    // Replaces the extension files by the editor's motors. On failure the message is shown, the
    // folder holds its old files and the editor its motors; false.
    bool Exit(Messages &messages);

private:
    std::filesystem::path FileOf(const std::string &name) const;
    // The listed files Exit may replace (those the editor read or that hold a motor it removed).
    bool Replaceable(const std::filesystem::path &file) const;

    std::filesystem::path folder_;
    std::vector<std::string> names_;
    std::map<std::string, std::unique_ptr<Motor>> motors_;
    // Upper-case base names of files left as they are (unreadable, or not read after one).
    std::set<std::string> untouched_;
};

// The upper-case base name of an extension file: the motor's name.
std::string MotorNameOf(const std::filesystem::path &file);

} // namespace tools700::motoredit
