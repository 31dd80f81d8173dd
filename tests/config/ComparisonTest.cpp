// A configuration file against the drive simulator: the differences with their texts and units,
// the rows for what cannot be compared, another model, taking drive values, the printout.
#include "ListingText.h"
#include "SimTest.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Comparison.h"
#include "tools700/config/PdfCanvas.h"
#include "tools700/config/TextCanvas.h"

#include <gtest/gtest.h>

#include <sstream>

using namespace tools700;
using testutil::SimProcess;

namespace {

class ComparisonTest : public testutil::SimTest {
protected:
    static std::vector<std::string> Differing(const Comparison &c)
    {
        std::vector<std::string> out;
        for (const ComparedVariable &v : c.variables)
            if (v.Differs())
                out.push_back(v.name);
        return out;
    }
    static CompareResult CompareFile(const CfgFromFile &file, bool acceptOther = true)
    {
        return CompareWithDrive(*file.cfg, &file.names, [&](const std::string &) { return acceptOther; });
    }
};

TEST_F(ComparisonTest, FiveChangedValuesShowExactlyThoseFiveWithTheirTextsAndUnits)
{
    auto sim = Start({"--model", "733"});
    const std::string file = UploadedFile(733);
    EditValues(file, {{"Kvp", 12.5}, {"BlkType", 5}, {"ILmtPlus", 55}, {"VelLmtHi", 3000}, {"CmdGain", 2.5}});
    sim->ClearTrace();
    const CfgFromFile loaded = LoadCfgOfItsFamily(file);
    std::vector<double> progress;
    const CompareResult r = CompareWithDrive(
        *loaded.cfg, &loaded.names, [](const std::string &) { return false; },
        [&](double f) { progress.push_back(f); });
    ASSERT_EQ(r.outcome, CompareOutcome::Compared);
    const Comparison &c = r.comparison;
    EXPECT_EQ(Differing(c), (std::vector<std::string>{"BlkType", "CmdGain", "ILmtPlus", "Kvp", "VelLmtHi"}));
    EXPECT_EQ(c.variables.size(), Cfg().PrimaryList().size());
    EXPECT_EQ(c.Summary(), "5 differences, " + std::to_string(c.variables.size() - 5) + " variables the same");
    ASSERT_FALSE(progress.empty());
    EXPECT_DOUBLE_EQ(progress.back(), 1.0);

    const ComparedVariable *kvp = c.Find("kvp");
    ASSERT_TRUE(kvp);
    EXPECT_EQ(kvp->difference, Difference::Value);
    EXPECT_EQ(kvp->fileText, "12.5 amps/rad/sec");
    EXPECT_EQ(kvp->driveText, "0 amps/rad/sec");
    EXPECT_EQ(kvp->help, "Sets the proportional gain of the velocity loop");
    EXPECT_EQ(kvp->role, DownloadRole::Written);
    const ComparedVariable *blk = c.Find("BlkType");
    EXPECT_EQ(blk->fileText, "5 (Frequency Velocity Block)");
    EXPECT_EQ(blk->driveText, "1 (Analog Velocity Block)");
    EXPECT_EQ(blk->role, DownloadRole::WrittenFirst);
    // The unit of a command gain follows each side's own block type.
    EXPECT_EQ(c.Find("CmdGain")->fileText, "2.5 kRPM/kHz");
    EXPECT_EQ(c.Find("CmdGain")->driveText, "1 kRPM/volt");
    EXPECT_EQ(c.Find("ILmtPlus")->fileText, "55 percent");
    EXPECT_EQ(c.Find("VelLmtHi")->driveText, "0 RPM");
    EXPECT_EQ(c.Find("Model")->role, DownloadRole::DrivesOwn);

    // One read of the model, then the family 32 names at a time.
    const auto trace = sim->Trace();
    ASSERT_EQ(trace.size(), 1 + (c.variables.size() + 31) / 32);
    EXPECT_EQ(trace[0].command, "GET_INT");
    for (size_t i = 1; i < trace.size(); ++i)
        EXPECT_EQ(trace[i].command, "GET_VARS");
}

TEST_F(ComparisonTest, UploadThenCompareShowsNoDifferenceInEitherFamily)
{
    for (const char *model : {"734", "1745"}) {
        auto sim = Start({"--model", model});
        const CfgFromFile loaded = LoadCfgOfItsFamily(UploadedFile(std::stoi(model)));
        const CompareResult r = CompareFile(loaded);
        ASSERT_EQ(r.outcome, CompareOutcome::Compared) << model;
        EXPECT_EQ(r.comparison.DifferenceCount(), 0u) << model << ": " << r.comparison.Summary();
        EXPECT_TRUE(r.comparison.SameModel());
    }
}

TEST_F(ComparisonTest, RefusedReadsAndMissingLinesAreRowsOfTheirOwn)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvi=65"});
    const std::string file = dir.File("partial.cfg");
    testutil::WriteText(file, "Model = 733.000000\nKvp = 0.000000\nKvi = 1.000000\n");
    const CfgFromFile loaded = LoadCfgOfItsFamily(file);
    EXPECT_EQ(loaded.names, (std::vector<std::string>{"Model", "Kvp", "Kvi"}));
    const CompareResult r = CompareFile(loaded);
    ASSERT_EQ(r.outcome, CompareOutcome::Compared);
    const Comparison &c = r.comparison;
    EXPECT_EQ(c.Find("Kvp")->difference, Difference::None);
    EXPECT_EQ(c.Find("Model")->difference, Difference::None);
    const ComparedVariable *kvi = c.Find("Kvi");
    EXPECT_EQ(kvi->difference, Difference::NotReadable);
    EXPECT_EQ(kvi->driveStatus, 65);
    EXPECT_EQ(kvi->driveText, "not readable: READONLY");
    const ComparedVariable *ilmt = c.Find("ILmtPlus");
    EXPECT_EQ(ilmt->difference, Difference::NotInFile);
    EXPECT_FALSE(ilmt->inFile);
    EXPECT_EQ(ilmt->fileText, "not in the file (default 0 percent)");
    EXPECT_EQ(c.DifferenceCount(), c.variables.size() - 2);
}

