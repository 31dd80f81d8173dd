// The I/O wizard's rules with the drive's own examples: default maps of both families, ticking,
// the port rule, the status line, Clear and Next.
#include "tools700/wizard/IoWizard.h"

#include <gtest/gtest.h>

using namespace tools700;

namespace {

// Box numbers of the rows used below (hi box; the lo box is the next number).
constexpr int kFaultReset = 11, kClockwise = 5, kCounterclockwise = 3, kMoveBit0 = 25, kMoveBit1 = 26,
              kMoveBit2 = 27, kStartMove = 19, kBrake = 28, kFault = 36, kPositionModeSelect = 17, kZeroSpeed = 42,
              kRunStop = 21, kEnable2 = 9, kGearingOn = 13;

TEST(IoWizard, DefaultMapsOfBothFamilies)
{
    for (int mode = 0; mode <= 7; ++mode) {
        const IoMap m740 = DefaultIoMap(true, mode);
        EXPECT_EQ(m740, (IoMap{0, 0x8001, 0x8005, 0x8006, 0, 0, 0, 1, 0, 0, 3})) << mode;
        const IoMap m730 = DefaultIoMap(false, mode);
        EXPECT_EQ(m730[1], 0x8001);
        EXPECT_EQ(m730[7], 1);
        EXPECT_EQ(m730[10], 3);
        EXPECT_EQ(m730[6], 0);
        EXPECT_EQ(m730[8], 0);
        EXPECT_EQ(m730[9], 0);
    }
    EXPECT_EQ(DefaultIoMap(false, 0), (IoMap{0, 0x8001, 0x8005, 0x8006, 0x8007, 0x8008, 0, 1, 0, 0, 3}));
    EXPECT_EQ(DefaultIoMap(false, 6), DefaultIoMap(false, 0));
    for (int mode : {1, 2, 5})
        EXPECT_EQ(DefaultIoMap(false, mode), (IoMap{0, 0x8001, 0x8005, 0x8006, 0x8009, 0x8008, 0, 1, 0, 0, 3}));
    for (int mode : {3, 4})
        EXPECT_EQ(DefaultIoMap(false, mode), DefaultIoMap(true, mode));
    EXPECT_EQ(DefaultIoMap(false, 7), (IoMap{0, 0x8001, 0x800B, 0x800C, 0x800D, 0x800A, 0, 1, 0, 0, 3}));
}

TEST(IoWizard, Mode7Of730DriveShowsItsMapAndStatusLine)
{
    IoWizard w;
    w.Load(DefaultIoMap(false, 7), "SV733");
    EXPECT_TRUE(w.Ticked(kFaultReset));          // hi
    EXPECT_FALSE(w.Ticked(kFaultReset + 1));
    EXPECT_EQ(w.PortText(6), "1");
    EXPECT_EQ(w.PortText(13), "2");
    EXPECT_EQ(w.PortText(14), "3");
    EXPECT_EQ(w.PortText(15), "4");
    EXPECT_TRUE(w.Ticked(kStartMove));
    EXPECT_EQ(w.PortText(10), "5");
    EXPECT_TRUE(w.Ticked(kFault + 1));            // Fault (lo) on output 1
    EXPECT_EQ(w.PortText(20), "1");
    EXPECT_TRUE(w.Ticked(kBrake + 1));            // Brake (lo) on output 4
    EXPECT_EQ(w.PortText(16), "4");
    EXPECT_FALSE(w.Ticked(kClockwise));
    EXPECT_FALSE(w.PortEnabled(3));
    EXPECT_EQ(w.StatusLine(), "Default Setting   Please select input port 6 and output port 2");
    for (int r = 1; r <= IoWizard::kRows; ++r)
        EXPECT_TRUE(w.RowEnabled(r)) << r;
    // Next hands the same map back.
    IoMap out{};
    std::string message;
    ASSERT_TRUE(w.Next(out, message));
    EXPECT_EQ(out, DefaultIoMap(false, 7));
}

TEST(IoWizard, The740FamilyDisablesItsMissingFunctions)
{
    IoWizard w;
    w.Load(DefaultIoMap(true, 1), "SVE743");
    for (int r : {7, 8, 9, 10, 13, 14, 15, 22})
        EXPECT_FALSE(w.RowEnabled(r)) << r;
    for (int r : {1, 2, 3, 4, 5, 6, 11, 12, 16, 17, 18, 19, 20, 21, 23})
        EXPECT_TRUE(w.RowEnabled(r)) << r;
    EXPECT_EQ(w.StatusLine(), "Default Setting   Please select input port 4 and output port 2");
    w.Load(DefaultIoMap(true, 1), "SV733");
    EXPECT_TRUE(w.RowEnabled(7));
}

TEST(IoWizard, TickingLoMovesTheFunctionToTheLowestFreePort)
{
    IoWizard w;
    w.Load(DefaultIoMap(false, 1), "SV733");
    // Clockwise Inhibit (hi) is on input 2; its lo box takes the lowest free input, 2 again.
    EXPECT_EQ(w.SetTicked(kClockwise + 1, true), "");
    EXPECT_FALSE(w.Ticked(kClockwise));
    EXPECT_EQ(w.WorkingMap()[2], 5);
    EXPECT_EQ(w.PortText(3), "2");
    EXPECT_EQ(w.StatusLine(), "Please select input port 6 and output port 2");
    // With input 1 free, the lo box of Counterclockwise Inhibit takes input 1.
    w.SetTicked(kFaultReset, false);
    EXPECT_EQ(w.WorkingMap()[1], 0);
    EXPECT_FALSE(w.PortEnabled(6));
    w.SetTicked(kCounterclockwise + 1, true);
    EXPECT_EQ(w.WorkingMap()[1], 6);
    EXPECT_EQ(w.WorkingMap()[3], 0);
    EXPECT_EQ(w.PortText(2), "1");
}

TEST(IoWizard, ASeventhInputIsRefusedAndAFifthOutputToo)
{
    IoWizard w;
    w.Load(DefaultIoMap(false, 1), "SV733");
    EXPECT_EQ(w.SetTicked(kRunStop, true), "");  // input 6
    EXPECT_EQ(w.StatusLine(), "All input port have been taken. you could  select output port 2");
    EXPECT_EQ(w.SetTicked(kEnable2, true), "All input ports have been taken");
    EXPECT_FALSE(w.Ticked(kEnable2));
    EXPECT_FALSE(w.PortEnabled(5));
    EXPECT_EQ(w.SetTicked(kZeroSpeed, true), "");
    EXPECT_EQ(w.SetTicked(38, true), "");  // Mechanical Revs
    EXPECT_EQ(w.StatusLine(), "All input and output port have been taken.");
    EXPECT_EQ(w.SetTicked(32, true), "All output ports have been taken");  // Enabled
    EXPECT_FALSE(w.Ticked(32));
    w.SetTicked(kRunStop, false);
    EXPECT_EQ(w.StatusLine(), "All output port have been taken. you could  select input port 6");
}

TEST(IoWizard, APortShownTwiceIsTakenFromTheOtherRowAndNextAsksForIt)
{
    IoWizard w;
    w.Load(DefaultIoMap(false, 1), "SV733");
    // Give Command Gain Select (input 4) input 2, which Clockwise Inhibit shows.
    w.SelectPort(4, 1);
    EXPECT_EQ(w.PortText(4), "2");
    EXPECT_EQ(w.PortText(3), "");
    EXPECT_EQ(w.StatusLine(), "Ensure ports have been selected for all input/output variables you have picked.");
    EXPECT_EQ(w.WorkingMap(), DefaultIoMap(false, 1));  // the working map is not changed
    IoMap out{};
    std::string message;
    EXPECT_FALSE(w.Next(out, message));
    EXPECT_EQ(message, "You must choose a port number for every item that you select");
    w.SelectPort(3, 3);
    ASSERT_TRUE(w.Next(out, message));
    EXPECT_EQ(out[2], 0x8009);
    EXPECT_EQ(out[4], 0x8005);
}

TEST(IoWizard, TheBlankPositionModeSelectPortLeavesTheFunctionUnmapped)
{
    IoWizard w;
    w.Load(DefaultIoMap(false, 1), "SV733");
    EXPECT_EQ(IoWizard::PortItems(9).back(), " ");
    EXPECT_EQ(IoWizard::PortItems(9).size(), 7u);
    EXPECT_EQ(IoWizard::PortItems(16).size(), 4u);
    ASSERT_TRUE(w.Ticked(kPositionModeSelect));
    w.SelectPort(9, 6);
    IoMap out{};
    std::string message;
    ASSERT_TRUE(w.Next(out, message));
    EXPECT_EQ(out[5], 0);
    EXPECT_EQ(out[4], 0x8009);
}

TEST(IoWizard, ClearThenNextGivesAnAllZeroMap)
{
    IoWizard w;
    IoMap start = DefaultIoMap(false, 1);
    start[9] = 6; // Zero Speed (lo), the last row
    w.Load(start, "SV733");
    ASSERT_TRUE(w.PortEnabled(23));
    w.Clear();
    for (int r = 1; r <= IoWizard::kRows; ++r) {
        EXPECT_FALSE(w.PortEnabled(r)) << r;
        EXPECT_EQ(w.PortText(r), "") << r;
    }
    for (int box = 1; box <= IoWizard::kBoxes; ++box)
        EXPECT_FALSE(w.Ticked(box)) << box;
    EXPECT_EQ(w.StatusLine(), "Please select input port 1 and output port 1");
    IoMap out = start;
    std::string message;
    ASSERT_TRUE(w.Next(out, message));
    EXPECT_EQ(out, IoMap{});
}

TEST(IoWizard, OutputsPreferTheirHiBoxAndMoveSelectRowsHaveOneCode)
{
    IoWizard w;
    IoMap map{};
    map[7] = 0x8001;                  // Fault (hi)
    map[2] = 0x800C;                  // Move Select Bit1
    w.Load(map, "SV733");
    EXPECT_TRUE(w.Ticked(kFault));
    EXPECT_EQ(w.PortText(20), "1");
    EXPECT_TRUE(w.Ticked(kMoveBit1));
    EXPECT_EQ(w.PortText(14), "2");
    EXPECT_FALSE(w.Ticked(kMoveBit0));
    EXPECT_FALSE(w.Ticked(kMoveBit2));
    EXPECT_EQ(IoWizard::CodeOfBox(kMoveBit2), 0x800D);
    EXPECT_EQ(IoWizard::CodeOfBox(kGearingOn + 1), 14);
    EXPECT_EQ(IoWizard::RowOfBox(43), 23);
    EXPECT_EQ(IoWizard::Row(21).toolTip,
              std::string("Square wave whose frenquency is equal to the resolver's electrical frequency which is "
                          "typically equal to the mechanical Rev/sec"));
    IoMap out{};
    std::string message;
    ASSERT_TRUE(w.Next(out, message));
    EXPECT_EQ(out, map);
}

} // namespace
