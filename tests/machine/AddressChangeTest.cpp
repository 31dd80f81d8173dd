// Giving a drive its address, against drivesim.
#include "tools700/machine/AddressChange.h"

#include "SimProcess.h"
#include "comm700.h"
#include "tools700/common/ScriptedMessages.h"

#include <gtest/gtest.h>

using namespace tools700;
using namespace tools700::machine;

namespace {

std::string TraceFile(const char *name) { return ::testing::TempDir() + name; }

// The line as it looks when a drive is lost on its way: exchanges meant for `lost` reach an
// address where nothing answers.
class LosingLine : public DirectLineAccess {
public:
    LosingLine(int home, int lost) : DirectLineAccess(home), lost_(lost) {}
    bool OnAxis(int axis, const std::function<void()> &exchanges) override
    {
        return DirectLineAccess::OnAxis(axis == lost_ ? 250 : axis, exchanges);
    }

private:
    int lost_;
};

} // namespace

TEST(AddressChange, MovesTheDriveReadsItBackAndSavesWhenAsked)
{
    const std::string trace = TraceFile("address-trace.txt");
    auto sim = testutil::StartTraced({"--axes", "1:743,2", "--conflict", "6"}, trace);
    DirectLineAccess line(1);
    ScriptedMessages yes({Answer::Yes});
    AddressChangeResult r = ChangeDriveAddress(line, 1, 9, NvSaveChoice::Ask, yes);
    EXPECT_EQ(r.outcome, AddressOutcome::Changed) << r.message;
    EXPECT_TRUE(r.saved);
    EXPECT_EQ(r.model, 743);
    EXPECT_EQ(r.message, "The SV743 moved from axis 1 to axis 9 and saved it in its non-volatile memory");
    ASSERT_EQ(yes.texts().size(), 1u);
    EXPECT_EQ(yes.texts()[0], NvSaveAddressQuestion(9));
    std::vector<std::string> seen;
    for (const auto &t : sim->Trace())
        if (t.command != "GET_VARS")
            seen.push_back(std::to_string(t.axis) + " " + t.command + " " + t.name + " " + t.result);
    EXPECT_EQ(seen, (std::vector<std::string>{"1 SET_DRIVE_ADRS AxisAddr ok", "9 EXEC NVSave ok"}));

    // Back to 1, without saving: nothing is asked.
    ScriptedMessages none;
    r = ChangeDriveAddress(line, 9, 1, NvSaveChoice::Never, none);
    EXPECT_EQ(r.outcome, AddressOutcome::Changed) << r.message;
    EXPECT_FALSE(r.saved);
    EXPECT_TRUE(none.texts().empty());
}

TEST(AddressChange, RefusesTakenAndBadAddressesAndTouchesNothing)
{
    const std::string trace = TraceFile("address-refusals.txt");
    auto sim = testutil::StartTraced({"--axes", "1,2", "--conflict", "6"}, trace);
    DirectLineAccess line(1);
    ScriptedMessages m;
    AddressChangeResult r = ChangeDriveAddress(line, 1, 2, NvSaveChoice::Always, m);
    EXPECT_EQ(r.outcome, AddressOutcome::Taken);
    EXPECT_EQ(r.message, "Axis 2 is already taken on this line by an SV733; choose a free address");
    r = ChangeDriveAddress(line, 1, 6, NvSaveChoice::Always, m);
    EXPECT_EQ(r.outcome, AddressOutcome::Taken) << "two drives answer there";
    EXPECT_NE(r.message.find("more than one drive"), std::string::npos);
    EXPECT_EQ(ChangeDriveAddress(line, 1, 255, NvSaveChoice::Always, m).outcome, AddressOutcome::BadAddress);
    EXPECT_EQ(ChangeDriveAddress(line, 1, 0, NvSaveChoice::Always, m).outcome, AddressOutcome::BadAddress);
    EXPECT_EQ(ChangeDriveAddress(line, 1, 1, NvSaveChoice::Always, m).outcome, AddressOutcome::BadAddress);
    r = ChangeDriveAddress(line, 4, 9, NvSaveChoice::Always, m);
    EXPECT_EQ(r.outcome, AddressOutcome::NoDrive);
    EXPECT_EQ(r.message, "No drive answers at axis 4; nothing was changed");
    EXPECT_EQ(ChangeDriveAddress(line, 6, 9, NvSaveChoice::Always, m).outcome, AddressOutcome::NoDrive);
    for (const auto &t : sim->Trace())
        EXPECT_EQ(t.command, "GET_VARS") << "only reads: " << t.axis << " " << t.command;
    EXPECT_TRUE(m.texts().empty());
}

TEST(AddressChange, ADriveSilentAtItsNewAddressIsReported)
{
    const std::string trace = TraceFile("address-lost.txt");
    auto sim = testutil::StartTraced({"--axes", "1"}, trace);
    LosingLine line(1, 9);
    ScriptedMessages m;
    const AddressChangeResult r = ChangeDriveAddress(line, 1, 9, NvSaveChoice::Always, m);
    EXPECT_EQ(r.outcome, AddressOutcome::LostAtNew);
    EXPECT_NE(r.message.find("does not answer at its new address 9"), std::string::npos) << r.message;
    for (const auto &t : sim->Trace())
        EXPECT_NE(t.command, "EXEC") << "no NV save anywhere";
}