TEST_F(ComparisonTest, AnotherModelIsComparedOnlyAfterTheWarningNamingBoth)
{
    auto sim = Start({"--model", "733"});
    const std::string file = dir.File("other.cfg");
    {
        Cfg cfg(740);
        cfg.Set("Model", 1743);
        cfg.Save(file, 1743);
    }
    const CfgFromFile loaded = LoadCfgOfItsFamily(file);
    sim->ClearTrace();
    std::vector<std::string> warnings;
    const CompareResult declined =
        CompareWithDrive(*loaded.cfg, &loaded.names, [&](const std::string &w) {
            warnings.push_back(w);
            return false;
        });
    EXPECT_EQ(declined.outcome, CompareOutcome::OtherModelDeclined);
    ASSERT_EQ(warnings.size(), 1u);
    EXPECT_NE(warnings[0].find("SVE743"), std::string::npos) << warnings[0];
    EXPECT_NE(warnings[0].find("SV733"), std::string::npos);
    EXPECT_EQ(sim->Trace().size(), 1u) << "only the model was read";

    const CompareResult r = CompareFile(loaded);
    ASSERT_EQ(r.outcome, CompareOutcome::Compared);
    const Comparison &c = r.comparison;
    EXPECT_FALSE(c.SameModel());
    EXPECT_EQ(c.Find("Model")->difference, Difference::Value);
    EXPECT_EQ(c.Find("InputMap1")->difference, Difference::NotInDriveFamily);
    EXPECT_EQ(c.Find("InputMap1")->driveText, "not a variable of the drive's family");
    EXPECT_EQ(c.Find("InpMap1")->difference, Difference::NotInFile);
    EXPECT_EQ(c.Find("InpMap1")->fileText, "not in the file");
}

