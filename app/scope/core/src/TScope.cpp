#include "tools700/scope/TScope.h"

#include "tools700/common/CsvField.h"
#include "tools700/common/NumberText.h"
#include "tools700/scope/ScopeStore.h"

#include <cmath>
#include <cstdio>
#include <stdexcept>

namespace tools700::scope {

namespace {

// The integer part of a value that fits a 16-bit argument; a stored value outside (or not a
// number) would otherwise make the conversion undefined.
std::uint16_t Word(double value)
{
    if (!(value >= 0))
        return 0;
    if (value >= 65535.0)
        return 65535;
    return static_cast<std::uint16_t>(value);
}

int Next(int position) { return position + 1 == kHistorySize ? 0 : position + 1; }

// Advances a position by one frame, wrapping the ring's end to 0.
int NextFrame(int position)
{
    position += kPoints;
    return position >= kHistorySize ? position - kHistorySize : position;
}

} // namespace

int TimebaseIndex(double timebase)
{
    for (std::size_t i = 0; i < kTimebases.size(); ++i)
        if (kTimebases[i].value == timebase)
            return static_cast<int>(i);
    return 0;
}

TScope::TScope(ScopeChart &chart, ScopeStore *store, std::string programDir)
    : ch1_(std::make_unique<TChnl>("ch1", store)), ch2_(std::make_unique<TChnl>("ch2", store)), chart_(chart),
      programDir_(std::move(programDir))
{
    if (store)
        Load(*store);
}

TScope::~TScope() = default;

void TScope::Load(ScopeStore &store)
{
    // The first value that cannot be read ends the loading; the rest keep their defaults.
    const std::optional<double> level = store.ReadDouble("", "TriggerLevel");
    if (!level)
        return;
    triggerLevel_ = *level;
    const std::optional<int> source = store.ReadInt("", "TriggerSource");
    if (!source)
        return;
    triggerSource_ = *source;
    const std::optional<double> timebase = store.ReadDouble("", "Timebase");
    if (!timebase)
        return;
    timebase_ = *timebase;
    const std::optional<int> pre = store.ReadInt("", "PreTrigger");
    if (!pre)
        return;
    preTrigger_ = static_cast<std::uint16_t>(*pre);
}

TChnl &TScope::Channel(int channel)
{
    if (channel != 1 && channel != 2)
        throw std::out_of_range("scope channel " + std::to_string(channel));
    return channel == 1 ? *ch1_ : *ch2_;
}

const TChnl &TScope::Channel(int channel) const { return const_cast<TScope *>(this)->Channel(channel); }

AcquisitionParams TScope::GetAcquisitionParams() const
{
    const ThreadSafe guard(lock_);
    AcquisitionParams p;
    p.preTrigger = preTrigger_;
    p.timebase = Word(timebase_);
    p.triggerSource = static_cast<std::uint16_t>(triggerSource_ & 0xFFFF);
    p.triggerLevel = static_cast<float>(triggerLevel_);
    p.ch1Signal = ch1_->SourceCode();
    p.ch2Signal = ch2_->SourceCode();
    return p;
}

void TScope::SetSource(int channel, const std::string &name)
{
    TChnl &c = Channel(channel);
    const ThreadSafe guard(lock_);
    c.SetSource(name);
}

void TScope::SetMaxX(double timebase) { chart_.SetManualMaxX(timebase * 100.0 / 1000.0); }

void TScope::SetTimebase(double timebase)
{
    {
        const ThreadSafe guard(lock_);
        timebase_ = timebase;
    }
    SetMaxX(timebase);
}

double TScope::Timebase() const
{
    const ThreadSafe guard(lock_);
    return timebase_;
}

void TScope::SetTriggerSource(int source)
{
    const ThreadSafe guard(lock_);
    triggerSource_ = source;
}

int TScope::TriggerSource() const
{
    const ThreadSafe guard(lock_);
    return triggerSource_;
}

void TScope::SetTriggerLevel(double level)
{
    const ThreadSafe guard(lock_);
    triggerLevel_ = level;
}

double TScope::TriggerLevel() const
{
    const ThreadSafe guard(lock_);
    return triggerLevel_;
}

std::uint16_t TScope::PreTrigger() const
{
    const ThreadSafe guard(lock_);
    return preTrigger_;
}

std::string TScope::TriggerText() const
{
    const int trigger = TriggerSource();
    if (trigger < 0 || trigger >= static_cast<int>(kTriggerTexts.size()))
        return "unknown (" + std::to_string(trigger) + ")";
    std::string text = kTriggerTexts[static_cast<std::size_t>(trigger)];
    if (trigger == kTriggerNone)
        return text;
    return text + ", level " + numtext::General(TriggerLevel()) + " " + SourceUnits(trigger <= kCh1Falling ? 1 : 2);
}

void TScope::ProcessFrame(double *ch1, double *ch2, int n)
{
    if (n <= 0)
        return;
    if (n > kPoints)
        n = kPoints;
    double scale1 = 1, offset1 = 0, scale2 = 1, offset2 = 0;
    ch1_->ScaleAndOffset(scale1, offset1);
    ch2_->ScaleAndOffset(scale2, offset2);
    const double timebase = Timebase();
    ++frames_;
    for (int i = 0; i < n; ++i) {
        samples_[static_cast<std::size_t>(writePos_)] = HistorySample{ch1[i], ch2[i], timebase * i / 1000.0, frames_};
        ch1[i] = (ch1[i] + offset1) / scale1;
        ch2[i] = (ch2[i] + offset2) / scale2;
        const float x = static_cast<float>(timebase * i / 1000.0);
        chart_.SetYData(0, i, static_cast<float>(ch1[i]));
        chart_.SetYData(1, i, static_cast<float>(ch2[i]));
        chart_.SetXData(0, i, x);
        chart_.SetXData(1, i, x);
        ring_[static_cast<std::size_t>(writePos_)] = HistoryEntry{ch1[i], ch2[i]};
        // The ring wraps with every pair, not only between frames: a sweep's short frames leave
        // the write position between frame boundaries, and a full frame after them would
        // otherwise run past the ring's end. Catching up with the oldest pair drops its frame.
        writePos_ = Next(writePos_);
        if (writePos_ == readPos_)
            readPos_ = NextFrame(readPos_);
    }
    chart_.Redraw();
}

void TScope::SaveSettings(ScopeStore *store)
{
    if (store) {
        ch1_->SaveSettings(*store);
        ch2_->SaveSettings(*store);
        double level, timebase;
        int source;
        std::uint16_t pre;
        {
            const ThreadSafe guard(lock_);
            level = triggerLevel_;
            source = triggerSource_;
            timebase = timebase_;
            pre = preTrigger_;
        }
        store->WriteDouble("", "TriggerLevel", level);
        store->WriteInt("", "TriggerSource", source);
        store->WriteDouble("", "Timebase", timebase);
        store->WriteInt("", "PreTrigger", pre);
    }
    WriteLog();
}

bool TScope::WriteLog()
{
    std::FILE *f = std::fopen(LogPath().c_str(), "w+");
    if (!f)
        return false;
    int frame = 1;
    while (readPos_ != writePos_) {
        std::fprintf(f, "*** frame %d ***\n", frame++);
        // A frame ends after 100 pairs, or at the write position when the newest is short.
        for (int i = 0; i < kPoints && readPos_ != writePos_; ++i) {
            const HistoryEntry &e = ring_[static_cast<std::size_t>(readPos_)];
            std::fprintf(f, "%8s %8s\n", numtext::Fixed(e.ch1, 3).c_str(), numtext::Fixed(e.ch2, 3).c_str());
            readPos_ = Next(readPos_);
        }
        std::fputs("\n\n", f);
    }
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}

void TScope::ClearHistory() { readPos_ = writePos_; }

std::vector<HistoryEntry> TScope::History() const
{
    std::vector<HistoryEntry> out;
    for (int p = readPos_; p != writePos_; p = Next(p))
        out.push_back(ring_[static_cast<std::size_t>(p)]);
    return out;
}

std::vector<HistorySample> TScope::Samples() const
{
    std::vector<HistorySample> out;
    for (int p = readPos_; p != writePos_; p = Next(p))
        out.push_back(samples_[static_cast<std::size_t>(p)]);
    return out;
}

bool TScope::WriteCsv(const std::string &fileName, int lastFrames) const
{
    std::FILE *f = std::fopen(fileName.c_str(), "w");
    if (!f)
        return false;
    const double timebase = Timebase();
    std::fprintf(f, "# Timebase: %s (%s ms per sample)\n", kTimebases[static_cast<std::size_t>(TimebaseIndex(timebase))].text,
                 numtext::General(timebase).c_str());
    std::fprintf(f, "# Trigger: %s\n", TriggerText().c_str());
    std::fprintf(f, "Frame,Time (s),%s,%s\n", CsvField(SourceName(1) + " (" + SourceUnits(1) + ")").c_str(),
                 CsvField(SourceName(2) + " (" + SourceUnits(2) + ")").c_str());
    const int newest = readPos_ == writePos_ ? 0 : samples_[static_cast<std::size_t>((writePos_ + kHistorySize - 1) % kHistorySize)].frame;
    int first = -1;
    for (int p = readPos_; p != writePos_; p = Next(p)) {
        const HistorySample &s = samples_[static_cast<std::size_t>(p)];
        if (lastFrames > 0 && s.frame <= newest - lastFrames)
            continue;
        if (first < 0)
            first = s.frame;
        std::fprintf(f, "%d,%s,%s,%s\n", s.frame - first + 1, numtext::Fixed(s.seconds, 6).c_str(),
                     numtext::General(s.ch1, numtext::kCPoint, 9).c_str(), numtext::General(s.ch2, numtext::kCPoint, 9).c_str());
    }
    const bool ok = std::ferror(f) == 0;
    return std::fclose(f) == 0 && ok;
}

} // namespace tools700::scope
