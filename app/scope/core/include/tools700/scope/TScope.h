// TScope: the acquisition settings of the oscilloscope (timebase, trigger source and level), its
// two channels, the feed of each fetched frame into the chart, the history of the last frames
// and the settings and Scope.log written when the window closes.
//
// The pump thread reads the settings through GetAcquisitionParams; everything else runs on the
// user-interface thread. The scope's lock guards the timebase, trigger and pre-trigger, each
// channel's lock its signal with its scale and offset; both are taken in that order.
#pragma once

#include "tools700/scope/ScopeChart.h"
#include "tools700/scope/TChnl.h"
#include "tools700/scope/ThreadSafe.h"

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

namespace tools700::scope {

class ScopeStore;

// Trigger source codes, which are also the positions in the trigger list.
enum TriggerCode : int { kTriggerNone = 0, kCh1Rising = 1, kCh1Falling = 2, kCh2Rising = 3, kCh2Falling = 4 };
inline constexpr std::array<const char *, 5> kTriggerTexts = {
    "None (free-running)", "Chnl 1, rising edge", "Chnl 1, falling edge", "Chnl 2, rising edge",
    "Chnl 2, falling edge"};

// The timebase list: the text of each entry and its sample period in milliseconds. The second and
// fifth texts say 0.025 and 0.25 seconds per division of periods that make 0.02 and 0.2.
struct TimebaseEntry {
    const char *text;
    double value;
};
inline constexpr std::array<TimebaseEntry, 7> kTimebases = {{
    {"0.01 sec / div", 1},
    {"0.025 sec / div", 2},
    {"0.05 sec / div", 5},
    {"0.1   sec / div", 10},
    {"0.25  sec / div", 20},
    {"0.5   sec / div", 50},
    {"1.0   sec / div", 100},
}};
// The first entry whose value is `timebase`; 0 when none is.
int TimebaseIndex(double timebase);

// What one fetch sends to the drive, read in one go.
struct AcquisitionParams {
    std::uint16_t preTrigger = 0;
    std::uint16_t timebase = 1;     // the integer part of Timebase
    std::uint16_t triggerSource = 0;
    float triggerLevel = 0;
    std::uint16_t ch1Signal = 0;
    std::uint16_t ch2Signal = 0;
};

inline constexpr int kHistorySize = 1000;

// One pair of the history, as drawn (divisions).
struct HistoryEntry {
    double ch1 = 0;
    double ch2 = 0;
};

// One pair of the history as fetched: its frame (counted from the first since the start), its
// time in the frame and both channels in signal units.
struct HistorySample {
    double ch1 = 0, ch2 = 0; // signal units
    double seconds = 0;
    int frame = 0;
};

class TScope {
public:
    // Loads the settings from `store` (none: the defaults). `programDir` ends with a separator;
    // Scope.log goes there.
    TScope(ScopeChart &chart, ScopeStore *store, std::string programDir);
    ~TScope();

    AcquisitionParams GetAcquisitionParams() const;

    // channel is 1 or 2.
    TChnl &Channel(int channel);
    const TChnl &Channel(int channel) const;
    void SetSource(int channel, const std::string &name);
    std::string SourceName(int channel) const { return Channel(channel).SourceName(); }
    std::string SourceUnits(int channel) const { return Channel(channel).SourceUnits(); }
    void SetScale(int channel, double scale) { Channel(channel).SetScale(scale); }
    double Scale(int channel) const { return Channel(channel).Scale(); }
    void SetOffset(int channel, double offset) { Channel(channel).SetOffset(offset); }
    double Offset(int channel) const { return Channel(channel).Offset(); }

    // Also moves the chart's horizontal end to 100 sample periods.
    void SetTimebase(double timebase);
    double Timebase() const;
    void SetTriggerSource(int source);
    int TriggerSource() const;
    void SetTriggerLevel(double level);
    double TriggerLevel() const;
    std::uint16_t PreTrigger() const;
    // The trigger as the CSV names it: its list text and, unless free-running, its level and unit
    // ("Chnl 1, rising edge, level 10 Rpm").
    std::string TriggerText() const;

    // Draws n sample pairs (converted in place to divisions) and keeps them in the history.
    void ProcessFrame(double *ch1, double *ch2, int n);

    // The channels' and the acquisition settings into `store` (when given), then Scope.log;
    // writing the log empties the history.
    void SaveSettings(ScopeStore *store);
    // Scope.log alone; false when the file could not be written.
    bool WriteLog();
    std::string LogPath() const { return programDir_ + "Scope.log"; }

    // The history as CSV: a header with the signals, units, timebase and trigger, then one line
    // per pair with its frame, its time in seconds and both channels in signal units. With
    // `lastFrames` above 0 only the pairs of that many newest frames.
    bool WriteCsv(const std::string &fileName, int lastFrames = 0) const;
    // Forgets the history (the chart keeps what it shows).
    void ClearHistory();

    // The history from the oldest pair kept to the newest.
    std::vector<HistoryEntry> History() const;
    // The same pairs in signal units, with their frames and times.
    std::vector<HistorySample> Samples() const;
    int ReadPosition() const { return readPos_; }
    int WritePosition() const { return writePos_; }
    int FramesDrawn() const { return frames_; }

private:
    void Load(ScopeStore &store);
    void SetMaxX(double timebase);

    mutable CriticalSection lock_;
    std::unique_ptr<TChnl> ch1_, ch2_;
    ScopeChart &chart_;
    double timebase_ = 1.0;
    int triggerSource_ = 0;
    double triggerLevel_ = 0.0;
    std::uint16_t preTrigger_ = 0;
    std::array<HistoryEntry, kHistorySize> ring_{};
    std::array<HistorySample, kHistorySize> samples_{};
    int readPos_ = 0;
    int writePos_ = 0;
    int frames_ = 0;
    std::string programDir_;
};

} // namespace tools700::scope
