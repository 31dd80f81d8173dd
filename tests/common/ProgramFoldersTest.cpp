// Where the program reads and writes: beside a build-tree program, split between the
// installation and the user's data folder for an installed one.
#include "TempDir.h"

#include "tools700/common/ProgramFolders.h"

#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>

#include <gtest/gtest.h>

using namespace tools700;
namespace fs = std::filesystem;

namespace {

class ProgramFoldersTest : public ::testing::Test {
protected:
    // A program file in `binDir` under the temporary folder (the file itself need not exist).
    std::string Program(const std::string &binDir)
    {
        fs::create_directories(tmp.Path() / binDir);
        return (tmp.Path() / binDir / "Tools700").string();
    }
    std::string Dir(const std::string &relative) const { return (tmp.Path() / relative).string() + "/"; }

    testsupport::TempDir tmp;
    FolderEnvironment env{"", "/home/tech", ""};
};

TEST_F(ProgramFoldersTest, ABuildTreeProgramKeepsEverythingBesideItself)
{
    const ProgramFolders f = FindProgramFolders(Program("build/bin"), env);
    EXPECT_FALSE(f.installed);
    EXPECT_EQ(f.executableDir, Dir("build/bin"));
    EXPECT_EQ(f.dataDir, Dir("build/bin"));
    EXPECT_EQ(f.helpDir, (tmp.Path() / "build/bin/help").string());
}

TEST_F(ProgramFoldersTest, AnInstalledProgramWritesToTheUsersDataFolder)
{
    fs::create_directories(tmp.Path() / "usr/share/700tools/help");
    const std::string program = Program("usr/bin");

    // XDG_DATA_HOME when it is an absolute path, else ~/.local/share.
    env.xdgDataHome = (tmp.Path() / "data").string();
    ProgramFolders f = FindProgramFolders(program, env);
    EXPECT_TRUE(f.installed);
    EXPECT_EQ(f.executableDir, Dir("usr/bin"));
    EXPECT_EQ(f.dataDir, Dir("data/700Tools"));
    EXPECT_EQ(f.helpDir, (tmp.Path() / "usr/share/700tools/help").string());

    env.xdgDataHome.clear();
    EXPECT_EQ(FindProgramFolders(program, env).dataDir, "/home/tech/.local/share/700Tools/");
    env.xdgDataHome = "relative/data";
    EXPECT_EQ(FindProgramFolders(program, env).dataDir, "/home/tech/.local/share/700Tools/");
    env.home = "/home/tech/";
    EXPECT_EQ(FindProgramFolders(program, env).dataDir, "/home/tech/.local/share/700Tools/");

    // Nothing is created: the program creates its data folder when it writes there.
    EXPECT_FALSE(fs::exists(tmp.Path() / "data"));
}

TEST_F(ProgramFoldersTest, AFolderThatCannotBeWrittenSendsTheDataHome)
{
    const std::string program = Program("opt/tools/bin");
    fs::permissions(tmp.Path(), fs::perms::owner_all | fs::perms::others_read | fs::perms::others_exec);
    fs::permissions(tmp.Path() / "opt/tools/bin", fs::perms::owner_read | fs::perms::owner_exec |
                                                      fs::perms::others_read | fs::perms::others_exec);
    // Root may write every folder: the decision is then made by an unprivileged child.
    auto decide = [&]() -> std::string {
        if (geteuid() != 0)
            return FindProgramFolders(program, env).dataDir;
        int fds[2];
        if (pipe(fds) != 0)
            return "pipe failed";
        const pid_t pid = fork();
        if (pid == 0) {
            close(fds[0]);
            if (setgid(65534) != 0 || setuid(65534) != 0)
                _exit(1);
            const std::string dir = FindProgramFolders(program, env).dataDir;
            const ssize_t n = write(fds[1], dir.data(), dir.size());
            _exit(n == static_cast<ssize_t>(dir.size()) ? 0 : 1);
        }
        close(fds[1]);
        std::string out;
        char buf[256];
        for (ssize_t n; (n = read(fds[0], buf, sizeof buf)) > 0;)
            out.append(buf, static_cast<size_t>(n));
        close(fds[0]);
        int status = 0;
        waitpid(pid, &status, 0);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? out : "child failed";
    };
    EXPECT_EQ(decide(), "/home/tech/.local/share/700Tools/");
    const ProgramFolders f = FindProgramFolders(program, env);
    EXPECT_FALSE(f.installed);
    EXPECT_EQ(f.helpDir, (tmp.Path() / "opt/tools/bin/help").string());
}

TEST_F(ProgramFoldersTest, TheHelpFolderCanBeNamedAndTheAboutBoxListsAllThree)
{
    env.helpOverride = "/srv/help";
    const ProgramFolders f = FindProgramFolders(Program("bin"), env);
    EXPECT_EQ(f.helpDir, "/srv/help");
    EXPECT_EQ(FoldersText(f), "Program folder: " + Dir("bin") + "\nData folder: " + Dir("bin") +
                                  "\nHelp folder: /srv/help");
}

TEST_F(ProgramFoldersTest, ARelativeProgramPathIsTakenFromTheWorkingFolder)
{
    const fs::path before = fs::current_path();
    fs::create_directories(tmp.Path() / "bin");
    fs::current_path(tmp.Path());
    const ProgramFolders f = FindProgramFolders("bin/Tools700", env);
    fs::current_path(before);
    EXPECT_EQ(f.executableDir, Dir("bin"));
}

TEST(ThisExecutableTest, NamesTheRunningTestProgram)
{
    EXPECT_EQ(fs::path(ThisExecutable()).filename(), "common_folders_test");
}

} // namespace
