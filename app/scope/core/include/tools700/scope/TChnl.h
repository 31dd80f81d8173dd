// TChnl: one channel of the scope. Which drive signal it shows (one row of its own copy of the
// signal table, never none) and, per signal, the scale (units per division) and offset (units)
// it is drawn with; a sample v is drawn at (v + offset) / scale divisions.
#pragma once

#include "tools700/scope/ThreadSafe.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>

namespace tools700::scope {

class ScopeStore;

struct SignalRecord {
    std::uint16_t code;  // sent to the drive
    const char *name;
    const char *unit;
    double scale = 1.0;
    double offset = 0.0;
};

inline constexpr int kSignalCount = 31;
using SignalTable = std::array<SignalRecord, kSignalCount>;

// The drive's monitor signals in the order of the DM1Map and DM2Map enumerations.
extern const SignalTable kSignalTable;

class TChnl {
public:
    // Loads the channel's settings from `store` (none: the defaults).
    TChnl(std::string name, ScopeStore *store);

    const std::string &Name() const { return name_; }

    // The row whose name matches (ignoring case), or the first row when none does.
    const SignalRecord &FindSignal(std::string_view name) const;
    void SetSource(std::string_view name);
    std::string SourceName() const;
    std::uint16_t SourceCode() const;
    std::string SourceUnits() const;
    void SetScale(double scale);
    double Scale() const;
    void SetOffset(double offset);
    double Offset() const;
    // Scale and offset of the current signal read together, so a frame is converted with one pair.
    void ScaleAndOffset(double &scale, double &offset) const;

    // Every signal's "M" and "B" under its subkey, then "Source"; failures are skipped.
    void SaveSettings(ScopeStore &store) const;

    // The channel's lock (the scope takes it after its own).
    CriticalSection &Lock() const { return lock_; }

private:
    void Load(ScopeStore &store);
    std::size_t IndexOf(std::string_view name) const;

    std::string name_;
    std::size_t current_ = 0;
    SignalTable table_;
    mutable CriticalSection lock_;
};

} // namespace tools700::scope
