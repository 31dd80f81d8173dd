// tools700-cli diagnose and tune, run as a user would against the drive simulator: the failed
// checks with their messages and the exit codes, the tuning conversions computed from the motor
// database, and --apply's writes in the drive's trace after the question.
#include "../common/CommaLocale.h"
#include "CliRunner.h"
#include "SimProcess.h"

#include "mdb700.h"
#include "tools700/tuning/TuningFormulas.h"

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <filesystem>
#include <memory>
#include <thread>

using namespace testutil;
using namespace tools700::tuning;

namespace {

class CliDiagnoseTune : public ::testing::Test {
protected:
    // Starts drivesim with `saved` as its one drive's non-volatile memory (name=value lines), so the
    // drive starts with them and no tool has to write them first.
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options, const std::string &saved = "")
    {
        if (!saved.empty()) {
            const std::string nv = dir.File("nv" + std::to_string(sims_ + 1) + ".txt");
            WriteText(nv, "# drivesim non-volatile memory\n[drive 1]\nModel=733\n" + saved);
            options.insert(options.end(), {"--nvfile", nv});
        }
        const std::string trace = dir.File("trace" + std::to_string(++sims_) + ".txt");
        auto sim = std::make_unique<SimProcess>(std::move(options), trace);
        // The simulator opens its trace just before the channel: a probe sent before it listens
        // could be answered after the probing tool has given up, and that late reply would be
        // taken by the next tool's request.
        for (int i = 0; i < 2000 && !std::filesystem::exists(trace); ++i)
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
        // The test process stays off the line: one reader per channel, the tool.
        EXPECT_TRUE(sim->WaitUntil([&] { return Run({"--port", "0", "get", "Model"}).rc == 0; }));
        sim->ClearTrace();
        return sim;
    }
    CliResult Run(std::vector<std::string> args)
    {
        return RunCli(dir, std::move(args),
                      {"TOOLS700_SETTINGS=" + dir.File("settings.ini"), "TOOLS700_MDE_DIR=" + dir.File("mde")});
    }
    // The first `count` motors the tool lists that have every datum the formulas need.
    std::vector<std::string> Motors(std::size_t count)
    {
        std::vector<std::string> found;
        const std::string list = Run({"motors"}).out;
        for (std::size_t at = 0; at < list.size() && found.size() < count;) {
            const std::size_t end = list.find('\n', at);
            const std::string name = list.substr(at, list.find_first_of(" \t\n", at) - at);
            if (mdb_Ke(name.c_str()) > 0 && mdb_Inertia(name.c_str()) > 0 && mdb_Inductance(name.c_str()) > 0)
                found.push_back(name);
            at = end == std::string::npos ? list.size() : end + 1;
        }
        EXPECT_EQ(found.size(), count) << "motors with data";
        found.resize(count);
        return found;
    }
    std::string Motor() { return Motors(1).front(); }
    static std::string Line(const std::string &out, const std::string &label)
    {
        const std::size_t at = out.find(label);
        if (at == std::string::npos)
            return "";
        return out.substr(at + label.size(), out.find('\n', at) - at - label.size());
    }
    TempDir dir;
    int sims_ = 0;
};

} // namespace

TEST_F(CliDiagnoseTune, DiagnoseListsTheFailedChecksAndExitsByTheResult)
{
    {
        auto sim = Start({"--model", "733", "--fault", "2"});
        CliResult r = Run({"--port", "0", "diagnose"});
        EXPECT_EQ(r.rc, 1) << r.err;
        EXPECT_EQ(r.out.rfind("Drive is faulted!\n  FaultCode : ", 0), 0u) << r.out;
        EXPECT_NE(r.out.find("\nConfigured check....  failed! <---\n    This drive is not configured!\n"),
                  std::string::npos)
            << r.out;
        EXPECT_NE(r.out.find("\nCommEnbl check .....  failed! <---\n    Commutation is presently disabled"),
                  std::string::npos);
        const std::string end = "One or more checks failed.\nDone!\n";
        EXPECT_EQ(r.out.substr(r.out.size() - end.size()), end);
        // Every value was read once, in the checklist's order.
        ASSERT_EQ(sim->Trace().size(), 25u);
        EXPECT_TRUE(SameName(sim->Trace().front().name, "InpMap1"));
        EXPECT_TRUE(SameName(sim->Trace().back().name, "Cfgd"));
    }
    {
        auto sim = Start({"--model", "733"},
                         "CfgD=1\nCommEnbl=1\nIlmtPlus=100\nIlmtMinus=100\nVelLmtHi=1000\nVelLmtLo=-1000\n");
        CliResult r = Run({"--port", "0", "diagnose"});
        EXPECT_EQ(r.rc, 0) << r.out;
        EXPECT_EQ(r.out, "All checks passed!\nDone!\n");
    }
    CliResult silent = Run({"--port", "0", "diagnose"});
    EXPECT_EQ(silent.rc, 4);
    EXPECT_EQ(silent.err, "Can't communicate with drive\n");
    EXPECT_EQ(silent.out, "");
    EXPECT_EQ(Run({"diagnose", "extra"}).rc, 2);
}

