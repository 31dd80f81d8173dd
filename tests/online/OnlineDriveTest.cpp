// The on-line window's decisions without the window, against the drive simulator: the batch of
// one poll as the drive receives it, what each row, lamp, label and the fault area show for each
// outcome, and the refresh of a single row.
#include "OnlineSim.h"

#include "comm700.h"
#include "tools700/dictionary/Enums.h"
#include "tools700/dictionary/Symtab.h"
#include "tools700/online/DriveTexts.h"
#include "tools700/online/OnlineDrive.h"

#include <gtest/gtest.h>

using namespace tools700;
using namespace tools700::online;
using testutil::SimProcess;
using testutil::Split;

namespace {

const std::vector<std::string> kFixedNames = {
    "Inputs",  "Outputs", "Model",   "Motor1",  "Motor2",  "DriveStatus", "FaultCode", "ExtFault", "InpMap1", "InpMap2",
    "InpMap3", "InpMap4", "InpMap5", "InpMap6", "OutMap1", "OutMap2",     "OutMap3",   "OutMap4",  "BlkType", "EncMode"};

// Motor1/Motor2 of a name, four characters per word, lowest byte first.
double Packed(const std::string &name, int word)
{
    std::uint32_t bits = 0;
    for (int b = 0; b < 4; ++b) {
        const std::size_t at = static_cast<std::size_t>(4 * word + b);
        if (at < name.size())
            bits |= static_cast<std::uint32_t>(static_cast<unsigned char>(name[at])) << (8 * b);
    }
    return static_cast<std::int32_t>(bits);
}

void Name(OnlineDrive &drive, const std::vector<std::string> &rows)
{
    for (std::size_t i = 0; i < rows.size(); ++i)
        drive.SetName(static_cast<int>(i), rows[i]);
}

class OnlineDriveTest : public testutil::OnlineSimTest {};

} // namespace

TEST_F(OnlineDriveTest, OnePollIsOneExchangeOfThe26NamesInOrder)
{
    auto sim = Start({"--model", "733"});
    OnlineDrive drive;
    const std::vector<std::string> rows = {"Kvp", "DriveStatus", "VelCmd", "AxisAddr", "Kvi", "ILmtPlus"};
    Name(drive, rows);
    std::vector<std::string> expected = rows;
    expected.insert(expected.end(), kFixedNames.begin(), kFixedNames.end());
    ASSERT_EQ(expected.size(), 26u);
    const auto batch = drive.BatchNames();
    EXPECT_EQ(std::vector<std::string>(batch.begin(), batch.end()), expected);

    EXPECT_TRUE(drive.Poll({}).commOk);
    auto trace = sim->Trace();
    ASSERT_EQ(trace.size(), 1u) << "one exchange per poll";
    EXPECT_EQ(trace[0].command, "GET_VARS");
    EXPECT_EQ(Split(trace[0].name), expected);
    EXPECT_EQ(trace[0].result, "ok");

    // Empty row names still travel in their slots, before the fixed names.
    OnlineDrive empty;
    sim->ClearTrace();
    EXPECT_TRUE(empty.Poll({}).commOk);
    trace = sim->Trace();
    ASSERT_EQ(trace.size(), 1u);
    std::vector<std::string> blanks(6, "-");
    blanks.insert(blanks.end(), kFixedNames.begin(), kFixedNames.end());
    EXPECT_EQ(Split(trace[0].name), blanks);
    for (const std::string &box : empty.View().valueBox)
        EXPECT_EQ(box, "");
}

