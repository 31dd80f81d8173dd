#include "tools700/wizard/WizardRules.h"

#include "tools700/dictionary/DriveFamily.h"
#include "tools700/dictionary/Symtab.h"

#include <algorithm>

namespace tools700 {

namespace {

constexpr std::string_view k740Drives[] = {"SV742", "SV743", "SV744", "SVE743", "SVE745"};

template <std::size_t N> bool OneOf(std::string_view text, const std::string_view (&list)[N])
{
    return std::find(std::begin(list), std::end(list), text) != std::end(list);
}

} // namespace

bool Is740DriveText(std::string_view drive) { return OneOf(drive, k740Drives); }

std::string PackedMotorName(const ValueSet &set) { return UnpackMotorName(set.Get("Motor1"), set.Get("Motor2")); }

const char *ModeEnumeration(std::string_view drive) { return Is740DriveText(drive) ? "OpMode740" : "OpMode730"; }

std::array<std::string, 10> DigitalIoVariables(bool family740)
{
    std::array<std::string, 10> names;
    for (int i = 0; i < 6; ++i)
        names[i] = (family740 ? "InputMap" : "InpMap") + std::to_string(i + 1);
    for (int i = 0; i < 4; ++i)
        names[6 + i] = (family740 ? "OutputMap" : "OutMap") + std::to_string(i + 1);
    return names;
}

const char *VelocityCommandVariable(bool family740) { return family740 ? "VelCmd2" : "VelCmd"; }

namespace {

// A set of the family `cfg` has, in `slot` (kept when it already is of that family).
Cfg &OfFamily(std::unique_ptr<Cfg> &slot, bool family740)
{
    if (!slot || slot->Indexes740() != family740)
        slot = family740 ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    return *slot;
}

} // namespace

ConfigurationWizard::ConfigurationWizard() : baseline_(std::make_unique<Cfg>()), scratch_(std::make_unique<Cfg>()) {}

void ConfigurationWizard::TakeBaseline(const Cfg &cfg) { OfFamily(baseline_, cfg.Indexes740()).Assign(cfg); }

Cfg &ConfigurationWizard::ScratchCfg()
{
    return OfFamily(scratch_, WorkingCfg ? WorkingCfg->Indexes740() : baseline_->Indexes740());
}

Cfg &ConfigurationWizard::RebuildOwnCfg(std::string_view drive)
{
    // The working configuration may be the one being replaced.
    if (WorkingCfg == OwnCfg.get())
        WorkingCfg = nullptr;
    OwnCfg = Is740DriveText(drive) ? std::make_unique<Cfg>(740) : std::make_unique<Cfg>();
    return *OwnCfg;
}

void ConfigurationWizard::UseDefaultIo(std::string_view drive)
{
    const tools700::IoMap row = DefaultIoMap(Is740DriveText(drive), SelectedMode);
    for (int i = 1; i <= 10; ++i)
        IoMap[i] = row[i];
}

void ConfigurationWizard::StartConfiguration(WizardForm &form, Cfg &cfg, const std::string &name,
                                             const tools700::IoMap &io, double ratio, int mode,
                                             const std::string &drive, const std::string &motor)
{
    WorkingCfg = &cfg;
    Caption = name;
    TakeBaseline(cfg);
    FillDefaults(cfg, motor, drive, mode, ratio, io);
    form.InitAll(cfg);
    form.StoreAll(cfg);
}

void ConfigurationWizard::EditConfiguration(WizardForm &form, Cfg &cfg, const std::string &name)
{
    WorkingCfg = &cfg;
    Caption = name;
    SelectedMode = ModeFromBlocks(cfg);
    form.InitAll(cfg);
    TakeBaseline(cfg);
}

bool ConfigurationWizard::StoreForSave(WizardForm &form)
{
    if (!WorkingCfg)
        return false;
    form.StoreAll(*WorkingCfg);
    return baseline_->Differs(*WorkingCfg) || WorkingCfg->IsModified();
}

bool ConfigurationWizard::HasChanges(WizardForm &form)
{
    Cfg &scratch = OfFamily(scratch_, baseline_->Indexes740());
    scratch.Assign(*baseline_);
    form.StoreAll(scratch);
    return scratch.IsModified();
}

std::string ConfigurationWizard::MissingChoice(const std::string &drive, const std::string &motor,
                                               const std::string &mode, int &focus)
{
    if (drive.empty()) {
        focus = 0;
        return "You must select a drive type!";
    }
    if (motor.empty()) {
        focus = 1;
        return "You must select a motor!";
    }
    if (mode.empty()) {
        focus = 2;
        return "You must select a mode of operation!";
    }
    focus = -1;
    return "";
}

} // namespace tools700