TEST_F(CliDiagnoseTune, TuneConvertsBandwidthAndKvpForAMotor)
{
    const std::string motor = Motor();
    const double ke = mdb_Ke(motor.c_str()), inertia = mdb_Inertia(motor.c_str());
    CliResult r = Run({"tune", "--motor", motor, "--ratio", "2", "--bandwidth", "80"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const double kvp = KvpFromBandwidth(80, ke, inertia, 2);
    EXPECT_EQ(Line(r.out, "Kvp            "), KvpText(kvp) + " amp/rad/sec");
    EXPECT_EQ(Line(r.out, "Bandwidth      "), "80 Hz");
    EXPECT_EQ(Line(r.out, "Inertia ratio  "), "2");
    LoopSettings loop{5, 150, 750, 0, 0, kTwoPi * mdb_Inductance(motor.c_str()),
                      mdb_Inductance(motor.c_str()) / 1000};
    EXPECT_EQ(Line(r.out, "Phase margin   "), UpToText(PhaseMargin(80, loop), 2) + " deg");
    EXPECT_EQ(r.out.find("too"), std::string::npos) << "80 Hz lies between Kvi and the filters";

    // The other way, with the loop given: the bandwidth of a Kvp and the warning of a low one.
    CliResult back = Run({"tune", "--motor", motor, "--kvp", "0.5", "--kvi", "40", "--arf0", "300", "--kip", "0"});
    ASSERT_EQ(back.rc, 0) << back.err;
    const double raw = BandwidthFromKvp(0.5, ke, inertia, 1);
    ASSERT_LE(raw, 205) << "a motor for which Kvp 0.5 keeps the slider";
    const double bw = HalfUp(raw);
    EXPECT_EQ(Line(back.out, "Bandwidth      "), UpToText(bw, 1) + " Hz");
    loop = {40, 300, 750, 0, 0, 0, mdb_Inductance(motor.c_str()) / 1000};
    EXPECT_EQ(Line(back.out, "Phase margin   "), UpToText(PhaseMargin(bw, loop), 2) + " deg");
    EXPECT_EQ(back.out.find("BW < Kvi: Kvp is too low\n") != std::string::npos, bw < 40) << back.out;

    EXPECT_EQ(Run({"tune", "--motor", motor}).rc, 2) << "neither bandwidth nor Kvp";
    EXPECT_EQ(Run({"tune", "--motor", motor, "--kvp", "1", "--bandwidth", "50"}).rc, 2);
    CliResult ratio = Run({"tune", "--motor", motor, "--ratio", "101", "--kvp", "1"});
    EXPECT_EQ(ratio.rc, 2);
    EXPECT_NE(ratio.err.find("Inertia Ratio is out of range"), std::string::npos);
    EXPECT_EQ(Run({"tune", "--motor", motor, "--kvp", "400"}).rc, 2);
    EXPECT_EQ(Run({"tune", "--motor", motor, "--kvp", "fast"}).rc, 2);
    CliResult unknown = Run({"tune", "--motor", "NOMOTOR", "--kvp", "1"});
    EXPECT_EQ(unknown.rc, 7);
    EXPECT_NE(unknown.err.find("Ke is 0, please check the motor database."), std::string::npos);
}

// A Kvp's bandwidth is rounded to whole hertz as the wizard's slider takes it, and the phase
// margin follows from the rounded bandwidth.
TEST_F(CliDiagnoseTune, TuneRoundsTheBandwidthOfAKvpAsTheWizardDoes)
{
    std::filesystem::create_directory(dir.File("mde"));
    testutil::WriteText(dir.File("mde/HALFK.MDE"), "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    CliResult worked = Run({"tune", "--motor", "HALFK", "--kvp", "0.5"});
    ASSERT_EQ(worked.rc, 0) << worked.err;
    EXPECT_EQ(Line(worked.out, "Bandwidth      "), "172 Hz") << worked.out;
    EXPECT_EQ(Line(worked.out, "Phase margin   "), "3.67 deg") << worked.out;
    EXPECT_NE(worked.out.find("BW > ARF0 or BW > ARF1: Kvp is too high\n"), std::string::npos);

    for (const std::string &motor : Motors(2)) {
        const double ke = mdb_Ke(motor.c_str()), inertia = mdb_Inertia(motor.c_str());
        // A Kvp whose bandwidth lies well off a whole number of hertz.
        const double kvp = HalfUp(KvpFromBandwidth(96.4, ke, inertia, 1.5), 3);
        const double raw = BandwidthFromKvp(kvp, ke, inertia, 1.5);
        ASSERT_GT(std::fabs(raw - HalfUp(raw)), 0.05) << motor;
        CliResult r = Run({"tune", "--motor", motor, "--ratio", "1.5", "--kvp", GeneralText(kvp)});
        ASSERT_EQ(r.rc, 0) << r.err;
        EXPECT_EQ(Line(r.out, "Bandwidth      "), GeneralText(HalfUp(raw)) + " Hz") << motor;
        const LoopSettings loop{5, 150, 750, 0, 0, kTwoPi * mdb_Inductance(motor.c_str()),
                                mdb_Inductance(motor.c_str()) / 1000};
        EXPECT_EQ(Line(r.out, "Phase margin   "), UpToText(PhaseMargin(HalfUp(raw), loop), 2) + " deg") << motor;
    }
}

// The tool's numbers are C notation under a user's decimal-comma locale, both ways: what it
// prints and what it reads.
TEST_F(CliDiagnoseTune, TuneKeepsCNotationUnderADecimalCommaLocale)
{
    std::filesystem::create_directory(dir.File("mde"));
    testutil::WriteText(dir.File("mde/HALFK.MDE"), "0 0 0.5 0.0001 4 2 8 1.5 0 0 1 0 0 0 20 0 0 0 320 5");
    const CommaLocale comma;
    std::vector<std::string> env = comma.Environment();
    env.insert(env.end(), {"LANG=de_DE.UTF-8", "TOOLS700_SETTINGS=" + dir.File("settings.ini"),
                           "TOOLS700_MDE_DIR=" + dir.File("mde")});
    CliResult r = RunCli(dir, {"tune", "--motor", "HALFK", "--ratio", "2.5", "--kvp", "0.5"}, env);
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(Line(r.out, "Inertia ratio  "), "2.5") << r.out;
    EXPECT_EQ(Line(r.out, "Kvp            "), "0.5 amp/rad/sec") << r.out;
    EXPECT_EQ(Line(r.out, "Motor          "), "HALFK (Ke 0.5 V/(rad/s), inertia 0.0001 kg m^2, inductance 4 mH)");
    EXPECT_EQ(Line(r.out, "Phase margin   "), "33.41 deg");
    EXPECT_EQ(RunCli(dir, {"tune", "--motor", "HALFK", "--kvp", "0,5"}, env).rc, 2) << "a comma is no decimal point";
}

TEST_F(CliDiagnoseTune, TuneApplyWritesTheDriveInOrderAfterTheQuestion)
{
    const std::string motor = Motor();
    auto packed = [&](std::size_t from) {
        unsigned word = 0;
        for (std::size_t i = 0; i < 4 && from + i < motor.size(); ++i)
            word |= static_cast<unsigned>(static_cast<unsigned char>(motor[from + i])) << (8 * i);
        return std::to_string(static_cast<int>(word));
    };
    auto sim = Start({"--model", "733"}, "CfgD=1\nMotor1=" + packed(0) + "\nMotor2=" + packed(4) + "\nKvi=3\n");

    // Answered No (no terminal): nothing is written.
    sim->ClearTrace();
    CliResult no = Run({"--port", "0", "tune", "--apply", "--bandwidth", "60"});
    EXPECT_EQ(no.rc, 6) << no.err;
    EXPECT_NE(no.err.find("Applying the your adjustment will change the parameters in drive.\n"), std::string::npos);
    EXPECT_NE(no.err.find("\nKvi   3-->3\n"), std::string::npos) << "the drive's own Kvi is kept" << no.err;
    for (const TraceLine &t : sim->Trace())
        EXPECT_EQ(t.command.rfind("PUT", 0), std::string::npos) << t.name;

    sim->ClearTrace();
    CliResult yes = Run({"--port", "0", "--yes", "tune", "--apply", "--bandwidth", "60", "--kvi", "6"});
    ASSERT_EQ(yes.rc, 0) << yes.err;
    std::vector<std::string> writes;
    for (const TraceLine &t : sim->Trace())
        if (t.command.rfind("PUT", 0) == 0)
            writes.push_back(t.name + " " + t.value);
    ASSERT_EQ(writes.size(), 5u);
    EXPECT_TRUE(SameName(writes[0], "Enable 0"));
    EXPECT_TRUE(SameName(writes[1], "Kvi 6"));
    EXPECT_EQ(writes[2].rfind("Kvp ", 0), 0u);
    EXPECT_EQ(writes[3].rfind("ARF0 ", 0), 0u);
    EXPECT_EQ(writes[4].rfind("ARF1 ", 0), 0u);
    const double kvp = KvpFromBandwidth(60, mdb_Ke(motor.c_str()), mdb_Inertia(motor.c_str()), 1);
    EXPECT_NEAR(std::stod(writes[2].substr(4)), kvp, 1e-6 * kvp + 1e-6);

    CliResult other = Run({"--port", "0", "--yes", "tune", "--apply", "--motor", "NOMOTOR", "--kvp", "1"});
    EXPECT_EQ(other.rc, 7);
    EXPECT_NE(other.err.find("The drive's motor is " + motor), std::string::npos);
}