TEST_F(OnlineDriveTest, RowsShowNumbersWithUnitsValueTextsOrNothing)
{
    auto sim = Start({"--model", "733", "--axes", "1"});
    ASSERT_EQ(PutVar700("Kvp", 2.5), 0);
    ASSERT_EQ(PutVar700("CommSrc", 1), 0);
    OnlineDrive drive;
    Name(drive, {"Kvp", "AxisAddr", "CommSrc", "NoSuchName", "NVSave", ""});
    for (int i = 0; i < kRows; ++i)
        drive.RefreshRow(i, {});
    const DriveView &view = drive.Poll({});
    ASSERT_TRUE(view.commOk);
    EXPECT_EQ(view.valueBox[0], "2.500 " + UnitText("Kvp"));
    EXPECT_EQ(drive.RowAt(0).valueText, "2.500");
    EXPECT_EQ(view.valueBox[1], "1 " + UnitText("AxisAddr")) << "an integer variable has no decimals";
    EXPECT_EQ(view.valueBox[2], EnumText("CommSrc", 1));
    EXPECT_EQ(view.valueBox[3], "") << "a name the drive does not know";
    EXPECT_EQ(view.valueBox[4], "") << "a command";
    EXPECT_EQ(view.valueBox[5], "");

    // A value with no entry in its table shows the table's first entry.
    std::array<double, kBatchSize> values{};
    values[2] = 77;
    values[kModelAt] = 733;
    const DriveView &odd = drive.Apply(0, values, (1 << kBatchSize) - 1, {});
    EXPECT_EQ(odd.valueBox[2], HasEnum("CommSrc")->entries[0].text);
}

TEST_F(OnlineDriveTest, LabelsNameTheDriveTheMotorAndTheMode)
{
    {
        auto sim = Start({"--model", "1733"});
        OnlineDrive drive;
        // Eight characters fill both words, with no terminator.
        ASSERT_EQ(PutVar700("Motor1", Packed("MTR-8CHR", 0)), 0);
        ASSERT_EQ(PutVar700("Motor2", Packed("MTR-8CHR", 1)), 0);
        const DriveView &view = drive.Poll({});
        EXPECT_EQ(view.driveLabel, "Drive: SVE733");
        EXPECT_EQ(view.motorLabel, "Motor: MTR-8CHR");
        double blk = 0, enc = 0;
        ASSERT_EQ(GetVar700("BlkType", &blk), 0);
        ASSERT_EQ(GetVar700("EncMode", &enc), 0);
        EXPECT_EQ(view.modeLabel, "Mode: " + EnumText("OpMode730", OperatingMode(static_cast<int>(blk), static_cast<int>(enc))));
        // A shorter name ends at its first zero byte; both words 0 give an empty name.
        ASSERT_EQ(PutVar700("Motor1", Packed("AB", 0)), 0);
        ASSERT_EQ(PutVar700("Motor2", Packed("XYZW", 1)), 0);
        EXPECT_EQ(drive.Poll({}).motorLabel, "Motor: AB");
        ASSERT_EQ(PutVar700("Motor1", 0), 0);
        ASSERT_EQ(PutVar700("Motor2", 0), 0);
        EXPECT_EQ(drive.Poll({}).motorLabel, "Motor: ");
    }
    {
        auto sim = Start({"--model", "743"});
        OnlineDrive drive;
        EXPECT_EQ(drive.Poll({true, false}).modeLabel, "Mode: SERCOS Control");
        EXPECT_EQ(drive.View().driveLabel, "Drive: SV743");
        EXPECT_NE(drive.Poll({true, true}).modeLabel, "Mode: SERCOS Control") << "under serial control";
    }
    EXPECT_EQ(DriveLabel(732), "Drive: SV732");
    EXPECT_EQ(DriveLabel(1000), "Drive: SV1000");
}

