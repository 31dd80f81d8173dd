// The pieces of the command-line tool: the settings reader, the terminal questions on a real
// pseudo-terminal, and the status line.
#include "IniSettings.h"
#include "TerminalMessages.h"
#include "Watch.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <pty.h>
#include <termios.h>
#include <unistd.h>

using namespace tools700;
using namespace tools700::cli;

TEST(IniSettingsReader, ReadsWhatQSettingsWrites)
{
    // The text QSettings (IniFormat) writes for these keys.
    const char *text = "[General]\ntop=3\n\n[%General]\nx=1\n\n[SOFTWARE]\n"
                       "Korvane\\700\\Comm\\Axis=5\nKorvane\\700\\Comm\\Comport=2\n"
                       "Korvane\\700\\Variables\\Name%201=\"Kvp, x=\\\"y\\\"\"\r\n";
    IniSettings s = IniSettings::Parse(text);
    EXPECT_EQ(s.Int("SOFTWARE/Korvane/700/Comm/Comport"), 2);
    EXPECT_EQ(s.Int("SOFTWARE/Korvane/700/Comm/Axis"), 5);
    EXPECT_EQ(s.Value("SOFTWARE/Korvane/700/Variables/Name 1"), "Kvp, x=\"y\"");
    EXPECT_EQ(s.Int("top"), 3);
    EXPECT_EQ(s.Int("General/x"), 1);
    EXPECT_FALSE(s.Value("SOFTWARE/Korvane/700/Comm/Missing"));
    EXPECT_FALSE(s.Int("SOFTWARE/Korvane/700/Variables/Name 1")) << "not an integer";

    StoredLink link = ReadStoredLink(s);
    EXPECT_EQ(link.port, 2);
    EXPECT_EQ(link.axis, 5);
}

TEST(IniSettingsReader, ReadingStopsAtAMissingComport)
{
    StoredLink a = ReadStoredLink(IniSettings::Parse("[SOFTWARE]\nKorvane\\700\\Comm\\Axis=5\n"));
    EXPECT_EQ(a.port, 0);
    EXPECT_EQ(a.axis, 255);
    StoredLink b = ReadStoredLink(IniSettings::Load("/nonexistent/700Tools.ini"));
    EXPECT_EQ(b.port, 0);
    EXPECT_EQ(b.axis, 255);
    StoredLink c = ReadStoredLink(IniSettings::Parse("[SOFTWARE]\nKorvane\\700\\Comm\\Comport=0\n"));
    EXPECT_EQ(c.port, 0);
    EXPECT_EQ(c.axis, 255);
}

namespace {
// A real pseudo-terminal: the tool's side reads and writes the slave, the "user" the master.
struct Pty {
    int master = -1, slave = -1;
    FILE *in = nullptr, *out = nullptr;
    Pty()
    {
        termios tio{};
        cfmakeraw(&tio);
        tio.c_lflag |= ICANON;
        openpty(&master, &slave, nullptr, &tio, nullptr);
        in = fdopen(dup(slave), "r");
        out = fdopen(dup(slave), "w");
    }
    ~Pty()
    {
        std::fclose(in);
        std::fclose(out);
        close(master);
        close(slave);
    }
    void Type(const std::string &s) { (void)!write(master, s.data(), s.size()); }
    std::string Screen()
    {
        std::string all;
        char buf[512];
        fd_set fds;
        timeval tv{0, 0};
        for (;;) {
            FD_ZERO(&fds);
            FD_SET(master, &fds);
            if (select(master + 1, &fds, nullptr, nullptr, &tv) <= 0)
                break;
            ssize_t n = read(master, buf, sizeof buf);
            if (n <= 0)
                break;
            all.append(buf, static_cast<size_t>(n));
        }
        return all;
    }
};
} // namespace

TEST(TerminalQuestions, AskedOnTheTerminalUntilAnswered)
{
    Pty pty;
    TerminalMessages msgs(pty.in, pty.out, true, Preset::None);
    pty.Type("maybe\nY\n");
    EXPECT_TRUE(msgs.WarnYesNo("Warning: Kvp BOUNDS_ERROR\n Continue?"));
    std::string screen = pty.Screen();
    EXPECT_NE(screen.find("Warning: Kvp BOUNDS_ERROR\n Continue?\n[y/n]"), std::string::npos) << screen;
    EXPECT_NE(screen.find("[y/n]"), std::string::npos);
    EXPECT_FALSE(msgs.Declined());

    pty.Type("no\n");
    EXPECT_FALSE(msgs.Confirm("Save?"));
    EXPECT_TRUE(msgs.Declined());

    msgs.Message("Comm error?"); // a plain message asks nothing
    EXPECT_NE(pty.Screen().find("Comm error?"), std::string::npos);
}

TEST(TerminalQuestions, PresetAnswersAndNoTerminalNeverWait)
{
    FILE *devnull = std::fopen("/dev/null", "r+");
    TerminalMessages yes(devnull, devnull, true, Preset::Yes);
    EXPECT_TRUE(yes.WarnYesNo("Continue?"));
    EXPECT_EQ(yes.Warning("x", BtnOk | BtnCancel | BtnAbort), Answer::Ok);
    TerminalMessages no(devnull, devnull, true, Preset::No);
    EXPECT_FALSE(no.Confirm("Continue?"));
    EXPECT_EQ(no.Warning("x", BtnOk | BtnCancel | BtnAbort), Answer::Cancel);
    TerminalMessages none(devnull, devnull, false, Preset::None);
    EXPECT_FALSE(none.WarnYesNo("Continue?"));
    EXPECT_TRUE(none.Declined());
    TerminalMessages eof(devnull, devnull, true, Preset::None);
    EXPECT_FALSE(eof.Confirm("end of input gives the safe answer"));
    std::fclose(devnull);
}

TEST(WatchBlock, TextsFromTheLineCannotSteerTheTerminal)
{
    online::DriveView view;
    view.commOk = true;
    view.motorLabel = "Motor: AB\x1b[2JC";
    view.valueBox[0] = "12 rpm";
    view.faultGroupVisible = true;
    view.faultCodeText = "Over\rcurrent";
    view.extFaultText = "none";
    const std::vector<std::string> lines = WatchBlock({"VelCmd"}, view);
    ASSERT_EQ(lines.size(), 3u + 1u + 10u + 1u);
    EXPECT_EQ(lines[1], "Motor: AB?[2JC");
    EXPECT_EQ(lines[3], "VelCmd  12 rpm");
    EXPECT_EQ(lines.back(), "DRIVE FAULTED!  FaultCode: Over?current  ExtFault: none");
}
