// The configuration wizard's state without its window: generating a configuration, editing one,
// and the change checks before saving and before cancelling.
#include "tools700/config/Cfg.h"
#include "tools700/wizard/WizardRules.h"

#include <gtest/gtest.h>

#include <map>

using namespace tools700;

namespace {

// A form with a few "controls": values it shows, stored back as the user left them.
class FakeForm : public WizardForm {
public:
    void InitAll(ValueSet &set) override
    {
        for (auto &[name, value] : shown)
            value = set.Get(name);
        ++inits;
    }
    void StoreAll(ValueSet &set) override
    {
        for (const auto &[name, value] : shown)
            set.Set(name, value);
        ++stores;
    }
    std::map<std::string, double> shown{{"Kvp", 0}, {"ILmtPlus", 0}};
    int inits = 0, stores = 0;
};

TEST(WizardCore, StartConfigurationGeneratesFromTheMotorAndTakesTheBaselineBefore)
{
    ConfigurationWizard w;
    FakeForm form;
    Cfg &own = w.RebuildOwnCfg("SV733");
    EXPECT_FALSE(own.Indexes740());
    w.SelectedMode = 1;
    w.UseDefaultIo("SV733");
    EXPECT_EQ(w.IoMap, DefaultIoMap(false, 1));
    const std::vector<std::string> motors = MotorNames(false, 320);
    ASSERT_FALSE(motors.empty());
    w.StartConfiguration(form, own, kNoNameYet, w.IoMap, 2.0, 1, "SV733", motors.front());
    EXPECT_EQ(w.WorkingCfg, &own);
    EXPECT_EQ(w.Caption, kNoNameYet);
    EXPECT_EQ(form.inits, 1);
    EXPECT_EQ(form.stores, 1);
    EXPECT_EQ(own.Get("InpMap4"), 0x8009);
    EXPECT_EQ(own.Get("Model"), 733);
    EXPECT_EQ(PackedMotorName(own), motors.front());
    EXPECT_NE(form.shown["Kvp"], 0);
    // The baseline is the set before the defaults: the new configuration counts as changed.
    EXPECT_TRUE(w.BaselineCfg().Differs(own));
    EXPECT_TRUE(w.StoreForSave(form));

    // A 740-family drive gets a 740-family configuration; the old working set is let go.
    Cfg &own740 = w.RebuildOwnCfg("SVE745");
    EXPECT_TRUE(own740.Indexes740());
    EXPECT_EQ(w.WorkingCfg, nullptr);
}

TEST(WizardCore, TheChangeCheckOfA740ConfigurationSeesItsIoMaps)
{
    Cfg cfg(740);
    cfg.Set("InputMap1", 0x8001);
    cfg.Set("Kvp", 1.5);
    cfg.ClearModified();
    ConfigurationWizard w;
    FakeForm form;
    form.shown = {{"InputMap1", 0}, {"Kvp", 0}, {"PulsesIn", 0}};
    w.EditConfiguration(form, cfg, "up");
    EXPECT_TRUE(w.BaselineCfg().Indexes740());
    EXPECT_EQ(form.shown["InputMap1"], 0x8001);
    // A variable the 740 family does not have, shown anyway, is no change.
    form.shown["PulsesIn"] = 7;
    EXPECT_FALSE(w.HasChanges(form));
    form.shown["InputMap1"] = 0x8006;
    EXPECT_TRUE(w.HasChanges(form));
    EXPECT_TRUE(w.ScratchCfg().Indexes740());
}

TEST(WizardCore, EditingAConfigurationAsksOnlyAfterAChange)
{
    Cfg cfg;
    cfg.Set("Kvp", 4.5);
    cfg.Set("BlkType", 2);
    cfg.ClearModified();
    ConfigurationWizard w;
    FakeForm form;
    w.EntryMode = kEntryEditFile;
    w.EditConfiguration(form, cfg, "/tmp/a.cfg");
    EXPECT_EQ(w.WorkingCfg, &cfg);
    EXPECT_EQ(w.SelectedMode, ModeFromBlocks(cfg));
    EXPECT_EQ(form.shown["Kvp"], 4.5);
    EXPECT_FALSE(w.HasChanges(form));
    form.shown["Kvp"] = 5.5;
    EXPECT_TRUE(w.HasChanges(form));
    EXPECT_EQ(cfg.Get("Kvp"), 4.5);  // the check works on the scratch set
    EXPECT_TRUE(w.StoreForSave(form));
    EXPECT_EQ(cfg.Get("Kvp"), 5.5);
    // After the save window, the baseline is the configuration as it was saved.
    cfg.ClearModified();
    w.TakeBaseline(cfg);
    EXPECT_FALSE(w.StoreForSave(form));
}

} // namespace