TEST_F(OnlineDriveTest, LampsFollowTheStateBitsAndNameTheirMappings)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("InpMap3", 1), 0);
    ASSERT_EQ(PutVar700("InpMap4", 0), 0);
    ASSERT_EQ(PutVar700("OutMap2", 32771), 0);
    ASSERT_EQ(PutVar700("Outputs", 0b0101), 0);
    OnlineDrive drive;
    const DriveView &view = drive.Poll({});
    ASSERT_TRUE(view.commOk);
    EXPECT_EQ(view.lamps[2].hint, "Inp3 is mapped to Fault Reset (lo)");
    EXPECT_EQ(view.lamps[3].hint, "Inp4 is unmapped");
    EXPECT_EQ(view.lamps[7].hint, "Out2 is mapped to Brake (hi)");
    const bool outputs[] = {true, false, true, false};
    for (int k = 0; k < kOutputs; ++k) {
        EXPECT_EQ(view.lamps[static_cast<std::size_t>(kInputs + k)].lit, outputs[k]) << "output " << k + 1;
        EXPECT_EQ(view.lamps[static_cast<std::size_t>(kInputs + k)].caption, outputs[k] ? "On" : "Off");
    }

    // The inputs are the drive's own: bit i is input i+1.
    std::array<double, kBatchSize> values{};
    values[kModelAt] = 733;
    values[kInputsAt] = 0b100010 + 0.75;  // the integer part counts
    const DriveView &inputs = drive.Apply(0, values, (1 << kBatchSize) - 1, {});
    for (int k = 0; k < kInputs; ++k)
        EXPECT_EQ(inputs.lamps[static_cast<std::size_t>(k)].caption, k == 1 || k == 5 ? "On" : "Off") << "input " << k + 1;
}

TEST_F(OnlineDriveTest, A740FamilyDriveAnswersTheBatchWithItsOwnMaps)
{
    auto sim = Start({"--model", "743", "--serial-control"});
    // The batch asks for InpMap1..; the drive answers with its InputMap1.. (the same variables).
    ASSERT_EQ(PutVar700("InputMap2", 2), 0);
    ASSERT_EQ(PutVar700("InputMap5", 8), 0);
    ASSERT_EQ(PutVar700("OutputMap3", 32770), 0);
    sim->ClearTrace();
    OnlineDrive drive;
    const DriveView &view = drive.Poll({true, true});
    ASSERT_TRUE(view.commOk);
    auto trace = sim->Trace();
    ASSERT_EQ(trace.size(), 1u);
    const auto names = Split(trace[0].name);
    ASSERT_EQ(names.size(), 26u);
    EXPECT_EQ(names[kInpMap1At], "InputMap1");
    EXPECT_EQ(names[kOutMap1At + 3], "OutputMap4");
    EXPECT_EQ(view.lamps[1].hint, "Inp2 is mapped to RunStop (lo)");
    EXPECT_EQ(view.lamps[8].hint, "Out3 is mapped to Enabled (hi)");
    // Function 8 exists only on the 730 family: its name is not offered for a 740-family drive.
    EXPECT_EQ(view.lamps[4].hint, "Inp5 is mapped to " + EnumText("InputMap5", 8));
    EXPECT_NE(view.lamps[4].hint, "Inp5 is mapped to " + EnumText("InpMap5", 8));
}

TEST_F(OnlineDriveTest, TheFaultAreaShowsAFaultedDrive)
{
    {
        auto sim = Start({"--model", "733", "--configured", "--fault", "2,3"});
        OnlineDrive drive;
        const DriveView &view = drive.Poll({});
        EXPECT_TRUE(view.faultGroupVisible);
        EXPECT_TRUE(view.faultLampVisible);
        EXPECT_TRUE(view.faultLampLit);
        EXPECT_EQ(view.faultCodeText, EnumText("FaultCode", 2));
        EXPECT_EQ(view.extFaultText, EnumText("ExtFault", 3));
        EXPECT_FALSE(view.faultCodeText.empty());
        // After a reset the drive is disabled: the group goes, the lamp stays lit.
        ASSERT_EQ(PutVar700("FaultReset", 1), 0);
        ASSERT_EQ(PutVar700("FaultReset", 0), 0);
        drive.Poll({});
        EXPECT_FALSE(drive.View().faultGroupVisible);
        EXPECT_TRUE(drive.View().faultLampLit);
    }
    {
        auto sim = Start({"--model", "733"});  // unconfigured: DriveStatus 0
        OnlineDrive drive;
        drive.Poll({});
        EXPECT_FALSE(drive.View().faultGroupVisible);
        EXPECT_FALSE(drive.View().faultLampVisible);
        EXPECT_FALSE(drive.View().faultLampLit);
    }
}

