#include "tools700/common/ProgramFolders.h"

#include <pwd.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>
#include <system_error>
#include <vector>

#ifndef TOOLS700_INSTALLED_DATA_RELATIVE
#define TOOLS700_INSTALLED_DATA_RELATIVE "../share/700tools"
#endif

namespace tools700 {

namespace fs = std::filesystem;

namespace {

std::string Env(const char *name)
{
    const char *v = std::getenv(name);
    return v ? std::string(v) : std::string();
}

std::string HomeFromPasswordDatabase()
{
    long size = sysconf(_SC_GETPW_R_SIZE_MAX);
    std::vector<char> buffer(size > 0 ? static_cast<size_t>(size) : 16384);
    passwd entry{};
    passwd *found = nullptr;
    if (getpwuid_r(getuid(), &entry, buffer.data(), buffer.size(), &found) == 0 && found && found->pw_dir)
        return found->pw_dir;
    return {};
}

std::string WithSlash(std::string dir)
{
    if (dir.empty() || dir.back() != '/')
        dir += '/';
    return dir;
}

bool IsDirectory(const fs::path &p)
{
    std::error_code ec;
    return fs::is_directory(p, ec);
}

} // namespace

FolderEnvironment FolderEnvironment::FromProcess()
{
    FolderEnvironment env;
    env.xdgDataHome = Env("XDG_DATA_HOME");
    env.home = Env("HOME");
    if (env.home.empty())
        env.home = HomeFromPasswordDatabase();
    env.helpOverride = Env("TOOLS700_HELP_DIR");
    return env;
}

const char *InstalledDataRelativeToBin() { return TOOLS700_INSTALLED_DATA_RELATIVE; }

ProgramFolders FindProgramFolders(const std::string &executablePath, const FolderEnvironment &env)
{
    ProgramFolders folders;
    std::error_code ec;
    fs::path exe = fs::absolute(fs::path(executablePath), ec);
    if (ec)
        exe = fs::path(executablePath);
    const fs::path binDir = exe.parent_path();
    folders.executableDir = WithSlash(binDir.string());

    const fs::path installedData = (binDir / InstalledDataRelativeToBin()).lexically_normal();
    folders.installed = IsDirectory(installedData);
    const bool writable = access(binDir.c_str(), W_OK) == 0;

    if (folders.installed || !writable) {
        // A relative XDG_DATA_HOME is invalid and ignored, as the base directory rules say.
        std::string base;
        if (!env.xdgDataHome.empty() && env.xdgDataHome.front() == '/')
            base = env.xdgDataHome;
        else if (!env.home.empty())
            base = WithSlash(env.home) + ".local/share";
        if (!base.empty())
            folders.dataDir = WithSlash(WithSlash(base) + "700Tools");
        else
            folders.dataDir = folders.executableDir; // no home at all: nowhere better to go
    } else {
        folders.dataDir = folders.executableDir;
    }

    if (!env.helpOverride.empty())
        folders.helpDir = env.helpOverride;
    else if (folders.installed)
        folders.helpDir = (installedData / "help").string();
    else
        folders.helpDir = (binDir / "help").string();
    return folders;
}

ProgramFolders FindProgramFolders(const std::string &executablePath)
{
    return FindProgramFolders(executablePath, FolderEnvironment::FromProcess());
}

std::string ThisExecutable()
{
    std::error_code ec;
    fs::path exe = fs::read_symlink("/proc/self/exe", ec);
    return ec ? std::string() : exe.string();
}

std::string FoldersText(const ProgramFolders &folders)
{
    return "Program folder: " + folders.executableDir + "\nData folder: " + folders.dataDir +
           "\nHelp folder: " + folders.helpDir;
}

} // namespace tools700
