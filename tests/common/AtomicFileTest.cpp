// The one way a file is replaced on disk, as the configuration model and drivesim use it: the new
// text lands whole or not at all, through a symbolic link, and a failure says where it happened.
#include "TempDir.h"

#include "tools700/common/AtomicFile.h"
#include "tools700/common/Error.h"

#include <cerrno>
#include <filesystem>
#include <fstream>
#include <sstream>

#include <gtest/gtest.h>

using namespace tools700;
namespace fs = std::filesystem;

namespace {

std::string ReadText(const std::string &file)
{
    std::ifstream in(file, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

int Entries(const fs::path &dir)
{
    return static_cast<int>(std::distance(fs::directory_iterator(dir), fs::directory_iterator{}));
}

TEST(AtomicFile, ALinkStaysALinkAndItsTargetGetsTheNewText)
{
    testsupport::TempDir dir;
    const std::string target = dir.Write("real.txt", "old\n");
    const std::string link = dir.File("link.txt");
    fs::create_symlink(target, link);

    FileWriteFailure failure;
    ASSERT_TRUE(ReplaceFile(link, std::string("new\0text\n", 9), failure));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(ReadText(target), std::string("new\0text\n", 9)) << "written byte for byte";
    EXPECT_EQ(Entries(dir.Path()), 2) << "no temporary file stays beside the target";
}

TEST(AtomicFile, AFailureSaysWhereItHappenedAndLeavesNothingBehind)
{
    testsupport::TempDir dir;
    FileWriteFailure failure;

    // No folder: the temporary file cannot even be created.
    EXPECT_FALSE(ReplaceFile(dir.File("no/such/file.txt"), "x", failure));
    EXPECT_FALSE(failure.created);
    EXPECT_EQ(failure.error, ENOENT);
    EXPECT_EQ(Entries(dir.Path()), 0);

    // A folder where the file should be: written beside it, but the rename over it fails.
    fs::create_directory(dir.File("busy"));
    dir.Write("busy/keep.txt", "kept");
    EXPECT_FALSE(ReplaceFile(dir.File("busy"), "x", failure));
    EXPECT_TRUE(failure.created);
    EXPECT_EQ(failure.error, EISDIR);
    EXPECT_TRUE(fs::is_directory(dir.File("busy")));
    EXPECT_EQ(ReadText(dir.File("busy/keep.txt")), "kept");
    EXPECT_EQ(Entries(dir.Path()), 1) << "the temporary file is removed";

    // The program's texts for the two cases.
    try {
        WriteFileAtomically(dir.File("no/such/file.txt"), "x");
        ADD_FAILURE() << "no error raised";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), "Can't open file " + dir.File("no/such/file.txt"));
    }
    try {
        WriteFileAtomically(dir.File("busy"), "x");
        ADD_FAILURE() << "no error raised";
    } catch (const Error &e) {
        EXPECT_EQ(std::string(e.what()), "Error writing file " + dir.File("busy"));
    }
}

} // namespace