TEST_F(OnlineDriveTest, ADriveThatStopsAnsweringBlinksTheLampsAndKeepsTheHints)
{
    auto sim = Start({"--model", "733", "--configured", "--fault", "5"});
    OnlineDrive drive;
    Name(drive, {"Kvp", "CommSrc"});
    drive.Poll({});
    ASSERT_TRUE(drive.CommOk());
    const DriveView before = drive.View();
    sim->Stop();

    const DriveView first = drive.Poll({});
    EXPECT_FALSE(first.commOk);
    EXPECT_EQ(first.status, NO_RESPONSE);
    for (int i = 0; i < kRows; ++i)
        EXPECT_EQ(first.valueBox[static_cast<std::size_t>(i)], "NO RESPONSE") << "row " << i;
    EXPECT_EQ(first.driveLabel, "Drive: ?");
    EXPECT_EQ(first.motorLabel, "Motor: ?");
    EXPECT_EQ(first.modeLabel, "Mode:  ?");
    EXPECT_FALSE(first.faultGroupVisible);
    EXPECT_FALSE(first.faultLampVisible);
    EXPECT_FALSE(first.faultLampLit);
    EXPECT_EQ(first.faultCodeText, before.faultCodeText);
    const DriveView second = drive.Poll({});
    for (int k = 0; k < kLamps; ++k) {
        const std::size_t at = static_cast<std::size_t>(k);
        EXPECT_EQ(first.lamps[at].caption, "?");
        EXPECT_EQ(first.lamps[at].lit, !before.lamps[at].lit) << "lamp " << k;
        EXPECT_EQ(second.lamps[at].lit, before.lamps[at].lit) << "lamp " << k;
        EXPECT_EQ(second.lamps[at].hint, before.lamps[at].hint);
    }
}

TEST_F(OnlineDriveTest, RefreshRowRewritesTheNameAndReadsTheVariableAlone)
{
    auto sim = Start({"--model", "733", "--refuse", "Kvi=66", "--refuse", "RemoteFB=68"});
    std::vector<std::string> entries;
    Dictionary().FillVariableList(entries, false, 733);
    OnlineDrive drive;
    auto refresh = [&](int row, const std::string &name) {
        drive.SetName(row, name);
        return drive.RefreshRow(row, entries);
    };

    RowView kvp = refresh(0, "kVP");
    EXPECT_EQ(kvp.nameText, "Kvp");
    ASSERT_GE(kvp.entryIndex, 0);
    EXPECT_EQ(entries[static_cast<std::size_t>(kvp.entryIndex)], "Kvp");
    EXPECT_EQ(kvp.helpText, Dictionary().HelpText("Kvp"));
    EXPECT_TRUE(kvp.changeEnabled);
    EXPECT_EQ(kvp.valueBox, "0.000 " + UnitText("Kvp"));
    EXPECT_EQ(drive.RowAt(0).name, "Kvp");
    auto trace = sim->Trace();
    ASSERT_FALSE(trace.empty());
    EXPECT_EQ(trace[0].command + " " + trace[0].name, "GET_FLOAT Kvp");

    RowView status = refresh(1, "drivestatus");
    EXPECT_FALSE(status.changeEnabled) << "read-only";
    EXPECT_EQ(status.valueBox, EnumText("DriveStatus", 0));
    EXPECT_EQ(drive.RowAt(1).valueText, status.valueBox);

    RowView unknown = refresh(2, "NoSuchName");
    EXPECT_EQ(unknown.helpText, "--- no such symbol  ---");
    EXPECT_FALSE(unknown.changeEnabled);
    EXPECT_EQ(unknown.valueBox, "");
    EXPECT_EQ(unknown.entryIndex, -1);
    EXPECT_FALSE(refresh(3, "NVSave").isVariable);
    EXPECT_EQ(refresh(3, "").helpText, "");

    // A refused read shows its status; an enumerated row also passes it on as its value text.
    EXPECT_EQ(refresh(4, "Kvi").valueBox, "BOUNDS_ERROR");
    EXPECT_EQ(drive.RowAt(4).valueText, "0");
    EXPECT_EQ(refresh(5, "RemoteFB").valueBox, "NOT IMPLEMENTED");
    EXPECT_EQ(drive.RowAt(5).valueText, "NOT IMPLEMENTED");

    // ResetRows, as every show of the window does.
    drive.ResetRows();
    EXPECT_EQ(drive.RowAt(1).valueText, "0");
    EXPECT_EQ(drive.RowAt(0).unitText, "");
}

