// Backup and restore of a line of drives against drivesim: the files equal one-by-one uploads, a
// drive that goes silent leaves no file, a restore brings every value back and writes nothing to
// a drive of another model.
#include "tools700/machine/Backup.h"
#include "tools700/machine/Restore.h"

#include "../support/DriveValues.h"
#include "SimProcess.h"
#include "TempDir.h"
#include "comm700.h"
#include "tools700/common/Error.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/dictionary/DriveFamily.h"

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <fstream>

using namespace tools700;
using namespace tools700::machine;
using testutil::SimProcess;

namespace {

const std::vector<std::string> kLine{"--axes", "1:733,2:743,3:1735", "--configured", "--serial-control"};

std::string Text(const std::string &path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

// The configuration of the drive at `axis`, uploaded one variable at a time.
std::unique_ptr<Cfg> UploadOneByOne(int axis)
{
    EXPECT_EQ(SetAxis700(axis), COMM_OK);
    double model = 0;
    EXPECT_EQ(GetVar700("Model", &model), COMM_OK);
    auto cfg = std::make_unique<Cfg>(TruncToInt(model));
    ScriptedMessages quiet;
    EXPECT_TRUE(cfg->Upload(quiet));
    return cfg;
}

// Every drive of the line given values of its own that it accepts (each downloaded in full).
void GiveEveryDriveItsOwnValues(const std::vector<int> &axes)
{
    for (int axis : axes) {
        auto cfg = UploadOneByOne(axis);
        testsupport::IntoBounds(*cfg);
        cfg->Set("Kvp", 1.5 + axis);
        cfg->Set("ILmtPlus", 50 + axis);
        ScriptedMessages yes({}, Answer::Yes);
        ASSERT_TRUE(cfg->Download(yes)) << axis;
    }
}

struct Watcher : BackupObserver, RestoreObserver {
    std::function<void(int axis, double drive)> onProgress;
    std::function<void(int axis)> onDone;
    int cancelAfter = -1;
    int done = 0;
    void Progress(int axis, double drive, double) override
    {
        if (onProgress)
            onProgress(axis, drive);
    }
    void DriveDone(const ManifestDrive &d) override
    {
        ++done;
        if (onDone)
            onDone(d.axis);
    }
    void DriveDone(const RestoreDrive &) override { ++done; }
    bool Cancelled() override { return cancelAfter >= 0 && done >= cancelAfter; }
};

class BackupRestore : public ::testing::Test {
protected:
    std::unique_ptr<SimProcess> Start(std::vector<std::string> options)
    {
        auto sim = testutil::StartTraced(std::move(options), dir.File("trace.txt"));
        EXPECT_EQ(SetAxis700(1), COMM_OK);
        return sim;
    }
    testutil::TempDir dir;
    DirectLineAccess line {1};
};

} // namespace

TEST_F(BackupRestore, BackupFilesEqualOneByOneUploadsAndTheManifestNamesThem)
{
    auto sim = Start(kLine);
    GiveEveryDriveItsOwnValues({1, 2, 3});
    const std::string folder = dir.File("machine");
    Watcher w;
    const BackupResult r = BackupLine(line, folder, {1, 2, 3}, 0, w);
    ASSERT_TRUE(r.error.empty()) << r.error;
    EXPECT_EQ(r.backedUp, 3);
    EXPECT_EQ(r.failed, 0);
    for (int axis : {1, 2, 3}) {
        auto cfg = UploadOneByOne(axis);
        const int model = TruncToInt(cfg->Get("Model"));
        const std::string one = dir.File("one.cfg");
        ASSERT_GT(cfg->Save(one, model), 0);
        EXPECT_EQ(Text(InFolder(folder, BackupFileName(axis, model))), Text(one)) << "axis " << axis;
    }
    EXPECT_EQ(BackupFileName(2, 743), "axis-02-SV743.cfg");
    EXPECT_EQ(BackupFileName(3, 1735), "axis-03-SVE735.cfg");
    const Manifest m = ReadManifest(folder);
    EXPECT_EQ(m.port, 0);
    EXPECT_FALSE(m.date.empty());
    ASSERT_EQ(m.drives.size(), 3u);
    EXPECT_EQ(m.drives[1].axis, 2);
    EXPECT_EQ(m.drives[1].model, 743);
    EXPECT_EQ(m.drives[1].firmware, 103);
    EXPECT_EQ(m.drives[1].hardware, 2);
    EXPECT_EQ(m.drives[1].file, "axis-02-SV743.cfg");
    // Batched: far fewer exchanges than the 100-odd variables of each drive.
    int exchanges = 0;
    for (const auto &t : sim->Trace())
        exchanges += t.command == "GET_VARS";
    EXPECT_GE(exchanges, 3 * 5);
}

TEST_F(BackupRestore, ADriveSilentMidBackupLeavesNoFileAndTheOthersAreKept)
{
    auto sim = Start(kLine);
    const std::string folder = dir.File("machine");
    Watcher w;
    bool stopped = false;
    w.onProgress = [&](int axis, double drive) {
        if (axis == 2 && drive > 0.2 && drive < 1.0 && !stopped) {
            stopped = true;
            kill(sim->Pid(), SIGSTOP);  // the drive stops answering half-way through its upload
        }
    };
    w.onDone = [&](int axis) {
        if (axis == 2)
            kill(sim->Pid(), SIGCONT);
    };
    const BackupResult r = BackupLine(line, folder, {1, 2, 3}, 0, w);
    kill(sim->Pid(), SIGCONT);
    ASSERT_TRUE(stopped);
    EXPECT_EQ(r.backedUp, 2);
    EXPECT_EQ(r.failed, 1);
    EXPECT_TRUE(std::filesystem::exists(InFolder(folder, "axis-01-SV733.cfg")));
    EXPECT_TRUE(std::filesystem::exists(InFolder(folder, "axis-03-SVE735.cfg")));
    EXPECT_FALSE(std::filesystem::exists(InFolder(folder, "axis-02-SV743.cfg")));
    for (const auto &entry : std::filesystem::directory_iterator(folder))
        EXPECT_EQ(entry.path().filename().string().find("axis-02"), std::string::npos) << entry.path();
    const Manifest m = ReadManifest(folder);
    ASSERT_NE(m.Find(2), nullptr);
    EXPECT_FALSE(m.Find(2)->BackedUp());
    EXPECT_EQ(m.Find(2)->reason.rfind("Upload failed, trying to read ", 0), 0u) << m.Find(2)->reason;
}

TEST_F(BackupRestore, CancelKeepsTheDrivesFinished)
{
    auto sim = Start(kLine);
    Watcher w;
    w.cancelAfter = 1;
    const std::string folder = dir.File("machine");
    const BackupResult r = BackupLine(line, folder, {1, 2, 3}, 0, w);
    EXPECT_TRUE(r.cancelled);
    const Manifest m = ReadManifest(folder);
    ASSERT_EQ(m.drives.size(), 1u);
    EXPECT_TRUE(m.drives[0].BackedUp());
    EXPECT_FALSE(std::filesystem::exists(InFolder(folder, "axis-02-SV743.cfg")));
}

TEST_F(BackupRestore, RestoreBringsEveryValueBackAndSkipsADriveOfAnotherModel)
{
    const std::string folder = dir.File("machine");
    std::map<int, std::string> before;
    {
        auto sim = Start(kLine);
        GiveEveryDriveItsOwnValues({1, 2, 3});
        Watcher w;
        ASSERT_EQ(BackupLine(line, folder, {1, 2, 3}, 0, w).backedUp, 3);
        for (int axis : {1, 2, 3})
            before[axis] = Text(InFolder(folder, ReadManifest(folder).Find(axis)->file));
    }
    // The machine after a repair: axis 3 holds a drive of another model, the others lost values.
    auto sim = Start({"--axes", "1:733,2:743,3:1745", "--configured", "--serial-control"});
    for (int axis : {1, 2}) {
        ASSERT_EQ(SetAxis700(axis), COMM_OK);
        ASSERT_EQ(PutVar700("Kvp", 9.75), COMM_OK);
        ASSERT_EQ(PutVar700("ILmtPlus", 20), COMM_OK);
    }
    sim->ClearTrace();
    Watcher w;
    // A dry run lists what differs and writes nothing.
    RestoreOptions dry;
    dry.dryRun = true;
    ScriptedMessages none;
    const RestoreResult d = RestoreLine(line, folder, dry, none, w);
    ASSERT_EQ(d.drives.size(), 3u);
    EXPECT_EQ(d.drives[0].outcome, RestoreOutcome::Differs);
    // The new drives hold their defaults where the old ones had been brought into bounds.
    EXPECT_EQ(d.drives[0].differences,
              (std::vector<std::string>{"ARZ0: file 20 Hz, drive 0 Hz", "ARZ1: file 20 Hz, drive 0 Hz",
                                        "ILmtPlus: file 51 percent, drive 20 percent",
                                        "Kvp: file 2.5 amps/rad/sec, drive 9.75 amps/rad/sec",
                                        "StopTime: file 0.002 seconds, drive 0 seconds"}));
    EXPECT_EQ(d.drives[1].differences.size(), 5u);
    EXPECT_EQ(d.drives[2].outcome, RestoreOutcome::Skipped);
    EXPECT_TRUE(none.texts().empty()) << "nothing asked";
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command.rfind("GET", 0), 0u) << "a dry run only reads: " << t.command;
    sim->ClearTrace();

