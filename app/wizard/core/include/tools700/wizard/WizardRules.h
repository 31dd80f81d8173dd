// The configuration wizard's state and the rules that decide what it does, apart from its window:
// how it was reached (entry mode), the configurations it works on, the chosen mode, the bus class
// of the drive and the I/O map it hands to the generator. The window supplies the form operations
// over its bound controls (WizardForm); everything else is here.
#pragma once

#include "tools700/config/Cfg.h"
#include "tools700/config/Generator.h"
#include "tools700/config/MotorChoice.h"

#include <array>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace tools700 {

// How the wizard was reached. The new-configuration entry shows the first page, every other the
// second page with the tabs.
enum EntryModes : int {
    kEntryNew = 0,          // main window, New Configuration
    kEntryFromIoWizard = 1, // the I/O wizard's Next
    kEntryEditFile = 2,     // main window, Edit File
    kEntryUpload = 3,       // main window, Upload
    kEntryFromSaveWindow = 4
};

inline constexpr const char *kNoNameYet = "<no name assigned yet>";
inline constexpr const char *kUploadedName = "<no name assigned -- uploaded from drive>";

// Drive family by the text of the drive box: "SV742", "SV743", "SV744", "SVE743" and "SVE745" are
// the 740 family, any other text counts as the 730 family. The bus class and the motors offered
// for it: MotorChoice.h.
bool Is740DriveText(std::string_view drive);

// The name packed in a set's Motor1 and Motor2: four characters per value, lowest byte first,
// up to the first zero byte or eight characters.
std::string PackedMotorName(const ValueSet &set);

// The enumeration that lists the operating modes of a drive's family.
const char *ModeEnumeration(std::string_view drive);
// The variables of the ten digital I/O boxes (inputs 1..6, outputs 1..4) and of the velocity
// command box for a family.
std::array<std::string, 10> DigitalIoVariables(bool family740);
const char *VelocityCommandVariable(bool family740);

// What the wizard's window does for the rules: its bound controls from and into a value set.
class WizardForm {
public:
    virtual ~WizardForm() = default;
    virtual void InitAll(ValueSet &set) = 0;
    virtual void StoreAll(ValueSet &set) = 0;
};

class ConfigurationWizard {
public:
    ConfigurationWizard();

    int EntryMode = kEntryNew;
    // The configuration the second page edits: the caller's (Edit File, Upload) or OwnCfg.
    Cfg *WorkingCfg = nullptr;
    // The configuration the wizard builds; replaced each time defaults are generated.
    std::unique_ptr<Cfg> OwnCfg;
    // The working configuration as editing started (or as the save window last saw it), of the
    // working configuration's family: a set of the other family would not hold the values of the
    // variables only this family has (a 740-family drive's I/O maps), so their edits would go
    // unnoticed and the other family's variables would count as changes.
    Cfg &BaselineCfg() { return *baseline_; }
    const Cfg &BaselineCfg() const { return *baseline_; }
    void TakeBaseline(const Cfg &cfg);
    // Scratch set for unit texts, of the working configuration's family.
    Cfg &ScratchCfg();
    // The chosen operating mode, -1 when the mode box shows nothing.
    int SelectedMode = -1;
    int BusClass = 320;
    // Entries 1..6 inputs, 7..10 outputs.
    tools700::IoMap IoMap{};
    // The window's caption: the configuration's name.
    std::string Caption;

    // A new, empty OwnCfg of the drive's family (740 family, else 730).
    Cfg &RebuildOwnCfg(std::string_view drive);
    // IoMap := the default I/O map of SelectedMode for the drive's family.
    void UseDefaultIo(std::string_view drive);

    // The working configuration becomes cfg, named `name`; the baseline is taken, the defaults
    // are computed from the motor, drive, mode, ratio and I/O map, and the form is filled from
    // them and stored back (so every value passes its control's bounds).
    void StartConfiguration(WizardForm &form, Cfg &cfg, const std::string &name, const tools700::IoMap &io,
                            double ratio, int mode, const std::string &drive, const std::string &motor);
    // Editing an existing configuration (Edit File, Upload): working configuration, caption,
    // mode from its blocks, form filled, baseline taken.
    void EditConfiguration(WizardForm &form, Cfg &cfg, const std::string &name);

    // "&Next >>" of the second page: the form stored into the working configuration; true when
    // it differs from the baseline or carries changes that are in no file.
    bool StoreForSave(WizardForm &form);
    // Second-page Cancel: true when the form holds changes against the baseline (the question
    // "Do you really want to lose any changes?" is due).
    bool HasChanges(WizardForm &form);

    // The first page's "Next >>": the message for the first missing choice ("" when all are
    // made) and which box to focus (0 drive, 1 motor, 2 mode).
    static std::string MissingChoice(const std::string &drive, const std::string &motor, const std::string &mode,
                                     int &focus);

private:
    std::unique_ptr<Cfg> baseline_;
    std::unique_ptr<Cfg> scratch_;
};

} // namespace tools700
