// The tool's parser and its command table: options in any place, values checked as they are
// read, and one meaning for each option name whichever command reads it.
#include "Cli.h"
#include "Command.h"

#include <gtest/gtest.h>

#include <map>

using namespace tools700::cli;

namespace {

const OptionSpec kSpecs[] = {
    {"--quiet", OptionKind::Flag, "-q"},
    {"--yes", OptionKind::Flag, "-y"},
    {"--no", OptionKind::Flag, "-n"},
    {"--pdf", OptionKind::Text},
    {"--ratio", OptionKind::Number},
    {"--rows", OptionKind::Integer},
    {"--count", OptionKind::Integer, {}, [](double n) { return n >= 1; }, "must be at least 1"},
};

std::string UsageMessage(const std::vector<std::string> &args)
{
    try {
        ParseCommandLine(args, kSpecs);
    } catch (const UsageError &e) {
        return e.what();
    }
    return "";
}

} // namespace

TEST(CommandLine, OptionsAnywhereWordsInOrder)
{
    const Arguments a = ParseCommandLine({"print", "-q", "in.cfg", "--pdf", "a.pdf", "--ratio", "-2.5", "-5",
                                          "--pdf", "b.pdf", "--", "--rows", "-x"},
                                         kSpecs);
    EXPECT_EQ(a.words, (std::vector<std::string>{"print", "in.cfg", "-5", "--rows", "-x"}));
    EXPECT_TRUE(a.Has("--quiet")) << "an alias counts as its option";
    EXPECT_EQ(a.Text("--pdf"), "b.pdf") << "the last value counts";
    EXPECT_EQ(a.Number("--ratio"), -2.5);
    EXPECT_FALSE(a.Integer("--rows")) << "after \"--\" everything is a word";
    EXPECT_EQ(a.LastOf({"--yes", "--no"}), "");
    EXPECT_EQ(ParseCommandLine({"-n", "--yes", "-n"}, kSpecs).LastOf({"--yes", "--no"}), "--no");
}

TEST(CommandLine, BadOptionsAreUsageErrors)
{
    EXPECT_EQ(UsageMessage({"get", "--bogus"}), "unknown option --bogus");
    EXPECT_EQ(UsageMessage({"print", "--pdf"}), "--pdf needs a value");
    EXPECT_EQ(UsageMessage({"--ratio", "1,5"}), "--ratio must be a number");
    EXPECT_EQ(UsageMessage({"--rows", "6.5"}), "--rows must be an integer, not \"6.5\"");
    EXPECT_EQ(UsageMessage({"--count", "0"}), "--count must be at least 1");
    EXPECT_EQ(UsageMessage({"--count", "2", "--ratio", "1e3"}), "");
}

TEST(CommandTable, EachCommandAndOptionHasOneMeaning)
{
    std::map<std::string_view, const OptionSpec *> seen;
    auto check = [&](const OptionSpec &o) {
        auto [it, added] = seen.emplace(o.name, &o);
        if (!added) {
            EXPECT_EQ(it->second->kind, o.kind) << o.name;
            EXPECT_EQ(it->second->requirement, o.requirement) << o.name;
            EXPECT_EQ(it->second->accept, o.accept) << o.name;
        }
    };
    for (const OptionSpec &o : CommonOptions())
        check(o);
    std::map<std::string_view, int> names;
    const std::string help = HelpText();
    for (const Command &c : Commands()) {
        EXPECT_EQ(++names[c.name], 1) << c.name;
        EXPECT_TRUE(c.synopsis == c.name || c.synopsis.starts_with(std::string(c.name) + " "))
            << c.name << ": a synopsis starts with its command";
        EXPECT_NE(help.find("\n  " + std::string(c.synopsis.substr(0, c.synopsis.find('\n')))), std::string::npos)
            << c.name;
        for (const OptionSpec &o : c.options)
            check(o);
    }
}
