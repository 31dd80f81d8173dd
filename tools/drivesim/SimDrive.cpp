#include "SimDrive.h"

#include <cmath>
#include <cstring>
#include <limits>

#include "mdb700.h"
#include "tools700/config/Generator.h"
#include "tools700/tuning/TuningFormulas.h"

namespace drivesim {

namespace {

struct ModelData {
    int model;
    double ipeak;
    double busVolts;
};

// Peak current and bus voltage of each model (the drive model table of the motor database).
const ModelData kModels[] = {
    {732, 7.5, 300}, {733, 15, 300}, {734, 30, 300}, {742, 7.5, 300}, {743, 15, 300},
    {744, 30, 300}, {1733, 10.6, 600}, {1735, 31.8, 600}, {1743, 10.6, 600}, {1745, 31.8, 600},
};

const ModelData& DataOf(int model)
{
    for (const auto& m : kModels)
        if (m.model == model) return m;
    return kModels[1];
}

// With --step, a drive without gains starts tuned to this bandwidth with the integrator the
// tuning wizard's Default gives.
constexpr double kStepStartBandwidthHz = 25.0;
constexpr double kStepStartKvi = 5.0;

constexpr int kFaultUnconfigured = 16;
constexpr int kFaultParameterMemory = 19;
constexpr int kExtModelMismatch = 13;
constexpr int kExtNvCorrupt = 15;

std::int32_t ToInt32(double v)
{
    if (std::isnan(v)) return 0;
    if (v >= 2147483647.0) return std::numeric_limits<std::int32_t>::max();
    if (v <= -2147483648.0) return std::numeric_limits<std::int32_t>::min();
    return static_cast<std::int32_t>(v);
}

}  // namespace

SimDrive::SimDrive(const WireNames& names, const DriveSetup& setup, NvMemory& nv)
    : names_(names), nv_(nv), model_(setup.model), address_(setup.address), slot_(setup.slot), nvUnreadable_(setup.nvUnreadable),
      startConfigured_(setup.configured),
      serialControl_(setup.serialControl), mfgLockStuck_(setup.mfgLockStuck), faultCode_(setup.faultCode),
      extFault_(setup.extFault), step_(setup.step), firmware_(setup.eraseMs)
{
    if (step_.sizeRpm != 0) {
        loop_ = std::make_unique<VelocityLoop>(step_, [this] { return LoopSettingsNow(); });
        scope_.SetSource(loop_.get());
    }
    for (int kind = 0; kind < 3; ++kind) slots_[kind].resize(names_.IdCount(kind));
    bool f740 = Is740();
    for (const auto& e : names_.All()) {
        if (e.kind < 0 || e.kind > 2 || e.id < 0) continue;
        VarSlot& s = slots_[e.kind][e.id];
        if (s.exists) continue;
        s.exists = true;
        s.kind = e.kind;
        s.name = names_.Canonical(e.kind, e.id, f740);
        if (e.kind != kCommandKind) s.rule = RuleFor(s.name);
    }
    PowerUp();
}

bool SimDrive::Is740() const
{
    switch (model_) {
    case 742: case 743: case 744: case 1743: case 1745: return true;
    default: return false;
    }
}

SimDrive::VarSlot* SimDrive::SlotOf(int kind, int id)
{
    if (kind < 0 || kind > 2 || id < 0 || id >= static_cast<int>(slots_[kind].size())) return nullptr;
    VarSlot& s = slots_[kind][id];
    return s.exists ? &s : nullptr;
}

const SimDrive::VarSlot* SimDrive::SlotOf(int kind, int id) const
{
    return const_cast<SimDrive*>(this)->SlotOf(kind, id);
}

SimDrive::VarSlot* SimDrive::SlotOf(std::string_view name)
{
    const WireName* w = names_.Find(name);
    return w ? SlotOf(w->kind, w->id) : nullptr;
}

bool SimDrive::Exists(int kind, int id) const { return SlotOf(kind, id) != nullptr; }

std::string SimDrive::NameOf(int kind, int id) const
{
    const VarSlot* s = SlotOf(kind, id);
    return s ? s->name : std::string();
}

std::uint32_t SimDrive::Encode(int kind, double value)
{
    if (kind == kFloatVar) {
        float f = static_cast<float>(value);
        std::uint32_t bits;
        std::memcpy(&bits, &f, 4);
        return bits;
    }
    return static_cast<std::uint32_t>(ToInt32(value));
}

double SimDrive::GetValue(const VarSlot& s)
{
    if (s.kind == kFloatVar) {
        float f;
        std::memcpy(&f, &s.bits, 4);
        return f;
    }
    return static_cast<std::int32_t>(s.bits);
}

double SimDrive::Raw(std::string_view name)
{
    VarSlot* s = SlotOf(name);
    return s && s->kind != kCommandKind ? GetValue(*s) : std::numeric_limits<double>::quiet_NaN();
}

void SimDrive::SetValue(std::string_view name, double value)
{
    const WireName* w = names_.Find(name);
    if (!w) return;
    if (VarSlot* s = SlotOf(w->kind, w->id)) s->bits = Encode(w->kind, value);
}

double SimDrive::Value(std::string_view name)
{
    UpdateStatus();
    return Raw(name);
}

void SimDrive::ApplyDefaults()
{
    for (int kind = 0; kind < 2; ++kind)
        for (VarSlot& s : slots_[kind])
            if (s.exists) s.bits = Encode(kind, s.rule.defaultValue);
    // Values that belong to this drive rather than to the table.
    const ModelData& m = DataOf(model_);
    SetValue("Model", model_);
    SetValue("Ipeak", m.ipeak);
    SetValue("VBus", m.busVolts * 1.08);
    SetValue("HSTemp", 38.5);
    SetValue("HWEnable", 1);
    SetValue("FwV", 103);
    SetValue("HwV", 2);
    SetValue("ActualILmtPlus", 100);
    SetValue("ActualILmtMinus", 100);
    if (loop_) {
        // A drive playing a loop has a motor and gains that move it from the start.
        const MotorData motor = MotorOf(step_.motor);
        SetValue("Motor1", tools700::PackMotorName(step_.motor, 0));
        SetValue("Motor2", tools700::PackMotorName(step_.motor, 1));
        SetValue("Kvp", tools700::tuning::KvpFromBandwidth(kStepStartBandwidthHz, motor.ke, motor.inertia,
                                                           step_.inertiaRatio));
        SetValue("Kvi", kStepStartKvi);
    }
    configured_ = false;
}

bool SimDrive::ApplyImage(const NvImage& image)
{
    auto model = image.Get("Model");
    if (!model || ToInt32(*model) != model_) {
        faultCode_ = kFaultParameterMemory;
        extFault_ = kExtModelMismatch;
        lastError_ = "non-volatile memory of drive " + std::to_string(slot_) +
                     " holds another model; starting from the defaults";
        return false;
    }
    int skipped = 0;
    for (const auto& [name, value] : image.values) {
        VarSlot* s = SlotOf(name);
        if (!s || s->rule.readOnly) continue;  // CfgD and Model are handled apart
        if (!WithinBounds(s->rule, value, s->kind == kFloatVar)) {
            ++skipped;  // an edited or damaged value: the default stays
            continue;
        }
        s->bits = Encode(s->kind, value);
    }
    if (skipped > 0)
        lastError_ = "non-volatile memory of drive " + std::to_string(slot_) + ": " +
                     std::to_string(skipped) + " value(s) out of bounds were not loaded";
    configured_ = image.Get("CfgD").value_or(0) != 0;
    return true;
}

void SimDrive::PowerUp()
{
    ApplyDefaults();
    configured_ = startConfigured_;
    if (auto image = nv_.Image(slot_)) ApplyImage(*image);
    if (nvUnreadable_ && faultCode_ == 0) {
        faultCode_ = kFaultParameterMemory;
        extFault_ = kExtNvCorrupt;
    }
    SetValue("AxisAddr", address_);
    if (!Is740()) serialControl_ = false;
    UpdateStatus();
}

bool SimDrive::Enabled() const
{
    return enableLatched_ && configured_ && faultCode_ == 0;
}

void SimDrive::UpdateStatus()
{
    bool enabled = Enabled();
    int driveStatus;
    int faultCode = faultCode_, extFault = extFault_;
    if (!configured_) {
        driveStatus = 0;
        if (faultCode == 0) faultCode = kFaultUnconfigured;
    } else if (faultCode_ != 0) {
        driveStatus = 1;
    } else {
        driveStatus = enabled ? 2 : 3;
    }
    SetValue("DriveStatus", driveStatus);
    SetValue("FaultCode", faultCode);
    SetValue("ExtFault", extFault);
    SetValue("Fault", faultCode != 0 ? 1 : 0);
    SetValue("Enabled", enabled ? 1 : 0);
    SetValue("CfgD", configured_ ? 1 : 0);
    SetValue("AxisAddr", address_);
    SetValue("Model", model_);
    if (Is740()) SetValue("MfgLock", serialControl_ ? 1 : 0);
    // An enabled drive follows its velocity command; a disabled one stands still.
    double cmd = enabled ? Raw("VelCmd") : 0.0;
    SetValue("VelCmdA", cmd);
    SetValue("VelFB", cmd);
    SetValue("Velocity", cmd);
}

LoopSettings SimDrive::LoopSettingsNow()
{
    LoopSettings s;
    s.kvp = Raw("Kvp");
    s.kvi = Raw("Kvi");
    s.arf0 = Raw("ARF0");
    s.arf1 = Raw("ARF1");
    s.arz0 = Raw("ARZ0");
    s.arz1 = Raw("ARZ1");
    s.kip = Raw("Kip");
    s.ipeak = Raw("Ipeak");
    // The motor the drive is configured for, when the database knows it; else the --step one.
    const std::string named = tools700::UnpackMotorName(Raw("Motor1"), Raw("Motor2"));
    s.motor = !named.empty() && mdb_Ke(named.c_str()) > 0 && mdb_Inertia(named.c_str()) > 0 ? named : step_.motor;
    for (double* v : {&s.kvp, &s.kvi, &s.arf0, &s.arf1, &s.arz0, &s.arz1, &s.kip, &s.ipeak})
        if (std::isnan(*v)) *v = 0;
    return s;
}

std::uint8_t SimDrive::Read(int kind, int id, std::uint32_t& bits)
{
    VarSlot* s = SlotOf(kind, id);
    if (!s || kind == kCommandKind) return kNotImplemented;
    UpdateStatus();
    bits = s->bits;
    return kAccepted;
}

std::uint8_t SimDrive::Write(int kind, int id, std::uint32_t bits)
{
    VarSlot* s = SlotOf(kind, id);
    if (!s || kind == kCommandKind) return kNotImplemented;
    double value;
    if (kind == kFloatVar) {
        float f;
        std::memcpy(&f, &bits, 4);
        value = f;
    } else {
        value = static_cast<std::int32_t>(bits);
    }
    const std::string& name = s->name;

    // The control hand-over of a 740-family drive: the unlock value gives the drive to the
    // serial link, any other value back to the fieldbus. MfgLock then reads 1 or 0. A drive
    // whose fieldbus master holds it (--mfglock-stuck) accepts the write and stays as it was.
    if (Is740() && SameName(name, "MfgLock")) {
        if (!mfgLockStuck_) serialControl_ = static_cast<std::int32_t>(bits) == kSerialUnlock;
        UpdateStatus();
        return kAccepted;
    }
    if (s->rule.readOnly) return kReadOnly;
    if (!WithinBounds(s->rule, value, kind == kFloatVar)) return kBoundsError;
    if (SameName(name, "AxisAddr")) return ChangeAddress(static_cast<int>(value));

    bool wasZero = GetValue(*s) == 0.0;
    s->bits = bits;
    if (SameName(name, "Enable")) {
        // The drive powers the motor only for an Enable written while it can run; a fault
        // reset or a later configuration never powers it on by itself.
        enableLatched_ = value != 0 && configured_ && faultCode_ == 0;
    } else if (SameName(name, "FaultReset")) {
        if (value != 0 && wasZero) {  // the rising edge clears a latched fault
            faultCode_ = 0;
            extFault_ = 0;
            enableLatched_ = false;
        }
    }
    UpdateStatus();
    return kAccepted;
}

std::uint8_t SimDrive::ChangeAddress(int address)
{
    if (address < 1 || address > 255) return kBoundsError;
    if (address != address_ && addressFree_ && !addressFree_(address)) return kBoundsError;
    address_ = address;
    UpdateStatus();
    return kAccepted;
}

std::uint8_t SimDrive::SaveNv()
{
    UpdateStatus();
    NvImage image;
    image.values.emplace_back("Model", model_);
    image.values.emplace_back("CfgD", configured_ ? 1 : 0);
    for (int kind = 0; kind < 2; ++kind)
        for (const VarSlot& s : slots_[kind])
            if (s.exists && !s.rule.readOnly && !SameName(s.name, "AxisAddr") &&
                !SameName(s.name, "MfgLock"))
                image.values.emplace_back(s.name, GetValue(s));
    std::string error;
    if (!nv_.Store(slot_, std::move(image), error)) {
        lastError_ = error;
        return kNotImplemented;
    }
    return kAccepted;
}

std::uint8_t SimDrive::LoadNv()
{
    // The working values are replaced by the saved ones, or by the defaults when nothing was
    // saved; the address and the control mode stay as they are.
    enableLatched_ = false;
    int fault = faultCode_, ext = extFault_;
    ApplyDefaults();
    faultCode_ = fault;
    extFault_ = ext;
    if (auto image = nv_.Image(slot_)) ApplyImage(*image);
    UpdateStatus();
    return kAccepted;
}

std::uint8_t SimDrive::Execute(int id)
{
    if (!SlotOf(kCommandKind, id)) return kNoSuchCommand;
    switch (id) {
    case kNVSave:
        return SaveNv();
    case kNVLoad:
        return LoadNv();
    case kUnconfigure:
        configured_ = false;
        enableLatched_ = false;
        break;
    case kTableGen:
        // Regenerating the tables from the parameters completes a configuration.
        configured_ = true;
        if (faultCode_ == kFaultUnconfigured) faultCode_ = 0;
        break;
    case kLoadCalTable:
    case kSaveCalTable:
        break;
    default:
        return kNoSuchCommand;
    }
    UpdateStatus();
    return kAccepted;
}

}  // namespace drivesim
