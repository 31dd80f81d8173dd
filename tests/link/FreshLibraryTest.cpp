// The library as it is right after loading, before any port is chosen.
#include <gtest/gtest.h>

#include <chrono>
#include <cstring>

#include "comm700.h"

TEST(LinkFresh, EveryExchangeFailsAtOnceWithoutAPort)
{
    auto t0 = std::chrono::steady_clock::now();
    double v = -1;
    EXPECT_EQ(GetVar700("VelCmd", &v), PORT_MUTEX_NOT_AVAILABLE);
    EXPECT_EQ(v, -1);
    EXPECT_EQ(SetAxis700(5), PORT_MUTEX_NOT_AVAILABLE);
    EXPECT_EQ(ExeCmd700("NVSave"), COMM_ERROR);
    uint16_t st = 1;
    EXPECT_EQ(GetUPCRstatus(&st), PORT_MUTEX_NOT_AVAILABLE);
    EXPECT_EQ(st, 0);  // written in every case
    EXPECT_EQ(SetDriveAdrs700(3), PORT_MUTEX_NOT_AVAILABLE);
    double a[100], b[100];
    uint16_t n = 77;
    EXPECT_EQ(ReadScopeData700(1, 0, 10, 0, 0, 1, 2, a, b, &n), PORT_MUTEX_NOT_AVAILABLE);
    EXPECT_EQ(n, 77);
    EXPECT_LT(std::chrono::steady_clock::now() - t0, std::chrono::milliseconds(200));
    // Names are still checked before anything else.
    EXPECT_EQ(GetVar700("NoSuchThing", &v), NO_SUCH_SYMBOL);
    EXPECT_EQ(GetVar700("NVSave", &v), TYPE_ERROR);
}

TEST(LinkFresh, TextsAndTheSymbolTableNeedNoPort)
{
    char buf[64];
    std::memset(buf, 'x', sizeof buf);
    EXPECT_EQ(CommDLLVersion700(buf), buf);
    EXPECT_STREQ(buf, "COMM700.DLL -- Release 1.03");
    EXPECT_EQ(std::strlen(buf), 27u);
    EXPECT_EQ(CommDLLCompileTime700(buf), buf);
    EXPECT_EQ(std::strlen(buf), 20u);
    EXPECT_EQ(buf[11], ' ');
    EXPECT_EQ(buf[14], ':');
    EXPECT_EQ(CommDLLVersion700(nullptr), nullptr);

    char name[21];
    int id = -1, kind = -1;
    EXPECT_EQ(Sym700(0, name, &id, &kind), 1);
    EXPECT_STREQ(name, "AccelLmt");
    EXPECT_EQ(id, 45);
    EXPECT_EQ(kind, SYM_FLOAT);
    EXPECT_EQ(Sym700(334, name, &id, &kind), 1);
    EXPECT_STREQ(name, "ZeroSpeedThresh");
    id = 99;
    EXPECT_EQ(Sym700(335, name, &id, &kind), 0);
    EXPECT_EQ(Sym700(-1, name, &id, &kind), 0);
    EXPECT_EQ(id, 99);
    EXPECT_EQ(Sym700(5, nullptr, nullptr, nullptr), 1);
    int count = 0;
    while (Sym700(count, name, &id, &kind))
        ++count;
    EXPECT_EQ(count, 335);
}
