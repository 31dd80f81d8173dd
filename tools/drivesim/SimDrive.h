// One simulated drive: its variables, its state (configured, faulted, enabled, serial or
// fieldbus control) and its commands. The line (DriveLine) decodes requests and hands them
// here; the oscilloscope and the firmware loader are parts of the drive with files of their own.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "FirmwareLoader.h"
#include "NvMemory.h"
#include "ScopeCapture.h"
#include "VariableRules.h"
#include "VelocityLoop.h"
#include "WireNames.h"

namespace drivesim {

// Refusal codes of the drive (the reply's command byte is 0x80 OR the code).
enum Refusal : std::uint8_t {
    kAccepted = 0,
    kReadOnly = 0x41,
    kBoundsError = 0x42,
    kNoSuchCommand = 0x43,
    kNotImplemented = 0x44,
};

// The drive commands by wire id.
enum CommandId { kNVLoad = 0, kNVSave = 1, kUnconfigure = 2, kLoadCalTable = 3, kSaveCalTable = 4, kTableGen = 5 };

// The value MfgLock must be given to hand a 740-family drive to the serial link.
constexpr std::int32_t kSerialUnlock = 584219637;

struct DriveSetup {
    int model = 733;
    int address = 1;
    int slot = 1;               // the drive's name in the non-volatile memory file
    bool serialControl = false; // 740 family: start under serial control
    bool mfgLockStuck = false;  // 740 family: MfgLock writes are accepted but change nothing
    bool configured = false;    // start configured (no saved image says otherwise)
    int faultCode = 0;          // start with this fault latched
    int extFault = 0;
    int eraseMs = 150;
    bool nvUnreadable = false;  // the memory file could not be read: report it as a fault
    StepSetup step;             // --step: the velocity loop answers a stepping command
};

class SimDrive {
public:
    SimDrive(const WireNames& names, const DriveSetup& setup, NvMemory& nv);

    int Address() const { return address_; }
    int Model() const { return model_; }
    bool Is740() const;
    int Slot() const { return slot_; }
    // Asked before the drive takes a new address: false when another drive holds it.
    void SetAddressCheck(std::function<bool(int)> isFree) { addressFree_ = std::move(isFree); }

    // A variable as the wire carries it (32-bit integer or float bits). kNotImplemented for an
    // id the drive does not have.
    std::uint8_t Read(int kind, int id, std::uint32_t& bits);
    std::uint8_t Write(int kind, int id, std::uint32_t bits);
    std::uint8_t Execute(int id);
    // A new axis address (CMD_SET_DRIVE_ADRS, or a write of AxisAddr).
    std::uint8_t ChangeAddress(int address);

    // A variable's value by name (any spelling), for the trace and the demo; NaN when unknown.
    double Value(std::string_view name);
    bool Exists(int kind, int id) const;
    std::string NameOf(int kind, int id) const;

    bool Configured() const { return configured_; }
    bool Enabled() const;
    bool SerialControl() const { return serialControl_; }

    ScopeCapture& Scope() { return scope_; }
    // The velocity loop of --step; null without it.
    VelocityLoop* Loop() { return loop_.get(); }
    FirmwareLoader& Firmware() { return firmware_; }
    // The message of a failed NVSave or of a saved image the drive could not use, taken once.
    std::string TakeError() { return std::exchange(lastError_, std::string()); }

private:
    struct VarSlot {
        bool exists = false;
        int kind = 0;
        std::string name;
        VariableRule rule;
        std::uint32_t bits = 0;
    };

    VarSlot* SlotOf(int kind, int id);
    const VarSlot* SlotOf(int kind, int id) const;
    VarSlot* SlotOf(std::string_view name);
    void SetValue(std::string_view name, double value);
    static double GetValue(const VarSlot& s);
    double Raw(std::string_view name);
    static std::uint32_t Encode(int kind, double value);
    void ApplyDefaults();
    bool ApplyImage(const NvImage& image);
    void PowerUp();
    void UpdateStatus();
    std::uint8_t SaveNv();
    std::uint8_t LoadNv();
    // The loop's gains and motor as the drive holds them now.
    LoopSettings LoopSettingsNow();

    const WireNames& names_;
    NvMemory& nv_;
    std::vector<VarSlot> slots_[3];
    int model_;
    int address_;
    int slot_;
    bool nvUnreadable_;
    bool startConfigured_;
    bool configured_ = false;
    bool enableLatched_ = false;  // Enable was written 1 while the drive could run
    bool serialControl_ = false;
    bool mfgLockStuck_ = false;
    int faultCode_ = 0;
    int extFault_ = 0;
    std::string lastError_;
    std::function<bool(int)> addressFree_;
    StepSetup step_;
    std::unique_ptr<VelocityLoop> loop_;
    ScopeCapture scope_;
    FirmwareLoader firmware_;
};

}  // namespace drivesim
