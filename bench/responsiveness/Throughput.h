// Throughput with replies paced at 19200 bit/s (drivesim --pace): the scope's frame rate against
// the wire-limited one, the on-line poll's exchange and the firmware download against their paced
// reply time. The caller pauses the connection monitor, so each figure is the window's own.
#pragma once

#include "StallBench.h"

#include <string>

namespace tools700 {
class TFWUpgrade;
class TScopeForm;
class Tvardlg;
} // namespace tools700

namespace responsiveness {

void ScopeThroughput(Bench &bench, tools700::TScopeForm &scope, int seconds);
void OnlineThroughput(Bench &bench, tools700::Tvardlg &online, int seconds);
// `image`: where the firmware window's open dialog reads its image; rewritten here, 16 KiB.
void FirmwareThroughput(Bench &bench, tools700::TFWUpgrade &firmware, const std::string &image);

} // namespace responsiveness
