#include "tools700/scope/TChnl.h"

#include "tools700/names/Names.h"
#include "tools700/scope/ScopeStore.h"

namespace tools700::scope {

// clang-format off
const SignalTable kSignalTable = {{
    {10, "Analog Input",              "Volts"},
    { 0, "Analog Output",             "Volts"},
    {24, "Cmd Non_Trq Current",       "Amps"},
    {15, "Commutation Angle",         "Degrees"},
    { 8, "Current Command",           "Amps"},
    { 9, "Current Feedback",          "Amps"},
    {29, "Digital Cmd Freq",          "Hz"},
    {11, "Encoder Frequency",         "Counts per Second"},
    {12, "Encoder Position",          "Counts"},
    { 4, "Filtered Velocity Error",   "Rpm"},
    {14, "HS Temperature",            "Degrees"},
    {30, "I^2*t Filtered Current",    "% Drive Peak Current"},
    {13, "I*t Filtered Current",      "% Drive Peak Current"},
    {16, "IU (current in phase U)",   "Amps"},
    {17, "IV (current in phase V)",   "Amps"},
    {18, "IW (current in phase W)",   "Amps"},
    {25, "Non-Trq IFB",               "Amps"},
    {27, "Non-Trq Voltage Cmd",       "%"},
    { 7, "Position Command",          "Resolver Counts"},
    { 6, "Position Error",            "Resolver Counts"},
    { 5, "Position",                  "Resolver Counts"},
    {23, "Respos",                    "Resolver Counts"},
    {26, "Trq Voltage Cmd",           "%"},
    {22, "VBus",                      "Volts"},
    {28, "Velocity Command",          "Rpm"},
    { 2, "Velocity Command (actual)", "Rpm"},
    { 3, "Velocity Error",            "Rpm"},
    { 1, "Velocity Feedback",         "Rpm"},
    {19, "VU (voltage in phase U)",   "Volts"},
    {20, "VV (voltage in phase V)",   "Volts"},
    {21, "VW (voltage in phase W)",   "Volts"},
}};
// clang-format on

TChnl::TChnl(std::string name, ScopeStore *store) : name_(std::move(name)), table_(kSignalTable)
{
    if (store)
        Load(*store);
}

void TChnl::Load(ScopeStore &store)
{
    // The first value that cannot be read ends the loading; the rest keep their defaults.
    for (SignalRecord &signal : table_) {
        const std::string key = name_ + "/" + signal.name;
        const std::optional<double> m = store.ReadDouble(key, "M");
        if (!m)
            return;
        signal.scale = *m;
        const std::optional<double> b = store.ReadDouble(key, "B");
        if (!b)
            return;
        signal.offset = *b;
    }
    if (const std::optional<std::string> source = store.ReadText(name_, "Source"))
        current_ = IndexOf(*source);
}

std::size_t TChnl::IndexOf(std::string_view name) const
{
    for (std::size_t i = 0; i < table_.size(); ++i)
        if (names::Equal(table_[i].name, name))
            return i;
    return 0;
}

const SignalRecord &TChnl::FindSignal(std::string_view name) const
{
    const ThreadSafe guard(lock_);
    return table_[IndexOf(name)];
}

void TChnl::SetSource(std::string_view name)
{
    const ThreadSafe guard(lock_);
    current_ = IndexOf(name);
}

std::string TChnl::SourceName() const
{
    const ThreadSafe guard(lock_);
    return table_[current_].name;
}

std::uint16_t TChnl::SourceCode() const
{
    const ThreadSafe guard(lock_);
    return table_[current_].code;
}

std::string TChnl::SourceUnits() const
{
    const ThreadSafe guard(lock_);
    return table_[current_].unit;
}

void TChnl::SetScale(double scale)
{
    const ThreadSafe guard(lock_);
    table_[current_].scale = scale;
}

double TChnl::Scale() const
{
    const ThreadSafe guard(lock_);
    return table_[current_].scale;
}

void TChnl::SetOffset(double offset)
{
    const ThreadSafe guard(lock_);
    table_[current_].offset = offset;
}

double TChnl::Offset() const
{
    const ThreadSafe guard(lock_);
    return table_[current_].offset;
}

void TChnl::ScaleAndOffset(double &scale, double &offset) const
{
    const ThreadSafe guard(lock_);
    scale = table_[current_].scale;
    offset = table_[current_].offset;
}

void TChnl::SaveSettings(ScopeStore &store) const
{
    const ThreadSafe guard(lock_);
    for (const SignalRecord &signal : table_) {
        const std::string key = name_ + "/" + signal.name;
        store.WriteDouble(key, "M", signal.scale);
        store.WriteDouble(key, "B", signal.offset);
    }
    store.WriteText(name_, "Source", table_[current_].name);
}

} // namespace tools700::scope
