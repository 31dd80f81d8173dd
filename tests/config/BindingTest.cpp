// Bindings: naming, bounds, clamping on Init, the edit box text, keystroke filter and cousins.
#include "tools700/common/Error.h"
#include "tools700/config/Cfg.h"
#include "tools700/config/TQXNum.h"
#include "tools700/dictionary/Symtab.h"

#include <gtest/gtest.h>

#include <memory>

using namespace tools700;

namespace {
struct RecordingEdit : NumEdit {
    std::string text;
    int shown = 0;
    void ShowNumText(const std::string &t) override
    {
        text = t;
        ++shown;
    }
};
} // namespace

TEST(Binding, NamingTakesTheEntryOrRaisesInvalidName)
{
    TQXNum fresh(Dictionary());
    EXPECT_EQ(fresh.VarName(), "");
    EXPECT_EQ(fresh.Type(), 1);
    EXPECT_EQ(fresh.Min(), 0.0);
    EXPECT_EQ(fresh.Max(), 0.0);
    EXPECT_EQ(fresh.Val(), 0.0);

    TQXNum b(Dictionary(), "axisaddr");
    EXPECT_EQ(b.VarName(), "AxisAddr");
    EXPECT_EQ(b.Type(), 0);
    EXPECT_EQ(b.Min(), 1.0);
    EXPECT_EQ(b.Max(), 255.0);
    EXPECT_EQ(b.Val(), 255.0);
    EXPECT_TRUE(b.Matches("AXISADDR"));
    EXPECT_TRUE(b.Check(1) && b.Check(255) && !b.Check(0) && !b.Check(256));

    try {
        b.SetVarName("NVSave"); // a command
        FAIL();
    } catch (const Error &e) {
        EXPECT_STREQ(e.what(), "Invalid Name");
    }
    EXPECT_EQ(b.VarName(), "AxisAddr");
    EXPECT_THROW(TQXNum(Dictionary(), "NoSuchVariable"), Error);
}

TEST(Binding, InitClampsIntoTheBoundsAndUpdateShowsTheText)
{
    Cfg cfg;
    RecordingEdit edit;
    TQXNum kvp(Dictionary(), "Kvp", &edit);
    cfg.Set("Kvp", 1e6);
    kvp.Init(&cfg);
    EXPECT_EQ(kvp.Val(), kvp.Max());
    EXPECT_EQ(edit.text, "378.00000");
    cfg.Set("Kvp", -5);
    kvp.Init(&cfg);
    EXPECT_EQ(kvp.Val(), kvp.Min());
    cfg.Set("Kvp", 12.5);
    kvp.Init(&cfg);
    EXPECT_EQ(edit.text, "12.50000");

    TQXNum axis(Dictionary(), "AxisAddr", &edit);
    axis.Update(17.9);
    EXPECT_EQ(edit.text, "17");
    EXPECT_EQ(TQXNum::NumText(-3.7, 0), "-3");
    EXPECT_EQ(TQXNum::NumText(1e20, 1), "1.00000000000000e+20");
}

TEST(Binding, FilterKeepsOnlyNumberKeys)
{
    TQXNum integer(Dictionary(), "AxisAddr");
    TQXNum real(Dictionary(), "Kvp");
    std::string typed = "1.5e3";
    std::string keptInt, keptReal;
    for (char c : typed) {
        if (int k = integer.Filter(c))
            keptInt += static_cast<char>(k);
        if (int k = real.Filter(c))
            keptReal += static_cast<char>(k);
    }
    EXPECT_EQ(keptInt, "153");
    EXPECT_EQ(keptReal, "1.5e3");
    EXPECT_EQ(integer.Filter('\b'), '\b'); // control keys always pass
    EXPECT_EQ(real.Filter(27), 27);
    EXPECT_EQ(real.Filter('x'), 0);
    EXPECT_EQ(real.Filter(','), ',');
}

TEST(Binding, CousinsStayASymmetricCompleteGroup)
{
    RecordingEdit e1, e2, e3;
    auto a = std::make_unique<TQXNum>(Dictionary(), "Kvp", &e1);
    auto b = std::make_unique<TQXNum>(Dictionary(), "Kvp", &e2);
    auto c = std::make_unique<TQXNum>(Dictionary(), "Kvp", &e3);
    b->Connect(a.get());
    c->Connect(b.get());
    for (TQX *t : {a.get(), b.get(), c.get()})
        EXPECT_EQ(t->Cousins().size(), 2u);

    a->Val(12.5);
    a->UpdateAll();
    EXPECT_EQ(e1.text, "12.50000");
    EXPECT_EQ(e2.text, "12.50000");
    EXPECT_EQ(e3.text, "12.50000");
    EXPECT_EQ(c->Val(), 12.5);

    b.reset(); // destroying one leaves the other two linked to each other only
    ASSERT_EQ(a->Cousins().size(), 1u);
    EXPECT_EQ(a->Cousins()[0], c.get());
    ASSERT_EQ(c->Cousins().size(), 1u);
    EXPECT_EQ(c->Cousins()[0], a.get());
}

TEST(BindingDeathTest, AcceptingACousinTwiceStopsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TQXNum a(Dictionary(), "Kvp"), b(Dictionary(), "Kvp");
    a.Accept(&b);
    EXPECT_DEATH(a.Accept(&b), "i==cousins.end\\(\\)");
    EXPECT_DEATH(b.Release(&a), "\\(\\*i\\)==p");
    a.Release(&b);
}