TEST_F(OnlineDriveTest, ARowShowingAMonitorMapRefreshesTheGainsUnit)
{
    auto sim = Start({"--model", "733"});
    ASSERT_EQ(PutVar700("DM1Map", 9), 0);  // Current Feedback
    OnlineDrive drive;
    drive.SetName(0, "DM1Gain");
    drive.SetName(2, "dm1gain");
    drive.SetName(1, "DM1Map");
    drive.RefreshRow(0, {});
    const std::string currentUnit = drive.RowAt(0).unitText;
    ASSERT_EQ(PutVar700("DM1Map", 1), 0);  // Velocity Feedback
    drive.RefreshRow(1, {});
    EXPECT_NE(drive.RowAt(0).unitText, currentUnit);
    EXPECT_EQ(drive.RowAt(0).unitText, UnitText("DM1Gain"));
    EXPECT_EQ(drive.RowAt(2).unitText, UnitText("DM1Gain")) << "every row showing the gain";
    // The next poll shows it.
    EXPECT_EQ(drive.Poll({}).valueBox[0], drive.RowAt(0).valueText + " " + UnitText("DM1Gain"));
}

TEST(OnlineTexts, NumbersMotorNamesHintsAndTheSercosModels)
{
    EXPECT_EQ(ValueNumberText("Kvp", 2.5), "2.500");
    EXPECT_EQ(ValueNumberText("AxisAddr", 3), "3");
    EXPECT_EQ(ValueNumberText("Kvp", -0.0), "0.000");
    EXPECT_EQ(ValueNumberText("Kvp", 1e20), "1.00000000000000E+20");
    EXPECT_EQ(ValueNumberText("Kvp", 123456789.123456789), "123456789.123");
    EXPECT_EQ(ValueNumberText("Kvp", 2.5, ','), "2,500") << "the window's user's separator";

    EXPECT_EQ(MotorName(Packed("ABCD", 0), Packed("EFGH", 0)), "ABCDEFGH");
    EXPECT_EQ(MotorName(0, Packed("EFGH", 0)), "");
    // The top byte of a word sets the sign of its 32-bit value.
    EXPECT_EQ(MotorName(Packed("AB\xC9Z", 0), 0), "AB\xC9Z");

    EXPECT_EQ(MappingHint("Inp3", "InpMap3", 1), "Inp3 is mapped to Fault Reset (lo)");
    EXPECT_EQ(MappingHint("Out1", "OutMap1", 0), "Out1 is unmapped");

    for (int model : {741, 743, 749, 1741, 1745, 2000})
        EXPECT_TRUE(IsSercosCapable(model)) << model;
    for (int model : {0, 733, 740, 750, 1000, 1733, 1740})
        EXPECT_FALSE(IsSercosCapable(model)) << model;

    EXPECT_EQ(EnumValueText("DriveStatus", 1.9), EnumText("DriveStatus", 1));
    EXPECT_EQ(EnumValueText("Kvp", 1), "");
}
