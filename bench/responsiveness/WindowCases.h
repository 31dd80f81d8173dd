// The windows the benchmark watches, each as one case: how it starts, when its work has ended,
// what it shows when the drive fails it, and how it stops.
#pragma once

#include "StallBench.h"

#include <cstddef>
#include <vector>

namespace tools700 {
class Cfg;
class TFWUpgrade;
class TInertiaRDlg;
class TMainForm;
class TSaveForm;
class TScopeForm;
class TTroubleshooting;
class TTuning;
class Tvardlg;
} // namespace tools700

namespace responsiveness {

// The program's windows the cases drive, and what the cases keep between their steps.
struct BenchWindows {
    BenchMessages &messages;
    tools700::TMainForm &main;
    tools700::Tvardlg *online = nullptr;
    tools700::TScopeForm *scope = nullptr;
    tools700::TTroubleshooting *diagnostics = nullptr;
    tools700::TInertiaRDlg *ratio = nullptr;
    tools700::TTuning *tuning = nullptr;
    tools700::TSaveForm *save = nullptr;
    tools700::TFWUpgrade *firmware = nullptr;
    tools700::Cfg *cfg = nullptr; // the configuration the download case writes
    bool tuningApplied = false;
    bool firmwareStarted = false;
    int editorsBefore = 0;

    bool ShownAfter(std::size_t n) const { return messages.shown.size() > n; }
};

// The cases, in the order of the printed table; they refer to `windows` until they have run.
std::vector<Case> WindowCases(BenchWindows &windows);

} // namespace responsiveness
