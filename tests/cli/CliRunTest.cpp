// tools700-cli run as a user would: real files, the real program, the drive simulator.
#include "../config/ListingText.h"
#include "SimProcess.h"
#include "CliRunner.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <sstream>
#include <thread>
#include <csignal>
#include <poll.h>
#include <pty.h>
#include <sys/wait.h>
#include <unistd.h>

using testutil::CliResult;
using testutil::RunCli;
using testutil::SimProcess;

namespace {
class Cli : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        auto sim = std::make_unique<SimProcess>(std::move(options), dir.File("trace.txt"));
        // The test process stays off the line: one reader per channel, the tool.
        EXPECT_TRUE(sim->WaitUntil([&] { return Run({"--port", "0", "get", "Model"}).rc == 0; }));
        return sim;
    }
    CliResult Run(std::vector<std::string> args, std::vector<std::string> env = {},
                  const std::string &input = "")
    {
        // No stored settings unless a test writes them.
        env.push_back("TOOLS700_SETTINGS=" + dir.File("settings.ini"));
        env.push_back("TOOLS700_MDE_DIR=" + dir.File("mde"));
        return RunCli(dir, std::move(args), env, input);
    }
    // Replaces the value of one "name = value" line of a configuration file.
    void EditLine(const std::string &file, const std::string &name, const std::string &value)
    {
        std::string text = testutil::ReadText(file);
        const std::string key = name + " = ";
        size_t at = text.rfind(key, 0) == 0 ? 0 : text.find("\n" + key);
        ASSERT_NE(at, std::string::npos) << name;
        if (at != 0)
            ++at;
        const size_t end = text.find('\n', at);
        text.replace(at, end - at, key + value);
        testutil::WriteText(file, text);
    }
    testutil::TempDir dir;
};
} // namespace

