#include "VariableRules.h"

#include <cmath>

#include "WireNames.h"
#include "tools700/dictionary/Symtab.h"

namespace drivesim {

namespace {

bool StartsWith(std::string_view s, std::string_view prefix)
{
    return s.size() >= prefix.size() && SameName(s.substr(0, prefix.size()), prefix);
}

// Variables the drive computes or fixes itself even though a configuration carries them.
bool DriveOwned(std::string_view name)
{
    return SameName(name, "Model");
}

}  // namespace

VariableRule RuleFor(std::string_view name)
{
    VariableRule rule;
    rule.ioMap = StartsWith(name, "InpMap") || StartsWith(name, "InputMap") ||
                 StartsWith(name, "OutMap") || StartsWith(name, "OutputMap");
    const tools700::SymtabEntry* entry = nullptr;
    try {
        entry = tools700::Dictionary().Lookup(name);
    } catch (...) {
        entry = nullptr;
    }
    if (!entry) {
        // Names only the wire table knows (BaudRate, and aliases the dictionary spells
        // otherwise): plain writable values.
        if (SameName(name, "BaudRate")) rule.defaultValue = 19200;
        return rule;
    }
    rule.defaultValue = entry->defaultValue;
    rule.min = entry->min;
    rule.max = entry->max;
    // A range of 0..0 on a writable variable means the table gives no bounds (MfgLock,
    // MfgConfig, DBG1): the drive takes any value of the type.
    rule.checkBounds = !(entry->min == 0.0 && entry->max == 0.0);
    // Motor1 and Motor2 each carry four characters of the motor's name packed into 32 bits;
    // the table's 16-bit range would refuse every real name, so the drive takes any value.
    if (SameName(name, "Motor1") || SameName(name, "Motor2")) rule.checkBounds = false;
    // The dictionary marks Motor1 and Motor2 read-only because the program derives them from
    // the motor; they still belong to the configuration and a download writes them, so the
    // drive accepts them. Read-only for the drive: status values, and Model.
    bool inConfiguration = entry->cfg730 != 0 || entry->cfg740 != 0;
    rule.readOnly = (entry->readOnly != 0 && !inConfiguration) || DriveOwned(name);
    return rule;
}

bool WithinBounds(const VariableRule& rule, double value, bool isFloat)
{
    if (std::isnan(value)) return false;
    if (!rule.checkBounds) return true;
    if (rule.ioMap) {
        // Input and output functions travel with bit 15 set for the active-high form; the
        // bounds apply to the function number (the defaults 32769.. rely on this).
        if (value < 0 || value > 65535 || value != std::floor(value)) return false;
        long code = static_cast<long>(value) & 0x7FFF;
        return code >= rule.min && code <= rule.max;
    }
    if (isFloat)
        return value >= static_cast<float>(rule.min) && value <= static_cast<float>(rule.max);
    return value >= rule.min && value <= rule.max;
}

}  // namespace drivesim
