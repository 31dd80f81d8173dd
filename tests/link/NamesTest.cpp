// The one way names are compared: letters A..Z fold to a..z and nothing else, in the order the
// drive's tables are sorted in, and the lookup in such a table.
#include "tools700/names/Names.h"

#include <gtest/gtest.h>

#include <span>
#include <string>
#include <vector>

using namespace tools700::names;

TEST(Names, CompareFoldsOnlyAsciiLetters)
{
    EXPECT_EQ(Compare("VelCmd", "VELCMD"), 0);
    EXPECT_LT(Compare("ARF0", "ARF0_Tq"), 0) << "a name before its continuations";
    EXPECT_GT(Compare("ARF0_Tq", "arf0"), 0);
    EXPECT_LT(Compare("ARF1", "arz0"), 0);
    EXPECT_LT(Compare("_", "a"), 0) << "'_' sorts before the letters, which compare in lower case";
    EXPECT_LT(Compare("Z", "\xc3\x84"), 0) << "bytes above 0x7F compare as unsigned";
    EXPECT_FALSE(Equal("\xc3\x84", "\xc3\xa4")) << "no folding beyond A..Z";
    EXPECT_TRUE(Equal("Analog Input", "analog INPUT"));
    EXPECT_FALSE(Equal("Kvp", "Kvp "));
    EXPECT_EQ(Lower("InpMap1 \xc3\x84"), "inpmap1 \xc3\x84");
    static_assert(Compare("abc", "ABD") < 0 && Equal("NVSave", "nvsave"));
}

TEST(Names, SortedTablesAndLookup)
{
    struct Entry {
        const char *name;
        int id;
    };
    const Entry table[] = {{"a", 1}, {"B", 2}, {"c_d", 3}, {"ce", 4}};
    EXPECT_TRUE(StrictlyAscending(table, &Entry::name));
    EXPECT_EQ(FindSorted(table, "b", &Entry::name)->id, 2);
    EXPECT_EQ(FindSorted(table, "C_D", &Entry::name)->id, 3);
    EXPECT_EQ(FindSorted(std::span(table).first(3), "ce", &Entry::name), nullptr);
    EXPECT_EQ(FindSorted(table, "", &Entry::name), nullptr);
    EXPECT_EQ(FindSorted(table, "zz", &Entry::name), nullptr);

    const std::vector<std::string> twice = {"a", "A"}, unsorted = {"b", "A"};
    EXPECT_FALSE(StrictlyAscending(twice)) << "equal ignoring case is not ascending";
    EXPECT_FALSE(StrictlyAscending(unsorted));
    EXPECT_TRUE(StrictlyAscending(std::vector<std::string>{}));
    const std::vector<std::string> words = {"alpha", "Beta", "gamma"};
    EXPECT_EQ(FindSorted(words, "BETA"), &words[1]);
}