TEST_F(Cli, HelpUsageErrorsAndTheDatabases)
{
    CliResult help = Run({"--help"});
    EXPECT_EQ(help.rc, 0);
    for (const char *word : {"get NAME", "set NAME VALUE", "exec COMMAND", "status", "upload FILE",
                             "download FILE", "--nvsave", "new FILE", "diff FILE", "list FILE",
                             "print FILE", "motors", "drives", "--port", "--axis", "--yes", "--no",
                             "TOOLS700_SETTINGS", "Exit codes"})
        EXPECT_NE(help.out.find(word), std::string::npos) << word;

    EXPECT_EQ(Run({}).rc, 2);
    EXPECT_EQ(Run({"frobnicate"}).rc, 2);
    EXPECT_EQ(Run({"get", "Kvp", "--port", "9"}).rc, 2);
    EXPECT_EQ(Run({"get", "Kvp", "--axis", "0"}).rc, 2);
    EXPECT_EQ(Run({"list", dir.File("missing.cfg")}).rc, 3);
    EXPECT_NE(Run({"list", dir.File("missing.cfg")}).err.find("Can't open file "), std::string::npos);

    CliResult drives = Run({"drives"});
    EXPECT_EQ(drives.rc, 0);
    EXPECT_EQ(std::count(drives.out.begin(), drives.out.end(), '\n'), 10);
    EXPECT_NE(drives.out.find("SVE745"), std::string::npos);

    std::filesystem::create_directory(dir.File("mde"));
    testutil::WriteText(dir.File("mde/MYMOT.MDE"), "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    CliResult motors = Run({"motors"});
    EXPECT_EQ(motors.rc, 0);
    EXPECT_EQ(motors.out.rfind("MYMOT\n", 0), 0u) << "extension motors come first";
}

// The extension files are read by the program's loader: the same files in the same order (a
// lower-case name as the motor editor saves it too), a motor defined twice keeping its first
// definition without a question, and the program's message about a bad file on one line with the
// file's path as it is.
TEST_F(Cli, MotorsReadTheExtensionFilesAsTheProgramDoes)
{
    const std::string folder = dir.File("my  motors");
    std::filesystem::create_directory(folder);
    testutil::WriteText(folder + "/B.MDE", "not a motor");
    testutil::WriteText(folder + "/MYMOT.MDE", "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    testutil::WriteText(folder + "/mymot.mde", "0 0 0.7 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    testutil::WriteText(folder + "/other.mde", "0 0 0.6 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    CliResult motors = Run({"motors", "--long", "--mde-dir", folder});
    EXPECT_EQ(motors.rc, 0);
    EXPECT_EQ(motors.err, "Motor Database Extension file \"" + folder + "/B.MDE\" is invalid.\n");
    // The database lists the motor read last first.
    EXPECT_EQ(motors.out.rfind("other     rotary  Ke 0.6 ", 0), 0u) << motors.out;
    EXPECT_NE(motors.out.find("\nMYMOT     rotary  Ke 0.5 "), std::string::npos) << motors.out;
    EXPECT_EQ(motors.out.find("Ke 0.7 "), std::string::npos) << motors.out;
}

TEST_F(Cli, NewListAndPrintAgree)
{
    std::filesystem::create_directory(dir.File("mde"));
    testutil::WriteText(dir.File("mde/MYMOT.MDE"), "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    const std::string cfg = dir.File("new.cfg");
    EXPECT_EQ(Run({"new", cfg, "--drive", "SV733", "--motor", "nomotor", "--mode", "1"}).rc, 7);
    EXPECT_EQ(Run({"new", cfg, "--drive", "SV999", "--motor", "MYMOT", "--mode", "1"}).rc, 7);
    EXPECT_EQ(Run({"new", cfg, "--drive", "SV743", "--motor", "MYMOT", "--mode", "7"}).rc, 7)
        << "predefined moves are not a 740-family mode";
    EXPECT_EQ(Run({"new", cfg, "--drive", "SV733", "--motor", "MYMOT"}).rc, 2);

    CliResult made = Run({"new", cfg, "--drive", "sv733", "--motor", "mymot", "--mode",
                          "Position Mode -- Step and Direction", "--ratio", "2"});
    ASSERT_EQ(made.rc, 0) << made.err;
    const std::string text = testutil::ReadText(cfg);
    EXPECT_NE(text.find("\nBlkType = 2.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nEncMode = 1.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nModel = 733.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nInpMap1 = 32769.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nPulsesIn = 250.000000\n"), std::string::npos);
    EXPECT_NE(text.find("\nStopTime = 0.002000\n"), std::string::npos) << "kept within its bounds";
    EXPECT_NE(made.err.find("StopTime 0 limited to 0.002"), std::string::npos);

    CliResult list = Run({"list", cfg, "--full", "--rows", "30"});
    ASSERT_EQ(list.rc, 0);
    auto pages = testutil::NormalizedPages(list.out);
    EXPECT_GT(pages.size(), 5u);
    EXPECT_NE(list.out.find("   BlkType = Digital Position Block "), std::string::npos);

    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const std::string pdf = dir.File("out.pdf");
    CliResult print = Run({"print", cfg, "--pdf", pdf});
    ASSERT_EQ(print.rc, 0) << print.err;
    CliResult shortList = Run({"list", cfg, "--rows", "64"}); // the PDF page holds 64 rows
    auto fromPdf = testutil::NormalizedPages(testutil::PdfToText(pdf));
    auto fromText = testutil::NormalizedPages(shortList.out);
    ASSERT_EQ(fromPdf.size(), fromText.size());
    // The header's time is taken when each listing starts; compare the rest exactly.
    for (size_t p = 0; p < fromPdf.size(); ++p) {
        ASSERT_EQ(fromPdf[p].size(), fromText[p].size());
        EXPECT_EQ(fromPdf[p][0].substr(fromPdf[p][0].rfind(" Page ")),
                  fromText[p][0].substr(fromText[p][0].rfind(" Page ")));
        for (size_t i = 1; i < fromPdf[p].size(); ++i)
            EXPECT_EQ(fromPdf[p][i], fromText[p][i]);
    }
}

TEST_F(Cli, UploadEditDownloadThenDiffShowsNothing)
{
    auto sim = Start({"--model", "733", "--axes", "3"});
    // The simulator's defaults of these two lie outside the bounds it enforces on writes.
    ASSERT_EQ(Run({"--port", "0", "set", "ARZ0", "100"}).rc, 0);
    ASSERT_EQ(Run({"--port", "0", "set", "arz1", "1000"}).rc, 0);
    ASSERT_EQ(Run({"--port", "0", "set", "StopTime", "0.5"}).rc, 0);

    const std::string cfg = dir.File("drive.cfg");
    CliResult up = Run({"--port", "0", "--axis", "3", "upload", cfg});
    ASSERT_EQ(up.rc, 0) << up.err;
    EXPECT_NE(up.out.find("written to " + cfg), std::string::npos);
    EXPECT_EQ(Run({"--port", "0", "diff", cfg}).rc, 0);

    EditLine(cfg, "Kvp", "12.345678");
    EditLine(cfg, "BlkType", "5.000000");
    CliResult diff = Run({"--port", "0", "diff", cfg});
    EXPECT_EQ(diff.rc, 1);
    EXPECT_NE(diff.out.find("Kvp: file 12.345678, drive "), std::string::npos) << diff.out;
    EXPECT_NE(diff.out.find("BlkType: file 5 (Frequency Velocity Block), drive "), std::string::npos);
    EXPECT_EQ(std::count(diff.out.begin(), diff.out.end(), '\n'), 2);

    CliResult down = Run({"--port", "0", "download", cfg, "--nvsave"});
    ASSERT_EQ(down.rc, 0) << down.err;
    CliResult after = Run({"--port", "0", "diff", cfg});
    EXPECT_EQ(after.rc, 0) << after.out;
    EXPECT_EQ(after.out, "");
    auto trace = sim->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_TRUE(std::any_of(trace.begin(), trace.end(), [](const testutil::TraceLine &t) {
        return t.command == "EXEC" && testutil::SameName(t.name, "NVSave");
    }));

    CliResult got = Run({"--port", "0", "get", "kvp", "BlkType"});
    EXPECT_EQ(got.rc, 0);
    EXPECT_NE(got.out.find("Kvp = 12.3456"), std::string::npos) << got.out;
    EXPECT_NE(got.out.find("BlkType = 5 (Frequency Velocity Block)"), std::string::npos);

    // The drive is enabled after the download: a second one is refused.
    CliResult again = Run({"--port", "0", "download", cfg, "--nvsave"});
    EXPECT_EQ(again.rc, 5);
    EXPECT_NE(again.err.find("The drive is enabled and unabled to write to drive now-- download aborted"),
              std::string::npos);
}

TEST_F(Cli, QuestionsWithoutATerminalAndExitCodes)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvp=66"});
    Run({"--port", "0", "set", "ARZ0", "100"});
    Run({"--port", "0", "set", "ARZ1", "1000"});
    const std::string cfg = dir.File("r.cfg");
    // Kvp cannot be read: the upload stops there.
    CliResult up = Run({"--port", "0", "upload", cfg});
    EXPECT_EQ(up.rc, 4);
    EXPECT_NE(up.err.find("Upload failed, trying to read Kvp"), std::string::npos);

    ASSERT_EQ(Run({"new", cfg, "--drive", "SV733", "--motor", "ZZZ", "--mode", "1"}).rc, 7);
    std::filesystem::create_directory(dir.File("mde"));
    testutil::WriteText(dir.File("mde/M1.MDE"), "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    ASSERT_EQ(Run({"new", cfg, "--drive", "SV733", "--motor", "M1", "--mode", "1"}).rc, 0);

    CliResult no = Run({"--port", "0", "download", cfg});
    EXPECT_EQ(no.rc, 6) << no.err;
    EXPECT_NE(no.err.find("Warning: Kvp BOUNDS_ERROR\n Continue?"), std::string::npos) << no.err;
    EXPECT_NE(no.err.find("no terminal"), std::string::npos);
    EXPECT_NE(no.err.find("Unable to write to drive -- download aborted"), std::string::npos);

    CliResult yes = Run({"--port", "0", "--yes", "download", cfg});
    EXPECT_EQ(yes.rc, 0) << yes.err;
    EXPECT_NE(yes.err.find("non-volatile memory?"), std::string::npos) << "--yes answers the NV question";

    EXPECT_EQ(Run({"--port", "0", "set", "Kvp", "3"}).rc, 5);
    EXPECT_NE(Run({"--port", "0", "set", "AxisAddr", "300"}).err.find("Bounds error : min = 1, max = 255"),
              std::string::npos);
    EXPECT_EQ(Run({"--port", "0", "get", "NoSuchVar"}).rc, 7);
    EXPECT_EQ(Run({"--port", "0", "set", "BlkType", "Not A Block"}).rc, 2);
    EXPECT_EQ(Run({"--port", "0", "set", "BlkType", "analog torque block"}).rc, 0);
    EXPECT_NE(Run({"--port", "0", "get", "BlkType"}).out.find("BlkType = 0 (Analog Torque Block)"),
              std::string::npos);
    EXPECT_EQ(Run({"--port", "0", "exec", "TableGen"}).rc, 0);
    EXPECT_EQ(Run({"--port", "0", "exec", "NoSuchCommand"}).rc, 7);
}

TEST_F(Cli, StoredPortAndAxisAndStatus)
{
    auto sim = Start({"--model", "743", "--axes", "4"});
    testutil::WriteText(dir.File("settings.ini"),
                        "[SOFTWARE]\nKorvane\\700\\Comm\\Axis=4\nKorvane\\700\\Comm\\Comport=0\n");
    CliResult status = Run({"status"});
    EXPECT_EQ(status.rc, 0);
    EXPECT_EQ(status.out.rfind("Status: Axis 4  ", 0), 0u) << status.out;

    testutil::WriteText(dir.File("settings.ini"),
                        "[SOFTWARE]\nKorvane\\700\\Comm\\Axis=9\nKorvane\\700\\Comm\\Comport=0\n");
    CliResult none = Run({"status"});
    EXPECT_EQ(none.rc, 4);
    EXPECT_EQ(none.out, "No connection\n");
    EXPECT_EQ(Run({"--axis", "4", "get", "Model"}).out, "Model = 743 (SV743)\n");
}

TEST_F(Cli, WatchPrintsOneBlockPerPollOfOneExchange)
{
    auto sim = Start({"--model", "733", "--axes", "1"});
    ASSERT_EQ(Run({"--port", "0", "set", "InpMap3", "1"}).rc, 0);
    sim->ClearTrace();
    CliResult watch = Run({"--port", "0", "watch", "kvp", "DriveStatus", "--count", "2", "--interval", "0.2"});
    EXPECT_EQ(watch.rc, 0) << watch.err;
    const size_t gap = watch.out.find("\n\n");
    ASSERT_NE(gap, std::string::npos) << watch.out;
    const std::string first = watch.out.substr(0, gap + 1);
    EXPECT_EQ(watch.out.substr(gap + 2), first) << "the second block shows the same drive";
    std::vector<std::string> lines;
    std::istringstream in(first);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    ASSERT_EQ(lines.size(), 16u) << first;
    EXPECT_EQ(lines[0], "Drive: SV733");
    EXPECT_EQ(lines[1], "Motor:");
    EXPECT_EQ(lines[2].rfind("Mode: ", 0), 0u);
    EXPECT_EQ(lines[3].rfind("Kvp          0.000 ", 0), 0u) << "names as the dictionary spells them, with unit";
    EXPECT_EQ(lines[4], "DriveStatus  Unconfigured");
    EXPECT_EQ(lines[5], "Input 1   Off  Inp1 is mapped to Fault Reset (hi)");
    EXPECT_EQ(lines[7], "Input 3   Off  Inp3 is mapped to Fault Reset (lo)");
    EXPECT_EQ(lines[14], "Output 4  Off  Out4 is mapped to Brake (lo)");
    EXPECT_EQ(lines[15], "Fault: none");

    // Each poll is one batch of the 26 names.
    int batches = 0;
    for (const auto &t : sim->Trace()) {
        if (t.command != "GET_VARS")
            continue;
        ++batches;
        EXPECT_EQ(t.name.rfind("Kvp,DriveStatus,-,-,-,-,Inputs,Outputs,Model,", 0), 0u) << t.name;
        EXPECT_EQ(std::count(t.name.begin(), t.name.end(), ','), 25);
    }
    EXPECT_EQ(batches, 2);
}

TEST_F(Cli, WatchShowsAFaultAndADriveThatDoesNotAnswer)
{
    {
        auto sim = Start({"--model", "1733", "--configured", "--fault", "2"});
        CliResult faulted = Run({"--port", "0", "watch", "Kvp", "--count", "1"});
        EXPECT_EQ(faulted.rc, 0);
        EXPECT_EQ(faulted.out.rfind("Drive: SVE733\n", 0), 0u) << faulted.out;
        EXPECT_NE(faulted.out.find("\nDRIVE FAULTED!  FaultCode: "), std::string::npos) << faulted.out;
    }
    CliResult silent = Run({"--port", "0", "watch", "Kvp", "--count", "1"});
    EXPECT_EQ(silent.rc, 4);
    EXPECT_EQ(silent.out.rfind("Drive: ?\nMotor: ?\nMode:  ?\nKvp  NO RESPONSE\nInput 1   ?\n", 0), 0u) << silent.out;
    EXPECT_NE(silent.out.find("\nNo communications!\n"), std::string::npos);

    EXPECT_EQ(Run({"watch"}).rc, 2);
    EXPECT_EQ(Run({"watch", "A", "B", "C", "D", "E", "F", "G"}).rc, 2);
    EXPECT_EQ(Run({"watch", "Kvp", "--interval", "0"}).rc, 2);
    EXPECT_EQ(Run({"watch", "Kvp", "--count", "0"}).rc, 2);
    CliResult unknown = Run({"--port", "0", "watch", "Kvp", "NoSuchName"});
    EXPECT_EQ(unknown.rc, 7);
    EXPECT_NE(unknown.err.find("NoSuchName"), std::string::npos);
    EXPECT_EQ(Run({"--port", "0", "watch", "NVSave"}).rc, 7) << "a command is no variable";
    EXPECT_NE(Run({"--help"}).out.find("watch NAME... [--interval S] [--count N]"), std::string::npos);
}

namespace {
// Runs the tool on a real pseudo-terminal and answers its questions as a user types.
struct TerminalSession {
    int master = -1;
    pid_t pid = -1;
    std::string screen;

    TerminalSession(std::vector<std::string> args, std::vector<std::string> env)
    {
        args.insert(args.begin(), std::string(TOOLS700_BIN_DIR) + "/tools700-cli");
        pid = forkpty(&master, nullptr, nullptr, nullptr);
        if (pid == 0) {
            for (auto &e : env)
                putenv(e.data());
            std::vector<char *> argv;
            for (auto &a : args)
                argv.push_back(a.data());
            argv.push_back(nullptr);
            execv(argv[0], argv.data());
            _exit(127);
        }
    }
    ~TerminalSession()
    {
        if (pid > 0) {
            kill(pid, SIGKILL);
            waitpid(pid, nullptr, 0);
        }
        if (master >= 0)
            close(master);
    }
    // Reads the terminal until `text` appears after `from`; false when the tool ends first or
    // nothing comes for 20 s (a hang).
    bool WaitFor(const std::string &text, size_t &from)
    {
        for (;;) {
            size_t at = screen.find(text, from);
            if (at != std::string::npos) {
                from = at + text.size();
                return true;
            }
            pollfd p{master, POLLIN, 0};
            if (poll(&p, 1, 20000) <= 0)
                return false;
            char buf[512];
            ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                return false;
            screen.append(buf, static_cast<size_t>(n));
        }
    }
    void Type(const std::string &s) { (void)!write(master, s.data(), s.size()); }
    int Wait()
    {
        size_t from = screen.size();
        WaitFor("\x01never", from); // drain until the tool closes the terminal
        int status = 0;
        waitpid(pid, &status, 0);
        pid = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
};
} // namespace

TEST_F(Cli, QuestionsAreAskedOnATerminal)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvp=66"});
    std::filesystem::create_directory(dir.File("mde"));
    testutil::WriteText(dir.File("mde/M1.MDE"), "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    const std::string cfg = dir.File("t.cfg");
    ASSERT_EQ(Run({"new", cfg, "--drive", "SV733", "--motor", "M1", "--mode", "1"}).rc, 0);

    TerminalSession term({"--port", "0", "download", cfg},
                         {"TOOLS700_SETTINGS=" + dir.File("settings.ini")});
    ASSERT_GT(term.pid, 0);
    size_t from = 0;
    ASSERT_TRUE(term.WaitFor("Warning: Kvp BOUNDS_ERROR", from)) << term.screen;
    ASSERT_TRUE(term.WaitFor("[y/n]", from)) << term.screen;
    term.Type("y\n");
    ASSERT_TRUE(term.WaitFor("non-volatile memory?", from)) << term.screen;
    ASSERT_TRUE(term.WaitFor("[y/n]", from)) << term.screen;
    term.Type("n\n");
    EXPECT_EQ(term.Wait(), 0) << term.screen;
    EXPECT_NE(term.screen.find("Download ["), std::string::npos) << "a progress bar on the terminal";
    EXPECT_NE(term.screen.find("100%"), std::string::npos);
    for (const auto &t : sim->Trace())
        EXPECT_FALSE(t.command == "EXEC" && testutil::SameName(t.name, "NVSave")) << "answered No";
}

TEST_F(Cli, DownloadRefusesAFileWithoutValuesAndWritesNothing)
{
    auto sim = Start({"--model", "733"});
    sim->ClearTrace();
    testutil::WriteText(dir.File("empty.cfg"), "");
    testutil::WriteText(dir.File("comments.cfg"), "# only a comment\n\n   # and another\n");
    for (const char *name : {"empty.cfg", "comments.cfg"}) {
        CliResult down = Run({"--port", "0", "download", dir.File(name), "--nvsave"});
        EXPECT_EQ(down.rc, 3) << name;
        EXPECT_NE(down.err.find("no value could be read from this file, nothing was downloaded"), std::string::npos)
            << down.err;
        EXPECT_EQ(down.out.find("Downloaded"), std::string::npos) << down.out;
    }
    for (const auto &t : sim->Trace())
        EXPECT_NE(t.command.substr(0, 3), "PUT") << t.name;
    for (const auto &t : sim->Trace())
        EXPECT_FALSE(t.command == "EXEC" && testutil::SameName(t.name, "NVSave"));
}

TEST_F(Cli, DownloadRefusesA740DriveUnderFieldbusControl)
{
    auto sim = Start({"--model", "743"});
    // The simulator's defaults of these two lie outside the bounds it enforces on writes.
    ASSERT_EQ(Run({"--port", "0", "set", "ARZ0", "100"}).rc, 0);
    ASSERT_EQ(Run({"--port", "0", "set", "ARZ1", "1000"}).rc, 0);
    ASSERT_EQ(Run({"--port", "0", "set", "StopTime", "0.5"}).rc, 0);
    const std::string cfg = dir.File("d743.cfg");
    ASSERT_EQ(Run({"--port", "0", "upload", cfg}).rc, 0);
    sim->ClearTrace();
    CliResult down = Run({"--port", "0", "download", cfg, "--nvsave"});
    EXPECT_EQ(down.rc, 5);
    EXPECT_NE(down.err.find("SERCOS Control Mode -- download aborted"), std::string::npos) << down.err;
    EXPECT_NE(down.err.find("set MfgLock 584219637"), std::string::npos) << down.err;
    for (const auto &t : sim->Trace())
        EXPECT_NE(t.command.substr(0, 3), "PUT") << t.name;

    // Handed to serial control as the message says, the same file goes in.
    ASSERT_EQ(Run({"--port", "0", "set", "MfgLock", "584219637"}).rc, 0);
    CliResult serial = Run({"--port", "0", "download", cfg, "--nvsave"});
    EXPECT_EQ(serial.rc, 0) << serial.err;
}

TEST_F(Cli, ASecondHostOnTheSimulatorChannelIsToldWhoHoldsIt)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(UseSerialPort(0), 0);  // this test process is the channel's host now
    CliResult refused = Run({"--port", "0", "get", "Model"});
    EXPECT_EQ(refused.rc, 4);
    EXPECT_EQ(refused.err, "The simulator channel is in use by another program (process " +
                               std::to_string(getpid()) + ")\n");
    EXPECT_EQ(refused.out, "");
    ASSERT_EQ(UseSerialPort(-1), 0);  // lets it go
    EXPECT_EQ(Run({"--port", "0", "get", "Model"}).out, "Model = 733 (SV733)\n");
}

TEST_F(Cli, TwoToolsAtOnceNeverShowEachOthersValues)
{
    // Two scripts on one line at the same time: each run either reads its own value or is told
    // the line is busy; a wrong value is never reported as a success.
    auto sim = Start({"--model", "733", "--axes", "3"});
    testutil::TempDir dirA, dirB;
    std::vector<CliResult> a, b;
    auto loop = [&](testutil::TempDir &d, const char *name, std::vector<CliResult> &out) {
        for (int i = 0; i < 10; ++i)
            out.push_back(testutil::RunCli(d, {"--port", "0", "get", name},
                                           {"TOOLS700_SETTINGS=" + d.File("settings.ini")}));
    };
    std::thread ta([&] { loop(dirA, "Model", a); });
    std::thread tb([&] { loop(dirB, "AxisAddr", b); });
    ta.join();
    tb.join();
    for (const auto &r : a) {
        if (r.rc == 0)
            EXPECT_EQ(r.out, "Model = 733 (SV733)\n");
        else
            EXPECT_NE(r.err.find("is in use by another program"), std::string::npos) << r.err;
    }
    for (const auto &r : b) {
        if (r.rc == 0)
            EXPECT_EQ(r.out, "AxisAddr = 3\n");
        else
            EXPECT_NE(r.err.find("is in use by another program"), std::string::npos) << r.err;
    }
}
