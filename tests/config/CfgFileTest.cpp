// Configuration files with real files in a temporary folder.
#include "TempDir.h"
#include "tools700/common/Error.h"
#include "tools700/config/Cfg.h"

#include <gtest/gtest.h>

#include <clocale>
#include <csignal>
#include <filesystem>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace tools700;
using testutil::ReadText;
using testutil::TempDir;
using testutil::WriteText;

namespace {
std::string ErrorOf(const std::function<void()> &f)
{
    try {
        f();
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

// Gives every binding of both lists a distinct value with at most six decimals.
void FillDistinct(Cfg &cfg)
{
    int i = 0;
    for (TQX *t : cfg.PrimaryList())
        t->Val(++i * 1.25 - 40.5);
    for (TQX *t : cfg.SecondaryList())
        t->Val(++i * -0.375 + 3);
}
} // namespace

TEST(CfgFile, WritesNameEqualsValueWithSixDecimals)
{
    TempDir dir;
    Cfg cfg;
    cfg.Set("Kvp", 12.5);
    cfg.Set("VelLmtLo", -21039);
    const std::string file = dir.File("a.cfg");
    EXPECT_EQ(cfg.Save(file, 733), 185);
    EXPECT_FALSE(cfg.IsModified());
    const std::string text = ReadText(file);
    EXPECT_NE(text.find("\nKvp = 12.500000\n"), std::string::npos);
    EXPECT_NE(text.find("\nVelLmtLo = -21039.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nModel = 733.000000\n"), std::string::npos);
    EXPECT_EQ(text.back(), '\n');

    Cfg back;
    EXPECT_EQ(back.Load(file), 2);
    EXPECT_EQ(back.Get("Kvp"), 12.5);
    EXPECT_FALSE(back.IsModified());

    cfg.Set("Kvp", 1e20);
    cfg.Set("ARF0", 1e-7);
    cfg.Save(file, 733);
    EXPECT_NE(ReadText(file).find("\nKvp = 100000000000000000000.000000\n"), std::string::npos);
    EXPECT_NE(ReadText(file).find("ARF0 = 0.000000\n"), std::string::npos);
    back.Load(file);
    EXPECT_EQ(back.Get("Kvp"), 1e20);
    EXPECT_EQ(back.Get("ARF0"), 0.0);
}

TEST(CfgFile, LinesFollowTheListOfTheModelsFamily)
{
    TempDir dir;
    Cfg cfg;
    const std::string file = dir.File("b.cfg");
    EXPECT_EQ(cfg.Save(file, 1745), 77);
    std::string text = ReadText(file);
    size_t pos = 0;
    for (TQX *t : cfg.SecondaryList()) {
        size_t at = text.find(t->VarName() + " = ", pos);
        ASSERT_EQ(at, pos) << t->VarName();
        pos = text.find('\n', at) + 1;
    }
    EXPECT_EQ(pos, text.size());
}

TEST(CfgFile, RoundTripOfEveryVariableOfBothFamilies)
{
    TempDir dir;
    for (int model : {732, 733, 734, 1733, 1735, 742, 743, 744, 1743, 1745}) {
        const bool f740 = model >= 740 && model != 1733 && model != 1735;
        Cfg out = f740 ? Cfg(740) : Cfg();
        FillDistinct(out);
        const std::string file = dir.File("rt.cfg");
        ASSERT_EQ(out.Save(file, model), static_cast<int>(out.ListForModel(model).size()));
        Cfg in = f740 ? Cfg(740) : Cfg();
        ASSERT_EQ(in.Load(file), 2);
        for (TQX *t : out.ListForModel(model))
            EXPECT_EQ(in.Get(t->VarName()), t->Val()) << model << " " << t->VarName();
    }
}

TEST(CfgFile, ReadingSkipsBlankAndCommentLinesAndAcceptsSpacedLines)
{
    TempDir dir;
    const std::string file = dir.File("c.cfg");
    WriteText(file, "\n   \n  # a remark = 5\nKvp   =   3e2  \n\t#\nKvi =7 trailing words\n");
    Cfg cfg;
    EXPECT_EQ(cfg.Load(file), 2);
    EXPECT_EQ(cfg.Get("Kvp"), 300.0);
    EXPECT_EQ(cfg.Get("Kvi"), 7.0);

    WriteText(file, "# only\n\n   # comments\n");
    EXPECT_EQ(cfg.Load(file), 0);

    WriteText(file, "Kvi = 1\nKvp=3\nKvi = 2\n");
    EXPECT_EQ(ErrorOf([&] { cfg.Load(file); }), "Error reading file " + file);
    EXPECT_EQ(cfg.Get("Kvi"), 1.0) << "lines before the bad one are kept";

    WriteText(file, "Kvp = abc\n");
    EXPECT_EQ(ErrorOf([&] { cfg.Load(file); }), "Error reading file " + file);

    EXPECT_EQ(ErrorOf([&] { cfg.Load(dir.File("missing.cfg")); }),
              "Can't open file " + dir.File("missing.cfg"));
}

TEST(CfgFile, RepeatedAndUnknownNamesAndTheOtherFamily)
{
    TempDir dir;
    const std::string file = dir.File("d.cfg");
    WriteText(file, "Kvp = 1\nNotAVariable = 4\nKvp = 2\n");
    Cfg cfg;
    EXPECT_EQ(cfg.Load(file), 2);
    EXPECT_EQ(cfg.Get("Kvp"), 2.0);

    // A 740-family file read into a 730-family configuration.
    Cfg c740(740);
    c740.Set("Kvp", 55);
    c740.Set("InputMap1", 9);
    c740.Set("Model", 743);
    c740.Save(file, 743);
    Cfg c730;
    EXPECT_EQ(c730.Load(file), 2);
    EXPECT_EQ(c730.Get("Kvp"), 55.0);
    EXPECT_EQ(c730.Get("Model"), 743.0);
    EXPECT_EQ(c730.Get("InputMap1"), 0.0);
    EXPECT_EQ(c730.Get("InpMap1"), Cfg().Get("InpMap1"));
}

TEST(CfgFile, CrLfLongLinesAndLongNamesReadSafely)
{
    TempDir dir;
    const std::string file = dir.File("e.cfg");
    const std::string longComment = "# " + std::string(5000, 'x');
    const std::string longName = std::string(3000, 'N');
    WriteText(file, longComment + "\r\nKvp = 12.5\r\n" + longName + " = 1\r\n\r\n  # c\r\nKvi = 3\r\n");
    Cfg cfg;
    EXPECT_EQ(cfg.Load(file), 2);
    EXPECT_EQ(cfg.Get("Kvp"), 12.5);
    EXPECT_EQ(cfg.Get("Kvi"), 3.0);

    // The last line may lack its line end.
    WriteText(file, "Kvp = 4");
    cfg.Load(file);
    EXPECT_EQ(cfg.Get("Kvp"), 4.0);
}

TEST(CfgFile, NumbersDoNotDependOnTheUsersLocale)
{
    TempDir dir;
    const std::string locdir = dir.File("locale");
    const std::string cmd = "localedef -i de_DE -c -f UTF-8 '" + locdir + "/de_DE.UTF-8' >/dev/null 2>&1";
    if (std::system(("mkdir -p '" + locdir + "' && " + cmd).c_str()) != 0)
        GTEST_SKIP() << "localedef cannot build a decimal-comma locale here";
    setenv("LOCPATH", locdir.c_str(), 1);
    ASSERT_NE(std::setlocale(LC_ALL, "de_DE.UTF-8"), nullptr);
    char probe[32];
    std::snprintf(probe, sizeof probe, "%.1f", 2.5);
    EXPECT_STREQ(probe, "2,5") << "the locale really uses a decimal comma";

    Cfg cfg;
    cfg.Set("Kvp", 12.5);
    const std::string file = dir.File("f.cfg");
    cfg.Save(file, 733);
    Cfg back;
    back.Load(file);
    std::setlocale(LC_ALL, "C");
    unsetenv("LOCPATH");
    EXPECT_NE(ReadText(file).find("\nKvp = 12.500000\n"), std::string::npos);
    EXPECT_EQ(back.Get("Kvp"), 12.5);
}

TEST(CfgFile, AModelOfNoFamilyWritesNothingAndKeepsAnExistingFile)
{
    TempDir dir;
    const std::string file = dir.File("g.cfg");
    Cfg cfg;
    EXPECT_EQ(cfg.Save(file, 0), 0);
    EXPECT_TRUE(std::filesystem::exists(file));
    EXPECT_EQ(ReadText(file), "");

    cfg.Save(file, 733);
    const std::string before = ReadText(file);
    cfg.Set("Kvp", 99);
    EXPECT_EQ(cfg.Save(file, 745), 0);
    EXPECT_EQ(ReadText(file), before);
    EXPECT_TRUE(cfg.IsModified()) << "nothing was saved";
}

TEST(CfgFile, AFailedSaveLeavesThePreviousFileIntact)
{
    TempDir dir;
    const std::string file = dir.File("h.cfg");
    Cfg cfg;
    cfg.Set("Kvp", 1);
    cfg.Save(file, 733);
    const std::string before = ReadText(file);

    // A disk that fills up: the file size limit makes every write past 100 bytes fail.
    pid_t pid = fork();
    ASSERT_GE(pid, 0);
    if (pid == 0) {
        std::signal(SIGXFSZ, SIG_IGN);
        rlimit lim{100, 100};
        setrlimit(RLIMIT_FSIZE, &lim);
        Cfg c;
        c.Set("Kvp", 2);
        try {
            c.Save(file, 733);
        } catch (const Error &e) {
            _exit(std::string(e.what()) == "Error writing file " + file ? 0 : 2);
        }
        _exit(1);
    }
    int status = 0;
    waitpid(pid, &status, 0);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0) << "the save must fail with Error writing file";
    EXPECT_EQ(ReadText(file), before);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()),
                            std::filesystem::directory_iterator{}),
              1)
        << "no temporary file is left behind";

    // A folder that cannot be written (not for root, who may write anywhere).
    if (geteuid() != 0) {
        std::filesystem::permissions(dir.Path(), std::filesystem::perms::owner_read |
                                                     std::filesystem::perms::owner_exec);
        EXPECT_EQ(ErrorOf([&] { cfg.Save(file, 733); }), "Can't open file " + file);
        EXPECT_EQ(ReadText(file), before);
    }
    EXPECT_EQ(ErrorOf([&] { cfg.Save(dir.File("no/such/folder.cfg"), 733); }),
              "Can't open file " + dir.File("no/such/folder.cfg"));
}

TEST(CfgFile, ANewFileFollowsTheUmaskAndAReplacedOneKeepsItsModeAndNothingIsLeftBeside)
{
    TempDir dir;
    const mode_t old = umask(027);
    Cfg cfg;
    cfg.Set("Kvp", 1);
    const std::string fresh = dir.File("new.cfg");
    cfg.Save(fresh, 733);
    struct stat st {};
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0640u);
    EXPECT_EQ(umask(027), 027u) << "saving leaves the process's umask alone";

    ASSERT_EQ(chmod(fresh.c_str(), 0604), 0);
    cfg.Set("Kvp", 2);
    cfg.Save(fresh, 733);
    ASSERT_EQ(stat(fresh.c_str(), &st), 0);
    EXPECT_EQ(st.st_mode & 0777, 0604u);
    umask(old);
    int entries = 0;
    for (const auto &e : std::filesystem::directory_iterator(dir.Path()))
        entries += e.is_regular_file();
    EXPECT_EQ(entries, 1) << "no temporary file stays beside the saved one";
}
