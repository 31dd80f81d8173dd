// Where the program keeps what it reads and what it writes.
//
// The program folder of a build-tree run is the executable's folder: configurations ("cfg"),
// user motor files (*.MDE), Scope.log and the help pages all sit beside the program. An installed
// program cannot write its executable's folder (/usr/bin), so there the folder is split: the help
// pages stay with the installation (<prefix>/share/700tools/help) and what the user writes goes to
// the user's data folder, $XDG_DATA_HOME/700Tools (by default ~/.local/share/700Tools).
#pragma once

#include <string>

namespace tools700 {

struct ProgramFolders {
    std::string executableDir; // the executable's folder, with a trailing '/'
    std::string dataDir;       // writable: "cfg", *.MDE, Scope.log; trailing '/'
    std::string helpDir;       // read-only help pages; no trailing '/'
    bool installed = false;    // the executable runs from an installation
};

// What the decision reads from the process environment; empty when unset.
struct FolderEnvironment {
    std::string xdgDataHome;  // XDG_DATA_HOME
    std::string home;         // HOME, else the user's home folder from the password database
    std::string helpOverride; // TOOLS700_HELP_DIR
    static FolderEnvironment FromProcess();
};

// The folder of the installed data, relative to the folder of the installed executables.
const char *InstalledDataRelativeToBin();

// Decides the folders of the executable at `executablePath` (a file path). The user's data folder
// is used when the executable is installed (the installed data folder exists beside it) or when
// its folder cannot be written; otherwise everything stays beside the executable. Nothing is
// created here: the caller creates the data folder when it writes there.
ProgramFolders FindProgramFolders(const std::string &executablePath, const FolderEnvironment &env);
ProgramFolders FindProgramFolders(const std::string &executablePath);

// The executable of this process (/proc/self/exe), empty when it cannot be read.
std::string ThisExecutable();

// "Program folder: …\nData folder: …\nHelp folder: …", as the about box shows it.
std::string FoldersText(const ProgramFolders &folders);

} // namespace tools700
