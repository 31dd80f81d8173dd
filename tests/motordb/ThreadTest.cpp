// Several threads using the database at once: lookups and iterations run while another thread
// reads extension files and flushes them again.
#include "MotorNames.h"
#include "TempFolder.h"
#include "mdb700.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

namespace {

TEST(DatabaseThreads, LookupsAndIterationsRunBesideExtendAndFlush)
{
    motordbtest::TempFolder dir;
    std::vector<std::string> paths;
    for (int i = 0; i < 8; ++i)
        paths.push_back(dir.Write("THR" + std::to_string(i) + ".MDE", motordbtest::DefinitionLine()));
    mdb_FlushExtensions();
    const double ke = mdb_Ke("KS041A");

    std::atomic<bool> stop{false};
    std::atomic<int> badLookups{0}, badIterations{0}, iterations{0};
    std::vector<std::thread> readers;
    for (int t = 0; t < 2; ++t) {
        readers.emplace_back([&] {
            while (!stop.load()) {
                if (mdb_Ke("ks041a") != ke || mdb_Exists("KS041A") != 1)
                    ++badLookups;
                // A full iteration sees the 232 built-in motors and at most the 8 extensions;
                // one cut short by a flush ends cleanly.
                char buf[9];
                int n = 0;
                for (char *name = mdb_FirstName(buf); name; name = mdb_NextName(buf)) {
                    if (mdb_Exists(name) == 0 && std::string(name).rfind("THR", 0) != 0)
                        ++badIterations;
                    ++n;
                }
                if (n > 240)
                    ++badIterations;
                ++iterations;
            }
        });
    }
    for (int round = 0; round < 10; ++round) {
        for (const std::string &p : paths)
            EXPECT_EQ(mdb_Extend(p.c_str(), nullptr), MDB_EXTEND_OK);
        mdb_FlushExtensions();
    }
    while (iterations.load() < 4)
        std::this_thread::yield();
    stop = true;
    for (auto &r : readers)
        r.join();
    EXPECT_EQ(badLookups.load(), 0);
    EXPECT_EQ(badIterations.load(), 0);

    EXPECT_EQ(motordbtest::AllNames().size(), 232u);
}

} // namespace
