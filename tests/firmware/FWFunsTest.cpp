// The firmware image: loading with its checksum, size limit and errors, and its segments as the
// drive receives them.
#include "FirmwareSim.h"

#include "comm700.h"
#include "tools700/common/Error.h"
#include "tools700/firmware/FWFuns.h"

#include <filesystem>

namespace firmwaretest {
namespace {

using tools700::Error;
using tools700::firmware::FWFuns;
using Image = FirmwareSimTest;

std::string LoadError(FWFuns &fw, const std::string &file)
{
    try {
        fw.LoadImage(file);
    } catch (const Error &e) {
        return e.what();
    }
    return "";
}

TEST_F(Image, ThreeBytesGiveTheirSumAndFourChecksumWords)
{
    FWFuns fw;
    EXPECT_EQ(fw.LoadImage(WriteImage("three.bin", {1, 2, 3})), 6u);
    EXPECT_EQ(fw.total, 7);
    EXPECT_EQ(fw.remaining, 7);
    EXPECT_EQ(std::vector<std::uint16_t>(fw.words.begin(), fw.words.begin() + 7),
              (std::vector<std::uint16_t>{1, 2, 3, 6, 0, 0, 0}));

    // The checksum is a 32-bit sum, stored least significant byte first.
    auto big = Pattern(70000);
    std::uint32_t sum = 0;
    for (auto b : big)
        sum += b;
    EXPECT_EQ(fw.LoadImage(WriteImage("big.bin", big)), sum);
    EXPECT_EQ(fw.total, 70004);
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(fw.words[static_cast<std::size_t>(70000 + i)], (sum >> (8 * i)) & 0xFF);
    EXPECT_EQ(fw.words[5], big[5]);
}

TEST_F(Image, SizeLimitAndFileErrorsNameTheFile)
{
    FWFuns fw;
    const std::string largest = WriteImage("largest.bin", Pattern(262140));
    fw.LoadImage(largest);
    EXPECT_EQ(fw.total, 262144);

    const std::string tooLarge = WriteImage("toolarge.bin", Pattern(262141));
    EXPECT_EQ(LoadError(fw, tooLarge), "The file is too large " + tooLarge);
    const std::string missing = dir.File("missing.bin");
    EXPECT_EQ(LoadError(fw, missing), "Can't open file " + missing);
    // A folder opens but cannot be read.
    std::filesystem::create_directory(dir.File("folder.bin"));
    EXPECT_EQ(LoadError(fw, dir.File("folder.bin")), "Error reading file " + dir.File("folder.bin"));

    // An empty file is no program: refused like a file that is too large.
    const std::string empty = WriteImage("empty.bin", {});
    EXPECT_EQ(LoadError(fw, empty), "The file is empty " + empty);

    // None of the failed loads touched the image loaded before them.
    EXPECT_EQ(fw.total, 262144);
    EXPECT_EQ(fw.remaining, 262144);
    const auto bytes = Pattern(262140);
    EXPECT_EQ(fw.words[262139], bytes[262139]);
    EXPECT_EQ(fw.words[1000], bytes[1000]);

    // A read-only file is an image like any other.
    const std::string readOnly = WriteImage("readonly.bin", {9, 9});
    std::filesystem::permissions(readOnly, std::filesystem::perms::owner_read);
    EXPECT_EQ(fw.LoadImage(readOnly), 18u);
}

TEST_F(Image, SegmentsCarry64WordsAndTheLastIsMarked)
{
    auto sim = StartDrive();
    ASSERT_EQ(SetAxis700(1), 0);
    FWFuns fw;
    fw.LoadImage(WriteImage("three.bin", {1, 2, 3}));
    auto one = fw.SendSegment(1);
    EXPECT_EQ(one.status, 0);
    EXPECT_EQ(one.count, 7);
    EXPECT_EQ(one.control, 0xF0);
    EXPECT_EQ(fw.remaining, 0);

    fw.LoadImage(WriteImage("130.bin", Pattern(130)));
    std::vector<int> counts;
    std::vector<std::uint16_t> controls;
    while (fw.remaining > 0) {
        auto r = fw.SendSegment(1);
        EXPECT_EQ(r.status, 0);
        counts.push_back(r.count);
        controls.push_back(r.control);
    }
    EXPECT_EQ(counts, (std::vector<int>{64, 64, 6}));
    EXPECT_EQ(controls, (std::vector<std::uint16_t>{0xE0, 0xE0, 0xF0}));

    // What the drive received, in order.
    std::vector<std::string> seen;
    for (const auto &t : Lines(*sim, "LOAD_SEGMENT"))
        seen.push_back(t.value.substr(0, t.value.find(",status")));
    EXPECT_EQ(seen, (std::vector<std::string>{"control=0xF0,count=7", "control=0xE0,count=64",
                                              "control=0xE0,count=64", "control=0xF0,count=6"}));
}

} // namespace
} // namespace firmwaretest
