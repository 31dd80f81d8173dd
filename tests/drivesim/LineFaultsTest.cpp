// A bad line, played by the simulator: silence, late answers, lost and damaged reply bytes,
// and unsolicited R-cal values between the frames.
#include "SimFixture.h"

#include <csignal>

namespace drivesim_test {
namespace {

using LineFaults = SimChannelTest;

TEST_F(LineFaults, SilentDriveGivesNoResponse)
{
    StartSim({"--axes", "1", "--silent"});
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    StopSim();
    EXPECT_EQ(Trace(), std::vector<std::string>{"1 GET_INT Model 733 unanswered"});
}

TEST_F(LineFaults, LateAnswerMissesTheReplyTimeout)
{
    StartSim({"--axes", "1", "--delay", "700"});
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE) << "the host waits 500 ms";
    StopSim();
    StartSim({"--axes", "1", "--delay", "100"});
    EXPECT_EQ(Get("Model"), 733);
}

TEST_F(LineFaults, ADriveGoesQuietMidwayForSomeKindsOrOnASignal)
{
    StartSim({"--axes", "1", "--silent-after", "2"});
    double v = 0;
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(GetVar700("Model", &v), COMM_OK);
    EXPECT_EQ(GetVar700("Model", &v), NO_RESPONSE);
    StopSim();
    EXPECT_EQ(Trace().back(), "1 GET_INT Model 733 unanswered");

    // Only the scope's reads go unanswered; SIGUSR1 quiets every request, SIGUSR2 ends that.
    StartSim({"--axes", "1", "--silent-on", "read_scope"});
    double ch1[100], ch2[100];
    uint16_t n = 0;
    EXPECT_EQ(ReadScopeData700(0, 0, 1, 0, 0, 1, 2, ch1, ch2, &n), NO_RESPONSE);
    EXPECT_EQ(Get("Model"), 733);
    kill(sim_.Pid(), SIGUSR1);
    int tries = 0;
    while (GetVar700("Model", &v) == COMM_OK && ++tries < 100) {
    }
    EXPECT_LT(tries, 100) << "SIGUSR1 makes the drive quiet";
    kill(sim_.Pid(), SIGUSR2);
    tries = 0;
    while (GetVar700("Model", &v) != COMM_OK && ++tries < 10) {
    }
    EXPECT_EQ(v, 733) << "SIGUSR2 makes it answer again";
    EXPECT_EQ(ReadScopeData700(0, 0, 1, 0, 0, 1, 2, ch1, ch2, &n), COMM_OK) << "the signal's choice holds for every kind";
}

// Reads until the drive answers, at most `tries` times; the count of failed tries goes to `failed`.
int ReadWithRetries(const char* name, double& v, int tries, int& failed)
{
    int status = NO_RESPONSE;
    for (int i = 0; i < tries; ++i) {
        status = GetVar700(name, &v);
        if (status == COMM_OK) break;
        ++failed;
    }
    return status;
}

TEST_F(LineFaults, LostAndDamagedBytesAreRecoveredByRetries)
{
    StartSim({"--axes", "1", "--drop", "0.005", "--corrupt", "0.005", "--seed", "3"});
    int failed = 0;
    const char* names[] = {"Model", "AxisAddr", "PoleCount", "EncIn"};
    const double expected[] = {733, 1, 4, 1024};
    for (int round = 0; round < 5; ++round)
        for (int i = 0; i < 4; ++i) {
            double v = -1;
            ASSERT_EQ(ReadWithRetries(names[i], v, 8, failed), COMM_OK) << names[i];
            EXPECT_EQ(v, expected[i]) << "a damaged reply must never pass as a good one";
        }
    EXPECT_GT(failed, 0) << "with 1 % of the reply bytes lost or damaged some replies must fail";
}

TEST_F(LineFaults, RCalValuesArriveBetweenFrames)
{
    StartSim({"--axes", "1", "--rcal", "20"});
    int first = -1, second = -1;
    char overrun = 0;
    ASSERT_EQ(FetchRCalData(&first, &overrun), 1);
    EXPECT_EQ(Get("Model"), 733) << "frames still get through between the values";
    ASSERT_EQ(FetchRCalData(&second, &overrun), 1);
    EXPECT_GT(second, first) << "the values count up";
}

}  // namespace
}  // namespace drivesim_test