TEST_F(ComparisonTest, TakeFromDriveChangesExactlyTheTickedValues)
{
    auto sim = Start({"--model", "733"});
    const std::string file = UploadedFile(733);
    Cfg cfg;
    cfg.Load(file);
    for (const char *name : {"Kvp", "Kvi", "Kpp"})
        cfg.Set(name, 3.5);
    cfg.ClearModified();
    const CompareResult r = CompareWithDrive(cfg, nullptr, {});
    ASSERT_EQ(r.comparison.DifferenceCount(), 3u);

    Cfg before;
    before.Assign(cfg);
    const auto taken = TakeFromDrive(cfg, r.comparison, {"kvp", "KPP", "NoSuchName"});
    EXPECT_EQ(taken, (std::vector<std::string>{"Kvp", "Kpp"}));
    EXPECT_TRUE(cfg.IsModified());
    for (TQX *t : cfg.PrimaryList()) {
        const std::string &n = t->VarName();
        if (n == "Kvp" || n == "Kpp")
            EXPECT_EQ(t->Val(), r.comparison.Find(n)->driveValue) << n;
        else
            EXPECT_EQ(t->Val(), before.Get(n)) << n;
    }
    // Compared again from the same readings: only Kvi is left, without a drive exchange.
    sim->ClearTrace();
    EXPECT_EQ(Compare(cfg, nullptr, r.drive).DifferenceCount(), 1u);
    EXPECT_TRUE(sim->Trace().empty());

    // The model of a drive of the other family is never taken into this configuration.
    Comparison other = r.comparison;
    other.driveModel = 743;
    for (ComparedVariable &v : other.variables)
        if (v.name == "Model")
            v.driveValue = 743;
    EXPECT_TRUE(TakeFromDrive(cfg, other, {"Model"}).empty());
    EXPECT_EQ(cfg.Get("Model"), 733.0);
}

TEST_F(ComparisonTest, ThePrintedDifferencesReadBackWithPdfToText)
{
    // Readings made up for a drive that holds other values than the file: no drive needed.
    Cfg cfg;
    cfg.Set("Kvp", 12.5);
    cfg.Set("BlkType", 5);
    DriveReadings drive;
    drive.model = 733;
    const Cfg defaults;
    for (TQX *t : defaults.PrimaryList())
        drive.values.push_back({t->VarName(), 0, t->Val()});
    drive.values[3].status = 66;
    const Comparison c = Compare(cfg, nullptr, drive);
    ASSERT_EQ(c.DifferenceCount(), 3u);

    const std::time_t when = 1700000000;
    std::ostringstream text;
    TextCanvas canvas(text, 66);
    PrintComparison(canvas, c, "drive.cfg against SV733", false, {}, when);
    EXPECT_EQ(canvas.Title(), "drive.cfg against SV733 (700Tools)");
    const auto pages = testutil::NormalizedPages(text.str());
    ASSERT_EQ(pages.size(), 1u);
    // The header, the summary, then each row: number and name, both values, the help text.
    const std::string firstName = c.variables[3].name;
    const std::vector<std::string> want{c.Summary(),
                                        "1 " + firstName,
                                        "file: " + c.variables[3].fileText,
                                        "drive: not readable: BOUNDS_ERROR",
                                        c.variables[3].help,
                                        "2 BlkType (written first)",
                                        "file: 5 (Frequency Velocity Block)",
                                        "drive: 1 (Analog Velocity Block)",
                                        "Specifies control type (torque, velocity or position)",
                                        "3 Kvp",
                                        "file: 12.5 amps/rad/sec",
                                        "drive: 0 amps/rad/sec",
                                        "Sets the proportional gain of the velocity loop"};
    ASSERT_EQ(pages[0].size(), want.size() + 1);
    EXPECT_EQ(pages[0][0].rfind("drive.cfg against SV733 ", 0), 0u);
    for (size_t i = 0; i < want.size(); ++i)
        EXPECT_EQ(pages[0][i + 1], want[i]);

    if (!testutil::HavePdfToText())
        GTEST_SKIP() << "pdftotext (poppler-utils) is not installed";
    const std::string pdf = dir.File("differences.pdf");
    PdfCanvas pdfCanvas(pdf);
    PrintComparison(pdfCanvas, c, "drive.cfg against SV733", true, {}, when);
    const int rows = pdfCanvas.PageHeight() / static_cast<int>(1.2 * pdfCanvas.TextHeight("W"));
    std::ostringstream all;
    TextCanvas allText(all, rows);
    PrintComparison(allText, c, "drive.cfg against SV733", true, {}, when);
    EXPECT_GT(pdfCanvas.Pages(), 2);
    EXPECT_EQ(testutil::NormalizedPages(testutil::PdfToText(pdf)), testutil::NormalizedPages(all.str()));
}

} // namespace