    ScriptedMessages yes({}, Answer::Yes);
    RestoreOptions options;
    const RestoreResult r = RestoreLine(line, folder, options, yes, w);
    ASSERT_TRUE(r.error.empty()) << r.error;
    ASSERT_EQ(r.drives.size(), 3u);
    EXPECT_EQ(r.drives[0].outcome, RestoreOutcome::Restored) << r.drives[0].reason;
    EXPECT_EQ(r.drives[1].outcome, RestoreOutcome::Restored) << r.drives[1].reason;
    EXPECT_EQ(r.drives[2].outcome, RestoreOutcome::Skipped);
    EXPECT_EQ(r.drives[2].problem, RestoreProblem::OtherModel);
    EXPECT_EQ(r.drives[2].ReportLine(),
              "axis 3 SVE735: skipped, the drive at axis 3 is an SVE745, the backup's an SVE735; nothing written");
    EXPECT_TRUE(r.drives[0].saved && r.drives[1].saved) << "asked once for all, answered Yes";
    int questions = 0;
    for (const auto &text : yes.texts())
        questions += text == NvSaveAllQuestion(2);
    EXPECT_EQ(questions, 1);
    for (const auto &t : sim->Trace())
        if (t.axis == 3) {
            EXPECT_EQ(t.command, "GET_VARS") << "nothing but the model was asked of axis 3";
        }
    for (int axis : {1, 2}) {
        auto cfg = UploadOneByOne(axis);
        const std::string now = dir.File("now.cfg");
        cfg->Save(now, TruncToInt(cfg->Get("Model")));
        EXPECT_EQ(Text(now), before[axis]) << "every value of axis " << axis << " is back";
    }
    const RestoreResult again = RestoreLine(line, folder, dry, none, w);
    EXPECT_EQ(again.drives[0].outcome, RestoreOutcome::Unchanged);
    EXPECT_EQ(again.drives[0].ReportLine(), "axis 1 SV733: holds the backup's values");
}

