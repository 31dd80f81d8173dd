// Texts of link status codes.
#include "tools700/common/Error.h"
#include "tools700/config/StatusText.h"

#include <gtest/gtest.h>

using namespace tools700;

TEST(StatusText, EveryCodeHasItsText)
{
    EXPECT_EQ(StatusText(1), "NO SUCH SYMBOL");
    EXPECT_EQ(StatusText(2), "TYPE ERROR");
    EXPECT_EQ(StatusText(3), "NO PORT");
    EXPECT_EQ(StatusText(4), "NO RESPONSE");
    EXPECT_EQ(StatusText(5), "PORT MUTEX NOT AVAILABLE");
    EXPECT_EQ(StatusText(6), "COMM ERROR");
    EXPECT_EQ(StatusText(7), "INVALID AXIS");
    EXPECT_EQ(StatusText(65), "READONLY");
    EXPECT_EQ(StatusText(66), "BOUNDS_ERROR");
    EXPECT_EQ(StatusText(67), "NO SUCH COMMAND");
    EXPECT_EQ(StatusText(68), "NOT IMPLEMENTED");
    EXPECT_EQ(StatusText(8), "comm error code 8");
    EXPECT_EQ(StatusText(0), "comm error code 0");
    EXPECT_EQ(StatusText(-1), "comm error code -1");
}

TEST(StatusText, NamedFormGivesTheBoundsOnlyForCode66)
{
    EXPECT_EQ(VarStatusText(66, "AxisAddr"), "Bounds error : min = 1, max = 255");
    EXPECT_EQ(VarStatusText(66, "ADOffset"), "Bounds error : min = -10.000, max = 10.000");
    EXPECT_EQ(VarStatusText(66, "NoSuchName"), "Bounds error : No such variable???");
    EXPECT_EQ(VarStatusText(4, "AxisAddr"), StatusText(4));
    EXPECT_EQ(ErrorBoxText(StatusText(68)), "NOT IMPLEMENTED.");
}

TEST(ConnectionStatusTextTest, PollResults)
{
    const double ok[4] = {1, 2, 0, 0};
    EXPECT_EQ(ConnectionStatusText(4, ok, 0), "No connection");
    EXPECT_EQ(ConnectionStatusText(0, ok, 0x7), "CommError?");
    const std::string enabled = ConnectionStatusText(0, ok, 0xF);
    EXPECT_EQ(enabled.rfind("Status: Axis 1  ", 0), 0u) << enabled;
    const double faulted[4] = {12, 1, 13, 4};
    EXPECT_EQ(ConnectionStatusText(0, faulted, 0xF).substr(ConnectionStatusText(0, faulted, 0xF).find(" (Cause:")),
              " (Cause: 13 - Encoder aligment failed (4 - Excessive dc offset in IFB sensor))");
    const double faultOnly[4] = {12, 1, 2, 0};
    EXPECT_NE(ConnectionStatusText(0, faultOnly, 0xF).find(" (Cause: 2 -  Motor over-temperature)"),
              std::string::npos);
}
