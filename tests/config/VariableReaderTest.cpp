// The batched reader against the drive simulator: 32 names an exchange, a slot the drive does not
// report valid read again alone, a refusal kept to its own name, a dead line given up quickly.
#include "SimTest.h"
#include "tools700/common/ScriptedMessages.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/VariableReader.h"

#include <gtest/gtest.h>

using namespace tools700;
using testutil::SimProcess;

namespace {

class VariableReaderTest : public testutil::SimTest {
protected:
    static std::vector<std::string> Names(const std::vector<TQX *> &list)
    {
        std::vector<std::string> out;
        for (TQX *t : list)
            out.push_back(t->VarName());
        return out;
    }
};

TEST_F(VariableReaderTest, ReadsAWholeFamilyIn32NameExchangesWithTheValuesOfSingleReads)
{
    for (const char *model : {"733", "1745"}) {
        auto sim = Start({"--model", model});
        Cfg cfg(std::stoi(model));
        const std::vector<std::string> names = Names(cfg.Indexes740() ? cfg.SecondaryList() : cfg.PrimaryList());
        std::vector<double> progress;
        const auto read = ReadVariables(names, [&](double f) { progress.push_back(f); });
        ASSERT_EQ(read.size(), names.size());
        const auto trace = sim->Trace();
        const size_t exchanges = (names.size() + 31) / 32;
        ASSERT_EQ(trace.size(), exchanges) << model;
        for (const auto &t : trace)
            EXPECT_EQ(t.command, "GET_VARS");
        ASSERT_EQ(progress.size(), exchanges);
        EXPECT_DOUBLE_EQ(progress.back(), 1.0);

        ScriptedMessages quiet;
        ASSERT_TRUE(cfg.Upload(quiet));
        for (const auto &r : read) {
            EXPECT_EQ(r.status, 0) << r.name;
            EXPECT_EQ(r.value, cfg.Get(r.name)) << r.name;
        }
    }
}

TEST_F(VariableReaderTest, ASlotNotReportedValidIsReadAloneAndARefusalStaysWithItsName)
{
    // The simulator refuses a whole exchange that names Kvp: each name of that exchange is read
    // again alone, and only Kvp keeps the refusal. A name the link does not know goes out as an
    // empty slot, is never valid, and its own read fails without the line.
    auto sim = Start({"--model", "733", "--refuse", "Kvp=65"});
    const std::vector<std::string> names{"Model", "Kvp", "NoSuchVariable", "Kvi", "ILmtPlus"};
    const auto read = ReadVariables(names);
    ASSERT_EQ(read.size(), 5u);
    EXPECT_EQ(read[0].status, 0);
    EXPECT_EQ(read[0].value, 733.0);
    EXPECT_EQ(read[1].status, 65);
    EXPECT_EQ(read[2].status, 1);
    EXPECT_EQ(read[3].status, 0);
    EXPECT_EQ(read[4].status, 0);
    const auto trace = sim->Trace();
    ASSERT_EQ(trace.size(), 5u); // the exchange, then Model, Kvp, Kvi, ILmtPlus alone
    EXPECT_EQ(trace[0].command, "GET_VARS");
    EXPECT_EQ(trace[0].result, "0x41");
    for (size_t i = 1; i < trace.size(); ++i)
        EXPECT_NE(trace[i].command, "GET_VARS");
    EXPECT_TRUE(testutil::SameName(trace[2].name, "Kvp"));

    // Without the refusal one exchange reads them all; the unknown name's slot is not valid.
    sim.reset();
    sim = Start({"--model", "733"});
    const auto again = ReadVariables(names);
    EXPECT_EQ(sim->Trace().size(), 1u);
    EXPECT_EQ(again[1].status, 0);
    EXPECT_EQ(again[2].status, 1);
}

TEST_F(VariableReaderTest, ADeadLineCostsTwoExchangesAndACancelStopsBeforeTheNextOne)
{
    const std::vector<std::string> names(70, "Kvp");
    {
        // A drive that never answers: the first exchange, one name alone, and no more.
        SimProcess silent({"--model", "733", "--silent"}, dir.File("silent.txt"));
        UseSerialPort(0);
        SetAxis700(255);
        ASSERT_TRUE(silent.WaitUntil([&] {
            double v = 0;
            GetVar700("Model", &v);
            return !silent.Trace().empty();
        }));
        silent.ClearTrace();
        const auto read = ReadVariables(names);
        for (const auto &r : read)
            EXPECT_EQ(r.status, 4) << "NO RESPONSE for every name";
        const auto trace = silent.Trace();
        ASSERT_EQ(trace.size(), 2u);
        EXPECT_EQ(trace[0].command, "GET_VARS");
        EXPECT_EQ(trace[1].result, "unanswered");
    }

    auto sim = Start({"--model", "733"});
    int exchanges = 0;
    const auto partial = ReadVariables(names, [&](double) { ++exchanges; }, [&] { return exchanges >= 1; });
    EXPECT_EQ(sim->Trace().size(), 1u);
    EXPECT_EQ(partial[0].status, 0);
    EXPECT_EQ(partial[40].status, VariableReading::kNotRead);
    EXPECT_FALSE(partial[40].Read());
}

} // namespace