TEST_F(BackupRestore, ABrokenBackupIsReportedAndNothingIsWritten)
{
    auto sim = Start({"--axes", "1"});
    ScriptedMessages m;
    Watcher w;
    RestoreResult r = RestoreLine(line, dir.File("nowhere"), {}, m, w);
    EXPECT_EQ(r.error, "Can't open file " + dir.File("nowhere") + "/manifest.ini");
    const std::string folder = dir.File("bad");
    std::filesystem::create_directories(folder);
    std::ofstream(InFolder(folder, kManifestName)) << "[backup]\ndate=x\n[axis-01]\naxis=1\nmodel=733\nfile=../etc.cfg\n";
    r = RestoreLine(line, folder, {}, m, w);
    EXPECT_NE(r.error.find("outside the backup folder"), std::string::npos) << r.error;
    std::ofstream(InFolder(folder, kManifestName)) << "[backup]\n[axis-01]\naxis=1\nmodel=733\nfile=gone.cfg\n";
    r = RestoreLine(line, folder, {}, m, w);
    ASSERT_EQ(r.drives.size(), 1u);
    EXPECT_EQ(r.drives[0].problem, RestoreProblem::File);
    EXPECT_EQ(r.drives[0].reason, "Can't open file " + InFolder(folder, "gone.cfg"));
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command.rfind("GET", 0), 0u) << t.command;
}
